#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "platform/ShutdownRequests.h"

// SIGTERM, SIGINT and SIGHUP as shutdown requests. The signal handler only writes a byte to a
// socket pair; the event loop reads it and runs the handler, so the program ends through its
// ordinary path instead of inside a signal handler. The signals keep their default action until
// a handler is set. One per process: the signals are the process's.
class TerminationSignals final : public ShutdownRequests {
 public:
  TerminationSignals();
  ~TerminationSignals() override;
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  void setHandler(std::function<void()> handler) override;

 private:
  void install();
  void watch();

  std::function<void()> handler_;
  std::unique_ptr<QSocketNotifier> notifier_;
};
