#include "nmea/dispatch_tables.h"

#include <algorithm>
#include <array>

namespace nmea {
namespace {

template <typename Handler>
struct Row {
  const char* formatter;
  Handler handler;
};

// Query sentences reach the table as formatter "Q" with NULs after it.
constexpr std::array<Row<SentenceParser>, 41> kParseTable = {{
    {"ABK", ParseABK}, {"ABM", ParseABM}, {"ACA", ParseACA}, {"ACK", ParseACK},
    {"ACS", ParseACS}, {"AIQ", ParseAIQ}, {"ALR", ParseALR}, {"BBM", ParseBBM},
    {"BDY", ParseBDY}, {"BTH", ParseBTH}, {"DBG", ParseDBG}, {"DTM", ParseDTM},
    {"FRQ", ParseFRQ}, {"GBS", ParseGBS}, {"GGA", ParseGGA}, {"GLL", ParseGLL},
    {"GNS", ParseGNS}, {"GRS", ParseGRS}, {"GSA", ParseGSA}, {"GST", ParseGST},
    {"GSV", ParseGSV}, {"HDT", ParseHDT}, {"MID", ParseMID}, {"MOB", ParseMOB},
    {"OSD", ParseOSD}, {"Q\0\0", ParseQuery}, {"RMA", ParseRMA}, {"RMC", ParseRMC},
    {"ROT", ParseROT}, {"SSD", ParseSSD}, {"Smg", ParseSmg}, {"TPS", ParseTPS},
    {"TST", ParseTST}, {"TXT", ParseTXT}, {"VBW", ParseVBW}, {"VDM", ParseVDM},
    {"VDO", ParseVDO}, {"VSD", ParseVSD}, {"VTG", ParseVTG}, {"WPL", ParseWPL},
    {"ZDA", ParseZDA},
}};

constexpr std::array<Row<SentenceComposer>, 23> kComposeTable = {{
    {"ABK", ComposeABK}, {"ABM", ComposeABM}, {"ACA", ComposeACA}, {"ACK", ComposeACK},
    {"ACS", ComposeACS}, {"ALR", ComposeALR}, {"BBM", ComposeBBM}, {"BDY", ComposeBDY},
    {"BTH", ComposeBTH}, {"DBG", ComposeDBG}, {"FRQ", ComposeFRQ}, {"GBS", ComposeGBS},
    {"GSA", ComposeGSA}, {"HDT", ComposeHDT}, {"MID", ComposeMID}, {"MOB", ComposeMOB},
    {"RMC", ComposeRMC}, {"SSD", ComposeSSD}, {"TPS", ComposeTPS}, {"TST", ComposeTST},
    {"VDM", ComposeVDM}, {"VDO", ComposeVDO}, {"VSD", ComposeVSD},
}};

// Binary search needs strictly increasing keys: this also proves them unique.
template <typename Table>
constexpr bool StrictlySorted(const Table& table) {
  for (std::size_t i = 1; i < table.size(); ++i) {
    if (FormatterKey(table[i - 1].formatter) >= FormatterKey(table[i].formatter)) return false;
  }
  return true;
}
static_assert(StrictlySorted(kParseTable));
static_assert(StrictlySorted(kComposeTable));

template <typename Table>
auto Find(const Table& table, const char* formatter) -> decltype(table[0].handler) {
  const long key = FormatterKey(formatter);
  const auto it = std::lower_bound(table.begin(), table.end(), key, [](const auto& row, long k) {
    return FormatterKey(row.formatter) < k;
  });
  if (it == table.end() || FormatterKey(it->formatter) != key) return nullptr;
  return it->handler;
}

}  // namespace

SentenceParser FindParser(const char* formatter) { return Find(kParseTable, formatter); }
SentenceComposer FindComposer(const char* formatter) { return Find(kComposeTable, formatter); }

}  // namespace nmea
