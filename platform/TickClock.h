#pragma once

#include <QtGlobal>

// Milliseconds since an arbitrary start, as an unsigned 32-bit count that wraps after about
// 49.7 days. Differences are taken modulo 2^32.
class TickClock {
 public:
  virtual ~TickClock() = default;
  [[nodiscard]] virtual quint32 tickCount() const = 0;
};
