#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

#include "agent/AgentContext.h"
#include "agent/LibAppREg.h"
#include "agent/LibControls.h"
#include "agent/LibNewSendKey.h"
#include "agent/LibRegistry.h"
#include "agent/LibTray.h"
#include "agent/LibWMPCustom.h"
#include "agent/frmAbout.h"
#include "agent/frmMain.h"
#include "agent/libWMP.h"
#include "platform/AudioMixer.h"
#include "platform/FileDialogs.h"
#include "platform/InputSynthesis.h"
#include "platform/InstanceLock.h"
#include "platform/KeySequenceSender.h"
#include "platform/MediaPlayer.h"
#include "platform/ShutdownRequests.h"
#include "platform/TrayIcon.h"

class QCloseEvent;

// The desktop services the agent program runs on: the command path's, and those of its window,
// its input and its life cycle.
struct ProgramPlatform {
  AgentPlatform agent;
  InputSynthesis& input;
  KeySequenceSender& keys;
  FileDialogs& dialogs;
  ShutdownRequests& shutdown;
  InstanceLock& instanceLock;
  TrayIcon& tray;
  MediaPlayers& players;
  AudioMixers& mixers;
};

// The agent program: its window and modules over the desktop's services, brought up by the entry
// procedure Main and taken down in order by ExitApplication.
class CorvaneProgram {
 public:
  // A close request this soon after the agent injected a left-button release only sends the
  // window to the tray: the handheld's click landed on the close box.
  static constexpr quint32 kRemoteClickGuardMs = 1000;
  // The exit routine's waits: pending work settles before the office and the settings go.
  static constexpr qint32 kExitSettleMs = 1000;
  static constexpr qint32 kExitFinalMs = 250;

  CorvaneProgram(const ProgramPlatform& platform, const QString& programFolder);
  ~CorvaneProgram();
  CorvaneProgram(const CorvaneProgram&) = delete;
  CorvaneProgram& operator=(const CorvaneProgram&) = delete;

  // The entry procedure: the default browser, the version, debug mode from the command line, the
  // window's load (one instance per program folder, settings, port list, the saved port's link),
  // then the browser label, the media player and the start-up check box. False when another
  // instance runs: the user was told, nothing was opened or written, and the program ends at once.
  [[nodiscard]] bool Main(const QStringList& arguments);

  // The window's close request: within kRemoteClickGuardMs of an injected left-button release the
  // window goes to the tray and the agent keeps running; otherwise the settings are saved and the
  // window unloads, which ends the program. True when the close goes on.
  bool Form_QueryUnload(QCloseEvent* event);
  void Form_Unload();
  // Takes the agent down in order and leaves the event loop: the tray icon, the link, the player
  // and the window list, the report timers (the receive timer runs on), a settling wait, the
  // office, the windows, the settings, a last wait. Runs once; requests from outside take it too.
  void ExitApplication();

  // major "." minor "." revision, without leading zeros.
  [[nodiscard]] static QString VersionText();
  // The command line asks for the debug log: "DEBUG" anywhere in it, in any case.
  [[nodiscard]] static bool WantsDebugMode(const QStringList& arguments);

  QString AppVersion;

  // For the tests that drive the program: its parts as they run.
  [[nodiscard]] frmMain& window() { return window_; }
  [[nodiscard]] AgentContext& agent() { return agent_; }
  [[nodiscard]] LibControls& controls() { return controls_; }
  [[nodiscard]] bool exited() const { return exited_; }

 private:
  // Step 1 of the window's load: false, after telling the user, when another instance runs.
  bool refuseSecondInstance();

  ProgramPlatform platform_;
  QString programFolder_;
  LibNewSendKey sendKey_;
  LibControls controls_;
  libWMP media_;
  LibWMPCustom volume_;
  LibAppREg product_;
  // Before the window: an open About box goes after it.
  AboutBox about_;
  frmMain window_;
  // After the window: it goes first and unhooks itself from the window's tray.
  LibTray tray_;
  LibRegistry registry_;
  AgentContext agent_;
  std::unique_ptr<QObject> closeWatch_;
  bool exiting_ = false;
  bool exited_ = false;
};
