#pragma once
// The wizard's core: everything the main window owns except its widgets.
// It creates the serial port, the sentence library with its store and AIS
// chain, and the procedures (connection, device information, preparation,
// sequencer), routes received bytes to them, and offers the window's event
// handlers to a front end: the Qt window, `aisfw upgrade`, or a test.
// Everything runs on the front end's main thread; the port's event thread
// hands its events over through the dispatcher.

#include <memory>
#include <string>

#include "comm/comm.h"
#include "comm/main_thread.h"
#include "comm/port_enumeration.h"
#include "comm/receive_lines.h"
#include "connect/connection.h"
#include "store/nmea_stack.h"
#include "upgrade/command_channel.h"
#include "upgrade/device_info.h"
#include "upgrade/device_quiet.h"
#include "upgrade/line_watcher.h"
#include "upgrade/port_writer.h"
#include "upgrade/preparation.h"
#include "upgrade/run_end.h"
#include "upgrade/sequencer.h"
#include "upgrade/transfer_state.h"
#include "upgrade/wizard_events.h"
#include "upgrade/wizard_operations.h"
#include "upgrade/wizard_screen.h"
#include "upgrade/wizard_state.h"
#include "upgrade/wizard_view.h"

namespace connect {

struct WizardSetup {
  comm::MainThreadDispatcher& dispatcher;
  comm::PortEnumerator& ports;
  upgrade::WizardView& view;
  upgrade::WizardClock& clock;
  upgrade::FirmwareFolders folders;
  std::unique_ptr<comm::SerialPlatform> platform = nullptr;  // none: the system's ports
  upgrade::WizardEvents* events = nullptr;                   // none: nobody listens
};

class Wizard final : private comm::ReceiveConsumers, private upgrade::WatcherActions {
 public:
  explicit Wizard(WizardSetup setup);
  ~Wizard() override;
  Wizard(const Wizard&) = delete;
  Wizard& operator=(const Wizard&) = delete;

  // Buttons and lists.
  void SpeedButtonStartClick();
  void SpeedButtonCancelClick();
  void SpeedButtonFrmUpgFinishClick();
  void SpeedButtonFrmVerWantToContinueYesClick();
  void SpeedButtonFrmVerWantToContinueNoClick();
  // Either mode button; `automatic`: Auto is now checked.
  void RadioButtonConnectionModeAutoClick(bool automatic);
  // The port list's text changed (typed or picked).
  void cbxComPortChange(const std::string& text);
  void cbxBaudRateChange(int entry);
  // A click on the Continue/Discontinue toggle.
  void OpenPortClick();
  // Asks "Are you sure to exit?"; true when the window may close (the port
  // is then closed).
  bool FormClose();
  // The system's ports changed.
  void OnDeviceChange();
  // Closes the port if it is open: a front end that stops makes sure.
  void ClosePort();

  // The three timers.
  void Timer1Timer();
  void TimerUpgradeTimer();
  void TimerConnectionTimer();

  const upgrade::WizardScreen& Screen() const { return screen_; }
  const upgrade::WizardState& State() const { return state_; }
  const upgrade::TransferState& Transfer() const { return transfer_; }
  const upgrade::DeviceInformation& DeviceInfo() const { return info_; }
  const upgrade::CommandChannel& Channel() const { return channel_; }
  const comm::PortLists& Ports() const { return lists_; }
  comm::TComm& Port() { return port_; }
  store::NmeaStack& Nmea() { return nmea_; }
  const upgrade::FirmwareFolders& Folders() const { return folders_; }
  // The serial line reported a hang-up during the last run.
  bool LineHungUp() const { return lineHungUp_; }

 private:
  // comm::ReceiveConsumers
  void LogReceivedLine(std::string_view line) override;
  void OnDeviceLine(const char* line) override;
  void WatchTextLine(const char* line) override;
  // upgrade::WatcherActions
  void ResetInfoCollector() override;
  void SetProgress(int percent) override;

  void OnPortError(std::int32_t errors);

  upgrade::WizardView& view_;
  upgrade::WizardEvents noEvents_;
  upgrade::WizardEvents& events_;
  upgrade::WizardClock& clock_;
  comm::PortEnumerator& enumerator_;
  const upgrade::FirmwareFolders folders_;

  upgrade::WizardScreen screen_;
  upgrade::WizardState state_;
  store::NmeaStack nmea_;
  comm::PortLists lists_;
  comm::TComm port_;
  upgrade::ThreadCommWriter writer_;
  upgrade::CommandChannel channel_;
  upgrade::DeviceInformation info_;
  upgrade::TransferState transfer_;
  upgrade::RunEnding ending_;
  ConnectionProcedure connection_;
  upgrade::UpgradePreparation preparation_;
  upgrade::UpgradeSequencer sequencer_;
  upgrade::DeviceQuietWatch quiet_;
  comm::ReceiveLineAssembler assembler_;
  bool lineHungUp_ = false;
};

}  // namespace connect
