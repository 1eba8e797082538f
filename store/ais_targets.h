#pragma once
// The AIS target table: one entry per station heard, keyed by MMSI, with
// the own station (VDO sentences) in entry 0. Every decoded message is folded
// into its sender's entry; the messages that are not about the sender are
// also kept whole in one latest-message buffer per message id.

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "store/ais_decoder.h"
#include "store/ais_eviction_order.h"
#include "store/ais_mmsi_index.h"
#include "store/local_clock.h"

namespace store {

enum class AisTargetType : std::uint8_t {
  BaseStation = 0,
  SarAircraft = 1,
  AidToNavigation = 2,
  ClassA = 3,
  ClassB = 4,
  Sart = 5,
  Unknown = 6,  // a free or reset entry
};

// The entry's fields in the order of the record the table is built from,
// naturally aligned: nothing reads an entry as bytes, and packed members
// would be misaligned for every reference a caller binds to them.
struct AisStamp {  // date, then time of the PC's local clock
  std::uint16_t year;
  std::uint8_t month;
  std::uint8_t day;
  std::uint8_t hour;
  std::uint8_t minute;
  std::uint8_t second;
  std::uint8_t hundredths;
};

// The packed fields of the static reports, split into their parts.
// Dimensions, 30 bits: A (to bow) bits 21-29, B (to stern) bits 12-20,
// C (to port) bits 6-11, D (to starboard) bits 0-5.
struct AisDimensions {
  std::uint16_t toBow;
  std::uint16_t toStern;
  std::uint8_t toPort;
  std::uint8_t toStarboard;
};

constexpr AisDimensions AisSplitDimensions(std::uint32_t d) {
  return {static_cast<std::uint16_t>(d >> 21 & 0x1FF), static_cast<std::uint16_t>(d >> 12 & 0x1FF),
          static_cast<std::uint8_t>(d >> 6 & 0x3F), static_cast<std::uint8_t>(d & 0x3F)};
}

// ETA, 20 bits: month bits 16-19, day 11-15, hour 6-10, minute 0-5.
struct AisEta {
  std::uint8_t month;
  std::uint8_t day;
  std::uint8_t hour;
  std::uint8_t minute;
};

constexpr AisEta AisSplitEta(std::uint32_t eta) {
  return {static_cast<std::uint8_t>(eta >> 16 & 0x0F), static_cast<std::uint8_t>(eta >> 11 & 0x1F),
          static_cast<std::uint8_t>(eta >> 6 & 0x1F), static_cast<std::uint8_t>(eta & 0x3F)};
}

struct AisTarget {
  std::uint8_t type;    // AisTargetType
  std::uint32_t mmsi;   // 0 in a free entry
  std::uint8_t status;  // low nibble position fixing device, high nibble navigational status
  std::uint8_t flags;   // bit 0 position accuracy, 1 RAIM, 2 DTE
  float lon;            // degrees, 181 when not available
  float lat;            // degrees, 91 when not available
  float speed;          // knots
  float course;         // degrees
  float heading;        // degrees
  char name[21];        // trailing '@' removed
  char callsign[8];     // trailing '@' removed
  std::uint8_t shipType;
  std::uint8_t toStarboard;  // dimension D, 6 bits
  std::uint8_t toPort;       // dimension C, 6 bits
  std::uint16_t toStern;     // dimension B, 9 bits
  std::uint16_t toBow;       // dimension A, 9 bits
  std::uint32_t imo;
  float rateOfTurn;  // degrees per minute
  std::uint8_t etaMinute;
  std::uint8_t etaHour;
  std::uint8_t etaDay;
  std::uint8_t etaMonth;
  std::uint8_t aisVersion;
  float draught;         // metres
  char destination[21];  // trailing '@' removed
  char vendorId[8];      // as received
  std::uint8_t
      classBFlags;        // bit 0 assigned, 1 Class B unit, 2 display, 3 DSC, 4 band, 5 message 22
  float altitude;         // metres (SAR aircraft)
  float reserved[2];      // only initialised: 0 at start-up, -1 after a reset
  std::uint32_t created;  // PC clock seconds at start-up
  AisStamp lastHeard;
  AisStamp firstHeard;
  std::uint8_t reservedByte;  // 25 at start-up, 0 after a reset
  std::uint32_t vdmCount;
  std::uint32_t vdoCount;
};

static_assert(sizeof(AisStamp) == 8);

// False when the entry's speed is the "not available" value of the message
// that set it: 102.3 knots in the tenths of the position reports, 1023 knots
// for a SAR aircraft (message 9 counts whole knots).
bool AisSpeedAvailable(const AisTarget& t);

// Navigational status and position fixing device from the status byte.
constexpr std::uint8_t AisNavStatus(const AisTarget& t) { return t.status >> 4; }
constexpr std::uint8_t AisEpfd(const AisTarget& t) { return t.status & 0x0F; }

// The seconds count that orders last-heard moments (leap years not counted,
// hundredths ignored).
std::int64_t AisSecondsCount(const AisStamp& stamp);

// Latest-message buffers: the first bytes of the decoded record, and for
// most a new-message flag set on each copy (never cleared by the table).
template <std::size_t N>
struct AisLatestMessage {
  std::array<std::uint8_t, N> bytes{};
  std::uint8_t fresh = 0;
};
template <std::size_t N>
struct AisLatestOnChannel : AisLatestMessage<N> {
  std::int32_t channel = 0;  // the channel index the message came on
  std::int32_t extra = 0;    // the caller's extra value
};

struct AisLatestMessages {
  std::array<std::uint8_t, 138> message6{};  // up to and including the byte count
  AisLatestMessage<131> message12;           // the text is cut at the buffer's end
  AisLatestMessage<129> message14;
  AisLatestOnChannel<27> message15;
  AisLatestOnChannel<31> message20;
  std::array<std::uint8_t, 65> message21{};
  AisLatestMessage<45> message22;  // with the two addressed MMSIs
  AisLatestMessage<33> message23;
};

class AisTargetTable {
 public:
  static constexpr int kCapacity = 2250;

  // Starts initialised (AisTargetsInit); `clock` must outlive the table.
  explicit AisTargetTable(LocalClock& clock);
  AisTargetTable(const AisTargetTable&) = delete;
  AisTargetTable& operator=(const AisTargetTable&) = delete;

  // Empties the table: only entry 0 counted, every entry free, the
  // latest-message buffers cleared, no last index or kind.
  void Init();

  // Folds a decoded message into its sender's entry and returns the entry's
  // index, or -1 for a message id outside 1 to 25. `channelIndex` (0 for
  // channel A) and `extra` are kept with messages 15 and 20; `ownStation`
  // is true for VDO sentences.
  int Update(const AisDecodedRecord& record, int channelIndex, std::int32_t extra, bool ownStation);

  // Clears one entry for reuse by another station.
  void Reset(int index);

  // Becomes a copy of `other`: entries, lookup, eviction order and buffers
  // (the clock stays this table's own). Cheaper than filling a table again.
  void CopyFrom(const AisTargetTable& other);

  // Counts one message on an entry, as received in a VDO or a VDM sentence.
  void CountMessage(int index, bool vdo);

  // The entry holding the MMSI (the own station first), or -1.
  int Find(std::uint32_t mmsi) const;

  int Count() const { return count_; }
  const AisTarget& Entry(int index) const { return entries_[static_cast<std::size_t>(index)]; }
  int LastIndex() const { return lastIndex_; }
  int LastKind() const { return lastKind_; }
  const AisLatestMessages& Latest() const { return latest_; }

 private:
  int Evict();
  void SetHeard(int index, std::uint32_t seconds);
  void SetMmsi(int index, std::uint32_t mmsi);

  LocalClock& clock_;
  // The MMSIs and last-heard counts of the entries again, side by side, for
  // the lookup and the eviction order.
  std::unique_ptr<AisTarget[]> entries_;
  std::unique_ptr<std::uint32_t[]> mmsis_;
  std::unique_ptr<std::uint32_t[]> heard_;  // AisSecondsCount of lastHeard
  // Entries 1 to count - 1 by MMSI (MMSI 0 excepted); entry 0 is looked at
  // first and on its own, since the own station may share a heard MMSI.
  std::unique_ptr<AisMmsiIndex> index_;
  // Entries 1 to count - 1, the one to evict first on top.
  std::unique_ptr<AisEvictionOrder> order_;
  int count_ = 1;
  int lastIndex_ = -1;
  int lastKind_ = -1;
  AisLatestMessages latest_;
};

// The text of an entry's fixed-size text field.
template <std::size_t N>
std::string_view AisTargetText(const char (&text)[N]) {
  return {text, strnlen(text, N)};
}

}  // namespace store
