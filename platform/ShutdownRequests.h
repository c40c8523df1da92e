#pragma once

#include <functional>

// Requests from outside the program to end it: the session logging out, a service manager or a
// user stopping it. The handler runs on the program's own thread, from its event loop.
class ShutdownRequests {
 public:
  virtual ~ShutdownRequests() = default;
  virtual void setHandler(std::function<void()> handler) = 0;
};
