#include "tools/SimulatorSession.h"

#include <poll.h>
#include <unistd.h>

#include <QRegularExpressionMatch>
#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>

#include "tools/PtyPeer.h"
#include "tools/WireText.h"

namespace {

constexpr std::size_t kStdinChunk = 4096;

std::chrono::milliseconds msOf(qint64 ms) { return std::chrono::milliseconds(ms); }

}  // namespace

SimulatorSession::SimulatorSession(PtyPeer& peer, SessionOptions options, int signalFd)
    : peer_(peer), options_(std::move(options)), signalFd_(signalFd) {}

std::optional<qint64> SimulatorSession::parseDelay(const QString& text) {
  bool ok = false;
  const qint64 ms = text.toLongLong(&ok);
  // toLongLong takes a sign and blanks around the digits; a delay is digits only.
  const bool digitsOnly =
      !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
  if (!ok || !digitsOnly || ms < 0 || ms > kMaxDelayMs) {
    return std::nullopt;
  }
  return ms;
}

void SimulatorSession::complain(const QString& message) {
  std::fprintf(stderr, "corvane-handheld: %s\n", message.toLocal8Bit().constData());
  std::fflush(stderr);
}

int SimulatorSession::run() {
  start_ = Clock::now();
  stdinOpen_ = options_.readStdin;
  if (options_.together) {
    QByteArray all;
    for (const QByteArray& frame : options_.frames) {
      all += frame;
    }
    options_.frames = {all};
  }
  for (QByteArray& frame : options_.frames) {
    if (!frame.isEmpty()) {
      steps_.push_back({Step::Kind::Send, std::move(frame), 0, {}});
    }
  }
  linkUp_ = !peer_.hungUp();
  linkUpSince_ = start_;
  nextRecheck_ = start_;

  while (true) {
    Clock::time_point now = Clock::now();
    if (!linkUp_ && now >= nextRecheck_) {
      // Bytes that an agent wrote before it closed again show it was there: they are read, and
      // its leaving is a hang-up like any other.
      if (peer_.hungUp() && peer_.bytesWaiting() == 0) {
        nextRecheck_ = now + msOf(kHangUpRecheckMs);
      } else {
        linkUp_ = true;
        linkUpSince_ = now;
        toldWaiting_ = false;
      }
    }
    if (const auto exitCode = advance(now)) {
      return endWith(*exitCode);
    }
    if (finished(now)) {
      return endWith(kExitOk);
    }

    std::array<pollfd, 3> fds{};
    nfds_t count = 0;
    fds[count++] = {signalFd_, POLLIN, 0};
    std::optional<nfds_t> peerIndex;
    if (linkUp_) {
      const auto events = static_cast<short>(POLLIN | (output_.isEmpty() ? 0 : POLLOUT));
      peerIndex = count;
      fds[count++] = {peer_.fd(), events, 0};
    }
    std::optional<nfds_t> stdinIndex;
    if (stdinOpen_) {
      stdinIndex = count;
      fds[count++] = {STDIN_FILENO, POLLIN, 0};
    }
    if (::poll(fds.data(), count, pollTimeout(now)) < 0) {
      if (errno == EINTR) {
        continue;
      }
      complain(QStringLiteral("poll: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
      return endWith(kExitUsage);
    }
    now = Clock::now();
    if (fds[0].revents != 0) {
      return endWith(kExitOk);
    }
    if (peerIndex) {
      const short revents = fds[*peerIndex].revents;
      if ((revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0) {
        readPeer(now);
      }
      if (linkUp_ && (revents & POLLOUT) != 0) {
        writePeer(now);
      }
    }
    if (stdinIndex && fds[*stdinIndex].revents != 0 && !readStdin()) {
      return endWith(kExitUsage);
    }
  }
}

std::optional<int> SimulatorSession::advance(Clock::time_point now) {
  while (!steps_.empty()) {
    Step& step = steps_.front();
    switch (step.kind) {
      case Step::Kind::Send:
        if (!linkUp_) {
          if (!toldWaiting_) {
            complain(QStringLiteral("waiting for the other end of %1").arg(peer_.devicePath()));
            toldWaiting_ = true;
          }
          return std::nullopt;
        }
        if (!output_.isEmpty() ||
            (peer_.isPty() && now < linkUpSince_ + msOf(kSettleAfterOpenMs)) ||
            (lastSendDone_ && now < *lastSendDone_ + msOf(options_.gapMs))) {
          return std::nullopt;
        }
        output_ = std::move(step.bytes);
        steps_.pop_front();
        writePeer(now);
        break;
      case Step::Kind::Wait:
        if (!stepStarted_) {
          stepStarted_ = true;
          stepDeadline_ = now + msOf(step.ms);
        }
        if (now < stepDeadline_) {
          return std::nullopt;
        }
        stepStarted_ = false;
        steps_.pop_front();
        break;
      case Step::Kind::Expect:
        if (!stepStarted_) {
          stepStarted_ = true;
          stepDeadline_ = now + msOf(step.ms);
        }
        if (matchUnmatched(step.pattern)) {
          stepStarted_ = false;
          steps_.pop_front();
          break;
        }
        if (now >= stepDeadline_) {
          complain(QStringLiteral("no frame matched \"%1\" within %2 ms")
                       .arg(step.pattern.pattern())
                       .arg(step.ms));
          return kExitExpectTimedOut;
        }
        return std::nullopt;
    }
  }
  return std::nullopt;
}

bool SimulatorSession::finished(Clock::time_point now) {
  if (!steps_.empty() || !output_.isEmpty() || stdinOpen_) {
    return false;
  }
  if (!sendingOver_) {
    sendingOver_ = now;
  }
  return options_.listenMs && now >= *sendingOver_ + msOf(*options_.listenMs);
}

int SimulatorSession::endWith(int exitCode) {
  const QByteArray rest = reader_.takeRest();
  if (!rest.isEmpty()) {
    printReceived({FrameReader::Received::Kind::Junk, rest}, Clock::now());
  }
  return exitCode;
}

int SimulatorSession::pollTimeout(Clock::time_point now) const {
  std::optional<Clock::time_point> wake;
  const auto consider = [&wake](Clock::time_point t) { wake = wake ? std::min(*wake, t) : t; };
  if (!linkUp_) {
    consider(nextRecheck_);
  }
  if (!steps_.empty()) {
    const Step& step = steps_.front();
    if (step.kind != Step::Kind::Send) {
      consider(stepDeadline_);
    } else if (linkUp_ && output_.isEmpty()) {
      if (peer_.isPty()) {
        consider(linkUpSince_ + msOf(kSettleAfterOpenMs));
      }
      if (lastSendDone_) {
        consider(*lastSendDone_ + msOf(options_.gapMs));
      }
    }
  }
  if (sendingOver_ && options_.listenMs) {
    consider(*sendingOver_ + msOf(*options_.listenMs));
  }
  if (!wake) {
    return -1;
  }
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*wake - now).count();
  return static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
}

void SimulatorSession::readPeer(Clock::time_point now) {
  QByteArray bytes;
  const PtyPeer::Io io = peer_.readAvailable(bytes);
  for (const FrameReader::Received& received : reader_.feed(bytes)) {
    printReceived(received, now);
  }
  if (io == PtyPeer::Io::HungUp) {
    hangUp(now);
  }
}

void SimulatorSession::writePeer(Clock::time_point now) {
  if (output_.isEmpty()) {
    return;
  }
  qsizetype written = 0;
  const PtyPeer::Io io = peer_.writeSome(output_, written);
  output_.remove(0, written);
  if (output_.isEmpty()) {
    lastSendDone_ = now;
  }
  if (io == PtyPeer::Io::HungUp) {
    hangUp(now);
  }
}

void SimulatorSession::hangUp(Clock::time_point now) {
  nextRecheck_ = now + msOf(kHangUpRecheckMs);
  if (!linkUp_) {
    return;
  }
  linkUp_ = false;
  printLine(QStringLiteral("HANGUP ") + stamp(now));
  // The agent may leave its own line settings behind; the next opener should find a raw line
  // again. Should it fail, the next opener's own settings still apply.
  (void)peer_.restoreLineSettings();
}

bool SimulatorSession::readStdin() {
  std::array<char, kStdinChunk> chunk{};
  const ssize_t n = ::read(STDIN_FILENO, chunk.data(), chunk.size());
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
    return true;
  }
  if (n <= 0) {
    stdinOpen_ = false;
    return stdinPending_.isEmpty() || takeScriptLine(std::exchange(stdinPending_, {}));
  }
  stdinPending_.append(chunk.data(), n);
  qsizetype end = 0;
  while ((end = stdinPending_.indexOf('\n')) >= 0) {
    QByteArray line = stdinPending_.left(end);
    stdinPending_.remove(0, end + 1);
    if (!takeScriptLine(std::move(line))) {
      return false;
    }
  }
  if (stdinPending_.size() > kMaxScriptLineBytes) {
    complain(QStringLiteral("line %1 of the script is longer than %2 bytes")
                 .arg(scriptLine_ + 1)
                 .arg(kMaxScriptLineBytes));
    return false;
  }
  return true;
}

bool SimulatorSession::takeScriptLine(QByteArray line) {
  ++scriptLine_;
  const auto fail = [this](const QString& why) {
    complain(QStringLiteral("line %1 of the script: %2").arg(scriptLine_).arg(why));
    return false;
  };
  if (line.size() > kMaxScriptLineBytes) {
    return fail(QStringLiteral("longer than %1 bytes").arg(kMaxScriptLineBytes));
  }
  if (line.endsWith('\r')) {
    line.chop(1);
  }
  const QString text = QString::fromLocal8Bit(line);
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty() || trimmed.startsWith(u'#')) {
    return true;
  }

  static const QRegularExpression command(QStringLiteral(R"(^(wait|expect)(?:\s+(.*))?$)"));
  const QRegularExpressionMatch isCommand = command.match(trimmed);
  if (isCommand.hasMatch() && isCommand.captured(1) == u"wait") {
    const auto ms = parseDelay(isCommand.captured(2));
    if (!ms) {
      return fail(QStringLiteral("wait needs a number of milliseconds up to %1").arg(kMaxDelayMs));
    }
    steps_.push_back({Step::Kind::Wait, {}, *ms, {}});
    return true;
  }
  if (isCommand.hasMatch()) {
    QString pattern = isCommand.captured(2);
    qint64 timeoutMs = kDefaultExpectTimeoutMs;
    // A last word of digits is the time-out, when a pattern stands before it.
    static const QRegularExpression withTimeout(QStringLiteral(R"(^(.*\S)\s+(\d+)$)"));
    const QRegularExpressionMatch split = withTimeout.match(pattern);
    if (split.hasMatch()) {
      const auto ms = parseDelay(split.captured(2));
      if (!ms) {
        return fail(QStringLiteral("the time-out of expect is more than %1 ms").arg(kMaxDelayMs));
      }
      timeoutMs = *ms;
      pattern = split.captured(1);
    }
    if (pattern.isEmpty()) {
      return fail(QStringLiteral("expect needs a pattern"));
    }
    QRegularExpression expression(pattern);
    if (!expression.isValid()) {
      return fail(QStringLiteral("bad pattern \"%1\": %2").arg(pattern, expression.errorString()));
    }
    steps_.push_back({Step::Kind::Expect, {}, timeoutMs, std::move(expression)});
    return true;
  }

  QString error;
  const auto encoded =
      wiretext::encodeToSend(options_.raw ? text : trimmed, options_.escapes, options_.raw, error);
  if (!encoded) {
    return fail(error);
  }
  if (encoded->replaced > 0) {
    complain(QStringLiteral("line %1 of the script: %2 character(s) without a Windows-1252 byte "
                            "go out as \"?\"")
                 .arg(scriptLine_)
                 .arg(encoded->replaced));
  }
  if (!encoded->bytes.isEmpty()) {
    steps_.push_back({Step::Kind::Send, encoded->bytes, 0, {}});
  }
  return true;
}

bool SimulatorSession::matchUnmatched(const QRegularExpression& pattern) {
  // Frames before the one that matches are passed over for good, as a reader of the log would.
  const auto it = std::find_if(unmatched_.begin(), unmatched_.end(), [&pattern](const QString& f) {
    return pattern.match(f).hasMatch();
  });
  if (it == unmatched_.end()) {
    return false;
  }
  unmatched_.erase(unmatched_.begin(), std::next(it));
  return true;
}

void SimulatorSession::printReceived(const FrameReader::Received& received, Clock::time_point now) {
  const bool frame = received.kind == FrameReader::Received::Kind::Frame;
  printLine((frame ? QStringLiteral("RECV ") : QStringLiteral("JUNK ")) + stamp(now) + u' ' +
            wiretext::printable(received.bytes));
  if (frame) {
    unmatched_.push_back(wiretext::decode(received.bytes));
    if (unmatched_.size() > kMaxUnmatchedFrames) {
      unmatched_.pop_front();
    }
  }
}

void SimulatorSession::printLine(const QString& text) const {
  QByteArray line = text.toLocal8Bit();
  line += '\n';
  (void)std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
  std::fflush(stdout);
}

QString SimulatorSession::stamp(Clock::time_point now) const {
  return QString::number(std::chrono::duration<double, std::milli>(now - start_).count(), 'f', 3);
}
