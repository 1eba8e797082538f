#pragma once
// The subcommands of `aisfw`. Each Add* function registers one subcommand
// and its callback; the callback stores the process exit code in `exitCode`.

#include <CLI/CLI.hpp>

namespace cli {

void AddValidateCommand(CLI::App& app, int& exitCode);
void AddPackCommand(CLI::App& app, int& exitCode);
void AddDecodeCommand(CLI::App& app, int& exitCode);
void AddTargetsCommand(CLI::App& app, int& exitCode);

}  // namespace cli
