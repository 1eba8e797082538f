#include "store/ais_bits.h"

#include <array>
#include <cstring>

namespace store {

namespace {

// The six-bit value of every byte, -1 for no payload character.
constexpr std::array<std::int8_t, 256> SixBitValues() {
  std::array<std::int8_t, 256> values{};
  for (int c = 0; c < 256; ++c)
    values[static_cast<std::size_t>(c)] =
        static_cast<std::int8_t>(AisSixBitValue(static_cast<char>(c)));
  return values;
}
constexpr std::array<std::int8_t, 256> kSixBit = SixBitValues();

}  // namespace

bool AisDearmour(const nmea::AisPayloadRecord& payload, AisBitBuffer& buffer) {
  buffer = AisBitBuffer{};
  const auto* text = reinterpret_cast<const unsigned char*>(payload.payload);
  const std::size_t length = strnlen(payload.payload, sizeof payload.payload - 1);
  const std::size_t whole = length / 4 * 4;  // characters taken in groups of four
  // An assembled payload may hold up to 175 characters, 1050 bits: more than
  // the buffer (and any AIS message) holds. Such a payload is refused.
  const std::size_t tail = payload.fillBits == 2 ? 2 : payload.fillBits == 4 ? 1 : 0;
  if (whole / 4 * 3 + tail > kAisBitBytes) return false;

  // Eight characters, 48 bits, at a time, then a last group of four; an
  // invalid character anywhere makes the OR of the values negative.
  std::uint8_t* out = buffer.bits.data();
  std::size_t at = 0;
  for (; at + 8 <= whole; at += 8, out += 6) {
    int invalid = 0;
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < 8; ++i) {
      const int v = kSixBit[text[at + i]];
      invalid |= v;
      word = word << 6 | static_cast<std::uint64_t>(v & 63);
    }
    if (invalid < 0) return false;
    for (int i = 0; i < 6; ++i) out[i] = static_cast<std::uint8_t>(word >> (40 - 8 * i));
  }
  if (at < whole) {
    int invalid = 0;
    std::uint32_t group = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      const int v = kSixBit[text[at + i]];
      invalid |= v;
      group = group << 6 | static_cast<std::uint32_t>(v & 63);
    }
    if (invalid < 0) return false;
    out[0] = static_cast<std::uint8_t>(group >> 16);
    out[1] = static_cast<std::uint8_t>(group >> 8);
    out[2] = static_cast<std::uint8_t>(group);
    out += 3;
    at += 4;
  }
  buffer.bitCount = static_cast<std::uint16_t>(at * 6);

  // Only the text and its terminating NUL are ever looked at: a group that
  // would pass the text meets the NUL first, which is no payload character.
  auto value = [&](std::size_t i) { return i < length ? kSixBit[text[i]] : -1; };
  switch (payload.fillBits) {
    case 0:
      return true;
    case 2: {
      const int a = value(at), b = value(at + 1), c = value(at + 2);
      if ((a | b | c) < 0) return false;
      const unsigned kept = static_cast<unsigned>(a << 10 | b << 4 | c >> 2);
      out[0] = static_cast<std::uint8_t>(kept >> 8);
      out[1] = static_cast<std::uint8_t>(kept);
      buffer.bitCount = static_cast<std::uint16_t>(buffer.bitCount + 16);
      return true;
    }
    case 4: {
      const int a = value(at), b = value(at + 1);
      if ((a | b) < 0) return false;
      out[0] = static_cast<std::uint8_t>(a << 2 | b >> 4);
      buffer.bitCount = static_cast<std::uint16_t>(buffer.bitCount + 8);
      return true;
    }
    default:
      return false;
  }
}

float AisSignExtend(std::uint32_t value, std::uint16_t width) {
  if (width > 0 && width < 32 && (value >> (width - 1) & 1u) != 0) value |= ~0u << width;
  return static_cast<float>(static_cast<std::int32_t>(value)) * 1.0f;
}

void AisTrimTrailingAt(char* text) {
  std::size_t length = std::strlen(text);
  while (length > 0 && text[length - 1] == '@') --length;
  text[length] = '\0';
}

std::string_view AisTrimmedText(const char* text, std::size_t size) {
  std::size_t length = strnlen(text, size);
  while (length > 0 && text[length - 1] == '@') --length;
  return {text, length};
}

}  // namespace store
