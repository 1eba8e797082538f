#pragma once
// Validation of a firmware image before any byte of it is sent.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <span>
#include <string>

namespace firmware {

// Where a failure text goes: the upgrade status line of the front end.
using StatusSink = std::function<void(const std::string&)>;

// Reads the open image (binary mode) from its first block to its end block,
// checking each block's magic, length and check byte. `blockCount` receives
// the number of blocks read, end block included (on failure: the number of
// the failing block); `imageSum` the sum of every code byte before the end
// block, modulo 2^32. On failure one of the texts
//   "Invalid BIN file! (Incorrect header in block %d)"
//   "Invalid BIN file! (Incorrect check sum in block %d)"
//   "Invalid BIN file! (Incomplete code data)"
// goes to `status`, or, when the file cannot be read (a read error, not the
// end of the file), "Cannot read BIN file! (Read error in block %d: reason)".
// The file is left where validation stopped.
bool ValidateImage(std::FILE* file, std::uint32_t& blockCount, std::uint32_t& imageSum,
                   const StatusSink& status);

// The same rules and texts for an image held in memory, read as the file
// would be: record after record, a short last record padded with zeros.
// Memory cannot fail to read, so only the three format texts occur.
bool ValidateImage(std::span<const std::uint8_t> image, std::uint32_t& blockCount,
                   std::uint32_t& imageSum, const StatusSink& status);

}  // namespace firmware
