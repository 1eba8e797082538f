#pragma once
// The serial port component's settings, events and status, with the values
// each member stands for. Ordinals matter: the rest of the system passes a
// TBaudRate ordinal around as its baud index (5 is br4800, 12 is br115200).

#include <cstdint>

namespace comm {

// clang-format off
enum TBaudRate : std::uint8_t {
  br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
  br38400, br56000, br57600, br115200, br128000, br256000
};
// clang-format on
inline constexpr int kBaudRateCount = br256000 + 1;

// Bit rate of a TBaudRate member (110 ... 256000).
std::uint32_t BaudRateValue(TBaudRate rate);
// The member whose bit rate is `bitsPerSecond`; false when none is.
bool BaudRateFromValue(std::uint32_t bitsPerSecond, TBaudRate& rate);

enum TParity : std::uint8_t { paNone, paOdd, paEven, paMark, paSpace };
enum TStopBits : std::uint8_t { sb10, sb15, sb20 };
enum TDataBits : std::uint8_t { da4, da5, da6, da7, da8 };
enum TFlowControl : std::uint8_t { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };

enum TCommOption : std::uint8_t {
  coParityCheck,
  coDsrSensitivity,
  coIgnoreXOff,
  coErrorChar,
  coNullStrip
};
using TCommOptions = std::uint8_t;  // bit (1 << TCommOption)

// clang-format off
enum TCommEventType : std::uint8_t {
  evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty
};
// clang-format on
using TCommEvents = std::uint16_t;  // bit (1 << TCommEventType)
inline constexpr TCommEvents kAllCommEvents = 0x1FF;

constexpr TCommEvents EventBit(TCommEventType e) { return static_cast<TCommEvents>(1u << e); }
constexpr TCommOptions OptionBit(TCommOption o) { return static_cast<TCommOptions>(1u << o); }

// Event mask bits as the event thread reports them (the classic values, so a
// mask logged here reads like one from any other serial stack).
inline constexpr std::uint32_t EV_RXCHAR = 0x0001;
inline constexpr std::uint32_t EV_RXFLAG = 0x0002;
inline constexpr std::uint32_t EV_TXEMPTY = 0x0004;
inline constexpr std::uint32_t EV_CTS = 0x0008;
inline constexpr std::uint32_t EV_DSR = 0x0010;
inline constexpr std::uint32_t EV_RLSD = 0x0020;
inline constexpr std::uint32_t EV_BREAK = 0x0040;
inline constexpr std::uint32_t EV_ERR = 0x0080;
inline constexpr std::uint32_t EV_RING = 0x0100;

// The mask value of one event type.
std::uint32_t EventMaskValue(TCommEventType e);
// The wait mask for a set of events: the sum of their mask values.
std::uint32_t EventWaitMask(TCommEvents events);

// Line error flags handed to OnError. The first five are the classic line
// errors; the last two are this platform's: the other end hung up, or a read
// failed. After either the port stays quiet until it is closed.
inline constexpr std::int32_t CE_RXOVER = 0x0001;
inline constexpr std::int32_t CE_OVERRUN = 0x0002;
inline constexpr std::int32_t CE_RXPARITY = 0x0004;
inline constexpr std::int32_t CE_FRAME = 0x0008;
inline constexpr std::int32_t CE_BREAK = 0x0010;
inline constexpr std::int32_t CE_READERROR = 0x4000;
inline constexpr std::int32_t CE_HANGUP = 0x8000;

// Port status read with the errors: queued bytes in each direction.
struct TComStat {
  std::uint32_t Flags = 0;
  std::uint32_t cbInQue = 0;
  std::uint32_t cbOutQue = 0;
};

}  // namespace comm
