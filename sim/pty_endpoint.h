#pragma once
// The device's end of a pseudo-terminal. The host opens the slave path as
// its serial port; the device reads and writes the master, and reads there
// the line speed the host set.

#include <cstdint>
#include <string>

namespace sim {

class PtyEndpoint {
 public:
  PtyEndpoint() = default;
  ~PtyEndpoint() { Close(); }
  PtyEndpoint(const PtyEndpoint&) = delete;
  PtyEndpoint& operator=(const PtyEndpoint&) = delete;

  // Creates the pair. The device keeps a slave descriptor of its own: with
  // none, the master sees a hang-up after each client closes and a poll
  // loop would spin. False with a reason.
  bool Open(std::string& error);
  void Close();

  int MasterFd() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }
  // The speed the host set on its end, in bits per second.
  std::uint32_t HostSpeed() const;

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
};

}  // namespace sim
