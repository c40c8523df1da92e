#include "agent/CorvaneProgram.h"

#include <QCoreApplication>

#include "agent/Version.h"

CorvaneProgram::CorvaneProgram(const ProgramPlatform& platform, const QString& programFolder)
    : sendKey_(platform.input),
      controls_(platform.input, platform.keys, sendKey_, platform.agent.windows,
                platform.agent.clock),
      product_(media_, volume_),
      window_(MainWindowServices{platform.agent.boxes, platform.dialogs, platform.agent.shell,
                                 programFolder}),
      agent_(platform.agent, window_, AgentActions{controls_, media_, volume_, product_},
             programFolder) {
  window_.Attach(MainWindowModules{agent_.serial, agent_.settings, agent_.receiveLoop,
                                   agent_.notify, agent_.debugLog, media_, product_});
  // A request from outside to end the program takes the same way out as closing the window.
  platform.shutdown.setHandler([] { QCoreApplication::quit(); });
}

QString CorvaneProgram::VersionText() {
  return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

bool CorvaneProgram::WantsDebugMode(const QStringList& arguments) {
  // The whole command line, so that "/debug", "-Debug" and even "nodebug" turn it on.
  return arguments.join(u' ').toUpper().contains(u"DEBUG");
}

void CorvaneProgram::Main(const QStringList& arguments) {
  DefaultBrowser& browser = agent_.browser;
  browser.BrowserType = browser.DetectDefaultBrowser();
  AppVersion = VersionText();
  // The program's own name is no part of its command line.
  agent_.debugLog.DebugMode = WantsDebugMode(arguments.mid(1));
  window_.Form_Load(agent_.debugLog.DebugMode, AppVersion);
  window_.SetDefaultBrowserCaption(browser.BrowserType);
  // Without a player there are no playlists to read.
  (void)media_.InitWMP();
}

void CorvaneProgram::Shutdown() {
  if (shutDown_) {
    return;
  }
  shutDown_ = true;
  agent_.serial.StopSerialLink();
  // The receive timer keeps running on a closed port; the reports and the lamp stop.
  window_.Timer1.stop();
  window_.tmrWMP.stop();
  window_.tmrLED.stop();
  agent_.presentation.ClosePowerPoint();
  agent_.settings.SaveConfig();
}
