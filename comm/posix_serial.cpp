// The serial platform layer on Linux: termios for the line (mapped in
// termios_mapping.cpp), termios2 for the exact speed (line_speed.cpp), poll()
// on the port plus an eventfd as the cancellable wait, and the check whether
// a port is free, which changes nothing on it.

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "comm/line_speed.h"
#include "comm/port_holders.h"
#include "comm/serial_platform.h"
#include "comm/termios_mapping.h"

namespace comm {
namespace {

using Clock = std::chrono::steady_clock;

// A read returns at the latest after this long with what has arrived.
constexpr int kReadTimeoutMs = 1000;
// How often modem lines and line-error counters are sampled, where the
// driver offers them; and how often a drained output queue is looked for.
constexpr int kSampleIntervalMs = 50;
constexpr int kTxCheckIntervalMs = 10;

int RemainingMs(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

class PosixSerialHandle final : public SerialHandle {
 public:
  // `found` and `foundSpeed`: the line settings the port had when opened,
  // given back when it is closed.
  PosixSerialHandle(int fd, int wakeFd, const termios& found, std::uint32_t foundSpeed)
      : fd_(fd), wakeFd_(wakeFd), found_(found), foundSpeed_(foundSpeed) {
    int lines = 0;
    modemSupported_ = ioctl(fd_, TIOCMGET, &lines) == 0;
    lastModem_ = lines;
    serial_icounter_struct counts{};
    countersSupported_ = ioctl(fd_, TIOCGICOUNT, &counts) == 0;
    lastCounts_ = counts;
  }

  ~PosixSerialHandle() override {
    // The port as it was found: another program (or a console) may rely on
    // its settings. The exact speed too, where termios has no code for it.
    if (tcsetattr(fd_, TCSANOW, &found_) == 0 && foundSpeed_ != 0 &&
        GetLineSpeed(fd_) != foundSpeed_) {
      SetLineSpeed(fd_, foundSpeed_);
    }
    // On a pseudo-terminal the exclusive flag outlives the descriptor.
    ioctl(fd_, TIOCNXCL);
    close(fd_);
    close(wakeFd_);
  }

  bool SetQueueSizes(std::uint32_t, std::uint32_t) override {
    // A Linux tty has fixed kernel queues; nothing to ask for.
    return true;
  }

  int ApplyLineSettings(const LineSettings& s) override {
    termios tio{};
    if (tcgetattr(fd_, &tio) != 0) return lastError_ = errno;
    if (const int error = MapLineSettings(s, tio); error != 0) return lastError_ = error;
    if (tcsetattr(fd_, TCSANOW, &tio) != 0) return lastError_ = errno;
    if (const int error = SetLineSpeed(fd_, s.BaudRate); error != 0) return lastError_ = error;
    // A driver may round to a nearby divisor; one that fell back to another
    // rate altogether did not take the setting.
    if (!RateTaken(s.BaudRate, GetLineSpeed(fd_))) return lastError_ = EINVAL;
    bitsPerSecond_ = s.BaudRate;
    return 0;
  }

  void SetEventMask(std::uint32_t mask) override { mask_ = mask; }

  std::uint32_t WaitEvent() override {
    for (;;) {
      if (cancelled_) return 0;
      if (hungUp_) {
        // Quiet until closed: wait for the cancel alone.
        pollfd wake{wakeFd_, POLLIN, 0};
        poll(&wake, 1, -1);
        DrainWake();
        continue;
      }

      const std::uint32_t mask = mask_;
      std::uint32_t events = 0;
      int queued = QueuedInput();
      const std::uint64_t arrived = consumed_ + static_cast<std::uint64_t>(queued);
      if ((mask & EV_RXCHAR) && queued > 0 && arrived > reportedArrivals_) {
        reportedArrivals_ = arrived;
        events |= EV_RXCHAR;
      }
      events |= SampleLines(mask);
      if ((mask & EV_TXEMPTY) && txPending_ && QueuedOutput() == 0) {
        txPending_ = false;
        events |= EV_TXEMPTY;
      }
      if (events != 0) return events;

      // Wait for input only while nothing unread is left over; unread bytes
      // keep POLLIN set and would spin the loop, so their growth is sampled.
      const bool waitForInput = queued == 0;
      int timeout = -1;
      if (!waitForInput) timeout = kSampleIntervalMs;
      if ((modemSupported_ || countersSupported_) && (mask & ~(EV_RXCHAR | EV_TXEMPTY | EV_RXFLAG)))
        timeout = kSampleIntervalMs;
      if ((mask & EV_TXEMPTY) && txPending_) timeout = kTxCheckIntervalMs;

      pollfd fds[2] = {{wakeFd_, POLLIN, 0},
                       {fd_, static_cast<short>(waitForInput ? POLLIN : 0), 0}};
      if (poll(fds, 2, timeout) < 0 && errno != EINTR) return HangUp(mask, CE_READERROR);
      if (fds[0].revents & POLLIN) DrainWake();
      if (cancelled_) return 0;
      if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        // Bytes that came before the hang-up are still reported.
        queued = QueuedInput();
        std::uint32_t last = HangUp(mask, CE_HANGUP);
        if ((mask & EV_RXCHAR) && queued > 0 &&
            consumed_ + static_cast<std::uint64_t>(queued) > reportedArrivals_) {
          reportedArrivals_ = consumed_ + static_cast<std::uint64_t>(queued);
          last |= EV_RXCHAR;
        }
        if (last != 0) return last;
      }
    }
  }

  void CancelWait() override {
    cancelled_ = true;
    Wake();
  }

  void ClearError(std::int32_t& errors, TComStat& status) override {
    errors = errors_.exchange(0);
    status.Flags = 0;
    status.cbInQue = static_cast<std::uint32_t>(QueuedInput());
    status.cbOutQue = static_cast<std::uint32_t>(QueuedOutput());
  }

  std::int32_t Read(void* buffer, std::int32_t count) override {
    if (count <= 0) return 0;
    auto* out = static_cast<unsigned char*>(buffer);
    std::int32_t got = 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kReadTimeoutMs);
    while (got < count) {
      const ssize_t n = read(fd_, out + got, static_cast<std::size_t>(count - got));
      if (n > 0) {
        got += static_cast<std::int32_t>(n);
        continue;
      }
      if (n == 0) break;  // the other end is gone
      if (errno == EINTR) continue;
      if (errno != EAGAIN) {
        lastError_ = errno;
        errors_ |= CE_READERROR;
        break;
      }
      const int left = RemainingMs(deadline);
      if (left == 0) break;
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, left) <= 0 || !(p.revents & POLLIN)) break;
    }
    consumed_ += static_cast<std::uint64_t>(got);
    return got;
  }

  std::int32_t Write(const void* buffer, std::int32_t count) override {
    if (count <= 0) return 0;
    const auto* in = static_cast<const unsigned char*>(buffer);
    std::int32_t put = 0;
    // Twice the time the bytes take on the line (11 bits each), plus a
    // second, so even 110 bit/s completes the writes the tool makes.
    const auto lineMs =
        static_cast<long long>(count) * 11 * 1000 / std::max<std::uint32_t>(bitsPerSecond_, 1);
    const auto deadline = Clock::now() + std::chrono::milliseconds(2 * lineMs + 1000);
    while (put < count) {
      const ssize_t n = write(fd_, in + put, static_cast<std::size_t>(count - put));
      if (n > 0) {
        put += static_cast<std::int32_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN) {
        lastError_ = errno;
        break;
      }
      const int left = RemainingMs(deadline);
      if (left == 0) break;
      pollfd p{fd_, POLLOUT, 0};
      if (poll(&p, 1, left) <= 0 || !(p.revents & POLLOUT)) break;
    }
    if (put > 0) {
      txPending_ = true;
      Wake();
    }
    return put;
  }

  void Purge() override {
    consumed_ += static_cast<std::uint64_t>(QueuedInput());
    tcflush(fd_, TCIOFLUSH);
  }

  int LastError() const override { return lastError_; }

 private:
  int QueuedInput() const {
    int n = 0;
    return ioctl(fd_, FIONREAD, &n) == 0 ? n : 0;
  }
  int QueuedOutput() const {
    int n = 0;
    return ioctl(fd_, TIOCOUTQ, &n) == 0 ? n : 0;
  }

  void Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof one);
  }
  void DrainWake() {
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t n = read(wakeFd_, &value, sizeof value);
  }

  std::uint32_t HangUp(std::uint32_t mask, std::int32_t error) {
    hungUp_ = true;
    errors_ |= error;
    return mask & EV_ERR;
  }

  // Modem-line changes and line errors, only where the driver reports them
  // (a pseudo-terminal reports neither).
  std::uint32_t SampleLines(std::uint32_t mask) {
    std::uint32_t events = 0;
    if (modemSupported_) {
      int lines = 0;
      if (ioctl(fd_, TIOCMGET, &lines) == 0) {
        const int changed = lines ^ lastModem_;
        if (changed & TIOCM_CTS) events |= EV_CTS;
        if (changed & TIOCM_DSR) events |= EV_DSR;
        if (changed & TIOCM_CD) events |= EV_RLSD;
        if ((changed & TIOCM_RI) && (lines & TIOCM_RI)) events |= EV_RING;
        lastModem_ = lines;
      }
    }
    if (countersSupported_) {
      serial_icounter_struct counts{};
      if (ioctl(fd_, TIOCGICOUNT, &counts) == 0) {
        std::int32_t errors = 0;
        if (counts.frame != lastCounts_.frame) errors |= CE_FRAME;
        if (counts.overrun != lastCounts_.overrun) errors |= CE_OVERRUN;
        if (counts.buf_overrun != lastCounts_.buf_overrun) errors |= CE_RXOVER;
        if (counts.parity != lastCounts_.parity) errors |= CE_RXPARITY;
        if (counts.brk != lastCounts_.brk) {
          errors |= CE_BREAK;
          events |= EV_BREAK;
        }
        if (errors != 0) {
          errors_ |= errors;
          events |= EV_ERR;
        }
        lastCounts_ = counts;
      }
    }
    return events & mask;
  }

  const int fd_;
  const int wakeFd_;
  const termios found_;
  const std::uint32_t foundSpeed_;
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> txPending_{false};
  std::atomic<std::int32_t> errors_{0};
  std::atomic<std::uint32_t> mask_{0};
  std::atomic<std::uint64_t> consumed_{0};  // bytes taken by Read or Purge
  std::atomic<std::uint32_t> bitsPerSecond_{9600};
  int lastError_ = 0;
  // Event thread only:
  bool hungUp_ = false;
  std::uint64_t reportedArrivals_ = 0;
  bool modemSupported_ = false;
  bool countersSupported_ = false;
  int lastModem_ = 0;
  serial_icounter_struct lastCounts_{};
};

class PosixSerialPlatform final : public SerialPlatform {
 public:
  std::unique_ptr<SerialHandle> Open(const std::string& name, PortError& error) override {
    const std::string path = PortDevicePath(name);
    error = {};
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      error = DescribeOpenError(path, errno);
      return nullptr;
    }
    // Root passes another program's TIOCEXCL; leave that program its port
    // as any other user must, untouched.
    if (HeldExclusively(fd)) {
      close(fd);
      error = BusyError(path);
      return nullptr;
    }
    // Exclusive before anything touches the line: flock keeps out a second
    // opener even when running as root, which TIOCEXCL does not.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int e = errno;
      close(fd);
      error = DescribeOpenError(path, e);
      return nullptr;
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
      const int e = errno;
      close(fd);
      error = DescribeOpenError(path, e);
      return nullptr;
    }
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
      const int e = errno;
      ioctl(fd, TIOCNXCL);
      close(fd);
      error = DescribeOpenError(path, e);
      return nullptr;
    }
    const termios found = tio;
    const std::uint32_t foundSpeed = GetLineSpeed(fd);
    // Raw bytes, no flow control: firmware blocks must pass untouched, and a
    // new tty starts in cooked mode with echo.
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~CRTSCTS;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &tio);
    tcflush(fd, TCIFLUSH);

    const int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0) {
      const int e = errno;
      tcsetattr(fd, TCSANOW, &found);
      ioctl(fd, TIOCNXCL);
      close(fd);
      error = DescribeOpenError(path, e);
      return nullptr;
    }
    return std::make_unique<PosixSerialHandle>(fd, wakeFd, found, foundSpeed);
  }

  bool IsFree(const std::string& name) override {
    const std::string path = PortDevicePath(name);
    // Any program with it open holds it, with a lock or without. Looked at
    // before the trial open, so a port in use is not even opened.
    if (!OpenHolders(path).empty()) return false;
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    termios tio{};
    // A terminal, with nobody's exclusive flag (root passes it) and nobody's
    // lock; the lock taken here goes with the close.
    const bool free =
        tcgetattr(fd, &tio) == 0 && !HeldExclusively(fd) && flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return free;
  }

 private:
  static bool HeldExclusively(int fd) {
    int exclusive = 0;
    return ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0;
  }
};

}  // namespace

std::unique_ptr<SerialPlatform> MakeSystemSerialPlatform() {
  return std::make_unique<PosixSerialPlatform>();
}

}  // namespace comm
