// aisfw ports / aisfw doctor: the machine's serial ports, and the checks
// before an upgrade.

#include <fmt/core.h>

#include <iostream>
#include <memory>
#include <string>

#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/doctor.h"
#include "cli/json_line.h"
#include "cli/ports_report.h"
#include "text/display_text.h"

namespace cli {
namespace {

Json OrNull(const std::string& text) { return text.empty() ? Json() : Json(text); }

// "minicom (pid 4242), gpsd (pid 4343)"
std::string HolderNames(const PortHolders& holders) {
  std::string names;
  for (const PortHolder& holder : holders.programs) {
    names += fmt::format("{}{} (pid {})", names.empty() ? "" : ", ", holder.program, holder.pid);
  }
  return names;
}

}  // namespace

void PrintPorts(SystemView& view, bool json, bool verbose, std::ostream& out) {
  const std::vector<SerialPortFacts> ports = view.Ports();
  for (const SerialPortFacts& port : ports) {
    const std::string why = view.WhyNotAvailable(port.path);
    // A program may have it open without a lock; the port then opens, but
    // the two would read each other's bytes.
    const PortHolders holders = view.Holders(port.path);
    const std::string heldBy = HolderNames(holders);
    if (json) {
      Json object = {{"name", port.name},
                     {"path", port.path},
                     {"available", why.empty()},
                     {"reason", OrNull(why)},
                     {"console", port.console},
                     {"held_by", OrNull(heldBy)},
                     {"by_id", OrNull(port.byId)},
                     {"driver", OrNull(port.driver)},
                     {"vendor_id", OrNull(port.vendorId)},
                     {"product_id", OrNull(port.productId)},
                     {"manufacturer", OrNull(port.manufacturer)},
                     {"product", OrNull(port.product)},
                     {"serial", OrNull(port.serial)}};
      if (verbose) {
        Json pids = Json::array();
        for (const PortHolder& holder : holders.programs) pids.push_back(holder.pid);
        object["holder_pids"] = pids;
        object["holders_complete"] = holders.complete;
      }
      WriteJsonLine(out, object);
      continue;
    }
    std::string state = why.empty() ? "available" : "not available: " + why;
    if (why.empty() && !heldBy.empty()) state = "opens, but is in use by " + heldBy;
    if (port.console) state = "the system's console (the automatic scan skips it); " + state;
    out << text::DisplayText(fmt::format("{}  {}", port.path, state)) << '\n';
    if (!port.byId.empty()) out << "  by-id    " << text::DisplayText(port.byId) << '\n';
    if (!port.driver.empty()) out << "  driver   " << text::DisplayText(port.driver) << '\n';
    if (!port.vendorId.empty()) {
      std::string usb = fmt::format("{}:{}", port.vendorId, port.productId);
      for (const std::string* text : {&port.manufacturer, &port.product}) {
        if (!text->empty()) usb += " " + *text;
      }
      if (!port.serial.empty()) usb += ", serial number " + port.serial;
      out << "  usb      " << text::DisplayText(usb) << '\n';
    }
    if (verbose) {
      out << "  holders  " << text::DisplayText(heldBy.empty() ? std::string("none found") : heldBy)
          << (holders.complete ? "" : " (other users' processes could not be checked)") << '\n';
    }
  }
  if (ports.empty() && !json) out << "No serial port is present.\n";
  out.flush();
}

void AddPortsCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "ports",
      "List the serial ports: stable by-id name, driver, USB ids, product and serial "
      "number, whether each opens now or who holds it, and the system's console");
  struct Options {
    bool json = false;
    bool verbose = false;
  };
  auto opt = std::make_shared<Options>();
  cmd->add_flag("--json", opt->json, "One JSON object per port");
  cmd->add_flag("-v,--verbose", opt->verbose,
                "Also who has each port open, and whether every process could be checked");
  SetExitCodes(cmd, {{0, "the ports were listed (none included)"}, {1, "usage error"}});
  cmd->callback([opt, &exitCode] {
    LinuxSystemView view;
    PrintPorts(view, opt->json, opt->verbose, std::cout);
    exitCode = 0;
  });
}

void AddDoctorCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "doctor",
      "Check what an upgrade needs, each with its fix: the port exists and is no console, you "
      "may open it, no other program holds it, ModemManager leaves it alone");
  struct Options {
    std::string port;
    bool json = false;
    bool verbose = false;
  };
  auto opt = std::make_shared<Options>();
  cmd->add_option("-p,--port", opt->port,
                  "The port to check (name, path or by-id link); every present port when absent")
      ->type_name("PORT");
  cmd->add_flag("--json", opt->json, "One JSON object per check");
  cmd->add_flag("-v,--verbose", opt->verbose, "Also what each check looked at");
  SetExitCodes(cmd, {{0, "no check failed (a check that could not look everywhere warns)"},
                     {1, "usage error"},
                     {2, "a check failed: its fix is printed under it"}});
  cmd->callback([opt, &exitCode] {
    LinuxSystemView view;
    exitCode =
        PrintDoctorReport(RunDoctorChecks(view, opt->port), opt->json, opt->verbose, std::cout);
  });
}

}  // namespace cli
