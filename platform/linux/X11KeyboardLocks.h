#pragma once

#include "platform/KeyboardLocks.h"
#include "platform/linux/X11Connection.h"

// The lock keys as the X server's keyboard holds them, on a connection of the adapter's own
// (opened at the first question, so that the toolkit's connection is made first). Caps Lock is
// the keyboard's "Caps Lock" indicator, the lamp a user sees on the keyboard, through the XKB
// extension; a keymap without that indicator gives the locked Lock modifier instead. Without a
// display, or without XKB on it, Caps Lock reads as off.
class X11KeyboardLocks final : public KeyboardLocks {
 public:
  X11KeyboardLocks() = default;
  X11KeyboardLocks(const X11KeyboardLocks&) = delete;
  X11KeyboardLocks& operator=(const X11KeyboardLocks&) = delete;

  [[nodiscard]] bool capsLockOn() override;

 private:
  X11Connection connection_;
  bool xkbChecked_ = false;
  bool xkbPresent_ = false;
};
