// aisfw decode [FILE]: one JSON object per NMEA line, from a file or from
// standard input.

#include <iostream>
#include <memory>
#include <string>

#include "cli/ais_json.h"
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
    Json object = LineJson(number, accepted, stack->library.LastFault(), record);
    if (accepted && stack->ais.HasDecoded()) {
      object["ais"] = AisValuesJson(stack->ais.DescribeLastDecoded());
    }
    // Received text may hold any byte: invalid UTF-8 becomes U+FFFD
    // instead of stopping the run.
    out << object.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
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
    exitCode = ReadInput(*file, "decode", [](std::istream& in) { DecodeLines(in, std::cout); });
  });
}

}  // namespace cli
