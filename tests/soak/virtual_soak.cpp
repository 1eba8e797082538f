// The soak in virtual time: many upgrades in one window against virtual
// transponders that play a random fault each (a fixed seed per run), and
// after each run the checks that nothing was lost or misreported:
//   - the wizard ended where the fault leads (a failure is never a success),
//   - every part the device reported programmed is the image, byte for byte,
//   - the image file is closed, no file descriptor or thread is left over,
//   - and after a failure, the next upgrade in the same window succeeds.
// Prints the counts; any discrepancy makes the exit status 1.
//
//   virtual_soak [--runs N] [--seed S] [--verbose]

#include <dirent.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "firmware/code_block.h"
#include "firmware/image_writer.h"
#include "harness/virtual_rig.h"
#include "tests/soak/fault_rows.h"

namespace {

using soak::Ending;
using soak::FaultRow;
using upgrade::Control;
using upgrade::WizardOutcome;

std::size_t CountEntries(const char* folder) {
  std::size_t n = 0;
  if (DIR* dir = opendir(folder)) {
    while (readdir(dir) != nullptr) ++n;
    closedir(dir);
  }
  return n;
}

// This process's threads: id and name.
std::map<std::string, std::string> Threads() {
  std::map<std::string, std::string> threads;
  std::error_code ec;
  for (std::filesystem::directory_iterator task("/proc/self/task", ec), end; !ec && task != end;
       task.increment(ec)) {
    std::ifstream comm(task->path() / "comm");
    std::string name;
    std::getline(comm, name);
    threads[task->path().filename()] = name;
  }
  return threads;
}

// Threads that were not there at the start. A joined thread stays listed
// for a few microseconds after its join returns, so they are waited for a
// while before they count as left over.
std::string LeftoverThreads(const std::map<std::string, std::string>& start) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (;;) {
    std::string left;
    for (const auto& [id, name] : Threads()) {
      if (start.count(id) == 0) left += (left.empty() ? "" : ", ") + id + " " + name;
    }
    if (left.empty() || std::chrono::steady_clock::now() > deadline) return left;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Soak {
 public:
  Soak(std::uint64_t seed, bool verbose) : seed_(seed), verbose_(verbose) {
    char pattern[] = "/tmp/aisfw-soak-XXXXXX";
    folder_ = mkdtemp(pattern);
    std::string error;
    if (!firmware::WriteSampleFirmware(folder_, error)) throw std::runtime_error(error);
    // Code blocks of the kernel: every block but the end block.
    kernelBlocks_ =
        static_cast<long>(Image(firmware::kKernelImage).size() / firmware::kBlockSize) - 1;
    rig_ = std::make_unique<harness::VirtualRig>(harness::RigOptions{folder_, {}});
    rig_->Wizard();
    rig_->RunFor(1000);
    fds_ = CountEntries("/proc/self/fd");
    threads_ = Threads();
  }
  ~Soak() {
    rig_.reset();
    std::filesystem::remove_all(folder_);
  }

  void Run(int index) {
    std::mt19937_64 random(seed_ * 1'000'003 + static_cast<std::uint64_t>(index));
    const soak::DrawnFault fault = soak::DrawFault(random, kernelBlocks_);
    const FaultRow& row = *fault.row;
    const long n = fault.n;
    sim::TransponderConfig config;
    config.seed = random();
    config.countdownLines = row.countdown;
    if (row.kind)
      config.faults = {{*row.kind, row.TakesN() ? std::optional<long>(n) : std::nullopt}};
    const std::string label = fault.Label();
    ++faults_[row.Name()];

    const Ending expected = row.ending(n);
    const Result got = Upgrade(config);
    ++outcomes_[upgrade::OutcomeName(got.outcome)];
    if (verbose_)
      std::printf("run %d: %s -> %s\n", index, label.c_str(), upgrade::OutcomeName(got.outcome));

    const auto fail = [&](const std::string& what) {
      discrepancies_.push_back("run " + std::to_string(index) + " (" + label + "): " + what);
    };
    switch (expected) {
      case Ending::Finished:
        if (!got.finished)
          fail(std::string("did not finish: ") + upgrade::OutcomeName(got.outcome));
        break;
      case Ending::Fails:
        if (got.finished) fail("reported success");
        if (std::find(row.outcomes.begin(), row.outcomes.end(), got.outcome) ==
            row.outcomes.end()) {
          fail(std::string("ended as ") + upgrade::OutcomeName(got.outcome));
        }
        break;
      case Ending::Waits:
        if (got.finished) fail("reported success");
        if (!got.waiting) fail(std::string("did not wait: ") + upgrade::OutcomeName(got.outcome));
        break;
    }
    // What the device reported programmed is the image, byte for byte.
    const sim::VirtualTransponder& device = rig_->Device(kPort)->Transponder();
    const int application = row.application(n);
    if (got.kernelProgrammed && device.ReceivedPart(1) != Image(firmware::kKernelImage) &&
        !(row.kind == sim::FaultKind::PartReply && device.ReceivedPart(1) == Image(application))) {
      fail("the kernel the device programmed is not the image");
    }
    if (got.finished && row.kind != sim::FaultKind::PartReply &&
        device.ReceivedPart(2) != Image(application)) {
      fail("the application the device programmed is not the image");
    }
    Leave(got.waiting);
    CheckNothingLeft(fail);

    // After a failure, the next upgrade in the same window works.
    if (expected != Ending::Finished) {
      ++recoveries_;
      sim::TransponderConfig healthy;
      healthy.seed = random();
      const Result again = Upgrade(healthy);
      if (!again.finished)
        fail(std::string("the next upgrade failed: ") + upgrade::OutcomeName(again.outcome));
      Leave(false);
      CheckNothingLeft(fail);
    }
  }

  int Report(int runs) const {
    std::printf(
        "virtual soak: %d upgrades with a random fault each (seed %llu), %d more after failures\n",
        runs, static_cast<unsigned long long>(seed_), recoveries_);
    std::printf("faults:");
    for (const auto& [name, count] : faults_) std::printf(" %s %d,", name.c_str(), count);
    std::printf("\noutcomes:");
    for (const auto& [name, count] : outcomes_) std::printf(" %s %d,", name.c_str(), count);
    std::printf("\ndiscrepancies: %zu\n", discrepancies_.size());
    for (const std::string& d : discrepancies_) std::printf("  %s\n", d.c_str());
    return discrepancies_.empty() ? 0 : 1;
  }

 private:
  static constexpr const char* kPort = "ttyV0";

  struct Result {
    bool finished = false;
    bool waiting = false;  // still in a transfer or on the version page, waiting for the device
    bool kernelProgrammed = false;
    WizardOutcome outcome = WizardOutcome::None;
  };

  std::vector<std::uint8_t> Image(int number) {
    return ReadFile(folder_ / firmware::ImagePath(number));
  }

  // One run from the checklist page, Yes when asked, until it ends or has
  // waited ten minutes of virtual time.
  Result Upgrade(sim::TransponderConfig config) {
    config.outDir.clear();
    rig_->AddDevice(kPort, std::move(config));
    rig_->PressStart();
    rig_->ChooseManual(kPort);
    rig_->PressContinue();
    const auto& view = rig_->View();
    const upgrade::EventRecorder& events = rig_->Events();
    const std::size_t messages = view.Messages().size();
    const std::size_t questions = events.questions.size();
    const std::size_t ends = events.ends.size();
    bool answered = false;
    const bool ended = rig_->RunUntil(
        [&] {
          if (!answered && events.Asked(questions)) {
            answered = true;
            rig_->Wizard().SpeedButtonFrmVerWantToContinueYesClick();
          }
          return events.ends.size() > ends;
        },
        600'000);
    Result r;
    r.outcome = ended ? events.ends.back().outcome : WizardOutcome::None;
    r.finished = r.outcome == WizardOutcome::Finished;
    r.waiting = !ended && view.Messages().size() == messages;
    const auto& tx = view.Log(upgrade::LogPane::MemoTX);
    r.kernelProgrammed =
        r.finished ||
        std::any_of(tx.begin() + static_cast<std::ptrdiff_t>(txSeen_), tx.end(),
                    [](const std::string& l) { return l.find("DBG,107,2,") != l.npos; });
    txSeen_ = tx.size();
    return r;
  }

  // Back to the checklist page as the user can: Finish, Cancel, or leaving
  // the program when it waits for a device that says nothing more.
  void Leave(bool waiting) {
    if (waiting) {
      rig_->ExitProgram();
      rig_->Wizard();
      txSeen_ = 0;
    } else if (rig_->View().Page() == upgrade::Page::TabSheetFirmwareUpgrade) {
      rig_->Wizard().SpeedButtonFrmUpgFinishClick();
    } else if (rig_->View().Page() == upgrade::Page::TabSheetConnectDevice) {
      rig_->Wizard().SpeedButtonCancelClick();
    }
    rig_->RunFor(2000);
  }

  void CheckNothingLeft(const std::function<void(const std::string&)>& fail) {
    const connect::Wizard& wizard = rig_->Wizard();
    if (rig_->View().Page() != upgrade::Page::TabSheetStart) fail("not back on the checklist page");
    if (wizard.Transfer().HoldsImage()) fail("an image is still held");
    if (rig_->Wizard().Port().Connected()) fail("the port is still open");
    if (CountEntries("/proc/self/fd") != fds_) fail("file descriptors left over");
    if (const std::string left = LeftoverThreads(threads_); !left.empty())
      fail("threads left over: " + left);
  }

  std::uint64_t seed_;
  bool verbose_;
  std::filesystem::path folder_;
  std::unique_ptr<harness::VirtualRig> rig_;
  long kernelBlocks_ = 0;
  std::size_t fds_ = 0, txSeen_ = 0;
  std::map<std::string, std::string> threads_;
  std::map<std::string, int> faults_, outcomes_;
  std::vector<std::string> discrepancies_;
  int recoveries_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  int runs = 100;
  std::uint64_t seed = 1;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (arg == "--seed" && i + 1 < argc) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--verbose") {
      verbose = true;
    } else {
      std::fprintf(stderr, "usage: virtual_soak [--runs N] [--seed S] [--verbose]\n");
      return 2;
    }
  }
  try {
    Soak soak(seed, verbose);
    for (int i = 0; i < runs; ++i) soak.Run(i);
    return soak.Report(runs);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "virtual soak: %s\n", e.what());
    return 1;
  }
}
