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

namespace {

std::uint32_t Read(const AisBitBuffer& bits, const AisFieldPlace& place) {
  return AisReadBits(bits, place.bit, place.width);
}

}  // namespace

AisLayoutChoice AisChooseLayout(const AisDecodedRecord& record, const AisLayoutTable& table) {
  using namespace selector;
  const std::uint32_t id = record.U8(0);
  if (!AisIsKnownMessageId(id)) return {};
  std::size_t slot = id - 1;
  AisLayoutChoice choice{nullptr, 1, 6, 1};  // after the 6-bit message id
  switch (id) {
    case 63: {
      const std::uint32_t subtype = record.U8(kSubtype.at);
      if (record.U8(kSubId.at) != 99 || subtype < 1 || subtype > 4) return {};
      slot = kSlotOwnSubtypeBase + subtype;
      // The walk goes on after the sub-id and subtype, which picked the layout.
      choice = {nullptr, kSubtype.index + 1,
                static_cast<std::uint16_t>(kSubtype.bit + kSubtype.width), kSubtype.at + 1};
      break;
    }
    case 24:
      slot = record.U8(kPartNumber.at) == 1 ? kSlotStaticPartB : kSlotStaticPartA;
      break;
    case 25:
      slot = record.U8(kDestinationIndicator.at) == 1 ? kSlotSingleSlotAddressed
                                                      : kSlotSingleSlotBroadcast;
      break;
    default:
      break;
  }
  choice.layout = &table[slot];
  return choice;
}

bool AisDecodeMessage(const AisBitBuffer& bits, AisDecodedRecord& record,
                      const AisLayoutTable& table) {
  using namespace selector;
  const std::uint32_t id = AisReadBits(bits, 0, 6);
  record.PutU8(0, id);
  if (!AisIsKnownMessageId(id)) return false;

  // The selectors of the messages that have more than one layout go into the
  // record first, where their layout stores them too.
  switch (id) {
    case 63:
      record.PutU8(kSubId.at, Read(bits, kSubId));
      record.PutU8(kSubtype.at, Read(bits, kSubtype));
      break;
    case 24:
      record.PutU8(kPartNumber.at, Read(bits, kPartNumber));
      break;
    case 22:
      record.PutU8(kAddressed.at, Read(bits, kAddressed));
      if (record.U8(kAddressed.at) == 1) {
        record.PutU32(kDestination1.at, Read(bits, kDestination1) & kMmsiMask);
        record.PutU32(kDestination2.at, Read(bits, kDestination2) & kMmsiMask);
      }
      break;
    case 25:
      record.PutU8(kDestinationIndicator.at, Read(bits, kDestinationIndicator));
      break;
    default:
      break;
  }

  const AisLayoutChoice choice = AisChooseLayout(record, table);
  if (choice.layout == nullptr || choice.layout->fieldCount == 0) return false;

  std::uint32_t binaryBytes = 0;
  AisFieldWalk walk(choice, bits.bitCount);
  for (AisFieldStep step; walk.Next(step);) {
    const AisFieldDescriptor& field = *step.field;
    if (!AisIsFieldKind(field.kind)) return false;
    const std::size_t at = step.at;
    std::uint32_t v = 0;
    if (field.kind != AisFieldKind::Text && field.kind != AisFieldKind::TextToEnd &&
        field.kind != AisFieldKind::Binary) {
      v = AisReadBits(bits, step.bit, field.width);
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
      case AisFieldKind::TextToEnd:
        PutText(bits, step.bit, step.bytes - 1, record, at);
        break;
      case AisFieldKind::Binary:
        binaryBytes = step.bits / 8;
        for (std::size_t i = 0; i < step.bytes; ++i) {
          record.PutU8(at + i, AisReadBits(bits, static_cast<std::uint16_t>(step.bit + 8 * i), 8));
        }
        break;
    }
  }
  record.SetHeld(walk.End());

  if (id == 6) record.PutU16(kAisAddressedBinaryCountAt, binaryBytes);
  if (id == 8) record.PutU16(kAisBroadcastBinaryCountAt, binaryBytes);
  return true;
}

}  // namespace store
