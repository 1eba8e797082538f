#include "connect/connection.h"

#include <cmath>

namespace connect {

using upgrade::Control;
using upgrade::MessageAnswer;
using upgrade::MessageBox;
using upgrade::MessageButtons;
using upgrade::MessageIcon;
using upgrade::Stage;
using upgrade::TimerId;
using upgrade::WizardOutcome;

std::vector<std::string> BaudRateEntries() {
  std::vector<std::string> entries;
  for (const comm::TBaudRate rate : BaudIndexTable)
    entries.push_back(std::to_string(comm::BaudRateValue(rate)));
  return entries;
}

ConnectionProcedure::ConnectionProcedure(upgrade::WizardState& state, upgrade::WizardScreen& screen,
                                         comm::TThreadComm& port, comm::PortEnumerator& enumerator,
                                         comm::PortLists& lists, upgrade::CommandChannel& channel,
                                         upgrade::TransferState& transfer,
                                         upgrade::WatcherActions& watcherActions,
                                         upgrade::RunEnding& ending)
    : state_(state),
      screen_(screen),
      port_(port),
      enumerator_(enumerator),
      lists_(lists),
      channel_(channel),
      transfer_(transfer),
      watcherActions_(watcherActions),
      ending_(ending) {}

void ConnectionProcedure::SetAutomaticMode(bool automatic) {
  state_.AutomaticMode = automatic;
  screen_.SetDown(Control::RadioButtonConnectionModeAuto, automatic);
  screen_.SetDown(Control::RadioButtonConnectionModeManual, !automatic);
}

void ConnectionProcedure::ChoosePort(const std::string& text) {
  state_.ChosenPort = text;
  screen_.SetText(Control::cbxComPort, text);
}

void ConnectionProcedure::ChooseBaudEntry(int entry) {
  state_.BaudEntry = entry;
  screen_.SelectItem(Control::cbxBaudRate, entry);
}

void ConnectionProcedure::SetContinueDown(bool down) {
  state_.ContinueDown = down;
  screen_.SetDown(Control::OpenPort, down);
}

void ConnectionProcedure::ShowTrial(const std::string& port, int baudEntry) {
  const std::uint32_t baud =
      comm::BaudRateValue(BaudIndexTable[static_cast<std::size_t>(baudEntry)]);
  screen_.SetText(Control::EditAutoDetectComPort, port);
  screen_.SetText(Control::EditAutoDetectBaudRate, std::to_string(baud));
  ending_.Events().Trying({port, baud});
}

void ConnectionProcedure::SetStatus(std::string_view text) {
  screen_.SetText(Control::lblUpgradeStatus, text);
}

void ConnectionProcedure::SetProgressTruncated(double value) {
  screen_.SetProgress(static_cast<int>(std::trunc(value)));
}

void ConnectionProcedure::SetRunControlsEnabled(bool enabled) {
  screen_.SetEnabled(Control::RadioButtonConnectionModeManual, enabled);
  screen_.SetEnabled(Control::RadioButtonConnectionModeAuto, enabled);
  screen_.SetEnabled(Control::cbxComPort, enabled);
  screen_.SetEnabled(Control::cbxBaudRate, enabled);
}

void ConnectionProcedure::SetVersionControlsVisible(bool visible) {
  for (const Control c :
       {Control::LabelFrmVerOriginal1, Control::LabelFrmVerOriginal3, Control::LabelFrmVerNew1,
        Control::LabelFrmVerNew3, Control::LabelFrmVerWantToContinue,
        Control::SpeedButtonFrmVerWantToContinueYes, Control::SpeedButtonFrmVerWantToContinueNo}) {
    screen_.SetVisible(c, visible);
  }
}

void ConnectionProcedure::ClearMarkers() {
  state_.SeenAisSentence = false;
  state_.SeenGpsSentence = false;
  state_.SeenStaticDataEnd = false;
}

void ConnectionProcedure::OpenPort() {
  openFailure_.clear();
  try {
    port_.Open();
  } catch (const comm::CommError& error) {
    openFailure_ = error.what();
  }
}

std::string ConnectionProcedure::OpenFailureReason() const {
  if (!openFailure_.empty()) return openFailure_;
  return port_.LastOpenError().Message;
}

// ---- the toggle ---------------------------------------------------------

void ConnectionProcedure::ClickOpenPort() {
  SetContinueDown(!state_.ContinueDown);
  OpenPortClick();
}

void ConnectionProcedure::OpenPortClick() {
  SetStatus("");
  if (state_.RunActive) {
    state_.RunActive = false;
    SetContinueDown(false);
    if (port_.Connected()) port_.Close();
  } else if (port_.Connected()) {
    state_.RunActive = false;
    SetContinueDown(false);
  } else {
    state_.RunActive = true;
  }
  ResetWizardState();

  if (!state_.RunActive) {
    screen_.SetText(Control::OpenPort, "Continue");
    ShowConnectionStatus(0, kDisconnect);
    SetRunControlsEnabled(true);
    screen_.SetText(Control::lbl2ndAISUpgradeStatus, "");
    return;
  }

  state_.Outcome = WizardOutcome::None;
  state_.WizardStage = Stage::Starting;
  upgrade::WatchTextLine(state_, watcherActions_, nullptr);

  if (!AutoMode()) {
    if (ConfirmManualPort() == 2 && state_.ContinueDown) {
      state_.ConnectFailed = true;
      state_.RunActive = false;
      SetContinueDown(false);
      ending_.EndRun(WizardOutcome::ForceDeclined, "");
      return;
    }
  } else {
    RebuildPortLists();
    SelectPortItem(0);
    if (lists_.AvailablePorts.empty()) {
      screen_.SetText(Control::EditAutoDetectComPort, "N/A");
      screen_.SetText(Control::EditAutoDetectBaudRate, "N/A");
    } else {
      for (std::size_t i = 0; i < portItems_.size(); ++i) {
        if (portItems_[i] == lists_.AvailablePorts.front()) {
          SelectPortItem(static_cast<int>(i));
          break;
        }
      }
      ChooseBaudEntry(kDefaultBaudEntry);
      ShowTrial(state_.ChosenPort, kDefaultBaudEntry);
    }
  }

  AdvanceStage();
  ConnectionStep();

  if (state_.WizardStage != Stage::Idle) {
    ++state_.StageTicks;
    screen_.SetTimer(TimerId::Timer1, true);
    screen_.SetTimer(TimerId::TimerConnection, true);
    screen_.SetText(Control::OpenPort, "Discontinue");
    ShowConnectionStatus(1, kConnecting);
    SetRunControlsEnabled(false);
    screen_.SetText(Control::lbl2ndAISUpgradeStatus, "");
  }
}

int ConnectionProcedure::ConfirmManualPort() {
  const std::string& text = state_.ChosenPort;
  for (const std::string& name : lists_.AvailablePorts) {
    if (name == text) return 1;
  }
  const MessageAnswer answer = screen_.Message(
      {"Note! Any force connect this serial port may cause unpredictable mistakes. Continue?",
       "Warning", MessageButtons::OkCancel, MessageIcon::Warning});
  return answer == MessageAnswer::Ok ? 1 : 2;
}

// ---- the stage machine --------------------------------------------------

void ConnectionProcedure::ConnectionStep() {
  switch (state_.WizardStage) {
    case Stage::Idle:
      if (state_.StageTicks == 0) SetStatus("");
      if (state_.DeviceDetected || state_.ConnectFailed) ResetConnectionControls();
      break;
    case Stage::Connecting:
      if (state_.DeviceDetected) {
        StepAfterDetection();
      } else {
        StepConnecting();
      }
      break;
    case Stage::FirstReading:
    case Stage::SecondReading:
      StepVersionCheck();
      break;
    default:
      break;
  }
}

void ConnectionProcedure::StepConnecting() {
  const std::int32_t tick = state_.StageTicks;
  if (AutoMode()) {
    if (tick == 0) {
      const auto count = static_cast<std::int32_t>(lists_.AvailablePorts.size());
      DetectTimeoutTicks = count > 0 ? count * 24 + 3 : 20;
      SetStatus("Serial Port Detecting...");
      if (count == 0) {
        screen_.SetTimer(TimerId::Timer1, false);
        state_.ConnectFailed = true;
        ending_.EndRun(WizardOutcome::NoPorts,
                       "All serial ports are occupied or no existing!     ");
        if (state_.ContinueDown) ClickOpenPort();
        return;
      }
    }
    if (tick > DetectTimeoutTicks) {
      screen_.SetTimer(TimerId::Timer1, false);
      ending_.EndRun(WizardOutcome::DetectFailed, "Serial port detecting failed.",
                     upgrade::EndBox::Error, "Warning");
      if (state_.ContinueDown) ClickOpenPort();
      return;
    }
    AutoDetectStep();
    SetProgressTruncated(100.0 / DetectTimeoutTicks * tick);
    return;
  }

  if (tick == 0) {
    DetectTimeoutTicks = 20;
    SetStatus("Serial Port Connection...");
    if (!port_.Connected()) {
      const int entry = state_.BaudEntry;
      port_.SetBaudRate(BaudIndexTable[static_cast<std::size_t>(
          entry >= 0 && entry < static_cast<int>(BaudIndexTable.size()) ? entry
                                                                        : kDefaultBaudEntry)]);
      port_.SetDeviceName(state_.ChosenPort);
      OpenPort();
    }
    if (!port_.Connected()) {
      screen_.SetTimer(TimerId::Timer1, false);
      std::string text = "Serial port open error! Please check!     ";
      if (const std::string reason = OpenFailureReason(); !reason.empty()) text += "\n" + reason;
      ending_.EndRun(WizardOutcome::OpenFailed, text, upgrade::EndBox::Error, "Warning");
      state_.ConnectFailed = true;
      SetStatus("");
      ResetConnectionControls();
      return;
    }
  }
  if (tick > DetectTimeoutTicks) {
    state_.ConnectFailed = true;
    ending_.EndRun(WizardOutcome::ConnectTimeout, "Serial port connection time out!");
    ResetConnectionControls();
    return;
  }
  ManualProbeStep();
  SetProgressTruncated(100.0 / DetectTimeoutTicks * tick);
}

void ConnectionProcedure::StepAfterDetection() {
  if (state_.StageTicks - state_.DetectedTick < 1) return;
  state_.DetectedTick = 0;
  SetStatus("Collecting device information. Please wait...");
  channel_.SendDbgRequest(upgrade::kDbgDeviceInfo, 1);
  AdvanceStage();
}

void ConnectionProcedure::StepVersionCheck() {
  const std::int32_t tick = state_.StageTicks;
  if (state_.WizardStage == Stage::FirstReading && tick == 0) {
    SetStatus("Check Bin File ... ");
    screen_.SetProgress(0);
  }
  if (state_.VersionShowDelay >= 5) return;
  if (tick > 20) {
    screen_.SetTimer(TimerId::Timer1, false);
    ending_.EndRun(WizardOutcome::InfoTimeout, "Device information getting time out!     ");
    CancelWizard();
    return;
  }
  if (state_.DeviceIdentified) {
    if (++state_.VersionShowDelay >= 5) {
      if (state_.DeviceType == upgrade::kClassADevice) {
        // Kernel first, unless the device has asked for the application.
        if (state_.UpgradePart == 0) state_.UpgradePart = 1;
        screen_.SetVisible(Control::lbl2ndAISUpgradeStatus, true);
      }
      ShowVersionQuestion();
      return;
    }
  } else if (tick % 5 == 0) {
    channel_.SendProbe(upgrade::kProbeSearch);
  }
  screen_.SetProgress(tick * 5);
}

// The versions and the question. Yes is offered only once the image of the
// part the device is ready for has been validated and the new version read
// from the catalogue: never against versions that are not yet known.
void ConnectionProcedure::ShowVersionQuestion() {
  for (const Control c : {Control::LabelFrmVerOriginal1, Control::LabelFrmVerOriginal3}) {
    screen_.SetText(c, transfer_.CurrentVersion);
  }
  for (const Control c : {Control::LabelFrmVerNew1, Control::LabelFrmVerNew3}) {
    screen_.SetText(c, transfer_.NewVersion);
  }
  const bool prepared = state_.FileCheckState == upgrade::kFileCheckPrepared;
  screen_.SetEnabled(Control::SpeedButtonFrmVerWantToContinueYes, prepared);
  SetVersionControlsVisible(true);
  if (prepared) {
    SetStatus("Check Bin File ... OK");
    screen_.SetProgress(100);
  } else {
    SetStatus("Check Bin File ... ");
  }
  upgrade::VersionQuestion question;
  question.question = std::string(upgrade::kContinueQuestion);
  question.runningVersion = transfer_.CurrentVersion;
  question.known = prepared;
  if (prepared) {
    question.newVersion = transfer_.NewVersion;
    question.imageName = transfer_.ImageName;
    question.part = state_.UpgradePart;
    question.blocks = transfer_.BlockIndex;  // the block count, until the transfer starts
  }
  ending_.Events().QuestionReady(question);
}

void ConnectionProcedure::ImagePrepared() {
  const bool versionPage =
      state_.WizardStage == Stage::FirstReading || state_.WizardStage == Stage::SecondReading;
  if (versionPage && state_.VersionShowDelay >= 5) ShowVersionQuestion();
}

void ConnectionProcedure::AutoDetectStep() {
  if (lists_.AvailablePorts.empty()) return;  // nothing to scan (tick 0 has failed already)
  const std::int32_t tick = state_.StageTicks;
  if (tick == 0) {
    AutoPortIndex = 0;
    AutoBaudIndex = kDefaultBaudEntry;
    OpenPortAt(BaudIndexTable[kDefaultBaudEntry], lists_.AvailablePorts.front());
    return;
  }
  if (tick % 4 == 1) {
    channel_.SendProbe(upgrade::kProbeSearch);
    AutoBaudIndex = AutoBaudIndex == 0 ? kDefaultBaudEntry : AutoBaudIndex - 1;
  } else if (tick % 4 == 0) {
    SelectBaudIndex(AutoBaudIndex);
    if (AutoBaudIndex == kDefaultBaudEntry) {
      if (++AutoPortIndex >= static_cast<std::int32_t>(lists_.AvailablePorts.size()))
        AutoPortIndex = 0;
      ReopenPortAt(lists_.AvailablePorts[static_cast<std::size_t>(AutoPortIndex)]);
      ClearMarkers();
    }
    ShowTrial(state_.ChosenPort, AutoBaudIndex);
    channel_.SendProbe(upgrade::kProbeSearch);
  }
}

void ConnectionProcedure::ManualProbeStep() {
  const std::int32_t phase = state_.StageTicks % 4;
  if (phase == 1 || phase == 2) channel_.SendProbe(upgrade::kProbeSearch);
}

// ---- port operations ------------------------------------------------------

void ConnectionProcedure::OpenPortAt(comm::TBaudRate rate, const std::string& port) {
  if (port_.Connected()) return;
  port_.SetBaudRate(rate);
  port_.SetDeviceName(port);
  OpenPort();
}

void ConnectionProcedure::ReopenPortAt(const std::string& port) {
  port_.Close();
  if (port_.Connected()) return;
  ChoosePort(port);
  port_.SetDeviceName(port);
  OpenPort();
}

void ConnectionProcedure::SelectBaudIndex(int entry) {
  ChooseBaudEntry(entry);
  try {
    port_.SetBaudRate(BaudIndexTable[static_cast<std::size_t>(entry)]);
  } catch (const comm::CommError& error) {
    // The line keeps its old rate; the device will not answer at this one.
    screen_.Log(upgrade::LogPane::MemoRX, error.what());
  }
}

// ---- pages and resets -------------------------------------------------------

void ConnectionProcedure::AdvanceStage() {
  switch (state_.WizardStage) {
    case Stage::Idle:
      screen_.ShowPage(upgrade::Page::TabSheetConnectDevice);
      state_.WizardStage = Stage::Starting;
      state_.StageTicks = 0;
      break;
    case Stage::Starting:
      state_.WizardStage = Stage::Connecting;
      break;
    case Stage::Connecting:
      screen_.SetProgress(0);
      screen_.ShowPage(upgrade::Page::TabSheetFirmwareVersion);
      state_.WizardStage = Stage::FirstReading;
      state_.StageTicks = 0;
      break;
    case Stage::FirstReading:
    case Stage::SecondReading:
      screen_.SetProgress(0);
      screen_.ShowPage(upgrade::Page::TabSheetFirmwareUpgrade);
      state_.StageTicks = 0;
      break;
    default:
      break;
  }
}

void ConnectionProcedure::ResetConnectionControls() {
  if (state_.ContinueDown) ClickOpenPort();
  SetStatus("");
  state_.RunActive = false;
  screen_.SetText(Control::OpenPort, "Continue");
  state_.DeviceDetected = false;
  state_.ConnectFailed = false;
  screen_.SetEnabled(Control::RadioButtonConnectionModeManual, true);
  screen_.SetEnabled(Control::RadioButtonConnectionModeAuto, true);
  state_.WizardStage = Stage::Idle;
}

void ConnectionProcedure::CancelWizard() {
  screen_.SetTimer(TimerId::Timer1, false);
  screen_.SetTimer(TimerId::TimerConnection, false);
  state_.ConnectFailed = true;
  state_.WizardStage = Stage::Idle;
  ResetConnectionControls();
  ResetPages();
  screen_.SetProgress(0);
  // Whatever part was prepared will not be sent now.
  transfer_.CloseImage();
}

void ConnectionProcedure::ResetWizardState() {
  screen_.SetText(Control::EditAutoDetectComPort, "");
  screen_.SetText(Control::EditAutoDetectBaudRate, "");
  screen_.SetTimer(TimerId::Timer1, false);
  screen_.SetTimer(TimerId::TimerConnection, false);
  state_.StageTicks = 0;
  state_.DetectedTick = 0;
  ShowConnectionStatus(0, kDisconnect);
  ClearMarkers();
  state_.DeviceDetected = false;
  state_.ConnectFailed = false;
  screen_.SetProgress(0);
  SetStatus("");
  screen_.SetColour(Control::lblUpgradeStatus, upgrade::kBlack);
  screen_.SetVisible(Control::lbl2ndAISUpgradeStatus, false);
  screen_.SetText(Control::StaticTextFrmUpgMessage1, "");
  screen_.SetText(Control::StaticTextFrmUpgMessage2, "");
  state_.WizardStage = Stage::Idle;
  state_.UpgradeRunning = false;
  state_.UpgradeFinished = false;  // or the next run's sequencer would never move
  state_.DeviceIdentified = false;
  state_.PartRequestPending = false;
  state_.DeviceType = 0;
  state_.UpgradePart = 0;
  channel_.PartReply = -1;
  state_.FileCheckState = upgrade::kFileCheckWaiting;
  state_.RequestedPart = 0;
  state_.UpgradeConfirmed = false;
  SetVersionControlsVisible(false);
  // The versions belong to the device of one run: a new run shows none
  // until its device has been read.
  transfer_.ClearVersions();
  for (const Control c : {Control::LabelFrmVerOriginal1, Control::LabelFrmVerOriginal3,
                          Control::LabelFrmVerNew1, Control::LabelFrmVerNew3}) {
    screen_.SetText(c, "");
  }
  screen_.SetText(Control::LabelDebugFrmUpg, "");
  screen_.SetText(Control::LabelFrmUpgSerialNumber1, "");
  // A run that ended on the upgrade page (a failure there) leaves Finish as
  // the way back to the checklist page; elsewhere Finish waits for the end
  // of an upgrade.
  screen_.SetEnabled(Control::SpeedButtonFrmUpgFinish,
                     screen_.CurrentPage() == upgrade::Page::TabSheetFirmwareUpgrade);
  state_.VersionShowDelay = 0;
  state_.DeviceReady = false;
}

void ConnectionProcedure::ResetPages() {
  screen_.ShowPage(upgrade::Page::TabSheetStart);
  screen_.ShowModePage(upgrade::ModePage::TabSheetManualDetectComPort);
  if (AutoMode()) SelectConnectionMode(false);
  SetStatus("");
}

void ConnectionProcedure::SelectConnectionMode(bool automatic) {
  const bool changed = AutoMode() != automatic;
  SetAutomaticMode(automatic);
  if (changed) RadioButtonConnectionModeAutoClick();
}

void ConnectionProcedure::RadioButtonConnectionModeAutoClick() {
  RebuildPortLists();
  if (AutoMode()) {
    screen_.ShowModePage(upgrade::ModePage::TabSheetAutoConnectComPort);
    screen_.SetText(Control::StaticTextSerialPortNote1, upgrade::kAutoNote1);
    screen_.SetText(Control::StaticTextSerialPortNote2, upgrade::kAutoNote2);
  } else {
    screen_.ShowModePage(upgrade::ModePage::TabSheetManualDetectComPort);
    screen_.SetText(Control::StaticTextSerialPortNote1, upgrade::kManualNote1);
    screen_.SetText(Control::StaticTextSerialPortNote2, upgrade::kManualNote2);
  }
}

namespace {

// The port drop-down list and the baud-rate list: the choices in the
// state, the lists on the screen.
class ScreenPortList final : public comm::PortListView {
 public:
  ScreenPortList(ConnectionProcedure& procedure, upgrade::WizardScreen& screen,
                 std::vector<std::string>& items)
      : procedure_(procedure), screen_(screen), items_(items) {}
  void SelectBaudEntry(int index) override { procedure_.ChooseBaudEntry(index); }
  void ClearPortList() override {
    items_.clear();
    screen_.SetItems(Control::cbxComPort, {});
  }
  void AddPortItem(const std::string& text) override {
    items_.push_back(text);
    screen_.SetItems(Control::cbxComPort, items_);
  }
  void SelectPortItem(int index) override { procedure_.SelectPortItem(index); }
  void SetPortText(const std::string& text) override { procedure_.ChoosePort(text); }

 private:
  ConnectionProcedure& procedure_;
  upgrade::WizardScreen& screen_;
  std::vector<std::string>& items_;
};

}  // namespace

void ConnectionProcedure::SelectPortItem(int index) {
  screen_.SelectItem(Control::cbxComPort, index);
  if (index >= 0 && index < static_cast<int>(portItems_.size())) {
    state_.ChosenPort = portItems_[static_cast<std::size_t>(index)];
  }
}

void ConnectionProcedure::RebuildPortLists() {
  ScreenPortList view(*this, screen_, portItems_);
  comm::RebuildPortLists(enumerator_, lists_, view);
}

// ---- the connection indicator ----------------------------------------------

void ConnectionProcedure::ShowConnectionStatus(int index, std::string_view text) {
  screen_.SetValue(Control::ImageConnectToDevice, index + 4);
  screen_.SetValue(Control::ImageConnectTwoWay, index);
  if (text == kDisconnect) {
    screen_.SetColour(Control::LabelConnectionStatus, upgrade::kBlack);
    screen_.SetEnabled(Control::LabelConnectionStatus, false);
  } else if (text == kConnecting) {
    screen_.SetEnabled(Control::LabelConnectionStatus, true);
    screen_.SetColour(Control::LabelConnectionStatus, upgrade::kBlack);
  } else if (text == kConnected) {
    screen_.SetEnabled(Control::LabelConnectionStatus, true);
    screen_.SetColour(Control::LabelConnectionStatus, upgrade::kBlue);
  }
  screen_.SetText(Control::LabelConnectionStatus, text);
}

void ConnectionProcedure::TimerConnectionTimer() {
  if (state_.DeviceDetected) {
    ShowConnectionStatus(1, kConnected);
    ending_.Events().Connected({port_.DeviceName(), comm::BaudRateValue(port_.BaudRate())});
    indicatorFrame_ = 2;
    screen_.SetTimer(TimerId::TimerConnection, false);
    return;
  }
  if (indicatorFrame_ >= 7) {
    frameDownward_ = true;
  } else if (indicatorFrame_ < 3) {
    frameDownward_ = false;
  }
  indicatorFrame_ += frameDownward_ ? -1 : 1;
  blinkCounter_ = blinkCounter_ < 7 ? blinkCounter_ + 1 : 0;
  screen_.SetValue(Control::ImageConnectTwoWay, indicatorFrame_);
  screen_.SetColour(Control::LabelConnectionStatus,
                    blinkCounter_ < 3 ? upgrade::kRed : upgrade::kBlack);
  screen_.SetText(Control::LabelConnectionStatus, kConnecting);
}

}  // namespace connect
