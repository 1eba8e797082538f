#pragma once
// Small formatting helpers shared by the composers.

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <span>

#include "nmea/fields.h"
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

// A real is missing when it holds the kEmptyReal sentinel (anything below
// kRealPresentFrom).
inline bool HasReal(float value) { return value >= kRealPresentFrom; }

// hhmmss.cc; empty when the hour is 24 (no time) or more.
inline FieldText TimeText(const UtcTime& time) {
  return FieldIf(time.hour < kNoHour, "%02d%02d%02d.%02d", time.hour, time.minute, time.second,
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

  std::uint16_t latDegrees, latMinutes, lonDegrees, lonMinutes;
  std::uint32_t latFraction, lonFraction;
  DegreesToDegMin(latitude, decimals, latDegrees, latMinutes, latFraction);
  DegreesToDegMin(longitude, decimals, lonDegrees, lonMinutes, lonFraction);
  std::snprintf(group.text, sizeof group.text, "%02u%02u.%0*u,%c,%03u%02u.%0*u,%c",
                unsigned{latDegrees}, unsigned{latMinutes}, decimals, unsigned{latFraction},
                latitude < 0 ? 'S' : 'N', unsigned{lonDegrees}, unsigned{lonMinutes}, decimals,
                unsigned{lonFraction}, longitude < 0 ? 'W' : 'E');
  return group;
}

}  // namespace nmea
