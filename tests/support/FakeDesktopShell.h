#pragma once

#include <QString>
#include <QStringList>

#include "platform/DesktopShell.h"

// Starts nothing: records each program start and document open, and fails them on demand.
class FakeDesktopShell final : public DesktopShell {
 public:
  struct Start {
    QString program;
    QStringList arguments;
    WindowStyle style = WindowStyle::Normal;
  };

  QList<Start> starts;
  QStringList opened;
  // The Exec value of the default browser's desktop entry.
  QString browserCommand;
  int browserLookups = 0;
  bool failStart = false;
  bool failOpen = false;

  bool openWithDefaultApplication(const QString& pathOrAddress) override {
    opened << pathOrAddress;
    return !failOpen;
  }
  bool startProgram(const QString& program, const QStringList& arguments,
                    WindowStyle style) override {
    starts.append({program, arguments, style});
    return !failStart;
  }
  QString defaultBrowserCommand() override {
    ++browserLookups;
    return browserCommand;
  }
};
