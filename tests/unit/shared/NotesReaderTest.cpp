#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <random>
#include <string>
#include <vector>

#include "shared/LibParser.h"
#include "shared/Limits.h"
#include "shared/NotesReader.h"
#include "shared/PresentationModel.h"
#include "tests/support/TestPrinting.h"
#include "tests/support/WorkedExample.h"

namespace {

SlideRecord slideWith(const char* title, qint32 seconds) {
  SlideRecord slide;
  slide.Title = QString::fromUtf8(title);
  slide.Note = QStringLiteral("old note");
  slide.DurationSeconds = seconds;
  slide.Ascending = true;
  slide.Warning = true;
  return slide;
}

// A model that already holds a presentation, so that a parse that should change nothing can be
// told from one that resets it.
PresentationModel heldModel() {
  PresentationModel model;
  model.NotesLoaded = true;
  model.PresentationPath = QStringLiteral("/home/u/old.ppt");
  model.PresentationFileName = QStringLiteral("old.ppt");
  model.PresentationTitle = QStringLiteral("Old talk");
  model.SlideCount = 3;
  model.CurrentSlide = 2;
  model.TotalTime = 75;
  model.Slides = {SlideRecord{}, slideWith("old 1", 10), slideWith("old 2", 20),
                  slideWith("old 3", 45)};
  return model;
}

// What reading the worked example into `before` gives.
PresentationModel workedExampleReadInto(PresentationModel before) {
  const PresentationModel file = workedExampleModel();
  before.PresentationTitle = file.PresentationTitle;
  before.PresentationFileName = file.PresentationFileName;
  before.PresentationPath = file.PresentationPath;
  before.SlideCount = file.SlideCount;
  before.Slides = file.Slides;
  return before;
}

PresentationModel parsed(const QString& text, PresentationModel model = heldModel()) {
  LibParser parser;
  ParseNotesXml(text, model, parser);
  return model;
}

// The worked example with some of its text replaced.
QString workedExampleWith(const QString& from, const QString& to) {
  QString text = workedExampleText();
  EXPECT_TRUE(text.contains(from)) << testing::PrintToString(from);
  text.replace(from, to);
  return text;
}

// A notes file with the given SLIDE_COUNT text and SLIDE elements, as the editor lays it out.
QString notesText(const QString& count, const QStringList& slideBodies) {
  QString text = QStringLiteral(
      "<PRESENTATION_NOTES>\r\n<TITLE>New talk</TITLE>\r\n<FILE_NAME>new.ppt</FILE_NAME>\r\n"
      "<PATH_FILENAME>/home/u/new.ppt</PATH_FILENAME>\r\n");
  text += QStringLiteral("<SLIDE_COUNT>") + count + QStringLiteral("</SLIDE_COUNT>\r\n");
  text += QStringLiteral("<TOTAL_TIME>-1</TOTAL_TIME>\r\n<SLIDE_LIST>\r\n");
  for (qsizetype i = 0; i < slideBodies.size(); ++i) {
    text += QStringLiteral("<SLIDE><SLIDE_NUMBER>%1</SLIDE_NUMBER>\r\n").arg(i + 1);
    text += slideBodies[i];
    text += QStringLiteral("</SLIDE>\r\n");
  }
  text += QStringLiteral("\r\n</SLIDE_LIST>\r\n\r\n</PRESENTATION_NOTES>\r\n");
  return text;
}

QString slideBody(const char* title, qint32 minutes, qint32 seconds) {
  return QStringLiteral(
             "<TITLE>%1</TITLE>\r\n<NOTE>Say %1</NOTE>\r\n<ASCENDING>FALSE</ASCENDING>\r\n"
             "<DURATION_MINUTES>%2</DURATION_MINUTES>\r\n<DURATION_SECONDS>%3</DURATION_SECONDS>"
             "\r\n<WARNING>TRUE</WARNING>\r\n<AUTO_NEXT_SLIDE>TRUE</AUTO_NEXT_SLIDE>\r\n")
      .arg(QString::fromUtf8(title))
      .arg(minutes)
      .arg(seconds);
}

SlideRecord slideRead(const char* title, qint32 minutes, qint32 seconds) {
  SlideRecord slide;
  slide.Title = QString::fromUtf8(title);
  slide.Note = QStringLiteral("Say ") + slide.Title;
  slide.DurationMinutes = minutes;
  slide.DurationSeconds = seconds;
  slide.Ascending = false;
  slide.Warning = true;
  slide.AutoNextSlide = true;
  return slide;
}

// The header of notesText() read into `before`, with SlideCount and Slides left as they were.
PresentationModel headerReadInto(PresentationModel before) {
  before.PresentationTitle = QStringLiteral("New talk");
  before.PresentationFileName = QStringLiteral("new.ppt");
  before.PresentationPath = QStringLiteral("/home/u/new.ppt");
  return before;
}

testing::AssertionResult Consistent(const PresentationModel& model) {
  if (model.SlideCount >= 0 &&
      model.Slides.size() >= static_cast<std::size_t>(model.SlideCount) + 1) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure()
         << "SlideCount " << model.SlideCount << " with " << model.Slides.size() << " records";
}

// ---------------------------------------------------------------------------------------------
// The file

TEST(NotesFile, NameAndFolder) {
  EXPECT_EQ(NotesFileName(u"talk.ppt"), QStringLiteral("Notes_talk.ppt.xml"));
  EXPECT_EQ(NotesFolder(QStringLiteral("/opt/corvane")),
            QStringLiteral("/opt/corvane/Shared/Presentations/Notes"));
}

TEST(NotesFile, FileExistsOnlyForAFileWithContent) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const auto write = [&](const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_EQ(file.write(bytes), bytes.size());
    return file.fileName();
  };
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));

  EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("missing.xml"))));
  EXPECT_FALSE(FileExists(write(QStringLiteral("empty.xml"), QByteArray())));
  EXPECT_TRUE(FileExists(write(QStringLiteral("one.xml"), QByteArray("x"))));
  EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("folder"))));
}

TEST(NotesFile, LoadReadsTheFileAsTheParseReadsTheText) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile file(dir.filePath(QStringLiteral("Notes_talk.ppt.xml")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write(workedExampleBytes()), kWorkedExampleBytes);
  file.close();

  PresentationModel model = heldModel();
  LibParser parser;
  LoadNotesFile(file.fileName(), model, parser);

  EXPECT_TRUE(SameModel(model, workedExampleReadInto(heldModel())));
}

TEST(NotesFile, LoadDecodesWindows1252) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QFile file(dir.filePath(QStringLiteral("notes.xml")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  // 0x80 is the euro sign in Windows-1252 (and a control character in Latin-1).
  const QByteArray bytes =
      workedExampleBytes().replace("talk.ppt</FILE_NAME>", "Q1 \x80.ppt</FILE_NAME>");
  ASSERT_EQ(file.write(bytes), bytes.size());
  file.close();

  PresentationModel model;
  LibParser parser;
  LoadNotesFile(file.fileName(), model, parser);

  EXPECT_EQ(model.PresentationFileName, QString::fromUtf8("Q1 \u20AC.ppt"));
}

TEST(NotesFile, AFileThatCannotBeReadChangesNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString empty = dir.filePath(QStringLiteral("empty.xml"));
  const QString huge = dir.filePath(QStringLiteral("huge.xml"));
  {
    QFile file(empty);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  {
    // A valid file, but longer than any notes file may be (the rest is a hole on disk).
    QFile file(huge);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(workedExampleBytes()), kWorkedExampleBytes);
    ASSERT_TRUE(file.resize(limits::kMaxNotesFileBytes + 1));
  }
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.xml")));

  for (const QString& path : {empty, huge, dir.filePath(QStringLiteral("missing.xml")),
                              dir.filePath(QStringLiteral("folder.xml"))}) {
    SCOPED_TRACE(path.toStdString());
    PresentationModel model = heldModel();
    LibParser parser;
    parser.ScanPos = 7;
    LoadNotesFile(path, model, parser);
    EXPECT_TRUE(SameModel(model, heldModel()));
    EXPECT_EQ(parser.ScanPos, 7);
  }
}

// ---------------------------------------------------------------------------------------------
// The text

TEST(ParseNotesXml, ReadsTheWorkedExample) {
  PresentationModel model = heldModel();
  LibParser parser;
  parser.ScanPos = 400;  // left over from an earlier read; it must not matter

  ParseNotesXml(workedExampleText(), model, parser);

  EXPECT_TRUE(SameModel(model, workedExampleReadInto(heldModel())));
}

TEST(ParseNotesXml, OnlyTheTitleOfTheHeaderIsSanitised) {
  QString text =
      workedExampleWith(QStringLiteral("<TITLE>Intro</TITLE>\r\n<FILE_NAME>"),
                        QString::fromUtf8("<TITLE>Caf\u00E9\ttalk</TITLE>\r\n<FILE_NAME>"));
  text.replace(QStringLiteral("talk.ppt</FILE_NAME>"),
               QString::fromUtf8("caf\u00E9\t.ppt</FILE_NAME>"));
  text.replace(QStringLiteral("C:\\Talks\\"), QString::fromUtf8("C:\\Caf\u00E9\\"));

  const PresentationModel model = parsed(text);

  EXPECT_EQ(model.PresentationTitle, QStringLiteral("Caf  talk"));
  EXPECT_EQ(model.PresentationFileName, QString::fromUtf8("caf\u00E9\t.ppt"));
  EXPECT_EQ(model.PresentationPath, QString::fromUtf8("C:\\Caf\u00E9\\talk.ppt"));
  EXPECT_EQ(model.Slides[1], workedExampleSlide());
}

TEST(ParseNotesXml, TagsAreFoundInAnyCase) {
  const PresentationModel model = parsed(workedExampleText().toLower());

  EXPECT_EQ(model.PresentationTitle, QStringLiteral("intro"));
  EXPECT_EQ(model.PresentationPath, QStringLiteral("c:\\talks\\talk.ppt"));
  EXPECT_EQ(model.SlideCount, 1);
  SlideRecord expected = workedExampleSlide();
  expected.Title = QStringLiteral("intro");
  expected.Note = QStringLiteral("welcome");
  ASSERT_EQ(model.Slides.size(), 2u);
  EXPECT_EQ(model.Slides[1], expected);
}

TEST(ParseNotesXml, SlideValues) {
  struct Case {
    const char* from;
    const char* to;
    SlideRecord expected;
  };
  const auto with = [](auto change) {
    SlideRecord slide = workedExampleSlide();
    change(slide);
    return slide;
  };
  const Case cases[] = {
      {"<ASCENDING>TRUE<", "<ASCENDING>True<", with([](SlideRecord&) {})},
      {"<ASCENDING>TRUE<", "<ASCENDING>-1<", with([](SlideRecord&) {})},
      {"<ASCENDING>TRUE<", "<ASCENDING>0<", with([](SlideRecord& s) { s.Ascending = false; })},
      {"<ASCENDING>TRUE<", "<ASCENDING>yes<", with([](SlideRecord& s) { s.Ascending = false; })},
      {"<WARNING>FALSE<", "<WARNING>true<", with([](SlideRecord& s) { s.Warning = true; })},
      {"<AUTO_NEXT_SLIDE>FALSE<", "<AUTO_NEXT_SLIDE>2<",
       with([](SlideRecord& s) { s.AutoNextSlide = true; })},
      {"<DURATION_SECONDS>30<", "<DURATION_SECONDS>30.5<", with([](SlideRecord&) {})},
      {"<DURATION_SECONDS>30<", "<DURATION_SECONDS>31.5<",
       with([](SlideRecord& s) { s.DurationSeconds = 32; })},
      {"<DURATION_SECONDS>30<", "<DURATION_SECONDS>abc<",
       with([](SlideRecord& s) { s.DurationSeconds = 0; })},
      {"<DURATION_SECONDS>30<", "<DURATION_SECONDS>30 s<",
       with([](SlideRecord& s) { s.DurationSeconds = 0; })},
      {"<DURATION_MINUTES>2<", "<DURATION_MINUTES>99999999999<",
       with([](SlideRecord& s) { s.DurationMinutes = 0; })},
      {"<DURATION_MINUTES>2</DURATION_MINUTES>", "",
       with([](SlideRecord& s) { s.DurationMinutes = 0; })},
      {"<NOTE>Welcome</NOTE>", "<NOTE>Wel</NOTE>come</NOTE>",
       with([](SlideRecord& s) { s.Note = QStringLiteral("Wel"); })},
      {"<NOTE>Welcome</NOTE>", "<NOTE>if a < b > c</NOTE>",
       with([](SlideRecord& s) { s.Note = QStringLiteral("if a < b > c"); })},
      {"<NOTE>Welcome</NOTE>", "<NOTE>Line 1\r\nLine 2</NOTE>",
       with([](SlideRecord& s) { s.Note = QStringLiteral("Line 1\r\nLine 2"); })},
      {"<NOTE>Welcome</NOTE>", "<NOTE>First</NOTE><NOTE>Second</NOTE>",
       with([](SlideRecord& s) { s.Note = QStringLiteral("First"); })},
      {"<NOTE>Welcome</NOTE>", "<NOTE>tab\there</NOTE>",
       with([](SlideRecord& s) { s.Note = QStringLiteral("tab here"); })},
      {"<TITLE>Intro</TITLE>\r\n<NOTE>", "<TITLE>Caf\xC3\xA9</TITLE>\r\n<NOTE>",
       with([](SlideRecord& s) { s.Title = QStringLiteral("Caf "); })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.to);
    const PresentationModel model =
        parsed(workedExampleWith(QString::fromUtf8(c.from), QString::fromUtf8(c.to)));
    ASSERT_EQ(model.SlideCount, 1);
    ASSERT_EQ(model.Slides.size(), 2u);
    EXPECT_EQ(model.Slides[1], c.expected);
  }
}

TEST(ParseNotesXml, SlideCountIsReadLeniently) {
  struct Case {
    const char* count;
    qint32 expected;
  };
  const Case cases[] = {
      {" 3 slides", 3}, {"x", 0}, {"", 0}, {"2.5", 2}, {"-0.4", 0},
  };
  const QStringList threeSlides = {slideBody("A", 1, 0), slideBody("B", 0, 5),
                                   slideBody("C", 2, 30)};
  const std::vector<SlideRecord> records = {SlideRecord{}, slideRead("A", 1, 0),
                                            slideRead("B", 0, 5), slideRead("C", 2, 30)};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    const PresentationModel model = parsed(notesText(QString::fromUtf8(c.count), threeSlides));
    EXPECT_EQ(model.SlideCount, c.expected);
    EXPECT_EQ(model.Slides,
              std::vector<SlideRecord>(records.begin(), records.begin() + c.expected + 1));
  }
}

TEST(ParseNotesXml, FewerSlideElementsThanTheCountLeaveNewRecords) {
  const PresentationModel model =
      parsed(notesText(QStringLiteral("3"), {slideBody("A", 1, 0), slideBody("B", 0, 5)}));

  EXPECT_EQ(model.SlideCount, 3);
  EXPECT_EQ(model.Slides, (std::vector<SlideRecord>{SlideRecord{}, slideRead("A", 1, 0),
                                                    slideRead("B", 0, 5), SlideRecord{}}));
}

TEST(ParseNotesXml, PreviousRecordsNeverSurvive) {
  // The held model has three timed records; the file has two slides, one of them written.
  const PresentationModel model = parsed(notesText(QStringLiteral("2"), {slideBody("A", 1, 0)}));

  EXPECT_EQ(model.Slides,
            (std::vector<SlideRecord>{SlideRecord{}, slideRead("A", 1, 0), SlideRecord{}}));
}

TEST(ParseNotesXml, AFileWithoutSlides) {
  const PresentationModel model = parsed(notesText(QStringLiteral("0"), {}));

  EXPECT_TRUE(SameModel(model, [] {
    PresentationModel expected = headerReadInto(heldModel());
    expected.SlideCount = 0;
    expected.Slides = {SlideRecord{}};
    return expected;
  }()));
}

TEST(ParseNotesXml, RepeatedTagsTakeTheFirst) {
  struct Case {
    const char* name;
    QString text;
    QString title;
    qint32 slideCount;
    std::vector<SlideRecord> slides;
  };
  const QStringList twoSlides = {slideBody("A", 1, 0), slideBody("B", 0, 5)};
  QString twoCounts = notesText(QStringLiteral("1"), twoSlides);
  twoCounts.replace(QStringLiteral("<TOTAL_TIME>"),
                    QStringLiteral("<SLIDE_COUNT>2</SLIDE_COUNT><TOTAL_TIME>"));
  QString twoTitles = notesText(QStringLiteral("1"), twoSlides);
  twoTitles.replace(QStringLiteral("<FILE_NAME>"),
                    QStringLiteral("<TITLE>Second</TITLE><FILE_NAME>"));
  const Case cases[] = {
      {"nested TITLE",
       workedExampleWith(QStringLiteral("<TITLE>Intro</TITLE>"),
                         QStringLiteral("<TITLE><TITLE>Intro</TITLE></TITLE>")),
       QStringLiteral("<TITLE>Intro"),
       1,
       {SlideRecord{},
        [] {
          SlideRecord s = workedExampleSlide();
          s.Title = QStringLiteral("<TITLE>Intro");
          return s;
        }()}},
      {"two TITLE elements",
       twoTitles,
       QStringLiteral("New talk"),
       1,
       {SlideRecord{}, slideRead("A", 1, 0)}},
      {"two SLIDE_COUNT elements",
       twoCounts,
       QStringLiteral("New talk"),
       1,
       {SlideRecord{}, slideRead("A", 1, 0)}},
      {"more SLIDE elements than the count",
       notesText(QStringLiteral("1"), twoSlides),
       QStringLiteral("New talk"),
       1,
       {SlideRecord{}, slideRead("A", 1, 0)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PresentationModel model = parsed(c.text);
    EXPECT_EQ(model.PresentationTitle, c.title);
    EXPECT_EQ(model.SlideCount, c.slideCount);
    EXPECT_EQ(model.Slides, c.slides);
  }
}

// A SLIDE_COUNT the text cannot hold ends the read before any record is made.
TEST(ParseNotesXml, ImpossibleSlideCounts) {
  struct Case {
    const char* count;
    qsizetype padTo;  // the text is padded with blanks to at least this length
    bool accepted;
  };
  constexpr qsizetype kRoomForTheMost =
      qsizetype{limits::kMaxSlideCount + 1} * limits::kMinSlideElementChars;
  const QString base = notesText(QStringLiteral("00"), {slideBody("A", 1, 0)});
  const qsizetype fits = base.size() / limits::kMinSlideElementChars;
  const std::string fitsText = std::to_string(fits);
  const std::string tooMany = std::to_string(fits + 1);
  ASSERT_EQ(fitsText.size(), 2u) << "the count must keep the text's length";
  const Case cases[] = {
      {"2147483647", kRoomForTheMost, false},
      {"99999999999", kRoomForTheMost, false},
      {"-5", 0, false},
      {"-1", 0, false},
      {"100001", kRoomForTheMost, false},
      {"100000", kRoomForTheMost, true},
      {tooMany.c_str(), 0, false},
      {fitsText.c_str(), 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    QString text = base;
    text.replace(QStringLiteral("<SLIDE_COUNT>00<"),
                 QStringLiteral("<SLIDE_COUNT>%1<").arg(QString::fromUtf8(c.count)));
    if (text.size() < c.padTo) {
      text.resize(c.padTo, u' ');
    }

    const PresentationModel model = parsed(text);

    if (c.accepted) {
      const auto count = static_cast<qint32>(std::stol(c.count));
      EXPECT_EQ(model.SlideCount, count);
      ASSERT_EQ(model.Slides.size(), static_cast<std::size_t>(count) + 1);
      EXPECT_EQ(model.Slides[1], slideRead("A", 1, 0));
      EXPECT_EQ(model.Slides[2], SlideRecord{});
    } else {
      EXPECT_TRUE(SameModel(model, headerReadInto(heldModel())));
    }
  }
}

TEST(ParseNotesXml, AnEmptyTextChangesNothing) {
  PresentationModel model = heldModel();
  LibParser parser;
  parser.ScanPos = 9;
  ParseNotesXml(QString(), model, parser);
  EXPECT_TRUE(SameModel(model, heldModel()));
  EXPECT_EQ(parser.ScanPos, 9);
}

TEST(ParseNotesXml, EveryTruncationLeavesAConsistentModel) {
  const QString full = workedExampleText();
  for (qsizetype length = 0; length <= full.size(); ++length) {
    SCOPED_TRACE(testing::Message() << "first " << length << " characters");
    const PresentationModel model = parsed(full.left(length));
    EXPECT_TRUE(Consistent(model));
  }
  EXPECT_TRUE(SameModel(parsed(full), workedExampleReadInto(heldModel())));
}

TEST(ParseNotesXml, GarbageLeavesAConsistentModel) {
  // Random bytes, and random runs of the file's own tags and values.
  const std::vector<QString> tokens = {
      QStringLiteral("<SLIDE_COUNT>"),
      QStringLiteral("</SLIDE_COUNT>"),
      QStringLiteral("<SLIDE>"),
      QStringLiteral("</SLIDE>"),
      QStringLiteral("<TITLE>"),
      QStringLiteral("</TITLE>"),
      QStringLiteral("<NOTE>"),
      QStringLiteral("</NOTE>"),
      QStringLiteral("3"),
      QStringLiteral("-7"),
      QStringLiteral("99999999999"),
      QStringLiteral("\r\n"),
      QStringLiteral("x"),
      QStringLiteral("<"),
      QStringLiteral(">"),
  };
  std::mt19937 random(20240611);
  for (int round = 0; round < 300; ++round) {
    QString text;
    if (round % 2 == 0) {
      QByteArray bytes(static_cast<qsizetype>(random() % 2000), Qt::Uninitialized);
      for (char& b : bytes) {
        b = static_cast<char>(random() & 0xFF);
      }
      text = QString::fromLatin1(bytes);
    } else {
      const auto count = random() % 200;
      for (unsigned i = 0; i < count; ++i) {
        text += tokens[random() % tokens.size()];
      }
    }
    SCOPED_TRACE(testing::Message() << "round " << round << ": " << testing::PrintToString(text));
    const PresentationModel model = parsed(text);
    ASSERT_TRUE(Consistent(model));
  }
}

TEST(ParseNotesXml, AHugeTextWithoutSlidesEnds) {
  QString text = QStringLiteral(
      "<PRESENTATION_NOTES>\r\n<TITLE>Big</TITLE>\r\n<FILE_NAME>big.ppt</FILE_NAME>\r\n"
      "<PATH_FILENAME>/home/u/big.ppt</PATH_FILENAME>\r\n<SLIDE_COUNT>100000</SLIDE_COUNT>\r\n"
      "<TOTAL_TIME>-1</TOTAL_TIME>\r\n<SLIDE_LIST>\r\n");
  text.resize(50'000'000, u'x');
  ASSERT_LE(qint64{100000}, text.size() / limits::kMinSlideElementChars);

  const PresentationModel model = parsed(text);

  EXPECT_EQ(model.PresentationTitle, QStringLiteral("Big"));
  EXPECT_EQ(model.SlideCount, 100000);
  ASSERT_EQ(model.Slides.size(), 100001u);
  EXPECT_TRUE(std::all_of(model.Slides.begin(), model.Slides.end(),
                          [](const SlideRecord& slide) { return slide == SlideRecord{}; }));
}

}  // namespace
