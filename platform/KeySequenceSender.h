#pragma once

#include <QString>

// Types a key string into the window that has the keyboard focus. The notation: "%" holds Alt
// down for the next key; a name in braces stands for a key ("{F5}", "{ESC}", "{ENTER}",
// "{HOME}", "{END}", "{PGUP}", "{PGDN}", "{LEFT}", "{RIGHT}", "{UP}", "{DOWN}", "{TAB}",
// "{BACKSPACE}", "{DELETE}", "{INSERT}", "{F1}".."{F12}"; see KeySequence.h); every other
// character is typed as it stands, and a single character in braces ("{%}", "{{}") is typed
// too.
class KeySequenceSender {
 public:
  virtual ~KeySequenceSender() = default;
  // False, with nothing typed, when the text is not in the notation. With `wait` the call
  // returns once the desktop has taken every key.
  [[nodiscard]] virtual bool sendKeys(const QString& keys, bool wait) = 0;
};
