#include "nmea/classification.h"

#include <cstring>

#include "nmea/formatters.h"

namespace nmea {

std::uint8_t ClassifyFormatter(const char* formatter) {
  if (formatter[0] == 'Q') return CategoryQuery;
  // Only a whole three-character formatter can equal a row of the table.
  if (formatter[0] == '\0' || formatter[1] == '\0' || formatter[2] == '\0' ||
      formatter[3] != '\0') {
    return CategoryNone;
  }
  const FormatterRow* row = FindFormatter(std::string_view(formatter, 3));
  return row == nullptr ? std::uint8_t{CategoryNone} : row->category;
}

std::uint8_t ClassifyFormatter(const SentenceRecord& record) {
  // The record's formatter is always NUL-terminated within its four bytes.
  char formatter[sizeof record.formatter];
  std::memcpy(formatter, record.formatter, sizeof formatter);
  formatter[sizeof formatter - 1] = '\0';
  return ClassifyFormatter(formatter);
}

}  // namespace nmea
