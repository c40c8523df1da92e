// Measures the agent program as a user runs it: the time from starting the process to the link
// answering the handheld (median of ten starts), and the program's processor time while it idles
// for a minute with the link open. Run inside a desktop:
//   bash scripts/with-desktop.sh build/release/bench/bench_agent_start [idle seconds]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/ProcessTimes.h"
#include "tests/support/SimulatorProcess.h"

namespace {

constexpr int kStarts = 10;
constexpr int kPort = 42;
constexpr int kAnswerMs = 20000;

struct Run {
  QTemporaryDir link;
  SimulatorProcess simulator;
  QProcess agent;

  // Starts the agent; the milliseconds until it answered the handheld's first frame, or -1.
  double start(const QString& program) {
    const QString device = link.filePath(QStringLiteral("handheld"));
    if (!simulator.start(device)) {
      return -1;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CORVANE_SERIAL_PORTS"),
                       QStringLiteral("%1=%2").arg(kPort).arg(device));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    agent.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    agent.start(program, {});
    // The simulator holds the frame until the agent has opened the port.
    simulator.send(QStringLiteral("<<INFO|VERSION|>>"));
    const bool answered =
        SimulatorProcess::waitUntil([&] { return !simulator.received().empty(); }, kAnswerMs);
    return answered ? static_cast<double>(timer.nsecsElapsed()) / 1e6 : -1;
  }

  ~Run() {
    if (agent.state() != QProcess::NotRunning) {
      agent.terminate();
      if (!agent.waitForFinished(10000)) {
        agent.kill();
        agent.waitForFinished(5000);
      }
    }
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication application(argc, argv);
  const int idleSeconds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 60;

  QTemporaryDir folder;
  const QString program = folder.filePath(QStringLiteral("Corvane"));
  if (!QDir(folder.path()).mkpath(QStringLiteral("Shared/Presentations/Notes")) ||
      !QFile::copy(QStringLiteral(CORVANE_AGENT_PROGRAM), program) ||
      !QFile::setPermissions(program, QFile::permissions(QStringLiteral(CORVANE_AGENT_PROGRAM)))) {
    std::printf("could not lay out a program folder\n");
    return 1;
  }
  QFile config(folder.filePath(QStringLiteral("config.ini")));
  if (!config.open(QIODevice::WriteOnly)) {
    return 1;
  }
  config.write("[Communications]\r\nPort=42\r\n");
  config.close();

  std::vector<double> starts;
  for (int i = 0; i < kStarts; ++i) {
    Run run;
    const double ms = run.start(program);
    if (ms < 0) {
      std::printf("start %d: no answer\n", i + 1);
      continue;
    }
    starts.push_back(ms);
  }
  if (!starts.empty()) {
    std::sort(starts.begin(), starts.end());
    std::printf(
        "process start to the link's first answer: median %.0f ms, best %.0f ms, worst %.0f "
        "ms (%zu starts)\n",
        starts[starts.size() / 2], starts.front(), starts.back(), starts.size());
  }

  Run idle;
  if (idle.start(program) < 0) {
    std::printf("idle run: no answer\n");
    return 1;
  }
  const qint64 pid = idle.agent.processId();
  const double before = cpuSecondsOf(pid);
  QElapsedTimer wall;
  wall.start();
  (void)SimulatorProcess::waitUntil([] { return false; }, idleSeconds * 1000);
  const double used = cpuSecondsOf(pid) - before;
  const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;
  std::printf("idle with the link open: %.2f s of processor time in %.0f s = %.2f %% of one core\n",
              used, seconds, 100.0 * used / seconds);
  return 0;
}
