#pragma once

#include <QAbstractItemView>
#include <QComboBox>
#include <QListWidget>
#include <QPoint>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "editor/EditorServices.h"
#include "editor/LibSlideMgr.h"
#include "editor/frmMain.h"
#include "shared/libPresentation.h"
#include "tests/support/EventWait.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeEventPump.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/FakeKeyboardLocks.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/ScriptedPresentationProgram.h"
#include "tests/support/TestPrinting.h"

// The editor's main window over doubles of the desktop: answered message boxes and file dialogs,
// a recording shell, a keyboard whose Caps Lock the test sets, and a scripted presentation
// program, with a private program folder. A fixture derives from it beside testing::Test and
// calls load(), which builds the window, runs its start-up and shows it (off screen).
class EditorWindowRig {
 protected:
  void load() {
    window_ = std::make_unique<quenlow::frmMain>(
        quenlow::EditorServices{boxes_, dialogs_, shell_, locks_, presentation_, dir_.path()});
    window_->Form_Load();
    window_->show();
  }

  [[nodiscard]] quenlow::frmMain& w() { return *window_; }
  [[nodiscard]] quenlow::LibSlideMgr& slides() { return window_->slides(); }
  [[nodiscard]] PresentationModel& model() { return presentation_.Model; }

  // A model holding these slides, as a load leaves it (element 0 unused); the list shows them
  // and, as after opening a presentation, no slide is displayed yet.
  void setSlides(const std::vector<SlideRecord>& records) {
    slides().DisplayedSlide = 0;
    model().Slides.assign(1, SlideRecord{});
    model().Slides.insert(model().Slides.end(), records.begin(), records.end());
    model().SlideCount = static_cast<qint32>(records.size());
    slides().RefreshSlideList();
  }

  // The user clicks the list entry of slide n.
  void clickSlide(int n) {
    QListWidget* list = w().List1;
    QListWidgetItem* item = list->item(n - 1);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(item).center());
  }

  // The user chooses the entry `index` of a time box's list with the arrow keys.
  static void chooseTime(QComboBox* box, int index) {
    box->setCurrentIndex(index > 0 ? index - 1 : 1);
    QTest::keyClick(box, index > 0 ? Qt::Key_Down : Qt::Key_Up);
  }

  static bool waitUntil(const std::function<bool()>& condition, int boundMs = 5000) {
    return waitForCondition(condition, boundMs);
  }

  QTemporaryDir dir_;
  FakeMessageBoxes boxes_;
  FakeFileDialogs dialogs_;
  FakeDesktopShell shell_;
  FakeKeyboardLocks locks_;
  ScriptedPresentationProgram program_;
  FakeEventPump pump_;
  libPresentation presentation_{program_, pump_};
  std::unique_ptr<quenlow::frmMain> window_;
};
