#include "comm/main_thread.h"

namespace comm {

void LoopDispatcher::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  posted_.notify_one();
}

bool LoopDispatcher::RunUntil(const std::function<bool()>& done,
                              std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      if (!posted_.wait_until(lock, deadline, [this] { return !tasks_.empty(); })) return done();
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}

int LoopDispatcher::RunPending() {
  std::deque<std::function<void()>> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(tasks_);
  }
  for (auto& task : batch) task();
  return static_cast<int>(batch.size());
}

}  // namespace comm
