#pragma once
// How the component's line settings become termios flags, and whether a
// driver took a requested rate. Pure functions, so the mapping that only a
// real UART would show is checked without one; posix_serial.cpp applies the
// result. The exact rate itself goes through termios2 in line_speed.cpp.

#include <termios.h>

#include <cstdint>

#include "comm/serial_platform.h"

namespace comm {

// Writes data bits, parity, stop bits, the parity check (INPCK), the XON and
// XOFF characters and the flow control of `settings` into `tio`, keeping
// every other flag. fcDefault and fcDTR keep the flow control the line has
// (the tty layer has no DTR/DSR handshake). 0, or EINVAL for a framing the
// line cannot do: 4 data bits, 1.5 stop bits with other than 5 data bits,
// 2 stop bits with 5 (a UART sends 1.5 there); `tio` is then unchanged.
int MapLineSettings(const LineSettings& settings, termios& tio);

// True when a driver that was asked for `asked` bit/s and reports `actual`
// runs the line at that rate: within 3 % (a divisor's rounding; a receiver
// tolerates about that), or unknown (0, nothing read back).
bool RateTaken(std::uint32_t asked, std::uint32_t actual);

}  // namespace comm
