#pragma once
// Reads the data fields of one sentence in order, for the parsers.
//
// The dispatch hands each parser a reader over the sentence's data fields,
// cut at the checksum's '*' and already checked against the formatter's
// field count. Each field is read in place (its comma becomes its NUL); an
// empty field reads as the empty-field marker, a single space, and leading
// spaces of a field that has more than spaces are skipped.
//
// Reads return values (the bodies are packed, so no reference can point into
// them). A value outside its accepted range, or a field asked for beyond the
// sentence's count, is remembered; Status() gives the first such fault,
// which is what the parser returns.

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "nmea/fields.h"
#include "nmea/parsers.h"

namespace nmea {

class FieldReader {
 public:
  // `fields` is the text after the address field's comma, up to the NUL
  // that ends the sentence where its '*' stood; `count` the number of
  // fields in it (the sentence's commas).
  FieldReader(char* fields, int count) : position_(fields), remaining_(count), count_(count) {}

  int Count() const { return count_; }

  // The next field (" " when empty), or nullptr when none is left.
  const char* Next();

  // The field Next gave last, with its length.
  std::string_view Last() const { return last_; }

  // The next field as a number, or `empty` when the field is empty. A value
  // that is there must fit T and lie in [low, high], else the sentence is
  // out of range: the check is made on the value read, so a value too wide
  // for its field is refused, never wrapped (a value that does not fit
  // leaves `empty` behind).
  template <typename T>
  T Integer(long empty, long low = LONG_MIN, long high = LONG_MAX) {
    const char* field = Next();
    if (IsEmptyField(field)) return static_cast<T>(empty);
    long value = 0;
    if (!ToInteger(last_, value) || !std::in_range<T>(value)) {
      Reject(ParseStatus::Range);
      return static_cast<T>(empty);
    }
    if (value < low || value > high) Reject(ParseStatus::Range);
    return static_cast<T>(value);
  }

  // The next field as a satellite id: kNoSatellite when empty, else a whole
  // number of 0 to kLastSatelliteId and nothing else (a sign, a fraction or
  // a trailing character is out of range).
  SatelliteId Satellite();

  // The same for a real; a value that no float holds is out of range.
  float Real(float empty, double low = -HUGE_VAL, double high = HUGE_VAL);

  // The first character of the next field; `empty` when the field is empty.
  char Char(char empty = ' ');

  // The next field copied as text, cut to capacity - 1 characters. An empty
  // field gives a single space with TextAsReceived, an empty text with Text.
  void TextAsReceived(char* out, std::size_t capacity);
  void Text(char* out, std::size_t capacity);

  // Groups: one field for a time or a date, four for a position. An empty
  // time keeps the hundredths of `previous`.
  UtcTime Time(UtcTime previous);
  nmea::Date Date();
  nmea::Position Position();

  // Records a fault found by the parser itself; the first one counts.
  void Reject(ParseStatus why) {
    if (status_ == ParseStatus::Accepted) status_ = why;
  }
  ParseStatus Status() const { return status_; }
  bool Rejected() const { return status_ != ParseStatus::Accepted; }

 private:
  char* position_;
  std::string_view last_;
  int remaining_;
  int count_;
  ParseStatus status_ = ParseStatus::Accepted;
};

}  // namespace nmea
