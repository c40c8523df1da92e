#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

// One volume control of the sound card's mixer, in the control's own raw units. Closed when
// destroyed.
class AudioMixer {
 public:
  struct Range {
    qint64 minimum = 0;
    qint64 maximum = 0;
  };

  virtual ~AudioMixer() = default;

  // Chooses the speakers' master playback volume, once: later calls give the first answer. False
  // when the mixer has no such control. The other calls act on the chosen control; without one
  // the range is empty, nothing reads and nothing is set.
  [[nodiscard]] virtual bool chooseMasterVolume() = 0;
  // The chosen control's bounds.
  [[nodiscard]] virtual Range range() const = 0;
  // The chosen control's value (its first channel), with changes made outside seen; no value when
  // it cannot be read.
  [[nodiscard]] virtual std::optional<qint64> value() = 0;
  // Sets every channel of the chosen control; false when the mixer refused (also a value outside
  // the range).
  [[nodiscard]] virtual bool setValue(qint64 raw) = 0;
};

// Opens mixer devices.
class AudioMixers {
 public:
  virtual ~AudioMixers() = default;
  // Mixer device `device` (0: the default card), or nothing when there is none.
  [[nodiscard]] virtual std::unique_ptr<AudioMixer> open(qint32 device) = 0;
  // Where the sound system's own complaints go (the debug log) instead of the standard error;
  // without a sink they are dropped.
  virtual void setDiagnostics(std::function<void(const QString&)> sink) = 0;
};
