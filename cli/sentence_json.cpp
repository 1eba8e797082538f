#include "cli/sentence_json.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#include <fmt/core.h>

namespace cli {
namespace {

using nmea::SentenceBody;

// A 32-bit real as the shortest decimal that reads back to it, so 49.27417f
// prints as 49.27417 and not as 49.274169921875.
double Shortest(float value) {
  const std::string text = fmt::format("{}", value);
  double result = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), result);
  return result;
}

Json Real(float value) {
  if (!(value >= -99999.0f) || !std::isfinite(value)) return nullptr;
  return Shortest(value);
}

Json Latitude(float value) {
  return std::fabs(value) <= 90.0f ? Json(Shortest(value)) : Json(nullptr);
}

Json Longitude(float value) {
  return std::fabs(value) <= 180.0f ? Json(Shortest(value)) : Json(nullptr);
}

Json Time(const nmea::UtcTime& time) {
  if (time.hour >= 24) return nullptr;
  return fmt::format("{:02}:{:02}:{:02}.{:02}", time.hour, time.minute, time.second,
                     time.hundredths);
}

Json Date(const nmea::Date& date) {
  if (date.year == 0) return nullptr;
  const unsigned year = date.year;
  const unsigned month = date.month;
  const unsigned day = date.day;
  return fmt::format("{:04}-{:02}-{:02}", year, month, day);
}

// A character field: null when empty (a space, 0 or the 0x80 sentinel).
Json Char(char c) {
  if (c == ' ' || c == '\0' || static_cast<unsigned char>(c) == nmea::kEmptyByte) return nullptr;
  return std::string(1, c);
}

// A text field of `capacity` bytes: null when empty or the empty marker.
Json Text(const char* text, std::size_t capacity) {
  const std::size_t length = strnlen(text, capacity);
  if (length == 0 || (length == 1 && text[0] == ' ')) return nullptr;
  return std::string(text, length);
}

// Body fields are packed: they reach fmt and nlohmann (which take their
// arguments by reference) only as copies, through by-value helpers.
template <typename T>
Json Number(T value) {
  return value;
}

template <typename T>
Json Optional(T value, T empty) {
  return value == empty ? Json(nullptr) : Json(value);
}

constexpr auto kEmptyI8 = static_cast<std::int8_t>(nmea::kEmptyByte);

void AddPosition(Json& fields, const nmea::Position& position, const char* lat = "lat",
                 const char* lon = "lon") {
  fields[lat] = Latitude(position.latitude);
  fields[lon] = Longitude(position.longitude);
}

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += fmt::format("{:02X}", bytes[i]);
  return text;
}

Json Gnss(std::string_view f, const SentenceBody& b) {
  Json j = Json::object();
  if (f == "GGA") {
    j["time"] = Time(b.gga.time);
    AddPosition(j, b.gga.position);
    j["quality"] = Optional<std::uint8_t>(b.gga.quality, nmea::kEmptyByte);
    j["satellites"] = Optional<std::int8_t>(b.gga.satellites, kEmptyI8);
    j["hdop"] = Real(b.gga.hdop);
    j["altitude"] = Real(b.gga.altitude);
    j["altitude_unit"] = Char(b.gga.altitudeUnit);
    j["geoid_separation"] = Real(b.gga.geoidSeparation);
    j["separation_unit"] = Char(b.gga.separationUnit);
    j["differential_age"] = Real(b.gga.differentialAge);
    j["differential_station"] = Optional<std::int16_t>(b.gga.differentialStation, -1);
  } else if (f == "GLL") {
    AddPosition(j, b.gll.position);
    j["time"] = Time(b.gll.time);
    j["status"] = Char(b.gll.status);
    j["mode"] = Char(b.gll.mode);
  } else if (f == "GNS") {
    j["time"] = Time(b.gns.time);
    AddPosition(j, b.gns.position);
    j["mode"] = Text(b.gns.mode, sizeof b.gns.mode);
    j["satellites"] = Text(b.gns.satellites, sizeof b.gns.satellites);
    j["hdop"] = Real(b.gns.hdop);
    j["altitude"] = Real(b.gns.altitude);
    j["geoid_separation"] = Real(b.gns.geoidSeparation);
    j["differential_age"] = Real(b.gns.differentialAge);
    j["differential_station"] = Real(b.gns.differentialStation);
  } else if (f == "RMA") {
    j["status"] = Char(b.rma.status);
    AddPosition(j, b.rma.position);
  } else if (f == "RMC") {
    j["time"] = Time(b.rmc.time);
    j["status"] = Char(b.rmc.status);
    AddPosition(j, b.rmc.position);
    j["speed_knots"] = Real(b.rmc.speed);
    j["course"] = Real(b.rmc.course);
    j["date"] = Date(b.rmc.date);
    j["variation"] = Real(b.rmc.variation);
    j["variation_direction"] = Char(b.rmc.variationDirection);
    j["mode"] = Char(b.rmc.mode);
  } else if (f == "VTG") {
    j["course_true"] = Real(b.vtg.courseTrue);
    j["course_true_reference"] = Char(b.vtg.courseTrueReference);
    j["course_magnetic"] = Real(b.vtg.courseMagnetic);
    j["course_magnetic_reference"] = Char(b.vtg.courseMagneticReference);
    j["speed_knots"] = Real(b.vtg.speedKnots);
    j["knots_unit"] = Char(b.vtg.knotsUnit);
    j["speed_kmh"] = Real(b.vtg.speedKmh);
    j["kmh_unit"] = Char(b.vtg.kmhUnit);
    j["mode"] = Char(b.vtg.mode);
  } else if (f == "ZDA") {
    j["time"] = Time(b.zda.time);
    j["day"] = Optional<std::int8_t>(b.zda.day, kEmptyI8);
    j["month"] = Optional<std::int8_t>(b.zda.month, kEmptyI8);
    j["year"] = Optional<std::uint16_t>(b.zda.year, 65535);
    j["zone_hours"] = Optional<std::int8_t>(b.zda.zoneHours, kEmptyI8);
    j["zone_minutes"] = Optional<std::int8_t>(b.zda.zoneMinutes, kEmptyI8);
  } else if (f == "DTM") {
    j["local_datum"] = Text(b.dtm.localDatum, sizeof b.dtm.localDatum);
    j["subdivision"] = Char(b.dtm.subdivision);
    j["latitude_offset"] = Shortest(b.dtm.latitudeOffset);
    j["longitude_offset"] = Shortest(b.dtm.longitudeOffset);
    j["altitude_offset"] = Shortest(b.dtm.altitudeOffset);
    j["reference_datum"] = Text(b.dtm.referenceDatum, sizeof b.dtm.referenceDatum);
  } else if (f == "GBS") {
    j["time"] = Time(b.gbs.time);
    j["latitude_error"] = Real(b.gbs.latitudeError);
    j["longitude_error"] = Real(b.gbs.longitudeError);
    j["altitude_error"] = Real(b.gbs.altitudeError);
    j["failed_satellite"] = Optional<std::uint8_t>(b.gbs.failedSatellite, 0xFF);
    j["missed_probability"] = Real(b.gbs.missedProbability);
    j["bias"] = Real(b.gbs.bias);
    j["bias_deviation"] = Real(b.gbs.biasDeviation);
  } else if (f == "GSA") {
    j["mode"] = Char(b.gsa.mode);
    j["fix_type"] = Number(b.gsa.fixType);
    Json ids = Json::array();
    for (int i = 0; i < 12; ++i) {
      if (b.gsa.satellites[i] != kEmptyI8) ids.push_back(Number(b.gsa.satellites[i]));
    }
    j["satellites"] = ids;
    j["pdop"] = Real(b.gsa.pdop);
    j["hdop"] = Real(b.gsa.hdop);
    j["vdop"] = Real(b.gsa.vdop);
  } else if (f == "GSV") {
    j["total"] = Number(b.gsv.total);
    j["number"] = Number(b.gsv.number);
    j["in_view"] = Number(b.gsv.inView);
    Json satellites = Json::array();
    for (int i = 0; i < b.gsv.count && i < 4; ++i) {
      Json s;
      s["id"] = Optional<std::int8_t>(b.gsv.ids[i], kEmptyI8);
      s["elevation"] = Optional<std::int8_t>(b.gsv.elevations[i], kEmptyI8);
      s["azimuth"] = Optional<std::uint16_t>(b.gsv.azimuths[i], 65535);
      s["snr"] = Optional<std::int8_t>(b.gsv.snr[i], kEmptyI8);
      satellites.push_back(s);
    }
    j["satellites"] = satellites;
  } else if (f == "GRS") {
    j["time"] = Time(b.grs.time);
    j["residual_mode"] = Char(b.grs.residualMode);
    Json residuals = Json::array();
    for (int i = 0; i < 12; ++i) residuals.push_back(Real(b.grs.residuals[i]));
    j["residuals"] = residuals;
  } else if (f == "GST") {
    j["time"] = Time(b.gst.time);
    j["rms"] = Real(b.gst.rms);
    j["semi_major"] = Real(b.gst.semiMajor);
    j["semi_minor"] = Real(b.gst.semiMinor);
    j["orientation"] = Real(b.gst.orientation);
    j["latitude_error"] = Real(b.gst.latitudeError);
    j["longitude_error"] = Real(b.gst.longitudeError);
    j["altitude_error"] = Real(b.gst.altitudeError);
  }
  return j;
}

Json Navigation(std::string_view f, const SentenceBody& b) {
  Json j = Json::object();
  if (f == "HDT") {
    j["heading"] = b.hdt.heading == 511.0f ? Json(nullptr) : Json(Shortest(b.hdt.heading));
    j["reference"] = Char(b.hdt.reference);
  } else if (f == "ROT") {
    j["rate"] = Real(b.rot.rate);
    j["status"] = Char(b.rot.status);
  } else if (f == "VBW") {
    j["water_longitudinal"] = Shortest(b.vbw.waterLongitudinal);
    j["water_transverse"] = Shortest(b.vbw.waterTransverse);
    j["water_status"] = Char(b.vbw.waterStatus);
    j["ground_longitudinal"] = Shortest(b.vbw.groundLongitudinal);
    j["ground_transverse"] = Shortest(b.vbw.groundTransverse);
    j["ground_status"] = Char(b.vbw.groundStatus);
  } else if (f == "OSD") {
    j["heading"] = Shortest(b.osd.heading);
    j["heading_status"] = Char(b.osd.headingStatus);
    j["course"] = Shortest(b.osd.course);
    j["course_reference"] = Char(b.osd.courseReference);
    j["speed"] = Shortest(b.osd.speed);
    j["speed_reference"] = Char(b.osd.speedReference);
    j["set"] = Shortest(b.osd.set);
    j["drift"] = Shortest(b.osd.drift);
    j["speed_units"] = Char(b.osd.speedUnits);
  } else if (f == "WPL") {
    AddPosition(j, b.wpl.position);
    j["waypoint"] = Text(b.wpl.identifier, sizeof b.wpl.identifier);
  }
  return j;
}

Json Encapsulation(std::string_view f, const nmea::EncapsulationBody& b) {
  Json j = Json::object();
  j["total"] = Number(b.total);
  j["number"] = Number(b.number);
  j["sequence_id"] = Optional<std::int8_t>(b.sequenceId, kEmptyI8);
  if (f == "VDM" || f == "VDO") {
    j["channel"] = Char(b.channel);  // the character received
  } else {
    j["channel"] = Optional<std::int8_t>(static_cast<std::int8_t>(b.channel), kEmptyI8);
  }
  j["payload"] = Text(b.payload, sizeof b.payload);
  j["fill_bits"] = Optional<std::int8_t>(b.fillBits, kEmptyI8);
  if (f == "ABM" || f == "BBM") j["message_id"] = Number(b.messageId);
  if (f == "ABM") j["destination"] = Number(b.destination);
  return j;
}

Json AisStation(std::string_view f, const SentenceBody& b) {
  if (f == "VDM" || f == "VDO" || f == "ABM" || f == "BBM") return Encapsulation(f, b.encapsulation);
  Json j = Json::object();
  if (f == "ABK") {
    j["mmsi"] = Number(b.abk.mmsi);
    j["channel"] = b.abk.channel == kEmptyI8 ? Json(nullptr)
                                             : Json(std::string(1, static_cast<char>('A' + b.abk.channel)));
    j["message_id"] = Number(b.abk.messageId);
    j["sequence_number"] = Number(b.abk.sequenceNumber);
    j["acknowledgement_type"] = Number(b.abk.acknowledgementType);
  } else if (f == "ACA") {
    j["sequence_number"] = Number(b.aca.sequenceNumber);
    AddPosition(j, b.aca.northEast, "northeast_lat", "northeast_lon");
    AddPosition(j, b.aca.southWest, "southwest_lat", "southwest_lon");
    j["transition_zone"] = Number(b.aca.transitionZone);
    j["channel_a"] = Number(b.aca.channelA);
    j["bandwidth_a"] = Number(b.aca.bandwidthA);
    j["channel_b"] = Number(b.aca.channelB);
    j["bandwidth_b"] = Number(b.aca.bandwidthB);
    j["tx_rx_mode"] = Number(b.aca.txRxMode);
    j["power_level"] = Number(b.aca.powerLevel);
    j["source"] = Char(b.aca.source);
    j["in_use"] = Number(b.aca.inUse);
    j["in_use_changed"] = Time(b.aca.inUseChanged);
  } else if (f == "ACK") {
    j["alarm_id"] = Optional<std::uint16_t>(b.ack.alarmId, 1000);
  } else if (f == "ACS") {
    j["sequence_number"] = Number(b.acs.sequenceNumber);
    j["mmsi"] = Number(b.acs.mmsi);
    j["time"] = Time(b.acs.time);
    j["day"] = Number(b.acs.day);
    j["month"] = Number(b.acs.month);
    j["year"] = Number(b.acs.year);
  } else if (f == "ALR") {
    j["time"] = Time(b.alr.time);
    j["alarm_id"] = Number(b.alr.alarmId);
    j["condition"] = Char(b.alr.condition);
    j["acknowledgement"] = Char(b.alr.acknowledgement);
    j["text"] = Text(b.alr.text, sizeof b.alr.text);
  } else if (f == "SSD") {
    j["call_sign"] = Text(b.ssd.callSign, sizeof b.ssd.callSign);
    j["name"] = Text(b.ssd.name, sizeof b.ssd.name);
    j["reference_a"] = Optional<std::uint16_t>(b.ssd.referenceA, 512);
    j["reference_b"] = Optional<std::uint16_t>(b.ssd.referenceB, 512);
    j["reference_c"] = Optional<std::uint8_t>(b.ssd.referenceC, 64);
    j["reference_d"] = Optional<std::uint8_t>(b.ssd.referenceD, 64);
    j["dte"] = Optional<std::uint8_t>(b.ssd.dte, 2);
    j["source"] = Text(b.ssd.source, sizeof b.ssd.source);
  } else if (f == "VSD") {
    j["ship_type"] = Optional<std::uint16_t>(b.vsd.shipType, 256);
    j["draught"] = Real(b.vsd.draught);
    j["persons"] = Optional<std::uint16_t>(b.vsd.persons, 8192);
    j["destination"] = Text(b.vsd.destination, sizeof b.vsd.destination);
    j["eta"] = Time(b.vsd.eta);
    j["eta_day"] = Optional<std::uint8_t>(b.vsd.etaDay, 32);
    j["eta_month"] = Optional<std::uint8_t>(b.vsd.etaMonth, 13);
    j["navigational_status"] = Optional<std::uint8_t>(b.vsd.navigationalStatus, nmea::kEmptyByte);
    j["regional_flags"] = Number(b.vsd.regionalFlags);
  } else if (f == "TXT") {
    j["total"] = Optional<std::int8_t>(b.txt.total, kEmptyI8);
    j["number"] = Optional<std::int8_t>(b.txt.number, kEmptyI8);
    j["identifier"] = Optional<std::int8_t>(b.txt.identifier, kEmptyI8);
    j["text"] = Text(b.txt.text, sizeof b.txt.text);
  }
  return j;
}

Json Maker(std::string_view f, const SentenceBody& b) {
  Json j = Json::object();
  constexpr std::uint32_t kNoIdentifier = 999999999;
  if (f == "MID") {
    j["identifier_1"] = Optional<std::uint32_t>(b.mid.identifiers[0], kNoIdentifier);
    j["identifier_2"] = Optional<std::uint32_t>(b.mid.identifiers[1], kNoIdentifier);
  } else if (f == "BDY") {
    j["identifier"] = Optional<std::uint32_t>(b.bdy.identifier, kNoIdentifier);
    j["text_1"] = Text(b.bdy.text1, sizeof b.bdy.text1);
    j["text_2"] = Text(b.bdy.text2, sizeof b.bdy.text2);
    j["flag_1"] = Optional<std::uint8_t>(b.bdy.flag1, 9);
    j["flag_2"] = Optional<std::uint8_t>(b.bdy.flag2, 9);
  } else if (f == "TST") {
    j["number"] = Optional<std::uint32_t>(b.tst.number, 99999);
    j["two_digit"] = Optional<std::uint8_t>(b.tst.twoDigit, 99);
    j["lower_letter"] = Char(b.tst.lowerLetter);
    j["upper_letter"] = Char(b.tst.upperLetter);
    j["value"] = Optional<std::uint16_t>(b.tst.value, 65535);
  } else if (f == "FRQ") {
    for (int i = 0; i < 2; ++i) {
      j[fmt::format("identifier_{}", i)] = Optional<std::uint32_t>(b.frq.identifiers[i], kNoIdentifier);
      j[fmt::format("level_{}", i)] = Optional<std::uint8_t>(b.frq.levels[i], nmea::kEmptyByte);
    }
  } else if (f == "BTH") {
    Json values = Json::array();
    for (int i = 0; i < 6; ++i) values.push_back(Optional<std::int16_t>(b.bth.values[i], 256));
    j["values"] = values;
    j["text"] = Text(b.bth.text, sizeof b.bth.text);
  } else if (f == "DBG") {
    Json pairs = Json::array();
    for (int i = 0; i < 4; ++i) {
      Json pair;
      pair["code"] = Optional<std::int16_t>(b.dbg.codes[i], 999);
      pair["value"] = Optional<std::int32_t>(b.dbg.values[i], static_cast<std::int32_t>(nmea::kEmptyU32));
      pairs.push_back(pair);
    }
    j["pairs"] = pairs;
  } else if (f == "TPS") {
    j["code"] = Optional<std::int16_t>(b.tps.code, 999);
    j["text"] = Text(b.tps.text, sizeof b.tps.text);
  } else if (f == "MOB") {
    j["identifier"] = Hex(b.mob.identifier, sizeof b.mob.identifier);
    j["number"] = Optional<std::uint8_t>(b.mob.number, 255);
    j["code"] = Optional<std::uint8_t>(b.mob.code, 255);
    j["optional"] = b.mob.hasOptional != 0 ? Json(fmt::format("{:02X}", unsigned{b.mob.optional})) : Json(nullptr);
    const std::size_t length = b.mob.dataLength <= sizeof b.mob.data ? b.mob.dataLength : 0;
    j["data"] = length == 0 ? Json(nullptr) : Json(Hex(b.mob.data, length));
  }
  return j;
}

Json Queries(std::string_view f, const SentenceBody& b) {
  Json j = Json::object();
  if (f == "Q") {
    j["requested"] = Text(b.query.requested, sizeof b.query.requested);
  } else if (f == "AIQ") {
    j["requested"] = Text(b.aiq.requested, sizeof b.aiq.requested);
    j["number"] = Number(b.aiq.number);
  } else if (f == "Smg") {
    j["text"] = Text(b.smg.text, sizeof b.smg.text);
    j["number"] = Number(b.smg.number);
  }
  return j;
}

// The record's header is only filled once the address field was split.
bool HeaderKnown(nmea::SentenceFault fault) {
  switch (fault) {
    case nmea::SentenceFault::LineEnd:
    case nmea::SentenceFault::Checksum:
    case nmea::SentenceFault::TooLong: return false;
    default: return true;
  }
}

// A '!' sentence whose parser took it, though ParseSentence said false.
const char* MessageState(bool accepted, nmea::SentenceFault fault) {
  if (accepted) return "complete";
  if (fault == nmea::SentenceFault::Fragment) return "fragment";
  if (fault == nmea::SentenceFault::Addressed) return "addressed";
  return nullptr;
}

void AddHeader(Json& j, const nmea::SentenceRecord& record) {
  j["talker"] = std::string(record.talker, strnlen(record.talker, sizeof record.talker));
  j["formatter"] = std::string(record.formatter, strnlen(record.formatter, sizeof record.formatter));
  j["maker"] = record.makerLetter == 0 ? Json(nullptr) : Json(std::string(1, record.makerLetter));
}

}  // namespace

Json FieldsJson(const nmea::SentenceRecord& record) {
  const std::string_view f(record.formatter, strnlen(record.formatter, sizeof record.formatter));
  // Each family fills the object only for its own formatters.
  for (const auto family : {Gnss, Navigation, AisStation, Maker, Queries}) {
    Json fields = family(f, record.body);
    if (!fields.empty()) return fields;
  }
  return Json::object();
}

Json LineJson(std::size_t lineNumber, bool accepted, nmea::SentenceFault fault,
              const nmea::SentenceRecord& record) {
  Json j;
  j["line"] = lineNumber;
  const char* message = record.start == '!' ? MessageState(accepted, fault) : nullptr;
  const bool ok = accepted || message != nullptr;
  j["ok"] = ok;
  if (!ok) {
    j["reason"] = nmea::FaultName(fault);
    if (HeaderKnown(fault)) AddHeader(j, record);
    return j;
  }
  AddHeader(j, record);
  j["category"] = record.category;
  j["fields"] = FieldsJson(record);
  if (message != nullptr) j["message"] = message;
  return j;
}

}  // namespace cli
