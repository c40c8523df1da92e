#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/InputSynthesis.h"
#include "tests/support/X11TestWindows.h"

struct _XDisplay;

// One input event as the recording window received it.
struct RecordedInput {
  // Not KeyPress and the like: X11's headers take those names as macros.
  enum class Kind { KeyDown, KeyUp, ButtonDown, ButtonUp, Motion };
  Kind kind = Kind::Motion;
  // Keys: the keysym an application reads for the key, with the modifiers held.
  unsigned long keysym = 0;
  // Keys: the text XLookupString makes of the key (ASCII is all a test should rely on).
  std::string text;
  // The modifiers and buttons held just before the event, as X11's state mask (ShiftMask,
  // Mod1Mask for Alt, Button1Mask, ...).
  unsigned int state = 0;
  // Buttons: the button's number (1 left, 3 right).
  unsigned int button = 0;
  // Where the pointer was on the screen.
  ScreenPoint root;
};

void PrintTo(const RecordedInput& input, std::ostream* os);
void PrintTo(const ScreenPoint& point, std::ostream* os);

// A test client with one managed window that records the keys, buttons and pointer motion the
// window receives, in order. The window is opened and activated through X11TestWindows; this
// client's own connection selects and reads the input, so that nothing else on that connection
// competes for the events. Every wait is bounded (kPatienceMs): an event that never comes fails
// the test instead of hanging it.
class X11InputRecorder {
 public:
  static constexpr int kPatienceMs = X11TestWindows::kPatienceMs;

  // The server's keyboard map: the keysyms of each keycode's columns, indexed by keycode
  // (keycodes below the server's first are empty).
  using KeyboardMap = std::vector<std::vector<unsigned long>>;

  X11InputRecorder();
  ~X11InputRecorder();
  X11InputRecorder(const X11InputRecorder&) = delete;
  X11InputRecorder& operator=(const X11InputRecorder&) = delete;

  // The connection is up and the window manager took the window.
  [[nodiscard]] bool isOpen() const { return display_ != nullptr && window_ != 0; }
  [[nodiscard]] X11TestWindows::Id window() const { return window_; }

  // Has the manager activate the window and waits until it holds the keyboard focus.
  [[nodiscard]] bool focus();
  // The middle of the window, in screen coordinates.
  [[nodiscard]] std::optional<ScreenPoint> centre();

  // Waits until `done` holds for the events recorded so far (those already taken excluded).
  [[nodiscard]] bool waitFor(const std::function<bool(const std::vector<RecordedInput>&)>& done);
  [[nodiscard]] bool waitForEvents(std::size_t count);
  [[nodiscard]] const std::vector<RecordedInput>& events() const { return events_; }
  // The events recorded so far; the record starts empty again.
  [[nodiscard]] std::vector<RecordedInput> takeEvents();

  // Read from the server each time, never from Xlib's cache.
  [[nodiscard]] KeyboardMap keyboardMap();
  // The keycodes that have `keysym` in one of their columns.
  [[nodiscard]] std::vector<unsigned int> keycodesWith(unsigned long keysym);

 private:
  // Moves whatever the server has sent into the record.
  void readPending();
  void record(const union _XEvent& event);

  X11TestWindows windows_;
  _XDisplay* display_ = nullptr;
  X11TestWindows::Id window_ = 0;
  std::vector<RecordedInput> events_;
};
