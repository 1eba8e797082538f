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
  LoseBurst,         // one block anywhere in the part lost N times in a row
  RepeatRequest,     // one block answered -1 N times
  WrongBlock,        // block N (default: chosen by the seed) answered with a wrong number
  ProgramFail,       // final check of part N (default 1, the kernel) answers -4444
  BadSum,            // final check of part N (default 1) answers -4445
  Silent,            // stops answering after N blocks (0: before block 1)
  RestartCountdown,  // restarts the countdown once after N blocks of a part (0: before block 1)
  InfoDiffers,       // the second information reading has another serial number
  Garbage,           // lines of random bytes between lines
  LongLines,         // lines over 82 characters between lines
  Hangup,            // closes its end after N blocks (0: before block 1)
  PartReply,         // answers a part request with part N (default: the other part)
  InfoSentence,      // an NMEA sentence after line N of every information block
  InfoAfterUpgrade,  // prints its information block again after the application's verdict
  SlowReplies,       // every answer to the host comes N ms late, in order
  SlowPartReply,     // the answers to part requests come N ms late, in order
  NoIdle,            // no idle output at all
  ApplicationReply,  // answers the application request with part N
  BlockReply,        // one block of each part answered with the value N; the block is kept
  SeveralSlots,      // every DBG answer carries its pair in slot N, after pairs of other codes
  DeadLine,          // after N blocks of a part the line carries nothing more to the device
};

struct Fault {
  FaultKind kind;
  std::optional<long> n;  // the N of KIND:N, when given (negative only for block-reply)
};

// Every kind with its option name, the N it takes, and what it does.
struct FaultDescription {
  FaultKind kind;
  const char* name;
  bool takesN;
  long minN, maxN;  // the N accepted, when it takes one
  const char* help;
};
std::span<const FaultDescription> FaultDescriptions();

// Parses "KIND" or "KIND:N". False with a reason for an unknown kind, an N
// outside the kind's range (or given to a kind that takes none).
bool ParseFault(std::string_view text, Fault& fault, std::string& error);

}  // namespace sim
