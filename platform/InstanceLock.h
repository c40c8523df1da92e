#pragma once

#include <QString>

// One running instance of the program per program folder: the first to take the folder's lock
// runs, a second sees it taken.
class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
  // Takes the lock of `programFolder` for the life of this object; false when another running
  // instance holds it. A lock that cannot be made at all does not keep the program from running.
  [[nodiscard]] virtual bool acquire(const QString& programFolder) = 0;
};
