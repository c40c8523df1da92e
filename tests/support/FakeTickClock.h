#pragma once

#include "platform/TickClock.h"

// A tick count that moves only when told, or by `step` on every reading.
class FakeTickClock final : public TickClock {
 public:
  mutable quint32 now = 0;
  quint32 step = 0;
  mutable int readings = 0;

  quint32 tickCount() const override {
    ++readings;
    const quint32 value = now;
    now += step;
    return value;
  }
};
