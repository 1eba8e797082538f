// aisfw doctor and aisfw ports on a machine the test makes up: ports,
// device files, the user's groups, the programs holding a port, and
// ModemManager; and the sysfs reader on a tree of its own.

#include "cli/doctor.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/ports_report.h"

namespace {

using cli::CheckKind;
using cli::DoctorCheck;
using cli::SerialPortFacts;

SerialPortFacts Ftdi() {
  SerialPortFacts port;
  port.name = "ttyUSB0";
  port.path = "/dev/ttyUSB0";
  port.byId = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0";
  port.driver = "ftdi_sio";
  port.vendorId = "0403";
  port.productId = "6001";
  port.manufacturer = "FTDI";
  port.product = "FT232R USB UART";
  port.serial = "A10K3XYZ";
  return port;
}

class FakeSystem final : public cli::SystemView {
 public:
  std::vector<SerialPortFacts> ports = {Ftdi()};
  std::map<std::string, cli::DeviceNode> nodes = {
      {"/dev/ttyUSB0", {true, true, 0660, "root", "dialout"}}};
  cli::UserFacts user{"alice", false, {"alice", "plugdev"}, {"alice", "plugdev"}};
  std::map<std::string, std::vector<cli::PortHolder>> holders;
  std::map<std::string, std::string> busy;  // path -> why it does not open
  bool modemManager = false;
  bool modemManagerIgnores = false;

  std::vector<SerialPortFacts> Ports() override { return ports; }
  std::string WhyNotAvailable(const std::string& path) override {
    const auto it = busy.find(path);
    return it == busy.end() ? std::string() : it->second;
  }
  cli::DeviceNode Node(const std::string& path) override {
    const auto it = nodes.find(path);
    return it == nodes.end() ? cli::DeviceNode{} : it->second;
  }
  cli::UserFacts User() override { return user; }
  std::vector<cli::PortHolder> Holders(const std::string& path) override { return holders[path]; }
  bool ModemManagerRunning() override { return modemManager; }
  bool ModemManagerIgnores(const SerialPortFacts&) override { return modemManagerIgnores; }
};

const DoctorCheck* Find(const std::vector<DoctorCheck>& checks, CheckKind kind) {
  for (const DoctorCheck& c : checks) {
    if (c.kind == kind) return &c;
  }
  return nullptr;
}

int Report(const std::vector<DoctorCheck>& checks, std::string* text = nullptr) {
  std::ostringstream out;
  const int code = cli::PrintDoctorReport(checks, false, out);
  if (text) *text = out.str();
  return code;
}

// Who may open the port, by the user's groups and the device's mode.
struct AccessCase {
  const char* name;
  unsigned mode;
  std::vector<std::string> session;
  std::vector<std::string> listed;
  bool root;
  bool passes;
  const char* fix;  // a part of the fix, when it fails
};

class DoctorAccess : public ::testing::TestWithParam<AccessCase> {};

TEST_P(DoctorAccess, SaysWhetherTheUserMayOpenThePortAndHowToFixIt) {
  const AccessCase& c = GetParam();
  FakeSystem system;
  system.nodes["/dev/ttyUSB0"].mode = c.mode;
  system.user.sessionGroups = c.session;
  system.user.listedGroups = c.listed;
  system.user.root = c.root;
  const auto checks = cli::RunDoctorChecks(system, "ttyUSB0");
  const DoctorCheck* access = Find(checks, CheckKind::Access);
  ASSERT_NE(access, nullptr);
  EXPECT_EQ(access->passed, c.passes) << access->detail;
  EXPECT_EQ(Report(checks), c.passes ? 0 : 2);
  if (!c.passes) {
    EXPECT_NE(access->fix.find(c.fix), std::string::npos) << access->fix;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Groups, DoctorAccess,
    ::testing::Values(
        AccessCase{"NotInDialout",
                   0660,
                   {"alice"},
                   {"alice"},
                   false,
                   false,
                   "sudo usermod -aG dialout alice, then log out and in again"},
        AccessCase{"AddedButNotLoggedInAgain",
                   0660,
                   {"alice"},
                   {"alice", "dialout"},
                   false,
                   false,
                   "log out and in again (or run: newgrp dialout)"},
        AccessCase{"InDialout", 0660, {"alice", "dialout"}, {"alice", "dialout"}, false, true, ""},
        AccessCase{"Root", 0600, {"root"}, {"root"}, true, true, ""},
        AccessCase{"OpenToAll", 0666, {"alice"}, {"alice"}, false, true, ""},
        AccessCase{"GroupMayNotWrite",
                   0640,
                   {"alice", "dialout"},
                   {"alice", "dialout"},
                   false,
                   false,
                   "udev rules"}),
    [](const ::testing::TestParamInfo<AccessCase>& row) { return row.param.name; });

TEST(Doctor, AllChecksPassOnAReadyMachine) {
  FakeSystem system;
  system.user.sessionGroups.push_back("dialout");
  std::string text;
  const auto checks = cli::RunDoctorChecks(system,
                                           "/dev/serial/by-id/"
                                           "usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0");
  EXPECT_EQ(Report(checks, &text), 0) << text;
  ASSERT_EQ(checks.size(), 4u);
  EXPECT_EQ(checks[0].port, "/dev/ttyUSB0") << "the by-id link names the adapter's port";
  EXPECT_NE(text.find("All checks passed."), std::string::npos) << text;
}

TEST(Doctor, NamesTheProgramsThatHoldThePort) {
  FakeSystem system;
  system.user.sessionGroups.push_back("dialout");
  system.holders["/dev/ttyUSB0"] = {{4242, "minicom"}, {4343, "gpsd"}};
  std::string text;
  const auto checks = cli::RunDoctorChecks(system, "ttyUSB0");
  EXPECT_EQ(Report(checks, &text), 2);
  const DoctorCheck* free = Find(checks, CheckKind::Free);
  ASSERT_NE(free, nullptr);
  EXPECT_FALSE(free->passed);
  EXPECT_EQ(free->detail, "held by minicom (pid 4242), gpsd (pid 4343)");
  EXPECT_EQ(free->fix, "close that program, or end it: kill 4242 4343");
  EXPECT_NE(text.find("  FAIL  held by minicom"), std::string::npos) << text;
  EXPECT_NE(text.find("        fix: close that program"), std::string::npos) << text;
}

TEST(Doctor, ModemManagerMustLeaveThePortAlone) {
  FakeSystem system;
  system.user.sessionGroups.push_back("dialout");
  system.modemManager = true;
  auto checks = cli::RunDoctorChecks(system, "ttyUSB0");
  const DoctorCheck* mm = Find(checks, CheckKind::ModemManager);
  ASSERT_NE(mm, nullptr);
  EXPECT_FALSE(mm->passed);
  EXPECT_NE(mm->fix.find("ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\", "
                         "ENV{ID_MM_DEVICE_IGNORE}=\"1\""),
            std::string::npos)
      << mm->fix;
  EXPECT_NE(mm->fix.find("udevadm control --reload-rules"), std::string::npos);

  system.modemManagerIgnores = true;
  checks = cli::RunDoctorChecks(system, "ttyUSB0");
  EXPECT_EQ(Report(checks), 0);

  // A port with no USB ids is named by its kernel name.
  system.modemManagerIgnores = false;
  system.ports = {{"ttyS1", "/dev/ttyS1", "", "serial", "", "", "", "", ""}};
  system.nodes["/dev/ttyS1"] = {true, true, 0660, "root", "dialout"};
  checks = cli::RunDoctorChecks(system, "");
  mm = Find(checks, CheckKind::ModemManager);
  ASSERT_NE(mm, nullptr);
  EXPECT_NE(mm->fix.find("KERNEL==\"ttyS1\", ENV{ID_MM_DEVICE_IGNORE}=\"1\""), std::string::npos);
}

TEST(Doctor, AMissingPortOrNoPortAtAllFailsFirst) {
  FakeSystem system;
  auto checks = cli::RunDoctorChecks(system, "ttyUSB3");
  ASSERT_EQ(checks.size(), 1u) << "nothing more to check on a port that is not there";
  EXPECT_EQ(checks[0].kind, CheckKind::Exists);
  EXPECT_FALSE(checks[0].passed);
  EXPECT_EQ(checks[0].port, "/dev/ttyUSB3");
  EXPECT_EQ(Report(checks), 2);

  system.ports.clear();
  checks = cli::RunDoctorChecks(system, "");
  ASSERT_FALSE(checks.empty());
  EXPECT_EQ(checks[0].kind, CheckKind::Present);
  EXPECT_FALSE(checks[0].passed);
  EXPECT_EQ(Report(checks), 2);

  std::ostringstream json;
  cli::PrintDoctorReport(checks, true, json);
  const auto first = nlohmann::json::parse(json.str().substr(0, json.str().find('\n')));
  EXPECT_EQ(first["check"], "present");
  EXPECT_EQ(first["passed"], false);
  EXPECT_TRUE(first["port"].is_null());
  EXPECT_TRUE(first.contains("fix"));
}

TEST(Ports, ListsWhatIsKnownOfEachPortAndWhetherItOpens) {
  FakeSystem system;
  SerialPortFacts pty;
  pty.name = "ttyACM0";
  pty.path = "/dev/ttyACM0";
  pty.driver = "cdc_acm";
  system.ports.push_back(pty);
  system.busy["/dev/ttyACM0"] = "Serial port /dev/ttyACM0 is busy: it is held by gpsd (pid 7).";

  std::ostringstream json;
  cli::PrintPorts(system, true, json);
  std::vector<nlohmann::ordered_json> objects;
  std::istringstream lines(json.str());
  for (std::string line; std::getline(lines, line);)
    objects.push_back(nlohmann::ordered_json::parse(line));
  ASSERT_EQ(objects.size(), 2u);
  const nlohmann::ordered_json expected = {
      {"name", "ttyUSB0"},
      {"path", "/dev/ttyUSB0"},
      {"available", true},
      {"reason", nullptr},
      {"by_id", "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0"},
      {"driver", "ftdi_sio"},
      {"vendor_id", "0403"},
      {"product_id", "6001"},
      {"manufacturer", "FTDI"},
      {"product", "FT232R USB UART"},
      {"serial", "A10K3XYZ"}};
  EXPECT_EQ(objects[0], expected);
  EXPECT_EQ(objects[1]["available"], false);
  EXPECT_EQ(objects[1]["reason"], system.busy["/dev/ttyACM0"]);
  EXPECT_TRUE(objects[1]["vendor_id"].is_null());

  std::ostringstream text;
  cli::PrintPorts(system, false, text);
  EXPECT_NE(
      text.str().find("/dev/ttyUSB0  available\n"
                      "  by-id    /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0\n"
                      "  driver   ftdi_sio\n"
                      "  usb      0403:6001 FTDI FT232R USB UART, serial number A10K3XYZ\n"),
      std::string::npos)
      << text.str();
  EXPECT_NE(text.str().find("/dev/ttyACM0  not available: Serial port /dev/ttyACM0 is busy"),
            std::string::npos);
}

// The sysfs reader on a tree laid out as the kernel lays it out for a USB
// serial adapter, a legacy placeholder and a virtual terminal.
TEST(Ports, ReadsSysfsAndTheStableNames) {
  namespace fs = std::filesystem;
  char pattern[] = "/tmp/aisfw-sysfs-XXXXXX";
  const fs::path root = mkdtemp(pattern);
  const auto write = [](const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text << '\n';
  };
  const fs::path usb = root / "sys/devices/pci0000:00/0000:00:14.0/usb1/1-2";
  write(usb / "idVendor", "0403");
  write(usb / "idProduct", "6001");
  write(usb / "manufacturer", "FTDI");
  write(usb / "product", "FT232R USB UART");
  write(usb / "serial", "A10K3XYZ");
  const fs::path port = usb / "1-2:1.0/ttyUSB0";
  fs::create_directories(port / "tty/ttyUSB0");
  fs::create_directories(root / "sys/bus/usb-serial/drivers/ftdi_sio");
  fs::create_symlink(root / "sys/bus/usb-serial/drivers/ftdi_sio", port / "driver");
  fs::create_directories(root / "sys/class/tty");
  fs::create_symlink(port / "tty/ttyUSB0", root / "sys/class/tty/ttyUSB0");
  fs::create_symlink(port, port / "tty/ttyUSB0/device");
  // ttyS3: a placeholder with no UART; tty1: no device at all.
  const fs::path legacy = root / "sys/devices/platform/serial8250/tty/ttyS3";
  write(legacy / "type", "0");
  fs::create_directories(legacy / "device");
  fs::create_symlink(legacy, root / "sys/class/tty/ttyS3");
  fs::create_directories(root / "sys/devices/virtual/tty/tty1");
  fs::create_symlink(root / "sys/devices/virtual/tty/tty1", root / "sys/class/tty/tty1");
  fs::create_directories(root / "dev/serial/by-id");
  fs::create_symlink("../../ttyUSB0",
                     root / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0");

  cli::LinuxSystemView view(root);
  const auto ports = view.Ports();
  ASSERT_EQ(ports.size(), 1u);
  const SerialPortFacts expected = Ftdi();
  EXPECT_EQ(ports[0].name, expected.name);
  EXPECT_EQ(ports[0].path, expected.path);
  EXPECT_EQ(ports[0].byId, expected.byId);
  EXPECT_EQ(ports[0].driver, expected.driver);
  EXPECT_EQ(ports[0].vendorId, expected.vendorId);
  EXPECT_EQ(ports[0].productId, expected.productId);
  EXPECT_EQ(ports[0].manufacturer, expected.manufacturer);
  EXPECT_EQ(ports[0].product, expected.product);
  EXPECT_EQ(ports[0].serial, expected.serial);
  fs::remove_all(root);
}

}  // namespace
