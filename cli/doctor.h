#pragma once
// `aisfw doctor`: what a technician checks before an upgrade, each check
// with the one line that fixes it: the port exists and is no console, the
// user may open it, no other program holds it, and ModemManager leaves it
// alone. A check that could not look everywhere warns instead of passing.

#include <ostream>
#include <string>
#include <vector>

#include "cli/system_view.h"

namespace cli {

enum class CheckKind { Present, Exists, Console, Access, Free, ModemManager };
enum class CheckStatus { Pass, Warn, Fail };

struct DoctorCheck {
  CheckKind kind;
  std::string port;  // the device path; empty for a check of the machine
  CheckStatus status = CheckStatus::Fail;
  std::string detail;  // what was found
  std::string fix;     // one line; empty when passed
  std::string facts;   // what the check looked at (shown with --verbose)
};

const char* CheckName(CheckKind kind);
const char* StatusName(CheckStatus status);

// The checks for `port` (a name, a path or a by-id link), or for every
// present port when it is empty or "auto".
std::vector<DoctorCheck> RunDoctorChecks(SystemView& view, const std::string& port);

// Prints the checks (readable, or one JSON object per check); the exit code:
// 0 when no check failed (warnings allowed), 2 otherwise. Text from the
// system (process names, paths) is shown escaped.
int PrintDoctorReport(const std::vector<DoctorCheck>& checks, bool json, bool verbose,
                      std::ostream& out);

}  // namespace cli
