#pragma once
// Test helper: decoding a payload and looking its fields up by name.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ais_payload_builder.h"
#include "store/ais_decoder.h"
#include "store/ais_describe.h"

namespace store::testing_support {

struct Decoded {
  bool ok = false;
  AisBitBuffer bits;
  AisDecodedRecord record;

  std::map<std::string, AisValue> Fields() const {
    std::map<std::string, AisValue> fields;
    for (const AisNamedValue& f : AisDescribeRecord(record, bits.bitCount)) {
      fields.emplace(std::string(f.name), f.value);
    }
    return fields;
  }
};

inline Decoded DecodeBits(const AisBitBuffer& bits) {
  Decoded d;
  d.bits = bits;
  d.ok = AisDecodeMessage(d.bits, d.record);
  return d;
}

inline Decoded DecodePayload(std::string_view text, int fillBits) {
  Decoded d;
  if (!AisDearmour(PayloadOf(text, fillBits), d.bits)) {
    ADD_FAILURE() << "payload refused: " << text;
    return d;
  }
  d.ok = AisDecodeMessage(d.bits, d.record);
  return d;
}

// An expected field value: a whole number, a real (compared with a tolerance
// that covers the 32-bit float), a text, or bytes given in hexadecimal.
struct Hex {
  std::string digits;
};
using Expected = std::variant<std::int64_t, double, std::string, Hex>;

struct Expect {
  std::string name;
  Expected value;
};

inline std::string HexOf(std::span<const std::uint8_t> bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (std::uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

inline void CheckFields(const Decoded& d, const std::vector<Expect>& expected) {
  const auto fields = d.Fields();
  for (const Expect& e : expected) {
    SCOPED_TRACE(e.name);
    const auto it = fields.find(e.name);
    if (it == fields.end()) {
      ADD_FAILURE() << "field not decoded";
      continue;
    }
    const AisValue& v = it->second;
    if (const auto* whole = std::get_if<std::int64_t>(&e.value)) {
      ASSERT_TRUE(std::holds_alternative<std::int64_t>(v));
      EXPECT_EQ(std::get<std::int64_t>(v), *whole);
    } else if (const auto* real = std::get_if<double>(&e.value)) {
      ASSERT_TRUE(std::holds_alternative<float>(v));
      EXPECT_NEAR(std::get<float>(v), *real, 2e-5 * std::max(1.0, std::fabs(*real)));
    } else if (const auto* text = std::get_if<std::string>(&e.value)) {
      ASSERT_TRUE(std::holds_alternative<std::string_view>(v));
      EXPECT_EQ(std::get<std::string_view>(v), *text);
    } else {
      ASSERT_TRUE((std::holds_alternative<std::span<const std::uint8_t>>(v)));
      EXPECT_EQ(HexOf(std::get<std::span<const std::uint8_t>>(v)), std::get<Hex>(e.value).digits);
    }
  }
}

// Raw positions in 1/10 000 minute (or 1/10 minute) as degrees.
inline double Minutes10k(double raw) { return raw / 600000.0; }
inline double Minutes10(double raw) { return raw / 600.0; }

}  // namespace store::testing_support
