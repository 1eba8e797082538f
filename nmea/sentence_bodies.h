#pragma once
// Body layouts of SentenceRecord, one packed structure per formatter (or per
// group of formatters sharing a layout), overlaid in one 83-byte union. The
// parse side and the compose side use the same layout for a formatter.

#include <cstddef>
#include <cstdint>

namespace nmea {

inline constexpr std::size_t kSentenceBodySize = 83;

#pragma pack(push, 1)

// Encapsulation sentences: VDM, VDO, ABM, BBM. The channel byte is the
// received character on the parse side and a channel number on the compose
// side; messageId is used by ABM and BBM, destination by ABM only.
struct EncapsulationBody {
  std::int8_t total;
  std::int8_t number;
  std::int8_t sequenceId;     // 0x80 when empty
  std::int8_t fillBits;       // 0x80 when empty
  char payload[64];           // at most 63 characters and NUL
  char channel;               // 0x80 when empty
  std::int8_t messageId;
  std::uint32_t destination;
};

// Query sentence: the formatter asked for.
struct QueryBody {
  char requested[kSentenceBodySize];
};

union SentenceBody {
  std::uint8_t bytes[kSentenceBodySize];
  EncapsulationBody encapsulation;
  QueryBody query;
};

#pragma pack(pop)

static_assert(sizeof(EncapsulationBody) == 74);
static_assert(sizeof(QueryBody) == kSentenceBodySize);
static_assert(sizeof(SentenceBody) == kSentenceBodySize);

}  // namespace nmea
