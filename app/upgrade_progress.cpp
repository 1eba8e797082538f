#include "app/upgrade_progress.h"

#include <algorithm>

#include "cli/progress.h"
#include "connect/wizard.h"
#include "firmware/code_block.h"

namespace app {
namespace {

using std::chrono::duration_cast;
using std::chrono::milliseconds;

constexpr std::int32_t kTransfer = upgrade::StageNumber(upgrade::Stage::Transfer);
constexpr std::int32_t kFinalCheck = upgrade::StageNumber(upgrade::Stage::FinalCheck);

std::string PartTitle(std::int32_t part) { return part == 2 ? "Application" : "Kernel"; }

}  // namespace

TransferSnapshot Snapshot(const connect::Wizard& wizard) {
  const upgrade::WizardState& state = wizard.State();
  const upgrade::TransferState& transfer = wizard.Transfer();
  TransferSnapshot s;
  s.stage = upgrade::StageNumber(state.WizardStage);
  s.running = state.UpgradeRunning;
  s.finished = state.UpgradeFinished;
  s.deviceReady = state.DeviceReady;
  s.part = state.UpgradePart;
  s.block = transfer.BlockIndex;
  s.total = transfer.BlockTotal;
  s.reply = wizard.Channel().BlockReply;
  s.sum16 = wizard.DeviceInfo().Records[0].classDigit == 1;
  return s;
}

std::optional<std::string> SentBlockLine(const TransferSnapshot& before,
                                         const TransferSnapshot& after) {
  // A block went out when the tick left the sequencer awaiting a reply that
  // it was not awaiting before, or when the device's countdown restarted the
  // part (block 1 goes again, whatever was awaited).
  const bool restarted = before.deviceReady && !after.deviceReady;
  const bool sent = after.stage == kTransfer && after.reply == upgrade::kReplyAwaiting &&
                    (before.reply != upgrade::kReplyAwaiting || restarted);
  if (!sent) return std::nullopt;
  const char* note = restarted                     ? ", the part restarted"
                     : after.block == before.block ? ", again"
                                                   : "";
  const std::size_t bytes = after.sum16 ? firmware::kWireBlockWithSum16 : firmware::kBlockSize;
  return "[block " + std::to_string(after.block) + "/" + std::to_string(after.total) + note + ", " +
         std::to_string(bytes) + " bytes]";
}

void UpgradeProgress::Update(const TransferSnapshot& before, const TransferSnapshot& after,
                             Clock::time_point now) {
  if (after.finished) {
    finished_ = true;
    timeText_ = "Kernel and application programmed.";
    return;
  }
  if (after.stage < kTransfer || after.part < 1) return;
  if (after.part != part_) {
    part_ = after.part;
    started_ = false;
    block_ = 0;
  }
  if (after.part == 1 && after.total > 0) kernelBlocks_ = after.total;
  if (after.part == 2 && after.total > 0) applicationBlocks_ = after.total;

  // The part's clock starts with block 1, and again when the device makes
  // the part start over.
  if (SentBlockLine(before, after) && after.block == 1) {
    started_ = true;
    partStart_ = now;
  }
  if (!started_) return;
  if (after.running && after.block != block_) {
    block_ = std::min(after.block, after.total);
    lastBlock_ = now;
  }

  const std::string part = PartTitle(part_);
  const auto elapsed = duration_cast<milliseconds>(now - partStart_);
  if (after.stage == kTransfer && after.running) {
    cli::ProgressSample sample;
    sample.part = part_;
    sample.block = block_;
    sample.total = after.total;
    sample.elapsed = duration_cast<milliseconds>(lastBlock_ - partStart_);
    timeText_ = part + ": " + cli::FormatDuration(elapsed) + " elapsed";
    if (const auto rest = cli::EstimateRemaining(sample)) {
      timeText_ += ", about " + cli::FormatDuration(*rest) + " left";
    }
  } else if (after.stage == kFinalCheck) {
    timeText_ = part + ": all blocks sent in " +
                cli::FormatDuration(duration_cast<milliseconds>(lastBlock_ - partStart_)) +
                "; the device checks them";
  } else if (!after.running && part_ == 1) {
    timeText_ = "Kernel programmed; the application comes next";
    block_ = after.total;
  }
}

std::optional<int> UpgradeProgress::OverallPercent() const {
  if (finished_) return 100;
  if (!kernelBlocks_ || !applicationBlocks_) return std::nullopt;
  const std::uint64_t all = std::uint64_t{*kernelBlocks_} + *applicationBlocks_;
  if (all == 0) return std::nullopt;
  const std::uint64_t done = part_ == 2 ? *kernelBlocks_ + block_ : block_;
  return static_cast<int>(std::min<std::uint64_t>(100, done * 100 / all));
}

}  // namespace app
