#pragma once
// A scripted host for the virtual transponder in virtual time: sends the
// tool's commands and blocks, reads the device's lines, and runs a part's
// transfer by the device's rules (blocks from the "wait" line on, the next
// block on an acknowledgement or any answer that is not a block number, the
// same block again on the previous number or -1, the image sum on -8889
// after the end block). It drives the device alone, to test its
// conversation line by line; the real sequencer meets the device in the
// whole-wizard tests (tests/connect).

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "firmware/code_block.h"
#include "nmea/framing.h"
#include "sim/host_sentence.h"
#include "sim/transponder.h"

namespace sim::testing {

class ScriptedHost {
 public:
  explicit ScriptedHost(VirtualTransponder& device) : device_(device) {}

  void Send(const std::string& bytes) { device_.Receive(bytes); }
  void Command(const std::string& body) { Send(FrameSentence(body)); }
  void Probe(int value) {
    Command("PZLX,C,DBG,700,1,,,,,,");
    Command("PTST,,,,," + std::string(value == 16 ? "00016" : "00000"));
  }

  // Lets virtual time pass in 10 ms steps until a line satisfying `wanted`
  // arrives; every line on the way is kept in `seen`.
  std::optional<std::string> WaitLine(const std::function<bool(const std::string&)>& wanted,
                                      std::int64_t maxMs = 20000) {
    for (std::int64_t waited = 0;; waited += 10) {
      Collect();
      while (!lines_.empty()) {
        std::string line = std::move(lines_.front());
        lines_.pop_front();
        seen.push_back(line);
        if (wanted(line)) return line;
      }
      if (waited >= maxMs) return std::nullopt;
      device_.Advance(10);
    }
  }
  std::optional<std::string> WaitLine(const std::string& exact, std::int64_t maxMs = 20000) {
    return WaitLine([&](const std::string& l) { return l == exact; }, maxMs);
  }

  // The next information block, "[STATIC DATA]" to "[DEVICE DATA END]".
  std::vector<std::string> ReadInfoBlock() {
    std::vector<std::string> block;
    if (!WaitLine("[STATIC DATA]", 3000)) return block;
    block.push_back("[STATIC DATA]");
    while (auto line = WaitLine([](const std::string&) { return true; }, 0)) {
      block.push_back(*line);
      if (*line == "[DEVICE DATA END]") break;
    }
    return block;
  }

  // The value of the next DBG reply under `code`, if one comes in time.
  std::optional<long> WaitReply(int code, std::int64_t maxMs = 5000) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "$PZLX,R,DBG,%03d,", code);
    const auto line =
        WaitLine([&](const std::string& l) { return l.rfind(prefix, 0) == 0; }, maxMs);
    if (!line || !nmea::VerifyChecksum((*line + "\r\n").c_str())) return std::nullopt;
    return std::stol(line->substr(std::string(prefix).size()));
  }

  struct Transfer {
    std::vector<long> replies;  // every 104 reply, in order
    std::optional<long> verdict;
    std::uint32_t blocksSent = 0;
    bool abandoned = false;  // too many repetitions, as the tool judges them
  };

  // One part: the block count five times, the countdown, then the blocks.
  // Stops at the verdict, where the tool would abandon (a wrong block
  // number; more repetitions than blocks sent, or than a quarter of the
  // image before that), or when the device stays silent.
  // With `countdownSeen` the device has just counted down again: the block
  // count goes once, and block 1 follows at once.
  Transfer RunTransfer(const std::vector<std::uint8_t>& image, bool sum16,
                       bool sendCorrectSum = true, bool countdownSeen = false) {
    Transfer t;
    const std::uint32_t total = static_cast<std::uint32_t>(image.size() / firmware::kBlockSize);
    for (int i = 0; i < (countdownSeen ? 1 : 5); ++i)
      Command("PZLX,R,DBG,103," + std::to_string(total) + ",,0,,0,,0");
    if (!countdownSeen && !WaitLine("wait for firmware upgrade", 10000)) return t;
    std::uint32_t current = 1;
    std::uint32_t repetitions = 0;
    SendBlock(image, current, sum16, t);
    for (;;) {
      const auto reply = WaitReply(104);
      if (!reply) return t;
      t.replies.push_back(*reply);
      const long r = *reply;
      if (r == -1 || r == static_cast<long>(current) - 1) {
        if (++repetitions > std::max(current, total / 4)) {
          t.abandoned = true;
          return t;
        }
        SendBlock(image, current, sum16, t);
      } else if (r > 0 && r != static_cast<long>(current)) {
        return t;  // a wrong block number: the tool abandons
      } else if (current < total) {
        SendBlock(image, ++current, sum16, t);  // any other answer counts as received
      } else if (r == -8889) {
        char sum[16];
        std::snprintf(sum, sizeof sum, "%08X", ImageSum(image) + (sendCorrectSum ? 0 : 1));
        Command(std::string("PTPS,040,") + sum);
        t.verdict = WaitReply(104);
        return t;
      } else {
        return t;  // past the end block the tool waits for -8889
      }
    }
  }

  static std::uint32_t ImageSum(const std::vector<std::uint8_t>& image) {
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at + firmware::kBlockSize <= image.size();
         at += firmware::kBlockSize) {
      const unsigned n = firmware::BlockDataLength(&image[at]);
      for (unsigned i = 0; i < n; ++i) sum += image[at + firmware::kDataOffset + i];
    }
    return sum;
  }

  std::vector<std::string> seen;

 private:
  void SendBlock(const std::vector<std::uint8_t>& image, std::uint32_t number, bool sum16,
                 Transfer& t) {
    firmware::BlockBuffer block{};
    std::copy_n(image.begin() + (number - 1) * firmware::kBlockSize, firmware::kBlockSize,
                block.begin());
    const std::size_t length = firmware::PrepareWireBlock(block, sum16);
    Send(std::string(reinterpret_cast<const char*>(block.data()), length));
    ++t.blocksSent;
  }

  void Collect() {
    partial_ += device_.TakeOutput();
    std::size_t lf;
    while ((lf = partial_.find('\n')) != std::string::npos) {
      std::string line = partial_.substr(0, lf);
      partial_.erase(0, lf + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines_.push_back(std::move(line));
    }
  }

  VirtualTransponder& device_;
  std::string partial_;
  std::deque<std::string> lines_;
};

}  // namespace sim::testing
