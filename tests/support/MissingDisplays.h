#pragma once

#include <gtest/gtest.h>

#include <QtGlobal>
#include <functional>

#include "tests/support/EnvironmentGuard.h"

// Runs `body` once for each way an X display can be missing: DISPLAY unset, empty, and naming a
// display nothing listens on (its socket cannot exist under the path of a number this big).
inline void ForEachMissingDisplay(const std::function<void()>& body) {
  EnvironmentGuard display("DISPLAY");
  for (const char* value : {static_cast<const char*>(nullptr), "", ":65000"}) {
    SCOPED_TRACE(value == nullptr ? "unset" : value);
    if (value == nullptr) {
      qunsetenv("DISPLAY");
    } else {
      qputenv("DISPLAY", value);
    }
    body();
  }
}
