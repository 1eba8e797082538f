#include "firmware/image_validation.h"

#include <algorithm>
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

enum class BlockCheck { Code, End, Failed };

// One record read into `block` (zero-padded when short): the rules that both
// forms of the image share.
BlockCheck CheckBlock(const std::uint8_t (&block)[kBlockSize], std::uint32_t blockCount,
                      std::uint32_t& imageSum, const StatusSink& status) {
  const unsigned n = BlockDataLength(block);
  if (!HasMagic(block) || n > kDataAreaSize) {
    Fail(status, "Invalid BIN file! (Incorrect header in block %d)", blockCount);
    return BlockCheck::Failed;
  }
  if (n == 0) return BlockCheck::End;  // anything after the end block is never read

  const CodeSums sums = SumCode(CodeBytes(block));
  if (sums.check != block[kCheckOffset]) {
    Fail(status, "Invalid BIN file! (Incorrect check sum in block %d)", blockCount);
    return BlockCheck::Failed;
  }
  imageSum += sums.sum;
  return BlockCheck::Code;
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

    const BlockCheck check = CheckBlock(block, blockCount, imageSum, status);
    if (check != BlockCheck::Code) return check == BlockCheck::End;
  }
  return Fail(status, "Invalid BIN file! (Incomplete code data)", blockCount);
}

bool ValidateImage(std::span<const std::uint8_t> image, std::uint32_t& blockCount,
                   std::uint32_t& imageSum, const StatusSink& status) {
  blockCount = 0;
  imageSum = 0;

  std::uint8_t block[kBlockSize];
  std::size_t offset = 0;
  bool endOfImage = false;
  while (!endOfImage) {
    std::memset(block, 0, sizeof block);
    const std::size_t n = std::min(sizeof block, image.size() - offset);
    if (n > 0) std::memcpy(block, image.data() + offset, n);
    offset += n;
    if (n < sizeof block) endOfImage = true;
    ++blockCount;
    const BlockCheck check = CheckBlock(block, blockCount, imageSum, status);
    if (check != BlockCheck::Code) return check == BlockCheck::End;
  }
  return Fail(status, "Invalid BIN file! (Incomplete code data)", blockCount);
}

}  // namespace firmware
