// Version texts compared by their numbers, as a technician reads them, not
// as text sorts.

#include "cli/firmware_version.h"

#include <gtest/gtest.h>

namespace {

using cli::CompareVersions;
using cli::VersionOrder;

TEST(FirmwareVersion, NumbersAreReadWhateverSeparatesThem) {
  using Numbers = std::vector<std::uint32_t>;
  EXPECT_EQ(cli::VersionNumbers("V2.3.1"), (Numbers{2, 3, 1}));
  EXPECT_EQ(cli::VersionNumbers("T9.702"), (Numbers{9, 702}));
  EXPECT_EQ(cli::VersionNumbers("v10_2-rc3"), (Numbers{10, 2, 3}));
  EXPECT_EQ(cli::VersionNumbers("007"), (Numbers{7}));
  EXPECT_FALSE(cli::VersionNumbers(""));
  EXPECT_FALSE(cli::VersionNumbers("beta"));
  EXPECT_EQ(cli::VersionNumbers("V4294967295"), (Numbers{4294967295u}));
  EXPECT_FALSE(cli::VersionNumbers("V4294967296")) << "no number wraps round";
}

TEST(FirmwareVersion, OrderComesFromTheNumbers) {
  struct Row {
    const char* running;
    const char* offered;
    VersionOrder order;
  };
  const Row rows[] = {
      {"V1.0.0", "V2.3.2", VersionOrder::Newer},
      {"V2.3.9", "V2.3.10", VersionOrder::Newer},  // text would put 10 before 9
      {"T9.80", "T9.702", VersionOrder::Newer},
      {"V9.9.9", "V2.3.2", VersionOrder::Older},
      {"T9.1000", "T9.702", VersionOrder::Older},
      {"V2.3", "V2.3.1", VersionOrder::Newer},  // a missing number counts as 0
      {"V2.3.1", "V2.3", VersionOrder::Older},
      {"V2.3", "V2.3.0", VersionOrder::Same},
      {"V2.31", "v2.31", VersionOrder::Same},
      {"V2.31", "K2.31", VersionOrder::Same},  // letters are not numbers
      {"", "V2.31", VersionOrder::Unknown},
      {"V2.31", "new", VersionOrder::Unknown},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CompareVersions(row.running, row.offered), row.order)
        << row.running << " -> " << row.offered;
  }
}

TEST(FirmwareVersion, OnlyYesIsRefusedAndEachOptionAllowsItsOwnCase) {
  const std::string catalogue = "/f/Bin/Firmware.csv";
  const auto judge = [&](const char* running, const char* offered, cli::VersionCheckOptions o) {
    return cli::JudgeOfferedVersion(running, offered, "Bin/App_702.SBIN", catalogue, o);
  };
  EXPECT_TRUE(judge("V9", "V2", {true, false, false}).refused);
  EXPECT_FALSE(judge("V9", "V2", {true, true, false}).refused);
  EXPECT_TRUE(judge("V9", "V2", {true, false, true}).refused) << "reinstall allows no downgrade";
  EXPECT_TRUE(judge("V2", "V2", {true, true, false}).refused) << "older allows no reinstall";
  EXPECT_FALSE(judge("V2", "V2", {true, false, true}).refused);
  EXPECT_FALSE(judge("V9", "V2", {false, false, false}).refused) << "asked at a terminal";
  EXPECT_FALSE(judge("V9", "V2", {false, false, false}).warnings.empty());
  EXPECT_TRUE(judge("V1", "V2", {true, false, false}).warnings.empty());
  // Unknown: said, never refused (there is nothing to compare).
  const cli::VersionVerdict unknown = judge("V1", "", {true, false, false});
  EXPECT_FALSE(unknown.refused);
  ASSERT_EQ(unknown.warnings.size(), 1u);
  EXPECT_NE(unknown.warnings[0].find(catalogue), std::string::npos);
  // Text from the device or the catalogue reaches the terminal escaped.
  const cli::VersionVerdict escaped = judge("V9\x1b[2J", "V2", {false, false, false});
  ASSERT_FALSE(escaped.warnings.empty());
  EXPECT_EQ(escaped.warnings[0].find('\x1b'), std::string::npos) << escaped.warnings[0];
}

}  // namespace
