#pragma once
// The firmware image's record: a 263-byte code block.
//
//   offset 0    4 bytes   magic "C0DE" (0x43 0x30 0x44 0x45; a zero, not an O)
//   offset 4    2 bytes   length word, little-endian; low 12 bits = data length N
//   offset 6  256 bytes   data area; the first N bytes are code, the rest filler
//   offset 262  1 byte    exclusive-or of the N code bytes
//
// A block with N = 0 is the end block. On the wire a block goes as stored
// (263 bytes) or with bytes 262-263 replaced by the 16-bit sum of its code
// bytes (264 bytes), depending on the device.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace firmware {

inline constexpr std::size_t kBlockSize = 263;
inline constexpr std::size_t kWireBlockWithSum16 = 264;
inline constexpr std::size_t kDataOffset = 6;
inline constexpr std::size_t kDataAreaSize = 256;
inline constexpr std::size_t kCheckOffset = 262;
inline constexpr std::array<std::uint8_t, 4> kMagic = {0x43, 0x30, 0x44, 0x45};

// A block buffer with room for the longer wire form.
using BlockBuffer = std::array<std::uint8_t, kWireBlockWithSum16>;

// Data length N: the low 12 bits of the length word (may exceed 256 in a
// damaged block; callers check).
inline unsigned BlockDataLength(const std::uint8_t* block) {
  return static_cast<unsigned>(block[4] | block[5] << 8) & 0x0FFFu;
}

inline bool HasMagic(const std::uint8_t* block) {
  return block[0] == kMagic[0] && block[1] == kMagic[1] && block[2] == kMagic[2] &&
         block[3] == kMagic[3];
}

// The code bytes of a block: its first N data bytes (never more than the
// data area holds, whatever a damaged length word says).
inline std::span<const std::uint8_t> CodeBytes(const std::uint8_t* block) {
  const unsigned n = BlockDataLength(block);
  return {block + kDataOffset, n < kDataAreaSize ? n : kDataAreaSize};
}

// What the image format checks of code bytes: their exclusive-or (the check
// byte), their 16-bit sum (the longer wire form) and their 32-bit sum (the
// image sum), each byte taken as 0 to 255.
struct CodeSums {
  std::uint8_t check = 0;
  std::uint16_t sum16 = 0;
  std::uint32_t sum = 0;
};

constexpr CodeSums SumCode(std::span<const std::uint8_t> code) {
  CodeSums sums;
  for (const std::uint8_t byte : code) {
    sums.check = static_cast<std::uint8_t>(sums.check ^ byte);
    sums.sum += byte;
  }
  sums.sum16 = static_cast<std::uint16_t>(sums.sum);
  return sums;
}

// Stores the 16-bit sum of the block's code bytes, little-endian, at offsets
// 262-263 of a buffer of at least 264 bytes. False only without a block.
bool BlockSum16(std::uint8_t* block);

// Prepares the wire form of the block held in `block` and returns its
// length: 263 as stored, or 264 with the 16-bit sum.
std::size_t PrepareWireBlock(BlockBuffer& block, bool withSum16);

}  // namespace firmware
