#pragma once

#include <QtGlobal>
#include <memory>

#include "agent/CommandActions.h"
#include "agent/cMixer.h"
#include "platform/AudioMixer.h"

// The master volume of the speakers, in percent, for the handheld's "VOLUME" command and the
// version reply. The mixer is opened by the first read or write, whatever it asks (a percent
// outside 0..100 too), and kept open for the life of the agent.
class LibWMPCustom final : public VolumeActions {
 public:
  explicit LibWMPCustom(AudioMixers& mixers);
  ~LibWMPCustom() override;
  LibWMPCustom(const LibWMPCustom&) = delete;
  LibWMPCustom& operator=(const LibWMPCustom&) = delete;

  // 0 to 100; 0 without a mixer or when it cannot be read.
  [[nodiscard]] qint32 GetMasterVolume();
  // A percent outside 0..100 changes nothing.
  void SetMasterVolume(qint32 percent) override;

 private:
  cMixer& masterMixer();

  AudioMixers& mixers_;
  std::unique_ptr<cMixer> MasterMixer;
};
