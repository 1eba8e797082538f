#include "comm/comm_types.h"

namespace comm {
namespace {

static_assert(br256000 + 1 == kBaudRateCount, "kBaudRateCount counts the TBaudRate members");
constexpr std::uint32_t kRates[kBaudRateCount] = {110,   300,   600,    1200,   2400,
                                                  4800,  9600,  14400,  19200,  38400,
                                                  56000, 57600, 115200, 128000, 256000};
constexpr std::uint32_t kEventValues[] = {EV_BREAK, EV_CTS,    EV_DSR,    EV_ERR,    EV_RING,
                                          EV_RLSD,  EV_RXCHAR, EV_RXFLAG, EV_TXEMPTY};

}  // namespace

std::uint32_t BaudRateValue(TBaudRate rate) { return rate < kBaudRateCount ? kRates[rate] : 0; }

bool BaudRateFromValue(std::uint32_t bitsPerSecond, TBaudRate& rate) {
  for (int i = 0; i < kBaudRateCount; ++i) {
    if (kRates[i] == bitsPerSecond) {
      rate = static_cast<TBaudRate>(i);
      return true;
    }
  }
  return false;
}

std::uint32_t EventMaskValue(TCommEventType e) { return kEventValues[e]; }

std::uint32_t EventWaitMask(TCommEvents events) {
  std::uint32_t mask = 0;
  for (int e = evBreak; e <= evTxEmpty; ++e) {
    if (events & EventBit(static_cast<TCommEventType>(e))) mask += kEventValues[e];
  }
  return mask;
}

}  // namespace comm
