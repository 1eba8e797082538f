#pragma once
// Firmware version texts compared by their numbers ("V2.3.10" is newer than
// "V2.3.9", and "V2.3" is "V2.3.0"), and what the upgrade says and does
// when the version offered is not newer than the one the device runs.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The numbers of a version text in order, whatever separates them
// ("V2.31" -> 2, 31; "T9.702" -> 9, 702); none when it holds no digit or a
// number too large to be a version part.
std::optional<std::vector<std::uint32_t>> VersionNumbers(std::string_view text);

// Where the offered version stands against the running one.
enum class VersionOrder { Newer, Same, Older, Unknown };

// Compared number by number, a missing number counting as 0; Unknown when
// either text has no number.
VersionOrder CompareVersions(std::string_view running, std::string_view offered);

// What the upgrade does about the version offered.
struct VersionCheckOptions {
  bool yes = false;             // the question is answered by --yes
  bool allowOlder = false;      // --allow-older
  bool allowReinstall = false;  // --allow-reinstall
};

struct VersionVerdict {
  VersionOrder order = VersionOrder::Unknown;
  // Lines for standard error, shown before the question.
  std::vector<std::string> warnings;
  // The run must not go on: --yes would install an older or the same
  // version without its --allow-... option.
  bool refused = false;
};

// `offered` is empty when the catalogue gave no version for `imageName`
// (the application image's relative path); `catalogue` is the file read.
VersionVerdict JudgeOfferedVersion(std::string_view running, std::string_view offered,
                                   std::string_view imageName, const std::string& catalogue,
                                   const VersionCheckOptions& options);

}  // namespace cli
