#include "cli/exit_codes.h"

#include <csignal>
#include <vector>

#include "cli/command_help.h"

namespace cli {

static_assert(static_cast<int>(ExitCode::HungUpTerminal) == 128 + SIGHUP);
static_assert(static_cast<int>(ExitCode::Interrupted) == 128 + SIGINT);
static_assert(static_cast<int>(ExitCode::Terminated) == 128 + SIGTERM);

ExitCode ExitCodeOfSignal(int number) {
  switch (number) {
    case SIGHUP:
      return ExitCode::HungUpTerminal;
    case SIGTERM:
      return ExitCode::Terminated;
    default:
      return ExitCode::Interrupted;
  }
}

std::string_view ExitCodeMeaning(ExitCode code) {
  for (const ExitCodeRow& row : kExitCodes) {
    if (row.code == code) return row.meaning;
  }
  return "unknown";
}

ExitCodeText ExitCodeRowOf(ExitCode code) {
  return {static_cast<int>(code), ExitCodeMeaning(code)};
}

std::string ExitCodeHelp() {
  std::vector<ExitCodeText> rows;
  for (const ExitCodeRow& row : kExitCodes)
    rows.push_back({static_cast<int>(row.code), row.meaning});
  return ExitCodeFooter(rows);
}

}  // namespace cli
