#include "cli/exit_codes.h"

#include <fmt/core.h>

namespace cli {

std::string_view ExitCodeMeaning(ExitCode code) {
  for (const ExitCodeRow& row : kExitCodes) {
    if (row.code == code) return row.meaning;
  }
  return "unknown";
}

std::string ExitCodeHelp() {
  std::string help = "Exit codes:";
  for (const ExitCodeRow& row : kExitCodes) {
    help += fmt::format("\n  {:>3}  {}", static_cast<int>(row.code), row.meaning);
  }
  return help;
}

}  // namespace cli
