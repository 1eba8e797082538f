#pragma once
// A virtual transponder on an in-memory serial line: what the host writes
// reaches the device at once (at the line speed the host set), and what the
// device says reaches the host as time passes. A device that hangs up takes
// the line down once its last words are out.

#include <functional>
#include <memory>
#include <string>

#include "comm/memory_serial.h"
#include "sim/transponder.h"

namespace harness {

class VirtualDevice {
 public:
  VirtualDevice(std::shared_ptr<comm::MemoryLine> line, sim::TransponderConfig config);
  ~VirtualDevice();
  VirtualDevice(const VirtualDevice&) = delete;
  VirtualDevice& operator=(const VirtualDevice&) = delete;

  // Lets `ms` pass for the device and sends what it said to the host.
  void Advance(std::int64_t ms);

  sim::VirtualTransponder& Transponder() { return transponder_; }
  // Sees every piece the device sends to the host, with the virtual time.
  void SetOutputTap(std::function<void(std::int64_t nowMs, const std::string& bytes)> tap) {
    tap_ = std::move(tap);
  }
  comm::MemoryLine& Line() { return *line_; }

 private:
  void FromHost(std::string_view bytes);
  void Deliver();

  std::shared_ptr<comm::MemoryLine> line_;
  sim::VirtualTransponder transponder_;
  std::function<void(std::int64_t, const std::string&)> tap_;
};

}  // namespace harness
