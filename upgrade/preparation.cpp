#include "upgrade/preparation.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

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

// The device's serial number as it sent it, without a line end.
std::string SerialNumber(const DeviceInfoRecord& device) {
  std::string serial = device.serialNumber;
  while (!serial.empty() && (serial.back() == '\n' || serial.back() == '\r')) serial.pop_back();
  return serial;
}

// The device's firmware text as the version page shows it: without its line end.
void CopyRunningVersion(char (&field)[80], const DeviceInfoRecord& device) {
  CopyText(field, device.firmware);
  if (char* cr = std::strchr(field, '\r')) *cr = '\0';
}

const char* PartName(int part) { return part == 1 ? "kernel" : "application"; }

}  // namespace

UpgradePreparation::UpgradePreparation(WizardState& state, TransferState& transfer,
                                       DeviceInformation& info, CommandChannel& channel,
                                       WizardScreen& screen, WizardOperations& wizard,
                                       WizardClock& clock, const FirmwareFolders& folders,
                                       RunEnding& ending)
    : state_(state),
      transfer_(transfer),
      info_(info),
      channel_(channel),
      screen_(screen),
      wizard_(wizard),
      clock_(clock),
      folders_(folders),
      ending_(ending) {}

void UpgradePreparation::Fail(WizardOutcome outcome, std::string text, EndBox box) {
  failure_ = {outcome, std::move(text), box};
}

void UpgradePreparation::AbandonWizard() {
  const Failure failure = std::exchange(failure_, Failure{});
  if (failure.outcome != WizardOutcome::None) {
    ending_.EndRun(failure.outcome, failure.text, failure.box);
  }
  // An image opened for a part that will not be sent is closed at once.
  transfer_.CloseImage();
  wizard_.CancelWizard();
}

bool UpgradePreparation::Preparing() const {
  if (state_.WizardStage == Stage::Idle || !state_.DeviceDetected) return false;
  // During the kernel part every line goes to the sentence parser.
  if (state_.WizardStage > Stage::SecondReading && state_.UpgradePart != 2) return false;
  if (state_.UpgradeRunning) return false;
  return state_.DeviceIdentified && state_.DeviceType == kClassADevice && state_.PartRequestPending;
}

bool UpgradePreparation::StepPreparation() {
  switch (PrepareImage()) {
    case Abandon:
      AbandonWizard();
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

bool UpgradePreparation::HandleUpgradeLine(const char* line) {
  if (state_.WizardStage == Stage::Idle || !state_.DeviceDetected) return false;
  if (state_.WizardStage > Stage::SecondReading && state_.UpgradePart != 2) return false;
  if (state_.UpgradeRunning) return false;
  if (Preparing()) return StepPreparation();

  if (info_.Collector.CollectInfoLine(line, false) != InfoCollector::Complete) return false;
  switch (info_.EvaluateDeviceInfo(state_.WizardStage, channel_, screen_)) {
    case DeviceInformation::Failed:
      state_.DeviceIdentified = false;
      ending_.Events().DeviceRead({false, SerialNumber(info_.Records[0]), "", info_.Records});
      Fail(WizardOutcome::Identification, kInvalidIdentification, EndBox::Shown);
      AbandonWizard();
      return false;
    case DeviceInformation::FirstRead:
      state_.WizardStage = Stage::SecondReading;
      return true;
    case DeviceInformation::Identified:
      state_.DeviceType = kClassADevice;
      state_.DeviceIdentified = true;
      // The version page shows this device's running version from now on,
      // never one left from an earlier run.
      CopyRunningVersion(transfer_.CurrentVersion, info_.Records[0]);
      ending_.Events().DeviceRead(
          {true, SerialNumber(info_.Records[0]), transfer_.CurrentVersion, info_.Records});
      RequestPart(1);
      return true;
    default:
      return false;  // a block after the second reading has no record
  }
}

void UpgradePreparation::PrepareOnTick() {
  if (Preparing()) StepPreparation();
}

void UpgradePreparation::RequestPart(int part) {
  channel_.PartReply = -1;
  state_.RequestedPart = part;
  channel_.SendDbg(kDbgRequestPart, part);
  state_.PartRequestPending = true;
}

int UpgradePreparation::PrepareImage() {
  switch (state_.FileCheckState) {
    case kFileCheckPrepared:
      return Done;
    case kFileCheckStart:
      return StartTransfer();
    case kFileCheckDeclined:
      transfer_.CloseImage();
      Fail(WizardOutcome::Declined, "", EndBox::Error);
      return Abandon;
    default:
      break;
  }
  if (const int step = OpenPart(); step != Done) return step;

  std::uint32_t blockCount = 0;
  const bool valid = Validate(transfer_.ImageFile, blockCount, transfer_.ImageSum);
  transfer_.BlockIndex = blockCount;
  if (!valid) return Abandon;
  // The application that follows the kernel is checked whole now too: a
  // damaged one must stop the upgrade before the kernel goes out, not leave
  // the device with a new kernel and no application.
  if (state_.UpgradePart == 1) {
    std::uint32_t applicationBlocks = 0, applicationSum = 0;
    if (!Validate(transfer_.ApplicationImage, applicationBlocks, applicationSum)) return Abandon;
  }
  transfer_.ImageValidated = true;

  const DeviceInfoRecord& device = info_.Records[0];
  CopyText(transfer_.ImageName, device.applicationPath);
  if (!firmware::LookUpVersion(folders_.Catalogue(firmware::kCataloguePath), transfer_.NewVersion,
                               transfer_.ImageName)) {
    screen_.SetText(Control::lblUpgradeStatus, "No firmware version is detected!");
    Fail(WizardOutcome::MissingCatalogue, "No firmware version is detected!     ", EndBox::Error);
    return Abandon;
  }
  CopyRunningVersion(transfer_.CurrentVersion, device);
  if (char* lf = std::strchr(transfer_.NewVersion, '\n')) *lf = '\0';
  screen_.SetText(Control::LabelFrmUpgSerialNumber1, device.serialNumber);

  // Only the application that follows a kernel the user said Yes to starts
  // on its own; any other part waits for the user's answer.
  const bool confirmed = state_.RequestedPart == 2 && state_.UpgradeConfirmed;
  state_.FileCheckState = confirmed ? kFileCheckStart : kFileCheckPrepared;
  if (!confirmed) wizard_.ImagePrepared();
  return Done;
}

bool UpgradePreparation::Validate(const ImageStream& image, std::uint32_t& blockCount,
                                  std::uint32_t& imageSum) {
  const bool valid = firmware::ValidateImage(
      image.Bytes(), blockCount, imageSum,
      [this](const std::string& text) { screen_.SetText(Control::lblUpgradeStatus, text); });
  if (!valid) {
    Fail(WizardOutcome::InvalidImage, "Invalid firmware upgrade BIN file format!", EndBox::Plain);
  }
  return valid;
}

int UpgradePreparation::StartTransfer() {
  // Only a validated image that nothing has read since goes out, and only
  // after the user's Yes.
  if (!transfer_.ImageFile.IsOpen() || !transfer_.ImageValidated || !state_.UpgradeConfirmed)
    return KeepWaiting;
  wizard_.AdvanceStage();
  transfer_.BlockTotal = transfer_.BlockIndex;
  for (int i = 0; i < 5; ++i)
    channel_.SendDbg(kDbgBlockCount, static_cast<int>(transfer_.BlockTotal));
  transfer_.RewindForTransfer();
  channel_.BlockReply = kReplyStartTransfer;
  // Each part has a countdown of its own: digits left over from the
  // kernel's must not make the application's "5" count as ready.
  state_.CountdownHits = 0;
  screen_.SetColour(Control::lblUpgradeStatus, kBlack);
  return TransferStarted;
}

// Reads an image file whole; false (with the message shown) when it cannot.
bool UpgradePreparation::LoadImage(ImageStream& image, const std::string& relative) {
  std::string error;
  const ImageStream::LoadResult result = image.Load(folders_.Resolve(relative), error);
  if (result == ImageStream::LoadResult::Loaded) return true;
  screen_.SetText(Control::lblUpgradeStatus, "No firmware is found or incorrect firmware!");
  std::string text = "No firmware is found or incorrect firmware!     ";
  // A file that is there but cannot be taken says why.
  if (result == ImageStream::LoadResult::Unreadable) text += "\n" + error;
  Fail(WizardOutcome::MissingImage, text, EndBox::Error);
  return false;
}

// Reads the image of the part the device is ready for: Done when it is held,
// else the step to return.
int UpgradePreparation::OpenPart() {
  const DeviceInfoRecord& device = info_.Records[0];
  const int reply = channel_.PartReply;
  // Asked for the application after the kernel, the device must be ready
  // for the application; anything else would wait for ever.
  if (state_.RequestedPart == 2 && reply != -1 && reply != 2) return EndForUnexpectedPart(reply);
  if (reply == 1) {
    // The application must be there and whole too before the kernel goes
    // out; it is held for the part that follows.
    transfer_.ImageValidated = false;
    if (!LoadImage(transfer_.ImageFile, device.kernelPath) ||
        !LoadImage(transfer_.ApplicationImage, device.applicationPath)) {
      return Abandon;
    }
    state_.UpgradePart = 1;
    return Done;
  }
  if (reply == 2) {
    // The application validated with the kernel is the one sent. A device
    // ready for the application straight away has it read now.
    transfer_.ImageValidated = false;
    if (transfer_.ApplicationImage.IsOpen()) {
      transfer_.ImageFile.TakeFrom(transfer_.ApplicationImage);
    } else if (!LoadImage(transfer_.ImageFile, device.applicationPath)) {
      return Abandon;
    }
    state_.UpgradePart = 2;
    screen_.SetProgress(0);
    clock_.Pause(kApplicationPause);
    return Done;
  }
  return KeepWaiting;
}

// The device answered the request for the application with another part:
// the run ends here, on the upgrade page, with where the device stands.
int UpgradePreparation::EndForUnexpectedPart(int reply) {
  std::string asked;
  if (reply == 1 || reply == 2) {
    asked = std::string("The device is ready for the ") + PartName(reply) + ", but the " +
            PartName(state_.RequestedPart) + " was requested.";
  } else {
    char text[96];
    std::snprintf(text, sizeof text, "The device answered the request for the %s with part %d.",
                  PartName(state_.RequestedPart), reply);
    asked = text;
  }
  screen_.SetText(Control::lblUpgradeStatus, asked);
  ending_.EndRun(WizardOutcome::UnexpectedPart,
                 asked + "\nPlease restart the AIS device and run the upgrade again.");
  state_.PartRequestPending = false;
  return Stopped;
}

void UpgradePreparation::SpeedButtonFrmVerWantToContinueYesClick() {
  if (state_.FileCheckState != kFileCheckPrepared) return;
  state_.UpgradeConfirmed = true;
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
