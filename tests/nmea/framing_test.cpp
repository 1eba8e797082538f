// Checksum, line end and the longest sentence.

#include "nmea/framing.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "nmea/sentence_library.h"

namespace nmea {
namespace {

struct LineCase {
  const char* name;
  std::string line;
  SentenceFault fault;
};

// A known good VDM line; each case damages it in one way.
const std::string kGood = "!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C\r\n";

class LineRejection : public testing::TestWithParam<LineCase> {};

TEST_P(LineRejection, IsRefusedForItsReason) {
  SentenceLibrary library;
  SentenceRecord record{};
  EXPECT_FALSE(library.ParseSentence(GetParam().line, record));
  EXPECT_EQ(library.LastFault(), GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(
    Framing, LineRejection,
    testing::Values(LineCase{"LfOnly", "!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C\n",
                             SentenceFault::LineEnd},
                    LineCase{"CrOnly", "!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C\r",
                             SentenceFault::LineEnd},
                    LineCase{"NoLineEnd", "!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5C",
                             SentenceFault::LineEnd},
                    // A wrong checksum would also fail; the line end is looked at first.
                    LineCase{"LfOnlyBadSum", "$GPGGA,1*00\n", SentenceFault::LineEnd},
                    LineCase{"Empty", "", SentenceFault::LineEnd},
                    LineCase{"JustCrLf", "\r\n", SentenceFault::Checksum},
                    LineCase{"WrongSum", "!AIVDM,1,1,,B,177KQJ5000G?tO`K>RA1wUbN0TKH,0*5D\r\n",
                             SentenceFault::Checksum},
                    // The sum of this line is 0A: only the case of the digit is wrong.
                    LineCase{"LowerCaseDigit", "$GPHDT,100.68,T*0a\r\n", SentenceFault::Checksum},
                    // The sum is 10, and 'G' read as a digit would alias it.
                    LineCase{"NonHexDigit", "$GPTXT,01,01,02,ADX*0G\r\n", SentenceFault::Checksum},
                    LineCase{"NoStar", "$GPHDT,274.07,T,03\r\n", SentenceFault::Checksum},
                    LineCase{"StarTooLate", "$GPHDT,274.07,T0*3\r\n", SentenceFault::Checksum},
                    LineCase{"StarWithoutDigits", "$GPHDT,274.07,T*\r\n", SentenceFault::Checksum},
                    LineCase{"NulInside", std::string("$GPHDT,27\0.07,T*03\r\n", 20),
                             SentenceFault::LineEnd},
                    LineCase{"TooLongForABuffer", "$GP" + std::string(120, 'A') + "*00\r\n",
                             SentenceFault::TooLong}),
    [](const testing::TestParamInfo<LineCase>& row) { return std::string(row.param.name); });

TEST(Checksum, AcceptsCorrectUpperCaseSums) {
  EXPECT_TRUE(VerifyChecksum(kGood.c_str()));
  EXPECT_TRUE(VerifyChecksum("$GPHDT,100.68,T*0A\r\n"));
  EXPECT_TRUE(VerifyChecksum("$GPTXT,01,01,02,ADX*10\r\n"));
}

TEST(Checksum, AppendWritesUpperCaseDigitsCrLf) {
  std::array<char, 100> out{};
  std::strcpy(out.data(), "$PZLX,C,DBG,700,1,,,,,,");
  ASSERT_TRUE(AppendChecksum(out));
  const std::string text = out.data();
  ASSERT_GE(text.size(), 5u);
  const std::string tail = text.substr(text.size() - 5);
  EXPECT_EQ(tail[0], '*');
  EXPECT_TRUE(std::isxdigit(tail[1]) && !std::islower(tail[1]));
  EXPECT_TRUE(std::isxdigit(tail[2]) && !std::islower(tail[2]));
  EXPECT_EQ(tail.substr(3), "\r\n");
  EXPECT_TRUE(VerifyChecksum(out.data()));
}

TEST(Checksum, AppendRefusesWhenTheBufferIsTooSmall) {
  char small[8] = "$ABCDE";  // six characters need six more bytes
  EXPECT_FALSE(AppendChecksum(small));
  EXPECT_STREQ(small, "$ABCDE");
  char exact[12] = "$ABCDE";
  EXPECT_TRUE(AppendChecksum(exact));
}

// Builds "$GPXXX" + commas + "*hh\r\n" with a valid checksum.
std::string WithChecksum(const std::string& body) {
  char buffer[400] = {};
  std::snprintf(buffer, sizeof buffer, "%s", body.c_str());
  EXPECT_TRUE(AppendChecksum(buffer));
  return buffer;
}

// An empty field counts as one character (the space parsers read it as):
// with them, a sentence may hold 98 characters, never 99.
TEST(EmptyFields, CountTowardsTheLongestSentence) {
  struct Case {
    const char* address;
    std::size_t commas;
    bool fits;
  };
  // Address + n commas, each counted with its space, + "*hh\r\n".
  for (const Case c :
       {Case{"$GPXXX", 43, true}, Case{"$GPXXXY", 43, true}, Case{"$GPXXX", 44, false}}) {
    const std::string line = WithChecksum(c.address + std::string(c.commas, ','));
    SentenceLibrary library;
    SentenceRecord record{};
    library.ParseSentence(line, record);
    EXPECT_EQ(library.LastFault() != SentenceFault::TooLong, c.fits)
        << c.address << " " << c.commas;
  }
}

TEST(EmptyFields, AnEightyTwoCharacterSentenceCanGrowTooLong) {
  // 82 characters with mostly empty fields: valid on the wire, too long once expanded.
  const std::string line = WithChecksum("$GPGSA,A,3" + std::string(67, ','));
  ASSERT_EQ(line.size(), 82u);
  SentenceLibrary library;
  SentenceRecord record{};
  EXPECT_FALSE(library.ParseSentence(line, record));
  EXPECT_EQ(library.LastFault(), SentenceFault::TooLong);
}

}  // namespace
}  // namespace nmea
