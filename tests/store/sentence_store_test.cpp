// The sentence record store behind ParseSentence and ComposeSentence: the
// maker record's fresh flags, the query slots, the family records, and the
// encode path the upgrade engine sends its commands through.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "../nmea/sentence_text.h"
#include "nmea/classification.h"
#include "store/nmea_stack.h"

namespace store {
namespace {

// Record fields are packed and EXPECT_EQ takes references: a unary + hands
// it a copy (and prints one-byte numbers as numbers).

using nmea::SentenceRecord;
using nmea::testing_support::Sentence;

constexpr auto kEmptyI32 = static_cast<std::int32_t>(nmea::kEmptyU32);

// Parses one sentence (checksum added) through the stack's library.
void Receive(NmeaStack& stack, const std::string& text) {
  SentenceRecord record{};
  ASSERT_TRUE(stack.library.ParseSentence(Sentence(text), record))
      << text << ": " << nmea::FaultName(stack.library.LastFault());
}

std::string Send(NmeaStack& stack, const char* formatter, const char* talker = "P") {
  SentenceRecord record{};
  std::array<char, 100> out{};
  if (!stack.library.ComposeSentence(out, record, formatter, talker)) return "(failed)";
  return out.data();
}

TEST(MakerRecord, DbgSetsTheFlagOfEachCodeInRangeAndKeepsTheLetter) {
  NmeaStack stack;
  Receive(stack, "$PZLX,C,DBG,001,5,002,6,,,,");
  const DbgRecord& dbg = stack.sentences.Maker().dbg;
  const std::int16_t codes[4] = {1, 2, 999, 999};
  const std::int32_t values[4] = {5, 6, kEmptyI32, kEmptyI32};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(+dbg.codes[i], codes[i]) << i;
    EXPECT_EQ(+dbg.values[i], values[i]) << i;
    EXPECT_EQ(+dbg.fresh[i], 1) << "an empty code (999) counts as in range: " << i;
  }
  EXPECT_EQ(dbg.letter, 'C');
}

TEST(MakerRecord, OnlyTheUserClearsAFreshFlag) {
  NmeaStack stack;
  DbgRecord& dbg = stack.sentences.Maker().dbg;
  Receive(stack, "$PZLX,R,DBG,104,17,,,,,,");
  // The upgrade engine takes slot 0 and clears its flag; slot 1 stays.
  dbg.fresh[0] = 0;

  // Codes out of range (above 999, below 0) set nothing and clear nothing.
  Receive(stack, "$PZLX,R,DBG,1000,1,-1,2,,,,");
  EXPECT_EQ(+dbg.codes[0], 1000) << "stored as it came";
  EXPECT_EQ(+dbg.codes[1], -1);
  EXPECT_EQ(+dbg.fresh[0], 0);
  EXPECT_EQ(+dbg.fresh[1], 1) << "set by the first sentence, not cleared by the second";

  Receive(stack, "$PDBG,104,18,,,,,,");
  EXPECT_EQ(+dbg.fresh[0], 1);
  EXPECT_EQ(+dbg.letter, 0) << "a plain $PDBG carries no letter";
}

TEST(MakerRecord, FieldsAfterTheChecksumAreNoReply) {
  // The checksum covers none of ",104,5": the device did not send that pair.
  NmeaStack stack;
  std::string line = Sentence("$PZLX,R,DBG,003,1,,,,");
  line.insert(line.size() - 2, ",104,5*");
  SentenceRecord record{};
  EXPECT_FALSE(stack.library.ParseSentence(line, record));
  const DbgRecord& dbg = stack.sentences.Maker().dbg;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(+dbg.fresh[i], 0) << i;
}

TEST(MakerRecord, AValueTooWideForItsFieldIsNoReply) {
  // 65640 would be code 104 and 4294967303 value 7, were they wrapped.
  NmeaStack stack;
  SentenceRecord record{};
  EXPECT_FALSE(stack.library.ParseSentence(Sentence("$PZLX,R,DBG,65640,7,,,,,,"), record));
  EXPECT_FALSE(stack.library.ParseSentence(Sentence("$PZLX,R,DBG,104,4294967303,,,,,,"), record));
  const DbgRecord& dbg = stack.sentences.Maker().dbg;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(+dbg.fresh[i], 0) << i;
}

struct MakerCase {
  const char* name;
  std::vector<std::string> sentences;  // received in order
  std::function<void(const MakerRecord&)> check;
};

void PrintTo(const MakerCase& row, std::ostream* os) { *os << row.name; }

class MakerFlags : public testing::TestWithParam<MakerCase> {};

TEST_P(MakerFlags, FollowTheirRules) {
  NmeaStack stack;
  for (const std::string& s : GetParam().sentences) Receive(stack, s);
  GetParam().check(stack.sentences.Maker());
}

INSTANTIATE_TEST_SUITE_P(
    Store, MakerFlags,
    testing::Values(MakerCase{"MidBothIdentifiers",
                              {"$PZLX,A,MID,123456789,"},
                              [](const MakerRecord& m) {
                                EXPECT_EQ(+m.mid.identifiers[0], 123456789u);
                                EXPECT_EQ(+m.mid.fresh[0], 1);
                                EXPECT_EQ(+m.mid.identifiers[1], 999999999u);
                                EXPECT_EQ(+m.mid.fresh[1], 0);
                              }},
                    MakerCase{"BdyNumber",
                              {"$PZLX,A,BDY,42,FIRST,SECOND,0,0"},
                              [](const MakerRecord& m) {
                                EXPECT_EQ(+m.bdy.identifier, 42u);
                                EXPECT_STREQ(m.bdy.text1, "FIRST");
                                EXPECT_STREQ(m.bdy.text2, "SECOND");
                                EXPECT_EQ(+m.bdy.fresh, 1);
                              }},
                    MakerCase{"BdyNoNumberButByteB",
                              {"$PZLX,A,BDY,,,,0,1"},
                              [](const MakerRecord& m) { EXPECT_EQ(+m.bdy.fresh, 1); }},
                    MakerCase{"BdyNeither",
                              {"$PZLX,A,BDY,,,,1,0"},
                              [](const MakerRecord& m) { EXPECT_EQ(+m.bdy.fresh, 0); }},
                    // Number 99999, value 65535 and letter @ are "nothing arrived".
                    MakerCase{"TstNothingInRange",
                              {"$PTST,99999,,,@,65535"},
                              [](const MakerRecord& m) {
                                EXPECT_EQ(+m.tst.numberFresh, 0);
                                EXPECT_EQ(+m.tst.upperLetterFresh, 0);
                                EXPECT_EQ(+m.tst.valueFresh, 0);
                                EXPECT_EQ(m.tst.upperLetter, '@');
                              }},
                    MakerCase{"TstFlagsOutliveEmptyFields",
                              {"$PTST,12345,07,c,Q,00016", "$PTST,,,,,"},
                              [](const MakerRecord& m) {
                                EXPECT_EQ(+m.tst.number, 99999u)
                                    << "values follow the last sentence";
                                EXPECT_EQ(+m.tst.twoDigit, 99);
                                EXPECT_EQ(m.tst.lowerLetter, ' ');
                                EXPECT_EQ(+m.tst.value, 65535);
                                EXPECT_EQ(+m.tst.numberFresh, 1) << "flags stay set";
                                EXPECT_EQ(+m.tst.upperLetterFresh, 1);
                                EXPECT_EQ(+m.tst.valueFresh, 1);
                              }},
                    MakerCase{"FrqEachPairOnItsOwn",
                              {"$PZLX,A,FRQ,123456789,10,123456789,11"},
                              [](const MakerRecord& m) {
                                EXPECT_EQ(+m.frq.fresh[0], 1);
                                EXPECT_EQ(+m.frq.fresh[1], 0) << "level above 10";
                                EXPECT_EQ(+m.frq.levels[1], 11);
                              }},
                    MakerCase{"BthValueAbove255AndEmptyText",
                              {"$PZLX,A,BTH,001,002,256,004,005,006,"},
                              [](const MakerRecord& m) {
                                EXPECT_EQ(+m.bth.values[2], 256);
                                EXPECT_EQ(+m.bth.fresh, 0);
                                EXPECT_EQ(+m.bth.textFresh, 0);
                              }},
                    // The record keeps 24 characters of a longer text.
                    MakerCase{"BthInRangeWithText",
                              {"$PZLX,A,BTH,-01,002,255,004,005,006,ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
                              [](const MakerRecord& m) {
                                EXPECT_EQ(+m.bth.fresh, 1);
                                EXPECT_EQ(+m.bth.textFresh, 1);
                                EXPECT_STREQ(m.bth.text, "ABCDEFGHIJKLMNOPQRSTUVWX");
                              }},
                    MakerCase{"TpsNegativeNumber",
                              {"$PZLX,R,TPS,-8889,"},
                              [](const MakerRecord& m) {
                                EXPECT_EQ(+m.tps.number, -8889);
                                EXPECT_EQ(+m.tps.fresh, 0);
                              }},
                    MakerCase{"TpsNumber",
                              {"$PZLX,R,TPS,040,0001ABCD"},
                              [](const MakerRecord& m) {
                                EXPECT_EQ(+m.tps.number, 40);
                                EXPECT_STREQ(m.tps.text, "0001ABCD");
                                EXPECT_EQ(+m.tps.fresh, 1);
                              }},
                    // The optional byte is taken only when the sentence had one.
                    MakerCase{"MobOptionalByteOnlyWhenPresent",
                              {"$PZLX,A,MOB,0A1B2C,3,FF,1E,0102", "$PZLX,A,MOB,0A1B2C,4,FE,,"},
                              [](const MakerRecord& m) {
                                EXPECT_EQ(+m.mob.identifier[0], 0x0A);
                                EXPECT_EQ(+m.mob.identifier[1], 0x1B);
                                EXPECT_EQ(+m.mob.identifier[2], 0x2C);
                                EXPECT_EQ(+m.mob.number, 4);
                                EXPECT_EQ(+m.mob.code, 0xFE);
                                EXPECT_EQ(+m.mob.optional, 0x1E) << "kept from the first sentence";
                                EXPECT_EQ(+m.mob.hasOptional, 0);
                                EXPECT_EQ(+m.mob.dataLength, 0);
                              }}),
    [](const testing::TestParamInfo<MakerCase>& row) { return std::string(row.param.name); });

TEST(MakerRecord, MobDataOfTwentyBytesIsNotTaken) {
  // The parser gives at most 9 bytes; a record handed in directly can say 20.
  SentenceStore store;
  SentenceRecord record{};
  std::strcpy(record.formatter, "MOB");
  record.body.mob.dataLength = 20;
  std::memset(record.body.mob.data, 0xAA, sizeof record.body.mob.data);
  store.StoreDecode(record);
  EXPECT_EQ(+store.Maker().mob.dataLength, 0);
  for (const std::uint8_t b : store.Maker().mob.data) EXPECT_EQ(b, 0);

  record.body.mob.dataLength = 19;
  store.StoreDecode(record);
  EXPECT_EQ(+store.Maker().mob.dataLength, 19);
  EXPECT_EQ(+store.Maker().mob.data[18], 0xAA);
  EXPECT_EQ(+store.Maker().mob.data[19], 0) << "the twentieth byte is room, never data";
}

TEST(Queries, FourSlotsThenNothing) {
  NmeaStack stack;
  for (const char* asked : {"GGA", "RMC", "VTG", "ZDA", "GSV"}) {
    Receive(stack, std::string("$AIGPQ,") + asked);
  }
  const auto& slots = stack.sentences.Queries();
  const char* expected[4] = {"GGA", "RMC", "VTG", "ZDA"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(std::string(slots[i].formatter, 3), expected[i]);
    EXPECT_EQ(+slots[i].used, 1);
  }
}

TEST(FamilyRecords, KeepTheLatestBodyAndTheTalker) {
  NmeaStack stack;
  SentenceRecord record{};
  ASSERT_TRUE(stack.library.ParseSentence(
      Sentence("$GNGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"), record));
  EXPECT_EQ(+stack.sentences.Gnss().talker, 3);
  const nmea::SentenceBody* gga = stack.sentences.Latest("GGA");
  ASSERT_NE(gga, nullptr);
  EXPECT_EQ(std::memcmp(gga, &record.body, sizeof record.body), 0);

  ASSERT_TRUE(stack.library.ParseSentence(Sentence("$HEHDT,274.07,T"), record));
  EXPECT_EQ(+stack.sentences.Navigation().talker, 0) << "HE is no listed talker";
  EXPECT_FLOAT_EQ(stack.sentences.Latest("HDT")->hdt.heading, 274.07f);
  EXPECT_EQ(+stack.sentences.Gnss().talker, 3) << "each family keeps its own talker";

  EXPECT_EQ(stack.sentences.Latest("DBG"), nullptr) << "maker sentences have their own record";
  EXPECT_EQ(stack.sentences.Latest("VER"), nullptr);
}

TEST(FamilyRecords, TalkerCodes) {
  for (const auto& [talker, code] : std::initializer_list<std::pair<const char*, int>>{
           {"GP", 1}, {"GL", 2}, {"GN", 3}, {"LC", 4}, {"IN", 6}, {"GA", 0}, {"P", 0}, {"", 0}}) {
    EXPECT_EQ(TalkerCode(talker), code) << talker;
  }
}

TEST(Encode, ComposesWhatTheDecodeSideTookIn) {
  // An RMC received, then composed from the store: the same sentence.
  NmeaStack stack;
  const std::string rmc =
      "$GPRMC,225446.00,A,4930.00000,N,12315.00000,W,0.500,54.70,191119,20.30,E,A";
  Receive(stack, rmc);
  EXPECT_EQ(Send(stack, "RMC", "GP"), Sentence(rmc));

  // A caller composes its own values by writing them into the store.
  stack.sentences.Latest("HDT")->hdt.heading = 12.5f;
  EXPECT_EQ(Send(stack, "HDT", "HE"), Sentence("$HEHDT,12.5,T"));
}

// Satellite ids past 127 and of three digits are kept by the store and come
// back from it whole, in the sentences that have a composer.
TEST(Encode, SatelliteIdsOfThreeDigitsComeBackWhole) {
  NmeaStack stack;
  const std::string gsa = "$GPGSA,A,3,120,,237,999,05,,,,,,,,1.50,1.25,2.00";
  const std::string gbs = "$GPGBS,015509.00,0.25,0.50,1.25,200,0.00,-0.50,6.75";
  Receive(stack, gsa);
  Receive(stack, gbs);
  Receive(stack, "$GPGSV,2,1,08,,,,,200,00,000,00");
  EXPECT_EQ(Send(stack, "GSA", "GP"), Sentence(gsa));
  EXPECT_EQ(Send(stack, "GBS", "GP"), Sentence(gbs));
  EXPECT_EQ(+stack.sentences.Latest("GSV")->gsv.ids[1], 200);
}

TEST(Encode, FormattersWithoutAnEncoderKeepTheCallersFields) {
  NmeaStack stack;
  Receive(stack, "$AIABK,211378120,B,6,1,0");
  for (const char* formatter : {"VER", "ABK", "DTM", "TXT", "XYZ", "Q"}) {
    SentenceRecord record;
    std::memset(&record, 0x5A, sizeof record);
    std::strcpy(record.formatter, formatter);
    std::strcpy(record.talker, "AI");
    SentenceRecord before = record;
    stack.sentences.StoreEncode(record);
    before.category = record.category;  // written by every encode
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0) << formatter;
  }
}

TEST(Encode, NeverChangesTheStore) {
  NmeaStack stack;
  Receive(stack, "$PZLX,R,DBG,104,17,,,,,,");
  const MakerRecord before = stack.sentences.Maker();
  Send(stack, "DBG");
  Send(stack, "MOB");
  EXPECT_EQ(std::memcmp(&before, &stack.sentences.Maker(), sizeof before), 0);
}

// The three commands of the upgrade engine, written into the maker record
// and composed with talker P.
void WriteDbg(MakerRecord& maker, std::int16_t code, std::int32_t value) {
  maker.dbg.codes[0] = code;
  maker.dbg.values[0] = value;
  for (int i = 1; i < 4; ++i) {
    maker.dbg.codes[i] = 999;
    maker.dbg.values[i] = 0;
  }
}

TEST(UpgradeCommands, DbgGoesOutPlainUntilTheDeviceShowsItsLetter) {
  NmeaStack stack;
  WriteDbg(stack.sentences.Maker(), 103, 9);
  EXPECT_EQ(Send(stack, "DBG"), Sentence("$PDBG,103,9,,0,,0,,0"));

  Receive(stack, "$PZLX,R,DBG,003,1,,,,,,");
  WriteDbg(stack.sentences.Maker(), 103, 9);
  EXPECT_EQ(Send(stack, "DBG"), Sentence("$PZLX,R,DBG,103,9,,0,,0,,0"));

  // The device's answers are read back as they came.
  Receive(stack, "$PZLX,R,DBG,104,12,,,,,,");
  EXPECT_EQ(+stack.sentences.Maker().dbg.codes[0], 104);
  EXPECT_EQ(+stack.sentences.Maker().dbg.values[0], 12);
}

TEST(UpgradeCommands, TstProbeAndTpsImageSum) {
  NmeaStack stack;
  TstRecord& tst = stack.sentences.Maker().tst;
  tst.number = 99999;
  tst.twoDigit = 99;
  tst.lowerLetter = '@';
  tst.upperLetter = '@';
  tst.value = 16;
  EXPECT_EQ(Send(stack, "TST"), Sentence("$PTST,,,,,00016"));
  tst.value = 0;
  EXPECT_EQ(Send(stack, "TST"), Sentence("$PTST,,,,,00000"));

  TpsRecord& tps = stack.sentences.Maker().tps;
  tps.number = 40;
  std::strcpy(tps.text, "0001ABCD");
  EXPECT_EQ(Send(stack, "TPS"), Sentence("$PTPS,040,0001ABCD"));
}

// The user may fill a text of the maker record to its last byte, without a
// NUL: the encode side copies that much and no byte of what lies behind it.
TEST(UpgradeCommands, AFullTextIsCopiedAndNothingBeyondIt) {
  NmeaStack stack;
  MakerRecord& maker = stack.sentences.Maker();
  TpsRecord& tps = maker.tps;
  tps.number = 40;
  std::memset(tps.text, 'T', sizeof tps.text);
  tps.fresh = 1;
  std::memcpy(maker.mob.identifier, "XYZ", 3);
  EXPECT_EQ(Send(stack, "TPS"), Sentence("$PTPS,040," + std::string(sizeof tps.text, 'T')));

  BthRecord& bth = maker.bth;
  for (std::int16_t& v : bth.values) v = 1;
  std::memset(bth.text, 'B', sizeof bth.text);
  bth.textFresh = 1;
  maker.dbg.codes[0] = 0x4141;
  EXPECT_EQ(Send(stack, "BTH"),
            Sentence("$PBTH,001,001,001,001,001,001," + std::string(sizeof bth.text, 'B')));
}

}  // namespace
}  // namespace store
