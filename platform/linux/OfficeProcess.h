#pragma once

#include <sys/types.h>

#include <QString>
#include <QStringList>
#include <chrono>

// One office process of our own: started in a process group of its own, so that the watchdog
// reaches the launcher and the office it forks with one signal. Its output goes to /dev/null;
// the office writes diagnostics there that nobody reads, and a full pipe would stall it.
class OfficeProcess {
 public:
  OfficeProcess() = default;
  OfficeProcess(const OfficeProcess&) = delete;
  OfficeProcess& operator=(const OfficeProcess&) = delete;
  // Kills a process that is still running: an office left behind would hold the private profile.
  ~OfficeProcess();

  // `environment` holds "NAME=value" entries that are added to the inherited environment or take
  // the place of a variable of the same name there.
  [[nodiscard]] bool start(const QString& program, const QStringList& arguments,
                           const QStringList& environment = {});
  // Reaps the process if it has ended; false once it has.
  [[nodiscard]] bool running();
  // Waits up to `timeout` for the process to end by itself; true once it has.
  [[nodiscard]] bool waitForExit(std::chrono::milliseconds timeout);
  // SIGKILL to the whole group, then reaps the launcher (bounded: a killed process ends at once).
  void kill();

  [[nodiscard]] pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};
