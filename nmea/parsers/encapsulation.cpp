// Encapsulation sentences: the six-bit payloads of AIS messages, collected
// into messages by the encapsulation assembly after parsing.
//
//   !AIVDM,2,1,3,B,55P5TL01VIaAL@7WKO@mBplU@<PDhh000000001S;AJ::4A80?4i@E53,0*3E
//          1 2 3 4 5                                                       6
//   1 total sentences, 2 sentence number, 3 sequential message id, 4 channel,
//   5 payload, 6 fill bits

#include <cstring>

#include "nmea/parsers.h"
#include "nmea/parsers/field_reader.h"

namespace nmea {
namespace {

constexpr long kEmpty = kEmptyByte;

// A small number whose empty field is out of range too: the sentinel is
// stored and the sentence refused.
std::int8_t Required(FieldReader& in, long low, long high) {
  const char* field = in.Next();
  if (IsEmptyField(field)) {
    in.Reject(ParseStatus::Range);
    return static_cast<std::int8_t>(kEmpty);
  }
  long value = 0;
  if (!ToInteger(in.Last(), value) || value < low || value > high) {
    in.Reject(ParseStatus::Range);
    return static_cast<std::int8_t>(kEmpty);
  }
  return static_cast<std::int8_t>(value);
}

// The payload and the fill bits, the last two fields of every encapsulation
// sentence. A payload may be one character longer (63) once a sequential
// message id of 1 to 9 is given.
void ReadPayloadAndFillBits(FieldReader& in, EncapsulationBody& body) {
  const bool longPayload = body.sequenceId >= 1 && body.sequenceId <= 9;
  const char* payload = in.Next();
  if (payload != nullptr) {
    const std::size_t length = in.Last().size();
    if (length > (longPayload ? 63u : 62u)) {
      in.Reject(ParseStatus::Length);
    } else {
      std::memcpy(body.payload, payload, length + 1);
    }
  }
  body.fillBits = Required(in, 0, 5);
}

// VDM and VDO differ only in whose messages they carry.
ParseStatus ParseVdmLike(FieldReader& in, SentenceRecord& record) {
  EncapsulationBody& body = record.body.encapsulation;
  body.total = body.number = body.sequenceId = body.fillBits = 0;
  std::memset(body.payload, 0, sizeof body.payload);
  body.channel = 0;

  body.total = in.Integer<std::int8_t>(0, 0, 9);
  body.number = in.Integer<std::int8_t>(0, 0, 9);
  body.sequenceId = in.Integer<std::int8_t>(kEmpty, 0, 9);
  body.channel = in.Char(static_cast<char>(kEmptyByte));
  ReadPayloadAndFillBits(in, body);
  return in.Status();
}

}  // namespace

ParseStatus ParseVDM(FieldReader& in, SentenceRecord& record) { return ParseVdmLike(in, record); }

ParseStatus ParseVDO(FieldReader& in, SentenceRecord& record) { return ParseVdmLike(in, record); }

// !AIABM,1,1,0,211378120,2,6,<payload>,0
//        1 2 3 4         5 6 7         8
// 1 total, 2 number, 3 sequence id (0-3), 4 destination MMSI, 5 channel (0-3),
// 6 message id (6 or 12), 7 payload, 8 fill bits
ParseStatus ParseABM(FieldReader& in, SentenceRecord& record) {
  EncapsulationBody& body = record.body.encapsulation;
  body = EncapsulationBody{};

  // An empty count reads as 0, which is out of range like any other.
  body.total = Required(in, 1, 9);
  body.number = Required(in, 1, 9);
  body.sequenceId = Required(in, 0, 3);
  body.destination = in.Integer<std::uint32_t>(0, 0, kNoIdentifier);
  body.channel = static_cast<char>(Required(in, 0, 3));
  body.messageId = in.Integer<std::int8_t>(0, 6, 12);
  if (body.messageId != 6 && body.messageId != 12) in.Reject(ParseStatus::Range);
  ReadPayloadAndFillBits(in, body);
  return in.Status();
}

// !AIBBM,1,1,,2,8,<payload>,0
//        1 2 3 4 5 6       7
// 1 total, 2 number, 3 sequence id, 4 channel, 5 message id, 6 payload, 7 fill bits
ParseStatus ParseBBM(FieldReader& in, SentenceRecord& record) {
  EncapsulationBody& body = record.body.encapsulation;
  body = EncapsulationBody{};

  body.total = in.Integer<std::int8_t>(0, 0, 9);
  body.number = in.Integer<std::int8_t>(0, 0, 9);
  body.sequenceId = in.Integer<std::int8_t>(kEmpty, 0, 9);
  body.channel = static_cast<char>(in.Integer<std::int8_t>(0));
  body.messageId = in.Integer<std::int8_t>(0);
  ReadPayloadAndFillBits(in, body);
  return in.Status();
}

}  // namespace nmea
