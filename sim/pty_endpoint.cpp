#include "sim/pty_endpoint.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "comm/line_speed.h"
#include "comm/port_holders.h"

namespace sim {

bool PtyEndpoint::Open(std::string& error) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  char name[128];
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 ||
      ptsname_r(master_, name, sizeof name) != 0) {
    error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
    Close();
    return false;
  }
  slavePath_ = name;
  slave_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios tio{};
  if (slave_ < 0 || tcgetattr(slave_, &tio) != 0) {
    error = "cannot open " + slavePath_ + ": " + std::strerror(errno);
    Close();
    return false;
  }
  // Raw at once: a new pty starts cooked and would echo the device's own
  // output back to it.
  cfmakeraw(&tio);
  tcsetattr(slave_, TCSANOW, &tio);
  // Watched only now, so the device's own open is not counted as a host.
  watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (watch_ >= 0 &&
      inotify_add_watch(watch_, name, IN_OPEN | IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
    close(watch_);
    watch_ = -1;
  }
  return true;
}

void PtyEndpoint::Close() {
  if (watch_ >= 0) close(watch_);
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
  watch_ = slave_ = master_ = -1;
}

std::uint32_t PtyEndpoint::HostSpeed() const { return comm::GetLineSpeed(master_); }

bool PtyEndpoint::FollowHosts() {
  if (watch_ < 0) return false;
  bool closed = false;
  alignas(inotify_event) char buffer[4096];
  ssize_t n;
  while ((n = read(watch_, buffer, sizeof buffer)) > 0) {
    for (ssize_t at = 0; at < n;) {
      inotify_event event;
      std::memcpy(&event, buffer + at, sizeof event);
      at += static_cast<ssize_t>(sizeof event + event.len);
      if (event.mask & IN_OPEN) ++hosts_;
      if (event.mask & (IN_CLOSE_WRITE | IN_CLOSE_NOWRITE)) {
        closed = true;
        if (hosts_ > 0) --hosts_;
      }
      if (event.mask & IN_Q_OVERFLOW) hosts_ = 1;  // unknown: the next close settles it
      if (event.mask & IN_IGNORED) {               // the node is gone: stop following
        close(watch_);
        watch_ = -1;
        return false;
      }
    }
  }
  if (!closed) return false;
  // The kernel merges identical events that follow each other unread (two
  // closes in a row read as one), so the count can only say when to look:
  // the processes that have the node open, from /proc, say who is left.
  hosts_ = static_cast<int>(comm::OpenHolders(slavePath_).size());
  if (hosts_ > 0) return false;
  ioctl(slave_, TIOCNXCL);
  tcflush(slave_, TCIFLUSH);
  return true;
}

void PtyEndpoint::WaitUntilRead(int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  // Bytes written to the master reach the slave's queue a moment later, so
  // the queue must stay empty for a while before it counts as read.
  constexpr auto kSettled = std::chrono::milliseconds(50);
  auto emptySince = Clock::now();
  while (Clock::now() < deadline) {
    FollowHosts();
    if (!HostPresent()) return;
    int unread = 0;
    if (ioctl(slave_, FIONREAD, &unread) != 0) return;
    const auto now = Clock::now();
    if (unread > 0) emptySince = now;
    if (now - emptySince >= kSettled) return;
    poll(nullptr, 0, 5);
  }
}

}  // namespace sim
