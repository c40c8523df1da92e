#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QWidget>

#include "agent/LibSerial.h"
#include "agent/libWMP.h"
#include "tests/support/DispatcherRig.h"
#include "tests/support/FakeMediaPlayer.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/Utf8Text.h"

namespace {

using Playlist = FakeMediaPlayerState::LibraryPlaylist;

// The media module behind the dispatcher, over a player in memory, with an open link on a fake
// port whose written bytes are the frames the handheld gets.
class MediaPlayerControlTest : public testing::Test, protected DispatcherRig {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openPort());
    clock_.step = 1000;
    link_.portOpen = true;
    link_.sessionActive = true;
    general_.ConnectTargets(CommandTargets{actions_, actions_, actions_, actions_, media_, actions_,
                                           actions_, presentation_});
    media_.Attach(MediaServices{general_, link_, presentation_.Model, host_});
    player().library = {
        {QStringLiteral("Party"), QStringLiteral("WPL"), texts({"Intro", "Second song", "Finale"})},
        {QStringLiteral("Recent"), QStringLiteral("Auto"), texts({"Latest"})},
        {QStringLiteral("Old"), QStringLiteral("m3u"), texts({"Oldie"})},
    };
  }

  FakeMediaPlayerState& player() { return *players_.state; }

  // Binds the player and loads the library, as the agent's start does.
  void bind() {
    ASSERT_TRUE(media_.InitWMP());
    media_.LoadPlaylists();
  }
  // Binds and makes Party current, not playing; clears what that sent and logged.
  void bindWithParty() {
    bind();
    run("<<WMP|SET_PLAYLIST|Party>>");
    takeWritten();
    player().calls.clear();
  }

  void run(const char* frame) { general_.ProcessMessage(text(frame)); }

  FakeMediaPlayers players_;
  QWidget host_;
  libWMP media_{players_};
};

TEST_F(MediaPlayerControlTest, PlaylistRequestListsTheHandheldsFormatsInLibraryOrder) {
  run("<<WMP|GET_PLAYLIST|>>");
  EXPECT_EQ(takeWritten(), u"<<WMP|PLAYLIST|Party:Old:>>");

  player().library = {{QStringLiteral("Recent"), QStringLiteral("Auto"), {}}};
  run("<<WMP|GET_PLAYLIST|>>");
  EXPECT_EQ(takeWritten(), u"<<WMP|PLAYLIST|>>");
}

TEST_F(MediaPlayerControlTest, PlaylistRequestStopsAndReportsTheCurrentItemFirst) {
  bindWithParty();
  player().state = MediaPlayer::kPlaying;
  run("<<WMP|GET_PLAYLIST|>>");
  EXPECT_EQ(player().state, MediaPlayer::kStopped);
  EXPECT_EQ(takeWritten(), u"<<CHANGEUI|WMP_CHANGE_MEDIA|Intro>><<WMP|PLAYLIST|Party:Old:>>");
}

TEST_F(MediaPlayerControlTest, UnavailablePlayerAnswersEmptyAndIsBoundOnTheNextRequest) {
  players_.failCreate = true;
  EXPECT_FALSE(media_.InitWMP());
  run("<<WMP|REPEAT_ON|>>");
  run("<<WMP|SHUFFLE_ON|>>");
  run("<<WMP|MUTE_ON|>>");
  run("<<WMP|SET_PLAYLIST|Party>>");
  // Only what the handheld sets without a player follows it.
  EXPECT_FALSE(media_.IsRepeating);
  EXPECT_FALSE(media_.IsShuffling);
  EXPECT_TRUE(media_.IsMuted);
  EXPECT_EQ(media_.CurrentPlaylist, QString());
  EXPECT_EQ(media_.FindPlaylist(QStringLiteral("Party")), -1);
  run("<<WMP|GET_PLAYLIST|>>");
  EXPECT_EQ(takeWritten(), u"<<WMP|PLAYLIST|>>");

  players_.failCreate = false;
  run("<<WMP|GET_PLAYLIST|>>");
  EXPECT_EQ(takeWritten(), u"<<WMP|PLAYLIST|Party:Old:>>");
  EXPECT_FALSE(media_.PlayerUnavailable);
}

TEST_F(MediaPlayerControlTest, LivePlayerIsKeptAndOnlyAFailedOneIsMadeAgain) {
  bind();
  run("<<WMP|GET_PLAYLIST|>>");
  run("<<WMP|GET_PLAYLIST|>>");
  EXPECT_EQ(players_.made, 1);

  player().answering = false;
  run("<<WMP|GET_PLAYLIST|>>");
  EXPECT_TRUE(media_.PlayerUnavailable);
  player().answering = true;
  run("<<WMP|GET_PLAYLIST|>>");
  EXPECT_EQ(players_.made, 2);
  EXPECT_FALSE(media_.PlayerUnavailable);
}

TEST_F(MediaPlayerControlTest, SetPlaylistMakesItCurrentWithoutPlayingAndReportsTheItem) {
  bind();
  player().calls.clear();
  run("<<WMP|SET_PLAYLIST|Party>>");
  EXPECT_EQ(player().calls,
            texts({"setAutoStart(false)", "setCurrentPlaylist(0)", "currentMediaName"}));
  EXPECT_EQ(player().state, MediaPlayer::kStopped);
  EXPECT_EQ(media_.CurrentPlaylist, u"Party");
  EXPECT_EQ(takeWritten(), u"<<CHANGEUI|WMP_CHANGE_MEDIA|Intro>>");

  // Names are told apart by case; an unknown one empties the player but is remembered.
  run("<<WMP|SET_PLAYLIST|party>>");
  EXPECT_EQ(media_.CurrentPlaylist, u"party");
  EXPECT_FALSE(player().position.has_value());
  EXPECT_EQ(takeWritten(), QString());
}

TEST_F(MediaPlayerControlTest, NextAndPreviousReportEveryItemAndTheEndsAgain) {
  bindWithParty();
  run("<<WMP|NEXT|>>");
  EXPECT_EQ(takeWritten(), u"<<CHANGEUI|WMP_CHANGE_MEDIA|Second song>>");
  run("<<WMP|NEXT|>>");
  run("<<WMP|NEXT|>>");
  // Past the end the item stays, and the forced report names it again.
  EXPECT_EQ(takeWritten(),
            u"<<CHANGEUI|WMP_CHANGE_MEDIA|Finale>><<CHANGEUI|WMP_CHANGE_MEDIA|Finale>>");
  run("<<WMP|PREV|>>");
  EXPECT_EQ(takeWritten(), u"<<CHANGEUI|WMP_CHANGE_MEDIA|Second song>>");
  EXPECT_EQ(media_.LastMediaName, u"Second song");
}

TEST_F(MediaPlayerControlTest, PlayTogglesBetweenPlayingAndPaused) {
  bindWithParty();
  struct Case {
    qint32 state;
    const char* call;
    qint32 after;
  };
  const Case cases[] = {
      {MediaPlayer::kPlaying, "pause()", MediaPlayer::kPaused},
      {MediaPlayer::kPaused, "play()", MediaPlayer::kPlaying},
      {MediaPlayer::kStopped, "play()", MediaPlayer::kPlaying},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.state);
    player().state = c.state;
    player().calls.clear();
    run("<<WMP|PLAY|>>");
    EXPECT_EQ(player().calls, texts({"playState", c.call, "currentMediaName"}));
    EXPECT_EQ(player().state, c.after);
  }
  // The item did not change: only the first report after SET_PLAYLIST's went out.
  EXPECT_EQ(takeWritten(), QString());
}

TEST_F(MediaPlayerControlTest, PlayerVolumeStepsAreBounded) {
  bindWithParty();
  struct Case {
    const char* frame;
    qint32 from;
    qint32 to;
  };
  const Case cases[] = {
      {"<<WMP|VOL_UP|>>", 95, 100}, {"<<WMP|VOL_UP|>>", 100, 100}, {"<<WMP|VOL_UP|>>", 50, 60},
      {"<<WMP|VOL_DOWN|>>", 15, 5}, {"<<WMP|VOL_DOWN|>>", 10, 0},  {"<<WMP|VOL_DOWN|>>", 5, 0},
      {"<<WMP|VOL_DOWN|>>", 11, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.frame << " from " << c.from);
    media_.PlayerVolume = c.from;
    run(c.frame);
    EXPECT_EQ(media_.PlayerVolume, c.to);
    EXPECT_EQ(player().volume, c.to);
  }
}

TEST_F(MediaPlayerControlTest, OnlyVolumeDownLooksForAChangedItem) {
  bindWithParty();
  media_.LastMediaName = QStringLiteral("something else");
  run("<<WMP|VOL_UP|>>");
  EXPECT_EQ(takeWritten(), QString());
  run("<<WMP|VOL_DOWN|>>");
  EXPECT_EQ(takeWritten(), u"<<CHANGEUI|WMP_CHANGE_MEDIA|Intro>>");

  // A refused volume ends the operation before its report.
  media_.LastMediaName = QStringLiteral("something else");
  player().failing = {QStringLiteral("setVolume")};
  run("<<WMP|VOL_DOWN|>>");
  EXPECT_EQ(takeWritten(), QString());
}

TEST_F(MediaPlayerControlTest, SwitchesAreRecordedBeforeThePlayerIsAsked) {
  bindWithParty();
  player().failing = {QStringLiteral("setRepeat"), QStringLiteral("setShuffle"),
                      QStringLiteral("setMute")};
  media_.LastMediaName = QStringLiteral("something else");
  run("<<WMP|REPEAT_ON|>>");
  run("<<WMP|SHUFFLE_ON|>>");
  run("<<WMP|MUTE_ON|>>");
  EXPECT_TRUE(media_.IsRepeating);
  EXPECT_TRUE(media_.IsShuffling);
  EXPECT_TRUE(media_.IsMuted);
  // Each failure ended its operation: no report.
  EXPECT_EQ(takeWritten(), QString());

  player().failing.clear();
  run("<<WMP|REPEAT_ON|>>");
  run("<<WMP|SHUFFLE_OFF|>>");
  EXPECT_TRUE(player().repeat);
  EXPECT_FALSE(player().shuffle);
  EXPECT_EQ(takeWritten(), u"<<CHANGEUI|WMP_CHANGE_MEDIA|Intro>>");
}

TEST_F(MediaPlayerControlTest, FullScreenOnlyWhilePlayingButTheSwitchAlwaysFlips) {
  bindWithParty();
  run("<<WMP|FULL_SCREEN|>>");
  EXPECT_TRUE(media_.IsFullScreen);
  EXPECT_FALSE(player().calls.contains(u"setFullScreen(true)"));
  run("<<WMP|FULL_SCREEN|>>");
  EXPECT_FALSE(media_.IsFullScreen);
  EXPECT_TRUE(player().calls.contains(u"setFullScreen(false)"));

  player().state = MediaPlayer::kPlaying;
  run("<<WMP|FULL_SCREEN|>>");
  EXPECT_TRUE(player().fullScreen);
  run("<<WMP|FULL_SCREEN|>>");
  EXPECT_FALSE(player().fullScreen);
}

TEST_F(MediaPlayerControlTest, StopKeepsTheItemCurrent) {
  bindWithParty();
  run("<<WMP|NEXT|>>");
  player().state = MediaPlayer::kPlaying;
  takeWritten();
  run("<<WMP|STOP|>>");
  EXPECT_EQ(player().state, MediaPlayer::kStopped);
  EXPECT_EQ(player().position, 1);
  EXPECT_EQ(takeWritten(), QString());
}

TEST_F(MediaPlayerControlTest, NothingIsReportedWithoutACurrentItem) {
  bind();
  for (const char* frame :
       {"<<WMP|SET_PLAYLIST|Nowhere>>", "<<WMP|PLAY|>>", "<<WMP|NEXT|>>", "<<WMP|PREV|>>",
        "<<WMP|STOP|>>", "<<WMP|VOL_DOWN|>>", "<<WMP|MUTE_ON|>>", "<<WMP|REPEAT_ON|>>",
        "<<WMP|SHUFFLE_ON|>>", "<<WMP|FULL_SCREEN|>>"}) {
    run(frame);
    media_.tmrWMP_Timer();
  }
  EXPECT_EQ(takeWritten(), QString());
}

TEST_F(MediaPlayerControlTest, TimerReportsAChangedItemOnlyWhenNothingElseHasTheHandheld) {
  bindWithParty();
  struct Case {
    const char* name;
    bool portOpen;
    bool sessionActive;
    bool showRunning;
    bool unavailable;
    bool reported;
  };
  const Case cases[] = {
      {"all clear", true, true, false, false, true},
      {"link stopped", false, true, false, false, false},
      {"handheld silent", true, false, false, false, false},
      {"slide show", true, true, true, false, false},
      {"no player", true, true, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    link_.portOpen = c.portOpen;
    link_.sessionActive = c.sessionActive;
    presentation_.Model.ShowRunning = c.showRunning;
    media_.PlayerUnavailable = c.unavailable;
    media_.LastMediaName = QStringLiteral("the item before");
    media_.tmrWMP_Timer();
    EXPECT_EQ(takeWritten(), c.reported ? u"<<CHANGEUI|WMP_CHANGE_MEDIA|Intro>>"_qs : QString());
    // An unchanged item is not reported again.
    media_.tmrWMP_Timer();
    EXPECT_EQ(takeWritten(), QString());
  }
}

TEST_F(MediaPlayerControlTest, NamesThatHoldFrameCharactersCannotBreakFramesOrTheList) {
  player().library = {
      {QStringLiteral("Rock: Live|Loud>>"), QStringLiteral("WPL"), texts({"A|B >>end"})},
      {QStringLiteral("Calm"), QStringLiteral("ASX"), texts({"C"})},
  };
  run("<<WMP|GET_PLAYLIST|>>");
  EXPECT_EQ(takeWritten(), u"<<WMP|PLAYLIST|Rock  Live Loud  :Calm:>>");
  // The handheld asks for the playlist by the name its list showed.
  general_.ProcessMessage(QStringLiteral("<<WMP|SET_PLAYLIST|Rock  Live Loud  >>"));
  EXPECT_EQ(player().position, 0);
  EXPECT_EQ(takeWritten(), u"<<CHANGEUI|WMP_CHANGE_MEDIA|A B   end>>");
  // The sent form is the one remembered: the timer does not report the same item again.
  media_.tmrWMP_Timer();
  EXPECT_EQ(takeWritten(), QString());
}

TEST_F(MediaPlayerControlTest, ReleasedPlayerTakesNoCommands) {
  bindWithParty();
  media_.ReleasePlayer();
  player().calls.clear();
  run("<<WMP|PLAY|>>");
  media_.tmrWMP_Timer();
  EXPECT_TRUE(player().calls.isEmpty());
}

}  // namespace
