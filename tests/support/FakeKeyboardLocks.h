#pragma once

#include "platform/KeyboardLocks.h"

// The lock keys as the test sets them; counts the questions.
class FakeKeyboardLocks final : public KeyboardLocks {
 public:
  bool capsLock = false;
  int asked = 0;

  bool capsLockOn() override {
    ++asked;
    return capsLock;
  }
};
