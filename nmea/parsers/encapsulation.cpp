// Encapsulation sentences: the six-bit payloads of AIS messages.
//
//   !AIVDM,2,1,3,B,55P5TL01VIaAL@7WKO@mBplU@<PDhh000000001S;AJ::4A80?4i@E53,0*3E
//          | | | |  |                                                       |
//          1 2 3 4  5: payload                                              6: fill bits
//   1 total sentences, 2 sentence number, 3 sequential message id, 4 channel

#include <cstring>

#include "nmea/fields.h"
#include "nmea/parsers.h"

namespace nmea {
namespace {

constexpr std::int8_t kEmptyI8 = static_cast<std::int8_t>(kEmptyByte);

bool InRange(long v, long low, long high) { return v >= low && v <= high; }

// An optional small number: the value, or the empty-byte marker.
std::int8_t OptionalByte(const char* field, long& value) {
  if (IsEmptyField(field)) {
    value = kEmptyByte;
    return kEmptyI8;
  }
  value = ToInteger(field);
  return static_cast<std::int8_t>(value);
}

// The longest payload a sentence may carry: one character more once a
// sequential message id of 1 to 9 is given.
std::size_t PayloadLimit(long sequenceId, long longFrom) {
  return sequenceId >= longFrom && sequenceId <= 9 ? 63 : 62;
}

bool CopyPayload(const char* field, std::size_t limit, EncapsulationBody& body) {
  const std::size_t length = std::strlen(field);
  if (length > limit) return false;
  std::memcpy(body.payload, field, length + 1);
  return true;
}

// VDM and VDO: total, number, sequence id, channel, payload, fill bits.
ParseStatus ParseVdmLike(char* sentence, SentenceRecord& record) {
  if (!HasFieldCount(sentence, 6)) return ParseStatus::FieldCount;
  EncapsulationBody& body = record.body.encapsulation;
  body.total = body.number = body.sequenceId = body.fillBits = 0;
  std::memset(body.payload, 0, sizeof body.payload);
  body.channel = 0;

  FieldScanner scan;
  scan.NextField(sentence, ',');
  long v = ToInteger(scan.NextField(nullptr, ','));
  body.total = static_cast<std::int8_t>(v);
  if (!InRange(v, 0, 9)) return ParseStatus::Range;

  v = ToInteger(scan.NextField(nullptr, ','));
  body.number = static_cast<std::int8_t>(v);
  if (!InRange(v, 0, 9)) return ParseStatus::Range;

  long sequence;
  body.sequenceId = OptionalByte(scan.NextField(nullptr, ','), sequence);
  if (sequence != kEmptyByte && !InRange(sequence, 0, 9)) return ParseStatus::Range;

  const char* channel = scan.NextField(nullptr, ',');
  body.channel = IsEmptyField(channel) ? static_cast<char>(kEmptyByte) : channel[0];

  const char* payload = scan.NextField(nullptr, ',');
  if (payload == nullptr) return ParseStatus::FieldCount;
  if (!CopyPayload(payload, PayloadLimit(sequence, 1), body)) return ParseStatus::Length;

  body.fillBits = OptionalByte(scan.NextField(nullptr, '*'), v);
  if (!InRange(v, 0, 5)) return ParseStatus::Range;
  return ParseStatus::Accepted;
}

}  // namespace

ParseStatus ParseVDM(char* sentence, SentenceRecord& record) {
  return ParseVdmLike(sentence, record);
}

ParseStatus ParseVDO(char* sentence, SentenceRecord& record) {
  return ParseVdmLike(sentence, record);
}

// !AIABM,1,1,0,211378120,2,6,<payload>,0
ParseStatus ParseABM(char* sentence, SentenceRecord& record) {
  if (!HasFieldCount(sentence, 8)) return ParseStatus::FieldCount;
  EncapsulationBody& body = record.body.encapsulation;
  body = EncapsulationBody{};

  FieldScanner scan;
  scan.NextField(sentence, ',');
  long v = ToInteger(scan.NextField(nullptr, ','));
  body.total = static_cast<std::int8_t>(v);
  if (!InRange(v, 1, 9)) return ParseStatus::Range;

  v = ToInteger(scan.NextField(nullptr, ','));
  body.number = static_cast<std::int8_t>(v);
  if (!InRange(v, 1, 9)) return ParseStatus::Range;

  long sequence;
  body.sequenceId = OptionalByte(scan.NextField(nullptr, ','), sequence);
  if (!InRange(sequence, 0, 3)) return ParseStatus::Range;

  v = ToInteger(scan.NextField(nullptr, ','));
  body.destination = static_cast<std::uint32_t>(v);
  if (!InRange(v, 0, 999999999)) return ParseStatus::Range;

  body.channel = static_cast<char>(OptionalByte(scan.NextField(nullptr, ','), v));
  if (!InRange(v, 0, 3)) return ParseStatus::Range;

  v = ToInteger(scan.NextField(nullptr, ','));
  body.messageId = static_cast<std::int8_t>(v);
  if (v != 6 && v != 12) return ParseStatus::Range;

  const char* payload = scan.NextField(nullptr, ',');
  if (payload == nullptr) return ParseStatus::FieldCount;
  if (!CopyPayload(payload, PayloadLimit(sequence, 1), body)) return ParseStatus::Length;

  body.fillBits = OptionalByte(scan.NextField(nullptr, '*'), v);
  if (!InRange(v, 0, 5)) return ParseStatus::Range;
  return ParseStatus::Accepted;
}

// !AIBBM,1,1,0,2,8,<payload>,0
ParseStatus ParseBBM(char* sentence, SentenceRecord& record) {
  if (!HasFieldCount(sentence, 7)) return ParseStatus::FieldCount;
  EncapsulationBody& body = record.body.encapsulation;
  body = EncapsulationBody{};

  FieldScanner scan;
  scan.NextField(sentence, ',');
  long v = ToInteger(scan.NextField(nullptr, ','));
  body.total = static_cast<std::int8_t>(v);
  if (!InRange(v, 0, 9)) return ParseStatus::Range;

  v = ToInteger(scan.NextField(nullptr, ','));
  body.number = static_cast<std::int8_t>(v);
  if (!InRange(v, 0, 9)) return ParseStatus::Range;

  long sequence;
  body.sequenceId = OptionalByte(scan.NextField(nullptr, ','), sequence);
  if (sequence != kEmptyByte && !InRange(sequence, 0, 9)) return ParseStatus::Range;

  body.channel = static_cast<char>(ToInteger(scan.NextField(nullptr, ',')));
  body.messageId = static_cast<std::int8_t>(ToInteger(scan.NextField(nullptr, ',')));

  const char* payload = scan.NextField(nullptr, ',');
  if (payload == nullptr) return ParseStatus::FieldCount;
  if (!CopyPayload(payload, PayloadLimit(sequence, 1), body)) return ParseStatus::Length;

  body.fillBits = OptionalByte(scan.NextField(nullptr, '*'), v);
  if (!InRange(v, 0, 5)) return ParseStatus::Range;
  return ParseStatus::Accepted;
}

}  // namespace nmea
