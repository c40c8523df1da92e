#include "agent/cMixer.h"

#include <algorithm>
#include <optional>

#include "shared/NumberText.h"

namespace {

// The mixer device whose master volume the handheld sets: the default card.
constexpr qint32 kMixerDevice = 0;

// A rounded raw value back into the control's own units, within its bounds. The double of the
// largest qint64 is one past it and must not be converted.
qint64 toRaw(double rounded, qint64 minimum, qint64 maximum) {
  constexpr double kBeyondLargest = 9223372036854775808.0;  // 2^63
  const qint64 low = std::min(minimum, maximum);
  const qint64 high = std::max(minimum, maximum);
  if (!(rounded > static_cast<double>(low))) {
    return low;
  }
  if (rounded >= static_cast<double>(high) || rounded >= kBeyondLargest) {
    return high;
  }
  return static_cast<qint64>(rounded);
}

}  // namespace

cMixer::cMixer(AudioMixers& mixers) : mixer_(mixers.open(kMixerDevice)) { (void)Choose(); }

cMixer::~cMixer() = default;

bool cMixer::Choose() {
  success_ = false;
  if (!mixer_ || !mixer_->chooseMasterVolume()) {
    return false;
  }
  const AudioMixer::Range range = mixer_->range();
  minimum_ = range.minimum;
  maximum_ = range.maximum;
  success_ = true;
  return true;
}

qint32 cMixer::Value() {
  if (!success_) {
    return 0;
  }
  if (const std::optional<qint64> raw = mixer_->value()) {
    value_ = *raw;
  }
  // An empty range has no percent; dividing by it would give no number at all.
  if (maximum_ == minimum_) {
    return 0;
  }
  const double percent = (static_cast<double>(value_) - static_cast<double>(minimum_)) * 100.0 /
                         (static_cast<double>(maximum_) - static_cast<double>(minimum_));
  return numbertext::toInt32(percent).value_or(0);
}

void cMixer::SetValue(qint32 percent) {
  if (!success_ || percent < 0 || percent > 100) {
    return;
  }
  const double raw =
      static_cast<double>(minimum_) +
      (static_cast<double>(maximum_) - static_cast<double>(minimum_)) * percent / 100.0;
  value_ = toRaw(numbertext::roundHalfEven(raw), minimum_, maximum_);
  // A refused write goes unreported, like a failed read: the handheld has no answer to show.
  (void)mixer_->setValue(value_);
}
