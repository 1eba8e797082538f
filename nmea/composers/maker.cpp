// The maker's own sentences written from the record. The upgrade engine
// sends DBG (in the maker form $PZLX,<letter>,DBG,... once the device has
// shown its letter), TST and TPS, all with talker P.

#include "nmea/compose_format.h"
#include "nmea/composers.h"

namespace nmea {

// $P[ZLX,letter,]DBG,code0,value0,code1,value1,code2,value2,code3,value3
bool ComposeDBG(std::span<char> out, const SentenceRecord& record) {
  const DbgBody& b = record.body.dbg;
  FieldText codes[4];
  FieldText values[4];
  for (int i = 0; i < 4; ++i) {
    const int code = b.codes[i];
    const std::int32_t value = b.values[i];
    codes[i] = FieldIf(code < kNoCode, "%03d", code);
    values[i] =
        FieldIf(value != static_cast<std::int32_t>(kEmptyU32), "%ld", static_cast<long>(value));
  }
  const char letter = record.makerLetter;
  const FieldText prefix = FieldIf(letter >= 'A' && letter <= 'Z', "ZLX,%c,", letter);
  return PrintSentence(out, "$%s%s%s,%s,%s,%s,%s,%s,%s,%s,%s", record.talker, prefix.c_str(),
                       record.formatter, codes[0].c_str(), values[0].c_str(), codes[1].c_str(),
                       values[1].c_str(), codes[2].c_str(), values[2].c_str(), codes[3].c_str(),
                       values[3].c_str());
}

// $PTST,number,two-digit number,lower-case letter,upper-case letter,value
bool ComposeTST(std::span<char> out, const SentenceRecord& record) {
  const TstBody& b = record.body.tst;
  return PrintSentence(
      out, "$%s%s,%s,%s,%s,%s,%s", record.talker, record.formatter,
      FieldIf(b.number < kNoTstNumber, "%05u", b.number).c_str(),
      FieldIf(b.twoDigit < kNoTwoDigit, "%02d", b.twoDigit).c_str(),
      FieldIf(b.lowerLetter >= 'a' && b.lowerLetter <= 'm', "%c", b.lowerLetter).c_str(),
      FieldIf(b.upperLetter >= 'A' && b.upperLetter <= 'Z', "%c", b.upperLetter).c_str(),
      FieldIf(b.value < kNoTstValue, "%05d", b.value).c_str());
}

// $PTPS,code,text
bool ComposeTPS(std::span<char> out, const SentenceRecord& record) {
  const TpsBody& b = record.body.tps;
  const int code = b.number;
  return PrintSentence(out, "$%s%s,%s,%.80s", record.talker, record.formatter,
                       FieldIf(code < kNoCode, "%03d", code).c_str(), b.text);
}

// $PMID,identifier 1,identifier 2
bool ComposeMID(std::span<char> out, const SentenceRecord& record) {
  const MidBody& b = record.body.mid;
  return PrintSentence(out, "$%s%s,%s,%s", record.talker, record.formatter,
                       FieldIf(b.identifiers[0] < kNoIdentifier, "%09u", b.identifiers[0]).c_str(),
                       FieldIf(b.identifiers[1] < kNoIdentifier, "%09u", b.identifiers[1]).c_str());
}

// $PBDY,identifier,first text,second text,first flag,second flag
bool ComposeBDY(std::span<char> out, const SentenceRecord& record) {
  const BdyBody& b = record.body.bdy;
  return PrintSentence(out, "$%s%s,%s,%.20s,%.20s,%s,%s", record.talker, record.formatter,
                       FieldIf(b.identifier < kNoIdentifier, "%09u", b.identifier).c_str(), b.text1,
                       b.text2, FieldIf(b.flag1 <= 1, "%d", b.flag1).c_str(),
                       FieldIf(b.flag2 <= 1, "%d", b.flag2).c_str());
}

// $PFRQ,identifier 0,level 0,identifier 1,level 1
bool ComposeFRQ(std::span<char> out, const SentenceRecord& record) {
  const FrqBody& b = record.body.frq;
  return PrintSentence(out, "$%s%s,%s,%s,%s,%s", record.talker, record.formatter,
                       FieldIf(b.identifiers[0] < kNoIdentifier, "%09u", b.identifiers[0]).c_str(),
                       FieldIf(b.levels[0] <= 10, "%d", b.levels[0]).c_str(),
                       FieldIf(b.identifiers[1] < kNoIdentifier, "%09u", b.identifiers[1]).c_str(),
                       FieldIf(b.levels[1] <= 10, "%d", b.levels[1]).c_str());
}

// $PBTH,v1,v2,v3,v4,v5,v6,text. One value of 256 or more empties all six.
bool ComposeBTH(std::span<char> out, const SentenceRecord& record) {
  const BthBody& b = record.body.bth;
  bool present = true;
  for (int i = 0; i < 6; ++i) present = present && b.values[i] < kNoBthValue;
  FieldText values[6];
  for (int i = 0; i < 6; ++i) values[i] = FieldIf(present, "%03d", b.values[i]);
  return PrintSentence(out, "$%s%s,%s,%s,%s,%s,%s,%s,%.70s", record.talker, record.formatter,
                       values[0].c_str(), values[1].c_str(), values[2].c_str(), values[3].c_str(),
                       values[4].c_str(), values[5].c_str(), b.text);
}

// $PMOB,identifier (six hex digits),number,hex byte,optional hex byte,data (hex)
bool ComposeMOB(std::span<char> out, const SentenceRecord& record) {
  const MobBody& b = record.body.mob;
  char identifier[7];
  std::snprintf(identifier, sizeof identifier, "%02X%02X%02X", b.identifier[0], b.identifier[1],
                b.identifier[2]);
  char data[2 * sizeof b.data + 1] = "";
  const std::size_t length = b.dataLength <= sizeof b.data ? b.dataLength : sizeof b.data;
  for (std::size_t i = 0; i < length; ++i) {
    std::snprintf(data + 2 * i, sizeof data - 2 * i, "%02X", b.data[i]);
  }
  return PrintSentence(out, "$%s%s,%s,%d,%02X,%s,%s", record.talker, record.formatter, identifier,
                       b.number, b.code, FieldIf(b.hasOptional != 0, "%02X", b.optional).c_str(),
                       data);
}

}  // namespace nmea
