// Image building: packed images validate, and the sample firmware folder is
// complete and the same on every run.

#include "firmware/image_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "firmware/code_block.h"
#include "firmware/image_validation.h"
#include "tests/temp_folder.h"

namespace firmware {
namespace {

namespace fs = std::filesystem;

TEST(PackImage, BlocksHoldTheCodeInOrder) {
  for (std::size_t size : {0u, 1u, 255u, 256u, 257u, 1000u}) {
    std::vector<std::uint8_t> code(size);
    for (std::size_t i = 0; i < size; ++i) code[i] = static_cast<std::uint8_t>(i * 7);
    const std::vector<std::uint8_t> image = PackImage(code);
    EXPECT_EQ(image.size(), ((size + 255) / 256 + 1) * kBlockSize) << size;

    std::vector<std::uint8_t> back;
    for (std::size_t at = 0; at + kBlockSize <= image.size(); at += kBlockSize) {
      const unsigned n = BlockDataLength(&image[at]);
      back.insert(back.end(), image.begin() + at + kDataOffset,
                  image.begin() + at + kDataOffset + n);
    }
    EXPECT_EQ(back, code) << size;
  }
}

class SampleFolder : public testing::Test {
 protected:
  const TempFolder folder_;
  const fs::path dir_ = folder_.Path() / "firmware";
};

std::vector<char> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(SampleFolder, HoldsFiveValidImagesAndTheirCatalogue) {
  std::string error;
  ASSERT_TRUE(WriteSampleFirmware(dir_, error)) << error;
  for (int n = kKernelImage; n <= kLastApplicationImage; ++n) {
    const fs::path path = dir_ / ImagePath(n);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr) << path;
    std::uint32_t blocks = 0, sum = 0;
    EXPECT_TRUE(ValidateImage(f, blocks, sum, nullptr)) << path;
    EXPECT_GT(blocks, 50u);
    std::fclose(f);
  }
  std::ifstream csv(dir_ / "Bin" / "Firmware.csv");
  std::string line;
  int lines = 0;
  while (std::getline(csv, line)) {
    EXPECT_EQ(line, ImagePath(kKernelImage + lines) + "," + SampleVersion(kKernelImage + lines));
    ++lines;
  }
  EXPECT_EQ(lines, 5);

  // Deterministic: a second folder is byte for byte the same.
  const fs::path again = dir_ / "again";
  ASSERT_TRUE(WriteSampleFirmware(again, error)) << error;
  EXPECT_EQ(ReadAll(dir_ / ImagePath(702)), ReadAll(again / ImagePath(702)));
}

TEST_F(SampleFolder, ReportsAFolderThatCannotBeMade) {
  std::ofstream(dir_.string()) << "a file where the folder should be";
  std::string error;
  EXPECT_FALSE(WriteSampleFirmware(dir_ / "sub", error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace firmware
