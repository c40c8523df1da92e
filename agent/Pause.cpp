#include "agent/Pause.h"

#include <QThread>

namespace {

// Between two readings of the tick count the thread sleeps this long once the waiting events
// are done, so that a wait does not spin a core; the 10 ms serial timer still fires on time to
// within this slice.
constexpr unsigned long kIdleSliceMs = 1;

}  // namespace

void Pause(const TickClock& clock, EventPump& pump, qint32 ms) {
  const quint32 start = clock.tickCount();
  for (;;) {
    // Unsigned subtraction is the difference modulo 2^32, so the counter's wrap is invisible.
    const quint32 elapsed = clock.tickCount() - start;
    if (qint64{elapsed} > qint64{ms}) {
      return;
    }
    pump.ProcessPendingEvents();
    QThread::msleep(kIdleSliceMs);
  }
}

bool PauseUntil(const TickClock& clock, EventPump& pump, qint32 boundMs, qint32 pollMs,
                const std::function<bool()>& condition) {
  const quint32 start = clock.tickCount();
  for (;;) {
    Pause(clock, pump, pollMs);
    if (condition()) {
      return true;
    }
    const quint32 elapsed = clock.tickCount() - start;
    if (qint64{elapsed} > qint64{boundMs}) {
      return false;
    }
  }
}
