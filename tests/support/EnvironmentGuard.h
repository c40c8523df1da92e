#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <cstdlib>
#include <optional>

// Puts an environment variable back as it was when the test is done with it.
class EnvironmentGuard {
 public:
  explicit EnvironmentGuard(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) {
      saved_ = QByteArray(value);
    }
  }
  ~EnvironmentGuard() {
    if (saved_) {
      qputenv(name_, *saved_);
    } else {
      qunsetenv(name_);
    }
  }
  EnvironmentGuard(const EnvironmentGuard&) = delete;
  EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

 private:
  const char* name_;
  std::optional<QByteArray> saved_;
};
