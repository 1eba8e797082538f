// The table-driven decoder: one real message per layout family, checked
// against a peer decoder's values, and the layout choices, conversions,
// short messages and refusals.

#include "store/ais_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ais_test_support.h"

namespace store {
namespace {

using namespace testing_support;

struct FamilyCase {
  const char* name;
  std::string payload;
  int fillBits;
  std::vector<Expect> fields;
};

void PrintTo(const FamilyCase& c, std::ostream* out) { *out << c.name; }

class AisDecodeFamily : public testing::TestWithParam<FamilyCase> {};

TEST_P(AisDecodeFamily, DecodesTheFieldsOfARealMessage) {
  const FamilyCase& c = GetParam();
  const Decoded d = DecodePayload(c.payload, c.fillBits);
  ASSERT_TRUE(d.ok);
  CheckFields(d, c.fields);
}

// Payloads and values from the peer's expected output of the test corpus
// (gpsd sample.aivdm, DMA ais250); the peer gives raw integers, converted
// here to the units of the record. Texts keep the blanks their senders
// padded them with (the peer drops those); only '@' padding is trimmed.
// One row per message, its fields packed as the peer lists them.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Families, AisDecodeFamily,
    testing::Values(
        FamilyCase{"PositionReport", "15RTgt0PAso;90TKcjM8h6g208CQ", 0,
                   {{"type", 1}, {"repeat", 0}, {"mmsi", 371798000}, {"status", 0},
                    {"turn", -1001.0}, {"speed", 12.3}, {"accuracy", 1},
                    {"lon", Minutes10k(-74037230)}, {"lat", Minutes10k(29028980)},
                    {"course", 224.0}, {"heading", 215}, {"second", 33}, {"raim", 0},
                    {"radio", 34017}}},
        FamilyCase{"PositionReportType2", "25Cjtd0Oj;Jp7ilG7=UkKBoB0<06", 0,
                   {{"type", 2}, {"mmsi", 356302000}, {"turn", 1001.0}, {"speed", 13.9},
                    {"lon", Minutes10k(-42975686)}, {"lat", Minutes10k(24235415)},
                    {"course", 87.7}, {"heading", 91}, {"radio", 49158}}},
        FamilyCase{"BaseStation", "403OviQuMGCqWrRO9>E6fE700@GO", 0,
                   {{"type", 4}, {"mmsi", 3669702}, {"year", 2007}, {"month", 5}, {"day", 14},
                    {"hour", 19}, {"minute", 57}, {"second", 39}, {"accuracy", 1},
                    {"lon", Minutes10k(-45811417)}, {"lat", Minutes10k(22130260)},
                    {"epfd", 7}, {"raim", 0}, {"radio", 67039}}},
        FamilyCase{"StaticVoyage",
                   "55?MbV02;H;s<HtKR20EHE:0@T4@Dn2222222216L961O5Gf0NSQEp6ClRp888888888880", 2,
                   {{"type", 5}, {"mmsi", 351759000}, {"ais_version", 0}, {"imo", 9134270},
                    {"callsign", "3FOF8  "}, {"shipname", "EVER DIADEM         "}, {"shiptype", 70},
                    {"dimensions", (225 << 21) | (70 << 12) | (1 << 6) | 31}, {"epfd", 1},
                    {"eta", (5 << 16) | (15 << 11) | (14 << 6) | 0}, {"draught", 12.2},
                    {"destination", "NEW YORK            "}, {"dte", 0}}},
        FamilyCase{"AddressedBinary", "6B?n;be:cbapalgc;i6?Ow4", 2,
                   {{"type", 6}, {"repeat", 1}, {"mmsi", 150834090}, {"seqno", 3},
                    {"dest_mmsi", 313240222}, {"retransmit", 0},
                    {"data", Hex{"a74beb2f118f7ff1"}}, {"data_bytes", 8}}},
        FamilyCase{"Acknowledge", "702R5`hwCjq8", 0,
                   {{"type", 7}, {"mmsi", 2655651}, {"mmsi1", 265538450}, {"mmsiseq1", 0}}},
        FamilyCase{"BroadcastBinary", "85Mwp`1Kf3aCnsNvBWLi=wQuNhA5t43N`5nCuI=p<IBfVqnMgPGs", 0,
                   {{"type", 8}, {"mmsi", 366999712},
                    {"data", Hex{"5bb83a53dbb7be4a773137f87d7b0445f040dea05d93f593783194ae9b9d9dbe05fb"}},
                    {"data_bytes", 34}}},
        FamilyCase{"SarAircraft", "91b55wi;hbOS@OdQAC062Ch2089h", 0,
                   {{"type", 9}, {"mmsi", 111232511}, {"alt", 303}, {"speed", 42.0},
                    {"lon", Minutes10k(-3767306)}, {"lat", Minutes10k(34886400)},
                    {"course", 154.5}, {"second", 15}, {"dte", 1}, {"raim", 0}}},
        FamilyCase{"UtcInquiry", ":5MlU41GMK6@", 0,
                   {{"type", 10}, {"mmsi", 366814480}, {"dest_mmsi", 366832740}}},
        FamilyCase{"AddressedSafety", "<02:oP0kKcv0@<51C5PB5@?BDPD?P:?2?EB7PDB16693P381>>5<PikP", 0,
                   {{"type", 12}, {"mmsi", 2275200}, {"dest_mmsi", 215724000},
                    {"text", "PLEASE REPORT TO JOBOURG TRAFFIC CHANNEL 13 "}}},
        FamilyCase{"BroadcastSafety", ">5?Per18=HB1U:1@E=B0m<L", 2,
                   {{"type", 14}, {"mmsi", 351809000}, {"text", "RCVD YR TEST MSG"}}},
        FamilyCase{"Interrogation", "?39a?2PjKFFPD01o:Gq1igvp2<3w", 0,
                   {{"type", 15}, {"mmsi", 211439370}, {"mmsi1", 211507560}, {"type1_1", 5},
                    {"offset1_1", 0}, {"type1_2", 55}, {"offset1_2", 663},
                    {"mmsi2", 605843451}, {"type2_1", 32}, {"offset2_1", 560}}},
        FamilyCase{"AssignedMode", "@01uEO@mMk7P<P00", 0,
                   {{"type", 16}, {"mmsi", 2053501}, {"mmsi1", 224251000}, {"offset1", 200},
                    {"increment1", 0}}},
        FamilyCase{"GnssBroadcastHeader",
                   "A02VqLPA4I6C07h5Ed1h<OrsuBTTwS?r:C?w`?la<gno1RTRwSP9:BcurA8a:Oko02TSwu8<:Jbb",
                   0,
                   {{"type", 17}, {"mmsi", 2734450}, {"lon", Minutes10(17478)},
                    {"lat", Minutes10(35992)}, {"dgnss_type", 31}, {"station_id", 5},
                    {"z_count", 2776}, {"seqno", 0}, {"words", 14}, {"health", 0}}},
        FamilyCase{"ClassBPosition", "B52K>;h00Fc>jpUlNV@ikwpUoP06", 0,
                   {{"type", 18}, {"mmsi", 338087471}, {"speed", 0.1}, {"accuracy", 0},
                    {"lon", Minutes10k(-44443279)}, {"lat", Minutes10k(24410724)},
                    {"course", 79.6}, {"heading", 511}, {"second", 49}, {"cs", 1},
                    {"display", 0}, {"dsc", 1}, {"band", 1}, {"msg22", 1}, {"assigned", 0},
                    {"raim", 1}, {"cs_selector", 1}, {"radio", 917510 - (1 << 19)}}},
        FamilyCase{"ClassBExtended", "C5N3SRgPEnJGEBT>NhWAwwo862PaLELTBJ:V00000000S0D:R220", 0,
                   {{"type", 19}, {"mmsi", 367059850}, {"reserved", 248}, {"speed", 8.7},
                    {"lon", Minutes10k(-53286235)}, {"lat", Minutes10k(17726217)},
                    {"course", 335.9}, {"heading", 511}, {"second", 46}, {"regional", 4},
                    {"shipname", "CAPT.J.RIMES"}, {"shiptype", 70},
                    {"dimensions", (5 << 21) | (21 << 12) | (4 << 6) | 4}, {"epfd", 1},
                    {"raim", 0}, {"dte", 0}, {"assigned", 0}}},
        FamilyCase{"DataLinkManagement", "Dh3OvjB8IN>4", 0,
                   {{"type", 20}, {"repeat", 3}, {"mmsi", 3669705}, {"offset1", 2182},
                    {"number1", 5}, {"timeout1", 7}, {"increment1", 225}}},
        FamilyCase{"AidToNavigation", "ENkb9OI9R@10dh0`8@9R@@@@@@@;kaCw9EE>`00003vP000", 2,
                   {{"type", 21}, {"repeat", 1}, {"mmsi", 993692029}, {"aid_type", 18},
                    {"name", "SD BAY APP SD       "}, {"accuracy", 0},
                    {"lon", Minutes10k(-70347521)}, {"lat", Minutes10k(19573365)},
                    {"dimensions", 0}, {"epfd", 7}, {"second", 61}, {"off_position", 0},
                    {"regional", 0}, {"raim", 0}, {"virtual_aid", 0}}},
        FamilyCase{"ChannelManagementBroadcast", "F030ot22N2P6aoQbhe4736L20000", 0,
                   {{"type", 22}, {"mmsi", 3160048}, {"channel_a", 2087}, {"channel_b", 2088},
                    {"txrx", 0}, {"power", 0}, {"ne_lon", Minutes10(-44100)},
                    {"ne_lat", Minutes10(27330)}, {"sw_lon", Minutes10(-48100)},
                    {"sw_lat", Minutes10(25400)}, {"addressed", 0}, {"zonesize", 4}}},
        FamilyCase{"ChannelManagementAddressed", "F@@W>gOP00PH=JrN9l000?wB2HH;", 0,
                   {{"type", 22}, {"repeat", 1}, {"mmsi", 17419965}, {"channel_a", 3584},
                    {"channel_b", 8}, {"txrx", 1}, {"power", 1}, {"addressed", 1},
                    {"zonesize", 4}, {"dest_mmsi1", 28144881}, {"dest_mmsi2", 268435519}}},
        FamilyCase{"GroupAssignment", "G02:Kn01R`sn@291nj600000900", 2,
                   {{"type", 23}, {"mmsi", 2268120}, {"ne_lon", Minutes10(1578)},
                    {"ne_lat", Minutes10(30642)}, {"sw_lon", Minutes10(1096)},
                    {"sw_lat", Minutes10(30408)}, {"station_type", 6}, {"ship_type", 0},
                    {"interval", 9}, {"quiet", 0}}},
        FamilyCase{"StaticPartA", "H42O55i18tMET00000000000000", 2,
                   {{"type", 24}, {"mmsi", 271041815}, {"partno", 0}, {"shipname", "PROGUY"}}},
        FamilyCase{"StaticPartB", "H42O55lti4hhhilD3nink000?050", 0,
                   {{"type", 24}, {"mmsi", 271041815}, {"partno", 1}, {"shiptype", 60},
                    {"vendorid", "1D00014"}, {"callsign", "TC6163"},
                    {"dimensions", (0 << 21) | (15 << 12) | (0 << 6) | 5}}},
        FamilyCase{"SingleSlotAddressed", "I6SWo?8P00a3PKpEKEVj0?vNP<65", 0,
                   {{"type", 25}, {"mmsi", 440006460}, {"addressed", 1}, {"structured", 0},
                    {"dest_mmsi", 134218384}, {"dac", 897}, {"fid", 47},
                    {"data", Hex{"855b566c803fe7a0306140"}}}},
        FamilyCase{"SingleSlotBroadcast", "I8IRGB40QPPa0:<HP::V=gwv0l48", 0,
                   {{"type", 25}, {"mmsi", 563648328}, {"addressed", 0}, {"structured", 1},
                    {"dac", 2}, {"fid", 6}, {"data", Hex{"082900a31880a2a636fffe034108"}}}},
        FamilyCase{"MultipleSlotAsAddressedSingleSlot",
                   "JB3R0GO7p>vQL8tjw0b5hqpd0706kh9d3lR2vbl0400", 2,
                   {{"type", 26}, {"repeat", 1}, {"mmsi", 137920605}, {"addressed", 1},
                    {"structured", 1}, {"dest_mmsi", 838351848}, {"dac", 368}, {"fid", 35},
                    {"data", Hex{"ccbf02a170e78b001c01b3"}}}}),
    [](const testing::TestParamInfo<FamilyCase>& row) { return std::string(row.param.name); });
// clang-format on

AisMessageBuilder PositionReport(unsigned turn, std::int64_t lon, std::int64_t lat,
                                 unsigned heading) {
  AisMessageBuilder m;
  m.U(6, 1).U(2, 0).U(30, 244740981).U(4, 0).U(8, turn).U(10, 0).U(1, 1).S(28, lon).S(27, lat);
  m.U(12, 0).U(9, heading).U(6, 45).U(4, 0).U(1, 0).U(1, 1).U(19, 0x7FFFF);
  return m;
}

TEST(AisDecodeMessage, FillsRecordBytesZeroTo37OfAFullPositionReport) {
  const Decoded d = DecodeBits(PositionReport(0, 0, 0, 0).Buffer());
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.record.U32(34), 0x7FFFFu);  // radio status, the last field
  for (std::size_t i = 38; i < AisDecodedRecord::kSize; ++i) ASSERT_EQ(d.record.U8(i), 0) << i;
}

TEST(AisDecodeMessage, LeavesTheFieldsOfATruncatedMessageZero) {
  AisBitBuffer bits = PositionReport(0, 0, 0, 0).Buffer();
  bits.bitCount = 160;
  const Decoded d = DecodeBits(bits);
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.record.U8(33), 1);  // RAIM, the last field that fits
  EXPECT_EQ(d.record.U32(34), 0u);
  EXPECT_EQ(d.Fields().count("radio"), 0u);
}

TEST(AisDecodeMessage, ConvertsTheRateOfTurn) {
  const struct {
    unsigned raw;
    float degreesPerMinute;
  } cases[] = {{0, 0.0f},       {128, 9999.0f},     {127, 1001.0f},    {129, -1001.0f},
               {1, 0.0446403f}, {255, -0.0446403f}, {126, 708.70922f}, {130, -708.70922f}};
  for (const auto& c : cases) {
    const Decoded d = DecodeBits(PositionReport(c.raw, 0, 0, 0).Buffer());
    ASSERT_TRUE(d.ok);
    EXPECT_NEAR(d.record.F32(7), c.degreesPerMinute, 1e-5 * std::max(1.0f, c.degreesPerMinute))
        << c.raw;
  }
}

TEST(AisDecodeMessage, GivesTheNotAvailablePositionExactly) {
  const Decoded d = DecodeBits(PositionReport(0, 108600000, 54600000, 0).Buffer());
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.record.F32(16), 181.0f);
  EXPECT_EQ(d.record.F32(20), 91.0f);

  const Decoded south = DecodeBits(PositionReport(0, -108000000, -54000000, 0).Buffer());
  EXPECT_NEAR(south.record.F32(16), -180.0f, 1e-4);
  EXPECT_NEAR(south.record.F32(20), -90.0f, 1e-4);
}

TEST(AisDecodeMessage, StoresHeadingsAbove359As511) {
  for (const auto& [raw, stored] :
       {std::pair{0u, 0}, {359u, 359}, {360u, 511}, {510u, 511}, {511u, 511}}) {
    const Decoded d = DecodeBits(PositionReport(0, 0, 0, raw).Buffer());
    EXPECT_EQ(d.record.U16(28), stored) << raw;
  }
}

TEST(AisDecodeMessage, PicksTheMessage24LayoutByPartNumber) {
  for (unsigned part = 0; part < 4; ++part) {
    AisMessageBuilder m;
    m.U(6, 24).U(2, 0).U(30, 271041815).U(2, part).U(8, 60).Text(7, "1D00014");
    m.Text(7, "TC6163").U(30, 5).U(6, 0);
    const Decoded d = DecodeBits(m.Buffer());
    ASSERT_TRUE(d.ok);
    const auto fields = d.Fields();
    EXPECT_EQ(std::get<std::int64_t>(fields.at("partno")), part);
    // Part B only for part number 1; 0, 2 and 3 take the part A layout.
    EXPECT_EQ(fields.count("callsign"), part == 1 ? 1u : 0u) << part;
    EXPECT_EQ(fields.count("shipname"), part == 1 ? 0u : 1u) << part;
  }
}

TEST(AisDecodeMessage, PicksTheMessage25LayoutByDestinationIndicator) {
  AisMessageBuilder addressed;
  addressed.U(6, 25).U(2, 0).U(30, 1).U(1, 1).U(1, 1).U(30, 211378120).U(10, 1).U(6, 2);
  addressed.U(82, 0);
  const Decoded a = DecodeBits(addressed.Buffer());
  ASSERT_TRUE(a.ok);
  EXPECT_EQ(a.record.U32(8), 211378120u);
  EXPECT_EQ(a.record.U16(12), 1u);

  AisMessageBuilder broadcast;
  broadcast.U(6, 25).U(2, 0).U(30, 1).U(1, 0).U(1, 1).U(10, 235).U(6, 10).U(112, 0);
  const Decoded b = DecodeBits(broadcast.Buffer());
  ASSERT_TRUE(b.ok);
  EXPECT_EQ(b.record.U16(8), 235u);
  EXPECT_EQ(b.record.U8(10), 10u);
}

TEST(AisDecodeMessage, KeepsTheAddressedMessage22Destinations) {
  AisMessageBuilder m;
  m.U(6, 22).U(2, 0).U(30, 2).U(2, 0).U(12, 2087).U(12, 2088).U(4, 0).U(1, 0);
  m.U(30, 244740981).U(5, 0).U(30, 211378120).U(5, 0);  // in place of the corners
  m.U(1, 1).U(1, 0).U(1, 0).U(3, 4).U(23, 0);
  ASSERT_EQ(m.Size(), 168u);
  const Decoded d = DecodeBits(m.Buffer());
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.record.U8(29), 1);
  EXPECT_EQ(d.record.U32(kAisAddressedDest1At), 244740981u);
  EXPECT_EQ(d.record.U32(kAisAddressedDest2At), 211378120u);
}

TEST(AisDecodeMessage, CountsTheBinaryBytesOfMessages6And8) {
  AisMessageBuilder six;
  six.U(6, 6).U(2, 0).U(30, 1).U(2, 0).U(30, 2).U(1, 0).U(1, 0);
  for (unsigned i = 0; i < 10; ++i) six.U(8, 0xA0 + i);
  const Decoded d6 = DecodeBits(six.Buffer());
  ASSERT_TRUE(d6.ok);
  for (unsigned i = 0; i < 10; ++i) EXPECT_EQ(d6.record.U8(13 + i), 0xA0 + i);
  EXPECT_EQ(d6.record.U16(kAisAddressedBinaryCountAt), 10u);

  AisMessageBuilder eight;
  eight.U(6, 8).U(2, 0).U(30, 1).U(2, 0);
  const Decoded d8 = DecodeBits(eight.Buffer());
  ASSERT_TRUE(d8.ok);
  EXPECT_EQ(d8.record.U16(kAisBroadcastBinaryCountAt), 0u);
}

TEST(AisDecodeMessage, FitsTheLongestBinaryInFrontOfItsCount) {
  AisMessageBuilder eight;
  eight.U(6, 8).U(2, 0).U(30, 1).U(2, 0);
  while (eight.Size() < kAisBitCapacity) eight.U(8, 0xFF);
  const Decoded d = DecodeBits(eight.Buffer());
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.record.U16(kAisBroadcastBinaryCountAt), 122u);
  EXPECT_EQ(d.record.U8(7 + 121), 0xFF);
}

TEST(AisDecodeMessage, CutsALongSafetyTextAtTheRecordEnd) {
  const struct {
    unsigned id;
    std::size_t textAt;
  } cases[] = {{12, 13}, {14, 7}};
  for (const auto& c : cases) {
    AisMessageBuilder m;
    m.U(6, c.id).U(2, 0).U(30, 1).U(2, 0);
    if (c.id == 12) m.U(30, 2).U(1, 0).U(1, 0);
    while (m.Size() + 6 <= kAisBitCapacity) m.Text(1, "X");
    const Decoded d = DecodeBits(m.Buffer());
    ASSERT_TRUE(d.ok);
    const std::string_view text = d.record.Text(c.textAt);
    EXPECT_EQ(text.size(), AisDecodedRecord::kSize - c.textAt - 1) << c.id;
    EXPECT_EQ(text.find_first_not_of('X'), std::string_view::npos);
    EXPECT_EQ(d.record.U8(AisDecodedRecord::kSize - 1), 0);
  }
}

TEST(AisDecodeMessage, DecodesTheOwnMessage63Subtypes) {
  AisMessageBuilder two;
  two.U(6, 63).U(8, 99).U(4, 2).Text(7, "ABC").Text(20, "OWN SHIP").U(30, 12345).U(30, 678);
  const Decoded d = DecodeBits(two.Buffer());
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.record.U8(1), 99);
  EXPECT_EQ(d.record.U8(2), 2);
  EXPECT_EQ(d.record.Text(3), "ABC@@@@");
  EXPECT_EQ(d.record.Text(11), "OWN SHIP@@@@@@@@@@@@");
  EXPECT_EQ(d.record.U32(32), 12345u);
  EXPECT_EQ(d.record.U32(36), 678u);
  CheckFields(d, {{"type", 63},
                  {"sub_id", 99},
                  {"subtype", 2},
                  {"text_1", "ABC"},
                  {"text_2", "OWN SHIP"},
                  {"dimensions_1", 12345},
                  {"dimensions_2", 678}});

  AisMessageBuilder four;
  four.U(6, 63).U(8, 99).U(4, 4).U(5, 17).U(1, 1).U(1, 0).U(1, 1).U(1, 0).U(1, 1).U(4, 9);
  CheckFields(DecodeBits(four.Buffer()),
              {{"field_4", 17}, {"flag_5", 1}, {"flag_8", 0}, {"flag_9", 1}, {"field_10", 9}});
}

TEST(AisDecodeMessage, RefusesUnknownMessages) {
  auto decodes = [](AisMessageBuilder m) {
    while (m.Size() < 168) m.U(1, 0);
    return DecodeBits(m.Buffer()).ok;
  };
  EXPECT_FALSE(decodes(AisMessageBuilder().U(6, 0)));
  for (unsigned id = 27; id <= 62; ++id) EXPECT_FALSE(decodes(AisMessageBuilder().U(6, id))) << id;
  EXPECT_FALSE(decodes(AisMessageBuilder().U(6, 63).U(8, 98).U(4, 2)));
  EXPECT_FALSE(decodes(AisMessageBuilder().U(6, 63).U(8, 99).U(4, 0)));
  EXPECT_FALSE(decodes(AisMessageBuilder().U(6, 63).U(8, 99).U(4, 5)));
  for (unsigned id = 1; id <= 26; ++id) EXPECT_TRUE(decodes(AisMessageBuilder().U(6, id))) << id;
  EXPECT_TRUE(decodes(AisMessageBuilder().U(6, 63).U(8, 99).U(4, 1)));
}

TEST(AisDecodeMessage, RefusesALayoutHoldingAnUndefinedKind) {
  // Kind codes 10 and 12 are no kinds.
  for (std::uint8_t code : {10, 12, 21, 255}) {
    const AisFieldDescriptor fields[] = {
        {6, AisFieldKind::UInt8, 1.0f, "type"},
        {2, AisFieldKind::UInt8, 1.0f, "repeat"},
        {30, static_cast<AisFieldKind>(code), 1.0f, "mmsi"},
    };
    AisLayoutTable table = kAisLayouts;
    table[0] = {3, fields};
    AisDecodedRecord record;
    EXPECT_FALSE(AisDecodeMessage(PositionReport(0, 0, 0, 0).Buffer(), record, table)) << +code;
  }
}

TEST(AisLayouts, FillTheSlotsOfTheTable) {
  const AisLayoutTable& t = kAisLayouts;
  EXPECT_EQ(t[0].fields, t[1].fields);
  EXPECT_EQ(t[0].fields, t[2].fields);
  EXPECT_EQ(t[3].fields, t[10].fields);  // messages 4 and 11
  EXPECT_EQ(t[6].fields, t[12].fields);  // messages 7 and 13
  EXPECT_EQ(t[27].fieldCount, 0u);
  for (std::size_t slot = 0; slot < t.size(); ++slot) {
    if (slot == 27) continue;
    ASSERT_GT(t[slot].fieldCount, 0u) << slot;
    EXPECT_EQ(t[slot].fields[0].name, "type");
    EXPECT_EQ(t[slot].fields[0].width, 6);
  }
}

}  // namespace
}  // namespace store
