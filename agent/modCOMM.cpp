#include "agent/modCOMM.h"

#include <QStringView>
#include <algorithm>
#include <cerrno>
#include <exception>
#include <new>
#include <optional>
#include <utility>

#include "platform/TrimText.h"
#include "platform/Windows1252.h"

namespace {

// Numbers of the failures a routine catches inside itself, in the numbering of kOutOfRange.
constexpr qint32 kOutOfMemory = 7;
constexpr qint32 kInternalError = 51;

// A failing call that leaves no code behind must still not read as success (0).
constexpr int kFailureWithoutCode = EIO;
// A slot marked open without a device behind it.
constexpr int kNoDevice = EBADF;

const QString kPortInUseMessage = QStringLiteral("Port in use.");
const QString kInvalidParameterMessage = QStringLiteral("The parameter is incorrect.\r\n");
const QString kErrorFlagsLabel = QStringLiteral("  COMM Error Flags = ");

// A read is bounded by a second in all, a write by a second per byte: a silent or stalled
// handheld never holds the window thread for long.
constexpr SerialTimeouts kPortTimeouts{0xFFFFFFFFu, 0, 1000, 1000, 0};

std::optional<ModemLine> modemLine(qint16 line) {
  switch (line) {
    case modCOMM::kLineBreak:
      return ModemLine::Break;
    case modCOMM::kLineDtr:
      return ModemLine::Dtr;
    case modCOMM::kLineRts:
      return ModemLine::Rts;
    default:
      return std::nullopt;
  }
}

}  // namespace

modCOMM::modCOMM(SerialDevices& devices, EventPump& pump, std::function<void()> showActivity)
    : devices_(devices), pump_(pump), showActivity_(std::move(showActivity)) {}

modCOMM::PortRecord* modCOMM::slot(qint16 port) {
  if (port < 1 || port > kPortCount) {
    return nullptr;
  }
  return &Ports[static_cast<std::size_t>(port - 1)];
}

const modCOMM::PortRecord* modCOMM::slot(qint16 port) const {
  if (port < 1 || port > kPortCount) {
    return nullptr;
  }
  return &Ports[static_cast<std::size_t>(port - 1)];
}

bool modCOMM::isOpen(qint16 port) const {
  const PortRecord* record = slot(port);
  return record != nullptr && record->IsOpen;
}

qint32 modCOMM::unexpected(const QString& routine, qint32 code, const QString& description) {
  CommLastError = {code, routine, description};
  return code;
}

qint32 modCOMM::outOfRange(const QString& routine, qint16 port) {
  return unexpected(
      routine, kOutOfRange,
      QStringLiteral("Port number %1 is out of range (1 to %2).").arg(port).arg(kPortCount));
}

// The callers of the layer expect a status, never an exception: whatever escapes a routine
// becomes the record and the routine's failure result, which is the failure's number, or
// `failResult` when that is not 0 (CommRead's -1).
template <typename Body>
qint32 modCOMM::guarded(const QString& routine, qint32 failResult, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (const std::bad_alloc&) {
    const qint32 code = unexpected(routine, kOutOfMemory, QStringLiteral("Out of memory."));
    return failResult == 0 ? code : failResult;
  } catch (const std::exception& e) {
    const qint32 code = unexpected(routine, kInternalError, QString::fromLocal8Bit(e.what()));
    return failResult == 0 ? code : failResult;
  }
}

qint32 modCOMM::SetCommError(const QString& step, int code) {
  CommLastError.Code = code != 0 ? code : kFailureWithoutCode;
  CommLastError.Source = step;
  CommLastError.Message = GetSystemMessage(CommLastError.Code);
  return CommLastError.Code;
}

qint32 modCOMM::SetCommErrorEx(const QString& step, SerialPort& port) {
  (void)SetCommError(step, port.lastError());
  const std::optional<SerialPort::Status> status = port.clearError();
  const quint32 flags = status ? status->errorFlags : 0;
  CommLastError.Message += kErrorFlagsLabel + QString::number(flags, 16).toUpper();
  return CommLastError.Code;
}

QString modCOMM::GetSystemMessage(qint32 code) const {
  const QString full = devices_.systemMessage(code);
  QStringView message = full;
  const qsizetype nul = message.indexOf(QChar(u'\0'));
  if (nul >= 0) {
    message = message.first(nul);
  }
  if (message.size() > kSystemMessageChars) {
    message = message.first(kSystemMessageChars);
  }
  return TrimSpaces(message);
}

qint32 modCOMM::CommGetError(QString& text) const {
  text = QStringLiteral("Error (") + QString::number(CommLastError.Code) + QStringLiteral("): ") +
         CommLastError.Source + QStringLiteral(" - ") + CommLastError.Message;
  return CommLastError.Code;
}

qint32 modCOMM::CommOpen(qint16 port, const QString& name, const QString& settings) {
  const QString routine = QStringLiteral("CommOpen");
  return guarded(routine, 0, [&]() -> qint32 {
    PortRecord* record = slot(port);
    if (record == nullptr) {
      return outOfRange(routine, port);
    }
    // Two-digit and longer port numbers are reached only through the device namespace.
    const QString deviceName = port > 9 ? QStringLiteral("\\\\.\\") + name : name;
    if (record->IsOpen) {
      CommLastError = {kPortInUse, routine, kPortInUseMessage};
      return kPortInUse;
    }

    record->Handle = devices_.open(deviceName);
    if (!record->Handle) {
      return SetCommError(QStringLiteral("CommOpen (CreateFile)"), devices_.lastError());
    }
    // Marked open before it is configured: a configuration failure leaves a device that only
    // CommClose releases.
    record->IsOpen = true;
    SerialPort& device = *record->Handle;

    if (!device.setupBuffers(kDriverBufferBytes, kDriverBufferBytes)) {
      return SetCommError(QStringLiteral("CommOpen (SetupComm)"), device.lastError());
    }
    if (!device.purge()) {
      return SetCommError(QStringLiteral("CommOpen (PurgeComm)"), device.lastError());
    }
    if (!device.setTimeouts(kPortTimeouts)) {
      return SetCommError(QStringLiteral("CommOpen (SetCommTimeouts)"), device.lastError());
    }
    if (!device.lineSettings(record->Dcb)) {
      return SetCommError(QStringLiteral("CommOpen (GetCommState)"), device.lastError());
    }
    if (!BuildLineSettings(settings, record->Dcb)) {
      // Parsing the mode text is no system call, so there is no errno; the code is the one of
      // an invalid parameter, as for any mode text the line cannot take.
      CommLastError = {kInvalidParameter, QStringLiteral("CommOpen (BuildCommDCB)"),
                       kInvalidParameterMessage};
      return kInvalidParameter;
    }
    if (!device.applyLineSettings(record->Dcb)) {
      return SetCommError(QStringLiteral("CommOpen (SetCommState)"), device.lastError());
    }
    return 0;
  });
}

qint32 modCOMM::CommClose(qint16 port) {
  const QString routine = QStringLiteral("CommClose");
  return guarded(routine, 0, [&]() -> qint32 {
    PortRecord* record = slot(port);
    if (record == nullptr) {
      return outOfRange(routine, port);
    }
    if (!record->IsOpen) {
      return 0;
    }
    if (record->Handle && !record->Handle->close()) {
      return SetCommError(QStringLiteral("CommClose (CloseHandle)"), record->Handle->lastError());
    }
    record->IsOpen = false;
    record->Handle.reset();
    return 0;
  });
}

qint32 modCOMM::CommRead(qint16 port, QString& data, qint32 size) {
  const QString routine = QStringLiteral("CommRead");
  constexpr qint32 kFailed = -1;
  return guarded(routine, kFailed, [&]() -> qint32 {
    data.clear();
    PortRecord* record = slot(port);
    if (record == nullptr) {
      (void)outOfRange(routine, port);
      return kFailed;
    }
    pump_.ProcessPendingEvents();
    // The yield may have let a window event close the port.
    if (!record->Handle) {
      (void)SetCommError(QStringLiteral("CommRead (ClearCommError)"), kNoDevice);
      return kFailed;
    }
    SerialPort& device = *record->Handle;
    const std::optional<SerialPort::Status> status = device.clearError();
    if (!status) {
      (void)SetCommError(QStringLiteral("CommRead (ClearCommError)"), device.lastError());
      return kFailed;
    }
    if (status->bytesWaiting <= 0) {
      return 0;
    }
    const qint32 count = std::min(std::max(status->bytesWaiting, size), kReadBufferBytes);
    std::array<char, kReadBufferBytes> buffer{};
    const qint64 got = device.read(buffer.data(), count);
    if (got < 0) {
      (void)SetCommErrorEx(QStringLiteral("CommRead (ReadFile)"), device);
      return kFailed;
    }
    // Never trust a count beyond what was asked for: it would read past the buffer.
    const qint32 n = static_cast<qint32>(std::min<qint64>(got, count));
    data = windows1252::decode(buffer.data(), n);
    return n;
  });
}

qint32 modCOMM::CommSetLine(qint16 port, qint16 line, bool state) {
  const QString routine = QStringLiteral("CommSetLine");
  const QString step = QStringLiteral("CommSetLine (EscapeCommFunction)");
  return guarded(routine, 0, [&]() -> qint32 {
    PortRecord* record = slot(port);
    if (record == nullptr) {
      return outOfRange(routine, port);
    }
    if (!record->Handle) {
      return SetCommError(step, kNoDevice);
    }
    const std::optional<ModemLine> which = modemLine(line);
    if (!which) {
      CommLastError = {kInvalidParameter, step, kInvalidParameterMessage};
      return kInvalidParameter;
    }
    if (!record->Handle->setModemLine(*which, state)) {
      return SetCommError(step, record->Handle->lastError());
    }
    return 0;
  });
}

QString modCOMM::ReadPortData() {
  try {
    QString data;
    if (PortNumber > 0 && isOpen(PortNumber)) {
      if (CommRead(PortNumber, data, kLinkReadBytes) > 0) {
        // Once the handheld talks, the lines raised for the connection go low; only the next
        // start of the link raises them again.
        (void)CommSetLine(PortNumber, kLineRts, false);
        (void)CommSetLine(PortNumber, kLineDtr, false);
        pump_.ProcessPendingEvents();
        pump_.ProcessPendingEvents();
        return data;
      }
    }
    pump_.ProcessPendingEvents();
    return QString();
  } catch (const std::exception&) {
    return QString();
  }
}

qint32 modCOMM::WritePortString(qint16 port, const QString& text) {
  try {
    return writeText(port, text);
  } catch (const std::exception&) {
    return 0;  // nothing the caller could count as sent
  }
}

qint32 modCOMM::writeText(qint16 port, const QString& text) {
  if (text.isEmpty()) {
    return 0;
  }
  // Only the link's port is ever written; a number outside the table is treated as closed.
  PortRecord* record = slot(port);
  if (record == nullptr || !record->IsOpen) {
    return 0;
  }
  const QByteArray bytes = windows1252::encode(text);
  if (!record->Handle) {
    return -1;
  }
  const qint64 written = record->Handle->write(bytes);
  showActivity_();
  if (written <= 0) {
    return 0;
  }
  return static_cast<qint32>(std::min<qint64>(written, bytes.size()));
}
