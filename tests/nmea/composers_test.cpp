// The composers, through ComposeSentence without a record store (the record
// holds what the caller put there): the exact text of each formatter, the
// sentinels written as empty fields, and compose-then-parse round trips.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>

#include "nmea/sentence_library.h"
#include "sentence_text.h"

namespace nmea {
namespace {

using testing_support::Sentence;

constexpr auto kEmptyI8 = static_cast<std::int8_t>(kEmptyByte);
constexpr auto kEmptyI32 = static_cast<std::int32_t>(kEmptyU32);

struct Composed {
  const char* name;
  const char* formatter;
  const char* talker;
  std::function<void(SentenceRecord&)> fill;
  std::string expected;  // without checksum
};

std::string Compose(SentenceLibrary& library, SentenceRecord& record, const Composed& c) {
  std::array<char, 100> out{};
  if (!library.ComposeSentence(out, record, c.formatter, c.talker)) return "(failed)";
  return out.data();
}

void PrintTo(const Composed& row, std::ostream* os) { *os << row.expected; }

class Composer : public testing::TestWithParam<Composed> {};

TEST_P(Composer, WritesTheSentence) {
  SentenceLibrary library;
  SentenceRecord record{};
  GetParam().fill(record);
  EXPECT_EQ(Compose(library, record, GetParam()), Sentence(GetParam().expected));
}

// Parsing the composed sentence and composing the parsed record again gives
// the same text: every value survives, and every sentinel is written empty
// and read back as the sentinel.
TEST_P(Composer, SurvivesParseAndComposeAgain) {
  SentenceLibrary library;
  SentenceRecord record{};
  GetParam().fill(record);
  const std::string first = Compose(library, record, GetParam());

  SentenceRecord parsed{};
  const bool ok = library.ParseSentence(first, parsed);
  const SentenceFault fault = library.LastFault();
  ASSERT_TRUE(ok || fault == SentenceFault::Addressed) << FaultName(fault) << " " << first;

  // VDM and VDO read the channel as the letter received but write it from
  // a channel number.
  if (std::strcmp(parsed.formatter, "VDM") == 0 || std::strcmp(parsed.formatter, "VDO") == 0) {
    parsed.body.encapsulation.channel = static_cast<char>(parsed.body.encapsulation.channel - 'A');
  }
  EXPECT_EQ(Compose(library, parsed, GetParam()), first);
}

Position At(float latitude, float longitude) { return {latitude, longitude}; }
UtcTime Clock(int h, int m, int s, int cs) {
  return {static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(m), static_cast<std::uint8_t>(s),
          static_cast<std::uint8_t>(cs)};
}

void Dbg(SentenceRecord& r, char letter, std::array<std::int16_t, 4> codes,
         std::array<std::int32_t, 4> values) {
  r.makerLetter = letter;
  for (int i = 0; i < 4; ++i) {
    r.body.dbg.codes[i] = codes[i];
    r.body.dbg.values[i] = values[i];
  }
}

INSTANTIATE_TEST_SUITE_P(
    Composers, Composer,
    testing::Values(
        // --- maker sentences ---
        Composed{"DbgMakerForm", "DBG", "P",
                 [](SentenceRecord& r) {
                   Dbg(r, 'C', {700, 999, 999, 999}, {1, kEmptyI32, kEmptyI32, kEmptyI32});
                 },
                 "$PZLX,C,DBG,700,1,,,,,,"},
        Composed{"DbgWithoutLetter", "DBG", "P",
                 [](SentenceRecord& r) {
                   Dbg(r, 0, {103, 999, 999, 999}, {9, 0, 0, 0});
                 },
                 "$PDBG,103,9,,0,,0,,0"},
        Composed{"DbgLetterOutsideAToZ", "DBG", "P",
                 [](SentenceRecord& r) {
                   Dbg(r, 'r', {3, 1000, 999, -5}, {-8888, kEmptyI32, 7, 2147483647});
                 },
                 "$PDBG,003,-8888,,,,7,-05,2147483647"},
        Composed{"DbgAllEmpty", "DBG", "P",
                 [](SentenceRecord& r) {
                   Dbg(r, 0, {999, 999, 999, 999}, {kEmptyI32, kEmptyI32, kEmptyI32, kEmptyI32});
                 },
                 "$PDBG,,,,,,,,"},
        Composed{"TstProbe", "TST", "P",
                 [](SentenceRecord& r) {
                   r.body.tst = TstBody{99999, 99, '@', '@', 16};
                 },
                 "$PTST,,,,,00016"},
        Composed{"TstFull", "TST", "P",
                 [](SentenceRecord& r) {
                   r.body.tst = TstBody{12345, 7, 'c', 'Q', 65534};
                 },
                 "$PTST,12345,07,c,Q,65534"},
        // A space (an empty letter as parsed) and letters outside the ranges
        // are written empty.
        Composed{"TstLettersOutOfRange", "TST", "P",
                 [](SentenceRecord& r) {
                   r.body.tst = TstBody{0, 98, 'n', ' ', 65535};
                 },
                 "$PTST,00000,98,,,"},
        Composed{"TpsImageSum", "TPS", "P",
                 [](SentenceRecord& r) {
                   r.body.tps.number = 40;
                   std::strcpy(r.body.tps.text, "0001ABCD");
                 },
                 "$PTPS,040,0001ABCD"},
        Composed{"TpsEmpty", "TPS", "P", [](SentenceRecord& r) { r.body.tps.number = 999; },
                 "$PTPS,,"},
        Composed{"MID", "MID", "P",
                 [](SentenceRecord& r) {
                   r.body.mid = MidBody{{42, 999999999}};
                 },
                 "$PMID,000000042,"},
        Composed{"BDY", "BDY", "P",
                 [](SentenceRecord& r) {
                   r.body.bdy.identifier = 123456789;
                   std::strcpy(r.body.bdy.text1, "FIRST");
                   r.body.bdy.flag1 = 1;
                   r.body.bdy.flag2 = 9;
                 },
                 "$PBDY,123456789,FIRST,,1,"},
        Composed{"FRQ", "FRQ", "P",
                 [](SentenceRecord& r) {
                   r.body.frq = FrqBody{{123456789, 999999999}, {10, 11}};
                 },
                 "$PFRQ,123456789,10,,"},
        Composed{"BTH", "BTH", "P",
                 [](SentenceRecord& r) {
                   for (int i = 0; i < 6; ++i)
                     r.body.bth.values[i] = static_cast<std::int16_t>(i + 1);
                   std::strcpy(r.body.bth.text, "T");
                 },
                 "$PBTH,001,002,003,004,005,006,T"},
        // One value of 256 empties all six.
        Composed{"BthOneValueTooLarge", "BTH", "P",
                 [](SentenceRecord& r) {
                   for (int i = 0; i < 6; ++i) r.body.bth.values[i] = static_cast<std::int16_t>(i);
                   r.body.bth.values[4] = 256;
                 },
                 "$PBTH,,,,,,,"},
        Composed{"MOB", "MOB", "P",
                 [](SentenceRecord& r) {
                   r.body.mob = MobBody{{0x0A, 0x1B, 0x2C}, 3, 0xFF, 0x1E, 1, {1, 2, 0xAB}, 3};
                 },
                 "$PMOB,0A1B2C,3,FF,1E,0102AB"},
        Composed{"MobWithoutOptionalAndData", "MOB", "P",
                 [](SentenceRecord& r) {
                   r.body.mob = MobBody{{0, 0, 1}, 255, 0, 0x55, 0, {}, 0};
                 },
                 "$PMOB,000001,255,00,,"},
        // --- GNSS and heading ---
        Composed{"GBS", "GBS", "GP",
                 [](SentenceRecord& r) {
                   r.body.gbs =
                       GbsBody{Clock(1, 55, 9, 0), 0.25f, 0.5f, 1.25f, 19, 0.0f, -0.5f, 6.75f};
                 },
                 "$GPGBS,015509.00,0.25,0.50,1.25,19,0.00,-0.50,6.75"},
        Composed{"GbsEmpty", "GBS", "GP",
                 [](SentenceRecord& r) {
                   r.body.gbs = GbsBody{Clock(24, 60, 60, 0), kEmptyReal, kEmptyReal, kEmptyReal,
                                        kNoSatellite,         kEmptyReal, kEmptyReal, kEmptyReal};
                 },
                 "$GPGBS,,,,,,,,"},
        // Ids 5 and 12 and ten zeros: two ids with their commas, ten lone commas.
        Composed{"GSA", "GSA", "GP",
                 [](SentenceRecord& r) {
                   r.body.gsa = GsaBody{'A', 3, {5, 12}, 1.5f, 1.25f, kEmptyReal};
                 },
                 "$GPGSA,A,3,05,12,,,,,,,,,,,1.50,1.25,"},
        // Ids past 127 and of three digits are written as given; an empty
        // one (kNoSatellite) as a lone comma.
        Composed{"GsaWideIds", "GSA", "GP",
                 [](SentenceRecord& r) {
                   r.body.gsa = GsaBody{'A', 3, {120, kNoSatellite, 237, 999}, 1.5f, 1.25f, 2.0f};
                 },
                 "$GPGSA,A,3,120,,237,999,,,,,,,,,1.50,1.25,2.00"},
        Composed{"GbsThreeDigitId", "GBS", "GP",
                 [](SentenceRecord& r) {
                   r.body.gbs =
                       GbsBody{Clock(1, 55, 9, 0), 0.25f, 0.5f, 1.25f, 275, 0.0f, -0.5f, 6.75f};
                 },
                 "$GPGBS,015509.00,0.25,0.50,1.25,275,0.00,-0.50,6.75"},
        Composed{"RMC", "RMC", "GP",
                 [](SentenceRecord& r) {
                   r.body.rmc = RmcBody{Clock(22, 54, 46, 5),
                                        'A',
                                        At(49.5f, -123.25f),
                                        0.5f,
                                        54.75f,
                                        Date{2019, 11, 19},
                                        20.25f,
                                        'E',
                                        'A'};
                 },
                 "$GPRMC,225446.05,A,4930.00000,N,12315.00000,W,0.500,54.75,191119,20.25,E,A"},
        // No position: four empty fields keep the field count.
        Composed{"RmcNoPosition", "RMC", "GP",
                 [](SentenceRecord& r) {
                   r.body.rmc = RmcBody{Clock(24, 60, 60, 0),
                                        'V',
                                        At(91.0f, 181.0f),
                                        kEmptyReal,
                                        kEmptyReal,
                                        Date{0, 0, 0},
                                        kEmptyReal,
                                        static_cast<char>(kEmptyByte),
                                        'N'};
                 },
                 "$GPRMC,,V,,,,,,,,,,N"},
        // A position group carries its minutes to five decimals, rounded
        // with carry: 59.9999964' is the next whole degree, not 60 minutes.
        Composed{"RmcMinutesCarry", "RMC", "GP",
                 [](SentenceRecord& r) {
                   r.body.rmc = RmcBody{
                       Clock(0, 0, 0, 0), 'A',        At(-0.99999994f, 9.5f),        0.0f, 0.0f,
                       Date{2000, 1, 1},  kEmptyReal, static_cast<char>(kEmptyByte), 'A'};
                 },
                 "$GPRMC,000000.00,A,0100.00000,S,00930.00000,E,0.000,0.00,010100,,,A"},
        Composed{"HDT", "HDT", "HE", [](SentenceRecord& r) { r.body.hdt.heading = 274.25f; },
                 "$HEHDT,274.2,T"},
        Composed{"Hdt360IsEmpty", "HDT", "HE",
                 [](SentenceRecord& r) { r.body.hdt.heading = 360.0f; }, "$HEHDT,,T"},
        // --- AIS station ---
        Composed{"AbkChannelB", "ABK", "AI",
                 [](SentenceRecord& r) {
                   r.body.abk = AbkBody{211378120, 1, 6, 1, 0};
                 },
                 "$AIABK,211378120,B,6,1,0"},
        Composed{"AbkNoMmsiNoChannel", "ABK", "AI",
                 [](SentenceRecord& r) {
                   r.body.abk = AbkBody{0, kEmptyI8, 12, 3, 2};
                 },
                 "$AIABK,,,12,3,2"},
        Composed{"Ack7", "ACK", "AI", [](SentenceRecord& r) { r.body.ack.alarmId = 7; },
                 "$AIACK,007"},
        Composed{"Ack1000IsEmpty", "ACK", "AI",
                 [](SentenceRecord& r) { r.body.ack.alarmId = 1000; }, "$AIACK,"},
        Composed{"ALR", "ALR", "AI",
                 [](SentenceRecord& r) {
                   r.body.alr.time = Clock(12, 34, 56, 0);
                   r.body.alr.alarmId = 6;
                   r.body.alr.condition = 'A';
                   r.body.alr.acknowledgement = 'V';
                   std::strcpy(r.body.alr.text, "AIS: general failure");
                 },
                 "$AIALR,123456.00,6,A,V,AIS: general failure"},
        Composed{
            "ACA", "ACA", "AI",
            [](SentenceRecord& r) {
              r.body.aca = AcaBody{
                  1, At(59.5f, 10.5f),    At(-59.0f, -9.75f), 2, 2087, 0, 2088, 1, 0, 1, 'I',
                  1, Clock(12, 34, 56, 0)};
            },
            "$AIACA,1,5930.00,N,01030.00,E,5900.00,S,00945.00,W,2,2087,0,2088,1,0,1,I,1,123456.00"},
        // 30.5' held in a float is 30.49999': written 30.50, not 30.49. No
        // source (0) and no time are written empty.
        Composed{"AcaHalfMinute", "ACA", "AI",
                 [](SentenceRecord& r) {
                   r.body.aca = AcaBody{
                       0, At(10.508333f, 30.508333f), At(91.0f, 181.0f), 0, 0, 0, 0, 0, 0, 0, '\0',
                       0, Clock(24, 60, 60, 0)};
                 },
                 "$AIACA,0,1030.50,N,03030.50,E,,,,,0,0000,0,0000,0,0,0,,0,"},
        Composed{"ACS", "ACS", "AI",
                 [](SentenceRecord& r) {
                   r.body.acs = AcsBody{3, 2190047, Clock(23, 59, 59, 50), 10, 12, 2025};
                 },
                 "$AIACS,3,002190047,235959.50,10,12,2025"},
        Composed{"SSD", "SSD", "AI",
                 [](SentenceRecord& r) {
                   SsdBody& b = r.body.ssd;
                   std::strcpy(b.callSign, "DK2036");
                   std::strcpy(b.name, "NORDIC STAR");
                   b.referenceA = 100;
                   b.referenceB = 20;
                   b.referenceC = 5;
                   b.referenceD = 5;
                   b.dte = 0;
                   std::strcpy(b.source, "AI");
                 },
                 "$AISSD,DK2036,NORDIC STAR,100,20,5,5,0,AI"},
        Composed{"SsdSentinels", "SSD", "AI",
                 [](SentenceRecord& r) {
                   SsdBody& b = r.body.ssd;
                   b.referenceA = 512;
                   b.referenceB = 600;
                   b.referenceC = 64;
                   b.referenceD = 64;
                   b.dte = 2;
                   std::strcpy(b.source, "AI");
                 },
                 "$AISSD,,,,,,,,AI"},
        Composed{"VSD", "VSD", "AI",
                 [](SentenceRecord& r) {
                   VsdBody& b = r.body.vsd;
                   b.shipType = 70;
                   b.draught = 12.5f;
                   b.persons = 12;
                   std::strcpy(b.destination, "GOTEBORG");
                   b.eta = Clock(12, 30, 0, 0);
                   b.etaDay = 15;
                   b.etaMonth = 6;
                   b.navigationalStatus = 0;
                   b.regionalFlags = 0;
                 },
                 "$AIVSD,70,12.5,12,GOTEBORG,123000.00,15,06,0,0"},
        Composed{"VsdSentinels", "VSD", "AI",
                 [](SentenceRecord& r) {
                   VsdBody& b = r.body.vsd;
                   b.shipType = 256;
                   b.draught = 25.6f;
                   b.persons = 8192;
                   b.eta = Clock(24, 60, 60, 0);
                   b.etaDay = 32;
                   b.etaMonth = 13;
                   b.navigationalStatus = kEmptyByte;
                   b.regionalFlags = 0;  // no empty value on the parse side
                 },
                 "$AIVSD,,,,,,,,,0"},
        Composed{"VdmChannelA", "VDM", "AI",
                 [](SentenceRecord& r) {
                   r.body.encapsulation = EncapsulationBody{1, 1, kEmptyI8, 0, "13aE", 0, 0, 0};
                 },
                 "!AIVDM,1,1,,A,13aE,0"},
        Composed{"VdoSequenceAndChannelB", "VDO", "AI",
                 [](SentenceRecord& r) {
                   r.body.encapsulation = EncapsulationBody{1, 1, 3, 2, "B3aC", 1, 0, 0};
                 },
                 "!AIVDO,1,1,3,B,B3aC,2"},
        Composed{"AbmChannel3", "ABM", "AI",
                 [](SentenceRecord& r) {
                   r.body.encapsulation = EncapsulationBody{1, 1, 0, 0, "1@0", 3, 6, 211378120};
                 },
                 "!AIABM,1,1,0,211378120,3,6,1@0,0"},
        Composed{"BBM", "BBM", "AI",
                 [](SentenceRecord& r) {
                   r.body.encapsulation = EncapsulationBody{1, 1, kEmptyI8, 0, "1@0", 2, 8, 0};
                 },
                 "!AIBBM,1,1,,2,8,1@0,0"}),
    [](const testing::TestParamInfo<Composed>& row) { return std::string(row.param.name); });

TEST(Composer, ACharacterFieldHoldingZeroIsNotSentCut) {
  // %c with 0 would end the text early and the checksum would cover only
  // the head: nothing is written instead.
  SentenceLibrary library;
  SentenceRecord record{};
  record.body.gsa = GsaBody{'\0', 3, {}, 1.0f, 1.0f, 1.0f};
  std::array<char, 100> out;
  out.fill('x');
  EXPECT_FALSE(library.ComposeSentence(out, record, "GSA", "GP"));
  EXPECT_STREQ(out.data(), "");
}

TEST(Composer, ATextWithoutItsNulIsCutAtItsRoom) {
  // A text field filled to the last byte is written up to its capacity and
  // no further into the body.
  SentenceLibrary library;
  SentenceRecord record{};
  std::memset(record.body.ssd.callSign, 'C', sizeof record.body.ssd.callSign);
  std::memset(record.body.ssd.name, 'N', sizeof record.body.ssd.name);
  std::array<char, 100> out{};
  ASSERT_TRUE(library.ComposeSentence(out, record, "SSD", "AI"));
  EXPECT_EQ(std::string(out.data()).substr(0, 36), "$AISSD,CCCCCCC,NNNNNNNNNNNNNNNNNNNN,");
}

}  // namespace
}  // namespace nmea
