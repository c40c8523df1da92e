#include "editor/SlideTimes.h"

#include <limits>

#include "shared/NumberText.h"

namespace quenlow {

std::optional<qint32> HoursMinutesToSeconds(qint32 hours, qint32 minutes) {
  // Exact in 64 bits; a total beyond 32 bits is refused rather than wrapped into a
  // plausible-looking time.
  const qint64 seconds = (static_cast<qint64>(hours) * 60 + minutes) * 60;
  if (seconds < std::numeric_limits<qint32>::min() ||
      seconds > std::numeric_limits<qint32>::max()) {
    return std::nullopt;
  }
  return static_cast<qint32>(seconds);
}

qint32 DivideTime(qint32 total, qint32 count) {
  if (count < 1) {
    return 0;
  }
  // |total / count| never exceeds |total|, so the rounded share always fits 32 bits.
  const double share =
      numbertext::roundHalfEven(static_cast<double>(total) / static_cast<double>(count));
  return static_cast<qint32>(share);
}

}  // namespace quenlow
