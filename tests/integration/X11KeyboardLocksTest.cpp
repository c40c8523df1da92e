#include <gtest/gtest.h>

#include "platform/linux/X11KeyboardLocks.h"
#include "tests/support/EventWait.h"
#include "tests/support/MissingDisplays.h"

// After Qt's headers: X11's macros clash with Qt's names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

// How long the server may take to carry a key into the keyboard's state; a bound, never a
// measure of speed.
constexpr int kPatienceMs = 5000;

// The user's Caps Lock key, pressed and released through XTest on a connection of the test's
// own, so that the adapter sees the server's state and not anything of the test's. It leaves the
// lock off, as it found it, for the tests after it.
class CapsLockKey {
 public:
  CapsLockKey() : display_(XOpenDisplay(nullptr)) {}
  ~CapsLockKey() {
    if (display_ == nullptr) {
      return;
    }
    if (lockedModifiers() & LockMask) {
      strike();
    }
    XCloseDisplay(display_);
  }
  CapsLockKey(const CapsLockKey&) = delete;
  CapsLockKey& operator=(const CapsLockKey&) = delete;

  [[nodiscard]] bool usable() const {
    return display_ != nullptr && XKeysymToKeycode(display_, XK_Caps_Lock) != 0;
  }

  // One whole keystroke, press then release, as the user's finger gives it.
  void strike() {
    const KeyCode keycode = XKeysymToKeycode(display_, XK_Caps_Lock);
    XTestFakeKeyEvent(display_, keycode, True, CurrentTime);
    XTestFakeKeyEvent(display_, keycode, False, CurrentTime);
    XSync(display_, False);
  }

 private:
  unsigned int lockedModifiers() {
    XkbStateRec state{};
    return XkbGetState(display_, XkbUseCoreKbd, &state) == Success ? state.locked_mods : 0U;
  }

  Display* display_;
};

TEST(X11KeyboardLocks, CapsLockFollowsTheKey) {
  CapsLockKey key;
  ASSERT_TRUE(key.usable()) << "no X display with a Caps Lock key";
  X11KeyboardLocks locks;
  ASSERT_FALSE(locks.capsLockOn()) << "the desktop starts with Caps Lock off";

  key.strike();
  EXPECT_TRUE(waitForCondition([&] { return locks.capsLockOn(); }, kPatienceMs));
  // A connection opened while the lock is on sees it at the first question.
  X11KeyboardLocks opened;
  EXPECT_TRUE(opened.capsLockOn());

  key.strike();
  EXPECT_TRUE(waitForCondition([&] { return !locks.capsLockOn(); }, kPatienceMs));
  EXPECT_FALSE(opened.capsLockOn());
}

TEST(X11KeyboardLocks, WithoutADisplayCapsLockIsOff) {
  ForEachMissingDisplay([] {
    X11KeyboardLocks locks;
    EXPECT_FALSE(locks.capsLockOn());
    // Asked again, it tries again and still finds nothing.
    EXPECT_FALSE(locks.capsLockOn());
  });
}

}  // namespace
