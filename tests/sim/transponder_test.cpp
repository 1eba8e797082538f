// The virtual transponder in virtual time against a scripted host: the whole
// conversation, and what each fault makes the device answer.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "firmware/image_writer.h"
#include "nmea/sentence_library.h"
#include "sim/idle_traffic.h"
#include "tests/sim/scripted_host.h"
#include "tests/sim/sim_test_support.h"

namespace sim {
namespace {

namespace fs = std::filesystem;
using testing::FaultOf;
using testing::kInfoBlock;
using testing::ReadFile;
using testing::ScriptedHost;
using testing::SmallImage;

class TransponderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("aisfw-sim-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Probe, information block twice, and the part request: what the tool
  // does before a transfer.
  static void Identify(ScriptedHost& host, int part) {
    host.Probe(16);
    ASSERT_EQ(host.ReadInfoBlock().size(), kInfoBlock.size());
    host.Command("PDBG,106,1,,,,,,");
    ASSERT_EQ(host.ReadInfoBlock().size(), kInfoBlock.size());
    host.Probe(16);
    ASSERT_EQ(host.ReadInfoBlock().size(), kInfoBlock.size());
    host.Probe(0);
    host.Command("PZLX,R,DBG,107," + std::to_string(part) + ",,0,,0,,0");
    ASSERT_EQ(host.WaitReply(3), part);
  }

  fs::path dir_;
};

TEST_F(TransponderTest, PlaysTheWholeUpgradeAndKeepsBothPartsByteForByte) {
  std::string error;
  ASSERT_TRUE(firmware::WriteSampleFirmware(dir_ / "fw", error)) << error;
  const auto kernel = ReadFile(dir_ / "fw" / firmware::ImagePath(700));
  const auto application = ReadFile(dir_ / "fw" / firmware::ImagePath(703));

  for (int classDigit : {0, 1}) {  // class 1 takes 264-byte blocks with the 16-bit sum
    SCOPED_TRACE(classDigit);
    TransponderConfig config;
    config.classDigit = classDigit;
    config.outDir = dir_;
    VirtualTransponder device(config);
    ScriptedHost host(device);

    host.Command("PZLX,C,DBG,700,1,,,,,,");
    host.Command("PTST,,,,,00016");
    std::vector<std::string> expected = kInfoBlock;
    expected[3] = "[ClassA]=" + std::to_string(classDigit);
    EXPECT_EQ(host.ReadInfoBlock(), expected);
    // The information request comes without the maker prefix while the
    // host has received no DBG sentence yet.
    host.Command("PDBG,106,1,,,,,,");
    EXPECT_EQ(host.ReadInfoBlock(), expected);
    host.Probe(16);
    EXPECT_EQ(host.ReadInfoBlock(), expected);
    host.Probe(0);
    EXPECT_TRUE(host.ReadInfoBlock().empty());  // probing is over

    host.Command("PDBG,107,1,,0,,0,,0");
    const std::string ready = FrameSentence("PZLX,R,DBG,003,1,,,,,,");
    ASSERT_TRUE(host.WaitLine(ready.substr(0, ready.size() - 2)));
    const auto seenBefore = host.seen.size();
    const ScriptedHost::Transfer k = host.RunTransfer(kernel, classDigit == 1);
    // The countdown came before any block was taken.
    const std::vector<std::string> countdown(
        host.seen.begin() + static_cast<std::ptrdiff_t>(seenBefore),
        host.seen.begin() + static_cast<std::ptrdiff_t>(seenBefore) + 6);
    EXPECT_EQ(countdown,
              (std::vector<std::string>{"5", "4", "3", "2", "1", "wait for firmware upgrade"}));
    ASSERT_EQ(k.verdict, -8888);
    const long kernelBlocks = static_cast<long>(kernel.size() / firmware::kBlockSize);
    ASSERT_EQ(k.replies.size(), static_cast<std::size_t>(kernelBlocks));
    for (long i = 1; i < kernelBlocks; ++i)
      EXPECT_EQ(k.replies[static_cast<std::size_t>(i - 1)], i);
    EXPECT_EQ(k.replies.back(), -8889);

    host.Command("PZLX,R,DBG,107,2,,0,,0,,0");
    ASSERT_EQ(host.WaitReply(3), 2);
    const ScriptedHost::Transfer a = host.RunTransfer(application, classDigit == 1);
    EXPECT_EQ(a.verdict, -8888);
    EXPECT_EQ(a.blocksSent, application.size() / firmware::kBlockSize);

    EXPECT_EQ(device.ReceivedPart(1), kernel);
    EXPECT_EQ(ReadFile(dir_ / "kernel.bin"), kernel);
    EXPECT_EQ(ReadFile(dir_ / "application.bin"), application);
    EXPECT_EQ(device.CurrentPhase(), VirtualTransponder::Phase::Idle);
  }
}

TEST_F(TransponderTest, IdleTrafficIsValidNmeaAndAis) {
  VirtualTransponder device(TransponderConfig{});
  ScriptedHost host(device);
  host.WaitLine([](const std::string&) { return false; }, 3000);
  int rmc = 0, vdm = 0;
  nmea::SentenceLibrary library;
  for (const std::string& line : host.seen) {
    EXPECT_TRUE(nmea::VerifyChecksum((line + "\r\n").c_str())) << line;
    if (line.rfind("$GPRMC,", 0) == 0) ++rmc;
    if (line.rfind("!AIVDM,", 0) == 0) {
      ++vdm;
      nmea::SentenceRecord record{};
      EXPECT_TRUE(library.ParseSentence(line + "\r\n", record))
          << line << ": " << nmea::FaultName(library.LastFault());
    }
  }
  EXPECT_GE(rmc, 2);
  EXPECT_GE(vdm, 6);
  // Six-bit armouring: 000001 -> '1', 101000 (40) -> '`', 111111 -> 'w'.
  EXPECT_EQ(ArmourPayload("000001101000111111"), "1`w");
}

TEST_F(TransponderTest, AtAnotherLineSpeedItNeitherUnderstandsNorIsUnderstood) {
  VirtualTransponder device(TransponderConfig{});
  ScriptedHost host(device);
  device.SetHostBaud(38400);
  host.Probe(16);
  EXPECT_FALSE(host.WaitLine(
      [](const std::string& l) {
        return l.find("STATIC DATA") != std::string::npos || l.find("$GP") != std::string::npos;
      },
      3000));
  // Back at its speed: the first line still carries the garbage before it.
  device.SetHostBaud(115200);
  host.Probe(16);
  EXPECT_TRUE(host.WaitLine("[END OF STATIC DATA]", 3000));
}

TEST_F(TransponderTest, OptionalInformationLinesCanBeOmitted) {
  TransponderConfig config;
  config.classDigit.reset();
  config.language.reset();
  config.firmware = "V3.1.4";
  config.serial = "7654321";
  VirtualTransponder device(config);
  ScriptedHost host(device);
  host.Probe(16);
  EXPECT_EQ(host.ReadInfoBlock(),
            (std::vector<std::string>{"[STATIC DATA]", "Firmware=V3.1.4", "S/N:(7654321)",
                                      "[END OF STATIC DATA]", "[DEVICE DATA END]"}));
}

TEST_F(TransponderTest, DamagedAndIncompleteBlocksAreAnsweredWithThePreviousNumber) {
  VirtualTransponder device(TransponderConfig{});
  ScriptedHost host(device);
  const auto image = SmallImage(1000);
  host.Command("PZLX,R,DBG,103,5,,0,,0,,0");
  ASSERT_TRUE(host.WaitLine("wait for firmware upgrade"));
  std::string block(image.begin(), image.begin() + 263);
  block[100] ^= 0x01;  // check byte no longer matches
  host.Send(block);
  EXPECT_EQ(host.WaitReply(104), 0);
  host.Send(std::string(image.begin(), image.begin() + 263));
  EXPECT_EQ(host.WaitReply(104), 1);
  host.Send(std::string(image.begin() + 263, image.begin() + 400));  // the rest never comes
  EXPECT_EQ(host.WaitReply(104), 1);
  host.Send(std::string(image.begin() + 263, image.begin() + 526));
  EXPECT_EQ(host.WaitReply(104), 2);
}

TEST_F(TransponderTest, AWrongImageSumGetsAChecksumError) {
  VirtualTransponder device(TransponderConfig{});
  ScriptedHost host(device);
  const auto t = host.RunTransfer(SmallImage(2000), false, /*sendCorrectSum=*/false);
  EXPECT_EQ(t.verdict, -4445);
}

struct FaultCase {
  const char* fault;
  // Checks the transfer of a 20-block image (19 code blocks + end block).
  std::function<void(const ScriptedHost::Transfer&, VirtualTransponder&)> check;
};

// How often `value` occurs in the replies.
long Count(const std::vector<long>& replies, long value) {
  return std::count(replies.begin(), replies.end(), value);
}

// The number of repetitions: replies that answered the previous number.
long PreviousNumberReplies(const std::vector<long>& replies) {
  long n = 0, held = 0;
  for (long r : replies) {
    if (r == held) ++n;
    if (r > held) held = r;
  }
  return n;
}

TEST_F(TransponderTest, EachFaultGivesItsReply) {
  const std::vector<FaultCase> cases = {
      {"lose-block:3",
       [](const auto& t, auto&) {
         EXPECT_EQ(PreviousNumberReplies(t.replies), 3);
         EXPECT_EQ(t.verdict, -8888);  // a noisy line the tool recovers from
       }},
      {"lose-burst:4",
       [](const auto& t, auto&) {
         // One block answered with the previous number four times in a row.
         EXPECT_EQ(PreviousNumberReplies(t.replies), 4);
         long run = 0, longest = 0;
         for (std::size_t i = 0; i < t.replies.size(); ++i) {
           const long held = i == 0 ? 0 : std::max(t.replies[i - 1], 0L);
           run = t.replies[i] == held ? run + 1 : 0;
           longest = std::max(longest, run);
         }
         EXPECT_EQ(longest, 4);
         EXPECT_EQ(t.verdict, -8888);
       }},
      {"lose-burst",
       [](const auto& t, auto&) {
         EXPECT_TRUE(t.abandoned);  // a dead line: the host gives up first
         EXPECT_FALSE(t.verdict.has_value());
       }},
      {"repeat-request:2",
       [](const auto& t, auto&) {
         EXPECT_EQ(Count(t.replies, -1), 2);
         EXPECT_EQ(t.verdict, -8888);
       }},
      {"wrong-block:7",
       [](const auto& t, auto&) {
         ASSERT_EQ(t.replies.size(), 7u);
         EXPECT_EQ(t.replies.back(), 9);  // block 7 answered as 9: the tool abandons
       }},
      {"program-fail", [](const auto& t, auto&) { EXPECT_EQ(t.verdict, -4444); }},
      {"program-fail:2",
       [](const auto& t, auto&) { EXPECT_EQ(t.verdict, -8888); }},  // kernel unaffected
      {"bad-sum", [](const auto& t, auto&) { EXPECT_EQ(t.verdict, -4445); }},
      {"silent:4",
       [](const auto& t, auto& device) {
         EXPECT_EQ(t.replies, (std::vector<long>{1, 2, 3, 4}));
         EXPECT_EQ(device.CurrentPhase(), VirtualTransponder::Phase::Silent);
       }},
      {"hangup:2",
       [](const auto& t, auto& device) {
         EXPECT_EQ(t.replies, (std::vector<long>{1, 2}));  // the last answer before the line closes
         EXPECT_TRUE(device.HungUp());
       }},
      // N = 0: as soon as the countdown has ended, before block 1.
      {"silent:0",
       [](const auto& t, auto& device) {
         EXPECT_TRUE(t.replies.empty());
         EXPECT_EQ(device.CurrentPhase(), VirtualTransponder::Phase::Silent);
       }},
      {"hangup:0",
       [](const auto& t, auto& device) {
         EXPECT_TRUE(t.replies.empty());
         EXPECT_TRUE(device.HungUp());
       }},
      // Answers that are not the block's number: the device kept the block.
      {"block-reply:0",
       [](const auto& t, auto&) {
         EXPECT_EQ(Count(t.replies, 0), 1);
         EXPECT_EQ(t.verdict, -8888);
       }},
      {"block-reply:-7",
       [](const auto& t, auto&) {
         EXPECT_EQ(Count(t.replies, -7), 1);
         EXPECT_EQ(t.verdict, -8888);
       }},
      {"block-reply:-8888",
       [](const auto& t, auto&) {
         EXPECT_EQ(Count(t.replies, -8888), 1);  // for a block, before the verdict
         EXPECT_EQ(t.verdict, -8888);
       }},
      // ... unless it asks for the block again.
      {"block-reply:-1",
       [](const auto& t, auto&) {
         EXPECT_EQ(Count(t.replies, -1), 1);
         EXPECT_EQ(t.verdict, -8888);
       }},
      {"block-reply:100000",
       [](const auto& t, auto&) {
         EXPECT_EQ(t.replies.back(), 100000);  // a far-off number: the tool abandons
         EXPECT_GE(t.replies.size(), 2u);      // never block 1
       }},
      // A dead line from block 4: nothing more is answered, and once the part
      // is given up the device is idle again.
      {"dead-line:4",
       [](const auto& t, auto& device) {
         EXPECT_EQ(t.replies, (std::vector<long>{1, 2, 3, 4}));
         device.Advance(3500);
         EXPECT_EQ(device.CurrentPhase(), VirtualTransponder::Phase::Idle);
       }},
      {"dead-line:0",
       [](const auto& t, auto& device) {
         EXPECT_TRUE(t.replies.empty());
         device.Advance(3500);
         EXPECT_EQ(device.CurrentPhase(), VirtualTransponder::Phase::Idle);
       }},
      // A dead line from the first block on: the tool gives up.
      {"lose-burst", [](const auto& t, auto&) { EXPECT_TRUE(t.abandoned); }},
  };
  const auto image = SmallImage(19 * 256);
  ASSERT_EQ(image.size(), 20 * firmware::kBlockSize);
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.fault);
    TransponderConfig config;
    config.seed = 7;
    Fault fault{};
    std::string error;
    ASSERT_TRUE(ParseFault(c.fault, fault, error)) << error;
    config.faults = {fault};
    VirtualTransponder device(config);
    ScriptedHost host(device);
    ScriptedHost::Transfer t = host.RunTransfer(image, false);
    c.check(t, device);
    if (t.verdict == -8888) {
      EXPECT_EQ(device.ReceivedPart(1), image);
    }
  }
}

TEST_F(TransponderTest, ARestartedCountdownTakesThePartFromBlockOneAgain) {
  struct Case {
    const char* fault;
    std::vector<long> repliesBefore;
  } cases[] = {{"restart-countdown:3", {1, 2, 3}}, {"restart-countdown:0", {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    TransponderConfig config;
    config.faults = {FaultOf(c.fault)};
    VirtualTransponder device(config);
    ScriptedHost host(device);
    const auto image = SmallImage(10 * 256);
    const auto first = host.RunTransfer(image, false);
    EXPECT_EQ(first.replies, c.repliesBefore);
    EXPECT_EQ(std::count(host.seen.begin(), host.seen.end(), "5"), 2);
    EXPECT_EQ(std::count(host.seen.begin(), host.seen.end(), "wait for firmware upgrade"), 2);
    // The tool sees the countdown again (its DeviceReady) and starts over.
    const auto again = host.RunTransfer(image, false, true, /*countdownSeen=*/true);
    EXPECT_EQ(again.verdict, -8888);
    EXPECT_EQ(device.ReceivedPart(1), image);
  }
}

TEST_F(TransponderTest, TheSecondReadingDiffersWhenAsked) {
  TransponderConfig config;
  config.faults = {{FaultKind::InfoDiffers, std::nullopt}};
  VirtualTransponder device(config);
  ScriptedHost host(device);
  host.Command("PDBG,106,1,,,,,,");
  EXPECT_EQ(host.ReadInfoBlock()[2], "S/N:(1234567)");
  host.Probe(16);
  EXPECT_EQ(host.ReadInfoBlock()[2], "S/N:(1234560)");
}

TEST_F(TransponderTest, NoiseFallsBetweenLinesButNeverInsideTheInformationBlock) {
  for (const char* kind : {"garbage", "long-lines"}) {
    SCOPED_TRACE(kind);
    Fault fault{};
    std::string error;
    ASSERT_TRUE(ParseFault(kind, fault, error));
    TransponderConfig config;
    config.faults = {fault};
    VirtualTransponder device(config);
    ScriptedHost host(device);
    host.Probe(16);
    EXPECT_EQ(host.ReadInfoBlock(), kInfoBlock);
    host.WaitLine([](const std::string&) { return false; }, 4000);
    int noise = 0;
    for (const std::string& line : host.seen) {
      const bool sentence =
          (line[0] == '$' || line[0] == '!') && nmea::VerifyChecksum((line + "\r\n").c_str());
      if (!sentence && line.find("DATA") == std::string::npos &&
          line.find('=') == std::string::npos && line.find("S/N") == std::string::npos) {
        ++noise;
      }
      if (std::string(kind) == "long-lines" && !sentence && line.size() > 82) ++noise;
    }
    EXPECT_GE(noise, 3);
    // Replies still come through the noise.
    const auto t = host.RunTransfer(SmallImage(3 * 256), false);
    EXPECT_EQ(t.verdict, -8888);
  }
}

TEST_F(TransponderTest, PartRepliesOtherThanThePartRequested) {
  struct Case {
    const char* fault;
    long toKernel, toApplication;  // the answers to DBG 107 with 1 and 2
  } cases[] = {{"part-reply", 2, 1},
               {"part-reply:0", 0, 0},
               {"part-reply:7", 7, 7},
               {"application-reply", 1, 1},
               {"application-reply:3", 1, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    TransponderConfig config;
    config.faults = {FaultOf(c.fault)};
    VirtualTransponder device(config);
    ScriptedHost host(device);
    host.Command("PZLX,R,DBG,107,1,,0,,0,,0");
    EXPECT_EQ(host.WaitReply(3), c.toKernel);
    host.Command("PZLX,R,DBG,107,2,,0,,0,,0");
    EXPECT_EQ(host.WaitReply(3), c.toApplication);
    // It still takes the part that was asked for.
    EXPECT_EQ(host.RunTransfer(SmallImage(300), false).verdict, -8888);
    EXPECT_EQ(device.ReceivedPart(2), SmallImage(300));
  }
}

TEST_F(TransponderTest, ASentenceInsideTheInformationBlock) {
  struct Case {
    const char* fault;
    bool optionalLines;
    std::size_t sentenceAt;  // the index of the sentence among the block's lines
  } cases[] = {
      {"info-sentence", true, 3},     // after the serial number: no class, no language read
      {"info-sentence:1", true, 1},   // right after the start
      {"info-sentence:6", true, 6},   // just before the end
      {"info-sentence:6", false, 4},  // a shorter block: still before its end
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fault) + (c.optionalLines ? "" : ", no class or language"));
    TransponderConfig config;
    config.faults = {FaultOf(c.fault)};
    if (!c.optionalLines) {
      config.classDigit.reset();
      config.language.reset();
    }
    VirtualTransponder device(config);
    ScriptedHost host(device);
    host.Probe(16);
    const std::vector<std::string> block = host.ReadInfoBlock();
    ASSERT_GT(block.size(), c.sentenceAt);
    EXPECT_EQ(block.size(), c.optionalLines ? 8u : 6u);
    EXPECT_EQ(block[c.sentenceAt].rfind("$GPRMC,", 0), 0u) << block[c.sentenceAt];
    EXPECT_TRUE(nmea::VerifyChecksum((block[c.sentenceAt] + "\r\n").c_str()));
    std::vector<std::string> rest = block;
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(c.sentenceAt));
    if (c.optionalLines) {
      EXPECT_EQ(rest, kInfoBlock);
    }
  }
}

TEST_F(TransponderTest, TheBlockPrintedAgainAfterTheApplicationOnly) {
  TransponderConfig config;
  config.faults = {FaultOf("info-after-upgrade")};
  VirtualTransponder device(config);
  ScriptedHost host(device);
  EXPECT_EQ(host.RunTransfer(SmallImage(600), false).verdict, -8888);  // the kernel
  EXPECT_TRUE(host.ReadInfoBlock().empty());
  host.Command("PZLX,R,DBG,107,2,,0,,0,,0");
  ASSERT_EQ(host.WaitReply(3), 2);
  const auto seenBefore = host.seen.size();
  EXPECT_EQ(host.RunTransfer(SmallImage(600, 9), false).verdict, -8888);
  const std::size_t verdictAt = host.seen.size() - 1;
  EXPECT_GT(verdictAt, seenBefore);
  EXPECT_EQ(host.ReadInfoBlock(), kInfoBlock);
  // It follows the verdict at once, before any other line.
  EXPECT_EQ(host.seen[verdictAt + 1], "[STATIC DATA]");
}

TEST_F(TransponderTest, WithoutIdleOutputItSaysNothingButItsAnswers) {
  TransponderConfig config;
  config.faults = {FaultOf("no-idle")};
  VirtualTransponder device(config);
  ScriptedHost host(device);
  EXPECT_FALSE(host.WaitLine([](const std::string&) { return true; }, 5000));
  host.Probe(16);
  EXPECT_EQ(host.ReadInfoBlock(), kInfoBlock);
  EXPECT_EQ(host.RunTransfer(SmallImage(600), false).verdict, -8888);
  EXPECT_FALSE(host.WaitLine([](const std::string&) { return true; }, 5000));
}

// Its code and value in a later slot, the slots before it with codes the
// tool does not act on: every answer, the part reply and the block replies.
TEST_F(TransponderTest, SeveralSlotsCarryTheAnswerInALaterSlot) {
  TransponderConfig config;
  config.faults = {FaultOf("several-slots:3")};
  VirtualTransponder device(config);
  ScriptedHost host(device);
  host.Command("PZLX,R,DBG,107,1,,0,,0,,0");
  const auto part = host.WaitLine([](const std::string& l) { return l[0] == '$'; });
  ASSERT_TRUE(part);
  EXPECT_EQ(part->substr(0, part->find('*')), "$PZLX,R,DBG,211,0,212,0,003,1,,");
  EXPECT_TRUE(nmea::VerifyChecksum((*part + "\r\n").c_str()));
  for (int i = 0; i < 5; ++i) host.Command("PZLX,R,DBG,103,2,,0,,0,,0");
  ASSERT_TRUE(host.WaitLine("wait for firmware upgrade"));
  const auto image = SmallImage(100);
  host.Send(std::string(image.begin(), image.begin() + 263));
  const auto block = host.WaitLine([](const std::string& l) { return l[0] == '$'; });
  ASSERT_TRUE(block);
  EXPECT_EQ(block->substr(0, block->find('*')), "$PZLX,R,DBG,211,0,212,0,104,1,,");
}

// Late answers stay in their place on the one serial stream: a countdown
// the device starts after a late answer comes after that answer.
TEST_F(TransponderTest, LateAnswersKeepTheirOrderOnTheLine) {
  TransponderConfig config;
  config.faults = {FaultOf("slow-replies:1500"), FaultOf("restart-countdown:3")};
  VirtualTransponder device(config);
  ScriptedHost host(device);
  host.RunTransfer(SmallImage(10 * 256), false);
  host.WaitLine("wait for firmware upgrade", 10'000);
  std::vector<std::string> order;
  for (const std::string& line : host.seen) {
    if (line.rfind("$PZLX,R,DBG,104,", 0) == 0 || line == "5") order.push_back(line.substr(0, 18));
  }
  // Block 3's answer, late, then the countdown the device began after it.
  EXPECT_EQ(order, (std::vector<std::string>{"5", "$PZLX,R,DBG,104,1,", "$PZLX,R,DBG,104,2,",
                                             "$PZLX,R,DBG,104,3,", "5"}));
}

// Only the answers to part requests come late; blocks are answered at once.
TEST_F(TransponderTest, ASlowPartReplyComesLateAndTheRestAtOnce) {
  TransponderConfig config;
  config.faults = {FaultOf("slow-part-reply:6000")};
  VirtualTransponder device(config);
  ScriptedHost host(device);
  host.Command("PZLX,R,DBG,107,1,,0,,0,,0");
  EXPECT_FALSE(host.WaitReply(3, 5900).has_value());
  EXPECT_EQ(host.WaitReply(3, 200), 1);
  const std::int64_t start = device.Now();
  EXPECT_EQ(host.RunTransfer(SmallImage(600), false).verdict, -8888);
  EXPECT_LT(device.Now() - start, 5000);
}

TEST(FaultOption, EachKindTakesTheNumbersThatMeanSomething) {
  struct Case {
    const char* text;
    bool accepted;
  } cases[] = {
      {"lose-block:12", true},
      {"lose-block:0", false},  // no loss is no fault
      {"silent:0", true},       // 0: before block 1
      {"hangup:0", true},
      {"restart-countdown:0", true},
      {"wrong-block:0", false},  // there is no block 0
      {"program-fail:2", true},
      {"program-fail:3", false},  // parts are 1 and 2
      {"bad-sum:0", false},
      {"part-reply:0", true},
      {"application-reply:1", true},
      {"block-reply:-8889", true},
      {"block-reply:1000000000", true},
      {"block-reply:-1000000001", false},
      {"several-slots:4", true},
      {"several-slots:5", false},  // a sentence has four slots
      {"several-slots:0", false},
      {"dead-line:0", true},
      {"no-idle", true},
      {"no-idle:1", false},
      {"slow-part-reply:6000", true},
      {"info-sentence:6", true},
      {"info-sentence:7", false},
      {"slow-replies:1", true},
      {"slow-replies:0", false},
      {"slow-replies:3600001", false},
      {"silent:1000000000", true},
      {"silent:1000000001", false},  // would not fit the block counter
      {"silent:99999999999999999999", false},
      {"info-differs", true},
      {"info-differs:2", false},  // takes no number
      {"garbage:1", false},
      {"silent:x", false},
      {"silent:-1", false},
      {"silent:", false},
      {"silent:3x", false},
      {"lose-blocks", false},
  };
  for (const Case& c : cases) {
    Fault f{};
    std::string error;
    EXPECT_EQ(ParseFault(c.text, f, error), c.accepted) << c.text << ": " << error;
    if (!c.accepted) {
      EXPECT_FALSE(error.empty()) << c.text;
    }
  }
  Fault f{};
  std::string error;
  ASSERT_TRUE(ParseFault("lose-block:12", f, error));
  EXPECT_EQ(f.kind, FaultKind::LoseBlock);
  EXPECT_EQ(f.n, 12);
  ASSERT_TRUE(ParseFault("slow-replies", f, error));
  EXPECT_EQ(f.kind, FaultKind::SlowReplies);
  EXPECT_FALSE(f.n.has_value());
  EXPECT_FALSE(ParseFault("lose-blocks", f, error));
  EXPECT_NE(error.find("unknown fault"), std::string::npos);
}

}  // namespace
}  // namespace sim
