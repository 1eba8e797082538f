#include "store/ais_targets.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>

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

// What a message does to its sender's entry. Each message id has one row:
// the kind of station the message says its sender is (none for the
// messages that do not say), and the fold that takes the message's values
// into the entry or into the latest-message buffers. A fold of entry fields
// is a list of {layout field, setter} resolved against the message's layout
// at compile time; a field the message was too short for is left as it was.

struct FoldInput {
  AisTarget& target;
  const AisDecodedRecord& record;
  AisLatestMessages& latest;
  int channelIndex;
  std::int32_t extra;
};

using FieldSetter = void (*)(AisTarget&, const AisDecodedRecord&, std::size_t at);

// A setter of the entry, named after the layout field it takes.
struct FieldFold {
  std::string_view field;
  FieldSetter set;
};

// The same with the field's place in one layout's record.
struct PlacedFold {
  AisRecordField field{};
  FieldSetter set = nullptr;
};

inline constexpr std::size_t kMaxFieldFolds = 16;
struct EntryFolds {
  std::array<PlacedFold, kMaxFieldFolds> folds{};
  std::size_t count = 0;
};

// The field folds of `groups` placed in `layout`; a field the layout lacks
// stops the compilation.
constexpr EntryFolds Place(const AisMessageLayout& layout,
                           std::initializer_list<std::span<const FieldFold>> groups) {
  EntryFolds out;
  for (const std::span<const FieldFold> group : groups) {
    for (const FieldFold& fold : group) {
      if (out.count == kMaxFieldFolds) throw "more field folds than kMaxFieldFolds";
      out.folds[out.count++] = {AisFieldOf(layout, fold.field), fold.set};
    }
  }
  return out;
}

void Apply(const EntryFolds& folds, AisTarget& t, const AisDecodedRecord& r) {
  for (std::size_t i = 0; i < folds.count; ++i) {
    const PlacedFold& fold = folds.folds[i];
    if (r.Holds(fold.field)) fold.set(t, r, fold.field.at);
  }
}

namespace set {
void Speed(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { t.speed = r.F32(at); }
void Lon(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { t.lon = r.F32(at); }
void Lat(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { t.lat = r.F32(at); }
void Course(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { t.course = r.F32(at); }
void Heading(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { t.heading = r.U16(at); }
void Turn(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { t.rateOfTurn = r.F32(at); }
void Accuracy(AisTarget& t, const AisDecodedRecord& r, std::size_t at) {
  SetBit(t.flags, 0, r.U8(at));
}
void Raim(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { SetBit(t.flags, 1, r.U8(at)); }
void Dte(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { SetBit(t.flags, 2, r.U8(at)); }
void NavStatus(AisTarget& t, const AisDecodedRecord& r, std::size_t at) {
  SetNavStatus(t, r.U8(at));
}
void Epfd(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { SetEpfd(t, r.U8(at)); }
void AisVersion(AisTarget& t, const AisDecodedRecord& r, std::size_t at) {
  t.aisVersion = r.U8(at) & 0x03;
}
void Imo(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { t.imo = r.U32(at); }
void Callsign(AisTarget& t, const AisDecodedRecord& r, std::size_t at) {
  CopyText(t.callsign, r, at);
}
void Name(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { CopyText(t.name, r, at); }
void Destination(AisTarget& t, const AisDecodedRecord& r, std::size_t at) {
  CopyText(t.destination, r, at);
}
// The vendor id keeps its '@' padding.
void VendorId(AisTarget& t, const AisDecodedRecord& r, std::size_t at) {
  CopyText(t.vendorId, r, at, false);
}
void ShipType(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { t.shipType = r.U8(at); }
void Dimensions(AisTarget& t, const AisDecodedRecord& r, std::size_t at) {
  SplitDimensions(t, r.U32(at));
}
void Eta(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { SplitEta(t, r.U32(at)); }
void Draught(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { t.draught = r.F32(at); }
void Altitude(AisTarget& t, const AisDecodedRecord& r, std::size_t at) { t.altitude = r.U16(at); }
// The Class B flags, bits 0 to 5 of classBFlags.
template <unsigned Bit>
void ClassBFlag(AisTarget& t, const AisDecodedRecord& r, std::size_t at) {
  SetBit(t.classBFlags, Bit, r.U8(at));
}
}  // namespace set

// Speed, position and course: the fields of the same name in messages 1-3,
// 9, 18 and 19.
inline constexpr FieldFold kMotion[] = {
    {"speed", set::Speed}, {"accuracy", set::Accuracy}, {"lon", set::Lon},
    {"lat", set::Lat},     {"course", set::Course},     {"raim", set::Raim},
};
inline constexpr FieldFold kHeading[] = {{"heading", set::Heading}};
// What a ship says of itself in messages 5 and 19.
inline constexpr FieldFold kShip[] = {
    {"shipname", set::Name}, {"shiptype", set::ShipType}, {"dimensions", set::Dimensions},
    {"epfd", set::Epfd},     {"dte", set::Dte},
};

inline constexpr FieldFold kPositionReport[] = {
    {"status", set::NavStatus},
    {"turn", set::Turn},
};
inline constexpr FieldFold kBaseStation[] = {
    {"accuracy", set::Accuracy}, {"lon", set::Lon},   {"lat", set::Lat},
    {"epfd", set::Epfd},         {"raim", set::Raim},
};
inline constexpr FieldFold kVoyage[] = {
    {"ais_version", set::AisVersion}, {"imo", set::Imo},
    {"callsign", set::Callsign},      {"eta", set::Eta},
    {"draught", set::Draught},        {"destination", set::Destination},
};
inline constexpr FieldFold kAircraft[] = {{"alt", set::Altitude}, {"dte", set::Dte}};
inline constexpr FieldFold kClassBFlags[] = {
    {"assigned", set::ClassBFlag<0>}, {"cs", set::ClassBFlag<1>},   {"display", set::ClassBFlag<2>},
    {"dsc", set::ClassBFlag<3>},      {"band", set::ClassBFlag<4>}, {"msg22", set::ClassBFlag<5>},
};
inline constexpr FieldFold kPartA[] = {{"shipname", set::Name}};
inline constexpr FieldFold kPartB[] = {
    {"shiptype", set::ShipType},
    {"vendorid", set::VendorId},
    {"callsign", set::Callsign},
    {"dimensions", set::Dimensions},
};

inline constexpr EntryFolds kPositionFolds =
    Place(message::kPos, {kPositionReport, kMotion, kHeading});
inline constexpr EntryFolds kBaseStationFolds = Place(message::kBase, {kBaseStation});
inline constexpr EntryFolds kStaticFolds = Place(message::kStatic, {kVoyage, kShip});
inline constexpr EntryFolds kSarFolds = Place(message::kSar, {kMotion, kAircraft});
inline constexpr EntryFolds kClassBFolds =
    Place(message::kClassB, {kMotion, kHeading, kClassBFlags});
inline constexpr EntryFolds kClassBExtFolds =
    Place(message::kClassBExt, {kMotion, kHeading, kShip});
inline constexpr EntryFolds kPartAFolds = Place(message::kPartA, {kPartA});
inline constexpr EntryFolds kPartBFolds = Place(message::kPartB, {kPartB});

using FoldFunction = void (*)(const FoldInput&);

template <const EntryFolds& Folds>
void FoldFields(const FoldInput& in) {
  Apply(Folds, in.target, in.record);
}

// An AIS-SART is known by its MMSI and, from its second report on, by the
// status (14 or 15) its previous report left in the entry; this runs before
// the report's own status is folded in.
void FoldPositionReport(const FoldInput& in) {
  AisTarget& t = in.target;
  const std::uint8_t previous = AisNavStatus(t);
  if ((previous == 14 || previous == 15) && IsSartMmsi(t.mmsi)) {
    t.type = static_cast<std::uint8_t>(AisTargetType::Sart);
  }
  Apply(kPositionFolds, t, in.record);
}

// Part numbers 2 and 3 are reserved and decoded with the part A layout:
// read as part B they would fill the entry with pieces of their text, so
// they change nothing here.
void FoldStaticPart(const FoldInput& in) {
  if (!in.record.Holds(AisFieldOf(message::kPartA, "partno"))) return;
  const std::uint8_t part = in.record.U8(message::kPartNumber);
  if (part == 0) Apply(kPartAFolds, in.target, in.record);
  if (part == 1) Apply(kPartBFolds, in.target, in.record);
}

// Messages that are not about their sender: kept whole in their buffer.
template <auto Buffer>
void Keep(const FoldInput& in) {
  auto& buffer = in.latest.*Buffer;
  if constexpr (requires { buffer.bytes; }) {
    CopyRecord(buffer.bytes, in.record);
    buffer.fresh = 1;
    if constexpr (requires { buffer.channel; }) {
      buffer.channel = in.channelIndex;
      buffer.extra = in.extra;
    }
  } else {
    CopyRecord(buffer, in.record);
  }
}

struct FoldRow {
  std::uint8_t messageId;
  std::optional<AisTargetType> kind;  // none: the message does not say
  FoldFunction fold;                  // nullptr: the heard times only
};

using enum AisTargetType;

inline constexpr FoldRow kFoldRows[] = {
    {1, ClassA, FoldPositionReport},
    {2, ClassA, FoldPositionReport},
    {3, ClassA, FoldPositionReport},
    {4, BaseStation, FoldFields<kBaseStationFolds>},
    {5, ClassA, FoldFields<kStaticFolds>},
    {6, std::nullopt, Keep<&AisLatestMessages::message6>},
    {7, std::nullopt, nullptr},
    {8, std::nullopt, nullptr},
    {9, SarAircraft, FoldFields<kSarFolds>},
    {10, std::nullopt, nullptr},
    {11, std::nullopt, nullptr},
    {12, std::nullopt, Keep<&AisLatestMessages::message12>},
    {13, std::nullopt, nullptr},
    {14, std::nullopt, Keep<&AisLatestMessages::message14>},
    {15, std::nullopt, Keep<&AisLatestMessages::message15>},
    {16, BaseStation, nullptr},
    {17, BaseStation, nullptr},
    {18, ClassB, FoldFields<kClassBFolds>},
    {19, ClassB, FoldFields<kClassBExtFolds>},
    {20, BaseStation, Keep<&AisLatestMessages::message20>},
    {21, AidToNavigation, Keep<&AisLatestMessages::message21>},
    {22, BaseStation, Keep<&AisLatestMessages::message22>},
    {23, BaseStation, Keep<&AisLatestMessages::message23>},
    {24, ClassB, FoldStaticPart},
    {25, std::nullopt, nullptr},
};

constexpr bool FoldRowsFollowTheMessageIds() {
  std::uint8_t id = 1;
  for (const FoldRow& row : kFoldRows) {
    if (row.messageId != id++) return false;
  }
  return true;
}
static_assert(FoldRowsFollowTheMessageIds(), "one row per message id, 1 to 25 in order");

// The row of a message id, or nullptr for an id no message has.
constexpr const FoldRow* FoldRowOf(std::uint32_t id) {
  return id >= 1 && id <= std::size(kFoldRows) ? &kFoldRows[id - 1] : nullptr;
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

void AisTargetTable::CopyFrom(const AisTargetTable& other) {
  const auto n = static_cast<std::size_t>(kCapacity);
  std::copy_n(other.entries_.get(), n, entries_.get());
  std::copy_n(other.mmsis_.get(), n, mmsis_.get());
  std::copy_n(other.heard_.get(), n, heard_.get());
  *index_ = *other.index_;
  order_->CopyFrom(*other.order_);
  count_ = other.count_;
  lastIndex_ = other.lastIndex_;
  lastKind_ = other.lastKind_;
  latest_ = other.latest_;
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
  const FoldRow* row = FoldRowOf(id);
  // A message too short to name its sender belongs to no entry.
  if (row == nullptr || !record.Holds(message::kMmsiField)) return -1;
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

  if (row->kind) t.type = static_cast<std::uint8_t>(*row->kind);
  if (row->fold != nullptr) row->fold({t, record, latest_, channelIndex, extra});
  return index;
}

}  // namespace store
