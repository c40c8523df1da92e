#pragma once

#include <QtGlobal>

#include "platform/TickClock.h"

// Waits until more than `ms` milliseconds have passed on the tick count (wrap-safe), letting the
// window system process pending events all the while.
void Pause(const TickClock& clock, qint32 ms);
