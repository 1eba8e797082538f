#pragma once
// The parse and compose tables: formatter to parser, formatter to composer.

#include "nmea/composers.h"
#include "nmea/parsers.h"

namespace nmea {

// Lookup key of a three-character formatter, characters taken as signed
// bytes; the tables are sorted by it.
constexpr long FormatterKey(const char* formatter) {
  return static_cast<signed char>(formatter[0]) * 65536L +
         static_cast<signed char>(formatter[1]) * 256L + static_cast<signed char>(formatter[2]);
}

// nullptr when the formatter has no parser (composer).
SentenceParser FindParser(const char* formatter);
SentenceComposer FindComposer(const char* formatter);

}  // namespace nmea
