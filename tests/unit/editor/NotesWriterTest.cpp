#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <csignal>
#include <ostream>

#include "editor/NotesWriter.h"
#include "shared/LibParser.h"
#include "shared/NotesReader.h"
#include "shared/Windows1252.h"
#include "tests/support/FakeMessageBoxes.h"
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

  struct FileSizeLimit {
    rlimit saved{};
    void (*savedHandler)(int) = nullptr;
    bool active = false;
    explicit FileSizeLimit(rlim_t bytes) {
      if (getrlimit(RLIMIT_FSIZE, &saved) != 0) {
        return;
      }
      rlimit limited = saved;
      limited.rlim_cur = bytes;
      savedHandler = std::signal(SIGXFSZ, SIG_IGN);
      active = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
      setrlimit(RLIMIT_FSIZE, &saved);
      std::signal(SIGXFSZ, savedHandler);
    }
  };

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

}  // namespace
