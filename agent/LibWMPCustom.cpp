#include "agent/LibWMPCustom.h"

LibWMPCustom::LibWMPCustom(AudioMixers& mixers) : mixers_(mixers) {}

LibWMPCustom::~LibWMPCustom() = default;

cMixer& LibWMPCustom::masterMixer() {
  if (!MasterMixer) {
    MasterMixer = std::make_unique<cMixer>(mixers_);
  }
  return *MasterMixer;
}

qint32 LibWMPCustom::GetMasterVolume() { return masterMixer().Value(); }

void LibWMPCustom::SetMasterVolume(qint32 percent) { masterMixer().SetValue(percent); }
