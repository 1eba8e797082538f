// A whole upgrade in virtual time: the wizard core, the serial component with
// its event thread, the line assembly and the sentence library, against a
// virtual transponder on an in-memory line. Reports the real time per 1000
// blocks sent and the heap allocations per block on the transfer path
// (counted from Yes to the last verdict).
//
// The images are bigger than the sample's (a kernel of 400 and an
// application of 800 blocks) so that the transfer dominates.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>

#include "firmware/image_writer.h"
#include "harness/virtual_rig.h"

namespace {

std::atomic<std::uint64_t> allocations{0};

}  // namespace

// Counting every allocation of the process; the matching deletes free what
// malloc gave.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

namespace fs = std::filesystem;

// A Bin folder with a kernel of `kernelBlocks` and applications of
// `applicationBlocks` blocks (end blocks included).
fs::path MakeFirmware(int kernelBlocks, int applicationBlocks) {
  char pattern[] = "/tmp/aisfw-bench-XXXXXX";
  const fs::path folder = mkdtemp(pattern);
  fs::create_directories(folder / "Bin");
  std::ofstream catalogue(folder / "Bin/Firmware.csv");
  for (int number = firmware::kKernelImage; number <= firmware::kLastApplicationImage; ++number) {
    const int blocks = number == firmware::kKernelImage ? kernelBlocks : applicationBlocks;
    std::vector<std::uint8_t> code(static_cast<std::size_t>(blocks - 1) * 256);
    for (std::size_t i = 0; i < code.size(); ++i)
      code[i] = static_cast<std::uint8_t>(i * 131 + number);
    const std::vector<std::uint8_t> image = firmware::PackImage(code);
    std::ofstream(folder / firmware::ImagePath(number), std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()),
               static_cast<std::streamsize>(image.size()));
    catalogue << firmware::ImagePath(number) << ",V" << number << "\n";
  }
  return folder;
}

void WholeUpgrade(benchmark::State& state) {
  const int kernelBlocks = 400, applicationBlocks = 800;
  const fs::path folder = MakeFirmware(kernelBlocks, applicationBlocks);
  std::uint64_t transferAllocations = 0;
  double transferMs = 0;
  std::int64_t blocks = 0;
  for (auto _ : state) {
    state.PauseTiming();
    harness::VirtualRig rig({folder, {}});
    sim::TransponderConfig config;
    config.idleTraffic = true;
    rig.AddDevice("ttyV0", config);
    const bool connected = rig.ConnectManually("ttyV0");
    state.ResumeTiming();
    if (!connected) {
      state.SkipWithError("no version page");
      break;
    }
    const std::uint64_t before = allocations.load();
    const auto start = std::chrono::steady_clock::now();
    rig.PressYes();
    const bool finished = rig.RunUntil(
        [&] {
          return rig.View().Text(upgrade::Control::StaticTextFrmUpgMessage1) ==
                 "Firmware upgrade finished.";
        },
        3'600'000);
    transferAllocations += allocations.load() - before;
    transferMs +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!finished) {
      state.SkipWithError("the upgrade did not finish");
      break;
    }
    blocks += kernelBlocks + applicationBlocks;
  }
  fs::remove_all(folder);
  state.SetItemsProcessed(blocks);
  state.counters["allocations_per_block"] =
      blocks > 0 ? static_cast<double>(transferAllocations) / static_cast<double>(blocks) : 0;
  state.counters["ms_per_1000_blocks"] =
      blocks > 0 ? transferMs / static_cast<double>(blocks) * 1000.0 : 0;
}
BENCHMARK(WholeUpgrade)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
