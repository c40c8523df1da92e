#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/KeySequence.h"
#include "platform/VirtualKeys.h"
#include "platform/linux/X11InputSynthesis.h"
#include "tests/support/MissingDisplays.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/X11InputRecorder.h"

// After Qt's headers: X11's macros clash with Qt's names.
#include <X11/X.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

namespace {

using Kind = RecordedInput::Kind;

// The Xvfb screen of scripts/with-desktop.sh.
constexpr ScreenPoint kScreenSize{1280, 1024};
// Sent after what a test types, so that the test knows when everything before it has arrived.
constexpr quint16 kMarkerKey = VirtualKey::kF12;
constexpr unsigned long kMarkerKeysym = XK_F12;
constexpr unsigned int kModifierMask = ShiftMask | ControlMask | Mod1Mask;

// Two monitors side by side on the one X screen, as programs see a laptop with a projector: a
// 480x360 one at the screen's left edge and, right of it, the primary one, 800x600. Defined
// through RandR 1.5 on a connection of their own, and removed again when they go, so that the
// other tests find the plain screen.
class SideBySideMonitors {
 public:
  static constexpr ScreenPoint kPrimaryOrigin{480, 0};
  static constexpr ScreenPoint kPrimarySize{800, 600};

  SideBySideMonitors() : display_(XOpenDisplay(nullptr)) {
    if (display_ == nullptr) {
      return;
    }
    left_ = XInternAtom(display_, "CORVANE-TEST-LEFT", False);
    primary_ = XInternAtom(display_, "CORVANE-TEST-PRIMARY", False);
    define(left_, {0, 0}, {480, 360}, false);
    define(primary_, kPrimaryOrigin, kPrimarySize, true);
    XSync(display_, False);
  }
  ~SideBySideMonitors() {
    if (display_ == nullptr) {
      return;
    }
    XRRDeleteMonitor(display_, DefaultRootWindow(display_), left_);
    XRRDeleteMonitor(display_, DefaultRootWindow(display_), primary_);
    XCloseDisplay(display_);
  }
  SideBySideMonitors(const SideBySideMonitors&) = delete;
  SideBySideMonitors& operator=(const SideBySideMonitors&) = delete;

  // Both are listed, the primary one marked so.
  [[nodiscard]] bool areListed() {
    if (display_ == nullptr) {
      return false;
    }
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display_, DefaultRootWindow(display_), True, &count);
    int found = 0;
    for (int i = 0; i < count; ++i) {
      found += (monitors[i].name == left_ && !monitors[i].primary) ||
               (monitors[i].name == primary_ && monitors[i].primary);
    }
    if (monitors != nullptr) {
      XRRFreeMonitors(monitors);
    }
    return found == 2;
  }

  // Where the X pointer stands on the screen.
  [[nodiscard]] std::optional<ScreenPoint> pointer() {
    Window root = None;
    Window child = None;
    ScreenPoint point;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    if (XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &point.x, &point.y,
                      &windowX, &windowY, &mask) == 0) {
      return std::nullopt;
    }
    return point;
  }

 private:
  void define(Atom name, ScreenPoint origin, ScreenPoint size, bool primary) {
    XRRMonitorInfo* monitor = XRRAllocateMonitor(display_, 0);
    monitor->name = name;
    monitor->primary = primary ? True : False;
    monitor->x = origin.x;
    monitor->y = origin.y;
    monitor->width = size.x;
    monitor->height = size.y;
    // A quarter of a millimetre per pixel: any size will do.
    monitor->mwidth = size.x / 4;
    monitor->mheight = size.y / 4;
    XRRSetMonitor(display_, DefaultRootWindow(display_), monitor);
    XRRFreeMonitors(monitor);
  }

  Display* display_ = nullptr;
  Atom left_ = None;
  Atom primary_ = None;
};

// A key event as the tests compare it: which key, which way, and the modifiers held.
struct KeyEvent {
  Kind kind = Kind::KeyDown;
  unsigned long keysym = 0;
  unsigned int modifiers = 0;
  friend bool operator==(const KeyEvent&, const KeyEvent&) = default;
};

void PrintTo(const KeyEvent& event, std::ostream* os) {
  const char* name = event.kind == Kind::KeyDown ? "down" : "up";
  char keysym[24];
  std::snprintf(keysym, sizeof keysym, "0x%lx", event.keysym);
  *os << '{' << name << ' ' << keysym << ", modifiers 0x" << std::hex << event.modifiers << std::dec
      << '}';
}

KeyEvent down(unsigned long keysym, unsigned int modifiers = 0) {
  return {Kind::KeyDown, keysym, modifiers};
}
KeyEvent up(unsigned long keysym, unsigned int modifiers = 0) {
  return {Kind::KeyUp, keysym, modifiers};
}

bool isKey(const RecordedInput& input) {
  return input.kind == Kind::KeyDown || input.kind == Kind::KeyUp;
}

bool isModifierKey(unsigned long keysym) {
  return keysym == XK_Shift_L || keysym == XK_Shift_R || keysym == XK_Alt_L || keysym == XK_Alt_R ||
         keysym == XK_Control_L || keysym == XK_Control_R;
}

std::vector<KeyEvent> keyEvents(const std::vector<RecordedInput>& inputs) {
  std::vector<KeyEvent> keys;
  for (const RecordedInput& input : inputs) {
    if (isKey(input)) {
      keys.push_back({input.kind, input.keysym, input.state & kModifierMask});
    }
  }
  return keys;
}

// The presses of the keys that are not modifiers, with the modifiers held for them.
std::vector<KeyEvent> presses(const std::vector<RecordedInput>& inputs) {
  std::vector<KeyEvent> keys;
  for (const KeyEvent& key : keyEvents(inputs)) {
    if (key.kind == Kind::KeyDown && !isModifierKey(key.keysym)) {
      keys.push_back(key);
    }
  }
  return keys;
}

std::string typedText(const std::vector<RecordedInput>& inputs) {
  std::string text;
  for (const RecordedInput& input : inputs) {
    if (input.kind == Kind::KeyDown) {
      text += input.text;
    }
  }
  return text;
}

// The desktop of scripts/with-desktop.sh: Xvfb with IceWM. The recorder's window has the
// keyboard focus; the adapter, on its own connection, sends the input.
class X11InputSynthesisTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "run through scripts/with-desktop.sh";
    ASSERT_TRUE(recorder_.isOpen()) << "the window manager did not take the recorder's window";
    ASSERT_TRUE(recorder_.focus()) << "the recorder's window did not get the keyboard focus";
  }

  // Sends the marker key and gives what arrived before it. Nothing may still be held down when
  // the marker arrives.
  std::vector<RecordedInput> inputBeforeMarker(X11InputSynthesis& input) {
    EXPECT_TRUE(input.sendKey(kMarkerKey, true));
    EXPECT_TRUE(input.sendKey(kMarkerKey, false));
    const auto isMarkerRelease = [](const RecordedInput& event) {
      return event.kind == Kind::KeyUp && event.keysym == kMarkerKeysym;
    };
    EXPECT_TRUE(recorder_.waitFor([&](const std::vector<RecordedInput>& events) {
      return std::any_of(events.begin(), events.end(), isMarkerRelease);
    })) << "the marker key did not arrive";
    std::vector<RecordedInput> events = recorder_.takeEvents();
    const auto marker = std::find_if(events.begin(), events.end(), [](const RecordedInput& event) {
      return event.kind == Kind::KeyDown && event.keysym == kMarkerKeysym;
    });
    if (marker == events.end()) {
      ADD_FAILURE() << "the marker key arrived without its press";
      return events;
    }
    EXPECT_EQ(marker->state & kModifierMask, 0U) << "a modifier was left held down";
    events.erase(marker, events.end());
    return events;
  }
  std::vector<RecordedInput> inputBeforeMarker() { return inputBeforeMarker(input_); }

  // Moves the pointer into the recorder's window and waits until the window has seen it there.
  // It comes from the screen's corner, outside the window, so that the move is one.
  std::optional<ScreenPoint> pointIntoWindow() {
    const auto centre = recorder_.centre();
    if (!centre || !input_.moveCursorTo({0, 0}) || !input_.moveCursorTo(*centre) ||
        !recorder_.waitFor([&](const std::vector<RecordedInput>& events) {
          return !events.empty() && events.back().kind == Kind::Motion &&
                 events.back().root == *centre;
        })) {
      ADD_FAILURE() << "the pointer did not reach the recorder's window";
      return std::nullopt;
    }
    (void)recorder_.takeEvents();
    return centre;
  }

  X11InputRecorder recorder_;
  X11InputSynthesis input_;
};

TEST_F(X11InputSynthesisTest, VirtualKeyArrivesAsItsKeysym) {
  struct Case {
    const char* name;
    quint16 virtualKey;
    unsigned long keysym;
  };
  const Case cases[] = {
      {"left arrow", VirtualKey::kLeft, XK_Left},
      {"right arrow", VirtualKey::kRight, XK_Right},
      {"enter", VirtualKey::kEnter, XK_Return},
      {"escape", VirtualKey::kEscape, XK_Escape},
      {"F5", 116, XK_F5},
      {"page down", VirtualKey::kPageDown, XK_Next},
      {"letter, as its lower-case keysym", 'A', XK_a},
      {"last letter", 'Z', XK_z},
      {"digit", '7', XK_7},
      {"space", VirtualKey::kSpace, XK_space},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(input_.sendKey(c.virtualKey, true));
    ASSERT_TRUE(input_.sendKey(c.virtualKey, false));
    EXPECT_EQ(keyEvents(inputBeforeMarker()),
              (std::vector<KeyEvent>{down(c.keysym), up(c.keysym)}));
  }
}

// A press alone leaves the key down until its release alone, as a held modifier shows.
TEST_F(X11InputSynthesisTest, KeyHeldDownModifiesTheKeysSentMeanwhile) {
  struct Case {
    const char* name;
    quint16 virtualKey;
    unsigned long keysym;
    unsigned int mask;
    unsigned long letter;
  };
  const Case cases[] = {
      {"shift", VirtualKey::kShift, XK_Shift_L, ShiftMask, XK_A},
      {"control", VirtualKey::kControl, XK_Control_L, ControlMask, XK_a},
      {"alt", VirtualKey::kAlt, XK_Alt_L, Mod1Mask, XK_a},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(input_.sendKey(c.virtualKey, true));
    ASSERT_TRUE(input_.sendKey('A', true));
    ASSERT_TRUE(input_.sendKey('A', false));
    ASSERT_TRUE(input_.sendKey(c.virtualKey, false));
    EXPECT_EQ(keyEvents(inputBeforeMarker()),
              (std::vector<KeyEvent>{down(c.keysym), down(c.letter, c.mask), up(c.letter, c.mask),
                                     up(c.keysym, c.mask)}));
  }
}

TEST_F(X11InputSynthesisTest, VirtualKeyWithoutKeysymIsRefused) {
  for (const quint16 virtualKey : {quint16{0}, quint16{7}, quint16{255}, quint16{0xFFFF}}) {
    SCOPED_TRACE(virtualKey);
    EXPECT_FALSE(input_.sendKey(virtualKey, true));
    EXPECT_FALSE(input_.sendKey(virtualKey, false));
  }
  EXPECT_EQ(keyEvents(inputBeforeMarker()), std::vector<KeyEvent>{});
}

TEST_F(X11InputSynthesisTest, KeyStringArrivesAsItsKeys) {
  struct Case {
    const char* name;
    QString keys;
    std::vector<KeyEvent> presses;
  };
  const Case cases[] = {
      {"named key", QStringLiteral("{ENTER}"), {down(XK_Return)}},
      {"function key", QStringLiteral("{F6}"), {down(XK_F6)}},
      {"names in any case",
       QStringLiteral("{esc}{PgDn}{bs}{Del}"),
       {down(XK_Escape), down(XK_Next), down(XK_BackSpace), down(XK_Delete)}},
      {"alt and a named key", QStringLiteral("%{LEFT}"), {down(XK_Left, Mod1Mask)}},
      {"alt for the next key only", QStringLiteral("%dx"), {down(XK_d, Mod1Mask), down(XK_x)}},
      {"alt and a capital: the letter's key, without shift",
       QStringLiteral("%D"),
       {down(XK_d, Mod1Mask)}},
      {"alt and a shifted character",
       QStringLiteral("%?"),
       {down(XK_question, Mod1Mask | ShiftMask)}},
      {"braced notation characters",
       QStringLiteral("{{}{%}{}}"),
       {down(XK_braceleft, ShiftMask), down(XK_percent, ShiftMask),
        down(XK_braceright, ShiftMask)}},
      {"line breaks and tabs",
       QStringLiteral("a\tb\r\nc\nd"),
       {down(XK_a), down(XK_Tab), down(XK_b), down(XK_Return), down(XK_c), down(XK_Return),
        down(XK_d)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(input_.sendKeys(c.keys, true));
    EXPECT_EQ(presses(inputBeforeMarker()), c.presses);
  }
}

TEST_F(X11InputSynthesisTest, AltIsReleasedAfterTheKeyItHolds) {
  ASSERT_TRUE(input_.sendKeys(QStringLiteral("%{LEFT}"), true));
  EXPECT_EQ(keyEvents(inputBeforeMarker()),
            (std::vector<KeyEvent>{down(XK_Alt_L), down(XK_Left, Mod1Mask), up(XK_Left, Mod1Mask),
                                   up(XK_Alt_L, Mod1Mask)}));
}

TEST_F(X11InputSynthesisTest, CharactersArriveAsTyped) {
  const char* const texts[] = {
      "aZ:/?", "Hello, World!", "0123456789 ", "`~!@#$^&*()-_=+[]\\|;'\",.<>}", "ZZzz",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    ASSERT_TRUE(input_.sendKeys(QString::fromLatin1(text), true));
    EXPECT_EQ(typedText(inputBeforeMarker()), text);
  }
}

TEST_F(X11InputSynthesisTest, KeysArriveWithoutWaiting) {
  ASSERT_TRUE(input_.sendKeys(QStringLiteral("ok{ENTER}"), false));
  // Before the marker, whose own round trip would push out anything left unsent.
  ASSERT_TRUE(recorder_.waitFor([](const std::vector<RecordedInput>& events) {
    return std::any_of(events.begin(), events.end(), [](const RecordedInput& event) {
      return event.kind == Kind::KeyUp && event.keysym == XK_Return;
    });
  }));
  EXPECT_EQ(presses(inputBeforeMarker()),
            (std::vector<KeyEvent>{down(XK_o), down(XK_k), down(XK_Return)}));
}

TEST_F(X11InputSynthesisTest, RejectedTextTypesNothing) {
  struct Case {
    const char* name;
    QString keys;
  };
  const Case cases[] = {
      {"unknown key name", QStringLiteral("ab{NOPE}")},
      {"unclosed brace", QStringLiteral("ab{LEFT")},
      {"alt with no key after it", QStringLiteral("abc%")},
      {"control character", QStringLiteral("ab\x01")},
      {"lone surrogate", QStringLiteral("ab") + QChar(0xD800)},
      {"over the length bound", QString(kMaxKeySequenceLength + 1, u'a')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(input_.sendKeys(c.keys, true));
    EXPECT_EQ(keyEvents(inputBeforeMarker()), std::vector<KeyEvent>{});
  }
}

TEST_F(X11InputSynthesisTest, LongestTextIsTypedWhole) {
  const QString keys(kMaxKeySequenceLength, u'q');
  ASSERT_TRUE(input_.sendKeys(keys, true));
  EXPECT_EQ(typedText(inputBeforeMarker()), keys.toStdString());
}

// The US keyboard map has none of these; the adapter lends each an empty keycode while it lives.
TEST_F(X11InputSynthesisTest, CharacterMissingFromTheMapBorrowsAnEmptyKeycode) {
  struct Case {
    const char* name;
    QString keys;
    unsigned long keysym;
  };
  const Case cases[] = {
      {"Cyrillic capital zhe", QStringLiteral("\u0416"), 0x1000416},
      {"Latin-1 e acute", QStringLiteral("\u00E9"), XK_eacute},
      {"beyond the BMP", QString::fromUcs4(U"\U0001F600"), 0x101F600},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const X11InputRecorder::KeyboardMap before = recorder_.keyboardMap();
    ASSERT_FALSE(before.empty());
    ASSERT_TRUE(recorder_.keycodesWith(c.keysym).empty());
    {
      X11InputSynthesis input;
      // Twice, and between keys the map has: the keycode is lent once and kept.
      ASSERT_TRUE(
          input.sendKeys(QStringLiteral("a") + c.keys + QStringLiteral("b") + c.keys, true));
      EXPECT_EQ(presses(inputBeforeMarker(input)),
                (std::vector<KeyEvent>{down(XK_a), down(c.keysym), down(XK_b), down(c.keysym)}));
      const auto lent = recorder_.keycodesWith(c.keysym);
      ASSERT_EQ(lent.size(), 1U);
      EXPECT_TRUE(std::all_of(before[lent.front()].begin(), before[lent.front()].end(),
                              [](unsigned long keysym) { return keysym == NoSymbol; }))
          << "keycode " << lent.front() << " was not empty";
    }
    EXPECT_EQ(recorder_.keyboardMap(), before) << "the keyboard map was not put back";
  }
}

// One text with more characters missing from the map than it has empty keycodes. A receiving
// client reads a keycode with the map as it is when it gets to the event, so a keycode lent again
// within the text can change the character it types: the text arrives whole as itself or is
// refused, never typed with wrong characters.
TEST_F(X11InputSynthesisTest, TextWithMoreMissingCharactersThanEmptyKeycodes) {
  const X11InputRecorder::KeyboardMap before = recorder_.keyboardMap();
  const auto empty = std::count_if(before.begin(), before.end(), [](const auto& columns) {
    return !columns.empty() && std::all_of(columns.begin(), columns.end(),
                                           [](unsigned long keysym) { return keysym == NoSymbol; });
  });
  // Distinct Cyrillic capitals, none of them on the US map.
  QString keys;
  std::vector<KeyEvent> expected;
  for (char32_t character = U'\u0410'; keys.size() < empty + 2; ++character) {
    keys += QChar(static_cast<char16_t>(character));
    expected.push_back(down(0x1000000UL | character));
  }
  {
    X11InputSynthesis input;
    const bool typed = input.sendKeys(keys, true);
    EXPECT_EQ(presses(inputBeforeMarker(input)), typed ? expected : std::vector<KeyEvent>{});
  }
  EXPECT_EQ(recorder_.keyboardMap(), before) << "the keyboard map was not put back";
}

TEST_F(X11InputSynthesisTest, CursorPositionReadsBackTheMove) {
  const ScreenPoint points[] = {
      {0, 0},
      {kScreenSize.x - 1, kScreenSize.y - 1},
      {640, 17},
      {3, 1000},
  };
  for (const ScreenPoint& point : points) {
    SCOPED_TRACE(testing::PrintToString(point));
    ASSERT_TRUE(input_.moveCursorTo(point));
    EXPECT_EQ(input_.cursorPosition(), point);
  }
}

TEST_F(X11InputSynthesisTest, MotionReachesTheWindowUnderThePointer) {
  ASSERT_TRUE(input_.moveCursorTo({0, 0}));
  (void)recorder_.takeEvents();
  const auto centre = recorder_.centre();
  ASSERT_TRUE(centre.has_value());
  ASSERT_TRUE(input_.moveCursorTo(*centre));
  ASSERT_TRUE(recorder_.waitForEvents(1));
  const RecordedInput motion = recorder_.takeEvents().front();
  EXPECT_EQ(motion.kind, Kind::Motion);
  EXPECT_EQ(motion.root, *centre);
}

TEST_F(X11InputSynthesisTest, ButtonLandsWhereThePointerStands) {
  struct Case {
    const char* name;
    InputSynthesis::MouseButton button;
    unsigned int number;
    unsigned int mask;
  };
  const Case cases[] = {
      {"left", InputSynthesis::MouseButton::Left, Button1, Button1Mask},
      {"right", InputSynthesis::MouseButton::Right, Button3, Button3Mask},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto point = pointIntoWindow();
    ASSERT_TRUE(point.has_value());
    // A press alone holds the button: the release comes only with its own call.
    ASSERT_TRUE(input_.sendMouseButton(c.button, true));
    ASSERT_TRUE(recorder_.waitForEvents(1));
    ASSERT_TRUE(input_.sendMouseButton(c.button, false));
    ASSERT_TRUE(recorder_.waitForEvents(2));
    const auto events = recorder_.takeEvents();
    ASSERT_EQ(events.size(), 2U) << testing::PrintToString(events);
    EXPECT_EQ(events[0].kind, Kind::ButtonDown);
    EXPECT_EQ(events[0].button, c.number);
    EXPECT_EQ(events[0].state & c.mask, 0U);
    EXPECT_EQ(events[1].kind, Kind::ButtonUp);
    EXPECT_EQ(events[1].button, c.number);
    EXPECT_EQ(events[1].state & c.mask, c.mask);
    for (const RecordedInput& event : events) {
      EXPECT_EQ(event.root, *point);
    }
    EXPECT_EQ(input_.cursorPosition(), point) << "a click does not move the pointer";
  }
}

TEST_F(X11InputSynthesisTest, ScreenSizeIsTheDisplays) {
  EXPECT_EQ(input_.screenSize(), kScreenSize);
}

// The handheld's positions are the primary monitor's, wherever the other monitors lie; the
// monitors are looked at afresh at each call.
TEST_F(X11InputSynthesisTest, PositionsAreThePrimaryMonitors) {
  ASSERT_EQ(input_.screenSize(), kScreenSize);
  {
    SideBySideMonitors monitors;
    ASSERT_TRUE(monitors.areListed());
    EXPECT_EQ(input_.screenSize(), SideBySideMonitors::kPrimarySize);
    struct Case {
      const char* name;
      ScreenPoint point;
      ScreenPoint onScreen;
    };
    const Case cases[] = {
        {"the centre: the primary monitor's middle", {400, 300}, {880, 300}},
        {"the primary monitor's top left", {0, 0}, {480, 0}},
        {"its bottom right", {799, 599}, {1279, 599}},
        {"left of it: on the other monitor", {-10, 100}, {470, 100}},
        {"the other monitor's bottom left", {-480, 359}, {0, 359}},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      ASSERT_TRUE(input_.moveCursorTo(c.point));
      EXPECT_EQ(monitors.pointer(), c.onScreen);
      EXPECT_EQ(input_.cursorPosition(), c.point);
    }
  }
  // The projector unplugged: the whole screen again.
  EXPECT_EQ(input_.screenSize(), kScreenSize);
  ASSERT_TRUE(input_.moveCursorTo({400, 300}));
  EXPECT_EQ(input_.cursorPosition(), (ScreenPoint{400, 300}));
}

TEST_F(X11InputSynthesisTest, ShowCursorCountsCalls) {
  struct Step {
    bool show;
    int count;
  };
  const Step steps[] = {
      {false, -1}, {true, 0},   {true, 1},  {false, 0},
      {false, -1}, {false, -2}, {true, -1}, {true, 0},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(input_.showCursor(step.show), step.count);
  }
}

TEST(X11InputSynthesisWithoutDisplayTest, EveryCallFails) {
  ForEachMissingDisplay([] {
    X11InputSynthesis input;
    EXPECT_FALSE(input.sendKey(VirtualKey::kLeft, true));
    EXPECT_FALSE(input.sendKeys(QStringLiteral("a"), true));
    EXPECT_FALSE(input.sendMouseButton(InputSynthesis::MouseButton::Left, true));
    EXPECT_FALSE(input.moveCursorTo({1, 1}));
    EXPECT_EQ(input.cursorPosition(), std::nullopt);
    EXPECT_EQ(input.screenSize(), std::nullopt);
    // The count is the adapter's own and goes on without a display.
    EXPECT_EQ(input.showCursor(false), -1);
  });
}

}  // namespace
