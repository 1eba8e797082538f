#pragma once
// Between identification and the first block: every received line passes
// through HandleUpgradeLine, which feeds the device-information collector
// until the device is identified, requests a part, waits for the device's
// answer, opens and validates the image, fills in the version texts, and
// starts the transfer the sequencer carries out. The kernel starts when the
// user answers Yes; the application that follows starts on its own.
// Where it stands is FileCheckState (kFileCheck... in wizard_state.h).

#include "upgrade/command_channel.h"
#include "upgrade/device_info.h"
#include "upgrade/transfer_state.h"
#include "upgrade/wizard_operations.h"
#include "upgrade/wizard_screen.h"
#include "upgrade/wizard_state.h"

namespace upgrade {

class UpgradePreparation {
 public:
  // What PrepareImage tells HandleUpgradeLine.
  enum Step : int { Abandon = -1, KeepWaiting = 2, TransferStarted = 11, Done = 99 };

  UpgradePreparation(WizardState& state, TransferState& transfer, DeviceInformation& info,
                     CommandChannel& channel, WizardScreen& screen, WizardOperations& wizard,
                     WizardClock& clock, const FirmwareFolders& folders);

  // A received line (CR LF, NUL-terminated), or nullptr from the buttons.
  // True when the line was consumed and is not to be parsed.
  bool HandleUpgradeLine(const char* line);
  int PrepareImage();

  // The version page's buttons. Yes acts only while a prepared kernel waits
  // for it, so no transfer starts without a validated image; No abandons
  // whenever the page asks.
  void SpeedButtonFrmVerWantToContinueYesClick();
  void SpeedButtonFrmVerWantToContinueNoClick();

 private:
  int StartTransfer();
  int OpenPart();
  void ReportMissingImage();
  void AbandonWizard(WizardOutcome outcome);

  WizardState& state_;
  TransferState& transfer_;
  DeviceInformation& info_;
  CommandChannel& channel_;
  WizardScreen& screen_;
  WizardOperations& wizard_;
  WizardClock& clock_;
  const FirmwareFolders& folders_;
};

}  // namespace upgrade
