#pragma once
// Test helper: a sentence with its checksum and line end added.

#include <array>
#include <string>

#include "nmea/framing.h"

namespace nmea::testing_support {

inline std::string Sentence(const std::string& text) {
  std::array<char, 512> buffer{};
  text.copy(buffer.data(), buffer.size() - 8);
  if (!AppendChecksum(buffer)) return {};
  return buffer.data();
}

}  // namespace nmea::testing_support
