// Measures the slide-show road with the real office: its start, ACTIVATE of a 20-slide
// presentation to the first slide entry (with and without a notes file), and the PRESENT
// commands, whose keys go to the show through the X server. The link is a fake port, so the
// figures are the agent's and the office's, not the serial line's. Run inside a desktop:
// scripts/with-desktop.sh build/release/bench/bench_slide_show
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "agent/AgentContext.h"
#include "agent/LibControls.h"
#include "agent/LibNewSendKey.h"
#include "editor/NotesWriter.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/VirtualRegistry.h"
#include "tests/support/FakeAgentView.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakeSerialDevices.h"
#include "tests/support/RecordingActions.h"

namespace {

constexpr int kSlides = 20;
constexpr int kRounds = 5;
constexpr qint64 kKeyGapMs = 50;

// The fixture's first slide, repeated as slides 1 to kSlides.
bool writeTwentySlides(const QString& fixture, const QString& target) {
  QFile in(fixture);
  if (!in.open(QIODevice::ReadOnly)) {
    return false;
  }
  const QString text = QString::fromUtf8(in.readAll());
  const qsizetype first = text.indexOf(QStringLiteral("<draw:page "));
  const qsizetype firstEnd = text.indexOf(QStringLiteral("</draw:page>"), first);
  const qsizetype lastEnd = text.lastIndexOf(QStringLiteral("</draw:page>"));
  if (first < 0 || firstEnd < 0) {
    return false;
  }
  const QString page = text.mid(first, firstEnd + 12 - first);
  QString pages;
  for (int i = 1; i <= kSlides; ++i) {
    pages += QString(page)
                 .replace(QStringLiteral("Slide1"), QStringLiteral("Slide%1").arg(i))
                 .replace(QStringLiteral("Welcome"), QStringLiteral("Topic %1").arg(i));
  }
  QFile out(target);
  return out.open(QIODevice::WriteOnly) &&
         out.write((text.left(first) + pages + text.mid(lastEnd + 12)).toUtf8()) > 0;
}

struct Bench {
  QTemporaryDir folder;
  FakeSerialDevices devices;
  struct NoPorts final : SerialPortMap {
    std::optional<std::vector<SerialPortMapEntry>> entries() const override { return {}; }
  } map;
  LinuxPlatform desktop;
  VirtualRegistry registry{desktop.shell};
  FakeMessageBoxes boxes;
  FakeAgentView view;
  RecordingActions actions;
  LibNewSendKey sendKey{desktop.input};
  LibControls controls{desktop.input, desktop.input, sendKey, desktop.windows, desktop.clock};
  std::unique_ptr<AgentContext> agent;
  std::shared_ptr<FakeSerialDevices::Device> port;

  // Milliseconds from handing `frame` to the dispatcher until the agent wrote a frame that
  // starts with `reply` (or until the command returned when `reply` is empty).
  double time(const QString& frame, const QByteArray& reply) {
    const qsizetype before = port->written.size();
    QElapsedTimer timer;
    double at = -1;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (at < 0 && !reply.isEmpty() && port->written.indexOf(reply, before) >= 0) {
        at = static_cast<double>(timer.nsecsElapsed()) / 1e6;
      }
    });
    watch.start(1);
    timer.start();
    agent->general.ProcessMessage(frame);
    return reply.isEmpty() ? static_cast<double>(timer.nsecsElapsed()) / 1e6 : at;
  }
};

void report(const char* what, const std::vector<double>& ms) {
  double total = 0;
  double best = ms.empty() ? 0 : ms.front();
  for (double m : ms) {
    total += m;
    best = std::min(best, m);
  }
  std::printf("%-58s mean %8.1f ms, best %8.1f ms (%zu runs)\n", what,
              ms.empty() ? 0 : total / static_cast<double>(ms.size()), best, ms.size());
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Bench bench;
  const QString talks = bench.folder.filePath(QStringLiteral("Shared/Talks"));
  QDir().mkpath(bench.folder.filePath(QStringLiteral("Shared/Presentations/Notes")));
  const QString source = bench.folder.filePath(QStringLiteral("bench.fodp"));
  if (!writeTwentySlides(QStringLiteral(CORVANE_PRESENTATION_FIXTURE), source) ||
      QProcess::execute(QStringLiteral("bash"),
                        {QStringLiteral(CORVANE_MAKE_PRESENTATIONS), source, talks}) != 0) {
    std::printf("the benchmark presentation could not be made\n");
    return 1;
  }

  QElapsedTimer start;
  start.start();
  const auto app0 = bench.desktop.office.createApplication();
  if (!app0) {
    std::printf("no office\n");
    return 1;
  }
  std::printf("%-58s %8.1f ms\n", "office start (createApplication, first)",
              static_cast<double>(start.nsecsElapsed()) / 1e6);

  bench.port = bench.devices.add(QStringLiteral("COM3"));
  bench.agent = std::make_unique<AgentContext>(
      AgentPlatform{bench.devices, bench.map, bench.desktop.profiles, bench.desktop.clock,
                    bench.desktop.pump, bench.boxes, bench.desktop.office, bench.desktop.windows,
                    bench.desktop.shell, bench.registry},
      bench.view, AgentActions{bench.controls, bench.actions, bench.actions, bench.actions},
      bench.folder.path());
  AgentContext& agent = *bench.agent;
  agent.settings.LoadConfig();
  (void)agent.comm.CommOpen(3, QStringLiteral("COM3"),
                            QString::fromLatin1(LibSerial::kLineSettings));
  agent.comm.PortNumber = 3;

  const QString activate = QStringLiteral("<<ACTIVATE|Talks|bench.pptx>>");
  const QString unload = QStringLiteral("<<UNLOAD|CURRENT_PRESENTATION|>>");
  std::vector<double> withoutNotes;
  std::vector<double> withNotes;
  std::vector<double> right;
  std::vector<double> sendNotes;
  qint32 slidesRead = 0;
  int moved = 0;
  for (int round = 0; round < kRounds; ++round) {
    withoutNotes.push_back(bench.time(activate, "<<PRESNOTE|"));
    slidesRead = agent.presentation.Model.SlideCount;
    // The show's window takes the keyboard a moment after the show starts.
    QElapsedTimer front;
    front.start();
    while (front.elapsed() < 5000 &&
           !bench.desktop.windows.windowTitle(bench.desktop.windows.foregroundWindow())
                .value_or(QString())
                .startsWith(QStringLiteral("Presenting"))) {
      QCoreApplication::processEvents();
    }
    // RIGHT returns once the show reports the next slide (or after the agent's bound).
    for (int step = 0; step < 3; ++step) {
      {
        // A presenter's presses come at least this far apart; a key sent the moment the show has
        // changed slide is dropped by the office.
        QElapsedTimer gap;
        gap.start();
        while (gap.elapsed() < kKeyGapMs) {
          QCoreApplication::processEvents();
        }
      }
      const qint32 before = agent.presentation.Model.CurrentSlide;
      right.push_back(bench.time(QStringLiteral("<<PRESENT|RIGHT|>>"), {}));
      const auto shown =
          bench.desktop.office.currentShowSlide(*agent.presentation.Model.PowerPointApp);
      const bool ok =
          shown && *shown == before + 1 && agent.presentation.Model.CurrentSlide == *shown;
      moved += ok;
      if (!ok) {
        std::printf("round %d step %d: before %d, show %d, agent %d, front %lld ms\n", round, step,
                    before, shown.value_or(-1), agent.presentation.Model.CurrentSlide,
                    static_cast<long long>(front.elapsed()));
      }
    }
    sendNotes.push_back(bench.time(QStringLiteral("<<PRESENT|SEND_NOTES|>>"), "<<PRESNOTE|"));
    (void)bench.time(unload, {});
    // UNLOAD quit the office, as closing the presentation program does; every round opens the
    // document as the first ACTIVATE of a session does.
    agent.general.Active.ActiveFolder.clear();
    agent.general.Active.ActiveFile.clear();
  }
  std::printf("slides read from the presentation: %d\n", slidesRead);
  std::printf("RIGHT moved the show and the agent one slide on: %d of %zu\n", moved, right.size());

  PresentationModel notes;
  notes.PresentationFileName = QStringLiteral("bench.pptx");
  notes.SlideCount = kSlides;
  notes.TotalTime = -1;
  notes.Slides.resize(kSlides + 1);
  for (int i = 1; i <= kSlides; ++i) {
    notes.Slides[static_cast<std::size_t>(i)] = {QStringLiteral("Topic %1").arg(i),
                                                 QStringLiteral("Notes %1").arg(i),
                                                 1,
                                                 0,
                                                 true,
                                                 false,
                                                 false};
  }
  FakeMessageBoxes unused;
  (void)SaveNotesFile(NotesFilePath(notes, bench.folder.path()), notes, unused);
  for (int round = 0; round < kRounds; ++round) {
    withNotes.push_back(bench.time(activate, "<<PRESNOTE|"));
    (void)bench.time(unload, {});
  }

  report("ACTIVATE (20 slides, no notes file) to the first PRESNOTE", withoutNotes);
  report("ACTIVATE (20 slides, notes file) to the first PRESNOTE", withNotes);
  report("PRESENT/RIGHT to the show's next slide, known to the agent", right);
  report("PRESENT/SEND_NOTES to its PRESNOTE", sendNotes);
  agent.presentation.ClosePowerPoint();
  return 0;
}
