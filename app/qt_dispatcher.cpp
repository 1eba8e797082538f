#include "app/qt_dispatcher.h"

#include <QMetaObject>

namespace app {

QtDispatcher::QtDispatcher(QObject* parent) : QObject(parent) {}

// Tasks still queued are dropped unrun; the port and the hot-plug monitor
// are gone by now and rely on nothing running.
QtDispatcher::~QtDispatcher() = default;

void QtDispatcher::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  // Queued: returns at once. A call that finds the queue empty (drained by
  // an earlier one) does nothing; Qt drops the call if this object is gone.
  QMetaObject::invokeMethod(this, &QtDispatcher::Drain, Qt::QueuedConnection);
}

void QtDispatcher::Drain() {
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard lock(mutex_);
      if (tasks_.empty()) return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}

}  // namespace app
