#pragma once
// A run of the wizard with the user's plan, judged as it goes: every write
// the host makes and a finished upgrade are held against the device's side
// of the conversation (conversation_check.h). The fuzzer and the tests that
// replay its findings share it.

#include <functional>
#include <string>
#include <string_view>

#include "fuzz/conversation_check.h"
#include "fuzz/wizard_script.h"

namespace wizard_fuzz {

struct CheckedRun {
  std::string fault;  // the first thing the check found wrong; empty: none
  bool left = false;  // the user closed the window
  bool finished = false;
};

// Plays `plan` on `rig` (whose port kPort has its far end already) for up
// to `limitMs` of virtual time. A far end that answers what the host writes
// hears it through `farEndHears`.
inline CheckedRun PlayChecked(harness::VirtualRig& rig, const UserPlan& plan, std::int64_t limitMs,
                              const std::function<void(std::string_view)>& farEndHears = {}) {
  CheckedRun run;
  ConversationCheck check(FirmwareImages());
  const auto judge = [&run](const std::string& wrong) {
    if (run.fault.empty()) run.fault = wrong;
  };
  // The lines the host has handled so far, read from its receive log.
  std::size_t heard = 0;
  const auto hear = [&] {
    const auto& received = rig.View().Log(upgrade::LogPane::MemoRX);
    if (received.size() < heard) heard = 0;  // a new window
    for (; heard < received.size(); ++heard) check.DeviceLine(received[heard]);
  };
  rig.Ports().Line(kPort)->SetHostWriteHook([&](std::string_view bytes) {
    hear();
    judge(check.HostWrote(bytes));
    if (farEndHears) farEndHears(bytes);
  });
  UserWatch watch;
  watch.saidYes = [&] { check.UserSaidYes(); };
  watch.afterStep = [&] {
    const upgrade::WizardState& state = rig.Wizard().State();
    if (run.finished ||
        !(state.UpgradeFinished || state.Outcome == upgrade::WizardOutcome::Finished))
      return;
    run.finished = true;
    hear();
    judge(check.FinishedUpgrade());
  };
  run.left = PlayUser(rig, plan, limitMs, watch);
  rig.Ports().Line(kPort)->SetHostWriteHook({});
  return run;
}

}  // namespace wizard_fuzz
