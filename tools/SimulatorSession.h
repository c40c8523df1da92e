#pragma once

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QtGlobal>
#include <chrono>
#include <deque>
#include <optional>
#include <vector>

#include "tools/FrameReader.h"

class PtyPeer;

struct SessionOptions {
  // The frames of the command line, already as wire bytes.
  std::vector<QByteArray> frames;
  bool together = false;
  bool readStdin = false;
  bool escapes = false;
  bool raw = false;
  qint64 gapMs = 0;
  // How long to listen once everything is sent; nothing: until a signal ends us.
  std::optional<qint64> listenMs;
};

// One run of the simulator: sends the frames and the script lines in order, prints what arrives,
// and ends with the exit code. Everything happens in one poll() loop.
class SimulatorSession {
 public:
  static constexpr int kExitOk = 0;
  static constexpr int kExitUsage = 2;
  static constexpr int kExitExpectTimedOut = 3;

  // Longest delay that a number on the command line or in the script may ask for: a day.
  static constexpr qint64 kMaxDelayMs = 24LL * 60 * 60 * 1000;
  static constexpr qint64 kDefaultExpectTimeoutMs = 5000;
  // A script line longer than this is refused rather than held.
  static constexpr qsizetype kMaxScriptLineBytes = 1024 * 1024;
  // Frames kept for a later `expect`; the oldest go first.
  static constexpr std::size_t kMaxUnmatchedFrames = 10000;
  // The agent opens the pty and then sets up and purges its port; frames sent into that moment
  // would be thrown away, so sending starts this long after the other end appeared.
  static constexpr qint64 kSettleAfterOpenMs = 250;
  // While nobody holds the other end, the master reports a hang-up on every poll; it is looked at
  // this often instead.
  static constexpr qint64 kHangUpRecheckMs = 20;

  // `signalFd` becomes readable when the run is to end (SIGINT, SIGTERM).
  SimulatorSession(PtyPeer& peer, SessionOptions options, int signalFd);

  [[nodiscard]] int run();

  // A number of milliseconds from 0 to kMaxDelayMs; nothing for anything else.
  [[nodiscard]] static std::optional<qint64> parseDelay(const QString& text);
  // A message on standard error, naming the program.
  static void complain(const QString& message);

 private:
  using Clock = std::chrono::steady_clock;

  struct Step {
    enum class Kind { Send, Wait, Expect };
    Kind kind = Kind::Send;
    QByteArray bytes;
    qint64 ms = 0;
    QRegularExpression pattern;
  };

  // Runs the steps that can run now; an exit code when the script has decided the end.
  [[nodiscard]] std::optional<int> advance(Clock::time_point now);
  [[nodiscard]] bool finished(Clock::time_point now);
  [[nodiscard]] int endWith(int exitCode);
  [[nodiscard]] int pollTimeout(Clock::time_point now) const;
  void readPeer(Clock::time_point now);
  void writePeer(Clock::time_point now);
  void hangUp(Clock::time_point now);
  [[nodiscard]] bool readStdin();
  [[nodiscard]] bool takeScriptLine(QByteArray line);
  [[nodiscard]] bool matchUnmatched(const QRegularExpression& pattern);
  void printReceived(const FrameReader::Received& received, Clock::time_point now);
  void printLine(const QString& text) const;
  [[nodiscard]] QString stamp(Clock::time_point now) const;

  PtyPeer& peer_;
  SessionOptions options_;
  int signalFd_;
  FrameReader reader_;
  Clock::time_point start_;

  std::deque<Step> steps_;
  bool stepStarted_ = false;
  Clock::time_point stepDeadline_;
  QByteArray output_;
  std::optional<Clock::time_point> lastSendDone_;
  std::optional<Clock::time_point> sendingOver_;

  bool linkUp_ = false;
  Clock::time_point linkUpSince_;
  Clock::time_point nextRecheck_;
  bool toldWaiting_ = false;

  bool stdinOpen_ = false;
  QByteArray stdinPending_;
  int scriptLine_ = 0;
  std::deque<QString> unmatched_;
};
