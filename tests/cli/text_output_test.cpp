// What every command writes: JSON lines that are valid UTF-8 and safe on a
// terminal, whatever bytes they carry, and help texts within 80 columns.

#include <gtest/gtest.h>

#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli/command_help.h"
#include "cli/json_line.h"

namespace {

TEST(JsonLine, InvalidUtf8IsReplacedAndTerminalControlsEscaped) {
  struct Case {
    const char* what;
    std::string text;
    std::string written;  // the string's JSON form
  };
  const Case cases[] = {
      {"plain", "abc", R"("abc")"},
      {"escape sequence", "\x1b]0;owned\x07", R"("\u001b]0;owned\u0007")"},
      {"a stray byte", "caf\xe9", "\"caf\xef\xbf\xbd\""},
      {"DEL", "a\x7f", R"("a\u007f")"},
      {"C1 control (CSI) in UTF-8",
       "a\xc2\x9b"
       "2J",
       R"("a\u009b2J")"},
      {"a letter beyond ASCII stays", "\xc3\xa9", "\"\xc3\xa9\""},
      {"a character after C1", "\xc2\xa0", "\"\xc2\xa0\""},
  };
  for (const Case& c : cases) {
    const std::string line = cli::JsonLine(cli::Json{{"t", c.text}});
    EXPECT_EQ(line, "{\"t\":" + c.written + "}") << c.what;
    EXPECT_NO_THROW(nlohmann::json::parse(line)) << c.what;
  }
}

TEST(JsonLine, FloatsAreTheShortestTextThatReadsBack) {
  EXPECT_EQ(cli::ShortestJson(12.3f).dump(), "12.3");
  EXPECT_EQ(cli::ShortestJson(245.2f).dump(), "245.2");
  EXPECT_EQ(cli::ShortestJson(-123.395386f).dump(), "-123.395386");
  EXPECT_EQ(static_cast<float>(cli::ShortestJson(0.1f).get<double>()), 0.1f);
  EXPECT_TRUE(cli::ShortestJson(std::numeric_limits<float>::quiet_NaN()).is_null());
}

TEST(HelpText, WrapsWithinTheWidthAndKeepsEveryWord) {
  const std::string text =
      "Folder holding the images (App_700..704.SBIN) and Firmware.csv; by default images are "
      "read from Bin/ beside the program and the catalogue from Bin/ in the current folder\n"
      "  term      a row of its own whose text is long enough to need a second line to "
      "fit";
  const std::string wrapped = cli::WrapText(text, 30, 30);
  std::istringstream lines(wrapped);
  std::string line;
  bool first = true;  // it starts at column 30
  std::string words;
  while (std::getline(lines, line)) {
    EXPECT_LE(line.size(), first ? 50u : 80u) << line;
    first = false;
    std::istringstream w(line);
    for (std::string word; w >> word;) words += word + " ";
  }
  std::istringstream original(text);
  std::string expected;
  for (std::string word; original >> word;) expected += word + " ";
  EXPECT_EQ(words, expected);
  // The row's text goes on under itself.
  EXPECT_NE(wrapped.find("\n" + std::string(30 + 12, ' ') + "enough"), std::string::npos)
      << wrapped;
}

}  // namespace
