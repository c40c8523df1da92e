#pragma once

// The keyboard's lock keys as the desktop holds them.
class KeyboardLocks {
 public:
  virtual ~KeyboardLocks() = default;
  // Caps Lock is on; false also when the desktop cannot be asked.
  [[nodiscard]] virtual bool capsLockOn() = 0;
};
