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

#include "nmea/formatters.h"
#include "nmea/sentence_bodies.h"

namespace store {

// Talker codes of the family records: GP 1, GL 2, GN 3, LC 4, IN 6, any
// other talker 0.
std::uint8_t TalkerCode(const char* talker);

#pragma pack(push, 1)

template <std::size_t N>
struct FamilyRecord {
  std::uint8_t talker;           // TalkerCode of the last sentence decoded
  nmea::SentenceBody latest[N];  // in the order of the family's formatter list
};

// The formatter asked for by a received query sentence.
struct QuerySlot {
  char formatter[3];
  std::uint8_t used;  // 1 once taken; nothing frees a slot
};

#pragma pack(pop)

static_assert(sizeof(FamilyRecord<1>) == 1 + nmea::kSentenceBodySize);
static_assert(sizeof(QuerySlot) == 4);

// A family's record holds one body per formatter of its category, in the
// order of the formatter table (nmea/formatters.h).
using GnssRecord = FamilyRecord<nmea::FamilySize(nmea::CategoryGnss)>;
using NavigationRecord = FamilyRecord<nmea::FamilySize(nmea::CategoryNavigation)>;
using LongRangeRecord = FamilyRecord<nmea::FamilySize(nmea::CategoryLongRange)>;
using AisStationRecord = FamilyRecord<nmea::FamilySize(nmea::CategoryAis)>;
using DscRecord = FamilyRecord<nmea::FamilySize(nmea::CategoryDsc)>;

}  // namespace store
