#pragma once
// The AIS message layouts: for every supported message (and variant) its
// fields in transmission order with width, kind and scale. The decoder is one
// interpreter of these tables, so a message is supported by adding a layout.
//
// Each layout is followed by a compile-time check that its fields begin at
// the bits and land at the record offsets listed beside it, and that its
// widths add up to the message length. The layouts of earlier ITU-R M.1371
// editions are used where they differ (regional bits of messages 1 to 3, the
// vendor id of message 24 part B, the Class B flags of message 18).

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace store {

enum class AisFieldKind : std::uint8_t {
  UInt8 = 0,
  UInt16 = 1,
  UInt16Code = 2,  // designated area code
  UInt32 = 3,
  Identifier = 4,  // MMSIs, IMO number, wide spare fields
  SignedScaled = 5,
  UnsignedScaled = 6,
  Text = 7,
  TextToEnd = 8,  // six-bit text up to the end of the message
  Binary = 9,     // width 0: to the end of the message
  RateOfTurn = 11,
  Longitude = 13,
  Latitude = 14,
  Course = 15,
  Heading = 16,
  TimeStamp = 17,
  RadioStatus = 18,
  Dimensions = 19,  // 30-bit reference-point dimensions as sent
  Eta = 20,         // 20-bit month/day/hour/minute as sent
};

// Codes 10, 12 and above 20 are no kinds; a layout holding one is refused.
constexpr bool AisIsFieldKind(AisFieldKind kind) {
  const auto code = static_cast<unsigned>(kind);
  return code <= 20 && code != 10 && code != 12;
}

// Bytes a value of this kind takes in the decoded record; 0 for the kinds
// whose size follows from the message (text to the end, binary to the end).
constexpr std::size_t AisRecordBytes(AisFieldKind kind, std::uint16_t width) {
  switch (kind) {
    case AisFieldKind::UInt8:
    case AisFieldKind::TimeStamp:
      return 1;
    case AisFieldKind::UInt16:
    case AisFieldKind::UInt16Code:
    case AisFieldKind::Heading:
      return 2;
    case AisFieldKind::Text:
      return width / 6u + 1u;
    case AisFieldKind::TextToEnd:
      return 0;
    case AisFieldKind::Binary:
      return (width + 7u) / 8u;
    default:
      return 4;
  }
}

// One field: width in bits, kind, scale, and the snake_case name under which
// the command line shows it.
struct AisFieldDescriptor {
  std::uint16_t width;
  AisFieldKind kind;
  float scale;
  std::string_view name;
};

struct AisMessageLayout {
  std::uint32_t fieldCount;
  const AisFieldDescriptor* fields;

  constexpr std::span<const AisFieldDescriptor> Fields() const { return {fields, fieldCount}; }
};

namespace layouts {

using enum AisFieldKind;

constexpr AisFieldDescriptor F(std::string_view name, std::uint16_t width, AisFieldKind kind,
                               float scale = 1.0f) {
  return {width, kind, scale, name};
}

// True when the fields begin at `firstBits`, are stored at `offsets` and
// their widths add up to `totalBits` (a field to the end counts as listed).
constexpr bool Matches(std::span<const AisFieldDescriptor> fields,
                       std::initializer_list<int> firstBits, std::initializer_list<int> offsets,
                       int totalBits) {
  if (fields.size() != firstBits.size() || fields.size() != offsets.size()) return false;
  int bit = 0;
  int at = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (firstBits.begin()[i] != bit || offsets.begin()[i] != at) return false;
    if (!AisIsFieldKind(fields[i].kind)) return false;
    bit += fields[i].width;
    at += static_cast<int>(AisRecordBytes(fields[i].kind, fields[i].width));
  }
  return bit == totalBits;
}

// Names are unique within a layout (they become keys on the command line).
constexpr bool NamesUnique(std::span<const AisFieldDescriptor> fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    for (std::size_t j = i + 1; j < fields.size(); ++j) {
      if (fields[i].name == fields[j].name) return false;
    }
  }
  return true;
}

// Messages 1, 2 and 3: position report.
inline constexpr AisFieldDescriptor kPositionReport[] = {
    F("type", 6, UInt8),
    F("repeat", 2, UInt8),
    F("mmsi", 30, Identifier),
    F("status", 4, UInt8),
    F("turn", 8, RateOfTurn),
    F("speed", 10, UnsignedScaled, 0.1f),
    F("accuracy", 1, UInt8),
    F("lon", 28, Longitude, 0.0001f),
    F("lat", 27, Latitude, 0.0001f),
    F("course", 12, Course, 0.1f),
    F("heading", 9, Heading),
    F("second", 6, TimeStamp),
    F("regional", 4, UInt8),
    F("spare", 1, UInt8),
    F("raim", 1, UInt8),
    F("radio", 19, RadioStatus),
};
static_assert(Matches(kPositionReport,
                      {0, 6, 8, 38, 42, 50, 60, 61, 89, 116, 128, 137, 143, 147, 148, 149},
                      {0, 1, 2, 6, 7, 11, 15, 16, 20, 24, 28, 30, 31, 32, 33, 34}, 168));

// Messages 4 and 11: base station report, UTC/date response.
inline constexpr AisFieldDescriptor kBaseStationReport[] = {
    F("type", 6, UInt8),
    F("repeat", 2, UInt8),
    F("mmsi", 30, Identifier),
    F("year", 14, UInt16),
    F("month", 4, UInt8),
    F("day", 5, UInt8),
    F("hour", 5, UInt8),
    F("minute", 6, UInt8),
    F("second", 6, UInt8),
    F("accuracy", 1, UInt8),
    F("lon", 28, Longitude, 0.0001f),
    F("lat", 27, Latitude, 0.0001f),
    F("epfd", 4, UInt8),
    F("spare", 10, UInt16),
    F("raim", 1, UInt8),
    F("radio", 19, RadioStatus),
};
static_assert(Matches(kBaseStationReport,
                      {0, 6, 8, 38, 52, 56, 61, 66, 72, 78, 79, 107, 134, 138, 148, 149},
                      {0, 1, 2, 6, 8, 9, 10, 11, 12, 13, 14, 18, 22, 23, 25, 26}, 168));

// Message 5: static and voyage related data.
inline constexpr AisFieldDescriptor kStaticVoyage[] = {
    F("type", 6, UInt8),         F("repeat", 2, UInt8),    F("mmsi", 30, Identifier),
    F("ais_version", 2, UInt8),  F("imo", 30, Identifier), F("callsign", 42, Text),
    F("shipname", 120, Text),    F("shiptype", 8, UInt8),  F("dimensions", 30, Dimensions),
    F("epfd", 4, UInt8),         F("eta", 20, Eta),        F("draught", 8, UnsignedScaled, 0.1f),
    F("destination", 120, Text), F("dte", 1, UInt8),       F("spare", 1, UInt8),
};
static_assert(Matches(kStaticVoyage,
                      {0, 6, 8, 38, 40, 70, 112, 232, 240, 270, 274, 294, 302, 422, 423},
                      {0, 1, 2, 6, 7, 11, 19, 40, 41, 45, 46, 50, 54, 75, 76}, 424));

// Message 6: addressed binary message.
inline constexpr AisFieldDescriptor kAddressedBinary[] = {
    F("type", 6, UInt8),  F("repeat", 2, UInt8),          F("mmsi", 30, Identifier),
    F("seqno", 2, UInt8), F("dest_mmsi", 30, Identifier), F("retransmit", 1, UInt8),
    F("spare", 1, UInt8), F("data", 0, Binary),
};
static_assert(Matches(kAddressedBinary, {0, 6, 8, 38, 40, 70, 71, 72}, {0, 1, 2, 6, 7, 11, 12, 13},
                      72));

// Messages 7 and 13: binary and safety acknowledge.
inline constexpr AisFieldDescriptor kAcknowledge[] = {
    F("type", 6, UInt8),        F("repeat", 2, UInt8),      F("mmsi", 30, Identifier),
    F("spare", 2, UInt8),       F("mmsi1", 30, Identifier), F("mmsiseq1", 2, UInt8),
    F("mmsi2", 30, Identifier), F("mmsiseq2", 2, UInt8),    F("mmsi3", 30, Identifier),
    F("mmsiseq3", 2, UInt8),    F("mmsi4", 30, Identifier), F("mmsiseq4", 2, UInt8),
};
static_assert(Matches(kAcknowledge, {0, 6, 8, 38, 40, 70, 72, 102, 104, 134, 136, 166},
                      {0, 1, 2, 6, 7, 11, 12, 16, 17, 21, 22, 26}, 168));

// Message 8: broadcast binary message.
inline constexpr AisFieldDescriptor kBroadcastBinary[] = {
    F("type", 6, UInt8),  F("repeat", 2, UInt8), F("mmsi", 30, Identifier),
    F("spare", 2, UInt8), F("data", 0, Binary),
};
static_assert(Matches(kBroadcastBinary, {0, 6, 8, 38, 40}, {0, 1, 2, 6, 7}, 40));

// Message 9: SAR aircraft position report.
inline constexpr AisFieldDescriptor kSarAircraft[] = {
    F("type", 6, UInt8),
    F("repeat", 2, UInt8),
    F("mmsi", 30, Identifier),
    F("alt", 12, UInt16),
    F("speed", 10, UnsignedScaled),
    F("accuracy", 1, UInt8),
    F("lon", 28, Longitude, 0.0001f),
    F("lat", 27, Latitude, 0.0001f),
    F("course", 12, Course, 0.1f),
    F("second", 6, TimeStamp),
    F("regional", 8, UInt8),
    F("dte", 1, UInt8),
    F("spare", 3, UInt8),
    F("assigned", 1, UInt8),
    F("raim", 1, UInt8),
    F("cs_selector", 1, UInt8),
    F("radio", 19, RadioStatus),
};
static_assert(Matches(kSarAircraft,
                      {0, 6, 8, 38, 50, 60, 61, 89, 116, 128, 134, 142, 143, 146, 147, 148, 149},
                      {0, 1, 2, 6, 8, 12, 13, 17, 21, 25, 26, 27, 28, 29, 30, 31, 32}, 168));

// Message 10: UTC/date inquiry.
inline constexpr AisFieldDescriptor kUtcInquiry[] = {
    F("type", 6, UInt8),  F("repeat", 2, UInt8),          F("mmsi", 30, Identifier),
    F("spare", 2, UInt8), F("dest_mmsi", 30, Identifier), F("spare2", 2, UInt8),
};
static_assert(Matches(kUtcInquiry, {0, 6, 8, 38, 40, 70}, {0, 1, 2, 6, 7, 11}, 72));

// Message 12: addressed safety related message.
inline constexpr AisFieldDescriptor kAddressedSafety[] = {
    F("type", 6, UInt8),  F("repeat", 2, UInt8),          F("mmsi", 30, Identifier),
    F("seqno", 2, UInt8), F("dest_mmsi", 30, Identifier), F("retransmit", 1, UInt8),
    F("spare", 1, UInt8), F("text", 6, TextToEnd),
};
static_assert(Matches(kAddressedSafety, {0, 6, 8, 38, 40, 70, 71, 72}, {0, 1, 2, 6, 7, 11, 12, 13},
                      78));

// Message 14: broadcast safety related message.
inline constexpr AisFieldDescriptor kBroadcastSafety[] = {
    F("type", 6, UInt8),  F("repeat", 2, UInt8),   F("mmsi", 30, Identifier),
    F("spare", 2, UInt8), F("text", 6, TextToEnd),
};
static_assert(Matches(kBroadcastSafety, {0, 6, 8, 38, 40}, {0, 1, 2, 6, 7}, 46));

// Message 15: interrogation.
inline constexpr AisFieldDescriptor kInterrogation[] = {
    F("type", 6, UInt8),        F("repeat", 2, UInt8),      F("mmsi", 30, Identifier),
    F("spare", 2, UInt8),       F("mmsi1", 30, Identifier), F("type1_1", 6, UInt8),
    F("offset1_1", 12, UInt16), F("spare2", 2, UInt8),      F("type1_2", 6, UInt8),
    F("offset1_2", 12, UInt16), F("spare3", 2, UInt8),      F("mmsi2", 30, Identifier),
    F("type2_1", 6, UInt8),     F("offset2_1", 12, UInt16), F("spare4", 2, UInt8),
};
static_assert(Matches(kInterrogation,
                      {0, 6, 8, 38, 40, 70, 76, 88, 90, 96, 108, 110, 140, 146, 158},
                      {0, 1, 2, 6, 7, 11, 12, 14, 15, 16, 18, 19, 23, 24, 26}, 160));

// Message 16: assigned mode command.
inline constexpr AisFieldDescriptor kAssignedMode[] = {
    F("type", 6, UInt8),         F("repeat", 2, UInt8),      F("mmsi", 30, Identifier),
    F("spare", 2, UInt8),        F("mmsi1", 30, Identifier), F("offset1", 12, UInt16),
    F("increment1", 10, UInt16), F("mmsi2", 30, Identifier), F("offset2", 12, UInt16),
    F("increment2", 10, UInt16), F("spare2", 4, UInt8),
};
static_assert(Matches(kAssignedMode, {0, 6, 8, 38, 40, 70, 82, 92, 122, 134, 144},
                      {0, 1, 2, 6, 7, 11, 13, 15, 19, 21, 23}, 148));

// Message 17: GNSS broadcast binary message, its DGNSS header only.
inline constexpr AisFieldDescriptor kGnssBroadcast[] = {
    F("type", 6, UInt8),      F("repeat", 2, UInt8),         F("mmsi", 30, Identifier),
    F("spare", 2, UInt8),     F("lon", 18, Longitude, 0.1f), F("lat", 17, Latitude, 0.1f),
    F("spare2", 5, UInt8),    F("dgnss_type", 6, UInt8),     F("station_id", 10, UInt16),
    F("z_count", 13, UInt16), F("seqno", 3, UInt8),          F("words", 5, UInt8),
    F("health", 3, UInt8),
};
static_assert(Matches(kGnssBroadcast, {0, 6, 8, 38, 40, 58, 75, 80, 86, 96, 109, 112, 117},
                      {0, 1, 2, 6, 7, 11, 15, 16, 17, 19, 21, 22, 23}, 120));

// Message 18: standard Class B position report.
inline constexpr AisFieldDescriptor kClassBPosition[] = {
    F("type", 6, UInt8),
    F("repeat", 2, UInt8),
    F("mmsi", 30, Identifier),
    F("reserved", 8, UInt8),
    F("speed", 10, UnsignedScaled, 0.1f),
    F("accuracy", 1, UInt8),
    F("lon", 28, Longitude, 0.0001f),
    F("lat", 27, Latitude, 0.0001f),
    F("course", 12, Course, 0.1f),
    F("heading", 9, Heading),
    F("second", 6, TimeStamp),
    F("regional", 2, UInt8),
    F("cs", 1, UInt8),
    F("display", 1, UInt8),
    F("dsc", 1, UInt8),
    F("band", 1, UInt8),
    F("msg22", 1, UInt8),
    F("assigned", 1, UInt8),
    F("raim", 1, UInt8),
    F("cs_selector", 1, UInt8),
    F("radio", 19, RadioStatus),
};
static_assert(Matches(
    kClassBPosition,
    {0, 6, 8, 38, 46, 56, 57, 85, 112, 124, 133, 139, 141, 142, 143, 144, 145, 146, 147, 148, 149},
    {0, 1, 2, 6, 7, 11, 12, 16, 20, 24, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36}, 168));

// Message 19: extended Class B position report.
inline constexpr AisFieldDescriptor kClassBExtended[] = {
    F("type", 6, UInt8),
    F("repeat", 2, UInt8),
    F("mmsi", 30, Identifier),
    F("reserved", 8, UInt8),
    F("speed", 10, UnsignedScaled, 0.1f),
    F("accuracy", 1, UInt8),
    F("lon", 28, Longitude, 0.0001f),
    F("lat", 27, Latitude, 0.0001f),
    F("course", 12, Course, 0.1f),
    F("heading", 9, Heading),
    F("second", 6, TimeStamp),
    F("regional", 4, UInt8),
    F("shipname", 120, Text),
    F("shiptype", 8, UInt8),
    F("dimensions", 30, Dimensions),
    F("epfd", 4, UInt8),
    F("raim", 1, UInt8),
    F("dte", 1, UInt8),
    F("assigned", 1, UInt8),
    F("spare", 4, UInt8),
};
static_assert(Matches(kClassBExtended, {0,   6,   8,   38,  46,  56,  57,  85,  112, 124,
                                        133, 139, 143, 263, 271, 301, 305, 306, 307, 308},
                      {0, 1, 2, 6, 7, 11, 12, 16, 20, 24, 26, 27, 28, 49, 50, 54, 55, 56, 57, 58},
                      312));

// Message 20: data link management.
inline constexpr AisFieldDescriptor kDataLinkManagement[] = {
    F("type", 6, UInt8),         F("repeat", 2, UInt8),       F("mmsi", 30, Identifier),
    F("spare", 2, UInt8),        F("offset1", 12, UInt16),    F("number1", 4, UInt8),
    F("timeout1", 3, UInt8),     F("increment1", 11, UInt16), F("offset2", 12, UInt16),
    F("number2", 4, UInt8),      F("timeout2", 3, UInt8),     F("increment2", 11, UInt16),
    F("offset3", 12, UInt16),    F("number3", 4, UInt8),      F("timeout3", 3, UInt8),
    F("increment3", 11, UInt16), F("offset4", 12, UInt16),    F("number4", 4, UInt8),
    F("timeout4", 3, UInt8),     F("increment4", 11, UInt16),
};
static_assert(Matches(kDataLinkManagement, {0,  6,  8,   38,  40,  52,  56,  59,  70,  82,
                                            86, 89, 100, 112, 116, 119, 130, 142, 146, 149},
                      {0, 1, 2, 6, 7, 9, 10, 11, 13, 15, 16, 17, 19, 21, 22, 23, 25, 27, 28, 29},
                      160));

// Message 21: aids-to-navigation report.
inline constexpr AisFieldDescriptor kAidToNavigation[] = {
    F("type", 6, UInt8),
    F("repeat", 2, UInt8),
    F("mmsi", 30, Identifier),
    F("aid_type", 5, UInt8),
    F("name", 120, Text),
    F("accuracy", 1, UInt8),
    F("lon", 28, Longitude, 0.0001f),
    F("lat", 27, Latitude, 0.0001f),
    F("dimensions", 30, Dimensions),
    F("epfd", 4, UInt8),
    F("second", 6, TimeStamp),
    F("off_position", 1, UInt8),
    F("regional", 8, UInt8),
    F("raim", 1, UInt8),
    F("virtual_aid", 1, UInt8),
    F("assigned", 1, UInt8),
    F("spare", 1, UInt8),
    F("name_extension", 84, Text),
    F("spare2", 4, UInt8),
};
static_assert(
    Matches(kAidToNavigation,
            {0, 6, 8, 38, 43, 163, 164, 192, 219, 249, 253, 259, 260, 268, 269, 270, 271, 272, 356},
            {0, 1, 2, 6, 7, 28, 29, 33, 37, 41, 42, 43, 44, 45, 46, 47, 48, 49, 64}, 360));

// Message 22: channel management, broadcast form. The addressed form's two
// destination MMSIs are read beside the layout walk (see the decoder).
inline constexpr AisFieldDescriptor kChannelManagement[] = {
    F("type", 6, UInt8),
    F("repeat", 2, UInt8),
    F("mmsi", 30, Identifier),
    F("spare", 2, UInt8),
    F("channel_a", 12, UInt16),
    F("channel_b", 12, UInt16),
    F("txrx", 4, UInt8),
    F("power", 1, UInt8),
    F("ne_lon", 18, Longitude, 0.1f),
    F("ne_lat", 17, Latitude, 0.1f),
    F("sw_lon", 18, Longitude, 0.1f),
    F("sw_lat", 17, Latitude, 0.1f),
    F("addressed", 1, UInt8),
    F("band_a", 1, UInt8),
    F("band_b", 1, UInt8),
    F("zonesize", 3, UInt8),
    F("spare2", 23, Identifier),
};
static_assert(Matches(kChannelManagement,
                      {0, 6, 8, 38, 40, 52, 64, 68, 69, 87, 104, 122, 139, 140, 141, 142, 145},
                      {0, 1, 2, 6, 7, 9, 11, 12, 13, 17, 21, 25, 29, 30, 31, 32, 33}, 168));

// Message 23: group assignment command.
inline constexpr AisFieldDescriptor kGroupAssignment[] = {
    F("type", 6, UInt8),
    F("repeat", 2, UInt8),
    F("mmsi", 30, Identifier),
    F("spare", 2, UInt8),
    F("ne_lon", 18, Longitude, 0.1f),
    F("ne_lat", 17, Latitude, 0.1f),
    F("sw_lon", 18, Longitude, 0.1f),
    F("sw_lat", 17, Latitude, 0.1f),
    F("station_type", 4, UInt8),
    F("ship_type", 8, UInt8),
    F("spare2", 22, Identifier),
    F("txrx", 2, UInt8),
    F("interval", 4, UInt8),
    F("quiet", 4, UInt8),
    F("spare3", 6, UInt8),
};
static_assert(Matches(kGroupAssignment,
                      {0, 6, 8, 38, 40, 58, 75, 93, 110, 114, 122, 144, 146, 150, 154},
                      {0, 1, 2, 6, 7, 11, 15, 19, 23, 24, 25, 29, 30, 31, 32}, 160));

// Message 24 part A: static data report, name.
inline constexpr AisFieldDescriptor kStaticPartA[] = {
    F("type", 6, UInt8),   F("repeat", 2, UInt8),    F("mmsi", 30, Identifier),
    F("partno", 2, UInt8), F("shipname", 120, Text),
};
static_assert(Matches(kStaticPartA, {0, 6, 8, 38, 40}, {0, 1, 2, 6, 7}, 160));

// Message 24 part B: static data report, with the 42-bit vendor id.
inline constexpr AisFieldDescriptor kStaticPartB[] = {
    F("type", 6, UInt8),     F("repeat", 2, UInt8),           F("mmsi", 30, Identifier),
    F("partno", 2, UInt8),   F("shiptype", 8, UInt8),         F("vendorid", 42, Text),
    F("callsign", 42, Text), F("dimensions", 30, Dimensions), F("spare", 6, UInt8),
};
static_assert(Matches(kStaticPartB, {0, 6, 8, 38, 40, 48, 90, 132, 162},
                      {0, 1, 2, 6, 7, 8, 16, 24, 28}, 168));

// Message 25: single slot binary message, addressed form (also message 26).
inline constexpr AisFieldDescriptor kSingleSlotAddressed[] = {
    F("type", 6, UInt8),      F("repeat", 2, UInt8),     F("mmsi", 30, Identifier),
    F("addressed", 1, UInt8), F("structured", 1, UInt8), F("dest_mmsi", 30, Identifier),
    F("dac", 10, UInt16Code), F("fid", 6, UInt8),        F("data", 82, Binary),
};
static_assert(Matches(kSingleSlotAddressed, {0, 6, 8, 38, 39, 40, 70, 80, 86},
                      {0, 1, 2, 6, 7, 8, 12, 14, 15}, 168));

// Message 25: single slot binary message, broadcast form.
inline constexpr AisFieldDescriptor kSingleSlotBroadcast[] = {
    F("type", 6, UInt8),      F("repeat", 2, UInt8),     F("mmsi", 30, Identifier),
    F("addressed", 1, UInt8), F("structured", 1, UInt8), F("dac", 10, UInt16Code),
    F("fid", 6, UInt8),       F("data", 112, Binary),
};
static_assert(Matches(kSingleSlotBroadcast, {0, 6, 8, 38, 39, 40, 50, 56},
                      {0, 1, 2, 6, 7, 8, 10, 11}, 168));

// Message 63, sub-id 99: the system's own messages, subtypes 1 to 4.
inline constexpr AisFieldDescriptor kOwnSubtype1[] = {
    F("type", 6, UInt8),     F("sub_id", 8, UInt8),     F("subtype", 4, UInt8),
    F("field_4", 4, UInt8),  F("field_5", 14, UInt16),  F("field_6", 4, UInt8),
    F("field_7", 5, UInt8),  F("field_8", 6, UInt8),    F("field_9", 6, UInt8),
    F("field_10", 6, UInt8), F("field_11", 14, UInt16), F("field_12", 4, UInt8),
    F("field_13", 5, UInt8), F("field_14", 6, UInt8),   F("field_15", 6, UInt8),
    F("field_16", 6, UInt8), F("field_17", 4, UInt8),
};
static_assert(Matches(kOwnSubtype1,
                      {0, 6, 14, 18, 22, 36, 40, 45, 51, 57, 63, 77, 81, 86, 92, 98, 104},
                      {0, 1, 2, 3, 4, 6, 7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18}, 108));

inline constexpr AisFieldDescriptor kOwnSubtype2[] = {
    F("type", 6, UInt8),
    F("sub_id", 8, UInt8),
    F("subtype", 4, UInt8),
    F("text_1", 42, Text),
    F("text_2", 120, Text),
    F("dimensions_1", 30, Dimensions),
    F("dimensions_2", 30, Dimensions),
};
static_assert(Matches(kOwnSubtype2, {0, 6, 14, 18, 60, 180, 210}, {0, 1, 2, 3, 11, 32, 36}, 240));

inline constexpr AisFieldDescriptor kOwnSubtype3[] = {
    F("type", 6, UInt8),
    F("sub_id", 8, UInt8),
    F("subtype", 4, UInt8),
    F("identifier_1", 30, Identifier),
    F("identifier_2", 30, Identifier),
    F("text", 96, Text),
    F("field_7", 14, UInt16),
    F("field_8", 4, UInt8),
    F("field_9", 5, UInt8),
    F("field_10", 24, Identifier),
    F("field_11", 1, UInt8),
    F("field_12", 2, UInt8),
};
static_assert(Matches(kOwnSubtype3, {0, 6, 14, 18, 48, 78, 174, 188, 192, 197, 221, 222},
                      {0, 1, 2, 3, 7, 11, 28, 30, 31, 32, 36, 37}, 224));

inline constexpr AisFieldDescriptor kOwnSubtype4[] = {
    F("type", 6, UInt8),   F("sub_id", 8, UInt8),   F("subtype", 4, UInt8), F("field_4", 5, UInt8),
    F("flag_5", 1, UInt8), F("flag_6", 1, UInt8),   F("flag_7", 1, UInt8),  F("flag_8", 1, UInt8),
    F("flag_9", 1, UInt8), F("field_10", 4, UInt8),
};
static_assert(Matches(kOwnSubtype4, {0, 6, 14, 18, 23, 24, 25, 26, 27, 28},
                      {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 32));

template <std::size_t N>
constexpr AisMessageLayout Layout(const AisFieldDescriptor (&fields)[N]) {
  static_assert(N > 0);
  return {static_cast<std::uint32_t>(N), fields};
}

}  // namespace layouts

// The 32 slots: an ordinary message n uses slot n - 1; the decoder picks the
// slot of messages 22, 24, 25 and 63. Slot 27 stays empty.
using AisLayoutTable = std::array<AisMessageLayout, 32>;

constexpr AisLayoutTable AisInitLayouts() {
  using namespace layouts;
  AisLayoutTable table{};
  table[0] = table[1] = table[2] = Layout(kPositionReport);
  table[3] = table[10] = Layout(kBaseStationReport);
  table[4] = Layout(kStaticVoyage);
  table[5] = Layout(kAddressedBinary);
  table[6] = table[12] = Layout(kAcknowledge);
  table[7] = Layout(kBroadcastBinary);
  table[8] = Layout(kSarAircraft);
  table[9] = Layout(kUtcInquiry);
  table[11] = Layout(kAddressedSafety);
  table[13] = Layout(kBroadcastSafety);
  table[14] = Layout(kInterrogation);
  table[15] = Layout(kAssignedMode);
  table[16] = Layout(kGnssBroadcast);
  table[17] = Layout(kClassBPosition);
  table[18] = Layout(kClassBExtended);
  table[19] = Layout(kDataLinkManagement);
  table[20] = Layout(kAidToNavigation);
  table[21] = Layout(kChannelManagement);
  table[22] = Layout(kGroupAssignment);
  table[23] = Layout(kStaticPartA);
  table[24] = Layout(kStaticPartB);
  table[25] = Layout(kSingleSlotAddressed);
  table[26] = Layout(kSingleSlotBroadcast);
  table[28] = Layout(kOwnSubtype1);
  table[29] = Layout(kOwnSubtype2);
  table[30] = Layout(kOwnSubtype3);
  table[31] = Layout(kOwnSubtype4);
  return table;
}

inline constexpr AisLayoutTable kAisLayouts = AisInitLayouts();

// Slots the decoder picks beyond "message id - 1".
inline constexpr std::size_t kSlotChannelManagement = 21;
inline constexpr std::size_t kSlotStaticPartA = 23;
inline constexpr std::size_t kSlotStaticPartB = 24;
inline constexpr std::size_t kSlotSingleSlotAddressed = 25;
inline constexpr std::size_t kSlotSingleSlotBroadcast = 26;
inline constexpr std::size_t kSlotOwnSubtypeBase = 27;  // + subtype 1..4

// Where the decoder stores a field in the record, and how many bytes it
// takes there.
struct AisRecordField {
  std::size_t at;
  std::size_t bytes;
};

// The record field called `name` in a layout; a name that the layout does
// not hold stops the compilation where it is used as a constant.
constexpr AisRecordField AisFieldOf(const AisMessageLayout& layout, std::string_view name) {
  std::size_t at = 0;
  for (const AisFieldDescriptor& field : layout.Fields()) {
    const std::size_t bytes = AisRecordBytes(field.kind, field.width);
    if (field.name == name) return {at, bytes};
    at += bytes;
  }
  throw "no such field in the layout";
}

constexpr std::size_t AisRecordOffset(const AisMessageLayout& layout, std::string_view name) {
  return AisFieldOf(layout, name).at;
}

// Where a field lies in the message and in the record: its first bit and
// width, its record offset, and its index in the layout.
struct AisFieldPlace {
  std::uint16_t bit;
  std::uint16_t width;
  std::size_t at;
  std::size_t index;
};

constexpr AisFieldPlace AisPlaceOf(const AisMessageLayout& layout, std::string_view name) {
  std::uint16_t bit = 0;
  std::size_t at = 0;
  std::size_t index = 0;
  for (const AisFieldDescriptor& field : layout.Fields()) {
    if (field.name == name) return {bit, field.width, at, index};
    bit = static_cast<std::uint16_t>(bit + field.width);
    at += AisRecordBytes(field.kind, field.width);
    ++index;
  }
  throw "no such field in the layout";
}

// The fields that pick the layout of messages 22, 24, 25 and 63, read from
// the bits before the walk, and the two destinations of an addressed message
// 22, which the broadcast layout it is decoded with does not hold: they are
// stored after that layout's fields.
namespace selector {
inline constexpr const AisMessageLayout& kChannelManagement = kAisLayouts[kSlotChannelManagement];
inline constexpr AisFieldPlace kSubId = AisPlaceOf(kAisLayouts[kSlotOwnSubtypeBase + 1], "sub_id");
inline constexpr AisFieldPlace kSubtype =
    AisPlaceOf(kAisLayouts[kSlotOwnSubtypeBase + 1], "subtype");
inline constexpr AisFieldPlace kPartNumber = AisPlaceOf(kAisLayouts[kSlotStaticPartA], "partno");
inline constexpr AisFieldPlace kDestinationIndicator =
    AisPlaceOf(kAisLayouts[kSlotSingleSlotAddressed], "addressed");
inline constexpr AisFieldPlace kAddressed = AisPlaceOf(kChannelManagement, "addressed");
constexpr std::size_t RecordEnd(const AisMessageLayout& layout) {
  std::size_t at = 0;
  for (const AisFieldDescriptor& field : layout.Fields())
    at += AisRecordBytes(field.kind, field.width);
  return at;
}
inline constexpr AisFieldPlace kDestination1 = {AisPlaceOf(kChannelManagement, "ne_lon").bit, 30,
                                                RecordEnd(kChannelManagement), 0};
inline constexpr AisFieldPlace kDestination2 = {AisPlaceOf(kChannelManagement, "sw_lon").bit, 30,
                                                kDestination1.at + 4, 0};

// Every layout of a message picks its layout from the same bits.
static_assert(kPartNumber.bit == AisPlaceOf(kAisLayouts[kSlotStaticPartB], "partno").bit);
static_assert(kDestinationIndicator.bit ==
              AisPlaceOf(kAisLayouts[kSlotSingleSlotBroadcast], "addressed").bit);
static_assert(kSubtype.bit == AisPlaceOf(kAisLayouts[kSlotOwnSubtypeBase + 4], "subtype").bit);
// The values the rules give: bits 139, 69 and 104, record bytes 29, 37, 41.
static_assert(kAddressed.bit == 139 && kAddressed.at == 29);
static_assert(kDestination1.bit == 69 && kDestination1.at == 37);
static_assert(kDestination2.bit == 104 && kDestination2.at == 41);
}  // namespace selector

// Every layout holds only defined kinds and unique names.
constexpr bool AllLayoutsWellFormed(const AisLayoutTable& table) {
  for (const AisMessageLayout& layout : table) {
    if (!layouts::NamesUnique(layout.Fields())) return false;
    for (const AisFieldDescriptor& field : layout.Fields()) {
      if (!AisIsFieldKind(field.kind)) return false;
    }
  }
  return true;
}
static_assert(AllLayoutsWellFormed(kAisLayouts));

}  // namespace store
