#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "agent/LibNotify.h"
#include "agent/LibSerial.h"
#include "tests/support/DispatcherRig.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/Utf8Text.h"

namespace {

constexpr WindowHandle kForeground = 77;

TEST(ClassifyWindowTitleTest, TitlesGiveTheTypeOfTheFirstRuleTheyMeet) {
  struct Case {
    const char* title;
    const char* type;
  };
  const Case cases[] = {
      {"Microsoft PowerPoint - [talk.ppt]", "POWERPOINT"},
      {"microsoft powerpoint", "POWERPOINT"},
      {"MiCrOsOfT PoWeRpOiNt Slide Show", "POWERPOINT"},
      {"Macromedia Flash Player 8", "POWERPOINT"},
      {"Home - Microsoft Internet Explorer", "BROWSER"},
      {"Mozilla Firefox", "BROWSER"},
      // The browser row comes before the presentation row.
      {"Firefox - Microsoft PowerPoint", "BROWSER"},
      {"Windows Media Player", "WMPLAYER"},
      {"iTunes", "MEDIA_ITUNES"},
      {"iTunes - Windows Media", "WMPLAYER"},
      {"", "OTHER"},
      {"Terminal", "OTHER"},
      {"PowerPoint", "OTHER"},
      // The programs that stand in for the original ones on Linux.
      {"talk.odp - LibreOffice Impress", "POWERPOINT"},
      {"Presenting: talk", "POWERPOINT"},
      {"presenting: talk", "POWERPOINT"},
      {"Notes on Presenting: talk", "OTHER"},
      {"impressive.odt - LibreOffice Writer", "OTHER"},
      {"Presenting: talk - Mozilla Firefox", "BROWSER"},
      {"New Tab - Chromium", "BROWSER"},
      {"News - Google Chrome", "BROWSER"},
      {"Web Browser", "BROWSER"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    EXPECT_EQ(LibNotify::ClassifyWindowTitle(text(c.title)), text(c.type));
  }
}

// The foreground reports with an open link on a fake port and a desktop in memory.
class LibNotifyTest : public testing::Test, protected DispatcherRig {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openPort());
    link_.portOpen = true;
    link_.sessionActive = true;
    // Each pause ends at its first reading after the start.
    clock_.step = 1000;
    windows_.foreground = kForeground;
    setForegroundTitle(QString());
  }

  void setForegroundTitle(std::optional<QString> title) {
    windows_.windows = {{kForeground, std::move(title)}};
  }

  // Runs `action` once, at the first point where pending events run.
  void atNextEvents(std::function<void()> action) {
    auto pending = std::make_shared<std::function<void()>>(std::move(action));
    pump_.onPump = [pending] {
      if (*pending) {
        const std::function<void()> run = std::move(*pending);
        *pending = nullptr;
        run();
      }
    };
  }

  FakeWindowSystem windows_;
  LibNotify notify_{windows_, general_, link_, clock_, pump_};
};

TEST_F(LibNotifyTest, ReportsFollowTheTitleTheFlagsAndTheLink) {
  struct Case {
    const char* name;
    const char* lastTitle;
    bool suppress;
    bool portOpen;
    std::optional<QString> title;  // nothing: the title cannot be read
    bool force;
    const char* frame;
    const char* lastAfter;
    bool suppressAfter;
  };
  const Case cases[] = {
      {"a change is reported", "Desktop", false, true, text("Microsoft PowerPoint - [t.ppt]"),
       false, "<<CHANGEUI|POWERPOINT[Microsoft PowerPoint - [t.ppt]]|>>",
       "Microsoft PowerPoint - [t.ppt]", false},
      {"an unchanged title is not", "Editor", false, true, text("Editor"), false, "", "Editor",
       false},
      {"the comparison heeds case", "editor", false, true, text("Editor"), false,
       "<<CHANGEUI|OTHER[Editor]|>>", "Editor", false},
      {"asked for, an unchanged title is reported", "Editor", false, true, text("Editor"), true,
       "<<CHANGEUI|OTHER[Editor]|>>", "Editor", false},
      {"suppressed, a change is only the reference", "Desktop", true, true,
       text("Presenting: talk"), false, "", "Presenting: talk", false},
      {"suppressed, a forced report is only the reference", "Editor", true, true, text("Editor"),
       true, "", "Editor", false},
      // Nothing changed, so the one-shot flag waits for the next change.
      {"suppressed, no change keeps the flag", "Editor", true, true, text("Editor"), false, "",
       "Editor", true},
      {"an empty title is the reference only", "Editor", false, true, text(""), false, "", "",
       false},
      {"an empty title is not reported when asked for", "", false, true, text(""), true, "", "",
       false},
      {"an unreadable title counts as empty", "Editor", false, true, std::nullopt, true, "", "",
       false},
      {"a closed link sends nothing but keeps the reference", "Desktop", false, false,
       text("Mozilla Firefox"), false, "", "Mozilla Firefox", false},
      {"framing is taken out before the comparison", "abc", false, true, text("a<<bc>>"), false, "",
       "abc", false},
      {"framing is taken out of what is sent", "", false, true, text("a<<b>>c"), false,
       "<<CHANGEUI|OTHER[abc]|>>", "abc", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    notify_.LastWindowTitle = text(c.lastTitle);
    notify_.SuppressWindowNotify = c.suppress;
    link_.portOpen = c.portOpen;
    setForegroundTitle(c.title);
    notify_.NotifyForegroundChange(c.force);
    EXPECT_EQ(takeWritten(), text(c.frame));
    EXPECT_EQ(notify_.LastWindowTitle, text(c.lastAfter));
    EXPECT_EQ(notify_.SuppressWindowNotify, c.suppressAfter);
  }
}

TEST_F(LibNotifyTest, ALongTitleIsSentWithItsFirstHundredCharacters) {
  const QString title = QString(100, u'a') + QString(50, u'b');
  setForegroundTitle(title);
  notify_.NotifyForegroundChange(false);
  EXPECT_EQ(takeWritten(),
            QStringLiteral("<<CHANGEUI|OTHER[") + QString(100, u'a') + QStringLiteral("]|>>"));
  // The reference is the whole title, so the same title is not reported again.
  EXPECT_EQ(notify_.LastWindowTitle, title);
  notify_.NotifyForegroundChange(false);
  EXPECT_EQ(takeWritten(), QString());
}

TEST_F(LibNotifyTest, AForcedReportWaitsBeforeItIsSent) {
  clock_.step = 100;
  setForegroundTitle(text("Terminal"));
  notify_.NotifyForegroundChange(false);
  EXPECT_EQ(takeWritten(), text("<<CHANGEUI|OTHER[Terminal]|>>"));
  const quint32 plainTicks = clock_.now;

  clock_.now = 0;
  notify_.NotifyForegroundChange(true);
  EXPECT_EQ(takeWritten(), text("<<CHANGEUI|OTHER[Terminal]|>>"));
  EXPECT_GT(clock_.now - plainTicks, quint32{LibNotify::kForcedReportPauseMs});
}

TEST_F(LibNotifyTest, ATimerTickDuringTheForcedWaitDoesNotReportTheTitleTwice) {
  clock_.step = 100;  // the waits go round, letting events run
  setForegroundTitle(text("Mozilla Firefox"));
  notify_.LastWindowTitle = text("Desktop");
  int ticks = 0;
  // Once the title is read, the next events to run are those of the wait before sending.
  bool posted = false;
  windows_.onTitleRead = [this, &ticks, &posted](WindowHandle) {
    if (posted) {
      return;
    }
    posted = true;
    atNextEvents([this, &ticks] {
      ++ticks;
      notify_.ForegroundTimer_Tick();
    });
  };
  notify_.NotifyForegroundChange(true);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(takeWritten(), text("<<CHANGEUI|BROWSER[Mozilla Firefox]|>>"));
}

TEST_F(LibNotifyTest, TheTimerReportsOnlyWhileASessionIsActive) {
  link_.sessionActive = false;
  setForegroundTitle(text("Mozilla Firefox"));
  notify_.ForegroundTimer_Tick();
  EXPECT_EQ(takeWritten(), QString());
  EXPECT_EQ(notify_.LastWindowTitle, QString());

  link_.sessionActive = true;
  notify_.ForegroundTimer_Tick();
  EXPECT_EQ(takeWritten(), text("<<CHANGEUI|BROWSER[Mozilla Firefox]|>>"));
}

TEST_F(LibNotifyTest, TheAgentsOwnShowWindowIsNotReportedButTheNextChangeIs) {
  setForegroundTitle(text("talk.odp - LibreOffice Impress"));
  notify_.ForegroundTimer_Tick();
  EXPECT_EQ(takeWritten(), text("<<CHANGEUI|POWERPOINT[talk.odp - LibreOffice Impress]|>>"));

  notify_.SuppressWindowNotify = true;  // the show is being started
  setForegroundTitle(text("Presenting: talk"));
  notify_.ForegroundTimer_Tick();
  notify_.ForegroundTimer_Tick();
  EXPECT_EQ(takeWritten(), QString());

  setForegroundTitle(text("Mozilla Firefox"));
  notify_.ForegroundTimer_Tick();
  EXPECT_EQ(takeWritten(), text("<<CHANGEUI|BROWSER[Mozilla Firefox]|>>"));
}

TEST_F(LibNotifyTest, TheTitleIsReadAfterPendingEventsRan) {
  setForegroundTitle(text("Opening"));
  atNextEvents([this] { setForegroundTitle(text("Presenting: talk")); });
  EXPECT_EQ(notify_.GetWindowTitle(kForeground), text("Presenting: talk"));
  EXPECT_EQ(notify_.GetWindowTitle(kForeground + 1), QString());

  setForegroundTitle(QString(LibNotify::kWindowTitleChars + 10, u'x'));
  EXPECT_EQ(notify_.GetWindowTitle(kForeground).size(), LibNotify::kWindowTitleChars);
}

}  // namespace
