// aisfw pack and aisfw validate end to end: every failure is reported with
// what failed and a non-zero exit, never as success or a crash.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "run_aisfw.h"
#include "tests/temp_folder.h"

namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class FirmwareCommands : public testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(folder / "code.bin", std::ios::binary) << std::string(1000, 'c');
  }
  TempFolder folder;
};

TEST_F(FirmwareCommands, PacksAnImageThatValidates) {
  const Output pack = Aisfw("pack " + folder / "code.bin" + " " + folder / "App.SBIN");
  EXPECT_EQ(pack.exitCode, 0);
  EXPECT_TRUE(Contains(pack.out, "1000 code bytes in 5 blocks")) << pack.out;
  const Output check = Aisfw("validate " + folder / "App.SBIN");
  EXPECT_EQ(check.exitCode, 0);
  EXPECT_TRUE(Contains(check.out, "valid, 5 blocks")) << check.out;
}

struct PackFailure {
  const char* name;
  std::string input;  // relative to the folder unless absolute
  std::string output;
  const char* says;
};

void PrintTo(const PackFailure& row, std::ostream* os) { *os << row.name; }

class PackFails : public FirmwareCommands, public testing::WithParamInterface<PackFailure> {};

TEST_P(PackFails, WithTheReasonAndExitCode1) {
  const auto place = [this](const std::string& p) { return p[0] == '/' ? p : folder / p; };
  const Output run =
      Aisfw("pack " + place(GetParam().input) + " " + place(GetParam().output), true);
  EXPECT_EQ(run.exitCode, 1) << run.out;
  EXPECT_TRUE(Contains(run.out, GetParam().says)) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Pack, PackFails,
    testing::Values(
        // Reading them fails: a stream exception once aborted the program.
        PackFailure{"InputIsAFolder", ".", "out.SBIN", "cannot read"},
        PackFailure{"InputUnreadable", "/proc/self/mem", "out.SBIN", "cannot read"},
        PackFailure{"InputMissing", "missing.bin", "out.SBIN", "cannot open"},
        // The full disk shows only when the file is closed.
        PackFailure{"OutputOnAFullDisk", "code.bin", "/dev/full", "cannot write"},
        PackFailure{"OutputInAMissingFolder", "code.bin", "no/such/folder/out.SBIN",
                    "cannot create"}),
    [](const testing::TestParamInfo<PackFailure>& row) { return std::string(row.param.name); });

TEST_F(FirmwareCommands, SampleFolderOnAFullDiskFails) {
  fs::create_directories(folder.Path() / "Bin");
  fs::create_symlink("/dev/full", folder.Path() / "Bin" / "Firmware.csv");
  const Output run = Aisfw("pack --sample " + folder.Path().string(), true);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Contains(run.out, "cannot write")) << run.out;
}

TEST_F(FirmwareCommands, ValidateReportsEachImageOnItsOwn) {
  ASSERT_EQ(Aisfw("pack " + folder / "code.bin" + " " + folder / "good.SBIN").exitCode, 0);
  std::ofstream(folder / "bad.SBIN", std::ios::binary) << "C0DX";
  const Output run = Aisfw("validate " + folder / "good.SBIN" + " " + folder / "missing.SBIN" +
                               " " + folder / "bad.SBIN" + " " + folder.Path().string(),
                           true);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Contains(run.out, "good.SBIN: valid, 5 blocks")) << run.out;
  EXPECT_TRUE(Contains(run.out, "missing.SBIN: cannot open: No such file")) << run.out;
  EXPECT_TRUE(Contains(run.out, "bad.SBIN: Invalid BIN file! (Incorrect header in block 1)"))
      << run.out;
  // A folder opens but cannot be read: no format fault.
  EXPECT_TRUE(Contains(run.out, "Cannot read BIN file! (Read error in block 1: Is a directory)"))
      << run.out;
}

}  // namespace
