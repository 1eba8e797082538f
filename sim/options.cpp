#include "sim/options.h"

#include <fmt/core.h>

#include <CLI/CLI.hpp>
#include <array>
#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

#include "cli/command_help.h"
#include "comm/comm_types.h"

namespace sim {
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
const std::map<std::string, CountdownLines> kCountdownLines = {
    {"both", CountdownLines::Both},
    {"digits", CountdownLines::DigitsOnly},
    {"wait", CountdownLines::WaitOnly},
};

// Times of the options stay well inside the virtual clock's arithmetic.
constexpr int kMaxOptionMs = 3'600'000;

bool ParseLanguage(const std::string& text, TransponderConfig& config) {
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
  for (const FaultDescription& d : FaultDescriptions())
    help += fmt::format("\n  {:<18} {}", d.name, d.help);
  return help;
}

// The options whose text is checked and turned into the device's setup
// once the command line has been read.
struct OptionTexts {
  std::string classText = "0";
  std::string languageText = "1,2,3,5";
  std::string countdownText = "both";
  std::string outDir;
  std::vector<std::string> faults;
};

void DeclareOptions(CLI::App& app, SimOptions& options, OptionTexts& texts) {
  TransponderConfig& config = options.config;
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
         "--class", texts.classText,
         "Class digit of its \"[ClassA]=\" line (1: 264-byte blocks), or 'none' to omit the line")
      ->type_name("DIGIT")
      ->default_val("0");
  app.add_option("--language", texts.languageText,
                 "Four display-language digits a,b,c,d, or 'none' to omit the line")
      ->type_name("a,b,c,d")
      ->default_val("1,2,3,5");
  app.add_option("--out", texts.outDir,
                 "Folder for the received parts: kernel.bin and application.bin, the blocks as "
                 "stored in the image")
      ->type_name("DIR");
  app.add_option("--link", options.linkPath,
                 "Also make a symbolic link PATH to its serial end (removed on exit)")
      ->type_name("PATH");
  app.add_option("--seed", config.seed, "Seed of every random choice (fault blocks, garbage)")
      ->type_name("N")
      ->default_val(1);
  app.add_option("--fault", texts.faults, FaultHelp())->type_name("KIND[:N]");
  app.add_option("--countdown-ms", config.countdownStepMs, "Time between its countdown lines")
      ->type_name("MS")
      ->default_val(400)
      ->check(CLI::Range(0, kMaxOptionMs));
  app.add_option("--countdown", texts.countdownText,
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
  app.add_flag("--quiet", options.quiet, "Log nothing on standard error");
}

// An exit code when a text does not say what it must or the --out folder
// cannot be made.
std::optional<int> ApplyTexts(const OptionTexts& texts, TransponderConfig& config) {
  config.countdownLines = kCountdownLines.at(texts.countdownText);
  if (texts.classText == "none") {
    config.classDigit.reset();
  } else if (texts.classText.size() == 1 && texts.classText[0] >= '0' &&
             texts.classText[0] <= '9') {
    config.classDigit = texts.classText[0] - '0';
  } else {
    fmt::print(stderr, "aisfw-sim: --class takes one digit or 'none', not '{}'\n", texts.classText);
    return 2;
  }
  if (!ParseLanguage(texts.languageText, config)) {
    fmt::print(stderr, "aisfw-sim: --language takes four digits a,b,c,d or 'none', not '{}'\n",
               texts.languageText);
    return 2;
  }
  for (const std::string& text : texts.faults) {
    Fault fault{};
    std::string error;
    if (!ParseFault(text, fault, error)) {
      fmt::print(stderr, "aisfw-sim: {}\n", error);
      return 2;
    }
    config.faults.push_back(fault);
  }
  if (!texts.outDir.empty()) {
    std::error_code ec;
    fs::create_directories(texts.outDir, ec);
    if (ec) {
      fmt::print(stderr, "aisfw-sim: cannot create {}: {}\n", texts.outDir, ec.message());
      return 1;
    }
    config.outDir = texts.outDir;
  }
  return std::nullopt;
}

}  // namespace

std::optional<int> ParseSimOptions(int argc, char** argv, SimOptions& options) {
  CLI::App app{
      "aisfw-sim: a virtual AIS transponder on a pseudo-terminal. It prints the path of its\n"
      "serial end as 'port: /dev/pts/N', then answers the firmware upgrade tool there until\n"
      "interrupted (Ctrl-C or SIGTERM)."};
  app.name("aisfw-sim");
  app.formatter(cli::MakeHelpFormatter());  // within 80 columns, as aisfw's
  app.set_version_flag("-V,--version", "aisfw-sim " AISFW_VERSION);
  OptionTexts texts;
  DeclareOptions(app, options, texts);
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

  return ApplyTexts(texts, options.config);
}

}  // namespace sim
