#pragma once
// The faults both soaks draw from, one row each: how the simulator is told
// to play it, the N it is drawn with, and where a whole upgrade against it
// ends. The virtual soak checks the wizard's outcome; the real-time soak the
// exit code that outcome gives on the command line.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "sim/faults.h"
#include "sim/transponder.h"
#include "upgrade/wizard_state.h"

namespace soak {

// How a run with a fault ends.
enum class Ending {
  Finished,  // both parts programmed
  Fails,     // a failure with the given outcome(s)
  Waits,     // the wizard waits for the device for ever (the user leaves)
};

struct FaultRow {
  // A healthy device's name in the counts ("none", or how it counts down);
  // a fault goes by the simulator's name for it, as --fault takes it.
  const char* healthy = nullptr;
  std::optional<sim::FaultKind> kind = std::nullopt;
  long minN = 0, maxN = 0;  // N drawn from this range (0, 0: none given)
  bool nIsBlock = false;    // N counts blocks, so it stays within the kernel
  // The ending for a given N, and the outcomes a failure may have.
  std::function<Ending(long n)> ending = {};
  std::vector<upgrade::WizardOutcome> outcomes = {};
  // Which application image a finished upgrade carries (702 unless told).
  std::function<int(long n)> application = [](long) { return 702; };
  sim::CountdownLines countdown = sim::CountdownLines::Both;

  std::string Name() const {
    if (!kind) return healthy;
    for (const sim::FaultDescription& d : sim::FaultDescriptions()) {
      if (d.kind == *kind) return d.name;
    }
    return "?";
  }
};

inline std::function<Ending(long)> Always(Ending e) {
  return [e](long) { return e; };
}

inline const std::vector<FaultRow>& Rows() {
  using K = sim::FaultKind;
  using O = upgrade::WizardOutcome;
  static const std::vector<FaultRow> rows = {
      {.healthy = "none", .kind = std::nullopt, .ending = Always(Ending::Finished)},
      {.healthy = "countdown-digits",
       .kind = std::nullopt,
       .ending = Always(Ending::Finished),
       .countdown = sim::CountdownLines::DigitsOnly},
      {.healthy = "countdown-wait",
       .kind = std::nullopt,
       .ending = Always(Ending::Finished),
       .countdown = sim::CountdownLines::WaitOnly},
      {.kind = K::LoseBlock, .minN = 1, .maxN = 8, .ending = Always(Ending::Finished)},
      {.kind = K::LoseBurst, .ending = Always(Ending::Fails), .outcomes = {O::TransmissionErrors}},
      {.kind = K::RepeatRequest, .minN = 1, .maxN = 5, .ending = Always(Ending::Finished)},
      {.kind = K::WrongBlock,
       .minN = 1,
       .maxN = 60,
       .nIsBlock = true,
       .ending = Always(Ending::Fails),
       .outcomes = {O::IncorrectBlockCount}},
      {.kind = K::ProgramFail,
       .minN = 1,
       .maxN = 2,
       .ending = Always(Ending::Fails),
       .outcomes = {O::ProgrammingFailed}},
      {.kind = K::BadSum,
       .minN = 1,
       .maxN = 2,
       .ending = Always(Ending::Fails),
       .outcomes = {O::ChecksumError}},
      {.kind = K::Silent, .minN = 0, .maxN = 60, .nIsBlock = true, .ending = Always(Ending::Waits)},
      {.kind = K::RestartCountdown,
       .minN = 0,
       .maxN = 60,
       .nIsBlock = true,
       .ending = Always(Ending::Finished)},
      {.kind = K::InfoDiffers, .ending = Always(Ending::Fails), .outcomes = {O::Identification}},
      {.kind = K::Garbage, .ending = Always(Ending::Finished)},
      {.kind = K::LongLines, .ending = Always(Ending::Finished)},
      {.kind = K::Hangup,
       .minN = 0,
       .maxN = 60,
       .nIsBlock = true,
       .ending = Always(Ending::Fails),
       .outcomes = {O::HungUp, O::SendFailed}},
      // Asked for the application, it says "kernel": the kernel is prepared
      // again and waits for a Yes the upgrade page does not offer.
      {.kind = K::PartReply,
       .minN = 1,
       .maxN = 3,
       .ending = [](long n) { return n == 2 ? Ending::Finished : Ending::Waits; }},
      // A sentence after line N ends the block: before the class line (N < 4)
      // the device cannot be identified; after it, the language may be lost.
      {.kind = K::InfoSentence,
       .minN = 1,
       .maxN = 6,
       .ending = [](long n) { return n < 4 ? Ending::Fails : Ending::Finished; },
       .outcomes = {O::Identification},
       .application = [](long n) { return n < 6 ? 701 : 702; }},
      {.kind = K::InfoAfterUpgrade, .ending = Always(Ending::Finished)},
      {.kind = K::SlowReplies, .minN = 100, .maxN = 3000, .ending = Always(Ending::Finished)},
  };
  return rows;
}

// A run's fault: its row and N, drawn with the run's own generator; a block
// number stays within the `kernelBlocks` code blocks of the kernel image.
struct DrawnFault {
  const FaultRow* row;
  long n;
  // "kind" or "kind:N", as --fault takes it (and as the counts name it).
  std::string Label() const { return row->Name() + (row->maxN > 0 ? ":" + std::to_string(n) : ""); }
};

inline DrawnFault DrawFault(std::mt19937_64& random, long kernelBlocks) {
  const FaultRow& row = Rows()[random() % Rows().size()];
  const long maxN = row.nIsBlock ? std::min(row.maxN, kernelBlocks) : row.maxN;
  const long n =
      maxN > row.minN
          ? row.minN + static_cast<long>(random() % static_cast<unsigned long>(maxN - row.minN + 1))
          : row.minN;
  return {&row, n};
}

}  // namespace soak
