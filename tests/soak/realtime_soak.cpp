// The soak in real time: upgrades in a row through `aisfw upgrade --yes`
// against aisfw-sim on pseudo-terminals, each device playing a random fault
// (a fixed seed per run), with small images made by `aisfw pack`. After each
// run the checks the command line can show:
//   - the exit code is the one the fault leads to (a failure is never 0), and
//     the JSON outcome says the same; a device that goes quiet for ever is
//     interrupted (SIGINT: 130);
//   - every part the simulator wrote that the device reported programmed
//     (-8888) is its image, byte for byte, and 0 comes only after a -8888
//     for each part sent;
//   - no aisfw process is left, nothing but the simulator holds the port, and
//     the port opens again (aisfw info on the same device);
//   - after a failure, an upgrade of a healthy device succeeds.
// Then the CPU aisfw uses while it waits on a silent device, and the peak
// memory of the first and the last upgrade. Any discrepancy: exit status 1.
//
//   realtime_soak [--runs N] [--seed S] [--wait-seconds W] [--programs DIR]

#include <dirent.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/exit_codes.h"
#include "firmware/image_writer.h"
#include "tests/process/child_process.h"
#include "tests/soak/fault_rows.h"

namespace {

namespace fs = std::filesystem;
using soak::Ending;
using soak::FaultRow;
using test_process::ChildProcess;
using namespace std::chrono_literals;

// Code blocks of the images: a few dozen, so an upgrade takes seconds.
constexpr long kKernelBlocks = 24;
constexpr long kApplicationBlocks = 30;
// No JSON event for this long, but that the device is quiet: aisfw waits for
// a device that says nothing.
constexpr auto kQuietLimit = 12s;
// Longest a run may take: slow-replies answers every block 3 s late.
constexpr auto kRunLimit = 420s;

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every process whose program is `exe`, and every process holding `path`
// open.
std::vector<pid_t> Processes(const std::function<bool(const fs::path& proc)>& match) {
  std::vector<pid_t> found;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    if (match(entry.path())) found.push_back(std::stoi(name));
  }
  return found;
}
std::vector<pid_t> Running(const fs::path& exe) {
  return Processes([&](const fs::path& proc) {
    std::error_code ec;
    return fs::read_symlink(proc / "exe", ec) == exe;
  });
}
std::vector<pid_t> Holders(const std::string& port) {
  return Processes([&](const fs::path& proc) {
    std::error_code ec;
    for (fs::directory_iterator fd(proc / "fd", ec), end; !ec && fd != end; fd.increment(ec)) {
      std::error_code link;
      if (fs::read_symlink(fd->path(), link) == port) return true;
    }
    return false;
  });
}

// User and system CPU of a process so far, in seconds.
double CpuSeconds(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Fields after the command name, which is in parentheses and may hold blanks.
  std::istringstream rest(stat.substr(stat.rfind(')') + 2));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stoull(field);
    if (i == 15) stime = std::stoull(field);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Upgrade {
  int exitCode = -1;
  bool interrupted = false;     // went quiet and was sent SIGINT
  std::optional<int> jsonExit;  // the outcome event's exit_code
  int programmed = 0;           // -8888 verdicts the device sent
  long maxRssKb = 0;
  double seconds = 0;
};

class RealtimeSoak {
 public:
  RealtimeSoak(fs::path programs, std::uint64_t seed)
      : aisfw_(fs::canonical(programs / "aisfw")),
        simulator_(fs::canonical(programs / "aisfw-sim")),
        seed_(seed) {
    char pattern[] = "/tmp/aisfw-realtime-soak-XXXXXX";
    folder_ = mkdtemp(pattern);
    MakeFirmware();
  }
  ~RealtimeSoak() { fs::remove_all(folder_); }

  void Run(int index, int runs) {
    std::mt19937_64 random(seed_ * 1'000'003 + static_cast<std::uint64_t>(index));
    const soak::DrawnFault fault = soak::DrawFault(random, kKernelBlocks);
    const FaultRow& row = *fault.row;
    const std::string label = fault.Label();
    const std::uint64_t simSeed = random();
    ++faults_[row.Name()];
    const auto fail = [&](const std::string& what) {
      discrepancies_.push_back("run " + std::to_string(index) + " (" + label + "): " + what);
    };

    std::vector<std::string> options;
    if (row.countdown == sim::CountdownLines::DigitsOnly) options = {"--countdown", "digits"};
    if (row.countdown == sim::CountdownLines::WaitOnly) options = {"--countdown", "wait"};
    if (row.kind) options.insert(options.end(), {"--fault", label});
    const fs::path out = folder_ / ("run-" + std::to_string(index));
    auto simulator = StartSimulator(out, simSeed, options, fail);
    if (!simulator) return;
    const std::string port = port_;

    const Ending ending = row.ending(fault.n);
    const Upgrade got = RunUpgrade(port, fail);
    ++exits_[got.exitCode];
    if (rss_.empty()) firstRss_ = got.maxRssKb;
    lastRss_ = got.maxRssKb;
    rss_.push_back(got.maxRssKb);
    std::printf("run %d/%d: %-22s exit %d%s, %d x -8888, %.1f s, peak RSS %ld kB\n", index + 1,
                runs, label.c_str(), got.exitCode, got.interrupted ? " (interrupted)" : "",
                got.programmed, got.seconds, got.maxRssKb);

    // The exit code the fault leads to; a failure is never 0.
    std::set<int> expected;
    switch (ending) {
      case Ending::Finished:
        expected = {0};
        break;
      case Ending::Fails:
        for (const upgrade::WizardOutcome outcome : row.outcomes)
          expected.insert(cli::ExitCodeOf(outcome));
        break;
      case Ending::Waits:
        expected = {static_cast<int>(cli::ExitCode::Interrupted)};
        break;
    }
    if (!expected.count(got.exitCode)) fail("exit code " + std::to_string(got.exitCode));
    if (ending != Ending::Finished && got.exitCode == 0) fail("a failure reported as success");
    if (got.interrupted != (ending == Ending::Waits))
      fail(got.interrupted ? "waited for ever" : "did not wait for the silent device");
    CheckRun(got, row, fault.n, out, fail);

    // The port is free: the same device answers the next run (unless it hung
    // up and ended, or went silent for ever).
    const bool silent = row.kind == sim::FaultKind::Silent;
    if (row.kind == sim::FaultKind::Hangup) {
      if (!simulator->Wait(10s)) fail("the simulator did not end after its hang-up");
    } else if (!silent) {
      const bool unidentifiable =
          ending == Ending::Fails && std::count(row.outcomes.begin(), row.outcomes.end(),
                                                upgrade::WizardOutcome::Identification) > 0;
      CheckPortReopens(
          port, unidentifiable ? cli::ExitCode::Identification : cli::ExitCode::Upgraded, fail);
    }
    StopSimulator(*simulator, port, fail);

    // After a failure, a healthy device upgrades.
    if (ending != Ending::Finished) {
      ++recoveries_;
      const fs::path again = out.string() + "-again";
      auto healthy = StartSimulator(again, random(), {}, fail);
      if (!healthy) return;
      const Upgrade next = RunUpgrade(port_, fail);
      std::printf("          then a healthy device: exit %d, %.1f s\n", next.exitCode,
                  next.seconds);
      if (next.exitCode != 0)
        fail("the next upgrade failed: exit " + std::to_string(next.exitCode));
      CheckRun(next, Healthy(), 0, again, fail);
      StopSimulator(*healthy, port_, fail);
    }
  }

  // A device that stops answering after three blocks: the CPU aisfw uses
  // while it waits on its 130 ms tick, over `seconds`; then Ctrl-C.
  void MeasureWaiting(int seconds) {
    const auto fail = [&](const std::string& what) {
      discrepancies_.push_back("waiting on a silent device: " + what);
    };
    auto simulator = StartSimulator(folder_ / "silent", 1, {"--fault", "silent:3"}, fail);
    if (!simulator) return;
    ChildProcess tool(UpgradeCommand(port_));
    // Waiting: block 4 has gone out and nothing has come back for a while.
    if (!tool.ReadUntil([&] { return tool.Out().find("\"block\":4,") != std::string::npos; },
                        60s)) {
      fail("block 4 never went out");
    }
    tool.ReadUntil([] { return false; }, 3s);
    const double before = CpuSeconds(tool.Pid());
    tool.ReadUntil([] { return false; }, std::chrono::seconds(seconds));
    const double used = CpuSeconds(tool.Pid()) - before;
    tool.Signal(SIGINT);
    const std::optional<int> status = tool.Wait(20s);
    waitCpu_ = used;
    waitSeconds_ = seconds;
    if (!status || *status != static_cast<int>(cli::ExitCode::Interrupted))
      fail("Ctrl-C did not end it with 130");
    // A busy loop would take a whole core; waiting should take next to none.
    if (used > 0.1 * seconds) fail("it used " + std::to_string(used) + " s of CPU");
    CheckNothingLeft(port_, fail);
    StopSimulator(*simulator, port_, fail);
  }

  int Report(int runs) const {
    std::printf(
        "\nreal-time soak: %d upgrades with a random fault each (seed %llu), %d more "
        "after failures\n",
        runs, static_cast<unsigned long long>(seed_), recoveries_);
    std::printf("faults:");
    for (const auto& [name, count] : faults_) std::printf(" %s %d,", name.c_str(), count);
    std::printf("\nexit codes:");
    for (const auto& [code, count] : exits_) std::printf(" %d: %d,", code, count);
    if (!rss_.empty()) {
      std::printf("\npeak RSS of aisfw: first run %ld kB, last run %ld kB (least %ld, most %ld)",
                  firstRss_, lastRss_, *std::min_element(rss_.begin(), rss_.end()),
                  *std::max_element(rss_.begin(), rss_.end()));
    }
    if (waitSeconds_ > 0) {
      std::printf("\nCPU of aisfw waiting on a silent device: %.2f s over %d s (%.2f %%)", waitCpu_,
                  waitSeconds_, 100.0 * waitCpu_ / waitSeconds_);
    }
    std::printf("\ndiscrepancies: %zu\n", discrepancies_.size());
    for (const std::string& d : discrepancies_) std::printf("  %s\n", d.c_str());
    return discrepancies_.empty() ? 0 : 1;
  }

  // The memory of aisfw stays flat from the first run to the last.
  void CheckMemoryFlat() {
    if (rss_.size() >= 2 && lastRss_ > firstRss_ * 3 / 2)
      discrepancies_.push_back("peak RSS grew from " + std::to_string(firstRss_) + " kB to " +
                               std::to_string(lastRss_) + " kB");
  }

 private:
  using Fail = std::function<void(const std::string&)>;

  // Images 700 to 704 made with `aisfw pack` from code that differs per
  // image and per block (the last block short), and their catalogue.
  void MakeFirmware() {
    fs::create_directories(folder_ / "Bin");
    std::ofstream catalogue(folder_ / "Bin/Firmware.csv");
    for (int number = firmware::kKernelImage; number <= firmware::kLastApplicationImage; ++number) {
      const long blocks = number == firmware::kKernelImage ? kKernelBlocks : kApplicationBlocks;
      std::mt19937 bytes(static_cast<unsigned>(number));
      std::string code(static_cast<std::size_t>(blocks * 256 - 100), '\0');
      for (char& c : code) c = static_cast<char>(bytes());
      const fs::path input = folder_ / ("code-" + std::to_string(number));
      std::ofstream(input, std::ios::binary) << code;
      ChildProcess pack({aisfw_.string(), "pack", input.string(),
                         (folder_ / firmware::ImagePath(number)).string()});
      if (pack.Wait(30s) != 0) throw std::runtime_error("aisfw pack failed: " + pack.Err());
      catalogue << firmware::ImagePath(number) << ",S" << number << "\n";
    }
  }

  // The row of a device that plays no fault.
  static const FaultRow& Healthy() {
    return *std::find_if(soak::Rows().begin(), soak::Rows().end(), [](const FaultRow& row) {
      return !row.kind && row.countdown == sim::CountdownLines::Both;
    });
  }

  std::vector<std::uint8_t> Image(int number) const {
    return ReadFile(folder_ / firmware::ImagePath(number));
  }

  std::vector<std::string> UpgradeCommand(const std::string& port) const {
    return {
        aisfw_.string(), "upgrade", "--port", port, "--yes", "--bin", (folder_ / "Bin").string(),
        "--json",        "--trace"};
  }

  // A simulator with short countdown, verdict and give-up times; sets port_.
  std::unique_ptr<ChildProcess> StartSimulator(const fs::path& out, std::uint64_t seed,
                                               const std::vector<std::string>& options,
                                               const Fail& fail) {
    std::vector<std::string> argv = {simulator_.string(),
                                     "--quiet",
                                     "--out",
                                     out.string(),
                                     "--countdown-ms",
                                     "40",
                                     "--programming-ms",
                                     "60",
                                     "--give-up-ms",
                                     "1000",
                                     "--seed",
                                     std::to_string(seed)};
    argv.insert(argv.end(), options.begin(), options.end());
    auto simulator = std::make_unique<ChildProcess>(argv);
    port_.clear();
    if (simulator->OutContains("\n", 10s) && simulator->Out().rfind("port: ", 0) == 0)
      port_ = simulator->Out().substr(6, simulator->Out().find('\n') - 6);
    if (port_.empty()) {
      fail("the simulator did not start: " + simulator->Err());
      return nullptr;
    }
    return simulator;
  }

  void StopSimulator(ChildProcess& simulator, const std::string& port, const Fail& fail) {
    simulator.Signal(SIGTERM);
    if (!simulator.Wait(10s)) fail("the simulator did not stop");
    CheckNothingLeft(port, fail);
  }

  // One `aisfw upgrade`, interrupted once it has said nothing for a while.
  Upgrade RunUpgrade(const std::string& port, const Fail& fail) {
    Upgrade u;
    const auto start = std::chrono::steady_clock::now();
    ChildProcess tool(UpgradeCommand(port));
    std::size_t seen = 0;
    auto lastEvent = start;
    std::optional<int> status;
    while (!(status = tool.Wait(1s))) {
      const auto now = std::chrono::steady_clock::now();
      if (tool.Out().size() != seen) {
        // Its notices that the device is quiet are no sign of progress.
        std::istringstream fresh(tool.Out().substr(seen));
        for (std::string line; std::getline(fresh, line);) {
          if (line.find("{\"event\":\"waiting\"") != 0) lastEvent = now;
        }
        seen = tool.Out().size();
      }
      if (now - lastEvent > kQuietLimit || now - start > kRunLimit) {
        u.interrupted = true;
        tool.Signal(SIGINT);
        status = tool.Wait(20s);
        if (!status) {
          fail("aisfw did not end on SIGINT");
          tool.Signal(SIGKILL);
          status = tool.Wait(5s);
        }
        break;
      }
    }
    u.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    u.exitCode = status.value_or(-1);
    u.maxRssKb = tool.Usage().ru_maxrss;
    // The outcome event, and the device's verdicts in the trace.
    const std::string& json = tool.Out();
    const std::size_t outcome = json.rfind("{\"event\":\"outcome\"");
    if (outcome != std::string::npos) {
      const std::size_t code = json.find("\"exit_code\":", outcome);
      if (code != std::string::npos) u.jsonExit = std::atoi(json.c_str() + code + 12);
    }
    std::istringstream trace(tool.Err());
    for (std::string line; std::getline(trace, line);) {
      if (line.find(" RX ") != std::string::npos &&
          line.find("$PZLX,R,DBG,104,-8888,,,,,,*15") != std::string::npos)
        ++u.programmed;
    }
    if (u.jsonExit != u.exitCode)
      fail("the JSON outcome says " +
           (u.jsonExit ? std::to_string(*u.jsonExit) : std::string("nothing")) + ", the exit " +
           std::to_string(u.exitCode));
    CheckNothingLeft(port, fail);
    return u;
  }

  // Parts the device reported programmed are their images; 0 only after both.
  void CheckRun(const Upgrade& u, const FaultRow& row, long n, const fs::path& out,
                const Fail& fail) {
    // A device that answers the kernel request with "ready for the
    // application" is sent the application only.
    const int parts = row.kind == sim::FaultKind::PartReply && n == 2 ? 1 : 2;
    if (u.exitCode == 0 && u.programmed < parts)
      fail("exit 0 without the device's -8888 for each part it was sent");
    const std::vector<std::uint8_t> kernel = Image(firmware::kKernelImage);
    const std::vector<std::uint8_t> application = Image(row.application(n));
    // A device that answers the part requests wrongly may have been sent the
    // other image; it must still be an image, whole.
    const bool swapped = row.kind == sim::FaultKind::PartReply;
    const auto is = [&](const fs::path& file, const std::vector<std::uint8_t>& image) {
      const std::vector<std::uint8_t> got = ReadFile(file);
      return got == image || (swapped && (got == kernel || got == application));
    };
    if (u.programmed >= 1 && !is(out / "kernel.bin", kernel))
      fail("the kernel the device programmed is not the image");
    if (u.programmed >= 2 && !is(out / "application.bin", application))
      fail("the application the device programmed is not the image");
  }

  void CheckNothingLeft(const std::string& port, const Fail& fail) {
    if (!Running(aisfw_).empty()) fail("an aisfw process is left behind");
    for (const pid_t holder : Holders(port)) {
      // The simulator keeps its own end open while it runs.
      std::error_code ec;
      if (fs::read_symlink("/proc/" + std::to_string(holder) + "/exe", ec) != simulator_)
        fail("process " + std::to_string(holder) + " still holds " + port);
    }
  }

  // `aisfw info` on the same device: the port opens again and the device
  // answers (after the second it takes to give up a part the tool left).
  void CheckPortReopens(const std::string& port, cli::ExitCode expected, const Fail& fail) {
    std::this_thread::sleep_for(1500ms);
    ChildProcess info(
        {aisfw_.string(), "info", "--port", port, "--bin", (folder_ / "Bin").string()});
    const std::optional<int> status = info.Wait(60s);
    if (status != static_cast<int>(expected))
      fail("aisfw info on the same port: exit " + (status ? std::to_string(*status) : "none") +
           "; " + info.Err().substr(0, 200));
    CheckNothingLeft(port, fail);
  }

  fs::path aisfw_, simulator_, folder_;
  std::uint64_t seed_;
  std::string port_;
  std::map<std::string, int> faults_;
  std::map<int, int> exits_;
  std::vector<long> rss_;
  long firstRss_ = 0, lastRss_ = 0;
  double waitCpu_ = 0;
  int waitSeconds_ = 0;
  int recoveries_ = 0;
  std::vector<std::string> discrepancies_;
};

}  // namespace

int main(int argc, char** argv) {
  int runs = 20;
  int waitSeconds = 30;
  std::uint64_t seed = 1;
  fs::path programs = AISFW_PROGRAM_DIR;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else if (arg == "--seed" && i + 1 < argc) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--wait-seconds" && i + 1 < argc) {
      waitSeconds = std::atoi(argv[++i]);
    } else if (arg == "--programs" && i + 1 < argc) {
      programs = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: realtime_soak [--runs N] [--seed S] [--wait-seconds W] "
                   "[--programs DIR]\n");
      return 2;
    }
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  try {
    RealtimeSoak soak(programs, seed);
    for (int i = 0; i < runs; ++i) soak.Run(i, runs);
    soak.CheckMemoryFlat();
    if (waitSeconds > 0) soak.MeasureWaiting(waitSeconds);
    return soak.Report(runs);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "real-time soak: %s\n", e.what());
    return 1;
  }
}
