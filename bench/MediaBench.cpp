// Measures the agent's media player as the handheld sees it: the time from sending
// "<<WMP|NEXT|>>" to receiving the report of the new item (median over a playlist of real audio
// files), and the agent's processor time while its player holds a paused item. Run it beside a
// sound server inside a desktop:
//   bash scripts/with-desktop.sh bash scripts/with-pulse.sh build/release/bench/bench_media [s]
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
#include "tests/support/MediaLibrary.h"
#include "tests/support/SimulatorProcess.h"

namespace {

constexpr int kPort = 44;
constexpr int kItems = 12;
constexpr int kAnswerMs = 20000;
// The agent waits this long after each frame it sends; the next command goes after it.
constexpr int kReplyGapMs = 400;

void pauseFor(int ms) {
  (void)SimulatorProcess::waitUntil([] { return false; }, ms);
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication application(argc, argv);
  const int idleSeconds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 60;

  QTemporaryDir folder;
  const QDir program(folder.path());
  const QString agentPath = program.filePath(QStringLiteral("Corvane"));
  if (!program.mkpath(QStringLiteral("Shared/Presentations/Notes")) ||
      !program.mkpath(QStringLiteral("Music")) ||
      !QFile::copy(QStringLiteral(CORVANE_AGENT_PROGRAM), agentPath) ||
      !QFile::setPermissions(agentPath,
                             QFile::permissions(QStringLiteral(CORVANE_AGENT_PROGRAM)))) {
    std::printf("could not lay out a program folder\n");
    return 1;
  }
  const QDir music(program.filePath(QStringLiteral("Music")));
  QByteArray playlist = "#EXTM3U\n#PLAYLIST:Bench\n";
  for (int i = 0; i < kItems; ++i) {
    const QString name = QStringLiteral("item%1.wav").arg(i, 2, 10, QLatin1Char('0'));
    if (!medialibrary::makeTone(music.filePath(name), 60)) {
      return 1;
    }
    playlist += name.toUtf8() + '\n';
  }
  if (!medialibrary::writeFile(music.filePath(QStringLiteral("bench.m3u")), playlist) ||
      !medialibrary::writeFile(program.filePath(QStringLiteral("config.ini")),
                               "[Communications]\r\nPort=44\r\n")) {
    return 1;
  }

  QTemporaryDir link;
  SimulatorProcess simulator;
  const QString device = link.filePath(QStringLiteral("handheld"));
  if (!simulator.start(device)) {
    return 1;
  }
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("CORVANE_SERIAL_PORTS"),
                     QStringLiteral("%1=%2").arg(kPort).arg(device));
  environment.insert(QStringLiteral("CORVANE_MEDIA_LIBRARY"), music.path());
  environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
  QProcess agent;
  agent.setProcessEnvironment(environment);
  agent.start(agentPath, {});
  simulator.send(QStringLiteral("<<WMP|SET_PLAYLIST|Bench>>"));
  if (simulator.frameMatching(QStringLiteral("^<<CHANGEUI"), 0, kAnswerMs).isEmpty()) {
    std::printf("the agent made no playlist current\n");
    return 1;
  }
  pauseFor(kReplyGapMs);

  std::vector<double> reports;
  for (int i = 1; i < kItems; ++i) {
    const std::size_t before = simulator.received().size();
    QElapsedTimer timer;
    timer.start();
    simulator.send(QStringLiteral("<<WMP|NEXT|>>"));
    const QString expected = QStringLiteral("item%1>>").arg(i, 2, 10, QLatin1Char('0'));
    if (!SimulatorProcess::waitUntil(
            [&] {
              const auto& received = simulator.received();
              return std::any_of(received.begin() + static_cast<std::ptrdiff_t>(before),
                                 received.end(),
                                 [&](const auto& r) { return r.frame.endsWith(expected); });
            },
            kAnswerMs)) {
      std::printf("NEXT %d: no report of %s\n", i, qPrintable(expected));
      continue;
    }
    reports.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    pauseFor(kReplyGapMs);
  }
  if (!reports.empty()) {
    std::sort(reports.begin(), reports.end());
    std::printf(
        "NEXT to the report of the new item: median %.1f ms, best %.1f ms, worst %.1f ms "
        "(%zu skips)\n",
        reports[reports.size() / 2], reports.front(), reports.back(), reports.size());
  }

  // Playing, then paused: the player holds its item while the agent idles in the tray.
  simulator.send(QStringLiteral("<<WMP|PLAY|>>"));
  pauseFor(1000);
  simulator.send(QStringLiteral("<<WMP|PLAY|>>"));
  pauseFor(2000);
  const qint64 pid = agent.processId();
  const double before = cpuSecondsOf(pid);
  QElapsedTimer wall;
  wall.start();
  pauseFor(idleSeconds * 1000);
  const double used = cpuSecondsOf(pid) - before;
  const double seconds = static_cast<double>(wall.elapsed()) / 1000.0;
  std::printf(
      "idle with a paused player: %.2f s of processor time in %.0f s = %.2f %% of one "
      "core\n",
      used, seconds, 100.0 * used / seconds);
  agent.terminate();
  if (!agent.waitForFinished(10000)) {
    agent.kill();
    agent.waitForFinished(5000);
  }
  return 0;
}
