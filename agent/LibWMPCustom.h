#pragma once

#include <QtGlobal>

#include "agent/CommandActions.h"

// The master volume of the speakers, in percent. The agent has no mixer to drive yet: reading
// gives 0 and setting writes nothing, as with a machine that has no mixer.
class LibWMPCustom final : public VolumeActions {
 public:
  [[nodiscard]] qint32 GetMasterVolume() const { return 0; }
  void SetMasterVolume(qint32 percent) override;
};
