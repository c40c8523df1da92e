#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <memory>

#include "agent/modCOMM.h"
#include "tests/support/FakeEventPump.h"
#include "tests/support/FakeSerialDevices.h"
#include "tests/support/TestPrinting.h"

namespace {

using Step = FakeSerialDevices::Step;

const QString kLinkSettings = QStringLiteral("baud=57600 parity=N data=8 stop=1");

class modCOMMTest : public testing::Test {
 protected:
  // A device for port `port` under the name the layer opens it by.
  std::shared_ptr<FakeSerialDevices::Device> addPort(qint16 port) {
    return devices_.add(port > 9 ? QStringLiteral("\\\\.\\COM%1").arg(port)
                                 : QStringLiteral("COM%1").arg(port));
  }

  qint32 open(qint16 port, const QString& settings = kLinkSettings) {
    return comm_.CommOpen(port, QStringLiteral("COM%1").arg(port), settings);
  }

  QString formattedError() const {
    QString text;
    (void)comm_.CommGetError(text);
    return text;
  }

  FakeSerialDevices devices_;
  FakeEventPump pump_;
  int lamp_ = 0;
  modCOMM comm_{devices_, pump_, [this] { ++lamp_; }};
};

TEST_F(modCOMMTest, OpenConfiguresTheDeviceUnderItsName) {
  struct Case {
    qint16 port;
    const char* deviceName;
  };
  const Case cases[] = {{1, "COM1"},          {3, "COM3"},          {9, "COM9"},
                        {10, "\\\\.\\COM10"}, {12, "\\\\.\\COM12"}, {256, "\\\\.\\COM256"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.deviceName);
    FakeSerialDevices devices;
    FakeEventPump pump;
    modCOMM comm(devices, pump, [] {});
    const QString name = QString::fromLatin1(c.deviceName);
    const auto device = devices.add(name);

    ASSERT_EQ(comm.CommOpen(c.port, QStringLiteral("COM%1").arg(c.port), kLinkSettings), 0);
    EXPECT_TRUE(comm.isOpen(c.port));
    EXPECT_EQ(devices.calls, QStringList({name + ":open", name + ":setupBuffers", name + ":purge",
                                          name + ":setTimeouts", name + ":lineSettings",
                                          name + ":applyLineSettings"}));
    EXPECT_EQ(device->timeouts.readInterval, 0xFFFFFFFFu);
    EXPECT_EQ(device->timeouts.readTotalMultiplier, 0u);
    EXPECT_EQ(device->timeouts.readTotalConstant, 1000u);
    EXPECT_EQ(device->timeouts.writeTotalMultiplier, 1000u);
    EXPECT_EQ(device->timeouts.writeTotalConstant, 0u);
    EXPECT_EQ(device->applied.baud, 57600u);
    EXPECT_EQ(device->applied.parity, SerialLineSettings::Parity::None);
    EXPECT_EQ(device->applied.dataBits, 8);
    EXPECT_EQ(device->applied.stopBits, SerialLineSettings::StopBits::One);
  }
}

TEST_F(modCOMMTest, OpeningAnOpenPortIsPortInUseAndLeavesTheOpenOneAlone) {
  const auto device = addPort(4);
  ASSERT_EQ(open(4), 0);
  devices_.calls.clear();

  EXPECT_EQ(open(4), -1);
  EXPECT_EQ(formattedError(), QStringLiteral("Error (-1): CommOpen - Port in use."));
  EXPECT_TRUE(devices_.calls.isEmpty()) << "no second open of the device";
  EXPECT_EQ(comm_.WritePortString(4, QStringLiteral("ok")), 2) << "the first handle still works";
  EXPECT_EQ(device->written, QByteArray("ok"));
}

// Each configuration step that fails stops the open with its own text and the device's code,
// and leaves the port open until CommClose releases it; after that it opens again.
TEST_F(modCOMMTest, ConfigurationFailureKeepsThePortOpenUntilClosed) {
  struct Case {
    std::optional<Step> failing;
    QString settings;
    const char* source;
    qint32 code;
    const char* lastCall;  // the device call that failed
  };
  const Case cases[] = {
      {Step::SetupBuffers, kLinkSettings, "CommOpen (SetupComm)", 13, "setupBuffers"},
      {Step::Purge, kLinkSettings, "CommOpen (PurgeComm)", 13, "purge"},
      {Step::SetTimeouts, kLinkSettings, "CommOpen (SetCommTimeouts)", 13, "setTimeouts"},
      {Step::GetLineSettings, kLinkSettings, "CommOpen (GetCommState)", 13, "lineSettings"},
      {std::nullopt, QStringLiteral("baud=fast parity=N"), "CommOpen (BuildCommDCB)", 87,
       "lineSettings"},
      {Step::ApplyLineSettings, kLinkSettings, "CommOpen (SetCommState)", 13, "applyLineSettings"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    FakeSerialDevices devices;
    FakeEventPump pump;
    modCOMM comm(devices, pump, [] {});
    const auto device = devices.add(QStringLiteral("COM3"));
    device->errorCode = 13;
    if (c.failing) {
      device->failing = {*c.failing};
    }

    EXPECT_EQ(comm.CommOpen(3, QStringLiteral("COM3"), c.settings), c.code);
    EXPECT_EQ(comm.CommLastError.Code, c.code);
    EXPECT_EQ(comm.CommLastError.Source, QString::fromLatin1(c.source));
    EXPECT_FALSE(comm.CommLastError.Message.isEmpty());
    EXPECT_EQ(devices.calls.last(), QStringLiteral("COM3:") + QLatin1String(c.lastCall))
        << "nothing runs after the failing step";
    EXPECT_TRUE(comm.isOpen(3));
    EXPECT_TRUE(device->open);

    EXPECT_EQ(comm.CommOpen(3, QStringLiteral("COM3"), kLinkSettings), -1);
    EXPECT_EQ(comm.CommClose(3), 0);
    EXPECT_FALSE(comm.isOpen(3));
    EXPECT_FALSE(device->open);

    device->failing.clear();
    EXPECT_EQ(comm.CommOpen(3, QStringLiteral("COM3"), kLinkSettings), 0);
  }
}

TEST_F(modCOMMTest, FailedDeviceOpenLeavesTheSlotClosed) {
  struct Case {
    const char* name;
    bool present;
    bool busy;
    qint32 code;
  };
  const Case cases[] = {
      {"no such device", false, false, 2},
      {"device held by another program", true, true, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSerialDevices devices;
    FakeEventPump pump;
    modCOMM comm(devices, pump, [] {});
    if (c.present) {
      devices.add(QStringLiteral("COM5"))->open = c.busy;
    }
    EXPECT_EQ(comm.CommOpen(5, QStringLiteral("COM5"), kLinkSettings), c.code);
    EXPECT_EQ(comm.CommLastError.Source, QStringLiteral("CommOpen (CreateFile)"));
    EXPECT_EQ(comm.CommLastError.Message, devices.systemMessage(c.code));
    EXPECT_FALSE(comm.isOpen(5));
    devices.calls.clear();
    EXPECT_EQ(comm.CommClose(5), 0);
    EXPECT_TRUE(devices.calls.isEmpty());
  }
}

TEST_F(modCOMMTest, PortNumbersOutsideTheTableAreRefusedBeforeAnyDeviceCall) {
  for (const qint16 port : {qint16{0}, qint16{-1}, qint16{257}, qint16{32767}, qint16{-32768}}) {
    SCOPED_TRACE(port);
    addPort(port);
    const struct {
      const char* routine;
      qint32 result;
      qint32 expected;
    } calls[] = {
        {"CommOpen", open(port), 9},
        {"CommClose", comm_.CommClose(port), 9},
        {"CommSetLine", comm_.CommSetLine(port, modCOMM::kLineDtr, true), 9},
        {"CommRead",
         [&] {
           QString data = QStringLiteral("stale");
           const qint32 r = comm_.CommRead(port, data, 64);
           EXPECT_EQ(data, QString());
           return r;
         }(),
         -1},
    };
    for (const auto& call : calls) {
      EXPECT_EQ(call.result, call.expected) << call.routine;
    }
    EXPECT_EQ(comm_.CommLastError.Code, 9);
    EXPECT_EQ(comm_.CommLastError.Source, QStringLiteral("CommRead"));
    EXPECT_FALSE(comm_.CommLastError.Message.isEmpty());
    EXPECT_FALSE(comm_.isOpen(port));
    EXPECT_EQ(comm_.WritePortString(port, QStringLiteral("x")), 0);
    EXPECT_TRUE(devices_.calls.isEmpty()) << devices_.calls.join(u',').toStdString();
  }
  // Each routine names itself in the record.
  (void)comm_.CommClose(0);
  EXPECT_EQ(comm_.CommLastError.Source, QStringLiteral("CommClose"));
  (void)open(0);
  EXPECT_EQ(comm_.CommLastError.Source, QStringLiteral("CommOpen"));
}

TEST_F(modCOMMTest, CloseOfAPortNeverOpenedMakesNoCall) {
  addPort(3);
  EXPECT_EQ(comm_.CommClose(3), 0);
  EXPECT_TRUE(devices_.calls.isEmpty());
}

TEST_F(modCOMMTest, FailedCloseKeepsThePortOpen) {
  const auto device = addPort(3);
  ASSERT_EQ(open(3), 0);
  device->failing = {Step::Close};
  device->errorCode = EIO;

  EXPECT_EQ(comm_.CommClose(3), EIO);
  EXPECT_EQ(comm_.CommLastError.Source, QStringLiteral("CommClose (CloseHandle)"));
  EXPECT_TRUE(comm_.isOpen(3));
  EXPECT_EQ(open(3), -1);

  device->failing.clear();
  EXPECT_EQ(comm_.CommClose(3), 0);
  EXPECT_FALSE(comm_.isOpen(3));
}

// The link's read asks for at least 64 and at most 1024 bytes and leaves the rest waiting.
TEST_F(modCOMMTest, LinkReadRequestsBetween64And1024Bytes) {
  struct Case {
    qsizetype waiting;
    qint64 requested;
    qsizetype delivered;
  };
  const Case cases[] = {
      {3, 64, 3}, {64, 64, 64}, {100, 100, 100}, {1024, 1024, 1024}, {2000, 1024, 1024}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.waiting);
    FakeSerialDevices devices;
    FakeEventPump pump;
    modCOMM comm(devices, pump, [] {});
    const auto device = devices.add(QStringLiteral("COM3"));
    ASSERT_EQ(comm.CommOpen(3, QStringLiteral("COM3"), kLinkSettings), 0);
    comm.PortNumber = 3;
    device->incoming = QByteArray(c.waiting, 'a');

    EXPECT_EQ(comm.ReadPortData(), QString(c.delivered, u'a'));
    EXPECT_EQ(device->readRequests, QList<qint64>{c.requested});
    EXPECT_EQ(device->incoming.size(), c.waiting - c.delivered);
  }
}

TEST_F(modCOMMTest, ReadReturnsWhatTheDriverDelivers) {
  const auto device = addPort(3);
  ASSERT_EQ(open(3), 0);
  device->incoming = QByteArray(300, 'z');
  device->deliverAtMost = 10;
  QString data;
  EXPECT_EQ(comm_.CommRead(3, data, 64), 10);
  EXPECT_EQ(data, QString(10, u'z'));
  EXPECT_EQ(device->readRequests, QList<qint64>{300});
}

TEST_F(modCOMMTest, EveryByteBecomesOneCharacter) {
  const auto device = addPort(3);
  ASSERT_EQ(open(3), 0);
  comm_.PortNumber = 3;
  device->incoming = QByteArray("\x00<A\x00>\xE9\x80\x81\xFF", 9);

  const QString expected = QString(QChar(0)) + QStringLiteral("<A") + QChar(0) +
                           QStringLiteral(">") + QChar(0x00E9) + QChar(0x20AC) + QChar(0x0081) +
                           QChar(0x00FF);
  EXPECT_EQ(comm_.ReadPortData(), expected);
}

TEST_F(modCOMMTest, FirstDataTakesRtsThenDtrLow) {
  const auto device = addPort(3);
  ASSERT_EQ(open(3), 0);
  comm_.PortNumber = 3;
  (void)comm_.CommSetLine(3, modCOMM::kLineRts, true);
  (void)comm_.CommSetLine(3, modCOMM::kLineDtr, true);
  device->lineChanges.clear();

  pump_.pumps = 0;
  EXPECT_EQ(comm_.ReadPortData(), QString());
  EXPECT_TRUE(device->rts && device->dtr) << "nothing arrived: the lines stay up";
  EXPECT_EQ(pump_.pumps, 2) << "one inside the read, one after it";

  device->incoming = "<<A|1|2>>";
  pump_.pumps = 0;
  EXPECT_EQ(comm_.ReadPortData(), QStringLiteral("<<A|1|2>>"));
  EXPECT_EQ(device->lineChanges, QStringList({"rts off", "dtr off"}));
  EXPECT_EQ(pump_.pumps, 3) << "one inside the read, two after the data";
}

TEST_F(modCOMMTest, LinkReadOnlyFromTheOpenLinkPort) {
  struct Case {
    const char* name;
    qint16 portNumber;
    bool openIt;
  };
  const Case cases[] = {
      {"no link port yet", 0, false},
      {"link port closed", 3, false},
      {"link port outside the table", 300, false},
      {"negative link port", -3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSerialDevices devices;
    FakeEventPump pump;
    modCOMM comm(devices, pump, [] {});
    devices.add(QStringLiteral("COM3"))->incoming = "<<A>>";
    comm.PortNumber = c.portNumber;
    EXPECT_EQ(comm.ReadPortData(), QString());
    EXPECT_TRUE(devices.calls.isEmpty());
    EXPECT_EQ(pump.pumps, 1);
  }
}

TEST_F(modCOMMTest, ReadFailuresAreRecordedAndReadAsNothing) {
  struct Case {
    Step failing;
    quint32 flags;
    const char* source;
    const char* message;
  };
  const Case cases[] = {
      {Step::ClearError, 0, "CommRead (ClearCommError)", "System error 5.\r\n"},
      {Step::Read, 0x1A, "CommRead (ReadFile)", "System error 5.\r\n  COMM Error Flags = 1A"},
      {Step::Read, 0, "CommRead (ReadFile)", "System error 5.\r\n  COMM Error Flags = 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    FakeSerialDevices devices;
    FakeEventPump pump;
    modCOMM comm(devices, pump, [] {});
    const auto device = devices.add(QStringLiteral("COM3"));
    ASSERT_EQ(comm.CommOpen(3, QStringLiteral("COM3"), kLinkSettings), 0);
    comm.PortNumber = 3;
    device->incoming = "<<A>>";
    device->rts = device->dtr = true;
    device->failing = {c.failing};
    device->readFailureFlags = c.flags;

    QString data = QStringLiteral("stale");
    EXPECT_EQ(comm.CommRead(3, data, 64), -1);
    EXPECT_EQ(data, QString());
    EXPECT_EQ(comm.CommLastError.Code, 5);
    EXPECT_EQ(comm.CommLastError.Source, QString::fromLatin1(c.source));
    EXPECT_EQ(comm.CommLastError.Message, QString::fromLatin1(c.message));

    EXPECT_EQ(comm.ReadPortData(), QString());
    EXPECT_TRUE(device->rts && device->dtr);
  }
}

// A window event that runs during the read's yield may close the port under it.
TEST_F(modCOMMTest, PortClosedDuringTheReadsYield) {
  const auto device = addPort(3);
  ASSERT_EQ(open(3), 0);
  comm_.PortNumber = 3;
  device->incoming = "<<A>>";
  pump_.onPump = [this] { (void)comm_.CommClose(3); };

  EXPECT_EQ(comm_.ReadPortData(), QString());
  EXPECT_FALSE(comm_.isOpen(3));
  EXPECT_EQ(device->incoming, QByteArray("<<A>>"));
}

TEST_F(modCOMMTest, SetLineDrivesBreakDtrAndRts) {
  struct Case {
    qint16 line;
    bool state;
    const char* change;
  };
  const Case cases[] = {
      {1, true, "break on"}, {1, false, "break off"}, {2, true, "dtr on"},
      {2, false, "dtr off"}, {3, true, "rts on"},     {3, false, "rts off"},
  };
  const auto device = addPort(3);
  ASSERT_EQ(open(3), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.change);
    device->lineChanges.clear();
    EXPECT_EQ(comm_.CommSetLine(3, c.line, c.state), 0);
    EXPECT_EQ(device->lineChanges, QStringList{QString::fromLatin1(c.change)});
  }

  device->lineChanges.clear();
  EXPECT_EQ(comm_.CommSetLine(3, 4, true), modCOMM::kInvalidParameter) << "no such line";
  EXPECT_TRUE(device->lineChanges.isEmpty());

  device->failing = {Step::SetModemLine};
  device->errorCode = EIO;
  EXPECT_EQ(comm_.CommSetLine(3, modCOMM::kLineDtr, true), EIO);
  EXPECT_EQ(comm_.CommLastError.Source, QStringLiteral("CommSetLine (EscapeCommFunction)"));
}

TEST_F(modCOMMTest, SystemMessageIsTrimmedOfSpacesAndKeepsItsLineBreak) {
  struct Case {
    const char* name;
    QString system;
    QString expected;
  };
  const Case cases[] = {
      {"line break stays", QStringLiteral("Access is denied.\r\n"),
       QStringLiteral("Access is denied.\r\n")},
      {"spaces around go", QStringLiteral("   Busy.   "), QStringLiteral("Busy.")},
      {"spaces before the line break stay", QStringLiteral(" Busy.  \r\n"),
       QStringLiteral("Busy.  \r\n")},
      {"cut at the first NUL",
       QStringLiteral("No device. ") + QChar(0) + QStringLiteral("rest of the buffer"),
       QStringLiteral("No device.")},
      {"cut to the buffer", QString(300, u'm'), QString(255, u'm')},
      {"empty", QString(), QString()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    devices_.messages[77] = c.system;
    EXPECT_EQ(comm_.GetSystemMessage(77), c.expected);
  }
}

TEST_F(modCOMMTest, FormattedSystemFailureEndsWithTheMessagesLineBreak) {
  const auto device = addPort(3);
  device->failing = {Step::SetupBuffers};
  device->errorCode = 13;
  devices_.messages[13] = QStringLiteral("Permission denied\r\n");

  EXPECT_EQ(open(3), 13);
  QString text;
  EXPECT_EQ(comm_.CommGetError(text), 13);
  EXPECT_EQ(text, QStringLiteral("Error (13): CommOpen (SetupComm) - Permission denied\r\n"));
}

// A failing call that leaves no code must still fail: 0 would read as success.
TEST_F(modCOMMTest, FailureWithoutACodeIsNoSuccess) {
  const auto device = addPort(3);
  device->failing = {Step::Purge};
  device->errorCode = 0;
  EXPECT_NE(open(3), 0);
  EXPECT_EQ(comm_.CommLastError.Source, QStringLiteral("CommOpen (PurgeComm)"));
}

TEST_F(modCOMMTest, WriteSendsTheTextAsCodePageBytes) {
  struct Case {
    const char* name;
    bool openIt;
    bool failWrite;
    QString text;
    qint32 result;
    QByteArray written;
    int lamp;
  };
  const Case cases[] = {
      {"a frame", true, false, QStringLiteral("<<A|1|2>>"), 9, "<<A|1|2>>", 1},
      {"code page characters", true, false,
       QStringLiteral("<<") + QChar(0x00E9) + QChar(0x20AC) + QChar(0) + QStringLiteral(">>"), 7,
       QByteArray("<<\xE9\x80\x00>>", 7), 1},
      {"a character outside the code page", true, false, QString(QChar(0x03A9)), 1, "?", 1},
      {"empty text", true, false, QString(), 0, "", 0},
      {"port not open", false, false, QStringLiteral("<<A>>"), 0, "", 0},
      {"write fails: the lamp still shows it", true, true, QStringLiteral("<<A>>"), 0, "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeSerialDevices devices;
    FakeEventPump pump;
    int lamp = 0;
    modCOMM comm(devices, pump, [&] { ++lamp; });
    const auto device = devices.add(QStringLiteral("COM3"));
    if (c.openIt) {
      ASSERT_EQ(comm.CommOpen(3, QStringLiteral("COM3"), kLinkSettings), 0);
    }
    if (c.failWrite) {
      device->failing = {Step::Write};
    }
    comm.CommLastError = {1, QStringLiteral("before"), QStringLiteral("kept")};

    EXPECT_EQ(comm.WritePortString(3, c.text), c.result);
    EXPECT_EQ(device->written, c.written);
    EXPECT_EQ(lamp, c.lamp);
    EXPECT_EQ(comm.CommLastError.Source, QStringLiteral("before")) << "a write records nothing";
  }
}

}  // namespace
