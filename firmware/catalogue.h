#pragma once
// Which application image a device gets, and the catalogue Bin/Firmware.csv
// that gives each image's version text.
//
// Catalogue lines are comma-separated; a line describes an image when it
// contains the image's relative path anywhere (by convention as the first
// column), written with either separator, since catalogues are made on both
// kinds of system: Bin/App_702.SBIN,V2.31 and Bin\App_702.SBIN,V2.31 both
// give V2.31 for image 702.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace firmware {

// Relative path of the catalogue, beside the images.
inline constexpr const char* kCataloguePath = "Bin/Firmware.csv";

// Lines are read with a buffer of this size, so a longer line is read in
// pieces, each taken as a line of its own.
inline constexpr std::size_t kCatalogueReadBuffer = 100;

// The application image for four display-language digits: 1,2,3,5 gives 702,
// 1,2,3,6 gives 703, 1,2,3,7 gives 704, anything else 701.
int ApplicationImageNumber(std::span<const std::uint8_t, 4> language);

// Copies the version text of the first catalogue line that contains
// `imagePath` into `out` (NUL-terminated, cut to fit): the text after the
// first comma (and any commas right after it) up to the next comma or the end
// of the piece read, a line end that was read included. A matching line
// without a comma leaves `out` as it was. False only when the catalogue
// cannot be opened or read; no matching line leaves `out` as it was.
bool LookUpVersion(const std::filesystem::path& catalogue, std::span<char> out,
                   const char* imagePath);

}  // namespace firmware
