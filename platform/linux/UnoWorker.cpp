#include "platform/linux/UnoWorker.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// How long the destructor waits for a task in flight before leaving the thread behind.
constexpr std::chrono::milliseconds kStopTimeout{3000};

}  // namespace

struct UnoWorker::State {
  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable idle;
  std::deque<std::function<void()>> tasks;
  std::function<bool()> poll;
  std::chrono::milliseconds pollInterval{0};
  std::chrono::steady_clock::time_point nextPoll;
  // Counts the polls set, so that a poll that asks to stop does not end the one set meanwhile.
  std::uint64_t pollGeneration = 0;
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

void UnoWorker::setPoll(std::function<bool()> poll, std::chrono::milliseconds interval) {
  std::function<bool()> replaced;
  {
    std::lock_guard lock(state_->mutex);
    replaced = std::exchange(state_->poll, std::move(poll));
    state_->pollInterval = interval;
    state_->nextPoll = std::chrono::steady_clock::now() + interval;
    ++state_->pollGeneration;
    state_->wake.notify_all();
  }
  // The replaced poll is released here, after the lock: its captures may take a while to go.
}

void UnoWorker::loop(const std::shared_ptr<State>& state) {
  std::unique_lock lock(state->mutex);
  for (;;) {
    if (state->stop) {
      break;
    }
    if (state->tasks.empty()) {
      if (!state->poll) {
        state->wake.wait(lock);
        continue;
      }
      if (std::chrono::steady_clock::now() < state->nextPoll) {
        state->wake.wait_until(lock, state->nextPoll);
        continue;
      }
    }
    const bool polling = state->tasks.empty();
    const std::uint64_t pollGeneration = state->pollGeneration;
    std::function<void()> task;
    // A copy of the poll: setPoll may replace it while it runs.
    std::function<bool()> poll;
    if (polling) {
      poll = state->poll;
    } else {
      task = std::move(state->tasks.front());
      state->tasks.pop_front();
    }
    state->busy = true;
    lock.unlock();
    bool pollAgain = false;
    // Tasks catch what the office throws; anything else must not end the thread silently.
    try {
      if (polling) {
        pollAgain = poll();
      } else {
        task();
      }
    } catch (...) {
    }
    // Dropped before the lock is taken again: the captures may release remote objects.
    task = nullptr;
    poll = nullptr;
    lock.lock();
    state->busy = false;
    if (polling) {
      if (!pollAgain && state->pollGeneration == pollGeneration) {
        state->poll = nullptr;
      }
      state->nextPoll = std::chrono::steady_clock::now() + state->pollInterval;
    }
    state->idle.notify_all();
  }
  state->finished = true;
  state->idle.notify_all();
}
