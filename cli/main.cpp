// aisfw: the command-line front end of the firmware upgrade tool.

#include <fmt/core.h>

#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "cli/commands.h"
#include "cli/exit_codes.h"

int main(int argc, char** argv) {
  CLI::App app{"aisfw: firmware upgrade and NMEA/AIS tool for AIS Class A transponders", "aisfw"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "aisfw " AISFW_VERSION);

  // Standard input is read line by line in bulk; the C++ streams need not
  // stay in step with C stdio, which costs a call per character.
  std::ios::sync_with_stdio(false);

  int exitCode = 0;
  cli::AddUpgradeCommand(app, exitCode);
  cli::AddInfoCommand(app, exitCode);
  cli::AddPortsCommand(app, exitCode);
  cli::AddDoctorCommand(app, exitCode);
  cli::AddMonitorCommand(app, exitCode);
  cli::AddValidateCommand(app, exitCode);
  cli::AddPackCommand(app, exitCode);
  cli::AddDecodeCommand(app, exitCode);
  cli::AddTargetsCommand(app, exitCode);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // --help and --version end here too, with 0; every other parse error is
    // a usage error.
    return app.exit(error) == 0 ? 0 : static_cast<int>(cli::ExitCode::Usage);
  } catch (const std::exception& error) {
    fmt::print(stderr, "aisfw: {}\n", error.what());
    return static_cast<int>(cli::ExitCode::Usage);
  }
  return exitCode;
}
