#pragma once
// Faults the virtual transponder plays on request (--fault KIND[:N]).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class FaultKind {
  LoseBlock,         // N single losses spread by the seed: answers the previous number once each
  LoseBurst,         // one block in the second half lost N times in a row (a dead line)
  RepeatRequest,     // one block answered -1 N times
  WrongBlock,        // block N (default: chosen by the seed) answered with a wrong number
  ProgramFail,       // final check of part N (default 1, the kernel) answers -4444
  BadSum,            // final check of part N (default 1) answers -4445
  Silent,            // stops answering after N blocks
  RestartCountdown,  // restarts the countdown once after N blocks of a part
  InfoDiffers,       // the second information reading has another serial number
  Garbage,           // lines of random bytes between lines
  LongLines,         // lines over 82 characters between lines
  Hangup,            // closes its end after N blocks
};

struct Fault {
  FaultKind kind;
  std::optional<long> n;  // the N of KIND:N, when given
};

// Every kind with its option name and what it does, for --help.
struct FaultDescription {
  FaultKind kind;
  const char* name;
  const char* help;
};
std::span<const FaultDescription> FaultDescriptions();

// Parses "KIND" or "KIND:N" (N a whole number >= 0). False with a reason.
bool ParseFault(std::string_view text, Fault& fault, std::string& error);

}  // namespace sim
