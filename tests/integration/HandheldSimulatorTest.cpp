#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "tests/support/TestPrinting.h"

// The handheld simulator as the end-to-end tests use it: started in --pty mode, with the test
// holding the agent's end of the pseudo-terminal.

namespace {

using namespace std::string_view_literals;

// Generous bounds on waits for the other process; nothing here measures how long anything took.
constexpr int kWaitMs = 10000;
constexpr int kStepMs = 20;

const QString kProgram = QStringLiteral(CORVANE_HANDHELD_PROGRAM);

// Bytes with NULs inside.
QByteArray bytesOf(std::string_view text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

bool setRaw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) {
    return false;
  }
  cfmakeraw(&t);
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

// An output line without its time stamp, which differs from run to run.
QString withoutStamp(const QString& line) {
  static const QRegularExpression stamp(QStringLiteral(R"(^(RECV|JUNK|HANGUP) \d+\.\d{3}( |$))"));
  QString out = line;
  return out.replace(stamp, QStringLiteral("\\1\\2"));
}

class HandheldSimulatorTest : public ::testing::Test {
 protected:
  void TearDown() override {
    closeDevice();
    if (tool_.state() != QProcess::NotRunning) {
      tool_.kill();
      (void)tool_.waitForFinished(kWaitMs);
    }
  }

  // Starts the simulator with --pty and `arguments`, gives it `script` on standard input, and
  // takes the device from its first line.
  void start(const QStringList& arguments, const QByteArray& script = {}) {
    tool_.start(kProgram, QStringList{QStringLiteral("--pty")} + arguments);
    ASSERT_TRUE(tool_.waitForStarted(kWaitMs)) << tool_.errorString().toStdString();
    ASSERT_NO_FATAL_FAILURE(giveScript(script));
    ASSERT_TRUE(waitFor([this] { return !lines_.isEmpty(); })) << "no DEVICE line";
    const QString first = lines_.takeFirst();
    ASSERT_TRUE(first.startsWith(QStringLiteral("DEVICE /dev/"))) << first.toStdString();
    devicePath_ = first.mid(7);
  }

  // QProcess writes only while one of its waits runs; the script must be on its way before the
  // test turns to the device.
  void giveScript(const QByteArray& script) {
    if (!script.isEmpty()) {
      ASSERT_EQ(tool_.write(script), script.size());
      ASSERT_TRUE(tool_.waitForBytesWritten(kWaitMs));
    }
    tool_.closeWriteChannel();
  }

  void openDevice(const QString& path) {
    closeDevice();
    device_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(device_, 0) << path.toStdString();
    ASSERT_TRUE(setRaw(device_));
  }

  void closeDevice() {
    if (device_ >= 0) {
      (void)::close(device_);
      device_ = -1;
    }
  }

  void writeDevice(const QByteArray& bytes) {
    qsizetype written = 0;
    QDeadlineTimer deadline(kWaitMs);
    while (written < bytes.size() && !deadline.hasExpired()) {
      const ssize_t n = ::write(device_, bytes.constData() + written,
                                static_cast<std::size_t>(bytes.size() - written));
      if (n > 0) {
        written += n;
      } else {
        QThread::msleep(kStepMs);
      }
    }
    ASSERT_EQ(written, bytes.size());
  }

  // Reads from the device until `done` says so or the wait runs out.
  QByteArray readDeviceUntil(const std::function<bool(const QByteArray&)>& done) {
    QByteArray got;
    QDeadlineTimer deadline(kWaitMs);
    while (!done(got) && !deadline.hasExpired()) {
      drainDevice(got, kStepMs);
    }
    return got;
  }

  QByteArray readDevice(qsizetype count) {
    return readDeviceUntil([count](const QByteArray& got) { return got.size() >= count; });
  }

  // Everything the simulator sends until it ends by itself; its exit code.
  int readDeviceToTheEnd(QByteArray& got) {
    QDeadlineTimer deadline(kWaitMs);
    while (!tool_.waitForFinished(kStepMs) && !deadline.hasExpired()) {
      drainDevice(got, 0);
    }
    drainDevice(got, 0);
    return exitCode();
  }

  void drainDevice(QByteArray& into, int waitMs) {
    pollfd p{device_, POLLIN, 0};
    if (::poll(&p, 1, waitMs) <= 0 || (p.revents & POLLIN) == 0) {
      return;
    }
    std::array<char, 512> chunk{};
    ssize_t n = 0;
    while ((n = ::read(device_, chunk.data(), chunk.size())) > 0) {
      into.append(chunk.data(), n);
    }
  }

  // Waits for `done`, taking in the simulator's output meanwhile.
  bool waitFor(const std::function<bool()>& done) {
    QDeadlineTimer deadline(kWaitMs);
    takeOutput();
    while (!done()) {
      if (deadline.hasExpired() || tool_.state() == QProcess::NotRunning) {
        takeOutput();
        return done();
      }
      (void)tool_.waitForReadyRead(kStepMs);
      takeOutput();
    }
    return true;
  }

  qsizetype countLines(const QString& pattern) const {
    const QRegularExpression expression(pattern);
    return std::count_if(lines_.begin(), lines_.end(),
                         [&](const QString& line) { return expression.match(line).hasMatch(); });
  }

  bool waitForLines(const QString& pattern, qsizetype count) {
    return waitFor([&] { return countLines(pattern) >= count; });
  }

  // Ends the simulator as a test harness does (SIGTERM); its exit code.
  int stop() {
    tool_.terminate();
    return exitCode();
  }

  int exitCode() {
    if (tool_.state() != QProcess::NotRunning && !tool_.waitForFinished(kWaitMs)) {
      ADD_FAILURE() << "the simulator did not end";
      return -1;
    }
    takeOutput();
    EXPECT_EQ(tool_.exitStatus(), QProcess::NormalExit);
    return tool_.exitCode();
  }

  void takeOutput() {
    partial_ += tool_.readAllStandardOutput();
    qsizetype end = 0;
    while ((end = partial_.indexOf('\n')) >= 0) {
      lines_.append(QString::fromUtf8(partial_.left(end)));
      partial_.remove(0, end + 1);
    }
    errors_ += QString::fromUtf8(tool_.readAllStandardError());
  }

  QStringList linesWithoutStamps() const {
    QStringList out;
    for (const QString& line : lines_) {
      out.append(withoutStamp(line));
    }
    return out;
  }

  QProcess tool_;
  QString devicePath_;
  int device_ = -1;
  QStringList lines_;
  QByteArray partial_;
  QString errors_;
};

// --- What the agent sends, as the simulator prints it -------------------------------------------

struct ReceiveCase {
  const char* name;
  std::vector<QByteArray> writes;  // each one write from the agent's side
  QStringList expected;            // the output lines after DEVICE, without time stamps
};

void PrintTo(const ReceiveCase& c, std::ostream* os) { *os << c.name; }

class SimulatorPrintsReceived : public HandheldSimulatorTest,
                                public ::testing::WithParamInterface<ReceiveCase> {};

TEST_P(SimulatorPrintsReceived, FramesJunkAndHangUp) {
  ASSERT_NO_FATAL_FAILURE(start({QStringLiteral("--forever")}));
  ASSERT_NO_FATAL_FAILURE(openDevice(devicePath_));
  for (const QByteArray& bytes : GetParam().writes) {
    ASSERT_NO_FATAL_FAILURE(writeDevice(bytes));
    // Lets a frame that spans writes arrive in parts; the output must not depend on it.
    QThread::msleep(50);
  }
  // The hang-up line shows that everything before it has been read.
  closeDevice();
  ASSERT_TRUE(waitForLines(QStringLiteral("^HANGUP "), 1)) << errors_.toStdString();
  EXPECT_EQ(stop(), 0);
  EXPECT_EQ(linesWithoutStamps(), GetParam().expected) << lines_.join(u'\n').toStdString();
  for (const QString& line : lines_) {
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^(RECV|JUNK|HANGUP) \d+\.\d{3}( |$))"))
                    .match(line)
                    .hasMatch())
        << line.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Agent, SimulatorPrintsReceived,
    ::testing::Values(
        ReceiveCase{"OneFrame", {"<<DIRLIST|Music|>>"}, {"RECV <<DIRLIST|Music|>>", "HANGUP"}},
        ReceiveCase{"FrameOverThreeWrites",
                    {"<<DIRL", "IST|Mu", "sic|>>"},
                    {"RECV <<DIRLIST|Music|>>", "HANGUP"}},
        ReceiveCase{"TwoFramesInOneWrite",
                    {"<<A|1|2>><<B|3|4>>"},
                    {"RECV <<A|1|2>>", "RECV <<B|3|4>>", "HANGUP"}},
        // The sync signature in front of a frame; BE EF ED are the code page's ¾ ï í.
        ReceiveCase{"JunkBeforeAFrame",
                    {"\xBE\xEF\xED\x03\x03\x02<<A|1|2>>"},
                    {QString::fromUtf8("JUNK \u00BE\u00EF\u00ED\\x03\\x03\\x02"), "RECV <<A|1|2>>",
                     "HANGUP"}},
        // Controls (NUL, 0x01, DEL, an undefined code) as \xNN, the code page's € and é as
        // themselves, a backslash doubled.
        ReceiveCase{
            "ControlsCodePageAndBackslash",
            {bytesOf("<<T|\0\x01\x7F\x81|\x80\xE9\\x>>"sv)},
            {QString::fromUtf8("RECV <<T|\\x00\\x01\\x7F\\x81|\u20AC\u00E9\\\\x>>"), "HANGUP"}},
        ReceiveCase{"UnendedFrameIsJunkAtExit",
                    {"<<A|1|2>>", "<<NO_END|"},
                    {"RECV <<A|1|2>>", "HANGUP", "JUNK <<NO_END|"}}),
    [](const ::testing::TestParamInfo<ReceiveCase>& param) {
      return std::string(param.param.name);
    });

// --- What the simulator sends, as the agent reads it --------------------------------------------

struct SendCase {
  const char* name;
  QStringList arguments;
  QByteArray script;  // standard input
  QByteArray expected;
};

void PrintTo(const SendCase& c, std::ostream* os) { *os << c.name; }

class SimulatorSends : public HandheldSimulatorTest,
                       public ::testing::WithParamInterface<SendCase> {};

TEST_P(SimulatorSends, BytesArriveExactly) {
  ASSERT_NO_FATAL_FAILURE(start(GetParam().arguments, GetParam().script));
  ASSERT_NO_FATAL_FAILURE(openDevice(devicePath_));
  QByteArray got;
  EXPECT_EQ(readDeviceToTheEnd(got), 0) << errors_.toStdString();
  EXPECT_EQ(got, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Simulator, SimulatorSends,
    ::testing::Values(
        SendCase{"Frame", {"<<DIRLIST|Music|>>"}, {}, "<<DIRLIST|Music|>>"},
        SendCase{"SyncSignatureAsEscapes",
                 {"--raw", "--escapes", "\\xBE\\xEF\\xED\\x03\\x03\\x02"},
                 {},
                 "\xBE\xEF\xED\x03\x03\x02"},
        SendCase{"EscapesInAFrame",
                 {"--escapes", "<<A|\\x00\\\\|\\r\\n\\xbe>>"},
                 {},
                 bytesOf("<<A|\0\\|\r\n\xBE>>"sv)},
        // é € ÿ have code-page bytes; Ω has none and goes out as "?".
        SendCase{"CodePage",
                 {QString::fromUtf8("<<T|\u00E9\u20AC\u00FF\u03A9|>>")},
                 {},
                 "<<T|\xE9\x80\xFF?|>>"},
        SendCase{"FramesWithAGap", {"--gap", "20", "<<A||>>", "<<B||>>"}, {}, "<<A||>><<B||>>"},
        SendCase{"FramesTogether", {"--together", "<<A||>>", "<<B||>>"}, {}, "<<A||>><<B||>>"},
        SendCase{"Script",
                 {"--stdin"},
                 "# a comment\n\n<<A|1|2>>\r\nwait 10\n   <<B|3|4>>\n<<C|5|6>>",
                 "<<A|1|2>><<B|3|4>><<C|5|6>>"},
        SendCase{"RawScriptKeepsBlanks",
                 {"--stdin", "--raw", "--escapes"},
                 "\\x00\\x01\n  spaced text \n",
                 bytesOf("\0\x01  spaced text "sv)},
        SendCase{"CommandLineBeforeScript",
                 {"--stdin", "<<FIRST||>>"},
                 "<<SECOND||>>\n",
                 "<<FIRST||>><<SECOND||>>"}),
    [](const ::testing::TestParamInfo<SendCase>& param) { return std::string(param.param.name); });

// --- expect -------------------------------------------------------------------------------------

TEST_F(HandheldSimulatorTest, ExpectHoldsTheScriptUntilAFrameMatches) {
  ASSERT_NO_FATAL_FAILURE(start({"--stdin"},
                                "<<PING||>>\n"
                                "expect ^<<PONG\\|ok\\|>>$ 10000\n"
                                "<<AFTER||>>\n"));
  ASSERT_NO_FATAL_FAILURE(openDevice(devicePath_));
  const QByteArray ping = "<<PING||>>";
  EXPECT_EQ(readDevice(ping.size()), ping);
  // A frame that does not match leaves the script waiting.
  ASSERT_NO_FATAL_FAILURE(writeDevice("<<PONG|no|>>"));
  ASSERT_TRUE(waitForLines(QStringLiteral(R"(^RECV \S+ <<PONG\|no\|>>$)"), 1));
  ASSERT_NO_FATAL_FAILURE(writeDevice("<<PONG|ok|>>"));
  QByteArray got;
  EXPECT_EQ(readDeviceToTheEnd(got), 0) << errors_.toStdString();
  EXPECT_EQ(got, "<<AFTER||>>");
}

TEST_F(HandheldSimulatorTest, ExpectFindsAFrameThatCameBeforeIt) {
  ASSERT_NO_FATAL_FAILURE(start({"--stdin"},
                                "expect FIRST 10000\n"
                                "expect SECOND 10000\n"
                                "<<DONE||>>\n"));
  ASSERT_NO_FATAL_FAILURE(openDevice(devicePath_));
  // Both in one write: the second has arrived by the time the script reaches its expect.
  ASSERT_NO_FATAL_FAILURE(writeDevice("<<FIRST||>><<SECOND||>>"));
  QByteArray got;
  EXPECT_EQ(readDeviceToTheEnd(got), 0) << errors_.toStdString();
  EXPECT_EQ(got, "<<DONE||>>");
}

TEST_F(HandheldSimulatorTest, ExpectTimeOutEndsWithCode3AndSendsNoMore) {
  ASSERT_NO_FATAL_FAILURE(start({"--stdin"}, "expect NEVER 200\n<<NOT_SENT||>>\n"));
  ASSERT_NO_FATAL_FAILURE(openDevice(devicePath_));
  QByteArray got;
  EXPECT_EQ(readDeviceToTheEnd(got), 3);
  EXPECT_EQ(got, "");
  EXPECT_TRUE(errors_.contains(QStringLiteral("NEVER"))) << errors_.toStdString();
}

// --- The agent's side comes and goes ------------------------------------------------------------

TEST_F(HandheldSimulatorTest, SurvivesHangUpsAndSendsAfterTheAgentReopens) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString link = dir.filePath(QStringLiteral("corvane-pty"));
  ASSERT_NO_FATAL_FAILURE(
      start({"--stdin", "--forever", "--link", link}, "expect ROUND\\|0 10000\n<<REPLY||>>\n"));
  EXPECT_EQ(QFileInfo(link).symLinkTarget(), devicePath_);

  ASSERT_NO_FATAL_FAILURE(openDevice(link));
  ASSERT_NO_FATAL_FAILURE(writeDevice("<<ROUND|0|>>"));
  closeDevice();
  ASSERT_TRUE(waitForLines(QStringLiteral("^HANGUP "), 1)) << errors_.toStdString();

  // The reply waited for somebody to be there.
  ASSERT_NO_FATAL_FAILURE(openDevice(link));
  const QByteArray reply = "<<REPLY||>>";
  EXPECT_EQ(readDevice(reply.size()), reply);
  ASSERT_NO_FATAL_FAILURE(writeDevice("<<ROUND|1|>>"));
  closeDevice();
  ASSERT_TRUE(waitForLines(QStringLiteral("^HANGUP "), 2)) << errors_.toStdString();

  EXPECT_EQ(stop(), 0);
  EXPECT_EQ(linesWithoutStamps(),
            QStringList({"RECV <<ROUND|0|>>", "HANGUP", "RECV <<ROUND|1|>>", "HANGUP"}));
  EXPECT_FALSE(QFileInfo(link).isSymLink()) << "the link outlived the simulator";
}

TEST_F(HandheldSimulatorTest, LinkNeverReplacesAFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("notes.txt"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write("keep me"), 7);
  file.close();

  tool_.start(kProgram, {"--pty", "--link", path});
  EXPECT_EQ(exitCode(), 2);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "keep me");
}

// --- An existing device -------------------------------------------------------------------------

TEST_F(HandheldSimulatorTest, DeviceModeTalksOverAnExistingTerminal) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(master, 0);
  device_ = master;  // closed by the fixture
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  ASSERT_TRUE(setRaw(master));
  const QString slave = QString::fromLocal8Bit(ptsname(master));

  tool_.start(kProgram, {"--device", slave, "--forever", QString::fromUtf8("<<HELLO|\u00E9|>>")});
  ASSERT_TRUE(tool_.waitForStarted(kWaitMs));
  ASSERT_TRUE(waitForLines(QStringLiteral("^DEVICE "), 1));
  EXPECT_EQ(lines_.takeFirst(), QStringLiteral("DEVICE ") + slave);

  // The argument came in as UTF-8 and leaves in the code page.
  const QByteArray hello = "<<HELLO|\xE9|>>";
  EXPECT_EQ(readDevice(hello.size()), hello);
  ASSERT_NO_FATAL_FAILURE(writeDevice("<<BACK|1|2>>"));
  ASSERT_TRUE(waitForLines(QStringLiteral("^RECV "), 1)) << errors_.toStdString();
  EXPECT_EQ(stop(), 0);
  EXPECT_EQ(linesWithoutStamps(), QStringList({"RECV <<BACK|1|2>>"}));
}

// --- Usage and device errors --------------------------------------------------------------------

struct UsageCase {
  const char* name;
  QStringList arguments;
  QByteArray script;
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class SimulatorRefuses : public HandheldSimulatorTest,
                         public ::testing::WithParamInterface<UsageCase> {};

TEST_P(SimulatorRefuses, WithCode2AndAMessage) {
  tool_.start(kProgram, GetParam().arguments);
  ASSERT_TRUE(tool_.waitForStarted(kWaitMs));
  ASSERT_NO_FATAL_FAILURE(giveScript(GetParam().script));
  EXPECT_EQ(exitCode(), 2);
  EXPECT_TRUE(errors_.startsWith(QStringLiteral("corvane-handheld: "))) << errors_.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Usage, SimulatorRefuses,
    ::testing::Values(UsageCase{"UnknownOption", {"--pty", "--bogus"}, {}},
                      UsageCase{"NoDevice", {"<<A||>>"}, {}},
                      UsageCase{"DeviceAndPty", {"--pty", "--device", "/dev/null"}, {}},
                      UsageCase{
                          "LinkWithoutPty", {"--device", "/dev/null", "--link", "/tmp/x"}, {}},
                      UsageCase{"MissingDevice", {"--device", "/nonexistent/ttyS9"}, {}},
                      UsageCase{"DeviceIsNoTerminal", {"--device", "/dev/null"}, {}},
                      UsageCase{"NotAFrame", {"--pty", "DIRLIST|Music|"}, {}},
                      UsageCase{"UnknownEscape", {"--pty", "--escapes", "<<A|\\q|>>"}, {}},
                      UsageCase{"ShortHexEscape", {"--pty", "--escapes", "<<A|\\x4|>>"}, {}},
                      UsageCase{"GapNotANumber", {"--pty", "--gap", "soon"}, {}},
                      UsageCase{"NegativeListen", {"--pty", "--listen", "-5"}, {}},
                      UsageCase{"ListenAndForever", {"--pty", "--listen", "5", "--forever"}, {}},
                      UsageCase{"ScriptBadPattern", {"--pty", "--stdin"}, "expect (unclosed\n"},
                      UsageCase{"ScriptWaitWithoutNumber", {"--pty", "--stdin"}, "wait soon\n"},
                      UsageCase{"ScriptLineNotAFrame", {"--pty", "--stdin"}, "<<A||>>\nhello\n"}),
    [](const ::testing::TestParamInfo<UsageCase>& param) { return std::string(param.param.name); });

}  // namespace
