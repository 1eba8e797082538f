#include "store/ais_decoder.h"

#include <cmath>

namespace store {
namespace {

constexpr std::uint32_t kMmsiMask = 0x3FFFFFFF;

// Degrees per minute from the raw rate-of-turn indicator.
float RateOfTurn(std::uint32_t raw) {
  if (raw == 128) return 9999.0f;  // not available
  if (raw == 127) return 1001.0f;  // turning right faster than the sensor reads
  if (raw == 129) return -1001.0f;
  const long double v = AisSignExtend(raw, 8);
  const long double root = v * 0.2112824847L;  // 1 / 4.733
  return static_cast<float>(v < 0 ? -(root * root) : root * root);
}

float Position(std::uint32_t raw, std::uint16_t width, float scale) {
  return static_cast<float>(static_cast<double>(AisSignExtend(raw, width)) * scale * (1.0 / 60.0));
}

float Scaled(std::uint32_t raw, float scale) {
  return static_cast<float>(static_cast<double>(static_cast<std::uint64_t>(raw)) * scale);
}

// Six-bit characters from bit `bit` into the record at `at`, with a NUL.
void PutText(const AisBitBuffer& bits, std::uint16_t bit, std::size_t characters,
             AisDecodedRecord& record, std::size_t at) {
  for (std::size_t i = 0; i < characters; ++i) {
    record.PutU8(at + i, static_cast<unsigned char>(AisSixBitChar(AisReadBits(bits, bit, 6))));
    bit = static_cast<std::uint16_t>(bit + 6);
  }
  record.PutU8(at + characters, 0);
}

}  // namespace

AisLayoutChoice AisChooseLayout(const AisDecodedRecord& record, const AisLayoutTable& table) {
  const std::uint32_t id = record.U8(0);
  if (!AisIsKnownMessageId(id)) return {};
  std::size_t slot = id - 1;
  AisLayoutChoice choice{nullptr, 1, 6, 1};
  switch (id) {
    case 63: {
      const std::uint32_t subtype = record.U8(2);
      if (record.U8(1) != 99 || subtype < 1 || subtype > 4) return {};
      slot = kSlotOwnSubtypeBase + subtype;
      choice = {nullptr, 3, 18, 3};
      break;
    }
    case 24:
      slot = record.U8(6) == 1 ? kSlotStaticPartB : kSlotStaticPartA;
      break;
    case 25:
      slot = record.U8(6) == 1 ? kSlotSingleSlotAddressed : kSlotSingleSlotBroadcast;
      break;
    default:
      break;
  }
  choice.layout = &table[slot];
  return choice;
}

bool AisDecodeMessage(const AisBitBuffer& bits, AisDecodedRecord& record,
                      const AisLayoutTable& table) {
  const std::uint32_t id = AisReadBits(bits, 0, 6);
  record.PutU8(0, id);
  if (!AisIsKnownMessageId(id)) return false;

  // The selectors of the messages that have more than one layout go into the
  // record first, where their layout stores them too.
  switch (id) {
    case 63:
      record.PutU8(1, AisReadBits(bits, 6, 8));   // sub-id
      record.PutU8(2, AisReadBits(bits, 14, 4));  // subtype
      break;
    case 24:
      record.PutU8(6, AisReadBits(bits, 38, 2));  // part number
      break;
    case 22:
      record.PutU8(29, AisReadBits(bits, 139, 1));  // addressed flag
      if (record.U8(29) == 1) {
        record.PutU32(kAisAddressedDest1At, AisReadBits(bits, 69, 30) & kMmsiMask);
        record.PutU32(kAisAddressedDest2At, AisReadBits(bits, 104, 30) & kMmsiMask);
      }
      break;
    case 25:
      record.PutU8(6, AisReadBits(bits, 38, 1));  // destination indicator
      break;
    default:
      break;
  }

  const AisLayoutChoice choice = AisChooseLayout(record, table);
  if (choice.layout == nullptr || choice.layout->fieldCount == 0) return false;

  std::uint32_t p = choice.firstBit;
  std::size_t at = choice.firstByte;
  std::uint32_t binaryBytes = 0;
  const std::span<const AisFieldDescriptor> fields = choice.layout->Fields();
  for (std::size_t i = choice.firstField; i < fields.size(); ++i) {
    const AisFieldDescriptor& field = fields[i];
    if (p + field.width > bits.bitCount) break;
    if (!AisIsFieldKind(field.kind)) return false;

    const auto bit = static_cast<std::uint16_t>(p);
    std::uint32_t advance = field.width;
    const std::size_t bytes = AisRecordBytes(field.kind, field.width);
    if (bytes != 0 && at + bytes > AisDecodedRecord::kSize) break;  // never past the record

    std::uint32_t v = 0;
    if (field.kind != AisFieldKind::Text && field.kind != AisFieldKind::TextToEnd &&
        field.kind != AisFieldKind::Binary) {
      v = AisReadBits(bits, bit, field.width);
    }

    switch (field.kind) {
      case AisFieldKind::UInt8:
      case AisFieldKind::TimeStamp:
        record.PutU8(at, v);
        break;
      case AisFieldKind::UInt16:
      case AisFieldKind::UInt16Code:
        record.PutU16(at, v);
        break;
      case AisFieldKind::UInt32:
      case AisFieldKind::Identifier:
      case AisFieldKind::Eta:
      case AisFieldKind::RadioStatus:
      case AisFieldKind::Dimensions:
        record.PutU32(at, v);
        break;
      case AisFieldKind::SignedScaled:
        record.PutF32(at, static_cast<float>(static_cast<double>(AisSignExtend(v, field.width)) *
                                             field.scale));
        break;
      case AisFieldKind::UnsignedScaled:
      case AisFieldKind::Course:
        record.PutF32(at, Scaled(v, field.scale));
        break;
      case AisFieldKind::RateOfTurn:
        record.PutF32(at, RateOfTurn(v));
        break;
      case AisFieldKind::Longitude:
      case AisFieldKind::Latitude:
        record.PutF32(at, Position(v, field.width, field.scale));
        break;
      case AisFieldKind::Heading:
        record.PutU16(at, v > 359 ? 511 : v);
        break;
      case AisFieldKind::Text:
        PutText(bits, bit, field.width / 6u, record, at);
        break;
      case AisFieldKind::TextToEnd: {
        // A long message 12 or 14 text is cut where the record ends.
        std::size_t characters = (bits.bitCount - p) / 6u;
        const std::size_t room = AisDecodedRecord::kSize - at - 1;
        if (characters > room) characters = room;
        PutText(bits, bit, characters, record, at);
        advance = static_cast<std::uint32_t>(characters * 6);
        at += characters + 1;
        break;
      }
      case AisFieldKind::Binary: {
        const std::uint32_t width = field.width == 0 ? bits.bitCount - p : field.width;
        binaryBytes = width / 8;
        std::size_t out = at;
        for (std::uint32_t b = p; b < p + width && out < AisDecodedRecord::kSize; b += 8) {
          record.PutU8(out++, AisReadBits(bits, static_cast<std::uint16_t>(b), 8));
        }
        advance = width;
        break;
      }
    }
    p += advance;
    at += bytes;
  }
  record.SetHeld(at);

  if (id == 6) record.PutU16(kAisAddressedBinaryCountAt, binaryBytes);
  if (id == 8) record.PutU16(kAisBroadcastBinaryCountAt, binaryBytes);
  return true;
}

}  // namespace store
