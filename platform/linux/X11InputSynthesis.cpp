#include "platform/linux/X11InputSynthesis.h"

#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <limits>

#include "platform/KeySequence.h"
#include "platform/VirtualKeys.h"

namespace {

// XFixes 4 brought HideCursor and ShowCursor.
constexpr int kXFixesCursorVersion = 4;
// RandR 1.5 brought monitors.
constexpr int kRandRMonitorMajor = 1;
constexpr int kRandRMonitorMinor = 5;

struct VirtualKeySym {
  quint16 virtualKey;
  KeySym keysym;
};

constexpr std::array<VirtualKeySym, 27> kVirtualKeySyms{{
    {VirtualKey::kBackspace, XK_BackSpace},
    {VirtualKey::kTab, XK_Tab},
    {VirtualKey::kEnter, XK_Return},
    {VirtualKey::kShift, XK_Shift_L},
    {VirtualKey::kControl, XK_Control_L},
    {VirtualKey::kAlt, XK_Alt_L},
    {VirtualKey::kEscape, XK_Escape},
    {VirtualKey::kSpace, XK_space},
    {VirtualKey::kPageUp, XK_Prior},
    {VirtualKey::kPageDown, XK_Next},
    {VirtualKey::kEnd, XK_End},
    {VirtualKey::kHome, XK_Home},
    {VirtualKey::kLeft, XK_Left},
    {VirtualKey::kUp, XK_Up},
    {VirtualKey::kRight, XK_Right},
    {VirtualKey::kDown, XK_Down},
    {VirtualKey::kInsert, XK_Insert},
    {VirtualKey::kDelete, XK_Delete},
    {VirtualKey::kLeftLogo, XK_Super_L},
    {92, XK_Super_R},
    {93, XK_Menu},
    {VirtualKey::kVolumeMute, XF86XK_AudioMute},
    {VirtualKey::kVolumeDown, XF86XK_AudioLowerVolume},
    {VirtualKey::kVolumeUp, XF86XK_AudioRaiseVolume},
    {VirtualKey::kMediaNext, XF86XK_AudioNext},
    {VirtualKey::kMediaPrevious, XF86XK_AudioPrev},
    {VirtualKey::kMediaStop, XF86XK_AudioStop},
}};

std::optional<KeySym> keysymOfVirtualKey(quint16 virtualKey) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') {
    return XK_a + (virtualKey - 'A');
  }
  if (virtualKey >= '0' && virtualKey <= '9') {
    return XK_0 + (virtualKey - '0');
  }
  if (virtualKey >= VirtualKey::kF1 && virtualKey <= VirtualKey::kF12) {
    return XK_F1 + (virtualKey - VirtualKey::kF1);
  }
  if (virtualKey == VirtualKey::kMediaPlayPause) {
    return XF86XK_AudioPlay;
  }
  for (const VirtualKeySym& entry : kVirtualKeySyms) {
    if (entry.virtualKey == virtualKey) {
      return entry.keysym;
    }
  }
  return std::nullopt;
}

// The keysym of a character: Latin-1 characters are their own keysyms, every other character
// is 0x01000000 plus its code point.
KeySym keysymOfCharacter(char32_t character) {
  if ((character >= 0x20 && character <= 0x7E) || (character >= 0xA0 && character <= 0xFF)) {
    return character;
  }
  return 0x01000000UL | character;
}

// The server's keyboard map, read once per call.
struct KeyboardMap {
  int minKeycode = 0;
  int maxKeycode = 0;
  int perKeycode = 0;
  std::vector<KeySym> keysyms;

  [[nodiscard]] KeySym at(int keycode, int column) const {
    if (column >= perKeycode) {
      return NoSymbol;
    }
    return keysyms[static_cast<std::size_t>((keycode - minKeycode) * perKeycode + column)];
  }
  [[nodiscard]] bool isEmpty(int keycode) const {
    for (int column = 0; column < perKeycode; ++column) {
      if (at(keycode, column) != NoSymbol) {
        return false;
      }
    }
    return true;
  }
};

std::optional<KeyboardMap> readKeyboardMap(Display* display) {
  KeyboardMap map;
  XDisplayKeycodes(display, &map.minKeycode, &map.maxKeycode);
  const int count = map.maxKeycode - map.minKeycode + 1;
  if (count <= 0) {
    return std::nullopt;
  }
  KeySym* keysyms =
      XGetKeyboardMapping(display, static_cast<KeyCode>(map.minKeycode), count, &map.perKeycode);
  if (keysyms == nullptr || map.perKeycode <= 0) {
    if (keysyms != nullptr) {
      XFree(keysyms);
    }
    return std::nullopt;
  }
  map.keysyms.assign(keysyms, keysyms + static_cast<std::ptrdiff_t>(count) * map.perKeycode);
  XFree(keysyms);
  return map;
}

}  // namespace

X11InputSynthesis::X11InputSynthesis() = default;

X11InputSynthesis::~X11InputSynthesis() {
  if (display_ == nullptr || connection_.lost() || borrowed_.empty()) {
    return;
  }
  // The borrowed keycodes go back to being empty.
  const auto map = readKeyboardMap(display_);
  for (const BorrowedKey& key : borrowed_) {
    if (map && static_cast<int>(key.keycode) >= map->minKeycode &&
        static_cast<int>(key.keycode) <= map->maxKeycode) {
      std::vector<KeySym> none(static_cast<std::size_t>(map->perKeycode), NoSymbol);
      XChangeKeyboardMapping(display_, static_cast<int>(key.keycode), map->perKeycode, none.data(),
                             1);
    }
  }
  (void)connection_.syncWithoutError();
}

Display* X11InputSynthesis::display() {
  Display* display = connection_.display();
  if (display == nullptr) {
    return nullptr;
  }
  if (display_ != nullptr) {
    return display_;
  }
  int event = 0;
  int error = 0;
  int major = 0;
  int minor = 0;
  if (XTestQueryExtension(display, &event, &error, &major, &minor) == 0) {
    connection_.markLost();
    return nullptr;
  }
  int fixesMajor = kXFixesCursorVersion;
  int fixesMinor = 0;
  haveXFixes_ = XFixesQueryExtension(display, &event, &error) != 0 &&
                XFixesQueryVersion(display, &fixesMajor, &fixesMinor) != 0 &&
                fixesMajor >= kXFixesCursorVersion;
  int randrMajor = 0;
  int randrMinor = 0;
  haveMonitors_ = XRRQueryExtension(display, &event, &error) != 0 &&
                  XRRQueryVersion(display, &randrMajor, &randrMinor) != 0 &&
                  (randrMajor > kRandRMonitorMajor ||
                   (randrMajor == kRandRMonitorMajor && randrMinor >= kRandRMonitorMinor));
  display_ = display;
  return display_;
}

std::optional<X11InputSynthesis::Key> X11InputSynthesis::keyFor(unsigned long keysym) {
  const auto map = readKeyboardMap(display_);
  if (!map) {
    return std::nullopt;
  }
  for (int column = 0; column < 2; ++column) {
    for (int keycode = map->minKeycode; keycode <= map->maxKeycode; ++keycode) {
      if (map->at(keycode, column) == keysym) {
        return Key{static_cast<unsigned int>(keycode), column == 1};
      }
    }
  }
  const auto borrowed = borrowKeycode(keysym);
  if (!borrowed) {
    return std::nullopt;
  }
  return Key{*borrowed, false};
}

std::optional<unsigned int> X11InputSynthesis::borrowKeycode(unsigned long keysym) {
  const auto map = readKeyboardMap(display_);
  if (!map) {
    return std::nullopt;
  }
  // An empty keycode, or else the one lent longest ago: a character typed moments before on a
  // reused keycode may already have been read.
  std::optional<unsigned int> keycode;
  for (int candidate = map->maxKeycode; candidate >= map->minKeycode; --candidate) {
    if (map->isEmpty(candidate)) {
      keycode = static_cast<unsigned int>(candidate);
      break;
    }
  }
  if (!keycode && !borrowed_.empty()) {
    keycode = borrowed_.front().keycode;
    borrowed_.erase(borrowed_.begin());
  }
  if (!keycode) {
    return std::nullopt;
  }
  std::vector<KeySym> keysyms(static_cast<std::size_t>(map->perKeycode), NoSymbol);
  keysyms[0] = keysym;
  if (keysyms.size() > 1) {
    keysyms[1] = keysym;
  }
  XChangeKeyboardMapping(display_, static_cast<int>(*keycode), map->perKeycode, keysyms.data(), 1);
  if (!connection_.syncWithoutError()) {
    return std::nullopt;
  }
  borrowed_.push_back(BorrowedKey{*keycode, keysym});
  return keycode;
}

void X11InputSynthesis::pressAndRelease(const std::vector<unsigned int>& held,
                                        unsigned int keycode) {
  for (const unsigned int modifier : held) {
    XTestFakeKeyEvent(display_, modifier, True, CurrentTime);
  }
  XTestFakeKeyEvent(display_, keycode, True, CurrentTime);
  XTestFakeKeyEvent(display_, keycode, False, CurrentTime);
  for (auto it = held.rbegin(); it != held.rend(); ++it) {
    XTestFakeKeyEvent(display_, *it, False, CurrentTime);
  }
}

bool X11InputSynthesis::sendKey(quint16 virtualKey, bool keyDown) {
  const auto keysym = keysymOfVirtualKey(virtualKey);
  if (!keysym || display() == nullptr) {
    return false;
  }
  const auto key = keyFor(*keysym);
  if (!key) {
    return false;
  }
  XTestFakeKeyEvent(display_, key->keycode, keyDown ? True : False, CurrentTime);
  return connection_.syncWithoutError();
}

bool X11InputSynthesis::sendMouseButton(MouseButton button, bool buttonDown) {
  if (display() == nullptr) {
    return false;
  }
  const unsigned int number = button == MouseButton::Left ? Button1 : Button3;
  XTestFakeButtonEvent(display_, number, buttonDown ? True : False, CurrentTime);
  return connection_.syncWithoutError();
}

X11InputSynthesis::Monitor X11InputSynthesis::primaryMonitor() {
  const Monitor screen{0, 0, DisplayWidth(display_, connection_.screen()),
                       DisplayHeight(display_, connection_.screen())};
  if (!haveMonitors_) {
    return screen;
  }
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display_, connection_.root(), True, &count);
  if (monitors == nullptr) {
    // The server refused: the whole screen stands in, and the refusal must not fail the call.
    (void)connection_.syncWithoutError();
    return screen;
  }
  Monitor primary = screen;
  if (count > 0) {
    const XRRMonitorInfo* chosen = std::find_if(
        monitors, monitors + count, [](const XRRMonitorInfo& monitor) { return monitor.primary; });
    if (chosen == monitors + count) {
      chosen = monitors;
    }
    primary = Monitor{chosen->x, chosen->y, chosen->width, chosen->height};
  }
  XRRFreeMonitors(monitors);
  return primary;
}

bool X11InputSynthesis::moveCursorTo(ScreenPoint point) {
  if (display() == nullptr) {
    return false;
  }
  const Monitor monitor = primaryMonitor();
  // The request carries 16-bit coordinates; a point beyond them goes to the edge it lies past,
  // where the server would stop the pointer anyway.
  const auto onScreen = [](qint64 value) {
    return static_cast<int>(std::clamp<qint64>(value, std::numeric_limits<qint16>::min(),
                                               std::numeric_limits<qint16>::max()));
  };
  XTestFakeMotionEvent(display_, connection_.screen(), onScreen(qint64{monitor.x} + point.x),
                       onScreen(qint64{monitor.y} + point.y), CurrentTime);
  return connection_.syncWithoutError();
}

std::optional<ScreenPoint> X11InputSynthesis::cursorPosition() {
  if (display() == nullptr) {
    return std::nullopt;
  }
  Window root = 0;
  Window child = 0;
  int rootX = 0;
  int rootY = 0;
  int windowX = 0;
  int windowY = 0;
  unsigned int mask = 0;
  if (XQueryPointer(display_, connection_.root(), &root, &child, &rootX, &rootY, &windowX, &windowY,
                    &mask) == 0 ||
      !connection_.syncWithoutError()) {
    return std::nullopt;  // the pointer is on another screen
  }
  const Monitor monitor = primaryMonitor();
  return ScreenPoint{rootX - monitor.x, rootY - monitor.y};
}

int X11InputSynthesis::showCursor(bool show) {
  const bool wasVisible = cursorCount_ >= 0;
  cursorCount_ += show ? 1 : -1;
  const bool visible = cursorCount_ >= 0;
  if (visible != wasVisible && display() != nullptr && haveXFixes_) {
    if (visible) {
      XFixesShowCursor(display_, connection_.root());
    } else {
      XFixesHideCursor(display_, connection_.root());
    }
    (void)connection_.syncWithoutError();
  }
  return cursorCount_;
}

std::optional<ScreenPoint> X11InputSynthesis::screenSize() {
  if (display() == nullptr) {
    return std::nullopt;
  }
  const Monitor monitor = primaryMonitor();
  return ScreenPoint{monitor.width, monitor.height};
}

bool X11InputSynthesis::sendKeys(const QString& keys, bool wait) {
  const auto strokes = ParseKeySequence(keys);
  if (!strokes || display() == nullptr) {
    return false;
  }
  // Every key is found before the first is pressed, so that a text is typed whole or not at all.
  struct Press {
    std::vector<unsigned int> held;
    unsigned int keycode = 0;
    int column = 0;
    KeySym keysym = NoSymbol;
  };
  std::vector<Press> presses;
  presses.reserve(strokes->size());
  std::optional<Key> shift;
  std::optional<Key> alt;
  for (const KeyStroke& stroke : *strokes) {
    KeySym keysym = NoSymbol;
    if (stroke.virtualKey != 0) {
      const auto named = keysymOfVirtualKey(stroke.virtualKey);
      if (!named) {
        return false;
      }
      keysym = *named;
    } else {
      char32_t character = stroke.character;
      if (stroke.alt && character >= U'A' && character <= U'Z') {
        character += U'a' - U'A';
      }
      keysym = keysymOfCharacter(character);
    }
    const auto key = keyFor(keysym);
    if (!key) {
      return false;
    }
    Press press;
    if (stroke.alt) {
      alt = alt ? alt : keyFor(XK_Alt_L);
      if (!alt) {
        return false;
      }
      press.held.push_back(alt->keycode);
    }
    if (key->shift) {
      shift = shift ? shift : keyFor(XK_Shift_L);
      if (!shift) {
        return false;
      }
      press.held.push_back(shift->keycode);
    }
    press.keycode = key->keycode;
    press.column = key->shift ? 1 : 0;
    press.keysym = keysym;
    presses.push_back(std::move(press));
  }
  // With more characters missing from the map than it has empty keycodes, a keycode is lent
  // again before the earlier character on it is typed; the text is refused rather than typed
  // with wrong characters.
  if (!borrowed_.empty()) {
    const auto map = readKeyboardMap(display_);
    for (const Press& press : presses) {
      if (!map || map->at(static_cast<int>(press.keycode), press.column) != press.keysym) {
        return false;
      }
    }
  }
  for (const Press& press : presses) {
    pressAndRelease(press.held, press.keycode);
  }
  if (!wait) {
    XFlush(display_);
    return true;
  }
  return connection_.syncWithoutError();
}
