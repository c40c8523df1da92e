#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "agent/LibNotify.h"
#include "agent/LibSerial.h"
#include "agent/LibSlideMgr.h"
#include "platform/DesktopShell.h"
#include "shared/NotesReader.h"
#include "tests/support/DispatcherRig.h"
#include "tests/support/FakeDocumentWindows.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/ScriptedPresentationProgram.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/Utf8Text.h"
#include "tests/support/WorkedExample.h"

namespace {

// Records what the desktop was asked to open, and lets a test look at the wire at that moment.
class WatchingDesktopShell final : public DesktopShell {
 public:
  QStringList opened;
  bool succeed = true;
  std::function<void(const QString&)> onOpen;

  bool openWithDefaultApplication(const QString& pathOrAddress) override {
    opened << pathOrAddress;
    if (onOpen) {
      onOpen(pathOrAddress);
    }
    return succeed;
  }
  bool startProgram(const QString&, const QStringList&, WindowStyle) override { return false; }
  QString defaultBrowserCommand() override { return {}; }
};

struct NotesSlide {
  const char* title;
  const char* note;
  int minutes;
  int seconds;
};

// A notes file as the editor writes it, counting up, without warning or automatic advance.
QByteArray notesFile(std::initializer_list<NotesSlide> slides) {
  QByteArray file =
      "<PRESENTATION_NOTES>\r\n<TITLE>Deck</TITLE>\r\n<FILE_NAME>x</FILE_NAME>\r\n"
      "<PATH_FILENAME>x</PATH_FILENAME>\r\n<SLIDE_COUNT>" +
      QByteArray::number(static_cast<int>(slides.size())) +
      "</SLIDE_COUNT>\r\n<TOTAL_TIME>-1</TOTAL_TIME>\r\n<SLIDE_LIST>\r\n";
  int number = 0;
  for (const NotesSlide& slide : slides) {
    file += "<SLIDE><SLIDE_NUMBER>" + QByteArray::number(++number) + "</SLIDE_NUMBER>\r\n<TITLE>" +
            slide.title + "</TITLE>\r\n<NOTE>" + slide.note +
            "</NOTE>\r\n<ASCENDING>TRUE</ASCENDING>\r\n<DURATION_MINUTES>" +
            QByteArray::number(slide.minutes) + "</DURATION_MINUTES>\r\n<DURATION_SECONDS>" +
            QByteArray::number(slide.seconds) +
            "</DURATION_SECONDS>\r\n<WARNING>FALSE</WARNING>\r\n<AUTO_NEXT_SLIDE>FALSE</"
            "AUTO_NEXT_SLIDE>\r\n</SLIDE>\r\n";
  }
  file += "\r\n</SLIDE_LIST>\r\n\r\n</PRESENTATION_NOTES>\r\n\r\n";
  return file;
}

// The worked example's slide as an entry with its notes: 2 min 30 s make a total of 150 s.
constexpr char kWorkedExampleEntry[] =
    "<<PRESNOTE|UPDATE|<CURRENT_SLIDE>1</CURRENT_SLIDE><SLIDE_COUNT>1</SLIDE_COUNT>"
    "<TITLE>Intro</TITLE><NOTE>Welcome</NOTE><ASCENDING>TRUE</ASCENDING>"
    "<DURATION_MINUTES>2</DURATION_MINUTES><DURATION_SECONDS>30</DURATION_SECONDS>"
    "<WARNING>FALSE</WARNING><AUTO_NEXT_SLIDE>FALSE</AUTO_NEXT_SLIDE>"
    "<TOTAL_TIME>150</TOTAL_TIME> >>";
constexpr char kChangeUi[] = "<<CHANGEUI|POWERPOINT|TRUE>>";

// The manager over a temporary program folder, a dispatcher with an open link on a fake port,
// a scripted presentation program and scripted desktop windows.
class LibSlideMgrTest : public testing::Test, protected DispatcherRig {
 protected:
  void SetUp() override {
    ASSERT_TRUE(programDir_.isValid());
    ASSERT_TRUE(QDir().mkpath(NotesFolder(programDir_.path())));
    ASSERT_TRUE(openPort());
    settings_.RootDirPath = root();
    // Each pause ends at its first reading after the start.
    clock_.step = 1000;
    // The dispatcher routes the slide-show commands to the manager, which replies through it.
    general_.ConnectTargets(CommandTargets{actions_, actions_, notify_, slides_, actions_, actions_,
                                           actions_, presentation_});
    program_.slides = {
        {text("One"), text("n1")}, {text("Two"), text("n2")}, {text("Three"), text("n3")}};
  }

  QString root() const { return programDir_.path() + QStringLiteral("/Shared/"); }

  void writeNotes(const QString& documentFile, const QByteArray& bytes) {
    QFile file(NotesFolder(programDir_.path()) + u'/' + NotesFileName(documentFile));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }

  QString written() const { return QString::fromLatin1(device_->written); }
  void clearWire() { device_->written.clear(); }
  QStringList keysSent() const {
    QStringList keys;
    for (const QString& call : actions_.calls) {
      if (call.startsWith(u"SendKeys(")) {
        keys << call;
      }
    }
    return keys;
  }
  void run(const char* frame) { general_.ProcessMessage(text(frame)); }
  PresentationModel& model() { return presentation_.Model; }

  QTemporaryDir programDir_;
  FakeDocumentWindows windows_;
  WatchingDesktopShell shell_;
  FakeWindowSystem desktop_;
  LibNotify notify_{desktop_, general_, link_, clock_, pump_};
  LibSlideMgr slides_{SlideMgrServices{general_, general_.Active, presentation_, settings_, notify_,
                                       parser_, actions_, windows_, shell_, clock_, pump_},
                      programDir_.path()};
};

TEST_F(LibSlideMgrTest, PresentationWithoutNotesSendsTheCountingEntryThenChangeUi) {
  // Upper-case extension, a folder written with "\" and a path wrapped in quotes.
  EXPECT_FALSE(slides_.openDocument(text("talks\\2024"), text("\"Talk.PPS\"")));

  EXPECT_EQ(written(),
            text("<<PRESNOTE|UPDATE|<CURRENT_SLIDE>1</CURRENT_SLIDE><SLIDE_COUNT>3</SLIDE_COUNT>"
                 "<TITLE>Slide 1</TITLE><NOTE>No Notes/Slides defined for this presentation.</NOTE>"
                 "<ASCENDING>TRUE</ASCENDING><DURATION_MINUTES>0</DURATION_MINUTES>"
                 "<DURATION_SECONDS>0</DURATION_SECONDS><WARNING>FALSE</WARNING>"
                 "<AUTO_NEXT_SLIDE>FALSE</AUTO_NEXT_SLIDE><TOTAL_TIME>-1</TOTAL_TIME> >>") +
                text(kChangeUi));
  EXPECT_TRUE(program_.calls.contains(
      QStringLiteral("openPresentation(%1talks/2024/Talk.PPS)").arg(root())))
      << program_.calls.join(u' ').toStdString();
  EXPECT_TRUE(program_.calls.contains(u"slideTitle(3)"));
  EXPECT_TRUE(program_.calls.contains(u"runSlideShow"));
  EXPECT_EQ(model().PresentationPath, root() + text("talks/2024/Talk.PPS"));
  EXPECT_FALSE(model().NotesLoaded);
  EXPECT_TRUE(model().ShowRunning);
  EXPECT_EQ(model().CurrentSlide, 1);
  EXPECT_TRUE(notify_.SuppressWindowNotify);
  EXPECT_TRUE(shell_.opened.isEmpty());
}

TEST_F(LibSlideMgrTest, PresentationProgramMissingStillSendsAnEntryWithoutSlides) {
  program_.failing = {ScriptedPresentationProgram::Call::CreateApplication};
  slides_.OpenDocument(text("talks"), text("deck.pptx"));

  EXPECT_EQ(written(),
            text("<<PRESNOTE|UPDATE|<CURRENT_SLIDE>1</CURRENT_SLIDE><SLIDE_COUNT>0</SLIDE_COUNT>"
                 "<TITLE>Slide 1</TITLE><NOTE>No Notes/Slides defined for this presentation.</NOTE>"
                 "<ASCENDING>FALSE</ASCENDING><DURATION_MINUTES>0</DURATION_MINUTES>"
                 "<DURATION_SECONDS>0</DURATION_SECONDS><WARNING>FALSE</WARNING>"
                 "<AUTO_NEXT_SLIDE>FALSE</AUTO_NEXT_SLIDE><TOTAL_TIME>-1</TOTAL_TIME> >>") +
                text(kChangeUi));
  EXPECT_FALSE(model().ShowRunning);
  EXPECT_FALSE(program_.calls.contains(u"runSlideShow"));
}

TEST_F(LibSlideMgrTest, PresentationWithNotesWaitsForTheShowWindowThenSendsTheNotesEntry) {
  // A LibreOffice presentation counts as a presentation.
  writeNotes(text("talk.odp"), workedExampleBytes());
  windows_.foregroundTitles = texts({"Desktop", "Desktop", "talk.odp - Presentation"});
  struct Read {
    bool showStarted;
    QString wire;
  };
  std::vector<Read> reads;
  windows_.onCall = [&](const QString& call) {
    if (call == u"foregroundTitle()") {
      reads.push_back({program_.calls.contains(u"runSlideShow"), written()});
    }
  };

  EXPECT_FALSE(slides_.openDocument(text("talks"), text("talk.odp")));

  EXPECT_EQ(written(), text(kWorkedExampleEntry) + text(kChangeUi));
  // The title before the show, then reads until it changed, all before the entry went out.
  ASSERT_EQ(reads.size(), 3U);
  EXPECT_FALSE(reads[0].showStarted);
  for (const Read& read : reads) {
    EXPECT_EQ(read.wire, u"");
  }
  EXPECT_TRUE(reads[1].showStarted);
  // Opened without reading slides: the notes file holds them.
  EXPECT_FALSE(program_.calls.contains(u"slideCount"));
  EXPECT_TRUE(
      program_.calls.contains(QStringLiteral("openPresentation(%1talks/talk.odp)").arg(root())));
  EXPECT_TRUE(model().NotesLoaded);
  EXPECT_EQ(model().TotalTime, 150);
  EXPECT_TRUE(notify_.SuppressWindowNotify);
}

TEST_F(LibSlideMgrTest, ShowWindowThatNeverComesEndsTheWaitByTheClock) {
  writeNotes(text("talk.ppt"), workedExampleBytes());
  windows_.foregroundTitles = texts({"Desktop"});
  // A wait without its bound would never end here: give it a changed title far beyond any
  // bound, so that it fails instead of hanging.
  constexpr int kRunawayReads = 100000;
  windows_.onCall = [this](const QString&) {
    if (windows_.titleReads == kRunawayReads) {
      ADD_FAILURE() << "the wait for the show window has no bound";
      windows_.foregroundTitles = texts({"Desktop", "Show"});
    }
  };
  const struct {
    quint32 start;
    quint32 step;
  } cases[] = {
      {0, 1000},
      {0, 50},
      // The tick count wraps during the wait.
      {std::numeric_limits<quint32>::max() - 2000, 50},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start << " step " << c.step);
    clearWire();
    windows_.titleReads = 0;
    clock_.now = c.start;
    clock_.step = c.step;

    slides_.OpenDocument(text("talks"), text("talk.ppt"));

    EXPECT_EQ(written(), text(kWorkedExampleEntry) + text(kChangeUi));
    EXPECT_GT(windows_.titleReads, 1);
    // At least one clock step passes per read, so the bound holds the reads below this.
    EXPECT_LE(windows_.titleReads,
              static_cast<int>(LibSlideMgr::kShowWindowWaitMs / static_cast<qint32>(c.step)) + 2);
  }
}

TEST_F(LibSlideMgrTest, OtherDocumentWithNotesSendsItsFirstEntryBeforeTheDesktopOpensIt) {
  writeNotes(text("guide.pdf"), notesFile({{"Cover", "Hello", 1, 0}, {"Body", "More", 0, 30}}));
  QString wireAtOpen;
  shell_.onOpen = [&](const QString&) { wireAtOpen = written(); };
  // A presentation is still open from before.
  ASSERT_EQ(presentation_.LoadPresentation(text("/talks/a.odp"), false, false), u"");

  EXPECT_TRUE(slides_.openDocument(text("docs"), text("guide.pdf")));

  const QString firstEntry = text(
      "<<PRESNOTE|UPDATE|<CURRENT_SLIDE>1</CURRENT_SLIDE><SLIDE_COUNT>2</SLIDE_COUNT>"
      "<TITLE>Cover</TITLE><NOTE>Hello</NOTE><ASCENDING>TRUE</ASCENDING>"
      "<DURATION_MINUTES>1</DURATION_MINUTES><DURATION_SECONDS>0</DURATION_SECONDS>"
      "<WARNING>FALSE</WARNING><AUTO_NEXT_SLIDE>FALSE</AUTO_NEXT_SLIDE>"
      "<TOTAL_TIME>-1</TOTAL_TIME> >>");
  EXPECT_EQ(wireAtOpen, firstEntry);
  EXPECT_EQ(written(), firstEntry);  // no CHANGEUI
  EXPECT_EQ(shell_.opened, QStringList{root() + text("docs/guide.pdf")});
  EXPECT_FALSE(model().PowerPointApp.has_value());
  EXPECT_TRUE(model().NotesLoaded);
  EXPECT_TRUE(notify_.SuppressWindowNotify);

  // Shown without the presentation program, the slides are counted by the keys.
  clearWire();
  slides_.HandlePresentCommand(text("RIGHT"), {});
  slides_.HandlePresentCommand(text("SEND_NOTES"), {});
  EXPECT_TRUE(written().startsWith(
      u"<<PRESNOTE|UPDATE|<CURRENT_SLIDE>2</CURRENT_SLIDE><SLIDE_COUNT>2</SLIDE_COUNT>"
      "<TITLE>Body</TITLE><NOTE>More</NOTE>"))
      << written().toStdString();
}

TEST_F(LibSlideMgrTest, OtherDocumentWithoutNotesOnlyOpensIt) {
  shell_.succeed = false;  // a failed open is skipped like any other step
  EXPECT_TRUE(slides_.openDocument(text("docs"), text("notes.txt")));
  EXPECT_EQ(written(), u"");
  EXPECT_EQ(shell_.opened, QStringList{root() + text("docs/notes.txt")});
  EXPECT_FALSE(model().NotesLoaded);
  EXPECT_EQ(model().CurrentSlide, 1);
}

TEST_F(LibSlideMgrTest, OpenWindowOfTheDocumentIsOnlyBroughtToTheFront) {
  writeNotes(text("talk.ppt"), workedExampleBytes());
  slides_.OpenDocument(text("talks"), text("talk.ppt"));
  ASSERT_TRUE(model().NotesLoaded);
  program_.calls.clear();
  windows_.calls.clear();
  clearWire();
  windows_.windows = {{5, text("Mail")}, {7, text("talk.ppt - Impress")}, {9, text("talk.ppt")}};

  EXPECT_FALSE(slides_.openDocument(text("talks"), text("talk.ppt")));

  EXPECT_EQ(windows_.calls, texts({"findOpenWindow(talk.ppt)", "maximizeAndActivate(7)"}));
  EXPECT_EQ(written(), u"");
  EXPECT_TRUE(program_.calls.isEmpty()) << program_.calls.join(u' ').toStdString();
  EXPECT_TRUE(shell_.opened.isEmpty());
  EXPECT_FALSE(model().NotesLoaded);

  // The notes are no longer taken as loaded: the next entry is the counting one.
  slides_.HandlePresentCommand(text("SEND_NOTES"), {});
  EXPECT_TRUE(written().contains(u"<TITLE>Slide 1</TITLE>")) << written().toStdString();
  EXPECT_TRUE(written().endsWith(u"</TOTAL_TIME> >>"));
}

TEST_F(LibSlideMgrTest, ArgumentsLeadingOutsideTheRootOpenNothing) {
  writeNotes(text("x.pdf"), workedExampleBytes());
  const struct {
    const char* folder;
    const char* file;
  } cases[] = {
      {"..", "x.ppt"},   {"talks\\..\\..", "x.ppt"}, {"talks/../..", "x.pdf"},
      {"\\..", "x.pdf"}, {"talks", "../x.ppt"},      {"talks", "..\\x.pdf"},
      {"", ".."},        {"talks", "\"..\""},        {"talks", "."},
      {"talks", ""},     {"talks", "sub/x.pdf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.folder << " | " << c.file);
    model().NotesLoaded = true;
    EXPECT_FALSE(slides_.openDocument(text(c.folder), text(c.file)));
    EXPECT_EQ(written(), u"");
    EXPECT_TRUE(shell_.opened.isEmpty());
    EXPECT_TRUE(program_.calls.isEmpty());
    EXPECT_TRUE(windows_.calls.isEmpty());
    EXPECT_TRUE(model().NotesLoaded);
  }
  const QString withNul = text("x") + QChar(0) + text(".pdf");
  EXPECT_FALSE(slides_.openDocument(text("talks"), withNul));
  EXPECT_FALSE(slides_.openDocument(withNul, text("x.pdf")));
  EXPECT_TRUE(shell_.opened.isEmpty());
}

// A folder from a root ("\talks", "/talks") is the same folder below the root: the root folder
// setting ends with its own separator.
TEST_F(LibSlideMgrTest, AFolderWithALeadingSeparatorIsBelowTheRoot) {
  for (const char* folder : {"\\talks", "/talks", "\"\\\\talks\"", ""}) {
    SCOPED_TRACE(folder);
    shell_.opened.clear();
    EXPECT_TRUE(slides_.openDocument(text(folder), text("x.pdf")));
    const QString below = *folder == '\0' ? QString() : text("talks");
    EXPECT_EQ(shell_.opened, QStringList{root() + below + text("/x.pdf")});
  }
}

// The handheld asks for something it may not open while a show runs: nothing changes, and the
// next "START" opens the presentation it had before.
TEST_F(LibSlideMgrTest, ARefusedActivateChangesNothing) {
  run("<<ACTIVATE|talks|a.odp>>");
  ASSERT_TRUE(model().ShowRunning);
  const QString path = model().PresentationPath;
  program_.calls.clear();
  clearWire();

  run("<<ACTIVATE|..|x.odp>>");
  run("<<ACTIVATE|talks|../x.odp>>");
  EXPECT_TRUE(program_.calls.isEmpty()) << program_.calls.join(u' ').toStdString();
  EXPECT_EQ(written(), u"");
  EXPECT_TRUE(model().ShowRunning);
  EXPECT_EQ(model().PresentationPath, path);
  EXPECT_EQ(general_.Active.ActiveFolder, u"talks");
  EXPECT_EQ(general_.Active.ActiveFile, u"a.odp");

  run("<<PRESENT|START|>>");
  EXPECT_TRUE(
      program_.calls.contains(QStringLiteral("openPresentation(%1talks/a.odp)").arg(root())))
      << program_.calls.join(u' ').toStdString();
}

// A notes file the reader refuses must not send the previous presentation's entries for the new
// one: the presentation opens as one without notes, and the handheld gets the counting entry.
TEST_F(LibSlideMgrTest, ARefusedNotesFileSendsNoEntryOfThePreviousPresentation) {
  writeNotes(text("a.odp"), notesFile({{"Old one", "old note", 1, 0}, {"Old two", "x", 0, 5}}));
  QByteArray refused = notesFile({{"New", "new note", 0, 10}});
  refused.replace("<SLIDE_COUNT>1</SLIDE_COUNT>", "<SLIDE_COUNT>-4</SLIDE_COUNT>");
  writeNotes(text("b.odp"), refused);
  writeNotes(text("c.pdf"), refused);

  run("<<ACTIVATE|talks|a.odp>>");
  ASSERT_TRUE(written().contains(u"<TITLE>Old one</TITLE>")) << written().toStdString();

  for (const char* file : {"b.odp", "c.pdf"}) {
    SCOPED_TRACE(file);
    clearWire();
    run(QStringLiteral("<<ACTIVATE|talks|%1>>").arg(text(file)).toUtf8().constData());
    EXPECT_FALSE(written().contains(u"Old")) << written().toStdString();
    EXPECT_FALSE(model().NotesLoaded);
    if (QString(file).endsWith(u".odp")) {
      // Counted from the program's three slides, as for a presentation without notes.
      EXPECT_TRUE(written().startsWith(
          u"<<PRESNOTE|UPDATE|<CURRENT_SLIDE>1</CURRENT_SLIDE><SLIDE_COUNT>3</SLIDE_COUNT>"
          u"<TITLE>Slide 1</TITLE>"))
          << written().toStdString();
    }
    clearWire();
    slides_.HandlePresentCommand(text("SEND_NOTES"), {});
    EXPECT_TRUE(written().contains(u"<TITLE>Slide 1</TITLE>")) << written().toStdString();
    EXPECT_FALSE(written().contains(u"Old"));
  }
}

TEST_F(LibSlideMgrTest, ArgumentsThatOnlyLookOddStayBelowTheRoot) {
  const struct {
    const char* folder;
    const char* file;
    const char* path;
  } cases[] = {
      {"", "x.pdf", "/x.pdf"},
      {"talks..\\a", "..x.pdf", "talks../a/..x.pdf"},
      {"a\\.\\b", "x.pdf", "a/./b/x.pdf"},
      {"\"talks\"", "\"x y.pdf\"", "talks/x y.pdf"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.folder << " | " << c.file);
    shell_.opened.clear();
    EXPECT_TRUE(slides_.openDocument(text(c.folder), text(c.file)));
    EXPECT_EQ(shell_.opened, QStringList{root() + text(c.path)});
  }
}

TEST_F(LibSlideMgrTest, PresentKeysAndTheCountingSlideNumber) {
  const struct {
    const char* command;
    qint32 before;
    const char* key;  // nullptr: no key
    qint32 after;
    bool suppressBefore;
    bool suppressAfter;
    bool showRunningAfter;
  } cases[] = {
      {"RIGHT", 3, "{RIGHT}", 3, true, true, false}, {"PGDN", 2, "{PGDN}", 3, true, true, false},
      {"right", 1, "{RIGHT}", 2, true, true, false}, {"LEFT", 2, "{LEFT}", 1, true, true, false},
      {"PGUP", 1, "{PGUP}", 1, true, true, false},   {"HOME", 3, "{HOME}", 1, true, true, true},
      {" start ", 3, "{F5}", 1, false, true, true},  {"STOP", 2, "{ESC}", 2, true, false, false},
      {"SWITCH", 2, "%{ESC}", 2, true, true, false}, {"BLANK", 2, "B", 2, true, true, false},
      {"NEXT", 2, nullptr, 2, true, true, false},    {"", 2, nullptr, 2, true, true, false},
  };
  presentation_.ResetPresentationModel();
  model().SlideCount = 3;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    actions_.calls.clear();
    model().CurrentSlide = c.before;
    model().ShowRunning = false;
    notify_.SuppressWindowNotify = c.suppressBefore;

    slides_.HandlePresentCommand(text(c.command), text("ignored"));

    EXPECT_EQ(keysSent(), c.key == nullptr
                              ? QStringList()
                              : QStringList{QStringLiteral("SendKeys(%1,false)").arg(text(c.key))});
    EXPECT_EQ(model().CurrentSlide, c.after);
    EXPECT_EQ(notify_.SuppressWindowNotify, c.suppressAfter);
    EXPECT_EQ(model().ShowRunning, c.showRunningAfter);
    EXPECT_EQ(written(), u"");
  }
}

TEST_F(LibSlideMgrTest, AttachedSlideKeysTakeTheNumberFromTheShow) {
  slides_.OpenDocument(text("talks"), text("talk.odp"));
  ASSERT_TRUE(model().PowerPointApp.has_value());
  const struct {
    const char* command;
    bool programFails;
    qint32 programSlide;
    qint32 after;
  } cases[] = {
      {"RIGHT", false, 3, 3},
      // The show's answer counts, whatever the key's direction.
      {"LEFT", false, 3, 3},
      {"PGUP", false, 2, 2},
      {"PGDN", true, 3, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    program_.currentSlide = c.programSlide;
    program_.failing.clear();
    if (c.programFails) {
      program_.failing.insert(ScriptedPresentationProgram::Call::CurrentShowSlide);
    }
    slides_.HandlePresentCommand(text(c.command), {});
    EXPECT_EQ(model().CurrentSlide, c.after);
  }
}

TEST_F(LibSlideMgrTest, AttachedSlideKeysWaitForTheShowToTakeTheKey) {
  slides_.OpenDocument(text("talks"), text("talk.odp"));
  ASSERT_TRUE(model().PowerPointApp.has_value());
  // Each pause of the wait takes one step of 10 ms, so the bound is reached after 50 readings.
  clock_.step = 10;
  const struct {
    const char* command;
    qint32 before;
    std::deque<qint32> lateAnswers;
    qint32 finalAnswer;
    qint32 after;
    // Queries of the show: one at once, then one per pause until it moves or the bound passes.
    qsizetype queries;
  } cases[] = {
      {"RIGHT", 1, {1, 1}, 2, 2, 3},
      {"LEFT", 3, {3}, 2, 2, 2},
      // At the last slide (or the first, going back) nothing is due: one query, no wait.
      {"RIGHT", 3, {}, 3, 3, 1},
      {"PGUP", 1, {}, 1, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    model().CurrentSlide = c.before;
    program_.earlierShowSlides = c.lateAnswers;
    program_.currentSlide = c.finalAnswer;
    program_.calls.clear();
    slides_.HandlePresentCommand(text(c.command), {});
    EXPECT_EQ(model().CurrentSlide, c.after);
    EXPECT_EQ(program_.calls.count(QStringLiteral("currentShowSlide")), c.queries);
  }

  // A show that never moves (an animation step, a show that lost the key) is taken as it
  // reports once the bound has passed.
  model().CurrentSlide = 1;
  program_.currentSlide = 1;
  const quint32 start = clock_.now;
  slides_.HandlePresentCommand(text("RIGHT"), {});
  EXPECT_EQ(model().CurrentSlide, 1);
  EXPECT_GT(clock_.now - start, static_cast<quint32>(LibSlideMgr::kShowKeyWaitMs));
}

TEST_F(LibSlideMgrTest, SlideOutsideTheRecordsSendsNoEntry) {
  // Before anything was opened there are no records at all.
  model().CurrentSlide = 1;
  slides_.HandlePresentCommand(text("SEND_NOTES"), {});
  EXPECT_EQ(written(), u"");

  slides_.OpenDocument(text("talks"), text("talk.odp"));
  clearWire();
  for (const qint32 slide :
       {-1, 4, std::numeric_limits<qint32>::max(), std::numeric_limits<qint32>::min()}) {
    SCOPED_TRACE(slide);
    EXPECT_EQ(slides_.BuildSlideInfo(slide, true), u"");
    EXPECT_EQ(slides_.BuildSlideInfo(slide, false), u"");
    slides_.SendSlideNotes(slide, true);
    EXPECT_EQ(written(), u"");
  }
  // The show reports a slide beyond the records.
  program_.currentSlide = 9;
  slides_.HandlePresentCommand(text("RIGHT"), {});
  slides_.HandlePresentCommand(text("SEND_NOTES"), {});
  EXPECT_EQ(written(), u"");
}

TEST_F(LibSlideMgrTest, StartReopensTheRememberedPresentationWhenAttached) {
  run("<<ACTIVATE|talks|talk.odp>>");
  ASSERT_TRUE(written().endsWith(text(kChangeUi)));
  program_.calls.clear();
  clearWire();
  model().CurrentSlide = 3;

  run("<<PRESENT|START|>>");

  EXPECT_EQ(program_.calls.mid(0, 3),
            texts({"closePresentation", "quitApplication", "createApplication"}));
  EXPECT_EQ(program_.calls.count(u"runSlideShow"), 2);
  EXPECT_TRUE(written().startsWith(u"<<PRESNOTE|UPDATE|<CURRENT_SLIDE>1</CURRENT_SLIDE>"));
  EXPECT_TRUE(written().endsWith(text(kChangeUi)));
  EXPECT_TRUE(keysSent().isEmpty());
  EXPECT_TRUE(model().ShowRunning);
}

TEST_F(LibSlideMgrTest, StartAfterUnloadOnlyPressesF5) {
  run("<<ACTIVATE|talks|talk.odp>>");
  run("<<UNLOAD|CURRENT_PRESENTATION|>>");
  program_.calls.clear();
  actions_.calls.clear();
  clearWire();

  run("<<PRESENT|START|>>");

  EXPECT_EQ(keysSent(), texts({"SendKeys({F5},false)"}));
  EXPECT_TRUE(program_.calls.isEmpty()) << program_.calls.join(u' ').toStdString();
  EXPECT_EQ(written(), u"");
  EXPECT_TRUE(model().ShowRunning);
  EXPECT_EQ(model().CurrentSlide, 1);
}

TEST_F(LibSlideMgrTest, StartWhenAttachedWithoutARememberedDocumentPressesNothing) {
  ASSERT_EQ(presentation_.LoadPresentation(text("/talks/a.odp"), false, false), u"");
  slides_.HandlePresentCommand(text("START"), {});
  EXPECT_TRUE(keysSent().isEmpty());
  EXPECT_FALSE(program_.calls.contains(u"closePresentation"));
  EXPECT_TRUE(model().ShowRunning);
}

TEST_F(LibSlideMgrTest, EntryTextsAreSanitisedAndTheNumbersWritten) {
  presentation_.ResetPresentationModel();
  model().SlideCount = 1;
  model().CurrentSlide = 1;
  model().TotalTime = 42;
  SlideRecord& slide = model().Slides[1];
  slide.Title = text("A\tB");
  slide.Note = text("line 1\r\nline 2");
  slide.DurationMinutes = -3;
  slide.Warning = true;
  slide.AutoNextSlide = true;
  EXPECT_EQ(slides_.BuildSlideInfo(1, true),
            text("<CURRENT_SLIDE>1</CURRENT_SLIDE><SLIDE_COUNT>1</SLIDE_COUNT><TITLE>A B</TITLE>"
                 "<NOTE>line 1\r\nline 2</NOTE><ASCENDING>FALSE</ASCENDING>"
                 "<DURATION_MINUTES>-3</DURATION_MINUTES><DURATION_SECONDS>0</DURATION_SECONDS>"
                 "<WARNING>TRUE</WARNING><AUTO_NEXT_SLIDE>TRUE</AUTO_NEXT_SLIDE>"
                 "<TOTAL_TIME>42</TOTAL_TIME>"));
}

TEST_F(LibSlideMgrTest, EntryTextsCannotEndTheFrameEarly) {
  presentation_.ResetPresentationModel();
  model().SlideCount = 1;
  model().CurrentSlide = 1;
  const struct {
    const char* title;
    const char* note;
    const char* titleSent;
    const char* noteSent;
  } cases[] = {
      {"a >> b", ">> quoted", "a    b", "   quoted"},
      {">start", "x->y and <tag>", " start", "x->y and <tag>"},
      {"end>", "a>>>b", "end>", "a   b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    model().Slides[1].Title = text(c.title);
    model().Slides[1].Note = text(c.note);
    clearWire();
    slides_.SendSlideNotes(1, true);
    const QString frame = written();
    EXPECT_TRUE(frame.contains(QStringLiteral("<TITLE>%1</TITLE><NOTE>%2</NOTE>")
                                   .arg(text(c.titleSent), text(c.noteSent))))
        << frame.toStdString();
    // The one frame end is the entry's own.
    EXPECT_EQ(frame.indexOf(QStringLiteral(">>")), frame.size() - 2) << frame.toStdString();
  }
}

}  // namespace
