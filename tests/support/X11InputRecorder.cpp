#include "tests/support/X11InputRecorder.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>

namespace {

constexpr long kInputMask =
    KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
constexpr int kPollMs = 20;
constexpr int kMaxText = 32;

const char* kindName(RecordedInput::Kind kind) {
  switch (kind) {
    case RecordedInput::Kind::KeyDown:
      return "key down";
    case RecordedInput::Kind::KeyUp:
      return "key up";
    case RecordedInput::Kind::ButtonDown:
      return "button down";
    case RecordedInput::Kind::ButtonUp:
      return "button up";
    case RecordedInput::Kind::Motion:
      return "motion";
  }
  return "?";
}

}  // namespace

void PrintTo(const ScreenPoint& point, std::ostream* os) {
  *os << '(' << point.x << ", " << point.y << ')';
}

void PrintTo(const RecordedInput& input, std::ostream* os) {
  *os << '{' << kindName(input.kind);
  if (input.kind == RecordedInput::Kind::KeyDown || input.kind == RecordedInput::Kind::KeyUp) {
    const char* name = XKeysymToString(input.keysym);
    char code[24];
    std::snprintf(code, sizeof code, "0x%lx", input.keysym);
    *os << ' ' << (name != nullptr ? name : code);
  } else if (input.kind != RecordedInput::Kind::Motion) {
    *os << ' ' << input.button;
  }
  char state[16];
  std::snprintf(state, sizeof state, "0x%x", input.state);
  *os << ", state " << state << " at ";
  PrintTo(input.root, os);
  *os << '}';
}

X11InputRecorder::X11InputRecorder() {
  if (!windows_.isOpen()) {
    return;
  }
  display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) {
    return;
  }
  window_ = windows_.open("Input recorder");
  if (window_ == 0) {
    return;
  }
  XSelectInput(display_, window_, kInputMask);
  XSync(display_, False);
}

X11InputRecorder::~X11InputRecorder() {
  if (display_ != nullptr) {
    XCloseDisplay(display_);
  }
}

bool X11InputRecorder::focus() {
  if (!isOpen() || !windows_.activate(window_)) {
    return false;
  }
  return windows_.waitUntil([&] {
    Window focused = None;
    int revertTo = 0;
    XGetInputFocus(display_, &focused, &revertTo);
    return focused == window_;
  });
}

std::optional<ScreenPoint> X11InputRecorder::centre() {
  XWindowAttributes attributes{};
  if (!isOpen() || XGetWindowAttributes(display_, window_, &attributes) == 0) {
    return std::nullopt;
  }
  int x = 0;
  int y = 0;
  Window child = None;
  if (XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), attributes.width / 2,
                            attributes.height / 2, &x, &y, &child) == 0) {
    return std::nullopt;
  }
  return ScreenPoint{x, y};
}

void X11InputRecorder::record(const XEvent& event) {
  RecordedInput input;
  switch (event.type) {
    case KeyPress:
    case KeyRelease: {
      input.kind =
          event.type == KeyPress ? RecordedInput::Kind::KeyDown : RecordedInput::Kind::KeyUp;
      XKeyEvent key = event.xkey;
      char text[kMaxText] = {};
      KeySym keysym = NoSymbol;
      const int length = XLookupString(&key, text, sizeof text, &keysym, nullptr);
      input.keysym = keysym;
      input.text.assign(text, static_cast<std::size_t>(std::max(length, 0)));
      input.state = key.state;
      input.root = ScreenPoint{key.x_root, key.y_root};
      break;
    }
    case ButtonPress:
    case ButtonRelease:
      input.kind = event.type == ButtonPress ? RecordedInput::Kind::ButtonDown
                                             : RecordedInput::Kind::ButtonUp;
      input.state = event.xbutton.state;
      input.button = event.xbutton.button;
      input.root = ScreenPoint{event.xbutton.x_root, event.xbutton.y_root};
      break;
    case MotionNotify:
      input.kind = RecordedInput::Kind::Motion;
      input.state = event.xmotion.state;
      input.root = ScreenPoint{event.xmotion.x_root, event.xmotion.y_root};
      break;
    default:
      return;
  }
  events_.push_back(std::move(input));
}

void X11InputRecorder::readPending() {
  while (XPending(display_) > 0) {
    XEvent event{};
    XNextEvent(display_, &event);
    if (event.type == MappingNotify) {
      // A keycode lent to a new keysym is read with the new map, as any client would.
      XRefreshKeyboardMapping(&event.xmapping);
      continue;
    }
    record(event);
  }
}

bool X11InputRecorder::waitFor(const std::function<bool(const std::vector<RecordedInput>&)>& done) {
  if (display_ == nullptr) {
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatienceMs);
  while (true) {
    readPending();
    if (done(events_)) {
      return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      return false;
    }
    pollfd connection{ConnectionNumber(display_), POLLIN, 0};
    const int wait = static_cast<int>(std::min<long long>(left.count(), kPollMs));
    if (poll(&connection, 1, wait) < 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
  }
}

bool X11InputRecorder::waitForEvents(std::size_t count) {
  return waitFor(
      [count](const std::vector<RecordedInput>& events) { return events.size() >= count; });
}

std::vector<RecordedInput> X11InputRecorder::takeEvents() {
  readPending();
  return std::exchange(events_, {});
}

X11InputRecorder::KeyboardMap X11InputRecorder::keyboardMap() {
  KeyboardMap map;
  if (display_ == nullptr) {
    return map;
  }
  int minKeycode = 0;
  int maxKeycode = 0;
  XDisplayKeycodes(display_, &minKeycode, &maxKeycode);
  int perKeycode = 0;
  const int count = maxKeycode - minKeycode + 1;
  KeySym* keysyms =
      XGetKeyboardMapping(display_, static_cast<KeyCode>(minKeycode), count, &perKeycode);
  if (keysyms == nullptr) {
    return map;
  }
  map.resize(static_cast<std::size_t>(maxKeycode) + 1);
  for (int keycode = minKeycode; keycode <= maxKeycode; ++keycode) {
    const KeySym* first = keysyms + static_cast<std::ptrdiff_t>(keycode - minKeycode) * perKeycode;
    map[static_cast<std::size_t>(keycode)].assign(first, first + perKeycode);
  }
  XFree(keysyms);
  return map;
}

std::vector<unsigned int> X11InputRecorder::keycodesWith(unsigned long keysym) {
  std::vector<unsigned int> keycodes;
  const KeyboardMap map = keyboardMap();
  for (std::size_t keycode = 0; keycode < map.size(); ++keycode) {
    const auto& columns = map[keycode];
    if (std::find(columns.begin(), columns.end(), keysym) != columns.end()) {
      keycodes.push_back(static_cast<unsigned int>(keycode));
    }
  }
  return keycodes;
}
