// What the wizard fuzzer found (fuzz/wizard_fuzz.cpp), one row each: a
// small device that answers the host as the row says, the user's plan, and
// whether the upgrade may finish. Every run is judged by the fuzzer's own
// check of the conversation, which must find nothing wrong.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fuzz/checked_run.h"

namespace wizard_test {
namespace {

using wizard_fuzz::kPort;

std::string Sentence(const std::string& body) {
  unsigned sum = 0;
  for (std::size_t i = 1; i < body.size(); ++i) sum ^= static_cast<unsigned char>(body[i]);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum & 0xFF);
  return body + tail;
}

std::string BlockReply(long value) {
  return Sentence("$PZLX,R,DBG,104," + std::to_string(value) + ",,,,,,");
}

// The device's answers to block n of `total` (the end block included); after
// the image sum it answers -8888.
using BlockAnswers = std::function<std::vector<long>(long n, long total)>;

struct Finding {
  const char* name;
  BlockAnswers answers;
  bool finishes;
};

// A device reduced to what the rows need: idle traffic and its information
// block on every probe, the part it is asked for, and the row's answers to
// blocks.
class ScriptedDevice {
 public:
  explicit ScriptedDevice(BlockAnswers answers) : answers_(std::move(answers)) {}

  void HostWrote(std::string_view bytes) {
    const std::string text(bytes);
    if (text.rfind("$PZLX,C,DBG,700,", 0) == 0) {
      out_ +=
          "!AIVDM,1,1,,A,13m632UP00PihRB2h>4?v40000,0*44\r\n"
          "$GPRMC,120000.00,A,5956.4200,N,01043.5100,E,0.0,0.0,100626,,,A*55\r\n"
          "[STATIC DATA]\r\nFirmware=V1.0.0\r\nS/N:(1234567)\r\n[ClassA]=0\r\n"
          "[END OF STATIC DATA]\r\n[MKD]Language=1,2,3,5\r\n[DEVICE DATA END]\r\n";
    } else if (const auto at = text.find("DBG,107,"); at != std::string::npos) {
      out_ += Sentence("$PZLX,R,DBG,003," + text.substr(at + 8, 1) + ",,,,,,");
      block_ = 0;
    } else if (text.find("DBG,103,") != std::string::npos) {
      total_ = std::stol(text.substr(text.find("DBG,103,") + 8));
    } else if (text.rfind("$PTPS,", 0) == 0) {
      out_ += BlockReply(-8888);
    } else if (text.rfind("C0DE", 0) == 0) {
      for (const long value : answers_(++block_, total_)) out_ += BlockReply(value);
    }
  }
  void Deliver(comm::MemoryLine& line) {
    if (!out_.empty() && line.IsOpen()) line.SendToHost(out_);
    out_.clear();
  }

 private:
  BlockAnswers answers_;
  std::string out_;
  long block_ = 0;
  long total_ = 0;
};

class WizardFuzzFinding : public ::testing::TestWithParam<Finding> {
 public:
  static void TearDownTestSuite() { std::filesystem::remove_all(wizard_fuzz::FirmwareFolder()); }
};

TEST_P(WizardFuzzFinding, IsHandledAsItsRowSays) {
  harness::VirtualRig rig({wizard_fuzz::FirmwareFolder(), {}});
  ScriptedDevice device(GetParam().answers);
  rig.AddFarEnd(kPort, [&](std::int64_t, comm::MemoryLine& line) { device.Deliver(line); });
  const wizard_fuzz::CheckedRun run =
      wizard_fuzz::PlayChecked(rig, wizard_fuzz::UserPlan{}, 120'000,
                               [&](std::string_view bytes) { device.HostWrote(bytes); });
  EXPECT_EQ(run.fault, "");
  EXPECT_EQ(run.finished, GetParam().finishes);
}

// Acknowledges every block; after the end block asks for the image sum.
std::vector<long> Proper(long n, long total) {
  if (n < total) return {n};
  return {n, -8889};
}

INSTANTIATE_TEST_SUITE_P(Wizard, WizardFuzzFinding,
                         ::testing::Values(
                             // The conversation as it should go: the rows below differ from it.
                             Finding{"Proper", Proper, true},
                             // "Programmed" straight after the end block, the image sum never
                             // asked for: the kernel was taken as done and the application
                             // requested, then the upgrade reported finished, with no sum checked.
                             Finding{"ProgrammedWithoutTheSum",
                                     [](long n, long total) {
                                       return n < total ? std::vector<long>{n}
                                                        : std::vector<long>{-8888};
                                     },
                                     false},
                             // What the fuzzer found: the sum asked for one block early (taken as
                             // an acknowledgement, as the rules say), then "programmed" for the
                             // end block before any sum went out.
                             Finding{"SumAskedEarlyThenProgrammed",
                                     [](long n, long total) {
                                       if (n == total - 1) return std::vector<long>{-8889};
                                       if (n == total) return std::vector<long>{-8888};
                                       return std::vector<long>{n};
                                     },
                                     false}),
                         [](const ::testing::TestParamInfo<Finding>& row) {
                           return std::string(row.param.name);
                         });

}  // namespace
}  // namespace wizard_test
