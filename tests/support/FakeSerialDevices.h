#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <set>

#include "platform/SerialDevices.h"

// Serial devices in memory. Each port name has one shared state: what the handheld "sent"
// (`incoming`), what the agent wrote (`written`), the modem lines and which calls fail.
class FakeSerialDevices final : public SerialDevices {
 public:
  enum class Step {
    Open,
    SetupBuffers,
    Purge,
    SetTimeouts,
    GetLineSettings,
    ApplyLineSettings,
    ClearError,
    Read,
    Write,
    SetModemLine,
    Close
  };

  struct Device {
    QByteArray incoming;
    QByteArray written;
    bool dtr = false;
    bool rts = false;
    bool brk = false;
    bool open = false;
    quint32 errorFlags = 0;
    SerialLineSettings applied;
    SerialTimeouts timeouts;
    std::set<Step> failing;
    int errorCode = 5;             // the code a failing step leaves
    quint32 readFailureFlags = 0;  // error flags a failing read raises
    // Caps what one read delivers, as a driver that returns what has arrived so far; -1: none.
    qint64 deliverAtMost = -1;
    QList<qint64> readRequests;
    // Every successful change of a modem line, in order: "rts on", "dtr off", "break on".
    QStringList lineChanges;
    int opens = 0;
  };

  // Devices by the name they are opened under ("COM3", "\\.\COM12").
  std::map<QString, std::shared_ptr<Device>> devices;
  // Every call, in order, as "NAME:step".
  QStringList calls;
  int lastOpenError = 2;
  // Messages by code; other codes get "System error <code>." and a line break.
  std::map<int, QString> messages;

  std::shared_ptr<Device> add(const QString& name);

  std::unique_ptr<SerialPort> open(const QString& portName) override;
  int lastError() const override { return lastError_; }
  QString systemMessage(int code) const override;

 private:
  int lastError_ = 0;
};
