#include "store/ais_bits.h"

#include <cstring>

namespace store {

bool AisDearmour(const nmea::AisPayloadRecord& payload, AisBitBuffer& buffer) {
  buffer = AisBitBuffer{};
  const char* text = payload.payload;
  const std::size_t length = strnlen(text, sizeof payload.payload - 1);
  std::size_t at = 0;
  std::size_t byte = 0;

  // Only the text and its terminating NUL are ever looked at: a group that
  // would pass the text meets the NUL first, which is no payload character.
  auto value = [&](std::size_t i) { return i < length ? AisSixBitValue(text[i]) : -1; };
  // An assembled payload may hold up to 175 characters, 1050 bits: more than
  // the buffer (and any AIS message) holds. Such a payload is refused.
  auto fits = [&](std::size_t bytes) { return byte + bytes <= buffer.bits.size(); };

  while (length - at >= 4) {
    if (!fits(3)) return false;
    const int a = value(at), b = value(at + 1), c = value(at + 2), d = value(at + 3);
    if ((a | b | c | d) < 0) return false;
    const std::uint32_t group = static_cast<std::uint32_t>(a << 18 | b << 12 | c << 6 | d);
    buffer.bits[byte++] = static_cast<std::uint8_t>(group >> 16);
    buffer.bits[byte++] = static_cast<std::uint8_t>(group >> 8);
    buffer.bits[byte++] = static_cast<std::uint8_t>(group);
    buffer.bitCount = static_cast<std::uint16_t>(buffer.bitCount + 24);
    at += 4;
  }

  switch (payload.fillBits) {
    case 0:
      return true;
    case 2: {
      const int a = value(at), b = value(at + 1), c = value(at + 2);
      if ((a | b | c) < 0 || !fits(2)) return false;
      const unsigned kept = static_cast<unsigned>(a << 10 | b << 4 | c >> 2);
      buffer.bits[byte++] = static_cast<std::uint8_t>(kept >> 8);
      buffer.bits[byte] = static_cast<std::uint8_t>(kept);
      buffer.bitCount = static_cast<std::uint16_t>(buffer.bitCount + 16);
      return true;
    }
    case 4: {
      const int a = value(at), b = value(at + 1);
      if ((a | b) < 0 || !fits(1)) return false;
      buffer.bits[byte] = static_cast<std::uint8_t>(a << 2 | b >> 4);
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
