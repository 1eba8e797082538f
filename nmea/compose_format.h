#pragma once
// Small formatting helpers shared by the composers.

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <span>

#include "nmea/sentence_bodies.h"

namespace nmea {

// One formatted print of a whole sentence into `out`; false when it would
// not fit, or when a character field holding 0 would end it early (the
// sentence is then not sent at all).
[[gnu::format(printf, 2, 3)]] inline bool PrintSentence(std::span<char> out, const char* format,
                                                        ...) {
  std::va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(out.data(), out.size(), format, args);
  va_end(args);
  if (n < 0 || static_cast<std::size_t>(n) >= out.size() ||
      std::strlen(out.data()) != static_cast<std::size_t>(n)) {
    if (!out.empty()) out[0] = '\0';
    return false;
  }
  return true;
}

// One field formatted ahead of the sentence: the printed value, or an empty
// field when the value is missing or out of range.
struct FieldText {
  char text[24] = "";
  const char* c_str() const { return text; }
};

[[gnu::format(printf, 2, 3)]] inline FieldText FieldIf(bool present, const char* format, ...) {
  FieldText field;
  if (present) {
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(field.text, sizeof field.text, format, args);
    va_end(args);
  }
  return field;
}

// A real is missing when it holds the -100000 sentinel (anything below
// -99999).
inline bool HasReal(float value) { return value >= -99999.0f; }

// hhmmss.cc; empty when the hour is 24 (no time) or more.
inline FieldText TimeText(const UtcTime& time) {
  return FieldIf(time.hour < 24, "%02d%02d%02d.%02d", time.hour, time.minute, time.second,
                 time.hundredths);
}

// ddmmyy from day, month and year - 2000; empty when the year is 0.
inline FieldText DateText(const Date& date) {
  return FieldIf(date.year != 0, "%02d%02d%02d", date.day, date.month, date.year - 2000);
}

// The four fields of a position group: ddmm.m..,N,dddmm.m..,E with
// `decimals` minute decimals, or four empty fields when there is no
// position (either angle at its 91/181 sentinel, whatever its sign).
struct GroupText {
  char text[48] = ",,,";
  const char* c_str() const { return text; }
};

inline GroupText PositionText(const Position& position, int decimals) {
  GroupText group;
  const float latitude = position.latitude;
  const float longitude = position.longitude;
  if (!(std::fabs(latitude) < 90.1f && std::fabs(longitude) < 180.1f)) return group;

  // Rounded to the last decimal written, with the carry going into the
  // minutes and degrees: 30.49999' is written 30.50, and 59.999' never 60.
  long long unitsPerMinute = 1;
  for (int i = 0; i < decimals; ++i) unitsPerMinute *= 10;
  const auto split = [unitsPerMinute](float angle, int& degrees, int& minutes, long long& fraction) {
    const long long units = std::llround(std::fabs(static_cast<double>(angle)) * 60.0 *
                                         static_cast<double>(unitsPerMinute));
    degrees = static_cast<int>(units / (60 * unitsPerMinute));
    minutes = static_cast<int>(units / unitsPerMinute % 60);
    fraction = units % unitsPerMinute;
  };
  int latDegrees, latMinutes, lonDegrees, lonMinutes;
  long long latFraction, lonFraction;
  split(latitude, latDegrees, latMinutes, latFraction);
  split(longitude, lonDegrees, lonMinutes, lonFraction);
  std::snprintf(group.text, sizeof group.text, "%02d%02d.%0*lld,%c,%03d%02d.%0*lld,%c", latDegrees,
                latMinutes, decimals, latFraction, latitude < 0 ? 'S' : 'N', lonDegrees,
                lonMinutes, decimals, lonFraction, longitude < 0 ? 'W' : 'E');
  return group;
}

}  // namespace nmea
