#include "cli/progress.h"

#include <fmt/core.h>

namespace cli {

const char* PartName(int part) { return part == 2 ? "application" : "kernel"; }

std::string FormatDuration(std::chrono::milliseconds duration) {
  const long long seconds = duration.count() < 0 ? 0 : duration.count() / 1000;
  if (seconds >= 3600) {
    return fmt::format("{}:{:02}:{:02}", seconds / 3600, seconds / 60 % 60, seconds % 60);
  }
  return fmt::format("{}:{:02}", seconds / 60, seconds % 60);
}

std::optional<std::chrono::milliseconds> EstimateRemaining(const ProgressSample& sample) {
  // The clock starts as block 1 goes out: the pace is known from block 2 on.
  if (sample.block < 2 || sample.total < sample.block) return std::nullopt;
  const long long perBlock = sample.elapsed.count() / (sample.block - 1);
  return std::chrono::milliseconds(perBlock * (sample.total - sample.block));
}

std::string ProgressLine(const ProgressSample& sample) {
  const int width = static_cast<int>(std::to_string(sample.total).size());
  std::string line =
      fmt::format("{:<11} {:>3}%  block {:>{}}/{}  retransmissions {}  {} elapsed",
                  PartName(sample.part), sample.percent, sample.block, width, sample.total,
                  sample.retransmissions, FormatDuration(sample.elapsed));
  if (const auto rest = EstimateRemaining(sample)) {
    line += fmt::format(", about {} left", FormatDuration(*rest));
  }
  return line;
}

}  // namespace cli
