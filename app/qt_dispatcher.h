#pragma once
// The serial port's event hand-over on the GUI thread. Post (from any
// thread) appends the task and schedules a queued, non-blocking call that
// drains the queue on the GUI thread; the poster waits by itself. A blocking
// queued call would deadlock: Close runs on the GUI thread and waits for the
// event thread, which would be waiting for the GUI thread.

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

#include "comm/main_thread.h"

namespace app {

class QtDispatcher final : public QObject, public comm::MainThreadDispatcher {
  Q_OBJECT
 public:
  // Lives on the thread that creates it, which must be the GUI thread.
  explicit QtDispatcher(QObject* parent = nullptr);
  ~QtDispatcher() override;

  void Post(std::function<void()> task) override;

 private:
  // Runs the queued tasks in order, one at a time, so that a task which
  // opens a message box (a nested event loop) lets the next ones run there
  // in their order.
  void Drain();

  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace app
