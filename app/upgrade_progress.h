#pragma once
// What the upgrade page and the log show of a transfer beyond the per-part
// bar: the block that just went out, the part's elapsed time and time left,
// and the progress of the whole upgrade (kernel and application together).
// Read off the wizard core's state around each tick of the transfer timer;
// toolkit-free, so tests feed it states and times of their own.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace connect {
class Wizard;
}

namespace app {

// The core's transfer state at one moment.
struct TransferSnapshot {
  std::int32_t stage = 0;  // upgrade::Stage
  bool running = false;    // UpgradeRunning
  bool finished = false;   // UpgradeFinished
  bool deviceReady = false;
  std::int32_t part = 0;  // 1 kernel, 2 application
  std::uint32_t block = 0;
  std::uint32_t total = 0;
  std::int32_t reply = 0;  // BlockReply
  bool sum16 = false;      // blocks go out with the 16-bit sum (264 bytes)
};

TransferSnapshot Snapshot(const connect::Wizard& wizard);

// The log line of a block that a tick sent ("[block 5/64, 263 bytes]", as
// `aisfw --trace` writes it), or none when the tick sent no block. Blocks
// are raw writes that the log panes do not see otherwise.
std::optional<std::string> SentBlockLine(const TransferSnapshot& before,
                                         const TransferSnapshot& after);

class UpgradeProgress {
 public:
  using Clock = std::chrono::steady_clock;

  // After each tick of the transfer timer.
  void Update(const TransferSnapshot& before, const TransferSnapshot& after, Clock::time_point now);
  // The application's block count, known from its image before its part
  // starts (none: not known, so no overall progress until it is).
  void SetApplicationBlocks(std::optional<std::uint32_t> blocks) { applicationBlocks_ = blocks; }
  // Forgets everything: a new run.
  void Reset() { *this = UpgradeProgress{}; }

  // "Kernel: 0:04 elapsed, about 0:05 left", and what follows a part;
  // empty before the first block.
  const std::string& TimeText() const { return timeText_; }
  // Both parts together, 0 to 100; none while a part's size is unknown.
  std::optional<int> OverallPercent() const;

 private:
  std::int32_t part_ = 0;
  Clock::time_point partStart_{};
  Clock::time_point lastBlock_{};
  bool started_ = false;
  std::uint32_t block_ = 0;
  std::optional<std::uint32_t> kernelBlocks_;
  std::optional<std::uint32_t> applicationBlocks_;
  bool finished_ = false;
  std::string timeText_;
};

}  // namespace app
