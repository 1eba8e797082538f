#pragma once
// What `aisfw ports` and `aisfw doctor` know of the machine: its serial
// ports with what sysfs says of them, the device files, the user's groups,
// the programs that hold a port, and ModemManager. An interface, so tests
// give their own machine instead of this one's.

#include <filesystem>
#include <string>
#include <vector>

namespace cli {

struct SerialPortFacts {
  std::string name;  // ttyUSB0
  std::string path;  // /dev/ttyUSB0
  std::string byId;  // /dev/serial/by-id/usb-..., empty when there is none
  std::string driver;
  std::string vendorId;  // USB, four hex digits; empty for other buses
  std::string productId;
  std::string manufacturer;
  std::string product;
  std::string serial;
  // A console of the system (/proc/consoles): kernel messages and perhaps a
  // login use it, and the automatic scan leaves it alone.
  bool console = false;
};

struct DeviceNode {
  bool exists = false;
  bool characterDevice = false;
  unsigned mode = 0;  // permission bits
  std::string owner;
  std::string group;
};

struct UserFacts {
  std::string name;
  bool root = false;
  std::vector<std::string> sessionGroups;  // the groups this process runs with
  std::vector<std::string> listedGroups;   // the groups the group database gives the user
};

struct PortHolder {
  int pid = 0;
  std::string program;  // as the system names it: any bytes
};

struct PortHolders {
  std::vector<PortHolder> programs;
  // False when other users' processes could not be looked at: one of them
  // may hold the port unseen.
  bool complete = true;
};

class SystemView {
 public:
  virtual ~SystemView() = default;
  // The present ports, sorted as the port list sorts them.
  virtual std::vector<SerialPortFacts> Ports() = 0;
  // Empty when `path` opens exclusively now; why not otherwise.
  virtual std::string WhyNotAvailable(const std::string& path) = 0;
  virtual DeviceNode Node(const std::string& path) = 0;
  virtual UserFacts User() = 0;
  // Other programs that hold `path` (comm::SearchHolders).
  virtual PortHolders Holders(const std::string& path) = 0;
  virtual bool ModemManagerRunning() = 0;
  // ModemManager is told to leave this port alone (ID_MM_DEVICE_IGNORE).
  virtual bool ModemManagerIgnores(const SerialPortFacts& port) = 0;
};

// This machine. Ports are read under `root` (sys/class/tty,
// dev/serial/by-id, proc/consoles), so a test can point it at a tree of its
// own; the rest asks the running system.
class LinuxSystemView final : public SystemView {
 public:
  explicit LinuxSystemView(std::filesystem::path root = "/");
  std::vector<SerialPortFacts> Ports() override;
  std::string WhyNotAvailable(const std::string& path) override;
  DeviceNode Node(const std::string& path) override;
  UserFacts User() override;
  PortHolders Holders(const std::string& path) override;
  bool ModemManagerRunning() override;
  bool ModemManagerIgnores(const SerialPortFacts& port) override;

 private:
  std::filesystem::path root_;
};

// The facts of the port named `name` or at `path`, as Ports() lists it, or
// the bare name and path when it is not listed (a pseudo-terminal).
SerialPortFacts FindPort(SystemView& view, const std::string& nameOrPath);

}  // namespace cli
