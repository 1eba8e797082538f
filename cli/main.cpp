// aisfw: the command-line front end of the firmware upgrade tool.

#include <fmt/core.h>

#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "cli/commands.h"

int main(int argc, char** argv) {
  CLI::App app{"aisfw: firmware upgrade and NMEA/AIS tool for AIS Class A transponders"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "aisfw " AISFW_VERSION);

  // Standard input is read line by line in bulk; the C++ streams need not
  // stay in step with C stdio, which costs a call per character.
  std::ios::sync_with_stdio(false);

  int exitCode = 0;
  cli::AddValidateCommand(app, exitCode);
  cli::AddPackCommand(app, exitCode);
  cli::AddDecodeCommand(app, exitCode);
  cli::AddTargetsCommand(app, exitCode);

  // Every error ends here at the latest, said in words, with a non-zero exit.
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  } catch (const std::exception& e) {
    fmt::print(stderr, "aisfw: {}\n", e.what());
    return 1;
  }
  return exitCode;
}
