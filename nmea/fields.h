#pragma once
// Field conversions for the per-formatter parsers and composers: the
// position, time and date groups and the small converters. A field arrives
// as the parsers' FieldReader gives it: NUL-terminated, an empty one as a
// single space.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nmea {

// The conversions of the groups' fields. A hemisphere of exactly "S" (or
// "W") negates the angle.
// A value that no float holds is refused (false).
bool ToLatitude(const char* value, const char* hemisphere, float& latitude);
bool ToLongitude(const char* value, const char* hemisphere, float& longitude);
// A time or date whose parts do not fit their bytes (an hour of 256 or more,
// a negative time, a day of 256 or more) is refused: false, and the parts
// are left as they were.
bool ToUtcTime(const char* field, std::uint8_t& hour, std::uint8_t& minute, std::uint8_t& second,
               std::uint8_t& hundredths);
bool ToDate(const char* field, std::uint16_t& year, std::uint8_t& month, std::uint8_t& day);

// True for a field holding the empty-field marker (or nothing at all).
inline bool IsEmptyField(const char* field) {
  return field == nullptr || field[0] == ' ' || field[0] == '\0';
}

// Copies at most capacity - 1 characters of `text` and a NUL: text fields
// are cut at their capacity, never written past it.
void CopyCut(char* out, std::size_t capacity, const char* text);

// Upper-case hexadecimal text to one byte; false on any other character.
bool ParseHexByte(const char* text, std::uint8_t& out);

// The decimal conversions every parser uses: leading blanks and a sign are
// accepted, a field that is not a number reads as 0. Independent of the
// process locale. False (and 0) for a number that no long, or no finite
// double, holds: such a value is out of range, never wrapped or saturated.
bool ToInteger(std::string_view field, long& value);
bool ToReal(std::string_view field, double& value);
// The same for a NUL-terminated field; nullptr reads as 0.
bool ToInteger(const char* field, long& value);
bool ToReal(const char* field, double& value);

// True when a real fits a 32-bit float field.
bool FitsFloat(double value);

// ddmm.mmmm (or dddmm.mmmm) to degrees; a result above `limit` becomes
// limit + 1 (so 90 gives 91.0 for "no latitude").
float DegMinToDegrees(double value, float limit);

// Splits an angle (its sign dropped) into whole degrees, whole minutes and
// the minute fraction to `decimals` digits (0 to 9; 5 gives 1/100000 of a
// minute), rounded to the last digit with the carry going into the minutes
// and degrees. An angle no degree count holds gives all zeros.
void DegreesToDegMin(float value, int decimals, std::uint16_t& degrees, std::uint16_t& minutes,
                     std::uint32_t& fraction);

}  // namespace nmea
