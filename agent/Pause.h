#pragma once

#include <QtGlobal>
#include <functional>

#include "platform/EventPump.h"
#include "platform/TickClock.h"

// Waits until more than `ms` milliseconds have passed on the tick count (wrap-safe), letting the
// window system process pending events all the while.
void Pause(const TickClock& clock, EventPump& pump, qint32 ms);

// Pauses `pollMs` at a time until `condition` holds, but no longer than `boundMs` in all; true
// when the condition held.
bool PauseUntil(const TickClock& clock, EventPump& pump, qint32 boundMs, qint32 pollMs,
                const std::function<bool()>& condition);
