// libFuzzer entry: any bytes as a firmware image file, and the same bytes
// as the code of an image `aisfw pack` builds, which must validate with one
// block per 256 code bytes (the last one shorter) plus the end block, and
// the sum of the code bytes as its image sum.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <span>
#include <string>
#include <vector>

#include "firmware/image_validation.h"
#include "firmware/image_writer.h"

namespace {

struct Result {
  bool valid = false;
  std::uint32_t blocks = 0;
  std::uint32_t sum = 0;
  std::string status;
};

Result Validate(std::span<const std::uint8_t> bytes) {
  Result result;
  std::FILE* file = fmemopen(const_cast<std::uint8_t*>(bytes.data()), bytes.size(), "rb");
  if (file == nullptr) return result;  // fmemopen refuses a zero-length buffer
  result.valid = firmware::ValidateImage(file, result.blocks, result.sum,
                                         [&](const std::string& text) { result.status = text; });
  std::fclose(file);
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> code(data, size);
  Validate(code);

  const std::vector<std::uint8_t> image = firmware::PackImage(code);
  const Result packed = Validate(image);
  const auto blocks = static_cast<std::uint32_t>((size + 255) / 256 + 1);
  const std::uint32_t sum = std::accumulate(code.begin(), code.end(), std::uint32_t{0});
  if (!packed.valid || packed.blocks != blocks || packed.sum != sum) {
    std::fprintf(stderr,
                 "a packed image of %zu code bytes validates as %s, %u blocks, sum %u "
                 "(expected %u blocks, sum %u): %s\n",
                 size, packed.valid ? "valid" : "invalid", packed.blocks, packed.sum, blocks, sum,
                 packed.status.c_str());
    std::abort();
  }
  return 0;
}
