#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "agent/AgentContext.h"
#include "agent/LibControls.h"
#include "agent/LibNewSendKey.h"
#include "editor/NotesWriter.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/VirtualRegistry.h"
#include "shared/NotesReader.h"
#include "tests/support/FakeAgentView.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/RecordingActions.h"
#include "tests/support/SimulatorProcess.h"
#include "tests/support/X11TestWindows.h"

// The handheld's road through a slide show, end to end but for the agent's windows: frames from
// the handheld simulator over a pseudo-terminal, the real link, dispatcher, window list,
// slide-show commands and input synthesis, and LibreOffice Impress under the test's own X desktop.
// The show's keys are pressed through the X server and move the show for real.
namespace {

constexpr int kPort = 42;
constexpr int kFrameWaitMs = 30000;  // a first load starts the office
constexpr int kSlideWaitMs = 10000;
constexpr int kForegroundIntervalMs = 1000;

const QString kNoNotesEntryOfSlide1 = QStringLiteral(
    "<<PRESNOTE|UPDATE|<CURRENT_SLIDE>1</CURRENT_SLIDE><SLIDE_COUNT>3</SLIDE_COUNT>"
    "<TITLE>Slide 1</TITLE><NOTE>No Notes/Slides defined for this presentation.</NOTE>"
    "<ASCENDING>TRUE</ASCENDING><DURATION_MINUTES>0</DURATION_MINUTES>"
    "<DURATION_SECONDS>0</DURATION_SECONDS><WARNING>FALSE</WARNING>"
    "<AUTO_NEXT_SLIDE>FALSE</AUTO_NEXT_SLIDE><TOTAL_TIME>-1</TOTAL_TIME> >>");
const QString kShowScreen = QStringLiteral("<<CHANGEUI|POWERPOINT|TRUE>>");

class SlideShowOverLinkTest : public ::testing::Test {
 protected:
  // One office and one set of presentations for the whole program, as the agent keeps its office.
  static void SetUpTestSuite() {
    folder_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(folder_->isValid());
    ASSERT_TRUE(QDir(folder_->path()).mkpath(QStringLiteral("Shared/Presentations/Notes")));
    ASSERT_TRUE(QDir(folder_->path()).mkpath(QStringLiteral("Shared/Docs")));
    const int status = QProcess::execute(
        QStringLiteral("bash"),
        {QStringLiteral(CORVANE_MAKE_PRESENTATIONS), QStringLiteral(CORVANE_PRESENTATION_FIXTURE),
         folder_->filePath(QStringLiteral("Shared/Talks"))});
    ASSERT_EQ(status, 0) << "the test presentations could not be made";
    desktop_ = std::make_unique<LinuxPlatform>();
  }

  static void TearDownTestSuite() {
    desktop_.reset();
    folder_.reset();
  }

  void SetUp() override {
    ASSERT_TRUE(folder_ && desktop_);
    ASSERT_TRUE(link_.isValid());
    const QString device = link_.filePath(QStringLiteral("handheld"));
    ASSERT_TRUE(simulator_.start(device));
    map_ = std::make_unique<LinuxSerialPortMap>(QStringLiteral("%1=%2").arg(kPort).arg(device),
                                                link_.filePath(QStringLiteral("none")),
                                                link_.filePath(QStringLiteral("none")));
    devices_ = std::make_unique<TermiosSerialDevices>(*map_);
    QFile config(folder_->filePath(QStringLiteral("config.ini")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write("[Communications]\r\nPort=42\r\n");
    config.close();

    LinuxPlatform& d = *desktop_;
    agent_ = std::make_unique<AgentContext>(
        AgentPlatform{*devices_, *map_, d.profiles, d.clock, d.pump, boxes_, d.office, d.windows,
                      d.shell, registry_},
        view_, AgentActions{controls_, actions_, actions_, actions_}, folder_->path());
    agent_->settings.LoadConfig();
    agent_->serial.FillPortList();
    agent_->serial.StartSerialLink();
    ASSERT_TRUE(agent_->serial.PortOpen);
    QObject::connect(&tick_, &QTimer::timeout, [this] { agent_->receiveLoop.tmrCOM_Timer(); });
    tick_.start(10);
    QObject::connect(&foreground_, &QTimer::timeout,
                     [this] { agent_->notify.ForegroundTimer_Tick(); });
    foreground_.start(kForegroundIntervalMs);
  }

  void TearDown() override {
    if (agent_) {
      tick_.stop();
      foreground_.stop();
      agent_->presentation.ClosePowerPoint();
    }
  }

  // The first frame from `from` on that matches; "" when none came in time.
  QString frameMatching(const QString& pattern, std::size_t from = 0,
                        int timeoutMs = kFrameWaitMs) {
    return simulator_.frameMatching(pattern, from, timeoutMs);
  }

  std::size_t framesSoFar() { return simulator_.received().size(); }

  // After a slide key from the handheld: the show stands at `slide` and the agent knows it.
  bool showAndAgentAtSlide(qint32 slide) {
    const auto& model = agent_->presentation.Model;
    return SimulatorProcess::waitUntil(
        [&] {
          const auto shown = desktop_->office.currentShowSlide(*model.PowerPointApp);
          return shown && *shown == slide && model.CurrentSlide == slide;
        },
        kSlideWaitMs);
  }

  // The entry the handheld gets when it asks for the current slide's notes.
  QString entryOnRequest() {
    const std::size_t before = framesSoFar();
    simulator_.send(QStringLiteral("<<PRESENT|SEND_NOTES|>>"));
    return frameMatching(QStringLiteral("^<<PRESNOTE\\|"), before);
  }

  // The show's window holds the keyboard before keys are sent to it.
  ::testing::AssertionResult showInFront() {
    QString last;
    const bool inFront = SimulatorProcess::waitUntil(
        [&] {
          const auto title = desktop_->windows.windowTitle(desktop_->windows.foregroundWindow());
          last = title.value_or(QStringLiteral("(none)"));
          return title && title->startsWith(QStringLiteral("Presenting"));
        },
        kSlideWaitMs);
    if (inFront) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "the window in front is " << last.toStdString();
  }

  static std::unique_ptr<QTemporaryDir> folder_;
  // The desktop's services, with one office for the whole program, as the agent keeps its office.
  static std::unique_ptr<LinuxPlatform> desktop_;

  QTemporaryDir link_;
  SimulatorProcess simulator_;
  std::unique_ptr<LinuxSerialPortMap> map_;
  std::unique_ptr<TermiosSerialDevices> devices_;
  FakeMessageBoxes boxes_;
  FakeAgentView view_;
  RecordingActions actions_;
  VirtualRegistry registry_{desktop_->shell};
  LibNewSendKey sendKey_{desktop_->input};
  LibControls controls_{desktop_->input, desktop_->input, sendKey_, desktop_->windows,
                        desktop_->clock};
  std::unique_ptr<AgentContext> agent_;
  QTimer tick_;
  // The main window's foreground timer.
  QTimer foreground_;
};

std::unique_ptr<QTemporaryDir> SlideShowOverLinkTest::folder_;
std::unique_ptr<LinuxPlatform> SlideShowOverLinkTest::desktop_;

TEST_F(SlideShowOverLinkTest, APresentationWithoutNotesRunsItsShowFromTheHandheld) {
  // The window the user works in when the handheld starts the show.
  X11TestWindows userWindows;
  const auto underneath = userWindows.open("minutes.txt - Notes");
  ASSERT_NE(underneath, 0UL);
  ASSERT_TRUE(userWindows.activate(underneath));

  simulator_.send(QStringLiteral("<<ACTIVATE|Talks|presentation.pptx>>"));
  ASSERT_EQ(frameMatching(QStringLiteral("^<<PRESNOTE\\|")), kNoNotesEntryOfSlide1);
  ASSERT_EQ(frameMatching(QStringLiteral("^<<CHANGEUI\\|POWERPOINT\\|TRUE>>$")), kShowScreen);
  const PresentationModel& model = agent_->presentation.Model;
  ASSERT_EQ(model.SlideCount, 3);
  EXPECT_EQ(model.Slides[2].Title, QStringLiteral("Results"));
  EXPECT_TRUE(model.ShowRunning);
  ASSERT_TRUE(showInFront());

  // Each slide key moves the show, and the entry asked for next is the new slide's.
  const struct {
    const char* command;
    qint32 slide;
  } steps[] = {{"RIGHT", 2}, {"RIGHT", 3}, {"LEFT", 2}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.command);
    simulator_.send(QStringLiteral("<<PRESENT|%1|>>").arg(QLatin1String(step.command)));
    ASSERT_TRUE(showAndAgentAtSlide(step.slide));
    const QString entry = entryOnRequest();
    EXPECT_TRUE(entry.startsWith(
        QStringLiteral("<<PRESNOTE|UPDATE|<CURRENT_SLIDE>%1</CURRENT_SLIDE><SLIDE_COUNT>3"
                       "</SLIDE_COUNT><TITLE>Slide %1</TITLE>")
            .arg(step.slide)))
        << entry.toStdString();
    EXPECT_TRUE(entry.endsWith(QStringLiteral("</TOTAL_TIME> >>")));
  }

  simulator_.send(QStringLiteral("<<PRESENT|STOP|>>"));
  ASSERT_TRUE(SimulatorProcess::waitUntil([&] { return !model.ShowRunning; }, kSlideWaitMs));
  // Once the show has gone, the user is back in their window, not in the office's editing
  // window, and the handheld is told so (asked for, since the periodic report may already have
  // gone out before this point).
  WindowSystem& windows = desktop_->windows;
  EXPECT_TRUE(SimulatorProcess::waitUntil([&] { return windows.foregroundWindow() == underneath; },
                                          kSlideWaitMs))
      << "the window in front is "
      << windows.windowTitle(windows.foregroundWindow()).value_or(QString()).toStdString();
  const std::size_t afterShow = framesSoFar();
  simulator_.send(QStringLiteral("<<EVENT|ACTIVE_WINDOW|>>"));
  EXPECT_EQ(frameMatching(QStringLiteral("^<<CHANGEUI\\|"), afterShow).toStdString(),
            "<<CHANGEUI|OTHER[minutes.txt - Notes]|>>");

  simulator_.send(QStringLiteral("<<UNLOAD|CURRENT_PRESENTATION|>>"));
  ASSERT_TRUE(
      SimulatorProcess::waitUntil([&] { return !model.PowerPointApp.has_value(); }, kSlideWaitMs));
  EXPECT_EQ(model.SlideCount, 0);
}

TEST_F(SlideShowOverLinkTest, APresentationWithItsNotesFileSendsTheNotesOfEachSlide) {
  PresentationModel notes;
  notes.PresentationTitle = QStringLiteral("Opening");
  notes.PresentationFileName = QStringLiteral("presentation.ppt");
  notes.PresentationPath = folder_->filePath(QStringLiteral("Shared/Talks/presentation.ppt"));
  notes.SlideCount = 3;
  notes.TotalTime = -1;
  notes.Slides = {
      {},
      {QStringLiteral("Opening"), QStringLiteral("Say hello"), 1, 0, true, false, false},
      {QStringLiteral("Numbers"), QStringLiteral("Two charts"), 2, 30, false, true, false},
      {QStringLiteral("Close"), QStringLiteral("Thank them"), 0, 45, true, false, false}};
  FakeMessageBoxes unused;
  ASSERT_EQ(SaveNotesFile(NotesFilePath(notes, folder_->path()), notes, unused), SaveResult::Saved);

  simulator_.send(QStringLiteral("<<ACTIVATE|Talks|presentation.ppt>>"));
  EXPECT_EQ(frameMatching(QStringLiteral("^<<PRESNOTE\\|")),
            QStringLiteral("<<PRESNOTE|UPDATE|<CURRENT_SLIDE>1</CURRENT_SLIDE>"
                           "<SLIDE_COUNT>3</SLIDE_COUNT><TITLE>Opening</TITLE>"
                           "<NOTE>Say hello</NOTE><ASCENDING>TRUE</ASCENDING>"
                           "<DURATION_MINUTES>1</DURATION_MINUTES>"
                           "<DURATION_SECONDS>0</DURATION_SECONDS><WARNING>FALSE</WARNING>"
                           "<AUTO_NEXT_SLIDE>FALSE</AUTO_NEXT_SLIDE>"
                           "<TOTAL_TIME>255</TOTAL_TIME> >>"));
  ASSERT_EQ(frameMatching(QStringLiteral("^<<CHANGEUI\\|POWERPOINT\\|TRUE>>$")), kShowScreen);
  EXPECT_TRUE(agent_->presentation.Model.NotesLoaded);
  ASSERT_TRUE(showInFront());

  // The handheld moves on and asks for the slide's entry: slide 2's notes from the file.
  simulator_.send(QStringLiteral("<<PRESENT|RIGHT|>>"));
  ASSERT_TRUE(showAndAgentAtSlide(2));
  const QString entry = entryOnRequest();
  EXPECT_TRUE(entry.contains(QStringLiteral("<CURRENT_SLIDE>2</CURRENT_SLIDE>")));
  EXPECT_TRUE(entry.contains(QStringLiteral("<TITLE>Numbers</TITLE><NOTE>Two charts</NOTE>")));
  EXPECT_TRUE(entry.contains(QStringLiteral("<WARNING>TRUE</WARNING>")));
  QFile::remove(NotesFilePath(notes, folder_->path()));
}

TEST_F(SlideShowOverLinkTest, FolderListingsMarkOpenDocumentsAndTheHandheldHearsTheForeground) {
  for (const char* name : {"agenda.txt", "budget.ods"}) {
    QFile file(folder_->filePath(QStringLiteral("Shared/Docs/") + QLatin1String(name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
  }
  ASSERT_TRUE(QDir(folder_->path()).mkpath(QStringLiteral("Shared/Docs/Old")));
  X11TestWindows desktop;
  const auto window = desktop.open("agenda.txt - Notes");
  ASSERT_NE(window, 0UL);
  ASSERT_TRUE(desktop.activate(window));

  simulator_.send(QStringLiteral("<<DIRLIST|Docs|>>"));
  EXPECT_EQ(frameMatching(QStringLiteral("^<<DIRLIST\\|")),
            QStringLiteral("<<DIRLIST|Docs|Aagenda.txt:Ibudget.ods>>"));

  const std::size_t before = framesSoFar();
  simulator_.send(QStringLiteral("<<EVENT|ACTIVE_WINDOW|>>"));
  EXPECT_EQ(frameMatching(QStringLiteral("^<<CHANGEUI\\|OTHER"), before),
            QStringLiteral("<<CHANGEUI|OTHER[agenda.txt - Notes]|>>"));
}

}  // namespace
