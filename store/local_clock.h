#pragma once
// The PC clock as the AIS target table sees it: the local date and time for
// the first- and last-heard stamps, and a seconds count for the creation
// time. Injected, so tests set the time.

#include <cstdint>

namespace store {

struct LocalDateTime {
  std::uint16_t year = 0;
  std::uint8_t month = 0;  // 1..12
  std::uint8_t day = 0;    // 1..31
  std::uint8_t hour = 0;
  std::uint8_t minute = 0;
  std::uint8_t second = 0;
  std::uint8_t hundredths = 0;
};

class LocalClock {
 public:
  virtual ~LocalClock() = default;
  virtual LocalDateTime LocalNow() = 0;
  virtual std::uint32_t Seconds() = 0;
};

// The machine's clock. The broken-down local time is worked out again only
// when the second changes, as the target table asks for it on every message.
class SystemLocalClock final : public LocalClock {
 public:
  LocalDateTime LocalNow() override;
  std::uint32_t Seconds() override;

 private:
  long long cachedSecond_ = -1;
  LocalDateTime cached_{};
};

}  // namespace store
