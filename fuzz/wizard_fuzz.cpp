// libFuzzer entry: the whole wizard in virtual time, with arbitrary bytes
// from the far end of the line while it connects, identifies and transfers,
// and a user whose choices are fuzzed too (manual or automatic mode, Yes, No
// or no answer, OK or Cancel in message boxes, Cancel, Finish or Exit at
// some time). Whatever the device says and the user does, the wizard must
// not crash or hang, every write must be one the conversation allows at
// that point, a finished upgrade must rest on the device's -8888 after the
// application's image sum (fuzz/conversation_check.h), and no image may be
// left open outside a transfer. WIZARD_FUZZ_TRACE=1 prints the run.

#include <cstdio>
#include <cstdlib>

#include "fuzz/checked_run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const wizard_fuzz::Script script = wizard_fuzz::ParseScript(data, size);
  harness::ScriptedAnswer boxes;
  if (script.user.cancelBoxes) boxes.answer = upgrade::MessageAnswer::Cancel;
  harness::VirtualRig rig({wizard_fuzz::FirmwareFolder(), boxes});
  std::size_t next = 0;
  std::int64_t due = 0;
  rig.AddFarEnd(wizard_fuzz::kPort, [&](std::int64_t now, comm::MemoryLine& line) {
    if (!line.IsOpen()) return;
    while (next < script.pieces.size() && now >= due + script.pieces[next].delayMs) {
      due += script.pieces[next].delayMs;
      line.SendToHost(script.pieces[next].bytes);
      ++next;
    }
  });
  wizard_fuzz::CheckedRun run =
      wizard_fuzz::PlayChecked(rig, script.user, script.Length() + 60'000);
  if (!run.left) {
    const upgrade::WizardState& state = rig.Wizard().State();
    if (rig.Wizard().Transfer().ImageFile.IsOpen() && !state.UpgradeRunning &&
        !state.PartRequestPending && state.FileCheckState != upgrade::kFileCheckPrepared)
      run.fault = "an image left open outside a transfer";
  }

  if (std::getenv("WIZARD_FUZZ_TRACE") != nullptr) {
    if (!run.left) {
      const upgrade::WizardState& state = rig.Wizard().State();
      std::fprintf(stderr, "outcome %s, stage %d, ", upgrade::OutcomeName(state.Outcome),
                   upgrade::StageNumber(state.WizardStage));
    }
    std::fprintf(stderr, "%zu of %zu pieces sent%s\n", next, script.pieces.size(),
                 run.left ? ", the user left" : "");
    // The log panes, as a bug report would carry them.
    for (const upgrade::LogPane pane : {upgrade::LogPane::MemoTX, upgrade::LogPane::MemoRX}) {
      std::fprintf(stderr, "-- %s\n", pane == upgrade::LogPane::MemoTX ? "sent" : "received");
      for (const std::string& line : rig.View().Log(pane))
        std::fprintf(stderr, "%s\n", line.c_str());
    }
  }
  if (!run.fault.empty()) {
    std::fprintf(stderr, "wizard fuzz: %s\n", run.fault.c_str());
    std::abort();
  }
  return 0;
}
