#include "cli/wizard_timers.h"

namespace cli {
namespace {

using upgrade::TimerId;

// The order in which timers due at the same moment fire: the connection
// step before the indicator, the transfer last.
constexpr std::array<TimerId, upgrade::kTimerCount> kTieOrder = {
    TimerId::Timer1, TimerId::TimerConnection, TimerId::TimerUpgrade};

}  // namespace

void WizardTimers::Set(TimerId timer, bool enabled, Clock::time_point now) {
  auto& next = next_[Index(timer)];
  if (enabled) {
    next = now + upgrade::TimerInterval(timer);
  } else {
    next.reset();
  }
}

std::optional<TimerId> WizardTimers::TakeDue(Clock::time_point now) {
  std::optional<TimerId> due;
  for (const TimerId timer : kTieOrder) {
    const auto& next = next_[Index(timer)];
    if (next && *next <= now && (!due || *next < *next_[Index(*due)])) due = timer;
  }
  if (!due) return std::nullopt;
  auto& next = next_[Index(*due)];
  const auto interval = upgrade::TimerInterval(*due);
  *next += interval;
  // Late by a whole interval or more (a long pause): one tick now, the next
  // a full interval later.
  if (*next <= now) *next = now + interval;
  return due;
}

std::optional<WizardTimers::Clock::time_point> WizardTimers::NextDue() const {
  std::optional<Clock::time_point> earliest;
  for (const auto& next : next_) {
    if (next && (!earliest || *next < *earliest)) earliest = next;
  }
  return earliest;
}

}  // namespace cli
