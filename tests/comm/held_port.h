#pragma once
// Another program holding a port: a child process that opens the device the
// way it is told and keeps it open until the holder is destroyed. The child
// keeps no other descriptor of the test (not the master of a test's
// pseudo-terminal), so to /proc it is a separate user of the port.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>

namespace comm::testing {

class HeldPort {
 public:
  enum How { kPlain = 0, kLock = 1, kExclusive = 2 };

  // `how`: a sum of How; kPlain opens without a lock or the exclusive flag.
  HeldPort(const std::string& path, int how) {
    int ready[2], release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) RunChild(path, how, ready[1], release[0]);  // never returns
    close(ready[1]);
    close(release[0]);
    release_ = release[1];
    char status = 0;
    const bool got = read(ready[0], &status, 1) == 1;
    close(ready[0]);
    if (!got || status != '1') {
      Stop();
      throw std::runtime_error("the holder could not take " + path);
    }
  }
  ~HeldPort() { Stop(); }
  HeldPort(const HeldPort&) = delete;
  HeldPort& operator=(const HeldPort&) = delete;

  pid_t Pid() const { return pid_; }

  // Lets the child close the port and waits for it to end.
  void Stop() {
    if (release_ >= 0) close(release_);
    release_ = -1;
    if (pid_ > 0) waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  // Async-signal-safe calls only: the test process may have threads.
  [[noreturn]] static void RunChild(const std::string& path, int how, int ready, int release) {
    for (int fd = 3; fd < 1024; ++fd) {
      if (fd != ready && fd != release) close(fd);
    }
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    bool ok = fd >= 0;
    if (ok && (how & kLock)) ok = flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (ok && (how & kExclusive)) ok = ioctl(fd, TIOCEXCL) == 0;
    const char status = ok ? '1' : '0';
    if (write(ready, &status, 1) != 1) _exit(1);
    char byte;
    while (read(release, &byte, 1) > 0) {
    }
    // A pseudo-terminal keeps the flag after the close; leave it as found.
    if (how & kExclusive) ioctl(fd, TIOCNXCL);
    _exit(0);
  }

  pid_t pid_ = -1;
  int release_ = -1;
};

}  // namespace comm::testing
