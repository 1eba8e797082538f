// The commands as they go out on the line, and the device's DBG replies as
// they reach BlockReply and PartReply.

#include "upgrade/command_channel.h"

#include "tests/upgrade/engine_bench.h"

namespace upgrade_test {
namespace {

using upgrade::LogPane;

class CommandChannelTest : public EngineBench {
 protected:
  void SetUp() override { OpenPort(); }
};

TEST_F(CommandChannelTest, DbgCarriesNoMakerPrefixUntilTheDeviceHasSentOne) {
  EXPECT_TRUE(channel_.SendDbg(107, 1));
  EXPECT_EQ(Sent(), Sentence("PDBG,107,1,,0,,0,,0"));
  EXPECT_TRUE(channel_.SendDbgRequest(106, 1));
  EXPECT_EQ(Sent(), Sentence("PDBG,106,1,,,,,,"));

  Receive(Sentence("PZLX,R,DBG,104,5,,,,,,"));
  EXPECT_EQ(channel_.BlockReply, 5);
  EXPECT_EQ(channel_.PartReply, -1);
  EXPECT_TRUE(channel_.SendDbg(103, 9));
  EXPECT_EQ(Sent(), Sentence("PZLX,R,DBG,103,9,,0,,0,,0"));
  const std::string logged = Sentence("PZLX,R,DBG,103,9,,0,,0,,0");
  EXPECT_EQ(view_.Log(LogPane::MemoTX).back(),
            logged.substr(0, logged.size() - 2));  // without CR LF
}

TEST_F(CommandChannelTest, TheProbeIsAFixedDbgThenATst) {
  Receive(Sentence("PZLX,R,DBG,104,5,,,,,,"));  // the probe keeps its own letter
  EXPECT_TRUE(channel_.SendProbe(16));
  EXPECT_EQ(Sent(), Sentence("PZLX,C,DBG,700,1,,,,,,") + Sentence("PTST,,,,,00016"));
  EXPECT_TRUE(channel_.SendProbe(0));
  EXPECT_EQ(Sent(), Sentence("PZLX,C,DBG,700,1,,,,,,") + Sentence("PTST,,,,,00000"));
  const auto& tx = view_.Log(LogPane::MemoTX);
  ASSERT_EQ(tx.size(), 4u);
  EXPECT_EQ(tx[0], "$PZLX,C,DBG,700,1,,,,,,*1A");
  EXPECT_EQ(tx[1], "$PTST,,,,,00016*18");
}

TEST_F(CommandChannelTest, TheFinalCheckSendsTheSumAsEightHexDigits) {
  EXPECT_TRUE(channel_.SendFinalCheck(0x001F36C0));
  EXPECT_EQ(Sent(), Sentence("PTPS,040,001F36C0"));
  EXPECT_TRUE(channel_.SendFinalCheck(0xFFFFFFFF));
  EXPECT_EQ(Sent(), Sentence("PTPS,040,FFFFFFFF"));
}

// Which reply each received DBG sentence leaves behind.
TEST_F(CommandChannelTest, RepliesReachTheirIntegers) {
  struct Row {
    const char* body;
    std::int32_t block, part;
  };
  const Row rows[] = {
      {"PZLX,R,DBG,104,5,,,,,,", 5, -1},
      {"PZLX,R,DBG,003,2,104,7,,,,", 7, 2},   // two pairs
      {"PZLX,R,DBG,104,4,104,5,,,,", 5, -1},  // a later slot overrides
      {"PZLX,R,DBG,,9,104,6,,,,", 6, -1},     // an empty code changes nothing
      {"PZLX,R,DBG,105,9,,,,,,", -1, -1},     // codes other than 104 and 3 are ignored
      {"PDBG,104,-8889,,,,,,", -8889, -1},    // without the prefix
      {"PZLX,R,DBG,104,16777216,,,,,,", 16777216, -1},
  };
  for (const Row& row : rows) {
    channel_.BlockReply = -1;
    channel_.PartReply = -1;
    Receive(Sentence(row.body));
    EXPECT_EQ(channel_.BlockReply, row.block) << row.body;
    EXPECT_EQ(channel_.PartReply, row.part) << row.body;
  }
}

// Only what the checksum covers counts, and only values that fit their field.
TEST_F(CommandChannelTest, NoReplyComesFromBeyondTheChecksumOrFromAValueTooWide) {
  const std::string covered = Sentence("PZLX,R,DBG,003,1,,,,");
  const std::string rows[] = {
      covered.substr(0, covered.size() - 2) + ",104,5*\r\n",  // fields after the checksum
      Sentence("PZLX,R,DBG,65640,7,,,,,,"),                   // 65640 would wrap to code 104
      Sentence("PZLX,R,DBG,104,4294967303,,,,,,"),            // would wrap to 7
      Sentence("PZLX,R,DBG,104,99999999999999999999,,,,,,"),  // would read as -1, "repeat"
  };
  for (const std::string& line : rows) {
    channel_.BlockReply = -10;
    channel_.PartReply = -1;
    Receive(line);
    EXPECT_EQ(channel_.BlockReply, -10) << line;
    EXPECT_EQ(channel_.PartReply, -1) << line;
  }
}

TEST_F(CommandChannelTest, OnlySentencesOfAtMost82CharactersWithTheirLineEndAreParsed) {
  // Leading zeros stretch the value without changing it.
  const auto padded = [](std::size_t length) {
    std::string body = "PZLX,R,DBG,104,7,,,,,,";
    while (Sentence(body).size() < length) body.insert(15, "0");
    return Sentence(body);
  };
  ASSERT_EQ(padded(82).size(), 82u);
  Receive(padded(83));
  EXPECT_EQ(channel_.BlockReply, -1);
  Receive(padded(82));
  EXPECT_EQ(channel_.BlockReply, 7);
  Receive("PZLX,R,DBG,104,8,,,,,,\r\n");                           // not a sentence
  Receive(Sentence("PZLX,R,DBG,104,9,,,,,,").replace(1, 1, "Q"));  // bad checksum
  EXPECT_EQ(channel_.BlockReply, 7);
}

TEST_F(CommandChannelTest, AFailedWriteIsSilentOnlyInAutomaticMode) {
  line_->HangUp();  // every write fails from now on
  SetAutoMode(true);
  EXPECT_TRUE(channel_.SendDbg(107, 1));
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_TRUE(view_.Log(LogPane::MemoTX).empty());

  SetAutoMode(false);
  EXPECT_FALSE(channel_.SendDbg(107, 1));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Command sending fail!"});
  EXPECT_EQ(view_.Messages()[0].box.caption, "");  // a plain box
  EXPECT_EQ(view_.Log(LogPane::MemoTX).back(), "$PDBG,107,1,,0,,0,,0*26");
}

// A port that never opened: the channel needs no serial component to say so.
class ClosedPort final : public upgrade::PortWriter {
 public:
  bool Connected() const override { return false; }
  std::int32_t Write(const void*, std::int32_t) override {
    ++writes;
    return -1;
  }
  int writes = 0;
};

TEST(CommandChannelClosed, WithoutAnOpenPortNothingIsSent) {
  harness::RecordingView view;
  upgrade::WizardScreen screen(view);
  ClosedPort port;
  store::NmeaStack nmea;
  upgrade::WizardState state;
  upgrade::CommandChannel channel(port, nmea, screen, state);
  EXPECT_FALSE(channel.SendProbe(16));
  ASSERT_EQ(view.Messages().size(), 1u);  // the probe stops at its first write
  EXPECT_EQ(view.Messages()[0].box.text, "Please connect serial port first!");
  const std::uint8_t block[3] = {1, 2, 3};
  EXPECT_FALSE(channel.WriteToPort(block, 3));
  EXPECT_EQ(port.writes, 0);
}

}  // namespace
}  // namespace upgrade_test
