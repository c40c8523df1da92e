#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <functional>
#include <memory>

#include "platform/EventPump.h"
#include "platform/SerialDevices.h"

// The serial port layer: a table of 256 ports, the last failure, and the link's port and receive
// buffer. Statuses: 0 success, -1 "Port in use.", otherwise the system's error code; a port
// number outside 1..256 gives 9.
class modCOMM {
 public:
  static constexpr qint32 kPortCount = 256;
  static constexpr qint32 kDriverBufferBytes = 1024;
  static constexpr qint32 kReadBufferBytes = 1024;
  // The smallest request of the link's read: a few bytes waiting are fetched in one call with
  // whatever arrives meanwhile.
  static constexpr qint32 kLinkReadBytes = 64;
  // The system message is cut to what a 256-character buffer with its terminator holds.
  static constexpr qsizetype kSystemMessageChars = 255;
  static constexpr qint32 kOutOfRange = 9;
  static constexpr qint32 kPortInUse = -1;
  // "The parameter is incorrect": the code of a mode text the line settings cannot take. It is
  // not an errno value, so its message is our own and never the system's text for 87.
  static constexpr qint32 kInvalidParameter = 87;
  static constexpr qint16 kLineBreak = 1;
  static constexpr qint16 kLineDtr = 2;
  static constexpr qint16 kLineRts = 3;

  struct PortRecord {
    std::unique_ptr<SerialPort> Handle;  // none: the open failed or never happened
    bool IsOpen = false;
    SerialLineSettings Dcb;
  };

  struct LastError {
    qint32 Code = 0;
    QString Source;
    QString Message;
  };

  // `pump` lets the window system run (between reads); `showActivity` lights the tray lamp.
  modCOMM(SerialDevices& devices, EventPump& pump, std::function<void()> showActivity);

  [[nodiscard]] qint32 CommOpen(qint16 port, const QString& name, const QString& settings);
  qint32 CommClose(qint16 port);
  [[nodiscard]] qint32 CommRead(qint16 port, QString& data, qint32 size);
  qint32 CommSetLine(qint16 port, qint16 line, bool state);
  qint32 CommGetError(QString& text) const;
  [[nodiscard]] QString GetSystemMessage(qint32 code) const;

  // The link's read and write.
  [[nodiscard]] QString ReadPortData();
  qint32 WritePortString(qint16 port, const QString& text);

  // False for a number outside 1..256.
  [[nodiscard]] bool isOpen(qint16 port) const;

  qint16 PortNumber = 0;
  QString RxBuffer;
  LastError CommLastError;

 private:
  qint32 SetCommError(const QString& step, int code);
  qint32 SetCommErrorEx(const QString& step, SerialPort& port);
  qint32 outOfRange(const QString& routine, qint16 port);
  qint32 unexpected(const QString& routine, qint32 code, const QString& description);
  qint32 writeText(qint16 port, const QString& text);
  template <typename Body>
  qint32 guarded(const QString& routine, qint32 failResult, Body&& body);
  PortRecord* slot(qint16 port);
  [[nodiscard]] const PortRecord* slot(qint16 port) const;

  SerialDevices& devices_;
  EventPump& pump_;
  std::function<void()> showActivity_;
  std::array<PortRecord, kPortCount> Ports;
};
