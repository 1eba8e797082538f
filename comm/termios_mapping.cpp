#include "comm/termios_mapping.h"

#include <cerrno>

namespace comm {

int MapLineSettings(const LineSettings& s, termios& tio) {
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  if (s.ByteSize < 5 || s.ByteSize > 8) return EINVAL;
  // CSTOPB means 1.5 stop bits with 5 data bits and 2 with more.
  if (s.StopBits == sb15 && s.ByteSize != 5) return EINVAL;
  if (s.StopBits == sb20 && s.ByteSize == 5) return EINVAL;

  tcflag_t c = tio.c_cflag & ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
  c |= kSizes[s.ByteSize - 5];
  switch (s.Parity) {
    case paNone:
      break;
    case paOdd:
      c |= PARENB | PARODD;
      break;
    case paEven:
      c |= PARENB;
      break;
    // Stick parity: CMSPAR with PARODD sends a 1, without it a 0.
    case paMark:
      c |= PARENB | CMSPAR | PARODD;
      break;
    case paSpace:
      c |= PARENB | CMSPAR;
      break;
  }
  if (s.StopBits != sb10) c |= CSTOPB;

  tcflag_t i = tio.c_iflag;
  if (s.Options & OptionBit(coParityCheck)) {
    i |= INPCK;
  } else {
    i &= ~static_cast<tcflag_t>(INPCK);
  }
  switch (s.FlowControl) {
    case fcDefault:  // keep what the line has (raw, no flow control, from the open)
    case fcDTR:      // no DTR/DSR handshake in the tty layer
      break;
    case fcNone:
      c &= ~CRTSCTS;
      i &= ~static_cast<tcflag_t>(IXON | IXOFF);
      break;
    case fcCTS:
      c |= CRTSCTS;
      i &= ~static_cast<tcflag_t>(IXON | IXOFF);
      break;
    case fcSoftware:
      c &= ~CRTSCTS;
      i |= IXON | IXOFF;
      break;
  }
  tio.c_cflag = c;
  tio.c_iflag = i;
  tio.c_cc[VSTART] = static_cast<cc_t>(s.XonChar);
  tio.c_cc[VSTOP] = static_cast<cc_t>(s.XoffChar);
  return 0;
}

bool RateTaken(std::uint32_t asked, std::uint32_t actual) {
  if (actual == 0) return true;
  const std::uint64_t off = actual > asked ? actual - asked : asked - actual;
  return off * 100 <= std::uint64_t{asked} * 3;
}

}  // namespace comm
