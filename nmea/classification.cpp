#include "nmea/classification.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace nmea {
namespace {

struct CategoryRow {
  char formatter[4];
  std::uint8_t category;
};

// Searched in this order; a formatter appears once.
constexpr std::array<CategoryRow, 54> kCategories = {{
    {"GGA", CategoryGnss}, {"GLL", CategoryGnss}, {"GBS", CategoryGnss},
    {"GSA", CategoryGnss}, {"GSV", CategoryGnss}, {"RMC", CategoryGnss},
    {"VTG", CategoryGnss}, {"ZDA", CategoryGnss}, {"DTM", CategoryGnss},
    {"ROT", CategoryNavigation}, {"HDT", CategoryNavigation}, {"VBW", CategoryNavigation},
    {"GNS", CategoryNavigation},
    {"LRI", CategoryLongRange}, {"LRF", CategoryLongRange}, {"LR1", CategoryLongRange},
    {"LR2", CategoryLongRange}, {"LR3", CategoryLongRange},
    {"ABK", CategoryAis}, {"ACA", CategoryAis}, {"ACK", CategoryAis}, {"ACS", CategoryAis},
    {"ALR", CategoryAis}, {"SSD", CategoryAis}, {"VSD", CategoryAis}, {"ABM", CategoryAis},
    {"BBM", CategoryAis}, {"VDM", CategoryAis}, {"VDO", CategoryAis}, {"TXT", CategoryAis},
    {"DSC", CategoryDsc}, {"DSE", CategoryDsc}, {"DSI", CategoryDsc}, {"DSR", CategoryDsc},
    {"MID", CategoryMaker}, {"BDY", CategoryMaker}, {"TST", CategoryMaker},
    {"FRQ", CategoryMaker}, {"BTH", CategoryMaker}, {"DBG", CategoryMaker},
    {"TPS", CategoryMaker}, {"MOB", CategoryMaker},
    {"AAR", CategoryOther}, {"ACE", CategoryOther}, {"ACF", CategoryOther},
    {"AFB", CategoryOther}, {"AFC", CategoryOther}, {"AID", CategoryOther},
    {"AKE", CategoryOther}, {"ARW", CategoryOther}, {"MCR", CategoryOther},
    {"MPR", CategoryOther}, {"TSP", CategoryOther}, {"VER", CategoryOther},
}};

constexpr std::uint32_t Packed(const char* f) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(f[0])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(f[1])) << 8 |
         static_cast<unsigned char>(f[2]);
}

// The table sorted by formatter for lookup: every sentence is classified, and
// a walk in table order costs dozens of comparisons. A formatter appears
// once, so the first match in table order is the only one.
struct PackedRow {
  std::uint32_t key;
  std::uint8_t category;
};

constexpr std::array<PackedRow, kCategories.size()> SortedRows() {
  std::array<PackedRow, kCategories.size()> rows{};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i] = {Packed(kCategories[i].formatter), kCategories[i].category};
  }
  std::sort(rows.begin(), rows.end(), [](PackedRow a, PackedRow b) { return a.key < b.key; });
  return rows;
}
constexpr auto kSorted = SortedRows();

constexpr bool FormattersUnique() {
  for (std::size_t i = 1; i < kSorted.size(); ++i) {
    if (kSorted[i - 1].key == kSorted[i].key) return false;
  }
  return true;
}
static_assert(FormattersUnique());

}  // namespace

std::uint8_t ClassifyFormatter(const char* formatter) {
  if (formatter[0] == 'Q') return CategoryQuery;
  // Only a whole three-character formatter can equal a table row.
  if (formatter[0] == '\0' || formatter[1] == '\0' || formatter[2] == '\0' || formatter[3] != '\0') {
    return CategoryNone;
  }
  const std::uint32_t key = Packed(formatter);
  const auto it = std::lower_bound(kSorted.begin(), kSorted.end(), key,
                                   [](PackedRow row, std::uint32_t k) { return row.key < k; });
  return it != kSorted.end() && it->key == key ? it->category : std::uint8_t{CategoryNone};
}

std::uint8_t ClassifyFormatter(const SentenceRecord& record) {
  // The record's formatter is always NUL-terminated within its four bytes.
  char formatter[sizeof record.formatter];
  std::memcpy(formatter, record.formatter, sizeof formatter);
  formatter[sizeof formatter - 1] = '\0';
  return ClassifyFormatter(formatter);
}

}  // namespace nmea
