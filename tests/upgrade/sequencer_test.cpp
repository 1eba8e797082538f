// The block transfer tick by tick: which block each device reply brings
// out, when repetitions abandon the upgrade, and the final check.

#include "upgrade/sequencer.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "firmware/image_validation.h"
#include "firmware/image_writer.h"
#include "tests/upgrade/engine_bench.h"

namespace upgrade_test {
namespace {

using upgrade::Stage;

class SequencerTest : public EngineBench {
 protected:
  SequencerTest() {
    char pattern[] = "/tmp/aisfw-sequencer-XXXXXX";
    folder_ = mkdtemp(pattern);
  }
  ~SequencerTest() override { std::filesystem::remove_all(folder_); }

  void SetUp() override { OpenPort(); }

  // An image of `total` blocks, the end block included, ready to go as the
  // preparation leaves it; `shortEnd` stores the end block cut short.
  void Start(std::uint32_t total, bool shortEnd = false) {
    std::vector<std::uint8_t> code((total - 1) * 256);
    for (std::size_t i = 0; i < code.size(); ++i)
      code[i] = static_cast<std::uint8_t>(i * 31 + i / 256);
    image_ = firmware::PackImage(code);
    if (shortEnd) image_.resize(image_.size() - 100);
    const auto path = folder_ / "image.SBIN";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(image_.data()),
               static_cast<std::streamsize>(image_.size()));
    std::string error;
    ASSERT_EQ(transfer_.ImageFile.Load(path, error), upgrade::ImageStream::LoadResult::Loaded)
        << error;
    std::uint32_t count = 0;
    ASSERT_TRUE(
        firmware::ValidateImage(transfer_.ImageFile.Bytes(), count, transfer_.ImageSum, {}));
    ASSERT_EQ(count, total);
    transfer_.ImageValidated = true;
    transfer_.BlockTotal = total;
    transfer_.BlockIndex = transfer_.ErrorBlocks = transfer_.Retransmissions =
        transfer_.BlockHadError = 0;
    transfer_.ImageSize = static_cast<std::int32_t>(transfer_.ImageFile.MeasureAndRewind());
    channel_.BlockReply = upgrade::kReplyStartTransfer;
    state_.WizardStage = Stage::Transfer;
    state_.UpgradeRunning = true;
    state_.UpgradePart = 1;
  }

  // One tick; what it sent: "B<n>" for block n of the image, a sentence
  // without its line end, or "" for nothing.
  std::string Tick() {
    sequencer_.TimerUpgradeTimer();
    return Decode(Sent());
  }
  std::string Decode(const std::string& bytes) {
    std::string out;
    std::size_t at = 0;
    while (at < bytes.size()) {
      if (!out.empty()) out += " ";
      if (bytes.compare(at, 4, "C0DE") == 0) {
        const std::size_t size = info_.Records[0].classDigit == 1 ? 264 : 263;
        out += "B" + BlockNumber(bytes.substr(at, 263));
        at += size;
      } else {
        const std::size_t end = bytes.find("\r\n", at);
        out += bytes.substr(at, end - at);
        at = end + 2;
      }
    }
    return out;
  }
  std::string BlockNumber(const std::string& block) {
    for (std::size_t b = 0; b * 263 < image_.size(); ++b) {
      const std::size_t stored = std::min<std::size_t>(262, image_.size() - b * 263);
      if (block.compare(0, stored, reinterpret_cast<const char*>(&image_[b * 263]), stored) == 0) {
        return std::to_string(b + 1);
      }
    }
    return "?";
  }
  void Reply(long value) {
    Receive(Sentence("PZLX,R,DBG,104," + std::to_string(value) + ",,,,,,"));
  }

  std::filesystem::path folder_;
  std::vector<std::uint8_t> image_;
  upgrade::WizardState state_;
  upgrade::TransferState transfer_;
  upgrade::DeviceInformation info_;
  upgrade::EventRecorder events_;
  upgrade::RunEnding ending_{state_, transfer_, screen_, events_};
  upgrade::UpgradeSequencer sequencer_{state_, transfer_, info_, channel_, screen_, ending_};
};

TEST_F(SequencerTest, EachAcknowledgementBringsTheNextBlockThenTheFinalCheck) {
  Start(3);
  EXPECT_EQ(Tick(), "B1");
  EXPECT_EQ(Tick(), "");  // waiting for the reply
  Reply(1);
  EXPECT_EQ(Tick(), "B2");
  EXPECT_EQ(screen_.Text(upgrade::Control::LabelDebugFrmUpg), "2/3");
  EXPECT_EQ(screen_.Text(upgrade::Control::lbl2ndAISUpgradeStatus), "Upgrade AIS Kernel");
  Reply(2);
  EXPECT_EQ(Tick(), "B3");  // the end block
  Reply(-8889);
  EXPECT_EQ(Tick(), "");  // past the last block
  char sum[9];
  std::snprintf(sum, sizeof sum, "%08X", transfer_.ImageSum);
  const std::string tps = Sentence(std::string("PTPS,040,") + sum);
  EXPECT_EQ(Tick(), tps.substr(0, tps.size() - 2));
  EXPECT_EQ(state_.WizardStage, Stage::FinalCheck);
  EXPECT_EQ(Tick(), "");  // waiting for the verdict
  EXPECT_EQ(screen_.Text(upgrade::Control::lblUpgradeStatus), "System Programming, Please Wait...");
  Reply(-8888);
  // Kernel done: the application is asked for, with the letter the device uses.
  EXPECT_EQ(Tick(), "$PZLX,R,DBG,107,2,,0,,0,,0*39");
  EXPECT_EQ(state_.WizardStage, Stage::Transfer);
  EXPECT_EQ(state_.UpgradePart, 2);
  EXPECT_TRUE(state_.PartRequestPending);
  EXPECT_FALSE(state_.UpgradeRunning);
  EXPECT_FALSE(transfer_.ImageFile.IsOpen());
  EXPECT_EQ(screen_.Text(upgrade::Control::lbl2ndAISUpgradeStatus), "Kernel Upgrade Finished");
  EXPECT_EQ(screen_.Progress(), 100);
}

// Repetitions abandon the upgrade once they pass 100 per cent of the blocks
// sent, counted up to a quarter of the image as that quarter: a slow start
// has its retries, a device that never takes a block does not stall it.
TEST_F(SequencerTest, RepetitionsAreJudgedFromTheFirstBlock) {
  Start(10);
  EXPECT_EQ(Tick(), "B1");
  for (int block = 1; block <= 3; ++block) {
    Reply(block - 1);  // not received
    EXPECT_EQ(Tick(), "B" + std::to_string(block)) << block;
    Reply(block);
    EXPECT_EQ(Tick(), "B" + std::to_string(block + 1)) << block;
  }
  EXPECT_EQ(transfer_.Retransmissions, 3u);
  EXPECT_EQ(transfer_.ErrorBlocks, 3u);

  struct Row {
    std::uint32_t total;
    std::uint32_t block;    // the block the device never takes
    std::uint32_t allowed;  // repetitions of it before the upgrade is abandoned
  };
  const Row rows[] = {
      {10, 1, 2},                  // the first quarter counts as 2 blocks
      {10, 2, 2},                  //
      {40, 1, 10},                 // as 10
      {40, 10, 10}, {40, 12, 12},  // past the quarter: the blocks sent
      {3, 1, 1},                   // a quarter of nothing: the block itself
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.total) + " blocks, block " + std::to_string(row.block));
    const std::size_t messages = view_.Messages().size();
    Start(row.total);
    Tick();
    for (std::uint32_t b = 1; b < row.block; ++b) {
      Reply(b);
      ASSERT_EQ(Tick(), "B" + std::to_string(b + 1));
    }
    for (std::uint32_t i = 0; i < row.allowed; ++i) {
      Reply(row.block - 1);
      ASSERT_EQ(Tick(), "B" + std::to_string(row.block)) << i;
    }
    Reply(row.block - 1);
    EXPECT_EQ(Tick(), "");
    EXPECT_EQ(state_.WizardStage, Stage::Idle);
    ASSERT_EQ(view_.Messages().size(), messages + 1);
    EXPECT_EQ(MessageTexts().back().substr(0, 30), "Too many transmission errors!\n");
  }
}

// A repeat asked for again and again is a transmission error like any other:
// it is counted, and the upgrade ends instead of sending block 5 for ever.
TEST_F(SequencerTest, ARepeatRequestedForEverAbandons) {
  Start(20);
  Tick();
  for (int block = 1; block < 5; ++block) {
    Reply(block);
    Tick();
  }
  for (int i = 0; i < 5; ++i) {
    Reply(-1);
    ASSERT_EQ(Tick(), "B5") << i;
  }
  EXPECT_EQ(transfer_.Retransmissions, 5u);
  EXPECT_EQ(transfer_.ErrorBlocks, 1u);
  Reply(-1);
  EXPECT_EQ(Tick(), "");
  EXPECT_EQ(state_.WizardStage, Stage::Idle);
  EXPECT_EQ(state_.Outcome, upgrade::WizardOutcome::TransmissionErrors);
  ASSERT_EQ(MessageTexts().size(), 1u);
  EXPECT_EQ(MessageTexts()[0].substr(0, 30), "Too many transmission errors!\n");
}

TEST_F(SequencerTest, ASecondRepetitionOfBlockThreeAfterOneEachAbandons) {
  Start(10);
  Tick();
  for (int block = 1; block <= 2; ++block) {
    Reply(block - 1);
    Tick();
    Reply(block);
    Tick();
  }
  Reply(2);
  EXPECT_EQ(Tick(), "B3");  // P = Q = 3 / 3: exactly 100, still fine
  Reply(2);
  EXPECT_EQ(Tick(), "");  // P = 4 / 3
  ASSERT_EQ(MessageTexts().size(), 1u);
  EXPECT_EQ(MessageTexts()[0].substr(0, 30), "Too many transmission errors!\n");
  EXPECT_EQ(state_.WizardStage, Stage::Idle);
  EXPECT_FALSE(state_.UpgradeRunning);
  EXPECT_FALSE(transfer_.ImageFile.IsOpen());
}

TEST_F(SequencerTest, ReplyRulesForTheCurrentBlock) {
  struct Row {
    long reply;        // to block 5
    const char* sent;  // at the next tick
    std::uint32_t retransmissions;
  };
  const Row rows[] = {
      {5, "B6", 0},     {4, "B5", 1},     {-1, "B5", 1}, {0, "B6", 0},
      {-8889, "B6", 0}, {-4444, "B6", 0}, {-7, "B6", 0},
  };
  for (const Row& row : rows) {
    Start(20);
    Tick();
    for (int block = 1; block < 5; ++block) {
      Reply(block);
      Tick();
    }
    Reply(row.reply);
    EXPECT_EQ(Tick(), row.sent) << row.reply;
    EXPECT_EQ(transfer_.Retransmissions, row.retransmissions) << row.reply;
  }
}

TEST_F(SequencerTest, ZeroForBlockOneRepeatsItAndCounts) {
  Start(10);
  Tick();
  Reply(0);
  EXPECT_EQ(Tick(), "B1");
  EXPECT_EQ(transfer_.Retransmissions, 1u);
}

TEST_F(SequencerTest, AnUnexpectedBlockNumberAbandons) {
  Start(20);
  Tick();
  for (int block = 1; block < 5; ++block) {
    Reply(block);
    Tick();
  }
  Reply(7);
  EXPECT_EQ(Tick(), "");
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Incorrect block count! (5 -> 7)"});
  EXPECT_EQ(view_.Messages()[0].box.caption, "Error");
  EXPECT_EQ(state_.WizardStage, Stage::Idle);
  EXPECT_FALSE(transfer_.ImageFile.IsOpen());
}

// Before block 1 has gone out there is nothing to repeat: a stale repeat
// request brings block 1, never a block that was not read from the image.
TEST_F(SequencerTest, ARepeatRequestBeforeTheFirstBlockSendsBlockOne) {
  Start(5);
  Reply(-1);
  EXPECT_EQ(Tick(), "B1");
  EXPECT_EQ(transfer_.Retransmissions, 0u);
}

TEST_F(SequencerTest, AShortEndBlockGoesToTheFinalCheckWhateverTheReply) {
  Start(3, true);
  Tick();
  Reply(1);
  Tick();
  Reply(2);
  EXPECT_EQ(Tick(), "B3");  // read short, sent whole (the rest zeros)
  Reply(3);
  EXPECT_EQ(Tick(), "");
  EXPECT_EQ(state_.WizardStage, Stage::FinalCheck);
}

TEST_F(SequencerTest, TheDeviceCountingDownAgainRestartsThePartInTheSameTick) {
  Start(10);
  Tick();
  Reply(1);
  Tick();
  state_.DeviceReady = true;
  EXPECT_EQ(Tick(), Decode(Sentence("PZLX,R,DBG,103,10,,0,,0,,0")) + " B1");
  EXPECT_FALSE(state_.DeviceReady);
  EXPECT_EQ(transfer_.BlockIndex, 1u);
}

TEST_F(SequencerTest, ReadinessWhileNoTransferRunsWaitsForTheNextTransfer) {
  Start(10);
  state_.UpgradeRunning = false;
  state_.PartRequestPending = true;  // an application prepared, not started yet
  state_.DeviceReady = true;
  EXPECT_EQ(Tick(), "");
  EXPECT_TRUE(state_.DeviceReady);
  EXPECT_TRUE(transfer_.ImageFile.IsOpen());  // the prepared image stays open
  state_.UpgradeRunning = true;
  EXPECT_EQ(Tick(), Decode(Sentence("PDBG,103,10,,0,,0,,0")) + " B1");
}

TEST_F(SequencerTest, AClassOneDeviceGetsBlocksWithTheirSum) {
  info_.Records[0].classDigit = 1;
  Start(3);
  sequencer_.TimerUpgradeTimer();
  const std::string block = Sent();
  ASSERT_EQ(block.size(), 264u);
  unsigned sum = 0;
  for (int i = 0; i < 256; ++i)
    sum += static_cast<std::uint8_t>(block[6 + static_cast<std::size_t>(i)]);
  EXPECT_EQ(static_cast<std::uint8_t>(block[262]) | static_cast<std::uint8_t>(block[263]) << 8,
            sum & 0xFFFF);
}

TEST_F(SequencerTest, TheDevicesVerdicts) {
  struct Row {
    long verdict;
    int part;
    std::string message;
    std::string status;
  };
  const std::string cable =
      "Please check the RS-232 cableline is serviceable     \n"
      "or try to use another PC to upgrade your AIS         \n"
      "and try again.";
  const Row rows[] = {
      {-4444, 1, "Firmware Upgrade Failure (Error Code=-4444)",
       "Firmware Upgrade Failure (Error Code=-4444)"},
      {-4445, 2, cable, "Firmware Check Sum Error (Error Code=-4445)"},
      {-8888, 2, "", ""},
  };
  for (const Row& row : rows) {
    const std::size_t before = view_.Messages().size();
    Start(2);
    state_.UpgradePart = row.part;
    Tick();
    Reply(1);
    Tick();
    Reply(-8889);
    Tick();
    Tick();  // the sum goes out
    Reply(row.verdict);
    Tick();
    const std::vector<std::string> all = MessageTexts();
    const std::vector<std::string> shown(all.begin() + static_cast<std::ptrdiff_t>(before),
                                         all.end());
    EXPECT_EQ(shown, row.message.empty() ? std::vector<std::string>{} : std::vector{row.message});
    EXPECT_EQ(screen_.Text(upgrade::Control::lblUpgradeStatus), row.status);
    EXPECT_FALSE(transfer_.ImageFile.IsOpen());
    if (row.verdict == -8888) {
      EXPECT_TRUE(state_.UpgradeFinished);
      EXPECT_EQ(screen_.Text(upgrade::Control::StaticTextFrmUpgMessage1),
                "Firmware upgrade finished.");
      EXPECT_EQ(Tick(), "");  // from now on nothing moves
    } else {
      EXPECT_EQ(state_.WizardStage, Stage::Idle);
    }
  }
}

// The progress is the position in the image, not the share of blocks sent:
// with the end block stored short (263 + 263 + 163 bytes), block 1 is 38 %.
TEST_F(SequencerTest, ProgressIsThePositionInTheImage) {
  Start(3, true);
  std::vector<int> progress;
  Tick();
  progress.push_back(screen_.Progress());
  for (long block = 1; block <= 2; ++block) {
    Reply(block);
    Tick();
    progress.push_back(screen_.Progress());
  }
  EXPECT_EQ(progress, (std::vector<int>{263 * 100 / 689, 526 * 100 / 689, 100}));
}

// A write that fails, of a block or of the image sum, ends the transfer: the
// wizard is idle, the device no longer counts as identified, the image is
// let go, and the user is told.
TEST_F(SequencerTest, AFailedWriteEndsTheTransfer) {
  struct Row {
    const char* point;
    std::function<void()> before;  // the steps up to the write that fails
    std::vector<std::string> messages;
    std::vector<std::string> captions;
  };
  const Row rows[] = {
      {"block 2",
       [this] {
         Tick();
         Reply(1);
       },
       {"Command sending fail!"},
       {"Error"}},
      {"the image sum",
       [this] {
         Tick();
         Reply(1);
         Tick();
         Reply(-8889);
         Tick();  // past the last block
       },
       {"Command sending fail!"},
       {""}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.point);
    line_ = ports_.Replace("ttyV0");
    port_.Close();
    OpenPort();
    const std::size_t shown = view_.Messages().size();
    Start(2);
    state_.DeviceIdentified = true;
    row.before();
    line_->HangUp();  // writes fail from now on
    EXPECT_EQ(Tick(), "");
    std::vector<std::string> texts, captions;
    for (std::size_t i = shown; i < view_.Messages().size(); ++i) {
      texts.push_back(view_.Messages()[i].box.text);
      captions.push_back(view_.Messages()[i].box.caption);
    }
    EXPECT_EQ(texts, row.messages);
    EXPECT_EQ(captions, row.captions);
    EXPECT_EQ(state_.WizardStage, Stage::Idle);
    EXPECT_FALSE(state_.DeviceIdentified);
    EXPECT_FALSE(state_.UpgradeRunning);
    EXPECT_EQ(state_.Outcome, upgrade::WizardOutcome::SendFailed);
    EXPECT_FALSE(transfer_.HoldsImage());
  }
}

}  // namespace
}  // namespace upgrade_test
