#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <functional>

#include "agent/CorvaneProgram.h"
#include "agent/Version.h"
#include "platform/linux/IniProfileFiles.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeEventPump.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/FakeInputSynthesis.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakeSerialDevices.h"
#include "tests/support/FakeSerialPortMap.h"
#include "tests/support/FakeTickClock.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/ScriptedPresentationProgram.h"

namespace {

TEST(ProgramStartTest, DebugModeIsDebugAnywhereInTheCommandLine) {
  const struct {
    QStringList arguments;
    bool debug;
  } cases[] = {
      {{}, false},
      {{QStringLiteral("debug")}, true},
      {{QStringLiteral("/Debug")}, true},
      {{QStringLiteral("-x"), QStringLiteral("nodebug")}, true},
      {{QStringLiteral("de bug")}, false},
      {{QStringLiteral("--verbose")}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.join(u' ').toStdString());
    EXPECT_EQ(CorvaneProgram::WantsDebugMode(c.arguments), c.debug);
  }
}

TEST(ProgramStartTest, TheVersionIsTheBuildsNumbers) {
  EXPECT_EQ(CorvaneProgram::VersionText(),
            QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
}

class NoShutdownRequests final : public ShutdownRequests {
 public:
  void setHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
  std::function<void()> handler_;
};

// The program's entry procedure over doubles of the desktop and the real settings file: the
// saved port starts, the handheld is answered with the build's version, and the browser label
// says what the desktop's browser is.
TEST(ProgramStartTest, MainBringsTheAgentUpWithItsSavedPort) {
  QTemporaryDir folder;
  ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("Shared/Presentations/Notes")));
  QFile config(folder.filePath(QStringLiteral("config.ini")));
  ASSERT_TRUE(config.open(QIODevice::WriteOnly));
  config.write("[Communications]\r\nPort=7\r\n");
  config.close();

  FakeSerialDevices devices;
  const auto device = devices.add(QStringLiteral("COM7"));
  FakeSerialPortMap portMap;
  portMap.map.emplace();
  portMap.map->push_back({QStringLiteral("\\Device\\BthModem7"), QStringLiteral("COM7")});
  IniProfileFiles profiles;
  FakeTickClock clock;
  clock.step = 100;
  FakeEventPump pump;
  FakeMessageBoxes boxes;
  ScriptedPresentationProgram office;
  FakeWindowSystem windows;
  FakeDesktopShell shell;
  shell.browserCommand = QStringLiteral("/usr/lib/firefox-esr/firefox-esr %u");
  FakeInputSynthesis input;
  FakeFileDialogs dialogs;
  NoShutdownRequests shutdown;

  CorvaneProgram program(ProgramPlatform{AgentPlatform{devices, portMap, profiles, clock, pump,
                                                       boxes, office, windows, shell},
                                         input, input, dialogs, shutdown},
                         folder.path());
  program.Main({QStringLiteral("/opt/corvane/Corvane")});

  EXPECT_TRUE(program.agent().serial.PortOpen);
  EXPECT_FALSE(program.agent().debugLog.DebugMode) << "the program's own path is no argument";
  EXPECT_EQ(program.window().lblValDefBrowser->text(), QStringLiteral("FIREFOX"));
  EXPECT_EQ(program.window().windowTitle(), QStringLiteral("CorvaneControl - Desktop"));
  EXPECT_TRUE(shutdown.handler_) << "a request from outside ends the program";

  program.agent().general.ProcessMessage(QStringLiteral("<<INFO|VERSION|>>"));
  EXPECT_TRUE(QString::fromLatin1(device->written)
                  .startsWith(QStringLiteral("<<INFO|VERSION|<PRODUCT>QZD</PRODUCT><VERSION>") +
                              CorvaneProgram::VersionText() + QStringLiteral("</VERSION>")))
      << device->written.toStdString();

  // Ending it closes the port and keeps the settings.
  program.Shutdown();
  EXPECT_FALSE(program.agent().serial.PortOpen);
  ASSERT_TRUE(config.open(QIODevice::ReadOnly));
  EXPECT_TRUE(config.readAll().contains("Port=7"));
}

}  // namespace
