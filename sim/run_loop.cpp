#include "sim/run_loop.h"

#include <fmt/core.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "sim/pty_endpoint.h"
#include "sim/transponder.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

// How long the host may take to read the last answer before a hang-up.
constexpr int kHangUpDrainMs = 2000;

// Writes what the line takes now; the rest is lost, as on a line nobody
// reads. Nothing is kept for later: a host that opens the port hours after
// the last one gets no stale output.
void WriteOrDrop(int fd, const std::string& bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
    if (n > 0) {
      at += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
}

}  // namespace

int RunOnPty(const SimOptions& options) {
  // Signals arrive as readable data in the poll loop.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigprocmask(SIG_BLOCK, &signals, nullptr);
  const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);

  PtyEndpoint pty;
  std::string error;
  if (signalFd < 0 || !pty.Open(error)) {
    fmt::print(stderr, "aisfw-sim: {}\n", signalFd < 0 ? "cannot watch for signals" : error);
    return 1;
  }
  if (!options.linkPath.empty()) {
    std::error_code ec;
    if (fs::is_symlink(options.linkPath, ec)) fs::remove(options.linkPath, ec);
    fs::create_symlink(pty.SlavePath(), options.linkPath, ec);
    if (ec) {
      fmt::print(stderr, "aisfw-sim: cannot link {}: {}\n", options.linkPath, ec.message());
      return 1;
    }
  }
  fmt::print("port: {}\n", pty.SlavePath());
  std::fflush(stdout);

  VirtualTransponder device(options.config);
  if (!options.quiet) {
    fmt::print(stderr, "aisfw-sim: transponder at {} bit/s on {}\n", options.config.baud,
               pty.SlavePath());
  }
  auto last = std::chrono::steady_clock::now();
  for (;;) {
    pollfd fds[3] = {
        {signalFd, POLLIN, 0}, {pty.MasterFd(), POLLIN, 0}, {pty.HostWatchFd(), POLLIN, 0}};
    poll(fds, 3, 10);
    if (fds[0].revents & POLLIN) break;
    // Before the host's bytes: a host that opens and writes at once is
    // there when the answer goes out.
    if (pty.FollowHosts() && !options.quiet)
      fmt::print(stderr, "aisfw-sim: the host closed the port\n");

    device.SetHostBaud(pty.HostSpeed());
    if (fds[1].revents & POLLIN) {
      char buffer[4096];
      const ssize_t n = read(pty.MasterFd(), buffer, sizeof buffer);
      if (n > 0) device.Receive(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    const auto now = std::chrono::steady_clock::now();
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - last);
    if (elapsed.count() > 0) {
      device.Advance(elapsed.count());
      last += elapsed;
    }

    const std::string output = device.TakeOutput();
    if (pty.HostPresent()) WriteOrDrop(pty.MasterFd(), output);
    for (const std::string& note : device.TakeNotes()) {
      if (!options.quiet) fmt::print(stderr, "aisfw-sim: {}\n", note);
    }
    if (device.HungUp()) {
      // Closing the master hangs the line up and discards what the host has
      // not read yet: its last answer must have reached it first.
      pty.WaitUntilRead(kHangUpDrainMs);
      if (!options.quiet) fmt::print(stderr, "aisfw-sim: line closed\n");
      break;
    }
  }

  pty.Close();
  if (!options.linkPath.empty()) {
    std::error_code ec;
    fs::remove(options.linkPath, ec);
  }
  close(signalFd);
  return 0;
}

}  // namespace sim
