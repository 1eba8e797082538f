#include "app/firmware_folder.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>

#include "firmware/catalogue.h"
#include "firmware/image_validation.h"
#include "text/display_text.h"
#include "upgrade/wizard_operations.h"

namespace app {
namespace {

// The catalogue's own file name, from the path the upgrade reads it under.
const fs::path kCatalogueName = fs::path(firmware::kCataloguePath).filename();
const fs::path kFolderName = fs::path(firmware::kCataloguePath).parent_path();

std::string TrimLineEnd(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

using State = CatalogueEntry::State;

// Validates an image: its block count, or why not.
State CheckImage(const fs::path& path, std::uint32_t& blocks, std::string& problem) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    problem = "not found: " + path.string();
    return State::Missing;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    problem = "cannot be opened: " + path.string();
    return State::Invalid;
  }
  std::uint32_t sum = 0;
  const bool valid =
      firmware::ValidateImage(file, blocks, sum, [&](const std::string& text) { problem = text; });
  std::fclose(file);
  return valid ? State::Valid : State::Invalid;
}

}  // namespace

std::vector<fs::path> FirmwareFolderCandidates(const fs::path& programFolder,
                                               const fs::path& currentFolder) {
  return {programFolder / kFolderName,
          (programFolder / ".." / "share" / "aisfw" / kFolderName).lexically_normal(),
          currentFolder / kFolderName};
}

bool HasCatalogue(const fs::path& folder) {
  std::ifstream in(folder / kCatalogueName);
  std::error_code ec;
  return in.good() && fs::is_regular_file(folder / kCatalogueName, ec);
}

fs::path FindFirmwareFolder(const std::vector<fs::path>& candidates) {
  for (const fs::path& folder : candidates) {
    if (HasCatalogue(folder)) return folder;
  }
  return candidates.empty() ? fs::path() : candidates.front();
}

std::optional<std::uint32_t> ImageBlockCount(const fs::path& image) {
  std::uint32_t blocks = 0;
  std::string problem;
  if (CheckImage(image, blocks, problem) != State::Valid) return std::nullopt;
  return blocks;
}

FolderReport DescribeFirmwareFolder(const fs::path& folder) {
  FolderReport report;
  const fs::path catalogue = folder / kCatalogueName;
  if (!HasCatalogue(folder)) return report;
  std::ifstream in(catalogue, std::ios::binary);
  std::string head(kCatalogueReadLimit, '\0');
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  report.catalogueFound = true;

  // Images are found as the upgrade finds them.
  upgrade::FirmwareFolders folders;
  folders.BinFolder = folder;
  std::size_t at = 0;
  while (at < head.size()) {
    std::size_t end = head.find('\n', at);
    if (end == std::string::npos) end = head.size();
    const std::string line = head.substr(at, end - at);
    at = end + 1;
    const std::string image = TrimLineEnd(line.substr(0, line.find(',')));
    if (image.empty() || line.find(',') == std::string::npos) continue;
    bool seen = false;
    for (const CatalogueEntry& e : report.entries)
      seen = seen || e.image == text::DisplayText(image);
    if (seen) continue;
    if (report.entries.size() == kCatalogueEntryLimit) {
      report.cut = true;
      break;
    }
    CatalogueEntry entry;
    entry.image = text::DisplayText(image);
    // The version as the upgrade reads it: the first line naming the image.
    std::array<char, 80> version{};
    if (firmware::LookUpVersion(catalogue, version, image.c_str())) {
      entry.version = text::DisplayText(TrimLineEnd(version.data()));
    }
    std::string problem;
    // Catalogues are made on both kinds of system: Bin\App_702.SBIN too.
    std::string relative = image;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    entry.state = CheckImage(folders.Resolve(relative), entry.blocks, problem);
    entry.problem = text::DisplayText(problem);
    report.entries.push_back(std::move(entry));
  }
  return report;
}

}  // namespace app
