#include "upgrade/sequencer.h"

#include <algorithm>
#include <array>
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

// The colour steps of the animation, by phase: rising, then falling.
constexpr std::array<std::array<std::int32_t, 2>, 3> kColourSteps = {{
    {0x001919, -0x190019},
    {0x190019, -0x191900},
    {0x191900, -0x001919},
}};

}  // namespace

UpgradeSequencer::UpgradeSequencer(WizardState& state, TransferState& transfer,
                                   const DeviceInformation& info, CommandChannel& channel,
                                   WizardScreen& screen)
    : state_(state), transfer_(transfer), info_(info), channel_(channel), screen_(screen) {}

void UpgradeSequencer::TimerUpgradeTimer() {
  if (state_.UpgradeFinished) return;
  if (state_.WizardStage < Stage::Transfer) return;
  if (!state_.UpgradeRunning) {
    // A leftover image is closed, but not the application image held or
    // prepared between the kernel's success and the application's start.
    if (transfer_.HoldsImage() && !state_.PartRequestPending) transfer_.CloseImage();
    return;
  }
  if (state_.DeviceReady) {
    channel_.SendDbg(kDbgBlockCount, static_cast<int>(transfer_.BlockTotal));
    state_.DeviceReady = false;
    transfer_.RewindForTransfer();
    channel_.BlockReply = kReplyStartTransfer;
  }
  AnimateUpgradeStatus(false);
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
      AbandonTransfer(WizardOutcome::TransmissionErrors,
                      std::string("Too many transmission errors!\n") + kCheckCable);
      return;
    }
  } else if (reply != i && reply > 0) {
    AbandonTransfer(
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
  SendStep();
}

void UpgradeSequencer::SendStep() {
  channel_.BlockReply = kReplyAwaiting;
  firmware::BlockBuffer wire{};
  std::copy(transfer_.BlockBuffer.begin(), transfer_.BlockBuffer.end(), wire.begin());
  std::size_t length = firmware::kBlockSize;
  if (info_.Records[0].classDigit == 1) {
    if (!firmware::BlockSum16(wire.data())) {
      state_.UpgradeRunning = false;
      transfer_.CloseImage();
      state_.Outcome = WizardOutcome::SendFailed;  // so that a front end knows the run has ended
      screen_.Plain("Codeblock Preprocess error!");
      return;
    }
    length = firmware::kWireBlockWithSum16;
  }
  if (!channel_.WriteToPort(wire.data(), static_cast<int>(length))) {
    state_.WizardStage = Stage::Idle;
    state_.DeviceIdentified = false;
    state_.UpgradeRunning = false;
    transfer_.CloseImage();
    state_.Outcome = WizardOutcome::SendFailed;
    screen_.Error("Command sending fail!");
    return;
  }
  const long position = transfer_.ImageFile.Position();
  screen_.SetProgress(
      transfer_.ImageSize > 0 ? static_cast<int>(position * 100 / transfer_.ImageSize) : 0);
  screen_.SetText(Control::lblUpgradeStatus, "Upgrading ...");
  screen_.SetText(Control::LabelDebugFrmUpg, std::to_string(transfer_.BlockIndex) + "/" +
                                                 std::to_string(transfer_.BlockTotal));
  screen_.SetText(Control::lbl2ndAISUpgradeStatus,
                  state_.UpgradePart == 1 ? "Upgrade AIS Kernel" : "Upgrade AIS Application");
}

void UpgradeSequencer::FinalCheck() {
  state_.WizardStage = Stage::FinalCheck;
  if (channel_.BlockReply == kReplyAskSum) {
    channel_.BlockReply = kReplyAwaiting;
    if (!channel_.SendFinalCheck(transfer_.ImageSum)) {
      state_.WizardStage = Stage::Idle;
      state_.DeviceIdentified = false;
      state_.UpgradeRunning = false;
      transfer_.CloseImage();
      state_.Outcome = WizardOutcome::SendFailed;
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
    return;
  }
  transfer_.CloseImage();
  if (verdict == kReplyProgrammed) {
    screen_.SetEnabled(Control::SpeedButtonFrmUpgFinish, true);
    state_.UpgradeFinished = true;
    state_.Outcome = WizardOutcome::Finished;
    AnimateUpgradeStatus(true);
  } else if (verdict == kReplyChecksumError) {
    state_.WizardStage = Stage::Idle;
    state_.Outcome = WizardOutcome::ChecksumError;
    screen_.SetText(Control::lblUpgradeStatus,
                    Format("Firmware Check Sum Error (Error Code=%d)", verdict));
    screen_.Error(kCheckCable);
  } else {
    state_.WizardStage = Stage::Idle;
    state_.Outcome = WizardOutcome::ProgrammingFailed;
    const std::string text = Format("Firmware Upgrade Failure (Error Code=%d)", verdict);
    screen_.SetText(Control::lblUpgradeStatus, text);
    screen_.Error(text);
  }
}

void UpgradeSequencer::AbandonTransfer(WizardOutcome outcome, const std::string& text) {
  state_.WizardStage = Stage::Idle;
  state_.DeviceIdentified = false;
  state_.UpgradeRunning = false;
  transfer_.CloseImage();
  state_.Outcome = outcome;
  screen_.Error(text);
}

void UpgradeSequencer::AnimateUpgradeStatus(bool final) {
  if (final) {
    StatusAnimTick = 0;
    StatusAnimColour = kBlue;
    StatusAnimPhase = 0;
    StatusAnimRising = true;
    screen_.SetText(Control::lblUpgradeStatus, "");
    screen_.SetText(Control::lbl2ndAISUpgradeStatus, "Application Upgrade Finished");
    screen_.SetColour(Control::StaticTextFrmUpgMessage1, kNavy);
    screen_.SetColour(Control::StaticTextFrmUpgMessage2, kNavy);
    screen_.SetText(Control::StaticTextFrmUpgMessage1, "Firmware upgrade finished.");
    screen_.SetText(Control::StaticTextFrmUpgMessage2, "Please restart your AIS device.");
    return;
  }
  ++StatusAnimTick;
  if (state_.WizardStage == Stage::Transfer) {
    if (StatusAnimTick >= 20) {
      StatusAnimTick = 1;
      StatusAnimRising = !StatusAnimRising;
      if (StatusAnimRising) StatusAnimPhase = static_cast<std::uint8_t>((StatusAnimPhase + 1) % 3);
    }
    if (StatusAnimTick % 2 == 0) {
      const std::int32_t step = kColourSteps[StatusAnimPhase][StatusAnimRising ? 0 : 1];
      StatusAnimColour = static_cast<Colour>(static_cast<std::int32_t>(StatusAnimColour) + step);
    }
    screen_.SetText(Control::StaticTextFrmUpgMessage1, "Upgrade in process!");
    screen_.SetText(Control::StaticTextFrmUpgMessage2, "Please wait a moment.");
    screen_.SetColour(Control::StaticTextFrmUpgMessage1, StatusAnimColour);
    screen_.SetColour(Control::StaticTextFrmUpgMessage2, StatusAnimColour);
  } else if (state_.WizardStage == Stage::FinalCheck) {
    if (StatusAnimTick >= 10) StatusAnimTick = 0;
    if (StatusAnimTick == 5) screen_.SetColour(Control::lblUpgradeStatus, kRed);
    if (StatusAnimTick == 0) screen_.SetColour(Control::lblUpgradeStatus, kBlack);
    screen_.SetText(Control::lbl2ndAISUpgradeStatus, state_.UpgradePart == 1
                                                         ? "Programing AIS Kernel"
                                                         : "Programing AIS Application");
    screen_.SetColour(Control::StaticTextFrmUpgMessage1, kRed);
    screen_.SetText(Control::StaticTextFrmUpgMessage1,
                    "Do not turn off or disconnect the device !");
    screen_.SetText(Control::StaticTextFrmUpgMessage2, "");
    screen_.SetText(Control::lblUpgradeStatus, "System Programming, Please Wait...");
  }
}

}  // namespace upgrade
