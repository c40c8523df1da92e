#include "agent/CorvaneProgram.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>

#include "agent/Pause.h"
#include "agent/Version.h"

namespace {

const QString kAlreadyLoadedText = QStringLiteral(
    "CorvaneControl is already running on the\n"
    "taskbar.  Click the red CorvaneControl icon to\n"
    "to open the application.");
const QString kAlreadyLoadedTitle = QStringLiteral("CorvaneControl Already loaded");

// Hands the window's close requests to the program, which owns the close guard and the exit.
class CloseWatch final : public QObject {
 public:
  explicit CloseWatch(CorvaneProgram& program) : program_(program) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close) {
      auto* close = static_cast<QCloseEvent*>(event);
      if (program_.Form_QueryUnload(close)) {
        program_.Form_Unload();
      }
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  CorvaneProgram& program_;
};

}  // namespace

CorvaneProgram::CorvaneProgram(const ProgramPlatform& platform, const QString& programFolder)
    : platform_(platform),
      programFolder_(programFolder),
      sendKey_(platform.input),
      controls_(platform.input, platform.keys, sendKey_, platform.agent.windows,
                platform.agent.clock),
      media_(platform.players),
      volume_(platform.mixers),
      product_(media_, volume_),
      about_(AboutBoxServices{platform.agent.boxes, platform.agent.shell, programFolder}, product_),
      window_(MainWindowServices{platform.agent.boxes, platform.dialogs, platform.agent.shell,
                                 programFolder}),
      tray_(platform.tray, window_, product_),
      registry_(platform.agent.registry, platform.agent.boxes, programFolder,
                [this](bool checked) { window_.SetRunStartupChecked(checked); }),
      agent_(platform.agent, window_, AgentActions{controls_, media_, volume_, product_},
             programFolder),
      closeWatch_(std::make_unique<CloseWatch>(*this)) {
  window_.Attach(MainWindowModules{agent_.serial, agent_.settings, agent_.receiveLoop,
                                   agent_.notify, agent_.debugLog, media_, product_});
  window_.AttachTray(tray_);
  media_.Attach(
      MediaServices{agent_.general, agent_.serial, agent_.presentation.Model, *window_.wmp});
  // The sound system's complaints belong in the debug log, not on a terminal nobody reads.
  platform.mixers.setDiagnostics([this](const QString& complaint) {
    agent_.debugLog.Append(QStringLiteral("MIXER: ") + complaint + QStringLiteral("\r\n"));
  });
  QObject::connect(&window_, &frmMain::aboutFormRequested, &window_,
                   [this] { about_.ShowAboutForm(); });
  // The start-up check box follows the user's release of a mouse button over it.
  QObject::connect(&window_, &frmMain::runStartupReleased, &window_,
                   [this] { registry_.SyncRunAtStartup(false); });
  window_.installEventFilter(closeWatch_.get());
  // A request from outside to end the program takes the ordered way out.
  platform.shutdown.setHandler([this] { ExitApplication(); });
}

CorvaneProgram::~CorvaneProgram() {
  window_.removeEventFilter(closeWatch_.get());
  // The mixers outlive the program; their complaints must not reach its log after it.
  platform_.mixers.setDiagnostics({});
}

QString CorvaneProgram::VersionText() {
  return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

bool CorvaneProgram::WantsDebugMode(const QStringList& arguments) {
  // The whole command line, so that "/debug", "-Debug" and even "nodebug" turn it on.
  return arguments.join(u' ').toUpper().contains(u"DEBUG");
}

bool CorvaneProgram::refuseSecondInstance() {
  if (platform_.instanceLock.acquire(programFolder_)) {
    return false;
  }
  (void)platform_.agent.boxes.show(MessageBoxIcon::Information, MessageBoxButtons::Ok,
                                   kAlreadyLoadedText, kAlreadyLoadedTitle);
  return true;
}

bool CorvaneProgram::Main(const QStringList& arguments) {
  DefaultBrowser& browser = agent_.browser;
  browser.BrowserType = browser.DetectDefaultBrowser();
  AppVersion = VersionText();
  // The program's own name is no part of its command line.
  agent_.debugLog.DebugMode = WantsDebugMode(arguments.mid(1));
  // The second instance ends here: it has opened no port, tray icon, office or player, and
  // writes nothing.
  if (refuseSecondInstance()) {
    exited_ = true;
    return false;
  }
  window_.Form_Load(agent_.debugLog.DebugMode, AppVersion);
  window_.SetDefaultBrowserCaption(browser.BrowserType);
  // A player that cannot be bound now gets its next chance when the handheld asks for playlists.
  if (media_.InitWMP()) {
    media_.LoadPlaylists();
  }
  registry_.SyncRunAtStartup(true);
  return true;
}

bool CorvaneProgram::Form_QueryUnload(QCloseEvent* event) {
  // Unsigned subtraction is the difference modulo 2^32: a wrap of the tick count between the
  // release and the close changes nothing.
  const quint32 elapsed = platform_.agent.clock.tickCount() - controls_.LastLeftUpTick;
  if (elapsed < kRemoteClickGuardMs) {
    event->ignore();
    window_.setWindowState(window_.windowState() | Qt::WindowMinimized);
    return false;
  }
  agent_.settings.SaveConfig();
  event->accept();
  return true;
}

void CorvaneProgram::Form_Unload() { ExitApplication(); }

void CorvaneProgram::ExitApplication() {
  if (exiting_) {
    return;
  }
  exiting_ = true;
  const TickClock& clock = platform_.agent.clock;
  EventPump& pump = platform_.agent.pump;
  tray_.RemoveTrayIcon();
  agent_.serial.StopSerialLink();
  media_.ReleasePlayer();
  agent_.commands.WindowListBox.clear();
  // The receive timer keeps running on the closed port; the reports and the lamp stop.
  window_.Timer1.stop();
  window_.tmrWMP.stop();
  window_.tmrLED.stop();
  Pause(clock, pump, kExitSettleMs);
  agent_.presentation.ClosePowerPoint();
  if (frmAbout* about = about_.form()) {
    about->close();
  }
  window_.hide();
  agent_.settings.SaveConfig();
  Pause(clock, pump, kExitFinalMs);
  exited_ = true;
  // The event loop ends without running further handlers; the destructors still run, so the
  // office process is ended, not orphaned.
  QCoreApplication::exit(0);
}
