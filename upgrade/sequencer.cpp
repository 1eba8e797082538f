#include "upgrade/sequencer.h"

#include <algorithm>
#include <cstdio>

#include "firmware/code_block.h"

namespace upgrade {
namespace {

// Lines of the messages that blame the line.
constexpr const char* kCheckCable =
    "Please check the RS-232 cableline is serviceable     \n"
    "or try to use another PC to upgrade your AIS         \n"
    "and try again.";

std::string Format(const char* format, int a) {
  char text[96];
  std::snprintf(text, sizeof text, format, a);
  return text;
}

std::string Format(const char* format, int a, int b) {
  char text[96];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

}  // namespace

UpgradeSequencer::UpgradeSequencer(WizardState& state, TransferState& transfer,
                                   const DeviceInformation& info, CommandChannel& channel,
                                   WizardScreen& screen, RunEnding& ending)
    : state_(state),
      transfer_(transfer),
      info_(info),
      channel_(channel),
      screen_(screen),
      ending_(ending),
      page_(screen) {}

void UpgradeSequencer::TimerUpgradeTimer() {
  if (state_.UpgradeFinished) return;
  if (state_.WizardStage < Stage::Transfer) return;
  if (!state_.UpgradeRunning) {
    // A leftover image is closed, but not the application image held or
    // prepared between the kernel's success and the application's start.
    if (transfer_.HoldsImage() && !state_.PartRequestPending) transfer_.CloseImage();
    return;
  }
  restarted_ = false;
  if (state_.DeviceReady) {
    channel_.SendDbg(kDbgBlockCount, static_cast<int>(transfer_.BlockTotal));
    state_.DeviceReady = false;
    transfer_.RewindForTransfer();
    channel_.BlockReply = kReplyStartTransfer;
    restarted_ = true;
  }
  page_.Tick(state_.WizardStage, state_.UpgradePart);
  if (channel_.BlockReply == kReplyAwaiting) return;
  if (transfer_.ImageFile.AtEnd() || transfer_.BlockIndex > transfer_.BlockTotal) {
    FinalCheck();
    return;
  }
  TransferStep();
}

void UpgradeSequencer::TransferStep() {
  const std::int64_t reply = channel_.BlockReply;
  const std::int64_t i = transfer_.BlockIndex;
  // Before block 1 has gone out there is nothing to repeat: block 1 goes.
  const bool repeat = i > 0 && (reply == i - 1 || reply == kReplyRepeat);
  if (repeat) {
    // A repeat asked for (-1) is a transmission error like a block not
    // received: counted, so that a device asking for ever is given up.
    ++transfer_.Retransmissions;
    if (transfer_.BlockHadError == 0) {
      transfer_.BlockHadError = 1;
      ++transfer_.ErrorBlocks;
    }
    // Up to a quarter of the image, repetitions are measured against that
    // quarter: a slow start is allowed its retries, but not endless ones.
    const std::int64_t quarter = transfer_.BlockTotal / 4;
    const float blocks = static_cast<float>(std::max(i, quarter));
    const float p = static_cast<float>(transfer_.Retransmissions) / blocks * 100.0f;
    const float q = static_cast<float>(transfer_.ErrorBlocks) / blocks * 100.0f;
    if (q > 100.0f || p > 100.0f) {
      ending_.EndRun(WizardOutcome::TransmissionErrors,
                     std::string("Too many transmission errors!\n") + kCheckCable);
      return;
    }
    SendStep(BlockKind::Again);
    return;
  } else if (reply != i && reply > 0) {
    ending_.EndRun(
        WizardOutcome::IncorrectBlockCount,
        Format("Incorrect block count! (%d -> %d)", static_cast<int>(i), static_cast<int>(reply)));
    return;
  } else if (transfer_.BlockTotal > i) {
    transfer_.BlockBuffer.fill(0);
    transfer_.ImageFile.Read(transfer_.BlockBuffer.data(), transfer_.BlockBuffer.size());
    ++transfer_.BlockIndex;
    transfer_.BlockHadError = 0;
  } else {
    transfer_.BlockIndex = transfer_.BlockTotal + 1;
    return;
  }
  SendStep(BlockKind::Next);
}

void UpgradeSequencer::SendStep(BlockKind kind) {
  channel_.BlockReply = kReplyAwaiting;
  firmware::BlockBuffer wire{};
  std::copy(transfer_.BlockBuffer.begin(), transfer_.BlockBuffer.end(), wire.begin());
  const std::size_t length = firmware::PrepareWireBlock(wire, info_.Records[0].classDigit == 1);
  if (!channel_.WriteToPort(wire.data(), static_cast<int>(length))) {
    ending_.EndRun(WizardOutcome::SendFailed, "Command sending fail!");
    return;
  }
  const long position = transfer_.ImageFile.Position();
  const int percent =
      transfer_.ImageSize > 0 ? static_cast<int>(position * 100 / transfer_.ImageSize) : 0;
  screen_.SetProgress(percent);
  screen_.SetText(Control::lblUpgradeStatus, "Upgrading ...");
  screen_.SetText(Control::LabelDebugFrmUpg, std::to_string(transfer_.BlockIndex) + "/" +
                                                 std::to_string(transfer_.BlockTotal));
  screen_.SetText(Control::lbl2ndAISUpgradeStatus,
                  state_.UpgradePart == 1 ? "Upgrade AIS Kernel" : "Upgrade AIS Application");
  ending_.Events().BlockSent({state_.UpgradePart, transfer_.BlockIndex, transfer_.BlockTotal,
                              restarted_ ? BlockKind::Restarted : kind, transfer_.Retransmissions,
                              std::min(percent, 100), length});
}

void UpgradeSequencer::FinalCheck() {
  state_.WizardStage = Stage::FinalCheck;
  if (channel_.BlockReply == kReplyAskSum) {
    channel_.BlockReply = kReplyAwaiting;
    if (!channel_.SendFinalCheck(transfer_.ImageSum)) {
      // The channel has said why (or, scanning, nothing).
      ending_.EndRun(WizardOutcome::SendFailed, "");
      return;
    }
    transfer_.SumSent = true;
  }
  const std::int32_t verdict = channel_.BlockReply;
  if (verdict != kReplyProgrammed && verdict != kReplyProgramFailed &&
      verdict != kReplyChecksumError)
    return;
  // "Programmed" before the device was given the image sum checks nothing:
  // the part is not taken as done (a failure is still taken).
  if (verdict == kReplyProgrammed && !transfer_.SumSent) return;

  state_.UpgradeRunning = false;
  screen_.SetProgress(100);

  if (verdict == kReplyProgrammed && state_.UpgradePart == 1) {
    // The kernel's image is done with; the application held with it waits.
    transfer_.ImageFile.Close();
    transfer_.ImageValidated = false;
    state_.WizardStage = Stage::Transfer;
    state_.UpgradePart = 2;
    channel_.PartReply = -1;
    state_.RequestedPart = 2;
    channel_.SendDbg(kDbgRequestPart, 2);
    state_.PartRequestPending = true;
    screen_.SetText(Control::lblUpgradeStatus, "");
    screen_.SetText(Control::lbl2ndAISUpgradeStatus, "Kernel Upgrade Finished");
    screen_.SetText(Control::StaticTextFrmUpgMessage1, "");
    ending_.Events().PartFinished(1);
    return;
  }
  if (verdict == kReplyProgrammed) {
    screen_.SetEnabled(Control::SpeedButtonFrmUpgFinish, true);
    state_.UpgradeFinished = true;
    page_.ShowFinished();
    ending_.Events().PartFinished(state_.UpgradePart);
    ending_.EndRun(WizardOutcome::Finished, "");
  } else if (verdict == kReplyChecksumError) {
    screen_.SetText(Control::lblUpgradeStatus,
                    Format("Firmware Check Sum Error (Error Code=%d)", verdict));
    ending_.EndRun(WizardOutcome::ChecksumError, kCheckCable);
  } else {
    const std::string text = Format("Firmware Upgrade Failure (Error Code=%d)", verdict);
    screen_.SetText(Control::lblUpgradeStatus, text);
    ending_.EndRun(WizardOutcome::ProgrammingFailed, text);
  }
}

}  // namespace upgrade
