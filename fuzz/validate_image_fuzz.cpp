// libFuzzer entry: any bytes as a firmware image file.

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "firmware/image_validation.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (file == nullptr) return 0;  // fmemopen refuses a zero-length buffer
  std::uint32_t blocks = 0;
  std::uint32_t sum = 0;
  firmware::ValidateImage(file, blocks, sum, nullptr);
  std::fclose(file);
  return 0;
}
