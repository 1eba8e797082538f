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
#include "upgrade/run_end.h"
#include "upgrade/transfer_state.h"
#include "upgrade/wizard_operations.h"
#include "upgrade/wizard_screen.h"
#include "upgrade/wizard_state.h"

namespace upgrade {

class UpgradePreparation {
 public:
  // What PrepareImage tells HandleUpgradeLine. Stopped: the run has ended
  // where it stands (on the upgrade page), with its message shown.
  enum Step : int { Stopped = -2, Abandon = -1, KeepWaiting = 2, TransferStarted = 11, Done = 99 };

  UpgradePreparation(WizardState& state, TransferState& transfer, DeviceInformation& info,
                     CommandChannel& channel, WizardScreen& screen, WizardOperations& wizard,
                     WizardClock& clock, const FirmwareFolders& folders, RunEnding& ending);

  // A received line (CR LF, NUL-terminated), or nullptr from the buttons.
  // True when the line was consumed and is not to be parsed.
  bool HandleUpgradeLine(const char* line);
  // The same preparation step on a timer tick, so that a device which says
  // nothing more after its part reply is prepared all the same.
  void PrepareOnTick();
  int PrepareImage();

  // The version page's buttons. Yes acts only while a prepared image waits
  // for it, so no transfer starts without a validated image; No abandons
  // whenever the page asks.
  void SpeedButtonFrmVerWantToContinueYesClick();
  void SpeedButtonFrmVerWantToContinueNoClick();

 private:
  // Between the device's identification and the start of a part's transfer,
  // outside the kernel part: where lines and ticks prepare the image.
  bool Preparing() const;
  bool StepPreparation();
  void RequestPart(int part);
  int StartTransfer();
  int OpenPart();
  bool LoadImage(ImageStream& image, const std::string& relative);
  bool Validate(const ImageStream& image, std::uint32_t& blockCount, std::uint32_t& imageSum);
  int EndForUnexpectedPart(int reply);
  // A failure found while preparing: the run ends with it when the step
  // returns Abandon.
  void Fail(WizardOutcome outcome, std::string text, EndBox box);
  void AbandonWizard();

  struct Failure {
    WizardOutcome outcome = WizardOutcome::None;
    std::string text;
    EndBox box = EndBox::Error;
  };

  WizardState& state_;
  TransferState& transfer_;
  DeviceInformation& info_;
  CommandChannel& channel_;
  WizardScreen& screen_;
  WizardOperations& wizard_;
  WizardClock& clock_;
  const FirmwareFolders& folders_;
  RunEnding& ending_;
  Failure failure_;
};

}  // namespace upgrade
