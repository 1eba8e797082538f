// What a user expects of any command-line program, from the outside: help
// that fits an 80-column terminal and gives each command's exit codes, a
// version, a named mistake for a command that does not exist, numbers
// checked before use, and no file overwritten unasked.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "run_aisfw.h"
#include "tests/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const std::string kSimulator = std::string(AISFW_PROGRAM_DIR) + "/aisfw-sim";

std::string Shell(const std::string& command, int* code = nullptr) {
  std::string out;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = pclose(pipe);
  if (code) *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

// The commands `aisfw --help` lists.
std::vector<std::string> Commands(const std::string& help) {
  std::vector<std::string> commands;
  std::istringstream in(help.substr(help.find("Subcommands:")));
  const std::regex entry("^  ([a-z]+) .*");
  std::smatch match;
  for (std::string line; std::getline(in, line);) {
    if (std::regex_match(line, match, entry)) commands.push_back(match[1]);
  }
  return commands;
}

void ExpectWithin80Columns(const std::string& text, const std::string& what) {
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    EXPECT_LE(line.size(), 80u) << what << ": " << line;
  }
}

TEST(Conventions, HelpFitsEightyColumnsAndGivesEachCommandsExitCodes) {
  const Output main = Aisfw("--help");
  EXPECT_EQ(main.exitCode, 0);
  ExpectWithin80Columns(main.out, "aisfw --help");
  const std::vector<std::string> commands = Commands(main.out);
  EXPECT_EQ(commands.size(), 10u) << main.out;
  for (const std::string& command : commands) {
    const Output help = Aisfw(command + " --help");
    EXPECT_EQ(help.exitCode, 0) << command;
    ExpectWithin80Columns(help.out, command);
    EXPECT_NE(help.out.find("\nExit codes:\n    0  "), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("\n    1  usage error"), std::string::npos) << help.out;
  }
  ExpectWithin80Columns(Shell(kSimulator + " --help"), "aisfw-sim --help");
}

TEST(Conventions, EachProgramTellsItsVersion) {
  const std::regex version(R"(\d+\.\d+\.\d+\n)");
  for (const std::string& program : {std::string(AISFW_PROGRAM_DIR) + "/aisfw", kSimulator}) {
    for (const char* flag : {" -V", " --version"}) {
      int code = -1;
      const std::string out = Shell(program + flag, &code);
      EXPECT_EQ(code, 0) << program << flag;
      const std::string name = fs::path(program).filename().string();
      ASSERT_EQ(out.rfind(name + " ", 0), 0u) << out;
      EXPECT_TRUE(std::regex_match(out.substr(name.size() + 1), version)) << out;
    }
  }
}

TEST(Conventions, UsageMistakesAreNamedAndExit1) {
  struct Case {
    const char* arguments;
    const char* says;
  };
  const Case cases[] = {
      {"bogus", "aisfw: unknown command 'bogus'"},
      {"bogus --port x", "aisfw: unknown command 'bogus'"},
      {"", "A subcommand is required"},
      {"monitor --port ttyUSB0 --seconds -1", "--seconds: '-1' is not from 0 to"},
      {"monitor --port ttyUSB0 --seconds nan", "--seconds: 'nan' is not a number of seconds"},
      {"monitor --port ttyUSB0 --seconds 1e999", "--seconds: '1e999' is not a number"},
      {"monitor --port ttyUSB0 --seconds 2x", "--seconds: '2x' is not a number"},
      {"monitor --port ttyUSB0 --baud 1234", "--baud: '1234' is not a baud rate"},
      {"monitor --port ttyUSB0 --baud fast", "--baud: 'fast' is not a baud rate"},
      {"monitor --port auto --seconds 1", "aisfw monitor: name the port to listen to"},
      {"history -n -2", "--last: '-2' is not a whole number"},
      {"history -n many", "--last: 'many' is not a whole number"},
      {"pack", "aisfw pack: give INPUT and OUTPUT, or --sample DIR"},
      {"pack only-input.bin", "aisfw pack: give INPUT and OUTPUT"},
  };
  for (const Case& c : cases) {
    const Output run = Aisfw(c.arguments, true);
    EXPECT_EQ(run.exitCode, 1) << c.arguments << "\n" << run.out;
    EXPECT_NE(run.out.find(c.says), std::string::npos) << c.arguments << "\n" << run.out;
  }
}

TEST(Conventions, PackKeepsAnExistingOutputUnlessForced) {
  const TempFolder folder;
  std::ofstream(folder / "code.bin", std::ios::binary) << std::string(600, 'c');
  std::ofstream(folder / "App.SBIN", std::ios::binary) << "keep me";
  const std::string pack = "pack " + folder / "code.bin" + " " + folder / "App.SBIN";

  Output run = Aisfw(pack, true);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("App.SBIN exists; --force overwrites it"), std::string::npos) << run.out;
  std::ifstream kept(folder / "App.SBIN", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep me");

  run = Aisfw(pack + " --force", true);
  EXPECT_EQ(run.exitCode, 0) << run.out;
  EXPECT_EQ(fs::file_size(folder / "App.SBIN") % 263, 0u) << "an image now";

  const std::string sample = "pack --sample " + folder.Path().string();
  EXPECT_EQ(Aisfw(sample, true).exitCode, 0);
  run = Aisfw(sample, true);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.out.find("Firmware.csv exists; --force overwrites it"), std::string::npos)
      << run.out;
  EXPECT_EQ(Aisfw(sample + " --force", true).exitCode, 0);
}

}  // namespace
