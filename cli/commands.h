#pragma once
// The subcommands of `aisfw`. Each Add* function registers one subcommand
// and its callback; the callback stores the process exit code in `exitCode`.

#include <CLI/CLI.hpp>

namespace cli {

void AddValidateCommand(CLI::App& app, int& exitCode);
void AddPackCommand(CLI::App& app, int& exitCode);
void AddDecodeCommand(CLI::App& app, int& exitCode);
void AddTargetsCommand(CLI::App& app, int& exitCode);
void AddUpgradeCommand(CLI::App& app, int& exitCode);
void AddInfoCommand(CLI::App& app, int& exitCode);
void AddPortsCommand(CLI::App& app, int& exitCode);
void AddDoctorCommand(CLI::App& app, int& exitCode);
void AddMonitorCommand(CLI::App& app, int& exitCode);

}  // namespace cli
