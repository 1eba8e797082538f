#include "upgrade/preparation.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "firmware/catalogue.h"
#include "firmware/image_validation.h"

namespace upgrade {
namespace {

// The pause before the application image is validated.
constexpr std::chrono::milliseconds kApplicationPause(2000);

// Copies a text into a field, cut to fit.
template <std::size_t N>
void CopyText(char (&field)[N], const char* text) {
  const std::size_t length = std::min(std::strlen(text), N - 1);
  std::memcpy(field, text, length);
  field[length] = '\0';
}

}  // namespace

UpgradePreparation::UpgradePreparation(WizardState& state, TransferState& transfer,
                                       DeviceInformation& info, CommandChannel& channel,
                                       WizardScreen& screen, WizardOperations& wizard,
                                       WizardClock& clock, const FirmwareFolders& folders)
    : state_(state),
      transfer_(transfer),
      info_(info),
      channel_(channel),
      screen_(screen),
      wizard_(wizard),
      clock_(clock),
      folders_(folders) {}

void UpgradePreparation::AbandonWizard(WizardOutcome outcome) {
  if (outcome != WizardOutcome::None) state_.Outcome = outcome;
  // An image opened for a part that will not be sent is closed at once.
  transfer_.CloseImage();
  wizard_.CancelWizard();
}

bool UpgradePreparation::HandleUpgradeLine(const char* line) {
  if (state_.WizardStage == Stage::Idle || !state_.DeviceDetected) return false;
  // During the kernel part every line goes to the sentence parser.
  if (state_.WizardStage > Stage::SecondReading && state_.UpgradePart != 2) return false;
  if (state_.UpgradeRunning) return false;

  if (state_.DeviceIdentified && state_.DeviceType == kClassADevice && state_.PartRequestPending) {
    switch (PrepareImage()) {
      case Abandon:
        AbandonWizard(WizardOutcome::None);
        return false;
      case KeepWaiting:
        return false;  // the line may carry the device's answer
      case TransferStarted:
        state_.FileCheckState = kFileCheckWaiting;
        state_.WizardStage = Stage::Transfer;
        state_.UpgradeRunning = true;
        state_.PartRequestPending = false;
        return true;
      default:
        return true;
    }
  }

  if (info_.Collector.CollectInfoLine(line, false) != InfoCollector::Complete) return false;
  switch (info_.EvaluateDeviceInfo(state_.WizardStage, channel_, screen_)) {
    case DeviceInformation::Failed:
      state_.DeviceIdentified = false;
      AbandonWizard(WizardOutcome::Identification);
      return false;
    case DeviceInformation::FirstRead:
      state_.WizardStage = Stage::SecondReading;
      return true;
    case DeviceInformation::Identified:
      state_.DeviceType = kClassADevice;
      state_.DeviceIdentified = true;
      channel_.PartReply = -1;
      channel_.SendDbg(kDbgRequestPart, 1);
      state_.PartRequestPending = true;
      return true;
    default:
      return false;  // a block after the second reading has no record
  }
}

int UpgradePreparation::PrepareImage() {
  switch (state_.FileCheckState) {
    case kFileCheckPrepared:
      return Done;
    case kFileCheckStart:
      return StartTransfer();
    case kFileCheckDeclined:
      transfer_.CloseImage();
      state_.Outcome = WizardOutcome::Declined;
      return Abandon;
    default:
      break;
  }
  if (const int step = OpenPart(); step != Done) return step;

  std::uint32_t blockCount = 0;
  const bool valid = firmware::ValidateImage(
      transfer_.ImageFile.Handle(), blockCount, transfer_.ImageSum,
      [this](const std::string& text) { screen_.SetText(Control::lblUpgradeStatus, text); });
  transfer_.BlockIndex = blockCount;
  if (!valid) {
    state_.Outcome = WizardOutcome::InvalidImage;
    screen_.Plain("Invalid firmware upgrade BIN file format!");
    return Abandon;
  }
  transfer_.ImageValidated = true;

  const DeviceInfoRecord& device = info_.Records[0];
  CopyText(transfer_.ImageName, device.applicationPath);
  if (!firmware::LookUpVersion(folders_.Catalogue(firmware::kCataloguePath), transfer_.NewVersion,
                               transfer_.ImageName)) {
    state_.Outcome = WizardOutcome::MissingCatalogue;
    screen_.SetText(Control::lblUpgradeStatus, "No firmware version is detected!");
    screen_.Error("No firmware version is detected!     ");
    return Abandon;
  }
  CopyText(transfer_.CurrentVersion, device.firmware);
  if (char* cr = std::strchr(transfer_.CurrentVersion, '\r')) *cr = '\0';
  if (char* lf = std::strchr(transfer_.NewVersion, '\n')) *lf = '\0';
  screen_.SetText(Control::LabelFrmUpgSerialNumber1, device.serialNumber);

  state_.FileCheckState = state_.UpgradePart == 2 && state_.DeviceType == kClassADevice
                              ? kFileCheckStart
                              : kFileCheckPrepared;
  return Done;
}

int UpgradePreparation::StartTransfer() {
  // Only a validated image that nothing has read since goes out.
  if (!transfer_.ImageFile.IsOpen() || !transfer_.ImageValidated) return KeepWaiting;
  wizard_.AdvanceStage();
  transfer_.BlockTotal = transfer_.BlockIndex;
  for (int i = 0; i < 5; ++i)
    channel_.SendDbg(kDbgBlockCount, static_cast<int>(transfer_.BlockTotal));
  transfer_.RewindForTransfer();
  channel_.BlockReply = kReplyStartTransfer;
  screen_.SetColour(Control::lblUpgradeStatus, kBlack);
  return TransferStarted;
}

void UpgradePreparation::ReportMissingImage() {
  state_.Outcome = WizardOutcome::MissingImage;
  screen_.SetText(Control::lblUpgradeStatus, "No firmware is found or incorrect firmware!");
  screen_.Error("No firmware is found or incorrect firmware!     ");
}

// Opens the image of the part the device is ready for: Done when it is open,
// else the step to return.
int UpgradePreparation::OpenPart() {
  const DeviceInfoRecord& device = info_.Records[0];
  if (channel_.PartReply == 1) {
    // The application image must exist too before the kernel goes out.
    ImageStream application;
    if (!transfer_.ImageFile.Open(folders_.Resolve(device.kernelPath)) ||
        !application.Open(folders_.Resolve(device.applicationPath))) {
      transfer_.ImageValidated = false;
      ReportMissingImage();
      return Abandon;
    }
    transfer_.ImageValidated = false;
    state_.UpgradePart = 1;
    return Done;
  }
  if (channel_.PartReply == 2) {
    transfer_.CloseImage();
    if (!transfer_.ImageFile.Open(folders_.Resolve(device.applicationPath))) {
      ReportMissingImage();
      return Abandon;
    }
    state_.FileCheckState = kFileCheckStart;
    state_.UpgradePart = 2;
    screen_.SetProgress(0);
    clock_.Pause(kApplicationPause);
    return Done;
  }
  return KeepWaiting;
}

void UpgradePreparation::SpeedButtonFrmVerWantToContinueYesClick() {
  if (state_.FileCheckState != kFileCheckPrepared) return;
  state_.FileCheckState = kFileCheckStart;
  HandleUpgradeLine(nullptr);
}

void UpgradePreparation::SpeedButtonFrmVerWantToContinueNoClick() {
  // No is always safe: it abandons, closing whatever was opened. Were it to
  // wait for a prepared image too, a device that never answers the part
  // request would leave the user on a page where nothing works.
  const bool asking =
      state_.DeviceIdentified && state_.PartRequestPending &&
      (state_.FileCheckState == kFileCheckPrepared || state_.FileCheckState == kFileCheckWaiting);
  if (!asking) return;
  state_.FileCheckState = kFileCheckDeclined;
  HandleUpgradeLine(nullptr);
}

}  // namespace upgrade
