// aisfw upgrade / aisfw info: the wizard from the serial-port page on.

#include <fmt/core.h>
#include <fmt/ranges.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/option_checks.h"
#include "cli/upgrade_session.h"
#include "connect/connection.h"

namespace cli {
namespace {

constexpr const char* kPortHelp =
    "Serial port: a device name (ttyUSB0), a path (/dev/pts/3), a stable "
    "/dev/serial/by-id/... link, or 'auto' to scan every port that opens at every baud rate";

// The options both commands share.
void AddConnectionOptions(CLI::App* cmd, UpgradeOptions& opt) {
  std::vector<std::string> rates = connect::BaudRateEntries();
  rates.push_back("auto");
  cmd->add_option("-p,--port", opt.port, kPortHelp)->type_name("PORT|auto")->required();
  cmd->add_option("-b,--baud", opt.baud,
                  "Baud rate: " + fmt::format("{}", fmt::join(rates, ", ")) +
                      " (auto tries each in turn on the named port)")
      ->type_name("RATE|auto")
      ->check(CLI::IsMember(rates))
      ->capture_default_str();
  cmd->add_option("--bin", opt.binFolder,
                  "Folder holding the images (App_700..704.SBIN) and Firmware.csv; by default "
                  "images are read from Bin/ beside the program and the catalogue from Bin/ in "
                  "the current folder")
      ->type_name("DIR");
  cmd->add_flag("--force", opt.force,
                "Answer OK to \"force connect\": use the port even when it does not open "
                "exclusively now, or when another program has it open");
  cmd->add_option("--timeout", opt.timeoutSeconds,
                  "End the whole run after SECONDS, cleanly (exit 124): the port and the image "
                  "are closed and where the device was left is said")
      ->type_name("SECONDS")
      ->check(TimeLimitCheck());
  cmd->add_flag("--json", opt.json,
                "Print events and the outcome as JSON lines on standard output; ask nothing");
  cmd->add_flag("--trace", opt.trace,
                "Print every line sent and received, time-stamped, on standard error (blocks "
                "summarised)");
  cmd->add_flag("-q,--quiet", opt.quiet, "Print only messages and errors");
}

int RunSession(const UpgradeOptions& opt, const CLI::App& cmd) {
  if (opt.port.empty()) {
    fmt::print(stderr,
               "aisfw {}: --port is empty; give a port name (ttyUSB0), a path, or auto (aisfw "
               "ports lists the serial ports)\n",
               cmd.get_name());
    return static_cast<int>(ExitCode::Usage);
  }
  if (opt.port == "auto" && cmd.count("--baud") > 0 && opt.baud != "auto") {
    fmt::print(stderr, "aisfw {}: --port auto scans every baud rate; leave out --baud {}\n",
               cmd.get_name(), opt.baud);
    return static_cast<int>(ExitCode::Usage);
  }
  // A closed pipe on standard output must not end the program with the port
  // left open; writes just fail.
  std::signal(SIGPIPE, SIG_IGN);
  Console console = Console::Standard();
  UpgradeSession session(opt, console);
  return session.Run();
}

}  // namespace

void AddUpgradeCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "upgrade",
      "Upgrade the transponder's firmware: connect, compare the versions, ask \"Do you want to "
      "continue?\", then send the kernel and the application");
  auto opt = std::make_shared<UpgradeOptions>();
  AddConnectionOptions(cmd, *opt);
  cmd->add_flag("-y,--yes", opt->yes, "Answer yes to \"Do you want to continue?\"");
  cmd->add_flag("--allow-older", opt->allowOlder,
                "With --yes, install a version older than the running one");
  cmd->add_flag("--allow-reinstall", opt->allowReinstall,
                "With --yes, install the running version again");
  cmd->footer(ExitCodeHelp());
  cmd->callback([opt, cmd, &exitCode] { exitCode = RunSession(*opt, *cmd); });
}

void AddInfoCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "info",
      "Connect and print the device's information (both readings) and the application image "
      "and version an upgrade would install; nothing is sent to the device's memory");
  auto opt = std::make_shared<UpgradeOptions>();
  opt->mode = UpgradeOptions::Mode::Info;
  AddConnectionOptions(cmd, *opt);
  cmd->footer(ExitCodeHelp());
  cmd->callback([opt, cmd, &exitCode] { exitCode = RunSession(*opt, *cmd); });
}

}  // namespace cli
