#include "tests/support/SimulatorProcess.h"

#include <QRegularExpression>

#include "tests/support/EventWait.h"

#ifndef CORVANE_SIMULATOR_PATH
#error "CORVANE_SIMULATOR_PATH names the built handheld simulator"
#endif

QString simulatorPath() { return QStringLiteral(CORVANE_SIMULATOR_PATH); }

bool SimulatorProcess::start(const QString& linkPath, const QStringList& extraArguments) {
  QStringList arguments{
      QStringLiteral("--pty"),    QStringLiteral("--link"),    linkPath,
      QStringLiteral("--stdin"),  QStringLiteral("--escapes"), QStringLiteral("--raw"),
      QStringLiteral("--listen"), QStringLiteral("0")};
  arguments += extraArguments;
  process_.setProgram(simulatorPath());
  process_.setArguments(arguments);
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.start();
  if (!process_.waitForStarted(5000)) {
    return false;
  }
  return waitUntil([this] { return readLines(), !device_.isEmpty(); }, 5000);
}

void SimulatorProcess::send(const QString& scriptLine) {
  process_.write(scriptLine.toUtf8() + '\n');
  process_.waitForBytesWritten(1000);
}

bool SimulatorProcess::waitUntil(const std::function<bool()>& done, int timeoutMs) {
  return waitForCondition(done, timeoutMs);
}

const std::vector<SimulatorProcess::Received>& SimulatorProcess::received() {
  readLines();
  return received_;
}

QString SimulatorProcess::frameMatching(const QString& pattern, std::size_t from, int timeoutMs) {
  const QRegularExpression expression(pattern);
  QString found;
  (void)waitUntil(
      [&] {
        const auto& frames = received();
        for (std::size_t i = from; i < frames.size(); ++i) {
          if (expression.match(frames[i].frame).hasMatch()) {
            found = frames[i].frame;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

void SimulatorProcess::readLines() {
  pending_ += process_.readAllStandardOutput();
  qsizetype end = 0;
  while ((end = pending_.indexOf('\n')) >= 0) {
    const QString line = QString::fromUtf8(pending_.left(end));
    pending_.remove(0, end + 1);
    if (line.startsWith(QStringLiteral("DEVICE "))) {
      device_ = line.mid(7);
    } else if (line.startsWith(QStringLiteral("RECV "))) {
      const qsizetype space = line.indexOf(u' ', 5);
      received_.push_back({line.mid(5, space - 5).toDouble(), line.mid(space + 1)});
    }
  }
}

SimulatorProcess::~SimulatorProcess() {
  if (process_.state() != QProcess::NotRunning) {
    process_.closeWriteChannel();
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
      process_.kill();
      process_.waitForFinished(1000);
    }
  }
}
