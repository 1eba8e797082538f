#pragma once
// The sentence record store: the latest values of each sentence family as
// typed records, between the sentence library and the rest of the system.
//
// After a sentence is parsed, StoreDecode copies it into its family's
// record (and sets the maker record's fresh flags); before a sentence is
// composed, StoreEncode fills the sentence record from the store. The
// program creates one store and hands it to its SentenceLibrary (see
// NmeaStack); tests create their own.

#include <array>

#include "nmea/handoff.h"
#include "nmea/sentence_record.h"
#include "store/family_records.h"
#include "store/maker_record.h"

namespace store {

class SentenceStore final : public nmea::StoreHandoff {
 public:
  SentenceStore() = default;

  void StoreDecode(nmea::SentenceRecord& record) override;
  void StoreEncode(nmea::SentenceRecord& record) override;

  // The records, read and written directly by their users.
  MakerRecord& Maker() { return maker_; }
  const MakerRecord& Maker() const { return maker_; }
  const std::array<QuerySlot, 4>& Queries() const { return queries_; }
  const GnssRecord& Gnss() const { return gnss_; }
  const NavigationRecord& Navigation() const { return navigation_; }
  const LongRangeRecord& LongRange() const { return longRange_; }
  const AisStationRecord& AisStation() const { return aisStation_; }
  const DscRecord& Dsc() const { return dsc_; }

  // The body kept for a formatter of categories 1 to 5, or nullptr for any
  // other formatter. Writing it changes what StoreEncode gives back.
  nmea::SentenceBody* Latest(const char* formatter);
  const nmea::SentenceBody* Latest(const char* formatter) const;

 private:
  void DecodeMaker(const nmea::SentenceRecord& record);
  void EncodeMaker(nmea::SentenceRecord& record) const;
  void DecodeQuery(const nmea::SentenceRecord& record);

  GnssRecord gnss_{};
  NavigationRecord navigation_{};
  LongRangeRecord longRange_{};
  AisStationRecord aisStation_{};
  DscRecord dsc_{};
  MakerRecord maker_{};
  std::array<QuerySlot, 4> queries_{};
};

}  // namespace store
