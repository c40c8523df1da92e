#include "platform/linux/OfficeProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

extern char** environ;

namespace {

// How often waitForExit looks at the process; an office ends within a second or two.
constexpr std::chrono::milliseconds kExitPollInterval{20};
// A process killed with SIGKILL is gone almost at once; reaping it waits no longer than this.
constexpr std::chrono::milliseconds kReapAfterKill{2000};

}  // namespace

OfficeProcess::~OfficeProcess() {
  if (running()) {
    kill();
  }
}

bool OfficeProcess::start(const QString& program, const QStringList& arguments,
                          const QStringList& environment) {
  if (pid_ > 0) {
    return false;
  }
  std::vector<QByteArray> storage;
  storage.reserve(static_cast<std::size_t>(arguments.size()) + 1);
  storage.push_back(program.toLocal8Bit());
  for (const QString& argument : arguments) {
    storage.push_back(argument.toLocal8Bit());
  }
  std::vector<char*> argv;
  for (QByteArray& bytes : storage) {
    argv.push_back(bytes.data());
  }
  argv.push_back(nullptr);

  std::vector<QByteArray> variables;
  for (const QString& entry : environment) {
    variables.push_back(entry.toLocal8Bit());
  }
  const auto replaced = [&variables](const char* inherited) {
    const char* equals = std::strchr(inherited, '=');
    const auto nameLength =
        static_cast<qsizetype>(equals != nullptr ? equals - inherited : std::strlen(inherited));
    return std::any_of(variables.begin(), variables.end(), [&](const QByteArray& entry) {
      return entry.size() > nameLength && entry[nameLength] == '=' &&
             std::strncmp(entry.constData(), inherited, static_cast<std::size_t>(nameLength)) == 0;
    });
  };
  std::vector<char*> envp;
  for (char** inherited = environ; *inherited != nullptr; ++inherited) {
    if (!replaced(*inherited)) {
      envp.push_back(*inherited);
    }
  }
  for (QByteArray& entry : variables) {
    envp.push_back(entry.data());
  }
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (posix_spawn_file_actions_init(&actions) != 0) {
    return false;
  }
  if (posix_spawnattr_init(&attributes) != 0) {
    (void)posix_spawn_file_actions_destroy(&actions);
    return false;
  }
  bool ok =
      posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0 &&
      posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0) == 0 &&
      posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO) == 0 &&
      posix_spawnattr_setpgroup(&attributes, 0) == 0 &&
      posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP) == 0;
  pid_t child = -1;
  if (ok) {
    ok = posix_spawn(&child, argv.front(), &actions, &attributes, argv.data(), envp.data()) == 0;
  }
  (void)posix_spawnattr_destroy(&attributes);
  (void)posix_spawn_file_actions_destroy(&actions);
  if (!ok) {
    return false;
  }
  pid_ = child;
  return true;
}

bool OfficeProcess::running() {
  if (pid_ <= 0) {
    return false;
  }
  int status = 0;
  const pid_t result = waitpid(pid_, &status, WNOHANG);
  if (result == 0) {
    return true;
  }
  // Ended (result == pid_) or no longer ours to wait for (ECHILD): either way it is gone. The
  // office it forked may outlive the launcher; the group signal reaches it.
  (void)::kill(-pid_, SIGKILL);
  pid_ = -1;
  return false;
}

bool OfficeProcess::waitForExit(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (running()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(kExitPollInterval);
  }
  return true;
}

void OfficeProcess::kill() {
  if (pid_ <= 0) {
    return;
  }
  (void)::kill(-pid_, SIGKILL);
  (void)::kill(pid_, SIGKILL);
  (void)waitForExit(kReapAfterKill);
  pid_ = -1;
}
