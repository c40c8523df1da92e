#include "agent/LibWMPCustom.h"

void LibWMPCustom::SetMasterVolume(qint32 percent) {
  // Values outside 0..100 are ignored; within them there is no mixer to set.
  (void)percent;
}
