#include "store/ais_targets.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace store {
namespace {

// The layouts of the messages the table folds in; field offsets are looked
// up in them by name at compile time.
namespace message {
constexpr const AisMessageLayout& kPos = kAisLayouts[0];
constexpr const AisMessageLayout& kBase = kAisLayouts[3];
constexpr const AisMessageLayout& kStatic = kAisLayouts[4];
constexpr const AisMessageLayout& kSar = kAisLayouts[8];
constexpr const AisMessageLayout& kClassB = kAisLayouts[17];
constexpr const AisMessageLayout& kClassBExt = kAisLayouts[18];
constexpr const AisMessageLayout& kGroup = kAisLayouts[22];
constexpr const AisMessageLayout& kPartA = kAisLayouts[kSlotStaticPartA];
constexpr const AisMessageLayout& kPartB = kAisLayouts[kSlotStaticPartB];

constexpr AisRecordField kMmsiField = AisFieldOf(kPos, "mmsi");
constexpr std::size_t kMmsi = kMmsiField.at;
static_assert(kMmsi == 2);
constexpr std::size_t kPartNumber = AisRecordOffset(kPartA, "partno");
static_assert(kPartNumber == AisRecordOffset(kPartB, "partno"));
}  // namespace message

// Forces an offset to be worked out by the compiler.
template <std::size_t Offset>
constexpr std::size_t At = Offset;

constexpr int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

constexpr bool IsSartMmsi(std::uint32_t mmsi) { return mmsi >= 970000000 && mmsi < 971000000; }

AisStamp StampOf(const LocalDateTime& t) {
  return {t.year, t.month, t.day, t.hour, t.minute, t.second, t.hundredths};
}

void SetBit(std::uint8_t& byte, unsigned bit, std::uint32_t on) {
  byte = static_cast<std::uint8_t>(on & 1u ? byte | 1u << bit : byte & ~(1u << bit));
}

// Copies a text with its NUL, then drops the '@' padding.
template <std::size_t N>
void CopyText(char (&to)[N], const AisDecodedRecord& record, std::size_t offset, bool trim = true) {
  const std::string_view text = record.Text(offset);
  const std::size_t n = std::min(text.size(), N - 1);
  std::memcpy(to, text.data(), n);
  to[n] = '\0';
  if (trim) AisTrimTrailingAt(to);
}

void SplitDimensions(AisTarget& t, std::uint32_t d) {
  const AisDimensions parts = AisSplitDimensions(d);
  t.toBow = parts.toBow;
  t.toStern = parts.toStern;
  t.toPort = parts.toPort;
  t.toStarboard = parts.toStarboard;
}

void SplitEta(AisTarget& t, std::uint32_t eta) {
  const AisEta parts = AisSplitEta(eta);
  t.etaMonth = parts.month;
  t.etaDay = parts.day;
  t.etaHour = parts.hour;
  t.etaMinute = parts.minute;
}

void SetNavStatus(AisTarget& t, std::uint32_t status) {
  t.status = static_cast<std::uint8_t>((t.status & 0x0F) | (status & 0x0F) << 4);
}
void SetEpfd(AisTarget& t, std::uint32_t epfd) {
  t.status = static_cast<std::uint8_t>((t.status & 0xF0) | (epfd & 0x0F));
}

template <std::size_t N>
void CopyRecord(std::array<std::uint8_t, N>& to, const AisDecodedRecord& record) {
  std::memcpy(to.data(), record.Bytes().data(), N);
}

// Speed, position and course of the position reports (messages 1-3, 9, 18,
// 19), the fields of the same name in each layout.
struct Motion {
  AisRecordField speed, accuracy, lon, lat, course, raim;
};

constexpr Motion MotionOf(const AisMessageLayout& l) {
  return {AisFieldOf(l, "speed"), AisFieldOf(l, "accuracy"), AisFieldOf(l, "lon"),
          AisFieldOf(l, "lat"),   AisFieldOf(l, "course"),   AisFieldOf(l, "raim")};
}

// Each value only when the message carried it: a message cut short leaves
// the rest of the entry as it was.
void FoldMotion(AisTarget& t, const AisDecodedRecord& r, const Motion& m) {
  if (r.Holds(m.speed)) t.speed = r.F32(m.speed.at);
  if (r.Holds(m.accuracy)) SetBit(t.flags, 0, r.U8(m.accuracy.at));
  if (r.Holds(m.lon)) t.lon = r.F32(m.lon.at);
  if (r.Holds(m.lat)) t.lat = r.F32(m.lat.at);
  if (r.Holds(m.course)) t.course = r.F32(m.course.at);
  if (r.Holds(m.raim)) SetBit(t.flags, 1, r.U8(m.raim.at));
}

// The value of a record field the message carried, through `fold`;
// nothing for a field the message was too short for.
template <AisRecordField F, typename Fold>
void IfHeld(const AisDecodedRecord& r, Fold fold) {
  if (r.Holds(F)) fold(F.at);
}

}  // namespace

// The largest count any stamp gives still fits the 32 bits the eviction
// scan keeps of it.
static_assert(((99 * 365 + 334 + 255) * 24 + 255) * 3600LL + 255 * 60 + 255 <= UINT32_MAX);

namespace {

// The largest raw value of a layout's speed field, which says "not
// available", in the knots the decoder makes of it.
constexpr float NoSpeed(const AisMessageLayout& layout) {
  for (const AisFieldDescriptor& field : layout.Fields()) {
    if (field.name == "speed") {
      return static_cast<float>(static_cast<double>((1u << field.width) - 1) * field.scale);
    }
  }
  throw "the layout has no speed";
}

}  // namespace

bool AisSpeedAvailable(const AisTarget& t) {
  constexpr float kNoSpeed = NoSpeed(message::kPos);
  constexpr float kNoAircraftSpeed = NoSpeed(message::kSar);
  static_assert(NoSpeed(message::kClassB) == kNoSpeed && NoSpeed(message::kClassBExt) == kNoSpeed);
  const bool aircraft = t.type == static_cast<std::uint8_t>(AisTargetType::SarAircraft);
  return t.speed >= 0.0f && t.speed < (aircraft ? kNoAircraftSpeed : kNoSpeed);
}

std::int64_t AisSecondsCount(const AisStamp& s) {
  const int daysBefore = s.month >= 1 && s.month <= 12 ? kDaysBeforeMonth[s.month - 1] : 0;
  const std::int64_t days = (s.year % 100) * 365 + daysBefore + s.day;
  return ((days * 24 + s.hour) * 60 + s.minute) * 60 + s.second;
}

AisTargetTable::AisTargetTable(LocalClock& clock)
    : clock_(clock),
      entries_(std::make_unique<AisTarget[]>(kCapacity)),
      mmsis_(std::make_unique<std::uint32_t[]>(kCapacity)),
      heard_(std::make_unique<std::uint32_t[]>(kCapacity)),
      index_(std::make_unique<AisMmsiIndex>()),
      order_(std::make_unique<AisEvictionOrder>(kCapacity)) {
  Init();
}

void AisTargetTable::Init() {
  const std::uint32_t created = clock_.Seconds();
  count_ = 1;
  for (int i = 0; i < kCapacity; ++i) {
    AisTarget& t = entries_[static_cast<std::size_t>(i)];
    std::memset(&t, 0, sizeof t);
    t.lon = 181.0f;
    t.lat = 91.0f;
    t.type = static_cast<std::uint8_t>(AisTargetType::Unknown);
    t.created = created;
    t.reservedByte = 25;
    mmsis_[static_cast<std::size_t>(i)] = 0;
    heard_[static_cast<std::size_t>(i)] = 0;
  }
  index_->Clear();
  order_->Clear();
  latest_ = AisLatestMessages{};
  AisDecodedRecord corners;
  constexpr const AisMessageLayout& group = message::kGroup;
  corners.PutF32(At<AisRecordOffset(group, "ne_lon")>, 181.0f);
  corners.PutF32(At<AisRecordOffset(group, "ne_lat")>, 91.0f);
  corners.PutF32(At<AisRecordOffset(group, "sw_lon")>, 181.0f);
  corners.PutF32(At<AisRecordOffset(group, "sw_lat")>, 91.0f);
  CopyRecord(latest_.message23.bytes, corners);
  lastIndex_ = -1;
  lastKind_ = -1;
}

void AisTargetTable::Reset(int index) {
  AisTarget& t = entries_[static_cast<std::size_t>(index)];
  std::memset(&t, 0, sizeof t);
  t.lon = 181.0f;
  t.lat = 91.0f;
  t.type = static_cast<std::uint8_t>(AisTargetType::Unknown);
  t.reserved[0] = t.reserved[1] = -1.0f;
  t.course = 361.0f;
  t.heading = 511.0f;
  t.flags = 1u << 2;  // DTE 1: no terminal
  SetMmsi(index, 0);
  SetHeard(index, 0);
}

void AisTargetTable::SetMmsi(int index, std::uint32_t mmsi) {
  const bool indexed = index >= 1 && index < count_;
  std::uint32_t& held = mmsis_[static_cast<std::size_t>(index)];
  if (indexed && held != 0) index_->Erase(held, index, mmsis_.get());
  entries_[static_cast<std::size_t>(index)].mmsi = mmsi;
  held = mmsi;
  if (indexed && mmsi != 0) index_->Insert(mmsi, index);
}

// The first index from `from` on whose key is `value`, or -1. Only MMSI 0
// (free entries, and entry 0) is looked for this way.
int FirstIndexOf(const std::uint32_t* keys, int from, int count, std::uint32_t value) {
  for (int i = from; i < count; ++i) {
    if (keys[i] == value) return i;
  }
  return -1;
}

// The first entry holding the MMSI. Entries from 1 on hold distinct MMSIs,
// as a station gets an entry only when none holds its MMSI yet; MMSI 0 (a
// free or reset entry) is not indexed and is looked for by a scan.
int AisTargetTable::Find(std::uint32_t mmsi) const {
  if (mmsis_[0] == mmsi || mmsi == 0) return FirstIndexOf(mmsis_.get(), 0, count_, mmsi);
  return index_->Find(mmsi, mmsis_.get());
}

// The entry heard longest ago, never the own station; the lowest index
// among equals.
int AisTargetTable::Evict() {
  const int index = order_->Oldest(heard_.get());
  Reset(index);
  return index;
}

void AisTargetTable::SetHeard(int index, std::uint32_t seconds) {
  heard_[static_cast<std::size_t>(index)] = seconds;
  if (index >= 1 && index < count_) order_->Heard(index, seconds);
}

void AisTargetTable::CountMessage(int index, bool vdo) {
  if (index < 0 || index >= count_) return;
  AisTarget& t = entries_[static_cast<std::size_t>(index)];
  if (vdo) {
    ++t.vdoCount;
  } else {
    ++t.vdmCount;
  }
}

int AisTargetTable::Update(const AisDecodedRecord& record, int channelIndex, std::int32_t extra,
                           bool ownStation) {
  const std::uint32_t id = record.U8(0);
  // A message too short to name its sender belongs to no entry.
  if (id < 1 || id > 25 || !record.Holds(message::kMmsiField)) return -1;
  const std::uint32_t mmsi = record.U32(message::kMmsi);
  const AisStamp now = StampOf(clock_.LocalNow());
  const auto seconds = static_cast<std::uint32_t>(AisSecondsCount(now));

  int index;
  bool isNew = false;
  if (ownStation) {
    index = 0;
    if (count_ < 1) {
      count_ = 1;
      isNew = true;
    }
    // A later VDO with another MMSI still updates entry 0 and keeps the first.
    if (mmsis_[0] == 0) {
      SetMmsi(0, mmsi);
      isNew = true;
    }
  } else {
    index = Find(mmsi);
    if (index < 0) {
      if (count_ < kCapacity) {
        index = count_++;
        order_->Add(index, seconds);
      } else {
        index = Evict();
      }
      SetMmsi(index, mmsi);
      isNew = true;
    }
  }

  AisTarget& t = entries_[static_cast<std::size_t>(index)];
  if (isNew) {
    t.vdmCount = 0;
    t.vdoCount = 0;
    t.firstHeard = now;
  }
  t.lastHeard = now;
  SetHeard(index, seconds);
  lastIndex_ = index;
  lastKind_ = static_cast<int>(id == 24 ? 24 + record.U8(message::kPartNumber) : id);

  Fold(t, record, channelIndex, extra);
  return index;
}

void AisTargetTable::Fold(AisTarget& t, const AisDecodedRecord& r, int channelIndex,
                          std::int32_t extra) {
  auto setType = [&t](AisTargetType type) { t.type = static_cast<std::uint8_t>(type); };
  // Field by field, each folded in only when the message carried it.
  const auto u8 = [&r](std::size_t at) { return r.U8(at); };
  const auto text = [&r](auto& to, std::size_t at) { CopyText(to, r, at); };
  switch (r.U8(0)) {
    case 1:
    case 2:
    case 3: {
      constexpr const AisMessageLayout& l = message::kPos;
      // An AIS-SART is known by its MMSI and, from its second report on, by
      // the status (14 or 15) its previous report left in the entry.
      const std::uint8_t previous = AisNavStatus(t);
      setType((previous == 14 || previous == 15) && IsSartMmsi(t.mmsi) ? AisTargetType::Sart
                                                                       : AisTargetType::ClassA);
      IfHeld<AisFieldOf(l, "status")>(r, [&](std::size_t at) { SetNavStatus(t, u8(at)); });
      IfHeld<AisFieldOf(l, "turn")>(r, [&](std::size_t at) { t.rateOfTurn = r.F32(at); });
      {
        constexpr Motion m = MotionOf(l);
        FoldMotion(t, r, m);
      }
      IfHeld<AisFieldOf(l, "heading")>(r, [&](std::size_t at) { t.heading = r.U16(at); });
      break;
    }
    case 4: {
      constexpr const AisMessageLayout& l = message::kBase;
      setType(AisTargetType::BaseStation);
      IfHeld<AisFieldOf(l, "accuracy")>(r, [&](std::size_t at) { SetBit(t.flags, 0, u8(at)); });
      IfHeld<AisFieldOf(l, "lon")>(r, [&](std::size_t at) { t.lon = r.F32(at); });
      IfHeld<AisFieldOf(l, "lat")>(r, [&](std::size_t at) { t.lat = r.F32(at); });
      IfHeld<AisFieldOf(l, "epfd")>(r, [&](std::size_t at) { SetEpfd(t, u8(at)); });
      IfHeld<AisFieldOf(l, "raim")>(r, [&](std::size_t at) { SetBit(t.flags, 1, u8(at)); });
      break;
    }
    case 5: {
      constexpr const AisMessageLayout& l = message::kStatic;
      setType(AisTargetType::ClassA);
      IfHeld<AisFieldOf(l, "ais_version")>(r,
                                           [&](std::size_t at) { t.aisVersion = u8(at) & 0x03; });
      IfHeld<AisFieldOf(l, "imo")>(r, [&](std::size_t at) { t.imo = r.U32(at); });
      IfHeld<AisFieldOf(l, "callsign")>(r, [&](std::size_t at) { text(t.callsign, at); });
      IfHeld<AisFieldOf(l, "shipname")>(r, [&](std::size_t at) { text(t.name, at); });
      IfHeld<AisFieldOf(l, "shiptype")>(r, [&](std::size_t at) { t.shipType = u8(at); });
      IfHeld<AisFieldOf(l, "dimensions")>(r,
                                          [&](std::size_t at) { SplitDimensions(t, r.U32(at)); });
      IfHeld<AisFieldOf(l, "epfd")>(r, [&](std::size_t at) { SetEpfd(t, u8(at)); });
      IfHeld<AisFieldOf(l, "eta")>(r, [&](std::size_t at) { SplitEta(t, r.U32(at)); });
      IfHeld<AisFieldOf(l, "draught")>(r, [&](std::size_t at) { t.draught = r.F32(at); });
      IfHeld<AisFieldOf(l, "destination")>(r, [&](std::size_t at) { text(t.destination, at); });
      IfHeld<AisFieldOf(l, "dte")>(r, [&](std::size_t at) { SetBit(t.flags, 2, u8(at)); });
      break;
    }
    case 6:
      CopyRecord(latest_.message6, r);
      break;
    case 9: {
      constexpr const AisMessageLayout& l = message::kSar;
      setType(AisTargetType::SarAircraft);
      IfHeld<AisFieldOf(l, "alt")>(r, [&](std::size_t at) { t.altitude = r.U16(at); });
      {
        constexpr Motion m = MotionOf(l);
        FoldMotion(t, r, m);
      }
      IfHeld<AisFieldOf(l, "dte")>(r, [&](std::size_t at) { SetBit(t.flags, 2, u8(at)); });
      break;
    }
    case 12:
      CopyRecord(latest_.message12.bytes, r);
      latest_.message12.fresh = 1;
      break;
    case 14:
      CopyRecord(latest_.message14.bytes, r);
      latest_.message14.fresh = 1;
      break;
    case 15:
      CopyRecord(latest_.message15.bytes, r);
      latest_.message15.fresh = 1;
      latest_.message15.channel = channelIndex;
      latest_.message15.extra = extra;
      break;
    case 20:
      setType(AisTargetType::BaseStation);
      CopyRecord(latest_.message20.bytes, r);
      latest_.message20.fresh = 1;
      latest_.message20.channel = channelIndex;
      latest_.message20.extra = extra;
      break;
    case 16:
    case 17:
      setType(AisTargetType::BaseStation);
      break;
    case 18: {
      constexpr const AisMessageLayout& l = message::kClassB;
      setType(AisTargetType::ClassB);
      {
        constexpr Motion m = MotionOf(l);
        FoldMotion(t, r, m);
      }
      IfHeld<AisFieldOf(l, "heading")>(r, [&](std::size_t at) { t.heading = r.U16(at); });
      IfHeld<AisFieldOf(l, "assigned")>(r,
                                        [&](std::size_t at) { SetBit(t.classBFlags, 0, u8(at)); });
      IfHeld<AisFieldOf(l, "cs")>(r, [&](std::size_t at) { SetBit(t.classBFlags, 1, u8(at)); });
      IfHeld<AisFieldOf(l, "display")>(r,
                                       [&](std::size_t at) { SetBit(t.classBFlags, 2, u8(at)); });
      IfHeld<AisFieldOf(l, "dsc")>(r, [&](std::size_t at) { SetBit(t.classBFlags, 3, u8(at)); });
      IfHeld<AisFieldOf(l, "band")>(r, [&](std::size_t at) { SetBit(t.classBFlags, 4, u8(at)); });
      IfHeld<AisFieldOf(l, "msg22")>(r, [&](std::size_t at) { SetBit(t.classBFlags, 5, u8(at)); });
      break;
    }
    case 19: {
      constexpr const AisMessageLayout& l = message::kClassBExt;
      setType(AisTargetType::ClassB);
      {
        constexpr Motion m = MotionOf(l);
        FoldMotion(t, r, m);
      }
      IfHeld<AisFieldOf(l, "heading")>(r, [&](std::size_t at) { t.heading = r.U16(at); });
      IfHeld<AisFieldOf(l, "shipname")>(r, [&](std::size_t at) { text(t.name, at); });
      IfHeld<AisFieldOf(l, "shiptype")>(r, [&](std::size_t at) { t.shipType = u8(at); });
      IfHeld<AisFieldOf(l, "dimensions")>(r,
                                          [&](std::size_t at) { SplitDimensions(t, r.U32(at)); });
      IfHeld<AisFieldOf(l, "epfd")>(r, [&](std::size_t at) { SetEpfd(t, u8(at)); });
      IfHeld<AisFieldOf(l, "dte")>(r, [&](std::size_t at) { SetBit(t.flags, 2, u8(at)); });
      break;
    }
    case 21:
      CopyRecord(latest_.message21, r);
      setType(AisTargetType::AidToNavigation);
      break;
    case 22:
      setType(AisTargetType::BaseStation);
      CopyRecord(latest_.message22.bytes, r);
      latest_.message22.fresh = 1;
      break;
    case 23:
      setType(AisTargetType::BaseStation);
      CopyRecord(latest_.message23.bytes, r);
      latest_.message23.fresh = 1;
      break;
    case 24: {
      setType(AisTargetType::ClassB);
      if (!r.Holds(AisFieldOf(message::kPartA, "partno"))) break;
      const std::uint8_t part = r.U8(message::kPartNumber);
      if (part == 0) {
        IfHeld<AisFieldOf(message::kPartA, "shipname")>(r,
                                                        [&](std::size_t at) { text(t.name, at); });
      } else if (part == 1) {
        // Part numbers 2 and 3 are reserved and decoded with the part A
        // layout: read as part B they would fill the entry with pieces of
        // their text, so they change nothing here.
        constexpr const AisMessageLayout& l = message::kPartB;
        IfHeld<AisFieldOf(l, "shiptype")>(r, [&](std::size_t at) { t.shipType = u8(at); });
        IfHeld<AisFieldOf(l, "vendorid")>(
            r, [&](std::size_t at) { CopyText(t.vendorId, r, at, false); });
        IfHeld<AisFieldOf(l, "callsign")>(r, [&](std::size_t at) { text(t.callsign, at); });
        IfHeld<AisFieldOf(l, "dimensions")>(r,
                                            [&](std::size_t at) { SplitDimensions(t, r.U32(at)); });
      }
      break;
    }
    default:  // 7, 8, 10, 11, 13, 25: the times only
      break;
  }
}

}  // namespace store
