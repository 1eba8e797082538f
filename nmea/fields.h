#pragma once
// Field access for the per-formatter parsers and composers: the field
// scanner, the position/time/date groups and the small converters.
//
// The scanner works in place on the (already expanded) sentence: an empty
// field arrives as a single space, and each returned field is NUL-terminated
// where its delimiter stood.

#include <cstddef>
#include <cstdint>

namespace nmea {

// True when the sentence holds exactly n commas (never for n == 0).
bool HasFieldCount(const char* sentence, int n);

// One-character tokenizer over a sentence. A parser creates one per sentence,
// so no scan state outlives the parser that uses it.
class FieldScanner {
 public:
  // Returns the next field ending at `delimiter`, or nullptr when the
  // delimiter does not occur again. Passing a sentence starts a new scan;
  // nullptr continues the current one. Leading spaces are skipped unless the
  // field is made of spaces only (the empty-field marker).
  char* NextField(char* sentence, char delimiter);

  // Latitude, N/S, longitude, E/W: consumes the four fields starting with
  // `field` and returns the field after them (nullptr if missing). An empty
  // latitude gives 91.0, an empty longitude 181.0.
  char* ParseLatLon(char* field, float& latitude, float& longitude);

  // hhmmss.ss; an empty field gives 24:60:60 and leaves hundredths as they
  // were. Returns the next field.
  char* ParseUtcTime(char* field, std::uint8_t& hour, std::uint8_t& minute, std::uint8_t& second,
                     std::uint8_t& hundredths);

  // ddmmyy; an empty field gives 0/0/0. Returns the next field.
  char* ParseDate(char* field, std::uint16_t& year, std::uint8_t& month, std::uint8_t& day);

 private:
  char* position_ = nullptr;
};

// The group conversions of one field each, without moving any scan: for
// readers that fetch the fields themselves (the parsers' FieldReader).
// A hemisphere of exactly "S" (or "W") negates the angle.
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
bool ToInteger(const char* field, long& value);
bool ToReal(const char* field, double& value);

// True when a real fits a 32-bit float field.
bool FitsFloat(double value);

// ddmm.mmmm (or dddmm.mmmm) to degrees; a result above `limit` becomes
// limit + 1 (so 90 gives 91.0 for "no latitude").
float DegMinToDegrees(double value, float limit);

// Splits a positive angle into whole degrees, whole minutes and the minute
// fraction in 1/100000, rounded to the nearest 1/100000 minute.
void DegreesToDegMin(float value, std::uint16_t& degrees, std::uint16_t& minutes,
                     std::uint32_t& fraction);

}  // namespace nmea
