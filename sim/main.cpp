// aisfw-sim: the virtual transponder on a pseudo-terminal, in real time.
// Prints "port: /dev/pts/N" as the first line of standard output; its log
// goes to standard error. Runs until SIGINT or SIGTERM (or its hang-up
// fault closes the line).

#include <fmt/core.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "cli/command_help.h"
#include "comm/comm_types.h"
#include "sim/pty_endpoint.h"
#include "sim/transponder.h"

namespace {

namespace fs = std::filesystem;

// The rates the device may run at: the serial port component's.
std::vector<std::uint32_t> ToolRates() {
  std::vector<std::uint32_t> rates;
  for (int i = 0; i < comm::kBaudRateCount; ++i) {
    rates.push_back(comm::BaudRateValue(static_cast<comm::TBaudRate>(i)));
  }
  return rates;
}

// The countdown's lines by their option names.
const std::map<std::string, sim::CountdownLines> kCountdownLines = {
    {"both", sim::CountdownLines::Both},
    {"digits", sim::CountdownLines::DigitsOnly},
    {"wait", sim::CountdownLines::WaitOnly},
};

// Times of the options stay well inside the virtual clock's arithmetic.
constexpr int kMaxOptionMs = 3'600'000;

// How long the host may take to read the last answer before a hang-up.
constexpr int kHangUpDrainMs = 2000;

// Writes what the line takes now; the rest is lost, as on a line nobody
// reads. Nothing is kept for later: a host that opens the port hours after
// the last one gets no stale output.
void WriteOrDrop(int fd, const std::string& bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + at, bytes.size() - at);
    if (n > 0) {
      at += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
}

bool ParseLanguage(const std::string& text, sim::TransponderConfig& config) {
  if (text == "none") {
    config.language.reset();
    return true;
  }
  std::array<int, 4> digits{};
  std::istringstream in(text);
  for (int i = 0; i < 4; ++i) {
    std::string item;
    if (!std::getline(in, item, ',') || item.size() != 1 || item[0] < '0' || item[0] > '9')
      return false;
    digits[static_cast<std::size_t>(i)] = item[0] - '0';
  }
  std::string rest;
  if (std::getline(in, rest)) return false;
  config.language = digits;
  return true;
}

std::string FaultHelp() {
  std::string help = "Play a fault (repeatable). KIND is one of:";
  for (const sim::FaultDescription& d : sim::FaultDescriptions())
    help += fmt::format("\n  {:<18} {}", d.name, d.help);
  return help;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "aisfw-sim: a virtual AIS transponder on a pseudo-terminal. It prints the path of its\n"
      "serial end as 'port: /dev/pts/N', then answers the firmware upgrade tool there until\n"
      "interrupted (Ctrl-C or SIGTERM)."};
  app.name("aisfw-sim");
  app.formatter(cli::MakeHelpFormatter());  // within 80 columns, as aisfw's
  app.set_version_flag("-V,--version", "aisfw-sim " AISFW_VERSION);
  sim::TransponderConfig config;
  std::string classText = "0", languageText = "1,2,3,5", countdownText = "both", outDir, linkPath;
  std::vector<std::string> faultTexts;
  bool quiet = false;

  app.add_option("--baud", config.baud,
                 "Its own line speed in bit/s; it answers only a host at this speed")
      ->type_name("RATE")
      ->default_val(115200)
      ->check(CLI::IsMember(ToolRates()));
  app.add_option("--firmware", config.firmware, "Firmware text of its information block")
      ->type_name("TEXT")
      ->default_val("V1.0.0");
  app.add_option("--serial", config.serial, "Serial number of its information block")
      ->default_val("1234567");
  app.add_option(
         "--class", classText,
         "Class digit of its \"[ClassA]=\" line (1: 264-byte blocks), or 'none' to omit the line")
      ->type_name("DIGIT")
      ->default_val("0");
  app.add_option("--language", languageText,
                 "Four display-language digits a,b,c,d, or 'none' to omit the line")
      ->type_name("a,b,c,d")
      ->default_val("1,2,3,5");
  app.add_option("--out", outDir,
                 "Folder for the received parts: kernel.bin and application.bin, the blocks as "
                 "stored in the image")
      ->type_name("DIR");
  app.add_option("--link", linkPath,
                 "Also make a symbolic link PATH to its serial end (removed on exit)")
      ->type_name("PATH");
  app.add_option("--seed", config.seed, "Seed of every random choice (fault blocks, garbage)")
      ->type_name("N")
      ->default_val(1);
  app.add_option("--fault", faultTexts, FaultHelp())->type_name("KIND[:N]");
  app.add_option("--countdown-ms", config.countdownStepMs, "Time between its countdown lines")
      ->type_name("MS")
      ->default_val(400)
      ->check(CLI::Range(0, kMaxOptionMs));
  app.add_option("--countdown", countdownText,
                 "Which countdown lines it prints: both (5 to 1, then \"wait for firmware "
                 "upgrade\"), digits or wait; the countdown takes as long whichever it prints")
      ->type_name("LINES")
      ->default_val("both")
      ->check(CLI::IsMember(kCountdownLines));
  app.add_option("--programming-ms", config.programmingMs, "Time from the image sum to its verdict")
      ->type_name("MS")
      ->default_val(500)
      ->check(CLI::Range(0, kMaxOptionMs));
  app.add_option("--give-up-ms", config.giveUpMs,
                 "Time without a block (or the image sum after -8889) after which it gives the "
                 "part up and is idle again")
      ->type_name("MS")
      ->default_val(3000)
      ->check(CLI::Range(1, kMaxOptionMs));
  app.add_flag("--quiet", quiet, "Log nothing on standard error");
  cli::SetExitCodes(&app,
                    {{0, "stopped by Ctrl-C or SIGTERM, or its line hung up (--fault hangup)"},
                     {1,
                      "the pseudo-terminal, the --out folder or the --link could not be "
                      "made"},
                     {2, "usage error"}});
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& failure) {
    // --help and --version end here too, with 0.
    return app.exit(failure) == 0 ? 0 : 2;
  }

  config.countdownLines = kCountdownLines.at(countdownText);
  if (classText == "none") {
    config.classDigit.reset();
  } else if (classText.size() == 1 && classText[0] >= '0' && classText[0] <= '9') {
    config.classDigit = classText[0] - '0';
  } else {
    fmt::print(stderr, "aisfw-sim: --class takes one digit or 'none', not '{}'\n", classText);
    return 2;
  }
  if (!ParseLanguage(languageText, config)) {
    fmt::print(stderr, "aisfw-sim: --language takes four digits a,b,c,d or 'none', not '{}'\n",
               languageText);
    return 2;
  }
  for (const std::string& text : faultTexts) {
    sim::Fault fault{};
    std::string error;
    if (!sim::ParseFault(text, fault, error)) {
      fmt::print(stderr, "aisfw-sim: {}\n", error);
      return 2;
    }
    config.faults.push_back(fault);
  }
  if (!outDir.empty()) {
    std::error_code ec;
    fs::create_directories(outDir, ec);
    if (ec) {
      fmt::print(stderr, "aisfw-sim: cannot create {}: {}\n", outDir, ec.message());
      return 1;
    }
    config.outDir = outDir;
  }

  // Signals arrive as readable data in the poll loop.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigprocmask(SIG_BLOCK, &signals, nullptr);
  const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);

  sim::PtyEndpoint pty;
  std::string error;
  if (signalFd < 0 || !pty.Open(error)) {
    fmt::print(stderr, "aisfw-sim: {}\n", signalFd < 0 ? "cannot watch for signals" : error);
    return 1;
  }
  if (!linkPath.empty()) {
    std::error_code ec;
    if (fs::is_symlink(linkPath, ec)) fs::remove(linkPath, ec);
    fs::create_symlink(pty.SlavePath(), linkPath, ec);
    if (ec) {
      fmt::print(stderr, "aisfw-sim: cannot link {}: {}\n", linkPath, ec.message());
      return 1;
    }
  }
  fmt::print("port: {}\n", pty.SlavePath());
  std::fflush(stdout);

  sim::VirtualTransponder device(config);
  if (!quiet) {
    fmt::print(stderr, "aisfw-sim: transponder at {} bit/s on {}\n", config.baud, pty.SlavePath());
  }
  auto last = std::chrono::steady_clock::now();
  for (;;) {
    pollfd fds[3] = {
        {signalFd, POLLIN, 0}, {pty.MasterFd(), POLLIN, 0}, {pty.HostWatchFd(), POLLIN, 0}};
    poll(fds, 3, 10);
    if (fds[0].revents & POLLIN) break;
    // Before the host's bytes: a host that opens and writes at once is
    // there when the answer goes out.
    if (pty.FollowHosts() && !quiet) fmt::print(stderr, "aisfw-sim: the host closed the port\n");

    device.SetHostBaud(pty.HostSpeed());
    if (fds[1].revents & POLLIN) {
      char buffer[4096];
      const ssize_t n = read(pty.MasterFd(), buffer, sizeof buffer);
      if (n > 0) device.Receive(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    const auto now = std::chrono::steady_clock::now();
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - last);
    if (elapsed.count() > 0) {
      device.Advance(elapsed.count());
      last += elapsed;
    }

    const std::string output = device.TakeOutput();
    if (pty.HostPresent()) WriteOrDrop(pty.MasterFd(), output);
    for (const std::string& note : device.TakeNotes()) {
      if (!quiet) fmt::print(stderr, "aisfw-sim: {}\n", note);
    }
    if (device.HungUp()) {
      // Closing the master hangs the line up and discards what the host has
      // not read yet: its last answer must have reached it first.
      pty.WaitUntilRead(kHangUpDrainMs);
      if (!quiet) fmt::print(stderr, "aisfw-sim: line closed\n");
      break;
    }
  }

  pty.Close();
  if (!linkPath.empty()) {
    std::error_code ec;
    fs::remove(linkPath, ec);
  }
  close(signalFd);
  return 0;
}
