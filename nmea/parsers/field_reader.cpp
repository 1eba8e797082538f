#include "nmea/parsers/field_reader.h"

#include <charconv>

namespace nmea {

const char* FieldReader::Next() {
  if (remaining_ == 0) {
    Reject(ParseStatus::FieldCount);
    last_ = {};
    return nullptr;
  }
  --remaining_;
  char* field = position_;
  char* end = field;
  while (*end != ',' && *end != '\0') ++end;
  position_ = *end == ',' ? end + 1 : end;
  *end = '\0';
  if (end == field) {
    last_ = " ";  // the empty-field marker
    return last_.data();
  }
  if (*field == ' ') {
    char* p = field;
    while (*p == ' ') ++p;
    if (*p != '\0') field = p;  // a field of spaces only stays the empty marker
  }
  last_ = {field, static_cast<std::size_t>(end - field)};
  return field;
}

SatelliteId FieldReader::Satellite() {
  const char* field = Next();
  if (IsEmptyField(field)) return kNoSatellite;
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(last_.data(), last_.data() + last_.size(), value);
  if (ec != std::errc() || end != last_.data() + last_.size() || value > kLastSatelliteId) {
    Reject(ParseStatus::Range);
    return kNoSatellite;
  }
  return static_cast<SatelliteId>(value);
}

float FieldReader::Real(float empty, double low, double high) {
  const char* field = Next();
  if (IsEmptyField(field)) return empty;
  double value = 0.0;
  if (!ToReal(last_, value) || !FitsFloat(value)) {
    Reject(ParseStatus::Range);
    return empty;
  }
  if (value < low || value > high) Reject(ParseStatus::Range);
  return static_cast<float>(value);
}

char FieldReader::Char(char empty) {
  const char* field = Next();
  return IsEmptyField(field) ? empty : field[0];
}

void FieldReader::TextAsReceived(char* out, std::size_t capacity) {
  const char* field = Next();
  CopyCut(out, capacity, field == nullptr ? " " : field);
}

void FieldReader::Text(char* out, std::size_t capacity) {
  const char* field = Next();
  CopyCut(out, capacity, IsEmptyField(field) ? "" : field);
}

UtcTime FieldReader::Time(UtcTime previous) {
  UtcTime time = previous;
  if (!ToUtcTime(Next(), time.hour, time.minute, time.second, time.hundredths)) {
    Reject(ParseStatus::Range);
  }
  return time;
}

Date FieldReader::Date() {
  std::uint16_t year = 0;
  std::uint8_t month = 0;
  std::uint8_t day = 0;
  if (!ToDate(Next(), year, month, day)) Reject(ParseStatus::Range);
  return {year, month, day};
}

Position FieldReader::Position() {
  const char* latitude = Next();
  const char* north = Next();
  const char* longitude = Next();
  const char* east = Next();
  float lat = kNoLatitude;
  float lon = kNoLongitude;
  const bool fits = ToLatitude(latitude, north, lat);
  if (!ToLongitude(longitude, east, lon) || !fits) Reject(ParseStatus::Range);
  return {lat, lon};
}

}  // namespace nmea
