#pragma once
// The block transfer, one step per 130 ms tick of TimerUpgrade: each tick
// sends the next code block once the device has acknowledged the previous
// one, repeats a block the device did not get, abandons on too many
// repetitions or an unexpected block number, and after the last block runs
// the final check (the image sum in TPS 40, then the device's verdict). A
// programmed kernel hands over to the application; a programmed application
// ends the upgrade. There is no time-out: a silent device is waited for.
//
// Device replies under code 104, with i the current block:
//   i        received: send the next block
//   i - 1    not received: repeat block i and count it
//   -1       repeat block i, counted the same way
//   other >0 wrong block number: abandon
//   -8889    send the image sum; -8888 programmed; -4444 failed; -4445 bad sum
// More repetitions than blocks sent (measured against at least a quarter of
// the image) abandon the upgrade.

#include <cstdint>

#include "upgrade/command_channel.h"
#include "upgrade/device_info.h"
#include "upgrade/run_end.h"
#include "upgrade/transfer_state.h"
#include "upgrade/upgrade_page.h"
#include "upgrade/wizard_screen.h"
#include "upgrade/wizard_state.h"

namespace upgrade {

class UpgradeSequencer {
 public:
  UpgradeSequencer(WizardState& state, TransferState& transfer, const DeviceInformation& info,
                   CommandChannel& channel, WizardScreen& screen, RunEnding& ending);

  void TimerUpgradeTimer();

 private:
  void TransferStep();
  void SendStep(BlockKind kind);
  void FinalCheck();

  WizardState& state_;
  TransferState& transfer_;
  const DeviceInformation& info_;
  CommandChannel& channel_;
  WizardScreen& screen_;
  RunEnding& ending_;
  UpgradePageAnimation page_;
  // The device restarted its countdown this tick: block 1 goes again.
  bool restarted_ = false;
};

}  // namespace upgrade
