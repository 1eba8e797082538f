#include "sim/faults.h"

#include <charconv>

namespace sim {

namespace {

// Counts and block numbers stay far inside the 32-bit counters they meet.
constexpr long kMaxCount = 1'000'000'000;
constexpr long kMaxDelayMs = 3'600'000;

constexpr FaultDescription kFaults[] = {
    {FaultKind::LoseBlock, "lose-block", true, 1, kMaxCount,
     "N single block losses (default 1) spread over each part by the seed: answers the "
     "previous block number once for each"},
    {FaultKind::LoseBurst, "lose-burst", true, 1, kMaxCount,
     "one block anywhere in each part (the first block included), chosen by the seed, answered "
     "with the previous number N times in a row (default 1000: a line that never carries a "
     "block)"},
    {FaultKind::RepeatRequest, "repeat-request", true, 1, kMaxCount,
     "one block of each part, chosen by the seed, answered -1 (repeat) N times (default 1)"},
    {FaultKind::WrongBlock, "wrong-block", true, 1, kMaxCount,
     "block N (default: chosen by the seed) answered once with a wrong block number"},
    {FaultKind::ProgramFail, "program-fail", true, 1, 2,
     "the final check of part N (1 kernel, the default; 2 application) answers -4444"},
    {FaultKind::BadSum, "bad-sum", true, 1, 2,
     "the final check of part N (1 kernel, the default; 2 application) answers -4445"},
    {FaultKind::Silent, "silent", true, 0, kMaxCount,
     "stops answering anything after N blocks (default 3; 0: as soon as it waits for block 1)"},
    {FaultKind::RestartCountdown, "restart-countdown", true, 0, kMaxCount,
     "restarts the countdown once, after N blocks of a part (default 3; 0: as soon as it waits "
     "for block 1)"},
    {FaultKind::InfoDiffers, "info-differs", false, 0, 0,
     "the second information reading after a DBG 106 has another serial number"},
    {FaultKind::Garbage, "garbage", false, 0, 0,
     "a line of random bytes before most lines it sends (never inside the information block)"},
    {FaultKind::LongLines, "long-lines", false, 0, 0,
     "a line over 82 characters before most lines it sends (never inside the information block)"},
    {FaultKind::Hangup, "hangup", true, 0, kMaxCount,
     "closes its end of the line after N blocks (default 5; 0: as soon as it waits for block 1), "
     "once the host has read the last answer"},
    {FaultKind::PartReply, "part-reply", true, 0, kMaxCount,
     "answers each part request (DBG 107) with part N (default: the other part)"},
    {FaultKind::InfoSentence, "info-sentence", true, 1, 6,
     "a $GPRMC sentence after line N (default 3) of every information block"},
    {FaultKind::InfoAfterUpgrade, "info-after-upgrade", false, 0, 0,
     "prints its information block again after the application's verdict -8888"},
    {FaultKind::SlowReplies, "slow-replies", true, 1, kMaxDelayMs,
     "every answer to the host (information block, part and block replies) comes N ms late "
     "(default 1500); what it says meanwhile (countdown, idle output) follows in order"},
    {FaultKind::SlowPartReply, "slow-part-reply", true, 1, kMaxDelayMs,
     "the answers to part requests (DBG 107) come N ms late (default 6000), what it says "
     "meanwhile after them; every other answer at once"},
    {FaultKind::NoIdle, "no-idle", false, 0, 0,
     "sends no idle output at all: only its answers and its countdown"},
    {FaultKind::ApplicationReply, "application-reply", true, 0, kMaxCount,
     "answers the application request (DBG 107 with 2) with part N; the kernel request as asked"},
    {FaultKind::BlockReply, "block-reply", true, -kMaxCount, kMaxCount,
     "one block of each part from block 2 on, chosen by the seed, answered with N (default 0): "
     "the block is kept, unless N asks for it again (-1, or the previous number)"},
    {FaultKind::SeveralSlots, "several-slots", true, 1, 4,
     "every DBG answer carries its code and value in slot N (default 4), the slots before it "
     "codes the tool does not act on"},
    {FaultKind::DeadLine, "dead-line", true, 0, kMaxCount,
     "after N blocks of each part (0: before block 1) nothing more of that part reaches the "
     "device: it answers nothing, gives the part up and is idle again"},
};

}  // namespace

std::span<const FaultDescription> FaultDescriptions() { return kFaults; }

bool ParseFault(std::string_view text, Fault& fault, std::string& error) {
  const std::size_t colon = text.find(':');
  const std::string_view name = text.substr(0, colon);
  for (const FaultDescription& d : FaultDescriptions()) {
    if (name != d.name) continue;
    fault = {d.kind, std::nullopt};
    if (colon == std::string_view::npos) return true;
    const std::string_view number = text.substr(colon + 1);
    if (!d.takesN) {
      error = "fault " + std::string(name) + " takes no number";
      return false;
    }
    long n = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), n);
    if (number.empty() || ec != std::errc() || end != number.data() + number.size() || n < d.minN ||
        n > d.maxN) {
      error = "fault " + std::string(name) + ": N must be a whole number from " +
              std::to_string(d.minN) + " to " + std::to_string(d.maxN) + ", not '" +
              std::string(number) + "'";
      return false;
    }
    fault.n = n;
    return true;
  }
  error = "unknown fault '" + std::string(name) + "'";
  return false;
}

}  // namespace sim
