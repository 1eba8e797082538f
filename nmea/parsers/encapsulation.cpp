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

// An optional small number: stored as the empty-byte marker when empty.
struct OptionalNumber {
  bool empty;
  long value;
  std::int8_t Stored() const { return empty ? kEmptyI8 : static_cast<std::int8_t>(value); }
  bool In(long low, long high) const { return !empty && InRange(value, low, high); }
};

OptionalNumber ReadOptional(const char* field) {
  if (IsEmptyField(field)) return {true, 0};
  return {false, ToInteger(field)};
}

// Total, sentence number and sequential message id, each range-checked.
struct CountRules {
  long lowest;  // of total and sentence number
  long highestSequence;
  bool sequenceRequired;  // an empty sequence id rejects
};

ParseStatus ReadCounts(FieldScanner& scan, EncapsulationBody& body, const CountRules& rules,
                       OptionalNumber& sequence) {
  long v = ToInteger(scan.NextField(nullptr, ','));
  body.total = static_cast<std::int8_t>(v);
  if (!InRange(v, rules.lowest, 9)) return ParseStatus::Range;

  v = ToInteger(scan.NextField(nullptr, ','));
  body.number = static_cast<std::int8_t>(v);
  if (!InRange(v, rules.lowest, 9)) return ParseStatus::Range;

  sequence = ReadOptional(scan.NextField(nullptr, ','));
  body.sequenceId = sequence.Stored();
  if (sequence.empty ? rules.sequenceRequired : !sequence.In(0, rules.highestSequence)) {
    return ParseStatus::Range;
  }
  return ParseStatus::Accepted;
}

// The payload and the fill bits, the last two fields of every encapsulation
// sentence. A payload may be one character longer (63) once a sequential
// message id of 1 to 9 is given.
ParseStatus ReadPayloadAndFillBits(FieldScanner& scan, EncapsulationBody& body,
                                   const OptionalNumber& sequence) {
  const char* payload = scan.NextField(nullptr, ',');
  if (payload == nullptr) return ParseStatus::FieldCount;
  const std::size_t limit = sequence.In(1, 9) ? 63 : 62;
  const std::size_t length = std::strlen(payload);
  if (length > limit) return ParseStatus::Length;
  std::memcpy(body.payload, payload, length + 1);

  const OptionalNumber fillBits = ReadOptional(scan.NextField(nullptr, '*'));
  body.fillBits = fillBits.Stored();
  return fillBits.In(0, 5) ? ParseStatus::Accepted : ParseStatus::Range;
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
  OptionalNumber sequence;
  if (const ParseStatus s = ReadCounts(scan, body, {0, 9, false}, sequence);
      s != ParseStatus::Accepted) {
    return s;
  }
  const char* channel = scan.NextField(nullptr, ',');
  body.channel = IsEmptyField(channel) ? static_cast<char>(kEmptyByte) : channel[0];
  return ReadPayloadAndFillBits(scan, body, sequence);
}

}  // namespace

ParseStatus ParseVDM(char* sentence, SentenceRecord& record) {
  return ParseVdmLike(sentence, record);
}

ParseStatus ParseVDO(char* sentence, SentenceRecord& record) {
  return ParseVdmLike(sentence, record);
}

// !AIABM,1,1,0,211378120,2,6,<payload>,0
//        1 2 3 4         5 6 7         8
// 1 total, 2 number, 3 sequence id (0-3), 4 destination MMSI, 5 channel (0-3),
// 6 message id (6 or 12), 7 payload, 8 fill bits
ParseStatus ParseABM(char* sentence, SentenceRecord& record) {
  if (!HasFieldCount(sentence, 8)) return ParseStatus::FieldCount;
  EncapsulationBody& body = record.body.encapsulation;
  body = EncapsulationBody{};

  FieldScanner scan;
  scan.NextField(sentence, ',');
  OptionalNumber sequence;
  if (const ParseStatus s = ReadCounts(scan, body, {1, 3, true}, sequence);
      s != ParseStatus::Accepted) {
    return s;
  }
  long v = ToInteger(scan.NextField(nullptr, ','));
  body.destination = static_cast<std::uint32_t>(v);
  if (!InRange(v, 0, 999999999)) return ParseStatus::Range;

  const OptionalNumber channel = ReadOptional(scan.NextField(nullptr, ','));
  body.channel = static_cast<char>(channel.Stored());
  if (!channel.In(0, 3)) return ParseStatus::Range;

  v = ToInteger(scan.NextField(nullptr, ','));
  body.messageId = static_cast<std::int8_t>(v);
  if (v != 6 && v != 12) return ParseStatus::Range;
  return ReadPayloadAndFillBits(scan, body, sequence);
}

// !AIBBM,1,1,,2,8,<payload>,0
//        1 2 3 4 5 6       7
// 1 total, 2 number, 3 sequence id, 4 channel, 5 message id, 6 payload, 7 fill bits
ParseStatus ParseBBM(char* sentence, SentenceRecord& record) {
  if (!HasFieldCount(sentence, 7)) return ParseStatus::FieldCount;
  EncapsulationBody& body = record.body.encapsulation;
  body = EncapsulationBody{};

  FieldScanner scan;
  scan.NextField(sentence, ',');
  OptionalNumber sequence;
  if (const ParseStatus s = ReadCounts(scan, body, {0, 9, false}, sequence);
      s != ParseStatus::Accepted) {
    return s;
  }
  body.channel = static_cast<char>(ToInteger(scan.NextField(nullptr, ',')));
  body.messageId = static_cast<std::int8_t>(ToInteger(scan.NextField(nullptr, ',')));
  return ReadPayloadAndFillBits(scan, body, sequence);
}

}  // namespace nmea
