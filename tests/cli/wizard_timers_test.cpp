// The wizard's timers in virtual time: intervals, a fresh start, the order
// of ticks that fall due together, and a late tick after a long pause.

#include "cli/wizard_timers.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::chrono_literals;
using cli::WizardTimers;
using upgrade::TimerId;

// Every tick up to `end`, stepping the clock 1 ms at a time.
std::vector<std::pair<long long, TimerId>> Ticks(WizardTimers& timers,
                                                 WizardTimers::Clock::time_point start,
                                                 std::chrono::milliseconds end) {
  std::vector<std::pair<long long, TimerId>> ticks;
  for (auto t = 0ms; t <= end; t += 1ms) {
    while (const auto due = timers.TakeDue(start + t)) ticks.emplace_back(t.count(), *due);
  }
  return ticks;
}

TEST(WizardTimers, EachTimerTicksAtItsIntervalAndTiesGoInAFixedOrder) {
  WizardTimers timers;
  const auto start = WizardTimers::Clock::time_point{};
  for (const TimerId t : {TimerId::TimerUpgrade, TimerId::TimerConnection, TimerId::Timer1}) {
    timers.Set(t, true, start);
  }
  const auto ticks = Ticks(timers, start, 1000ms);
  std::vector<long long> upgrade;
  std::vector<long long> connection;
  for (const auto& [at, timer] : ticks) {
    if (timer == TimerId::TimerUpgrade) upgrade.push_back(at);
    if (timer == TimerId::TimerConnection) connection.push_back(at);
  }
  EXPECT_EQ(upgrade, (std::vector<long long>{130, 260, 390, 520, 650, 780, 910}));
  EXPECT_EQ(connection, (std::vector<long long>{200, 400, 600, 800, 1000}));
  // At 1000 ms Timer1 and TimerConnection fall due together: the connection
  // step runs before the indicator.
  ASSERT_GE(ticks.size(), 2u);
  EXPECT_EQ(ticks[ticks.size() - 2], (std::pair<long long, TimerId>{1000, TimerId::Timer1}));
  EXPECT_EQ(ticks.back(), (std::pair<long long, TimerId>{1000, TimerId::TimerConnection}));
}

TEST(WizardTimers, StartingAgainGivesAFreshIntervalAndStoppingSilences) {
  WizardTimers timers;
  const auto start = WizardTimers::Clock::time_point{};
  timers.Set(TimerId::Timer1, true, start);
  timers.Set(TimerId::Timer1, true, start + 700ms);  // restarted before it fell due
  EXPECT_FALSE(timers.TakeDue(start + 1000ms));
  EXPECT_EQ(timers.TakeDue(start + 1700ms), TimerId::Timer1);
  timers.Set(TimerId::Timer1, false, start + 1800ms);
  EXPECT_FALSE(timers.Enabled(TimerId::Timer1));
  EXPECT_FALSE(timers.NextDue());
  EXPECT_FALSE(timers.TakeDue(start + 10s));
}

TEST(WizardTimers, ALateTickFiresOnceAndTheRhythmResumesFromThen) {
  WizardTimers timers;
  const auto start = WizardTimers::Clock::time_point{};
  timers.Set(TimerId::TimerUpgrade, true, start);
  // The main thread was away for two seconds (the pause before the
  // application image): one tick, not fifteen in a burst.
  EXPECT_EQ(timers.TakeDue(start + 2000ms), TimerId::TimerUpgrade);
  EXPECT_FALSE(timers.TakeDue(start + 2000ms));
  EXPECT_EQ(timers.NextDue(), start + 2130ms);
  // A tick a little late keeps the rhythm.
  EXPECT_EQ(timers.TakeDue(start + 2150ms), TimerId::TimerUpgrade);
  EXPECT_EQ(timers.NextDue(), start + 2260ms);
}

}  // namespace
