// Choosing the application image from the language digits, and reading its
// version from the catalogue.

#include "firmware/catalogue.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>

namespace firmware {
namespace {

TEST(ApplicationImageNumber, FollowsTheLanguageDigits) {
  struct Row {
    std::array<std::uint8_t, 4> language;
    int image;
  };
  const Row rows[] = {
      {{1, 2, 3, 5}, 702}, {{1, 2, 3, 6}, 703}, {{1, 2, 3, 7}, 704}, {{1, 2, 3, 8}, 701},
      {{2, 2, 3, 5}, 701}, {{1, 3, 2, 5}, 701}, {{0, 0, 0, 0}, 701}, {{1, 2, 3, 0xD3}, 701},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ApplicationImageNumber(row.language), row.image)
        << int{row.language[0]} << int{row.language[1]} << int{row.language[2]}
        << int{row.language[3]};
  }
}

class Catalogue : public ::testing::Test {
 protected:
  Catalogue() {
    char pattern[] = "/tmp/aisfw-catalogue-XXXXXX";
    path_ = std::filesystem::path(mkdtemp(pattern)) / "Firmware.csv";
  }
  ~Catalogue() override { std::filesystem::remove_all(path_.parent_path()); }

  void Write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  // The version LookUpVersion gives for `image`, or `before` when it leaves
  // the text alone.
  std::string Look(const char* image, const char* before = "unchanged") {
    std::array<char, 80> out{};
    std::snprintf(out.data(), out.size(), "%s", before);
    EXPECT_TRUE(LookUpVersion(path_, out, image));
    return out.data();
  }

  std::filesystem::path path_;
};

TEST_F(Catalogue, TakesTheColumnAfterTheFirstCommaOfTheFirstMatchingLine) {
  struct Row {
    const char* text;
    const char* version;
  };
  const Row rows[] = {
      {"Bin/App_702.SBIN,V2.31\n", "V2.31\n"},       // the caller cuts the line end
      {"Bin\\App_702.SBIN,V2.31\r\n", "V2.31\r\n"},  // written on the other kind of system
      {"Bin/App_702.SBIN,,V1.0\n", "V1.0\n"},        // empty columns are skipped
      {"Bin/App_702.SBIN,V1.0,2015\n", "V1.0"},      // up to the next comma
      {"Old\\Bin\\App_702.SBIN,V0.9\nBin/App_702.SBIN,V1\n",
       "V0.9\n"},  // anywhere in the line; first wins
      {"Bin/App_701.SBIN,V1\nBin/App_702.SBIN,V2\n", "V2\n"},
      {"Bin/App_702.SBIN,V3", "V3"},           // no line end at the end of the file
      {"Bin/App_702.SBIN\n", "unchanged"},     // no comma: nothing to take
      {"Bin/App_702.SBIN,,,\n", "\n"},         // nothing but commas
      {"Bin/App_701.SBIN,V1\n", "unchanged"},  // no matching line
      {"", "unchanged"},
  };
  for (const Row& row : rows) {
    Write(row.text);
    EXPECT_EQ(Look("Bin/App_702.SBIN"), row.version) << row.text;
  }
}

// Lines are read 99 characters at a time; each piece counts as a line.
TEST_F(Catalogue, ALongLineIsReadInPiecesOfNinetyNine) {
  Write(std::string(99, 'x') + "Bin/App_703.SBIN,V7\n" + std::string(95, 'y') +
        ",Bin/App_704.SBIN,V8\n");
  EXPECT_EQ(Look("Bin/App_703.SBIN"), "V7\n");       // the second piece of the first line
  EXPECT_EQ(Look("Bin/App_704.SBIN"), "unchanged");  // cut in two: neither piece names it
}

TEST_F(Catalogue, TheVersionFollowsTheFirstCommaWhereverThePathStands) {
  Write("V9,Bin/App_702.SBIN,V8\n");
  EXPECT_EQ(Look("Bin/App_702.SBIN"), "Bin/App_702.SBIN");
}

TEST_F(Catalogue, AVersionLongerThanTheOutputIsCutToFit) {
  Write("Bin/App_702.SBIN," + std::string(95, 'v') + "\n");
  EXPECT_EQ(Look("Bin/App_702.SBIN"), std::string(79, 'v'));
}

TEST_F(Catalogue, AMissingOrUnreadableCatalogueFails) {
  std::array<char, 80> out{'k', 'e', 'p', 't'};
  EXPECT_FALSE(LookUpVersion(path_.parent_path() / "absent.csv", out, "Bin/App_702.SBIN"));
  EXPECT_STREQ(out.data(), "kept");
  EXPECT_FALSE(
      LookUpVersion(path_.parent_path(), out, "Bin/App_702.SBIN"));  // a folder reads nothing
}

}  // namespace
}  // namespace firmware
