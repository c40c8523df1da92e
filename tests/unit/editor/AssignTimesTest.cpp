#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <vector>

#include "editor/frmMain.h"
#include "editor/frmPresent.h"
#include "tests/support/EditorWindowRig.h"
#include "tests/support/TestPrinting.h"

namespace {

using quenlow::frmPresent;

const QString kConfirmText =
    QStringLiteral("This action will change the presenation times on all \nslides, continue?");

// The dialog over the editor's main window, with slides added through the window's "&Add"
// button and the dialog opened through its "Assign Times" button.
class AssignTimes : public testing::Test, protected EditorWindowRig {
 protected:
  AssignTimes() { load(); }
  ~AssignTimes() override {
    if (dialog_) {
      dialog_->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // `count` slides added with "&Add", then each given its own title and a duration; the last
  // one is shown.
  void addSlides(int count) {
    for (int i = 1; i <= count; ++i) {
      w().cmdAddSlide_Click();
    }
    for (int i = 1; i <= count; ++i) {
      SlideRecord& slide = model().Slides[static_cast<std::size_t>(i)];
      slide.Title = QStringLiteral("Slide title %1").arg(i);
      slide.DurationMinutes = 3;
      slide.DurationSeconds = i;
    }
    slides().ShowSlide(count);
  }

  // The user types over the shown slide's title, which only the panel holds so far.
  void typeTitle(const QString& title) {
    w().txtSlideTitle->selectAll();
    QTest::keyClicks(w().txtSlideTitle, title);
  }

  frmPresent* openDialog(const QString& hours, const QString& minutes) {
    // A dialog closed before has gone, as it has by the time a user can click again.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    w().cmdPresent_Click();
    dialog_ = w().presentDialog();
    if (dialog_ != nullptr) {
      dialog_->txtHrs->setText(hours);
      dialog_->txtMin->setText(minutes);
    }
    return dialog_;
  }

  // The dialog has closed and is gone.
  bool dialogGone() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return dialog_.isNull();
  }

  std::vector<SlideRecord> slideRecords() { return model().Slides; }

  QPointer<frmPresent> dialog_;
};

TEST_F(AssignTimes, OpensEmptyWithTheHoursFocusedAndNoDefaultButton) {
  addSlides(2);
  w().cmdPresent_Click();
  frmPresent* dialog = w().presentDialog();
  ASSERT_NE(dialog, nullptr);
  dialog_ = dialog;
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->isModal());
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Assign Slide Times"));
  EXPECT_EQ(dialog->size(), QSize(284, 166));
  EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
  EXPECT_FALSE(dialog->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(dialog->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  for (const QLineEdit* box : {dialog->txtHrs, dialog->txtMin}) {
    EXPECT_EQ(box->text(), QStringLiteral("0"));
    EXPECT_TRUE(box->font().bold());
    EXPECT_EQ(box->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  }
  EXPECT_EQ(dialog->focusWidget(), dialog->txtHrs);
  EXPECT_FALSE(dialog->cmdAssignTime->autoDefault() || dialog->cmdAssignTime->isDefault());
  EXPECT_FALSE(dialog->cmdCancel->autoDefault() || dialog->cmdCancel->isDefault());
  EXPECT_EQ(dialog->cmdAssignTime->text(), QStringLiteral("&Set Slide Times"));
  EXPECT_EQ(dialog->cmdCancel->text(), QStringLiteral("&Cancel"));

  // Tab goes hours, minutes, "Set Slide Times", "Cancel", and round again.
  std::vector<QWidget*> order;
  QWidget* widget = dialog->txtHrs;
  do {
    if (widget->focusPolicy() & Qt::TabFocus) {
      order.push_back(widget);
    }
    widget = widget->nextInFocusChain();
  } while (widget != dialog->txtHrs && order.size() < 10);
  EXPECT_EQ(order, (std::vector<QWidget*>{dialog->txtHrs, dialog->txtMin, dialog->cmdAssignTime,
                                          dialog->cmdCancel}));
}

TEST_F(AssignTimes, SpreadsTheTotalEvenlyOverEverySlideAndShowsSlide1) {
  struct Case {
    int slides;
    const char16_t* hours;
    const char16_t* minutes;
    qint32 minutesEach;
    qint32 secondsEach;
    const char16_t* totalTime;
  };
  const Case cases[] = {
      // 514 s each; the seven add up to 3598 s, shown as 1 hour.
      {7, u"1", u"0", 8, 34, u"Total Time:   1 Hrs.  0 Min."},
      {3, u"2", u"0", 40, 0, u"Total Time:   2 Hrs.  0 Min."},
      {4, u"0", u"90", 22, 30, u"Total Time:   1 Hrs.  30 Min."},
      // The hours are read as typed, then rounded: 1.5 gives 2.
      {1, u"1.5", u"0", 120, 0, u"Total Time:   2 Hrs.  0 Min."},
      {1, u" 1 e 0 h", u"3 0", 90, 0, u"Total Time:   1 Hrs.  30 Min."},
      // 0.6 s rounds up to one second.
      {100, u"0", u"1", 0, 1, u"Total Time:   0 Hrs.  2 Min."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.slides << " slides, " << QString::fromUtf16(c.hours).toStdString() << " h "
                 << QString::fromUtf16(c.minutes).toStdString() << " min");
    slides().NewPresentation();
    boxes_.shown.clear();
    boxes_.answer = MessageBoxAnswer::Yes;
    addSlides(c.slides);
    const int selectedRow = w().List1->currentRow();
    std::vector<SlideRecord> expected = slideRecords();
    for (std::size_t i = 1; i < expected.size(); ++i) {
      expected[i].DurationMinutes = c.minutesEach;
      expected[i].DurationSeconds = c.secondsEach;
    }
    // An assignment is no edit that asks to be saved, and it takes none of the flag away.
    for (const bool modified : {false, true}) {
      slides().PresentationModified = modified;
      frmPresent* dialog = openDialog(QString::fromUtf16(c.hours), QString::fromUtf16(c.minutes));
      ASSERT_NE(dialog, nullptr);
      dialog->cmdAssignTime->click();

      ASSERT_EQ(boxes_.shown.size(), 1U);
      EXPECT_EQ(boxes_.shown[0].text, kConfirmText);
      EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Overwrite current times?"));
      EXPECT_EQ(boxes_.shown[0].buttons, MessageBoxButtons::YesNo);
      EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::None);
      boxes_.shown.clear();
      EXPECT_EQ(slideRecords(), expected);
      EXPECT_EQ(slides().DisplayedSlide, 1);
      EXPECT_EQ(model().CurrentSlide, 1);
      EXPECT_EQ(w().fraSlideDet->title(), QStringLiteral("Slide 1"));
      EXPECT_EQ(w().comMin->currentText(), QString::number(c.minutesEach).rightJustified(2, u'0'));
      EXPECT_EQ(w().comSec->currentText(), QString::number(c.secondsEach).rightJustified(2, u'0'));
      EXPECT_EQ(w().totalTimeText(), QString::fromUtf16(c.totalTime));
      EXPECT_EQ(w().List1->currentRow(), selectedRow);
      EXPECT_EQ(slides().PresentationModified, modified);
      EXPECT_TRUE(dialogGone());
    }
  }
}

// Every refusal stores the panel into the shown slide first, then leaves the durations and the
// dialog with the user's entries as they were.
TEST_F(AssignTimes, RefusesAShareBelowOneSecond) {
  struct Case {
    int slides;
    const char16_t* hours;
    const char16_t* minutes;
  };
  const Case cases[] = {
      {1, u"-1", u"0"},
      {3, u"abc", u"abc"},
      {2, u"0", u"0"},
      {2, u"", u""},
      // 0.5 s rounds to the even 0.
      {120, u"0", u"1"},
      // Beyond 32 bits: the hours themselves, and the total of hours and minutes in seconds.
      {1, u"99999999999", u"0"},
      {1, u"1e10", u"0"},
      {1, u"596523", u"15"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.slides << " slides, " << QString::fromUtf16(c.hours).toStdString() << " h "
                 << QString::fromUtf16(c.minutes).toStdString() << " min");
    slides().NewPresentation();
    boxes_.shown.clear();
    boxes_.answer = MessageBoxAnswer::Ok;
    addSlides(c.slides);
    const qint32 shown = slides().DisplayedSlide;
    ASSERT_GE(shown, 1);
    typeTitle(QStringLiteral("Edited before the click"));
    std::vector<SlideRecord> expected = slideRecords();
    expected[static_cast<std::size_t>(shown)].Title = QStringLiteral("Edited before the click");

    frmPresent* dialog = openDialog(QString::fromUtf16(c.hours), QString::fromUtf16(c.minutes));
    ASSERT_NE(dialog, nullptr);
    dialog->cmdAssignTime->click();

    ASSERT_EQ(boxes_.shown.size(), 1U);
    EXPECT_EQ(boxes_.shown[0].text, QStringLiteral("Time must be greater than 1 minute."));
    EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Time not valid"));
    EXPECT_EQ(boxes_.shown[0].buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::Critical);
    EXPECT_EQ(slideRecords(), expected);
    EXPECT_EQ(slides().DisplayedSlide, shown);
    ASSERT_FALSE(dialogGone());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->txtHrs->text(), QString::fromUtf16(c.hours));
    EXPECT_EQ(dialog->txtMin->text(), QString::fromUtf16(c.minutes));
    dialog->close();
  }
}

TEST_F(AssignTimes, AnsweringNoKeepsTheDurationsButThePanelIsStored) {
  addSlides(3);
  w().List1->setCurrentRow(1);
  w().List1_Click();
  ASSERT_EQ(slides().DisplayedSlide, 2);
  typeTitle(QStringLiteral("Edited before the click"));
  std::vector<SlideRecord> expected = slideRecords();
  expected[2].Title = QStringLiteral("Edited before the click");
  boxes_.answer = MessageBoxAnswer::No;

  frmPresent* dialog = openDialog(QStringLiteral("1"), QStringLiteral("0"));
  ASSERT_NE(dialog, nullptr);
  dialog->cmdAssignTime->click();

  ASSERT_EQ(boxes_.shown.size(), 1U);
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Overwrite current times?"));
  EXPECT_EQ(slideRecords(), expected);
  EXPECT_EQ(slides().DisplayedSlide, 2);
  EXPECT_FALSE(dialogGone());
  EXPECT_EQ(dialog->txtHrs->text(), QStringLiteral("1"));
}

// The dialog does not block the main window: slides removed meanwhile are seen at the click.
TEST_F(AssignTimes, NoSlidesLeftIsRefused) {
  addSlides(2);
  frmPresent* dialog = openDialog(QStringLiteral("1"), QStringLiteral("0"));
  ASSERT_NE(dialog, nullptr);
  while (model().SlideCount > 0) {
    w().cmdRemoveSlide_Click();
  }
  boxes_.answer = MessageBoxAnswer::Yes;
  dialog->cmdAssignTime->click();

  ASSERT_EQ(boxes_.shown.size(), 1U);
  EXPECT_EQ(boxes_.shown[0].text,
            QStringLiteral("No slides defined.  Add slides, then try again."));
  EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("No slides found"));
  EXPECT_EQ(boxes_.shown[0].buttons, MessageBoxButtons::Ok);
  EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::Critical);
  EXPECT_EQ(slides().DisplayedSlide, 0);
  EXPECT_EQ(model().SlideCount, 0);
  EXPECT_FALSE(dialogGone());
}

TEST_F(AssignTimes, EnterAndEscapeDoNothing) {
  addSlides(3);
  const std::vector<SlideRecord> before = slideRecords();
  boxes_.answer = MessageBoxAnswer::Yes;
  frmPresent* dialog = openDialog(QStringLiteral("1"), QStringLiteral("0"));
  ASSERT_NE(dialog, nullptr);

  for (QWidget* focused : std::vector<QWidget*>{dialog->txtHrs, dialog->txtMin,
                                                dialog->cmdAssignTime, dialog->cmdCancel}) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
      SCOPED_TRACE(testing::Message() << focused->metaObject()->className() << " key " << key);
      focused->setFocus();
      QTest::keyClick(focused, key);
      EXPECT_TRUE(boxes_.shown.empty());
      ASSERT_FALSE(dialogGone());
      EXPECT_TRUE(dialog->isVisible());
    }
  }
  EXPECT_EQ(slideRecords(), before);
}

TEST_F(AssignTimes, CancelAndTheCloseBoxCloseWithoutAssigning) {
  addSlides(2);
  const std::vector<SlideRecord> before = slideRecords();
  boxes_.answer = MessageBoxAnswer::Yes;

  frmPresent* dialog = openDialog(QStringLiteral("1"), QStringLiteral("0"));
  ASSERT_NE(dialog, nullptr);
  dialog->cmdCancel->click();
  EXPECT_TRUE(dialogGone());

  // Made afresh: the entries of the last opening are gone.
  dialog = openDialog(QStringLiteral("2"), QStringLiteral("0"));
  ASSERT_NE(dialog, nullptr);
  // The close box asks the window to close, as close() does.
  dialog->close();
  EXPECT_TRUE(dialogGone());
  w().cmdPresent_Click();
  dialog_ = w().presentDialog();
  ASSERT_NE(dialog_, nullptr);
  EXPECT_EQ(dialog_->txtHrs->text(), QStringLiteral("0"));
  EXPECT_EQ(dialog_->txtMin->text(), QStringLiteral("0"));

  EXPECT_TRUE(boxes_.shown.empty());
  EXPECT_EQ(slideRecords(), before);
}

}  // namespace
