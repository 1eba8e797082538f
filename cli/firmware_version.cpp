#include "cli/firmware_version.h"

#include <fmt/core.h>

#include <algorithm>

#include "text/display_text.h"

namespace cli {

std::optional<std::vector<std::uint32_t>> VersionNumbers(std::string_view text) {
  std::vector<std::uint32_t> numbers;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] < '0' || text[i] > '9') {
      ++i;
      continue;
    }
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
      if (value > UINT32_MAX) return std::nullopt;
    }
    numbers.push_back(static_cast<std::uint32_t>(value));
  }
  if (numbers.empty()) return std::nullopt;
  return numbers;
}

VersionOrder CompareVersions(std::string_view running, std::string_view offered) {
  const auto was = VersionNumbers(running);
  const auto will = VersionNumbers(offered);
  if (!was || !will) return VersionOrder::Unknown;
  const std::size_t length = std::max(was->size(), will->size());
  for (std::size_t i = 0; i < length; ++i) {
    const std::uint32_t a = i < was->size() ? (*was)[i] : 0;
    const std::uint32_t b = i < will->size() ? (*will)[i] : 0;
    if (a != b) return b > a ? VersionOrder::Newer : VersionOrder::Older;
  }
  return VersionOrder::Same;
}

VersionVerdict JudgeOfferedVersion(std::string_view running, std::string_view offered,
                                   std::string_view imageName, const std::string& catalogue,
                                   const VersionCheckOptions& options) {
  VersionVerdict verdict;
  const std::string was = text::DisplayText(running);
  const std::string will = text::DisplayText(offered);
  if (offered.empty()) {
    const std::string image = text::DisplayText(imageName);
    verdict.warnings.push_back(fmt::format(
        "aisfw: warning: the new version is unknown: the catalogue {} has no version for {} "
        "(looked for a line naming {} with the version after its first comma, such as "
        "{},V2.31)",
        text::DisplayText(catalogue), image, image, image));
    return verdict;
  }
  verdict.order = CompareVersions(running, offered);
  switch (verdict.order) {
    case VersionOrder::Newer:
      break;
    case VersionOrder::Unknown:
      verdict.warnings.push_back(fmt::format(
          "aisfw: warning: cannot tell whether {} is newer than the running {}: one of them has "
          "no version number",
          will, was));
      break;
    case VersionOrder::Same:
      verdict.warnings.push_back(fmt::format(
          "aisfw: warning: the device already runs {}; this installs the same version ({}) again",
          was, will));
      if (options.yes && !options.allowReinstall) {
        verdict.refused = true;
        verdict.warnings.push_back(
            "aisfw: not upgrading: --yes does not reinstall the running version; give "
            "--allow-reinstall to install it again");
      }
      break;
    case VersionOrder::Older:
      verdict.warnings.push_back(fmt::format(
          "aisfw: warning: {} is older than the running {}: this is a downgrade", will, was));
      if (options.yes && !options.allowOlder) {
        verdict.refused = true;
        verdict.warnings.push_back(
            "aisfw: not upgrading: --yes does not install an older version; give --allow-older "
            "to install it");
      }
      break;
  }
  return verdict;
}

}  // namespace cli
