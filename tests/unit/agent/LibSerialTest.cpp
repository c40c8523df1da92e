#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <map>
#include <utility>
#include <vector>

#include "agent/LibSerial.h"
#include "agent/LibSettings.h"
#include "agent/modCOMM.h"
#include "platform/ProfileFiles.h"
#include "tests/support/FakeAgentView.h"
#include "tests/support/FakeEventPump.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakeSerialDevices.h"
#include "tests/support/FakeSerialPortMap.h"
#include "tests/support/TestPrinting.h"

namespace {

using Step = FakeSerialDevices::Step;
using Picture = AgentView::LinkPicture;

// Settings in memory, keyed "section/key"; every write is kept in order.
class MemoryProfiles final : public ProfileFiles {
 public:
  std::map<QString, QString> values;
  QStringList writes;

  QString readString(const QString& section, const QString& key, const QString& fallback,
                     const QString&) const override {
    const auto found = values.find(section + u'/' + key);
    return found == values.end() ? fallback : found->second.trimmed();
  }
  bool writeString(const QString& section, const QString& key, const QString& value,
                   const QString&) override {
    values[section + u'/' + key] = value;
    writes << section + u'/' + key + u'=' + value;
    return true;
  }
};

SerialPortMapEntry bluetooth(const char* port) {
  return {QStringLiteral("\\Device\\BthModem0"), QString::fromLatin1(port)};
}
SerialPortMapEntry wired(const char* port) {
  return {QStringLiteral("\\Device\\Serial0"), QString::fromLatin1(port)};
}

QString busyText(int port) {
  return QStringLiteral("COM%1 is currently in use by another program, most likely\n").arg(port) +
         QStringLiteral(
             "HotSync Manager.  Please right-click on the HotSync Manager\n"
             "icon and uncheck the 'Local' option.  *Note - This will temporarily \n"
             "disable BlueTooth HotSync but can easily be re-checked when \n"
             "not using this program.");
}

class LibSerialTest : public testing::Test {
 protected:
  FakeSerialDevices devices_;
  FakeEventPump pump_;
  modCOMM comm_{devices_, pump_, [] {}};
  FakeSerialPortMap map_;
  MemoryProfiles profiles_;
  LibSettings settings_{profiles_, QStringLiteral("/opt/corvane")};
  FakeAgentView view_;
  FakeMessageBoxes boxes_;
  LibSerial serial_{comm_, map_, settings_, view_, boxes_};
};

TEST_F(LibSerialTest, EnumerationReadsNumberAndBluetoothFromEachEntry) {
  struct Case {
    const char* name;
    SerialPortMapEntry entry;
    QString number;
    bool bluetooth;
  };
  const Case cases[] = {
      {"Bluetooth modem", bluetooth("COM3"), QStringLiteral("3"), true},
      {"upper-case marker", {QStringLiteral("\\Device\\BTHMODEM7"), "COM7"}, "7", true},
      {"marker inside the name", {QStringLiteral("rfcomm-bth0"), "COM40"}, "40", true},
      {"wired port", wired("COM1"), QStringLiteral("1"), false},
      {"two digits", wired("COM12"), QStringLiteral("12"), false},
      {"zero characters removed",
       {QStringLiteral("x"), QString::fromLatin1("COM1\0\0", 6)},
       "1",
       false},
      {"zero inside the number removed",
       {QStringLiteral("x"), QStringLiteral("COM1") + QChar(0) + QStringLiteral("5")},
       "15",
       false},
      {"any three leading characters", wired("XYZ7"), QStringLiteral("7"), false},
      {"shorter than the prefix", wired("CO"), QString(), false},
  };
  map_.map.emplace();
  for (const Case& c : cases) {
    map_.map->push_back(c.entry);
  }
  serial_.EnumSerialPorts();

  ASSERT_EQ(serial_.SerialPorts.size(), std::size(cases));
  ASSERT_EQ(serial_.PortNumbers.size(), std::ssize(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(serial_.SerialPorts[i].NumberText, cases[i].number);
    EXPECT_EQ(serial_.SerialPorts[i].IsBluetooth, cases[i].bluetooth);
    EXPECT_EQ(serial_.PortNumbers[static_cast<qsizetype>(i)], cases[i].number);
  }
}

TEST_F(LibSerialTest, EntryTooLongForTheReaderEndsTheEnumeration) {
  map_.map = std::vector<SerialPortMapEntry>{
      wired("COM1"),
      {QString(LibSerial::kMaxValueNameChars, u'n'), "COM2"},
      {QString(LibSerial::kMaxValueNameChars + 1, u'n'), "COM3"},
      wired("COM4"),
  };
  serial_.EnumSerialPorts();
  EXPECT_EQ(serial_.PortNumbers, QStringList({"1", "2"}));

  map_.map = std::vector<SerialPortMapEntry>{
      wired("COM5"),
      {QStringLiteral("x"), QStringLiteral("COM") + QString(LibSerial::kMaxPortNameChars, u'9')},
      wired("COM6"),
  };
  serial_.EnumSerialPorts();
  EXPECT_EQ(serial_.PortNumbers, QStringList({"5"}));
}

TEST_F(LibSerialTest, UnreadableMapKeepsThePortsFoundBefore) {
  map_.map = std::vector<SerialPortMapEntry>{bluetooth("COM3"), wired("COM4")};
  serial_.EnumSerialPorts();
  map_.map.reset();
  serial_.EnumSerialPorts();
  EXPECT_EQ(serial_.PortNumbers, QStringList({"3", "4"}));
  ASSERT_EQ(serial_.SerialPorts.size(), 2u);
  EXPECT_TRUE(serial_.SerialPorts[0].IsBluetooth);

  // A map that can be read but is empty has no ports.
  map_.map.emplace();
  serial_.EnumSerialPorts();
  EXPECT_TRUE(serial_.PortNumbers.isEmpty());
  EXPECT_TRUE(serial_.SerialPorts.empty());
}

TEST_F(LibSerialTest, PortListPreselectsTheSavedPortElseTheLastBluetoothOne) {
  struct Case {
    const char* name;
    std::vector<SerialPortMapEntry> ports;
    std::optional<QString> saved;
    QString chosen;
    bool autoStart;
  };
  const Case cases[] = {
      {"Bluetooth before a wired port", {bluetooth("COM3"), wired("COM4")}, {}, "3", false},
      {"the later of two Bluetooth ports",
       {bluetooth("COM3"), bluetooth("COM5"), wired("COM4")},
       {},
       "5",
       false},
      {"no Bluetooth port: the last one", {wired("COM1"), wired("COM2")}, {}, "2", false},
      {"saved port present", {bluetooth("COM3"), wired("COM5")}, "5", "5", true},
      {"saved port absent", {bluetooth("COM3"), wired("COM4")}, "5", "3", false},
      {"saved port compared exactly", {bluetooth("COM3"), wired("COM5")}, "05", "3", false},
      {"empty saved port", {wired("COM1"), bluetooth("COM8")}, "", "8", false},
      {"no ports at all", {}, "5", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    map_.map = c.ports;
    profiles_.values.clear();
    if (c.saved) {
      profiles_.values[QStringLiteral("Communications/Port")] = *c.saved;
    }
    serial_.AutoStartPort = !c.autoStart;  // the list decides it either way
    view_.port = QStringLiteral("stale");

    serial_.FillPortList();
    EXPECT_EQ(view_.portItems, serial_.PortNumbers);
    EXPECT_EQ(view_.portItems.size(), std::ssize(c.ports));
    EXPECT_EQ(view_.port, c.chosen);
    EXPECT_EQ(serial_.AutoStartPort, c.autoStart);
  }
}

TEST_F(LibSerialTest, PortNumberIsTheListTextsLeadingDigits) {
  struct Case {
    const char* text;
    qint16 number;
  };
  const Case cases[] = {{"3", 3},         {"12", 12},   {" 7 ", 7},   {"5abc", 5},
                        {"", 0},          {"abc", 0},   {"-4", 0},    {"256", 256},
                        {"32767", 32767}, {"32768", 0}, {"70000", 0}, {"99999999999", 0},
                        {"0012", 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(LibSerial::portNumberOf(QString::fromLatin1(c.text)), c.number);
  }
}

TEST_F(LibSerialTest, StartOpensTheChosenPortAndSavesIt) {
  struct Case {
    const char* listText;
    const char* device;
    const char* saved;
  };
  const Case cases[] = {{"3", "COM3", "3"}, {" 12 ", "\\\\.\\COM12", "12"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.listText);
    FakeSerialDevices devices;
    FakeEventPump pump;
    modCOMM comm(devices, pump, [] {});
    MemoryProfiles profiles;
    LibSettings settings(profiles, QStringLiteral("/opt/corvane"));
    FakeAgentView view;
    FakeMessageBoxes boxes;
    LibSerial serial(comm, map_, settings, view, boxes);
    const auto device = devices.add(QString::fromLatin1(c.device));
    view.port = QString::fromLatin1(c.listText);

    serial.StartSerialLink();
    EXPECT_TRUE(serial.PortOpen);
    EXPECT_TRUE(comm.isOpen(comm.PortNumber));
    EXPECT_EQ(device->applied.baud, 57600u);
    EXPECT_EQ(device->lineChanges, QStringList({"rts on", "dtr on"}));
    EXPECT_EQ(view.picture, Picture::Running);
    EXPECT_FALSE(view.scanEnabled);
    EXPECT_EQ(view.status, QStringLiteral("Accepting BlueTooth Requests..."));
    EXPECT_EQ(profiles.writes,
              QStringList{QStringLiteral("Communications/Port=") + QLatin1String(c.saved)});
    EXPECT_TRUE(boxes.shown.empty());
  }
}

TEST_F(LibSerialTest, FailedStartShowsTheBusyPortBoxAndSavesNothing) {
  struct Case {
    const char* name;
    const char* listText;
    int port;  // the number in the box
    bool present;
    bool busy;
    std::optional<Step> failing;
  };
  const Case cases[] = {
      {"no such device", "7", 7, false, false, {}},
      {"device held by another program", "3", 3, true, true, {}},
      {"configuration refused", "3", 3, true, false, Step::SetTimeouts},
      {"empty port list", "", 0, false, false, {}},
      {"not a number", "abc", 0, false, false, {}},
      {"beyond a port number", "70000", 0, false, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSerialDevices devices;
    FakeEventPump pump;
    modCOMM comm(devices, pump, [] {});
    MemoryProfiles profiles;
    profiles.values[QStringLiteral("Communications/Port")] = QStringLiteral("5");
    LibSettings settings(profiles, QStringLiteral("/opt/corvane"));
    FakeAgentView view;
    view.scanEnabled = false;  // left as it was
    FakeMessageBoxes boxes;
    LibSerial serial(comm, map_, settings, view, boxes);
    serial.AutoStartPort = true;
    std::shared_ptr<FakeSerialDevices::Device> device;
    if (c.present) {
      device = devices.add(QStringLiteral("COM3"));
      device->open = c.busy;
      if (c.failing) {
        device->failing = {*c.failing};
      }
    }
    view.port = QString::fromLatin1(c.listText);

    serial.StartSerialLink();
    EXPECT_FALSE(serial.PortOpen);
    EXPECT_FALSE(serial.AutoStartPort);
    EXPECT_EQ(view.status, QStringLiteral("The communication port is closed."));
    EXPECT_EQ(view.picture, Picture::Stopped);
    EXPECT_FALSE(view.scanEnabled);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].icon, MessageBoxIcon::Critical);
    EXPECT_EQ(boxes.shown[0].buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(boxes.shown[0].title, QStringLiteral("COM%1 Currently in Use").arg(c.port));
    EXPECT_EQ(boxes.shown[0].text, busyText(c.port));
    EXPECT_TRUE(profiles.writes.isEmpty());
    EXPECT_EQ(profiles.values[QStringLiteral("Communications/Port")], QStringLiteral("5"));
    EXPECT_FALSE(comm.isOpen(comm.PortNumber)) << "a port that opened but was refused is closed";
    if (device && !c.busy) {
      EXPECT_FALSE(device->open);
    }
  }
}

TEST_F(LibSerialTest, BusyPortTextIsExact) {
  view_.port = QStringLiteral("7");
  serial_.StartSerialLink();
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("COM7 Currently in Use"));
  EXPECT_EQ(
      boxes_.shown[0].text,
      QStringLiteral("COM7 is currently in use by another program, most likely\nHotSync Manager.  "
                     "Please right-click on the HotSync Manager\nicon and uncheck the 'Local' "
                     "option.  *Note - This will temporarily \ndisable BlueTooth HotSync but can "
                     "easily be re-checked when \nnot using this program."));
}

// Pressing start with the port still open (an earlier start, or a close that failed) closes it
// first, so the new open does not find it in use.
TEST_F(LibSerialTest, StartClosesThePortBeforeOpeningIt) {
  const auto device = devices_.add(QStringLiteral("COM3"));
  view_.port = QStringLiteral("3");
  serial_.StartSerialLink();
  ASSERT_TRUE(serial_.PortOpen);
  devices_.calls.clear();

  serial_.StartSerialLink();
  EXPECT_TRUE(serial_.PortOpen);
  ASSERT_GE(devices_.calls.size(), 2);
  EXPECT_EQ(devices_.calls[0], QStringLiteral("COM3:close"));
  EXPECT_EQ(devices_.calls[1], QStringLiteral("COM3:open"));
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(device->opens, 2);
}

TEST_F(LibSerialTest, RetryAfterAFailedStartOpensAnew) {
  const auto device = devices_.add(QStringLiteral("COM3"));
  device->failing = {Step::ApplyLineSettings};
  view_.port = QStringLiteral("3");
  serial_.StartSerialLink();
  ASSERT_FALSE(serial_.PortOpen);

  device->failing.clear();
  serial_.StartSerialLink();
  EXPECT_TRUE(serial_.PortOpen);
  EXPECT_EQ(view_.picture, Picture::Running);
  EXPECT_EQ(boxes_.shown.size(), 1u) << "only the failed start told the user";
}

TEST_F(LibSerialTest, StopClosesThePortAndEndsTheSession) {
  const auto device = devices_.add(QStringLiteral("COM3"));
  view_.port = QStringLiteral("3");
  serial_.StartSerialLink();
  ASSERT_TRUE(serial_.PortOpen);
  serial_.SessionActive = true;
  comm_.RxBuffer = QStringLiteral("<<A|1|");

  serial_.StopSerialLink();
  EXPECT_FALSE(serial_.PortOpen);
  EXPECT_FALSE(serial_.SessionActive);
  EXPECT_TRUE(view_.scanEnabled);
  EXPECT_EQ(view_.picture, Picture::Stopped);
  EXPECT_EQ(view_.status, QStringLiteral("The communication port is closed."));
  EXPECT_FALSE(comm_.isOpen(3));
  EXPECT_FALSE(device->open);
  EXPECT_EQ(comm_.RxBuffer, QStringLiteral("<<A|1|")) << "a stop keeps what was received";

  // A close that fails still stops the link.
  serial_.StartSerialLink();
  ASSERT_TRUE(serial_.PortOpen);
  device->failing = {Step::Close};
  serial_.SessionActive = true;
  serial_.StopSerialLink();
  EXPECT_FALSE(serial_.PortOpen);
  EXPECT_FALSE(serial_.SessionActive);
}

}  // namespace
