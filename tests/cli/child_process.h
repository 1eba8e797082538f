#pragma once
// Test helper: the built programs as child processes, in real time. A child
// runs with its standard output and error on pipes (standard input from
// /dev/null), or with all three on a pseudo-terminal of its own, as at a
// terminal, where the test types its answers and its Ctrl-C. Output is
// collected as it comes; every wait has a limit, and a child still running
// at the end is killed.

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli_test {

using namespace std::chrono_literals;

class ChildProcess {
 public:
  enum class Mode { Pipes, Terminal };

  // `folder`: the child's current folder (empty: the test's); `user`: a
  // user id to run as (with its group the same number and no other groups),
  // for a test run as root.
  ChildProcess(const std::vector<std::string>& argv, Mode mode = Mode::Pipes,
               const std::string& folder = {}, std::optional<uid_t> user = std::nullopt) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (mode == Mode::Terminal) {
      // A wide terminal, so that the redrawn status line is never cut.
      winsize size{};
      size.ws_col = 200;
      size.ws_row = 50;
      pid_ = forkpty(&outFd_, nullptr, nullptr, &size);
      if (pid_ == 0) {
        if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
        execv(args[0], args.data());
        _exit(127);
      }
      if (pid_ < 0) throw std::runtime_error("forkpty failed");
      return;
    }
    int out[2];
    int err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      const int null = open("/dev/null", O_RDONLY);
      dup2(null, STDIN_FILENO);
      dup2(out[1], STDOUT_FILENO);
      dup2(err[1], STDERR_FILENO);
      if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(126);
      if (user && (setgroups(0, nullptr) != 0 || setgid(*user) != 0 || setuid(*user) != 0)) {
        _exit(125);
      }
      execv(args[0], args.data());
      _exit(127);
    }
    if (pid_ < 0) throw std::runtime_error("fork failed");
    close(out[1]);
    close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
  }

  ~ChildProcess() {
    if (pid_ > 0 && !status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) close(outFd_);
    if (errFd_ >= 0) close(errFd_);
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return pid_; }
  // Standard output (on a terminal: everything the terminal showed).
  const std::string& Out() const { return out_; }
  const std::string& Err() const { return err_; }
  // What the child used (peak memory in ru_maxrss, CPU), once Wait saw it end.
  const rusage& Usage() const { return usage_; }

  // Types `text` at the child's terminal.
  void Type(const std::string& text) {
    if (write(outFd_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
      throw std::runtime_error("cannot type at the child's terminal");
    }
  }

  void Signal(int number) { kill(pid_, number); }

  // Collects output until `done()` holds; false when `limit` passed first or
  // the output ended.
  bool ReadUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !ReadSome(left)) return done();
    }
    return true;
  }

  bool OutContains(const std::string& text, std::chrono::milliseconds limit) {
    return ReadUntil([&] { return out_.find(text) != std::string::npos; }, limit);
  }

  // Reads the rest of the output and waits for the exit: the exit code, or
  // 128 + the signal that ended it, or none when `limit` passed first.
  std::optional<int> Wait(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!status_) {
      int status = 0;
      const pid_t got = wait4(pid_, &status, WNOHANG, &usage_);
      if (got == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      if (left.count() <= 0) return std::nullopt;
      if (!ReadSome(std::min(left, std::chrono::milliseconds(50)))) {
        usleep(10'000);  // the output has ended; the exit comes soon
      }
    }
    while (ReadSome(0ms)) {
    }
    return status_;
  }

 private:
  // One read from whichever stream has data; false when none had any.
  bool ReadSome(std::chrono::milliseconds wait) {
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}};
    const nfds_t count = errFd_ >= 0 ? 2 : 1;
    if (poll(fds, count, static_cast<int>(wait.count())) <= 0) return false;
    bool any = false;
    for (nfds_t i = 0; i < count; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) continue;
      (i == 0 ? out_ : err_).append(buffer, static_cast<std::size_t>(n));
      any = true;
    }
    return any;
  }

  pid_t pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
  std::string out_;
  std::string err_;
  std::optional<int> status_;
  rusage usage_{};
};

}  // namespace cli_test
