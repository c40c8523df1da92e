#pragma once

#include "platform/TickClock.h"

// The tick count from the monotonic clock: it never jumps when the wall clock is set, so waits
// measured in ticks stay right across a change of time or time zone.
class MonotonicTickClock final : public TickClock {
 public:
  [[nodiscard]] quint32 tickCount() const override;
};
