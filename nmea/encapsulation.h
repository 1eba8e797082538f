#pragma once
// Assembly of multi-sentence encapsulation (!) messages: one ring of ten
// slots per formatter (ABM, BBM, VDM, VDO), of which only the current slot
// collects.

#include <array>
#include <cstdint>

#include "nmea/sentence_record.h"

namespace nmea {

enum class EncapsulationKind : std::uint8_t { ABM, BBM, VDM, VDO };

struct EncapsulationRing {
  std::array<AisPayloadRecord, 10> slots{};
  std::uint8_t current = 0;
};

enum class CollectResult : std::uint8_t {
  Complete,          // a whole VDM/VDO message is in the payload
  Collecting,        // the message needs more sentences
  NotEncapsulation,  // the formatter is none of the four
  Broken,            // the sentence does not continue the slot's message
  Blocked,           // the current slot still holds a complete message
  TooLong,           // the payload would pass 175 characters
  Addressed,         // an ABM/BBM message: kept in its ring, not handed on
};

class EncapsulationAssembler {
 public:
  // Adds one parsed encapsulation sentence to its ring. Only a complete VDM
  // or VDO message is copied into `payload` (and then frees its slot).
  CollectResult CollectEncapsulation(const SentenceRecord& record, AisPayloadRecord& payload);

  // The same for a sentence whose ring the caller knows already.
  CollectResult Collect(EncapsulationKind kind, const SentenceRecord& record,
                        AisPayloadRecord& payload);

  EncapsulationRing& Ring(EncapsulationKind kind) { return rings_[static_cast<std::size_t>(kind)]; }
  const EncapsulationRing& Ring(EncapsulationKind kind) const {
    return rings_[static_cast<std::size_t>(kind)];
  }

 private:
  std::array<EncapsulationRing, 4> rings_{};
};

}  // namespace nmea
