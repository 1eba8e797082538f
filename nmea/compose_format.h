#pragma once
// Small formatting helpers shared by the composers.

#include <cstdarg>
#include <cstdio>
#include <span>

namespace nmea {

// One formatted print of a whole sentence into `out`; false when it would
// not fit (the sentence is then not sent at all).
[[gnu::format(printf, 2, 3)]] inline bool PrintSentence(std::span<char> out, const char* format,
                                                        ...) {
  std::va_list args;
  va_start(args, format);
  const int n = std::vsnprintf(out.data(), out.size(), format, args);
  va_end(args);
  if (n < 0 || static_cast<std::size_t>(n) >= out.size()) {
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

}  // namespace nmea
