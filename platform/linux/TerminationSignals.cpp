#include "platform/linux/TerminationSignals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <csignal>

namespace {

// The write end the signal handler uses, and the read end the event loop watches.
int gSignalSockets[2] = {-1, -1};

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int /*signal*/) {
  const char byte = 1;
  // Async-signal-safe; a full socket already holds a request, so a lost byte loses nothing.
  (void)!write(gSignalSockets[0], &byte, 1);
}

}  // namespace

TerminationSignals::TerminationSignals() = default;

void TerminationSignals::install() {
  if (notifier_ || gSignalSockets[0] >= 0 ||
      socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gSignalSockets) != 0) {
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(gSignalSockets[1], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { watch(); });
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals) {
    sigaction(signal, &action, nullptr);
  }
}

TerminationSignals::~TerminationSignals() {
  if (!notifier_) {
    return;
  }
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (const int signal : kSignals) {
    sigaction(signal, &action, nullptr);
  }
  notifier_.reset();
  close(gSignalSockets[0]);
  close(gSignalSockets[1]);
  gSignalSockets[0] = gSignalSockets[1] = -1;
}

void TerminationSignals::setHandler(std::function<void()> handler) {
  handler_ = std::move(handler);
  install();
}

void TerminationSignals::watch() {
  char bytes[64];
  while (read(gSignalSockets[1], bytes, sizeof bytes) > 0) {
  }
  if (handler_) {
    handler_();
  }
}
