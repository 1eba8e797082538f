// GNSS fixes: position, time, course and speed, datum.

#include <cstring>
#include <initializer_list>

#include "nmea/parsers.h"
#include "nmea/parsers/field_reader.h"

namespace nmea {

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
//        1      2        3 4         5 6 7  8   9     10 11 12 13 14
// 1 UTC time, 2-5 position, 6 quality indicator, 7 satellites in use,
// 8 HDOP, 9 antenna altitude, 10 its unit, 11 geoidal separation, 12 its
// unit, 13 age of differential data, 14 differential reference station
ParseStatus ParseGGA(FieldReader& in, SentenceRecord& record) {
  GgaBody& body = record.body.gga;
  body.time = in.Time(body.time);
  body.position = in.Position();
  body.quality = in.Integer<std::uint8_t>(kEmptyByte);
  body.satellites = in.Integer<std::int8_t>(kEmptyByte, 0, 12);
  body.hdop = in.Real(kEmptyReal, 0.0, 99.9);
  body.altitude = in.Real(kEmptyReal);
  body.altitudeUnit = in.Char();
  body.geoidSeparation = in.Real(kEmptyReal);
  body.separationUnit = in.Char();
  body.differentialAge = in.Real(kEmptyReal);
  body.differentialStation = in.Integer<std::int16_t>(kNoStation, 0, 1023);
  return in.Status();
}

// $GPGLL,4916.45,N,12311.12,W,225444,A,A*5C
//        1       2 3        4 5      6 7
// 1-4 position, 5 UTC time, 6 status, 7 mode indicator
ParseStatus ParseGLL(FieldReader& in, SentenceRecord& record) {
  GllBody& body = record.body.gll;
  body.position = in.Position();
  body.time = in.Time(body.time);
  body.status = in.Char();
  body.mode = in.Char();
  return in.Status();
}

// $GPGNS,224749.00,3333.4268304,N,11153.3538273,W,D,19,0.6,406.110,-26.294,6.0,0138*6A
//        1         2            3 4             5 6 7  8   9       10      11  12
// 1 UTC time, 2-5 position, 6 mode indicator, 7 satellites in use, 8 HDOP,
// 9 antenna altitude, 10 geoidal separation, 11 age of differential data,
// 12 differential reference station
ParseStatus ParseGNS(FieldReader& in, SentenceRecord& record) {
  GnsBody& body = record.body.gns;
  body.time = in.Time(body.time);
  body.position = in.Position();
  // The first two characters of each (a one-character field keeps its NUL).
  for (char* out : {body.mode, body.satellites}) {
    const char* field = in.Next();
    if (field == nullptr) field = " ";
    out[0] = field[0];
    out[1] = field[0] == '\0' ? '\0' : field[1];
  }
  body.hdop = in.Real(kEmptyReal, 0.0, 99.9);
  body.altitude = in.Real(kEmptyReal);
  body.geoidSeparation = in.Real(kEmptyReal);
  body.differentialAge = in.Real(kEmptyReal);
  body.differentialStation = in.Real(kEmptyReal);
  return in.Status();
}

// $GPRMA,A,4916.45,N,12311.12,W,...
//        1 2       3 4        5
// 1 status, 2-5 position; the fields after the position are not read, and
// any number of them is accepted (missing ones read as empty).
ParseStatus ParseRMA(FieldReader& in, SentenceRecord& record) {
  RmaBody& body = record.body.rma;
  body.status = in.Char();
  body.position = in.Position();
  return ParseStatus::Accepted;
}

// $GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E,A*68
//        1      2 3       4 5        6 7     8     9      10    11 12
// 1 UTC time, 2 status, 3-6 position, 7 speed over ground (knots), 8 course
// over ground, 9 date, 10 magnetic variation, 11 its direction, 12 mode.
// Receivers of NMEA 2.x send no mode (11 fields); it then reads as empty.
ParseStatus ParseRMC(FieldReader& in, SentenceRecord& record) {
  RmcBody& body = record.body.rmc;
  body.time = in.Time(body.time);
  body.status = in.Char();
  body.position = in.Position();
  body.speed = in.Real(kEmptyReal);
  body.course = in.Real(kEmptyReal);
  body.date = in.Date();
  body.variation = in.Real(kEmptyReal);
  body.variationDirection = in.Char(static_cast<char>(kEmptyByte));
  body.mode = in.Count() >= 12 ? in.Char() : ' ';
  return in.Status();
}

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A*25
//        1     2 3     4 5     6 7     8 9
// 1 course over ground (true), 2 T, 3 course over ground (magnetic), 4 M,
// 5 speed in knots, 6 N, 7 speed in km/h, 8 K, 9 mode indicator
ParseStatus ParseVTG(FieldReader& in, SentenceRecord& record) {
  VtgBody& body = record.body.vtg;
  // Each value is followed by its reference or unit: one character exactly.
  const auto reference = [&in] {
    const char* field = in.Next();
    if (IsEmptyField(field)) return static_cast<char>(kEmptyByte);
    if (field[1] != '\0') in.Reject(ParseStatus::Length);
    return field[0];
  };
  body.courseTrue = in.Real(kEmptyReal);
  body.courseTrueReference = reference();
  body.courseMagnetic = in.Real(kEmptyReal);
  body.courseMagneticReference = reference();
  body.speedKnots = in.Real(kEmptyReal);
  body.knotsUnit = reference();
  body.speedKmh = in.Real(kEmptyReal);
  body.kmhUnit = reference();
  body.mode = in.Char();
  return in.Status();
}

// $GPZDA,201530.00,04,07,2002,00,00*60
//        1         2  3  4    5  6
// 1 UTC time, 2 day, 3 month, 4 year, 5 local zone hours, 6 local zone
// minutes. The body keeps time, year, month, day, zone hours, zone minutes.
ParseStatus ParseZDA(FieldReader& in, SentenceRecord& record) {
  ZdaBody& body = record.body.zda;
  body.time = in.Time(body.time);
  body.day = in.Integer<std::int8_t>(kEmptyByte, 1, 31);
  body.month = in.Integer<std::int8_t>(kEmptyByte, 1, 12);
  body.year = in.Integer<std::uint16_t>(kNoYear);
  body.zoneHours = in.Integer<std::int8_t>(kEmptyByte, -13, 13);
  body.zoneMinutes = in.Integer<std::int8_t>(kEmptyByte, 0, 59);
  return in.Status();
}

// $GPDTM,W84,,0.0,N,0.0,E,0.0,W84*6F
//        1   2 3   4 5   6 7   8
// 1 local datum code, 2 local datum subdivision, 3 latitude offset, 4 N/S,
// 5 longitude offset, 6 E/W, 7 altitude offset, 8 reference datum code.
// An empty offset or reference datum keeps what the last sentence left.
ParseStatus ParseDTM(FieldReader& in, SentenceRecord& record) {
  DtmBody& body = record.body.dtm;
  in.Text(body.localDatum, sizeof body.localDatum);
  body.subdivision = in.Char('\0');
  // The hemisphere turns only an offset read from this sentence: a kept
  // value must not flip its sign on every sentence that leaves it empty.
  const auto real = [&in](const char* field, float kept) {
    double v = 0.0;
    if (IsEmptyField(field)) return kept;
    if (!ToReal(field, v) || !FitsFloat(v)) {
      in.Reject(ParseStatus::Range);
      return kept;
    }
    return static_cast<float>(v);
  };
  const auto offset = [&in, &real](float kept, const char* negative) {
    const char* value = in.Next();
    const char* hemisphere = in.Next();
    if (IsEmptyField(value)) return kept;
    const float v = real(value, kept);
    return hemisphere != nullptr && std::strcmp(hemisphere, negative) == 0 ? -v : v;
  };
  body.latitudeOffset = offset(body.latitudeOffset, "S");
  body.longitudeOffset = offset(body.longitudeOffset, "W");
  body.altitudeOffset = real(in.Next(), body.altitudeOffset);
  const char* reference = in.Next();
  if (!IsEmptyField(reference)) CopyCut(body.referenceDatum, sizeof body.referenceDatum, reference);
  return in.Status();
}

}  // namespace nmea
