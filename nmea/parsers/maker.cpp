// The maker's own sentences, normally received inside maker sentences
// ($PZLX,<letter>,<formatter>,...), which the dispatch hands over as
// $P<formatter>,... . The upgrade engine reads DBG, TST and TPS.

#include <cstring>

#include "nmea/parsers.h"
#include "nmea/parsers/field_reader.h"

namespace nmea {

// $PZLX,A,MID,123456789,987654321*hh
//              1         2
// 1 first identifier, 2 second identifier
ParseStatus ParseMID(FieldReader& in, SentenceRecord& record) {
  for (int i = 0; i < 2; ++i)
    record.body.mid.identifiers[i] = in.Integer<std::uint32_t>(kNoIdentifier);
  return in.Status();
}

// $PZLX,A,BDY,123456789,FIRST TEXT,SECOND TEXT,0,1*hh
//              1         2          3           4 5
// 1 identifier, 2 first text, 3 second text, 4 first flag, 5 second flag
ParseStatus ParseBDY(FieldReader& in, SentenceRecord& record) {
  BdyBody& body = record.body.bdy;
  body.identifier = in.Integer<std::uint32_t>(kNoIdentifier);
  in.Text(body.text1, sizeof body.text1);
  in.Text(body.text2, sizeof body.text2);
  body.flag1 = in.Integer<std::uint8_t>(kNoFlag);
  body.flag2 = in.Integer<std::uint8_t>(kNoFlag);
  return in.Status();
}

// $PTST,,,,,00016*hh   (the device's probe answer)
//       1 2 3 4 5
// 1 number, 2 two-digit number, 3 lower-case letter, 4 upper-case letter,
// 5 value
ParseStatus ParseTST(FieldReader& in, SentenceRecord& record) {
  TstBody& body = record.body.tst;
  body.number = in.Integer<std::uint32_t>(kNoTstNumber);
  body.twoDigit = in.Integer<std::uint8_t>(kNoTwoDigit);
  body.lowerLetter = in.Char();
  body.upperLetter = in.Char();
  body.value = in.Integer<std::uint16_t>(kNoTstValue);
  return in.Status();
}

// $PZLX,A,FRQ,123456789,5,987654321,10*hh
//              1         2 3         4
// 1 identifier 0, 2 level 0, 3 identifier 1, 4 level 1. The body keeps both
// identifiers, then both levels.
ParseStatus ParseFRQ(FieldReader& in, SentenceRecord& record) {
  FrqBody& body = record.body.frq;
  for (int i = 0; i < 2; ++i) {
    body.identifiers[i] = in.Integer<std::uint32_t>(kNoIdentifier);
    body.levels[i] = in.Integer<std::uint8_t>(kEmptyByte);
  }
  return in.Status();
}

// $PZLX,A,BTH,001,002,003,004,005,006,TEXT*hh
//              1   2   3   4   5   6   7
// 1-6 six values, 7 text
ParseStatus ParseBTH(FieldReader& in, SentenceRecord& record) {
  BthBody& body = record.body.bth;
  for (int i = 0; i < 6; ++i) body.values[i] = in.Integer<std::int16_t>(kNoBthValue);
  in.Text(body.text, sizeof body.text);
  return in.Status();
}

// $PZLX,R,DBG,104,17,,,,,,*hh   (a block acknowledgement)
//              1   2  3 4 5 6 7 8
// four pairs of code and value: 1/2, 3/4, 5/6, 7/8. The body keeps the four
// codes, then the four values.
ParseStatus ParseDBG(FieldReader& in, SentenceRecord& record) {
  DbgBody& body = record.body.dbg;
  for (int i = 0; i < 4; ++i) {
    body.codes[i] = in.Integer<std::int16_t>(kNoCode);
    body.values[i] = in.Integer<std::int32_t>(static_cast<long>(kEmptyU32));
  }
  return in.Status();
}

// $PZLX,R,TPS,040,0001ABCD*hh
//              1   2
// 1 code, 2 text
ParseStatus ParseTPS(FieldReader& in, SentenceRecord& record) {
  TpsBody& body = record.body.tps;
  body.number = in.Integer<std::int16_t>(kNoCode);
  in.Text(body.text, sizeof body.text);
  return in.Status();
}

namespace {

// One or two hexadecimal digits to a byte. A longer field would leave the
// byte as the last sentence left it, so it is refused instead.
ParseStatus SmallHex(const char* field, std::uint8_t& out) {
  if (std::strlen(field) > 2) return ParseStatus::Length;
  return ParseHexByte(field, out) ? ParseStatus::Accepted : ParseStatus::NotHex;
}

}  // namespace

// $PZLX,A,MOB,0A1B2C,3,FF,1E,0102030405*hh
//              1      2 3  4  5
// 1 identifier (six hexadecimal digits), 2 a number, 3 a hexadecimal byte,
// 4 an optional hexadecimal byte, 5 data (2 to 18 hexadecimal digits)
ParseStatus ParseMOB(FieldReader& in, SentenceRecord& record) {
  MobBody& body = record.body.mob;

  const char* identifier = in.Next();
  body.identifier[0] = body.identifier[1] = body.identifier[2] = 0;
  if (!IsEmptyField(identifier) && std::strlen(identifier) == 6) {
    for (int i = 0; i < 3; ++i) {
      const char pair[3] = {identifier[2 * i], identifier[2 * i + 1], '\0'};
      std::uint8_t byte = 0;
      if (!ParseHexByte(pair, byte)) return ParseStatus::NotHex;
      body.identifier[i] = byte;
    }
  }

  body.number = in.Integer<std::uint8_t>(kNoMobByte);

  const char* code = in.Next();
  std::uint8_t byte = kNoMobByte;
  if (!IsEmptyField(code)) {
    const ParseStatus status = SmallHex(code, byte);
    if (status != ParseStatus::Accepted) return status;
  }
  body.code = byte;

  const char* optional = in.Next();
  body.hasOptional = 0;
  if (!IsEmptyField(optional)) {
    const ParseStatus status = SmallHex(optional, byte);
    if (status != ParseStatus::Accepted) return status;
    body.optional = byte;
    body.hasOptional = 1;
  }

  // Data that cannot be read leaves no bytes but does not refuse the sentence.
  const char* data = in.Next();
  body.dataLength = 0;
  const std::size_t digits = IsEmptyField(data) ? 0 : std::strlen(data);
  if (digits >= 2 && digits <= 18 && digits % 2 == 0) {
    std::uint8_t count = 0;
    for (std::size_t i = 0; i < digits; i += 2) {
      const char pair[3] = {data[i], data[i + 1], '\0'};
      if (!ParseHexByte(pair, byte)) {
        count = 0;
        break;
      }
      body.data[count++] = byte;
    }
    body.dataLength = count;
  }
  return in.Status();
}

}  // namespace nmea
