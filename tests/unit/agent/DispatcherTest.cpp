#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <limits>
#include <memory>

#include "agent/LibSerial.h"
#include "tests/support/DispatcherRig.h"
#include "tests/support/FakeSerialDevices.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/Utf8Text.h"

namespace {

// The dispatcher with an open link on a fake port, recording every desktop action.
class DispatcherTest : public testing::Test, protected DispatcherRig {
 protected:
  void SetUp() override {
    ASSERT_TRUE(openPort());
    browser_.BrowserType = QStringLiteral("FIREFOX");
    // Each reply pause ends at its first reading after the start.
    clock_.step = 1000;
    actions_.cursorX = 100;
    actions_.cursorY = 200;
  }

  void run(const QString& frame) { general_.ProcessMessage(frame); }
  void run(const char* frame) { run(text(frame)); }

  struct SequenceCase {
    const char* frame;
    QStringList expected;
  };
  // Each frame on its own, with the exact calls it makes.
  void expectSequences(const std::vector<SequenceCase>& cases) {
    for (const SequenceCase& c : cases) {
      SCOPED_TRACE(c.frame);
      actions_.calls.clear();
      run(c.frame);
      EXPECT_EQ(actions_.calls, c.expected);
    }
  }

  QString written() const { return QString::fromLatin1(device_->written); }

  // Runs `action` once, at the first point where the dispatcher lets pending events run, and
  // marks that point in the recorded sequence.
  void atNextEvents(std::function<void()> action = {}) {
    bool ran = false;
    pump_.onPump = [this, action, ran]() mutable {
      if (ran) {
        return;
      }
      ran = true;
      actions_.calls << QStringLiteral("<events>");
      if (action) {
        action();
      }
    };
  }
};

TEST_F(DispatcherTest, MouseAndKeyboardFramesRunTheirActions) {
  const std::vector<SequenceCase> cases = {
      {"<<MOUSE_BUTTON|LEFT_CLICK|>>", texts({"LeftClick()"})},
      {"<<MOUSE_BUTTON|LEFT_DOWN|>>", texts({"LeftButtonDown()"})},
      {"<<MOUSE_BUTTON|LEFT_UP|>>", texts({"LeftButtonUp()"})},
      {"<<MOUSE_BUTTON|RIGHT_CLICK|>>", texts({"RightClick()"})},
      {"<<MOUSE_BUTTON|left_click|>>", {}},
      {"<<MOUSE_BUTTON|MIDDLE|>>", {}},
      // Screen 1024 x 768 pixels.
      {"<<MOUSE|CENTER|>>",
       texts({"ScreenWidthPixels()", "ScreenHeightPixels()", "MoveCursorTo(512,384)"})},
      {"<<MOUSE|center|>>", {}},
      {"<<MOUSE|10|20>>", texts({"SetDefaultPointer()", "MoveCursorTo(90,60)"})},
      // 22.5 and 1.5 go to the even neighbours.
      {"<<MOUSE|2.5|0.5>>", texts({"SetDefaultPointer()", "MoveCursorTo(22,2)"})},
      {"<<MOUSE|-1|-0.5>>", texts({"SetDefaultPointer()", "MoveCursorTo(-9,-2)"})},
      {"<<MOUSE| 10 |20 >>", texts({"SetDefaultPointer()", "MoveCursorTo(90,60)"})},
      {"<<MOUSE|238609294|715827882>>",
       texts({"SetDefaultPointer()", "MoveCursorTo(2147483646,2147483646)"})},
      // Cursor at (100, 200).
      {"<<5W|5|-3>>", texts({"GetCursorX()", "GetCursorY()", "MoveCursorTo(105,197)"})},
      {"<<5W|0.5|1.5>>", texts({"GetCursorX()", "GetCursorY()", "MoveCursorTo(100,202)"})},
      {"<<5W|2147483547|-2147483848>>",
       texts({"GetCursorX()", "GetCursorY()", "MoveCursorTo(2147483647,-2147483648)"})},
      {"<<TP|-7|3>>", texts({"GetCursorX()", "GetCursorY()", "MoveCursorTo(93,203)"})},
      // No movement: the cursor goes where it is now, read once more.
      {"<<TP|0|0>>", texts({"GetCursorX()", "GetCursorY()", "GetCursorX()", "GetCursorY()",
                            "MoveCursorTo(100,200)"})},
      {"<<TP|0.0|-0>>", texts({"GetCursorX()", "GetCursorY()", "GetCursorX()", "GetCursorY()",
                               "MoveCursorTo(100,200)"})},
      {"<<SENDKEY|KBD|{UP}>>", texts({"SendVirtualKey(38,true)"})},
      {"<<SENDKEY|KBD|{down}>>", texts({"SendVirtualKey(40,true)"})},
      {"<<SENDKEY|KBD|{Right}>>", texts({"SendVirtualKey(39,true)"})},
      {"<<SENDKEY|KBD|{LEFT}>>", texts({"SendVirtualKey(37,true)"})},
      {"<<SENDKEY|KBD|{ENTER}>>", texts({"SendVirtualKey(13,true)"})},
      // Esc is a release only; only the exact upper-case name also brings the cursor back.
      {"<<SENDKEY|KBD|{esc}>>", texts({"SendVirtualKey(27,false)"})},
      {"<<SENDKEY|KBD|{ESC}>>",
       texts({"SendVirtualKey(27,false)", "ShowCursorOnce()", "ForceCursorVisible(true)"})},
      {"<<SENDKEY|KBD|x{ESC}>>",
       texts({"SendKeys(x{ESC},false)", "ShowCursorOnce()", "ForceCursorVisible(true)"})},
      {"<<SENDKEY|KBD|x[[START]]>>", texts({"PressWindowsKey()"})},
      {"<<SENDKEY|KBD|[[start]]>>", texts({"SendKeys([[start]],false)"})},
      {"<<SENDKEY|KBD|a|b>>", texts({"SendKeys(a|b,false)"})},
      {"<<SENDKEY|KBD|Hello World>>", texts({"SendKeys(Hello World,false)"})},
      {"<<SENDKEY|KBD|>>", texts({"SendKeys(,false)"})},
      {"<<SENDKEY|kbd|x>>", {}},
      {"<<SENDKEY|OTHER|x>>", {}},
  };
  expectSequences(cases);
}

TEST_F(DispatcherTest, KeyTextTheSenderRejectsStillShowsTheCursor) {
  actions_.acceptKeys = false;
  run("<<SENDKEY|KBD|{F99}{ESC}>>");
  EXPECT_EQ(actions_.calls,
            texts({"SendKeys({F99}{ESC},false)", "ShowCursorOnce()", "ForceCursorVisible(true)"}));
}

TEST_F(DispatcherTest, WindowDocumentAndMediaFramesRunTheirActions) {
  const std::vector<SequenceCase> cases = {
      {"<<PRESENT|NEXT|x>>", texts({"HandlePresentCommand(NEXT,x)"})},
      {"<<PRESENT|START>>", texts({"HandlePresentCommand(,START)"})},
      // The foreground window is read before argument 1 is looked at.
      {"<<EVENT|MIN|>>", texts({"ForegroundWindow()", "MinimizeWindow(4242)"})},
      {"<<EVENT|MAX|>>", texts({"ForegroundWindow()", "MaximizeWindow(4242)"})},
      {"<<EVENT|SHOW_DESKTOP|TRUE>>", texts({"ForegroundWindow()", "ShowDesktop()"})},
      {"<<EVENT|SHOW_DESKTOP|true>>", texts({"ForegroundWindow()"})},
      {"<<EVENT|SHOW_DESKTOP|>>", texts({"ForegroundWindow()"})},
      {"<<EVENT|ACTIVE_WINDOW|>>", texts({"ForegroundWindow()", "NotifyForegroundChange(true)"})},
      {"<<EVENT|min|>>", texts({"ForegroundWindow()"})},
      {"<<DIRLIST|Music|>>", texts({"SendDirList(Music)"})},
      // Two fields: the folder is argument 2, so the listing is of the root.
      {"<<DIRLIST|Music>>", texts({"SendDirList()"})},
      {"<<VOLUME|SET|50>>", texts({"SetMasterVolume(50)"})},
      {"<<VOLUME|SET|50.5>>", texts({"SetMasterVolume(50)"})},
      {"<<VOLUME|SET|51.5>>", texts({"SetMasterVolume(52)"})},
      {"<<VOLUME|SET|-3>>", texts({"SetMasterVolume(-3)"})},
      {"<<VOLUME|SET|2147483646.5>>", texts({"SetMasterVolume(2147483646)"})},
      {"<<VOLUME|set|50>>", {}},
      {"<<WMP|PLAY|>>", texts({"PlayPause()"})},
      {"<<WMP|play|>>", texts({"PlayPause()"})},
      {"<<WMP|Stop|>>", texts({"StopPlayback()"})},
      // A command that changes the item makes the next media report go out even when the item
      // comes out the same.
      {"<<WMP|NEXT|>>", texts({"ForceNextReport()", "NextTrack()"})},
      {"<<WMP|PREV|>>", texts({"ForceNextReport()", "PreviousTrack()"})},
      {"<<WMP|VOL_UP|>>", texts({"VolumeUp()"})},
      {"<<WMP|VOL_DOWN|>>", texts({"VolumeDown()"})},
      {"<<WMP|MUTE_ON|>>", texts({"SetMute(true)"})},
      {"<<WMP|MUTE_OFF|>>", texts({"SetMute(false)"})},
      {"<<WMP|REPEAT_ON|>>", texts({"RepeatOn()"})},
      {"<<WMP|REPEAT_OFF|>>", texts({"RepeatOff()"})},
      {"<<WMP|SHUFFLE_ON|>>", texts({"ShuffleOn()"})},
      {"<<WMP|SHUFFLE_OFF|>>", texts({"ShuffleOff()"})},
      {"<<WMP|set_playlist|Party Mix>>",
       texts({"ForceNextReport()", "SetPlaylist(Party Mix,false)", "NotifyMediaChange()"})},
      {"<<WMP|full_screen|>>", texts({"ToggleFullScreen()"})},
      {"<<WMP|REWIND|>>", {}},
  };
  expectSequences(cases);
}

TEST_F(DispatcherTest, FramesThatMatchNoKeywordRunNothing) {
  const char* const frames[] = {
      "<<mouse|1|2>>",     "<<W>>",
      "<<WMP>>",           "<<>>",
      "<<|||>>",           "<<INFO|version|>>",
      "<<ERROR|resend|>>", "<<UNLOAD|PRESENTATION|>>",
      "<<HELLO|A|B>>",     "<< MOUSE|1|2>>",
      "<<MOUSE |1|2>>",    "<<5w|1|1>>",
      "<<tp|0|0>>",
  };
  for (const char* frame : frames) {
    SCOPED_TRACE(frame);
    run(frame);
  }
  EXPECT_EQ(actions_.calls, QStringList());
  EXPECT_EQ(device_->written, QByteArray());
  EXPECT_EQ(program_.calls, QStringList());
}

TEST_F(DispatcherTest, NumericArgumentsThatAreNoNumbersOrLeaveTheRangeMoveNothing) {
  const char* const values[] = {"abc", "",      "1e999", "99999999999", "nan", "inf", "0x10",
                                "1,5", "1.2.3", "- 1",   "1 2",         "+",   "."};
  for (const char* value : values) {
    SCOPED_TRACE(value);
    const QString v = text(value);
    actions_.calls.clear();
    const char* const frames[] = {"<<MOUSE|%1|1>>",   "<<MOUSE|1|%1>>", "<<5W|%1|1>>",
                                  "<<5W|1|%1>>",      "<<TP|%1|0>>",    "<<TP|0|%1>>",
                                  "<<VOLUME|SET|%1>>"};
    for (const char* frame : frames) {
      run(text(frame).arg(v));
    }
    // A product or sum beyond 32 bits reads the cursor but moves nothing.
    const bool readsCursor = v == u"99999999999";
    EXPECT_EQ(actions_.calls,
              readsCursor ? texts({"GetCursorX()", "GetCursorY()", "GetCursorX()", "GetCursorY()",
                                   "GetCursorX()", "GetCursorY()", "GetCursorX()", "GetCursorY()"})
                          : QStringList());
  }

  // Within range as a number, beyond it once scaled, moved or rounded.
  const std::vector<SequenceCase> outOfRange = {
      {"<<MOUSE|2147483647|1>>", {}},
      {"<<MOUSE|238609295|1>>", {}},
      {"<<MOUSE|1|715827883>>", {}},
      {"<<MOUSE|-238609295|1>>", {}},
      {"<<5W|2147483548|0>>", texts({"GetCursorX()", "GetCursorY()"})},
      {"<<5W|0|-2147483849>>", texts({"GetCursorX()", "GetCursorY()"})},
      {"<<TP|2147483548|0>>", texts({"GetCursorX()", "GetCursorY()"})},
      {"<<VOLUME|SET|2147483647.5>>", {}},
      {"<<VOLUME|SET|-2147483649>>", {}},
  };
  expectSequences(outOfRange);
}

TEST_F(DispatcherTest, TouchPadKeepsItsTargetAndAnUnusableFrameLeavesIt) {
  run("<<TP|5|-5>>");
  EXPECT_EQ(general_.TouchTarget.x, 105);
  EXPECT_EQ(general_.TouchTarget.y, 195);
  actions_.cursorX = 40;
  actions_.cursorY = 50;
  run("<<TP|0|0>>");
  EXPECT_EQ(general_.TouchTarget.x, 40);
  EXPECT_EQ(general_.TouchTarget.y, 50);
  run("<<TP|abc|1>>");
  run("<<TP|2147483647|1>>");
  EXPECT_EQ(general_.TouchTarget.x, 40);
  EXPECT_EQ(general_.TouchTarget.y, 50);
}

TEST_F(DispatcherTest, ScreenCentreRoundsHalvesToEven) {
  struct Case {
    double width;
    double height;
    const char* move;
  };
  const Case cases[] = {
      {1025, 769, "MoveCursorTo(512,384)"},  // 512.5, 384.5
      {1027, 767, "MoveCursorTo(514,384)"},  // 513.5, 383.5
      {1365.4, 1.0, "MoveCursorTo(683,0)"},  // 682.7, 0.5
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.move);
    actions_.calls.clear();
    actions_.screenWidth = c.width;
    actions_.screenHeight = c.height;
    run("<<MOUSE|CENTER|>>");
    EXPECT_EQ(actions_.calls.value(2), text(c.move));
  }
  // A screen size the window layer cannot give moves nothing.
  actions_.calls.clear();
  actions_.screenWidth = std::numeric_limits<double>::quiet_NaN();
  run("<<MOUSE|CENTER|>>");
  EXPECT_EQ(actions_.calls, texts({"ScreenWidthPixels()", "ScreenHeightPixels()"}));
}

TEST_F(DispatcherTest, BrowserFramesTypeIntoTheDesktopsBrowser) {
  struct Case {
    const char* browser;
    const char* frame;
    QStringList expected;
  };
  const Case cases[] = {
      {"FIREFOX", "<<SENDKEY|BROWSER|B_STOP>>", texts({"SendKeys({ESC},false)"})},
      {"FIREFOX", "<<SENDKEY|BROWSER|B_REFRESH>>", texts({"SendKeys({F5},false)"})},
      {"INTERNET_EXPLORER", "<<SENDKEY|BROWSER|B_BACK>>", texts({"SendKeys(%{LEFT},false)"})},
      {"INTERNET_EXPLORER", "<<SENDKEY|BROWSER|B_FORWARD>>", texts({"SendKeys(%{RIGHT},false)"})},
      {"FIREFOX", "<<SENDKEY|BROWSER|B_HOME>>", texts({"SendKeys(%{HOME},false)"})},
      {"OPERA", "<<SENDKEY|BROWSER|B_HOME>>", {}},
      {"", "<<SENDKEY|BROWSER|[B_ADDR]x.org[ENTER]>>", {}},
      {"INTERNET_EXPLORER", "<<SENDKEY|BROWSER|[B_ADDR]x.org[ENTER]>>",
       texts({"SendKeys(%D,false)", "SendKeys(x.org{ENTER},false)"})},
      {"INTERNET_EXPLORER", "<<SENDKEY|BROWSER|b_home>>",
       texts({"SendKeys(%D,false)", "SendKeys(b_home,false)"})},
      {"FIREFOX", "<<SENDKEY|BROWSER|[B_ADDR]a[B_ADDR]b[ENTER][ENTER]>>",
       texts({"SendKeys({F6},true)", "SendKeys(ab{ENTER}{ENTER},false)"})},
      // Markers are case-sensitive.
      {"FIREFOX", "<<SENDKEY|BROWSER|[b_addr]x[enter]>>",
       texts({"SendKeys([b_addr]x[enter],false)"})},
      {"FIREFOX", "<<SENDKEY|BROWSER|hello>>", texts({"SendKeys(hello,false)"})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frame);
    actions_.calls.clear();
    browser_.BrowserType = text(c.browser);
    run(c.frame);
    EXPECT_EQ(actions_.calls, c.expected);
  }
}

TEST_F(DispatcherTest, FirefoxLetsTheAddressBarTakeFocusBeforeTyping) {
  atNextEvents();
  run("<<SENDKEY|BROWSER|[B_ADDR]x.org[ENTER]>>");
  EXPECT_EQ(actions_.calls,
            texts({"SendKeys({F6},true)", "<events>", "SendKeys(x.org{ENTER},false)"}));
}

TEST_F(DispatcherTest, InternetExplorerTypesTheAddressAsItStandsAfterThePause) {
  browser_.BrowserType = QStringLiteral("INTERNET_EXPLORER");
  clock_.step = 300;  // the 500 ms pause reads the clock three times and lets events run
  atNextEvents([this] { general_.Fields.MsgArg2 = QStringLiteral("[B_ADDR]y.org[ENTER]"); });
  run("<<SENDKEY|BROWSER|[B_ADDR]x.org[ENTER]>>");
  EXPECT_EQ(actions_.calls,
            texts({"SendKeys(%D,false)", "<events>", "SendKeys(y.org{ENTER},false)"}));
}

TEST_F(DispatcherTest, LoadAppStartsTheButtonsProgramOrTheText) {
  struct Case {
    const char* frame;
    const char* browser;
    const char* expected;  // "" for nothing
  };
  settings_.ButtonApps[1] = QStringLiteral("editor --new");
  settings_.ButtonApps[3] = QStringLiteral("calculator");
  const Case cases[] = {
      {"<<LOADAPP|[[A]]|>>", "FIREFOX", "LaunchProgram(editor --new,1)"},
      {"<<LOADAPP|go [[C]] now|>>", "FIREFOX", "LaunchProgram(calculator,1)"},
      // A button without a program falls through to the text itself.
      {"<<LOADAPP|[[B]]|>>", "FIREFOX", "LaunchProgram([[B]],3)"},
      {"<<LOADAPP|[[B]][[C]]|>>", "FIREFOX", "LaunchProgram(calculator,1)"},
      {"<<LOADAPP|[[D]][[A]]|>>", "FIREFOX", "LaunchProgram(editor --new,1)"},
      {"<<LOADAPP|[[a]]|>>", "FIREFOX", "LaunchProgram([[a]],3)"},
      {"<<LOADAPP|gimp|>>", "FIREFOX", "LaunchProgram(gimp,3)"},
      {"<<LOADAPP||>>", "FIREFOX", "LaunchProgram(,3)"},
      {"<<LOADAPP|DEFAULT_BROWSER|>>", "FIREFOX", "LaunchProgram(firefox,3)"},
      {"<<LOADAPP|x DEFAULT_BROWSER|>>", "INTERNET_EXPLORER", "LaunchProgram(iexplore,3)"},
      {"<<LOADAPP|DEFAULT_BROWSER|>>", "OPERA", ""},
      {"<<LOADAPP|default_browser|>>", "FIREFOX", "LaunchProgram(default_browser,3)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.frame);
    actions_.calls.clear();
    browser_.BrowserType = text(c.browser);
    run(c.frame);
    EXPECT_EQ(actions_.calls, *c.expected ? texts({c.expected}) : QStringList());
  }
}

TEST_F(DispatcherTest, PlaylistRequestIsAnsweredBeforeTheMediaReport) {
  actions_.playlistNames = QStringLiteral("Mix;Party");
  QString sentBeforeReport;
  actions_.onCall = [this, &sentBeforeReport](const QString& call) {
    if (call == u"NotifyMediaChange()") {
      sentBeforeReport = written();
    }
  };
  run("<<WMP|GET_PLAYLIST|>>");
  EXPECT_EQ(actions_.calls,
            texts({"ForceNextReport()", "GetPlaylistNames()", "NotifyMediaChange()"}));
  EXPECT_EQ(sentBeforeReport, u"<<WMP|PLAYLIST|Mix;Party>>");
}

TEST_F(DispatcherTest, VersionRequestIsAnsweredInUpperCaseOnly) {
  actions_.infoReply = QStringLiteral("Corvane 1.0.0");
  run("<<INFO|version|>>");
  run("<<INFO|VERSION>>");  // two fields: VERSION is argument 2
  EXPECT_EQ(device_->written, QByteArray());
  run("<<INFO|VERSION|>>");
  EXPECT_EQ(written(), u"<<INFO|VERSION|Corvane 1.0.0>>");
}

TEST_F(DispatcherTest, EveryFrameIsCountedWithItsDelimiters) {
  const struct {
    const char* frame;
    const char* packets;
    const char* bytes;
  } sequence[] = {
      {"<<W>>", "1", "5"},
      {"<<WMP>>", "2", "12"},
      {"<<mouse|1|2>>", "3", "25"},
      {"<<MOUSE|10|20>>", "4", "40"},
  };
  for (const auto& step : sequence) {
    SCOPED_TRACE(step.frame);
    run(step.frame);
    EXPECT_EQ(view_.packets, text(step.packets));
    EXPECT_EQ(view_.bytes, text(step.bytes));
  }
}

TEST_F(DispatcherTest, CountersStopAtTheLargestValue) {
  constexpr qint32 kMax = std::numeric_limits<qint32>::max();
  general_.PacketCount = kMax - 1;
  general_.ByteCount = kMax - 6;
  run("<<W>>");
  EXPECT_EQ(general_.PacketCount, kMax);
  EXPECT_EQ(general_.ByteCount, kMax - 1);
  run("<<W>>");
  run(QStringLiteral("<<") + QString(100000, u'x') + QStringLiteral(">>"));
  EXPECT_EQ(general_.PacketCount, kMax);
  EXPECT_EQ(general_.ByteCount, kMax);
  EXPECT_EQ(view_.packets, u"2147483647");
  EXPECT_EQ(view_.bytes, u"2147483647");
}

TEST_F(DispatcherTest, CloseEndsTheSessionAndAnyRunningShow) {
  for (const bool running : {false, true}) {
    SCOPED_TRACE(running ? "show running" : "no show");
    program_.calls.clear();
    link_.sessionActive = true;
    ASSERT_EQ(presentation_.LoadPresentation(QStringLiteral("/talks/a.odp"), false, false), u"");
    if (running) {
      presentation_.StartSlideShow();
    }
    program_.calls.clear();
    actions_.calls.clear();
    run("<<EVENT|CLOSE|>>");
    EXPECT_FALSE(link_.sessionActive);
    EXPECT_FALSE(presentation_.Model.ShowRunning);
    EXPECT_EQ(program_.calls.contains(u"quitApplication"), running)
        << program_.calls.join(u' ').toStdString();
    EXPECT_EQ(actions_.calls, texts({"ForegroundWindow()", "SuppressNextReport()"}));
    presentation_.ResetPresentationModel();
  }
}

TEST_F(DispatcherTest, ActivateClosesTheDocumentBeforeOpeningTheNext) {
  QStringList programCallsAtOpen;
  actions_.onCall = [this, &programCallsAtOpen](const QString& call) {
    if (call.startsWith(u"OpenDocument")) {
      programCallsAtOpen = program_.calls;
    }
  };
  ASSERT_EQ(presentation_.LoadPresentation(QStringLiteral("/talks/a.odp"), false, false), u"");
  program_.calls.clear();

  // Nothing open by the handheld yet: no close.
  run("<<ACTIVATE|Talks|a.odp>>");
  EXPECT_EQ(actions_.calls, texts({"OpenDocument(Talks,a.odp)", "ForceCursorVisible(true)"}));
  EXPECT_EQ(programCallsAtOpen, QStringList());
  EXPECT_EQ(general_.Active.ActiveFolder, u"Talks");
  EXPECT_EQ(general_.Active.ActiveFile, u"a.odp");

  run("<<ACTIVATE|Talks|b.odp>>");
  EXPECT_TRUE(programCallsAtOpen.contains(u"closePresentation"))
      << programCallsAtOpen.join(u' ').toStdString();
  EXPECT_EQ(general_.Active.ActiveFile, u"b.odp");

  // A folder without a file is not a document to close.
  run("<<ACTIVATE|Music>>");
  EXPECT_EQ(general_.Active.ActiveFolder, u"");
  EXPECT_EQ(general_.Active.ActiveFile, u"Music");
  ASSERT_EQ(presentation_.LoadPresentation(QStringLiteral("/talks/a.odp"), false, false), u"");
  program_.calls.clear();
  programCallsAtOpen = texts({"unset"});
  run("<<ACTIVATE|Talks|c.odp>>");
  EXPECT_EQ(programCallsAtOpen, QStringList());
}

TEST_F(DispatcherTest, UnloadInAnyCaseClosesAndForgetsThePresentation) {
  const struct {
    const char* frame;
    bool unloads;
  } cases[] = {
      {"<<UNLOAD|CURRENT_PRESENTATION|>>", true},
      {"<<UNLOAD|current_presentation|>>", true},
      {"<<UNLOAD|Current_Presentation>>", false},  // two fields: argument 1 is empty
      {"<<UNLOAD|CURRENT|>>", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.frame);
    actions_.calls.clear();
    ASSERT_EQ(presentation_.LoadPresentation(QStringLiteral("/talks/a.odp"), false, false), u"");
    presentation_.Model.TotalTime = 90;
    run(c.frame);
    EXPECT_EQ(actions_.calls.contains(u"SuppressNextReport()"), c.unloads);
    EXPECT_EQ(presentation_.Model.PowerPointApp.has_value(), !c.unloads);
    EXPECT_EQ(presentation_.Model.PresentationPath, text(c.unloads ? "" : "/talks/a.odp"));
    EXPECT_EQ(presentation_.Model.TotalTime, c.unloads ? -1 : 90);
  }
}

TEST_F(DispatcherTest, SendToDeviceWritesLogsAndAlwaysPauses) {
  struct Case {
    const char* name;
    bool open;
    bool debug;
    const char* msg;
    const char* written;
    const char* log;
    bool result;
  };
  const Case cases[] = {
      {"open, quiet", true, false, "<<A|B|C>>", "<<A|B|C>>", "", true},
      {"open, debug", true, true, "<<A|B|C>>", "<<A|B|C>>", "SND: <<A|B|C>>\r\n", true},
      {"closed, debug", false, true, "<<A|B|C>>", "", "SND: <<A|B|C>>\r\n", false},
      {"closed, quiet", false, false, "<<A|B|C>>", "", "", false},
      {"empty text", true, true, "", "", "SND: \r\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    device_->written.clear();
    view_.log = QStringLiteral("earlier\r\n");
    debugLog_.DebugMode = c.debug;
    comm_.PortNumber = c.open ? kRigPort : qint16{4};
    const int readingsBefore = clock_.readings;
    const quint32 before = clock_.now;
    EXPECT_EQ(general_.SendToDevice(text(c.msg)), c.result);
    EXPECT_EQ(written(), text(c.written));
    EXPECT_EQ(view_.log, QStringLiteral("earlier\r\n") + text(c.log));
    // The 280 ms reply pause: a start reading and one beyond it.
    EXPECT_EQ(clock_.readings - readingsBefore, 2);
    EXPECT_GT(clock_.now - before, 280u);
  }
}

TEST_F(DispatcherTest, RepliesFrameTheirFieldsAsTheyStand) {
  general_.SendReply(QStringLiteral("DIRLIST"), QStringLiteral("a|b"), QStringLiteral("c>>d"));
  general_.SendReply(QString(), QString(), QString());
  EXPECT_EQ(written(), u"<<DIRLIST|a|b|c>>d>><<||>>");
}

TEST_F(DispatcherTest, ResendRepeatsTheLastFrameThatWentOut) {
  debugLog_.DebugMode = true;
  // Nothing sent yet: nothing to repeat, but the line and the pause are still there.
  run("<<ERROR|RESEND|>>");
  EXPECT_EQ(device_->written, QByteArray());
  EXPECT_EQ(view_.log, u"SND: \r\n");

  general_.SendReply(QStringLiteral("CHANGEUI"), QStringLiteral("POWERPOINT"),
                     QStringLiteral("TRUE"));
  // A frame the port did not take is not the one the handheld missed.
  device_->failing.insert(FakeSerialDevices::Step::Write);
  general_.SendReply(QStringLiteral("WMP"), QStringLiteral("PLAYLIST"), QStringLiteral("x"));
  device_->failing.clear();
  device_->written.clear();

  run("<<ERROR|RESEND|>>");
  run("<<ERROR|RESEND|>>");
  EXPECT_EQ(written(), u"<<CHANGEUI|POWERPOINT|TRUE>><<CHANGEUI|POWERPOINT|TRUE>>");
  EXPECT_EQ(general_.LastSentMessage, u"<<CHANGEUI|POWERPOINT|TRUE>>");
}

}  // namespace
