// The file line reader on inputs that end or break at awkward places: each
// line comes back with CR LF, numbered; a line past the limit is refused
// whole and the next one is read.

#include "cli/line_reader.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

// What the reader made of `input` with a limit of 8 bytes: each line, or
// "<too long>", in order.
std::vector<std::string> Lines(const std::string& input) {
  std::vector<std::string> lines;
  FILE* in = fmemopen(const_cast<char*>(input.data()), input.size(), "rb");
  if (input.empty()) in = fopen("/dev/null", "rb");
  cli::LineReader reader(in, 8);
  while (reader.Next()) {
    EXPECT_EQ(reader.Number(), lines.size() + 1);
    lines.push_back(reader.TooLong() ? "<too long>" : reader.Line());
  }
  EXPECT_FALSE(reader.Failed());
  fclose(in);
  return lines;
}

struct Case {
  const char* what;
  std::string input;
  std::vector<std::string> lines;
};

TEST(LineReader, CutsBoundedLines) {
  const std::vector<Case> cases = {
      {"nothing", "", {}},
      {"LF", "a\nb\n", {"a\r\n", "b\r\n"}},
      {"CR LF", "a\r\nb\r\n", {"a\r\n", "b\r\n"}},
      {"last line without an end", "a\nb", {"a\r\n", "b\r\n"}},
      {"an empty line", "\n\n", {"\r\n", "\r\n"}},
      {"a lone CR inside a line stays", "a\rb\n", {"a\rb\r\n"}},
      {"exactly the limit", "12345678\n", {"12345678\r\n"}},
      {"the limit with its CR", "1234567\r\n", {"1234567\r\n"}},
      {"one past the limit", "123456789\nok\n", {"<too long>", "ok\r\n"}},
      {"the limit and a CR", "12345678\r\nok\n", {"<too long>", "ok\r\n"}},
      {"long at the end, no line end", "ok\n" + std::string(100, 'x'), {"ok\r\n", "<too long>"}},
      {"a NUL is a byte like others", std::string("a\0b\n", 4), {std::string("a\0b\r\n", 5)}},
  };
  for (const Case& c : cases) EXPECT_EQ(Lines(c.input), c.lines) << c.what;
}

// The C++ stream reader that the tests and benchmarks use reads the same.
TEST(LineReader, StreamReaderReadsTheSame) {
  std::istringstream in("a\r\n" + std::string(5000, 'x') + "\nb");
  std::vector<std::string> lines;
  for (std::string line; cli::ReadNmeaLine(in, line);) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"a\r\n", "\r\n", "b\r\n"}));
}

TEST(LineReader, AReadErrorIsNoEndOfInput) {
  FILE* folder = fopen("/", "rb");
  ASSERT_NE(folder, nullptr);
  cli::LineReader reader(folder);
  EXPECT_FALSE(reader.Next());
  EXPECT_TRUE(reader.Failed());
  EXPECT_EQ(reader.Error(), EISDIR);
  fclose(folder);
}

}  // namespace
