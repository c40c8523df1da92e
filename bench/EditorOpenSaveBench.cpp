// Measures the editor's open and save of a 200-slide presentation without a notes file, over the
// real office: titles and notes are read through it, then the notes are saved. The office's share
// is the time spent inside its calls (start, load, every title and note, close, quit), which is
// what LoadPresentation and ClosePowerPoint wait for; ours is everything else: the slide list,
// the panel, storing it and writing the notes file. Run inside a desktop:
// scripts/with-desktop.sh build/release/bench/bench_editor_open_save
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "editor/EditorServices.h"
#include "editor/frmMain.h"
#include "platform/PresentationProgram.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/X11KeyboardLocks.h"
#include "shared/libPresentation.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/FakeMessageBoxes.h"

namespace {

constexpr int kSlides = 200;
constexpr int kRounds = 5;
const QString kName = QStringLiteral("presentation");

// The fixture's second slide (a title, a body and two paragraphs of notes), repeated as slides 1
// to kSlides, each with its own title and notes.
bool writeSlides(const QString& fixture, const QString& target) {
  QFile in(fixture);
  if (!in.open(QIODevice::ReadOnly)) {
    return false;
  }
  const QString text = QString::fromUtf8(in.readAll());
  const QString endTag = QStringLiteral("</draw:page>");
  const qsizetype first = text.indexOf(QStringLiteral("<draw:page "));
  const qsizetype second = text.indexOf(QStringLiteral("<draw:page "), first + 1);
  const qsizetype secondEnd = text.indexOf(endTag, second);
  const qsizetype lastEnd = text.lastIndexOf(endTag);
  if (first < 0 || second < 0 || secondEnd < 0) {
    return false;
  }
  const QString page = text.mid(second, secondEnd + endTag.size() - second);
  QString pages;
  for (int i = 1; i <= kSlides; ++i) {
    pages += QString(page)
                 .replace(QStringLiteral("Slide2"), QStringLiteral("Slide%1").arg(i))
                 .replace(QStringLiteral("Results"), QStringLiteral("Topic %1").arg(i))
                 .replace(QStringLiteral("Walk through the figures"),
                          QStringLiteral("What to say about topic %1").arg(i));
  }
  QFile out(target);
  return out.open(QIODevice::WriteOnly) &&
         out.write((text.left(first) + pages + text.mid(lastEnd + endTag.size())).toUtf8()) > 0;
}

// The office, with the time spent inside its calls added up.
class TimedPresentationProgram final : public PresentationProgram {
 public:
  explicit TimedPresentationProgram(PresentationProgram& office) : office_(office) {}

  qint64 nanoseconds = 0;

  template <typename Call>
  auto timed(Call call) {
    QElapsedTimer timer;
    timer.start();
    auto result = call();
    nanoseconds += timer.nsecsElapsed();
    return result;
  }

  std::optional<AutomationRef> createApplication() override {
    return timed([&] { return office_.createApplication(); });
  }
  std::optional<AutomationRef> openPresentation(AutomationRef app, const QString& path) override {
    return timed([&] { return office_.openPresentation(app, path); });
  }
  std::optional<qint32> slideCount(AutomationRef presentation) override {
    return timed([&] { return office_.slideCount(presentation); });
  }
  std::optional<QString> slideTitle(AutomationRef presentation, qint32 slide) override {
    return timed([&] { return office_.slideTitle(presentation, slide); });
  }
  std::optional<QString> slideNotes(AutomationRef presentation, qint32 slide) override {
    return timed([&] { return office_.slideNotes(presentation, slide); });
  }
  bool runSlideShow(AutomationRef presentation) override {
    return timed([&] { return office_.runSlideShow(presentation); });
  }
  std::optional<qint32> currentShowSlide(AutomationRef app) override {
    return timed([&] { return office_.currentShowSlide(app); });
  }
  bool closePresentation(AutomationRef presentation) override {
    return timed([&] { return office_.closePresentation(presentation); });
  }
  bool quitApplication(AutomationRef app) override {
    return timed([&] { return office_.quitApplication(app); });
  }
  void release(AutomationRef object) override {
    (void)timed([&] {
      office_.release(object);
      return true;
    });
  }

 private:
  PresentationProgram& office_;
};

struct Round {
  double officeMs = 0;
  double oursOpenMs = 0;
  double oursSaveMs = 0;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QTemporaryDir folder;
  const QDir program(folder.path());
  if (!folder.isValid() || !program.mkpath(QStringLiteral("Shared/Presentations/Notes"))) {
    std::fprintf(stderr, "no program folder\n");
    return 1;
  }
  const QString flat = folder.filePath(kName + QStringLiteral(".fodp"));
  if (!writeSlides(QStringLiteral(CORVANE_PRESENTATION_FIXTURE), flat) ||
      QProcess::execute(QStringLiteral("bash"),
                        {QStringLiteral(CORVANE_MAKE_PRESENTATIONS), flat,
                         program.filePath(QStringLiteral("Shared/Presentations"))}) != 0) {
    std::fprintf(stderr, "the %d-slide presentation could not be made\n", kSlides);
    return 1;
  }
  const QString presentationPath =
      program.filePath(QStringLiteral("Shared/Presentations/") + kName + QStringLiteral(".ppt"));
  const QString notesPath = program.filePath(QStringLiteral("Shared/Presentations/Notes/Notes_") +
                                             kName + QStringLiteral(".ppt.xml"));

  LinuxPlatform desktop;
  X11KeyboardLocks locks;
  TimedPresentationProgram office(desktop.office);
  std::vector<Round> rounds;
  for (int round = 0; round < kRounds; ++round) {
    QFile::remove(notesPath);
    libPresentation presentation(office, desktop.pump);
    FakeFileDialogs dialogs;
    FakeMessageBoxes boxes;
    dialogs.answers.push_back(presentationPath);
    quenlow::frmMain window(
        quenlow::EditorServices{boxes, dialogs, desktop.shell, locks, presentation, folder.path()});
    window.Form_Load();
    window.show();
    QApplication::processEvents();

    office.nanoseconds = 0;
    QElapsedTimer timer;
    timer.start();
    window.m_OpenPres->trigger();
    QApplication::processEvents();
    const qint64 openNs = timer.nsecsElapsed();
    const qint64 officeNs = office.nanoseconds;
    timer.restart();
    window.m_savePres->trigger();
    QApplication::processEvents();
    const qint64 saveNs = timer.nsecsElapsed();

    if (window.List1->count() != kSlides || !QFile::exists(notesPath) ||
        office.nanoseconds != officeNs) {
      std::fprintf(stderr, "round %d: %d slides listed, notes file %s\n", round + 1,
                   window.List1->count(), QFile::exists(notesPath) ? "written" : "missing");
      return 1;
    }
    rounds.push_back({static_cast<double>(officeNs) / 1e6,
                      static_cast<double>(openNs - officeNs) / 1e6,
                      static_cast<double>(saveNs) / 1e6});
    std::printf("round %d: office %.1f ms, ours %.1f ms (open %.1f, save %.1f)\n", round + 1,
                rounds.back().officeMs, rounds.back().oursOpenMs + rounds.back().oursSaveMs,
                rounds.back().oursOpenMs, rounds.back().oursSaveMs);
  }

  std::vector<double> officeMs;
  std::vector<double> oursMs;
  std::vector<double> openMs;
  std::vector<double> saveMs;
  for (const Round& round : rounds) {
    officeMs.push_back(round.officeMs);
    oursMs.push_back(round.oursOpenMs + round.oursSaveMs);
    openMs.push_back(round.oursOpenMs);
    saveMs.push_back(round.oursSaveMs);
  }
  std::printf(
      "%d slides, open without notes file and save, median of %d rounds:\n"
      "  office (inside its calls: start, load, titles and notes, close, quit): %.1f ms\n"
      "  ours (list, panel, storing, notes file): %.1f ms (open %.1f ms, save %.1f ms)\n",
      kSlides, kRounds, median(officeMs), median(oursMs), median(openMs), median(saveMs));
  return 0;
}
