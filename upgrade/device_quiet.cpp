#include "upgrade/device_quiet.h"

#include <algorithm>

#include "upgrade/wizard_view.h"

namespace upgrade {
namespace {

AwaitedAnswer Awaited(const WizardState& state, const CommandChannel& channel) {
  if (state.UpgradeRunning && state.WizardStage >= Stage::Transfer) {
    // The final check waits for the device whatever BlockReply holds.
    const bool waiting =
        channel.BlockReply == kReplyAwaiting || state.WizardStage == Stage::FinalCheck;
    return waiting ? AwaitedAnswer::BlockReply : AwaitedAnswer::None;
  }
  if (state.WizardStage != Stage::Idle && state.DeviceIdentified && state.PartRequestPending &&
      state.FileCheckState == kFileCheckWaiting) {
    return AwaitedAnswer::PartReady;
  }
  return AwaitedAnswer::None;
}

}  // namespace

std::string QuietNoticeText(const QuietNotice& notice) {
  const std::string seconds = std::to_string(notice.seconds);
  if (notice.awaiting == AwaitedAnswer::PartReady) {
    return std::string("The device has not said that it is ready for the ") +
           (notice.part == 2 ? "application" : "kernel") + " for " + seconds +
           " s. Check the cable and that the device is on.";
  }
  return "No reply from the device for " + seconds +
         " s. Check the cable and that the device is on; the upgrade goes on when it answers.";
}

DeviceQuietWatch::Change DeviceQuietWatch::Tick(const WizardState& state,
                                                const TransferState& transfer,
                                                const CommandChannel& channel) {
  const AwaitedAnswer awaiting = Awaited(state, channel);
  const bool answered = channel.RepliesApplied != replies_;
  if (awaiting != awaiting_ || answered || awaiting == AwaitedAnswer::None) {
    const bool wasQuiet = noticed_;
    awaiting_ = awaiting;
    replies_ = channel.RepliesApplied;
    ticks_ = 0;
    nextNotice_ = kQuietNoticeSeconds;
    noticed_ = false;
    return wasQuiet ? Change::Ended : Change::None;
  }
  ++ticks_;
  const auto tick = TimerInterval(TimerId::TimerUpgrade).count();
  if (ticks_ * tick < static_cast<std::int64_t>(nextNotice_) * 1000) return Change::None;

  last_.awaiting = awaiting;
  last_.part = awaiting == AwaitedAnswer::PartReady ? state.RequestedPart : state.UpgradePart;
  last_.total = transfer.BlockTotal;
  last_.block = std::min(transfer.BlockIndex, transfer.BlockTotal);
  last_.seconds = nextNotice_;
  nextNotice_ += kQuietNoticeSeconds;
  noticed_ = true;
  return Change::Notice;
}

}  // namespace upgrade
