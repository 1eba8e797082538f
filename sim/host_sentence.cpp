#include "sim/host_sentence.h"

#include <charconv>

#include "nmea/framing.h"

namespace sim {

bool ReadHostSentence(std::string_view line, HostSentence& sentence) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.size() < 6 || line.size() > 90 || line[0] != '$' || line[1] != 'P') return false;
  const std::string framed = std::string(line) + "\r\n";
  if (!nmea::VerifyChecksum(framed.c_str())) return false;
  const std::size_t star = line.rfind('*');
  if (star == std::string_view::npos) return false;

  std::vector<std::string> parts;
  const std::string_view body = line.substr(1, star - 1);
  std::size_t at = 0;
  for (;;) {
    const std::size_t comma = body.find(',', at);
    parts.emplace_back(
        body.substr(at, comma == std::string_view::npos ? std::string_view::npos : comma - at));
    if (comma == std::string_view::npos) break;
    at = comma + 1;
  }

  sentence = {};
  std::size_t first = 1;
  if (parts[0] == "PZLX") {
    if (parts.size() < 3 || parts[1].size() != 1) return false;
    sentence.makerLetter = parts[1][0];
    sentence.formatter = parts[2];
    first = 3;
  } else {
    sentence.formatter = parts[0].substr(1);
  }
  sentence.fields.assign(parts.begin() + static_cast<std::ptrdiff_t>(std::min(first, parts.size())),
                         parts.end());
  return true;
}

bool FieldInteger(const HostSentence& sentence, std::size_t index, long& value) {
  if (index >= sentence.fields.size()) return false;
  const std::string& field = sentence.fields[index];
  if (field.empty()) return false;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  return error == std::errc() && end == field.data() + field.size();
}

std::string FrameSentence(std::string_view body) {
  char buffer[nmea::kLineBufferSize * 2] = {};
  buffer[0] = '$';
  body.copy(buffer + 1, std::min(body.size(), sizeof buffer - 8));
  nmea::AppendChecksum(buffer);
  return buffer;
}

}  // namespace sim
