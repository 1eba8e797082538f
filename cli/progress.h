#pragma once
// How the transfer's progress reads in a terminal: one line redrawn in
// place, or plain lines every few percent when the output is a log.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace cli {

struct ProgressSample {
  int part = 1;             // 1 kernel, 2 application
  int percent = 0;          // of the image's bytes read, as the wizard's bar shows it
  std::uint32_t block = 0;  // the block sent last, 1-based
  std::uint32_t total = 0;  // blocks of the image, end block included
  std::uint32_t retransmissions = 0;
  std::chrono::milliseconds elapsed{0};  // since block 1 of the part went out
};

// Off a terminal a line is printed each time the percentage reaches the
// next multiple of this.
inline constexpr int kPlainProgressStep = 5;

const char* PartName(int part);
// "0:07", "12:34", "1:02:03".
std::string FormatDuration(std::chrono::milliseconds duration);
// The rest of the part at the pace so far; none until two blocks have gone.
std::optional<std::chrono::milliseconds> EstimateRemaining(const ProgressSample& sample);
// "kernel       45%  block 29/64  retransmissions 0  0:04 elapsed, about 0:05 left"
std::string ProgressLine(const ProgressSample& sample);

}  // namespace cli
