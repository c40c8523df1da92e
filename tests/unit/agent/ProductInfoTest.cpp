#include <gtest/gtest.h>

#include <QString>

#include "agent/LibAppREg.h"
#include "agent/LibWMPCustom.h"
#include "agent/libWMP.h"
#include "tests/support/DispatcherRig.h"
#include "tests/support/FakeAudioMixers.h"
#include "tests/support/FakeMediaPlayer.h"
#include "tests/support/TestPrinting.h"

namespace {

TEST(ProductNameFromCodeTest, OnlyTheExactCodesNameTheProduct) {
  const struct {
    const char* code;
    const char* name;
  } cases[] = {
      {"QZD", "CorvaneControl"},
      {"QZ", "CorvaneControl"},
      {"qzd", ""},
      {"QZD ", ""},
      {"", ""},
      {"QZDX", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(LibAppREg::ProductNameFromCode(QString::fromLatin1(c.code)),
              QString::fromLatin1(c.name));
  }
}

// The version reply over the dispatcher, with the player unavailable and no mixer: all eight
// elements still go out; the mute letter follows the handheld, repeat and shuffle stay "F".
class VersionReplyTest : public testing::Test, protected DispatcherRig {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openPort());
    clock_.step = 1000;
    product_.InitProductInfo(QStringLiteral("1.0.12"));
    mixers_.deviceExists = false;
    general_.ConnectTargets(CommandTargets{actions_, actions_, actions_, actions_, media_, volume_,
                                           product_, presentation_});
  }

  QString run(const char* frame) {
    device_->written.clear();
    general_.ProcessMessage(QString::fromLatin1(frame));
    return QString::fromLatin1(device_->written);
  }

  FakeMediaPlayers players_;
  FakeAudioMixers mixers_;
  libWMP media_{players_};
  LibWMPCustom volume_{mixers_};
  LibAppREg product_{media_, volume_};
};

TEST_F(VersionReplyTest, CarriesTheEightElementsInOrder) {
  EXPECT_EQ(run("<<INFO|VERSION|>>"),
            u"<<INFO|VERSION|<PRODUCT>QZD</PRODUCT><VERSION>1.0.12</VERSION><SOURCE></SOURCE>"
            u"<SOURCE_URL></SOURCE_URL><PLAYLIST></PLAYLIST><SONG></SONG><STATUS>FFF</STATUS>"
            u"<VOL>0</VOL> >>");
  EXPECT_EQ(run("<<INFO|version|>>"), u"");
}

TEST_F(VersionReplyTest, WithoutAPlayerOnlyTheRecordedSwitchesFollowTheHandheld) {
  for (const char* frame : {"<<WMP|MUTE_ON|>>", "<<WMP|REPEAT_ON|>>", "<<WMP|SHUFFLE_ON|>>",
                            "<<WMP|PLAY|>>", "<<VOLUME|SET|40>>"}) {
    EXPECT_EQ(run(frame), u"") << frame;
  }
  const QString reply = run("<<INFO|VERSION|>>");
  EXPECT_TRUE(
      reply.contains(u"<PLAYLIST></PLAYLIST><SONG></SONG><STATUS>FFT</STATUS><VOL>0</VOL> >>"))
      << reply.toStdString();

  // No playlist becomes current; the forced report shows as the single space of the song.
  EXPECT_EQ(run("<<WMP|SET_PLAYLIST|Mix>>"), u"");
  EXPECT_TRUE(run("<<INFO|VERSION|>>").contains(u"<PLAYLIST></PLAYLIST><SONG> </SONG>"));

  // The playlist request binds nothing and answers with no names.
  EXPECT_EQ(run("<<WMP|GET_PLAYLIST|>>"), u"<<WMP|PLAYLIST|>>");
  run("<<WMP|MUTE_OFF|>>");
  EXPECT_TRUE(run("<<INFO|VERSION|>>").contains(u"<STATUS>FFF</STATUS>"));
}

TEST_F(VersionReplyTest, FullScreenAlternatesEvenWithoutAPlayer) {
  run("<<WMP|FULL_SCREEN|>>");
  EXPECT_TRUE(media_.IsFullScreen);
  run("<<WMP|full_screen|>>");
  EXPECT_FALSE(media_.IsFullScreen);
}

}  // namespace
