#include "agent/LibSerial.h"

#include <QStringView>
#include <limits>
#include <optional>

#include "platform/TrimText.h"

namespace {

const QString kSettingsSection = QStringLiteral("Communications");
const QString kPortKey = QStringLiteral("Port");
const QString kStatusRunning = QStringLiteral("Accepting BlueTooth Requests...");
const QString kStatusClosed = QStringLiteral("The communication port is closed.");
// The number text is the port name from its fourth character on ("COM12" gives "12").
constexpr qsizetype kPortNamePrefixChars = 3;

QString busyPortTitle(qint16 port) { return QStringLiteral("COM%1 Currently in Use").arg(port); }

QString busyPortText(qint16 port) {
  return QStringLiteral(
             "COM%1 is currently in use by another program, most likely\n"
             "HotSync Manager.  Please right-click on the HotSync Manager\n"
             "icon and uncheck the 'Local' option.  *Note - This will temporarily \n"
             "disable BlueTooth HotSync but can easily be re-checked when \n"
             "not using this program.")
      .arg(port);
}

}  // namespace

LibSerial::LibSerial(modCOMM& comm, SerialPortMap& portMap, LibSettings& settings, AgentView& view,
                     MessageBoxes& boxes)
    : comm_(comm), portMap_(portMap), settings_(settings), view_(view), boxes_(boxes) {}

qint16 LibSerial::portNumberOf(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) {
    ++i;
  }
  qint32 value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i].unicode() - u'0');
    if (value > std::numeric_limits<qint16>::max()) {
      return 0;  // no port has such a number; the start then fails on port 0
    }
  }
  return static_cast<qint16>(value);
}

void LibSerial::EnumSerialPorts() {
  const std::optional<std::vector<SerialPortMapEntry>> entries = portMap_.entries();
  if (!entries) {
    return;  // an unreadable map leaves the ports found before
  }
  std::vector<SerialPortInfo> ports;
  QStringList numbers;
  for (const SerialPortMapEntry& entry : *entries) {
    if (static_cast<qsizetype>(ports.size()) >= kMaxMapEntries ||
        entry.valueName.size() > kMaxValueNameChars || entry.portName.size() > kMaxPortNameChars) {
      break;
    }
    QString number = entry.portName.mid(kPortNamePrefixChars);
    number.remove(QChar(u'\0'));
    const bool bluetooth = entry.valueName.toLower().contains(QLatin1String("bth"));
    ports.push_back({number, bluetooth});
    numbers << number;
  }
  SerialPorts = std::move(ports);
  PortNumbers = std::move(numbers);
}

QString LibSerial::SavedPort() const {
  return settings_.ReadIniString(kSettingsSection, kPortKey, QString());
}

void LibSerial::FillPortList() {
  EnumSerialPorts();
  view_.setPortItems(PortNumbers);

  const QString saved = SavedPort();
  bool savedFound = false;
  if (!saved.isEmpty()) {
    for (const SerialPortInfo& port : SerialPorts) {
      if (port.NumberText == saved) {
        view_.setPortText(TrimSpaces(saved));
        savedFound = true;
      }
    }
  }
  if (savedFound) {
    AutoStartPort = true;
    return;
  }

  // The saved port is not there: offer the Bluetooth port found last, or any port found last.
  AutoStartPort = false;
  const SerialPortInfo* choice = nullptr;
  for (const SerialPortInfo& port : SerialPorts) {
    if (port.IsBluetooth) {
      choice = &port;
    }
  }
  if (choice == nullptr && !SerialPorts.empty()) {
    choice = &SerialPorts.back();
  }
  view_.setPortText(choice != nullptr ? choice->NumberText : QString());
}

void LibSerial::StartSerialLink() {
  const QString listText = view_.portText();
  const qint16 port = portNumberOf(listText);
  comm_.PortNumber = port;
  // Releases a port that an earlier start left open.
  (void)comm_.CommClose(port);
  const qint32 result =
      comm_.CommOpen(port, QStringLiteral("COM%1").arg(port), QLatin1String(kLineSettings));

  if (result == 0) {
    (void)comm_.CommSetLine(port, modCOMM::kLineRts, true);
    (void)comm_.CommSetLine(port, modCOMM::kLineDtr, true);
    view_.setLinkPicture(AgentView::LinkPicture::Running);
    view_.setScanEnabled(false);
    PortOpen = true;
    view_.setStatus(kStatusRunning);
    (void)settings_.WriteIniString(kSettingsSection, kPortKey, TrimSpaces(listText));
    return;
  }

  // The user is told the same for every kind of failure; the record stays for a reader of it.
  QString detail;
  (void)comm_.CommGetError(detail);
  // The device may have opened and then refused its configuration. The window says the port is
  // closed, so it is closed now rather than left open (and read by the receive tick) until the
  // next start.
  if (comm_.isOpen(port)) {
    (void)comm_.CommClose(port);
  }
  AutoStartPort = false;
  PortOpen = false;
  view_.setStatus(kStatusClosed);
  view_.setLinkPicture(AgentView::LinkPicture::Stopped);
  (void)boxes_.show(MessageBoxIcon::Critical, MessageBoxButtons::Ok, busyPortText(port),
                    busyPortTitle(port));
}

void LibSerial::StopSerialLink() {
  view_.setScanEnabled(true);
  view_.setLinkPicture(AgentView::LinkPicture::Stopped);
  view_.setStatus(kStatusClosed);
  PortOpen = false;
  ClosePort();
}

void LibSerial::ClosePort() {
  (void)comm_.CommClose(comm_.PortNumber);
  SessionActive = false;
}
