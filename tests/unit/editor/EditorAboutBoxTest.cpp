#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QTest>
#include <functional>

#include "agent/frmAbout.h"
#include "editor/frmAbout.h"
#include "tests/support/EditorWindowRig.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeMessageBoxes.h"

namespace {

// The editor's About box over its main window, off screen.
class EditorAboutBoxTest : public testing::Test, protected EditorWindowRig {
 protected:
  EditorAboutBoxTest() { load(); }
  ~EditorAboutBoxTest() override {
    if (box_) {
      box_->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  quenlow::frmAbout& open() {
    box_ = new quenlow::frmAbout(&w());
    box_->show();
    return *box_;
  }

  // Whether the box is gone: closed and deleted, as the main window's guarded pointer sees it.
  bool gone() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return box_.isNull();
  }

  QPointer<quenlow::frmAbout> box_;
};

TEST_F(EditorAboutBoxTest, ShowsTheProgramItsVersionAndTheAgentsWarning) {
  const quenlow::frmAbout& box = open();
  EXPECT_EQ(box.windowTitle(), QStringLiteral("About CorvaneControl Quenlow"));
  EXPECT_EQ(box.lblTitle->text(), QStringLiteral("CorvaneControl Quenlow"));
  EXPECT_EQ(box.lblTitle->text(), w().windowTitle()) << "the main window's caption";
  EXPECT_EQ(box.lblVersion->text(), QStringLiteral("Version 1.2.1"));

  // The user reads the same warning in both programs' boxes.
  FakeMessageBoxes boxes;
  FakeDesktopShell shell;
  frmAbout agentBox(AboutBoxServices{boxes, shell, QDir::tempPath()}, AboutDetails{});
  agentBox.Form_Load();
  EXPECT_EQ(box.lblDisclaimer->text(), agentBox.lblDisclaimer->text());
  EXPECT_TRUE(box.lblDisclaimer->text().startsWith(u"Warning:"));

  // Every word of it and of the title is on the box, none cut off at the label's edges.
  for (const QLabel* label : {box.lblDisclaimer, box.lblTitle, box.lblVersion}) {
    SCOPED_TRACE(label->text().toStdString());
    const QRect needed = label->fontMetrics().boundingRect(
        label->contentsRect(), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, label->text());
    EXPECT_LE(needed.height(), label->contentsRect().height());
    EXPECT_LE(needed.width(), label->contentsRect().width());
  }

  const QString artefacts = QStringLiteral(CORVANE_TEST_ARTIFACTS);
  ASSERT_TRUE(QDir().mkpath(artefacts));
  EXPECT_TRUE(box_->grab().save(artefacts + QStringLiteral("/editor-about-box.png")));
}

// A small fixed dialog beside the main window, which stays usable, placed over the window.
TEST_F(EditorAboutBoxTest, IsAModelessFixedDialogCentredOnItsOwner) {
  w().move(40, 30);
  const quenlow::frmAbout& box = open();
  EXPECT_TRUE(box.isWindow());
  EXPECT_EQ(box.parentWidget(), &w());
  EXPECT_EQ(box.windowModality(), Qt::NonModal);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(box.size(), QSize(464, 245));
  EXPECT_EQ(box.minimumSize(), box.maximumSize()) << "not resizable";
  const Qt::WindowFlags flags = box.windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  const QPoint offset = box.frameGeometry().center() - w().frameGeometry().center();
  EXPECT_LE(offset.manhattanLength(), 2) << "box centre " << box.frameGeometry().center().x() << ","
                                         << box.frameGeometry().center().y();
  EXPECT_EQ(box.picIcon->size(), QSize(164, 314));
  EXPECT_FALSE(box.windowIcon().isNull());
}

// OK is the default and the cancel button: Enter and Esc press it, from wherever the focus is.
TEST_F(EditorAboutBoxTest, OkEnterAndEscCloseIt) {
  const struct {
    const char* way;
    std::function<void(quenlow::frmAbout&)> close;
  } ways[] = {
      {"OK", [](quenlow::frmAbout& box) { QTest::mouseClick(box.cmdOK, Qt::LeftButton); }},
      {"Return", [](quenlow::frmAbout& box) { QTest::keyClick(&box, Qt::Key_Return); }},
      {"Enter", [](quenlow::frmAbout& box) { QTest::keyClick(&box, Qt::Key_Enter); }},
      {"Esc", [](quenlow::frmAbout& box) { QTest::keyClick(&box, Qt::Key_Escape); }},
      {"Esc on OK", [](quenlow::frmAbout& box) { QTest::keyClick(box.cmdOK, Qt::Key_Escape); }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.way);
    quenlow::frmAbout& box = open();
    way.close(box);
    EXPECT_TRUE(gone()) << "the box is unloaded";
    EXPECT_TRUE(w().isVisible());
  }
}

}  // namespace
