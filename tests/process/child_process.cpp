#include "tests/process/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace test_process {

namespace {

// A program is started as a user starts it at a terminal. A shell that runs
// the tests as a background job (`make test &`, a CI step in the background)
// hands its children SIGINT and SIGQUIT ignored, and the programs keep a
// signal ignored at start, so the Ctrl-C the tests send would do nothing.
void AsAtATerminal() {
  signal(SIGINT, SIG_DFL);
  signal(SIGQUIT, SIG_DFL);
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, Mode mode,
                           const std::string& folder, std::optional<uid_t> user) {
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
      AsAtATerminal();
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
    AsAtATerminal();
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

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !status_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (outFd_ >= 0) close(outFd_);
  if (errFd_ >= 0) close(errFd_);
}

void ChildProcess::Type(const std::string& text) {
  if (write(outFd_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    throw std::runtime_error("cannot type at the child's terminal");
  }
}

void ChildProcess::Signal(int number) { kill(pid_, number); }

bool ChildProcess::ReadUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0 || !ReadSome(left)) return done();
  }
  return true;
}

std::string ChildProcess::FirstLine(std::chrono::milliseconds limit) {
  if (!OutContains("\n", limit)) return {};
  return out_.substr(0, out_.find('\n'));
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds limit) {
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

bool ChildProcess::ReadSome(std::chrono::milliseconds wait) {
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

}  // namespace test_process
