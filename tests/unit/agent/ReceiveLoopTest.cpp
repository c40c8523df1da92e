#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "agent/DebugLog.h"
#include "agent/LibSerial.h"
#include "agent/LibSettings.h"
#include "agent/ReceiveLoop.h"
#include "agent/modCOMM.h"
#include "platform/ProfileFiles.h"
#include "shared/LibParser.h"
#include "tests/support/FakeAgentView.h"
#include "tests/support/FakeEventPump.h"
#include "tests/support/FakeSerialDevices.h"
#include "tests/support/FakeSerialPortMap.h"
#include "tests/support/NoProfileFiles.h"
#include "tests/support/TestPrinting.h"

namespace {

constexpr qsizetype kBound = ReceiveLoop::kMaxRxBufferChars;

// Message boxes that note what the window showed when a box came up, and can run a window
// event while the box is open.
class ObservedBoxes final : public MessageBoxes {
 public:
  struct Shown {
    MessageBoxIcon icon;
    MessageBoxButtons buttons;
    QString text;
    QString title;
    int restoredBefore;
    int pageShownBefore;
  };
  std::vector<Shown> shown;
  const FakeAgentView* view = nullptr;
  std::function<void()> whileOpen;

  MessageBoxAnswer show(MessageBoxIcon icon, MessageBoxButtons buttons, const QString& text,
                        const QString& title) override {
    shown.push_back({icon, buttons, text, title, view->restored, view->connectionPageShown});
    if (whileOpen) {
      whileOpen();
    }
    return MessageBoxAnswer::Ok;
  }
};

QByteArray signatureBytes() { return QByteArray("\xBE\xEF\xED\x03\x03\x02", 6); }

class ReceiveLoopTest : public testing::Test {
 protected:
  void SetUp() override { boxes_.view = &view_; }

  // Starts the link on COM3 as the start button does.
  void startLink() {
    view_.port = QStringLiteral("3");
    serial_.StartSerialLink();
    ASSERT_TRUE(serial_.PortOpen);
  }

  // Opens COM3 as the link's port without starting the link.
  void openPortOnly() {
    ASSERT_EQ(comm_.CommOpen(3, QStringLiteral("COM3"), QLatin1String(LibSerial::kLineSettings)),
              0);
    comm_.PortNumber = 3;
  }

  void arrive(const QByteArray& bytes) { port_->incoming += bytes; }

  FakeSerialDevices devices_;
  std::shared_ptr<FakeSerialDevices::Device> port_ = devices_.add(QStringLiteral("COM3"));
  FakeEventPump pump_;
  modCOMM comm_{devices_, pump_, [] {}};
  FakeSerialPortMap map_;
  NoProfileFiles profiles_;
  LibSettings settings_{profiles_, QStringLiteral("/opt/corvane")};
  FakeAgentView view_;
  DebugLog debugLog_{view_};
  ObservedBoxes boxes_;
  LibSerial serial_{comm_, map_, settings_, view_, boxes_};
  LibParser parser_;
  QStringList dispatched_;
  std::function<void(const QString&)> onDispatch_;
  ReceiveLoop loop_{
      comm_, serial_, parser_, debugLog_, view_, boxes_, pump_, [this](const QString& m) {
        dispatched_ << m;
        if (onDispatch_) {
          onDispatch_(m);
        }
      }};
};

TEST_F(ReceiveLoopTest, NextMessageTakesTheFirstCompleteFrame) {
  struct Case {
    const char* name;
    QString buffer;
    QString frame;
    QString rest;
  };
  const QString nul(QChar(0));
  const Case cases[] = {
      {"identical copies all go", "<<A|1|2>><<A|1|2>>", "<<A|1|2>>", ""},
      {"copies wherever they stand", "<<A>>x<<B>>y<<A>>", "<<A>>", "x<<B>>y"},
      {"only exact copies", "<<a|1>><<A|1>>", "<<a|1>>", "<<A|1>>"},
      {"leading text stays", "xyz<<B|1|2>>", "<<B|1|2>>", "xyz"},
      {"a closing before the opening stays", ">>junk<<D|1|2>>", "<<D|1|2>>", ">>junk"},
      {"a partial frame waits", "<<C|1|", "", "<<C|1|"},
      {"a partial frame behind a frame", "<<A>><<C|", "<<A>>", "<<C|"},
      {"the first closing ends the frame", "<<<>>>", "<<<>>", ">"},
      {"NUL and high characters pass", "<<A|" + nul + QChar(0x00E9) + QChar(0x20AC) + ">>",
       "<<A|" + nul + QChar(0x00E9) + QChar(0x20AC) + ">>", ""},
      // An empty pair is never a frame, and would stop every frame behind it.
      {"empty pair in front", "<<>><<E|1|2>>", "<<E|1|2>>", ""},
      {"empty pairs between junk", "<<>>x<<>>y<<F>>z<<>>", "<<F>>", "xyz<<>>"},
      {"only an empty pair", "<<>>", "", ""},
      {"empty pair before a partial frame", "<<>><<G", "", "<<G"},
      {"no frame at all", "hello", "", "hello"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    comm_.RxBuffer = c.buffer;
    EXPECT_EQ(loop_.getNextMsg(comm_.RxBuffer), c.frame);
    EXPECT_EQ(comm_.RxBuffer, c.rest);
  }

  // Without a frame the buffer is not touched, even when it is not what was searched.
  comm_.RxBuffer = QStringLiteral("kept");
  EXPECT_EQ(loop_.getNextMsg(QStringLiteral("<<C|")), QString());
  EXPECT_EQ(comm_.RxBuffer, QStringLiteral("kept"));
}

// What arrives before each tick, and the frames executed after it.
TEST_F(ReceiveLoopTest, TicksExecuteOneFramePerTickInArrivalOrder) {
  struct Tick {
    QByteArray arriving;
    QStringList executedSoFar;
  };
  struct Case {
    const char* name;
    std::vector<Tick> ticks;
    QString rest;
  };
  const Case cases[] = {
      {"two identical frames run once",
       {{"<<A|1|2>><<A|1|2>>", {"<<A|1|2>>"}}, {"", {"<<A|1|2>>"}}},
       ""},
      {"leading text stays for good",
       {{"xyz<<B|1|2>>", {"<<B|1|2>>"}}, {"", {"<<B|1|2>>"}}},
       "xyz"},
      {"a partial frame waits for its end", {{"<<C|1|", {}}, {"", {}}, {"2>>", {"<<C|1|2>>"}}}, ""},
      {"one frame per tick, oldest first",
       {{"<<A|1|>><<B|2|>><<C|3|>>", {"<<A|1|>>"}},
        {"", {"<<A|1|>>", "<<B|2|>>"}},
        {"", {"<<A|1|>>", "<<B|2|>>", "<<C|3|>>"}}},
       ""},
      {"empty pair in front no longer blocks",
       {{"<<>><<E|1|2>><<F|>>", {"<<E|1|2>>"}}, {"", {"<<E|1|2>>", "<<F|>>"}}},
       ""},
      {"a frame split over reads",
       {{"junk<<SLI", {}}, {"DE|NEXT|>>", {"<<SLIDE|NEXT|>>"}}},
       "junk"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dispatched_.clear();
    comm_.RxBuffer.clear();
    openPortOnly();
    for (std::size_t i = 0; i < c.ticks.size(); ++i) {
      SCOPED_TRACE(i);
      arrive(c.ticks[i].arriving);
      loop_.tmrCOM_Timer();
      EXPECT_EQ(dispatched_, c.ticks[i].executedSoFar);
    }
    EXPECT_EQ(comm_.RxBuffer, c.rest);
    (void)comm_.CommClose(3);
  }
}

TEST_F(ReceiveLoopTest, BytesOfEveryValueReachTheDispatcher) {
  openPortOnly();
  arrive(QByteArray("<<KEY|\x00\xE9|\x80\xFF>>", 13));
  loop_.tmrCOM_Timer();
  ASSERT_EQ(dispatched_.size(), 1);
  EXPECT_EQ(dispatched_[0], QStringLiteral("<<KEY|") + QChar(0) + QChar(0x00E9) + u'|' +
                                QChar(0x20AC) + QChar(0x00FF) + QStringLiteral(">>"));
}

TEST_F(ReceiveLoopTest, AFrameLightsTheLampAndStartsTheSession) {
  startLink();
  loop_.tmrCOM_Timer();
  EXPECT_EQ(view_.activity, 0);
  EXPECT_FALSE(serial_.SessionActive);

  arrive("<<A|1|2>>");
  onDispatch_ = [this](const QString&) {
    EXPECT_EQ(view_.activity, 1);
    EXPECT_TRUE(serial_.SessionActive);
    EXPECT_EQ(comm_.RxBuffer, QString()) << "the frame is out of the buffer before it runs";
  };
  pump_.pumps = 0;
  loop_.tmrCOM_Timer();
  EXPECT_EQ(dispatched_, QStringList{"<<A|1|2>>"});
  // One to begin, three in the read, one on each side of the dispatch, ten to end.
  EXPECT_EQ(pump_.pumps, 1 + 3 + 2 + ReceiveLoop::kTrailingYields);

  pump_.pumps = 0;
  loop_.tmrCOM_Timer();
  EXPECT_EQ(pump_.pumps, 1 + 2 + ReceiveLoop::kTrailingYields) << "nothing arrived, nothing ran";
}

TEST_F(ReceiveLoopTest, DebugModeLogsEachExecutedFrame) {
  struct Case {
    bool debug;
    QString log;
  };
  const Case cases[] = {
      {true, QStringLiteral("old\r\nRCV: \r\n<<A|1|2>>\r\n\r\n")},
      {false, QStringLiteral("old")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.debug);
    debugLog_.DebugMode = c.debug;
    view_.log = QStringLiteral("old");
    comm_.RxBuffer = QStringLiteral("<<A|1|2>>");
    loop_.tmrCOM_Timer();
    EXPECT_EQ(view_.log, c.log);
    loop_.tmrCOM_Timer();
    EXPECT_EQ(view_.log, c.log) << "no frame, no line";
  }
}

TEST_F(ReceiveLoopTest, SignatureWhileStartedStandsTheLinkDown) {
  struct Case {
    const char* name;
    std::vector<QByteArray> reads;  // one per tick; the signature is complete after the last
  };
  const Case cases[] = {
      {"with frames waiting", {"<<A|1|2>><<B|1|2>>" + signatureBytes() + "<<C|>>"}},
      {"signature before the frames", {"xx" + signatureBytes() + "<<A|1|2>>"}},
      {"signature split over two reads",
       {"<<A|1|" + signatureBytes().left(3), signatureBytes().mid(3) + "2>>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dispatched_.clear();
    boxes_.shown.clear();
    view_ = FakeAgentView();
    comm_.RxBuffer.clear();
    startLink();
    serial_.SessionActive = true;
    for (const QByteArray& read : c.reads) {
      arrive(read);
      loop_.tmrCOM_Timer();
    }

    ASSERT_EQ(boxes_.shown.size(), 1u);
    const ObservedBoxes::Shown& box = boxes_.shown[0];
    EXPECT_EQ(box.icon, MessageBoxIcon::Information);
    EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(box.title, QStringLiteral("CorvaneControl Stopped"));
    EXPECT_EQ(box.text, QStringLiteral("Hotsync was requested, stopping\nCorvaneControl.  To "
                                       "resume CorvaneControl\nclick the 'Play' button."));
    EXPECT_EQ(box.restoredBefore, 1) << "the window is restored before the box";
    EXPECT_EQ(box.pageShownBefore, 0) << "the Connection page comes after it";
    EXPECT_EQ(view_.connectionPageShown, 1);
    EXPECT_TRUE(dispatched_.isEmpty());
    EXPECT_EQ(comm_.RxBuffer, QString());
    EXPECT_FALSE(serial_.PortOpen);
    EXPECT_FALSE(serial_.SessionActive);
    EXPECT_FALSE(comm_.isOpen(3));
    EXPECT_EQ(view_.status, QStringLiteral("The communication port is closed."));
    EXPECT_TRUE(view_.scanEnabled);
  }
}

TEST_F(ReceiveLoopTest, SignatureWhileNotStartedIsJustText) {
  openPortOnly();  // the port is read, the link is not started
  arrive(signatureBytes() + "<<A|1|2>><<B|>>");
  loop_.tmrCOM_Timer();
  loop_.tmrCOM_Timer();
  EXPECT_EQ(dispatched_, QStringList({"<<A|1|2>>", "<<B|>>"}));
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(comm_.RxBuffer, ReceiveLoop::hotSyncSignature());
  EXPECT_TRUE(comm_.isOpen(3));
}

TEST_F(ReceiveLoopTest, FramesAreTakenAfterTheLinkIsStopped) {
  startLink();
  arrive("<<A|>><<B|>>");
  loop_.tmrCOM_Timer();
  serial_.StopSerialLink();
  loop_.tmrCOM_Timer();
  EXPECT_EQ(dispatched_, QStringList({"<<A|>>", "<<B|>>"}));
}

// A tick that comes while another one waits (in a yield, inside the dispatcher's pause, or
// behind the stand-down box) returns at once: frames run one at a time, in order.
TEST_F(ReceiveLoopTest, TicksNeverOverlap) {
  enum class Where { Yield, Dispatch, Box };
  for (const Where where : {Where::Yield, Where::Dispatch, Where::Box}) {
    SCOPED_TRACE(static_cast<int>(where));
    dispatched_.clear();
    boxes_.shown.clear();
    comm_.RxBuffer.clear();
    startLink();
    arrive(where == Where::Box ? "<<A|>>" + signatureBytes() : QByteArray("<<A|>><<B|>>"));
    int nested = 0;
    // One timer event comes in the middle of the tick.
    const auto tickAgain = [&] {
      if (nested++ == 0) {
        loop_.tmrCOM_Timer();
      }
    };
    pump_.onPump = where == Where::Yield ? std::function<void()>(tickAgain) : nullptr;
    onDispatch_ = where == Where::Dispatch ? [&](const QString&) { tickAgain(); }
                                           : std::function<void(const QString&)>();
    boxes_.whileOpen = where == Where::Box ? std::function<void()>(tickAgain) : nullptr;

    devices_.calls.clear();
    loop_.tmrCOM_Timer();
    EXPECT_GT(nested, 0);
    EXPECT_EQ(devices_.calls.count(QStringLiteral("COM3:clearError")), 1)
        << "the nested tick did not read";
    EXPECT_LE(dispatched_.size(), 1);
    EXPECT_LE(boxes_.shown.size(), 1u);

    pump_.onPump = nullptr;
    onDispatch_ = nullptr;
    boxes_.whileOpen = nullptr;
    if (where != Where::Box) {
      loop_.tmrCOM_Timer();
      EXPECT_EQ(dispatched_, QStringList({"<<A|>>", "<<B|>>"})) << "the next tick runs as usual";
    }
    serial_.StopSerialLink();
  }
}

TEST_F(ReceiveLoopTest, SmallBufferKeepsTextOutsideFrames) {
  comm_.RxBuffer = QString(kBound - 20, u'x') + QStringLiteral("<<A|1|");
  loop_.tmrCOM_Timer();
  EXPECT_EQ(comm_.RxBuffer.size(), kBound - 14) << "below the bound nothing is dropped";
}

TEST_F(ReceiveLoopTest, GarbageBeyondTheBoundIsDroppedUpToAFrame) {
  struct Case {
    const char* name;
    QString buffer;
    QString rest;  // after one tick
  };
  const Case cases[] = {
      {"junk before a partial frame", QString(kBound + 10, u'x') + "<<A|1|", "<<A|1|"},
      {"junk without any frame", QString(kBound + 1, u'x'), ""},
      {"a partial frame longer than the bound", "<<" + QString(kBound, u'x'), ""},
      {"junk before a complete frame", QString(kBound + 10, u'x') + "<<A|1|2>>", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    comm_.RxBuffer = c.buffer;
    loop_.tmrCOM_Timer();
    EXPECT_EQ(comm_.RxBuffer, c.rest);
  }
  EXPECT_EQ(dispatched_, QStringList{"<<A|1|2>>"});

  comm_.RxBuffer = QString(kBound + 10, u'x') + "<<A|1|";
  loop_.tmrCOM_Timer();
  comm_.RxBuffer += QStringLiteral("9>>");
  loop_.tmrCOM_Timer();
  EXPECT_EQ(dispatched_.last(), QStringLiteral("<<A|1|9>>")) << "the kept frame completes";
}

// A backlog beyond the bound loses its oldest frames, and what is kept starts at a frame.
TEST_F(ReceiveLoopTest, BacklogBeyondTheBoundKeepsTheNewestFrames) {
  QString backlog;
  int frames = 0;
  while (backlog.size() <= kBound + 1000) {
    backlog += QStringLiteral("<<N|%1|>>").arg(frames++);
  }
  comm_.RxBuffer = backlog;
  loop_.tmrCOM_Timer();
  ASSERT_EQ(dispatched_.size(), 1);
  EXPECT_NE(dispatched_[0], QStringLiteral("<<N|0|>>"));
  EXPECT_LT(comm_.RxBuffer.size(), kBound);
  EXPECT_TRUE(comm_.RxBuffer.endsWith(QStringLiteral("<<N|%1|>>").arg(frames - 1)));
  EXPECT_TRUE(backlog.endsWith(dispatched_[0] + comm_.RxBuffer)) << "the kept text is the newest";
}

// A megabyte that never closes its frame: every tick stays within the bound, and the frame that
// follows it runs.
TEST_F(ReceiveLoopTest, MegabytePartialFrameStaysBounded) {
  startLink();
  arrive("<<BIG|" + QByteArray(1024 * 1024, 'x'));
  qsizetype largest = 0;
  int ticks = 0;
  while (!port_->incoming.isEmpty() && ticks < 2000) {
    loop_.tmrCOM_Timer();
    largest = std::max(largest, comm_.RxBuffer.size());
    ++ticks;
  }
  EXPECT_TRUE(port_->incoming.isEmpty());
  EXPECT_LE(largest, kBound);
  EXPECT_TRUE(dispatched_.isEmpty());

  arrive("xx>><<B|1|2>>");
  loop_.tmrCOM_Timer();
  EXPECT_EQ(dispatched_, QStringList{"<<B|1|2>>"});
}

// Taking a frame out of a full buffer, or out of megabytes of copies of it, costs one pass: a
// removal copy by copy would not finish.
TEST_F(ReceiveLoopTest, ExtractionOfManyCopiesIsOnePass) {
  const QString frame = QStringLiteral("<<A|1|2>>");
  comm_.RxBuffer = frame.repeated(kBound / frame.size());
  loop_.tmrCOM_Timer();
  EXPECT_EQ(dispatched_, QStringList{frame});
  EXPECT_EQ(comm_.RxBuffer, QString());

  // Copies between other text, so that no removal happens at either end of the buffer.
  const QString copies = QStringLiteral("<<B|>>") + (frame + u'x').repeated(1024 * 1024);
  EXPECT_EQ(loop_.getNextMsg(copies), QStringLiteral("<<B|>>"));
  EXPECT_EQ(loop_.getNextMsg(QStringLiteral("y") + copies.sliced(6)), frame);
  EXPECT_EQ(comm_.RxBuffer, QStringLiteral("y") + QString(1024 * 1024, u'x'));

  const QString emptyPairs = QStringLiteral("<<>>x").repeated(1024 * 1024) + frame;
  EXPECT_EQ(loop_.getNextMsg(emptyPairs), frame);
  EXPECT_EQ(comm_.RxBuffer, QString(1024 * 1024, u'x'));
}

}  // namespace
