#pragma once

#include <QString>
#include <QtGlobal>

#include "agent/AgentFlags.h"
#include "agent/AgentView.h"
#include "agent/CommandActions.h"
#include "agent/LibSettings.h"
#include "agent/MessageFields.h"
#include "agent/modCOMM.h"
#include "platform/TickClock.h"
#include "shared/LibParser.h"
#include "shared/libPresentation.h"

// Everything the dispatcher routes frames to.
struct CommandTargets {
  InputActions& input;
  WindowActions& windows;
  SlideShowActions& slides;
  MediaActions& media;
  VolumeActions& volume;
  ProductInfo& product;
  libPresentation& presentation;
};

// The dispatcher and the reply path.
class LibGeneral {
 public:
  static constexpr qint32 kReplyPauseMs = 280;

  LibGeneral(LibParser& parser, modCOMM& comm, LibSettings& settings, AgentFlags& flags,
             AgentView& view, const TickClock& clock, CommandTargets targets);

  // Executes one received frame, with its "<<" and ">>".
  void ProcessMessage(const QString& msg);
  void SendReply(const QString& cmd, const QString& arg1, const QString& arg2);
  // Writes a finished frame, logs it in debug mode and waits 280 ms; true when a byte went out.
  bool SendToDevice(const QString& msg);

  MessageFields Fields;
  qint32 PacketCount = 0;
  qint32 ByteCount = 0;
  struct {
    qint32 x = 0;
    qint32 y = 0;
  } TouchTarget;
  QString ActiveFolder;
  QString ActiveFile;
  // The last frame sent, repeated on the handheld's "ERROR" / "RESEND".
  QString LastSentMessage;

 private:
  // One handler per keyword of the table, in the table's order.
  void mouseButton();
  void mouse();
  void sendKey();
  void keyboardKeys();
  void browserKeys();
  void present();
  void windowEvent();
  void error();
  void relativeMove();
  void touchPadMove();
  void volume();
  void dirList();
  void activate();
  void unload();
  void media();
  void loadApp();
  void info();

  LibParser& parser_;
  modCOMM& comm_;
  LibSettings& settings_;
  AgentFlags& flags_;
  AgentView& view_;
  const TickClock& clock_;
  CommandTargets targets_;
};
