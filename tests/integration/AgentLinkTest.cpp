#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "agent/AgentContext.h"
#include "platform/linux/IniProfileFiles.h"
#include "platform/linux/LinuxSerialPortMap.h"
#include "platform/linux/MonotonicTickClock.h"
#include "platform/linux/QtEventPump.h"
#include "platform/linux/TermiosSerialDevices.h"
#include "platform/linux/VirtualRegistry.h"
#include "tests/support/FakeAgentView.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/RecordingActions.h"
#include "tests/support/ScriptedPresentationProgram.h"
#include "tests/support/SimulatorProcess.h"

// The agent's command path with the real serial device, settings file and clock, against the
// handheld simulator on a pseudo-terminal. Only the desktop actions are recorded instead of run.
namespace {

constexpr int kPort = 42;
constexpr int kWaitMs = 5000;

class AgentLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    link_ = dir_.filePath(QStringLiteral("handheld"));
    ASSERT_TRUE(simulator_.start(link_));
    map_ = std::make_unique<LinuxSerialPortMap>(QStringLiteral("%1=%2").arg(kPort).arg(link_),
                                                dir_.filePath(QStringLiteral("no-sysfs")),
                                                dir_.filePath(QStringLiteral("no-dev")));
    devices_ = std::make_unique<TermiosSerialDevices>(*map_);
  }

  // The agent as start-up leaves it: settings read, port list filled, the link started when the
  // saved port is there, and the 10 ms receive timer running.
  void startAgent(const QString& savedPort) {
    writeConfig(QStringLiteral("[Communications]\r\nPort=%1\r\n").arg(savedPort));
    agent_ = std::make_unique<AgentContext>(
        AgentPlatform{*devices_, *map_, profiles_, clock_, pump_, boxes_, program_, windows_,
                      shell_, registry_},
        view_, AgentActions{actions_, actions_, actions_, actions_}, dir_.path());
    agent_->settings.LoadConfig();
    agent_->serial.FillPortList();
    if (agent_->serial.AutoStartPort) {
      agent_->serial.StartSerialLink();
    }
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      ++ticks_;
      agent_->receiveLoop.tmrCOM_Timer();
    });
    timer_.start(10);
  }

  void writeConfig(const QString& text) {
    QFile file(dir_.filePath(QStringLiteral("config.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toLatin1());
  }

  QString configText() {
    QFile file(dir_.filePath(QStringLiteral("config.ini")));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
  }

  bool called(const QString& call) {
    return SimulatorProcess::waitUntil([&] { return actions_.calls.contains(call); }, kWaitMs);
  }

  QTemporaryDir dir_;
  QString link_;
  SimulatorProcess simulator_;
  std::unique_ptr<LinuxSerialPortMap> map_;
  std::unique_ptr<TermiosSerialDevices> devices_;
  IniProfileFiles profiles_;
  MonotonicTickClock clock_;
  QtEventPump pump_;
  FakeMessageBoxes boxes_;
  ScriptedPresentationProgram program_;
  FakeAgentView view_;
  RecordingActions actions_;
  FakeWindowSystem windows_;
  FakeDesktopShell shell_;
  VirtualRegistry registry_{shell_};
  std::unique_ptr<AgentContext> agent_;
  QTimer timer_;
  int ticks_ = 0;
};

TEST_F(AgentLinkTest, FramesFromTheHandheldRunInTheOrderTheyWereSent) {
  startAgent(QString::number(kPort));
  ASSERT_TRUE(agent_->serial.PortOpen);
  EXPECT_TRUE(configText().contains(QStringLiteral("Port=42")));

  simulator_.send(QStringLiteral("<<MOUSE|10|20>>"));
  simulator_.send(QStringLiteral("<<MOUSE_BUTTON|LEFT_CLICK|>>"));
  simulator_.send(QStringLiteral("<<VOLUME|SET|50>>"));
  ASSERT_TRUE(called(QStringLiteral("SetMasterVolume(50)")));

  QStringList order;
  for (const QString& call : actions_.calls) {
    if (call.startsWith(QStringLiteral("MoveCursorTo")) || call == QStringLiteral("LeftClick()") ||
        call.startsWith(QStringLiteral("SetMasterVolume"))) {
      order << call;
    }
  }
  EXPECT_EQ(order,
            (QStringList{QStringLiteral("MoveCursorTo(90,60)"), QStringLiteral("LeftClick()"),
                         QStringLiteral("SetMasterVolume(50)")}));
  EXPECT_TRUE(agent_->serial.SessionActive);
  EXPECT_EQ(view_.packets, QStringLiteral("3"));
}

TEST_F(AgentLinkTest, RepliesArriveFramedAndAtLeast280MsApart) {
  actions_.infoReply = QStringLiteral("<VERSION>1.0.0</VERSION><STATUS>TFT</STATUS> ");
  actions_.playlistNames = QStringLiteral("Morning:Evening");
  startAgent(QString::number(kPort));
  ASSERT_TRUE(agent_->serial.PortOpen);

  simulator_.send(QStringLiteral("<<INFO|VERSION|>>"));
  simulator_.send(QStringLiteral("<<WMP|GET_PLAYLIST|>>"));
  ASSERT_TRUE(
      SimulatorProcess::waitUntil([&] { return simulator_.received().size() >= 2; }, kWaitMs));

  const auto& frames = simulator_.received();
  EXPECT_EQ(frames[0].frame,
            QStringLiteral("<<INFO|VERSION|<VERSION>1.0.0</VERSION><STATUS>TFT</STATUS> >>"));
  EXPECT_EQ(frames[1].frame, QStringLiteral("<<WMP|PLAYLIST|Morning:Evening>>"));
  // The agent waits 280 ms after each write; the far end may see the bytes a little late, never
  // much early.
  EXPECT_GE(frames[1].ms - frames[0].ms, 270.0);
}

TEST_F(AgentLinkTest, TwoFramesWrittenAtOnceRunInTwoTicks) {
  startAgent(QString::number(kPort));
  ASSERT_TRUE(agent_->serial.PortOpen);
  std::vector<int> tickOfCall;
  actions_.onCall = [&](const QString& call) {
    if (call.startsWith(QStringLiteral("MoveCursorTo"))) {
      tickOfCall.push_back(ticks_);
    }
  };

  simulator_.send(QStringLiteral("<<MOUSE|1|1>><<MOUSE|2|2>>"));
  ASSERT_TRUE(called(QStringLiteral("MoveCursorTo(18,6)")));

  ASSERT_EQ(tickOfCall.size(), 2U);
  EXPECT_LT(tickOfCall[0], tickOfCall[1]);
  EXPECT_EQ(actions_.calls.indexOf(QStringLiteral("MoveCursorTo(9,3)")) <
                actions_.calls.indexOf(QStringLiteral("MoveCursorTo(18,6)")),
            true);
}

TEST_F(AgentLinkTest, TheSynchronisationSignatureStandsTheLinkDown) {
  startAgent(QString::number(kPort));
  ASSERT_TRUE(agent_->serial.PortOpen);
  simulator_.send(QStringLiteral("<<MOUSE|1|1>>"));
  ASSERT_TRUE(called(QStringLiteral("MoveCursorTo(9,3)")));

  simulator_.send(QStringLiteral("\\xBE\\xEF\\xED\\x03\\x03\\x02<<MOUSE|5|5>>"));
  ASSERT_TRUE(SimulatorProcess::waitUntil([&] { return !agent_->serial.PortOpen; }, kWaitMs));

  ASSERT_EQ(boxes_.shown.size(), 1U);
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("CorvaneControl Stopped"));
  EXPECT_EQ(view_.status, QStringLiteral("The communication port is closed."));
  EXPECT_FALSE(agent_->serial.SessionActive);
  EXPECT_FALSE(actions_.calls.contains(QStringLiteral("MoveCursorTo(45,15)")));
}

TEST_F(AgentLinkTest, ABusyDeviceGivesTheBusyPortMessageAndKeepsTheSavedPort) {
  // Another program holds the device.
  const QString device = QFile::symLinkTarget(link_);
  const int holder = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);

  startAgent(QStringLiteral("7"));  // not in the map: port 42 is preselected, not started
  EXPECT_FALSE(agent_->serial.AutoStartPort);
  ASSERT_EQ(view_.port, QStringLiteral("42"));
  agent_->serial.StartSerialLink();

  EXPECT_FALSE(agent_->serial.PortOpen);
  ASSERT_EQ(boxes_.shown.size(), 1U);
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("COM42 Currently in Use"));
  EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::Critical);
  EXPECT_TRUE(configText().contains(QStringLiteral("Port=7")));
  ::close(holder);
}

}  // namespace
