#pragma once
// Six-bit de-armouring of AIS payload text and bit-field access.
//
// A payload character carries six bits (IEC 61162-1 armouring); the bits are
// packed into a byte buffer, most significant bit first, from which fields of
// 1 to 32 bits are read at any bit position.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "nmea/sentence_record.h"

namespace store {

// The de-armoured payload. Bits past `bitCount` read as zero: the buffer is
// zeroed before each fill. 127 bytes, 1016 bits, hold the longest message
// (1008 bits); eight zero bytes behind them let a field be read with one
// 64-bit load wherever it starts.
inline constexpr std::size_t kAisBitBytes = 127;
inline constexpr std::uint16_t kAisBitCapacity = kAisBitBytes * 8;

struct AisBitBuffer {
  std::array<std::uint8_t, kAisBitBytes + 8> bits{};
  std::uint16_t bitCount = 0;
};

// The six-bit value 0..63 of a payload character, or -1 when the character
// is no payload character. `0`..`W` give 0..39, the grave accent..`w` 40..63.
constexpr int AisSixBitValue(char character) {
  const int c = static_cast<unsigned char>(character);
  if (c < '0' || c > 'w') return -1;
  if (c >= 'X' && c <= '_') return -1;
  const int sum = (c + 40) % 256;
  return sum > 128 ? (sum + 32) % 64 : (sum + 40) % 64;
}

// The payload character that carries the six-bit value 0..63: the other
// way of AisSixBitValue, for whatever builds payloads (the virtual
// transponder's traffic, the tests).
constexpr char AisArmourCharacter(unsigned value) {
  return static_cast<char>(value < 40 ? value + '0' : value - 40 + '`');
}

constexpr bool ArmourRoundTrips() {
  for (unsigned v = 0; v < 64; ++v) {
    if (AisSixBitValue(AisArmourCharacter(v)) != static_cast<int>(v)) return false;
  }
  return true;
}
static_assert(ArmourRoundTrips());

// Converts the payload text and fill bits of an assembled message into bits.
// Works in whole bytes: fill bits 0 take groups of four characters only,
// fill bits 2 and 4 take three or two further characters and keep 16 or 8 of
// their bits. False for an invalid character or any other fill-bit count;
// the buffer is then partly filled and must not be decoded.
bool AisDearmour(const nmea::AisPayloadRecord& payload, AisBitBuffer& buffer);

// The unsigned value of `width` (1..32) bits starting at bit `firstBit`,
// most significant bit first. Bits beyond the buffer read as zero.
inline std::uint32_t AisReadBits(const AisBitBuffer& buffer, std::uint16_t firstBit,
                                 std::uint16_t width) {
  const std::size_t first = firstBit / 8u;
  if (width == 0 || width > 32 || first >= kAisBitBytes) return 0;
  // Eight bytes from the field's first: the field's up to 39 bits (32 and a
  // shift of up to 7) lie within them, and the padding keeps them in the
  // buffer.
  std::uint64_t word;
  std::memcpy(&word, buffer.bits.data() + first, sizeof word);
  if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
  return static_cast<std::uint32_t>(word << (firstBit % 8u) >> (64u - width));
}

// `value` read as a two's-complement number of `width` bits.
float AisSignExtend(std::uint32_t value, std::uint16_t width);

// The six-bit ASCII of ITU-R M.1371: 0 is '@', 1..26 'A'..'Z', 32 a space.
constexpr char AisSixBitChar(std::uint32_t value) {
  return static_cast<char>(value < 32 ? value + 64 : value);
}

// Removes the '@' padding at the end of a NUL-terminated text, in place.
void AisTrimTrailingAt(char* text);

// The same as a view on a text of at most `size` bytes, without changing it.
std::string_view AisTrimmedText(const char* text, std::size_t size);

}  // namespace store
