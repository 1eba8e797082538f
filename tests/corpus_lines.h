#pragma once
// The test corpus as lines, for the tests and the benchmarks: each line
// with its end normalised to CR LF, as the sentence library takes it.

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/line_reader.h"

namespace corpus {

inline std::string Path(const std::string& relative) {
  return std::string(AISFW_TEST_DATA) + "/corpus/" + relative;
}

// Every line of one file.
inline std::vector<std::string> FileLines(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; cli::ReadNmeaLine(in, line);) lines.push_back(line);
  return lines;
}

// Every line of every receiver log in corpus/nmea, file after file.
inline std::vector<std::string> ReceiverLogLines() {
  std::vector<std::string> lines;
  for (const auto& entry : std::filesystem::directory_iterator(Path("nmea"))) {
    if (entry.path().extension() != ".log") continue;
    const std::vector<std::string> file = FileLines(entry.path());
    lines.insert(lines.end(), file.begin(), file.end());
  }
  return lines;
}

}  // namespace corpus
