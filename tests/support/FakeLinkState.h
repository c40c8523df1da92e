#pragma once

#include "agent/LinkState.h"

// The serial link's state as a test sets it.
class FakeLinkState final : public LinkState {
 public:
  bool portOpen = false;
  bool sessionActive = false;

  bool IsPortOpen() const override { return portOpen; }
  bool IsSessionActive() const override { return sessionActive; }
  void EndSession() override { sessionActive = false; }
};
