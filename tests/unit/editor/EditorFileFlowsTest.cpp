#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QByteArray>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "editor/NotesWriter.h"
#include "platform/Windows1252.h"
#include "shared/NotesReader.h"
#include "tests/support/EditorWindowRig.h"
#include "tests/support/LockedFolder.h"
#include "tests/support/WorkedExample.h"

namespace {

using Call = ScriptedPresentationProgram::Call;

class EditorFileFlowsTest : public EditorWindowRig, public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir().mkpath(notesFolder()));
    load();
  }

  QString presentations() const { return dir_.path() + QStringLiteral("/Shared/Presentations"); }
  QString notesFolder() const { return presentations() + QStringLiteral("/Notes"); }
  QString presentation(const QString& name) const { return presentations() + u'/' + name; }
  QString notesFile(const QString& name) const {
    return notesFolder() + QStringLiteral("/Notes_") + name + QStringLiteral(".xml");
  }

  static QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  // A notes file for `name` as the editor writes it, naming `path` as its presentation.
  void writeNotes(const QString& name, const QString& path,
                  const std::vector<SlideRecord>& slides) {
    PresentationModel notes;
    notes.PresentationTitle = slides.empty() ? QString() : slides.front().Title;
    notes.PresentationFileName = name;
    notes.PresentationPath = path;
    notes.TotalTime = -1;
    notes.Slides.assign(1, SlideRecord{});
    notes.Slides.insert(notes.Slides.end(), slides.begin(), slides.end());
    notes.SlideCount = static_cast<qint32>(slides.size());
    QFile file(notesFile(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(windows1252::encode(BuildNotesXml(notes) + QStringLiteral("\r\n")));
  }

  // What the notes file of `name` holds, as the agent reads it.
  PresentationModel readNotes(const QString& name) {
    PresentationModel read;
    LibParser parser;
    ParseNotesXml(windows1252::decode(bytesOf(notesFile(name))), read, parser);
    return read;
  }

  void open(const QString& path) {
    dialogs_.answers.push_back(path);
    w().m_OpenPres->trigger();
  }

  // The user picks "Save Presentation Notes".
  void save() { w().m_savePres->trigger(); }

  bool updateEnabled() { return w().m_update->menuAction()->isEnabled(); }
  bool officeClosed() {
    return !model().PowerPointApp && !model().PowerPointPresentation &&
           program_.calls.mid(program_.calls.size() - 2) ==
               QStringList{QStringLiteral("closePresentation"), QStringLiteral("quitApplication")};
  }

  static SlideRecord record(const char* title, const char* note, int minutes, int seconds,
                            bool ascending, bool warning) {
    return {QString::fromLatin1(title),
            QString::fromLatin1(note),
            minutes,
            seconds,
            ascending,
            warning,
            false};
  }
};

TEST_F(EditorFileFlowsTest, OpeningANotesFileShowsItsSlidesUnderTheChosenPath) {
  writeNotes(
      QStringLiteral("talk.ppt"), QStringLiteral("/moved/away/talk.ppt"),
      {record("Intro", "Welcome", 2, 30, false, true), record("Outro", "Bye", 1, 5, true, false)});
  const QString chosen = presentation(QStringLiteral("talk.ppt"));
  open(chosen);

  ASSERT_EQ(dialogs_.asked.size(), 1u);
  const FileDialogs::OpenFileRequest& asked = dialogs_.asked[0];
  EXPECT_EQ(asked.title, QStringLiteral("Please Select Presentation"));
  EXPECT_EQ(asked.startFolder, presentations());
  EXPECT_TRUE(asked.hideReadOnly);
  EXPECT_EQ(asked.selectedFilter, 0);
  ASSERT_GE(asked.filters.size(), 3u);
  // The classic entries come first, in their order.
  EXPECT_TRUE(asked.filters[0].patterns.contains(QStringLiteral("*.ppt")));
  EXPECT_TRUE(asked.filters[1].patterns.contains(QStringLiteral("*.pps")));
  EXPECT_EQ(asked.filters[2].description, QStringLiteral("All Files"));
  EXPECT_TRUE(asked.filters[2].patterns.isEmpty());

  EXPECT_TRUE(model().NotesLoaded);
  EXPECT_EQ(model().PresentationPath, chosen);
  EXPECT_EQ(w().lblFileName->text(), chosen);
  ASSERT_EQ(model().SlideCount, 2);
  EXPECT_EQ(model().Slides[1], record("Intro", "Welcome", 2, 30, false, true));
  EXPECT_EQ(model().Slides[2], record("Outro", "Bye", 1, 5, true, false));
  EXPECT_EQ(w().List1->count(), 2);
  EXPECT_EQ(w().List1->currentRow(), 0);
  EXPECT_EQ(slides().DisplayedSlide, 1);
  EXPECT_EQ(w().txtSlideTitle->text(), QStringLiteral("Intro"));
  // The program only names the presentation: nothing is read from it, and it is closed again.
  EXPECT_FALSE(program_.calls.contains(QStringLiteral("slideCount")));
  EXPECT_TRUE(officeClosed());
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_FALSE(slides().PresentationModified);
  EXPECT_FALSE(w().officeWorking());
  EXPECT_TRUE(w().menuBar()->isEnabled());
}

TEST_F(EditorFileFlowsTest, OpeningWithoutANotesFileTakesThePresentationWithFreshTimings) {
  // What a presentation before left behind must not survive.
  setSlides({record("old 1", "", 5, 5, false, true), record("old 2", "", 5, 5, false, true),
             record("old 3", "", 5, 5, false, true), record("old 4", "", 5, 5, false, true)});
  program_.slides = {{QStringLiteral("Intro"), QStringLiteral("Welcome")},
                     {QStringLiteral("Middle"), QStringLiteral("Line 1\nLine 2")},
                     {QStringLiteral("End"), QString()}};
  int waitCursors = 0;
  pump_.onPump = [&] {
    const QCursor* cursor = QGuiApplication::overrideCursor();
    waitCursors += cursor != nullptr && cursor->shape() == Qt::WaitCursor ? 1 : 0;
  };
  open(presentation(QStringLiteral("deck.ppt")));

  EXPECT_FALSE(model().NotesLoaded);
  ASSERT_EQ(model().SlideCount, 3);
  ASSERT_EQ(model().Slides.size(), 4u);
  for (int i = 1; i <= 3; ++i) {
    SCOPED_TRACE(i);
    const SlideRecord& slide = model().Slides[static_cast<std::size_t>(i)];
    EXPECT_EQ(slide.Title, program_.slides[static_cast<std::size_t>(i) - 1].title);
    EXPECT_EQ(slide.Note, program_.slides[static_cast<std::size_t>(i) - 1].notes);
    EXPECT_EQ(slide.DurationMinutes, 0);
    EXPECT_EQ(slide.DurationSeconds, 0);
    EXPECT_TRUE(slide.Ascending);
    EXPECT_FALSE(slide.Warning);
  }
  EXPECT_EQ(model().PresentationTitle, QStringLiteral("Intro"));
  EXPECT_EQ(slides().DisplayedSlide, 1);
  EXPECT_EQ(w().List1->currentRow(), 0);
  EXPECT_EQ(w().txtSlideTitle->text(), QStringLiteral("Intro"));
  EXPECT_TRUE(officeClosed());
  EXPECT_GT(waitCursors, 0) << "the hourglass shows while the program works";
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "and goes afterwards";
  EXPECT_TRUE(w().m_savePres->isEnabled());
}

TEST_F(EditorFileFlowsTest, AnOpenThatCannotStartTheProgramSaysSoAndACancelChangesNothing) {
  program_.failing.insert(Call::CreateApplication);
  open(presentation(QStringLiteral("deck.ppt")));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, QStringLiteral("Could not instantiate PowerPoint."));
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Error Loading File"));
  EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::Critical);

  boxes_.shown.clear();
  program_.calls.clear();
  const QString pathBefore = model().PresentationPath;
  w().m_OpenPres->trigger();  // the dialog is cancelled
  EXPECT_EQ(dialogs_.asked.size(), 2u);
  EXPECT_TRUE(program_.calls.isEmpty());
  EXPECT_EQ(model().PresentationPath, pathBefore);
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(EditorFileFlowsTest, TheUpdateMenuFollowsTheKindOfPresentation) {
  const struct {
    const char* name;
    bool notesFile;
    bool update;
  } cases[] = {
      {"talk.ppt", false, true},   {"talk.ppt", true, true},   {"TALK.PPT", false, true},
      {"talk.pps", false, false},  {"talk.pps", true, true},   {"talk.pptx", false, true},
      {"talk.ppsx", false, false}, {"talk.ppsx", true, true},  {"talk.odp", false, true},
      {"talk.odp", true, true},    {"talk.key", false, false}, {"talk.key", true, false},
  };
  program_.slides = {{QStringLiteral("One"), QString()}};
  for (const auto& c : cases) {
    const QString name = QString::fromLatin1(c.name);
    SCOPED_TRACE(name.toStdString() + (c.notesFile ? " with notes" : " without notes"));
    QFile::remove(notesFile(name));
    if (c.notesFile) {
      writeNotes(name, QStringLiteral("/somewhere/") + name,
                 {record("One", "", 0, 0, true, false)});
    }
    // The menu starts the other way, so that the open is seen to set it.
    if (c.update) {
      w().m_NewPres->trigger();
    } else {
      w().m_update->menuAction()->setEnabled(true);
    }
    open(presentation(name));
    EXPECT_EQ(model().NotesLoaded, c.notesFile);
    EXPECT_EQ(updateEnabled(), c.update);
  }
}

TEST_F(EditorFileFlowsTest, ANotesFileWithoutAPathIsCompletedAndRewrittenAtOnce) {
  writeNotes(QStringLiteral("talk.ppt"), QString(),
             {record("Old one", "old note", 1, 30, false, true),
              record("Old two", "", 0, 45, true, false)});
  program_.slides = {{QStringLiteral("New one"), QStringLiteral("new note")},
                     {QStringLiteral("New two"), QStringLiteral("more")}};
  // Unsaved edits before, not saved at the question: the rewrite still leaves nothing unsaved.
  slides().PresentationModified = true;
  boxes_.answer = MessageBoxAnswer::No;
  const QString chosen = presentation(QStringLiteral("talk.ppt"));
  open(chosen);

  ASSERT_EQ(boxes_.shown.size(), 1u) << "only the question whether to save";
  EXPECT_FALSE(slides().PresentationModified);
  EXPECT_TRUE(updateEnabled());
  EXPECT_TRUE(officeClosed());
  const PresentationModel read = readNotes(QStringLiteral("talk.ppt"));
  EXPECT_EQ(read.PresentationPath, chosen);
  ASSERT_EQ(read.SlideCount, 2);
  EXPECT_EQ(read.Slides[1], record("New one", "new note", 1, 30, false, true));
  EXPECT_EQ(read.Slides[2], record("New two", "more", 0, 45, true, false));
  EXPECT_EQ(w().lblFileName->text(), chosen);
}

TEST_F(EditorFileFlowsTest, ARewriteThatCannotWriteTellsTheUserAndKeepsTheNotesUnsaved) {
  writeNotes(QStringLiteral("talk.ppt"), QString(), {record("Old", "", 1, 0, true, false)});
  const QString notes = notesFile(QStringLiteral("talk.ppt"));
  ASSERT_TRUE(QFile::setPermissions(notes, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
  const QByteArray before = bytesOf(notes);
  program_.slides = {{QStringLiteral("New"), QString()}};
  open(presentation(QStringLiteral("talk.ppt")));

  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::Critical);
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Presentation Notes Not Saved"));
  EXPECT_TRUE(boxes_.shown[0].text.contains(notes)) << boxes_.shown[0].text.toStdString();
  EXPECT_TRUE(boxes_.shown[0].text.contains(QStringLiteral("read-only")));
  EXPECT_EQ(bytesOf(notes), before);
  EXPECT_TRUE(slides().PresentationModified) << "the notes in hand are not on disk";
  EXPECT_EQ(model().Slides[1].Title, QStringLiteral("New"));
}

TEST_F(EditorFileFlowsTest, SavingNewNotesAssociatesThemWithAPresentationWithoutAskingToReplace) {
  w().m_NewPres->trigger();
  w().cmdAddSlide->click();
  w().cmdAddSlide->click();
  QTest::keyClicks(w().txtNotes, QStringLiteral("typed"));
  const QString chosen = presentation(QStringLiteral("talk.ppt"));
  dialogs_.answers.push_back(chosen);
  save();

  EXPECT_TRUE(dialogs_.asked.empty());
  ASSERT_EQ(dialogs_.askedToSave.size(), 1u);
  const FileDialogs::SaveFileRequest& asked = dialogs_.askedToSave[0];
  EXPECT_EQ(asked.title, QStringLiteral("Associate Notes With"));
  EXPECT_EQ(asked.startFolder, presentations());
  EXPECT_FALSE(asked.confirmOverwrite);
  EXPECT_TRUE(asked.hideReadOnly);
  EXPECT_EQ(asked.selectedFilter, 0);
  ASSERT_GE(asked.filters.size(), 2u);
  EXPECT_TRUE(asked.filters[0].patterns.contains(QStringLiteral("*.ppt")));
  EXPECT_EQ(asked.filters[1].description, QStringLiteral("All Files"));

  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, QStringLiteral("Your notes have been saved."));
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Presentation Notes Saved"));
  EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::None);
  EXPECT_FALSE(slides().PresentationModified);
  EXPECT_EQ(w().lblFileName->text(), chosen);
  const PresentationModel read = readNotes(QStringLiteral("talk.ppt"));
  EXPECT_EQ(read.PresentationPath, chosen);
  ASSERT_EQ(read.SlideCount, 2);
  EXPECT_EQ(read.Slides[2].Note, QStringLiteral("typed")) << "the panel was stored first";
  // The presentation stays open in the program after the association.
  EXPECT_TRUE(model().PowerPointApp.has_value());
  EXPECT_FALSE(program_.calls.contains(QStringLiteral("quitApplication")));

  // Saved again, twice, without edits: written each time, told each time, no dialog.
  for (int again = 1; again <= 2; ++again) {
    SCOPED_TRACE(again);
    ASSERT_TRUE(QFile::remove(notesFile(QStringLiteral("talk.ppt"))));
    boxes_.shown.clear();
    save();
    EXPECT_EQ(dialogs_.askedToSave.size(), 1u);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Presentation Notes Saved"));
    EXPECT_EQ(readNotes(QStringLiteral("talk.ppt")).SlideCount, 2);
  }
}

TEST_F(EditorFileFlowsTest, SavingWithoutSlidesOrWithACancelledAssociationWritesNothing) {
  slides().PresentationModified = true;
  save();
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, QStringLiteral("No Slides to save!"));
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("No Slides have been created"));
  EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::Critical);
  EXPECT_TRUE(dialogs_.askedToSave.empty());

  boxes_.shown.clear();
  w().cmdAddSlide->click();
  save();  // the association dialog is cancelled
  EXPECT_EQ(dialogs_.askedToSave.size(), 1u);
  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_TRUE(program_.calls.isEmpty());
  EXPECT_TRUE(slides().PresentationModified);
  EXPECT_TRUE(QDir(notesFolder()).isEmpty());
}

TEST_F(EditorFileFlowsTest, ASaveThatCannotWriteTellsTheUserWhyAndNeverReportsSuccess) {
  WithoutRootOverride asUser;
  if (!asUser.active() && geteuid() == 0) {
    GTEST_SKIP() << "root's permission override cannot be dropped here";
  }
  LockedFolder locked(notesFolder());
  ASSERT_TRUE(locked.lock(FolderLock::NoWriteBits));
  w().cmdAddSlide->click();
  dialogs_.answers.push_back(presentation(QStringLiteral("talk.ppt")));
  save();

  const QString notes = notesFile(QStringLiteral("talk.ppt"));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::Critical);
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Presentation Notes Not Saved"));
  EXPECT_TRUE(boxes_.shown[0].text.contains(notes)) << boxes_.shown[0].text.toStdString();
  EXPECT_TRUE(boxes_.shown[0].text.contains(QStringLiteral("No file can be added")))
      << boxes_.shown[0].text.toStdString();
  EXPECT_FALSE(QFile::exists(notes));
  EXPECT_TRUE(slides().PresentationModified);

  // A missing notes folder says so.
  boxes_.shown.clear();
  ASSERT_TRUE(QDir(notesFolder()).removeRecursively());
  save();
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_TRUE(boxes_.shown[0].text.contains(QStringLiteral("does not exist")));
  EXPECT_TRUE(slides().PresentationModified);
}

TEST_F(EditorFileFlowsTest, UpdateReReadsTitlesAndNotesOnlyWhenTheUserAgrees) {
  writeNotes(QStringLiteral("talk.ppt"), QStringLiteral("/x/talk.ppt"),
             {record("Old one", "old", 1, 30, false, true)});
  open(presentation(QStringLiteral("talk.ppt")));
  program_.slides = {{QStringLiteral("New one"), QStringLiteral("new")},
                     {QStringLiteral("Added"), QStringLiteral("added")}};
  program_.calls.clear();

  for (const MessageBoxAnswer answer : {MessageBoxAnswer::No, MessageBoxAnswer::Yes}) {
    SCOPED_TRACE(answer == MessageBoxAnswer::Yes ? "yes" : "no");
    boxes_.shown.clear();
    boxes_.answer = answer;
    w().m_Notes->trigger();
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text,
              QStringLiteral("Updating notes from the presentation \r\nwill overwrite any notes "
                             "that you added\r\nusing this program.  Continue?"));
    EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Update Notes?"));
    EXPECT_EQ(boxes_.shown[0].buttons, MessageBoxButtons::YesNo);
    if (answer == MessageBoxAnswer::No) {
      EXPECT_TRUE(program_.calls.isEmpty());
      EXPECT_EQ(model().Slides[1].Title, QStringLiteral("Old one"));
      EXPECT_FALSE(slides().PresentationModified);
    }
  }
  ASSERT_EQ(model().SlideCount, 2);
  EXPECT_EQ(model().Slides[1], record("New one", "new", 1, 30, false, true));
  EXPECT_EQ(model().Slides[2].Title, QStringLiteral("Added"));
  EXPECT_TRUE(slides().PresentationModified);
  EXPECT_EQ(slides().DisplayedSlide, 1);
  EXPECT_EQ(w().List1->currentRow(), 0);
  // Left open in the program until the window closes.
  EXPECT_TRUE(model().PowerPointApp.has_value());
  EXPECT_FALSE(program_.calls.contains(QStringLiteral("quitApplication")));

  // Without a presentation there is nothing to update from, and nothing is asked.
  w().m_NewPres->trigger();
  boxes_.shown.clear();
  w().m_Notes->trigger();
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(EditorFileFlowsTest, ExitWithUnsavedChangesSavesOnlyWhenAskedAndAlwaysEnds) {
  const struct {
    const char* name;
    MessageBoxAnswer answer;
    const char* associateWith;  // nullptr: the association dialog is cancelled
    bool written;
  } cases[] = {
      {"yes", MessageBoxAnswer::Yes, "talk.ppt", true},
      {"no", MessageBoxAnswer::No, "talk.ppt", false},
      {"yes, association cancelled", MessageBoxAnswer::Yes, nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    load();
    QFile::remove(notesFile(QStringLiteral("talk.ppt")));
    boxes_.shown.clear();
    boxes_.answer = c.answer;
    dialogs_.answers.clear();
    dialogs_.answers.push_back(c.associateWith != nullptr
                                   ? presentation(QString::fromLatin1(c.associateWith))
                                   : QString());
    w().m_NewPres->trigger();
    w().cmdAddSlide->click();
    ASSERT_TRUE(slides().PresentationModified);

    w().m_exit->trigger();

    ASSERT_FALSE(boxes_.shown.empty());
    EXPECT_EQ(boxes_.shown[0].text, QStringLiteral("Save the current presentation?"));
    EXPECT_EQ(QFile::exists(notesFile(QStringLiteral("talk.ppt"))), c.written);
    EXPECT_TRUE(w().ended());
    EXPECT_FALSE(w().isVisible());
    // The program's objects are dropped without closing them: the program's end ends the office.
    EXPECT_FALSE(model().PowerPointApp.has_value());
    EXPECT_EQ(model().SlideCount, 0);
    EXPECT_FALSE(program_.calls.contains(QStringLiteral("quitApplication")));
  }
}

TEST_F(EditorFileFlowsTest, ExitLeavesTheEventLoopSoThatTheProgramReturnsFromMain) {
  QTimer::singleShot(0, &w(), [this] { w().m_exit->trigger(); });
  // Bounds the wait should the exit not leave the loop.
  QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_TRUE(w().ended());
}

TEST_F(EditorFileFlowsTest, ClosingTheWindowClosesTheProgramFirstAndIsNeverRefused) {
  // An association leaves the presentation open in the program.
  w().cmdAddSlide->click();
  dialogs_.answers.push_back(presentation(QStringLiteral("talk.ppt")));
  save();
  ASSERT_TRUE(model().PowerPointApp.has_value());
  QTest::keyClicks(w().txtNotes, QStringLiteral("more"));
  boxes_.shown.clear();
  boxes_.answer = MessageBoxAnswer::No;
  program_.calls.clear();

  EXPECT_TRUE(w().close());

  EXPECT_EQ(program_.calls,
            (QStringList{QStringLiteral("closePresentation"), QStringLiteral("quitApplication")}));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Save Presentation?"));
  EXPECT_TRUE(w().ended());
  EXPECT_FALSE(w().isVisible());
  EXPECT_NE(readNotes(QStringLiteral("talk.ppt")).Slides[1].Note, QStringLiteral("more"))
      << "No wrote nothing";
}

TEST_F(EditorFileFlowsTest, CommandsAreHeldOffWhileTheProgramWorks) {
  program_.slides = {{QStringLiteral("One"), QString()}, {QStringLiteral("Two"), QString()}};
  bool reentered = false;
  bool menusOff = false;
  bool controlsOff = false;
  pump_.onPump = [&] {
    if (reentered) {
      return;
    }
    reentered = true;
    menusOff = !w().menuBar()->isEnabled();
    controlsOff = !w().cmdAddSlide->isEnabled();
    // Everything the user could reach while the program loads.
    dialogs_.answers.push_back(presentation(QStringLiteral("other.ppt")));
    w().m_OpenPres_Click();
    w().m_OpenPres->trigger();
    w().m_NewPres->trigger();
    w().m_savePres->trigger();
    w().m_Notes->trigger();
    w().m_exit->trigger();
    w().cmdAddSlide_Click();
    w().cmdRemoveSlide_Click();
    EXPECT_TRUE(w().isVisible());
    // A close waits for the program and comes afterwards.
    w().close();
    EXPECT_TRUE(w().isVisible());
  };
  open(presentation(QStringLiteral("deck.ppt")));

  EXPECT_TRUE(reentered);
  EXPECT_TRUE(menusOff);
  EXPECT_TRUE(controlsOff);
  EXPECT_EQ(dialogs_.asked.size(), 1u) << "the second open did nothing";
  EXPECT_TRUE(dialogs_.askedToSave.empty());
  EXPECT_FALSE(program_.calls.contains(QStringLiteral("openPresentation(") +
                                       presentation(QStringLiteral("other.ppt")) + u')'));
  EXPECT_EQ(model().SlideCount, 2);
  EXPECT_EQ(model().PresentationPath, presentation(QStringLiteral("deck.ppt")));
  EXPECT_TRUE(w().menuBar()->isEnabled());
  EXPECT_TRUE(w().cmdAddSlide->isEnabled());
  EXPECT_FALSE(w().ended());
  EXPECT_TRUE(waitUntil([this] { return w().ended(); })) << "the close came once the flow ended";
  EXPECT_FALSE(w().isVisible());
}

TEST_F(EditorFileFlowsTest, HelpOpensTheManualAndTheMenuReportsItMissing) {
  QTest::keyClick(w().List1, Qt::Key_F1);
  w().m_helpFile->trigger();
  EXPECT_TRUE(shell_.opened.isEmpty());
  ASSERT_EQ(boxes_.shown.size(), 1u) << "F1 says nothing, the menu does";
  EXPECT_EQ(boxes_.shown[0].text, QStringLiteral("Help file not found."));
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Help File Not Found"));
  EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::Critical);

  const QString manual = dir_.filePath(QStringLiteral("qzDocumentation.pdf"));
  QFile file(manual);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("%PDF-1.4\n");
  file.close();
  QTest::keyClick(w().txtSlideTitle, Qt::Key_F1);
  w().m_helpFile->trigger();
  w().m_visit_website->trigger();
  EXPECT_EQ(shell_.opened,
            (QStringList{manual, manual, QStringLiteral("https://corvane.example/")}));
  EXPECT_EQ(boxes_.shown.size(), 1u);
}

TEST_F(EditorFileFlowsTest, AboutOpensOneModelessBoxOwnedByTheWindow) {
  w().m_about->trigger();
  QPointer<quenlow::frmAbout> about = w().aboutBox();
  ASSERT_NE(about, nullptr);
  EXPECT_TRUE(about->isVisible());
  EXPECT_FALSE(about->isModal());
  EXPECT_EQ(about->parentWidget(), &w());
  w().m_about->trigger();
  EXPECT_EQ(w().aboutBox(), about) << "a second choice brings the open box forward";
}

// The worked example of the notes file, produced by the editor as a user gets there: new notes,
// the presentation opened, its slide's time chosen in the panel, saved.
TEST_F(EditorFileFlowsTest, TheSaveFlowWritesTheWorkedExampleByteForByte) {
  w().m_NewPres->trigger();
  program_.slides = {{QStringLiteral("Intro"), QStringLiteral("Welcome")}};
  open(QStringLiteral("C:\\Talks\\talk.ppt"));
  ASSERT_EQ(slides().DisplayedSlide, 1);
  chooseTime(w().comMin, 2);
  chooseTime(w().comSec, 30);
  boxes_.shown.clear();
  save();

  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Presentation Notes Saved"));
  EXPECT_EQ(bytesOf(notesFile(QStringLiteral("talk.ppt"))), workedExampleBytes());
}

}  // namespace
