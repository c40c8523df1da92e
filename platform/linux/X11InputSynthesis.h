#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

#include "platform/InputSynthesis.h"
#include "platform/KeySequenceSender.h"
#include "platform/linux/X11Connection.h"

// Keyboard, mouse and cursor on an X11 display, through the XTest extension (input as the
// server's own devices would send it, so every client takes it as the user's) and XFixes (the
// cursor's visibility):
// - a virtual key is sent as the keycode that the server's keyboard map gives its keysym
//   (letters as their lower-case keysym, the logo key as Super_L, the media keys as the XF86
//   keysyms);
// - a character of a key string is typed with the key that has it on its first level, or with
//   Shift held for its second level; a character that no key has (a letter of another script,
//   say) borrows one of the keycodes the map leaves empty for as long as the adapter lives, and
//   the map is put back when it goes. With Alt held, a letter is its key without Shift, as
//   accelerators are meant ("%D" is Alt+D);
// - positions and the screen's size are the primary monitor's, as RandR lists the monitors
//   (the one marked primary, else the first); without RandR 1.5 or without monitors, the whole X
//   screen. The monitors are read at each call, since a projector may come and go in between;
// - the cursor moves by a synthesised motion to the position on the default screen;
// - the cursor's display count is kept here: it starts at 0, and the cursor is hidden while it
//   is below 0 (XFixes hides it from this connection until it is shown again or the connection
//   ends).
// Each call sends its requests and waits for the server to take them (one round trip); the
// receiving client handles them later. Without a display, or without XTest on it, every call
// fails.
class X11InputSynthesis final : public InputSynthesis, public KeySequenceSender {
 public:
  X11InputSynthesis();
  ~X11InputSynthesis() override;
  X11InputSynthesis(const X11InputSynthesis&) = delete;
  X11InputSynthesis& operator=(const X11InputSynthesis&) = delete;

  bool sendKey(quint16 virtualKey, bool keyDown) override;
  bool sendMouseButton(MouseButton button, bool buttonDown) override;
  bool moveCursorTo(ScreenPoint point) override;
  [[nodiscard]] std::optional<ScreenPoint> cursorPosition() override;
  int showCursor(bool show) override;
  [[nodiscard]] std::optional<ScreenPoint> screenSize() override;

  [[nodiscard]] bool sendKeys(const QString& keys, bool wait) override;

 private:
  // A key to press: its keycode and whether Shift must be held for the wanted keysym.
  struct Key {
    unsigned int keycode = 0;
    bool shift = false;
  };
  // A keycode the keyboard map left empty, lent to a keysym.
  struct BorrowedKey {
    unsigned int keycode = 0;
    unsigned long keysym = 0;
  };

  // A monitor's place on the X screen, in pixels.
  struct Monitor {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
  };

  // The display with XTest on it; nullptr when there is none.
  [[nodiscard]] _XDisplay* display();
  [[nodiscard]] Monitor primaryMonitor();
  [[nodiscard]] std::optional<Key> keyFor(unsigned long keysym);
  [[nodiscard]] std::optional<unsigned int> borrowKeycode(unsigned long keysym);
  void pressAndRelease(const std::vector<unsigned int>& held, unsigned int keycode);

  X11Connection connection_;
  _XDisplay* display_ = nullptr;
  bool haveXFixes_ = false;
  bool haveMonitors_ = false;
  int cursorCount_ = 0;
  std::vector<BorrowedKey> borrowed_;
};
