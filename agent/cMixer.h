#pragma once

#include <QtGlobal>
#include <memory>

#include "platform/AudioMixer.h"

// The master volume control of mixer device 0, in percent of its range. The device is opened and
// the control chosen once, at construction, and the device stays open until destruction: a mixer
// that appears later is not picked up. Without a device or a control, reads give 0 and writes do
// nothing, silently. The names of the chosen line and control are left out: nothing reads them.
class cMixer {
 public:
  explicit cMixer(AudioMixers& mixers);
  ~cMixer();
  cMixer(const cMixer&) = delete;
  cMixer& operator=(const cMixer&) = delete;

  // The master volume was found.
  [[nodiscard]] bool Success() const { return success_; }
  // The volume in percent of the control's range, rounded half to even; 0 without a control, for
  // an empty range and for a value that gives no whole 32-bit percent. A read that fails leaves
  // the last value read or written in place.
  [[nodiscard]] qint32 Value();
  // Sets the control to `percent` of its range, rounded half to even; a percent outside 0..100
  // changes nothing.
  void SetValue(qint32 percent);

 private:
  bool Choose();

  std::unique_ptr<AudioMixer> mixer_;
  // The control's raw value as last read or written: what a failed read leaves behind.
  qint64 value_ = 0;
  qint64 minimum_ = 0;
  qint64 maximum_ = 0;
  bool success_ = false;
};
