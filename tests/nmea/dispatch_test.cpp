// The address split, the formatter table, and the hand-offs that
// ParseSentence and ComposeSentence make to the layers above the library.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "nmea/classification.h"
#include "nmea/formatters.h"
#include "nmea/sentence_library.h"
#include "sentence_text.h"

namespace nmea {
namespace {

using testing_support::Sentence;

struct AddressCase {
  const char* name;
  std::string line;
  const char* talker;
  const char* formatter;
  char makerLetter;
  bool hasParser;
};

class AddressSplit : public testing::TestWithParam<AddressCase> {};

TEST_P(AddressSplit, FillsTheHeaderAndPicksTheParser) {
  const AddressCase& c = GetParam();
  SentenceLibrary library;
  SentenceRecord record{};
  library.ParseSentence(c.line, record);
  EXPECT_EQ(record.start, c.line[0]);
  EXPECT_STREQ(record.talker, c.talker);
  EXPECT_EQ(std::string(record.formatter, 3), std::string(c.formatter, 3));
  EXPECT_EQ(record.makerLetter, c.makerLetter);
  EXPECT_EQ(library.LastFault() != SentenceFault::UnknownFormatter, c.hasParser)
      << FaultName(library.LastFault());
}

INSTANTIATE_TEST_SUITE_P(
    Dispatch, AddressSplit,
    testing::Values(
        AddressCase{"Standard",
                    Sentence("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"),
                    "GP", "GGA", 0, true},
        AddressCase{"Encapsulation", Sentence("!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0"), "AI",
                    "VDM", 0, true},
        AddressCase{"Query", Sentence("$AIGPQ,GGA"), "AI", "Q\0\0", 0, true},
        AddressCase{"MakerSentence", Sentence("$PZLX,C,DBG,700,1,,,,,,"), "P", "DBG", 'C', true},
        AddressCase{"MakerSentenceOtherFormatter", Sentence("$PZLX,R,TPS,040,0001ABCD"), "P", "TPS",
                    'R', true},
        AddressCase{"MakerSentenceUnknownInner", Sentence("$PZLX,A,XYZ,1"), "P", "XYZ", 'A', false},
        // A proprietary sentence whose maker code is a formatter of the table
        // reaches that parser; the device's probe answers come this way.
        AddressCase{"ProprietaryNamedLikeAFormatter", Sentence("$PTST,,,,,00016"), "P", "TST", 0,
                    true},
        AddressCase{"ForeignProprietary", Sentence("$PGRME,15.0,M,45.0,M,25.0,M"), "P", "GRM", 0,
                    false},
        AddressCase{"UnknownFormatter", Sentence("$SDHDG,101.1,,,7.1,W"), "SD", "HDG", 0, false},
        // Only $PZLX,<letter>,<formatter> is a maker sentence; otherwise
        // ZLX is a maker code like any other, with no letter.
        AddressCase{"BareMakerCode", Sentence("$PZLX"), "P", "ZLX", 0, false},
        AddressCase{"MakerCodeWithoutFormatter", Sentence("$PZLX,A"), "P", "ZLX", 0, false},
        AddressCase{"MakerLetterOfTwoCharacters", Sentence("$PZLX,AB,DBG,1"), "P", "ZLX", 0, false},
        AddressCase{"MakerLetterEmpty", Sentence("$PZLX,,DBG,1"), "P", "ZLX", 0, false},
        AddressCase{"MakerFormatterCut", Sentence("$PZLX,A,DB"), "P", "ZLX", 0, false}),
    [](const testing::TestParamInfo<AddressCase>& row) { return std::string(row.param.name); });

TEST(AddressSplit, MakerSentenceIsSeenByItsParserWithoutThePrefix) {
  // The rewrite turns "$PZLX,C,DBG,..." into "$PDBG,..." in place.
  std::string line = Sentence("$PZLX,C,DBG,700,1,,,,,,");
  char buffer[kLineBufferSize] = {};
  line.copy(buffer, line.size());
  SentenceLibrary library;
  SentenceRecord record{};
  ASSERT_TRUE(library.ParseSentence(buffer, record));
  // The parser ends each field in place, so only the rewritten head reads
  // as text; the fields themselves arrive in the body.
  EXPECT_EQ(std::string(buffer + 6, 5), "$PDBG");
  EXPECT_EQ(+record.body.dbg.codes[0], 700);  // + copies the packed field
  EXPECT_EQ(+record.body.dbg.values[0], 1);
}

// The formatters the library parses, with their number of data fields, and
// those it composes: the rules' lists, against the formatter table. Each
// list must match the table both ways.
struct Parsed {
  std::string_view formatter;
  std::vector<int> counts;  // empty: any count
};

const std::vector<Parsed> kParsed = {
    {"ABK", {5}},      {"ABM", {8}},  {"ACA", {19}},
    {"ACK", {1}},      {"ACS", {6}},  {"AIQ", {2}},
    {"ALR", {5}},      {"BBM", {7}},  {"BDY", {5}},
    {"BTH", {7}},      {"DBG", {8}},  {"DTM", {8}},
    {"FRQ", {4}},      {"GBS", {8}},  {"GGA", {14}},
    {"GLL", {7}},      {"GNS", {12}}, {"GRS", {14}},
    {"GSA", {17}},     {"GST", {8}},  {"GSV", {7, 11, 15, 19}},
    {"HDT", {2}},      {"MID", {2}},  {"MOB", {5}},
    {"OSD", {9}},      {"Q", {1}},    {"RMA", {}},
    {"RMC", {11, 12}}, {"ROT", {2}},  {"SSD", {8}},
    {"Smg", {2}},      {"TPS", {2}},  {"TST", {5}},
    {"TXT", {4}},      {"VBW", {6}},  {"VDM", {6}},
    {"VDO", {6}},      {"VSD", {9}},  {"VTG", {9}},
    {"WPL", {5}},      {"ZDA", {6}},
};

const std::vector<std::string_view> kComposed = {
    "ABK", "ABM", "ACA", "ACK", "ACS", "ALR", "BBM", "BDY", "BTH", "DBG", "FRQ", "GBS",
    "GSA", "HDT", "MID", "MOB", "RMC", "SSD", "TPS", "TST", "VDM", "VDO", "VSD",
};

TEST(FormatterTable, ParsesTheListedFormattersWithTheirFieldCounts) {
  for (const Parsed& p : kParsed) {
    SCOPED_TRACE(p.formatter);
    const FormatterRow* row = FindFormatter(p.formatter);
    ASSERT_NE(row, nullptr);
    ASSERT_NE(row->parse, nullptr);
    for (int count = 0; count <= 40; ++count) {
      const bool listed =
          p.counts.empty() || std::find(p.counts.begin(), p.counts.end(), count) != p.counts.end();
      EXPECT_EQ(row->fields.Takes(count), listed) << count << " fields";
    }
  }
  for (const FormatterRow& row : kFormatters) {
    if (row.parse == nullptr) continue;
    EXPECT_TRUE(std::any_of(kParsed.begin(), kParsed.end(),
                            [&](const Parsed& p) { return p.formatter == row.name; }))
        << row.name << " is parsed but not listed";
  }
}

TEST(FormatterTable, ComposesTheListedFormatters) {
  for (const FormatterRow& row : kFormatters) {
    const bool listed = std::find(kComposed.begin(), kComposed.end(), row.name) != kComposed.end();
    EXPECT_EQ(row.compose != nullptr, listed) << row.name;
  }
  for (const std::string_view f : kComposed) EXPECT_NE(FindFormatter(f), nullptr) << f;
}

TEST(FormatterTable, FindsOnlyWholeFormatters) {
  for (const std::string_view f : {"SMG", "smg", "HDG", "GGB", "QAA", "GG", "", "GGAX"}) {
    EXPECT_EQ(FindFormatter(f), nullptr) << f;
  }
}

// A wrong count is refused before the parser looks at any field: the
// parser would take the first fields of a short sentence.
TEST(Dispatch, RefusesAWrongFieldCountBeforeTheParser) {
  SentenceLibrary library;
  SentenceRecord record{};
  record.body.dbg.codes[0] = 42;
  EXPECT_FALSE(library.ParseSentence(Sentence("$PZLX,R,DBG,104,17"), record));
  EXPECT_EQ(library.LastFault(), SentenceFault::FieldCount);
  EXPECT_EQ(+record.body.dbg.codes[0], 42) << "the body is untouched";
}

TEST(Compose, UnknownFormatterFailsAndLeavesTheOutputEmpty) {
  SentenceLibrary library;
  SentenceRecord record{};
  std::array<char, 100> out;
  out.fill('x');
  EXPECT_FALSE(library.ComposeSentence(out, record, "GGA", "GP"));
  EXPECT_STREQ(out.data(), "");
}

SentenceRecord VdmRecord(const char* payload, std::int8_t channel) {
  SentenceRecord record{};
  EncapsulationBody& body = record.body.encapsulation;
  body.total = 1;
  body.number = 1;
  body.sequenceId = static_cast<std::int8_t>(kEmptyByte);
  body.channel = static_cast<char>(channel);
  std::strcpy(body.payload, payload);
  body.fillBits = 0;
  return record;
}

TEST(Compose, WritesChecksumAndLineEndAndParsesBack) {
  SentenceLibrary library;
  SentenceRecord record = VdmRecord("13aEOK?P00PD2wVMdLDRhgvL289?", 1);
  std::array<char, 100> out{};
  ASSERT_TRUE(library.ComposeSentence(out, record, "VDM", "AI"));
  EXPECT_STREQ(out.data(), Sentence("!AIVDM,1,1,,B,13aEOK?P00PD2wVMdLDRhgvL289?,0").c_str());

  SentenceRecord parsed{};
  ASSERT_TRUE(library.ParseSentence(std::string(out.data()), parsed));
  EXPECT_EQ(parsed.body.encapsulation.channel, 'B');
  EXPECT_STREQ(parsed.body.encapsulation.payload, "13aEOK?P00PD2wVMdLDRhgvL289?");
}

TEST(Compose, ASentenceThatDoesNotFitIsNotWritten) {
  SentenceLibrary library;
  SentenceRecord record = VdmRecord("13aEOK?P00PD2wVMdLDRhgvL289?", 0);
  std::array<char, 40> small;
  small.fill('x');
  EXPECT_FALSE(library.ComposeSentence(small, record, "VDM", "AI"));
  EXPECT_STREQ(small.data(), "");
  // Room for the sentence but not for its checksum: still nothing.
  std::array<char, 48> almost;
  EXPECT_FALSE(library.ComposeSentence(almost, record, "VDM", "AI"));
  EXPECT_STREQ(almost.data(), "");
}

// Records what the library hands to the store and the AIS chain.
struct RecordingHandoffs : StoreHandoff, AisHandoff {
  std::vector<std::string> calls;
  std::uint8_t decodedCategory = 0xFF;
  bool decodeResult = true;
  int entry = 3;

  void StoreDecode(SentenceRecord& record) override {
    decodedCategory = record.category;
    calls.push_back("StoreDecode " + std::string(record.formatter));
  }
  void StoreEncode(SentenceRecord& record) override {
    calls.push_back("StoreEncode " + std::string(record.talker) + record.formatter);
    // The store completes the record: the composer must see this.
    record.body.encapsulation.fillBits = 4;
  }
  void AisClear() override { calls.push_back("AisClear"); }
  bool AisDearmour(const AisPayloadRecord& payload) override {
    calls.push_back("AisDearmour " + std::string(payload.payload));
    return true;
  }
  bool AisDecodeMessage() override {
    calls.push_back("AisDecodeMessage");
    return decodeResult;
  }
  int AisTargetsUpdate(int channelIndex, int extra, bool own) override {
    calls.push_back("AisTargetsUpdate " + std::to_string(channelIndex) + " " +
                    std::to_string(extra) + " " + (own ? "own" : "other"));
    return entry;
  }
  void AisCountMessage(int index, bool vdo) override {
    calls.push_back("AisCountMessage " + std::to_string(index) + (vdo ? " VDO" : " VDM"));
  }
};

TEST(Dispatch, AKnownFormatterInAnEncapsulationSentenceIsNoEncapsulation) {
  RecordingHandoffs h;
  SentenceLibrary library(&h, &h);
  SentenceRecord record{};
  EXPECT_FALSE(library.ParseSentence(Sentence("!GPHDT,274.07,T"), record));
  EXPECT_EQ(library.LastFault(), SentenceFault::NotEncapsulation);
  EXPECT_STREQ(FaultName(library.LastFault()), "not an encapsulation sentence");
  EXPECT_TRUE(h.calls.empty()) << "refused before the store sees it";

  EXPECT_FALSE(library.ParseSentence(Sentence("!GPXYZ,1"), record));
  EXPECT_EQ(library.LastFault(), SentenceFault::UnknownFormatter);
}

TEST(Handoffs, AVdmMessageTravelsTheWholeChain) {
  RecordingHandoffs h;
  SentenceLibrary library(&h, &h);
  SentenceRecord record{};
  ASSERT_TRUE(
      library.ParseSentence(Sentence("!AIVDM,1,1,,B,13aEOK?P00PD2wVMdLDRhgvL289?,0"), record));
  EXPECT_EQ(h.decodedCategory, CategoryAis);
  EXPECT_EQ(h.calls,
            (std::vector<std::string>{"StoreDecode VDM", "AisDearmour 13aEOK?P00PD2wVMdLDRhgvL289?",
                                      "AisDecodeMessage", "AisTargetsUpdate 1 0 other",
                                      "AisCountMessage 3 VDM"}));
}

TEST(Handoffs, OwnStationEmptyChannelAndRefusals) {
  RecordingHandoffs h;
  SentenceLibrary library(&h, &h);
  SentenceRecord record{};

  // VDO with an empty channel: folded in as the own station, not counted.
  ASSERT_TRUE(library.ParseSentence(Sentence("!AIVDO,1,1,,,B3aC,0"), record));
  EXPECT_EQ(h.calls.back().rfind("AisTargetsUpdate", 0), 0u) << h.calls.back();
  EXPECT_NE(h.calls.back().find(" own"), std::string::npos);

  // No target keeps the message: accepted, nothing counted.
  h.calls.clear();
  h.entry = -1;
  ASSERT_TRUE(library.ParseSentence(Sentence("!AIVDM,1,1,,A,B3aC,0"), record));
  EXPECT_EQ(h.calls.back(), "AisTargetsUpdate 0 0 other");

  // A message the decoder refuses makes the sentence fail.
  h.decodeResult = false;
  EXPECT_FALSE(library.ParseSentence(Sentence("!AIVDM,1,1,,A,B3aC,0"), record));
  EXPECT_EQ(library.LastFault(), SentenceFault::AisMessage);
}

TEST(Handoffs, ParametricSentenceClearsTheLastPayload) {
  RecordingHandoffs h;
  SentenceLibrary library(&h, &h);
  SentenceRecord record{};
  ASSERT_TRUE(library.ParseSentence(Sentence("!AIVDM,1,1,,A,B3aC,0"), record));
  EXPECT_STREQ(library.LastPayload().payload, "B3aC");

  // A refused '$' sentence changes nothing; an accepted one voids the last message.
  h.calls.clear();
  EXPECT_FALSE(library.ParseSentence(Sentence("$GPXXX,1"), record));
  EXPECT_STREQ(library.LastPayload().payload, "B3aC");
  EXPECT_TRUE(h.calls.empty());
  ASSERT_TRUE(library.ParseSentence(Sentence("$AIVDM,1,1,,A,B3aC,0"), record));
  EXPECT_STREQ(library.LastPayload().payload, "");
  EXPECT_EQ(h.calls, (std::vector<std::string>{"StoreDecode VDM", "AisClear"}));
}

TEST(Handoffs, ComposeAsksTheStoreFirst) {
  RecordingHandoffs h;
  SentenceLibrary library(&h, &h);
  SentenceRecord record = VdmRecord("B3aC", 0);
  std::array<char, 100> out{};
  ASSERT_TRUE(library.ComposeSentence(out, record, "VDO", "AIX"));
  EXPECT_EQ(h.calls, std::vector<std::string>{"StoreEncode AIVDO"})
      << "talker cut to two characters";
  EXPECT_STREQ(out.data(), Sentence("!AIVDO,1,1,,A,B3aC,4").c_str());
}

}  // namespace
}  // namespace nmea
