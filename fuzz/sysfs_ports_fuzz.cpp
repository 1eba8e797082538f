// libFuzzer entry: what sysfs says of the serial ports, from a tree the input
// builds: /sys/class/tty entries with or without a device behind them, the
// device folders above them with the USB facts (idVendor, product, serial,
// ...) and a driver, the stable names in /dev/serial/by-id, and
// /proc/consoles. The port list (comm::SysfsPortEnumerator) and the facts of
// `aisfw ports` and `aisfw doctor` (cli::LinuxSystemView) read it. Each port
// listed must be an entry of the tree with a device behind it, listed once,
// in port order, and no fact may carry a line end.
//
// Input, repeated: one byte whose low three bits choose
//   0  a tty entry: next byte its name (a prefix and a number), the one
//      after its uart type file (none, "0", "4", or text)
//   1  its device link: next byte how deep in the device folders it leads
//      (or a link to nothing)
//   2  a fact file in a device folder: next byte the folder and the file,
//      then a length byte and the text
//   3  a driver link of a device folder: next byte the folder and the name
//   4  a stable name: next byte the tty it leads to, then a length byte and
//      the link's name
//   5  /proc/consoles: a length byte and the text

#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/system_view.h"
#include "comm/port_enumeration.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fault(const char* what, std::string_view name) {
  std::fprintf(stderr, "%s: %.*s\n", what, static_cast<int>(name.size()), name.data());
  std::abort();
}

// A folder of its own for the trees, made once and removed at the end.
struct ScratchFolder {
  ScratchFolder() {
    // In memory where there is such a folder: on a disk each tree is slow.
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? "/dev/shm" : fs::temp_directory_path();
    std::string pattern = (base / "sysfs-ports-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

const fs::path& Scratch() {
  static const ScratchFolder folder;
  return folder.path;
}

constexpr const char* kPrefixes[] = {"ttyUSB", "ttyACM",  "ttyS",   "ttyAMA",
                                     "tty",    "console", "rfcomm", "ttyXRUSB"};
constexpr const char* kFacts[] = {"idVendor", "idProduct", "manufacturer",
                                  "product",  "serial",    "type"};
constexpr const char* kDrivers[] = {"ftdi_sio", "cdc_acm", "serial8250", "pl2303", "cp210x"};
constexpr int kDepth = 4;  // device folders d0/d1/d2/d3 below sys/devices

// A name the input gives, made safe for one path component.
std::string Component(std::string_view text) {
  std::string name;
  for (const char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == ':') {
      name += c;
    }
  }
  return name.empty() ? "x" : name;
}

fs::path DeviceFolder(const fs::path& root, int depth) {
  fs::path folder = root / "sys/devices";
  for (int i = 0; i <= depth; ++i) folder /= "d" + std::to_string(i);
  return folder;
}

void Write(const fs::path& file, const std::uint8_t* data, std::size_t length) {
  std::ofstream(file).write(reinterpret_cast<const char*>(data),
                            static_cast<std::streamsize>(length));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path root = Scratch() / "root";
  fs::remove_all(root);
  const fs::path ttys = root / "sys/class/tty";
  fs::create_directories(ttys);
  fs::create_directories(DeviceFolder(root, kDepth - 1));
  fs::create_directories(root / "dev/serial/by-id");
  fs::create_directories(root / "proc");
  std::vector<std::string> entries;
  std::string consoles;
  for (std::size_t at = 0; at + 1 < size;) {
    const std::uint8_t op = data[at++] % 8;
    const std::uint8_t arg = data[at++];
    std::error_code ec;
    switch (op) {
      case 0: {
        const std::string name = kPrefixes[arg % std::size(kPrefixes)] + std::to_string(arg / 8);
        fs::create_directories(ttys / name, ec);
        entries.push_back(name);
        if (at < size) {
          const std::uint8_t type = data[at++];
          if (type % 4 == 1) std::ofstream(ttys / name / "type") << "0\n";
          if (type % 4 == 2) std::ofstream(ttys / name / "type") << "4\n";
          if (type % 4 == 3)
            Write(ttys / name / "type", data + at, std::min<std::size_t>(8, size - at));
        }
        break;
      }
      case 1:
        if (entries.empty()) break;
        fs::create_directory_symlink(
            arg % 5 == 4 ? root / "sys/devices/none" : DeviceFolder(root, arg % kDepth),
            ttys / entries.back() / "device", ec);
        break;
      case 2: {
        if (at >= size) break;
        const std::size_t length = std::min<std::size_t>(data[at++], size - at);
        Write(DeviceFolder(root, arg % kDepth) / kFacts[arg / kDepth % std::size(kFacts)],
              data + at, length);
        at += length;
        break;
      }
      case 3: {
        const fs::path driver =
            root / "sys/bus/drivers" / kDrivers[arg / kDepth % std::size(kDrivers)];
        fs::create_directories(driver, ec);
        fs::create_directory_symlink(driver, DeviceFolder(root, arg % kDepth) / "driver", ec);
        break;
      }
      case 4: {
        if (entries.empty() || at >= size) break;
        const std::size_t length = std::min<std::size_t>(data[at++], size - at);
        const std::string link =
            Component(std::string_view(reinterpret_cast<const char*>(data + at), length));
        at += length;
        fs::create_symlink("../../" + entries[arg % entries.size()],
                           root / "dev/serial/by-id" / link, ec);
        break;
      }
      case 5: {
        const std::size_t length = std::min<std::size_t>(arg, size - at);
        consoles.append(reinterpret_cast<const char*>(data + at), length);
        at += length;
        break;
      }
      default:
        break;
    }
  }
  std::ofstream(root / "proc/consoles") << consoles;

  const std::set<std::string> made(entries.begin(), entries.end());
  comm::SysfsPortEnumerator enumerator(ttys, nullptr, root / "proc/consoles");
  comm::PortLists lists;
  comm::ListPresentPorts(enumerator, lists);
  for (std::size_t i = 0; i < lists.PresentPorts.size(); ++i) {
    const std::string& name = lists.PresentPorts[i];
    if (!made.count(name)) Fault("a port that is no entry of the tree", name);
    std::error_code ec;
    if (!fs::exists(ttys / name / "device", ec)) Fault("a port with no device behind it", name);
    if (i > 0 && !comm::PortNameLess(lists.PresentPorts[i - 1], name)) {
      Fault("ports out of order or listed twice", name);
    }
    (void)enumerator.IsConsole(name);
  }
  std::istringstream consoleText(consoles);
  for (const std::string& name : comm::ConsoleNames(consoleText)) {
    if (name.empty() || name.find_first_of(" \t\n") != std::string::npos) {
      Fault("a console name that is no word", name);
    }
  }

  cli::LinuxSystemView view(root);
  const std::vector<cli::SerialPortFacts> ports = view.Ports();
  if (ports.size() != lists.PresentPorts.size()) Fault("the two lists differ", "");
  for (std::size_t i = 0; i < ports.size(); ++i) {
    const cli::SerialPortFacts& port = ports[i];
    if (port.name != lists.PresentPorts[i]) Fault("the two lists differ", port.name);
    if (port.path != "/dev/" + port.name) Fault("a path that is not the port's", port.path);
    for (const std::string* fact : {&port.byId, &port.driver, &port.vendorId, &port.productId,
                                    &port.manufacturer, &port.product, &port.serial}) {
      if (fact->find('\n') != std::string::npos) Fault("a fact with a line end", *fact);
    }
    if (!port.byId.empty() && port.byId.rfind("/dev/serial/by-id/", 0) != 0) {
      Fault("a stable name outside /dev/serial/by-id", port.byId);
    }
  }
  return 0;
}
