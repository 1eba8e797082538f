#pragma once
// Receive line assembly: the port's OnRxChar handler. Reads the queued
// bytes, cuts them into lines at LF (CR and NUL dropped), logs every complete
// line, and hands each line of at most 82 characters, with CR LF put back,
// first to the device-line consumer and then to the text-line watcher. Both
// consumers belong to the wizard; this layer knows bytes and lines only.
//
// A line is refused once it passes 82 characters, so only its beginning is
// kept, for the log: a device that sends without line ends (a wrong baud
// rate, a babbling port) costs a counter, not memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "comm/thread_comm.h"

namespace comm {

// Longest line handed over, without its CR LF.
inline constexpr std::size_t kMaxLineLength = 82;
// What the log keeps of a longer line: its first characters, then a note of
// how many bytes of it were dropped.
inline constexpr std::size_t kLoggedLineLength = 200;
static_assert(kLoggedLineLength > kMaxLineLength, "a kept line must still be seen as too long");
// A notification reads into a buffer of this size (one byte for the NUL);
// a larger count is read in pieces.
inline constexpr std::size_t kReceiveBufferSize = 5000;

// Where the lines go. The wizard core implements it: the receive log pane,
// the command channel's OnDeviceLine, and the text-line watcher.
class ReceiveConsumers {
 public:
  virtual ~ReceiveConsumers() = default;
  // One log line per complete line (no CR LF); of a line longer than
  // kLoggedLineLength its first characters and " ... (N more bytes dropped)".
  virtual void LogReceivedLine(std::string_view line) = 0;
  // The line with CR LF, NUL-terminated; called before the watcher.
  virtual void OnDeviceLine(const char* line) = 0;
  // The same line, after OnDeviceLine.
  virtual void WatchTextLine(const char* line) = 0;
};

class ReceiveLineAssembler {
 public:
  explicit ReceiveLineAssembler(ReceiveConsumers& consumers) : consumers_(consumers) {}

  // The OnRxChar handler: reads `count` bytes from `port` and assembles them.
  void OnRxChar(ByteReader& port, std::uint32_t count);
  // Assembles bytes already read.
  void Receive(const char* bytes, std::size_t count);

  // The line under assembly as kept (survives between notifications and
  // port re-opens), and how many bytes of it were dropped since.
  const std::string& RxLine() const { return rxLine_; }
  std::size_t DroppedBytes() const { return dropped_; }

 private:
  void CompleteLine();

  ReceiveConsumers& consumers_;
  std::string rxLine_;  // at most kLoggedLineLength characters
  std::size_t dropped_ = 0;
};

}  // namespace comm
