// Every row of the categories, the query rule and the misses, against the
// formatter table.

#include "nmea/classification.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "nmea/formatters.h"

namespace nmea {
namespace {

struct Row {
  std::uint8_t category;
  std::vector<std::string> formatters;
};

TEST(ClassifyFormatter, EveryTableRow) {
  const std::vector<Row> rows = {
      {CategoryGnss, {"GGA", "GLL", "GBS", "GSA", "GSV", "RMC", "VTG", "ZDA", "DTM"}},
      {CategoryNavigation, {"ROT", "HDT", "VBW", "GNS"}},
      {CategoryLongRange, {"LRI", "LRF", "LR1", "LR2", "LR3"}},
      {CategoryAis,
       {"ABK", "ACA", "ACK", "ACS", "ALR", "SSD", "VSD", "ABM", "BBM", "VDM", "VDO", "TXT"}},
      {CategoryDsc, {"DSC", "DSE", "DSI", "DSR"}},
      {CategoryMaker, {"MID", "BDY", "TST", "FRQ", "BTH", "DBG", "TPS", "MOB"}},
      {CategoryOther,
       {"AAR", "ACE", "ACF", "AFB", "AFC", "AID", "AKE", "ARW", "MCR", "MPR", "TSP", "VER"}},
      {CategoryQuery, {"Q", "QAB", "Qxx"}},
      // Parsed but not classified, lower case, and unknown formatters.
      {CategoryNone, {"AIQ", "GRS", "GST", "OSD", "RMA", "WPL", "Smg", "gga", "dbg", "XYZ", ""}},
  };
  for (const Row& row : rows) {
    for (const std::string& f : row.formatters) {
      EXPECT_EQ(ClassifyFormatter(f.c_str()), row.category) << f;
    }
  }
  // No row of the formatter table has a category the list above lacks.
  for (const FormatterRow& row : kFormatters) {
    if (row.category == CategoryNone || row.category == CategoryQuery) continue;
    const auto listed = std::find_if(rows.begin(), rows.end(), [&](const Row& r) {
      return std::find(r.formatters.begin(), r.formatters.end(), row.name) != r.formatters.end();
    });
    ASSERT_NE(listed, rows.end()) << row.name;
    EXPECT_EQ(listed->category, row.category) << row.name;
  }
}

// The store keeps one body per family member in the order of the family's
// list, and encodes these.
TEST(FormatterTable, FamiliesInTheirOrderAndWhatTheStoreEncodes) {
  const std::vector<std::pair<std::string, int>> slots = {
      {"GGA", 0}, {"DTM", 8},  {"ROT", 0}, {"GNS", 3}, {"LR3", 4},
      {"ABK", 0}, {"TXT", 11}, {"DSR", 3}, {"MID", 0}, {"MOB", 7}};
  for (const auto& [f, slot] : slots) EXPECT_EQ(FamilySlot(f), slot) << f;
  EXPECT_EQ(FamilySize(CategoryGnss), 9u);
  EXPECT_EQ(FamilySize(CategoryAis), 12u);

  const std::vector<std::string> encoded = {"GGA", "GBS", "GLL", "GSA", "GSV", "RMC", "VTG", "ZDA",
                                            "GNS", "VBW", "ROT", "HDT", "LRI", "LRF", "LR1", "LR2",
                                            "LR3", "SSD", "VSD", "ALR", "ACK", "ACA", "ACS", "DSI",
                                            "MID", "BDY", "TST", "FRQ", "BTH", "DBG", "TPS", "MOB"};
  for (const FormatterRow& row : kFormatters) {
    const bool listed = std::find(encoded.begin(), encoded.end(), row.name) != encoded.end();
    EXPECT_EQ(row.encoded, listed) << row.name;
  }
}

TEST(ClassifyFormatter, ReadsOnlyTheRecordsFormatter) {
  SentenceRecord record{};
  record.formatter[0] = 'D';
  record.formatter[1] = 'B';
  record.formatter[2] = 'G';
  record.category = CategoryAis;
  EXPECT_EQ(ClassifyFormatter(record), CategoryMaker);
  // A formatter without its NUL (a damaged record) is read as three characters.
  record.formatter[3] = 'X';
  EXPECT_EQ(ClassifyFormatter(record), CategoryMaker);
}

}  // namespace
}  // namespace nmea
