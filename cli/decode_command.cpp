// aisfw decode [FILE]: one JSON object per NMEA line, from a file or from
// standard input.

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include <fmt/core.h>

#include "cli/commands.h"
#include "cli/line_reader.h"
#include "cli/sentence_json.h"
#include "store/nmea_stack.h"

namespace cli {
namespace {

// Decodes every line of `in`; bad lines are reported and passed over.
void DecodeLines(std::istream& in, std::ostream& out) {
  // The stack is large (rings, records); keep it off the stack.
  const auto stack = std::make_unique<store::NmeaStack>();
  nmea::SentenceRecord record{};
  std::string line;
  std::size_t number = 0;
  while (ReadNmeaLine(in, line)) {
    ++number;
    const bool accepted = stack->library.ParseSentence(line, record);
    // Received text may hold any byte: invalid UTF-8 becomes U+FFFD
    // instead of stopping the run.
    out << LineJson(number, accepted, stack->library.LastFault(), record)
               .dump(-1, ' ', false, Json::error_handler_t::replace)
        << '\n';
  }
  out.flush();
}

}  // namespace

void AddDecodeCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "decode", "Print each NMEA line of FILE (or standard input) as one JSON object");
  auto file = std::make_shared<std::string>();
  cmd->add_option("FILE", *file, "NMEA log to read; standard input when absent or -");
  cmd->callback([file, &exitCode] {
    if (file->empty() || *file == "-") {
      DecodeLines(std::cin, std::cout);
      return;
    }
    std::ifstream in(*file, std::ios::binary);
    if (!in) {
      fmt::print(stderr, "aisfw decode: cannot read {}: {}\n", *file, std::strerror(errno));
      exitCode = 1;
      return;
    }
    DecodeLines(in, std::cout);
    if (in.bad()) {
      fmt::print(stderr, "aisfw decode: error while reading {}\n", *file);
      exitCode = 1;
    }
  });
}

}  // namespace cli
