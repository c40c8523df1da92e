#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

#include "editor/EditorServices.h"
#include "editor/frmMain.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/X11KeyboardLocks.h"
#include "shared/libPresentation.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/TestPrinting.h"

// The editor and the agent as a user has them installed in one program folder: the notes typed
// into the editor's window, over the desktop's real services and office, reach the handheld
// through the agent, the built program, which reads the notes file the editor saved. The two
// programs meet only through that file.
namespace {

constexpr int kPort = 42;
constexpr int kStartMs = 15000;
constexpr int kFrameMs = 30000;  // the agent's first ACTIVATE starts its office
constexpr int kEndMs = 20000;

const QString kPresentationFolder = QStringLiteral("Shared/Presentations");
const QString kPresentationName = QStringLiteral("presentation.odp");

// What the user gives each slide in the editor.
struct SlideEntry {
  QString title;
  // Typed as it stands; a line break is the Return key.
  QString note;
  int minutes;
  int seconds;
  bool descending;
  bool warning;
};

const SlideEntry kSlides[] = {
    {QStringLiteral("Hello & welcome <all>"), QStringLiteral("Smile first"), 2, 30, false, false},
    {QStringLiteral("The figures"), QStringLiteral("Sales up 4%\nCosts down"), 0, 45, true, true},
    {QStringLiteral("Questions?"), QStringLiteral("Keep it short"), 59, 0, false, false},
};

// The entry the handheld gets for slide n (1-based) of kSlides, as the agent frames it.
QString expectedEntry(int n) {
  const SlideEntry& slide = kSlides[n - 1];
  int total = 0;
  for (const SlideEntry& each : kSlides) {
    total += each.minutes * 60 + each.seconds;
  }
  QString note = slide.note;
  // The notes file keeps CR LF line ends; the simulator shows control bytes escaped.
  note.replace(QStringLiteral("\n"), QStringLiteral("\\x0D\\x0A"));
  const auto flag = [](bool on) { return on ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); };
  return QStringLiteral(
             "<<PRESNOTE|UPDATE|<CURRENT_SLIDE>%1</CURRENT_SLIDE><SLIDE_COUNT>3</SLIDE_COUNT>"
             "<TITLE>%2</TITLE><NOTE>%3</NOTE><ASCENDING>%4</ASCENDING>"
             "<DURATION_MINUTES>%5</DURATION_MINUTES><DURATION_SECONDS>%6</DURATION_SECONDS>"
             "<WARNING>%7</WARNING><AUTO_NEXT_SLIDE>FALSE</AUTO_NEXT_SLIDE>"
             "<TOTAL_TIME>%8</TOTAL_TIME> >>")
      .arg(n)
      .arg(slide.title, note, flag(!slide.descending))
      .arg(slide.minutes)
      .arg(slide.seconds)
      .arg(flag(slide.warning))
      .arg(total);
}

class EditorMeetsAgentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    ASSERT_TRUE(QDir(folder_.path()).mkpath(QStringLiteral("Shared/Presentations/Notes")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(CORVANE_AGENT_PROGRAM), agentPath()));
    ASSERT_TRUE(QFile::setPermissions(agentPath(),
                                      QFile::permissions(QStringLiteral(CORVANE_AGENT_PROGRAM))));
    const int made =
        QProcess::execute(QStringLiteral("bash"), {QStringLiteral(CORVANE_MAKE_PRESENTATIONS),
                                                   QStringLiteral(CORVANE_PRESENTATION_FIXTURE),
                                                   folder_.filePath(kPresentationFolder)});
    ASSERT_EQ(made, 0) << "the test presentations could not be made";
  }

  void TearDown() override {
    if (agent_.state() != QProcess::NotRunning) {
      agent_.kill();
      agent_.waitForFinished(kEndMs);
    }
  }

  [[nodiscard]] QString agentPath() const { return folder_.filePath(QStringLiteral("Corvane")); }
  [[nodiscard]] QString presentationPath() const {
    return folder_.filePath(kPresentationFolder + u'/' + kPresentationName);
  }
  [[nodiscard]] QString notesPath() const {
    return folder_.filePath(QStringLiteral("Shared/Presentations/Notes/Notes_") +
                            kPresentationName + QStringLiteral(".xml"));
  }

  // The user clicks slide n in the list.
  static void clickSlide(quenlow::frmMain& window, int n) {
    QListWidget* list = window.List1;
    QListWidgetItem* item = list->item(n - 1);
    ASSERT_NE(item, nullptr) << "no list entry for slide " << n;
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(item).center());
  }

  // The user picks `value` from a time box's list.
  static void chooseTime(QComboBox* box, int value) {
    const int index = box->findText(QString::number(value).rightJustified(2, u'0'));
    ASSERT_GE(index, 0);
    box->setCurrentIndex(index);
    emit box->activated(index);
  }

  // The user replaces the shown slide's texts and picks its time, direction and warning.
  static void enterSlide(quenlow::frmMain& window, const SlideEntry& slide) {
    window.txtSlideTitle->setFocus();
    window.txtSlideTitle->selectAll();
    QTest::keyClick(window.txtSlideTitle, Qt::Key_Delete);
    QTest::keyClicks(window.txtSlideTitle, slide.title);

    window.txtNotes->setFocus();
    window.txtNotes->selectAll();
    QTest::keyClick(window.txtNotes, Qt::Key_Delete);
    const QStringList lines = slide.note.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (i > 0) {
        QTest::keyClick(window.txtNotes, Qt::Key_Return);
      }
      QTest::keyClicks(window.txtNotes, lines[i]);
    }

    QAbstractButton* direction = slide.descending
                                     ? static_cast<QAbstractButton*>(window.optCountDesc)
                                     : static_cast<QAbstractButton*>(window.optCountAsc);
    if (!direction->isChecked()) {
      QTest::mouseClick(direction, Qt::LeftButton);
    }
    if (window.chkVibrateDevice->isChecked() != slide.warning) {
      QTest::mouseClick(window.chkVibrateDevice, Qt::LeftButton);
    }
    chooseTime(window.comMin, slide.minutes);
    chooseTime(window.comSec, slide.seconds);
  }

  // In the editor: open the presentation (no notes yet), give every slide its entry, save.
  void prepareNotesInTheEditor() {
    LinuxPlatform desktop;
    X11KeyboardLocks locks;
    libPresentation presentation(desktop.office, desktop.pump);
    FakeFileDialogs dialogs;
    FakeMessageBoxes boxes;
    dialogs.answers.push_back(presentationPath());
    quenlow::frmMain window(quenlow::EditorServices{boxes, dialogs, desktop.shell, locks,
                                                    presentation, folder_.path()});
    window.Form_Load();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    window.m_OpenPres->trigger();
    ASSERT_EQ(dialogs.asked.size(), 1u) << "the open dialog was not asked";
    EXPECT_EQ(QDir::cleanPath(dialogs.asked.front().startFolder),
              QDir::cleanPath(folder_.filePath(kPresentationFolder)));
    // Titles and notes came from the office, the first slide in the panel.
    ASSERT_EQ(window.List1->count(), 3);
    EXPECT_EQ(window.txtSlideTitle->text(), QStringLiteral("Welcome"));
    EXPECT_EQ(window.txtNotes->toPlainText(), QStringLiteral("Greet the room"));
    clickSlide(window, 2);
    EXPECT_EQ(window.txtSlideTitle->text(), QStringLiteral("Results"));
    EXPECT_EQ(window.txtNotes->toPlainText(), QStringLiteral("Walk through the figures\nline two"));

    for (int n = 1; n <= 3; ++n) {
      SCOPED_TRACE(n);
      clickSlide(window, n);
      enterSlide(window, kSlides[n - 1]);
    }
    window.m_savePres->trigger();

    std::vector<QString> shown;
    for (const FakeMessageBoxes::Shown& box : boxes.shown) {
      shown.push_back(box.title + QStringLiteral(": ") + box.text);
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.front(),
              QStringLiteral("Presentation Notes Saved: Your notes have been saved."));
    window.hide();
  }

  QTemporaryDir folder_;
  QTemporaryDir link_;
  SimulatorProcess simulator_;
  QProcess agent_;
};

TEST_F(EditorMeetsAgentTest, TheHandheldGetsWhatWasTypedIntoTheEditor) {
  prepareNotesInTheEditor();
  if (HasFatalFailure()) {
    return;
  }
  ASSERT_TRUE(QFile::exists(notesPath())) << "no notes file at " << notesPath().toStdString();

  const QString device = link_.filePath(QStringLiteral("handheld"));
  ASSERT_TRUE(simulator_.start(device));
  QFile config(folder_.filePath(QStringLiteral("config.ini")));
  ASSERT_TRUE(config.open(QIODevice::WriteOnly));
  config.write(QByteArray("[Communications]\r\nPort=") + QByteArray::number(kPort) + "\r\n");
  config.close();
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("CORVANE_SERIAL_PORTS"),
                     QStringLiteral("%1=%2").arg(kPort).arg(device));
  environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
  agent_.setProcessEnvironment(environment);
  agent_.setProcessChannelMode(QProcess::ForwardedChannels);
  agent_.start(agentPath(), {});
  ASSERT_TRUE(agent_.waitForStarted(kStartMs));

  // The link comes up a moment after the process: ask until the agent answers.
  ASSERT_TRUE(SimulatorProcess::waitUntil(
      [&] {
        const std::size_t before = simulator_.received().size();
        simulator_.send(QStringLiteral("<<INFO|VERSION|>>"));
        return !simulator_.frameMatching(QStringLiteral("^<<INFO\\|VERSION\\|"), before, 1000)
                    .isEmpty();
      },
      kStartMs))
      << "the agent never answered";

  const QString entry = QStringLiteral("^<<PRESNOTE\\|UPDATE\\|");
  std::size_t before = simulator_.received().size();
  simulator_.send(QStringLiteral("<<ACTIVATE|Presentations|") + kPresentationName +
                  QStringLiteral(">>"));
  EXPECT_EQ(simulator_.frameMatching(entry, before, kFrameMs), expectedEntry(1));
  for (int n = 2; n <= 3; ++n) {
    SCOPED_TRACE(n);
    before = simulator_.received().size();
    simulator_.send(QStringLiteral("<<PRESENT|RIGHT|>>"));
    simulator_.send(QStringLiteral("<<PRESENT|SEND_NOTES|>>"));
    EXPECT_EQ(simulator_.frameMatching(entry, before, kFrameMs), expectedEntry(n));
  }

  // Ended as the desktop ends it, the agent takes its office down with it.
  ASSERT_EQ(kill(static_cast<pid_t>(agent_.processId()), SIGTERM), 0);
  EXPECT_TRUE(agent_.waitForFinished(kEndMs));
}

}  // namespace
