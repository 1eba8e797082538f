#pragma once
// The virtual transponder: the device's side of the upgrade conversation as
// a time-driven state machine. Bytes from the host go in with Receive, time
// passes with Advance, and the device's bytes come out of TakeOutput. The
// same machine runs in real time on a pseudo-terminal (aisfw-sim) and in
// virtual time inside tests. sim/README.md gives the conversation byte for
// byte.

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "firmware/splitmix64.h"
#include "sim/faults.h"

namespace sim {

// Which lines the countdown prints; it takes as long whichever it prints.
enum class CountdownLines {
  Both,        // 5, 4, 3, 2, 1, then "wait for firmware upgrade"
  DigitsOnly,  // 5 to 1; what arrives after the "3" is buffered and taken once erased
  WaitOnly,    // only "wait for firmware upgrade", at its usual time
};

struct TransponderConfig {
  std::uint32_t baud = 115200;  // its own line speed
  std::string firmware = "V1.0.0";
  std::string serial = "1234567";
  std::optional<int> classDigit = 0;  // nullopt: no "[ClassA]=" line
  std::optional<std::array<int, 4>> language = std::array{1, 2, 3, 5};  // nullopt: no language line
  std::uint64_t seed = 1;
  std::vector<Fault> faults;
  std::filesystem::path outDir;  // where kernel.bin and application.bin go; empty: nowhere
  int countdownStepMs = 400;     // between the countdown lines
  int programmingMs = 500;       // from the image sum to the verdict
  bool idleTraffic = true;       // $GPRMC and !AIVDM while no upgrade runs
  CountdownLines countdownLines = CountdownLines::Both;
  // A part the host stops sending (no block, or no image sum after -8889,
  // for this long) is given up: the device is idle again. 0 or less: never.
  int giveUpMs = 3000;
};

class VirtualTransponder {
 public:
  enum class Phase {
    Idle,         // NMEA output; answers probes and DBG requests
    Countdown,    // erasing: prints 5..1 and "wait for firmware upgrade", ignores input
    Blocks,       // takes raw blocks, answers each with DBG 104
    FinalCheck,   // asked for the image sum (-8889), waits for TPS 40
    Programming,  // the verdict comes after programmingMs
    Silent,       // fault: answers nothing more
    HungUp,       // fault: closes the line once its last answer has been taken
  };

  explicit VirtualTransponder(TransponderConfig config);

  // The line speed the host set; at another speed than its own the device
  // understands nothing and its output reaches the host as garbage.
  void SetHostBaud(std::uint32_t bitsPerSecond) { hostBaud_ = bitsPerSecond; }
  void Receive(std::string_view bytes);
  void Advance(std::int64_t ms);
  std::string TakeOutput();
  // What happened, one line each, for a log.
  std::vector<std::string> TakeNotes();

  Phase CurrentPhase() const { return phase_; }
  // The line is closed: the hang-up fault struck and every byte sent
  // before it has been taken (TakeOutput), so the host got its last answer.
  bool HungUp() const { return phase_ == Phase::HungUp && out_.empty() && late_.empty(); }
  std::int64_t Now() const { return now_; }
  // The blocks of part 1 (kernel) or 2 (application) as stored in the image.
  const std::vector<std::uint8_t>& ReceivedPart(int part) const {
    return parts_[part == 2 ? 1 : 0];
  }
  std::size_t BlockSize() const;

 private:
  const Fault* FindFault(FaultKind kind) const;
  std::uint64_t Random();
  std::uint32_t RandomIn(std::uint32_t low, std::uint32_t high);

  // What the device says of its own accord (idle output, countdown), in time.
  void Emit(const std::string& line);
  // An answer to the host: at once, or `delayMs` late, or later still with
  // the slow-replies fault.
  void Reply(const std::string& text, long delayMs = 0);
  // Onto the one serial stream: never ahead of what was said before it.
  void Queue(std::int64_t due, std::string bytes, bool reply);
  void Note(const std::string& text);
  // A DBG answer with one code and value (in the slot several-slots asks for).
  void Answer(int code, long value, long delayMs = 0);
  void ReplyBlock(long value);
  bool IdleOutput() const;
  void PlayBlockCountFaults();
  void GiveUp();

  void ProcessInput();
  bool TakeLine(bool blockMode);
  void HandleLine(const std::string& line);
  void PrintInfoBlock();
  void StartPart(std::uint32_t blockTotal);
  void StartCountdown();
  void ResetPartData();
  void TakeBlock(const std::string& block);
  bool ValidBlock(const std::string& block) const;
  void FinishPart();
  void GiveVerdict();
  void WritePart();

  TransponderConfig config_;
  std::uint32_t hostBaud_;
  std::int64_t now_ = 0;
  Phase phase_ = Phase::Idle;
  std::string in_, out_;
  std::vector<std::string> notes_;
  firmware::SplitMix64 random_;
  bool reportedSpeedMismatch_ = false;

  // Idle output and timers.
  std::int64_t nextIdleAt_ = 250;
  int idleSlot_ = 0;
  int countdownLine_ = 0;
  std::int64_t nextCountdownAt_ = 0;
  std::int64_t verdictAt_ = 0;
  std::int64_t partialSince_ = -1;
  std::int64_t quietSince_ = 0;  // the host's last block, or the device's last answer to it
  // Bytes that wait for their time on the serial stream, in order.
  struct Pending {
    std::int64_t due;
    std::string bytes;
    bool reply;  // an answer to the host (the last one starts the give-up time)
  };
  std::deque<Pending> late_;

  // The conversation.
  int readingsSince106_ = -1;  // information blocks printed since the last DBG 106
  int part_ = 1;               // last DBG 107 value
  std::uint32_t blockTotal_ = 0;
  std::uint32_t received_ = 0;  // blocks of this part held
  std::uint32_t imageSum_ = 0;
  std::uint32_t hostSum_ = 0;
  std::array<std::vector<std::uint8_t>, 2> parts_;

  // Fault plan of the current part, and counts over the session.
  std::set<std::uint32_t> loseBlocks_;
  std::uint32_t burstBlock_ = 0;
  long burstLeft_ = 0;
  std::uint32_t repeatBlock_ = 0;
  long repeatLeft_ = 0;
  std::uint32_t wrongBlock_ = 0;
  bool wrongUsed_ = false;
  std::uint32_t oddBlock_ = 0;  // block-reply: the block answered with the fault's value
  bool deaf_ = false;           // dead-line: nothing of this part reaches the device
  bool restartUsed_ = false;
  std::uint32_t blocksThisPart_ = 0;
  std::uint32_t blocksTaken_ = 0;
};

}  // namespace sim
