#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/linux/QtFileDialogs.h"
#include "tests/support/EditorWindowRig.h"
#include "tests/support/FileDialogDriver.h"

namespace {

// The editor's open and association requests as the user meets them: in Qt's own file dialog
// over a folder of presentations.
class NotesFileDialogsTest : public EditorWindowRig, public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(QDir().mkpath(folder() + QStringLiteral("/sub")));
    for (const char* name :
         {"a.ppt", "B.PPT", "c.Ppt", "d.pptx", "e.odp", "f.pps", "g.txt", "h.PPSX"}) {
      QFile file(folder() + u'/' + QString::fromLatin1(name));
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write("x");
    }
    load();
  }

  QString folder() const { return dir_.path() + QStringLiteral("/Shared/Presentations"); }

  // Shows the dialog through `show`; `act` gets it once it lists `expected` (the folder is read in
  // the background), or after a bound. A question the dialog asks is answered No and noted.
  QString run(const std::function<QString()>& show, const QStringList& expected,
              const std::function<void(QFileDialog&)>& act) {
    // A separate timer: the question comes up inside the click that `act` makes.
    QTimer questions;
    QObject::connect(&questions, &QTimer::timeout, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        asked_ = true;
        box->button(QMessageBox::No)->click();
        QTimer::singleShot(0, [] {
          if (auto* open = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            open->reject();
          }
        });
      }
    });
    questions.start(10);
    return DriveFileDialog(show, expected, act, kListingBoundMs, [this] { return asked_; });
  }

  static constexpr int kListingBoundMs = 5000;
  bool asked_ = false;
};

TEST_F(NotesFileDialogsTest, TheOpenDialogListsPresentationsOfEveryCaseUnderTheFirstFilter) {
  w().m_OpenPres->trigger();
  ASSERT_EQ(dialogs_.asked.size(), 1u);
  const FileDialogs::OpenFileRequest request = dialogs_.asked[0];

  const QStringList powerPoint{QStringLiteral("B.PPT"), QStringLiteral("a.ppt"),
                               QStringLiteral("c.Ppt"), QStringLiteral("d.pptx"),
                               QStringLiteral("sub")};
  const QStringList everyPresentation{QStringLiteral("B.PPT"),  QStringLiteral("a.ppt"),
                                      QStringLiteral("c.Ppt"),  QStringLiteral("d.pptx"),
                                      QStringLiteral("e.odp"),  QStringLiteral("f.pps"),
                                      QStringLiteral("h.PPSX"), QStringLiteral("sub")};
  QtFileDialogs dialogs;
  QStringList names;
  QStringList filters;
  QString selected;
  QString title;
  QString shownFolder;
  QStringList presentations;
  const QString chosen =
      run([&] { return dialogs.getOpenFileName(request); }, powerPoint,
          [&](QFileDialog& dialog) {
            names = ListedNames(dialog);
            filters = dialog.nameFilters();
            selected = dialog.selectedNameFilter();
            title = dialog.windowTitle();
            shownFolder = dialog.directory().absolutePath();
            dialog.selectNameFilter(filters.value(3));
            QTRY_COMPARE_WITH_TIMEOUT(ListedNames(dialog), everyPresentation, kListingBoundMs);
            presentations = ListedNames(dialog);
            auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(QStringLiteral("e.odp"));
            auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
            ASSERT_NE(buttons, nullptr);
            QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
          });
  EXPECT_EQ(title, QStringLiteral("Please Select Presentation"));
  EXPECT_EQ(shownFolder, QDir(folder()).absolutePath());
  EXPECT_EQ(
      filters,
      (QStringList{QStringLiteral("PowerPoint (*.ppt *.pptx)"),
                   QStringLiteral("PowerPoint (*.pps *.ppsx)"), QStringLiteral("All Files (*)"),
                   QStringLiteral("Presentations (*.ppt *.pps *.pptx *.ppsx *.odp)")}));
  EXPECT_EQ(selected, filters.value(0));
  EXPECT_EQ(names, powerPoint);
  EXPECT_EQ(presentations, everyPresentation);
  EXPECT_EQ(chosen, folder() + QStringLiteral("/e.odp"));
}

TEST_F(NotesFileDialogsTest, TheAssociationDialogTakesAPresentationThatIsThereWithoutAQuestion) {
  w().cmdAddSlide->click();
  w().m_savePres->trigger();
  ASSERT_EQ(dialogs_.askedToSave.size(), 1u);
  const FileDialogs::SaveFileRequest associate = dialogs_.askedToSave[0];

  // The same request with the question asked shows that the test would see one.
  for (const bool confirm : {false, true}) {
    SCOPED_TRACE(confirm ? "asking to replace" : "as the editor asks");
    asked_ = false;
    FileDialogs::SaveFileRequest request = associate;
    request.confirmOverwrite = confirm;
    QtFileDialogs dialogs;
    QString title;
    QStringList names;
    const QStringList powerPoint{QStringLiteral("B.PPT"), QStringLiteral("a.ppt"),
                                 QStringLiteral("c.Ppt"), QStringLiteral("d.pptx"),
                                 QStringLiteral("sub")};
    const QString chosen =
        run([&] { return dialogs.getSaveFileName(request); }, powerPoint,
            [&](QFileDialog& dialog) {
              title = dialog.windowTitle();
              names = ListedNames(dialog);
              auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
              ASSERT_NE(name, nullptr);
              name->setText(QStringLiteral("B.PPT"));
              auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
              ASSERT_NE(buttons, nullptr);
              QTest::mouseClick(buttons->button(QDialogButtonBox::Save), Qt::LeftButton);
            });
    EXPECT_EQ(title, QStringLiteral("Associate Notes With"));
    EXPECT_EQ(names, powerPoint);
    EXPECT_EQ(asked_, confirm);
    EXPECT_EQ(chosen, confirm ? QString() : folder() + QStringLiteral("/B.PPT"));
  }
}

}  // namespace
