#include "nmea/classification.h"

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

constexpr bool FormattersUnique() {
  for (std::size_t i = 0; i < kCategories.size(); ++i) {
    for (std::size_t j = i + 1; j < kCategories.size(); ++j) {
      const auto& a = kCategories[i].formatter;
      const auto& b = kCategories[j].formatter;
      if (a[0] == b[0] && a[1] == b[1] && a[2] == b[2]) return false;
    }
  }
  return true;
}
static_assert(FormattersUnique());

}  // namespace

std::uint8_t ClassifyFormatter(const char* formatter) {
  if (formatter[0] == 'Q') return CategoryQuery;
  for (const CategoryRow& row : kCategories) {
    if (std::strcmp(formatter, row.formatter) == 0) return row.category;
  }
  return CategoryNone;
}

std::uint8_t ClassifyFormatter(const SentenceRecord& record) {
  // The record's formatter is always NUL-terminated within its four bytes.
  char formatter[sizeof record.formatter];
  std::memcpy(formatter, record.formatter, sizeof formatter);
  formatter[sizeof formatter - 1] = '\0';
  return ClassifyFormatter(formatter);
}

}  // namespace nmea
