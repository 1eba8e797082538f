#pragma once
// Every JSON line the command line prints goes through here, so each
// command's output is valid UTF-8 JSON, one object per line, whatever bytes
// a device, a file or the system handed over: invalid UTF-8 becomes U+FFFD
// instead of stopping the report half way, and the C1 controls and DEL,
// which JSON leaves as they are but some terminals obey, are written as
// \u escapes.

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

namespace cli {

using Json = nlohmann::ordered_json;

// The object as one line, without its line end.
std::string JsonLine(const Json& value);

// Writes JsonLine(value) and a line end.
void WriteJsonLine(std::ostream& out, const Json& value);

// A 32-bit real as the shortest decimal that reads back to the same float
// (12.3f prints as 12.3, not as 12.3000002); null when it is no number.
Json ShortestJson(float value);

}  // namespace cli
