#pragma once
// The table-driven AIS message decoder: one interpreter of the layouts that
// turns the bits of a complete message into a byte-packed record of values.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "store/ais_bits.h"
#include "store/ais_layouts.h"

namespace store {

// The decoded message: byte 0 the message id, then one value per decoded
// field at the record offsets of its layout, little-endian and unaligned.
// Values are read and written through the accessors, never through casts.
class AisDecodedRecord {
 public:
  static constexpr std::size_t kSize = 140;

  void Clear() {
    bytes_.fill(0);
    held_ = 0;
  }

  // The layout's fields end at the record byte `end` as far as the message
  // carried them; a field past it was not in the message (it reads as zero).
  void SetHeld(std::size_t end) { held_ = end; }
  bool Holds(AisRecordField field) const { return field.at + field.bytes <= held_; }

  std::uint8_t U8(std::size_t at) const { return bytes_[at]; }
  std::uint16_t U16(std::size_t at) const { return static_cast<std::uint16_t>(Read(at, 2)); }
  std::uint32_t U32(std::size_t at) const { return Read(at, 4); }
  float F32(std::size_t at) const {
    const std::uint32_t raw = U32(at);
    float value;
    std::memcpy(&value, &raw, sizeof value);
    return value;
  }
  // The text stored at `at`, up to its NUL or the end of the record.
  std::string_view Text(std::size_t at) const {
    const char* text = reinterpret_cast<const char*>(&bytes_[at]);
    return {text, strnlen(text, kSize - at)};
  }

  void PutU8(std::size_t at, std::uint32_t v) { bytes_[at] = static_cast<std::uint8_t>(v); }
  void PutU16(std::size_t at, std::uint32_t v) { Write(at, v, 2); }
  void PutU32(std::size_t at, std::uint32_t v) { Write(at, v, 4); }
  void PutF32(std::size_t at, float v) {
    std::uint32_t raw;
    std::memcpy(&raw, &v, sizeof raw);
    Write(at, raw, 4);
  }

  const std::array<std::uint8_t, kSize>& Bytes() const { return bytes_; }
  std::array<std::uint8_t, kSize>& Bytes() { return bytes_; }

 private:
  std::uint32_t Read(std::size_t at, std::size_t n) const {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= static_cast<std::uint32_t>(bytes_[at + i]) << (8 * i);
    return v;
  }
  void Write(std::size_t at, std::uint32_t v, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) bytes_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }

  std::array<std::uint8_t, kSize> bytes_{};
  std::size_t held_ = 0;
};

// Values the decoder writes beside the layout walk.
inline constexpr std::size_t kAisAddressedDest1At = selector::kDestination1.at;  // message 22
inline constexpr std::size_t kAisAddressedDest2At = selector::kDestination2.at;
inline constexpr std::size_t kAisAddressedBinaryCountAt = 136;  // message 6
inline constexpr std::size_t kAisBroadcastBinaryCountAt = 130;  // message 8

// Ids 1 to 26 and 63.
constexpr bool AisIsKnownMessageId(std::uint32_t id) { return (id >= 1 && id <= 26) || id == 63; }

// Decodes the message in `bits` into `record` (which the caller clears).
// False when the message is refused: an unknown id, a message 63 other than
// sub-id 99 with subtype 1 to 4, or a layout holding an undefined kind. A
// message shorter than its layout is no failure: the fields that do not fit
// stay zero. A text running to the end of the message is cut at the end of
// the record.
bool AisDecodeMessage(const AisBitBuffer& bits, AisDecodedRecord& record,
                      const AisLayoutTable& table = kAisLayouts);

// Where the walk of a message's layout starts: the layout the decoder picks
// for the message held in `record` (its selectors are stored there), and the
// first field, bit and record byte of the walk. An empty layout for an
// unknown message.
struct AisLayoutChoice {
  const AisMessageLayout* layout = nullptr;
  std::size_t firstField = 0;
  std::uint16_t firstBit = 0;
  std::size_t firstByte = 0;
};
AisLayoutChoice AisChooseLayout(const AisDecodedRecord& record,
                                const AisLayoutTable& table = kAisLayouts);

// One field of a message as the walk of its layout meets it: where its bits
// begin and how many it takes (a text to the end takes whole characters, a
// binary field to the end the rest of the message), and where its value
// lies in the record and how many bytes it takes there.
struct AisFieldStep {
  const AisFieldDescriptor* field;
  std::uint16_t bit;
  std::uint32_t bits;
  std::size_t at;
  std::size_t bytes;
};

// The walk of a layout over a message of `bitCount` bits: each field that
// the message holds completely and that fits in the record, in order. The
// decoder stores the fields it meets, the describer reads them back: the
// same walk, so the two never disagree on where a value lies.
class AisFieldWalk {
 public:
  AisFieldWalk(const AisLayoutChoice& choice, std::uint16_t bitCount)
      : fields_(choice.layout->Fields()),
        next_(choice.firstField),
        bit_(choice.firstBit),
        at_(choice.firstByte),
        bitCount_(bitCount) {}

  // The next field, or false when the message or the record ends first.
  bool Next(AisFieldStep& step) {
    if (next_ >= fields_.size()) return false;
    const AisFieldDescriptor& field = fields_[next_];
    if (bit_ + field.width > bitCount_) return false;
    step = {&field, static_cast<std::uint16_t>(bit_), field.width, at_,
            AisRecordBytes(field.kind, field.width)};
    if (field.kind == AisFieldKind::TextToEnd) {
      // A long message 12 or 14 text is cut where the record ends.
      std::size_t characters = (bitCount_ - bit_) / 6u;
      if (at_ < AisDecodedRecord::kSize) {
        characters = std::min(characters, AisDecodedRecord::kSize - at_ - 1);
      }
      step.bits = static_cast<std::uint32_t>(characters * 6);
      step.bytes = characters + 1;
    } else if (field.kind == AisFieldKind::Binary) {
      step.bits = field.width == 0 ? bitCount_ - bit_ : field.width;
      step.bytes = std::min<std::size_t>((step.bits + 7) / 8, AisDecodedRecord::kSize - at_);
    }
    if (at_ + step.bytes > AisDecodedRecord::kSize) return false;  // never past the record
    ++next_;
    bit_ += step.bits;
    at_ += step.bytes;
    return true;
  }

  // The record byte after the last field met.
  std::size_t End() const { return at_; }

 private:
  std::span<const AisFieldDescriptor> fields_;
  std::size_t next_;
  std::uint32_t bit_;
  std::size_t at_;
  std::uint32_t bitCount_;
};

// Every layout's values fit in the record, also a binary field running to
// the end of the longest message. (A text to the end is cut instead.)
constexpr bool AisLayoutsFitRecord(const AisLayoutTable& table) {
  for (const AisMessageLayout& layout : table) {
    std::size_t bit = 0;
    std::size_t at = 0;
    for (const AisFieldDescriptor& field : layout.Fields()) {
      std::size_t bytes = AisRecordBytes(field.kind, field.width);
      if (field.kind == AisFieldKind::Binary && field.width == 0) {
        bytes = (kAisBitCapacity - bit) / 8;
      }
      bit += field.width;
      at += bytes;
      if (at > AisDecodedRecord::kSize) return false;
    }
  }
  // The binary of message 6 and 8 ends before the byte counts behind it.
  return 13 + (kAisBitCapacity - 72) / 8 <= kAisAddressedBinaryCountAt &&
         7 + (kAisBitCapacity - 40) / 8 <= kAisBroadcastBinaryCountAt;
}
static_assert(AisLayoutsFitRecord(kAisLayouts));

}  // namespace store
