#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "agent/CorvaneProgram.h"
#include "agent/Version.h"
#include "platform/linux/IniProfileFiles.h"
#include "tests/support/FakeAudioMixers.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeEventPump.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/FakeInputSynthesis.h"
#include "tests/support/FakeMediaPlayer.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakeRegistry.h"
#include "tests/support/FakeSerialDevices.h"
#include "tests/support/FakeSerialPortMap.h"
#include "tests/support/FakeTickClock.h"
#include "tests/support/FakeTrayIcon.h"
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

class HeldInstanceLock final : public InstanceLock {
 public:
  bool heldElsewhere = false;
  bool acquire(const QString& /*programFolder*/) override { return !heldElsewhere; }
};

// The program over doubles of the desktop and the real settings file in a folder of its own,
// with a saved port 7 that is there.
class ProgramRig : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir(folder_.path()).mkpath(QStringLiteral("Shared/Presentations/Notes")));
    writeConfig("[Communications]\r\nPort=7\r\n");
    device_ = devices_.add(QStringLiteral("COM7"));
    portMap_.map.emplace();
    portMap_.map->push_back({QStringLiteral("\\Device\\BthModem7"), QStringLiteral("COM7")});
    clock_.step = 100;
    registry_.put(
        RegistryRoot::ClassesRoot, QStringLiteral("http\\shell\\open\\command"), QString(),
        RegistryValue{registry::kRegSz, QStringLiteral("/usr/lib/firefox-esr/firefox-esr %u")});
    program_ = std::make_unique<CorvaneProgram>(
        ProgramPlatform{AgentPlatform{devices_, portMap_, profiles_, clock_, pump_, boxes_, office_,
                                      windows_, shell_, registry_},
                        input_, input_, dialogs_, shutdown_, lock_, tray_, players_, mixers_},
        folder_.path());
  }

  void writeConfig(const QByteArray& bytes) {
    QFile config(folder_.filePath(QStringLiteral("config.ini")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(bytes);
  }
  QByteArray configBytes() const {
    QFile config(folder_.filePath(QStringLiteral("config.ini")));
    return config.open(QIODevice::ReadOnly) ? config.readAll() : QByteArray();
  }

  QTemporaryDir folder_;
  FakeSerialDevices devices_;
  std::shared_ptr<FakeSerialDevices::Device> device_;
  FakeSerialPortMap portMap_;
  IniProfileFiles profiles_;
  FakeTickClock clock_;
  FakeEventPump pump_;
  FakeMessageBoxes boxes_;
  ScriptedPresentationProgram office_;
  FakeWindowSystem windows_;
  FakeDesktopShell shell_;
  FakeRegistry registry_;
  FakeInputSynthesis input_;
  FakeFileDialogs dialogs_;
  NoShutdownRequests shutdown_;
  FakeMediaPlayers players_;
  FakeAudioMixers mixers_;
  HeldInstanceLock lock_;
  FakeTrayIcon tray_;
  std::unique_ptr<CorvaneProgram> program_;
};

// The entry procedure: the saved port starts, the handheld is answered with the build's version,
// and the browser label says what the desktop's browser is.
TEST_F(ProgramRig, MainBringsTheAgentUpWithItsSavedPort) {
  ASSERT_TRUE(program_->Main({QStringLiteral("/opt/corvane/Corvane")}));
  CorvaneProgram& program = *program_;

  EXPECT_TRUE(program.agent().serial.PortOpen);
  EXPECT_FALSE(program.agent().debugLog.DebugMode) << "the program's own path is no argument";
  EXPECT_EQ(program.window().lblValDefBrowser->text(), QStringLiteral("FIREFOX"));
  EXPECT_EQ(program.window().windowTitle(), QStringLiteral("CorvaneControl - Desktop"));
  EXPECT_TRUE(shutdown_.handler_) << "a request from outside ends the program";
  EXPECT_FALSE(program.window().chkRunStartup->isChecked()) << "no start-up entry";

  program.agent().general.ProcessMessage(QStringLiteral("<<INFO|VERSION|>>"));
  EXPECT_TRUE(QString::fromLatin1(device_->written)
                  .startsWith(QStringLiteral("<<INFO|VERSION|<PRODUCT>QZD</PRODUCT><VERSION>") +
                              CorvaneProgram::VersionText() + QStringLiteral("</VERSION>")))
      << device_->written.toStdString();

  // A request from outside takes the ordered way out: the port closes, the settings stay.
  shutdown_.handler_();
  EXPECT_TRUE(program.exited());
  EXPECT_FALSE(program.agent().serial.PortOpen);
  EXPECT_TRUE(configBytes().contains("Port=7"));
}

// A second instance says so, exactly as worded, and touches nothing: no port, no settings.
TEST_F(ProgramRig, ASecondInstanceOnlyTellsTheUser) {
  lock_.heldElsewhere = true;
  const QByteArray before = configBytes();
  EXPECT_FALSE(program_->Main({QStringLiteral("Corvane")}));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("CorvaneControl Already loaded"));
  EXPECT_EQ(boxes_.shown[0].text,
            QStringLiteral("CorvaneControl is already running on the\ntaskbar.  Click the red "
                           "CorvaneControl icon to\nto open the application."));
  EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::Information);
  EXPECT_FALSE(program_->agent().serial.PortOpen);
  EXPECT_TRUE(devices_.calls.isEmpty()) << "no port was opened";
  EXPECT_FALSE(program_->window().isVisible());
  EXPECT_EQ(configBytes(), before);
}

// A close request within a second of a left-button release the agent injected only sends the
// window away; from a second on it ends the agent, also across the tick count's wrap.
TEST_F(ProgramRig, TheCloseGuardKeepsARemoteClickFromEndingTheAgent) {
  ASSERT_TRUE(program_->Main({QStringLiteral("Corvane")}));
  const struct {
    const char* name;
    quint32 releasedAt;
    quint32 closedAt;
    bool ends;
  } cases[] = {
      {"999 ms after", 5000, 5999, false},
      {"1000 ms after", 5000, 6000, true},
      {"999 ms across the wrap", 0xFFFFFE00u, 0x000001E7u, false},
      {"1000 ms across the wrap", 0xFFFFFE00u, 0x000001E8u, true},
      {"999 ms above 2^31", 0x80000010u, 0x800003F7u, false},
      {"1000 ms above 2^31", 0x80000010u, 0x800003F8u, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    program_->controls().LastLeftUpTick = c.releasedAt;
    clock_.now = c.closedAt;
    clock_.step = 0;
    QCloseEvent close;
    EXPECT_EQ(program_->Form_QueryUnload(&close), c.ends);
    EXPECT_EQ(close.isAccepted(), c.ends);
    EXPECT_EQ(program_->window().isMinimized(), !c.ends);
    program_->window().setWindowState(Qt::WindowNoState);
  }
}

}  // namespace
