#pragma once
// One parsed NMEA line as a JSON object, for `aisfw decode`.
//
//   {"line": N, "ok": true, "talker": "GP", "formatter": "GGA", "maker": null,
//    "category": 1, "fields": {...}}
//   {"line": N, "ok": false, "reason": "checksum"}
//
// A refused line says why in words of its own: "blank line", "no checksum"
// (no '*' at all), "checksum" (the digits do not match), or the library's
// name for the fault.
//
// Fields are named in snake_case after their meaning; positions are `lat`
// and `lon` in degrees, times "hh:mm:ss.cc", and a value that the sentence
// left empty (its sentinel) is null. Keys keep this order.

#include <cstddef>
#include <string_view>

#include "cli/json_line.h"
#include "nmea/sentence_library.h"
#include "nmea/sentence_record.h"

namespace cli {

// The object of one input line. `text` is the line as read (CR LF
// included); `accepted` and `fault` are what ParseSentence returned and
// LastFault said; `record` is the parse record.
// A '!' sentence that was parsed but does not complete a VDM or VDO message
// (a first fragment, an ABM or BBM) still counts as ok; its "message" key
// says "fragment" or "addressed" instead of "complete".
Json LineJson(std::size_t lineNumber, std::string_view text, bool accepted,
              nmea::SentenceFault fault, const nmea::SentenceRecord& record);

// The object of a line refused before it was parsed: too long to be read.
Json TooLongLineJson(std::size_t lineNumber);

// Why a line was refused, as LineJson says it.
const char* RefusalReason(std::string_view text, nmea::SentenceFault fault);

// The "fields" object of a parsed record, by formatter.
Json FieldsJson(const nmea::SentenceRecord& record);

}  // namespace cli
