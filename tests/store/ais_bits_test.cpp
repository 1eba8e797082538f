// Six-bit armouring, de-armouring by whole bytes, and bit-field reads.

#include "store/ais_bits.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>

#include "ais_payload_builder.h"

namespace store {
namespace {

using testing_support::AisMessageBuilder;
using testing_support::PayloadOf;

TEST(AisSixBitValue, MapsThePayloadAlphabetOntoSixBits) {
  EXPECT_EQ(AisSixBitValue('0'), 0);
  EXPECT_EQ(AisSixBitValue('W'), 39);
  EXPECT_EQ(AisSixBitValue('`'), 40);
  EXPECT_EQ(AisSixBitValue('w'), 63);
  for (char invalid : {'X', '_', '/', 'x', '\0', ' ', '\x80', '\xff'}) {
    EXPECT_EQ(AisSixBitValue(invalid), -1) << static_cast<int>(invalid);
  }
  // Exactly 64 characters are valid, and each gives a different value.
  std::set<int> values;
  int valid = 0;
  for (int c = 0; c < 256; ++c) {
    const int v = AisSixBitValue(static_cast<char>(c));
    ASSERT_GE(v, -1);
    ASSERT_LE(v, 63);
    if (v >= 0) {
      ++valid;
      values.insert(v);
    }
  }
  EXPECT_EQ(valid, 64);
  EXPECT_EQ(values.size(), 64u);
}

struct DearmourCase {
  const char* name;
  std::size_t characters;
  int fillBits;
  bool accepted;
  std::uint16_t bitCount;
};

void PrintTo(const DearmourCase& c, std::ostream* out) { *out << c.name; }

class AisDearmourLength : public testing::TestWithParam<DearmourCase> {};

TEST_P(AisDearmourLength, TakesWholeBytesByTheFillBits) {
  const DearmourCase& c = GetParam();
  AisBitBuffer buffer;
  EXPECT_EQ(AisDearmour(PayloadOf(std::string(c.characters, '5'), c.fillBits), buffer), c.accepted);
  if (c.accepted) {
    EXPECT_EQ(buffer.bitCount, c.bitCount);
  }
  EXPECT_LE(buffer.bitCount, kAisBitCapacity);
}

INSTANTIATE_TEST_SUITE_P(Lengths, AisDearmourLength,
                         testing::Values(DearmourCase{"PositionReport28Fill0", 28, 0, true, 168},
                                         DearmourCase{"StaticVoyage71Fill2", 71, 2, true, 424},
                                         DearmourCase{"StaticPartA27Fill2", 27, 2, true, 160},
                                         DearmourCase{"TwoLeftFill4", 26, 4, true, 152},
                                         DearmourCase{"TwoLeftFill0Ignored", 30, 0, true, 168},
                                         DearmourCase{"OneLeftFill0Ignored", 29, 0, true, 168},
                                         DearmourCase{"WholeGroupsFill2", 28, 2, false, 0},
                                         DearmourCase{"WholeGroupsFill4", 28, 4, false, 0},
                                         DearmourCase{"OneLeftFill4", 29, 4, false, 0},
                                         DearmourCase{"Fill1", 27, 1, false, 0},
                                         DearmourCase{"Fill3", 27, 3, false, 0},
                                         DearmourCase{"Fill5", 28, 5, false, 0},
                                         DearmourCase{"FillEmptyMarker", 28, -128, false, 0},
                                         DearmourCase{"EmptyFill0", 0, 0, true, 0},
                                         DearmourCase{"Longest168Fill0", 168, 0, true, 1008},
                                         DearmourCase{"Fills170Fill4", 170, 4, true, 1016},
                                         // Assembled payloads may be longer than the buffer.
                                         DearmourCase{"Overflow171Fill2", 171, 2, false, 0},
                                         DearmourCase{"Overflow172Fill0", 172, 0, false, 0},
                                         DearmourCase{"Overflow175Fill2", 175, 2, false, 0}),
                         [](const testing::TestParamInfo<DearmourCase>& row) {
                           return std::string(row.param.name);
                         });

TEST(AisDearmour, RefusesAnInvalidCharacterAnywhere) {
  AisBitBuffer buffer;
  EXPECT_FALSE(AisDearmour(PayloadOf("15RTgt0PAso;90TKcjM8h6g2x8CQ", 0), buffer));
  // In the last, partial group too.
  EXPECT_FALSE(AisDearmour(PayloadOf("15RTgt0PAso;90TKcjM8h6g208CQ5X5", 2), buffer));
}

TEST(AisDearmour, RecoversTheBitsOfEveryWholeByteLength) {
  // Random messages of every length in whole bytes come back bit for bit.
  std::mt19937 rng(4);
  for (std::size_t bytes = 1; bytes <= 126; ++bytes) {
    AisMessageBuilder message;
    for (std::size_t i = 0; i < bytes; ++i) message.U(8, rng() & 0xFF);
    const AisBitBuffer expected = message.Buffer();
    AisBitBuffer buffer;
    ASSERT_TRUE(AisDearmour(message.Payload(), buffer)) << bytes;
    EXPECT_EQ(buffer.bitCount, bytes * 8);
    EXPECT_EQ(buffer.bits, expected.bits) << bytes;
  }
}

TEST(AisReadBits, ReadsEveryWidthAtEveryPosition) {
  std::mt19937 rng(11);
  AisBitBuffer buffer;
  for (auto& b : buffer.bits) b = static_cast<std::uint8_t>(rng());
  buffer.bitCount = kAisBitCapacity;
  auto bitAt = [&](unsigned i) { return buffer.bits[i / 8] >> (7 - i % 8) & 1u; };
  for (unsigned width = 1; width <= 32; ++width) {
    for (unsigned first = 0; first + width <= kAisBitCapacity; ++first) {
      std::uint32_t expected = 0;
      for (unsigned i = 0; i < width; ++i) expected = expected << 1 | bitAt(first + i);
      ASSERT_EQ(
          AisReadBits(buffer, static_cast<std::uint16_t>(first), static_cast<std::uint16_t>(width)),
          expected)
          << "first " << first << " width " << width;
    }
  }
}

TEST(AisReadBits, ReadsFieldsOfARealPositionReport) {
  AisBitBuffer buffer;
  ASSERT_TRUE(AisDearmour(PayloadOf("15RTgt0PAso;90TKcjM8h6g208CQ", 0), buffer));
  EXPECT_EQ(AisReadBits(buffer, 0, 6), 1u);
  EXPECT_EQ(AisReadBits(buffer, 8, 30), 371798000u);
  EXPECT_EQ(AisReadBits(buffer, 149, 19), 34017u);
}

TEST(AisReadBits, ReadsAFieldSpanningFiveBytes) {
  // Message 15's second destination starts at bit 110 (110 mod 8 = 6).
  AisBitBuffer buffer;
  ASSERT_TRUE(AisDearmour(PayloadOf("?39a?2PjKFFPD01o:Gq1igvp2<3w", 0), buffer));
  EXPECT_EQ(AisReadBits(buffer, 110, 30), 605843451u);
}

TEST(AisReadBits, ReadsZeroPastTheBufferEnd) {
  AisBitBuffer buffer;
  std::fill_n(buffer.bits.begin(), kAisBitBytes, 0xFF);  // every bit the buffer holds
  buffer.bitCount = kAisBitCapacity;
  EXPECT_EQ(AisReadBits(buffer, 1012, 8), 0xF0u);
  EXPECT_EQ(AisReadBits(buffer, 1016, 32), 0u);
  EXPECT_EQ(AisReadBits(buffer, 65535, 32), 0u);
}

TEST(AisSignExtend, ReadsTwosComplement) {
  EXPECT_EQ(AisSignExtend(0x7F, 8), 127.0f);
  EXPECT_EQ(AisSignExtend(0x80, 8), -128.0f);
  EXPECT_EQ(AisSignExtend(0xFF, 8), -1.0f);
  EXPECT_EQ(AisSignExtend(0x0FFFFFFF, 28), -1.0f);
  EXPECT_EQ(AisSignExtend(0x7FFFFFF, 27), -1.0f);
  EXPECT_EQ(AisSignExtend(0x3FFFFFF, 27), 67108863.0f);
  EXPECT_EQ(AisSignExtend(0x80000000u, 32), -2147483648.0f);
}

TEST(AisTrimTrailingAt, RemovesOnlyTheTrailingPadding) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"EVER DIADEM@@@@@@@@@", "EVER DIADEM"},
               {"@@@@@@@", ""},
               {"A@B@@", "A@B"},
               {"NO PADDING", "NO PADDING"},
               {"", ""}};
  for (const auto& c : cases) {
    std::string text = c.in;
    AisTrimTrailingAt(text.data());
    EXPECT_STREQ(text.c_str(), c.out);
    EXPECT_EQ(AisTrimmedText(c.in, std::string(c.in).size()), c.out);
  }
}

}  // namespace
}  // namespace store
