#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <memory>

#include "agent/LibAppREg.h"
#include "agent/LibWMPCustom.h"
#include "agent/frmAbout.h"
#include "agent/libWMP.h"
#include "tests/support/FakeAudioMixers.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeMediaPlayer.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/TestPrinting.h"
#include "tools/ManualDocument.h"

namespace {

const QString kWebSite = QStringLiteral("https://corvane.example/");

// The About box over doubles of the desktop, in a program folder of its own. The box is made
// before the product's identity is set, as in the program, where the main window's load sets it.
class AboutBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    product_.InitProductInfo(QStringLiteral("2.1.7"));
  }

  void TearDown() override {
    // Boxes closed by a test go at the next turn of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  frmAbout& open() {
    about_.ShowAboutForm();
    frmAbout* form = about_.form();
    EXPECT_NE(form, nullptr);
    return *form;
  }

  [[nodiscard]] QString manualPath() const {
    return folder_.path() + QStringLiteral("/qzDocumentation.pdf");
  }

  static int openBoxes() {
    int count = 0;
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
      if (qobject_cast<const frmAbout*>(widget) != nullptr && widget->isVisible()) {
        ++count;
      }
    }
    return count;
  }

  QTemporaryDir folder_;
  FakeMessageBoxes boxes_;
  FakeDesktopShell shell_;
  FakeMediaPlayers players_;
  FakeAudioMixers mixers_;
  libWMP media_{players_};
  LibWMPCustom volume_{mixers_};
  LibAppREg product_{media_, volume_};
  AboutBox about_{AboutBoxServices{boxes_, shell_, folder_.path()}, product_};
};

TEST_F(AboutBoxTest, ShowsTheProductItsVersionAndTheWarning) {
  frmAbout& form = open();
  EXPECT_EQ(form.windowTitle(), QStringLiteral("About CorvaneControl - Desktop"));
  EXPECT_EQ(form.lblVersion->text(), QStringLiteral("Version 2.1.7"));
  EXPECT_EQ(form.lblTitle->text(), QStringLiteral("Corvane"));
  EXPECT_TRUE(form.lblDisclaimer->text().startsWith(u"Warning:"));
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.parentWidget(), nullptr) << "no owner";
  EXPECT_EQ(form.windowModality(), Qt::NonModal);
  EXPECT_TRUE(form.isWindow());

  const QString artefacts = QStringLiteral(CORVANE_TEST_ARTIFACTS);
  ASSERT_TRUE(QDir().mkpath(artefacts));
  EXPECT_TRUE(form.grab().save(artefacts + QStringLiteral("/about-box.png")));
}

TEST_F(AboutBoxTest, CaptionNamesOnlyTheKnownProductCodes) {
  const struct {
    const char* code;
    const char* caption;
  } cases[] = {
      {"QZD", "About CorvaneControl - Desktop"},
      {"QZ", "About CorvaneControl - Desktop"},
      {"qzd", "About  - Desktop"},
      {"", "About  - Desktop"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    product_.ProductCode = QString::fromLatin1(c.code);
    EXPECT_EQ(open().windowTitle(), QString::fromLatin1(c.caption));
    about_.form()->cmdOK_Click();
  }
}

TEST_F(AboutBoxTest, ASecondRequestRaisesTheOpenBox) {
  frmAbout& first = open();
  first.lblDisclaimer->setText(QStringLiteral("still the first"));
  first.showMinimized();
  about_.ShowAboutForm();
  EXPECT_EQ(about_.form(), &first);
  EXPECT_EQ(openBoxes(), 1);
  EXPECT_FALSE(first.isMinimized()) << "brought back to the front";
  EXPECT_EQ(first.lblDisclaimer->text(), QStringLiteral("still the first")) << "not loaded again";
}

// Every way out unloads the box, and the next request makes a new one.
TEST_F(AboutBoxTest, EveryWayOutUnloadsTheBox) {
  const struct {
    const char* way;
    void (*close)(frmAbout&);
  } ways[] = {
      {"OK", [](frmAbout& form) { QTest::mouseClick(form.cmdOK, Qt::LeftButton); }},
      {"Escape", [](frmAbout& form) { QTest::keyClick(form.cmdCredit, Qt::Key_Escape); }},
      {"window manager", [](frmAbout& form) { form.close(); }},
  };
  for (const auto& w : ways) {
    SCOPED_TRACE(w.way);
    QPointer<frmAbout> form = &open();
    product_.ProductVersion = QStringLiteral("3.0.1");
    w.close(*form);
    EXPECT_EQ(about_.form(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull()) << "unloaded";
    EXPECT_EQ(openBoxes(), 0);

    EXPECT_EQ(open().lblVersion->text(), QStringLiteral("Version 3.0.1")) << "made afresh";
    about_.form()->close();
    product_.ProductVersion = QStringLiteral("2.1.7");
  }
  EXPECT_TRUE(shell_.opened.isEmpty());
}

// With the main window hidden in the tray, the About box may be the only window on screen: closing
// it must not count as the program's last window closing, which would end the agent.
TEST_F(AboutBoxTest, ClosingTheOnlyOpenBoxLeavesTheProgramRunning) {
  constexpr int kStillRunning = 7;
  for (const QWidget* widget : QApplication::topLevelWidgets()) {
    ASSERT_FALSE(widget->isVisible()) << "another window is on screen";
  }
  QSignalSpy lastWindow(qApp, &QGuiApplication::lastWindowClosed);
  open();
  QTimer::singleShot(0, qApp, [this] { about_.form()->cmdOK_Click(); });
  // An application that ends on its own leaves its loop at once; one that keeps running is
  // ended here.
  QTimer::singleShot(200, qApp, [] { QCoreApplication::exit(kStillRunning); });
  EXPECT_EQ(QApplication::exec(), kStillRunning);
  EXPECT_EQ(lastWindow.count(), 0);
  EXPECT_EQ(about_.form(), nullptr);
}

TEST_F(AboutBoxTest, HelpOpensTheManualOrSaysItIsMissing) {
  enum class Manual { File, Missing, Folder };
  const struct {
    const char* name;
    Manual manual;
  } cases[] = {
      {"present", Manual::File},
      {"missing", Manual::Missing},
      {"a folder of that name", Manual::Folder},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    shell_.opened.clear();
    boxes_.shown.clear();
    QFile::remove(manualPath());
    QDir(manualPath()).removeRecursively();
    if (c.manual == Manual::File) {
      QFile manual(manualPath());
      ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
      manual.write("%PDF-1.4\n");
    } else if (c.manual == Manual::Folder) {
      ASSERT_TRUE(QDir().mkpath(manualPath()));
    }

    frmAbout& form = open();
    QTest::mouseClick(form.cmdHelpFiles, Qt::LeftButton);
    if (c.manual == Manual::File) {
      EXPECT_EQ(shell_.opened, QStringList{manualPath()});
      EXPECT_TRUE(boxes_.shown.empty());
    } else {
      EXPECT_TRUE(shell_.opened.isEmpty());
      ASSERT_EQ(boxes_.shown.size(), 1U);
      EXPECT_EQ(boxes_.shown[0].icon, MessageBoxIcon::Critical);
      EXPECT_EQ(boxes_.shown[0].buttons, MessageBoxButtons::Ok);
      EXPECT_EQ(boxes_.shown[0].text, QStringLiteral("Help file not found."));
      EXPECT_EQ(boxes_.shown[0].title, QStringLiteral("Help File Not Found"));
    }
    EXPECT_EQ(about_.form(), &form) << "the box stays open";
    EXPECT_TRUE(form.isVisible());
  }
}

TEST_F(AboutBoxTest, CheckForUpdatesOpensThisVersionsPageAndCloses) {
  const struct {
    const char* version;
    const char* page;
  } cases[] = {
      {"2.1.7", "QZD_217.htm"},
      {"1.0.0", "QZD_100.htm"},
      // The numbers run together: these two versions ask for the same page.
      {"1.12.3", "QZD_1123.htm"},
      {"11.2.3", "QZD_1123.htm"},
      {"10.0.12", "QZD_10012.htm"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    shell_.opened.clear();
    product_.ProductVersion = QString::fromLatin1(c.version);
    QPointer<frmAbout> form = &open();
    QTest::mouseClick(form->cmdCheckUpdate, Qt::LeftButton);
    EXPECT_EQ(shell_.opened,
              QStringList{kWebSite + QStringLiteral("updatecheck/") + QString::fromLatin1(c.page)});
    EXPECT_EQ(about_.form(), nullptr) << "the box closes";
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
  }
}

TEST_F(AboutBoxTest, CreditShowsTheCreditsInTwelvePointType) {
  frmAbout& form = open();
  const QString warning = form.lblDisclaimer->text();
  QTest::mouseClick(form.cmdCredit, Qt::LeftButton);
  EXPECT_EQ(form.lblDisclaimer->text(), frmAbout::CreditText());
  EXPECT_NE(form.lblDisclaimer->text(), warning);
  EXPECT_EQ(form.lblDisclaimer->font().pointSize(), 12);
  // The larger type must still fit the label: a user reads all of it.
  const QRect needed = form.lblDisclaimer->fontMetrics().boundingRect(
      form.lblDisclaimer->contentsRect(), Qt::TextWordWrap, form.lblDisclaimer->text());
  EXPECT_LE(needed.height(), form.lblDisclaimer->contentsRect().height());
  EXPECT_TRUE(form.isVisible());
  EXPECT_TRUE(shell_.opened.isEmpty());

  const QString artefacts = QStringLiteral(CORVANE_TEST_ARTIFACTS);
  ASSERT_TRUE(QDir().mkpath(artefacts));
  EXPECT_TRUE(form.grab().save(artefacts + QStringLiteral("/about-box-credits.png")));
}

TEST_F(AboutBoxTest, ClickingTheDisclaimerOpensTheLegalPage) {
  frmAbout& form = open();
  QLabel* label = form.lblDisclaimer;
  // Pressed on the text but released away from it: no click.
  QTest::mousePress(label, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(label->width() + 40, 5));
  EXPECT_TRUE(shell_.opened.isEmpty());

  QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(shell_.opened, QStringList{kWebSite + QStringLiteral("legal.htm")});
  EXPECT_EQ(about_.form(), &form) << "the box stays open";

  // The credits take the warning's place, not its link.
  QTest::mouseClick(form.cmdCredit, Qt::LeftButton);
  QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(shell_.opened.size(), 2);
}

// The manual that the build writes into the program folder.
TEST(ManualTest, TheBuildPutsAPdfOfTheWholeManualInTheProgramFolder) {
  QFile pdf(QStringLiteral(CORVANE_MANUAL_PDF));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << CORVANE_MANUAL_PDF;
  const QByteArray bytes = pdf.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF-"));
  EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF")) << "written to its end";
  EXPECT_GT(bytes.size(), 20 * 1024);

  qsizetype pages = 0;
  for (qsizetype at = bytes.indexOf("/Type /Page"); at >= 0;
       at = bytes.indexOf("/Type /Page", at + 1)) {
    if (bytes.mid(at + 11, 1) != "s") {
      ++pages;
    }
  }
  QFile source(QStringLiteral(CORVANE_MANUAL_SOURCE));
  ASSERT_TRUE(source.open(QIODevice::ReadOnly));
  qsizetype chapters = 0;
  for (const QByteArray& line : source.readAll().split('\n')) {
    chapters += line.startsWith("# ") ? 1 : 0;
  }
  EXPECT_GE(chapters, 8);
  EXPECT_GE(pages, chapters) << "every chapter starts a page";
}

TEST(ManualTest, CoversWhatAUserHasToDo) {
  QFile source(QStringLiteral(CORVANE_MANUAL_SOURCE));
  ASSERT_TRUE(source.open(QIODevice::ReadOnly));
  const std::unique_ptr<QTextDocument> manual =
      ManualDocument::fromMarkdown(QString::fromUtf8(source.readAll()));
  const QString text = manual->toPlainText();
  for (const char* topic : {
           "bash scripts/start-agent.sh",  // installing
           "bluetoothctl",
           "pair 00:11:22:33:44:55",
           "trust 00:11:22:33:44:55",
           "rfcomm bind",  // pairing
           "COM65",
           "Scan",
           "Play",  // choosing the port
           "tray",
           "Launcher",
           "Statistics",
           "debug",
           "RCV:",  // the window
           "Shared/Presentations/Notes",
           "Quenlow",  // notes and the editor
           "Currently in Use",
           "Hotsync was requested",
           "No tray icon",
           "LibreOffice",  // troubleshooting
       }) {
    EXPECT_TRUE(text.contains(QString::fromLatin1(topic))) << topic;
  }
  EXPECT_FALSE(text.contains(u'#')) << "the Markdown was read, not printed as it stands";

  // Each chapter after the title page starts a page of its own.
  int chapters = 0;
  for (QTextBlock block = manual->begin(); block.isValid(); block = block.next()) {
    if (block.blockFormat().headingLevel() != 1) {
      continue;
    }
    const bool breaks =
        block.blockFormat().pageBreakPolicy().testFlag(QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_EQ(breaks, chapters > 0) << block.text().toStdString();
    ++chapters;
  }
  EXPECT_GE(chapters, 8);
}

}  // namespace
