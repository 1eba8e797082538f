#include "cli/system_view.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>

#include "cli/port_argument.h"
#include "comm/port_enumeration.h"
#include "comm/port_errors.h"
#include "comm/port_holders.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

// Sysfs and /proc give a value in at most a page; more is no value.
std::string ReadFirstLine(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string line(4096, '\0');
  in.read(line.data(), static_cast<std::streamsize>(line.size()));
  line.resize(static_cast<std::size_t>(in.gcount()));
  if (const std::size_t end = line.find('\n'); end != std::string::npos) line.erase(end);
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

// Legacy ttyS entries whose UART type reads 0 have no hardware behind them.
bool IsPlaceholder(const fs::path& entry) {
  return entry.filename().string().rfind("ttyS", 0) == 0 && ReadFirstLine(entry / "type") == "0";
}

// The USB device above a tty's device: the first folder on the way up that
// carries idVendor.
void ReadUsbFacts(const fs::path& device, const fs::path& sysRoot, SerialPortFacts& facts) {
  std::error_code ec;
  fs::path at = fs::canonical(device, ec);
  if (ec) return;
  const fs::path stop = fs::canonical(sysRoot, ec);
  for (int depth = 0; depth < 12 && !at.empty() && at != stop && at != at.root_path(); ++depth) {
    if (fs::exists(at / "idVendor", ec)) {
      facts.vendorId = ReadFirstLine(at / "idVendor");
      facts.productId = ReadFirstLine(at / "idProduct");
      facts.manufacturer = ReadFirstLine(at / "manufacturer");
      facts.product = ReadFirstLine(at / "product");
      facts.serial = ReadFirstLine(at / "serial");
      return;
    }
    at = at.parent_path();
  }
}

// The owner's name, or its number when the user database has none.
std::string OwnerName(uid_t uid) {
  std::string name = comm::UserName(uid);
  return name.empty() ? std::to_string(uid) : name;
}

bool IsPid(const std::string& name) {
  return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

LinuxSystemView::LinuxSystemView(fs::path root) : root_(std::move(root)) {}

std::vector<SerialPortFacts> LinuxSystemView::Ports() {
  std::ifstream consoleList(root_ / "proc/consoles");
  const std::vector<std::string> consoles = comm::ConsoleNames(consoleList);
  std::vector<SerialPortFacts> ports;
  std::error_code ec;
  const fs::path ttys = root_ / "sys/class/tty";
  for (const auto& entry : fs::directory_iterator(ttys, ec)) {
    std::error_code exists;
    if (!fs::exists(entry.path() / "device", exists) || IsPlaceholder(entry.path())) continue;
    SerialPortFacts facts;
    facts.name = entry.path().filename().string();
    facts.path = "/dev/" + facts.name;
    std::error_code link;
    const fs::path driver = fs::read_symlink(entry.path() / "device/driver", link);
    if (!link) facts.driver = driver.filename().string();
    ReadUsbFacts(entry.path() / "device", root_ / "sys", facts);
    facts.console = std::find(consoles.begin(), consoles.end(), facts.name) != consoles.end();
    ports.push_back(std::move(facts));
  }
  // Stable names: each link in by-id leads to one port.
  for (const auto& link : fs::directory_iterator(root_ / "dev/serial/by-id", ec)) {
    std::error_code read;
    const fs::path target = fs::read_symlink(link.path(), read);
    if (read) continue;
    for (SerialPortFacts& port : ports) {
      if (target.filename() == port.name) {
        port.byId = "/dev/serial/by-id/" + link.path().filename().string();
      }
    }
  }
  std::sort(ports.begin(), ports.end(), [](const SerialPortFacts& a, const SerialPortFacts& b) {
    return comm::PortNameLess(a.name, b.name);
  });
  return ports;
}

// Whether the port opens for exclusive use now, found without touching its
// line settings: a port listed here may be a console or another program's
// line, which a listing must leave as it was.
std::string LinuxSystemView::WhyNotAvailable(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return comm::DescribeOpenError(path, errno).Message;
  std::string why;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) why = comm::BusyError(path).Message;
  close(fd);  // the lock, when taken, goes with the descriptor
  return why;
}

DeviceNode LinuxSystemView::Node(const std::string& path) {
  DeviceNode node;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return node;
  node.exists = true;
  node.characterDevice = S_ISCHR(info.st_mode);
  node.mode = info.st_mode & 07777;
  node.owner = OwnerName(info.st_uid);
  node.group = comm::GroupName(info.st_gid);
  return node;
}

UserFacts LinuxSystemView::User() {
  UserFacts user;
  user.root = geteuid() == 0;
  user.name = OwnerName(geteuid());
  std::vector<gid_t> gids(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
  const int count = getgroups(static_cast<int>(gids.size()), gids.data());
  gids.resize(static_cast<std::size_t>(std::max(count, 0)));
  gids.push_back(getegid());
  for (const gid_t gid : gids) user.sessionGroups.push_back(comm::GroupName(gid));

  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
    int listed = 64;
    std::vector<gid_t> database(static_cast<std::size_t>(listed));
    if (getgrouplist(found->pw_name, found->pw_gid, database.data(), &listed) < 0) {
      database.resize(static_cast<std::size_t>(listed));
      getgrouplist(found->pw_name, found->pw_gid, database.data(), &listed);
    }
    database.resize(static_cast<std::size_t>(listed));
    for (const gid_t gid : database) user.listedGroups.push_back(comm::GroupName(gid));
  }
  return user;
}

PortHolders LinuxSystemView::Holders(const std::string& path) {
  const comm::HolderSearch search = comm::SearchHolders(path);
  PortHolders holders;
  holders.complete = search.complete;
  for (const pid_t pid : search.holders) {
    if (pid == getpid()) continue;
    holders.programs.push_back(
        {pid, ReadFirstLine(fs::path("/proc") / std::to_string(pid) / "comm")});
  }
  return holders;
}

bool LinuxSystemView::ModemManagerRunning() {
  std::error_code ec;
  for (const auto& process : fs::directory_iterator("/proc", ec)) {
    if (!IsPid(process.path().filename().string())) continue;
    if (ReadFirstLine(process.path() / "comm") == "ModemManager") return true;
  }
  return false;
}

bool LinuxSystemView::ModemManagerIgnores(const SerialPortFacts& port) {
  // What udev applied to the device, where its database is there.
  struct stat info {};
  if (stat(port.path.c_str(), &info) == 0 && S_ISCHR(info.st_mode)) {
    std::ifstream data("/run/udev/data/c" + std::to_string(major(info.st_rdev)) + ":" +
                       std::to_string(minor(info.st_rdev)));
    std::string line;
    while (std::getline(data, line)) {
      if (line == "E:ID_MM_DEVICE_IGNORE=1") return true;
    }
  }
  // Otherwise a rule that names the adapter or the port.
  for (const char* folder :
       {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"}) {
    std::error_code ec;
    for (const auto& file : fs::directory_iterator(folder, ec)) {
      std::ifstream rules(file.path());
      std::string line;
      while (std::getline(rules, line)) {
        if (line.empty() || line[0] == '#' || line.find("ID_MM_DEVICE_IGNORE") == std::string::npos)
          continue;
        const bool names =
            (!port.vendorId.empty() && line.find(port.vendorId) != std::string::npos &&
             line.find(port.productId) != std::string::npos) ||
            line.find("\"" + port.name + "\"") != std::string::npos;
        if (names) return true;
      }
    }
  }
  return false;
}

SerialPortFacts FindPort(SystemView& view, const std::string& nameOrPath) {
  const PortArgument port = ResolvePortArgument(nameOrPath);
  for (SerialPortFacts& facts : view.Ports()) {
    if (facts.name == port.name || facts.path == port.name || facts.byId == nameOrPath) {
      return facts;
    }
  }
  SerialPortFacts bare;
  bare.name = port.name;
  bare.path = comm::PortDevicePath(port.name);
  return bare;
}

}  // namespace cli
