#pragma once
// The main thread of the serial commands. The port's event thread, Ctrl-C
// and the lines typed at standard input all arrive as tasks in one
// comm::LoopDispatcher; the loop runs them, fires the wizard's timers when
// they fall due against the steady clock, and in between sleeps on the
// dispatcher until the next task or the next timer, never polling.
//
// SIGINT, SIGTERM and SIGHUP are blocked for the whole process while the
// loop exists (so every thread created afterwards inherits that) and are read
// from a signalfd by a watcher thread, which also reads standard input when
// asked to. Each stops a run the same way, as Ctrl-C does: a terminal that
// hangs up, or a service manager's SIGTERM, leaves the port closed and says
// where the device was left. A signal the process was started with ignored
// (nohup ignores SIGHUP) stays ignored.

#include <signal.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "cli/wizard_timers.h"
#include "comm/main_thread.h"

namespace cli {

class EventLoop {
 public:
  // Create it before any other thread of the process.
  EventLoop();
  ~EventLoop();
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  comm::LoopDispatcher& Dispatcher() { return dispatcher_; }

  // The wizard's timers: start (with a fresh interval from now) or stop.
  void SetTimer(upgrade::TimerId timer, bool enabled);

  // Runs until `stop()` holds, checked after every task and every timer:
  // each timer that falls due goes to `fire`, posted tasks run in order.
  void Run(const std::function<void(upgrade::TimerId)>& fire, const std::function<bool()>& stop);
  // The same without timers, for at most `limit`.
  void RunFor(std::chrono::milliseconds limit, const std::function<bool()>& stop);

  // Ctrl-C (SIGINT), SIGTERM or SIGHUP has arrived.
  bool Interrupted() const { return signal_.load() != 0; }
  // The first of them to arrive (0 before any).
  int InterruptSignal() const { return signal_.load(); }
  // The exit code for it: 128 + its number.
  int InterruptExitCode() const;

  // Reads standard input line by line: each line (without its end) goes to
  // `onLine` on the main thread; the end of the input as nullopt, after
  // which reading stops. Reading also stops at StopReading.
  void ReadLines(std::function<void(std::optional<std::string>)> onLine);
  void StopReading();

 private:
  void Watch();
  void Wake();

  comm::LoopDispatcher dispatcher_;
  WizardTimers timers_;
  sigset_t previousMask_{};
  int signalFd_ = -1;
  int wakeFd_ = -1;
  std::atomic<int> signal_{0};
  std::atomic<bool> reading_{false};
  std::atomic<bool> stopping_{false};
  // Set and read on the main thread only; the watcher posts through it.
  std::function<void(std::optional<std::string>)> onLine_;
  std::thread watcher_;
};

}  // namespace cli
