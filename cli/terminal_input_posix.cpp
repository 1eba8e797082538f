// POSIX: the terminal's input queue, counted with FIONREAD (whole lines
// only, in canonical mode) and emptied with tcflush.

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "cli/terminal_input.h"

namespace cli {

std::size_t DiscardTypedAhead() {
  if (isatty(STDIN_FILENO) != 1) return 0;
  int pending = 0;
  if (ioctl(STDIN_FILENO, FIONREAD, &pending) != 0) pending = 0;
  tcflush(STDIN_FILENO, TCIFLUSH);
  return pending > 0 ? static_cast<std::size_t>(pending) : 0;
}

}  // namespace cli
