#pragma once
// Sorting of formatters into categories: where the store keeps a parsed
// sentence, how a record to compose is completed, and whether the upgrade
// engine looks at a sentence at all.

#include <cstdint>

#include "nmea/sentence_record.h"

namespace nmea {

enum Category : std::uint8_t {
  CategoryNone = 0,
  CategoryGnss = 1,
  CategoryNavigation = 2,
  CategoryLongRange = 3,
  CategoryAis = 4,
  CategoryDsc = 5,
  CategoryMaker = 6,
  CategoryOther = 7,
  CategoryQuery = 88,
};

// Category of the record's formatter: 88 for any formatter starting with
// 'Q', else the formatter table's category for an exact match, else 0.
std::uint8_t ClassifyFormatter(const SentenceRecord& record);
std::uint8_t ClassifyFormatter(const char* formatter);

}  // namespace nmea
