#include "sim/faults.h"

#include <charconv>

namespace sim {

namespace {

constexpr FaultDescription kFaults[] = {
    {FaultKind::LoseBlock, "lose-block",
     "N single block losses (default 1) spread over each part by the seed: answers the previous "
     "block number once for each"},
    {FaultKind::LoseBurst, "lose-burst",
     "one block in the second half of each part, chosen by the seed, answered with the previous "
     "number N times in a row (default 1000: a dead line)"},
    {FaultKind::RepeatRequest, "repeat-request",
     "one block of each part, chosen by the seed, answered -1 (repeat) N times (default 1)"},
    {FaultKind::WrongBlock, "wrong-block",
     "block N (default: chosen by the seed) answered once with a wrong block number"},
    {FaultKind::ProgramFail, "program-fail",
     "the final check of part N (1 kernel, the default; 2 application) answers -4444"},
    {FaultKind::BadSum, "bad-sum",
     "the final check of part N (1 kernel, the default; 2 application) answers -4445"},
    {FaultKind::Silent, "silent", "stops answering anything after N blocks (default 3)"},
    {FaultKind::RestartCountdown, "restart-countdown",
     "restarts the countdown once, after N blocks of a part (default 3)"},
    {FaultKind::InfoDiffers, "info-differs",
     "the second information reading after a DBG 106 has another serial number"},
    {FaultKind::Garbage, "garbage",
     "a line of random bytes before most lines it sends (never inside the information block)"},
    {FaultKind::LongLines, "long-lines",
     "a line over 82 characters before most lines it sends (never inside the information block)"},
    {FaultKind::Hangup, "hangup", "closes its end of the line after N blocks (default 5)"},
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
    long n = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), n);
    if (number.empty() || ec != std::errc() || end != number.data() + number.size() || n < 0) {
      error = "fault " + std::string(name) + ": N must be a whole number >= 0, not '" +
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
