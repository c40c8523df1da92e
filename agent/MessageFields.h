#pragma once

#include <QString>
#include <QStringView>

#include "shared/LibParser.h"

// The fields of the frame being executed, cut from it with the program's shared scanner.
struct MessageFields {
  QString MsgCommand;
  QString MsgArg1;
  QString MsgArg2;

  // "<<" command "|" argument 1 "|" argument 2 ">>". Two fields put the second into MsgArg2;
  // everything after the second "|" belongs to MsgArg2; five characters or fewer, or no "|",
  // give three empty fields.
  void ParseMessage(QStringView msg, LibParser& parser);
};
