#pragma once
// `aisfw doctor`: what a technician checks before an upgrade, each check
// with the one line that fixes it: the port exists, the user may open it, no
// other program holds it, and ModemManager leaves it alone.

#include <ostream>
#include <string>
#include <vector>

#include "cli/system_view.h"

namespace cli {

enum class CheckKind { Present, Exists, Access, Free, ModemManager };

struct DoctorCheck {
  CheckKind kind;
  std::string port;  // the device path; empty for a check of the machine
  bool passed = false;
  std::string detail;  // what was found
  std::string fix;     // one line; empty when passed
};

const char* CheckName(CheckKind kind);

// The checks for `port` (a name, a path or a by-id link), or for every
// present port when it is empty or "auto".
std::vector<DoctorCheck> RunDoctorChecks(SystemView& view, const std::string& port);

// Prints the checks (readable, or one JSON object per check); the exit code:
// 0 when every check passed, 2 otherwise.
int PrintDoctorReport(const std::vector<DoctorCheck>& checks, bool json, std::ostream& out);

}  // namespace cli
