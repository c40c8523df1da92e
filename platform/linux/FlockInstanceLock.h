#pragma once

#include <QString>

#include "platform/InstanceLock.h"

// The lock is an advisory lock (flock) on a file named after the canonical program folder, kept
// in $XDG_RUNTIME_DIR (else a folder of the user's own in the system's temporary folder): the
// program folder may be read-only, and the kernel lets go of the lock when its process ends, so
// a crashed agent leaves no stale lock behind.
class FlockInstanceLock final : public InstanceLock {
 public:
  FlockInstanceLock() = default;
  ~FlockInstanceLock() override;
  FlockInstanceLock(const FlockInstanceLock&) = delete;
  FlockInstanceLock& operator=(const FlockInstanceLock&) = delete;

  [[nodiscard]] bool acquire(const QString& programFolder) override;

  // The lock file of a program folder.
  [[nodiscard]] static QString lockPath(const QString& programFolder);

 private:
  int fd_ = -1;
};
