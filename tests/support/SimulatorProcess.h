#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// The handheld simulator as a child process in pseudo-terminal mode: frames go to it as script
// lines on its standard input, and the frames it receives come back with their time stamps.
class SimulatorProcess {
 public:
  struct Received {
    double ms = 0;
    QString frame;  // as the simulator prints it: control bytes escaped
  };

  // Starts the simulator with its pty linked at `linkPath`; false when it does not come up.
  bool start(const QString& linkPath, const QStringList& extraArguments = {});
  void send(const QString& scriptLine);
  // Processes events until `done` holds or `timeoutMs` passed; returns `done()`.
  static bool waitUntil(const std::function<bool()>& done, int timeoutMs);

  [[nodiscard]] const std::vector<Received>& received();
  // The first frame received from index `from` on that matches `pattern` (a regular expression),
  // waiting up to `timeoutMs` for it; "" when none came in time.
  [[nodiscard]] QString frameMatching(const QString& pattern, std::size_t from, int timeoutMs);
  [[nodiscard]] QString devicePath() const { return device_; }
  ~SimulatorProcess();

 private:
  void readLines();

  QProcess process_;
  QString device_;
  QByteArray pending_;
  std::vector<Received> received_;
};

// Where the build put the simulator.
QString simulatorPath();
