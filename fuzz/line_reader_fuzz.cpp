// libFuzzer entry: any file through the command line's line reader, with a
// line limit the first byte chooses. Every line comes back whole or is
// refused whole: held against the file cut at its line feeds, each line is
// its piece with one CR LF for its end, numbered in order, and only a piece
// longer than the limit is refused; nothing is lost, joined or made up.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/line_reader.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "line reader: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t limit = 1 + data[0] % 64;
  const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);

  // The file's pieces between line feeds; a last piece without one counts
  // when it is not empty.
  std::vector<std::string_view> pieces;
  for (std::size_t start = 0; start < file.size();) {
    const std::size_t end = file.find('\n', start);
    if (end == std::string_view::npos) {
      pieces.push_back(file.substr(start));
      break;
    }
    pieces.push_back(file.substr(start, end - start));
    start = end + 1;
  }

  std::string copy(file);  // fmemopen wants a writable buffer
  std::FILE* in =
      copy.empty() ? std::fopen("/dev/null", "rb") : fmemopen(copy.data(), copy.size(), "rb");
  if (in == nullptr) return 0;
  cli::LineReader reader(in, limit);
  std::size_t count = 0;
  while (reader.Next()) {
    if (count == pieces.size()) Fail("more lines than the file has");
    const std::string_view piece = pieces[count++];
    if (reader.Number() != count) Fail("lines out of number");
    if (reader.TooLong()) {
      if (piece.size() <= limit) Fail("a line within the limit refused");
      if (!reader.Line().empty()) Fail("a refused line kept");
      continue;
    }
    if (piece.size() > limit) Fail("a line past the limit taken");
    std::string expected(piece);
    if (!expected.empty() && expected.back() == '\r') expected.pop_back();
    if (reader.Line() != expected + "\r\n") Fail("a line changed on the way");
  }
  if (reader.Failed()) Fail("a read error from memory");
  if (count != pieces.size()) Fail("lines lost");
  std::fclose(in);
  return 0;
}
