// Writes seeds for the wizard fuzzer: what a well-behaved virtual
// transponder says to the wizard during whole upgrades (one seed per device
// setup and user), in the fuzzer's input format. `make fuzz-seeds` runs it.

#include <cstdio>
#include <string>

#include "fuzz/wizard_script.h"

namespace {

// Records one run; true when the upgrade finished.
bool Record(const std::filesystem::path& file, sim::TransponderConfig config,
            wizard_fuzz::UserPlan user = {}) {
  harness::VirtualRig rig({wizard_fuzz::FirmwareFolder(), {}});
  config.idleTraffic = true;
  harness::VirtualDevice& device = rig.AddDevice(wizard_fuzz::kPort, config);
  // Record what reaches the host, and when, from the moment the port opens.
  wizard_fuzz::Script script{user, {}};
  std::int64_t last = 0;
  device.SetOutputTap([&](std::int64_t now, const std::string& bytes) {
    script.pieces.push_back({now - last, bytes});
    last = now;
  });
  wizard_fuzz::PlayUser(rig, user, 120'000);
  std::ofstream(file, std::ios::binary) << wizard_fuzz::WriteScript(script);
  return rig.View().Text(upgrade::Control::StaticTextFrmUpgMessage1) ==
         "Firmware upgrade finished.";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: wizard_seed FOLDER\n");
    return 1;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  sim::TransponderConfig plain, classOne, lossy;
  plain.countdownStepMs = classOne.countdownStepMs = lossy.countdownStepMs = 100;
  classOne.classDigit = 1;
  lossy.faults = {{sim::FaultKind::LoseBlock, 1}, {sim::FaultKind::RepeatRequest, 1}};
  bool ok = Record(folder / "upgrade", plain);
  ok = Record(folder / "upgrade-class1", classOne) && ok;
  ok = Record(folder / "upgrade-repeats", lossy) && ok;
  wizard_fuzz::UserPlan automatic;
  automatic.automatic = true;
  automatic.answerDelayMs = 1500;
  ok = Record(folder / "upgrade-automatic", plain, automatic) && ok;
  // The user reads the versions and declines: nothing may go to the device.
  wizard_fuzz::UserPlan declines;
  declines.answer = wizard_fuzz::UserPlan::Answer::No;
  declines.answerDelayMs = 3000;
  ok = !Record(folder / "declined", plain, declines) && ok;
  std::filesystem::remove_all(wizard_fuzz::FirmwareFolder());
  if (!ok) std::fprintf(stderr, "wizard_seed: a run did not end as planned\n");
  return ok ? 0 : 1;
}
