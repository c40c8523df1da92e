#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <initializer_list>
#include <vector>

#include "tests/support/EditorWindowRig.h"

namespace {

// Slides with every kind of field a notes file or the presentation program can give.
std::vector<SlideRecord> variedSlides() {
  std::vector<SlideRecord> records(6);
  records[0] = {QStringLiteral("Intro"),
                QStringLiteral("first line\r\nsecond line\r\n"),
                1,
                30,
                true,
                false,
                false};
  records[1] = {QStringLiteral("Tab\there"),
                QStringLiteral("lone CR\rin the middle"),
                75,
                7,
                false,
                true,
                true};
  records[2] = {QStringLiteral("Bell\x07"),
                QStringLiteral("lone LF\nand CRLF\r\nmixed"),
                0,
                0,
                true,
                true,
                false};
  records[3] = {QString(), QString(), 59, 59, false, false, true};
  records[4] = {QStringLiteral("Caf\u00e9"),
                QStringLiteral("\r\n\r\nblank lines first"),
                3,
                0,
                true,
                false,
                false};
  records[5] = {QStringLiteral("Last"), QStringLiteral("ends in CR\r"), 10, 5, false, false, false};
  return records;
}

class SlidePanelEditsTest : public EditorWindowRig, public testing::Test {
 protected:
  void SetUp() override { load(); }

  // One plain slide, shown as the user chose it, and nothing modified yet.
  void oneSlideShown(const QString& note = QStringLiteral("some notes")) {
    setSlides({{QStringLiteral("Title"), note, 2, 15, true, false, false}});
    clickSlide(1);
    slides().PresentationModified = false;
  }
};

TEST_F(SlidePanelEditsTest, FillingThePanelIsNoEdit) {
  setSlides(variedSlides());
  const std::vector<SlideRecord> before = model().Slides;
  for (qint32 n = 1; n <= model().SlideCount; ++n) {
    slides().ShowSlide(n);
  }
  slides().ClearSlideDetails();
  slides().ShowSlide(2);
  slides().ShowSlide(0);

  EXPECT_FALSE(slides().PresentationModified);
  EXPECT_EQ(model().Slides, before);
}

TEST_F(SlidePanelEditsTest, PanelShowsEachFieldKind) {
  setSlides(variedSlides());
  slides().ShowSlide(2);
  EXPECT_EQ(w().txtSlideTitle->text(), QStringLiteral("Tab here"))
      << "a control character shows as a blank";
  EXPECT_EQ(w().comMin->currentText(), QStringLiteral("75"));
  EXPECT_EQ(w().comSec->currentText(), QStringLiteral("07"));
  EXPECT_TRUE(w().optCountDesc->isChecked());
  EXPECT_FALSE(w().optCountAsc->isChecked());
  EXPECT_TRUE(w().chkVibrateDevice->isChecked());
  slides().ShowSlide(1);
  EXPECT_EQ(w().txtNotes->toPlainText(), QStringLiteral("first line\nsecond line\n"));
  EXPECT_TRUE(w().optCountAsc->isChecked());
  EXPECT_FALSE(w().chkVibrateDevice->isChecked());
}

// Clicking through every slide stores each one back as the user left it, untouched: notes keep
// their line ends byte for byte, durations beyond the lists and AutoNextSlide stay, and nothing
// counts as a change. Only the titles come back sanitised, as a store always leaves them.
TEST_F(SlidePanelEditsTest, UneditedSlidesGoBackIntoTheModelAsTheyWere) {
  setSlides(variedSlides());
  std::vector<SlideRecord> expected = model().Slides;
  expected[2].Title = QStringLiteral("Tab here");
  expected[3].Title = QStringLiteral("Bell ");
  expected[5].Title = QStringLiteral("Caf ");

  for (int n = 1; n <= model().SlideCount; ++n) {
    clickSlide(n);
  }
  clickSlide(1);

  EXPECT_EQ(model().Slides, expected);
  EXPECT_FALSE(slides().PresentationModified);
}

TEST_F(SlidePanelEditsTest, ControlCharacterInATitleIsStoredAsABlankOnlyWhenStored) {
  setSlides({{QStringLiteral("A\tB"), {}, 0, 0, true, false, false},
             {QStringLiteral("other"), {}, 0, 0, true, false, false}});
  clickSlide(1);
  EXPECT_EQ(w().txtSlideTitle->text(), QStringLiteral("A B"));
  EXPECT_EQ(model().Slides[1].Title, QStringLiteral("A\tB"));
  slides().StoreSlideFields(1);
  EXPECT_EQ(model().Slides[1].Title, QStringLiteral("A B"));
}

TEST_F(SlidePanelEditsTest, EditedNotesAreStoredWithCrLfLineEnds) {
  oneSlideShown(QStringLiteral("one\r\ntwo\rthree"));
  QTextCursor end = w().txtNotes->textCursor();
  end.movePosition(QTextCursor::End);
  w().txtNotes->setTextCursor(end);
  QTest::keyClick(w().txtNotes, Qt::Key_Return);
  QTest::keyClicks(w().txtNotes, QStringLiteral("four"));

  slides().StoreSlideFields(1);

  EXPECT_EQ(model().Slides[1].Note, QStringLiteral("one\r\ntwo\r\nthree\r\nfour"));
  EXPECT_TRUE(slides().PresentationModified);
}

TEST_F(SlidePanelEditsTest, EveryKindOfUserEditMarksTheNotesModified) {
  struct Edit {
    const char* name;
    std::function<void(quenlow::frmMain&)> act;
  };
  const auto key = [](QWidget* target, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(target, k, m);
  };
  // Text dragged from elsewhere and let go over the middle of the box.
  const auto drop = [](QWidget* target) {
    QMimeData data;
    data.setText(QStringLiteral("dropped"));
    const QPointF middle = QRectF(target->rect()).center();
    QDragEnterEvent enter(middle.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(middle.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent dropped(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
  };
  const std::vector<Edit> edits = {
      {"typing in the title", [](auto& w) { QTest::keyClicks(w.txtSlideTitle, "x"); }},
      {"Delete in the title",
       [&](auto& w) {
         w.txtSlideTitle->setCursorPosition(0);
         key(w.txtSlideTitle, Qt::Key_Delete);
       }},
      {"Backspace in the title",
       [&](auto& w) {
         w.txtSlideTitle->end(false);
         key(w.txtSlideTitle, Qt::Key_Backspace);
       }},
      {"pasting into the title",
       [&](auto& w) {
         QApplication::clipboard()->setText(QStringLiteral("pasted"));
         key(w.txtSlideTitle, Qt::Key_V, Qt::ControlModifier);
       }},
      {"cutting from the title",
       [&](auto& w) {
         w.txtSlideTitle->selectAll();
         key(w.txtSlideTitle, Qt::Key_X, Qt::ControlModifier);
       }},
      {"dropping onto the title", [&](auto& w) { drop(w.txtSlideTitle); }},
      {"typing in the notes", [](auto& w) { QTest::keyClicks(w.txtNotes, "x"); }},
      {"Delete in the notes",
       [&](auto& w) {
         w.txtNotes->moveCursor(QTextCursor::Start);
         key(w.txtNotes, Qt::Key_Delete);
       }},
      {"Backspace in the notes",
       [&](auto& w) {
         w.txtNotes->moveCursor(QTextCursor::End);
         key(w.txtNotes, Qt::Key_Backspace);
       }},
      {"pasting into the notes",
       [&](auto& w) {
         QApplication::clipboard()->setText(QStringLiteral("pasted"));
         key(w.txtNotes, Qt::Key_V, Qt::ControlModifier);
       }},
      {"cutting from the notes",
       [&](auto& w) {
         w.txtNotes->selectAll();
         key(w.txtNotes, Qt::Key_X, Qt::ControlModifier);
       }},
      {"dropping onto the notes", [&](auto& w) { drop(w.txtNotes->viewport()); }},
  };
  for (const Edit& edit : edits) {
    SCOPED_TRACE(edit.name);
    oneSlideShown();
    edit.act(w());
    EXPECT_TRUE(slides().PresentationModified);
    EXPECT_EQ(model().Slides[1].Title, QStringLiteral("Title")) << "nothing stored before a store";
  }
}

TEST_F(SlidePanelEditsTest, UndoingAnEditIsAnEditToo) {
  oneSlideShown();
  QTest::keyClicks(w().txtNotes, "x");
  QTest::keyClicks(w().txtSlideTitle, "y");
  slides().PresentationModified = false;
  QTest::keyClick(w().txtNotes, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(slides().PresentationModified);
  slides().PresentationModified = false;
  QTest::keyClick(w().txtSlideTitle, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_TRUE(slides().PresentationModified);
}

TEST_F(SlidePanelEditsTest, DirectionAndWarningClicksMarkModified) {
  for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
           w().optCountDesc, w().optCountAsc, w().chkVibrateDevice}) {
    SCOPED_TRACE(button->text().toStdString());
    oneSlideShown();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(slides().PresentationModified);
  }
}

// The time boxes

TEST_F(SlidePanelEditsTest, ChoosingMinutesStoresThePanelAndUpdatesTheTotal) {
  oneSlideShown();
  QTest::keyClicks(w().txtSlideTitle, QStringLiteral(" typed"));
  slides().PresentationModified = false;

  chooseTime(w().comMin, 45);

  EXPECT_EQ(w().comMin->currentText(), QStringLiteral("45"));
  EXPECT_EQ(model().Slides[1].DurationMinutes, 45);
  EXPECT_EQ(model().Slides[1].Title, QStringLiteral("Title typed")) << "the whole panel is stored";
  EXPECT_TRUE(slides().PresentationModified);
  EXPECT_EQ(w().totalTimeText(), QStringLiteral("Total Time:   0 Hrs.  45 Min."));
}

TEST_F(SlidePanelEditsTest, ChoosingSecondsOnlyMarksModified) {
  oneSlideShown();
  const QString total = w().totalTimeText();

  chooseTime(w().comSec, 50);

  EXPECT_EQ(w().comSec->currentText(), QStringLiteral("50"));
  EXPECT_TRUE(slides().PresentationModified);
  EXPECT_EQ(model().Slides[1].DurationSeconds, 15) << "stored with the panel's next store";
  EXPECT_EQ(w().totalTimeText(), total);
  slides().StoreSlideFields(1);
  EXPECT_EQ(model().Slides[1].DurationSeconds, 50);
}

TEST_F(SlidePanelEditsTest, TypedCharactersInTheTimeBoxesAreDiscarded) {
  oneSlideShown();
  QApplication::clipboard()->setText(QStringLiteral("33"));
  for (QComboBox* box : {w().comMin, w().comSec}) {
    SCOPED_TRACE(box == w().comMin ? "minutes" : "seconds");
    const QString shown = box->currentText();
    QTest::keyClicks(box, QStringLiteral("7x"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->currentText(), shown);
  }
  EXPECT_FALSE(slides().PresentationModified);
  EXPECT_EQ(model().Slides[1].DurationMinutes, 2);
  EXPECT_EQ(model().Slides[1].DurationSeconds, 15);

  // The arrow keys still choose.
  QTest::keyClick(w().comMin, Qt::Key_Down);
  EXPECT_NE(w().comMin->currentText(), QStringLiteral("02"));
  EXPECT_TRUE(slides().PresentationModified);
}

TEST_F(SlidePanelEditsTest, OpeningATimeListRefreshesTheTotal) {
  oneSlideShown();
  model().Slides[1].DurationMinutes = 90;
  for (QComboBox* box : {w().comMin, w().comSec}) {
    w().setTotalTimeText(QString());
    box->showPopup();
    EXPECT_EQ(w().totalTimeText(), QStringLiteral("Total Time:   1 Hrs.  30 Min."));
    box->hidePopup();
  }
  EXPECT_FALSE(slides().PresentationModified);
}

}  // namespace
