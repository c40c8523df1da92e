#pragma once

#include <QtGlobal>

#include "platform/InputSynthesis.h"

// One synthesised keystroke for a virtual key, asked for as a single press or a single release.
class LibNewSendKey {
 public:
  explicit LibNewSendKey(InputSynthesis& input) : input_(input) {}

  // A lone press or release is one keystroke on the desktop either way: the X server repeats a
  // key that stays down until something releases it, and drops a release without a press. So
  // both become a press followed by its release, what a single injected event amounted to for
  // the receiving window where the handheld's commands were first written.
  void SendVirtualKey(quint16 virtualKey, bool keyDown) {
    (void)keyDown;
    // As with every injected event, a key the desktop cannot send is dropped silently.
    if (input_.sendKey(virtualKey, true)) {
      (void)input_.sendKey(virtualKey, false);
    }
  }

 private:
  InputSynthesis& input_;
};
