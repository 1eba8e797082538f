// aisfw: the command-line front end of the firmware upgrade tool.

#include <iostream>

#include <CLI/CLI.hpp>

#include "cli/commands.h"

int main(int argc, char** argv) {
  CLI::App app{"aisfw: firmware upgrade and NMEA/AIS tool for AIS Class A transponders"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "aisfw 0.1.0");

  // Standard input is read line by line in bulk; the C++ streams need not
  // stay in step with C stdio, which costs a call per character.
  std::ios::sync_with_stdio(false);

  int exitCode = 0;
  cli::AddValidateCommand(app, exitCode);
  cli::AddPackCommand(app, exitCode);
  cli::AddDecodeCommand(app, exitCode);
  cli::AddTargetsCommand(app, exitCode);

  CLI11_PARSE(app, argc, argv);
  return exitCode;
}
