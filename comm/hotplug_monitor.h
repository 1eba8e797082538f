#pragma once
// Hot-plug notice: tells the main thread when a serial device arrives or is
// removed, so it can rebuild its port lists. Listens to the kernel's device
// events (the udev "kernel" monitor: a netlink socket, no udev daemon
// needed); where that socket, or the eventfd that wakes its wait, cannot be
// made, it rescans the present ports periodically and reports a change of
// the list.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "comm/main_thread.h"
#include "comm/port_enumeration.h"

namespace comm {

class HotplugMonitor {
 public:
  enum class Mode { KernelEvents, Rescan };

  // `onDeviceChange` runs on the main thread through `dispatcher`, never
  // after the monitor is destroyed (which must happen on the main thread).
  // `ports` is only used in Rescan mode, from the monitor's thread.
  HotplugMonitor(MainThreadDispatcher& dispatcher, PortEnumerator& ports,
                 std::function<void()> onDeviceChange, Mode preferred = Mode::KernelEvents,
                 std::chrono::milliseconds rescanInterval = std::chrono::seconds(2));
  ~HotplugMonitor();
  HotplugMonitor(const HotplugMonitor&) = delete;
  HotplugMonitor& operator=(const HotplugMonitor&) = delete;

  Mode ActiveMode() const { return mode_; }

 private:
  void Run();
  void Notify();

  MainThreadDispatcher& dispatcher_;
  PortEnumerator& ports_;
  std::function<void()> onDeviceChange_;
  std::chrono::milliseconds rescanInterval_;
  Mode mode_;
  int socket_ = -1;
  int wakeFd_ = -1;  // wakes the wait on the socket
  std::mutex stopMutex_;
  std::condition_variable stopChanged_;  // wakes the wait between rescans
  bool stop_ = false;
  std::vector<std::string> known_;  // the present ports at the last rescan
  std::shared_ptr<bool> alive_;     // read and cleared on the main thread only
  std::thread thread_;
};

// True when a kernel device event (netlink uevent: "action@devpath" then
// NUL-separated KEY=value pairs) adds or removes a tty device.
bool IsTtyAddOrRemove(const char* message, std::size_t length);

}  // namespace comm
