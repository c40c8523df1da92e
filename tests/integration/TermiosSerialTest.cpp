#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>

#include "platform/SerialDevices.h"
#include "platform/linux/LinuxSerialPortMap.h"
#include "platform/linux/TermiosSerialDevices.h"
#include "tests/support/TestPrinting.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// What the agent sets when it opens its port.
constexpr SerialTimeouts kAgentTimeouts{0xFFFFFFFFU, 0, 1000, 1000, 0};
// Return what waits, never wait for more.
constexpr SerialTimeouts kNoWait{0xFFFFFFFFU, 0, 0, 0, 0};
const QString kAgentMode = QStringLiteral("baud=57600 parity=N data=8 stop=1");
// How long a test waits for something that should come at once before it gives up. Never a
// measure of speed: only a bound that keeps a fault from hanging the run.
constexpr milliseconds kPatience(5000);
constexpr unsigned kAlarmSeconds = 30;

qint64 msSince(Clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
}

QByteArray allByteValues() {
  QByteArray bytes;
  for (int b = 0; b < 256; ++b) {
    bytes.append(static_cast<char>(b));
  }
  return bytes;
}

// A pseudo-terminal whose device is COM42 (and COM43: a second name for the same device); COM44
// names a device that does not exist. The test holds the master end, the handheld's side.
class TermiosSerialTest : public testing::Test {
 protected:
  void SetUp() override {
    int slave = -1;
    ASSERT_EQ(::openpty(&master_, &slave, nullptr, nullptr, nullptr), 0) << errno;
    slave_ = slave;
    const char* name = ::ptsname(master_);
    ASSERT_NE(name, nullptr);
    slavePath_ = QString::fromLocal8Bit(name);
    ASSERT_EQ(::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK), 0);
    // No machine ports: only the variable's entries are under test.
    devices_ = std::make_unique<TermiosSerialDevices>(
        LinuxSerialPortMap(QStringLiteral("42=%1;43=%1;44=/nonexistent/tty").arg(slavePath_),
                           QStringLiteral("/nonexistent/sys/class/tty"), QStringLiteral("/dev")));
  }

  void TearDown() override {
    if (master_ >= 0) {
      ::close(master_);
    }
    if (slave_ >= 0) {
      ::close(slave_);
    }
  }

  // Opened and configured as the agent does it.
  std::unique_ptr<SerialPort> openAgentPort(const QString& name = QStringLiteral("COM42")) {
    std::unique_ptr<SerialPort> port = devices_->open(name);
    EXPECT_NE(port, nullptr) << devices_->lastError();
    if (port == nullptr) {
      return nullptr;
    }
    SerialLineSettings settings;
    EXPECT_TRUE(port->setupBuffers(1024, 1024));
    EXPECT_TRUE(port->purge());
    EXPECT_TRUE(port->setTimeouts(kAgentTimeouts));
    EXPECT_TRUE(port->lineSettings(settings));
    EXPECT_TRUE(BuildLineSettings(kAgentMode, settings));
    EXPECT_TRUE(port->applyLineSettings(settings)) << port->lastError();
    return port;
  }

  // What another program may leave on the device before the agent opens it: both kinds of flow
  // control, and line-discipline processing that would change, hold back or echo the bytes.
  void presetLeftoverTermios() const {
    termios t{};
    ASSERT_EQ(::tcgetattr(slave_, &t), 0) << errno;
    t.c_iflag |= IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | PARMRK | INPCK | IGNPAR;
    t.c_oflag |= OPOST | ONLCR;
    t.c_lflag |= ECHO | ICANON | ISIG | IEXTEN;
    t.c_cflag |= CRTSCTS;
    ASSERT_EQ(::tcsetattr(slave_, TCSANOW, &t), 0) << errno;
    ASSERT_EQ(::tcgetattr(slave_, &t), 0) << errno;
    ASSERT_EQ(t.c_iflag & (IXON | IXOFF | IXANY), tcflag_t{IXON | IXOFF | IXANY});
    ASSERT_NE(t.c_cflag & CRTSCTS, tcflag_t{0});
  }

  void writeMaster(const QByteArray& bytes) const {
    qsizetype done = 0;
    const auto start = Clock::now();
    while (done < bytes.size() && Clock::now() - start < kPatience) {
      const ssize_t n =
          ::write(master_, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
      if (n > 0) {
        done += n;
      } else {
        std::this_thread::sleep_for(milliseconds(5));
      }
    }
    ASSERT_EQ(done, bytes.size());
  }

  QByteArray readMaster(qsizetype count) const {
    QByteArray bytes;
    const auto start = Clock::now();
    while (bytes.size() < count && Clock::now() - start < kPatience) {
      char buffer[512];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) {
        bytes.append(buffer, n);
      } else {
        pollfd p{master_, POLLIN, 0};
        (void)::poll(&p, 1, 50);
      }
    }
    return bytes;
  }

  // Until the port counts `count` bytes waiting (the pty hands them over a moment later).
  static qint32 awaitWaiting(SerialPort& port, qint32 count) {
    const auto start = Clock::now();
    qint32 waiting = -1;
    while (Clock::now() - start < kPatience) {
      const std::optional<SerialPort::Status> status = port.clearError();
      if (!status) {
        return -1;
      }
      waiting = status->bytesWaiting;
      if (waiting >= count) {
        break;
      }
      std::this_thread::sleep_for(milliseconds(5));
    }
    return waiting;
  }

  static QByteArray readAll(SerialPort& port, qsizetype count) {
    QByteArray bytes;
    const auto start = Clock::now();
    while (bytes.size() < count && Clock::now() - start < kPatience) {
      char buffer[1024];
      const qint64 n = port.read(buffer, sizeof buffer);
      if (n < 0) {
        break;
      }
      bytes.append(buffer, n);
    }
    return bytes;
  }

  int master_ = -1;
  int slave_ = -1;
  QString slavePath_;
  std::unique_ptr<TermiosSerialDevices> devices_;
};

TEST_F(TermiosSerialTest, PortNamesResolveThroughTheMap) {
  for (const QString& name :
       {QStringLiteral("COM42"), QStringLiteral("\\\\.\\COM42"), QStringLiteral("com42")}) {
    SCOPED_TRACE(escapedText(name));
    std::unique_ptr<SerialPort> port = devices_->open(name);
    ASSERT_NE(port, nullptr) << devices_->lastError();
    EXPECT_TRUE(port->close());
  }
  for (const QString& name :
       {QStringLiteral("COM45"), QStringLiteral("COM0"), QStringLiteral("COM042"),
        QStringLiteral("COM257"), QStringLiteral("COM42x"), QStringLiteral("COM"),
        QStringLiteral("\\\\.\\"), QStringLiteral("LPT1"), QStringLiteral("42"),
        QStringLiteral("\\\\?\\COM42"), QString(), slavePath_}) {
    SCOPED_TRACE(escapedText(name));
    EXPECT_EQ(devices_->open(name), nullptr);
    EXPECT_EQ(devices_->lastError(), ENOENT);
  }
}

TEST_F(TermiosSerialTest, ADeviceHeldOpenIsBusyUntilClosed) {
  std::unique_ptr<SerialPort> first = openAgentPort();
  ASSERT_NE(first, nullptr);

  EXPECT_EQ(devices_->open(QStringLiteral("COM42")), nullptr);
  EXPECT_EQ(devices_->lastError(), EBUSY);
  // Another name for the same device.
  EXPECT_EQ(devices_->open(QStringLiteral("COM43")), nullptr);
  EXPECT_EQ(devices_->lastError(), EBUSY);
  // Another process.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::unique_ptr<SerialPort> port = devices_->open(QStringLiteral("COM42"));
    ::_exit(port != nullptr ? 0 : devices_->lastError());
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), EBUSY);

  // The busy open took nothing from the holder.
  writeMaster(QByteArray("ok"));
  EXPECT_EQ(readAll(*first, 2), QByteArray("ok"));

  ASSERT_TRUE(first->close());
  std::unique_ptr<SerialPort> second = devices_->open(QStringLiteral("COM43"));
  ASSERT_NE(second, nullptr) << devices_->lastError();
  // Destroying a port without closing it releases the device too.
  second.reset();
  EXPECT_NE(devices_->open(QStringLiteral("COM42")), nullptr) << devices_->lastError();
}

TEST_F(TermiosSerialTest, AReadReturnsWhatWaitsAtOnceAndOtherwiseWaitsForTheFirstBytes) {
  std::unique_ptr<SerialPort> port = openAgentPort();
  ASSERT_NE(port, nullptr);
  char buffer[64];

  // Bytes waiting: back at once, however long the total time-out.
  writeMaster(QByteArray("abc"));
  ASSERT_EQ(awaitWaiting(*port, 3), 3);
  auto start = Clock::now();
  EXPECT_EQ(port->read(buffer, sizeof buffer), 3);
  EXPECT_EQ(QByteArray(buffer, 3), QByteArray("abc"));
  EXPECT_LT(msSince(start), 500);

  // Nothing waiting: nothing after the total time-out.
  start = Clock::now();
  EXPECT_EQ(port->read(buffer, sizeof buffer), 0);
  EXPECT_GE(msSince(start), 900);
  EXPECT_LT(msSince(start), kPatience.count());

  // Bytes arriving during the wait come back as soon as they are there.
  std::thread handheld([this] {
    std::this_thread::sleep_for(milliseconds(100));
    writeMaster(QByteArray("xy"));
  });
  start = Clock::now();
  const qint64 n = port->read(buffer, sizeof buffer);
  const qint64 elapsed = msSince(start);
  handheld.join();
  ASSERT_GE(n, 1);
  EXPECT_EQ(QByteArray(buffer, n), QByteArray("xy").left(n));
  EXPECT_LT(elapsed, 900);

  // No total time-out: nothing waits, nothing is waited for.
  (void)readAll(*port, 2 - n);
  ASSERT_TRUE(port->setTimeouts(kNoWait));
  start = Clock::now();
  EXPECT_EQ(port->read(buffer, sizeof buffer), 0);
  EXPECT_LT(msSince(start), 500);
}

TEST_F(TermiosSerialTest, ATotalTimeOutWithoutIntervalFillsTheBufferOrEndsTheRead) {
  std::unique_ptr<SerialPort> port = openAgentPort();
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->setTimeouts({0, 0, 300, 0, 0}));
  char buffer[8];

  writeMaster(QByteArray("12345678"));
  ASSERT_EQ(awaitWaiting(*port, 8), 8);
  auto start = Clock::now();
  EXPECT_EQ(port->read(buffer, sizeof buffer), 8);
  EXPECT_LT(msSince(start), 250);

  writeMaster(QByteArray("abc"));
  ASSERT_EQ(awaitWaiting(*port, 3), 3);
  start = Clock::now();
  EXPECT_EQ(port->read(buffer, sizeof buffer), 3);
  EXPECT_GE(msSince(start), 250);
  EXPECT_LT(msSince(start), kPatience.count());
  EXPECT_EQ(QByteArray(buffer, 3), QByteArray("abc"));
}

TEST_F(TermiosSerialTest, EveryByteValueCrossesUnchangedBothWays) {
  std::unique_ptr<SerialPort> port = openAgentPort();
  ASSERT_NE(port, nullptr);
  const QByteArray bytes = allByteValues();

  // Control characters, XON/XOFF, CR and LF, 0x00 and 0xFF are data, not line discipline.
  writeMaster(bytes);
  EXPECT_EQ(readAll(*port, bytes.size()), bytes);

  EXPECT_EQ(port->write(bytes), bytes.size());
  EXPECT_EQ(readMaster(bytes.size()), bytes);
  EXPECT_EQ(port->write(QByteArray()), 0);
}

TEST_F(TermiosSerialTest, AWriteNobodyTakesEndsAtItsTimeOut) {
  std::unique_ptr<SerialPort> port = openAgentPort();
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->setTimeouts({0xFFFFFFFFU, 0, 0, 0, 300}));
  // Far more than a pseudo-terminal buffers while its master does not read.
  const QByteArray bytes(4 * 1024 * 1024, 'z');
  const auto start = Clock::now();
  const qint64 written = port->write(bytes);
  EXPECT_LT(msSince(start), kPatience.count());
  EXPECT_GE(written, 0);
  EXPECT_LT(written, bytes.size());
  EXPECT_EQ(port->lastError(), ETIMEDOUT);
}

TEST_F(TermiosSerialTest, PurgeDropsWaitingInputAndClearErrorCountsIt) {
  std::unique_ptr<SerialPort> port = openAgentPort();
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->setTimeouts(kNoWait));

  writeMaster(QByteArray("hello"));
  ASSERT_EQ(awaitWaiting(*port, 5), 5);
  const std::optional<SerialPort::Status> status = port->clearError();
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(status->bytesWaiting, 5);
  EXPECT_EQ(status->errorFlags, 0U);

  ASSERT_TRUE(port->purge());
  ASSERT_TRUE(port->clearError().has_value());
  EXPECT_EQ(port->clearError()->bytesWaiting, 0);
  char buffer[16];
  EXPECT_EQ(port->read(buffer, sizeof buffer), 0);

  // The port goes on after the purge.
  writeMaster(QByteArray("again"));
  EXPECT_EQ(readAll(*port, 5), QByteArray("again"));
}

TEST_F(TermiosSerialTest, LineSettingsApplyAndReadBack) {
  std::unique_ptr<SerialPort> port = openAgentPort();
  ASSERT_NE(port, nullptr);
  SerialLineSettings agent;
  ASSERT_TRUE(port->lineSettings(agent));
  EXPECT_EQ(agent.baud, 57600U);
  EXPECT_EQ(agent.parity, SerialLineSettings::Parity::None);
  EXPECT_EQ(agent.dataBits, 8);
  EXPECT_EQ(agent.stopBits, SerialLineSettings::StopBits::One);

  // Every rate the mode text takes, the device takes too.
  for (const quint32 baud :
       {50U,     75U,     110U,    134U,    150U,    200U,    300U,    600U,    1200U,
        1800U,   2400U,   4800U,   9600U,   14400U,  19200U,  38400U,  56000U,  57600U,
        115200U, 128000U, 230400U, 256000U, 460800U, 500000U, 576000U, 921600U, 1000000U}) {
    SCOPED_TRACE(baud);
    SerialLineSettings settings = agent;
    if (!BuildLineSettings(QStringLiteral("baud=%1").arg(baud), settings)) {
      continue;
    }
    ASSERT_TRUE(port->applyLineSettings(settings)) << port->lastError();
    SerialLineSettings taken;
    ASSERT_TRUE(port->lineSettings(taken));
    EXPECT_EQ(taken.baud, baud);
  }

  // Whatever a device makes of other settings, it never reports one state and holds another,
  // and a refused change leaves the port as it was.
  ASSERT_TRUE(port->applyLineSettings(agent));
  for (const QString& mode :
       {QStringLiteral("parity=E data=7"), QStringLiteral("parity=M"), QStringLiteral("data=5"),
        QStringLiteral("stop=2"), QStringLiteral("stop=2 parity=E"), QStringLiteral("xon=on"),
        QStringLiteral("octs=on"), QStringLiteral("rts=hs dtr=off")}) {
    SCOPED_TRACE(escapedText(mode));
    SerialLineSettings wanted = agent;
    ASSERT_TRUE(BuildLineSettings(mode, wanted));
    SerialLineSettings taken;
    if (port->applyLineSettings(wanted)) {
      ASSERT_TRUE(port->lineSettings(taken));
      EXPECT_TRUE(taken == wanted);
      ASSERT_TRUE(port->applyLineSettings(agent));
    } else {
      EXPECT_NE(port->lastError(), 0);
      ASSERT_TRUE(port->lineSettings(taken));
      EXPECT_TRUE(taken == agent);
    }
  }

  // The mode text refused a rate the device cannot take; set directly, it fails the same way.
  SerialLineSettings odd = agent;
  odd.baud = 14400;
  EXPECT_FALSE(port->applyLineSettings(odd));
  EXPECT_EQ(port->lastError(), EINVAL);
}

TEST_F(TermiosSerialTest, OpeningClearsFlowControlAndProcessingTheTextDoesNotAskFor) {
  presetLeftoverTermios();
  std::unique_ptr<SerialPort> port = openAgentPort();
  ASSERT_NE(port, nullptr);

  termios t{};
  ASSERT_EQ(::tcgetattr(slave_, &t), 0) << errno;
  struct Flag {
    const char* name;
    tcflag_t termios::*word;
    tcflag_t bits;
  };
  const Flag leftovers[] = {
      {"IXON", &termios::c_iflag, IXON},     {"IXOFF", &termios::c_iflag, IXOFF},
      {"IXANY", &termios::c_iflag, IXANY},   {"CRTSCTS", &termios::c_cflag, CRTSCTS},
      {"ICRNL", &termios::c_iflag, ICRNL},   {"INLCR", &termios::c_iflag, INLCR},
      {"IGNCR", &termios::c_iflag, IGNCR},   {"ISTRIP", &termios::c_iflag, ISTRIP},
      {"PARMRK", &termios::c_iflag, PARMRK}, {"INPCK", &termios::c_iflag, INPCK},
      {"IGNPAR", &termios::c_iflag, IGNPAR}, {"OPOST", &termios::c_oflag, OPOST},
      {"ONLCR", &termios::c_oflag, ONLCR},   {"ECHO", &termios::c_lflag, ECHO},
      {"ICANON", &termios::c_lflag, ICANON}, {"ISIG", &termios::c_lflag, ISIG},
      {"IEXTEN", &termios::c_lflag, IEXTEN},
  };
  for (const Flag& flag : leftovers) {
    EXPECT_EQ(t.*flag.word & flag.bits, tcflag_t{0}) << flag.name;
  }
  EXPECT_NE(t.c_cflag & CLOCAL, tcflag_t{0});
  EXPECT_NE(t.c_cflag & CREAD, tcflag_t{0});

  SerialLineSettings taken;
  ASSERT_TRUE(port->lineSettings(taken));
  EXPECT_EQ(taken.xonXoff, SerialLineSettings::Switch::Off);
  EXPECT_EQ(taken.ctsFlow, SerialLineSettings::Switch::Off);
  EXPECT_EQ(taken.rts, SerialLineSettings::LineControl::On);

  // Even before a mode text is applied, the open device holds none of it.
  ASSERT_TRUE(port->close());
  presetLeftoverTermios();
  port = devices_->open(QStringLiteral("COM42"));
  ASSERT_NE(port, nullptr) << devices_->lastError();
  ASSERT_EQ(::tcgetattr(slave_, &t), 0) << errno;
  for (const Flag& flag : leftovers) {
    EXPECT_EQ(t.*flag.word & flag.bits, tcflag_t{0}) << "at open: " << flag.name;
  }
}

TEST_F(TermiosSerialTest, ThePeersXoffAndXonAreDataAndNeverHoldUpAFrame) {
  presetLeftoverTermios();
  std::unique_ptr<SerialPort> port = openAgentPort();
  ASSERT_NE(port, nullptr);
  // A frame that stalls times out and comes back short instead of hanging the test.
  ASSERT_TRUE(port->setTimeouts({0xFFFFFFFFU, 0, 1000, 0, 1000}));

  // The marker after XOFF shows that the line discipline has seen the XOFF by the time it is
  // read, so a port that took XOFF as flow control would now hold its output.
  writeMaster(QByteArray("\x13m"));
  EXPECT_EQ(readAll(*port, 2), QByteArray("\x13m"));

  const QByteArray frame("<<OK|1>>\n");
  ASSERT_EQ(frame.size(), 9);
  EXPECT_EQ(port->write(frame), frame.size()) << port->lastError();
  EXPECT_EQ(readMaster(frame.size()), frame);

  writeMaster(QByteArray("\x11"));
  EXPECT_EQ(readAll(*port, 1), QByteArray("\x11"));

  // With the processing another program left gone, every byte value crosses as it is; an echo
  // to the peer would come before the written bytes.
  const QByteArray bytes = allByteValues();
  writeMaster(bytes);
  EXPECT_EQ(readAll(*port, bytes.size()), bytes);
  EXPECT_EQ(port->write(bytes), bytes.size());
  EXPECT_EQ(readMaster(bytes.size()), bytes);
}

TEST_F(TermiosSerialTest, ModemLinesAPseudoTerminalLacksFailWithoutHarm) {
  std::unique_ptr<SerialPort> port = openAgentPort();
  ASSERT_NE(port, nullptr);
  for (const ModemLine line : {ModemLine::Dtr, ModemLine::Rts, ModemLine::Break}) {
    for (const bool on : {true, false}) {
      SCOPED_TRACE(static_cast<int>(line) * 2 + (on ? 1 : 0));
      if (!port->setModemLine(line, on)) {
        EXPECT_TRUE(port->lastError() == ENOTTY || port->lastError() == EINVAL)
            << port->lastError();
      }
    }
  }
  writeMaster(QByteArray("still"));
  EXPECT_EQ(readAll(*port, 5), QByteArray("still"));
}

TEST_F(TermiosSerialTest, AMissingDeviceFailsWithItsErrnoAndTheSystemsMessage) {
  EXPECT_EQ(devices_->open(QStringLiteral("COM44")), nullptr);
  EXPECT_EQ(devices_->lastError(), ENOENT);
  EXPECT_EQ(devices_->systemMessage(ENOENT), QStringLiteral("No such file or directory"));
  EXPECT_EQ(devices_->systemMessage(EBUSY), QStringLiteral("Device or resource busy"));
  EXPECT_FALSE(devices_->systemMessage(123456).isEmpty());
}

TEST_F(TermiosSerialTest, AClosedPortRefusesEveryCallButAnotherClose) {
  std::unique_ptr<SerialPort> port = openAgentPort();
  ASSERT_NE(port, nullptr);
  ASSERT_TRUE(port->close());
  char buffer[4];
  EXPECT_EQ(port->read(buffer, sizeof buffer), -1);
  EXPECT_EQ(port->lastError(), EBADF);
  EXPECT_EQ(port->write(QByteArray("x")), -1);
  EXPECT_FALSE(port->purge());
  EXPECT_FALSE(port->clearError().has_value());
  EXPECT_FALSE(port->setModemLine(ModemLine::Dtr, true));
  EXPECT_EQ(port->lastError(), EBADF);
  EXPECT_TRUE(port->close());
}

TEST_F(TermiosSerialTest, AReadEndsWhenTheOtherSideHangsUp) {
  std::unique_ptr<SerialPort> port = openAgentPort();
  ASSERT_NE(port, nullptr);
  // No time-out at all: only the hang-up can end this read. Should it not, the alarm ends the
  // run instead of letting it hang.
  ASSERT_TRUE(port->setTimeouts({0, 0, 0, 0, 0}));
  ::alarm(kAlarmSeconds);
  ::close(master_);
  master_ = -1;
  char buffer[16];
  EXPECT_EQ(port->read(buffer, sizeof buffer), -1);
  EXPECT_EQ(port->lastError(), EIO);
  // The agent's own read fails as well, and so do the queue count and a write.
  ASSERT_TRUE(port->setTimeouts(kAgentTimeouts));
  EXPECT_EQ(port->read(buffer, sizeof buffer), -1);
  EXPECT_FALSE(port->clearError().has_value());
  EXPECT_EQ(port->write(QByteArray("late")), -1);
  EXPECT_TRUE(port->close());
  ::alarm(0);
}

}  // namespace
