#include "tests/support/FakeSerialDevices.h"

#include <algorithm>
#include <cstring>

namespace {

using Step = FakeSerialDevices::Step;

class FakePort final : public SerialPort {
 public:
  FakePort(QString name, std::shared_ptr<FakeSerialDevices::Device> device, QStringList& calls)
      : name_(std::move(name)), device_(std::move(device)), calls_(calls) {}

  bool setupBuffers(qint32, qint32) override { return step(Step::SetupBuffers, "setupBuffers"); }
  bool purge() override {
    if (!step(Step::Purge, "purge")) {
      return false;
    }
    device_->incoming.clear();
    return true;
  }
  bool setTimeouts(const SerialTimeouts& t) override {
    if (!step(Step::SetTimeouts, "setTimeouts")) {
      return false;
    }
    device_->timeouts = t;
    return true;
  }
  bool lineSettings(SerialLineSettings& s) override {
    if (!step(Step::GetLineSettings, "lineSettings")) {
      return false;
    }
    s = device_->applied;
    return true;
  }
  bool applyLineSettings(const SerialLineSettings& s) override {
    if (!step(Step::ApplyLineSettings, "applyLineSettings")) {
      return false;
    }
    device_->applied = s;
    return true;
  }
  std::optional<Status> clearError() override {
    if (!step(Step::ClearError, "clearError")) {
      return std::nullopt;
    }
    Status status{static_cast<qint32>(device_->incoming.size()), device_->errorFlags};
    device_->errorFlags = 0;
    return status;
  }
  qint64 read(char* buffer, qint64 maxBytes) override {
    device_->readRequests << maxBytes;
    if (!step(Step::Read, "read")) {
      device_->errorFlags |= device_->readFailureFlags;
      return -1;
    }
    qint64 n = std::min<qint64>(maxBytes, device_->incoming.size());
    if (device_->deliverAtMost >= 0) {
      n = std::min(n, device_->deliverAtMost);
    }
    std::memcpy(buffer, device_->incoming.constData(), static_cast<std::size_t>(n));
    device_->incoming.remove(0, n);
    return n;
  }
  qint64 write(const QByteArray& bytes) override {
    if (!step(Step::Write, "write")) {
      return -1;
    }
    device_->written += bytes;
    return bytes.size();
  }
  bool setModemLine(ModemLine line, bool on) override {
    if (!step(Step::SetModemLine, "setModemLine")) {
      return false;
    }
    (line == ModemLine::Dtr   ? device_->dtr
     : line == ModemLine::Rts ? device_->rts
                              : device_->brk) = on;
    device_->lineChanges << QLatin1String(line == ModemLine::Dtr   ? "dtr"
                                          : line == ModemLine::Rts ? "rts"
                                                                   : "break") +
                                QLatin1String(on ? " on" : " off");
    return true;
  }
  bool close() override {
    if (!step(Step::Close, "close")) {
      return false;
    }
    device_->open = false;
    return true;
  }
  int lastError() const override { return lastError_; }

 private:
  bool step(Step s, const char* what) {
    calls_ << name_ + u':' + QLatin1String(what);
    if (device_->failing.count(s) != 0) {
      lastError_ = device_->errorCode;
      return false;
    }
    return true;
  }

  QString name_;
  std::shared_ptr<FakeSerialDevices::Device> device_;
  QStringList& calls_;
  int lastError_ = 0;
};

}  // namespace

std::shared_ptr<FakeSerialDevices::Device> FakeSerialDevices::add(const QString& name) {
  auto device = std::make_shared<Device>();
  devices[name] = device;
  return device;
}

std::unique_ptr<SerialPort> FakeSerialDevices::open(const QString& portName) {
  calls << portName + QStringLiteral(":open");
  const auto found = devices.find(portName);
  if (found == devices.end()) {
    lastError_ = lastOpenError;
    return nullptr;
  }
  Device& device = *found->second;
  if (device.open || device.failing.count(Step::Open) != 0) {
    lastError_ = device.open ? 32 : device.errorCode;
    return nullptr;
  }
  device.open = true;
  ++device.opens;
  return std::make_unique<FakePort>(portName, found->second, calls);
}

QString FakeSerialDevices::systemMessage(int code) const {
  if (const auto found = messages.find(code); found != messages.end()) {
    return found->second;
  }
  return QStringLiteral("System error %1.\r\n").arg(code);
}
