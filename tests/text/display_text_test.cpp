#include "text/display_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
  const char* name;
  std::string raw;
  std::string shown;
};

// What a person sees of text a device, a file or the system gave us.
TEST(DisplayText, EscapesWhatATerminalWouldObeyAndKeepsTheRest) {
  const Case cases[] = {
      {"plain text", "V2.3.2 (build 7)", "V2.3.2 (build 7)"},
      {"empty", "", ""},
      {"a title and a clear-screen from a device", "V1\x1b]0;owned\a\x1b[2J",
       "V1\\x1b]0;owned\\x07\\x1b[2J"},
      {"line ends and tabs spelled out", "a\r\nb\tc", "a\\r\\nb\\tc"},
      {"NUL and DEL", std::string("x\0y\x7f", 4), "x\\x00y\\x7f"},
      {"accented and wide characters kept", "Gr\xc3\xbc\xc3\x9f\x65 \xe2\x82\xac \xf0\x9f\x9a\xa2",
       "Gr\xc3\xbc\xc3\x9f\x65 \xe2\x82\xac \xf0\x9f\x9a\xa2"},
      {"a C1 control (8-bit CSI) in UTF-8 form",
       "a\xc2\x9b"
       "2J",
       "a\\xc2\\x9b2J"},
      {"a raw 8-bit CSI",
       "a\x9b"
       "2J",
       "a\\x9b2J"},
      {"a process name that is not UTF-8", "py\xff\xfe", "py\\xff\\xfe"},
      {"an overlong slash", "\xc0\xaf", "\\xc0\\xaf"},
      {"a surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
      {"a sequence cut short at the end", "ab\xe2\x82", "ab\\xe2\\x82"},
      {"a lead byte followed by ASCII",
       "\xc3("
       "x",
       "\\xc3(x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(text::DisplayText(c.raw), c.shown);
    EXPECT_EQ(text::IsDisplayable(c.raw), c.raw == c.shown);
  }
}

// What is shown never holds a byte below 0x20 or DEL, whatever came in.
TEST(DisplayText, NoControlByteSurvivesAnyInput) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (int b = 0; b < 256; ++b) all += static_cast<char>(255 - b);
  const std::string shown = text::DisplayText(all);
  for (const char c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    EXPECT_TRUE(byte >= 0x20 && byte != 0x7f) << static_cast<int>(byte);
  }
  EXPECT_TRUE(text::IsDisplayable(shown));
}

}  // namespace
