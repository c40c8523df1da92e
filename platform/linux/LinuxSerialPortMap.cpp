#include "platform/linux/LinuxSerialPortMap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QtGlobal>
#include <algorithm>
#include <array>
#include <utility>

namespace {

struct Family {
  const char* prefix;
  int firstPort;
  int count;  // devices 0..count-1 have a number; the next family starts after them
  const char* valueName;
};

// The numbering rule of the class comment; the ranges follow one another without a gap.
constexpr std::array<Family, 4> kFamilies = {{{"ttyS", 1, 32, "\\Device\\Serial"},
                                              {"ttyUSB", 33, 16, "\\Device\\USBSER"},
                                              {"ttyACM", 49, 16, "\\Device\\USBSER_ACM"},
                                              {"rfcomm", 65, 192, "\\Device\\BthModem"}}};
static_assert(kFamilies.back().firstPort + kFamilies.back().count - 1 ==
              LinuxSerialPortMap::kMaxPortNumber);

// A UART slot without a chip reports type 0; the value is a small decimal number.
constexpr qint64 kMaxTypeBytes = 32;
// Port numbers have at most three digits; more is a malformed pair, not a larger number.
constexpr qsizetype kMaxNumberDigits = 3;

bool isUart(const QString& classEntry) {
  if (!QFileInfo::exists(classEntry + QStringLiteral("/device"))) {
    return false;
  }
  QFile type(classEntry + QStringLiteral("/type"));
  if (!type.exists() || !type.open(QIODevice::ReadOnly)) {
    return true;
  }
  bool ok = false;
  const int value = QString::fromLatin1(type.read(kMaxTypeBytes)).trimmed().toInt(&ok);
  return !ok || value != 0;
}

std::optional<int> parsePortNumber(QStringView text) {
  if (text.isEmpty() || text.size() > kMaxNumberDigits) {
    return std::nullopt;
  }
  for (const QChar c : text) {
    if (c < u'0' || c > u'9') {
      return std::nullopt;
    }
  }
  const int number = text.toInt();
  if (number < 1 || number > LinuxSerialPortMap::kMaxPortNumber) {
    return std::nullopt;
  }
  return number;
}

}  // namespace

LinuxSerialPortMap::LinuxSerialPortMap(QString environmentText, QString ttyClassFolder,
                                       QString deviceFolder)
    : environmentText_(std::move(environmentText)),
      ttyClassFolder_(std::move(ttyClassFolder)),
      deviceFolder_(std::move(deviceFolder)) {}

LinuxSerialPortMap LinuxSerialPortMap::fromEnvironment() {
  return LinuxSerialPortMap(qEnvironmentVariable(kVariable));
}

std::optional<std::vector<SerialPortMapEntry>> LinuxSerialPortMap::entries() const {
  const std::optional<std::vector<Port>> found = ports();
  if (!found) {
    return std::nullopt;
  }
  std::vector<SerialPortMapEntry> result;
  result.reserve(found->size());
  for (const Port& port : *found) {
    result.push_back({port.valueName, QStringLiteral("COM%1").arg(port.number)});
  }
  return result;
}

std::optional<QString> LinuxSerialPortMap::devicePath(int portNumber) const {
  const std::optional<std::vector<Port>> found = ports();
  if (!found) {
    return std::nullopt;
  }
  for (const Port& port : *found) {
    if (port.number == portNumber) {
      return port.path;
    }
  }
  return std::nullopt;
}

std::optional<std::vector<LinuxSerialPortMap::Port>> LinuxSerialPortMap::ports() const {
  std::optional<std::vector<Port>> found = machinePorts();
  std::vector<Port> all = found ? std::move(*found) : std::vector<Port>();
  addEnvironmentPorts(all);
  if (!found && all.empty()) {
    return std::nullopt;
  }
  return all;
}

std::optional<std::vector<LinuxSerialPortMap::Port>> LinuxSerialPortMap::machinePorts() const {
  const QDir classFolder(ttyClassFolder_);
  if (!classFolder.exists() || !classFolder.isReadable()) {
    return std::nullopt;
  }
  static const QRegularExpression kDeviceName(
      QStringLiteral("^(ttyS|ttyUSB|ttyACM|rfcomm)(0|[1-9][0-9]{0,3})$"));
  std::vector<Port> found;
  const QStringList names =
      classFolder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
  for (const QString& name : names) {
    const QRegularExpressionMatch match = kDeviceName.match(name);
    if (!match.hasMatch()) {
      continue;
    }
    const QString prefix = match.captured(1);
    const int index = match.captured(2).toInt();
    const auto family = std::find_if(kFamilies.begin(), kFamilies.end(), [&](const Family& f) {
      return prefix == QLatin1String(f.prefix);
    });
    if (family == kFamilies.end() || index >= family->count) {
      continue;
    }
    const QString path = deviceFolder_ + u'/' + name;
    if (!QFileInfo::exists(path)) {
      continue;
    }
    if (prefix == u"ttyS" && !isUart(classFolder.filePath(name))) {
      continue;
    }
    found.push_back(
        {family->firstPort + index, QLatin1String(family->valueName) + match.captured(2), path});
  }
  std::sort(found.begin(), found.end(),
            [](const Port& a, const Port& b) { return a.number < b.number; });
  return found;
}

void LinuxSerialPortMap::addEnvironmentPorts(std::vector<Port>& ports) const {
  const QStringList pairs = environmentText_.split(u';', Qt::SkipEmptyParts);
  for (const QString& pair : pairs) {
    const qsizetype equals = pair.indexOf(u'=');
    if (equals < 0) {
      continue;
    }
    const std::optional<int> number = parsePortNumber(QStringView(pair).first(equals).trimmed());
    const QString path = pair.sliced(equals + 1).trimmed();
    if (!number || path.isEmpty()) {
      continue;
    }
    const bool taken = std::any_of(ports.begin(), ports.end(),
                                   [&](const Port& port) { return port.number == *number; });
    if (taken) {
      continue;
    }
    const bool bluetooth = path.contains(QStringLiteral("rfcomm"));
    ports.push_back({*number,
                     (bluetooth ? QStringLiteral("\\Device\\BthModemEnv%1")
                                : QStringLiteral("\\Device\\SerialEnv%1"))
                         .arg(*number),
                     path});
  }
}
