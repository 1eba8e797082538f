#include "cli/doctor.h"

#include <fmt/core.h>

#include <algorithm>

#include "cli/exit_codes.h"
#include "cli/json_line.h"
#include "text/display_text.h"

namespace cli {
namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

DoctorCheck Pass(CheckKind kind, const std::string& port, std::string detail) {
  return {kind, port, CheckStatus::Pass, std::move(detail), {}, {}};
}

DoctorCheck Fail(CheckKind kind, const std::string& port, std::string detail, std::string fix) {
  return {kind, port, CheckStatus::Fail, std::move(detail), std::move(fix), {}};
}

DoctorCheck Warn(CheckKind kind, const std::string& port, std::string detail, std::string fix) {
  return {kind, port, CheckStatus::Warn, std::move(detail), std::move(fix), {}};
}

std::string Join(const std::vector<std::string>& items) {
  std::string joined;
  for (const std::string& item : items) joined += (joined.empty() ? "" : ",") + item;
  return joined.empty() ? "-" : joined;
}

DoctorCheck AccessCheck(const UserFacts& user, const SerialPortFacts& port, const DeviceNode& node);

DoctorCheck CheckAccess(SystemView& view, const SerialPortFacts& port, const DeviceNode& node) {
  const UserFacts user = view.User();
  DoctorCheck check = AccessCheck(user, port, node);
  check.facts = fmt::format(
      "device mode {:04o}, owner {}, group {}; you are {}{}, in groups {} (this login) and {} "
      "(the group database)",
      node.mode, node.owner, node.group, user.name.empty() ? "?" : user.name,
      user.root ? " (root)" : "", Join(user.sessionGroups), Join(user.listedGroups));
  return check;
}

DoctorCheck AccessCheck(const UserFacts& user, const SerialPortFacts& port,
                        const DeviceNode& node) {
  if (user.root) return Pass(CheckKind::Access, port.path, "you run as root");
  if ((node.mode & 0006) == 0006) {
    return Pass(CheckKind::Access, port.path, "everyone may read and write it");
  }
  if (node.owner == user.name && (node.mode & 0600) == 0600) {
    return Pass(CheckKind::Access, port.path, "you own it");
  }
  if ((node.mode & 0060) != 0060) {
    return Fail(CheckKind::Access, port.path,
                fmt::format("neither you nor its group '{}' may read and write it (mode {:04o})",
                            node.group, node.mode),
                fmt::format("check the permissions (ls -l {}) and the udev rules that set them",
                            port.path));
  }
  if (Contains(user.sessionGroups, node.group)) {
    return Pass(CheckKind::Access, port.path, fmt::format("you are in its group '{}'", node.group));
  }
  if (Contains(user.listedGroups, node.group)) {
    return Fail(CheckKind::Access, port.path,
                fmt::format("you were added to its group '{}' after you logged in", node.group),
                fmt::format("log out and in again (or run: newgrp {})", node.group));
  }
  return Fail(CheckKind::Access, port.path,
              fmt::format("you are not in its group '{}'", node.group),
              fmt::format("sudo usermod -aG {} {}, then log out and in again", node.group,
                          user.name.empty() ? "$USER" : user.name));
}

DoctorCheck CheckFree(SystemView& view, const SerialPortFacts& port) {
  const PortHolders holders = view.Holders(port.path);
  DoctorCheck check;
  if (!holders.programs.empty()) {
    std::string names;
    std::string pids;
    for (const PortHolder& holder : holders.programs) {
      names += fmt::format("{}{} (pid {})", names.empty() ? "" : ", ", holder.program, holder.pid);
      pids += fmt::format(" {}", holder.pid);
    }
    check = Fail(CheckKind::Free, port.path, "held by " + names,
                 "close that program, or end it: kill" + pids);
  } else if (!holders.complete) {
    // Another user's process (a root service, say) may hold it unseen.
    check = Warn(CheckKind::Free, port.path,
                 "no program of yours holds it; other users' processes could not be checked",
                 "run sudo aisfw doctor to check them too");
  } else {
    check = Pass(CheckKind::Free, port.path, "no other program holds it");
  }
  check.facts = holders.complete ? "every process looked at"
                                 : "the open files of other users' processes are hidden from you";
  return check;
}

// The rule that tells ModemManager to leave the port alone.
std::string IgnoreRule(const SerialPortFacts& port) {
  const std::string match =
      port.vendorId.empty() ? fmt::format("KERNEL==\"{}\"", port.name)
                            : fmt::format("ATTRS{{idVendor}}==\"{}\", ATTRS{{idProduct}}==\"{}\"",
                                          port.vendorId, port.productId);
  return fmt::format(
      "echo '{}, ENV{{ID_MM_DEVICE_IGNORE}}=\"1\"' | sudo tee /etc/udev/rules.d/99-aisfw.rules "
      "&& sudo udevadm control --reload-rules && sudo udevadm trigger",
      match);
}

DoctorCheck CheckModemManager(SystemView& view, const SerialPortFacts* port) {
  const std::string path = port ? port->path : std::string();
  if (!view.ModemManagerRunning()) {
    return Pass(CheckKind::ModemManager, path, "ModemManager is not running");
  }
  if (port == nullptr) {
    return Pass(CheckKind::ModemManager, path, "ModemManager is running (no port to check)");
  }
  if (view.ModemManagerIgnores(*port)) {
    return Pass(CheckKind::ModemManager, path, "ModemManager runs but leaves this port alone");
  }
  return Fail(CheckKind::ModemManager, path,
              "ModemManager runs and may probe this port, which disturbs the device",
              IgnoreRule(*port));
}

}  // namespace

const char* CheckName(CheckKind kind) {
  switch (kind) {
    case CheckKind::Present:
      return "present";
    case CheckKind::Exists:
      return "exists";
    case CheckKind::Console:
      return "console";
    case CheckKind::Access:
      return "access";
    case CheckKind::Free:
      return "free";
    case CheckKind::ModemManager:
      return "modem-manager";
  }
  return "?";
}

const char* StatusName(CheckStatus status) {
  switch (status) {
    case CheckStatus::Pass:
      return "pass";
    case CheckStatus::Warn:
      return "warn";
    case CheckStatus::Fail:
      return "fail";
  }
  return "?";
}

std::vector<DoctorCheck> RunDoctorChecks(SystemView& view, const std::string& port) {
  std::vector<DoctorCheck> checks;
  std::vector<SerialPortFacts> ports;
  if (!port.empty() && port != "auto") {
    ports.push_back(FindPort(view, port));
  } else {
    ports = view.Ports();
    if (ports.empty()) {
      checks.push_back(Fail(CheckKind::Present, {}, "no serial port is present",
                            "plug in the adapter and look at the kernel's messages: sudo dmesg | "
                            "tail"));
      checks.push_back(CheckModemManager(view, nullptr));
      return checks;
    }
  }
  const bool named = ports.size() == 1 && !port.empty() && port != "auto";
  for (const SerialPortFacts& facts : ports) {
    const DeviceNode node = view.Node(facts.path);
    if (!node.exists || !node.characterDevice) {
      checks.push_back(
          Fail(CheckKind::Exists, facts.path,
               node.exists ? "it is not a device file" : "it does not exist",
               "plug in the adapter, see aisfw ports for the ports present, and name one of them"));
      continue;
    }
    std::string found = "it exists";
    if (!facts.driver.empty()) found += " (driver " + facts.driver + ")";
    checks.push_back(Pass(CheckKind::Exists, facts.path, found));
    if (facts.console) {
      // Kernel messages, and perhaps a login, go out on it: no line for a
      // device. Named on purpose it fails; in a survey of all ports it is
      // only pointed out.
      const std::string detail =
          "it is the system's console: kernel messages (and perhaps a login) use it, and the "
          "automatic scan skips it";
      const std::string fix =
          "connect the transponder to another port (aisfw ports lists them), or move the "
          "console off this one (console= on the kernel command line)";
      checks.push_back(named ? Fail(CheckKind::Console, facts.path, detail, fix)
                             : Warn(CheckKind::Console, facts.path, detail, fix));
      if (!named) continue;
    }
    checks.push_back(CheckAccess(view, facts, node));
    checks.push_back(CheckFree(view, facts));
    checks.push_back(CheckModemManager(view, &facts));
  }
  return checks;
}

int PrintDoctorReport(const std::vector<DoctorCheck>& checks, bool json, bool verbose,
                      std::ostream& out) {
  int failed = 0;
  int warned = 0;
  std::string port = "-";
  for (const DoctorCheck& check : checks) {
    if (check.status == CheckStatus::Fail) ++failed;
    if (check.status == CheckStatus::Warn) ++warned;
    if (json) {
      Json object = {{"check", CheckName(check.kind)},
                     {"port", check.port.empty() ? Json() : Json(check.port)},
                     {"status", StatusName(check.status)},
                     {"passed", check.status == CheckStatus::Pass},
                     {"detail", check.detail}};
      if (check.status != CheckStatus::Pass) object["fix"] = check.fix;
      if (verbose && !check.facts.empty()) object["facts"] = check.facts;
      WriteJsonLine(out, object);
      continue;
    }
    if (check.port != port) {
      port = check.port;
      out << (port.empty() ? std::string("this machine") : text::DisplayText(port)) << '\n';
    }
    const char* label = check.status == CheckStatus::Pass   ? "ok"
                        : check.status == CheckStatus::Warn ? "WARN"
                                                            : "FAIL";
    out << fmt::format("  {:<5} {}\n", label, text::DisplayText(check.detail));
    if (check.status != CheckStatus::Pass) {
      out << fmt::format("        fix: {}\n", text::DisplayText(check.fix));
    }
    if (verbose && !check.facts.empty()) {
      out << fmt::format("        looked at: {}\n", text::DisplayText(check.facts));
    }
  }
  if (!json) {
    const std::string warnings =
        warned == 0 ? std::string() : fmt::format("{} warning{}", warned, warned == 1 ? "" : "s");
    if (failed == 0 && warned == 0) {
      out << "All checks passed.\n";
    } else if (failed == 0) {
      out << "No check failed, but " << warnings << ": see WARN above.\n";
    } else {
      out << fmt::format("{} check{} failed{}.\n", failed, failed == 1 ? "" : "s",
                         warned == 0 ? std::string() : ", " + warnings);
    }
  }
  out.flush();
  return failed == 0 ? 0 : static_cast<int>(ExitCode::NoDevice);
}

}  // namespace cli
