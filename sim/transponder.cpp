#include "sim/transponder.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <utility>

#include "firmware/code_block.h"
#include "sim/host_sentence.h"
#include "sim/idle_traffic.h"

namespace sim {
namespace {

constexpr std::int64_t kIdleSlotMs = 250;  // one idle sentence per slot
constexpr std::int64_t kNever = INT64_MAX;
constexpr std::size_t kMaxPendingLine = 4096;

std::string Ms(std::int64_t ms) {
  return std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100) + "s";
}

}  // namespace

VirtualTransponder::VirtualTransponder(TransponderConfig config)
    : config_(std::move(config)),
      hostBaud_(config_.baud),
      random_(config_.seed * 0x9E3779B97F4A7C15ull + 1) {}

const Fault* VirtualTransponder::FindFault(FaultKind kind) const {
  for (const Fault& f : config_.faults) {
    if (f.kind == kind) return &f;
  }
  return nullptr;
}

// The seed decides every random choice, so a run can be repeated.
std::uint64_t VirtualTransponder::Random() { return random_.Next(); }

std::uint32_t VirtualTransponder::RandomIn(std::uint32_t low, std::uint32_t high) {
  if (high <= low) return low;
  return low + static_cast<std::uint32_t>(Random() % (high - low + 1));
}

std::size_t VirtualTransponder::BlockSize() const {
  return config_.classDigit == 1 ? firmware::kWireBlockWithSum16 : firmware::kBlockSize;
}

void VirtualTransponder::Note(const std::string& text) {
  notes_.push_back("[" + Ms(now_) + "] " + text);
}

std::vector<std::string> VirtualTransponder::TakeNotes() { return std::exchange(notes_, {}); }

std::string VirtualTransponder::TakeOutput() { return std::exchange(out_, {}); }

bool VirtualTransponder::IdleOutput() const {
  return config_.idleTraffic && FindFault(FaultKind::NoIdle) == nullptr;
}

void VirtualTransponder::Emit(const std::string& line) {
  std::string bytes;
  if (FindFault(FaultKind::Garbage) && Random() % 2 == 0) {
    const std::size_t length = 4 + Random() % 40;
    for (std::size_t i = 0; i < length; ++i) {
      char c = static_cast<char>(Random() & 0xFF);
      bytes += c == '\n' ? '\x7F' : c;
    }
    bytes += "\r\n";
  }
  if (FindFault(FaultKind::LongLines) && Random() % 2 == 0) {
    bytes += "$GPTXT,01,01,02,THIS LINE IS LONGER THAN ANY SENTENCE MAY BE:";
    bytes += std::string(30 + Random() % 40, 'X') + "\r\n";
  }
  bytes += line;
  // At a foreign speed the host's receiver makes garbage of every byte.
  if (hostBaud_ != config_.baud) {
    for (char& c : bytes) c = static_cast<char>(Random() & 0xFF);
  }
  Queue(now_, std::move(bytes), false);
}

void VirtualTransponder::Reply(const std::string& text, long delayMs) {
  if (const Fault* slow = FindFault(FaultKind::SlowReplies)) delayMs += slow->n.value_or(1500);
  if (delayMs == 0) {
    Emit(text);
    quietSince_ = now_;
    return;
  }
  Queue(now_ + delayMs, text, true);
}

void VirtualTransponder::Queue(std::int64_t due, std::string bytes, bool reply) {
  // One serial stream: a line said now goes out after a late answer said
  // before it, never ahead of it.
  if (!late_.empty()) due = std::max(due, late_.back().due);
  if (due <= now_ && late_.empty()) {
    out_ += bytes;
    return;
  }
  late_.push_back({due, std::move(bytes), reply});
}

void VirtualTransponder::Answer(int code, long value, long delayMs) {
  char pair[40];
  std::snprintf(pair, sizeof pair, "%03d,%ld", code, value);
  const Fault* slots = FindFault(FaultKind::SeveralSlots);
  const long slot = slots != nullptr ? slots->n.value_or(4) : 1;
  std::string body = "PZLX,R,DBG";
  for (long i = 1; i <= 4; ++i) {
    if (i < slot) {
      body += ",2" + std::to_string(10 + i) + ",0";  // codes the tool does not act on
    } else if (i == slot) {
      body += std::string(",") + pair;
    } else {
      body += ",,";
    }
  }
  Reply(FrameSentence(body), delayMs);
}

void VirtualTransponder::ReplyBlock(long value) { Answer(104, value); }

void VirtualTransponder::Receive(std::string_view bytes) {
  if (phase_ == Phase::Silent || phase_ == Phase::HungUp || bytes.empty()) return;
  if (deaf_) return;  // the line carries nothing to the device
  if (hostBaud_ != config_.baud) {
    if (!reportedSpeedMismatch_)
      Note("host at " + std::to_string(hostBaud_) + " bit/s: not understood");
    reportedSpeedMismatch_ = true;
    return;
  }
  reportedSpeedMismatch_ = false;
  if (phase_ == Phase::Countdown) {
    // Erasing: deaf, but for a device that counts down in digits only: it
    // announces nothing more after the third digit, which tells the host it
    // is ready, so from there on what arrives waits in its receive buffer.
    if (config_.countdownLines == CountdownLines::DigitsOnly && countdownLine_ >= 3)
      in_.append(bytes);
    return;
  }
  in_.append(bytes);
  ProcessInput();
}

void VirtualTransponder::Advance(std::int64_t ms) {
  const std::int64_t end = now_ + std::max<std::int64_t>(ms, 0);
  for (;;) {
    const std::int64_t idle = phase_ == Phase::Idle && IdleOutput() ? nextIdleAt_ : kNever;
    const std::int64_t countdown = phase_ == Phase::Countdown ? nextCountdownAt_ : kNever;
    const std::int64_t verdict = phase_ == Phase::Programming ? verdictAt_ : kNever;
    // A block that stops arriving half-way is lost; the host hears so.
    const std::int64_t lineMs = static_cast<std::int64_t>(BlockSize()) * 10 * 1000 /
                                std::max<std::uint32_t>(config_.baud, 1);
    const std::int64_t partial =
        phase_ == Phase::Blocks && partialSince_ >= 0 ? partialSince_ + 2 * lineMs + 100 : kNever;
    // A host that stops sending has given the part up; so does the device.
    // The time counts from its last answer, however late that went out.
    const bool waitingForHost =
        (phase_ == Phase::Blocks || phase_ == Phase::FinalCheck) && late_.empty();
    const std::int64_t giveUp =
        waitingForHost && config_.giveUpMs > 0 ? quietSince_ + config_.giveUpMs : kNever;
    const std::int64_t late = late_.empty() ? kNever : late_.front().due;
    const std::int64_t next = std::min({idle, countdown, verdict, partial, giveUp, late});
    if (next > end) break;
    now_ = std::max(now_, next);
    if (next == late) {
      out_ += late_.front().bytes;
      if (late_.front().reply) quietSince_ = now_;
      late_.pop_front();
    } else if (next == verdict) {
      GiveVerdict();
    } else if (next == countdown) {
      if (countdownLine_ < 5) {
        if (config_.countdownLines != CountdownLines::WaitOnly) {
          Emit(std::to_string(5 - countdownLine_) + "\r\n");
        }
        ++countdownLine_;
        nextCountdownAt_ = now_ + config_.countdownStepMs;
      } else {
        if (config_.countdownLines != CountdownLines::DigitsOnly) {
          Emit("wait for firmware upgrade\r\n");
        }
        ResetPartData();
        phase_ = Phase::Blocks;
        quietSince_ = now_;
        Note("erased, waiting for block 1");
        PlayBlockCountFaults();
        if (!in_.empty()) ProcessInput();  // what a digits-only device buffered
      }
    } else if (next == giveUp) {
      GiveUp();
    } else if (next == partial) {
      Note("block " + std::to_string(received_ + 1) + " incomplete");
      in_.clear();
      partialSince_ = -1;
      ReplyBlock(static_cast<long>(received_));
    } else {
      Emit(idleSlot_ % 4 == 0 ? PositionSentence(now_) : VesselReport(idleSlot_ % 4 - 1, now_));
      ++idleSlot_;
      nextIdleAt_ = now_ + kIdleSlotMs;
    }
  }
  now_ = end;
}

void VirtualTransponder::ProcessInput() {
  while (!in_.empty()) {
    if (phase_ == Phase::Countdown || phase_ == Phase::Silent || phase_ == Phase::HungUp) {
      in_.clear();
      return;
    }
    if (phase_ != Phase::Blocks) {
      if (!TakeLine(false)) return;
      continue;
    }
    // Blocks: a sentence starts with '$', a block with its magic C0DE;
    // anything else between them is noise.
    const std::size_t start = in_.find_first_of("$C");
    if (start == std::string::npos) {
      in_.clear();
      return;
    }
    in_.erase(0, start);
    if (in_[0] == '$') {
      if (!TakeLine(true)) return;
      continue;
    }
    const std::size_t have = std::min<std::size_t>(in_.size(), 4);
    if (in_.compare(0, have, "C0DE", have) != 0) {
      in_.erase(0, 1);
      continue;
    }
    if (in_.size() < BlockSize()) {
      if (partialSince_ < 0) partialSince_ = now_;
      return;
    }
    partialSince_ = -1;
    const std::string block = in_.substr(0, BlockSize());
    in_.erase(0, BlockSize());
    TakeBlock(block);
  }
}

bool VirtualTransponder::TakeLine(bool blockMode) {
  const std::size_t lf = in_.find('\n');
  if (lf == std::string::npos) {
    // A '$' with no line end in sight while blocks flow was noise.
    if (blockMode && in_.size() > 100) {
      in_.erase(0, 1);
      return true;
    }
    if (in_.size() > kMaxPendingLine) in_.clear();
    return false;
  }
  const std::string line = in_.substr(0, lf);
  in_.erase(0, lf + 1);
  HandleLine(line);
  return true;
}

void VirtualTransponder::HandleLine(const std::string& line) {
  const std::size_t dollar = line.find('$');
  HostSentence s;
  if (dollar == std::string::npos || !ReadHostSentence(std::string_view(line).substr(dollar), s))
    return;

  long code = 0, value = 0;
  if (s.formatter == "DBG" && FieldInteger(s, 0, code)) {
    const bool hasValue = FieldInteger(s, 1, value);
    if (code == 106 && phase_ == Phase::Idle) {
      readingsSince106_ = 0;
      PrintInfoBlock();
    } else if (code == 107 && hasValue && (value == 1 || value == 2) && phase_ == Phase::Idle) {
      part_ = static_cast<int>(value);
      Note(value == 1 ? "kernel part requested" : "application part requested");
      long answer = value;
      if (const Fault* f = FindFault(FaultKind::PartReply)) answer = f->n.value_or(3 - value);
      if (const Fault* f = FindFault(FaultKind::ApplicationReply); f && value == 2)
        answer = f->n.value_or(1);
      const Fault* slow = FindFault(FaultKind::SlowPartReply);
      Answer(3, answer, slow != nullptr ? slow->n.value_or(6000) : 0);
    } else if (code == 103 && hasValue && value > 0) {
      if (phase_ == Phase::Idle) {
        StartPart(static_cast<std::uint32_t>(value));
      } else if (phase_ == Phase::Blocks && received_ > 0) {
        Note("block count again: taking the part from block 1");
        ResetPartData();
        quietSince_ = now_;
      }
    }
  } else if (s.formatter == "TST" && FieldInteger(s, 4, value) && phase_ == Phase::Idle) {
    if (value == 16) PrintInfoBlock();
  } else if (s.formatter == "TPS" && FieldInteger(s, 0, code) && code == 40 &&
             phase_ == Phase::FinalCheck) {
    const std::string text = s.fields.size() > 1 ? s.fields[1] : std::string();
    std::uint32_t sum = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), sum, 16);
    hostSum_ =
        ec == std::errc() && end == text.data() + text.size() && !text.empty() ? sum : ~imageSum_;
    phase_ = Phase::Programming;
    verdictAt_ = now_ + config_.programmingMs;
    Note("image sum " + text + " received; programming");
  }
}

void VirtualTransponder::PrintInfoBlock() {
  const int reading = readingsSince106_ >= 0 ? readingsSince106_++ : -1;
  std::string serial = config_.serial;
  if (reading == 1 && FindFault(FaultKind::InfoDiffers)) {
    if (serial.empty()) serial = "0";
    serial.back() = serial.back() == '0' ? '1' : '0';
  }
  std::vector<std::string> lines = {"[STATIC DATA]", "Firmware=" + config_.firmware,
                                    "S/N:(" + serial + ")"};
  if (config_.classDigit) lines.push_back("[ClassA]=" + std::to_string(*config_.classDigit));
  lines.push_back("[END OF STATIC DATA]");
  if (config_.language) {
    const auto& l = *config_.language;
    lines.push_back("[MKD]Language=" + std::to_string(l[0]) + "," + std::to_string(l[1]) + "," +
                    std::to_string(l[2]) + "," + std::to_string(l[3]));
  }
  lines.push_back("[DEVICE DATA END]");
  std::string block;
  for (const std::string& line : lines) block += line + "\r\n";
  // Printed whole, in one answer: noise never falls inside, and a sentence
  // only by the fault (the host ends the block there).
  if (const Fault* f = FindFault(FaultKind::InfoSentence)) {
    const std::size_t after =
        std::min<std::size_t>(static_cast<std::size_t>(f->n.value_or(3)), lines.size() - 1);
    std::size_t at = 0;
    for (std::size_t i = 0; i < after; ++i) at += lines[i].size() + 2;
    block.insert(at, PositionSentence(now_));
  }
  Reply(block);
  Note("information block printed (S/N " + serial + ")");
}

void VirtualTransponder::StartPart(std::uint32_t blockTotal) {
  blockTotal_ = blockTotal;
  blocksThisPart_ = 0;
  Note((part_ == 1 ? "kernel" : "application") + std::string(": ") + std::to_string(blockTotal) +
       " blocks announced");
  // The fault plan of this part; block numbers below the end block.
  const std::uint32_t last = blockTotal > 1 ? blockTotal - 1 : 1;
  loseBlocks_.clear();
  if (const Fault* f = FindFault(FaultKind::LoseBlock)) {
    const auto want = static_cast<std::size_t>(std::min<long>(f->n.value_or(1), last));
    while (loseBlocks_.size() < want) loseBlocks_.insert(RandomIn(1, last));
  }
  burstLeft_ = 0;
  if (const Fault* f = FindFault(FaultKind::LoseBurst)) {
    burstBlock_ = RandomIn(1, last);
    burstLeft_ = f->n.value_or(1000);
  }
  oddBlock_ = 0;
  if (FindFault(FaultKind::BlockReply))
    oddBlock_ = RandomIn(std::min<std::uint32_t>(2, last), last);
  repeatLeft_ = 0;
  if (const Fault* f = FindFault(FaultKind::RepeatRequest)) {
    repeatBlock_ = RandomIn(1, last);
    repeatLeft_ = f->n.value_or(1);
  }
  if (const Fault* f = FindFault(FaultKind::WrongBlock); f && !wrongUsed_) {
    wrongBlock_ = f->n ? static_cast<std::uint32_t>(*f->n) : RandomIn(1, last);
  }
  StartCountdown();
}

void VirtualTransponder::StartCountdown() {
  deaf_ = false;
  phase_ = Phase::Countdown;
  countdownLine_ = 0;
  nextCountdownAt_ = now_ + config_.countdownStepMs;
  in_.clear();
  partialSince_ = -1;
}

void VirtualTransponder::ResetPartData() {
  received_ = 0;
  imageSum_ = 0;
  parts_[part_ == 2 ? 1 : 0].clear();
}

bool VirtualTransponder::ValidBlock(const std::string& block) const {
  const auto* b = reinterpret_cast<const std::uint8_t*>(block.data());
  if (!firmware::HasMagic(b)) return false;
  const unsigned n = firmware::BlockDataLength(b);
  if (n == 0) return true;  // the end block: nothing more to check
  if (n > firmware::kDataAreaSize) return false;
  const firmware::CodeSums sums = firmware::SumCode(firmware::CodeBytes(b));
  if (BlockSize() == firmware::kWireBlockWithSum16) return (b[262] | (b[263] << 8)) == sums.sum16;
  return sums.check == b[firmware::kCheckOffset];
}

void VirtualTransponder::TakeBlock(const std::string& block) {
  const std::uint32_t expected = received_ + 1;
  const auto previous = static_cast<long>(received_);
  if (!ValidBlock(block)) {
    Note("block " + std::to_string(expected) + " damaged");
    ReplyBlock(previous);
    return;
  }
  if (loseBlocks_.erase(expected) > 0 ||
      (expected == burstBlock_ && burstLeft_ > 0 && burstLeft_--)) {
    Note("block " + std::to_string(expected) + " lost (fault)");
    ReplyBlock(previous);
    return;
  }
  if (expected == repeatBlock_ && repeatLeft_ > 0) {
    --repeatLeft_;
    Note("block " + std::to_string(expected) + ": repeat asked (fault)");
    ReplyBlock(-1);
    return;
  }
  if (expected == wrongBlock_ && !wrongUsed_) {
    wrongUsed_ = true;
    Note("block " + std::to_string(expected) + " answered with a wrong number (fault)");
    ReplyBlock(static_cast<long>(expected) + 2);
    return;
  }
  long answer = static_cast<long>(expected);
  if (expected == oddBlock_) {
    oddBlock_ = 0;
    answer = FindFault(FaultKind::BlockReply)->n.value_or(0);
    Note("block " + std::to_string(expected) + " answered " + std::to_string(answer) + " (fault)");
    // Asking for the block again, the device has not kept it.
    if (answer == -1 || answer == previous) {
      ReplyBlock(answer);
      return;
    }
  }

  // Kept as stored in the image: a 264-byte block gets its check byte back.
  const auto* b = reinterpret_cast<const std::uint8_t*>(block.data());
  const unsigned n = firmware::BlockDataLength(b);
  std::vector<std::uint8_t>& image = parts_[part_ == 2 ? 1 : 0];
  image.insert(image.end(), b, b + firmware::kCheckOffset);
  const firmware::CodeSums sums = firmware::SumCode(firmware::CodeBytes(b));
  imageSum_ += sums.sum;
  image.push_back(n == 0 ? b[firmware::kCheckOffset] : sums.check);
  received_ = expected;
  if (n == 0) {
    FinishPart();
    return;
  }
  ++blocksThisPart_;
  ++blocksTaken_;
  ReplyBlock(answer);
  PlayBlockCountFaults();
}

// The faults that strike after N blocks: checked after each block taken and
// when the device starts waiting for block 1, where N = 0 strikes.
void VirtualTransponder::PlayBlockCountFaults() {
  const auto reached = [](const Fault* f, std::uint32_t count, long byDefault) {
    return f != nullptr && count == static_cast<std::uint32_t>(f->n.value_or(byDefault));
  };
  if (reached(FindFault(FaultKind::Silent), blocksTaken_, 3)) {
    Note("falls silent (fault)");
    phase_ = Phase::Silent;
  } else if (reached(FindFault(FaultKind::Hangup), blocksTaken_, 5)) {
    Note("hangs up (fault)");
    phase_ = Phase::HungUp;
  } else if (!restartUsed_ && reached(FindFault(FaultKind::RestartCountdown), blocksThisPart_, 3)) {
    restartUsed_ = true;
    Note("restarts the countdown (fault)");
    StartCountdown();
  } else if (reached(FindFault(FaultKind::DeadLine), blocksThisPart_, 3)) {
    Note("the line goes dead (fault)");
    deaf_ = true;
    in_.clear();
  }
}

void VirtualTransponder::GiveUp() {
  Note("nothing from the host for " + Ms(config_.giveUpMs) + ": part given up, idle again");
  deaf_ = false;
  phase_ = Phase::Idle;
  in_.clear();
  partialSince_ = -1;
  nextIdleAt_ = now_ + kIdleSlotMs;
}

void VirtualTransponder::FinishPart() {
  Note(std::string(part_ == 1 ? "kernel" : "application") +
       " received: " + std::to_string(received_) + " blocks; asking for the image sum");
  WritePart();
  phase_ = Phase::FinalCheck;
  ReplyBlock(-8889);
}

void VirtualTransponder::WritePart() {
  if (config_.outDir.empty()) return;
  const std::filesystem::path path =
      config_.outDir / (part_ == 1 ? "kernel.bin" : "application.bin");
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const auto& image = parts_[part_ == 2 ? 1 : 0];
  out.write(reinterpret_cast<const char*>(image.data()),
            static_cast<std::streamsize>(image.size()));
  out.close();  // written only once the close succeeded
  Note(out ? "wrote " + path.string() : "cannot write " + path.string());
}

void VirtualTransponder::GiveVerdict() {
  const auto forPart = [this](FaultKind kind) {
    const Fault* f = FindFault(kind);
    return f != nullptr && f->n.value_or(1) == part_;
  };
  long verdict = -8888;
  if (forPart(FaultKind::ProgramFail)) {
    verdict = -4444;
  } else if (forPart(FaultKind::BadSum) || hostSum_ != imageSum_) {
    verdict = -4445;
  }
  Note("verdict " + std::to_string(verdict));
  phase_ = Phase::Idle;
  ReplyBlock(verdict);
  if (verdict == -8888 && part_ == 2 && FindFault(FaultKind::InfoAfterUpgrade)) {
    Note("prints its information block again (fault)");
    PrintInfoBlock();
  }
  // The idle output resumes a slot after the last answer has gone out.
  nextIdleAt_ = (late_.empty() ? now_ : late_.back().due) + kIdleSlotMs;
}

}  // namespace sim
