// aisfw ports / aisfw doctor: the machine's serial ports, and the checks
// before an upgrade.

#include <fmt/core.h>

#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/commands.h"
#include "cli/doctor.h"
#include "cli/ports_report.h"

namespace cli {
namespace {

nlohmann::ordered_json OrNull(const std::string& text) {
  return text.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(text);
}

}  // namespace

void PrintPorts(SystemView& view, bool json, std::ostream& out) {
  const std::vector<SerialPortFacts> ports = view.Ports();
  for (const SerialPortFacts& port : ports) {
    const std::string why = view.WhyNotAvailable(port.path);
    if (json) {
      nlohmann::ordered_json object = {{"name", port.name},
                                       {"path", port.path},
                                       {"available", why.empty()},
                                       {"reason", OrNull(why)},
                                       {"by_id", OrNull(port.byId)},
                                       {"driver", OrNull(port.driver)},
                                       {"vendor_id", OrNull(port.vendorId)},
                                       {"product_id", OrNull(port.productId)},
                                       {"manufacturer", OrNull(port.manufacturer)},
                                       {"product", OrNull(port.product)},
                                       {"serial", OrNull(port.serial)}};
      out << object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
      continue;
    }
    out << fmt::format("{}  {}\n", port.path, why.empty() ? "available" : "not available: " + why);
    if (!port.byId.empty()) out << fmt::format("  by-id    {}\n", port.byId);
    if (!port.driver.empty()) out << fmt::format("  driver   {}\n", port.driver);
    if (!port.vendorId.empty()) {
      std::string usb = fmt::format("{}:{}", port.vendorId, port.productId);
      for (const std::string* text : {&port.manufacturer, &port.product}) {
        if (!text->empty()) usb += " " + *text;
      }
      if (!port.serial.empty()) usb += ", serial number " + port.serial;
      out << fmt::format("  usb      {}\n", usb);
    }
  }
  if (ports.empty() && !json) out << "No serial port is present.\n";
  out.flush();
}

void AddPortsCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "ports",
      "List the serial ports: stable by-id name, driver, USB ids, product and serial "
      "number, and whether each opens now");
  auto json = std::make_shared<bool>(false);
  cmd->add_flag("--json", *json, "One JSON object per port");
  cmd->callback([json, &exitCode] {
    LinuxSystemView view;
    PrintPorts(view, *json, std::cout);
    exitCode = 0;
  });
}

void AddDoctorCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "doctor",
      "Check what an upgrade needs, each with its fix: the port exists, you may open it, no "
      "other program holds it, ModemManager leaves it alone. Exit 0 when all pass, 2 otherwise");
  struct Options {
    std::string port;
    bool json = false;
  };
  auto opt = std::make_shared<Options>();
  cmd->add_option("-p,--port", opt->port,
                  "The port to check (name, path or by-id link); every present port when absent")
      ->type_name("PORT");
  cmd->add_flag("--json", opt->json, "One JSON object per check");
  cmd->callback([opt, &exitCode] {
    LinuxSystemView view;
    exitCode = PrintDoctorReport(RunDoctorChecks(view, opt->port), opt->json, std::cout);
  });
}

}  // namespace cli
