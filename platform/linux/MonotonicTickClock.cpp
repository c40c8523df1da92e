#include "platform/linux/MonotonicTickClock.h"

#include <time.h>

quint32 MonotonicTickClock::tickCount() const {
  timespec now{};
  // CLOCK_MONOTONIC cannot fail on Linux for a valid pointer; a zero tick is the answer if it
  // ever did.
  (void)clock_gettime(CLOCK_MONOTONIC, &now);
  // Unsigned throughout: the count wraps modulo 2^32 as the callers expect, without overflow.
  const quint64 ms =
      static_cast<quint64>(now.tv_sec) * 1000U + static_cast<quint64>(now.tv_nsec) / 1000000U;
  return static_cast<quint32>(ms);
}
