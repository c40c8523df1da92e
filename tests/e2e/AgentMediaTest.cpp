#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "tests/support/MediaLibrary.h"
#include "tests/support/SimulatorProcess.h"

// The built agent in a program folder of its own, with a media library of real audio files and
// playlists, beside a private sound server (scripts/with-pulse.sh) under the test's X desktop.
// The handheld sets the master volume, lists the playlists, plays them and is told each item; the
// server's own client says what the user would hear.
namespace {

constexpr int kPort = 43;
constexpr int kStartMs = 15000;
constexpr int kFrameMs = 10000;
constexpr int kEndMs = 20000;

// The server's own view, through its command-line client.
QString pactl(const QStringList& arguments) {
  QProcess client;
  client.start(QStringLiteral("pactl"), arguments);
  if (!client.waitForFinished(10000)) {
    client.kill();
    return {};
  }
  return QString::fromUtf8(client.readAllStandardOutput());
}

// The default sink's volume in percent as the server reports it ("front-left: 24248 /  37% ...").
int sinkPercent() {
  const QRegularExpressionMatch match =
      QRegularExpression(QStringLiteral("(\\d+)%"))
          .match(pactl({QStringLiteral("get-sink-volume"), QStringLiteral("@DEFAULT_SINK@")}));
  return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The streams playing into the server, with their "Corked" state.
QString sinkInputs() { return pactl({QStringLiteral("list"), QStringLiteral("sink-inputs")}); }

class AgentMediaTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(folder_->isValid());
    const QDir program(folder_->path());
    ASSERT_TRUE(program.mkpath(QStringLiteral("Shared/Presentations/Notes")));
    ASSERT_TRUE(program.mkpath(QStringLiteral("Music")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(CORVANE_AGENT_PROGRAM), agentPath()));
    ASSERT_TRUE(QFile::setPermissions(agentPath(),
                                      QFile::permissions(QStringLiteral(CORVANE_AGENT_PROGRAM))));
    const QDir music(library());
    // Long enough that an item stays current while the test looks at it.
    ASSERT_TRUE(medialibrary::makeTone(music.filePath(QStringLiteral("dawn.ogg")), 120,
                                       QStringLiteral("Morning Light")));
    for (const char* name : {"noon.wav", "dusk.wav"}) {
      ASSERT_TRUE(medialibrary::makeTone(music.filePath(QString::fromLatin1(name)), 120));
    }
    ASSERT_TRUE(medialibrary::writeFile(
        music.filePath(QStringLiteral("evening.wpl")),
        "<?wpl version=\"1.0\"?>\n<smil><head><title>Evening Set</title></head><body><seq>"
        "<media src=\"dawn.ogg\"/><media src=\"noon.wav\"/><media src=\"dusk.wav\"/>"
        "</seq></body></smil>\n"));
    ASSERT_TRUE(medialibrary::writeFile(music.filePath(QStringLiteral("old.m3u")),
                                        "#EXTM3U\r\n#PLAYLIST:Old Favourites\r\nnoon.wav\r\n"));
    ASSERT_TRUE(medialibrary::writeFile(music.filePath(QStringLiteral("readme.txt")), "no"));
  }
  static void TearDownTestSuite() { folder_.reset(); }

  static QString agentPath() { return folder_->filePath(QStringLiteral("Corvane")); }
  static QString library() { return folder_->filePath(QStringLiteral("Music")); }

  void SetUp() override {
    ASSERT_TRUE(folder_);
    ASSERT_FALSE(pactl({QStringLiteral("info")}).isEmpty())
        << "no sound server: run this under scripts/with-pulse.sh";
    const QString device = link_.filePath(QStringLiteral("handheld"));
    ASSERT_TRUE(simulator_.start(device));
    QFile config(folder_->filePath(QStringLiteral("config.ini")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("[Communications]\r\nPort=" + QByteArray::number(kPort) + "\r\n");
    environment_.insert(QStringLiteral("CORVANE_SERIAL_PORTS"),
                        QStringLiteral("%1=%2").arg(kPort).arg(device));
    environment_.insert(QStringLiteral("CORVANE_MEDIA_LIBRARY"), library());
    environment_.remove(QStringLiteral("QT_QPA_PLATFORM"));
    agent_.setProcessChannelMode(QProcess::ForwardedChannels);
  }

  void startAgent() {
    agent_.setProcessEnvironment(environment_);
    agent_.start(agentPath(), {});
    ASSERT_TRUE(agent_.waitForStarted(kStartMs));
    // The link comes up a moment after the process.
    ASSERT_TRUE(SimulatorProcess::waitUntil(
        [this] {
          const std::size_t before = simulator_.received().size();
          simulator_.send(QStringLiteral("<<INFO|VERSION|>>"));
          return !simulator_.frameMatching(QStringLiteral("^<<INFO"), before, 1000).isEmpty();
        },
        kStartMs));
  }

  void TearDown() override {
    if (agent_.state() != QProcess::NotRunning) {
      agent_.terminate();
      if (!agent_.waitForFinished(kEndMs)) {
        agent_.kill();
        agent_.waitForFinished(kEndMs);
      }
    }
  }

  // Sends `frame` and returns the first frame after it that matches `pattern`.
  QString ask(const QString& frame, const QString& pattern) {
    const std::size_t before = simulator_.received().size();
    simulator_.send(frame);
    return simulator_.frameMatching(pattern, before, kFrameMs);
  }
  QString version() {
    return ask(QStringLiteral("<<INFO|VERSION|>>"), QStringLiteral("^<<INFO\\|VERSION\\|"));
  }

  static std::unique_ptr<QTemporaryDir> folder_;
  QTemporaryDir link_;
  QProcessEnvironment environment_ = QProcessEnvironment::systemEnvironment();
  SimulatorProcess simulator_;
  QProcess agent_;
};

std::unique_ptr<QTemporaryDir> AgentMediaTest::folder_;

TEST_F(AgentMediaTest, HandheldSetsTheSoundServersMasterVolume) {
  startAgent();
  simulator_.send(QStringLiteral("<<VOLUME|SET|37>>"));
  EXPECT_TRUE(SimulatorProcess::waitUntil([] { return sinkPercent() == 37; }, kFrameMs))
      << "the server's sink is at " << sinkPercent() << " %";
  EXPECT_TRUE(version().contains(u"<VOL>37</VOL>"));

  // A change made outside the agent shows in its next reply.
  pactl(
      {QStringLiteral("set-sink-volume"), QStringLiteral("@DEFAULT_SINK@"), QStringLiteral("64%")});
  EXPECT_TRUE(version().contains(u"<VOL>64</VOL>"));
}

TEST_F(AgentMediaTest, WithoutASoundServerTheVolumeIsZeroAndNothingChanges) {
  pactl(
      {QStringLiteral("set-sink-volume"), QStringLiteral("@DEFAULT_SINK@"), QStringLiteral("55%")});
  environment_.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:/nonexistent/native"));
  startAgent();
  EXPECT_TRUE(version().contains(u"<VOL>0</VOL>"));
  simulator_.send(QStringLiteral("<<VOLUME|SET|90>>"));
  EXPECT_TRUE(version().contains(u"<VOL>0</VOL>"));
  EXPECT_EQ(sinkPercent(), 55);
}

TEST_F(AgentMediaTest, HandheldPlaysAPlaylistAndIsToldEachItem) {
  startAgent();
  EXPECT_EQ(ask(QStringLiteral("<<WMP|GET_PLAYLIST|>>"), QStringLiteral("^<<WMP\\|PLAYLIST")),
            u"<<WMP|PLAYLIST|Evening Set:Old Favourites:>>");

  // Made current, not playing: the first item's title tag names it.
  EXPECT_EQ(ask(QStringLiteral("<<WMP|SET_PLAYLIST|Evening Set>>"), QStringLiteral("^<<CHANGEUI")),
            u"<<CHANGEUI|WMP_CHANGE_MEDIA|Morning Light>>");
  EXPECT_FALSE(sinkInputs().contains(u"Corked: no"));

  simulator_.send(QStringLiteral("<<WMP|PLAY|>>"));
  EXPECT_TRUE(
      SimulatorProcess::waitUntil([] { return sinkInputs().contains(u"Corked: no"); }, kFrameMs))
      << "nothing plays into the sound server:\n"
      << sinkInputs().toStdString();

  // An item without a title tag goes by its file name.
  EXPECT_EQ(ask(QStringLiteral("<<WMP|NEXT|>>"), QStringLiteral("^<<CHANGEUI")),
            u"<<CHANGEUI|WMP_CHANGE_MEDIA|noon>>");
  EXPECT_TRUE(version().contains(u"<PLAYLIST>Evening Set</PLAYLIST><SONG>noon</SONG>"));

  // PLAY again pauses: the stream stops feeding the server.
  simulator_.send(QStringLiteral("<<WMP|PLAY|>>"));
  EXPECT_TRUE(
      SimulatorProcess::waitUntil([] { return !sinkInputs().contains(u"Corked: no"); }, kFrameMs));
}

}  // namespace
