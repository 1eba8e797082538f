#include "store/local_clock.h"

#include <ctime>

namespace store {

LocalDateTime SystemLocalClock::LocalNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  if (now.tv_sec != cachedSecond_) {
    std::tm local{};
    const std::time_t seconds = now.tv_sec;
    localtime_r(&seconds, &local);
    cached_.year = static_cast<std::uint16_t>(local.tm_year + 1900);
    cached_.month = static_cast<std::uint8_t>(local.tm_mon + 1);
    cached_.day = static_cast<std::uint8_t>(local.tm_mday);
    cached_.hour = static_cast<std::uint8_t>(local.tm_hour);
    cached_.minute = static_cast<std::uint8_t>(local.tm_min);
    cached_.second = static_cast<std::uint8_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
    cachedSecond_ = now.tv_sec;
  }
  LocalDateTime result = cached_;
  result.hundredths = static_cast<std::uint8_t>(now.tv_nsec / 10000000);
  return result;
}

std::uint32_t SystemLocalClock::Seconds() { return static_cast<std::uint32_t>(std::time(nullptr)); }

}  // namespace store
