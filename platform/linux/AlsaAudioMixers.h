#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "platform/AudioMixer.h"

// The sound card's mixer through ALSA's simple mixer. Device 0 is ALSA's "default" card, which a
// desktop's PulseAudio or PipeWire serves (its "Master" control is the default sink's volume);
// there is no other device. The master volume is the "Master" element (index 0) with a playback
// volume.
//
// ALSA prints its complaints (a sound server it cannot reach, a device it does not know) on the
// standard error of the whole process through one error handler. While an AlsaAudioMixers
// exists, and after, that handler hands them to the diagnostics sink, or drops them: a program
// started from the desktop has no one reading its standard error.
class AlsaAudioMixers final : public AudioMixers {
 public:
  // The card that device 0 names.
  static constexpr const char* kDefaultCard = "default";

  AlsaAudioMixers();
  ~AlsaAudioMixers() override;
  AlsaAudioMixers(const AlsaAudioMixers&) = delete;
  AlsaAudioMixers& operator=(const AlsaAudioMixers&) = delete;

  [[nodiscard]] std::unique_ptr<AudioMixer> open(qint32 device) override;
  void setDiagnostics(std::function<void(const QString&)> sink) override;
};
