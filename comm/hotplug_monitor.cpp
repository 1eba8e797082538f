#include "comm/hotplug_monitor.h"

#include <linux/netlink.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace comm {
namespace {

// The kernel's own multicast group of device events (udev's "kernel"
// monitor), as opposed to the events udevd re-broadcasts after processing.
constexpr unsigned kKernelEventGroup = 1;

int OpenKernelEventSocket() {
  const int fd =
      socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
  if (fd < 0) return -1;
  sockaddr_nl address{};
  address.nl_family = AF_NETLINK;
  address.nl_groups = kKernelEventGroup;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

bool IsTtyAddOrRemove(const char* message, std::size_t length) {
  bool tty = false;
  bool addOrRemove = false;
  std::size_t at = 0;
  while (at < length) {
    const auto end =
        static_cast<std::size_t>(std::find(message + at, message + length, '\0') - message);
    const std::string_view field(message + at, end - at);
    if (field == "SUBSYSTEM=tty") tty = true;
    if (field == "ACTION=add" || field == "ACTION=remove") addOrRemove = true;
    at = end + 1;
  }
  return tty && addOrRemove;
}

HotplugMonitor::HotplugMonitor(MainThreadDispatcher& dispatcher, PortEnumerator& ports,
                               std::function<void()> onDeviceChange, Mode preferred,
                               std::chrono::milliseconds rescanInterval)
    : dispatcher_(dispatcher),
      ports_(ports),
      onDeviceChange_(std::move(onDeviceChange)),
      rescanInterval_(rescanInterval),
      mode_(Mode::Rescan),
      alive_(std::make_shared<bool>(true)) {
  if (preferred == Mode::KernelEvents) socket_ = OpenKernelEventSocket();
  // Without its wake-up the wait on the socket could not be ended.
  if (socket_ >= 0) wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (socket_ >= 0 && wakeFd_ < 0) {
    close(socket_);
    socket_ = -1;
  }
  if (socket_ >= 0) mode_ = Mode::KernelEvents;
  // The list to compare with is taken now: a port plugged in before the
  // thread gets going is a change too.
  if (mode_ == Mode::Rescan && ports_.PresentPortNames(known_))
    std::sort(known_.begin(), known_.end());
  thread_ = std::thread(&HotplugMonitor::Run, this);
}

HotplugMonitor::~HotplugMonitor() {
  *alive_ = false;
  {
    std::lock_guard lock(stopMutex_);
    stop_ = true;
  }
  stopChanged_.notify_all();
  if (wakeFd_ >= 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof one);
  }
  thread_.join();
  if (socket_ >= 0) close(socket_);
  if (wakeFd_ >= 0) close(wakeFd_);
}

void HotplugMonitor::Notify() {
  dispatcher_.Post([alive = alive_, callback = onDeviceChange_] {
    if (*alive) callback();
  });
}

void HotplugMonitor::Run() {
  for (;;) {
    if (mode_ == Mode::KernelEvents) {
      pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {socket_, POLLIN, 0}};
      const int ready = poll(fds, 2, -1);
      if (fds[0].revents & POLLIN) return;
      if (ready < 0) continue;
      bool changed = false;
      char message[8192];
      ssize_t n;
      while ((n = recv(socket_, message, sizeof message, 0)) > 0) {
        changed |= IsTtyAddOrRemove(message, static_cast<std::size_t>(n));
      }
      if (changed) Notify();
    } else {
      {
        std::unique_lock lock(stopMutex_);
        if (stopChanged_.wait_for(lock, rescanInterval_, [this] { return stop_; })) return;
      }
      std::vector<std::string> now;
      if (!ports_.PresentPortNames(now)) continue;
      std::sort(now.begin(), now.end());
      if (now != known_) {
        known_ = std::move(now);
        Notify();
      }
    }
  }
}

}  // namespace comm
