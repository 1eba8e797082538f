#include "upgrade/run_end.h"

#include <algorithm>
#include <string>

namespace upgrade {

RunEnding::RunEnding(WizardState& state, TransferState& transfer, WizardScreen& screen,
                     WizardEvents& events)
    : state_(state), transfer_(transfer), screen_(screen), events_(events) {}

DeviceLeft RunEnding::Where() const {
  DeviceLeft left;
  left.stage = state_.WizardStage;
  if (state_.WizardStage < Stage::Transfer) return left;
  left.part = state_.UpgradePart;
  left.betweenParts = state_.PartRequestPending && !state_.UpgradeRunning;
  left.total = transfer_.BlockTotal;
  left.block = std::min(transfer_.BlockIndex, transfer_.BlockTotal);
  return left;
}

void RunEnding::EndRun(WizardOutcome outcome, std::string_view text, EndBox box,
                       std::string_view caption) {
  RunEnd end{outcome, std::string(text), Where()};
  state_.Outcome = outcome;
  state_.UpgradeRunning = false;
  if (outcome != WizardOutcome::Finished) {
    state_.WizardStage = Stage::Idle;
    state_.DeviceIdentified = false;
  }
  transfer_.CloseImage();
  if (!text.empty()) {
    switch (box) {
      case EndBox::Error:
        screen_.Error(text, caption);
        break;
      case EndBox::Plain:
        screen_.Plain(text);
        break;
      case EndBox::Shown:
        break;
    }
  }
  events_.RunEnded(end);
}

}  // namespace upgrade
