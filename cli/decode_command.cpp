// aisfw decode [FILE]: one JSON object per NMEA line, from a file or from
// standard input.

#include <iostream>
#include <memory>
#include <string>

#include "cli/ais_json.h"
#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/line_reader.h"
#include "cli/sentence_json.h"
#include "store/nmea_stack.h"

namespace cli {
namespace {

// Decodes every line; bad lines are reported and passed over.
void DecodeLines(LineReader& in, bool verbose, std::ostream& out) {
  // The stack is large (rings, records); keep it off the stack.
  const auto stack = std::make_unique<store::NmeaStack>();
  nmea::SentenceRecord record{};
  while (in.Next()) {
    if (in.TooLong()) {
      WriteJsonLine(out, TooLongLineJson(in.Number()));
      continue;
    }
    const std::string& line = in.Line();
    const bool accepted = stack->library.ParseSentence(line, record);
    Json object = LineJson(in.Number(), line, accepted, stack->library.LastFault(), record);
    if (accepted && stack->ais.HasDecoded()) {
      object["ais"] = AisValuesJson(stack->ais.DescribeLastDecoded(store::AisPackedFields::Parts));
    }
    if (verbose) object["text"] = line.substr(0, line.size() - 2);
    WriteJsonLine(out, object);
  }
  out.flush();
}

}  // namespace

void AddDecodeCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "decode", "Print each NMEA line of FILE (or standard input) as one JSON object");
  struct Options {
    std::string file;
    bool verbose = false;
  };
  auto opt = std::make_shared<Options>();
  cmd->add_option("FILE", opt->file, "NMEA log to read; standard input when absent or -");
  cmd->add_flag("-v,--verbose", opt->verbose, "Add each line as read to its object (\"text\")");
  SetExitCodes(cmd, {{0, "every line was read (refused lines included)"},
                     {1, "usage error, or FILE could not be read"}});
  cmd->callback([opt, &exitCode] {
    exitCode = ReadInput(opt->file, "decode",
                         [&](LineReader& in) { DecodeLines(in, opt->verbose, std::cout); });
  });
}

}  // namespace cli
