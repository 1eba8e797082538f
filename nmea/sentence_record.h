#pragma once
// The fixed-size records the sentence library reads into and writes from.
// Records are plain packed structures: their byte layout is part of the
// library's contract (bodies are shared between parsers, composers and the
// record store), so they carry static_asserts on their sizes.

#include <cstdint>

#include "nmea/sentence_bodies.h"

namespace nmea {

#pragma pack(push, 1)

// One sentence, either as parsed or as to be composed. One instance per
// direction; the body's layout depends on the formatter.
struct SentenceRecord {
  char start;         // '$' or '!'
  char talker[3];     // two characters and NUL; "P" for every proprietary sentence
  char formatter[4];  // three characters and NUL; "Q" for a query
  char makerLetter;   // letter of a maker sentence ($PZLX,<letter>,...), else 0
  std::uint8_t category;
  SentenceBody body;
};
static_assert(sizeof(SentenceRecord) == 10 + kSentenceBodySize);

// The assembled six-bit payload of one encapsulated (!) message.
struct AisPayloadRecord {
  char formatter[4];          // ABM, BBM, VDM or VDO
  std::uint32_t destination;  // ABM destination MMSI, else 0
  std::uint8_t total;         // sentences in the message
  std::uint8_t number;        // number of the last sentence added
  std::int8_t sequenceId;     // 0x80 when the field was empty
  char channel;               // channel field as parsed
  std::uint8_t messageId;     // ABM/BBM message id, else 0
  std::uint8_t complete;      // 1 once every sentence has been added
  std::int8_t fillBits;       // fill bits of the last sentence added
  std::uint8_t reserved;
  char payload[176];  // at most 175 characters and NUL
};
static_assert(sizeof(AisPayloadRecord) == 192);

#pragma pack(pop)

inline constexpr std::size_t kMaxPayloadChars = sizeof(AisPayloadRecord::payload) - 1;

}  // namespace nmea
