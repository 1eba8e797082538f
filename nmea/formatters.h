#pragma once
// The formatters the library knows, one row each: the only list of them.
//
// A row gives a formatter's category, how many data fields its sentences
// have, its parser and composer (either may be absent), which encapsulation
// ring assembles it, whether the record store's encode side fills it, and
// the fields of its body by name (for the command line). Everything else is
// derived from the rows and checked at compile time: the lookup by
// formatter, the classification, and each family's formatters in row order
// (the record store keeps one body per family member in that order).
//
// Adding a formatter is one row here, plus its parser and composer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "nmea/body_fields.h"
#include "nmea/classification.h"
#include "nmea/composers.h"
#include "nmea/encapsulation.h"
#include "nmea/parsers.h"

namespace nmea {

// The data fields a sentence may have: from `least` to `most` in steps of
// `step` (GSV describes one to four satellites in groups of four fields).
struct FieldCount {
  std::uint8_t least;
  std::uint8_t most;
  std::uint8_t step;

  constexpr bool Takes(int count) const {
    return count >= least && count <= most && (count - least) % step == 0;
  }
};

inline constexpr FieldCount Exactly(std::uint8_t n) { return {n, n, 1}; }
inline constexpr FieldCount kAnyCount = {0, 255, 1};

struct FormatterRow {
  std::string_view name;  // three characters; "Q" for every query sentence
  std::uint8_t category;
  FieldCount fields;
  SentenceParser parse;                   // nullptr: classified, not parsed
  SentenceComposer compose;               // nullptr: not composed
  std::optional<EncapsulationKind> ring;  // the ring that assembles it, if any
  bool encoded;                           // the store's encode side fills its body
  std::span<const BodyField> body;
};

namespace rows {

constexpr FormatterRow Parsed(std::string_view name, std::uint8_t category, FieldCount fields,
                              SentenceParser parse, std::span<const BodyField> body,
                              SentenceComposer compose = nullptr, bool encoded = false) {
  return {name, category, fields, parse, compose, std::nullopt, encoded, body};
}

constexpr FormatterRow Classified(std::string_view name, std::uint8_t category,
                                  bool encoded = false) {
  return {name, category, {}, nullptr, nullptr, std::nullopt, encoded, {}};
}

constexpr FormatterRow Encapsulated(std::string_view name, std::uint8_t count, SentenceParser parse,
                                    SentenceComposer compose, EncapsulationKind ring,
                                    std::span<const BodyField> body) {
  return {name, CategoryAis, Exactly(count), parse, compose, ring, false, body};
}

constexpr bool kEncoded = true;

}  // namespace rows

// In the order of the categories and, within each, of its family.
inline constexpr FormatterRow kFormatters[] = {
    // GNSS
    rows::Parsed("GGA", CategoryGnss, Exactly(14), ParseGGA, body_fields::kGgaFields, nullptr,
                 rows::kEncoded),
    rows::Parsed("GLL", CategoryGnss, Exactly(7), ParseGLL, body_fields::kGllFields, nullptr,
                 rows::kEncoded),
    rows::Parsed("GBS", CategoryGnss, Exactly(8), ParseGBS, body_fields::kGbsFields, ComposeGBS,
                 rows::kEncoded),
    rows::Parsed("GSA", CategoryGnss, Exactly(17), ParseGSA, body_fields::kGsaFields, ComposeGSA,
                 rows::kEncoded),
    rows::Parsed("GSV", CategoryGnss, {7, 19, 4}, ParseGSV, body_fields::kGsvFields, nullptr,
                 rows::kEncoded),
    // 11 fields: NMEA 2.x, before the mode indicator was added.
    rows::Parsed("RMC", CategoryGnss, {11, 12, 1}, ParseRMC, body_fields::kRmcFields, ComposeRMC,
                 rows::kEncoded),
    rows::Parsed("VTG", CategoryGnss, Exactly(9), ParseVTG, body_fields::kVtgFields, nullptr,
                 rows::kEncoded),
    rows::Parsed("ZDA", CategoryGnss, Exactly(6), ParseZDA, body_fields::kZdaFields, nullptr,
                 rows::kEncoded),
    rows::Parsed("DTM", CategoryGnss, Exactly(8), ParseDTM, body_fields::kDtmFields),
    // Heading and speed
    rows::Parsed("ROT", CategoryNavigation, Exactly(2), ParseROT, body_fields::kRotFields, nullptr,
                 rows::kEncoded),
    rows::Parsed("HDT", CategoryNavigation, Exactly(2), ParseHDT, body_fields::kHdtFields,
                 ComposeHDT, rows::kEncoded),
    rows::Parsed("VBW", CategoryNavigation, Exactly(6), ParseVBW, body_fields::kVbwFields, nullptr,
                 rows::kEncoded),
    rows::Parsed("GNS", CategoryNavigation, Exactly(12), ParseGNS, body_fields::kGnsFields, nullptr,
                 rows::kEncoded),
    // Long range
    rows::Classified("LRI", CategoryLongRange, rows::kEncoded),
    rows::Classified("LRF", CategoryLongRange, rows::kEncoded),
    rows::Classified("LR1", CategoryLongRange, rows::kEncoded),
    rows::Classified("LR2", CategoryLongRange, rows::kEncoded),
    rows::Classified("LR3", CategoryLongRange, rows::kEncoded),
    // AIS station
    rows::Parsed("ABK", CategoryAis, Exactly(5), ParseABK, body_fields::kAbkFields, ComposeABK),
    rows::Parsed("ACA", CategoryAis, Exactly(19), ParseACA, body_fields::kAcaFields, ComposeACA,
                 rows::kEncoded),
    rows::Parsed("ACK", CategoryAis, Exactly(1), ParseACK, body_fields::kAckFields, ComposeACK,
                 rows::kEncoded),
    rows::Parsed("ACS", CategoryAis, Exactly(6), ParseACS, body_fields::kAcsFields, ComposeACS,
                 rows::kEncoded),
    rows::Parsed("ALR", CategoryAis, Exactly(5), ParseALR, body_fields::kAlrFields, ComposeALR,
                 rows::kEncoded),
    rows::Parsed("SSD", CategoryAis, Exactly(8), ParseSSD, body_fields::kSsdFields, ComposeSSD,
                 rows::kEncoded),
    rows::Parsed("VSD", CategoryAis, Exactly(9), ParseVSD, body_fields::kVsdFields, ComposeVSD,
                 rows::kEncoded),
    rows::Encapsulated("ABM", 8, ParseABM, ComposeABM, EncapsulationKind::ABM,
                       body_fields::kAbmFields),
    rows::Encapsulated("BBM", 7, ParseBBM, ComposeBBM, EncapsulationKind::BBM,
                       body_fields::kBbmFields),
    rows::Encapsulated("VDM", 6, ParseVDM, ComposeVDM, EncapsulationKind::VDM,
                       body_fields::kVdmFields),
    rows::Encapsulated("VDO", 6, ParseVDO, ComposeVDO, EncapsulationKind::VDO,
                       body_fields::kVdmFields),
    rows::Parsed("TXT", CategoryAis, Exactly(4), ParseTXT, body_fields::kTxtFields),
    // DSC
    rows::Classified("DSC", CategoryDsc),
    rows::Classified("DSE", CategoryDsc),
    rows::Classified("DSI", CategoryDsc, rows::kEncoded),
    rows::Classified("DSR", CategoryDsc),
    // The maker's own sentences
    rows::Parsed("MID", CategoryMaker, Exactly(2), ParseMID, body_fields::kMidFields, ComposeMID,
                 rows::kEncoded),
    rows::Parsed("BDY", CategoryMaker, Exactly(5), ParseBDY, body_fields::kBdyFields, ComposeBDY,
                 rows::kEncoded),
    rows::Parsed("TST", CategoryMaker, Exactly(5), ParseTST, body_fields::kTstFields, ComposeTST,
                 rows::kEncoded),
    rows::Parsed("FRQ", CategoryMaker, Exactly(4), ParseFRQ, body_fields::kFrqFields, ComposeFRQ,
                 rows::kEncoded),
    rows::Parsed("BTH", CategoryMaker, Exactly(7), ParseBTH, body_fields::kBthFields, ComposeBTH,
                 rows::kEncoded),
    rows::Parsed("DBG", CategoryMaker, Exactly(8), ParseDBG, body_fields::kDbgFields, ComposeDBG,
                 rows::kEncoded),
    rows::Parsed("TPS", CategoryMaker, Exactly(2), ParseTPS, body_fields::kTpsFields, ComposeTPS,
                 rows::kEncoded),
    rows::Parsed("MOB", CategoryMaker, Exactly(5), ParseMOB, body_fields::kMobFields, ComposeMOB,
                 rows::kEncoded),
    // Other
    rows::Classified("AAR", CategoryOther),
    rows::Classified("ACE", CategoryOther),
    rows::Classified("ACF", CategoryOther),
    rows::Classified("AFB", CategoryOther),
    rows::Classified("AFC", CategoryOther),
    rows::Classified("AID", CategoryOther),
    rows::Classified("AKE", CategoryOther),
    rows::Classified("ARW", CategoryOther),
    rows::Classified("MCR", CategoryOther),
    rows::Classified("MPR", CategoryOther),
    rows::Classified("TSP", CategoryOther),
    rows::Classified("VER", CategoryOther),
    // Parsed, in no category
    rows::Parsed("AIQ", CategoryNone, Exactly(2), ParseAIQ, body_fields::kAiqFields),
    rows::Parsed("GRS", CategoryNone, Exactly(14), ParseGRS, body_fields::kGrsFields),
    rows::Parsed("GST", CategoryNone, Exactly(8), ParseGST, body_fields::kGstFields),
    rows::Parsed("OSD", CategoryNone, Exactly(9), ParseOSD, body_fields::kOsdFields),
    rows::Parsed("RMA", CategoryNone, kAnyCount, ParseRMA, body_fields::kRmaFields),
    rows::Parsed("WPL", CategoryNone, Exactly(5), ParseWPL, body_fields::kWplFields),
    rows::Parsed("Smg", CategoryNone, Exactly(2), ParseSmg, body_fields::kSmgFields),
    rows::Parsed("Q", CategoryQuery, Exactly(1), ParseQuery, body_fields::kQueryFields),
};

// The row of a formatter (three characters, or "Q" for a query), or nullptr.
const FormatterRow* FindFormatter(std::string_view formatter);

// The same for the record's formatter (NUL-terminated within its four bytes).
const FormatterRow* FindFormatter(const SentenceRecord& record);

// A family: the rows of one category, in row order.
constexpr std::size_t FamilySize(std::uint8_t category) {
  std::size_t n = 0;
  for (const FormatterRow& row : kFormatters) n += row.category == category;
  return n;
}

// A formatter's place in its family, or -1 for a formatter the table lacks.
constexpr int FamilySlot(std::string_view formatter) {
  for (const FormatterRow& row : kFormatters) {
    if (row.name != formatter) continue;
    int slot = 0;
    for (const FormatterRow& other : kFormatters) {
      if (&other == &row) return slot;
      slot += other.category == row.category;
    }
  }
  return -1;
}

// The place of a row in its family.
int FamilySlot(const FormatterRow& row);

}  // namespace nmea
