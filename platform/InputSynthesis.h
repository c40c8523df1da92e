#pragma once

#include <QtGlobal>
#include <optional>

// A point on the desktop in pixels, from the top left of the primary monitor (the screen the
// programs mean): a point on another monitor left of or above it has negative coordinates.
struct ScreenPoint {
  qint32 x = 0;
  qint32 y = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// Synthesised input on the desktop, as if it came from the keyboard and the mouse: it goes to
// whatever has the keyboard focus or lies under the pointer. Keys are named by the virtual-key
// numbers the handheld's commands are written in (37 left arrow, 39 right arrow, 91 the left
// logo key, 65..90 the letters, ...). Nothing here waits for the receiving application, and a
// failure (no display, a key the desktop has no key for) leaves the desktop as it was.
class InputSynthesis {
 public:
  enum class MouseButton { Left, Right };

  virtual ~InputSynthesis() = default;

  // One press or one release of the key; false when it could not be sent.
  virtual bool sendKey(quint16 virtualKey, bool keyDown) = 0;
  // One press or one release of the button where the pointer stands; the pointer does not move.
  virtual bool sendMouseButton(MouseButton button, bool buttonDown) = 0;
  virtual bool moveCursorTo(ScreenPoint point) = 0;
  [[nodiscard]] virtual std::optional<ScreenPoint> cursorPosition() = 0;
  // The cursor's display count: each call with `show` raises it by one, each call without lowers
  // it by one, and the cursor is visible while the count is 0 or more. Gives the new count.
  virtual int showCursor(bool show) = 0;
  // The primary monitor's size in pixels; nothing when it cannot be read.
  [[nodiscard]] virtual std::optional<ScreenPoint> screenSize() = 0;
};
