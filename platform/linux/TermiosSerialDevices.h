#pragma once

#include <QString>
#include <memory>

#include "platform/SerialDevices.h"
#include "platform/linux/LinuxSerialPortMap.h"

// Serial devices over POSIX termios. "COM"n and "\\.\COM"n (any case) name the device of port n
// in the port map; a name that is neither, or a number the map does not hold, fails with ENOENT,
// as an unknown device name did before. Error codes are errno values.
//
// Exclusive open: the device is locked with flock() and marked TIOCEXCL. The kernel lets root
// past TIOCEXCL, so the lock is what keeps a second open out, in this process or another one
// that locks as we do; TIOCEXCL keeps out other users' programs that do not lock. A device that
// is held gives EBUSY. Closing the port (or destroying it) releases both.
//
// The port is a byte pipe from the moment it is open (no echo, no line editing, no character
// translation, no parity checking, no flow control, modem control lines ignored for reading), as
// a serial handle always was, whatever another program left on the device. applyLineSettings
// starts from that pipe again, so XON/XOFF (IXON and IXOFF, never IXANY) and CRTSCTS are on only
// when the settings ask for them. Every wait is a poll() bounded by the port's time-outs, so no
// call blocks longer than they allow.
//
// What termios has no notion of:
// - driver buffer sizes: setupBuffers only checks its arguments;
// - error flags: clearError reports the bytes waiting and flags of 0;
// - DSR sensitivity, DSR flow control, DTR handshake, RTS toggle and the "to" switch: kept and
//   reported back by lineSettings, with no effect on the device. RTS handshake and CTS flow
//   control are one termios flag (CRTSCTS); 1.5 stop bits are applied as CSTOPB, which a UART
//   sends as 1.5 stop bits with 5 data bits and as 2 otherwise.
// A device without modem lines (a pseudo-terminal) refuses setModemLine with the ioctl's errno;
// applyLineSettings sets DTR and RTS where the device has them and goes on where it has not.
class TermiosSerialDevices final : public SerialDevices {
 public:
  explicit TermiosSerialDevices(LinuxSerialPortMap portMap);

  [[nodiscard]] std::unique_ptr<SerialPort> open(const QString& portName) override;
  [[nodiscard]] int lastError() const override { return lastError_; }
  // The C library's text for the errno value, without surrounding spaces.
  [[nodiscard]] QString systemMessage(int code) const override;

 private:
  LinuxSerialPortMap portMap_;
  int lastError_ = 0;
};
