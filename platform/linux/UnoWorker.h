#pragma once

#include <chrono>
#include <functional>
#include <memory>

// The one thread on which the office is called. The agent's own thread hands it one task at a
// time and waits a bounded time for it; a task that overruns is left to finish (or to hang) on
// the worker while the caller goes on. A hung worker is abandoned: its thread is detached and a
// fresh one takes the next task, so that one wedged remote call never blocks the next.
class UnoWorker {
 public:
  UnoWorker();
  UnoWorker(const UnoWorker&) = delete;
  UnoWorker& operator=(const UnoWorker&) = delete;
  ~UnoWorker();

  // Runs `task` on the worker; true if it finished within `timeout`. The task must own (or share)
  // everything it touches, since it may outlive the call.
  [[nodiscard]] bool run(std::function<void()> task, std::chrono::milliseconds timeout);
  // Waits up to `timeout` for the worker to become idle; detaches it and starts a fresh one if it
  // does not. A poll goes with the worker it was set on.
  void recover(std::chrono::milliseconds timeout);
  // Runs `poll` on the worker every `interval` between tasks (a task waiting goes first), until
  // `poll` returns false or another poll (an empty one to stop) takes its place. It watches the
  // office between the caller's calls on the one thread that calls it; a task handed in while a
  // poll runs waits for it, so a poll must be short. Like a task, it must own what it touches,
  // and its captures may be released on either thread.
  void setPoll(std::function<bool()> poll, std::chrono::milliseconds interval);

 private:
  struct State;
  static void loop(const std::shared_ptr<State>& state);
  void startThread();
  void stopThread(std::chrono::milliseconds timeout);

  std::shared_ptr<State> state_;
};
