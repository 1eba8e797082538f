#include "cli/event_loop.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

#include "cli/exit_codes.h"

namespace cli {

using Clock = std::chrono::steady_clock;

EventLoop::EventLoop() {
  sigset_t signals;
  sigemptyset(&signals);
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (sigaction(number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    sigaddset(&signals, number);
  }
  pthread_sigmask(SIG_BLOCK, &signals, &previousMask_);
  signalFd_ = signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (signalFd_ < 0 || wakeFd_ < 0) throw std::runtime_error("cannot watch for Ctrl-C");
  watcher_ = std::thread([this] { Watch(); });
}

EventLoop::~EventLoop() {
  stopping_ = true;
  Wake();
  watcher_.join();
  close(signalFd_);
  close(wakeFd_);
  pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

int EventLoop::InterruptExitCode() const {
  return static_cast<int>(ExitCodeOfSignal(signal_.load()));
}

void EventLoop::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof one);
}

void EventLoop::SetTimer(upgrade::TimerId timer, bool enabled) {
  timers_.Set(timer, enabled, Clock::now());
}

void EventLoop::Run(const std::function<void(upgrade::TimerId)>& fire,
                    const std::function<bool()>& stop) {
  while (!stop()) {
    const auto now = Clock::now();
    if (const auto due = timers_.TakeDue(now)) {
      fire(*due);
      dispatcher_.RunPending();
      continue;
    }
    // Sleep until the next timer, rounded up so as never to wake a moment
    // early and go round for nothing.
    auto wait = std::chrono::milliseconds(1000);
    if (const auto next = timers_.NextDue()) {
      wait = std::chrono::ceil<std::chrono::milliseconds>(*next - now);
    }
    dispatcher_.RunUntil(stop, wait);
  }
}

void EventLoop::RunFor(std::chrono::milliseconds limit, const std::function<bool()>& stop) {
  const auto end = Clock::now() + limit;
  while (!stop()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
    if (left.count() <= 0) return;
    dispatcher_.RunUntil(stop, left);
  }
}

void EventLoop::ReadLines(std::function<void(std::optional<std::string>)> onLine) {
  onLine_ = std::move(onLine);
  reading_ = true;
  Wake();
}

void EventLoop::StopReading() {
  reading_ = false;
  onLine_ = nullptr;
  Wake();
}

void EventLoop::Watch() {
  std::string partial;
  const auto deliver = [this](std::optional<std::string> line) {
    dispatcher_.Post([this, line = std::move(line)] {
      if (onLine_) onLine_(line);
    });
  };
  while (!stopping_) {
    pollfd fds[3] = {{signalFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    const nfds_t count = reading_ ? 3 : 2;
    if (poll(fds, count, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents & POLLIN) {
      signalfd_siginfo info{};
      while (read(signalFd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        int none = 0;
        signal_.compare_exchange_strong(none, static_cast<int>(info.ssi_signo));
      }
      // The task only wakes the main thread; the flag is already set.
      dispatcher_.Post([] {});
    }
    if (fds[1].revents & POLLIN) {
      std::uint64_t value = 0;
      [[maybe_unused]] const ssize_t n = read(wakeFd_, &value, sizeof value);
    }
    if (count == 3 && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) {
      char buffer[256];
      const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
      if (n <= 0) {
        if (n < 0 && errno == EINTR) continue;
        reading_ = false;
        if (!partial.empty()) deliver(std::move(partial));
        partial.clear();
        deliver(std::nullopt);
        continue;
      }
      partial.append(buffer, static_cast<std::size_t>(n));
      for (std::size_t end; (end = partial.find('\n')) != std::string::npos;) {
        std::string line = partial.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        partial.erase(0, end + 1);
        deliver(std::move(line));
      }
    }
  }
}

}  // namespace cli
