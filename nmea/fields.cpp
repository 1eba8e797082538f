#include "nmea/fields.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace nmea {
namespace {

const char* SkipBlanksAndPlus(const char* p) {
  while (*p == ' ' || *p == '\t') ++p;
  if (*p == '+') ++p;
  return p;
}

// Whole part of a real as the byte the time fields keep; values no integer
// can hold read as 0 instead of being undefined.
std::uint8_t WholeByte(double v) {
  if (!(v > -2147483648.0 && v < 2147483648.0)) return 0;
  return static_cast<std::uint8_t>(static_cast<long long>(v));
}

}  // namespace

bool HasFieldCount(const char* sentence, int n) {
  int commas = 0;
  for (const char* p = sentence; *p != '\0'; ++p) {
    if (*p == ',') ++commas;
  }
  return commas != 0 && commas == n;
}

char* FieldScanner::NextField(char* sentence, char delimiter) {
  if (sentence != nullptr) position_ = sentence;
  if (position_ == nullptr) return nullptr;

  char* field = position_;
  char* end = std::strchr(field, delimiter);
  if (end == nullptr) {
    position_ = nullptr;
    return nullptr;
  }
  *end = '\0';
  position_ = end + 1;

  if (*field == ' ') {
    char* p = field;
    while (*p == ' ') ++p;
    if (*p != '\0') field = p;  // a field of spaces only stays the empty marker
  }
  return field;
}

char* FieldScanner::ParseLatLon(char* field, float& latitude, float& longitude) {
  const char* north = NextField(nullptr, ',');
  latitude = ToLatitude(field, north);
  const char* lon = NextField(nullptr, ',');
  const char* east = NextField(nullptr, ',');
  longitude = ToLongitude(lon, east);
  return NextField(nullptr, ',');
}

char* FieldScanner::ParseUtcTime(char* field, std::uint8_t& hour, std::uint8_t& minute,
                                 std::uint8_t& second, std::uint8_t& hundredths) {
  ToUtcTime(field, hour, minute, second, hundredths);
  return NextField(nullptr, ',');
}

char* FieldScanner::ParseDate(char* field, std::uint16_t& year, std::uint8_t& month,
                              std::uint8_t& day) {
  ToDate(field, year, month, day);
  return NextField(nullptr, ',');
}

float ToLatitude(const char* value, const char* hemisphere) {
  const float latitude = IsEmptyField(value) ? 91.0f : DegMinToDegrees(ToReal(value), 90.0f);
  return hemisphere != nullptr && std::strcmp(hemisphere, "S") == 0 ? -latitude : latitude;
}

float ToLongitude(const char* value, const char* hemisphere) {
  const float longitude = IsEmptyField(value) ? 181.0f : DegMinToDegrees(ToReal(value), 180.0f);
  return hemisphere != nullptr && std::strcmp(hemisphere, "W") == 0 ? -longitude : longitude;
}

void ToUtcTime(const char* field, std::uint8_t& hour, std::uint8_t& minute, std::uint8_t& second,
               std::uint8_t& hundredths) {
  if (IsEmptyField(field)) {
    hour = 24;
    minute = 60;
    second = 60;
    return;
  }
  const double v = ToReal(field);
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
}

void ToDate(const char* field, std::uint16_t& year, std::uint8_t& month, std::uint8_t& day) {
  if (IsEmptyField(field)) {
    year = 0;
    month = 0;
    day = 0;
    return;
  }
  const long v = ToInteger(field);
  year = static_cast<std::uint16_t>(v % 100 + 2000);
  month = static_cast<std::uint8_t>((v / 100) % 100);
  day = static_cast<std::uint8_t>(v / 10000);
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

long ToInteger(const char* field) {
  if (field == nullptr) return 0;
  const char* p = SkipBlanksAndPlus(field);
  long value = 0;
  const auto [end, ec] = std::from_chars(p, p + std::strlen(p), value);
  if (ec == std::errc::result_out_of_range) return *p == '-' ? LONG_MIN : LONG_MAX;
  if (ec != std::errc()) return 0;
  (void)end;
  return value;
}

double ToReal(const char* field) {
  if (field == nullptr) return 0.0;
  const char* p = SkipBlanksAndPlus(field);
  double value = 0.0;
  const auto [end, ec] = std::from_chars(p, p + std::strlen(p), value);
  if (ec != std::errc() || !std::isfinite(value)) return 0.0;
  (void)end;
  return value;
}

float DegMinToDegrees(double value, float limit) {
  const double scaled = value * 0.01;
  const double degrees = std::trunc(scaled);
  const float result = static_cast<float>((scaled - degrees) * 1.6666666666666667 + degrees);
  return result > limit ? limit + 1.0f : result;
}

void DegreesToDegMin(float value, std::uint16_t& degrees, std::uint16_t& minutes,
                     std::uint32_t& fraction) {
  // Work in whole 1/100000 minutes so that the carry from a rounded fraction
  // reaches the minutes and degrees (59.999999' is 1 degree, not 0°59.99999').
  const double units = std::round(std::fabs(static_cast<double>(value)) * 6000000.0);
  if (!(units < 4.0e15)) {
    degrees = minutes = 0;
    fraction = 0;
    return;
  }
  const auto total = static_cast<long long>(units);
  degrees = static_cast<std::uint16_t>(total / 6000000);
  minutes = static_cast<std::uint16_t>(total % 6000000 / 100000);
  fraction = static_cast<std::uint32_t>(total % 100000);
}

}  // namespace nmea
