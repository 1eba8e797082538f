// Every row of the category table, the query rule and the misses.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "nmea/classification.h"

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
  std::size_t tableRows = 0;
  for (const Row& row : rows) {
    for (const std::string& f : row.formatters) {
      EXPECT_EQ(ClassifyFormatter(f.c_str()), row.category) << f;
      if (row.category != CategoryNone && row.category != CategoryQuery) ++tableRows;
    }
  }
  EXPECT_EQ(tableRows, 54u) << "the list above covers the whole table";
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
