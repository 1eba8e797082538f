#pragma once
// The store's records of the sentence families of categories 1 to 5 (GNSS,
// heading and speed, long range, AIS station, DSC), and the query slots.
//
// A family record keeps the talker of the last sentence decoded into it and,
// for each formatter of the family, the body of its latest parsed sentence
// in that formatter's own layout. The encode side gives these bodies back,
// so a caller composes from the store by writing the body kept here.

#include <array>
#include <cstdint>
#include <string_view>

#include "nmea/sentence_bodies.h"

namespace store {

// Talker codes of the family records: GP 1, GL 2, GN 3, LC 4, IN 6, any
// other talker 0.
std::uint8_t TalkerCode(const char* talker);

#pragma pack(push, 1)

template <std::size_t N>
struct FamilyRecord {
  std::uint8_t talker;               // TalkerCode of the last sentence decoded
  nmea::SentenceBody latest[N];      // in the order of the family's formatter list
};

// The formatter asked for by a received query sentence.
struct QuerySlot {
  char formatter[3];
  std::uint8_t used;  // 1 once taken; nothing frees a slot
};

#pragma pack(pop)

static_assert(sizeof(FamilyRecord<1>) == 1 + nmea::kSentenceBodySize);
static_assert(sizeof(QuerySlot) == 4);

// A family: its formatters in record order and which of them the encode
// side fills from the store.
struct Family {
  std::string_view formatters[12];
  std::size_t count;
  std::string_view encoded[8];

  // Index of a formatter in the family, or -1.
  constexpr int Find(std::string_view formatter) const {
    for (std::size_t i = 0; i < count; ++i) {
      if (formatters[i] == formatter) return static_cast<int>(i);
    }
    return -1;
  }
  constexpr bool Encodes(std::string_view formatter) const {
    for (const std::string_view f : encoded) {
      if (!f.empty() && f == formatter) return true;
    }
    return false;
  }
};

inline constexpr Family kGnssFamily{
    {"GGA", "GLL", "GBS", "GSA", "GSV", "RMC", "VTG", "ZDA", "DTM"},
    9,
    {"GGA", "GBS", "GLL", "GSA", "GSV", "RMC", "VTG", "ZDA"}};
inline constexpr Family kNavigationFamily{
    {"ROT", "HDT", "VBW", "GNS"}, 4, {"GNS", "VBW", "ROT", "HDT"}};
inline constexpr Family kLongRangeFamily{
    {"LRI", "LRF", "LR1", "LR2", "LR3"}, 5, {"LRI", "LRF", "LR1", "LR2", "LR3"}};
inline constexpr Family kAisFamily{
    {"ABK", "ACA", "ACK", "ACS", "ALR", "SSD", "VSD", "ABM", "BBM", "VDM", "VDO", "TXT"},
    12,
    {"SSD", "VSD", "ALR", "ACK", "ACA", "ACS"}};
inline constexpr Family kDscFamily{{"DSC", "DSE", "DSI", "DSR"}, 4, {"DSI"}};

using GnssRecord = FamilyRecord<kGnssFamily.count>;
using NavigationRecord = FamilyRecord<kNavigationFamily.count>;
using LongRangeRecord = FamilyRecord<kLongRangeFamily.count>;
using AisStationRecord = FamilyRecord<kAisFamily.count>;
using DscRecord = FamilyRecord<kDscFamily.count>;

}  // namespace store
