#include "sim/pty_endpoint.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "comm/line_speed.h"

namespace sim {

bool PtyEndpoint::Open(std::string& error) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  char name[128];
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 ||
      ptsname_r(master_, name, sizeof name) != 0) {
    error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
    Close();
    return false;
  }
  slavePath_ = name;
  slave_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios tio{};
  if (slave_ < 0 || tcgetattr(slave_, &tio) != 0) {
    error = "cannot open " + slavePath_ + ": " + std::strerror(errno);
    Close();
    return false;
  }
  // Raw at once: a new pty starts cooked and would echo the device's own
  // output back to it.
  cfmakeraw(&tio);
  tcsetattr(slave_, TCSANOW, &tio);
  return true;
}

void PtyEndpoint::Close() {
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
  slave_ = master_ = -1;
}

std::uint32_t PtyEndpoint::HostSpeed() const { return comm::GetLineSpeed(master_); }

}  // namespace sim
