// aisfw doctor and aisfw ports on a machine the test makes up: ports,
// device files, the user's groups, the programs holding a port, the
// console, and ModemManager; and the sysfs reader on a tree of its own.

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
using cli::CheckStatus;
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
  bool holdersComplete = true;              // false: other users' processes are hidden
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
  cli::PortHolders Holders(const std::string& path) override {
    return {holders[path], holdersComplete};
  }
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
  const int code = cli::PrintDoctorReport(checks, false, false, out);
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
  EXPECT_EQ(access->status == CheckStatus::Pass, c.passes) << access->detail;
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
  EXPECT_EQ(free->status, CheckStatus::Fail);
  EXPECT_EQ(free->detail, "held by minicom (pid 4242), gpsd (pid 4343)");
  EXPECT_EQ(free->fix, "close that program, or end it: kill 4242 4343");
  EXPECT_NE(text.find("  FAIL  held by minicom"), std::string::npos) << text;
  EXPECT_NE(text.find("        fix: close that program"), std::string::npos) << text;
}

// Run without root while another user's process may hold the port: the
// check cannot see it, so it warns instead of passing, and says how to see.
TEST(Doctor, WarnsWhereItCannotSeeOtherUsersProcesses) {
  FakeSystem system;
  system.user.sessionGroups.push_back("dialout");
  system.holdersComplete = false;
  std::string text;
  const auto checks = cli::RunDoctorChecks(system, "ttyUSB0");
  EXPECT_EQ(Report(checks, &text), 0) << "a warning fails nothing";
  const DoctorCheck* free = Find(checks, CheckKind::Free);
  ASSERT_NE(free, nullptr);
  EXPECT_EQ(free->status, CheckStatus::Warn);
  EXPECT_NE(free->detail.find("other users' processes could not be checked"), std::string::npos);
  EXPECT_NE(free->fix.find("sudo aisfw doctor"), std::string::npos);
  EXPECT_NE(text.find("  WARN  no program of yours holds it"), std::string::npos) << text;
  EXPECT_EQ(text.find("All checks passed"), std::string::npos) << text;
  EXPECT_NE(text.find("No check failed, but 1 warning"), std::string::npos) << text;

  std::ostringstream json;
  cli::PrintDoctorReport(checks, true, false, json);
  EXPECT_NE(
      json.str().find(R"({"check":"free","port":"/dev/ttyUSB0","status":"warn","passed":false)"),
      std::string::npos)
      << json.str();

  // A holder it can see still fails the check.
  system.holders["/dev/ttyUSB0"] = {{4242, "minicom"}};
  EXPECT_EQ(Report(cli::RunDoctorChecks(system, "ttyUSB0")), 2);
}

// The console is no port for a device: named, it fails; in a survey of
// every port it is pointed out, and the listing marks it.
TEST(Doctor, MarksTheSystemConsole) {
  FakeSystem system;
  system.user.sessionGroups.push_back("dialout");
  system.ports.push_back({"ttyS0", "/dev/ttyS0", "", "serial8250", "", "", "", "", "", true});
  system.nodes["/dev/ttyS0"] = {true, true, 0660, "root", "dialout"};

  std::string text;
  auto checks = cli::RunDoctorChecks(system, "ttyS0");
  EXPECT_EQ(Report(checks, &text), 2) << text;
  const DoctorCheck* console = Find(checks, CheckKind::Console);
  ASSERT_NE(console, nullptr);
  EXPECT_EQ(console->status, CheckStatus::Fail);
  EXPECT_NE(text.find("/dev/ttyS0\n  ok    it exists (driver serial8250)\n  FAIL  it is the "
                      "system's console"),
            std::string::npos)
      << text;

  checks = cli::RunDoctorChecks(system, "");
  EXPECT_EQ(Report(checks, &text), 0) << text;
  console = Find(checks, CheckKind::Console);
  ASSERT_NE(console, nullptr);
  EXPECT_EQ(console->status, CheckStatus::Warn);
  EXPECT_EQ(console->port, "/dev/ttyS0");

  std::ostringstream ports;
  cli::PrintPorts(system, false, false, ports);
  EXPECT_NE(ports.str().find("/dev/ttyS0  the system's console (the automatic scan skips it); "
                             "available\n"),
            std::string::npos)
      << ports.str();
  EXPECT_NE(ports.str().find("/dev/ttyUSB0  available\n"), std::string::npos) << ports.str();
}

// Names and texts from the system reach the terminal escaped, and the JSON
// report is whole even when a name is no UTF-8.
TEST(Doctor, TextFromTheSystemIsEscapedAndTheJsonReportIsWhole) {
  FakeSystem system;
  system.user.sessionGroups.push_back("dialout");
  system.ports[0].product = "FT232R\x1b]0;owned\x07";
  system.holders["/dev/ttyUSB0"] = {{4242, "evil\x1b[2J\xff"}};
  std::string text;
  Report(cli::RunDoctorChecks(system, "ttyUSB0"), &text);
  EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
  EXPECT_NE(text.find("held by evil\\x1b[2J\\xff (pid 4242)"), std::string::npos) << text;

  std::ostringstream ports;
  cli::PrintPorts(system, false, false, ports);
  EXPECT_EQ(ports.str().find('\x1b'), std::string::npos) << ports.str();
  EXPECT_NE(ports.str().find("FT232R\\x1b]0;owned\\x07"), std::string::npos) << ports.str();
  EXPECT_NE(ports.str().find("in use by evil"), std::string::npos) << ports.str();

  std::ostringstream json;
  cli::PrintDoctorReport(cli::RunDoctorChecks(system, "ttyUSB0"), true, false, json);
  std::istringstream lines(json.str());
  int objects = 0;
  for (std::string line; std::getline(lines, line); ++objects) {
    const auto object = nlohmann::json::parse(line);  // throws on invalid UTF-8
    if (object["check"] == "free") {
      EXPECT_EQ(object["detail"], "held by evil\x1b[2J\xef\xbf\xbd (pid 4242)");
    }
  }
  EXPECT_EQ(objects, 4) << json.str();
}

TEST(Doctor, ModemManagerMustLeaveThePortAlone) {
  FakeSystem system;
  system.user.sessionGroups.push_back("dialout");
  system.modemManager = true;
  auto checks = cli::RunDoctorChecks(system, "ttyUSB0");
  const DoctorCheck* mm = Find(checks, CheckKind::ModemManager);
  ASSERT_NE(mm, nullptr);
  EXPECT_EQ(mm->status, CheckStatus::Fail);
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
  system.ports = {{"ttyS1", "/dev/ttyS1", "", "serial", "", "", "", "", "", false}};
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
  EXPECT_EQ(checks[0].status, CheckStatus::Fail);
  EXPECT_EQ(checks[0].port, "/dev/ttyUSB3");
  EXPECT_EQ(Report(checks), 2);

  system.ports.clear();
  checks = cli::RunDoctorChecks(system, "");
  ASSERT_FALSE(checks.empty());
  EXPECT_EQ(checks[0].kind, CheckKind::Present);
  EXPECT_EQ(checks[0].status, CheckStatus::Fail);
  EXPECT_EQ(Report(checks), 2);

  std::ostringstream json;
  cli::PrintDoctorReport(checks, true, false, json);
  const auto first = nlohmann::json::parse(json.str().substr(0, json.str().find('\n')));
  EXPECT_EQ(first["check"], "present");
  EXPECT_EQ(first["passed"], false);
  EXPECT_EQ(first["status"], "fail");
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
  cli::PrintPorts(system, true, false, json);
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
      {"console", false},
      {"held_by", nullptr},
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
  cli::PrintPorts(system, false, false, text);
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
  // ttyS1: a real UART, and the console.
  const fs::path uart = root / "sys/devices/platform/serial8250/tty/ttyS1";
  write(uart / "type", "4");
  fs::create_directories(uart / "device");
  fs::create_symlink(uart, root / "sys/class/tty/ttyS1");
  write(root / "proc/consoles", "ttyS1                -W- (EC  p a)    4:65");
  fs::create_directories(root / "dev/serial/by-id");
  fs::create_symlink("../../ttyUSB0",
                     root / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0");

  cli::LinuxSystemView view(root);
  const auto ports = view.Ports();
  ASSERT_EQ(ports.size(), 2u);
  EXPECT_EQ(ports[0].name, "ttyS1");
  EXPECT_TRUE(ports[0].console);
  EXPECT_FALSE(ports[1].console);
  const SerialPortFacts expected = Ftdi();
  EXPECT_EQ(ports[1].name, expected.name);
  EXPECT_EQ(ports[1].path, expected.path);
  EXPECT_EQ(ports[1].byId, expected.byId);
  EXPECT_EQ(ports[1].driver, expected.driver);
  EXPECT_EQ(ports[1].vendorId, expected.vendorId);
  EXPECT_EQ(ports[1].productId, expected.productId);
  EXPECT_EQ(ports[1].manufacturer, expected.manufacturer);
  EXPECT_EQ(ports[1].product, expected.product);
  EXPECT_EQ(ports[1].serial, expected.serial);
  fs::remove_all(root);
}

}  // namespace
