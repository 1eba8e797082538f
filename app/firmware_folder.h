#pragma once
// The firmware folder of the window: the folder that holds the images
// (App_700.SBIN ...) and their catalogue Firmware.csv. Given on the command
// line, chosen in the window (and remembered), or found: beside the program
// in the build tree, under the installation prefix once installed, or in the
// current folder.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace app {

namespace fs = std::filesystem;

// The folders searched when none is given or remembered, in this order:
// Bin/ beside the program (the build tree, a copied program), the installed
// share/aisfw/Bin under the prefix the program is installed in
// (PREFIX/bin/aisfw-gui finds PREFIX/share/aisfw/Bin), Bin/ in the current
// folder.
std::vector<fs::path> FirmwareFolderCandidates(const fs::path& programFolder,
                                               const fs::path& currentFolder);

// True when `folder` holds a catalogue that is a readable file.
bool HasCatalogue(const fs::path& folder);

// The first candidate with a catalogue; the first candidate when none has
// one (so that what the window says names a folder it searched).
fs::path FindFirmwareFolder(const std::vector<fs::path>& candidates);

// What a folder holds, by its catalogue: each image it lists, its version,
// and whether the image is there and valid.
struct CatalogueEntry {
  std::string image;    // as the catalogue names it (Bin/App_702.SBIN)
  std::string version;  // as the upgrade reads it; empty when the line has none
  enum class State : std::uint8_t { Valid, Missing, Invalid } state = State::Missing;
  std::uint32_t blocks = 0;  // of a valid image
  std::string problem;       // why an image is missing or invalid
};

struct FolderReport {
  bool catalogueFound = false;
  std::vector<CatalogueEntry> entries;
  bool cut = false;  // the catalogue lists more images than are shown
};

// Lists at most this many images of a catalogue, read from its first
// kCatalogueReadLimit bytes.
inline constexpr std::size_t kCatalogueEntryLimit = 32;
inline constexpr std::size_t kCatalogueReadLimit = 64 * 1024;

// Reads the folder's catalogue and checks each image it lists. Texts from
// the files are escaped for display.
FolderReport DescribeFirmwareFolder(const fs::path& folder);

// The block count of a valid image, or none.
std::optional<std::uint32_t> ImageBlockCount(const fs::path& image);

}  // namespace app
