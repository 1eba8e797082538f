#include "text/display_text.h"

#include <cstdint>

namespace text {
namespace {

// The length of the valid UTF-8 sequence that starts at `at`, or 0. Only
// the shortest form of a code point counts, surrogates do not, and neither
// do the C1 controls (U+0080..U+009F), which some terminals obey.
std::size_t Utf8Length(std::string_view s, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
  const std::uint8_t lead = byte(at);
  std::size_t length = 0;
  std::uint32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
  } else {
    return 0;
  }
  if (at + length > s.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const std::uint8_t next = byte(at + i);
    if ((next & 0xC0u) != 0x80u) return 0;
    code = (code << 6) | (next & 0x3Fu);
  }
  const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  const bool c1 = code >= 0x80 && code <= 0x9F;
  if (overlong || surrogate || c1 || code > 0x10FFFF) return 0;
  return length;
}

void AppendEscape(std::string& out, std::uint8_t byte) {
  static constexpr char kHex[] = "0123456789abcdef";
  switch (byte) {
    case '\n':
      out += "\\n";
      return;
    case '\r':
      out += "\\r";
      return;
    case '\t':
      out += "\\t";
      return;
    default:
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
  }
}

}  // namespace

std::string DisplayText(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  std::size_t i = 0;
  while (i < raw.size()) {
    const auto byte = static_cast<std::uint8_t>(raw[i]);
    if (byte >= 0x20 && byte < 0x7F) {
      out += static_cast<char>(byte);
      ++i;
      continue;
    }
    if (byte >= 0x80) {
      if (const std::size_t length = Utf8Length(raw, i); length > 0) {
        out.append(raw.substr(i, length));
        i += length;
        continue;
      }
    }
    AppendEscape(out, byte);
    ++i;
  }
  return out;
}

bool IsDisplayable(std::string_view raw) { return DisplayText(raw) == raw; }

}  // namespace text
