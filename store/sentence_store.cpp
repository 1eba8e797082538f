#include "store/sentence_store.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "nmea/classification.h"

namespace store {
namespace {

using nmea::SentenceBody;
using nmea::SentenceRecord;

constexpr std::uint32_t kNoIdentifier = 999999999;

// One family record seen through its category: its talker byte and its
// bodies, one per formatter of the family.
struct FamilyView {
  std::uint8_t* talker = nullptr;
  SentenceBody* latest = nullptr;
};

template <std::size_t N>
FamilyView View(FamilyRecord<N>& record) {
  return {&record.talker, record.latest};
}

// Copies a text between a record and a body, bounded by the smaller of the
// two: the source may fill its whole array without a NUL (the user writes
// the maker record), and the destination may be the shorter.
template <std::size_t N, std::size_t M>
void CopyText(char (&to)[N], const char (&from)[M]) {
  const std::size_t length = std::min(strnlen(from, M), N - 1);
  std::memcpy(to, from, length);
  to[length] = '\0';
}

}  // namespace

std::uint8_t TalkerCode(const char* talker) {
  const std::string_view t(talker, strnlen(talker, 2));
  if (t == "GP") return 1;
  if (t == "GL") return 2;
  if (t == "GN") return 3;
  if (t == "LC") return 4;
  if (t == "IN") return 6;
  return 0;
}

namespace {

FamilyView FamilyOf(std::uint8_t category, GnssRecord& gnss, NavigationRecord& navigation,
                    LongRangeRecord& longRange, AisStationRecord& ais, DscRecord& dsc) {
  switch (category) {
    case nmea::CategoryGnss:
      return View(gnss);
    case nmea::CategoryNavigation:
      return View(navigation);
    case nmea::CategoryLongRange:
      return View(longRange);
    case nmea::CategoryAis:
      return View(ais);
    case nmea::CategoryDsc:
      return View(dsc);
    default:
      return {};
  }
}

}  // namespace

nmea::SentenceBody* SentenceStore::Latest(const char* formatter) {
  const nmea::FormatterRow* row =
      nmea::FindFormatter(std::string_view(formatter, strnlen(formatter, 3)));
  if (row == nullptr) return nullptr;
  const FamilyView view =
      FamilyOf(row->category, gnss_, navigation_, longRange_, aisStation_, dsc_);
  return view.latest == nullptr ? nullptr : &view.latest[nmea::FamilySlot(*row)];
}

const nmea::SentenceBody* SentenceStore::Latest(const char* formatter) const {
  return const_cast<SentenceStore*>(this)->Latest(formatter);
}

void SentenceStore::StoreDecode(SentenceRecord& record) {
  const nmea::FormatterRow* row = nmea::FindFormatter(record);
  record.category = nmea::ClassifyFormatter(record);
  switch (record.category) {
    case nmea::CategoryMaker:
      DecodeMaker(record);
      return;
    case nmea::CategoryQuery:
      DecodeQuery(record);
      return;
    default:
      break;
  }
  if (row == nullptr) return;
  const FamilyView view =
      FamilyOf(record.category, gnss_, navigation_, longRange_, aisStation_, dsc_);
  if (view.latest == nullptr) return;  // category 7 and formatters without one
  *view.talker = TalkerCode(record.talker);
  view.latest[nmea::FamilySlot(*row)] = record.body;
}

void SentenceStore::StoreEncode(SentenceRecord& record) {
  record.category = nmea::ClassifyFormatter(record);
  if (record.category == nmea::CategoryMaker) {
    EncodeMaker(record);
    return;
  }
  const nmea::FormatterRow* row = nmea::FindFormatter(record);
  if (row == nullptr || !row->encoded) return;
  const FamilyView view =
      FamilyOf(record.category, gnss_, navigation_, longRange_, aisStation_, dsc_);
  if (view.latest != nullptr) record.body = view.latest[nmea::FamilySlot(*row)];
}

void SentenceStore::DecodeQuery(const SentenceRecord& record) {
  for (QuerySlot& slot : queries_) {
    if (slot.used == 1) continue;
    std::memcpy(slot.formatter, record.body.query.requested, sizeof slot.formatter);
    slot.used = 1;
    return;
  }
}

void SentenceStore::DecodeMaker(const SentenceRecord& record) {
  const std::string_view formatter = record.formatter;
  const SentenceBody& body = record.body;

  if (formatter == "MID") {
    MidRecord& r = maker_.mid;
    r.first = body.mid.identifiers[0];
    r.second = body.mid.identifiers[1];
    if (r.first < kNoIdentifier) r.firstFresh = 1;
    if (r.second < kNoIdentifier) r.secondFresh = 1;
  } else if (formatter == "BDY") {
    BdyRecord& r = maker_.bdy;
    r.number = body.bdy.identifier;
    CopyText(r.text1, body.bdy.text1);
    CopyText(r.text2, body.bdy.text2);
    r.byteA = body.bdy.flag1;
    r.byteB = body.bdy.flag2;
    if (r.number < kNoIdentifier || r.byteB == 1) r.fresh = 1;
  } else if (formatter == "TST") {
    TstRecord& r = maker_.tst;
    r.number1 = body.tst.number;
    r.number2 = body.tst.twoDigit;
    r.character = body.tst.lowerLetter;
    r.letter = body.tst.upperLetter;
    r.value = body.tst.value;
    if (r.number1 < 99999) r.number1Fresh = 1;
    if (r.letter >= 'A' && r.letter <= 'Z') r.letterFresh = 1;
    if (r.value != 65535) r.valueFresh = 1;
  } else if (formatter == "FRQ") {
    FrqRecord& r = maker_.frq;
    for (int i = 0; i < 2; ++i) {
      r.numbers[i] = body.frq.identifiers[i];
      r.bytes[i] = body.frq.levels[i];
      if (r.numbers[i] < kNoIdentifier && r.bytes[i] <= 10) r.fresh[i] = 1;
    }
  } else if (formatter == "BTH") {
    BthRecord& r = maker_.bth;
    bool inRange = true;
    for (int i = 0; i < 6; ++i) {
      r.values[i] = body.bth.values[i];
      inRange = inRange && r.values[i] <= 255;
    }
    if (inRange) r.fresh = 1;
    CopyText(r.text, body.bth.text);  // the sentence may carry more
    if (r.text[0] != '\0') r.textFresh = 1;
  } else if (formatter == "DBG") {
    DbgRecord& r = maker_.dbg;
    for (int i = 0; i < 4; ++i) {
      r.codes[i] = body.dbg.codes[i];
      r.values[i] = body.dbg.values[i];
      if (r.codes[i] >= 0 && r.codes[i] <= 999) r.fresh[i] = 1;
    }
    r.letter = record.makerLetter;
  } else if (formatter == "TPS") {
    TpsRecord& r = maker_.tps;
    r.number = body.tps.number;
    CopyText(r.text, body.tps.text);  // the sentence may carry more
    if (r.number >= 0) r.fresh = 1;
  } else if (formatter == "MOB") {
    MobRecord& r = maker_.mob;
    std::memcpy(r.characters, body.mob.identifier, sizeof r.characters);
    r.byte1 = body.mob.number;
    r.byte2 = body.mob.code;
    r.byte4 = body.mob.hasOptional;
    if (r.byte4 != 0) r.byte3 = body.mob.optional;
    r.length = body.mob.dataLength;
    if (r.length >= 1 && r.length <= 19) {
      std::memcpy(r.data, body.mob.data, r.length);
    } else {
      r.length = 0;
    }
  }
}

void SentenceStore::EncodeMaker(SentenceRecord& record) const {
  const std::string_view formatter = record.formatter;
  SentenceBody& body = record.body;

  if (formatter == "MID") {
    body.mid.identifiers[0] = maker_.mid.first;
    body.mid.identifiers[1] = maker_.mid.second;
  } else if (formatter == "BDY") {
    const BdyRecord& r = maker_.bdy;
    body.bdy.identifier = r.number;
    CopyText(body.bdy.text1, r.text1);
    CopyText(body.bdy.text2, r.text2);
    body.bdy.flag1 = r.byteA;
    body.bdy.flag2 = r.byteB;
  } else if (formatter == "TST") {
    const TstRecord& r = maker_.tst;
    body.tst.number = r.number1;
    body.tst.twoDigit = r.number2;
    body.tst.lowerLetter = r.character;
    body.tst.upperLetter = r.letter;
    body.tst.value = r.value;
  } else if (formatter == "FRQ") {
    for (int i = 0; i < 2; ++i) {
      body.frq.identifiers[i] = maker_.frq.numbers[i];
      body.frq.levels[i] = maker_.frq.bytes[i];
    }
  } else if (formatter == "BTH") {
    for (int i = 0; i < 6; ++i) body.bth.values[i] = maker_.bth.values[i];
    CopyText(body.bth.text, maker_.bth.text);
  } else if (formatter == "DBG") {
    for (int i = 0; i < 4; ++i) {
      body.dbg.codes[i] = maker_.dbg.codes[i];
      body.dbg.values[i] = maker_.dbg.values[i];
    }
    record.makerLetter = maker_.dbg.letter;
  } else if (formatter == "TPS") {
    body.tps.number = maker_.tps.number;
    CopyText(body.tps.text, maker_.tps.text);
  } else if (formatter == "MOB") {
    const MobRecord& r = maker_.mob;
    std::memcpy(body.mob.identifier, r.characters, sizeof r.characters);
    body.mob.number = r.byte1;
    body.mob.code = r.byte2;
    body.mob.optional = r.byte3;
    body.mob.hasOptional = r.byte4;
    body.mob.dataLength = r.length;
    if (r.length >= 1 && r.length <= 19) {
      std::memcpy(body.mob.data, r.data, r.length);
    } else {
      body.mob.dataLength = 0;
    }
  }
}

}  // namespace store
