#pragma once
// A real pseudo-terminal for the serial tests: the test plays the far end on
// the master side, the port under test opens the slave path.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <string>

namespace comm::testing {

class PtyPair {
 public:
  PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
      throw std::runtime_error("no pty");
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) throw std::runtime_error("no pts name");
    slavePath_ = name;
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  int Master() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }

  void Write(const std::string& bytes) const {
    if (write(master_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      throw std::runtime_error("pty write");
    }
  }

  // Reads until `count` bytes came or `timeout` passed.
  std::string Read(std::size_t count,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10)) const {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (got.size() < count) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) <= 0 || !(p.revents & POLLIN)) break;
      char buffer[512];
      const ssize_t n = read(master_, buffer, std::min(sizeof buffer, count - got.size()));
      if (n <= 0) break;
      got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
  }

  void CloseMaster() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string slavePath_;
};

}  // namespace comm::testing
