// The AIS chain behind ParseSentence: a received VDM or VDO line is decoded,
// folded into the target table and counted on its station.

#include "store/ais_chain.h"

#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <string>
#include <tuple>

#include "fake_clock.h"
#include "store/nmea_stack.h"
#include "tests/nmea/sentence_text.h"

namespace store {
namespace {

using nmea::SentenceFault;
using nmea::testing_support::Sentence;
using testing_support::FakeClock;

class AisChainTest : public testing::Test {
 protected:
  FakeClock clock;
  NmeaStack stack{&clock};
  nmea::SentenceRecord record{};

  bool Parse(const std::string& line) { return stack.library.ParseSentence(line, record); }
  const AisTargetTable& Targets() const { return stack.ais.Targets(); }
};

TEST_F(AisChainTest, DecodesAndCountsAReceivedPositionReport) {
  ASSERT_TRUE(Parse("!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A\r\n"));
  ASSERT_TRUE(stack.ais.HasDecoded());
  EXPECT_EQ(Targets().Count(), 2);
  const AisTarget& t = Targets().Entry(1);
  EXPECT_EQ(t.mmsi, 371798000u);
  EXPECT_EQ(t.vdmCount, 1u);
  EXPECT_EQ(t.vdoCount, 0u);
  EXPECT_EQ(t.lastHeard.year, clock.now.year);

  ASSERT_TRUE(Parse("!AIVDM,1,1,,B,15RTgt0PAso;90TKcjM8h6g208CQ,0*49\r\n"));
  EXPECT_EQ(Targets().Entry(1).vdmCount, 2u);
}

TEST_F(AisChainTest, DescribesTheLastDecodedMessage) {
  ASSERT_TRUE(Parse("!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A\r\n"));
  const auto fields = stack.ais.DescribeLastDecoded();
  ASSERT_GE(fields.size(), 3u);
  EXPECT_EQ(fields[0].name, "type");
  EXPECT_EQ(fields[1].name, "repeat");
  EXPECT_EQ(fields[2].name, "mmsi");
  std::map<std::string_view, AisValue> byName;
  for (const auto& f : fields) byName.emplace(f.name, f.value);
  EXPECT_EQ(std::get<std::int64_t>(byName.at("mmsi")), 371798000);
  EXPECT_NEAR(std::get<float>(byName.at("lon")), -123.395383, 1e-5);
  EXPECT_EQ(fields.size(), 16u);
}

TEST_F(AisChainTest, CountsVdoMessagesOnTheOwnStation) {
  ASSERT_TRUE(Parse(Sentence("!AIVDO,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0")));
  EXPECT_EQ(Targets().Entry(0).mmsi, 371798000u);
  EXPECT_EQ(Targets().Entry(0).vdoCount, 1u);
  EXPECT_EQ(Targets().Entry(0).vdmCount, 0u);
  EXPECT_EQ(Targets().Count(), 1);
}

TEST_F(AisChainTest, FoldsButDoesNotCountAMessageWithoutChannel) {
  ASSERT_TRUE(Parse(Sentence("!AIVDM,1,1,,,15RTgt0PAso;90TKcjM8h6g208CQ,0")));
  EXPECT_EQ(Targets().Entry(1).mmsi, 371798000u);
  EXPECT_EQ(Targets().Entry(1).vdmCount, 0u);
}

TEST_F(AisChainTest, KeepsTheChannelIndexOfAnInterrogation) {
  ASSERT_TRUE(Parse(Sentence("!AIVDM,1,1,,B,?39a?2PjKFFPD01o:Gq1igvp2<3w,0")));
  EXPECT_EQ(Targets().Latest().message15.channel, 1);
  EXPECT_EQ(Targets().Latest().message15.fresh, 1);
}

TEST_F(AisChainTest, AssemblesATwoSentenceMessageWithTheLastFillBits) {
  EXPECT_FALSE(Parse(
      "!AIVDM,2,1,1,A,55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8,0*1C\r\n"));
  EXPECT_EQ(stack.library.LastFault(), SentenceFault::Fragment);
  ASSERT_TRUE(Parse("!AIVDM,2,2,1,A,88888888880,2*25\r\n"));
  const AisTarget& t = Targets().Entry(1);
  EXPECT_STREQ(t.name, "EVER DIADEM         ");
  EXPECT_STREQ(t.destination, "NEW YORK            ");
  EXPECT_EQ(stack.ais.Bits().bitCount, 424);
}

// A message cut short changes only what it carried: a known station keeps
// its position and voyage data.
TEST_F(AisChainTest, AShortMessageLeavesWhatItDidNotCarry) {
  ASSERT_TRUE(Parse(Sentence("!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0")));
  const AisTarget before = Targets().Entry(1);
  ASSERT_LT(before.lat, 91.0f);

  // The first 48 bits of the same report: type, MMSI, status and turn.
  ASSERT_TRUE(Parse(Sentence("!AIVDM,1,1,,A,15RTgt0P,0")));
  EXPECT_EQ(stack.ais.Bits().bitCount, 48);
  const AisTarget& t = Targets().Entry(1);
  EXPECT_EQ(t.mmsi, before.mmsi);
  EXPECT_EQ(t.lon, before.lon);
  EXPECT_EQ(t.lat, before.lat);
  EXPECT_EQ(t.speed, before.speed);
  EXPECT_EQ(t.course, before.course);
  EXPECT_EQ(t.heading, before.heading);
  EXPECT_EQ(t.vdmCount, 2u) << "still heard, and counted";

  // Too short to name its sender: kept by no entry.
  ASSERT_TRUE(Parse(Sentence("!AIVDM,1,1,,A,15RT,0")));
  EXPECT_EQ(Targets().Count(), 2);
  EXPECT_EQ(Targets().Entry(1).vdmCount, 2u);
}

TEST_F(AisChainTest, AStaticMessageWithWrongFillBitsKeepsTheDestination) {
  const std::string first =
      "!AIVDM,2,1,1,A,55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp8,0*1C\r\n";
  ASSERT_FALSE(Parse(first));
  ASSERT_TRUE(Parse("!AIVDM,2,2,1,A,88888888880,2*25\r\n"));
  ASSERT_STREQ(Targets().Entry(1).destination, "NEW YORK            ");

  // Fill bits 0 on the last sentence: 408 bits, the destination cut off.
  ASSERT_FALSE(Parse(first));
  ASSERT_TRUE(Parse(Sentence("!AIVDM,2,2,1,A,88888888880,0")));
  EXPECT_EQ(stack.ais.Bits().bitCount, 408);
  EXPECT_STREQ(Targets().Entry(1).destination, "NEW YORK            ");
  EXPECT_STREQ(Targets().Entry(1).name, "EVER DIADEM         ");
}

TEST_F(AisChainTest, RefusesMessagesItCannotDecode) {
  const struct {
    const char* what;
    std::string line;
    SentenceFault fault;
  } cases[] = {
      {"empty payload", "!AIVDM,1,1,,B,,0*25\r\n", SentenceFault::AisMessage},
      {"type 27", Sentence("!AIVDM,1,1,,B,KC5E2b@U19PFdLbMuc5=ROv62<7m,0"),
       SentenceFault::AisMessage},
      {"type 28", Sentence("!AIVDM,1,1,,A,L000000000000000000000000000,0"),
       SentenceFault::AisMessage},
      {"five fill bits", "!AIVDM,1,1,,A,13aIkM@P00PJ@qPNL=e@0?wJ28JO,5*63\r\n",
       SentenceFault::AisPayload},
      {"invalid character", Sentence("!AIVDM,1,1,,A,13aIkM@P00PJ@qPNL=e@0?wJ28JX,0"),
       SentenceFault::AisPayload},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(Parse(c.line)) << c.what;
    EXPECT_EQ(stack.library.LastFault(), c.fault) << c.what;
    EXPECT_FALSE(stack.ais.HasDecoded()) << c.what;
    EXPECT_TRUE(stack.ais.DescribeLastDecoded().empty()) << c.what;
  }
  EXPECT_EQ(Targets().Count(), 1);
}

TEST_F(AisChainTest, ForgetsTheDecodedMessageWhenCleared) {
  ASSERT_TRUE(Parse("!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A\r\n"));
  stack.ais.AisClear();
  EXPECT_FALSE(stack.ais.HasDecoded());
  EXPECT_EQ(stack.ais.LastDecoded().U32(2), 0u);
  EXPECT_EQ(Targets().Count(), 2);  // the table keeps the station
}

// The machine's local date, as the default clock should give it.
std::tuple<int, int, int> Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

TEST(NmeaStack, StampsEntriesWithTheMachineClockByDefault) {
  NmeaStack stack;
  nmea::SentenceRecord record{};
  const auto before = Today();
  ASSERT_TRUE(stack.library.ParseSentence(
      std::string("!AIVDM,1,1,,A,15RTgt0PAso;90TKcjM8h6g208CQ,0*4A\r\n"), record));
  const auto after = Today();
  const AisStamp& heard = stack.ais.Targets().Entry(1).lastHeard;
  const std::tuple<int, int, int> stamped{heard.year, heard.month, heard.day};
  // Midnight may pass in between: either date will do.
  EXPECT_TRUE(stamped == before || stamped == after)
      << heard.year << "-" << +heard.month << "-" << +heard.day;
}

}  // namespace
}  // namespace store
