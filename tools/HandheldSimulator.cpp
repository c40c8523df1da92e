// corvane-handheld: a command-line stand-in for the handheld remote. It holds one end of a serial
// line (a device, or a pseudo-terminal whose other end the agent opens), sends frames and prints
// every frame that comes back, so that tests and people can talk to the agent without the remote.

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "tools/PtyPeer.h"
#include "tools/SimulatorSession.h"
#include "tools/WireText.h"

namespace {

constexpr qint64 kDefaultListenMs = 1500;

constexpr auto kDescription =
    R"(Sends frames to the agent over a serial line and prints what comes back.

Output lines (flushed at once):
  DEVICE <path>      the device the agent is to open (first line)
  RECV <ms> <frame>  a frame received, ms since start; control bytes as \xNN, "\" as \\
  JUNK <ms> <bytes>  bytes outside frames, printed before the next frame or at exit
  HANGUP <ms>        the agent closed its end; the simulator waits for it to come back

Script lines (--stdin), one a line:
  <<COMMAND|arg1|arg2>>   a frame to send (any text with --raw)
  wait MS                 a pause
  expect REGEX [MS]       wait for a received frame that REGEX matches (default 5000 ms);
                          exit code 3 when none comes. The pattern is matched against the
                          frame's characters, not the escaped output line.
  # comment, blank lines  skipped
Frames are sent once the other end is open (with --pty: a moment after the agent opened it).

Exit codes: 0 done, 2 bad usage or device, 3 an expect timed out.)";

int usageError(const QString& message) {
  SimulatorSession::complain(message);
  return SimulatorSession::kExitUsage;
}

// SIGINT and SIGTERM arrive through a descriptor the session polls, so that the run ends through
// the normal path and the link is removed. Blocked before the device exists, so that no signal
// finds us half set up.
int watchSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) {
    return -1;
  }
  // A reader that went away must not end us in the middle of a line.
  (void)signal(SIGPIPE, SIG_IGN);
  return signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("corvane-handheld"));

  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8(kDescription));
  parser.addHelpOption();
  const QCommandLineOption deviceOption(QStringLiteral("device"),
                                        QStringLiteral("Open the existing serial device <path>."),
                                        QStringLiteral("path"));
  const QCommandLineOption ptyOption(
      QStringLiteral("pty"), QStringLiteral("Create a pseudo-terminal for the agent to open."));
  const QCommandLineOption linkOption(
      QStringLiteral("link"),
      QStringLiteral("With --pty, a symbolic link <path> to the device "
                     "(removed at exit)."),
      QStringLiteral("path"));
  const QCommandLineOption rawOption(QStringLiteral("raw"),
                                     QStringLiteral("Send any text, not only whole frames."));
  const QCommandLineOption escapesOption(
      QStringLiteral("escapes"),
      QStringLiteral("Read \\xNN \\r \\n \\t \\\\ in what is sent as single bytes."));
  const QCommandLineOption fromStdinOption(QStringLiteral("stdin"),
                                           QStringLiteral("Read a script from standard input."));
  const QCommandLineOption gapOption(QStringLiteral("gap"),
                                     QStringLiteral("Milliseconds between two sends (default 0)."),
                                     QStringLiteral("ms"), QStringLiteral("0"));
  const QCommandLineOption togetherOption(
      QStringLiteral("together"),
      QStringLiteral("Write all frames of the command line in one write."));
  const QCommandLineOption listenOption(
      QStringLiteral("listen"),
      QStringLiteral("Milliseconds to listen after the last send (default %1; 0: until killed, "
                     "or with --stdin until its end).")
          .arg(kDefaultListenMs),
      QStringLiteral("ms"), QString::number(kDefaultListenMs));
  const QCommandLineOption foreverOption(QStringLiteral("forever"),
                                         QStringLiteral("Listen until killed."));
  parser.addOptions({deviceOption, ptyOption, linkOption, rawOption, escapesOption, fromStdinOption,
                     gapOption, togetherOption, listenOption, foreverOption});
  parser.addPositionalArgument(QStringLiteral("frames"),
                               QStringLiteral("Frames to send, such as '<<DIRLIST|Music|>>'."),
                               QStringLiteral("[frames...]"));

  if (!parser.parse(QCoreApplication::arguments())) {
    return usageError(parser.errorText());
  }
  if (parser.isSet(QStringLiteral("help"))) {
    std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
    return SimulatorSession::kExitOk;
  }
  if (parser.isSet(deviceOption) == parser.isSet(ptyOption)) {
    return usageError(QStringLiteral("give either --device PATH or --pty (see --help)"));
  }
  if (parser.isSet(linkOption) && !parser.isSet(ptyOption)) {
    return usageError(QStringLiteral("--link goes with --pty"));
  }
  if (parser.isSet(listenOption) && parser.isSet(foreverOption)) {
    return usageError(QStringLiteral("give --listen or --forever, not both"));
  }

  SessionOptions options;
  options.together = parser.isSet(togetherOption);
  options.readStdin = parser.isSet(fromStdinOption);
  options.escapes = parser.isSet(escapesOption);
  options.raw = parser.isSet(rawOption);
  const auto gapMs = SimulatorSession::parseDelay(parser.value(gapOption));
  const auto listenMs = SimulatorSession::parseDelay(parser.value(listenOption));
  if (!gapMs || !listenMs) {
    return usageError(QStringLiteral("--gap and --listen take milliseconds from 0 to %1")
                          .arg(SimulatorSession::kMaxDelayMs));
  }
  options.gapMs = *gapMs;
  if (!parser.isSet(foreverOption) && (*listenMs > 0 || options.readStdin)) {
    options.listenMs = *listenMs;
  }
  for (const QString& text : parser.positionalArguments()) {
    QString error;
    const auto encoded = wiretext::encodeToSend(text, options.escapes, options.raw, error);
    if (!encoded) {
      return usageError(error);
    }
    if (encoded->replaced > 0) {
      SimulatorSession::complain(
          QStringLiteral("\"%2\": %1 character(s) without a Windows-1252 byte go out as \"?\"")
              .arg(encoded->replaced)
              .arg(text));
    }
    options.frames.push_back(encoded->bytes);
  }

  const int signalFd = watchSignals();
  if (signalFd < 0) {
    return usageError(QStringLiteral("cannot watch for signals"));
  }
  QString error;
  const auto peer = parser.isSet(ptyOption)
                        ? PtyPeer::createPty(parser.value(linkOption), error)
                        : PtyPeer::openDevice(parser.value(deviceOption), error);
  if (!peer) {
    (void)::close(signalFd);
    return usageError(error);
  }
  std::printf("DEVICE %s\n", peer->devicePath().toLocal8Bit().constData());
  std::fflush(stdout);

  SimulatorSession session(*peer, std::move(options), signalFd);
  const int exitCode = session.run();
  (void)::close(signalFd);
  return exitCode;
}
