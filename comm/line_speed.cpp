// Only the kernel's termios2 here: see line_speed.h.
#include "comm/line_speed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace comm {

int SetLineSpeed(int fd, std::uint32_t bitsPerSecond) {
  termios2 tio{};
  if (ioctl(fd, TCGETS2, &tio) != 0) return errno;
  tio.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
  tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  tio.c_ispeed = bitsPerSecond;
  tio.c_ospeed = bitsPerSecond;
  if (ioctl(fd, TCSETS2, &tio) != 0) return errno;
  return 0;
}

std::uint32_t GetLineSpeed(int fd) {
  termios2 tio{};
  if (ioctl(fd, TCGETS2, &tio) != 0) return 0;
  return tio.c_ospeed;
}

}  // namespace comm
