#pragma once
// What the transponder tests share: small images, the default information
// block, faults by their option text.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "firmware/image_writer.h"
#include "sim/faults.h"

namespace sim::testing {

inline std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A small image of `codeBytes` pseudo-random bytes.
inline std::vector<std::uint8_t> SmallImage(std::size_t codeBytes, std::uint8_t salt = 0) {
  std::vector<std::uint8_t> code(codeBytes);
  for (std::size_t i = 0; i < codeBytes; ++i) {
    code[i] = static_cast<std::uint8_t>(i * 131 + salt + (i >> 8));
  }
  return firmware::PackImage(code);
}

inline const std::vector<std::string> kInfoBlock = {
    "[STATIC DATA]",        "Firmware=V1.0.0",       "S/N:(1234567)",     "[ClassA]=0",
    "[END OF STATIC DATA]", "[MKD]Language=1,2,3,5", "[DEVICE DATA END]",
};

// The fault of the option text `text` ("silent:0").
inline Fault FaultOf(const std::string& text) {
  Fault fault{};
  std::string error;
  EXPECT_TRUE(ParseFault(text, fault, error)) << text << ": " << error;
  return fault;
}

}  // namespace sim::testing
