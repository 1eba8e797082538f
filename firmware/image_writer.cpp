#include "firmware/image_writer.h"

#include <algorithm>

#include "firmware/code_block.h"
#include "firmware/image_file.h"
#include "firmware/splitmix64.h"

namespace firmware {
namespace {

void AppendBlock(std::vector<std::uint8_t>& image, std::span<const std::uint8_t> data) {
  std::uint8_t block[kBlockSize] = {};
  std::copy(kMagic.begin(), kMagic.end(), block);
  block[4] = static_cast<std::uint8_t>(data.size() & 0xFF);
  block[5] = static_cast<std::uint8_t>(data.size() >> 8);
  std::copy(data.begin(), data.end(), block + kDataOffset);
  block[kCheckOffset] = SumCode(data).check;
  image.insert(image.end(), block, block + kBlockSize);
}

// Sizes keep a demo upgrade short while still spanning many blocks; the
// last block of each image is a short one.
std::size_t SampleCodeSize(int number) {
  return number == kKernelImage ? 16000 : 30000 + 700 * static_cast<std::size_t>(number - 700);
}

}  // namespace

std::vector<std::uint8_t> PackImage(std::span<const std::uint8_t> code) {
  std::vector<std::uint8_t> image;
  image.reserve((code.size() / kDataAreaSize + 2) * kBlockSize);
  for (std::size_t at = 0; at < code.size(); at += kDataAreaSize) {
    AppendBlock(image, code.subspan(at, std::min(kDataAreaSize, code.size() - at)));
  }
  AppendBlock(image, {});
  return image;
}

std::string ImagePath(int number) { return "Bin/App_" + std::to_string(number) + ".SBIN"; }

std::string SampleVersion(int number) {
  if (number == kKernelImage) return "K2.0.1";
  return "V2.3." + std::to_string(number - kKernelImage);
}

bool WriteSampleFirmware(const std::filesystem::path& folder, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(folder / "Bin", ec);
  if (ec) {
    error = "cannot create " + (folder / "Bin").string() + ": " + ec.message();
    return false;
  }

  std::string catalogue;
  for (int number = kKernelImage; number <= kLastApplicationImage; ++number) {
    // A fixed seed gives the same sample images on every machine.
    SplitMix64 random(static_cast<std::uint64_t>(number));
    std::vector<std::uint8_t> code(SampleCodeSize(number));
    for (auto& byte : code) byte = static_cast<std::uint8_t>(random.Next());
    if (!WriteFileBytes(folder / ImagePath(number), PackImage(code), error)) return false;
    catalogue += ImagePath(number) + ',' + SampleVersion(number) + '\n';
  }
  const auto* text = reinterpret_cast<const std::uint8_t*>(catalogue.data());
  return WriteFileBytes(folder / "Bin" / "Firmware.csv", {text, catalogue.size()}, error);
}

}  // namespace firmware
