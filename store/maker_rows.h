#pragma once
// The maker record's side of each maker formatter, one row each: how the
// values travel between the sentence body and the sub-record (the two share
// their names, so one copy serves both ways) and which fresh flags a
// received sentence sets. The rows follow the maker family of the formatter
// table, slot for slot.

#include <string_view>

#include "nmea/sentence_record.h"
#include "store/maker_record.h"

namespace store {

struct MakerRow {
  std::string_view formatter;
  // Body to sub-record, setting the fresh flags (the decode side).
  void (*decode)(const nmea::SentenceRecord& sentence, MakerRecord& maker);
  // Sub-record to body (the encode side); the maker record is not changed.
  void (*encode)(const MakerRecord& maker, nmea::SentenceRecord& sentence);
};

// The row of a maker formatter's family slot (nmea::FamilySlot).
const MakerRow& MakerRowAt(int slot);

}  // namespace store
