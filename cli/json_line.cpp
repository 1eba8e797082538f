#include "cli/json_line.h"

#include <fmt/core.h>

#include <charconv>
#include <cmath>
#include <cstdint>

namespace cli {

std::string JsonLine(const Json& value) {
  const std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
  // The dump is valid UTF-8 now; only DEL and the two-byte forms of
  // U+0080..U+009F (C2 80..C2 9F) are left to escape.
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<std::uint8_t>(text[i]);
    if (byte == 0x7F) {
      out += "\\u007f";
    } else if (byte == 0xC2 && i + 1 < text.size() &&
               static_cast<std::uint8_t>(text[i + 1]) <= 0x9F) {
      out += fmt::format("\\u{:04x}", static_cast<std::uint8_t>(text[i + 1]));
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

void WriteJsonLine(std::ostream& out, const Json& value) { out << JsonLine(value) << '\n'; }

Json ShortestJson(float value) {
  if (!std::isfinite(value)) return nullptr;
  // fmt writes a float as the shortest text that reads back to it; read as
  // a double, that text is what the JSON writer prints again.
  const std::string text = fmt::format("{}", value);
  double result = 0.0;
  std::from_chars(text.data(), text.data() + text.size(), result);
  return result;
}

}  // namespace cli
