#include "cli/line_reader.h"

#include <fmt/core.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace cli {

bool LineReader::Next() {
  const auto next = [this] {
    const int c = std::getc(in_);
    if (c == EOF && std::ferror(in_) && error_ == 0) error_ = errno;
    return c;
  };
  const LineRead read = ReadBoundedLine(next, line_, limit_);
  if (read == LineRead::End) return false;
  ++number_;
  tooLong_ = read == LineRead::TooLong;
  return true;
}

int ReadInput(const std::string& file, const char* command,
              const std::function<void(LineReader&)>& read) {
  const bool standardInput = file.empty() || file == "-";
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> opened;
  if (!standardInput) {
    // Close-on-exec: nothing this program starts inherits the file.
    opened.reset(std::fopen(file.c_str(), "rbe"));
    if (!opened) {
      fmt::print(stderr, "aisfw {}: cannot read {}: {}\n", command, file, std::strerror(errno));
      return 1;
    }
  }
  std::FILE* in = standardInput ? stdin : opened.get();
  LineReader reader(in);
  read(reader);
  if (reader.Failed()) {
    const int error = reader.Error();
    fmt::print(stderr, "aisfw {}: error while reading {}{}\n", command,
               standardInput ? "standard input" : file,
               error != 0 ? fmt::format(": {}", std::strerror(error)) : std::string());
    return 1;
  }
  return 0;
}

}  // namespace cli
