#pragma once
// The wizard's state that the connection procedure, the text-line watcher,
// the upgrade preparation and the sequencer share. The window's core owns one
// instance; every procedure reads and writes it on the main thread.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace upgrade {

// Where the wizard is. The numbers are those the procedures compare.
enum class Stage : std::int32_t {
  Idle = 0,
  Starting = 1,
  Connecting = 2,
  FirstReading = 3,   // version page: the device information is read once
  SecondReading = 4,  // ... and a second time, then identified
  Transfer = 5,       // a part is transferred (and between the two parts)
  FinalCheck = 6,     // the device checks the image sum
};

inline constexpr std::int32_t StageNumber(Stage stage) { return static_cast<std::int32_t>(stage); }

// The device type that an identified device gets.
inline constexpr std::int32_t kClassADevice = 4;

// What the user is told last; front ends map it to exit codes and tests
// check that a run ended where it should.
enum class WizardOutcome : std::uint8_t {
  None,
  NoPorts,              // automatic mode found no openable port
  DetectFailed,         // automatic mode: no device within the scan
  OpenFailed,           // manual mode: the port did not open
  ConnectTimeout,       // manual mode: no device within 20 ticks
  ForceDeclined,        // manual mode: the force-connect question answered Cancel
  InfoTimeout,          // the device information did not come in time
  Identification,       // the two readings differ, or no class line
  MissingImage,         // an image file cannot be opened
  InvalidImage,         // an image failed validation
  MissingCatalogue,     // the catalogue cannot be read
  Declined,             // No on the version page
  TransmissionErrors,   // too many repeated blocks
  IncorrectBlockCount,  // the device named an unexpected block
  SendFailed,           // a write to the port failed
  ProgrammingFailed,    // the device answered -4444
  ChecksumError,        // the device answered -4445
  HungUp,               // the serial line went away
  UnexpectedPart,       // the device answered a part request with another part
  Cancelled,            // the user stopped the run
  Finished,             // both parts programmed
};

struct OutcomeNameRow {
  WizardOutcome outcome;
  const char* name;  // as front ends print and keep it (JSON, the upgrade history)
};

// In the order of the enumeration, one row each.
inline constexpr std::array<OutcomeNameRow, 21> kOutcomeNames = {{
    {WizardOutcome::None, "none"},
    {WizardOutcome::NoPorts, "no-ports"},
    {WizardOutcome::DetectFailed, "detect-failed"},
    {WizardOutcome::OpenFailed, "open-failed"},
    {WizardOutcome::ConnectTimeout, "connect-timeout"},
    {WizardOutcome::ForceDeclined, "force-declined"},
    {WizardOutcome::InfoTimeout, "info-timeout"},
    {WizardOutcome::Identification, "identification"},
    {WizardOutcome::MissingImage, "missing-image"},
    {WizardOutcome::InvalidImage, "invalid-image"},
    {WizardOutcome::MissingCatalogue, "missing-catalogue"},
    {WizardOutcome::Declined, "declined"},
    {WizardOutcome::TransmissionErrors, "transmission-errors"},
    {WizardOutcome::IncorrectBlockCount, "incorrect-block-count"},
    {WizardOutcome::SendFailed, "send-failed"},
    {WizardOutcome::ProgrammingFailed, "programming-failed"},
    {WizardOutcome::ChecksumError, "checksum-error"},
    {WizardOutcome::HungUp, "hung-up"},
    {WizardOutcome::UnexpectedPart, "unexpected-part"},
    {WizardOutcome::Cancelled, "cancelled"},
    {WizardOutcome::Finished, "finished"},
}};

constexpr bool OutcomeNamesInOrder() {
  for (std::size_t i = 0; i < kOutcomeNames.size(); ++i) {
    if (static_cast<std::size_t>(kOutcomeNames[i].outcome) != i) return false;
  }
  return kOutcomeNames.back().outcome == WizardOutcome::Finished;
}
static_assert(OutcomeNamesInOrder(), "one row per outcome, in the order of the enumeration");

constexpr const char* OutcomeName(WizardOutcome outcome) {
  const auto index = static_cast<std::size_t>(outcome);
  return index < kOutcomeNames.size() ? kOutcomeNames[index].name : "unknown";
}

// FileCheckState: where the preparation of a part's image stands.
inline constexpr std::int32_t kFileCheckWaiting = -1;   // for the device's answer to a part request
inline constexpr std::int32_t kFileCheckDeclined = 0;   // the user answered No
inline constexpr std::int32_t kFileCheckStart = 1;      // start the transfer at the next step
inline constexpr std::int32_t kFileCheckPrepared = 99;  // the kernel waits for the user's answer

struct WizardState {
  Stage WizardStage = Stage::Idle;
  std::int32_t StageTicks = 0;
  // Connection
  bool ConnectFailed = false;
  std::int32_t VersionShowDelay = 0;
  // Text-line watcher
  bool SeenAisSentence = false;
  bool SeenGpsSentence = false;
  bool SeenStaticDataEnd = false;
  bool DeviceDetected = false;
  std::int32_t DetectedTick = 0;
  bool DeviceReady = false;
  std::int32_t CountdownHits = 0;
  // Identification and preparation
  bool DeviceIdentified = false;
  std::int32_t DeviceType = 0;
  bool PartRequestPending = false;
  std::int32_t RequestedPart = 0;  // the part the last request asked for (1, 2; 0 none)
  std::int32_t FileCheckState = kFileCheckWaiting;
  // Transfer
  bool UpgradeRunning = false;
  bool UpgradeFinished = false;
  std::int32_t UpgradePart = 0;  // 1 kernel, 2 application
  // The user answered Yes in this run: nothing goes to the device's memory
  // without it.
  bool UpgradeConfirmed = false;

  WizardOutcome Outcome = WizardOutcome::None;

  // The user's choices and the run, kept here and mirrored into the
  // controls: the core decides from these, never from a control.
  bool AutomaticMode = false;   // the automatic scan, not the named port
  bool ContinueDown = false;    // the Continue/Discontinue toggle is pressed
  bool RunActive = false;       // a run started by Continue goes on
  std::string ChosenPort;       // the port the user named (the port list's text)
  std::int32_t BaudEntry = -1;  // the baud list's entry chosen; -1 none yet
};

}  // namespace upgrade
