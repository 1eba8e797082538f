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
    const std::size_t end = std::find(message + at, message + length, '\0') - message;
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
  if (socket_ >= 0) mode_ = Mode::KernelEvents;
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  thread_ = std::thread(&HotplugMonitor::Run, this);
}

HotplugMonitor::~HotplugMonitor() {
  *alive_ = false;
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof one);
  thread_.join();
  if (socket_ >= 0) close(socket_);
  close(wakeFd_);
}

void HotplugMonitor::Notify() {
  dispatcher_.Post([alive = alive_, callback = onDeviceChange_] {
    if (*alive) callback();
  });
}

void HotplugMonitor::Run() {
  std::vector<std::string> known;
  if (mode_ == Mode::Rescan && ports_.PresentPortNames(known))
    std::sort(known.begin(), known.end());

  for (;;) {
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {socket_, POLLIN, 0}};
    const int timeout = mode_ == Mode::Rescan ? static_cast<int>(rescanInterval_.count()) : -1;
    const int ready = poll(fds, mode_ == Mode::KernelEvents ? 2 : 1, timeout);
    if (fds[0].revents & POLLIN) return;
    if (ready < 0) continue;

    if (mode_ == Mode::KernelEvents) {
      bool changed = false;
      char message[8192];
      ssize_t n;
      while ((n = recv(socket_, message, sizeof message, 0)) > 0) {
        changed |= IsTtyAddOrRemove(message, static_cast<std::size_t>(n));
      }
      if (changed) Notify();
    } else {
      std::vector<std::string> now;
      if (!ports_.PresentPortNames(now)) continue;
      std::sort(now.begin(), now.end());
      if (now != known) {
        known = std::move(now);
        Notify();
      }
    }
  }
}

}  // namespace comm
