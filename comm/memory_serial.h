#pragma once
// A serial platform whose ports are lines held in memory, with the far end
// played by code in the same process (the virtual transponder, a test).
// TThreadComm, its event thread and the line assembly run on it exactly as
// on a real port, so the whole program can run in virtual time with no
// pseudo-terminal. The port set also serves as the port enumerator.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "comm/port_enumeration.h"
#include "comm/serial_platform.h"

namespace comm {

// One line: the host opens it as a port; the far end reads what the host
// wrote and writes what the host reads.
class MemoryLine {
 public:
  // Far end: bytes for the host's receive queue.
  void SendToHost(std::string_view bytes);
  // Far end: what the host wrote since the last call.
  std::string TakeFromHost();
  // Far end: called on the host's thread within each successful write,
  // before it returns (the far end may answer at once).
  void SetHostWriteHook(std::function<void(std::string_view)> hook);
  // Far end: the line goes away; the host sees a hang-up and its writes fail.
  void HangUp();
  // Far end: the next settings (and every later one) fail with `error`
  // (0: settings succeed again).
  void FailSettings(int error);

  bool IsOpen() const;
  bool IsHungUp() const;
  // Bytes sent to the host that it has not read yet.
  std::size_t PendingToHost() const;
  // The host's line settings (as last applied) and how many times they were.
  LineSettings Settings() const;
  int SettingsApplied() const;
  // A hang-up has been reported to the host (taken by its event thread).
  bool HangUpReported() const;
  // Every event the host's event thread has reported has been dispatched on
  // its main thread, and it has read everything sent to it: nothing is on its
  // way any more. (Always true while the line is closed.)
  bool Settled() const;

 private:
  friend class MemorySerialHandle;
  friend class MemoryPorts;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string toHost_, fromHost_;
  std::function<void(std::string_view)> hook_;
  bool open_ = false;
  bool hungUp_ = false;
  bool hangUpReported_ = false;
  bool cancelled_ = false;
  std::uint64_t sentToHost_ = 0;  // bytes ever queued for the host
  std::uint64_t reportedArrivals_ = 0;
  std::uint64_t eventsReported_ = 0;    // returned by the host's WaitEvent
  std::uint64_t eventsDispatched_ = 0;  // taken up by its main thread
  int failSettings_ = 0;
  LineSettings settings_;
  int settingsApplied_ = 0;
};

// The ports of a virtual machine: named lines. Names are device paths
// (/dev/ttyV0); the enumerator lists them as the port list shows them
// (ttyV0), as the system enumerator does.
class MemoryPorts final : public PortEnumerator {
 public:
  // Adds a port; returns its line.
  std::shared_ptr<MemoryLine> Add(const std::string& name);
  // A new line on the port (a new cable, a new device): a host that has the
  // old one open keeps it until it closes.
  std::shared_ptr<MemoryLine> Replace(const std::string& name);
  std::shared_ptr<MemoryLine> Line(const std::string& name) const;
  // A port that is present but that someone else holds.
  void SetHeldElsewhere(const std::string& name, bool held);

  // Every open line is settled (see MemoryLine::Settled).
  bool AllSettled() const;

  bool PresentPortNames(std::vector<std::string>& names) override;
  bool OpensExclusively(const std::string& name) override;

  // A platform that opens these ports (any number may share the set).
  std::unique_ptr<SerialPlatform> MakePlatform();

  std::unique_ptr<SerialHandle> Open(const std::string& name, PortError& error);

 private:
  struct Port {
    std::shared_ptr<MemoryLine> line;
    bool heldElsewhere = false;
  };
  mutable std::mutex mutex_;
  std::map<std::string, Port> ports_;  // by device path
};

}  // namespace comm
