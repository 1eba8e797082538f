// aisfw targets [FILE] [--json]: reads NMEA lines like `decode` and prints
// the AIS target table after the last one, as a readable table or as one
// JSON object per entry in use.

#include <fmt/core.h>

#include <iostream>
#include <memory>
#include <string>

#include "cli/ais_json.h"
#include "cli/commands.h"
#include "cli/line_reader.h"
#include "cli/target_table.h"
#include "store/nmea_stack.h"

namespace cli {
namespace {

const char* TypeName(std::uint8_t type) {
  switch (static_cast<store::AisTargetType>(type)) {
    case store::AisTargetType::BaseStation:
      return "base";
    case store::AisTargetType::SarAircraft:
      return "SAR";
    case store::AisTargetType::AidToNavigation:
      return "AtoN";
    case store::AisTargetType::ClassA:
      return "A";
    case store::AisTargetType::ClassB:
      return "B";
    case store::AisTargetType::Sart:
      return "SART";
    case store::AisTargetType::Unknown:
      return "?";
  }
  return "?";
}

// A value the table holds as "not available" prints as a dash.
std::string Degrees(float value, float missing) {
  return value == missing ? "-" : fmt::format("{:.5f}", value);
}

std::string Optional(float value, float limit, const char* format) {
  return value >= 0.0f && value < limit ? fmt::format(fmt::runtime(format), value) : "-";
}

}  // namespace

void PrintTargetTable(const store::AisTargetTable& table, std::ostream& out) {
  out << fmt::format("{:>5} {:<4} {:>9} {:<20} {:<7} {:>10} {:>11} {:>6} {:>6} {:>4} {:>6} {:>6}\n",
                     "index", "type", "mmsi", "name", "call", "lat", "lon", "speed", "course",
                     "hdg", "vdm", "vdo");
  int shown = 0;
  for (int i = 0; i < table.Count(); ++i) {
    const store::AisTarget& t = table.Entry(i);
    if (i == 0 && t.mmsi == 0) continue;
    out << fmt::format(
        "{:>5} {:<4} {:>9} {:<20} {:<7} {:>10} {:>11} {:>6} {:>6} {:>4} {:>6} {:>6}\n", i,
        TypeName(t.type), t.mmsi, t.name, t.callsign, Degrees(t.lat, 91.0f), Degrees(t.lon, 181.0f),
        store::AisSpeedAvailable(t) ? fmt::format("{:.1f}", t.speed) : "-",
        Optional(t.course, 360.0f, "{:.1f}"), Optional(t.heading, 360.0f, "{:.0f}"), t.vdmCount,
        t.vdoCount);
    ++shown;
  }
  out << fmt::format("{} station{}\n", shown, shown == 1 ? "" : "s");
}

namespace {

void PrintJson(const store::AisTargetTable& table, std::ostream& out) {
  for (int i = 0; i < table.Count(); ++i) {
    const store::AisTarget& t = table.Entry(i);
    if (i == 0 && t.mmsi == 0) continue;  // no own station heard
    out << AisValuesJson(store::AisDescribeTarget(t, i))
               .dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
        << '\n';
  }
}

}  // namespace

void AddTargetsCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "targets", "Read NMEA lines from FILE (or standard input) and print the AIS stations heard");
  struct Options {
    std::string file;
    bool json = false;
  };
  auto opt = std::make_shared<Options>();
  cmd->add_option("FILE", opt->file, "NMEA log to read; standard input when absent or -");
  cmd->add_flag("--json", opt->json, "One JSON object per station, in table order");
  cmd->callback([opt, &exitCode] {
    // The stack is large (rings, records, 2250 entries); keep it off the stack.
    const auto stack = std::make_unique<store::NmeaStack>();
    exitCode = ReadInput(opt->file, "targets", [&](std::istream& in) {
      nmea::SentenceRecord record{};
      std::string line;
      while (ReadNmeaLine(in, line)) stack->library.ParseSentence(line, record);
    });
    if (opt->json) {
      PrintJson(stack->ais.Targets(), std::cout);
    } else {
      PrintTargetTable(stack->ais.Targets(), std::cout);
    }
    std::cout.flush();
  });
}

}  // namespace cli
