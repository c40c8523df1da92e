#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <initializer_list>

#include "editor/frmPresent.h"
#include "tests/support/EditorWindowRig.h"

namespace {

using quenlow::frmMain;

const QString kZeroTotal = QStringLiteral("Total Time:   0 Hrs.  0 Min.");

class EditorWindowTest : public EditorWindowRig, public testing::Test {
 protected:
  void SetUp() override { load(); }

  std::vector<QWidget*> panelControls() {
    return {w().txtSlideTitle,     w().comMin,           w().comSec,         w().optCountAsc,
            w().optCountDesc,      w().chkVibrateDevice, w().cmdRemoveSlide, w().cmdPresent,
            w().cmdApplyAllSlides, w().txtNotes};
  }

  static QStringList entries(const QComboBox* box) {
    QStringList all;
    for (int i = 0; i < box->count(); ++i) {
      all << box->itemText(i);
    }
    return all;
  }
};

TEST_F(EditorWindowTest, StartsWithAnEmptyDisabledPanelAndNothingToSave) {
  QStringList sixty;
  for (int i = 0; i < 60; ++i) {
    sixty << QString::asprintf("%02d", i);
  }
  for (const QComboBox* box : {w().comMin, w().comSec}) {
    EXPECT_EQ(entries(box), sixty);
    EXPECT_EQ(box->currentText(), QStringLiteral("00"));
  }
  for (QWidget* control : panelControls()) {
    EXPECT_FALSE(control->isEnabled()) << control->metaObject()->className();
  }
  EXPECT_TRUE(w().cmdAddSlide->isEnabled());
  EXPECT_TRUE(w().List1->isEnabled());
  EXPECT_EQ(w().List1->count(), 0);
  EXPECT_TRUE(w().optCountAsc->isChecked());
  EXPECT_FALSE(w().chkVibrateDevice->isChecked());
  EXPECT_TRUE(w().fraSlideDet->title().isEmpty());
  EXPECT_EQ(w().lblFileName->text(),
            QStringLiteral("No Presentation loaded.  Please open a presentation or select new."));
  EXPECT_FALSE(slides().PresentationModified);
  EXPECT_EQ(slides().DisplayedSlide, 0);
  EXPECT_FALSE(w().m_update->menuAction()->isEnabled());
  EXPECT_TRUE(w().m_savePres->isEnabled());
  EXPECT_EQ(w().totalTimeText(), kZeroTotal);
  EXPECT_FALSE(w().Command1->isVisibleTo(&w()));
  EXPECT_FALSE(w().cmdLoad->isVisibleTo(&w()));
}

TEST_F(EditorWindowTest, WindowAndMenusCarryTheirCaptions) {
  EXPECT_EQ(w().windowTitle(), QStringLiteral("CorvaneControl Quenlow"));
  EXPECT_FALSE(w().windowIcon().isNull());
  EXPECT_EQ(w().client->size(), frmMain::kClientSize);
  EXPECT_EQ(w().minimumSize(), w().maximumSize()) << "the window cannot be resized";
  EXPECT_TRUE(w().windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(w().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

  const auto captions = [](const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions()) {
      texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
  };
  EXPECT_EQ(w().m_file->title(), QStringLiteral("&File"));
  EXPECT_EQ(captions(w().m_file), (QStringList{QStringLiteral("&New Presentation Notes"),
                                               QStringLiteral("&Open Presentation"),
                                               QStringLiteral("&Save Presentation Notes"),
                                               QStringLiteral("-"), QStringLiteral("E&xit")}));
  EXPECT_EQ(w().m_update->title(), QStringLiteral("&Update"));
  EXPECT_EQ(captions(w().m_update), QStringList{QStringLiteral("&Presentation Notes")});
  EXPECT_EQ(w().m_help->title(), QStringLiteral("&Help"));
  EXPECT_EQ(captions(w().m_help),
            (QStringList{QStringLiteral("Help &File"), QStringLiteral("&Visit our website"),
                         QStringLiteral("&About")}));
}

TEST_F(EditorWindowTest, NewNotesAskToSaveOnlyWhenModifiedAndEmptyEverything) {
  struct Case {
    const char* name;
    bool modified;
    MessageBoxAnswer answer;
  };
  for (const Case& c : {Case{"unmodified", false, MessageBoxAnswer::Yes},
                        Case{"modified, no", true, MessageBoxAnswer::No},
                        Case{"modified, yes", true, MessageBoxAnswer::Yes}}) {
    SCOPED_TRACE(c.name);
    boxes_.shown.clear();
    boxes_.answer = c.answer;
    setSlides({{QStringLiteral("one"), {}, 1, 0, true, false, false},
               {QStringLiteral("two"), {}, 2, 0, true, false, false}});
    clickSlide(2);
    w().lblFileName->setText(QStringLiteral("/talks/talk.ppt"));
    w().m_update->menuAction()->setEnabled(true);
    slides().PresentationModified = c.modified;

    w().m_NewPres->trigger();

    if (c.modified) {
      ASSERT_EQ(boxes_.shown.size(), 1u);
      EXPECT_EQ(boxes_.shown[0].text, QStringLiteral("Save the current presentation?"));
      EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Save Presentation?"));
      EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::None);
      EXPECT_EQ(boxes_.shown[0].buttons, MessageBoxButtons::YesNo);
    } else {
      EXPECT_TRUE(boxes_.shown.empty());
    }
    EXPECT_EQ(model().SlideCount, 0);
    EXPECT_EQ(model().Slides.size(), 2u);
    EXPECT_EQ(w().List1->count(), 0);
    EXPECT_TRUE(w().lblFileName->text().isEmpty());
    EXPECT_TRUE(w().fraSlideDet->title().isEmpty());
    EXPECT_TRUE(w().txtSlideTitle->text().isEmpty());
    EXPECT_FALSE(w().txtSlideTitle->isEnabled());
    EXPECT_EQ(slides().DisplayedSlide, 0);
    EXPECT_FALSE(slides().PresentationModified);
    EXPECT_FALSE(w().m_update->menuAction()->isEnabled());
    EXPECT_TRUE(w().m_savePres->isEnabled());
    EXPECT_EQ(w().totalTimeText(), kZeroTotal);
  }
}

TEST_F(EditorWindowTest, F1ReachesTheWindowOnceFromAnyControl) {
  w().cmdAddSlide->click();
  QSignalSpy help(&w(), &frmMain::helpKeyPressed);
  for (QWidget* control : std::initializer_list<QWidget*>{
           w().txtSlideTitle, w().txtNotes, w().List1, w().comMin, w().cmdAddSlide, &w()}) {
    SCOPED_TRACE(control->metaObject()->className());
    help.clear();
    QTest::keyClick(control, Qt::Key_F1);
    EXPECT_EQ(help.count(), 1);
  }
  help.clear();
  QTest::keyClick(w().txtNotes, Qt::Key_F2);
  EXPECT_EQ(help.count(), 0);
  EXPECT_EQ(w().txtSlideTitle->text(), QStringLiteral("<New Slide #1>"));
}

TEST_F(EditorWindowTest, CapsPanelFollowsTheKeyboardAndDatePanelShowsTheShortDate) {
  EXPECT_TRUE(w().panelCaps->text().isEmpty());
  locks_.capsLock = true;
  EXPECT_TRUE(waitUntil([this] { return w().panelCaps->text() == QStringLiteral("CAPS"); }));
  locks_.capsLock = false;
  EXPECT_TRUE(waitUntil([this] { return w().panelCaps->text().isEmpty(); }));
  // A Caps Lock key in the window asks at once, without waiting for the timer.
  locks_.capsLock = true;
  w().tmrLocks.stop();
  QTest::keyClick(w().txtSlideTitle, Qt::Key_CapsLock);
  EXPECT_EQ(w().panelCaps->text(), QStringLiteral("CAPS"));

  EXPECT_EQ(w().panelDate->text(),
            QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
  EXPECT_FALSE(w().panelDate->text().isEmpty());
}

TEST_F(EditorWindowTest, AssignTimesOpensOneDialogBesideTheWindow) {
  w().cmdAddSlide->click();
  ASSERT_TRUE(w().cmdPresent->isEnabled());
  w().cmdPresent->click();
  QPointer<quenlow::frmPresent> first = w().presentDialog();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isVisible());
  EXPECT_FALSE(first->isModal());
  EXPECT_EQ(first->parentWidget(), &w());

  w().cmdPresent->click();
  EXPECT_EQ(w().presentDialog(), first) << "a second press brings the open dialog forward";

  first->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull()) << "a closed dialog is gone";
  w().cmdPresent->click();
  ASSERT_NE(w().presentDialog(), nullptr);
  EXPECT_TRUE(w().presentDialog()->isVisible());
}

}  // namespace
