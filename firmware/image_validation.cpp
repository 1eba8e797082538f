#include "firmware/image_validation.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "firmware/code_block.h"

namespace firmware {
namespace {

bool Fail(const StatusSink& status, const char* format, std::uint32_t block,
          const char* reason = nullptr) {
  if (status) {
    char text[80];
    std::snprintf(text, sizeof text, format, static_cast<int>(block));
    std::string message = text;
    if (reason != nullptr) message += std::string(reason) + ")";
    status(message);
  }
  return false;
}

}  // namespace

bool ValidateImage(std::FILE* file, std::uint32_t& blockCount, std::uint32_t& imageSum,
                   const StatusSink& status) {
  std::rewind(file);
  blockCount = 0;
  imageSum = 0;

  std::uint8_t block[kBlockSize];
  bool endOfFile = false;
  while (!endOfFile) {
    // A short last record reads as if padded with zeros.
    std::memset(block, 0, sizeof block);
    if (std::fread(block, 1, sizeof block, file) < sizeof block) endOfFile = true;
    ++blockCount;
    // A failed read is no end of the file: the image was not read, which is
    // not the same as an image in the wrong format.
    if (std::ferror(file)) {
      const int error = errno;
      return Fail(status, "Cannot read BIN file! (Read error in block %d: ", blockCount,
                  std::strerror(error));
    }

    const unsigned n = BlockDataLength(block);
    if (!HasMagic(block) || n > kDataAreaSize) {
      return Fail(status, "Invalid BIN file! (Incorrect header in block %d)", blockCount);
    }
    if (n == 0) return true;  // the end block; anything after it is never read

    const CodeSums sums = SumCode(CodeBytes(block));
    if (sums.check != block[kCheckOffset]) {
      return Fail(status, "Invalid BIN file! (Incorrect check sum in block %d)", blockCount);
    }
    imageSum += sums.sum;
  }
  return Fail(status, "Invalid BIN file! (Incomplete code data)", blockCount);
}

}  // namespace firmware
