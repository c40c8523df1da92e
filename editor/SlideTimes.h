#pragma once

#include <QtGlobal>
#include <optional>

// The time arithmetic of the assign-times dialog.
namespace quenlow {

// hours × 3600 + minutes × 60 (minutes above 59 taken as they are); no value when it leaves the
// 32-bit range.
[[nodiscard]] std::optional<qint32> HoursMinutesToSeconds(qint32 hours, qint32 minutes);

// One slide's share of `total` seconds: total / count rounded to the nearest whole number, a
// half to the even neighbour; 0 when count < 1.
[[nodiscard]] qint32 DivideTime(qint32 total, qint32 count);

}  // namespace quenlow
