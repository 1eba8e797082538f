// The virtual transponder's clock: a part the host gives up, slow answers,
// the countdown's lines and a hang-up that lets its last answer through.

#include <gtest/gtest.h>

#include "tests/sim/scripted_host.h"
#include "tests/sim/sim_test_support.h"

namespace sim {
namespace {

using testing::FaultOf;
using testing::kInfoBlock;
using testing::ScriptedHost;
using testing::SmallImage;
using Phase = VirtualTransponder::Phase;

// Block `number` (1-based) of `image`, as the tool sends it.
std::string Block(const std::vector<std::uint8_t>& image, std::size_t number) {
  const auto start =
      image.begin() + static_cast<std::ptrdiff_t>((number - 1) * firmware::kBlockSize);
  return std::string(start, start + static_cast<std::ptrdiff_t>(firmware::kBlockSize));
}

TEST(TransponderTiming, APartTheHostAbandonsIsGivenUpAndTheNextRunWorks) {
  // The tool abandons at a wrong block number, with the device waiting for a
  // block; or after the end block, with the device waiting for the sum.
  struct Case {
    const char* name;
    std::vector<Fault> faults;
    bool stopAtSum;
    Phase waiting;
  } cases[] = {
      {"wrong block count", {FaultOf("wrong-block:3")}, false, Phase::Blocks},
      {"no image sum", {}, true, Phase::FinalCheck},
  };
  const auto image = SmallImage(5 * 256);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TransponderConfig config;
    config.faults = c.faults;
    VirtualTransponder device(config);
    ScriptedHost host(device);
    if (c.stopAtSum) {
      host.Command("PZLX,R,DBG,103,6,,0,,0,,0");
      ASSERT_TRUE(host.WaitLine("wait for firmware upgrade"));
      for (std::size_t n = 1; n <= 6; ++n) {
        host.Send(Block(image, n));
        ASSERT_EQ(host.WaitReply(104), n == 6 ? -8889 : static_cast<long>(n));
      }
    } else {
      const auto t = host.RunTransfer(image, false);
      ASSERT_EQ(t.replies.back(), 5);  // block 3 answered as 5: the tool gives up
    }
    ASSERT_EQ(device.CurrentPhase(), c.waiting);
    // Still waiting just before the quiet time is over: no probe answered.
    host.Probe(16);
    device.Advance(2900);
    EXPECT_EQ(device.CurrentPhase(), c.waiting);
    EXPECT_TRUE(host.ReadInfoBlock().empty());
    device.Advance(200);
    EXPECT_EQ(device.CurrentPhase(), Phase::Idle);
    host.Probe(16);
    EXPECT_EQ(host.ReadInfoBlock(), kInfoBlock);
    EXPECT_TRUE(
        host.WaitLine([](const std::string& l) { return l.rfind("$GPRMC", 0) == 0; }, 2000));
    // The user starts again from the wizard.
    host.Command("PZLX,R,DBG,107,1,,0,,0,,0");
    EXPECT_EQ(host.WaitReply(3), 1);
    host.Command("PZLX,R,DBG,107,2,,0,,0,,0");
    EXPECT_EQ(host.WaitReply(3), 2);
    EXPECT_EQ(host.RunTransfer(image, false).verdict, -8888);
  }
}

TEST(TransponderTiming, SlowAnswersComeLateButWhole) {
  TransponderConfig config;
  config.faults = {FaultOf("slow-replies:1500")};
  VirtualTransponder device(config);
  ScriptedHost host(device);
  // Two probes a second apart: both blocks arrive afterwards, whole.
  host.Probe(16);
  device.Advance(1000);
  host.Probe(16);
  EXPECT_FALSE(host.WaitLine("[STATIC DATA]", 400));  // 1400 ms after the first probe
  EXPECT_EQ(host.ReadInfoBlock(), kInfoBlock);        // at 1500 ms
  EXPECT_EQ(host.ReadInfoBlock(), kInfoBlock);        // at 2500 ms

  host.Command("PZLX,R,DBG,107,1,,0,,0,,0");
  EXPECT_FALSE(host.WaitReply(3, 1400).has_value());
  EXPECT_EQ(host.WaitReply(3, 200), 1);
}

TEST(TransponderTiming, AnswersSlowerThanTheQuietTimeDoNotEndThePart) {
  // The device waits for the host from its own last answer, not from the
  // block: with answers 3.5 s late the whole part still goes through.
  TransponderConfig config;
  config.faults = {FaultOf("slow-replies:3500")};
  VirtualTransponder device(config);
  ScriptedHost host(device);
  const auto image = SmallImage(3 * 256);
  const auto t = host.RunTransfer(image, false);
  EXPECT_EQ(t.replies, (std::vector<long>{1, 2, 3, -8889}));
  EXPECT_EQ(t.verdict, -8888);
  EXPECT_EQ(device.ReceivedPart(1), image);
}

TEST(TransponderTiming, TheCountdownPrintsItsDigitsItsWaitLineOrBothInTheSameTime) {
  struct Case {
    CountdownLines lines;
    std::vector<std::string> printed;
  } cases[] = {
      {CountdownLines::Both, {"5", "4", "3", "2", "1", "wait for firmware upgrade"}},
      {CountdownLines::DigitsOnly, {"5", "4", "3", "2", "1"}},
      {CountdownLines::WaitOnly, {"wait for firmware upgrade"}},
  };
  const auto image = SmallImage(300);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.printed.size());
    TransponderConfig config;
    config.countdownLines = c.lines;
    config.idleTraffic = false;
    VirtualTransponder device(config);
    ScriptedHost host(device);
    host.Command("PZLX,R,DBG,103,2,,0,,0,,0");
    // Six steps of 400 ms: a block before the last is not taken.
    device.Advance(2399);
    host.Send(Block(image, 1));
    EXPECT_EQ(device.CurrentPhase(), Phase::Countdown);
    device.Advance(1);
    EXPECT_EQ(device.CurrentPhase(), Phase::Blocks);
    host.Send(Block(image, 1));
    EXPECT_EQ(host.WaitReply(104, 0), 1);
    host.seen.pop_back();
    EXPECT_EQ(host.seen, c.printed);
  }
}

TEST(TransponderTiming, AHangUpClosesTheLineOnlyOnceItsLastAnswerIsTaken) {
  for (const char* slow : {"", "slow-replies:700"}) {
    SCOPED_TRACE(slow);
    TransponderConfig config;
    config.faults = {FaultOf("hangup:1")};
    if (*slow) config.faults.push_back(FaultOf(slow));
    config.idleTraffic = false;
    VirtualTransponder device(config);
    const auto image = SmallImage(600);
    device.Receive("$PZLX,R,DBG,103,3,,0,,0,,0*3C\r\n");
    device.Advance(2400);
    ASSERT_EQ(device.CurrentPhase(), Phase::Blocks);
    device.TakeOutput();
    device.Receive(Block(image, 1));
    EXPECT_EQ(device.CurrentPhase(), Phase::HungUp);
    EXPECT_FALSE(device.HungUp());  // the answer to block 1 has not left yet
    device.Advance(*slow ? 700 : 0);
    EXPECT_FALSE(device.HungUp());
    EXPECT_EQ(device.TakeOutput(), "$PZLX,R,DBG,104,1,,,,,,*09\r\n");
    EXPECT_TRUE(device.HungUp());
    device.Receive(Block(image, 2));  // nobody listens any more
    device.Advance(1000);
    EXPECT_EQ(device.TakeOutput(), "");
  }
}

}  // namespace
}  // namespace sim
