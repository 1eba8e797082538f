#pragma once
// The device's end of a pseudo-terminal. The host opens the slave path as
// its serial port; the device reads and writes the master, and reads there
// the line speed the host set. It also follows whether a host has the port
// open, through inotify on the slave's node: the master cannot tell, as the
// device keeps a slave descriptor of its own.

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

  // Readable when a host opened or closed the port; -1 when hosts cannot be
  // followed (then one is taken to be there).
  int HostWatchFd() const { return watch_; }
  // Takes the open and close notices. When the last host has gone it
  // clears the exclusive flag a host set (a killed tool leaves it behind,
  // and the device's own descriptor keeps it alive, so nobody but root
  // could open the port again) and discards what that host left unread.
  // True when the last host has just gone.
  bool FollowHosts();
  bool HostPresent() const { return watch_ < 0 || hosts_ > 0; }
  // Waits until the host has read everything sent to it, or has gone, at
  // most `timeoutMs`.
  void WaitUntilRead(int timeoutMs);

 private:
  int master_ = -1;
  int slave_ = -1;
  int watch_ = -1;
  int hosts_ = 0;  // hosts with the slave open: opens counted, recounted from /proc at a close
  std::string slavePath_;
};

}  // namespace sim
