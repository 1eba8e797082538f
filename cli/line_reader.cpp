#include "cli/line_reader.h"

#include <fmt/core.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

namespace cli {

int ReadInput(const std::string& file, const char* command,
              const std::function<void(std::istream&)>& read) {
  if (file.empty() || file == "-") {
    read(std::cin);
    return std::cin.bad() ? 1 : 0;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    fmt::print(stderr, "aisfw {}: cannot read {}: {}\n", command, file, std::strerror(errno));
    return 1;
  }
  read(in);
  if (in.bad()) {
    fmt::print(stderr, "aisfw {}: error while reading {}\n", command, file);
    return 1;
  }
  return 0;
}

}  // namespace cli
