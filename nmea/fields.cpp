#include "nmea/fields.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include "nmea/sentence_record.h"

namespace nmea {
namespace {

// Whole part of a real as the byte the time fields keep; values no integer
// can hold read as 0 instead of being undefined.
std::uint8_t WholeByte(double v) {
  if (!(v > -2147483648.0 && v < 2147483648.0)) return 0;
  return static_cast<std::uint8_t>(static_cast<long long>(v));
}

}  // namespace

namespace {

bool ToAngle(const char* value, const char* hemisphere, const char* negative, float empty,
             float limit, float& angle) {
  double raw = 0.0;
  if (IsEmptyField(value)) {
    angle = empty;
  } else if (!ToReal(value, raw) || !FitsFloat(raw)) {
    return false;
  } else {
    angle = DegMinToDegrees(raw, limit);
  }
  if (hemisphere != nullptr && std::strcmp(hemisphere, negative) == 0) angle = -angle;
  return true;
}

}  // namespace

bool ToLatitude(const char* value, const char* hemisphere, float& latitude) {
  return ToAngle(value, hemisphere, "S", kNoLatitude, 90.0f, latitude);
}

bool ToLongitude(const char* value, const char* hemisphere, float& longitude) {
  return ToAngle(value, hemisphere, "W", kNoLongitude, 180.0f, longitude);
}

bool ToUtcTime(const char* field, std::uint8_t& hour, std::uint8_t& minute, std::uint8_t& second,
               std::uint8_t& hundredths) {
  if (IsEmptyField(field)) {
    hour = 24;
    minute = 60;
    second = 60;
    return true;
  }
  double v = 0.0;
  // hhmmss: the hour must fit its byte, and a negative time has no parts.
  if (!ToReal(field, v) || v < 0.0 || v >= 2560000.0) return false;
  const std::uint8_t h = WholeByte(v * 0.0001);
  const std::uint8_t m = WholeByte((v - h * 10000.0) * 0.01);
  const float s = static_cast<float>(v - h * 10000.0 - m * 100.0);
  const std::uint8_t whole = WholeByte(s);
  // Rounded, not raised to the next hundredth: 19.12 is held as
  // 19.1200008f and must not come out as .13.
  const double fraction = static_cast<double>(s) - whole;
  const double cents = std::isfinite(fraction) ? std::round(fraction * 100.0) : 0.0;
  hour = h;
  minute = m;
  second = whole;
  hundredths = cents >= 99.0 ? 99 : cents <= 0.0 ? 0 : static_cast<std::uint8_t>(cents);
  return true;
}

bool ToDate(const char* field, std::uint16_t& year, std::uint8_t& month, std::uint8_t& day) {
  if (IsEmptyField(field)) {
    year = 0;
    month = 0;
    day = 0;
    return true;
  }
  long v = 0;
  // ddmmyy: the day must fit its byte.
  if (!ToInteger(field, v) || v < 0 || v / 10000 > 255) return false;
  year = static_cast<std::uint16_t>(v % 100 + 2000);
  month = static_cast<std::uint8_t>((v / 100) % 100);
  day = static_cast<std::uint8_t>(v / 10000);
  return true;
}

void CopyCut(char* out, std::size_t capacity, const char* text) {
  if (capacity == 0) return;
  std::size_t i = 0;
  for (; i + 1 < capacity && text[i] != '\0'; ++i) out[i] = text[i];
  out[i] = '\0';
}

bool ParseHexByte(const char* text, std::uint8_t& out) {
  unsigned value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    unsigned digit;
    if (*p >= '0' && *p <= '9') {
      digit = static_cast<unsigned>(*p - '0');
    } else if (*p >= 'A' && *p <= 'F') {
      digit = static_cast<unsigned>(*p - 'A' + 10);
    } else {
      return false;
    }
    value = (value * 16 + digit) & 0xFFu;
  }
  out = static_cast<std::uint8_t>(value);
  return true;
}

namespace {

std::string_view SkipBlanksAndPlus(std::string_view field) {
  std::size_t at = 0;
  while (at < field.size() && (field[at] == ' ' || field[at] == '\t')) ++at;
  if (at < field.size() && field[at] == '+') ++at;
  return field.substr(at);
}

}  // namespace

bool ToInteger(std::string_view field, long& value) {
  value = 0;
  const std::string_view digits = SkipBlanksAndPlus(field);
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    value = 0;
    return false;
  }
  if (ec != std::errc()) value = 0;
  return true;
}

bool ToReal(std::string_view field, double& value) {
  value = 0.0;
  const std::string_view digits = SkipBlanksAndPlus(field);
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  (void)end;
  if (ec == std::errc::result_out_of_range || (ec == std::errc() && std::isinf(value))) {
    value = 0.0;
    return false;
  }
  if (ec != std::errc() || !std::isfinite(value)) value = 0.0;
  return true;
}

bool ToInteger(const char* field, long& value) {
  return ToInteger(field == nullptr ? std::string_view() : std::string_view(field), value);
}

bool ToReal(const char* field, double& value) {
  return ToReal(field == nullptr ? std::string_view() : std::string_view(field), value);
}

bool FitsFloat(double value) {
  return std::isfinite(value) && std::fabs(value) <= static_cast<double>(FLT_MAX);
}

float DegMinToDegrees(double value, float limit) {
  const double scaled = value * 0.01;
  const double degrees = std::trunc(scaled);
  const double result = (scaled - degrees) * 1.6666666666666667 + degrees;
  if (!(result <= limit)) return limit + 1.0f;
  if (result < -static_cast<double>(FLT_MAX)) return -(limit + 1.0f);
  return static_cast<float>(result);
}

void DegreesToDegMin(float value, int decimals, std::uint16_t& degrees, std::uint16_t& minutes,
                     std::uint32_t& fraction) {
  // Work in whole units of the last decimal so that the carry from a
  // rounded fraction reaches the minutes and degrees: 59.999999' is 1
  // degree, not 0°59.99999', and 30.49999' to two decimals is 30.50'.
  long long perMinute = 1;
  for (int i = 0; i < decimals; ++i) perMinute *= 10;
  const double units =
      std::round(std::fabs(static_cast<double>(value)) * 60.0 * static_cast<double>(perMinute));
  if (!(units < 4.0e15)) {
    degrees = minutes = 0;
    fraction = 0;
    return;
  }
  const auto total = static_cast<long long>(units);
  degrees = static_cast<std::uint16_t>(total / (60 * perMinute));
  minutes = static_cast<std::uint16_t>(total / perMinute % 60);
  fraction = static_cast<std::uint32_t>(total % perMinute);
}

}  // namespace nmea
