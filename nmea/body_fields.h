#pragma once
// The fields of each sentence body by name, as constant data: where a value
// lies in the body, what it is, and which value stands for "empty". The
// command line walks these tables to print a parsed sentence; the formatter
// table (nmea/formatters.h) gives each formatter its table.
//
// A field is one value, an array of `count` values `size` bytes apart, or a
// group: an array of `count` objects whose members are such arrays side by
// side (DBG keeps its four codes, then its four values).

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

#include "nmea/sentence_bodies.h"

namespace nmea {

enum class FieldKind : std::uint8_t {
  Integer,        // `size` bytes, signed when `isSigned`
  Real,           // a float
  Char,           // one character; empty as a space, 0 or kEmptyByte
  Text,           // NUL-terminated within `size` bytes; empty as "" or " "
  Time,           // UtcTime; empty from hour kNoHour on
  Date,           // Date; empty when the year is 0
  Latitude,       // degrees; empty beyond 90
  Longitude,      // degrees; empty beyond 180
  ChannelLetter,  // a channel number shown as A, B, ...; empty as kEmptyByte
  Hex,            // `size` bytes as hexadecimal
  HexIf,          // one byte as hexadecimal when the byte at `linkAt` is not 0
  HexCounted,     // bytes as hexadecimal; their count is the byte at `linkAt`
  Group,          // an array of objects made of `members`
};

enum class EmptyRule : std::uint8_t {
  None,   // every value is a value
  Equal,  // empty when it equals `emptyValue`
  Below,  // empty when below `emptyValue` (or not finite)
};

struct BodyField {
  std::string_view name;
  FieldKind kind;
  std::uint8_t at;    // offset in the body of the (first) value
  std::uint8_t size;  // bytes of one value; a text's capacity
  bool isSigned = false;
  EmptyRule empty = EmptyRule::None;
  double emptyValue = 0.0;
  std::uint8_t count = 1;     // more than 1: an array of values (or of objects)
  std::int16_t countAt = -1;  // the byte that says how many of them are used
  bool skipEmpty = false;     // the array leaves its empty values out
  std::int16_t linkAt = -1;   // the flag or count byte of HexIf and HexCounted
  std::span<const BodyField> members = {};

  // Where value `index` of the field lies.
  constexpr std::size_t At(std::size_t index) const { return at + index * size; }
};

namespace body_fields {

// A number of type T at offset At (the pair NMEA_AT gives).
template <typename T, std::size_t At>
constexpr BodyField Number(std::string_view name, EmptyRule empty = EmptyRule::None,
                           double emptyValue = 0.0) {
  using Value = std::remove_all_extents_t<T>;
  constexpr auto at = static_cast<std::uint8_t>(At);
  if constexpr (std::is_floating_point_v<Value>) {
    return {name, FieldKind::Real, at, sizeof(Value), true, empty, emptyValue};
  } else {
    return {name,  FieldKind::Integer, at, sizeof(Value), std::is_signed_v<Value>,
            empty, emptyValue};
  }
}

// A number that is empty when it holds `sentinel`.
template <typename T, std::size_t At>
constexpr BodyField Optional(std::string_view name, double sentinel) {
  return Number<T, At>(name, EmptyRule::Equal, sentinel);
}

// A real that is empty when it holds the kEmptyReal sentinel.
template <typename T, std::size_t At>
constexpr BodyField Measured(std::string_view name) {
  return Number<T, At>(name, EmptyRule::Below, kRealPresentFrom);
}

constexpr BodyField Of(std::string_view name, FieldKind kind, std::size_t at,
                       std::size_t size = 1) {
  return {name, kind, static_cast<std::uint8_t>(at), static_cast<std::uint8_t>(size)};
}

// The two angles of a position group at `at`, under names of their own.
constexpr BodyField Lat(std::string_view name, std::size_t at) {
  return Of(name, FieldKind::Latitude, at, 4);
}
constexpr BodyField Lon(std::string_view name, std::size_t at) {
  return Of(name, FieldKind::Longitude, at + 4, 4);
}

constexpr BodyField Array(BodyField field, std::size_t count, bool skipEmpty = false) {
  field.count = static_cast<std::uint8_t>(count);
  field.skipEmpty = skipEmpty;
  return field;
}

constexpr BodyField Objects(std::string_view name, std::span<const BodyField> members,
                            std::size_t count, std::int16_t countAt = -1) {
  BodyField field = Of(name, FieldKind::Group, 0, 0);
  field.members = members;
  field.count = static_cast<std::uint8_t>(count);
  field.countAt = countAt;
  return field;
}

constexpr BodyField Linked(BodyField field, std::size_t linkAt) {
  field.linkAt = static_cast<std::int16_t>(linkAt);
  return field;
}

}  // namespace body_fields

// Offsets and types of body members, for the tables below only.
#define NMEA_AT(Body, member) decltype(Body::member), offsetof(Body, member)
#define NMEA_OF(Body, member) offsetof(Body, member), sizeof(Body::member)

namespace body_fields {

using enum FieldKind;

// --- GNSS -----------------------------------------------------------------

inline constexpr BodyField kGgaFields[] = {
    Of("time", Time, offsetof(GgaBody, time)),
    Lat("lat", offsetof(GgaBody, position)),
    Lon("lon", offsetof(GgaBody, position)),
    Optional<NMEA_AT(GgaBody, quality)>("quality", kEmptyByte),
    Optional<NMEA_AT(GgaBody, satellites)>("satellites", static_cast<std::int8_t>(kEmptyByte)),
    Measured<NMEA_AT(GgaBody, hdop)>("hdop"),
    Measured<NMEA_AT(GgaBody, altitude)>("altitude"),
    Of("altitude_unit", Char, offsetof(GgaBody, altitudeUnit)),
    Measured<NMEA_AT(GgaBody, geoidSeparation)>("geoid_separation"),
    Of("separation_unit", Char, offsetof(GgaBody, separationUnit)),
    Measured<NMEA_AT(GgaBody, differentialAge)>("differential_age"),
    Optional<NMEA_AT(GgaBody, differentialStation)>("differential_station", kNoStation),
};

inline constexpr BodyField kGllFields[] = {
    Lat("lat", offsetof(GllBody, position)),   Lon("lon", offsetof(GllBody, position)),
    Of("time", Time, offsetof(GllBody, time)), Of("status", Char, offsetof(GllBody, status)),
    Of("mode", Char, offsetof(GllBody, mode)),
};

inline constexpr BodyField kGnsFields[] = {
    Of("time", Time, offsetof(GnsBody, time)),
    Lat("lat", offsetof(GnsBody, position)),
    Lon("lon", offsetof(GnsBody, position)),
    Of("mode", Text, NMEA_OF(GnsBody, mode)),
    Of("satellites", Text, NMEA_OF(GnsBody, satellites)),
    Measured<NMEA_AT(GnsBody, hdop)>("hdop"),
    Measured<NMEA_AT(GnsBody, altitude)>("altitude"),
    Measured<NMEA_AT(GnsBody, geoidSeparation)>("geoid_separation"),
    Measured<NMEA_AT(GnsBody, differentialAge)>("differential_age"),
    Measured<NMEA_AT(GnsBody, differentialStation)>("differential_station"),
};

inline constexpr BodyField kRmaFields[] = {
    Of("status", Char, offsetof(RmaBody, status)),
    Lat("lat", offsetof(RmaBody, position)),
    Lon("lon", offsetof(RmaBody, position)),
};

inline constexpr BodyField kRmcFields[] = {
    Of("time", Time, offsetof(RmcBody, time)),
    Of("status", Char, offsetof(RmcBody, status)),
    Lat("lat", offsetof(RmcBody, position)),
    Lon("lon", offsetof(RmcBody, position)),
    Measured<NMEA_AT(RmcBody, speed)>("speed_knots"),
    Measured<NMEA_AT(RmcBody, course)>("course"),
    Of("date", Date, offsetof(RmcBody, date)),
    Measured<NMEA_AT(RmcBody, variation)>("variation"),
    Of("variation_direction", Char, offsetof(RmcBody, variationDirection)),
    Of("mode", Char, offsetof(RmcBody, mode)),
};

inline constexpr BodyField kVtgFields[] = {
    Measured<NMEA_AT(VtgBody, courseTrue)>("course_true"),
    Of("course_true_reference", Char, offsetof(VtgBody, courseTrueReference)),
    Measured<NMEA_AT(VtgBody, courseMagnetic)>("course_magnetic"),
    Of("course_magnetic_reference", Char, offsetof(VtgBody, courseMagneticReference)),
    Measured<NMEA_AT(VtgBody, speedKnots)>("speed_knots"),
    Of("knots_unit", Char, offsetof(VtgBody, knotsUnit)),
    Measured<NMEA_AT(VtgBody, speedKmh)>("speed_kmh"),
    Of("kmh_unit", Char, offsetof(VtgBody, kmhUnit)),
    Of("mode", Char, offsetof(VtgBody, mode)),
};

inline constexpr BodyField kZdaFields[] = {
    Of("time", Time, offsetof(ZdaBody, time)),
    Optional<NMEA_AT(ZdaBody, day)>("day", static_cast<std::int8_t>(kEmptyByte)),
    Optional<NMEA_AT(ZdaBody, month)>("month", static_cast<std::int8_t>(kEmptyByte)),
    Optional<NMEA_AT(ZdaBody, year)>("year", kNoYear),
    Optional<NMEA_AT(ZdaBody, zoneHours)>("zone_hours", static_cast<std::int8_t>(kEmptyByte)),
    Optional<NMEA_AT(ZdaBody, zoneMinutes)>("zone_minutes", static_cast<std::int8_t>(kEmptyByte)),
};

// The offsets and the reference datum keep what the last sentence left.
inline constexpr BodyField kDtmFields[] = {
    Of("local_datum", Text, NMEA_OF(DtmBody, localDatum)),
    Of("subdivision", Char, offsetof(DtmBody, subdivision)),
    Number<NMEA_AT(DtmBody, latitudeOffset)>("latitude_offset"),
    Number<NMEA_AT(DtmBody, longitudeOffset)>("longitude_offset"),
    Number<NMEA_AT(DtmBody, altitudeOffset)>("altitude_offset"),
    Of("reference_datum", Text, NMEA_OF(DtmBody, referenceDatum)),
};

inline constexpr BodyField kGbsFields[] = {
    Of("time", Time, offsetof(GbsBody, time)),
    Measured<NMEA_AT(GbsBody, latitudeError)>("latitude_error"),
    Measured<NMEA_AT(GbsBody, longitudeError)>("longitude_error"),
    Measured<NMEA_AT(GbsBody, altitudeError)>("altitude_error"),
    Optional<NMEA_AT(GbsBody, failedSatellite)>("failed_satellite", kNoSatellite),
    Measured<NMEA_AT(GbsBody, missedProbability)>("missed_probability"),
    Measured<NMEA_AT(GbsBody, bias)>("bias"),
    Measured<NMEA_AT(GbsBody, biasDeviation)>("bias_deviation"),
};

inline constexpr BodyField kGsaFields[] = {
    Of("mode", Char, offsetof(GsaBody, mode)),
    Number<NMEA_AT(GsaBody, fixType)>("fix_type"),
    Array(Optional<NMEA_AT(GsaBody, satellites)>("satellites", kNoSatellite), 12, true),
    Measured<NMEA_AT(GsaBody, pdop)>("pdop"),
    Measured<NMEA_AT(GsaBody, hdop)>("hdop"),
    Measured<NMEA_AT(GsaBody, vdop)>("vdop"),
};

inline constexpr BodyField kGsvSatellite[] = {
    Optional<NMEA_AT(GsvBody, ids)>("id", kNoSatellite),
    Optional<NMEA_AT(GsvBody, elevations)>("elevation", static_cast<std::int8_t>(kEmptyByte)),
    Optional<NMEA_AT(GsvBody, azimuths)>("azimuth", kNoAzimuth),
    Optional<NMEA_AT(GsvBody, snr)>("snr", static_cast<std::int8_t>(kEmptyByte)),
};

inline constexpr BodyField kGsvFields[] = {
    Number<NMEA_AT(GsvBody, total)>("total"),
    Number<NMEA_AT(GsvBody, number)>("number"),
    Number<NMEA_AT(GsvBody, inView)>("in_view"),
    Objects("satellites", kGsvSatellite, 4, offsetof(GsvBody, count)),
};

inline constexpr BodyField kGrsFields[] = {
    Of("time", Time, offsetof(GrsBody, time)),
    Of("residual_mode", Char, offsetof(GrsBody, residualMode)),
    Array(Measured<NMEA_AT(GrsBody, residuals)>("residuals"), 12),
};

inline constexpr BodyField kGstFields[] = {
    Of("time", Time, offsetof(GstBody, time)),
    Measured<NMEA_AT(GstBody, rms)>("rms"),
    Measured<NMEA_AT(GstBody, semiMajor)>("semi_major"),
    Measured<NMEA_AT(GstBody, semiMinor)>("semi_minor"),
    Measured<NMEA_AT(GstBody, orientation)>("orientation"),
    Measured<NMEA_AT(GstBody, latitudeError)>("latitude_error"),
    Measured<NMEA_AT(GstBody, longitudeError)>("longitude_error"),
    Measured<NMEA_AT(GstBody, altitudeError)>("altitude_error"),
};

// --- heading, speed and waypoints -----------------------------------------

inline constexpr BodyField kHdtFields[] = {
    Optional<NMEA_AT(HdtBody, heading)>("heading", kNoHeading),
    Of("reference", Char, offsetof(HdtBody, reference)),
};

inline constexpr BodyField kRotFields[] = {
    Measured<NMEA_AT(RotBody, rate)>("rate"),
    Of("status", Char, offsetof(RotBody, status)),
};

inline constexpr BodyField kVbwFields[] = {
    Number<NMEA_AT(VbwBody, waterLongitudinal)>("water_longitudinal"),
    Number<NMEA_AT(VbwBody, waterTransverse)>("water_transverse"),
    Of("water_status", Char, offsetof(VbwBody, waterStatus)),
    Number<NMEA_AT(VbwBody, groundLongitudinal)>("ground_longitudinal"),
    Number<NMEA_AT(VbwBody, groundTransverse)>("ground_transverse"),
    Of("ground_status", Char, offsetof(VbwBody, groundStatus)),
};

inline constexpr BodyField kOsdFields[] = {
    Number<NMEA_AT(OsdBody, heading)>("heading"),
    Of("heading_status", Char, offsetof(OsdBody, headingStatus)),
    Number<NMEA_AT(OsdBody, course)>("course"),
    Of("course_reference", Char, offsetof(OsdBody, courseReference)),
    Number<NMEA_AT(OsdBody, speed)>("speed"),
    Of("speed_reference", Char, offsetof(OsdBody, speedReference)),
    Number<NMEA_AT(OsdBody, set)>("set"),
    Number<NMEA_AT(OsdBody, drift)>("drift"),
    Of("speed_units", Char, offsetof(OsdBody, speedUnits)),
};

inline constexpr BodyField kWplFields[] = {
    Lat("lat", offsetof(WplBody, position)),
    Lon("lon", offsetof(WplBody, position)),
    Of("waypoint", Text, NMEA_OF(WplBody, identifier)),
};

// --- AIS station --------------------------------------------------------------

// The channel of a VDM or VDO sentence is the character received; that of
// ABM and BBM a number.
inline constexpr BodyField kVdmFields[] = {
    Number<NMEA_AT(EncapsulationBody, total)>("total"),
    Number<NMEA_AT(EncapsulationBody, number)>("number"),
    Optional<NMEA_AT(EncapsulationBody, sequenceId)>("sequence_id",
                                                     static_cast<std::int8_t>(kEmptyByte)),
    Of("channel", Char, offsetof(EncapsulationBody, channel)),
    Of("payload", Text, NMEA_OF(EncapsulationBody, payload)),
    Optional<NMEA_AT(EncapsulationBody, fillBits)>("fill_bits",
                                                   static_cast<std::int8_t>(kEmptyByte)),
};

inline constexpr BodyField kBbmFields[] = {
    Number<NMEA_AT(EncapsulationBody, total)>("total"),
    Number<NMEA_AT(EncapsulationBody, number)>("number"),
    Optional<NMEA_AT(EncapsulationBody, sequenceId)>("sequence_id",
                                                     static_cast<std::int8_t>(kEmptyByte)),
    Optional<std::int8_t, offsetof(EncapsulationBody, channel)>(
        "channel", static_cast<std::int8_t>(kEmptyByte)),
    Of("payload", Text, NMEA_OF(EncapsulationBody, payload)),
    Optional<NMEA_AT(EncapsulationBody, fillBits)>("fill_bits",
                                                   static_cast<std::int8_t>(kEmptyByte)),
    Number<NMEA_AT(EncapsulationBody, messageId)>("message_id"),
};

inline constexpr BodyField kAbmFields[] = {
    kBbmFields[0], kBbmFields[1],
    kBbmFields[2], kBbmFields[3],
    kBbmFields[4], kBbmFields[5],
    kBbmFields[6], Number<NMEA_AT(EncapsulationBody, destination)>("destination"),
};

inline constexpr BodyField kAbkFields[] = {
    Number<NMEA_AT(AbkBody, mmsi)>("mmsi"),
    Of("channel", ChannelLetter, offsetof(AbkBody, channel)),
    Number<NMEA_AT(AbkBody, messageId)>("message_id"),
    Number<NMEA_AT(AbkBody, sequenceNumber)>("sequence_number"),
    Number<NMEA_AT(AbkBody, acknowledgementType)>("acknowledgement_type"),
};

inline constexpr BodyField kAcaFields[] = {
    Number<NMEA_AT(AcaBody, sequenceNumber)>("sequence_number"),
    Lat("northeast_lat", offsetof(AcaBody, northEast)),
    Lon("northeast_lon", offsetof(AcaBody, northEast)),
    Lat("southwest_lat", offsetof(AcaBody, southWest)),
    Lon("southwest_lon", offsetof(AcaBody, southWest)),
    Number<NMEA_AT(AcaBody, transitionZone)>("transition_zone"),
    Number<NMEA_AT(AcaBody, channelA)>("channel_a"),
    Number<NMEA_AT(AcaBody, bandwidthA)>("bandwidth_a"),
    Number<NMEA_AT(AcaBody, channelB)>("channel_b"),
    Number<NMEA_AT(AcaBody, bandwidthB)>("bandwidth_b"),
    Number<NMEA_AT(AcaBody, txRxMode)>("tx_rx_mode"),
    Number<NMEA_AT(AcaBody, powerLevel)>("power_level"),
    Of("source", Char, offsetof(AcaBody, source)),
    Number<NMEA_AT(AcaBody, inUse)>("in_use"),
    Of("in_use_changed", Time, offsetof(AcaBody, inUseChanged)),
};

inline constexpr BodyField kAckFields[] = {
    Optional<NMEA_AT(AckBody, alarmId)>("alarm_id", kNoAlarmId),
};

inline constexpr BodyField kAcsFields[] = {
    Number<NMEA_AT(AcsBody, sequenceNumber)>("sequence_number"),
    Number<NMEA_AT(AcsBody, mmsi)>("mmsi"),
    Of("time", Time, offsetof(AcsBody, time)),
    Number<NMEA_AT(AcsBody, day)>("day"),
    Number<NMEA_AT(AcsBody, month)>("month"),
    Number<NMEA_AT(AcsBody, year)>("year"),
};

inline constexpr BodyField kAlrFields[] = {
    Of("time", Time, offsetof(AlrBody, time)),
    Number<NMEA_AT(AlrBody, alarmId)>("alarm_id"),
    Of("condition", Char, offsetof(AlrBody, condition)),
    Of("acknowledgement", Char, offsetof(AlrBody, acknowledgement)),
    Of("text", Text, NMEA_OF(AlrBody, text)),
};

inline constexpr BodyField kSsdFields[] = {
    Of("call_sign", Text, NMEA_OF(SsdBody, callSign)),
    Of("name", Text, NMEA_OF(SsdBody, name)),
    Optional<NMEA_AT(SsdBody, referenceA)>("reference_a", kNoReferenceAB),
    Optional<NMEA_AT(SsdBody, referenceB)>("reference_b", kNoReferenceAB),
    Optional<NMEA_AT(SsdBody, referenceC)>("reference_c", kNoReferenceCD),
    Optional<NMEA_AT(SsdBody, referenceD)>("reference_d", kNoReferenceCD),
    Optional<NMEA_AT(SsdBody, dte)>("dte", kNoDte),
    Of("source", Text, NMEA_OF(SsdBody, source)),
};

inline constexpr BodyField kVsdFields[] = {
    Optional<NMEA_AT(VsdBody, shipType)>("ship_type", kNoShipType),
    Measured<NMEA_AT(VsdBody, draught)>("draught"),
    Optional<NMEA_AT(VsdBody, persons)>("persons", kNoPersons),
    Of("destination", Text, NMEA_OF(VsdBody, destination)),
    Of("eta", Time, offsetof(VsdBody, eta)),
    Optional<NMEA_AT(VsdBody, etaDay)>("eta_day", kNoEtaDay),
    Optional<NMEA_AT(VsdBody, etaMonth)>("eta_month", kNoEtaMonth),
    Optional<NMEA_AT(VsdBody, navigationalStatus)>("navigational_status", kEmptyByte),
    Number<NMEA_AT(VsdBody, regionalFlags)>("regional_flags"),
};

inline constexpr BodyField kTxtFields[] = {
    Optional<NMEA_AT(TxtBody, total)>("total", static_cast<std::int8_t>(kEmptyByte)),
    Optional<NMEA_AT(TxtBody, number)>("number", static_cast<std::int8_t>(kEmptyByte)),
    Optional<NMEA_AT(TxtBody, identifier)>("identifier", static_cast<std::int8_t>(kEmptyByte)),
    Of("text", Text, NMEA_OF(TxtBody, text)),
};

// --- queries ----------------------------------------------------------------

inline constexpr BodyField kQueryFields[] = {
    Of("requested", Text, NMEA_OF(QueryBody, requested)),
};

inline constexpr BodyField kAiqFields[] = {
    Of("requested", Text, NMEA_OF(AiqBody, requested)),
    Number<NMEA_AT(AiqBody, number)>("number"),
};

inline constexpr BodyField kSmgFields[] = {
    Of("text", Text, NMEA_OF(SmgBody, text)),
    Number<NMEA_AT(SmgBody, number)>("number"),
};

// --- maker sentences ----------------------------------------------------------

inline constexpr BodyField kMidFields[] = {
    Array(Optional<NMEA_AT(MidBody, identifiers)>("identifiers", kNoIdentifier), 2),
};

inline constexpr BodyField kBdyFields[] = {
    Optional<NMEA_AT(BdyBody, identifier)>("identifier", kNoIdentifier),
    Of("text_1", Text, NMEA_OF(BdyBody, text1)),
    Of("text_2", Text, NMEA_OF(BdyBody, text2)),
    Optional<NMEA_AT(BdyBody, flag1)>("flag_1", kNoFlag),
    Optional<NMEA_AT(BdyBody, flag2)>("flag_2", kNoFlag),
};

inline constexpr BodyField kTstFields[] = {
    Optional<NMEA_AT(TstBody, number)>("number", kNoTstNumber),
    Optional<NMEA_AT(TstBody, twoDigit)>("two_digit", kNoTwoDigit),
    Of("lower_letter", Char, offsetof(TstBody, lowerLetter)),
    Of("upper_letter", Char, offsetof(TstBody, upperLetter)),
    Optional<NMEA_AT(TstBody, value)>("value", kNoTstValue),
};

inline constexpr BodyField kFrqPair[] = {
    Optional<NMEA_AT(FrqBody, identifiers)>("identifier", kNoIdentifier),
    Optional<NMEA_AT(FrqBody, levels)>("level", kEmptyByte),
};

inline constexpr BodyField kFrqFields[] = {
    Objects("pairs", kFrqPair, 2),
};

inline constexpr BodyField kBthFields[] = {
    Array(Optional<NMEA_AT(BthBody, values)>("values", kNoBthValue), 6),
    Of("text", Text, NMEA_OF(BthBody, text)),
};

inline constexpr BodyField kDbgPair[] = {
    Optional<NMEA_AT(DbgBody, codes)>("code", kNoCode),
    Optional<NMEA_AT(DbgBody, values)>("value", static_cast<std::int32_t>(kEmptyU32)),
};

inline constexpr BodyField kDbgFields[] = {
    Objects("pairs", kDbgPair, 4),
};

inline constexpr BodyField kTpsFields[] = {
    Optional<NMEA_AT(TpsBody, number)>("code", kNoCode),
    Of("text", Text, NMEA_OF(TpsBody, text)),
};

inline constexpr BodyField kMobFields[] = {
    Of("identifier", Hex, NMEA_OF(MobBody, identifier)),
    Optional<NMEA_AT(MobBody, number)>("number", kNoMobByte),
    Optional<NMEA_AT(MobBody, code)>("code", kNoMobByte),
    Linked(Of("optional", HexIf, offsetof(MobBody, optional)), offsetof(MobBody, hasOptional)),
    Linked(Of("data", HexCounted, NMEA_OF(MobBody, data)), offsetof(MobBody, dataLength)),
};

}  // namespace body_fields

#undef NMEA_AT
#undef NMEA_OF

}  // namespace nmea
