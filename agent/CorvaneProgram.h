#pragma once

#include <QString>
#include <QStringList>

#include "agent/AgentContext.h"
#include "agent/LibAppREg.h"
#include "agent/LibControls.h"
#include "agent/LibNewSendKey.h"
#include "agent/LibWMPCustom.h"
#include "agent/frmMain.h"
#include "agent/libWMP.h"
#include "platform/FileDialogs.h"
#include "platform/InputSynthesis.h"
#include "platform/KeySequenceSender.h"
#include "platform/ShutdownRequests.h"

// The desktop services the agent program runs on: the command path's, and those of its window and
// its input.
struct ProgramPlatform {
  AgentPlatform agent;
  InputSynthesis& input;
  KeySequenceSender& keys;
  FileDialogs& dialogs;
  ShutdownRequests& shutdown;
};

// The agent program: its window and modules over the desktop's services, brought up by the entry
// procedure Main and taken down by Shutdown.
class CorvaneProgram {
 public:
  CorvaneProgram(const ProgramPlatform& platform, const QString& programFolder);

  // The entry procedure: the default browser, the version, debug mode from the command line, the
  // window's load (settings, port list, the saved port's link), then the browser label and the
  // media player.
  void Main(const QStringList& arguments);
  // Ends the run in order: the link stopped, the office's presentation closed, the settings saved.
  // Runs once; the program then ends.
  void Shutdown();

  // major "." minor "." revision, without leading zeros.
  [[nodiscard]] static QString VersionText();
  // The command line asks for the debug log: "DEBUG" anywhere in it, in any case.
  [[nodiscard]] static bool WantsDebugMode(const QStringList& arguments);

  QString AppVersion;

 private:
  LibNewSendKey sendKey_;
  LibControls controls_;
  libWMP media_;
  LibWMPCustom volume_;
  LibAppREg product_;
  frmMain window_;
  AgentContext agent_;
  bool shutDown_ = false;

 public:
  // For the tests that drive the program: its parts as they run.
  [[nodiscard]] frmMain& window() { return window_; }
  [[nodiscard]] AgentContext& agent() { return agent_; }
};
