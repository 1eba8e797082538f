#include "store/sentence_store.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "nmea/classification.h"
#include "nmea/formatters.h"
#include "store/maker_rows.h"

namespace store {
namespace {

using nmea::SentenceBody;
using nmea::SentenceRecord;

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
  const nmea::FormatterRow* row = nmea::FindFormatter(record);
  if (row != nullptr) MakerRowAt(nmea::FamilySlot(*row)).decode(record, maker_);
}

void SentenceStore::EncodeMaker(SentenceRecord& record) const {
  const nmea::FormatterRow* row = nmea::FindFormatter(record);
  if (row != nullptr) MakerRowAt(nmea::FamilySlot(*row)).encode(maker_, record);
}

}  // namespace store
