#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>

// The line state of a serial port: what a mode text such as "baud=57600 parity=N data=8 stop=1"
// sets. Rate, framing and "to" not named in a mode text keep their values; flow control not named
// is off (xon, idsr, octs, odsr), and DTR and RTS are raised without handshake.
struct SerialLineSettings {
  enum class Parity { None, Even, Odd, Mark, Space };
  enum class StopBits { One, OneAndHalf, Two };
  enum class Switch { Unchanged, Off, On };
  enum class LineControl { Unchanged, Off, On, Handshake, Toggle };

  quint32 baud = 9600;
  Parity parity = Parity::None;
  int dataBits = 8;
  StopBits stopBits = StopBits::One;
  Switch timeouts = Switch::Unchanged;  // to=
  Switch xonXoff = Switch::Off;         // xon=
  Switch dsrSensitivity = Switch::Off;  // idsr=
  Switch ctsFlow = Switch::Off;         // octs=
  Switch dsrFlow = Switch::Off;         // odsr=
  LineControl dtr = LineControl::On;    // dtr=on|off|hs
  LineControl rts = LineControl::On;    // rts=on|off|hs|tg

  friend bool operator==(const SerialLineSettings&, const SerialLineSettings&) = default;
};

// Applies a mode text over `settings`. False (and `settings` unchanged) when the text does not
// parse: an unknown key, a value out of range, or a baud rate the device cannot take.
[[nodiscard]] bool BuildLineSettings(const QString& modeText, SerialLineSettings& settings);

// Read and write time-outs, in milliseconds.
struct SerialTimeouts {
  quint32 readInterval = 0;
  quint32 readTotalMultiplier = 0;
  quint32 readTotalConstant = 0;
  quint32 writeTotalMultiplier = 0;
  quint32 writeTotalConstant = 0;
};

enum class ModemLine { Break, Dtr, Rts };

// One open serial device. Every call that fails returns false, -1 or nothing, and leaves the
// system's error code for lastError().
class SerialPort {
 public:
  virtual ~SerialPort() = default;

  [[nodiscard]] virtual bool setupBuffers(qint32 inputBytes, qint32 outputBytes) = 0;
  // Drops whatever waits in both directions.
  [[nodiscard]] virtual bool purge() = 0;
  [[nodiscard]] virtual bool setTimeouts(const SerialTimeouts& timeouts) = 0;
  [[nodiscard]] virtual bool lineSettings(SerialLineSettings& settings) = 0;
  [[nodiscard]] virtual bool applyLineSettings(const SerialLineSettings& settings) = 0;
  // Bytes waiting in the input queue, and the port's error flags (cleared by the call).
  struct Status {
    qint32 bytesWaiting = 0;
    quint32 errorFlags = 0;
  };
  [[nodiscard]] virtual std::optional<Status> clearError() = 0;
  // Reads up to `maxBytes`, returning within the read time-outs; -1 on failure.
  [[nodiscard]] virtual qint64 read(char* buffer, qint64 maxBytes) = 0;
  // One synchronous write of the whole array; the count written, -1 on failure.
  [[nodiscard]] virtual qint64 write(const QByteArray& bytes) = 0;
  [[nodiscard]] virtual bool setModemLine(ModemLine line, bool on) = 0;
  [[nodiscard]] virtual bool close() = 0;

  // The system's error code of the last call that failed.
  [[nodiscard]] virtual int lastError() const = 0;
};

// The machine's serial devices, opened by the port names "COM"n and "\\.\COM"n.
class SerialDevices {
 public:
  virtual ~SerialDevices() = default;

  // Opens the device exclusively (a second open of the same device fails); nullptr on failure,
  // with the system's error code in lastError().
  [[nodiscard]] virtual std::unique_ptr<SerialPort> open(const QString& portName) = 0;
  [[nodiscard]] virtual int lastError() const = 0;
  // The system's message for an error code.
  [[nodiscard]] virtual QString systemMessage(int code) const = 0;
};
