#pragma once
// From the serial-port page to the firmware-version page. Continue starts a
// run: the chosen port at the chosen rate (manual mode), or every openable
// port at six rates in turn (automatic mode), is probed on fixed one-second
// ticks until the device ends its static data with "[END OF STATIC DATA]".
// The information request follows, the version page is shown, and once the
// device is identified the running and the new version are shown with the
// question "Do you want to continue?". Every failure ends in a message and
// a safe state.
//
// Automatic schedule for each port, 24 ticks: 115200 (ticks 0-3, probe at
// 1), then 57600, 38400, 19200, 9600 and 4800 (4 ticks each, probes at the
// first two), then the next port; the run fails 3 ticks after the scan has
// wrapped to the first port.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "comm/comm_types.h"
#include "comm/port_enumeration.h"
#include "comm/thread_comm.h"
#include "upgrade/command_channel.h"
#include "upgrade/line_watcher.h"
#include "upgrade/run_end.h"
#include "upgrade/transfer_state.h"
#include "upgrade/wizard_operations.h"
#include "upgrade/wizard_screen.h"
#include "upgrade/wizard_state.h"

namespace connect {

// The six entries of the baud-rate list, "4800" to "115200", as TBaudRate
// ordinals.
inline constexpr std::array<comm::TBaudRate, 6> BaudIndexTable = {
    comm::br4800, comm::br9600, comm::br19200, comm::br38400, comm::br57600, comm::br115200};
// The entry selected when the list is filled ("115200").
inline constexpr int kDefaultBaudEntry = 5;
static_assert(BaudIndexTable[kDefaultBaudEntry] == comm::br115200);

// The baud-rate list's entries, derived from the table.
std::vector<std::string> BaudRateEntries();

// The three texts of the connection indicator.
inline constexpr std::string_view kConnecting = "Connecting...";
inline constexpr std::string_view kConnected = "Connected...";
inline constexpr std::string_view kDisconnect = "Disconnect...";

class ConnectionProcedure final : public upgrade::WizardOperations {
 public:
  ConnectionProcedure(upgrade::WizardState& state, upgrade::WizardScreen& screen,
                      comm::TThreadComm& port, comm::PortEnumerator& enumerator,
                      comm::PortLists& lists, upgrade::CommandChannel& channel,
                      upgrade::TransferState& transfer, upgrade::WatcherActions& watcherActions,
                      upgrade::RunEnding& ending);

  // A click of the Continue/Discontinue toggle: flips it, then runs
  // OpenPortClick.
  void ClickOpenPort();
  void OpenPortClick();
  void ConnectionStep();
  void AutoDetectStep();
  void ManualProbeStep();
  int ConfirmManualPort();
  void OpenPortAt(comm::TBaudRate rate, const std::string& port);
  void ReopenPortAt(const std::string& port);
  void SelectBaudIndex(int entry);

  void AdvanceStage() override;
  void CancelWizard() override;
  void ImagePrepared() override;
  void ResetConnectionControls();
  void ResetWizardState();

  // The serial-port page's own handlers.
  void ResetPages();
  void RadioButtonConnectionModeAutoClick();
  void SelectConnectionMode(bool automatic);
  // Rebuilds both port lists and the port drop-down list.
  void RebuildPortLists();
  void ShowConnectionStatus(int index, std::string_view text);
  void TimerConnectionTimer();

  bool AutoMode() const { return state_.AutomaticMode; }
  // The run flag (the toggle's tag).
  bool RunActive() const { return state_.RunActive; }

  // The user's choices, kept in the state and mirrored into the controls.
  void SetAutomaticMode(bool automatic);
  void ChoosePort(const std::string& text);
  void ChooseBaudEntry(int entry);
  void SetContinueDown(bool down);
  // Selects entry `index` of the port list as the chosen port.
  void SelectPortItem(int index);

  std::int32_t AutoPortIndex = 0;
  std::int32_t AutoBaudIndex = 5;
  std::int32_t DetectTimeoutTicks = 20;

 private:
  void StepConnecting();
  void StepAfterDetection();
  void StepVersionCheck();
  void ShowVersionQuestion();
  void SetStatus(std::string_view text);
  void SetProgressTruncated(double value);
  // Opens the port; a failure that the serial layer raises counts as not
  // opened, its reason kept for the message.
  void OpenPort();
  void SetRunControlsEnabled(bool enabled);
  // The automatic scan shows the port and the rate it tries, and says so.
  void ShowTrial(const std::string& port, int baudEntry);
  void SetVersionControlsVisible(bool visible);
  void ClearMarkers();
  std::string OpenFailureReason() const;

  upgrade::WizardState& state_;
  upgrade::WizardScreen& screen_;
  comm::TThreadComm& port_;
  comm::PortEnumerator& enumerator_;
  comm::PortLists& lists_;
  upgrade::CommandChannel& channel_;
  upgrade::TransferState& transfer_;
  upgrade::WatcherActions& watcherActions_;
  upgrade::RunEnding& ending_;

  std::vector<std::string> portItems_;  // the port list's entries as last filled
  std::string openFailure_;             // why the last open failed, beyond LastOpenError
  int indicatorFrame_ = 0;              // TimerConnection's tag
  int blinkCounter_ = 0;                // LabelConnectionStatus's tag
  bool frameDownward_ = true;
};

}  // namespace connect
