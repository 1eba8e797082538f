// The field reader and the field converters every parser relies on.

#include "nmea/fields.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

#include "nmea/parsers/field_reader.h"

namespace nmea {
namespace {

// The reader over a sentence's data fields, as the dispatch cuts them at
// the checksum.
TEST(FieldReader, WalksTheFieldsItWasGiven) {
  char fields[] = "  274.07,,  ,T";
  FieldReader in(fields, 4);
  EXPECT_STREQ(in.Next(), "274.07") << "leading spaces are skipped";
  EXPECT_STREQ(in.Next(), " ") << "an empty field reads as the empty-field marker";
  EXPECT_STREQ(in.Next(), "  ") << "a field of spaces only stays empty";
  EXPECT_STREQ(in.Next(), "T") << "the last field ends where the sentence does";
  EXPECT_FALSE(in.Rejected());
  EXPECT_EQ(in.Next(), nullptr) << "no field beyond the count";
  EXPECT_EQ(in.Status(), ParseStatus::FieldCount);
}

TEST(FieldReader, ASentenceWithoutFields) {
  char fields[] = "";
  FieldReader in(fields, 0);
  EXPECT_EQ(in.Next(), nullptr);
}

struct LatLonCase {
  const char* fields;
  float latitude;
  float longitude;
};

class LatLon : public testing::TestWithParam<LatLonCase> {};

TEST_P(LatLon, ReadsTheFourFieldsOfTheGroup) {
  std::string text = std::string(GetParam().fields) + ",after";
  FieldReader in(text.data(), 5);
  const Position p = in.Position();
  EXPECT_FLOAT_EQ(p.latitude, GetParam().latitude);
  EXPECT_FLOAT_EQ(p.longitude, GetParam().longitude);
  EXPECT_STREQ(in.Next(), "after");
}

INSTANTIATE_TEST_SUITE_P(
    Fields, LatLon,
    testing::Values(LatLonCase{"4916.45,N,12311.12,W", 49.2741667f, -123.1853333f},
                    LatLonCase{"4916.45,S,12311.12,E", -49.2741667f, 123.1853333f},
                    LatLonCase{"0000.00,N,00000.00,E", 0.0f, 0.0f},
                    LatLonCase{",,,", 91.0f, 181.0f},
                    // Beyond the pole or the date line reads as "no position".
                    LatLonCase{"9100.00,N,18100.00,E", 91.0f, 181.0f},
                    LatLonCase{"9000.00,N,18000.00,W", 90.0f, -180.0f}));

struct TimeCase {
  const char* field;
  int hour, minute, second, hundredths;
};

class UtcTime : public testing::TestWithParam<TimeCase> {};

TEST_P(UtcTime, SplitsTheField) {
  std::uint8_t h = 0, m = 0, s = 0, c = 77;
  EXPECT_TRUE(ToUtcTime(GetParam().field, h, m, s, c));
  EXPECT_EQ(h, GetParam().hour);
  EXPECT_EQ(m, GetParam().minute);
  EXPECT_EQ(s, GetParam().second);
  EXPECT_EQ(c, GetParam().hundredths);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, UtcTime,
    testing::Values(TimeCase{"123519", 12, 35, 19, 0}, TimeCase{"123519.12", 12, 35, 19, 12},
                    TimeCase{"000000.01", 0, 0, 0, 1}, TimeCase{"235959.99", 23, 59, 59, 99},
                    TimeCase{"092751.000", 9, 27, 51, 0}, TimeCase{"101010.5", 10, 10, 10, 50},
                    // empty: 24:60:60, hundredths untouched
                    TimeCase{" ", 24, 60, 60, 77}));

TEST(UtcTime, AnHourThatDoesNotFitItsByteIsRefused) {
  std::uint8_t h = 1, m = 2, s = 3, c = 4;
  for (const char* field : {"2560000", "-1", "1e300", "99999999999999999999"}) {
    EXPECT_FALSE(ToUtcTime(field, h, m, s, c)) << field;
    EXPECT_EQ(h, 1) << "left as it was";
  }
  EXPECT_TRUE(ToUtcTime("2555959.99", h, m, s, c)) << "hour 255 fits";
  EXPECT_EQ(h, 255);
}

TEST(UtcTime, NeverRoundsPastTheHundredths) {
  for (int cents = 0; cents < 100; ++cents) {
    char text[40];
    std::snprintf(text, sizeof text, "123519.%02d", cents);
    std::uint8_t h, m, s, c;
    ASSERT_TRUE(ToUtcTime(text, h, m, s, c));
    EXPECT_EQ(c, cents) << text;
    EXPECT_EQ(s, 19) << text;
  }
}

TEST(Date, SplitsDdMmYyAndSentinelsEmpty) {
  std::uint16_t year = 1;
  std::uint8_t month = 1, day = 1;
  ASSERT_TRUE(ToDate("230394", year, month, day));
  EXPECT_EQ(year, 2094);
  EXPECT_EQ(month, 3);
  EXPECT_EQ(day, 23);
  ASSERT_TRUE(ToDate(" ", year, month, day));
  EXPECT_EQ(year, 0);
  EXPECT_EQ(month, 0);
  EXPECT_EQ(day, 0);
  EXPECT_FALSE(ToDate("2560101", year, month, day)) << "day 256";
  EXPECT_FALSE(ToDate("-10101", year, month, day));
}

TEST(HexByte, UpperCaseDigitsOnly) {
  struct Case {
    const char* text;
    bool ok;
    int value;
  };
  for (const Case c : {Case{"00", true, 0x00}, Case{"FF", true, 0xFF}, Case{"7A", true, 0x7A},
                       Case{"9", true, 0x09}, Case{"", true, 0x00}, Case{"1A2", true, 0xA2},
                       Case{"7f", false, 0}, Case{"G1", false, 0}, Case{" 1", false, 0}}) {
    std::uint8_t out = 0;
    EXPECT_EQ(ParseHexByte(c.text, out), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(out, c.value) << c.text;
    }
  }
}

long Integer(const char* field) {
  long value = -1;
  EXPECT_TRUE(ToInteger(field, value)) << field;
  return value;
}

double Real(const char* field) {
  double value = -1.0;
  EXPECT_TRUE(ToReal(field, value)) << field;
  return value;
}

TEST(Numbers, DecimalConversionsAreForgivingAndLocaleFree) {
  // A locale with a decimal comma must not change how fields read.
  const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_EQ(Integer("42"), 42);
  EXPECT_EQ(Integer("  -7"), -7);
  EXPECT_EQ(Integer("+5"), 5);
  EXPECT_EQ(Integer("12.9"), 12);
  EXPECT_EQ(Integer("abc"), 0);
  EXPECT_EQ(Integer(" "), 0);
  EXPECT_EQ(Integer(nullptr), 0);
  EXPECT_DOUBLE_EQ(Real("274.07"), 274.07);
  EXPECT_DOUBLE_EQ(Real("-0.5"), -0.5);
  EXPECT_DOUBLE_EQ(Real(".25"), 0.25);
  EXPECT_DOUBLE_EQ(Real("x1"), 0.0);
  EXPECT_DOUBLE_EQ(Real("nan"), 0.0);
  if (previous != nullptr) std::setlocale(LC_NUMERIC, "C");
}

TEST(Numbers, ANumberNothingHoldsIsRefusedNotSaturated) {
  long whole = 1;
  EXPECT_FALSE(ToInteger("99999999999999999999", whole));
  EXPECT_FALSE(ToInteger("-99999999999999999999", whole));
  double real = 1.0;
  EXPECT_FALSE(ToReal("1e400", real));
  EXPECT_FALSE(ToReal("inf", real));
  EXPECT_TRUE(ToReal("1e300", real)) << "a double holds it";
  EXPECT_FALSE(FitsFloat(real)) << "a float does not";
  EXPECT_TRUE(FitsFloat(3.4e38));
}

TEST(DegMin, ConvertsAndCapsAtTheLimit) {
  EXPECT_FLOAT_EQ(DegMinToDegrees(4916.45, 90.0f), 49.2741667f);
  EXPECT_FLOAT_EQ(DegMinToDegrees(12311.12, 180.0f), 123.1853333f);
  EXPECT_FLOAT_EQ(DegMinToDegrees(9000.0, 90.0f), 90.0f);
  EXPECT_FLOAT_EQ(DegMinToDegrees(9000.01, 90.0f), 91.0f);
  EXPECT_FLOAT_EQ(DegMinToDegrees(18000.5, 180.0f), 181.0f);
}

TEST(DegMin, SplitsDegreesForOutputWithTheCarry) {
  struct Case {
    float degrees;
    int decimals;
    int whole, minutes;
    unsigned fraction;
  };
  for (const Case c : {Case{49.2741667f, 5, 49, 16, 45000}, Case{0.5f, 5, 0, 30, 0},
                       Case{10.5083333f, 5, 10, 30, 50000}, Case{123.1853333f, 5, 123, 11, 12000},
                       Case{-49.2741667f, 5, 49, 16, 45000},
                       // 59.9999997' rounds up into the next degree
                       Case{0.99999999f, 5, 1, 0, 0},
                       // to two decimals, 30.49999' is 30.50' and 59.999' a whole degree
                       Case{10.5083332f, 2, 10, 30, 50}, Case{10.9999833f, 2, 11, 0, 0}}) {
    std::uint16_t d = 0, m = 0;
    std::uint32_t f = 0;
    DegreesToDegMin(c.degrees, c.decimals, d, m, f);
    EXPECT_EQ(d, c.whole) << c.degrees;
    EXPECT_EQ(m, c.minutes) << c.degrees;
    // A float holds these angles to a few 1/100000 of a minute.
    EXPECT_NEAR(static_cast<double>(f), c.fraction, c.decimals == 5 ? 50.0 : 0.0) << c.degrees;
  }
}

}  // namespace
}  // namespace nmea
