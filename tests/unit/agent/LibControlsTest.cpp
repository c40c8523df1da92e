#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <functional>
#include <limits>
#include <optional>
#include <set>

#include "agent/LibControls.h"
#include "agent/LibNewSendKey.h"
#include "platform/InputSynthesis.h"
#include "platform/VirtualKeys.h"
#include "tests/support/FakeInputSynthesis.h"
#include "tests/support/FakeTickClock.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/Utf8Text.h"

namespace {

constexpr quint32 kNow = 123456;
// What LastLeftUpTick holds before the test: a value no step of it produces.
constexpr quint32 kEarlier = 77;

class LibControlsTest : public testing::Test {
 protected:
  LibControlsTest() {
    clock_.now = kNow;
    controls_.LastLeftUpTick = kEarlier;
  }

  FakeInputSynthesis input_;
  FakeTickClock clock_;
  FakeWindowSystem windows_;
  LibNewSendKey sendKey_{input_};
  LibControls controls_{input_, input_, sendKey_, windows_, clock_};
};

TEST_F(LibControlsTest, EachPrimitiveSendsExactlyItsEvents) {
  struct Case {
    const char* name;
    std::function<void(LibControls&)> action;
    QStringList calls;
  };
  const Case cases[] = {
      {"LeftClick", [](LibControls& c) { c.LeftClick(); },
       texts({"button(left,down)", "button(left,up)"})},
      {"RightClick", [](LibControls& c) { c.RightClick(); },
       texts({"button(right,down)", "button(right,up)"})},
      {"LeftButtonDown", [](LibControls& c) { c.LeftButtonDown(); }, texts({"button(left,down)"})},
      {"LeftButtonUp", [](LibControls& c) { c.LeftButtonUp(); }, texts({"button(left,up)"})},
      {"MoveCursorTo", [](LibControls& c) { c.MoveCursorTo(10, 20); }, texts({"move(10,20)"})},
      {"PressWindowsKey", [](LibControls& c) { c.PressWindowsKey(); },
       texts({"key(91,down)", "key(91,up)"})},
      // The window manager takes the request: no key at all.
      {"ShowDesktop", [](LibControls& c) { c.ShowDesktop(); }, {}},
      // A press or a release alone is one whole keystroke: a key left down would repeat.
      {"SendVirtualKey press", [](LibControls& c) { c.SendVirtualKey(VirtualKey::kLeft, true); },
       texts({"key(37,down)", "key(37,up)"})},
      {"SendVirtualKey release",
       [](LibControls& c) { c.SendVirtualKey(VirtualKey::kEscape, false); },
       texts({"key(27,down)", "key(27,up)"})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    input_.calls.clear();
    c.action(controls_);
    EXPECT_EQ(input_.calls, c.calls);
  }
}

// A window manager that offers no show-desktop request gets the logo key held while M goes down
// and up: the chord some desktops bind to it.
TEST_F(LibControlsTest, ShowDesktopFallsBackToTheChord) {
  windows_.failing = {FakeWindowSystem::Step::ShowDesktop};
  controls_.ShowDesktop();
  EXPECT_EQ(windows_.calls, texts({"showDesktop()"}));
  EXPECT_EQ(input_.calls, texts({"key(91,down)", "key(77,down)", "key(77,up)", "key(91,up)"}));
}

TEST_F(LibControlsTest, LastLeftUpTickFollowsOnlyTheLeftRelease) {
  struct Case {
    const char* name;
    std::function<void(LibControls&)> action;
    std::set<QString> failing;
    quint32 tick;
  };
  const Case cases[] = {
      {"LeftClick", [](LibControls& c) { c.LeftClick(); }, {}, kNow},
      {"LeftButtonUp", [](LibControls& c) { c.LeftButtonUp(); }, {}, kNow},
      // The close guard must hold even if the desktop reports the release as lost: the user's
      // button may well be up by then.
      {"LeftButtonUp failed",
       [](LibControls& c) { c.LeftButtonUp(); },
       {QStringLiteral("button(left,up)")},
       kNow},
      {"LeftButtonDown", [](LibControls& c) { c.LeftButtonDown(); }, {}, kEarlier},
      {"RightClick", [](LibControls& c) { c.RightClick(); }, {}, kEarlier},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    controls_.LastLeftUpTick = kEarlier;
    input_.failing = c.failing;
    c.action(controls_);
    EXPECT_EQ(controls_.LastLeftUpTick, c.tick);
  }
}

TEST_F(LibControlsTest, KeyChordsLeaveNothingHeldWhenAPressFails) {
  windows_.failing = {FakeWindowSystem::Step::ShowDesktop};
  const char* failingPress[] = {nullptr, "key(91,down)", "key(77,down)"};
  for (const char* failing : failingPress) {
    SCOPED_TRACE(failing ? failing : "none");
    input_.failing.clear();
    if (failing) {
      input_.failing.insert(text(failing));
    }
    controls_.ShowDesktop();
    EXPECT_TRUE(input_.heldKeys.empty());
    controls_.PressWindowsKey();
    EXPECT_TRUE(input_.heldKeys.empty());
  }
}

TEST_F(LibControlsTest, ForceCursorVisibleStepsTheCountAcrossTheThreshold) {
  struct Case {
    bool visible;
    int start;
    int calls;
    int end;
  };
  const Case cases[] = {
      // Shown: the count must reach 1, one call even when it is there already.
      {true, 5, 1, 6},
      {true, 1, 1, 2},
      {true, 0, 1, 1},
      {true, -1, 2, 1},
      {true, -3, 4, 1},
      // Hidden: below 0, one call even when it is there already.
      {false, -2, 1, -3},
      {false, 0, 1, -1},
      {false, 1, 2, -1},
      {false, 4, 5, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "visible " << c.visible << " from " << c.start);
    input_.calls.clear();
    input_.cursorCount = c.start;
    controls_.ForceCursorVisible(c.visible);
    EXPECT_EQ(input_.calls.size(), c.calls);
    const QString direction = c.visible ? QStringLiteral("(true)") : QStringLiteral("(false)");
    for (const QString& call : input_.calls) {
      EXPECT_TRUE(call.startsWith(QStringLiteral("showCursor") + direction)) << escapedText(call);
    }
    EXPECT_EQ(input_.cursorCount, c.end);
  }
}

TEST_F(LibControlsTest, ForceCursorVisibleGivesUpOnACountThatNeverMoves) {
  input_.cursorCountFrozen = true;
  for (const bool visible : {true, false}) {
    SCOPED_TRACE(visible ? "show" : "hide");
    input_.calls.clear();
    input_.cursorCount = visible ? -1 : 0;
    controls_.ForceCursorVisible(visible);
    EXPECT_EQ(input_.calls.size(), LibControls::kMaxCursorCountSteps);
  }
}

TEST(LibControlsTwipsTest, TwipsToPixelsRoundsTheOperandsAndTruncatesTheQuotient) {
  struct Case {
    double twips;
    qint64 pixels;
  };
  const Case cases[] = {
      {0, 0},        {15360, 1024}, {1919, 127},  // 127.93: truncated, not rounded
      {7.5, 0},                                   // rounds to 8
      {22.5, 1},                                  // rounds to 22
      {44.5, 2},                                  // rounds to 44, not 45
      {29.6, 2},                                  // rounds to 30 before the division
      {-1919, -127}, {-44.5, -2},   {std::numeric_limits<double>::quiet_NaN(), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.twips);
    EXPECT_EQ(LibControls::TwipsToPixelsX(c.twips), c.pixels);
    EXPECT_EQ(LibControls::TwipsToPixelsY(c.twips), c.pixels);
  }
}

TEST_F(LibControlsTest, CursorAndScreenReadsGiveZeroWhenTheyFail) {
  struct Case {
    const char* name;
    std::optional<ScreenPoint> value;
    qint32 x;
    qint32 y;
  };
  const Case cases[] = {
      {"readable", ScreenPoint{1280, 1024}, 1280, 1024},
      {"unreadable", std::nullopt, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    input_.cursor = c.value;
    input_.screen = c.value;
    EXPECT_EQ(controls_.GetCursorX(), c.x);
    EXPECT_EQ(controls_.GetCursorY(), c.y);
    EXPECT_EQ(controls_.ScreenWidthPixels(), c.x);
    EXPECT_EQ(controls_.ScreenHeightPixels(), c.y);
  }
}

TEST_F(LibControlsTest, SendKeysHandsTheTextToTheSenderAndGivesItsAnswer) {
  struct Case {
    const char* keys;
    bool wait;
    bool refused;
    const char* call;
  };
  const Case cases[] = {
      {"%{LEFT}", true, false, "keys(%{LEFT},wait)"},
      {"abc", false, false, "keys(abc,nowait)"},
      {"{F13}", true, true, "keys({F13},wait)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    input_.calls.clear();
    input_.refuseKeyStrings = c.refused;
    EXPECT_EQ(controls_.SendKeys(text(c.keys), c.wait), !c.refused);
    EXPECT_EQ(input_.calls, texts({c.call}));
  }
}

}  // namespace
