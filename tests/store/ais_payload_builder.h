#pragma once
// Test helper: AIS messages built field by field, as bits, as a bit buffer
// or armoured into payload text (the system itself only decodes).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "nmea/sentence_record.h"
#include "store/ais_bits.h"

namespace store::testing_support {

class AisMessageBuilder {
 public:
  AisMessageBuilder& U(unsigned width, std::uint64_t value) {
    for (unsigned i = width; i-- > 0;) bits_.push_back(i < 64 && (value >> i & 1u) != 0);
    return *this;
  }
  AisMessageBuilder& S(unsigned width, std::int64_t value) {
    return U(width, static_cast<std::uint64_t>(value));
  }
  // Six-bit text of `characters` characters, padded with '@'.
  AisMessageBuilder& Text(unsigned characters, std::string_view text) {
    for (unsigned i = 0; i < characters; ++i) {
      const char c = i < text.size() ? text[i] : '@';
      U(6, static_cast<unsigned char>(c) >= 64 ? static_cast<unsigned char>(c) - 64u
                                               : static_cast<unsigned char>(c));
    }
    return *this;
  }

  std::size_t Size() const { return bits_.size(); }

  // The bits as the decoder sees them, whatever their count.
  AisBitBuffer Buffer() const {
    AisBitBuffer buffer;
    for (std::size_t i = 0; i < bits_.size() && i < kAisBitCapacity; ++i) {
      if (bits_[i]) buffer.bits[i / 8] |= static_cast<std::uint8_t>(0x80u >> (i % 8));
    }
    buffer.bitCount = static_cast<std::uint16_t>(bits_.size());
    return buffer;
  }

  // Armoured text and the fill bits that pad it to whole characters.
  std::string Armoured(int& fillBits) const {
    std::vector<bool> padded = bits_;
    fillBits = static_cast<int>((6 - padded.size() % 6) % 6);
    padded.resize(padded.size() + static_cast<std::size_t>(fillBits), false);
    std::string text;
    for (std::size_t i = 0; i < padded.size(); i += 6) {
      int v = 0;
      for (std::size_t b = 0; b < 6; ++b) v = v << 1 | (padded[i + b] ? 1 : 0);
      text += AisArmourCharacter(static_cast<unsigned>(v));
    }
    return text;
  }

  nmea::AisPayloadRecord Payload() const {
    nmea::AisPayloadRecord payload{};
    int fill = 0;
    const std::string text = Armoured(fill);
    text.copy(payload.payload, sizeof payload.payload - 1);
    payload.fillBits = static_cast<std::int8_t>(fill);
    return payload;
  }

 private:
  std::vector<bool> bits_;
};

inline nmea::AisPayloadRecord PayloadOf(std::string_view text, int fillBits) {
  nmea::AisPayloadRecord payload{};
  text.copy(payload.payload, sizeof payload.payload - 1);
  payload.fillBits = static_cast<std::int8_t>(fillBits);
  return payload;
}

}  // namespace store::testing_support
