// aisfw: the command-line front end of the firmware upgrade tool.

#include <fmt/core.h>

#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>

#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/history.h"
#include "text/display_text.h"

namespace {

// The first word, when it is no option: the command the user meant.
std::string FirstWord(int argc, char** argv) {
  return argc > 1 && argv[1][0] != '-' ? argv[1] : std::string();
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"aisfw: firmware upgrade and NMEA/AIS tool for AIS Class A transponders", "aisfw"};
  // Before the commands: each takes the layout of its parent.
  app.formatter(cli::MakeHelpFormatter());
  app.require_subcommand(1);
  app.set_version_flag("-V,--version", "aisfw " AISFW_VERSION);
  app.footer("Run aisfw COMMAND --help for a command's options and exit codes.");

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
  cli::AddHistoryCommand(app, exitCode);

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& done) {
    // --help and --version.
    return app.exit(done);
  } catch (const CLI::ParseError& error) {
    // A word where a command belongs that names none.
    const std::string word = FirstWord(argc, argv);
    if (app.get_subcommands().empty() && !word.empty() &&
        (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr ||
         dynamic_cast<const CLI::RequiredError*>(&error) != nullptr)) {
      fmt::print(stderr, "aisfw: unknown command '{}' (aisfw --help lists the commands)\n",
                 text::DisplayText(word));
      return static_cast<int>(cli::ExitCode::Usage);
    }
    app.exit(error);
    return static_cast<int>(cli::ExitCode::Usage);
  } catch (const std::exception& error) {
    fmt::print(stderr, "aisfw: {}\n", text::DisplayText(error.what()));
    return static_cast<int>(cli::ExitCode::Usage);
  }
  return exitCode;
}
