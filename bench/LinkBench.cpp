// Measures the agent's receive path: the latency from a frame's last byte on a pseudo-terminal to
// its dispatch, the CPU the idle receive loop costs, and extraction plus parsing per frame with a
// full buffer queued. Prints its figures; run by hand.
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "agent/AgentContext.h"
#include "platform/linux/IniProfileFiles.h"
#include "platform/linux/LinuxSerialPortMap.h"
#include "platform/linux/MonotonicTickClock.h"
#include "platform/linux/QtEventPump.h"
#include "platform/linux/TermiosSerialDevices.h"
#include "platform/linux/VirtualRegistry.h"
#include "tests/support/FakeAgentView.h"
#include "tests/support/FakeDesktopShell.h"
#include "tests/support/FakeMessageBoxes.h"
#include "tests/support/FakeSerialDevices.h"
#include "tests/support/FakeWindowSystem.h"
#include "tests/support/RecordingActions.h"
#include "tests/support/ScriptedPresentationProgram.h"

namespace {

using Clock = std::chrono::steady_clock;

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
  return values[index];
}

struct Agent {
  explicit Agent(const QString& env, SerialDevices& devices, SerialPortMap& map,
                 const QString& folder)
      : context(AgentPlatform{devices, map, profiles, clock, pump, boxes, program, windows, shell,
                              registry},
                view, AgentActions{actions, actions, actions, actions}, folder) {
    (void)env;
  }
  IniProfileFiles profiles;
  MonotonicTickClock clock;
  QtEventPump pump;
  FakeMessageBoxes boxes;
  ScriptedPresentationProgram program;
  FakeAgentView view;
  RecordingActions actions;
  FakeWindowSystem windows;
  FakeDesktopShell shell;
  VirtualRegistry registry{shell};
  AgentContext context;
};

void measureLinkOverPty() {
  int master = -1;
  int slave = -1;
  char name[256] = {};
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    std::perror("openpty");
    return;
  }
  termios raw{};
  tcgetattr(master, &raw);
  cfmakeraw(&raw);
  tcsetattr(master, TCSANOW, &raw);
  QTemporaryDir dir;
  const QString env = QStringLiteral("42=%1").arg(QString::fromLocal8Bit(name));
  LinuxSerialPortMap map(env, dir.filePath(QStringLiteral("none")),
                         dir.filePath(QStringLiteral("none")));
  TermiosSerialDevices devices(map);
  Agent agent(env, devices, map, dir.path());
  agent.view.port = QStringLiteral("42");
  agent.context.serial.EnumSerialPorts();
  agent.context.serial.StartSerialLink();
  if (!agent.context.serial.PortOpen) {
    std::printf("link did not start\n");
    return;
  }
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { agent.context.receiveLoop.tmrCOM_Timer(); });
  timer.start(10);

  // Idle: the loop polls the open port every 10 ms with nothing arriving.
  const double idleSeconds = 3.0;
  const double cpuBefore = cpuSeconds();
  QElapsedTimer wall;
  wall.start();
  QEventLoop idle;
  QTimer::singleShot(static_cast<int>(idleSeconds * 1000), &idle, &QEventLoop::quit);
  idle.exec();
  const double idleCpu = (cpuSeconds() - cpuBefore) / (static_cast<double>(wall.elapsed()) / 1000);

  // Latency: one frame at a time, from the write of its last byte to its dispatch.
  std::vector<double> latencies;
  Clock::time_point written;
  bool dispatched = false;
  agent.actions.onCall = [&](const QString& call) {
    if (call.startsWith(QStringLiteral("MoveCursorTo"))) {
      latencies.push_back(
          std::chrono::duration<double, std::milli>(Clock::now() - written).count());
      dispatched = true;
    }
  };
  constexpr int kFrames = 1000;
  for (int i = 0; i < kFrames; ++i) {
    const QByteArray frame = QStringLiteral("<<MOUSE|%1|%2>>").arg(i % 100).arg(i / 100).toLatin1();
    dispatched = false;
    written = Clock::now();
    if (write(master, frame.constData(), static_cast<std::size_t>(frame.size())) != frame.size()) {
      std::perror("write");
      return;
    }
    while (!dispatched) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
  }
  std::printf("idle receive loop: %.3f%% of one core\n", idleCpu * 100);
  std::printf("frame to dispatch over a pty (%d frames): p50 %.2f ms, p99 %.2f ms, max %.2f ms\n",
              kFrames, percentile(latencies, 0.50), percentile(latencies, 0.99),
              percentile(latencies, 1.0));
  close(master);
  close(slave);
}

void measureExtraction() {
  FakeSerialDevices devices;
  struct NoPorts final : SerialPortMap {
    std::optional<std::vector<SerialPortMapEntry>> entries() const override { return {}; }
  } map;
  QTemporaryDir dir;
  Agent agent(QString(), devices, map, dir.path());
  AgentContext& context = agent.context;
  constexpr qsizetype kQueued = 64 * 1024;
  QString queue;
  int serial = 0;
  const auto refill = [&] {
    while (context.comm.RxBuffer.size() < kQueued) {
      context.comm.RxBuffer += QStringLiteral("<<SENDKEY|KBD|key %1>>").arg(serial++);
    }
  };
  refill();
  constexpr int kRounds = 20000;
  double seconds = 0;
  for (int i = 0; i < kRounds; ++i) {
    refill();
    const auto start = Clock::now();
    const QString msg = context.receiveLoop.getNextMsg(context.comm.RxBuffer);
    context.general.Fields.ParseMessage(msg, context.parser);
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    if (msg.isEmpty()) {
      std::printf("no frame taken\n");
      return;
    }
  }
  std::printf("extraction and parsing with %lld characters queued: %.2f us per frame\n",
              static_cast<long long>(kQueued), seconds / kRounds * 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  measureExtraction();
  measureLinkOverPty();
  return 0;
}
