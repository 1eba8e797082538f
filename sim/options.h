#pragma once
// aisfw-sim's command line: what the virtual transponder is to be and where
// it files what it receives.

#include <optional>
#include <string>

#include "sim/transponder.h"

namespace sim {

struct SimOptions {
  TransponderConfig config;
  std::string linkPath;  // a symbolic link to the serial end; empty: none
  bool quiet = false;
};

// Reads the command line into `options`. An exit code when the program ends
// here (0 after --help or --version, 1 when the --out folder cannot be made,
// 2 on a usage error); nothing when it runs.
std::optional<int> ParseSimOptions(int argc, char** argv, SimOptions& options);

}  // namespace sim
