#pragma once
// Exact line speeds through termios2 (BOTHER): the classic speed table has no
// 14400, 56000, 128000 or 256000. The kernel's termios2 header and glibc's
// <termios.h> cannot meet in one file, so these calls live in line_speed.cpp
// alone and only plain functions cross.

#include <cstdint>

namespace comm {

// Sets both directions of the tty `fd` to `bitsPerSecond`; 0 or errno.
int SetLineSpeed(int fd, std::uint32_t bitsPerSecond);

// The output speed of the tty `fd` in bits per second, 0 when it cannot be
// read. On a pseudo-terminal master this is the speed its slave side set.
std::uint32_t GetLineSpeed(int fd);

}  // namespace comm
