// libFuzzer entry: `aisfw decode` and `aisfw targets --json` on any bytes as
// their standard input (the first byte's low bit chooses which), run as the
// program runs them. What they print must be JSON objects in valid UTF-8,
// one per line: for decode one per input line, numbered from 1 in order;
// for targets one per station, never more than the table holds.

#include <CLI/CLI.hpp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>

#include "cli/commands.h"
#include "store/ais_targets.h"

namespace {

[[noreturn]] void Fault(const char* what, std::string_view line) {
  std::fprintf(stderr, "%s\n  %.*s\n", what, static_cast<int>(line.size()), line.data());
  std::abort();
}

// Runs one subcommand with `input` on standard input; its standard output.
std::string Run(const char* command, const std::string& input) {
  // The commands read standard input through C's stdin, in bounded lines.
  std::string bytes = input;
  std::FILE* const in =
      bytes.empty() ? std::fopen("/dev/null", "rb") : fmemopen(bytes.data(), bytes.size(), "rb");
  if (in == nullptr) Fault("the input could not be opened as a stream", command);
  std::FILE* const savedStdin = stdin;
  stdin = in;
  std::ostringstream out;
  std::streambuf* const cout = std::cout.rdbuf(out.rdbuf());
  CLI::App app;
  int exitCode = 0;
  cli::AddDecodeCommand(app, exitCode);
  cli::AddTargetsCommand(app, exitCode);
  app.parse(command, false);
  std::cout.rdbuf(cout);
  std::fclose(in);
  stdin = savedStdin;
  if (exitCode != 0) Fault("the command failed on its standard input", command);
  return out.str();
}

// The input's lines as the commands read them: LF ends one, and a last line
// without it counts too.
std::size_t Lines(const std::string& input) {
  std::size_t n = 0;
  for (const char c : input) n += c == '\n';
  return n + (!input.empty() && input.back() != '\n');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool decode = (data[0] & 1) == 0;
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string output = Run(decode ? "decode" : "targets --json", input);

  std::size_t objects = 0;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    nlohmann::json object;
    try {
      object = nlohmann::json::parse(line);  // refuses invalid UTF-8
    } catch (const nlohmann::json::exception&) {
      Fault("a line that is no JSON in valid UTF-8", line);
    }
    if (!object.is_object()) Fault("a line that is no JSON object", line);
    ++objects;
    if (decode && object.value("line", std::size_t{0}) != objects) {
      Fault("a line numbered out of order", line);
    }
  }
  if (!output.empty() && output.back() != '\n') Fault("output that does not end its line", output);
  if (decode && objects != Lines(input)) Fault("not one object per input line", output);
  if (!decode && objects > static_cast<std::size_t>(store::AisTargetTable::kCapacity)) {
    Fault("more stations than the table holds", output);
  }
  return 0;
}
