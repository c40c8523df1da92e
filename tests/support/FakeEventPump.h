#pragma once

#include <functional>

#include "platform/EventPump.h"

// Stands in for the toolkit's event processing: counts the calls and runs the test's own code at
// each, so that a test can act in the middle of a wait (feed a frame, close a port).
class FakeEventPump final : public EventPump {
 public:
  int pumps = 0;
  std::function<void()> onPump;

  void ProcessPendingEvents() override {
    ++pumps;
    if (onPump) {
      onPump();
    }
  }
};
