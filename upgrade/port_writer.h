#pragma once
// All the engine needs of the serial port to send: whether it is open, and
// a write. The wizard hands the engine its port through this; the engine's
// tests hand it a line of their own.

#include <cstdint>

#include "comm/thread_comm.h"

namespace upgrade {

class PortWriter {
 public:
  virtual ~PortWriter() = default;
  virtual bool Connected() const = 0;
  // How many bytes were written; fewer than `count` is a failure.
  virtual std::int32_t Write(const void* bytes, std::int32_t count) = 0;
};

// The serial component as a writer.
class ThreadCommWriter final : public PortWriter {
 public:
  explicit ThreadCommWriter(comm::TThreadComm& port) : port_(port) {}
  bool Connected() const override { return port_.Connected(); }
  std::int32_t Write(const void* bytes, std::int32_t count) override {
    return port_.Write(bytes, count);
  }

 private:
  comm::TThreadComm& port_;
};

}  // namespace upgrade
