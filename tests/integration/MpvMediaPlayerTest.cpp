#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/linux/MpvMediaPlayer.h"
#include "platform/linux/MpvMediaPlayers.h"
#include "tests/support/EventWait.h"
#include "tests/support/MediaLibrary.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/X11TestWindows.h"

// The media player on a real libmpv with the null outputs, over a library of audio files that sox
// makes when the tests start. What the handheld's user would notice is read back: the item's name,
// whether it plays, where it stands, the order the playlist plays in, the full-screen window.
namespace {

// The video window is a real X window under the test's window manager.
const bool kOnTheXDisplay = qputenv("QT_QPA_PLATFORM", "xcb");

// How long libmpv and the window manager may take to act; a bound, never a measure of speed.
constexpr int kPatienceMs = 10000;

bool waitUntil(const std::function<bool()>& condition) {
  return waitForCondition(condition, kPatienceMs);
}

QString name(int number) { return QStringLiteral("n%1").arg(number, 2, 10, QLatin1Char('0')); }

class MpvMediaPlayerTest : public ::testing::Test {
 protected:
  // The library, in the order the player lists it (by file name).
  enum Playlist : qsizetype { kEvening, kGhosts, kLost, kParty, kRoad, kTwenty };

  static void SetUpTestSuite() {
    ASSERT_TRUE(kOnTheXDisplay);
    library_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(library_->isValid());
    const QDir folder(library_->path());
    const auto tone = [&](const QString& file, const QString& title = {}) {
      return medialibrary::makeTone(folder.filePath(file), 60, title);
    };
    ASSERT_TRUE(tone(QStringLiteral("alpha.ogg"), QStringLiteral("Morning Song")));
    ASSERT_TRUE(tone(QStringLiteral("beta.wav")));
    ASSERT_TRUE(tone(QStringLiteral("gamma.flac"), QStringLiteral("Evening Song")));
    QByteArray twenty;
    for (int i = 1; i <= 20; ++i) {
      ASSERT_TRUE(tone(name(i) + QStringLiteral(".ogg")));
      twenty += name(i).toUtf8() + ".ogg\n";
    }
    const auto write = [&](const char* file, const QByteArray& bytes) {
      return medialibrary::writeFile(folder.filePath(QString::fromUtf8(file)), bytes);
    };
    ASSERT_TRUE(write("Evening.asx",
                      "<asx version=\"3.0\"><title>Evening Mix</title>"
                      "<entry><ref href=\"gamma.flac\"/></entry>"
                      "<entry><ref href=\"beta.wav\"/></entry></asx>"));
    ASSERT_TRUE(write("Ghosts.m3u", "gone-1.ogg\ngone-2.ogg\n"));
    // The first entry is missing: the player goes on with the next.
    ASSERT_TRUE(write("Lost.m3u8", "gone-3.ogg\nbeta.wav\n"));
    ASSERT_TRUE(write("Party.wpl",
                      "<?wpl version=\"1.0\"?><smil><head><title>Party Time</title></head><body>"
                      "<seq><media src=\"alpha.ogg\"/><media src=\"beta.wav\"/></seq>"
                      "</body></smil>"));
    ASSERT_TRUE(write("Road.m3u", "beta.wav\ngamma.flac\nalpha.ogg\n"));
    ASSERT_TRUE(write("Twenty.m3u", twenty));
    // Not listed: too large to be read, and not a playlist at all.
    ASSERT_TRUE(write("Huge.m3u", QByteArray(5 * 1024 * 1024, 'x')));
    ASSERT_TRUE(write("notes.txt", "beta.wav\n"));
  }

  static void TearDownTestSuite() { library_.reset(); }

  std::unique_ptr<MpvMediaPlayer> makePlayer(bool untimed = false) {
    MpvPlayerOptions options;
    options.libraryFolder = library_->path();
    options.audioOutput = QStringLiteral("null");
    options.videoOutput = QStringLiteral("null");
    options.untimed = untimed;
    return MpvMediaPlayer::create(host_, options);
  }

  // A player with the playlist current and not playing, its first item current.
  std::unique_ptr<MpvMediaPlayer> playerWith(Playlist playlist) {
    auto player = makePlayer();
    if (player == nullptr || !player->setAutoStart(false) ||
        !player->setCurrentPlaylist(playlist)) {
      return nullptr;
    }
    return player;
  }

  // The names of the current playlist in the order it plays, from its first item.
  static QStringList playedOrder(MediaPlayer& player) {
    while (player.previous()) {
    }
    QStringList names;
    do {
      names.append(player.currentMediaName().value_or(QString()));
    } while (player.next());
    return names;
  }

  static QStringList twentyNames() {
    QStringList names;
    for (int i = 1; i <= 20; ++i) {
      names.append(name(i));
    }
    return names;
  }

  static inline std::unique_ptr<QTemporaryDir> library_;
  // The main window's hidden player host.
  QWidget host_;
};

TEST_F(MpvMediaPlayerTest, ListsTheLibrarysPlaylistsInFileNameOrder) {
  auto player = makePlayer();
  ASSERT_NE(player, nullptr);
  EXPECT_TRUE(player->answers());

  const std::optional<std::vector<MediaPlayer::Playlist>> listed = player->playlists();
  ASSERT_TRUE(listed.has_value());
  QStringList seen;
  for (const MediaPlayer::Playlist& playlist : *listed) {
    seen.append(playlist.title + QLatin1Char('/') + playlist.type);
  }
  EXPECT_EQ(seen, (QStringList{"Evening Mix/ASX", "Ghosts/M3U", "Lost/M3U", "Party Time/WPL",
                               "Road/M3U", "Twenty/M3U"}));
}

TEST_F(MpvMediaPlayerTest, AMissingLibraryIsEmpty) {
  MpvPlayerOptions options;
  options.libraryFolder = library_->filePath(QStringLiteral("no-such-folder"));
  options.audioOutput = QStringLiteral("null");
  options.videoOutput = QStringLiteral("null");
  auto player = MpvMediaPlayer::create(host_, options);
  ASSERT_NE(player, nullptr);
  const std::optional<std::vector<MediaPlayer::Playlist>> listed = player->playlists();
  ASSERT_TRUE(listed.has_value());
  EXPECT_TRUE(listed->empty());
  EXPECT_FALSE(player->setCurrentPlaylist(0));
  EXPECT_EQ(player->currentMediaName(), std::nullopt);
}

TEST_F(MpvMediaPlayerTest, APlaylistMadeCurrentWithoutAutoStartWaitsAtItsFirstItem) {
  struct Case {
    Playlist playlist;
    // The first item's title tag, else its file name without extension.
    const char* firstName;
  };
  for (const Case& test : {Case{kParty, "Morning Song"}, Case{kRoad, "beta"},
                           Case{kEvening, "Evening Song"}, Case{kLost, "beta"}}) {
    SCOPED_TRACE(test.firstName);
    auto player = playerWith(test.playlist);
    ASSERT_NE(player, nullptr);
    // Asked at once: the name is there without waiting for the player to report.
    EXPECT_EQ(player->currentMediaName(), QString::fromUtf8(test.firstName));
    EXPECT_EQ(player->playState(), MediaPlayer::kStopped);
    EXPECT_TRUE(waitUntil([&] { return player->positionSeconds() == 0.0; }));
  }
}

TEST_F(MpvMediaPlayerTest, AutoStartPlaysTheNewPlaylist) {
  auto player = makePlayer();
  ASSERT_NE(player, nullptr);
  ASSERT_TRUE(player->setCurrentPlaylist(kRoad));
  EXPECT_EQ(player->playState(), MediaPlayer::kPlaying);
  EXPECT_TRUE(waitUntil([&] { return player->positionSeconds().value_or(0) > 0.2; }));
}

TEST_F(MpvMediaPlayerTest, TransportPlaysPausesSkipsAndStopsAtTheItemsStart) {
  auto player = playerWith(kRoad);
  ASSERT_NE(player, nullptr);

  ASSERT_TRUE(player->play());
  EXPECT_EQ(player->playState(), MediaPlayer::kPlaying);
  ASSERT_TRUE(waitUntil([&] { return player->positionSeconds().value_or(0) > 0.3; }));

  ASSERT_TRUE(player->pause());
  EXPECT_EQ(player->playState(), MediaPlayer::kPaused);
  const double pausedAt = player->positionSeconds().value_or(-1);
  EXPECT_GT(pausedAt, 0.3);

  ASSERT_TRUE(player->next());
  EXPECT_EQ(player->currentMediaName(), QStringLiteral("Evening Song"));
  EXPECT_EQ(player->playState(), MediaPlayer::kPaused);
  ASSERT_TRUE(player->previous());
  EXPECT_EQ(player->currentMediaName(), QStringLiteral("beta"));
  // libmpv refuses to go before the first item.
  EXPECT_FALSE(player->previous());
  EXPECT_EQ(player->currentMediaName(), QStringLiteral("beta"));

  ASSERT_TRUE(player->play());
  ASSERT_TRUE(waitUntil([&] { return player->positionSeconds().value_or(0) > 0.3; }));
  ASSERT_TRUE(player->stop());
  EXPECT_EQ(player->playState(), MediaPlayer::kStopped);
  EXPECT_EQ(player->currentMediaName(), QStringLiteral("beta"));
  EXPECT_TRUE(waitUntil([&] { return player->positionSeconds().value_or(1) < 0.1; }))
      << player->positionSeconds().value_or(-1);
  // Pausing a stopped item does not make it paused.
  ASSERT_TRUE(player->pause());
  EXPECT_EQ(player->playState(), MediaPlayer::kStopped);

  ASSERT_TRUE(player->play());
  EXPECT_EQ(player->playState(), MediaPlayer::kPlaying);
  EXPECT_EQ(player->currentMediaName(), QStringLiteral("beta"));
  EXPECT_TRUE(waitUntil([&] { return player->positionSeconds().value_or(0) > 0.2; }));
}

TEST_F(MpvMediaPlayerTest, RepeatWrapsPastTheEnds) {
  auto player = playerWith(kRoad);
  ASSERT_NE(player, nullptr);
  ASSERT_TRUE(player->next());
  ASSERT_TRUE(player->next());
  EXPECT_EQ(player->currentMediaName(), QStringLiteral("Morning Song"));
  EXPECT_FALSE(player->next());

  ASSERT_TRUE(player->setRepeat(true));
  ASSERT_TRUE(player->next());
  EXPECT_EQ(player->currentMediaName(), QStringLiteral("beta"));
  ASSERT_TRUE(player->previous());
  EXPECT_EQ(player->currentMediaName(), QStringLiteral("Morning Song"));

  ASSERT_TRUE(player->setRepeat(false));
  EXPECT_FALSE(player->next());
}

TEST_F(MpvMediaPlayerTest, APlaylistThatPlaysToItsEndLeavesNoItemCurrentUntilPlayedAgain) {
  auto player = makePlayer(/*untimed=*/true);
  ASSERT_NE(player, nullptr);
  ASSERT_TRUE(player->setCurrentPlaylist(kEvening));
  ASSERT_TRUE(waitUntil([&] { return !player->currentMediaName().has_value(); }));
  EXPECT_EQ(player->playState(), MediaPlayer::kStopped);

  EXPECT_FALSE(player->pause());

  // Play starts the ended playlist again; on repeat it never ends.
  ASSERT_TRUE(player->setRepeat(true));
  ASSERT_TRUE(player->play());
  EXPECT_EQ(player->playState(), MediaPlayer::kPlaying);
  EXPECT_TRUE(player->currentMediaName().has_value());
}

TEST_F(MpvMediaPlayerTest, ShuffleReordersTheLivePlaylistAndTheNamesFollowIt) {
  auto player = playerWith(kTwenty);
  ASSERT_NE(player, nullptr);
  ASSERT_EQ(playedOrder(*player), twentyNames());

  // Now, on the current playlist.
  ASSERT_TRUE(player->setShuffle(true));
  QStringList shuffled = playedOrder(*player);
  EXPECT_NE(shuffled, twentyNames());
  std::sort(shuffled.begin(), shuffled.end());
  EXPECT_EQ(shuffled, twentyNames());

  ASSERT_TRUE(player->setShuffle(false));
  EXPECT_EQ(playedOrder(*player), twentyNames());

  // And on every playlist made current later, from its first item on.
  ASSERT_TRUE(player->setShuffle(true));
  ASSERT_TRUE(player->setCurrentPlaylist(kTwenty));
  const std::optional<QString> first = player->currentMediaName();
  QStringList reloaded = playedOrder(*player);
  EXPECT_EQ(reloaded.value(0), first.value_or(QString()));
  EXPECT_NE(reloaded, twentyNames());
  std::sort(reloaded.begin(), reloaded.end());
  EXPECT_EQ(reloaded, twentyNames());
}

TEST_F(MpvMediaPlayerTest, VolumeStartsAtHalfAndMuteReachesThePlayer) {
  auto player = playerWith(kRoad);
  ASSERT_NE(player, nullptr);
  EXPECT_EQ(player->volume(), 50);
  for (const qint32 volume : {0, 80, 100}) {
    ASSERT_TRUE(player->setVolume(volume));
    EXPECT_EQ(player->volume(), volume);
  }
  for (const qint32 outside : {-1, 101}) {
    EXPECT_FALSE(player->setVolume(outside));
    EXPECT_EQ(player->volume(), 100);
  }

  EXPECT_EQ(player->muted(), false);
  ASSERT_TRUE(player->setMute(true));
  EXPECT_EQ(player->muted(), true);
  ASSERT_TRUE(player->setMute(false));
  EXPECT_EQ(player->muted(), false);
}

TEST_F(MpvMediaPlayerTest, MissingFilesAndAnEmptiedPlayerLeaveNoItemCurrent) {
  for (const bool autoStart : {false, true}) {
    SCOPED_TRACE(autoStart);
    auto player = makePlayer();
    ASSERT_NE(player, nullptr);
    ASSERT_TRUE(player->setAutoStart(autoStart));
    ASSERT_TRUE(player->setCurrentPlaylist(kGhosts));
    EXPECT_TRUE(waitUntil([&] { return !player->currentMediaName().has_value(); }));
    EXPECT_EQ(player->playState(), MediaPlayer::kStopped);
    EXPECT_FALSE(player->next());
    EXPECT_TRUE(player->answers());
  }

  auto player = playerWith(kParty);
  ASSERT_NE(player, nullptr);
  ASSERT_TRUE(player->play());
  ASSERT_TRUE(player->setCurrentPlaylist(std::nullopt));
  EXPECT_EQ(player->currentMediaName(), std::nullopt);
  EXPECT_EQ(player->playState(), MediaPlayer::kStopped);
  EXPECT_FALSE(player->setCurrentPlaylist(kTwenty + 1));
  EXPECT_FALSE(player->setCurrentPlaylist(-1));
}

TEST_F(MpvMediaPlayerTest, FullScreenShowsTheVideoWindowOverTheScreenAndHidesItAgain) {
  X11TestWindows desktop;
  ASSERT_TRUE(desktop.isOpen());
  auto player = playerWith(kRoad);
  ASSERT_NE(player, nullptr);
  ASSERT_NE(player->videoWindow(), nullptr);
  const auto window = static_cast<X11TestWindows::Id>(player->videoWindow()->winId());
  EXPECT_FALSE(desktop.isViewable(window));

  ASSERT_TRUE(player->play());
  ASSERT_TRUE(player->setFullScreen(true));
  EXPECT_TRUE(player->videoWindow()->isWindow());
  EXPECT_TRUE(
      waitUntil([&] { return desktop.isViewable(window) && desktop.isFullScreen(window); }));

  ASSERT_TRUE(player->setFullScreen(false));
  EXPECT_TRUE(waitUntil([&] { return !desktop.isViewable(window); }));
  EXPECT_FALSE(host_.isVisible());
}

TEST_F(MpvMediaPlayerTest, TheFactoryMakesPlayersOnTheLibraryItIsGiven) {
  MpvPlayerOptions options;
  options.libraryFolder = library_->path();
  options.audioOutput = QStringLiteral("null");
  options.videoOutput = QStringLiteral("null");
  MpvMediaPlayers players(options);
  std::unique_ptr<MediaPlayer> player = players.create(host_);
  ASSERT_NE(player, nullptr);
  EXPECT_TRUE(player->answers());
  EXPECT_EQ(player->playlists().value_or(std::vector<MediaPlayer::Playlist>{}).size(), 6U);
}

}  // namespace
