#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <algorithm>
#include <set>
#include <vector>

#include "shared/libPresentation.h"
#include "tests/support/FakeEventPump.h"
#include "tests/support/ScriptedPresentationProgram.h"
#include "tests/support/TestPrinting.h"

namespace {

using Call = ScriptedPresentationProgram::Call;

const QString kPath = QStringLiteral("C:\\Talks\\talk.ppt");

SlideRecord record(const char* title, const char* note, qint32 minutes, qint32 seconds,
                   bool ascending, bool warning, bool autoNext) {
  SlideRecord slide;
  slide.Title = QString::fromUtf8(title);
  slide.Note = QString::fromUtf8(note);
  slide.DurationMinutes = minutes;
  slide.DurationSeconds = seconds;
  slide.Ascending = ascending;
  slide.Warning = warning;
  slide.AutoNextSlide = autoNext;
  return slide;
}

// Fresh timings, as a load with resetTimings gives them.
SlideRecord reset(const char* title, const char* note) {
  return record(title, note, 0, 0, true, false, false);
}

std::vector<ScriptedPresentationProgram::Slide> slides(std::initializer_list<const char*> titles) {
  std::vector<ScriptedPresentationProgram::Slide> out;
  for (const char* title : titles) {
    out.push_back(
        {QString::fromUtf8(title), QString::fromUtf8(title).toLower() + QStringLiteral(" notes")});
  }
  return out;
}

class LibPresentationTest : public testing::Test {
 protected:
  ScriptedPresentationProgram program;
  FakeEventPump pump;
  libPresentation lib{program, pump};

  // The calls made from now on.
  QStringList callsSince(qsizetype mark) const { return program.calls.mid(mark); }

  bool wasReleased(const std::optional<AutomationRef>& ref) const {
    return ref && std::find(program.released.begin(), program.released.end(), *ref) !=
                      program.released.end();
  }
};

// ---------------------------------------------------------------------------------------------
// Loading

TEST_F(LibPresentationTest, LoadReadsEverySlide) {
  program.slides = slides({"Intro", "Plan", "End"});

  EXPECT_EQ(lib.LoadPresentation(kPath, true, true), QString());

  EXPECT_EQ(lib.Model.PresentationPath, kPath);
  EXPECT_EQ(lib.Model.PresentationFileName, QStringLiteral("talk.ppt"));
  EXPECT_EQ(lib.Model.PresentationTitle, QStringLiteral("Intro"));
  EXPECT_TRUE(lib.Model.PowerPointApp.has_value());
  EXPECT_TRUE(lib.Model.PowerPointPresentation.has_value());
  EXPECT_EQ(lib.Model.SlideCount, 3);
  EXPECT_EQ(lib.Model.Slides,
            (std::vector<SlideRecord>{SlideRecord{}, reset("Intro", "intro notes"),
                                      reset("Plan", "plan notes"), reset("End", "end notes")}));
  EXPECT_EQ(program.calls.first(2),
            (QStringList{QStringLiteral("createApplication"),
                         QStringLiteral("openPresentation(C:\\Talks\\talk.ppt)")}));
}

TEST_F(LibPresentationTest, LoadKeepsOrResetsTheTimingsOfTheRecordsHeld) {
  const SlideRecord timed1 = record("old 1", "n1", 1, 10, false, true, false);
  const SlideRecord timed2 = record("old 2", "n2", 0, 45, true, false, true);
  const SlideRecord timed3 = record("old 3", "n3", 3, 0, false, true, true);
  const SlideRecord timed4 = record("old 4", "n4", 0, 5, true, true, true);
  const std::vector<SlideRecord> threeHeld = {SlideRecord{}, timed1, timed2, timed3};
  const std::vector<SlideRecord> fourHeld = {SlideRecord{}, timed1, timed2, timed3, timed4};

  // The titles and notes of the slides A..E of the presentation on a record's timings.
  const auto read = [](SlideRecord timed, const char* title) {
    timed.Title = QString::fromUtf8(title);
    timed.Note = QString::fromUtf8(title).toLower() + QStringLiteral(" notes");
    return timed;
  };

  struct Case {
    const char* name;
    std::vector<SlideRecord> held;
    std::vector<ScriptedPresentationProgram::Slide> presentation;
    bool resetTimings;
    std::vector<SlideRecord> expected;
  };
  const Case cases[] = {
      {"more slides than records, timings kept: new records are blank",
       threeHeld,
       slides({"A", "B", "C", "D", "E"}),
       false,
       {SlideRecord{}, read(timed1, "A"), read(timed2, "B"), read(timed3, "C"),
        read(SlideRecord{}, "D"), read(SlideRecord{}, "E")}},
      {"more slides than records, timings reset",
       threeHeld,
       slides({"A", "B", "C", "D", "E"}),
       true,
       {SlideRecord{}, reset("A", "a notes"), reset("B", "b notes"), reset("C", "c notes"),
        reset("D", "d notes"), reset("E", "e notes")}},
      {"fewer slides than records: the rest are dropped",
       fourHeld,
       slides({"A", "B"}),
       false,
       {SlideRecord{}, read(timed1, "A"), read(timed2, "B")}},
      {"same number of slides, timings kept",
       threeHeld,
       slides({"A", "B", "C"}),
       false,
       {SlideRecord{}, read(timed1, "A"), read(timed2, "B"), read(timed3, "C")}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPresentationProgram scripted;
    scripted.slides = c.presentation;
    libPresentation loader(scripted, pump);
    loader.Model.Slides = c.held;
    loader.Model.SlideCount = static_cast<qint32>(c.held.size()) - 1;

    EXPECT_EQ(loader.LoadPresentation(kPath, true, c.resetTimings), QString());

    EXPECT_EQ(loader.Model.SlideCount, static_cast<qint32>(c.presentation.size()));
    EXPECT_EQ(loader.Model.Slides, c.expected);
  }
}

TEST_F(LibPresentationTest, TitlesAndNotesAreTakenAsTheProgramGivesThem) {
  program.slides = {
      {QString::fromUtf8("Caf\u00E9\ttalk <1>"), QStringLiteral("line 1\r\nline 2\x01")}};

  ASSERT_EQ(lib.LoadPresentation(kPath, true, true), QString());

  EXPECT_EQ(lib.Model.PresentationTitle, QString::fromUtf8("Caf\u00E9\ttalk <1>"));
  ASSERT_EQ(lib.Model.Slides.size(), 2u);
  EXPECT_EQ(lib.Model.Slides[1].Title, QString::fromUtf8("Caf\u00E9\ttalk <1>"));
  EXPECT_EQ(lib.Model.Slides[1].Note, QStringLiteral("line 1\r\nline 2\x01"));
}

TEST_F(LibPresentationTest, LoadWithoutSlidesLeavesTheRecordsAlone) {
  lib.Model.SlideCount = 1;
  lib.Model.Slides = {SlideRecord{}, record("old", "note", 1, 0, false, true, false)};
  const std::vector<SlideRecord> before = lib.Model.Slides;
  program.slides = slides({"A", "B"});

  EXPECT_EQ(lib.LoadPresentation(kPath, false, true), QString());

  EXPECT_TRUE(lib.Model.PowerPointPresentation.has_value());
  EXPECT_EQ(lib.Model.SlideCount, 1);
  EXPECT_EQ(lib.Model.Slides, before);
  EXPECT_FALSE(program.calls.contains(QStringLiteral("slideCount")));
}

TEST_F(LibPresentationTest, APresentationWithoutSlides) {
  lib.Model.PresentationTitle = QStringLiteral("Before");
  lib.Model.SlideCount = 2;
  lib.Model.Slides = {SlideRecord{}, reset("a", "b"), reset("c", "d")};

  EXPECT_EQ(lib.LoadPresentation(kPath, true, true), QString());

  EXPECT_EQ(lib.Model.SlideCount, 0);
  EXPECT_EQ(lib.Model.Slides.size(), 1u);
  EXPECT_EQ(lib.Model.PresentationTitle, QStringLiteral("Before"));
}

TEST_F(LibPresentationTest, AFailingTitleOrNotesReadRepeatsThePreviousSlidesText) {
  struct Case {
    const char* name;
    std::set<qint32> failingTitles;
    std::set<qint32> failingNotes;
    QStringList titles;
    QStringList notes;
  };
  const Case cases[] = {
      {"title of slide 2", {2}, {}, {"A", "A", "C"}, {"a notes", "b notes", "c notes"}},
      {"titles of slides 2 and 3", {2, 3}, {}, {"A", "A", "A"}, {"a notes", "b notes", "c notes"}},
      {"title of slide 1", {1}, {}, {"", "B", "C"}, {"a notes", "b notes", "c notes"}},
      {"notes of slide 3", {}, {3}, {"A", "B", "C"}, {"a notes", "b notes", "b notes"}},
      {"notes of slide 1", {}, {1}, {"A", "B", "C"}, {"", "b notes", "c notes"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPresentationProgram scripted;
    scripted.slides = slides({"A", "B", "C"});
    scripted.failingTitles = c.failingTitles;
    scripted.failingNotes = c.failingNotes;
    libPresentation loader(scripted, pump);
    loader.Model.PresentationTitle = QStringLiteral("Before");

    EXPECT_EQ(loader.LoadPresentation(kPath, true, true), QString());

    ASSERT_EQ(loader.Model.Slides.size(), 4u);
    for (qsizetype i = 0; i < 3; ++i) {
      const SlideRecord& slide = loader.Model.Slides[static_cast<std::size_t>(i) + 1];
      EXPECT_EQ(slide.Title, c.titles[i]) << "slide " << i + 1;
      EXPECT_EQ(slide.Note, c.notes[i]) << "slide " << i + 1;
    }
    EXPECT_EQ(loader.Model.PresentationTitle, c.titles[0]);
  }
}

TEST_F(LibPresentationTest, AFailingSlideCountKeepsTheRecordsAndReadsTheOldCount) {
  struct Case {
    const char* name;
    qint32 slideCount;
    std::size_t recordsHeld;
  };
  const Case cases[] = {
      {"more records than the count", 2, 5},
      {"a count beyond the records held", 3, 2},
      {"no records at all", 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPresentationProgram scripted;
    scripted.slides = slides({"A", "B", "C", "D", "E", "F"});
    scripted.failing = {Call::SlideCount};
    libPresentation loader(scripted, pump);
    loader.Model.SlideCount = c.slideCount;
    loader.Model.Slides.assign(c.recordsHeld, record("old", "old", 1, 1, false, true, true));
    const std::vector<SlideRecord> before = loader.Model.Slides;

    EXPECT_EQ(loader.LoadPresentation(kPath, true, true), QString());

    EXPECT_EQ(loader.Model.SlideCount, c.slideCount);
    ASSERT_EQ(loader.Model.Slides.size(), c.recordsHeld);
    for (std::size_t i = 0; i < c.recordsHeld; ++i) {
      SlideRecord expected = before[i];
      if (i >= 1 && i <= static_cast<std::size_t>(c.slideCount)) {
        expected = reset(scripted.slides[i - 1].title.toUtf8().constData(),
                         scripted.slides[i - 1].notes.toUtf8().constData());
      }
      EXPECT_EQ(loader.Model.Slides[i], expected) << "record " << i;
    }
    // The titles of the old count were asked for, and no more.
    EXPECT_TRUE(scripted.calls.contains(QStringLiteral("slideTitle(%1)").arg(c.slideCount)));
    EXPECT_FALSE(scripted.calls.contains(QStringLiteral("slideTitle(%1)").arg(c.slideCount + 1)));
  }
}

// ---------------------------------------------------------------------------------------------
// The application and presentation objects

TEST_F(LibPresentationTest, EveryLoadCreatesANewApplicationWithoutQuittingTheOld) {
  program.slides = slides({"A"});
  ASSERT_EQ(lib.LoadPresentation(kPath, true, true), QString());
  const auto firstApp = lib.Model.PowerPointApp;
  const auto firstPresentation = lib.Model.PowerPointPresentation;
  const qsizetype mark = program.calls.size();

  ASSERT_EQ(lib.LoadPresentation(QStringLiteral("/home/u/next.ppt"), true, true), QString());

  EXPECT_NE(lib.Model.PowerPointApp, firstApp);
  EXPECT_NE(lib.Model.PowerPointPresentation, firstPresentation);
  EXPECT_TRUE(wasReleased(firstApp));
  EXPECT_TRUE(wasReleased(firstPresentation));
  EXPECT_FALSE(wasReleased(lib.Model.PowerPointApp));
  EXPECT_FALSE(wasReleased(lib.Model.PowerPointPresentation));
  const QStringList calls = callsSince(mark);
  EXPECT_FALSE(calls.contains(QStringLiteral("quitApplication")));
  EXPECT_FALSE(calls.contains(QStringLiteral("closePresentation")));
  EXPECT_EQ(lib.Model.PresentationFileName, QStringLiteral("next.ppt"));
}

TEST_F(LibPresentationTest, WhenNoNewApplicationCanBeMadeTheHeldOneIsUsed) {
  program.slides = slides({"A"});
  ASSERT_EQ(lib.LoadPresentation(kPath, true, true), QString());
  const auto heldApp = lib.Model.PowerPointApp;
  const auto firstPresentation = lib.Model.PowerPointPresentation;
  program.failing = {Call::CreateApplication};
  program.slides = slides({"X", "Y"});
  const qsizetype mark = program.calls.size();

  EXPECT_EQ(lib.LoadPresentation(QStringLiteral("/home/u/next.ppt"), true, true), QString());

  EXPECT_EQ(lib.Model.PowerPointApp, heldApp);
  EXPECT_FALSE(wasReleased(heldApp));
  EXPECT_TRUE(wasReleased(firstPresentation));
  EXPECT_TRUE(callsSince(mark).contains(QStringLiteral("openPresentation(/home/u/next.ppt)")));
  EXPECT_EQ(lib.Model.SlideCount, 2);
  EXPECT_EQ(lib.Model.PresentationTitle, QStringLiteral("X"));
}

TEST_F(LibPresentationTest, WithoutAnyApplicationNothingIsOpened) {
  program.failing = {Call::CreateApplication};
  program.slides = slides({"A"});
  lib.Model.PresentationTitle = QStringLiteral("Before");

  EXPECT_EQ(lib.LoadPresentation(kPath, true, true),
            QStringLiteral("Could not instantiate PowerPoint."));

  EXPECT_EQ(lib.Model.PresentationPath, kPath);
  EXPECT_EQ(lib.Model.PresentationFileName, QStringLiteral("talk.ppt"));
  EXPECT_EQ(lib.Model.PresentationTitle, QStringLiteral("Before"));
  EXPECT_FALSE(lib.Model.PowerPointApp.has_value());
  EXPECT_FALSE(lib.Model.PowerPointPresentation.has_value());
  EXPECT_EQ(program.calls, QStringList{QStringLiteral("createApplication")});
}

TEST_F(LibPresentationTest, WhenTheOpenFailsThePreviousPresentationStaysAndNoSlideIsRead) {
  program.slides = slides({"A", "B"});
  ASSERT_EQ(lib.LoadPresentation(kPath, true, true), QString());
  const auto firstPresentation = lib.Model.PowerPointPresentation;
  const std::vector<SlideRecord> slidesBefore = lib.Model.Slides;
  program.failing = {Call::OpenPresentation};
  program.slides = slides({"X", "Y", "Z"});
  const qsizetype mark = program.calls.size();

  EXPECT_EQ(lib.LoadPresentation(QStringLiteral("/home/u/other.ppt"), true, true), QString());

  EXPECT_EQ(lib.Model.PowerPointPresentation, firstPresentation);
  EXPECT_FALSE(wasReleased(firstPresentation));
  EXPECT_EQ(lib.Model.SlideCount, 2);
  EXPECT_EQ(lib.Model.Slides, slidesBefore);
  EXPECT_EQ(lib.Model.PresentationTitle, QStringLiteral("A"));
  EXPECT_EQ(lib.Model.PresentationPath, QStringLiteral("/home/u/other.ppt"));
  EXPECT_EQ(callsSince(mark), (QStringList{QStringLiteral("createApplication"),
                                           QStringLiteral("openPresentation(/home/u/other.ppt)")}));
}

// Load, start the show and close, with some calls of the program failing: every routine goes on
// past a failing call.
TEST_F(LibPresentationTest, EveryFailingCallIsSkipped) {
  struct Case {
    const char* name;
    std::set<Call> failing;
    QString loadResult;
    bool app;
    bool presentation;
    qint32 slideCount;
    QStringList titles;
    QStringList notes;
    QString presentationTitle;
    bool showRunning;
  };
  const QString ok;
  const QString noApp = QStringLiteral("Could not instantiate PowerPoint.");
  const QStringList read = {QStringLiteral("One"), QStringLiteral("Two")};
  const QStringList readNotes = {QStringLiteral("one notes"), QStringLiteral("two notes")};
  const QStringList blank = {QString(), QString()};
  // clang-format off
  const Case cases[] = {
      {"nothing fails", {},
       ok, true, true, 2, read, readNotes, "One", true},
      {"createApplication", {Call::CreateApplication},
       noApp, false, false, 0, {}, {}, "Before", false},
      {"openPresentation", {Call::OpenPresentation},
       ok, true, false, 0, {}, {}, "Before", true},
      {"slideCount", {Call::SlideCount},
       ok, true, true, 0, {}, {}, "Before", true},
      {"slideTitle", {Call::SlideTitle},
       ok, true, true, 2, blank, readNotes, "", true},
      {"slideNotes", {Call::SlideNotes},
       ok, true, true, 2, read, blank, "One", true},
      {"slideTitle and slideNotes", {Call::SlideTitle, Call::SlideNotes},
       ok, true, true, 2, blank, blank, "", true},
      {"runSlideShow", {Call::RunSlideShow},
       ok, true, true, 2, read, readNotes, "One", true},
      {"closePresentation and quitApplication", {Call::ClosePresentation, Call::QuitApplication},
       ok, true, true, 2, read, readNotes, "One", true},
      {"every call", {Call::CreateApplication, Call::OpenPresentation, Call::SlideCount,
                      Call::SlideTitle, Call::SlideNotes, Call::RunSlideShow,
                      Call::CurrentShowSlide, Call::ClosePresentation, Call::QuitApplication},
       noApp, false, false, 0, {}, {}, "Before", false},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPresentationProgram scripted;
    scripted.slides = {{QStringLiteral("One"), QStringLiteral("one notes")},
                       {QStringLiteral("Two"), QStringLiteral("two notes")}};
    scripted.failing = c.failing;
    libPresentation session(scripted, pump);
    session.Model.PresentationTitle = QStringLiteral("Before");

    EXPECT_EQ(session.LoadPresentation(kPath, true, true), c.loadResult);
    EXPECT_EQ(session.Model.PowerPointApp.has_value(), c.app);
    EXPECT_EQ(session.Model.PowerPointPresentation.has_value(), c.presentation);
    EXPECT_EQ(session.Model.SlideCount, c.slideCount);
    ASSERT_EQ(session.Model.Slides.size(), c.titles.empty() ? 0u : 3u);
    for (qsizetype i = 0; i < c.titles.size(); ++i) {
      EXPECT_EQ(session.Model.Slides[static_cast<std::size_t>(i) + 1].Title, c.titles[i]);
      EXPECT_EQ(session.Model.Slides[static_cast<std::size_t>(i) + 1].Note, c.notes[i]);
    }
    EXPECT_EQ(session.Model.PresentationTitle, c.presentationTitle);

    session.StartSlideShow();
    EXPECT_EQ(session.Model.ShowRunning, c.showRunning);

    const auto app = session.Model.PowerPointApp;
    const auto presentation = session.Model.PowerPointPresentation;
    session.ClosePowerPoint();
    EXPECT_FALSE(session.Model.PowerPointApp.has_value());
    EXPECT_FALSE(session.Model.PowerPointPresentation.has_value());
    EXPECT_FALSE(session.Model.ShowRunning);
    for (const auto& ref : {app, presentation}) {
      if (ref) {
        EXPECT_NE(std::find(scripted.released.begin(), scripted.released.end(), *ref),
                  scripted.released.end());
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The slide show and closing

TEST_F(LibPresentationTest, NoSlideShowWithoutAnApplication) {
  lib.StartSlideShow();

  EXPECT_FALSE(lib.Model.ShowRunning);
  EXPECT_FALSE(program.calls.contains(QStringLiteral("runSlideShow")));
}

TEST_F(LibPresentationTest, StartSlideShowRunsTheShowOfTheOpenPresentation) {
  program.slides = slides({"A"});
  ASSERT_EQ(lib.LoadPresentation(kPath, true, true), QString());
  const qsizetype mark = program.calls.size();

  lib.StartSlideShow();

  EXPECT_EQ(callsSince(mark), QStringList{QStringLiteral("runSlideShow")});
  EXPECT_TRUE(lib.Model.ShowRunning);
}

TEST_F(LibPresentationTest, ClosePowerPointClosesThenQuitsAndReleasesBoth) {
  for (const bool callsFail : {false, true}) {
    SCOPED_TRACE(callsFail ? "close and quit fail" : "close and quit succeed");
    ScriptedPresentationProgram scripted;
    scripted.slides = slides({"A"});
    libPresentation session(scripted, pump);
    ASSERT_EQ(session.LoadPresentation(kPath, true, true), QString());
    session.StartSlideShow();
    if (callsFail) {
      scripted.failing = {Call::ClosePresentation, Call::QuitApplication};
    }
    const auto app = session.Model.PowerPointApp;
    const auto presentation = session.Model.PowerPointPresentation;
    const qsizetype mark = scripted.calls.size();

    session.ClosePowerPoint();

    EXPECT_EQ(scripted.calls.mid(mark), (QStringList{QStringLiteral("closePresentation"),
                                                     QStringLiteral("quitApplication")}));
    EXPECT_EQ(scripted.released, (std::vector<AutomationRef>{*presentation, *app}));
    EXPECT_FALSE(session.Model.PowerPointApp.has_value());
    EXPECT_FALSE(session.Model.PowerPointPresentation.has_value());
    EXPECT_FALSE(session.Model.ShowRunning);
  }
}

TEST_F(LibPresentationTest, ClosePowerPointWithNothingHeld) {
  lib.Model.ShowRunning = true;

  lib.ClosePowerPoint();

  EXPECT_TRUE(program.calls.isEmpty());
  EXPECT_TRUE(program.released.empty());
  EXPECT_FALSE(lib.Model.ShowRunning);
}

TEST_F(LibPresentationTest, QuitPresentationClosesQuitsThenClosesPowerPoint) {
  program.slides = slides({"A"});
  ASSERT_EQ(lib.LoadPresentation(kPath, true, true), QString());
  lib.StartSlideShow();
  const auto app = lib.Model.PowerPointApp;
  const auto presentation = lib.Model.PowerPointPresentation;
  const qsizetype mark = program.calls.size();

  lib.QuitPresentation();

  EXPECT_EQ(callsSince(mark),
            (QStringList{QStringLiteral("closePresentation"), QStringLiteral("quitApplication"),
                         QStringLiteral("closePresentation"), QStringLiteral("quitApplication")}));
  EXPECT_EQ(program.released, (std::vector<AutomationRef>{*presentation, *app}));
  EXPECT_FALSE(lib.Model.PowerPointApp.has_value());
  EXPECT_FALSE(lib.Model.PowerPointPresentation.has_value());
  EXPECT_FALSE(lib.Model.ShowRunning);
}

TEST_F(LibPresentationTest, ResetPresentationModelReleasesWithoutClosing) {
  program.slides = slides({"A", "B", "C"});
  ASSERT_EQ(lib.LoadPresentation(kPath, true, true), QString());
  lib.StartSlideShow();
  lib.Model.NotesLoaded = true;
  lib.Model.CurrentSlide = 3;
  lib.Model.TotalTime = 90;
  const auto app = lib.Model.PowerPointApp;
  const auto presentation = lib.Model.PowerPointPresentation;
  const qsizetype mark = program.calls.size();

  lib.ResetPresentationModel();

  EXPECT_TRUE(callsSince(mark).isEmpty());
  EXPECT_TRUE(wasReleased(app));
  EXPECT_TRUE(wasReleased(presentation));
  PresentationModel expected;
  expected.NotesLoaded = true;
  expected.CurrentSlide = 3;
  expected.TotalTime = -1;
  expected.Slides = {SlideRecord{}, SlideRecord{}};
  EXPECT_TRUE(SameModel(lib.Model, expected));
}

// ---------------------------------------------------------------------------------------------
// Totals and names

TEST_F(LibPresentationTest, TotalPresentationSeconds) {
  struct Case {
    const char* name;
    qint32 slideCount;
    std::vector<std::pair<qint32, qint32>> times;  // minutes and seconds of records 1..
    qint32 expected;
  };
  const Case cases[] = {
      {"sum of all slides", 2, {{1, 0}, {0, 30}}, 90},
      {"seconds beyond a minute", 1, {{0, 90}}, 90},
      {"a slide without time", 3, {{1, 0}, {0, 0}, {0, 30}}, -1},
      {"no slides", 0, {}, -1},
      {"records beyond the slide count do not count", 1, {{0, 30}, {0, 0}}, 30},
      {"more than 32 bits of seconds", 2, {{2147483647, 0}, {1, 0}}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedPresentationProgram scripted;
    libPresentation session(scripted, pump);
    session.Model.SlideCount = c.slideCount;
    session.Model.Slides.assign(1, SlideRecord{});
    for (const auto& [minutes, seconds] : c.times) {
      session.Model.Slides.push_back(record("", "", minutes, seconds, true, false, false));
    }
    EXPECT_EQ(session.TotalPresentationSeconds(), c.expected);
  }
}

TEST(FileTitleFromPath, Cases) {
  struct Case {
    const char* path;
    const char* expected;
  };
  const Case cases[] = {
      {"C:\\Talks\\talk.ppt", "talk.ppt"},
      {"C:\\talk.ppt", ""},
      {"talk.ppt", ""},
      {"\"C:\\Talks\\talk.ppt\"", "talk.ppt"},
      {"/home/u/talk.ppt", "talk.ppt"},
      {"/talk.ppt", ""},
      {"/a/talk.ppt", "talk.ppt"},
      {"/home/u/", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FileTitleFromPath(QString::fromUtf8(c.path)), QString::fromUtf8(c.expected));
  }
}

}  // namespace
