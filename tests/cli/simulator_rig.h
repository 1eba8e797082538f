#pragma once
// Test fixture for the serial commands end to end: a fresh folder with a
// small firmware set of its own (Bin/App_700..704.SBIN and Bin/Firmware.csv,
// a few dozen blocks, so a whole upgrade takes seconds), the virtual
// transponder on a pseudo-terminal with a quick countdown and verdict, and
// aisfw run against it.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "firmware/image_writer.h"
#include "tests/process/child_process.h"
#include "tests/process/sim_process.h"

namespace cli_test {

namespace fs = std::filesystem;

inline const std::string kAisfw = std::string(AISFW_PROGRAM_DIR) + "/aisfw";

inline std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Blocks of code (the end block comes on top) of each image of the set.
inline constexpr int kKernelBlocks = 12;
inline constexpr int kApplicationBlocks = 20;
// Version text of application image `number` in the set's catalogue.
inline std::string TestVersion(int number) { return "T9." + std::to_string(number); }

// A firmware folder: images of `blocks` full blocks (the last one short)
// from bytes that differ per image, and the catalogue.
inline void WriteFirmwareSet(const fs::path& folder) {
  fs::create_directories(folder / "Bin");
  std::ofstream catalogue(folder / "Bin/Firmware.csv", std::ios::binary);
  for (int number = firmware::kKernelImage; number <= firmware::kLastApplicationImage; ++number) {
    const int blocks = number == firmware::kKernelImage ? kKernelBlocks : kApplicationBlocks;
    std::vector<std::uint8_t> code(static_cast<std::size_t>(blocks) * 256 - 100);
    for (std::size_t i = 0; i < code.size(); ++i) {
      code[i] = static_cast<std::uint8_t>(i * 7 + number);
    }
    const std::vector<std::uint8_t> image = firmware::PackImage(code);
    std::ofstream out(folder / firmware::ImagePath(number), std::ios::binary);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    catalogue << firmware::ImagePath(number) << ',' << TestVersion(number) << '\n';
  }
}

using test_process::ChildProcess;
using namespace std::chrono_literals;

// aisfw-sim on a pseudo-terminal, writing what it receives under `out`.
class Simulator {
 public:
  explicit Simulator(const fs::path& out, const std::vector<std::string>& extra = {})
      : process_(Options(out, extra)) {}

  const std::string& Port() const { return process_.Port(); }
  ChildProcess& Process() { return process_.Process(); }

 private:
  static std::vector<std::string> Options(const fs::path& out,
                                          const std::vector<std::string>& extra) {
    std::vector<std::string> options = {
        "--quiet", "--out", out.string(), "--countdown-ms", "40", "--programming-ms", "60"};
    options.insert(options.end(), extra.begin(), extra.end());
    return options;
  }

  test_process::SimProcess process_;
};

class SimulatorRig : public ::testing::Test {
 protected:
  SimulatorRig() {
    char pattern[] = "/tmp/aisfw-cli-XXXXXX";
    folder_ = mkdtemp(pattern);
    WriteFirmwareSet(folder_);
  }
  ~SimulatorRig() override {
    simulator_.reset();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  // Starts the virtual transponder with these options.
  Simulator& StartSimulator(std::vector<std::string> options = {}) {
    simulator_ = std::make_unique<Simulator>(folder_ / "received", std::move(options));
    EXPECT_FALSE(simulator_->Port().empty()) << "aisfw-sim did not start";
    return *simulator_;
  }

  // aisfw with `arguments`, run in `folder` (the test's own when empty).
  std::unique_ptr<ChildProcess> Aisfw(std::vector<std::string> arguments,
                                      ChildProcess::Mode mode = ChildProcess::Mode::Pipes,
                                      const std::string& folder = {}) {
    std::vector<std::string> argv = {kAisfw};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return std::make_unique<ChildProcess>(argv, mode, folder);
  }

  std::string BinFolder() const { return (folder_ / "Bin").string(); }
  std::vector<std::uint8_t> Image(int number) const {
    return ReadBytes(folder_ / firmware::ImagePath(number));
  }
  std::vector<std::uint8_t> Received(const char* part) const {
    return ReadBytes(folder_ / "received" / part);
  }
  bool ReceivedAny() const { return fs::exists(folder_ / "received" / "kernel.bin"); }

  fs::path folder_;
  std::unique_ptr<Simulator> simulator_;
};

}  // namespace cli_test
