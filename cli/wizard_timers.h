#pragma once
// The wizard's three timers against a steady clock, as a window's timers
// behave: starting one gives it a fresh interval, a tick that falls due late
// fires once (missed ticks are not made up in a burst), and ticks keep their
// rhythm otherwise. The time is passed in, so tests run it in virtual time.

#include <array>
#include <chrono>
#include <optional>

#include "upgrade/wizard_view.h"

namespace cli {

class WizardTimers {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts `timer` (due one interval after `now`) or stops it.
  void Set(upgrade::TimerId timer, bool enabled, Clock::time_point now);
  bool Enabled(upgrade::TimerId timer) const { return next_[Index(timer)].has_value(); }

  // The timer due at `now` that fell due first (ties in the order Timer1,
  // TimerConnection, TimerUpgrade), already given its next time; none when
  // no timer is due.
  std::optional<upgrade::TimerId> TakeDue(Clock::time_point now);
  // When the next timer falls due; none while every timer is stopped.
  std::optional<Clock::time_point> NextDue() const;

 private:
  static std::size_t Index(upgrade::TimerId timer) { return static_cast<std::size_t>(timer); }
  std::array<std::optional<Clock::time_point>, upgrade::kTimerCount> next_{};
};

}  // namespace cli
