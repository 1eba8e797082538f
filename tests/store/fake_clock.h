#pragma once
// Test helper: a PC clock that tests set.

#include <cstdint>

#include "store/local_clock.h"

namespace store::testing_support {

class FakeClock final : public LocalClock {
 public:
  LocalDateTime now{2026, 3, 14, 12, 0, 0, 0};
  std::uint32_t seconds = 1773489600;

  LocalDateTime LocalNow() override { return now; }
  std::uint32_t Seconds() override { return seconds; }

  // `n` seconds after the start of 2026 (not a leap year).
  void SetSecondOfYear(long n) {
    static constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    long day = n / 86400;
    int month = 0;
    while (month < 11 && day >= kMonthDays[month]) day -= kMonthDays[month++];
    now = {2026,
           static_cast<std::uint8_t>(month + 1),
           static_cast<std::uint8_t>(day + 1),
           static_cast<std::uint8_t>(n / 3600 % 24),
           static_cast<std::uint8_t>(n / 60 % 60),
           static_cast<std::uint8_t>(n % 60),
           0};
  }
};

}  // namespace store::testing_support
