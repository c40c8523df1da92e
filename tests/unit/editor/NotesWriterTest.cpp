#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <csignal>
#include <optional>
#include <ostream>
#include <string>

#include "editor/NotesWriter.h"
#include "platform/Windows1252.h"
#include "shared/LibParser.h"
#include "shared/NotesReader.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/LockedFolder.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/WorkedExample.h"

void PrintTo(SaveResult result, std::ostream* os) {
  switch (result) {
    case SaveResult::Saved:
      *os << "Saved";
      return;
    case SaveResult::NoPath:
      *os << "NoPath";
      return;
    case SaveResult::WriteFailed:
      *os << "WriteFailed";
      return;
  }
  *os << "SaveResult(" << static_cast<int>(result) << ')';
}

namespace {

QByteArray fileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return {};
  }
  return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// What a save of the model puts on disk.
QByteArray savedBytes(const PresentationModel& model) {
  return windows1252::encode(BuildNotesXml(model) + QStringLiteral("\r\n"));
}

PresentationModel threeSlideModel() {
  PresentationModel model = workedExampleModel();
  model.SlideCount = 3;
  model.TotalTime = 330;
  for (int i = 2; i <= 3; ++i) {
    SlideRecord slide = workedExampleSlide();
    slide.Title = QStringLiteral("Chapter %1").arg(i);
    slide.Note = QStringLiteral("Line one\r\nLine two of slide %1").arg(i);
    slide.Warning = true;
    model.Slides.push_back(slide);
  }
  return model;
}

class NotesWriterTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }

  QString pathOf(const QString& name) const { return dir.filePath(name); }
  QStringList entries() const {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  QTemporaryDir dir;
  FakeMessageBoxes boxes;
};

// ---------------------------------------------------------------------------------------------
// The text

TEST(BuildNotesXml, TheWorkedExampleIsWrittenByteForByte) {
  EXPECT_EQ(savedBytes(workedExampleModel()), workedExampleBytes());
}

TEST(BuildNotesXml, AModelWithoutSlides) {
  PresentationModel model = workedExampleModel();
  model.SlideCount = 0;
  model.Slides = {SlideRecord{}};

  EXPECT_EQ(BuildNotesXml(model),
            QStringLiteral("<PRESENTATION_NOTES>\r\n"
                           "<TITLE>Intro</TITLE>\r\n"
                           "<FILE_NAME>talk.ppt</FILE_NAME>\r\n"
                           "<PATH_FILENAME>C:\\Talks\\talk.ppt</PATH_FILENAME>\r\n"
                           "<SLIDE_COUNT>0</SLIDE_COUNT>\r\n"
                           "<TOTAL_TIME>-1</TOTAL_TIME>\r\n"
                           "<SLIDE_LIST>\r\n\r\n</SLIDE_LIST>\r\n"
                           "\r\n</PRESENTATION_NOTES>\r\n"));
}

TEST(BuildNotesXml, TextsAreWrittenSanitised) {
  PresentationModel model = workedExampleModel();
  model.PresentationTitle = QString::fromUtf8("Caf\u00E9\ttalk");
  model.Slides[1].Title = QString::fromUtf8("R\u00E9sum\u00E9");
  model.Slides[1].Note = QString::fromUtf8("First line\r\nSecond\tline\r\n\u4E2D end");

  const QString text = BuildNotesXml(model);

  EXPECT_TRUE(text.contains(QStringLiteral("\r\n<TITLE>Caf  talk</TITLE>\r\n")))
      << testing::PrintToString(text);
  EXPECT_TRUE(text.contains(QStringLiteral("\r\n<TITLE>R sum </TITLE>\r\n")));
  EXPECT_EQ(text.count(QStringLiteral("<NOTE>")), 1);
  EXPECT_TRUE(text.contains(
      QString::fromUtf8("\r\n<NOTE>First line\r\nSecond line\r\n\u4E2D end</NOTE>\r\n")));
}

TEST(BuildNotesXml, TheSlidesWrittenAreThoseCountedAndHeld) {
  struct Case {
    qint32 slideCount;
    std::size_t records;  // records 1.. held
    qsizetype written;
  };
  const Case cases[] = {{3, 1, 1}, {1, 3, 1}, {2, 2, 2}, {0, 2, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "SlideCount " << c.slideCount << ", " << c.records << " records");
    PresentationModel model = workedExampleModel();
    model.SlideCount = c.slideCount;
    model.Slides.assign(c.records + 1, workedExampleSlide());

    const QString text = BuildNotesXml(model);

    EXPECT_TRUE(text.contains(QStringLiteral("<SLIDE_COUNT>%1</SLIDE_COUNT>").arg(c.slideCount)));
    EXPECT_EQ(text.count(QStringLiteral("<SLIDE>")), c.written);
  }
}

TEST(NotesFilePath, BeneathTheProgramFolder) {
  PresentationModel model;
  model.PresentationFileName = QStringLiteral("talk.ppt");
  EXPECT_EQ(NotesFilePath(model, QStringLiteral("/opt/quenlow")),
            QStringLiteral("/opt/quenlow/Shared/Presentations/Notes/Notes_talk.ppt.xml"));

  model.PresentationFileName.clear();
  EXPECT_EQ(NotesFilePath(model, QStringLiteral("/opt/quenlow")), QString());
}

// ---------------------------------------------------------------------------------------------
// Saving

TEST_F(NotesWriterTest, SaveWritesTheBytesAndTheReaderReadsThemBack) {
  const QString path = pathOf(QStringLiteral("Notes_talk.ppt.xml"));
  for (const PresentationModel& model : {workedExampleModel(), threeSlideModel()}) {
    SCOPED_TRACE(model.SlideCount);
    ASSERT_EQ(SaveNotesFile(path, model, boxes), SaveResult::Saved);
    EXPECT_EQ(fileBytes(path), savedBytes(model));

    PresentationModel read;
    read.TotalTime = model.TotalTime;  // not read back
    LibParser parser;
    LoadNotesFile(path, read, parser);
    EXPECT_TRUE(SameModel(read, model));
  }
  EXPECT_EQ(fileBytes(path).size(), savedBytes(threeSlideModel()).size());
  EXPECT_EQ(entries(), QStringList{QStringLiteral("Notes_talk.ppt.xml")});
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(NotesWriterTest, SaveOfTheWorkedExampleIsExactlyItsBytes) {
  const QString path = pathOf(QStringLiteral("Notes_talk.ppt.xml"));
  ASSERT_EQ(SaveNotesFile(path, workedExampleModel(), boxes), SaveResult::Saved);
  EXPECT_EQ(fileBytes(path), workedExampleBytes());
}

TEST_F(NotesWriterTest, TheFileIsWindows1252) {
  const QString path = pathOf(QStringLiteral("Notes_talk.ppt.xml"));
  PresentationModel model = workedExampleModel();
  model.Slides[1].Note = QString::fromUtf8("Say \u4E2D\u6587 twice");

  ASSERT_EQ(SaveNotesFile(path, model, boxes), SaveResult::Saved);

  const QByteArray bytes = fileBytes(path);
  EXPECT_TRUE(bytes.contains("\r\n<NOTE>Say ?? twice</NOTE>\r\n")) << testing::PrintToString(bytes);
  EXPECT_EQ(bytes.size(), kWorkedExampleBytes + 5);
}

TEST_F(NotesWriterTest, ASecondSaveReplacesTheFile) {
  const QString path = pathOf(QStringLiteral("Notes_talk.ppt.xml"));
  PresentationModel smaller = workedExampleModel();
  smaller.SlideCount = 0;
  smaller.Slides = {SlideRecord{}};

  ASSERT_EQ(SaveNotesFile(path, threeSlideModel(), boxes), SaveResult::Saved);
  ASSERT_EQ(SaveNotesFile(path, smaller, boxes), SaveResult::Saved);

  const QByteArray bytes = fileBytes(path);
  EXPECT_EQ(bytes.size(), BuildNotesXml(smaller).size() + 2);
  EXPECT_EQ(bytes, savedBytes(smaller));
}

TEST_F(NotesWriterTest, WithoutAPathTheUserIsToldAndNothingIsWritten) {
  const QStringList workingFolderBefore =
      QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

  EXPECT_EQ(SaveNotesFile(QString(), workedExampleModel(), boxes), SaveResult::NoPath);

  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_TRUE(boxes.shown[0].icon == MessageBoxIcon::Critical);
  EXPECT_TRUE(boxes.shown[0].buttons == MessageBoxButtons::Ok);
  EXPECT_EQ(boxes.shown[0].title, QStringLiteral("Presenation Not Saved"));
  EXPECT_EQ(
      boxes.shown[0].text,
      QStringLiteral("No associated Presentation Name.  Please\r\nassign a presentation name."));
  EXPECT_EQ(QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            workingFolderBefore);
}

TEST_F(NotesWriterTest, AMissingFolderFailsTheSave) {
  const QString path = pathOf(QStringLiteral("Shared/Presentations/Notes/Notes_talk.ppt.xml"));

  EXPECT_EQ(SaveNotesFile(path, workedExampleModel(), boxes), SaveResult::WriteFailed);

  EXPECT_TRUE(entries().isEmpty());
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(NotesWriterTest, AReadOnlyNotesFileIsLeftAsItIs) {
  const QString path = pathOf(QStringLiteral("Notes_talk.ppt.xml"));
  const QByteArray old = savedBytes(threeSlideModel());
  writeBytes(path, old);
  ASSERT_TRUE(QFile::setPermissions(
      path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));

  EXPECT_EQ(SaveNotesFile(path, workedExampleModel(), boxes), SaveResult::WriteFailed);

  EXPECT_EQ(fileBytes(path), old);
  EXPECT_EQ(entries(), QStringList{QStringLiteral("Notes_talk.ppt.xml")});
  EXPECT_TRUE(boxes.shown.empty());
}

// The system refuses to let the file grow past a few bytes while the save writes: the write fails
// half way, and the old notes file must still be there, whole.
TEST_F(NotesWriterTest, AWriteThatFailsHalfWayLeavesTheOldFileWhole) {
  const QString path = pathOf(QStringLiteral("Notes_talk.ppt.xml"));
  const QByteArray old = savedBytes(workedExampleModel());
  writeBytes(path, old);

  // Nothing but the save runs under the limit: it holds for every file the process writes.
  SaveResult result{};
  bool limited = false;
  {
    const FileSizeLimit limit(100);
    limited = limit.active;
    if (limited) {
      result = SaveNotesFile(path, threeSlideModel(), boxes);
    }
  }
  ASSERT_TRUE(limited) << "could not lower the file size limit";

  EXPECT_EQ(result, SaveResult::WriteFailed);
  EXPECT_EQ(fileBytes(path), old);
  EXPECT_EQ(entries(), QStringList{QStringLiteral("Notes_talk.ppt.xml")});
}

// ---------------------------------------------------------------------------------------------
// Notes folders that take no new file

struct FolderCase {
  const char* name;
  FolderLock lock;
  bool fileThere;
  SaveResult result;
  bool inPlace;  // the old file written over rather than replaced
};

void PrintTo(const FolderCase& c, std::ostream* os) { *os << c.name; }

class NotesWriterLockedFolderTest : public NotesWriterTest {
 protected:
  void lock(FolderLock how) {
    if (!folder.lock(how)) {
      ASSERT_EQ(how, FolderLock::Immutable) << "the folder could not be locked";
      GTEST_SKIP() << "this file system or user cannot make a folder immutable";
    }
  }

  // Saved as a user would: root would pass the folder's refusal.
  SaveResult saveAsUser(const QString& path, const PresentationModel& model) {
    const WithoutRootOverride asUser;
    EXPECT_TRUE(asUser.active()) << "could not give up root's way past permission checks";
    return SaveNotesFile(path, model, boxes);
  }

  LockedFolder folder{dir.path()};
};

class NotesWriterFolderTest : public NotesWriterLockedFolderTest,
                              public testing::WithParamInterface<FolderCase> {};

TEST_P(NotesWriterFolderTest, AWritableNotesFileIsSavedWhereTheFolderTakesNoNewFile) {
  const FolderCase& c = GetParam();
  const QString path = pathOf(QStringLiteral("Notes_talk.ppt.xml"));
  // The old file is the longer one: a save in place must not leave its tail behind.
  const QByteArray old = savedBytes(threeSlideModel());
  if (c.fileThere) {
    writeBytes(path, old);
  }
  const std::optional<ino_t> inodeBefore = InodeOf(path);
  lock(c.lock);
  if (IsSkipped() || HasFatalFailure()) {
    return;
  }

  EXPECT_EQ(saveAsUser(path, workedExampleModel()), c.result);

  const QStringList only =
      c.fileThere ? QStringList{QStringLiteral("Notes_talk.ppt.xml")} : QStringList{};
  EXPECT_EQ(entries(), only) << "no temporary file is left behind";
  EXPECT_TRUE(boxes.shown.empty());
  if (c.result != SaveResult::Saved) {
    EXPECT_FALSE(QFile::exists(path));
    return;
  }
  EXPECT_EQ(fileBytes(path), workedExampleBytes());
  EXPECT_EQ(InodeOf(path) == inodeBefore, c.inPlace)
      << "replaced by a rename only where the folder allows it";
}

const FolderCase kFolderCases[] = {
    {"WritableFolder", FolderLock::None, true, SaveResult::Saved, false},
    {"FolderWithoutWriteBits", FolderLock::NoWriteBits, true, SaveResult::Saved, true},
    {"ImmutableFolder", FolderLock::Immutable, true, SaveResult::Saved, true},
    {"FolderWithoutWriteBitsAndNoFile", FolderLock::NoWriteBits, false, SaveResult::WriteFailed,
     false},
};

INSTANTIATE_TEST_SUITE_P(Folders, NotesWriterFolderTest, testing::ValuesIn(kFolderCases),
                         [](const testing::TestParamInfo<FolderCase>& param) {
                           return std::string(param.param.name);
                         });

// Written in place, the file has no temporary copy to fall back on: a write that fails half way
// still fails the save.
TEST_F(NotesWriterLockedFolderTest, ASaveInPlaceThatFailsHalfWayFailsTheSave) {
  const QString path = pathOf(QStringLiteral("Notes_talk.ppt.xml"));
  writeBytes(path, savedBytes(workedExampleModel()));
  ASSERT_NO_FATAL_FAILURE(lock(FolderLock::NoWriteBits));

  SaveResult result{};
  bool limited = false;
  {
    const FileSizeLimit limit(100);
    limited = limit.active;
    if (limited) {
      result = saveAsUser(path, threeSlideModel());
    }
  }
  ASSERT_TRUE(limited) << "could not lower the file size limit";

  EXPECT_EQ(result, SaveResult::WriteFailed);
  EXPECT_EQ(entries(), QStringList{QStringLiteral("Notes_talk.ppt.xml")});
}

}  // namespace

namespace {

TEST(BreakNotesFileTags, BreaksTheFilesTagsInAnyCaseAndNothingElse) {
  const struct {
    const char* value;
    const char* written;
  } cases[] = {
      {"before</NOTE>after", "before< /NOTE>after"},
      {"</title> and <Title>", "< /title> and < Title>"},
      {"</SLIDE><SLIDE>", "< /SLIDE>< SLIDE>"},
      {"<SLIDE_COUNT>9</SLIDE_COUNT>", "< SLIDE_COUNT>9< /SLIDE_COUNT>"},
      {"<<NOTE>>", "<< NOTE>>"},
      {"a < b > c, <B>bold</B>, </NOTES>, < /NOTE>", "a < b > c, <B>bold</B>, </NOTES>, < /NOTE>"},
      {"tab\there", "tab here"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(BreakNotesFileTags(QString::fromLatin1(c.value)), QString::fromLatin1(c.written));
  }
}

// Titles and notes holding the file's own tags: the agent reads every slide back as the editor
// had it, the tags shown broken, and nothing after them moves.
TEST(BuildNotesXml, TagsInTextsCannotBreakTheFileTheAgentReads) {
  PresentationModel model = workedExampleModel();
  model.PresentationTitle = QStringLiteral("Deck </TITLE><FILE_NAME>forged</FILE_NAME>");
  const QStringList titles{QStringLiteral("One <NOTE>forged"), QStringLiteral("Two"),
                           QStringLiteral("Three </slide_list>")};
  const QStringList notes{
      QStringLiteral("cut</NOTE>here</SLIDE><ASCENDING>FALSE</ASCENDING>\r\nsecond line"),
      QStringLiteral("plain < and > stay"), QStringLiteral("<DURATION_MINUTES>59")};
  model.Slides.assign(1, SlideRecord{});
  for (int i = 0; i < titles.size(); ++i) {
    SlideRecord slide;
    slide.Title = titles[i];
    slide.Note = notes[i];
    slide.Ascending = true;
    slide.DurationMinutes = i + 1;
    slide.DurationSeconds = 10 * i;
    slide.Warning = i == 1;
    slide.AutoNextSlide = i == 2;
    model.Slides.push_back(slide);
  }
  model.SlideCount = static_cast<qint32>(titles.size());

  const QByteArray bytes = savedBytes(model);
  EXPECT_TRUE(bytes.contains("<NOTE>cut< /NOTE>here< /SLIDE>< ASCENDING>FALSE< /ASCENDING>"));

  PresentationModel read;
  LibParser parser;
  ParseNotesXml(windows1252::decode(bytes), read, parser);
  EXPECT_EQ(read.PresentationTitle,
            QStringLiteral("Deck < /TITLE>< FILE_NAME>forged< /FILE_NAME>"));
  EXPECT_EQ(read.PresentationFileName, model.PresentationFileName);
  EXPECT_EQ(read.PresentationPath, model.PresentationPath);
  ASSERT_EQ(read.SlideCount, model.SlideCount);
  ASSERT_EQ(read.Slides.size(), model.Slides.size());
  for (std::size_t i = 1; i < model.Slides.size(); ++i) {
    SCOPED_TRACE(i);
    SlideRecord shown = model.Slides[i];
    shown.Title = BreakNotesFileTags(shown.Title);
    shown.Note = BreakNotesFileTags(shown.Note);
    EXPECT_EQ(read.Slides[i], shown);
  }
  EXPECT_EQ(
      read.Slides[1].Note,
      QStringLiteral("cut< /NOTE>here< /SLIDE>< ASCENDING>FALSE< /ASCENDING>\r\nsecond line"));
}

}  // namespace
