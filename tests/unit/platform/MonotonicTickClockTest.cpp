#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/linux/MonotonicTickClock.h"

namespace {

// The tick must count milliseconds: a wait measured in ticks is as long as the same wait
// measured by the standard monotonic clock. The bounds are wide; only the unit is checked.
TEST(MonotonicTickClockTest, CountsMilliseconds) {
  const MonotonicTickClock clock;
  const auto start = std::chrono::steady_clock::now();
  const quint32 first = clock.tickCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const quint32 ticks = clock.tickCount() - first;
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
  EXPECT_GE(ticks, 190U);
  EXPECT_LE(ticks, static_cast<quint32>(elapsed) + 10U);
}

}  // namespace
