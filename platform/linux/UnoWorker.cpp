#include "platform/linux/UnoWorker.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// How long the destructor waits for a task in flight before leaving the thread behind.
constexpr std::chrono::milliseconds kStopTimeout{3000};

}  // namespace

struct UnoWorker::State {
  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable idle;
  std::deque<std::function<void()>> tasks;
  bool busy = false;
  bool stop = false;
  bool finished = false;
  std::thread thread;
};

UnoWorker::UnoWorker() { startThread(); }

UnoWorker::~UnoWorker() { stopThread(kStopTimeout); }

void UnoWorker::startThread() {
  state_ = std::make_shared<State>();
  // The thread holds its own share of the state, so a detached worker never touches freed memory.
  state_->thread = std::thread([state = state_] { loop(state); });
}

void UnoWorker::stopThread(std::chrono::milliseconds timeout) {
  std::unique_lock lock(state_->mutex);
  state_->stop = true;
  state_->tasks.clear();
  state_->wake.notify_all();
  const bool ended = state_->idle.wait_for(lock, timeout, [&] { return state_->finished; });
  lock.unlock();
  if (ended) {
    state_->thread.join();
  } else {
    state_->thread.detach();
  }
}

bool UnoWorker::run(std::function<void()> task, std::chrono::milliseconds timeout) {
  struct Done {
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
  };
  auto done = std::make_shared<Done>();
  {
    std::lock_guard lock(state_->mutex);
    state_->tasks.push_back([task = std::move(task), done] {
      task();
      std::lock_guard doneLock(done->mutex);
      done->done = true;
      done->changed.notify_all();
    });
    state_->wake.notify_all();
  }
  std::unique_lock lock(done->mutex);
  return done->changed.wait_for(lock, timeout, [&] { return done->done; });
}

void UnoWorker::recover(std::chrono::milliseconds timeout) {
  {
    std::unique_lock lock(state_->mutex);
    if (state_->idle.wait_for(lock, timeout,
                              [&] { return !state_->busy && state_->tasks.empty(); })) {
      return;
    }
  }
  stopThread(std::chrono::milliseconds{0});
  startThread();
}

void UnoWorker::loop(const std::shared_ptr<State>& state) {
  std::unique_lock lock(state->mutex);
  for (;;) {
    state->wake.wait(lock, [&] { return state->stop || !state->tasks.empty(); });
    if (state->stop) {
      break;
    }
    std::function<void()> task = std::move(state->tasks.front());
    state->tasks.pop_front();
    state->busy = true;
    lock.unlock();
    // Tasks catch what the office throws; anything else must not end the thread silently.
    try {
      task();
    } catch (...) {
    }
    // Dropped before the lock is taken again: the task's captures may release remote objects.
    task = nullptr;
    lock.lock();
    state->busy = false;
    state->idle.notify_all();
  }
  state->finished = true;
  state->idle.notify_all();
}
