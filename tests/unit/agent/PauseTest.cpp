#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <ctime>
#include <limits>

#include "agent/Pause.h"
#include "platform/linux/QtEventPump.h"
#include "tests/support/FakeEventPump.h"
#include "tests/support/FakeTickClock.h"

namespace {

struct PauseCase {
  const char* name;
  quint32 start;
  quint32 step;
  qint32 ms;
  quint32 lastElapsed;  // the difference at the reading that ended the wait
  int readings;         // the start reading included
};

TEST(PauseTest, WaitsUntilMoreThanTheGivenTimeHasPassedAcrossTheWrap) {
  constexpr quint32 kMax = std::numeric_limits<quint32>::max();
  const PauseCase cases[] = {
      {"reply pause", 1000, 1, 280, 281, 282},
      // Started 100 ms before the counter wraps: the wrap neither ends it early nor late.
      {"reply pause across the wrap", kMax - 99, 1, 280, 281, 282},
      {"coarse ticks across the wrap", kMax - 99, 7, 280, 287, 42},
      {"starting on the last tick", kMax, 10, 500, 510, 52},
      {"zero waits for one tick", 5, 1, 0, 1, 2},
      // The fuzz set-up: one reading after the start ends the wait.
      {"one large step", kMax - 99, 1000, 280, 1000, 2},
      {"negative returns at once", 42, 1, -1, 1, 2},
      {"most negative returns at once", 42, 1, std::numeric_limits<qint32>::min(), 1, 2},
      // Differences above the signed range still count as time passed.
      {"largest wait", kMax - 5, 1u << 30, std::numeric_limits<qint32>::max(), 2u << 30, 3},
  };
  for (const PauseCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeTickClock clock;
    clock.now = c.start;
    clock.step = c.step;
    FakeEventPump pump;
    Pause(clock, pump, c.ms);
    const quint32 lastRead = clock.now - clock.step;
    EXPECT_EQ(lastRead - c.start, c.lastElapsed);
    EXPECT_EQ(clock.readings, c.readings);
  }
}

// The pump runs between the readings, so that a frame can arrive in the middle of a wait.
TEST(PauseTest, ProcessesWaitingEventsWhileItWaits) {
  FakeTickClock clock;
  clock.step = 100;
  FakeEventPump pump;
  quint32 seenAt = 0;
  pump.onPump = [&] {
    if (seenAt == 0) {
      seenAt = clock.now;
    }
  };
  Pause(clock, pump, 280);
  EXPECT_EQ(pump.pumps, 2);
  EXPECT_GT(seenAt, 0u);
  EXPECT_LT(seenAt, 280u);
}

// The real clock, as the agent runs it: the 10 ms serial timer keeps firing inside a reply
// pause, and the wait sleeps rather than spinning a core.
class SteadyTickClock final : public TickClock {
 public:
  SteadyTickClock() { timer_.start(); }
  quint32 tickCount() const override { return static_cast<quint32>(timer_.elapsed()); }

 private:
  QElapsedTimer timer_;
};

TEST(PauseTest, KeepsTimersFiringWithoutBusyWaiting) {
  int ticks = 0;
  QTimer serialTimer;
  serialTimer.setInterval(10);
  QObject::connect(&serialTimer, &QTimer::timeout, [&ticks] { ++ticks; });
  serialTimer.start();

  const SteadyTickClock clock;
  QElapsedTimer wall;
  wall.start();
  const std::clock_t cpuBefore = std::clock();
  QtEventPump pump;
  Pause(clock, pump, 280);
  const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
  const qint64 wallMs = wall.elapsed();

  EXPECT_GT(wallMs, 280);
  EXPECT_GE(ticks, 10) << "the serial timer must run inside the pause";
  EXPECT_LT(cpuMs, 0.5 * static_cast<double>(wallMs)) << "the pause spins";
}

}  // namespace
