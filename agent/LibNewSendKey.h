#pragma once

#include <QtGlobal>

#include "platform/InputSynthesis.h"

// One synthesised key event for a virtual key: a press, or a release alone.
class LibNewSendKey {
 public:
  explicit LibNewSendKey(InputSynthesis& input) : input_(input) {}

  void SendVirtualKey(quint16 virtualKey, bool keyDown) {
    // As with every injected event, a key the desktop cannot send is dropped silently.
    (void)input_.sendKey(virtualKey, keyDown);
  }

 private:
  InputSynthesis& input_;
};
