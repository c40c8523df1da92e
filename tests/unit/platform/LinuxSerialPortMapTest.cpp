#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <optional>
#include <vector>

#include "platform/linux/LinuxSerialPortMap.h"
#include "tests/support/TestPrinting.h"

namespace {

struct Expected {
  int number;
  const char* valueName;
  const char* deviceName;  // under the device folder; nullptr for a path given as it is
  const char* path = nullptr;
};

// A tty class folder and a device folder of our own, laid out as the kernel lays out the real
// ones: one folder per tty, a "device" link for ttys with hardware behind them, a "type" file
// for UART slots.
class LinuxSerialPortMapTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root_.isValid());
    ASSERT_TRUE(QDir(root_.path()).mkpath(QStringLiteral("sys")));
    ASSERT_TRUE(QDir(root_.path()).mkpath(QStringLiteral("dev")));
  }

  QString sys() const { return root_.filePath(QStringLiteral("sys")); }
  QString dev() const { return root_.filePath(QStringLiteral("dev")); }

  // A tty in the class folder, with its device node unless told otherwise.
  void addTty(const QString& name, bool hasDevice, std::optional<QByteArray> type = std::nullopt,
              bool hasNode = true) const {
    const QString folder = sys() + u'/' + name;
    ASSERT_TRUE(QDir().mkpath(folder));
    if (hasDevice) {
      ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/device")));
    }
    if (type) {
      QFile file(folder + QStringLiteral("/type"));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      ASSERT_EQ(file.write(*type), type->size());
    }
    if (hasNode) {
      QFile node(dev() + u'/' + name);
      ASSERT_TRUE(node.open(QIODevice::WriteOnly));
    }
  }

  LinuxSerialPortMap map(const QString& environment = QString()) const {
    return LinuxSerialPortMap(environment, sys(), dev());
  }

  void expectPorts(const LinuxSerialPortMap& portMap, const std::vector<Expected>& expected) const {
    const auto entries = portMap.entries();
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const Expected& e = expected[i];
      SCOPED_TRACE(e.valueName);
      EXPECT_EQ((*entries)[i].valueName, QString::fromLatin1(e.valueName));
      EXPECT_EQ((*entries)[i].portName, QStringLiteral("COM%1").arg(e.number));
      const QString path = e.deviceName != nullptr ? dev() + u'/' + QLatin1String(e.deviceName)
                                                   : QString::fromLatin1(e.path);
      EXPECT_EQ(portMap.devicePath(e.number), std::optional<QString>(path));
      // The agent's rule for Bluetooth: "bth" in the value name.
      EXPECT_EQ((*entries)[i].valueName.toLower().contains(QStringLiteral("bth")),
                path.contains(QStringLiteral("rfcomm")));
    }
  }

  QTemporaryDir root_;
};

TEST_F(LinuxSerialPortMapTest, MachinePortsAreNumberedByFamilyInAscendingOrder) {
  addTty(QStringLiteral("rfcomm191"), true);
  addTty(QStringLiteral("rfcomm0"), false);
  addTty(QStringLiteral("ttyACM1"), true);
  addTty(QStringLiteral("ttyUSB0"), true);
  addTty(QStringLiteral("ttyUSB15"), true);
  addTty(QStringLiteral("ttyS3"), true);  // no type file: counted
  addTty(QStringLiteral("ttyS0"), true, QByteArray("4\n"));
  addTty(QStringLiteral("ttyS10"), true, QByteArray("garbage"));  // unreadable type: counted
  // Not ports: an empty UART slot, a slot without hardware, devices beyond their family's
  // range (they would take the next family's numbers), a device without a node, other ttys.
  addTty(QStringLiteral("ttyS1"), true, QByteArray("0\n"));
  addTty(QStringLiteral("ttyS2"), false, QByteArray("4\n"));
  addTty(QStringLiteral("ttyS32"), true, QByteArray("4\n"));
  addTty(QStringLiteral("ttyUSB16"), true);
  addTty(QStringLiteral("ttyACM16"), true);
  addTty(QStringLiteral("rfcomm192"), true);
  addTty(QStringLiteral("ttyUSB3"), true, std::nullopt, false);
  addTty(QStringLiteral("ttyUSB01"), true);
  addTty(QStringLiteral("tty0"), true);
  addTty(QStringLiteral("console"), true);
  addTty(QStringLiteral("ttyprintk"), true);

  const LinuxSerialPortMap portMap = map();
  expectPorts(portMap, {{1, "\\Device\\Serial0", "ttyS0"},
                        {4, "\\Device\\Serial3", "ttyS3"},
                        {11, "\\Device\\Serial10", "ttyS10"},
                        {33, "\\Device\\USBSER0", "ttyUSB0"},
                        {48, "\\Device\\USBSER15", "ttyUSB15"},
                        {50, "\\Device\\USBSER_ACM1", "ttyACM1"},
                        {65, "\\Device\\BthModem0", "rfcomm0"},
                        {256, "\\Device\\BthModem191", "rfcomm191"}});
  for (const int absent : {0, 2, 3, 33 + 3, 49, 257, -1}) {
    SCOPED_TRACE(absent);
    EXPECT_EQ(portMap.devicePath(absent), std::nullopt);
  }
}

TEST_F(LinuxSerialPortMapTest, VariablePortsFollowInTheirOrderAndBadPairsAreLeftOut) {
  addTty(QStringLiteral("ttyS0"), true, QByteArray("4"));
  struct Case {
    const char* environment;
    std::vector<Expected> expected;  // after COM1
  };
  const Case cases[] = {
      {"", {}},
      {"42=/dev/pts/7;43=/dev/rfcomm9",
       {{42, "\\Device\\SerialEnv42", nullptr, "/dev/pts/7"},
        {43, "\\Device\\BthModemEnv43", nullptr, "/dev/rfcomm9"}}},
      {"43=/b;42=/a",
       {{43, "\\Device\\SerialEnv43", nullptr, "/b"},
        {42, "\\Device\\SerialEnv42", nullptr, "/a"}}},
      {" 9 = /dev/pts/3 ;;", {{9, "\\Device\\SerialEnv9", nullptr, "/dev/pts/3"}}},
      {"256=/last", {{256, "\\Device\\SerialEnv256", nullptr, "/last"}}},
      {"x=/a;=/b;5;7=;7= ;0=/c;257=/d;-3=/e;+4=/f;1e1=/g;1234=/h;1=/taken;8=/first;8=/second",
       {{8, "\\Device\\SerialEnv8", nullptr, "/first"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.environment);
    std::vector<Expected> expected = {{1, "\\Device\\Serial0", "ttyS0"}};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    expectPorts(map(QString::fromLatin1(c.environment)), expected);
  }
}

TEST_F(LinuxSerialPortMapTest, AnUnreadableMachineGivesNoMapUnlessTheVariableNamesPorts) {
  const auto none = map().entries();
  ASSERT_TRUE(none.has_value());
  EXPECT_TRUE(none->empty());

  const LinuxSerialPortMap missing(QString(), root_.filePath(QStringLiteral("none")), dev());
  EXPECT_FALSE(missing.entries().has_value());
  EXPECT_EQ(missing.devicePath(1), std::nullopt);

  const LinuxSerialPortMap onlyVariable(QStringLiteral("3=/dev/pts/1"),
                                        root_.filePath(QStringLiteral("none")), dev());
  const auto entries = onlyVariable.entries();
  ASSERT_TRUE(entries.has_value());
  ASSERT_EQ(entries->size(), 1U);
  EXPECT_EQ((*entries)[0].portName, QStringLiteral("COM3"));
  EXPECT_EQ(onlyVariable.devicePath(3), std::optional<QString>(QStringLiteral("/dev/pts/1")));
}

TEST_F(LinuxSerialPortMapTest, EachCallLooksAtTheMachineAgain) {
  const LinuxSerialPortMap portMap = map();
  EXPECT_EQ(portMap.devicePath(66), std::nullopt);
  addTty(QStringLiteral("rfcomm1"), true);  // a Bluetooth link bound after the first scan
  EXPECT_EQ(portMap.devicePath(66), std::optional<QString>(dev() + QStringLiteral("/rfcomm1")));
  ASSERT_TRUE(portMap.entries().has_value());
  EXPECT_EQ(portMap.entries()->size(), 1U);
}

}  // namespace
