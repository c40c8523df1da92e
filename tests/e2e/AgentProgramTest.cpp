#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "tests/support/SimulatorProcess.h"
#include "tests/support/X11TestWindows.h"

// The built agent as a user installs and starts it: copied into a program folder of its own with
// a config.ini whose saved port is the handheld simulator's pseudo-terminal, under the test's X
// desktop, with the real office. The handheld drives it over the link; it ends on a request from
// outside and on closing its window.
namespace {

constexpr int kPort = 42;
constexpr int kStartMs = 15000;
constexpr int kFrameMs = 30000;  // a first ACTIVATE starts the office
constexpr int kEndMs = 20000;
const QByteArray kWindowTitle = "CorvaneControl - Desktop";

// Every office the agent with this process id started: its pipe names begin with the id.
std::vector<qint64> officesOf(qint64 agentPid) {
  const QByteArray marker = "name=corvane-" + QByteArray::number(agentPid) + '-';
  std::vector<qint64> offices;
  for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    bool numeric = false;
    const qint64 pid = entry.toLongLong(&numeric);
    QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
    if (numeric && cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(marker)) {
      offices.push_back(pid);
    }
  }
  return offices;
}

class AgentProgramTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(folder_->isValid());
    const QDir program(folder_->path());
    for (const char* sub : {"Shared/Presentations/Notes", "Shared/Docs"}) {
      ASSERT_TRUE(program.mkpath(QString::fromLatin1(sub)));
    }
    ASSERT_TRUE(QFile::copy(QStringLiteral(CORVANE_AGENT_PROGRAM), agentPath()));
    ASSERT_TRUE(QFile::setPermissions(agentPath(),
                                      QFile::permissions(QStringLiteral(CORVANE_AGENT_PROGRAM))));
    for (const char* name : {"b.txt", "a.pdf"}) {
      QFile file(program.filePath(QStringLiteral("Shared/Docs/") + QString::fromLatin1(name)));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const int made = QProcess::execute(
        QStringLiteral("bash"),
        {QStringLiteral(CORVANE_MAKE_PRESENTATIONS), QStringLiteral(CORVANE_PRESENTATION_FIXTURE),
         program.filePath(QStringLiteral("Shared/Talks"))});
    ASSERT_EQ(made, 0) << "the test presentations could not be made";
  }
  static void TearDownTestSuite() { folder_.reset(); }

  static QString agentPath() { return folder_->filePath(QStringLiteral("Corvane")); }

  void SetUp() override {
    ASSERT_TRUE(folder_);
    ASSERT_TRUE(link_.isValid());
    const QString device = link_.filePath(QStringLiteral("handheld"));
    ASSERT_TRUE(simulator_.start(device));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CORVANE_SERIAL_PORTS"),
                       QStringLiteral("%1=%2").arg(kPort).arg(device));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));  // the real X desktop
    agent_.setProcessEnvironment(environment);
    agent_.setProcessChannelMode(QProcess::ForwardedChannels);
  }

  // Starts the agent with the settings file `config`; by default the one of a user who used the
  // handheld's port before.
  void startAgent(const QByteArray& config = QByteArray("[Communications]\r\nPort=") +
                                             QByteArray::number(kPort) + "\r\n") {
    QFile file(folder_->filePath(QStringLiteral("config.ini")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(config);
    file.close();
    agent_.start(agentPath(), {});
    ASSERT_TRUE(agent_.waitForStarted(kStartMs));
  }

  void TearDown() override {
    if (agent_.state() != QProcess::NotRunning) {
      agent_.kill();
      agent_.waitForFinished(kEndMs);
    }
  }

  // The first frame from `from` on that matches; "" when none came in time.
  QString frameMatching(const QString& pattern, std::size_t from, int timeoutMs = kFrameMs) {
    return simulator_.frameMatching(pattern, from, timeoutMs);
  }

  // Sends the frame until the agent answers it: the link comes up a moment after the process.
  QString askUntilAnswered(const QString& frame, const QString& answer) {
    QString reply;
    (void)SimulatorProcess::waitUntil(
        [&] {
          const std::size_t before = simulator_.received().size();
          simulator_.send(frame);
          reply = frameMatching(answer, before, 1000);
          return !reply.isEmpty();
        },
        kStartMs);
    return reply;
  }

  bool endsCleanly() {
    const bool ended = agent_.waitForFinished(kEndMs);
    return ended && agent_.exitStatus() == QProcess::NormalExit && agent_.exitCode() == 0;
  }

  static std::unique_ptr<QTemporaryDir> folder_;
  QTemporaryDir link_;
  SimulatorProcess simulator_;
  QProcess agent_;
};

std::unique_ptr<QTemporaryDir> AgentProgramTest::folder_;

TEST_F(AgentProgramTest, StartsWithTheLinkAndServesTheHandheldUntilAskedToEnd) {
  startAgent();
  const QString version =
      askUntilAnswered(QStringLiteral("<<INFO|VERSION|>>"), QStringLiteral("^<<INFO\\|VERSION\\|"));
  EXPECT_TRUE(QRegularExpression(
                  QStringLiteral("^<<INFO\\|VERSION\\|<PRODUCT>QZD</PRODUCT><VERSION>\\d+\\.\\d+"
                                 "\\.\\d+</VERSION><SOURCE></SOURCE><SOURCE_URL></SOURCE_URL>"
                                 "<PLAYLIST></PLAYLIST><SONG></SONG><STATUS>FFF</STATUS>"
                                 "<VOL>\\d+</VOL> >>$"))
                  .match(version)
                  .hasMatch())
      << version.toStdString();
  // With its saved port it waits in the tray: its window is not on the screen.
  X11TestWindows desktop;
  ASSERT_TRUE(desktop.isOpen());
  EXPECT_EQ(desktop.findByTitle(kWindowTitle), 0u) << "the window should be in the tray";

  std::size_t before = simulator_.received().size();
  simulator_.send(QStringLiteral("<<DIRLIST|Docs|>>"));
  EXPECT_EQ(frameMatching(QStringLiteral("^<<DIRLIST\\|"), before),
            QStringLiteral("<<DIRLIST|Docs|Ia.pdf:Ib.txt>>"));

  before = simulator_.received().size();
  simulator_.send(QStringLiteral("<<ACTIVATE|Talks|presentation.odp>>"));
  const QString entry = frameMatching(QStringLiteral("^<<PRESNOTE\\|UPDATE\\|"), before);
  EXPECT_TRUE(entry.contains(QStringLiteral("<CURRENT_SLIDE>1</CURRENT_SLIDE>")))
      << entry.toStdString();
  EXPECT_FALSE(
      frameMatching(QStringLiteral("^<<CHANGEUI\\|POWERPOINT\\|TRUE>>$"), before).isEmpty());
  EXPECT_FALSE(officesOf(agent_.processId()).empty()) << "the show runs in the agent's own office";

  before = simulator_.received().size();
  simulator_.send(QStringLiteral("<<PRESENT|RIGHT|>>"));
  simulator_.send(QStringLiteral("<<PRESENT|SEND_NOTES|>>"));
  const QString second = frameMatching(QStringLiteral("^<<PRESNOTE\\|UPDATE\\|"), before);
  EXPECT_TRUE(second.contains(QStringLiteral("<CURRENT_SLIDE>2</CURRENT_SLIDE>")))
      << second.toStdString();

  const qint64 pid = agent_.processId();
  ASSERT_EQ(kill(static_cast<pid_t>(pid), SIGTERM), 0);
  EXPECT_TRUE(endsCleanly());
  EXPECT_TRUE(SimulatorProcess::waitUntil([&] { return officesOf(pid).empty(); }, kEndMs))
      << "the agent's office outlived it";
  QFile config(folder_->filePath(QStringLiteral("config.ini")));
  ASSERT_TRUE(config.open(QIODevice::ReadOnly));
  EXPECT_TRUE(config.readAll().contains("Port=42")) << "the settings were saved as they were";
}

// Without a saved port the window comes up for the user to choose one; closing it ends the agent
// and saves the settings.
TEST_F(AgentProgramTest, EndsWhenItsWindowIsClosed) {
  startAgent("[Buttons]\r\nApp_A=/usr/bin/true\r\n");
  X11TestWindows desktop;
  ASSERT_TRUE(desktop.isOpen());
  X11TestWindows::Id window = 0;
  ASSERT_TRUE(desktop.waitUntil([&] { return (window = desktop.findByTitle(kWindowTitle)) != 0; }))
      << "no window titled " << kWindowTitle.toStdString();
  desktop.requestClose(window);
  EXPECT_TRUE(endsCleanly());
  QFile config(folder_->filePath(QStringLiteral("config.ini")));
  ASSERT_TRUE(config.open(QIODevice::ReadOnly));
  const QByteArray saved = config.readAll();
  EXPECT_TRUE(saved.contains("App_A=/usr/bin/true")) << saved.toStdString();
  EXPECT_TRUE(saved.contains("RootDir=")) << "the settings were saved on the way out";
}

// A second start from the same program folder says so and ends, touching nothing; the running
// agent goes on answering.
TEST_F(AgentProgramTest, ASecondStartIsRefusedAndChangesNothing) {
  startAgent();
  ASSERT_FALSE(
      askUntilAnswered(QStringLiteral("<<INFO|VERSION|>>"), QStringLiteral("^<<INFO\\|VERSION\\|"))
          .isEmpty());
  QFile config(folder_->filePath(QStringLiteral("config.ini")));
  ASSERT_TRUE(config.open(QIODevice::ReadOnly));
  const QByteArray before = config.readAll();
  config.close();

  QProcess second;
  second.setProcessEnvironment(agent_.processEnvironment());
  second.setProcessChannelMode(QProcess::ForwardedChannels);
  second.start(agentPath(), {});
  ASSERT_TRUE(second.waitForStarted(kStartMs));
  X11TestWindows desktop;
  ASSERT_TRUE(desktop.isOpen());
  X11TestWindows::Id box = 0;
  ASSERT_TRUE(desktop.waitUntil(
      [&] { return (box = desktop.findByTitle("CorvaneControl Already loaded")) != 0; }));
  desktop.requestClose(box);
  EXPECT_TRUE(second.waitForFinished(kEndMs));
  EXPECT_EQ(second.exitCode(), 0);

  ASSERT_TRUE(config.open(QIODevice::ReadOnly));
  EXPECT_EQ(config.readAll(), before) << "the second instance wrote nothing";
  const std::size_t from = simulator_.received().size();
  simulator_.send(QStringLiteral("<<INFO|VERSION|>>"));
  EXPECT_FALSE(frameMatching(QStringLiteral("^<<INFO\\|VERSION\\|"), from).isEmpty())
      << "the first agent still holds the link";
}

}  // namespace
