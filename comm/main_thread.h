#pragma once
// Handing work from a worker thread to the main thread. The serial port's
// event thread posts each event here and waits itself until the handler has
// run (or the port is closed), so a front end only has to run posted tasks
// in order on its main thread: the Qt front end with a queued call, the
// command line and the tests with a LoopDispatcher.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace comm {

class MainThreadDispatcher {
 public:
  virtual ~MainThreadDispatcher() = default;
  // Queues `task` for the main thread and returns at once. Tasks run in the
  // order posted. A task may be dropped unrun when the dispatcher is
  // destroyed; posters never rely on a task running.
  virtual void Post(std::function<void()> task) = 0;
};

// A task queue that the main thread drains itself.
class LoopDispatcher final : public MainThreadDispatcher {
 public:
  void Post(std::function<void()> task) override;

  // Runs tasks as they arrive until `done()` holds (checked before each wait
  // and after each task) or `timeout` passes. True when `done()` held.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Runs the tasks queued now; how many ran.
  int RunPending();

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace comm
