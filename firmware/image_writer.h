#pragma once
// Building firmware images: code bytes cut into code blocks and closed by an
// end block. Used by `aisfw pack` and to make the sample firmware folder that
// the demo and the tests upgrade with.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace firmware {

// The image of `code`: 256 code bytes per block (the last block shorter),
// then a full-size end block.
std::vector<std::uint8_t> PackImage(std::span<const std::uint8_t> code);

// Number of the kernel image and of the four application variants.
inline constexpr int kKernelImage = 700;
inline constexpr int kFirstApplicationImage = 701;
inline constexpr int kLastApplicationImage = 704;

// Relative path of image `number` inside a program folder: Bin/App_<n>.SBIN.
std::string ImagePath(int number);

// Writes Bin/App_700.SBIN to Bin/App_704.SBIN from deterministic
// pseudo-random code, and Bin/Firmware.csv naming their versions, under
// `folder`. Returns false (with a reason in `error`) when a file cannot be
// written.
bool WriteSampleFirmware(const std::filesystem::path& folder, std::string& error);

// Version text the sample catalogue gives for image `number`.
std::string SampleVersion(int number);

}  // namespace firmware
