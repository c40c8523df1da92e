#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <limits>
#include <optional>
#include <vector>

#include "tests/support/EditorWindowRig.h"

namespace {

const QString kZeroTotal = QStringLiteral("Total Time:   0 Hrs.  0 Min.");

SlideRecord slide(const QString& title, qint32 minutes = 0, qint32 seconds = 0) {
  SlideRecord record;
  record.Title = title;
  record.Note = QStringLiteral("notes of ") + title;
  record.DurationMinutes = minutes;
  record.DurationSeconds = seconds;
  record.Ascending = true;
  return record;
}

class SlideListTest : public EditorWindowRig, public testing::Test {
 protected:
  void SetUp() override { load(); }

  QStringList listEntries() {
    QStringList texts;
    for (int i = 0; i < w().List1->count(); ++i) {
      texts << w().List1->item(i)->text();
    }
    return texts;
  }
  int selectedRow() {
    const QList<QListWidgetItem*> selected = w().List1->selectedItems();
    return selected.isEmpty() ? -1 : w().List1->row(selected.front());
  }
  QStringList titles() {
    QStringList texts;
    for (std::size_t i = 1; i < model().Slides.size(); ++i) {
      texts << model().Slides[i].Title;
    }
    return texts;
  }
  void fourSlides() {
    setSlides({slide(QStringLiteral("A"), 1), slide(QStringLiteral("B"), 2),
               slide(QStringLiteral("C"), 3), slide(QStringLiteral("D"), 4)});
  }
};

// Totals

struct TotalCase {
  const char* name;
  std::vector<std::pair<qint32, qint32>> durations;  // minutes, seconds per slide
  QString text;
};

TEST_F(SlideListTest, TotalTimeRoundsMinutesHalfToEvenAndWrapsHours) {
  const std::vector<TotalCase> cases = {
      {"nothing", {}, kZeroTotal},
      {"29 s", {{0, 29}}, kZeroTotal},
      {"30 s is half a minute, to even 0", {{0, 30}}, kZeroTotal},
      {"90 s is 1.5 minutes, to even 2", {{0, 90}}, QStringLiteral("Total Time:   0 Hrs.  2 Min.")},
      {"150 s is 2.5 minutes, to even 2",
       {{1, 0}, {1, 30}},
       QStringLiteral("Total Time:   0 Hrs.  2 Min.")},
      {"210 s is 3.5 minutes, to even 4",
       {{3, 30}},
       QStringLiteral("Total Time:   0 Hrs.  4 Min.")},
      {"59 min 40 s rounds up to the hour",
       {{59, 40}},
       QStringLiteral("Total Time:   1 Hrs.  0 Min.")},
      {"65.5 minutes", {{65, 30}}, QStringLiteral("Total Time:   1 Hrs.  6 Min.")},
      {"25 h 10 min wraps to 1 h 10 min",
       {{1500, 0}, {10, 0}},
       QStringLiteral("Total Time:   1 Hrs.  10 Min.")},
      {"24 h 30 min wraps to 0 h 30 min",
       {{1470, 0}},
       QStringLiteral("Total Time:   0 Hrs.  30 Min.")},
      {"a negative total keeps its sign",
       {{-2, 0}},
       QStringLiteral("Total Time:   0 Hrs. -2 Min.")},
  };
  for (const TotalCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<SlideRecord> records;
    for (const auto& [minutes, seconds] : c.durations) {
      records.push_back(slide(QStringLiteral("s"), minutes, seconds));
    }
    setSlides(records);
    slides().UpdateTotalTime();
    EXPECT_EQ(w().totalTimeText(), c.text);
  }
}

TEST_F(SlideListTest, TotalBeyondThirtyTwoBitsLeavesTheStatusAsItWas) {
  constexpr qint32 kMax = std::numeric_limits<qint32>::max();
  struct Case {
    const char* name;
    std::vector<SlideRecord> records;
  };
  const std::vector<Case> cases = {
      {"minutes times 60", {slide(QStringLiteral("a"), kMax / 60 + 1, 0)}},
      {"minutes plus seconds", {slide(QStringLiteral("a"), kMax / 60, 59)}},
      {"the sum of two slides",
       {slide(QStringLiteral("a"), 0, kMax - 10), slide(QStringLiteral("b"), 0, 11)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setSlides({slide(QStringLiteral("a"), 5, 0)});
    slides().UpdateTotalTime();
    const QString before = w().totalTimeText();
    setSlides(c.records);
    EXPECT_FALSE(slides().FormatTotalTime().has_value());
    slides().UpdateTotalTime();
    EXPECT_EQ(w().totalTimeText(), before);
  }
  // The largest sum that fits still has a total.
  setSlides({slide(QStringLiteral("a"), 0, kMax - 10), slide(QStringLiteral("b"), 0, 10)});
  EXPECT_TRUE(slides().FormatTotalTime().has_value());
}

// Adding

TEST_F(SlideListTest, AddingToAnEmptyModelShowsTheNewSlideReadyToBeNamed) {
  w().cmdAddSlide->click();

  ASSERT_EQ(model().SlideCount, 1);
  ASSERT_EQ(model().Slides.size(), 2u);
  SlideRecord expected;
  expected.Title = QStringLiteral("<New Slide #1>");
  expected.Ascending = true;
  EXPECT_EQ(model().Slides[1], expected);
  EXPECT_EQ(model().CurrentSlide, 1);
  EXPECT_EQ(slides().DisplayedSlide, 1);
  EXPECT_EQ(w().fraSlideDet->title(), QStringLiteral("Slide 1"));
  EXPECT_EQ(w().comMin->currentText(), QStringLiteral("00"));
  EXPECT_EQ(w().comSec->currentText(), QStringLiteral("00"));
  EXPECT_TRUE(w().optCountAsc->isChecked());
  EXPECT_FALSE(w().chkVibrateDevice->isChecked());
  EXPECT_EQ(listEntries(), QStringList{QStringLiteral("1")});
  EXPECT_EQ(selectedRow(), 0);
  EXPECT_EQ(w().txtSlideTitle->selectedText(), QStringLiteral("<New Slide #1>"));
  EXPECT_TRUE(w().txtSlideTitle->isEnabled());
  EXPECT_TRUE(w().cmdApplyAllSlides->isEnabled());
  EXPECT_TRUE(slides().PresentationModified);
  EXPECT_EQ(w().totalTimeText(), kZeroTotal);

  // Typing replaces the selected title.
  QTest::keyClicks(w().txtSlideTitle, QStringLiteral("Welcome"));
  EXPECT_EQ(w().txtSlideTitle->text(), QStringLiteral("Welcome"));
}

TEST_F(SlideListTest, AddingKeepsWhatWasTypedIntoTheSlideShownSoFar) {
  w().cmdAddSlide->click();
  QTest::keyClicks(w().txtSlideTitle, QStringLiteral("Opening"));
  QTest::keyClicks(w().txtNotes, QStringLiteral("say hello"));

  w().cmdAddSlide->click();

  ASSERT_EQ(model().SlideCount, 2);
  EXPECT_EQ(model().Slides[1].Title, QStringLiteral("Opening"));
  EXPECT_EQ(model().Slides[1].Note, QStringLiteral("say hello"));
  EXPECT_EQ(model().Slides[2].Title, QStringLiteral("<New Slide #2>"));
  EXPECT_EQ(listEntries(), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
  EXPECT_EQ(selectedRow(), 1);
  EXPECT_EQ(w().fraSlideDet->title(), QStringLiteral("Slide 2"));
  EXPECT_TRUE(w().txtNotes->toPlainText().isEmpty());
}

// Removing

TEST_F(SlideListTest, RemovingAMiddleSlideMovesTheFollowingOnesUp) {
  fourSlides();
  clickSlide(2);
  slides().PresentationModified = false;

  w().cmdRemoveSlide->click();

  EXPECT_EQ(model().SlideCount, 3);
  EXPECT_EQ(titles(), (QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("D")}));
  EXPECT_EQ(model().Slides[2].DurationMinutes, 3) << "the whole record moved";
  EXPECT_EQ(listEntries(),
            (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
  EXPECT_EQ(selectedRow(), 1);
  EXPECT_EQ(slides().DisplayedSlide, 2);
  EXPECT_EQ(w().fraSlideDet->title(), QStringLiteral("Slide 2"));
  EXPECT_EQ(w().txtSlideTitle->text(), QStringLiteral("C"));
  EXPECT_EQ(w().comMin->currentText(), QStringLiteral("03"));
  EXPECT_TRUE(slides().PresentationModified);
  EXPECT_EQ(w().totalTimeText(), QStringLiteral("Total Time:   0 Hrs.  8 Min."));
}

TEST_F(SlideListTest, RemovingTheLastSlideShowsTheOneBefore) {
  fourSlides();
  clickSlide(4);

  w().cmdRemoveSlide->click();

  EXPECT_EQ(model().SlideCount, 3);
  EXPECT_EQ(model().Slides.size(), 4u);
  EXPECT_EQ(titles(), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
  EXPECT_EQ(selectedRow(), 2);
  EXPECT_EQ(slides().DisplayedSlide, 3);
  EXPECT_EQ(w().txtSlideTitle->text(), QStringLiteral("C"));
  EXPECT_TRUE(slides().PresentationModified);
}

TEST_F(SlideListTest, RemovingTheOnlySlideLeavesAnEmptyDisabledPanel) {
  w().cmdAddSlide->click();
  slides().PresentationModified = false;

  w().cmdRemoveSlide->click();

  EXPECT_EQ(model().SlideCount, 0);
  EXPECT_EQ(model().Slides.size(), 1u);
  EXPECT_EQ(w().List1->count(), 0);
  EXPECT_TRUE(w().fraSlideDet->title().isEmpty());
  EXPECT_TRUE(w().txtSlideTitle->text().isEmpty());
  EXPECT_FALSE(w().txtSlideTitle->isEnabled());
  EXPECT_FALSE(w().cmdRemoveSlide->isEnabled());
  EXPECT_EQ(slides().DisplayedSlide, 0);
  EXPECT_TRUE(slides().PresentationModified);
  EXPECT_EQ(w().totalTimeText(), kZeroTotal);
}

TEST_F(SlideListTest, RemovingWithoutARememberedSlideOnlyEmptiesThePanel) {
  fourSlides();
  slides().ShowSlide(3);
  model().CurrentSlide = 0;
  const std::vector<SlideRecord> before = model().Slides;

  slides().RemoveSlide();

  EXPECT_EQ(model().Slides, before);
  EXPECT_EQ(model().SlideCount, 4);
  EXPECT_FALSE(slides().PresentationModified);
  EXPECT_TRUE(w().txtSlideTitle->text().isEmpty());
  EXPECT_TRUE(w().fraSlideDet->title().isEmpty());
  EXPECT_FALSE(w().txtSlideTitle->isEnabled());
  EXPECT_EQ(w().List1->count(), 4);
}

// The list and "Apply to All Slides"

TEST_F(SlideListTest, ChoosingAnEntryStoresTheShownSlideFirst) {
  fourSlides();
  clickSlide(1);
  ASSERT_EQ(slides().DisplayedSlide, 1);
  w().txtSlideTitle->selectAll();
  QTest::keyClicks(w().txtSlideTitle, QStringLiteral("First"));
  QTest::mouseClick(w().chkVibrateDevice, Qt::LeftButton);

  clickSlide(3);

  EXPECT_EQ(model().Slides[1].Title, QStringLiteral("First"));
  EXPECT_TRUE(model().Slides[1].Warning);
  EXPECT_EQ(slides().DisplayedSlide, 3);
  EXPECT_EQ(model().CurrentSlide, 3);
  EXPECT_EQ(w().fraSlideDet->title(), QStringLiteral("Slide 3"));
  EXPECT_EQ(w().txtSlideTitle->text(), QStringLiteral("C"));
  EXPECT_EQ(w().txtNotes->toPlainText(), QStringLiteral("notes of C"));
  EXPECT_FALSE(w().chkVibrateDevice->isChecked());
}

TEST_F(SlideListTest, ApplyToAllAsksThenSetsDirectionAndWarningEverywhere) {
  fourSlides();
  clickSlide(2);
  w().txtSlideTitle->selectAll();
  QTest::keyClicks(w().txtSlideTitle, QStringLiteral("Second"));
  QTest::mouseClick(w().optCountDesc, Qt::LeftButton);
  QTest::mouseClick(w().chkVibrateDevice, Qt::LeftButton);

  boxes_.answer = MessageBoxAnswer::No;
  w().cmdApplyAllSlides->click();
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text,
            QStringLiteral("This will change the count and warning values for\nall slides to the "
                           "value specified, continue?"));
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Change all slides?"));
  EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::None);
  EXPECT_EQ(boxes_.shown[0].buttons, MessageBoxButtons::YesNo);
  EXPECT_TRUE(model().Slides[3].Ascending) << "No changes nothing";
  EXPECT_EQ(model().Slides[2].Title, QStringLiteral("B"));
  EXPECT_EQ(slides().DisplayedSlide, 2);

  boxes_.answer = MessageBoxAnswer::Yes;
  slides().PresentationModified = false;
  w().cmdApplyAllSlides->click();

  for (std::size_t i = 1; i <= 4; ++i) {
    EXPECT_FALSE(model().Slides[i].Ascending) << i;
    EXPECT_TRUE(model().Slides[i].Warning) << i;
  }
  EXPECT_EQ(titles(), (QStringList{QStringLiteral("A"), QStringLiteral("Second"),
                                   QStringLiteral("C"), QStringLiteral("D")}))
      << "the title typed for the shown slide is kept";
  EXPECT_EQ(model().Slides[3].DurationMinutes, 3);
  EXPECT_EQ(slides().DisplayedSlide, 1);
  EXPECT_EQ(w().fraSlideDet->title(), QStringLiteral("Slide 1"));
  EXPECT_EQ(w().txtSlideTitle->text(), QStringLiteral("A"));
  EXPECT_TRUE(w().optCountDesc->isChecked());
  EXPECT_EQ(selectedRow(), 1) << "the list's selection stays";
  EXPECT_FALSE(slides().PresentationModified);
}

}  // namespace
