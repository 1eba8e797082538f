#include "connect/wizard.h"

#include <cstdio>

namespace connect {

using upgrade::Control;
using upgrade::Stage;
using upgrade::WizardOutcome;

namespace {

// The port that the window's serial component names before any is chosen.
constexpr const char* kFirstPort = "ttyS0";

}  // namespace

Wizard::Wizard(WizardSetup setup)
    : view_(setup.view),
      events_(setup.events != nullptr ? *setup.events : noEvents_),
      clock_(setup.clock),
      enumerator_(setup.ports),
      folders_(std::move(setup.folders)),
      screen_(view_),
      nmea_(&clock_),
      port_(setup.dispatcher, std::move(setup.platform)),
      writer_(port_),
      channel_(writer_, nmea_, screen_, state_),
      ending_(state_, transfer_, screen_, events_),
      connection_(state_, screen_, port_, enumerator_, lists_, channel_, transfer_, *this, ending_),
      preparation_(state_, transfer_, info_, channel_, screen_, connection_, clock_, folders_,
                   ending_),
      sequencer_(state_, transfer_, info_, channel_, screen_, ending_),
      assembler_(*this) {
  port_.SetDeviceName(kFirstPort);
  port_.SetBaudRate(comm::br115200);
  port_.SetParity(comm::paNone);
  port_.SetDataBits(comm::da8);
  port_.SetStopBits(comm::sb10);
  port_.OnRxChar = [this](comm::TThreadComm& port, std::uint32_t count) {
    assembler_.OnRxChar(port, count);
  };
  port_.OnError = [this](comm::TThreadComm&, std::int32_t errors) { OnPortError(errors); };
  connection_.RebuildPortLists();
  connection_.ResetPages();
  connection_.ResetWizardState();
  // TimerUpgrade runs for the whole program.
  screen_.SetTimer(upgrade::TimerId::TimerUpgrade, true);
}

Wizard::~Wizard() { port_.Close(); }

// ---- received data --------------------------------------------------------

void Wizard::LogReceivedLine(std::string_view line) { screen_.Log(upgrade::LogPane::MemoRX, line); }

void Wizard::OnDeviceLine(const char* line) {
  if (preparation_.HandleUpgradeLine(line)) return;
  channel_.ParseDeviceLine(line);
}

void Wizard::WatchTextLine(const char* line) { upgrade::WatchTextLine(state_, *this, line); }

void Wizard::ResetInfoCollector() { info_.Collector.CollectInfoLine(nullptr, true); }

void Wizard::SetProgress(int percent) { screen_.SetProgress(percent); }

void Wizard::OnPortError(std::int32_t errors) {
  if ((errors & comm::CE_HANGUP) == 0) return;
  lineHungUp_ = true;
  screen_.Log(upgrade::LogPane::MemoRX, "(the serial line hung up)");
  // A scan goes on to the next port; anywhere else the device is gone, and
  // waiting for its reply would wait for ever.
  const Stage stage = state_.WizardStage;
  const bool scanning = stage == Stage::Connecting && connection_.AutoMode();
  if (stage < Stage::Connecting || scanning) return;
  screen_.SetText(Control::lblUpgradeStatus, "Serial port disconnected!");
  ending_.EndRun(
      WizardOutcome::HungUp,
      "Serial port disconnected! Please check the cable and the device, then try again.");
  // The version page has nothing to press: back to the checklist, as on its
  // time-out. Elsewhere the page stays, with the port closed.
  if (stage == Stage::FirstReading || stage == Stage::SecondReading) {
    connection_.CancelWizard();
  } else {
    connection_.ResetConnectionControls();
  }
}

// ---- buttons and lists -------------------------------------------------------

void Wizard::SpeedButtonStartClick() {
  connection_.ResetWizardState();
  comm::ListPresentPorts(enumerator_, lists_);
  connection_.RebuildPortLists();
  connection_.AdvanceStage();
  screen_.SetItems(Control::cbxBaudRate, BaudRateEntries());
  connection_.ChooseBaudEntry(kDefaultBaudEntry);
}

void Wizard::SpeedButtonCancelClick() {
  // A run that has ended already (finished, or failed) is not stopped again.
  if (state_.WizardStage != Stage::Idle && state_.Outcome == WizardOutcome::None) {
    ending_.EndRun(WizardOutcome::Cancelled, "");
  }
  connection_.CancelWizard();
}

void Wizard::SpeedButtonFrmUpgFinishClick() {
  connection_.CancelWizard();
  screen_.ShowPage(upgrade::Page::TabSheetStart);
}

void Wizard::SpeedButtonFrmVerWantToContinueYesClick() {
  preparation_.SpeedButtonFrmVerWantToContinueYesClick();
}

void Wizard::SpeedButtonFrmVerWantToContinueNoClick() {
  preparation_.SpeedButtonFrmVerWantToContinueNoClick();
}

void Wizard::RadioButtonConnectionModeAutoClick(bool automatic) {
  connection_.SetAutomaticMode(automatic);
  connection_.RadioButtonConnectionModeAutoClick();
}

void Wizard::cbxComPortChange(const std::string& text) {
  connection_.ChoosePort(text);
  if (!port_.Connected()) port_.SetDeviceName(text);
}

void Wizard::cbxBaudRateChange(int entry) {
  if (entry < 0 || entry >= static_cast<int>(BaudIndexTable.size())) return;
  connection_.ChooseBaudEntry(entry);
  try {
    port_.SetBaudRate(BaudIndexTable[static_cast<std::size_t>(entry)]);
  } catch (const comm::CommError& error) {
    screen_.Log(upgrade::LogPane::MemoRX, error.what());
  }
}

void Wizard::OpenPortClick() {
  if (connection_.RunActive()) {
    if (state_.Outcome == WizardOutcome::None) ending_.EndRun(WizardOutcome::Cancelled, "");
  } else {
    lineHungUp_ = false;
  }
  connection_.ClickOpenPort();
}

bool Wizard::FormClose() {
  const upgrade::MessageAnswer answer =
      screen_.Message({"Are you sure to exit?", "Exit!     ", upgrade::MessageButtons::OkCancel,
                       upgrade::MessageIcon::Warning});
  if (answer != upgrade::MessageAnswer::Ok) return false;
  if (port_.Connected()) port_.Close();
  transfer_.CloseImage();
  return true;
}

void Wizard::OnDeviceChange() {
  // A run keeps the lists it started with: rebuilt now, they would lose the
  // port the scan holds open (it no longer opens exclusively), and the scan
  // indexes them. The next Start, mode switch or notice after the run
  // rebuilds them.
  if (connection_.RunActive()) return;
  connection_.RebuildPortLists();
}

void Wizard::ClosePort() {
  if (port_.Connected()) port_.Close();
}

// ---- timers ---------------------------------------------------------------------

void Wizard::Timer1Timer() {
  const store::LocalDateTime now = clock_.LocalNow();
  char clock[32];
  std::snprintf(clock, sizeof clock, "%04d/%02d/%02d %02d:%02d:%02d", now.year, now.month, now.day,
                now.hour, now.minute, now.second);
  screen_.SetText(Control::StatusBarClock, clock);

  connection_.ConnectionStep();
  ++state_.StageTicks;

  const bool between = state_.DeviceType != upgrade::kClassADevice ||
                       (state_.UpgradePart == 0 && !state_.PartRequestPending);
  if (port_.Connected() && state_.WizardStage == Stage::Idle && !state_.DeviceIdentified &&
      !state_.UpgradeRunning && between) {
    if (channel_.BlockReply == upgrade::kReplyProgrammed || !transfer_.ImageFile.IsOpen()) {
      connection_.SetContinueDown(false);
    }
  }
}

void Wizard::TimerUpgradeTimer() {
  // A device that says nothing more after its part reply is prepared on the
  // tick: the preparation must not depend on its idle traffic.
  preparation_.PrepareOnTick();
  sequencer_.TimerUpgradeTimer();
  switch (quiet_.Tick(state_, transfer_, channel_)) {
    case upgrade::DeviceQuietWatch::Change::Notice:
      screen_.SetText(Control::LabelDeviceQuiet, upgrade::QuietNoticeText(quiet_.Last()));
      screen_.SetColour(Control::LabelDeviceQuiet, upgrade::kRed);
      screen_.SetVisible(Control::LabelDeviceQuiet, true);
      events_.DeviceQuiet(quiet_.Last());
      break;
    case upgrade::DeviceQuietWatch::Change::Ended:
      screen_.SetVisible(Control::LabelDeviceQuiet, false);
      screen_.SetText(Control::LabelDeviceQuiet, "");
      break;
    case upgrade::DeviceQuietWatch::Change::None:
      break;
  }
}

void Wizard::TimerConnectionTimer() { connection_.TimerConnectionTimer(); }

}  // namespace connect
