// aisfw pack end to end: an image that reaches the disk validates, and one
// that does not is reported, however small.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "run_aisfw.h"

namespace {

namespace fs = std::filesystem;

TEST(PackCommand, WritesAValidImageAndReportsAWriteThatFailsAtTheClose) {
  const fs::path folder = fs::temp_directory_path() / ("aisfw-pack-" + std::to_string(getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "code.bin", std::ios::binary) << std::string(300, 'x');

  const Output packed =
      Aisfw("pack " + (folder / "code.bin").string() + " " + (folder / "App_700.SBIN").string());
  EXPECT_EQ(packed.exitCode, 0);
  EXPECT_EQ(Aisfw("validate " + (folder / "App_700.SBIN").string()).exitCode, 0);

  // Three blocks fit in the stream's buffer: the device is full only when
  // the close writes them.
  const Output full = Aisfw("pack " + (folder / "code.bin").string() + " /dev/full");
  EXPECT_EQ(full.exitCode, 1) << full.out;
  fs::remove_all(folder);
}

}  // namespace
