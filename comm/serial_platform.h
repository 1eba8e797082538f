#pragma once
// The one narrow layer between the serial port component and the operating
// system: open a port exclusively, write its line settings, wait for its
// events, read and write. The component's logic (settings, lifecycle, event
// dispatch, error rules) never calls the system itself. posix_serial.cpp
// implements this layer for Linux.

#include <cstdint>
#include <memory>
#include <string>

#include "comm/comm_types.h"
#include "comm/port_errors.h"

namespace comm {

// What the component writes to the line on every settings change.
struct LineSettings {
  std::uint32_t BaudRate = 9600;  // bits per second
  TParity Parity = paNone;
  TStopBits StopBits = sb10;
  int ByteSize = 8;  // 4 + ordinal of TDataBits
  char XonChar = 0x11, XoffChar = 0x13, ErrorChar = 0, EofChar = 0, EvtChar = 0;
  TCommOptions Options = 0;
  TFlowControl FlowControl = fcDefault;
};

// An open port. The event thread calls WaitEvent (and Purge when it ends);
// everything else is called by the main thread. CancelWait may be called
// from any thread and makes a pending or later WaitEvent return 0.
class SerialHandle {
 public:
  virtual ~SerialHandle() = default;

  // Receive and transmit queue sizes. False with the system's error code in
  // LastError() when the driver refuses them.
  virtual bool SetQueueSizes(std::uint32_t readSize, std::uint32_t writeSize) = 0;
  // Writes the line settings; 0 or the system's error code.
  virtual int ApplyLineSettings(const LineSettings& settings) = 0;
  // The events WaitEvent reports (a sum of EV_* values).
  virtual void SetEventMask(std::uint32_t mask) = 0;
  // Blocks until one or more masked events occurred and returns them, or
  // returns 0 once CancelWait was called. After a hang-up it reports EV_ERR
  // once and then nothing more.
  virtual std::uint32_t WaitEvent() = 0;
  virtual void CancelWait() = 0;
  // Takes the line errors collected since the last call and reads the
  // queue status.
  virtual void ClearError(std::int32_t& errors, TComStat& status) = 0;
  // Reads up to `count` bytes: returns as soon as they are there, at the
  // latest after the read time-out with what has arrived (0 on failure).
  virtual std::int32_t Read(void* buffer, std::int32_t count) = 0;
  // Writes `count` bytes; returns how many were written before a failure or
  // the write time-out.
  virtual std::int32_t Write(const void* buffer, std::int32_t count) = 0;
  // Discards both queues without waiting for the device.
  virtual void Purge() = 0;
  virtual int LastError() const = 0;
};

class SerialPlatform {
 public:
  virtual ~SerialPlatform() = default;
  // Opens `name` for exclusive use, raw, with stale input discarded. On
  // failure returns nullptr and says why in `error`.
  virtual std::unique_ptr<SerialHandle> Open(const std::string& name, PortError& error) = 0;
  // True when `name` is free for Open now: a terminal that no other program
  // holds. A check only: it leaves the port as it found it (no line
  // settings, no flush, no flag cleared that it did not set) and builds no
  // message. Without a check of its own a platform tries a full Open.
  virtual bool IsFree(const std::string& name) {
    PortError ignored;
    return Open(name, ignored) != nullptr;
  }
};

// The platform of this system (POSIX termios).
std::unique_ptr<SerialPlatform> MakeSystemSerialPlatform();

}  // namespace comm
