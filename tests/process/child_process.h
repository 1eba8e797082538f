#pragma once
// The built programs as child processes, in real time, for every suite that
// runs them. A child runs with its standard output and error on pipes
// (standard input from /dev/null), or with all three on a pseudo-terminal of
// its own, as at a terminal, where the test types its answers and its
// Ctrl-C. Output is collected as it comes; every wait has a limit, and a
// child still running at the end is killed.

#include <signal.h>  // the numbers Signal takes
#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace test_process {

using namespace std::chrono_literals;

class ChildProcess {
 public:
  enum class Mode { Pipes, Terminal };

  // `argv[0]` is the program's path. `folder`: the child's current folder
  // (empty: the test's); `user`: a user id to run as (with its group the
  // same number and no other groups), for a test run as root.
  ChildProcess(const std::vector<std::string>& argv, Mode mode = Mode::Pipes,
               const std::string& folder = {}, std::optional<uid_t> user = std::nullopt);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return pid_; }
  // Standard output (on a terminal: everything the terminal showed).
  const std::string& Out() const { return out_; }
  const std::string& Err() const { return err_; }
  // What the child used (peak memory in ru_maxrss, CPU), once Wait saw it end.
  const rusage& Usage() const { return usage_; }

  // Types `text` at the child's terminal.
  void Type(const std::string& text);
  void Signal(int number);

  // Collects output until `done()` holds; false when `limit` passed first or
  // the output ended.
  bool ReadUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
  bool OutContains(const std::string& text, std::chrono::milliseconds limit) {
    return ReadUntil([&] { return out_.find(text) != std::string::npos; }, limit);
  }
  // The first line of standard output without its line end; empty when none
  // came within `limit`.
  std::string FirstLine(std::chrono::milliseconds limit);

  // Reads the rest of the output and waits for the exit: the exit code, or
  // 128 + the signal that ended it, or none when `limit` passed first.
  std::optional<int> Wait(std::chrono::milliseconds limit);

 private:
  // One read from whichever stream has data; false when none had any.
  bool ReadSome(std::chrono::milliseconds wait);

  pid_t pid_ = -1;
  int outFd_ = -1;
  int errFd_ = -1;
  std::string out_;
  std::string err_;
  std::optional<int> status_;
  rusage usage_{};
};

}  // namespace test_process
