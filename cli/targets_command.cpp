// aisfw targets [FILE] [--json]: reads NMEA lines like `decode` and prints
// the AIS target table after the last one, as a readable table or as one
// JSON object per entry in use.

#include <fmt/core.h>

#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/line_reader.h"
#include "cli/sentence_json.h"
#include "cli/target_table.h"
#include "store/nmea_stack.h"

namespace cli {

void AddTargetsCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "targets", "Read NMEA lines from FILE (or standard input) and print the AIS stations heard");
  struct Options {
    std::string file;
    bool json = false;
    bool verbose = false;
  };
  auto opt = std::make_shared<Options>();
  cmd->add_option("FILE", opt->file, "NMEA log to read; standard input when absent or -");
  cmd->add_flag("--json", opt->json, "One JSON object per station, in table order");
  cmd->add_flag("-v,--verbose", opt->verbose,
                "Also count the lines read and why lines were not decoded, on standard error");
  SetExitCodes(cmd, {{0, "every line was read (refused lines included)"},
                     {1, "usage error, or FILE could not be read"}});
  cmd->callback([opt, &exitCode] {
    // The stack is large (rings, records, 2250 entries); keep it off the stack.
    const auto stack = std::make_unique<store::NmeaStack>();
    StationMessages messages;
    std::size_t lines = 0;
    std::map<std::string, std::size_t> refused;
    exitCode = ReadInput(opt->file, "targets", [&](LineReader& in) {
      nmea::SentenceRecord record{};
      while (in.Next()) {
        ++lines;
        if (in.TooLong()) {
          ++refused[nmea::FaultName(nmea::SentenceFault::TooLong)];
          continue;
        }
        if (!stack->library.ParseSentence(in.Line(), record) && opt->verbose) {
          ++refused[RefusalReason(in.Line(), stack->library.LastFault())];
        }
        messages.Note(stack->ais.Targets());
      }
    });
    const store::AisTargetTable& table = stack->ais.Targets();
    if (opt->json) {
      for (const int index : StationsInUse(table)) {
        WriteJsonLine(std::cout, TargetJson(table, messages, index));
      }
    } else {
      PrintTargetTable(table, messages, std::cout);
    }
    std::cout.flush();
    if (opt->verbose) {
      std::string counts;
      for (const auto& [reason, count] : refused) {
        counts += fmt::format("{}{} {}", counts.empty() ? "; not decoded: " : ", ", count, reason);
      }
      fmt::print(stderr, "aisfw targets: {} lines read{}\n", lines, counts);
    }
  });
}

}  // namespace cli
