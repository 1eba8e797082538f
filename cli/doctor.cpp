#include "cli/doctor.h"

#include <fmt/core.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "cli/exit_codes.h"

namespace cli {
namespace {

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

DoctorCheck Pass(CheckKind kind, const std::string& port, std::string detail) {
  return {kind, port, true, std::move(detail), {}};
}

DoctorCheck Fail(CheckKind kind, const std::string& port, std::string detail, std::string fix) {
  return {kind, port, false, std::move(detail), std::move(fix)};
}

DoctorCheck CheckAccess(SystemView& view, const SerialPortFacts& port, const DeviceNode& node) {
  const UserFacts user = view.User();
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
  const std::vector<PortHolder> holders = view.Holders(port.path);
  if (holders.empty()) return Pass(CheckKind::Free, port.path, "no other program holds it");
  std::string names;
  std::string pids;
  for (const PortHolder& holder : holders) {
    names += fmt::format("{}{} (pid {})", names.empty() ? "" : ", ", holder.program, holder.pid);
    pids += fmt::format(" {}", holder.pid);
  }
  return Fail(CheckKind::Free, port.path, "held by " + names,
              "close that program, or end it: kill" + pids);
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
    case CheckKind::Access:
      return "access";
    case CheckKind::Free:
      return "free";
    case CheckKind::ModemManager:
      return "modem-manager";
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
    checks.push_back(CheckAccess(view, facts, node));
    checks.push_back(CheckFree(view, facts));
    checks.push_back(CheckModemManager(view, &facts));
  }
  return checks;
}

int PrintDoctorReport(const std::vector<DoctorCheck>& checks, bool json, std::ostream& out) {
  int failed = 0;
  std::string port = "-";
  for (const DoctorCheck& check : checks) {
    if (!check.passed) ++failed;
    if (json) {
      nlohmann::ordered_json object = {
          {"check", CheckName(check.kind)},
          {"port",
           check.port.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(check.port)},
          {"passed", check.passed},
          {"detail", check.detail}};
      if (!check.passed) object["fix"] = check.fix;
      out << object.dump() << '\n';
      continue;
    }
    if (check.port != port) {
      port = check.port;
      out << (port.empty() ? "this machine" : port) << '\n';
    }
    out << fmt::format("  {:<5} {}\n", check.passed ? "ok" : "FAIL", check.detail);
    if (!check.passed) out << fmt::format("        fix: {}\n", check.fix);
  }
  if (!json) {
    out << (failed == 0 ? std::string("All checks passed.\n")
                        : fmt::format("{} check{} failed.\n", failed, failed == 1 ? "" : "s"));
  }
  out.flush();
  return failed == 0 ? 0 : static_cast<int>(ExitCode::NoDevice);
}

}  // namespace cli
