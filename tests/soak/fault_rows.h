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
  long minN = 0, maxN = 0;        // N drawn from this range (0, 0: none given)
  std::vector<long> values = {};  // or from these
  bool nIsBlock = false;          // N counts blocks, so it stays within the kernel
  // The ending for a given N, and the outcomes a failure may have.
  std::function<Ending(long n)> ending = {};
  std::vector<upgrade::WizardOutcome> outcomes = {};
  // Which application image a finished upgrade carries (702 unless told).
  std::function<int(long n)> application = [](long) { return 702; };
  sim::CountdownLines countdown = sim::CountdownLines::Both;

  // The simulator is given an N (otherwise the fault plays its default).
  bool TakesN() const { return maxN > 0 || !values.empty(); }

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
      // A line that never carries the block, wherever it is, the first
      // quarter included: given up.
      {.kind = K::LoseBurst, .ending = Always(Ending::Fails), .outcomes = {O::TransmissionErrors}},
      // A few repeats are retried; a device that asks for ever is given up.
      {.kind = K::RepeatRequest,
       .values = {1, 2, 3, 5, 1'000'000'000},
       .ending = [](long n) { return n > 5 ? Ending::Fails : Ending::Finished; },
       .outcomes = {O::TransmissionErrors}},
      {.kind = K::WrongBlock,
       .minN = 1,
       .maxN = 60,
       .nIsBlock = true,
       .ending = Always(Ending::Fails),
       .outcomes = {O::IncorrectBlockCount}},
      // A block answered with 0 or a negative value counts as received (the
      // device kept it; -1 asks for it again); a far-off number abandons.
      {.kind = K::BlockReply,
       .values = {0, -2, -7, -1000, -1, -8889, -8888, -4444, -4445, 5000, 1'000'000},
       .ending = [](long n) { return n > 0 ? Ending::Fails : Ending::Finished; },
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
      // Silent, or a line that goes dead: the wizard waits (and says so).
      {.kind = K::Silent, .minN = 0, .maxN = 60, .nIsBlock = true, .ending = Always(Ending::Waits)},
      {.kind = K::DeadLine,
       .minN = 0,
       .maxN = 60,
       .nIsBlock = true,
       .ending = Always(Ending::Waits)},
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
      // Every part request answered with part N: 1 asks for the kernel again
      // after it (the run ends, nothing of the application sent); 2 has the
      // application sent alone, after the user's Yes; 3 is no part, and the
      // version page waits, offering No.
      {.kind = K::PartReply,
       .minN = 1,
       .maxN = 3,
       .ending =
           [](long n) {
             return n == 1 ? Ending::Fails : n == 2 ? Ending::Finished : Ending::Waits;
           },
       .outcomes = {O::UnexpectedPart}},
      // Only the application request answered with part N.
      {.kind = K::ApplicationReply,
       .values = {0, 1, 2, 3},
       .ending = [](long n) { return n == 2 ? Ending::Finished : Ending::Fails; },
       .outcomes = {O::UnexpectedPart}},
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
      {.kind = K::SlowPartReply, .minN = 1000, .maxN = 8000, .ending = Always(Ending::Finished)},
      {.kind = K::NoIdle, .ending = Always(Ending::Finished)},
      {.kind = K::SeveralSlots, .minN = 1, .maxN = 4, .ending = Always(Ending::Finished)},
  };
  return rows;
}

// A run's fault: its row and N, drawn with the run's own generator; a block
// number stays within the `kernelBlocks` code blocks of the kernel image.
struct DrawnFault {
  const FaultRow* row;
  long n;
  // "kind" or "kind:N", as --fault takes it (and as the counts name it).
  std::string Label() const { return row->Name() + (row->TakesN() ? ":" + std::to_string(n) : ""); }
};

inline DrawnFault DrawFault(std::mt19937_64& random, long kernelBlocks) {
  const FaultRow& row = Rows()[random() % Rows().size()];
  if (!row.values.empty()) return {&row, row.values[random() % row.values.size()]};
  const long maxN = row.nIsBlock ? std::min(row.maxN, kernelBlocks) : row.maxN;
  const long n =
      maxN > row.minN
          ? row.minN + static_cast<long>(random() % static_cast<unsigned long>(maxN - row.minN + 1))
          : row.minN;
  return {&row, n};
}

}  // namespace soak
