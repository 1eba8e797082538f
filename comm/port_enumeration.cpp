#include "comm/port_enumeration.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <tuple>

namespace comm {
namespace {

// "ttyUSB10" -> ("ttyUSB", 10, true); a name without a trailing number has
// none and sorts before its numbered siblings.
std::tuple<std::string, unsigned long long, bool> SplitPortName(const std::string& name) {
  std::size_t digits = name.size();
  while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
  if (digits == name.size() || name.size() - digits > 18) return {name, 0, false};
  return {name.substr(0, digits), std::stoull(name.substr(digits)), true};
}

bool IsLegacyPlaceholder(const std::filesystem::path& entry) {
  const std::string name = entry.filename().string();
  if (name.rfind("ttyS", 0) != 0) return false;
  std::ifstream type(entry / "type");
  std::string value;
  return std::getline(type, value) && value == "0";
}

}  // namespace

SysfsPortEnumerator::SysfsPortEnumerator(std::filesystem::path sysClassTty,
                                         std::unique_ptr<SerialPlatform> platform,
                                         std::filesystem::path consoles)
    : sysClassTty_(std::move(sysClassTty)),
      platform_(platform ? std::move(platform) : MakeSystemSerialPlatform()),
      consoles_(std::move(consoles)) {}

bool SysfsPortEnumerator::PresentPortNames(std::vector<std::string>& names) {
  std::error_code ec;
  std::filesystem::directory_iterator entries(sysClassTty_, ec);
  if (ec) return false;
  names.clear();
  for (const auto& entry : entries) {
    // Virtual terminals, ptys and the console have no device behind them.
    if (!std::filesystem::exists(entry.path() / "device", ec)) continue;
    if (IsLegacyPlaceholder(entry.path())) continue;
    names.push_back(entry.path().filename().string());
  }
  std::lock_guard lock(mutex_);
  for (const std::string& extra : extras_) {
    if (std::find(names.begin(), names.end(), extra) == names.end()) names.push_back(extra);
  }
  return true;
}

bool SysfsPortEnumerator::OpensExclusively(const std::string& name) {
  return platform_->IsFree(name);
}

bool SysfsPortEnumerator::IsConsole(const std::string& name) {
  std::ifstream in(consoles_);
  const std::vector<std::string> consoles = ConsoleNames(in);
  if (consoles.empty()) return false;
  // By the device the name leads to, so a link (/dev/serial0) counts too.
  std::error_code ec;
  const std::filesystem::path device = std::filesystem::weakly_canonical(PortDevicePath(name), ec);
  for (const std::string& console : consoles) {
    if (name == console || PortDevicePath(name) == "/dev/" + console ||
        (!ec && device == "/dev/" + console)) {
      return true;
    }
  }
  return false;
}

std::vector<std::string> ConsoleNames(std::istream& procConsoles) {
  std::vector<std::string> names;
  std::string line;
  while (std::getline(procConsoles, line)) {
    std::istringstream fields(line);
    std::string name;
    if (fields >> name) names.push_back(name);
  }
  return names;
}

void SysfsPortEnumerator::AddExtraPort(const std::string& path) {
  std::lock_guard lock(mutex_);
  if (std::find(extras_.begin(), extras_.end(), path) == extras_.end()) extras_.push_back(path);
}

bool PortNameLess(const std::string& a, const std::string& b) {
  return SplitPortName(a) < SplitPortName(b);
}

void ListPresentPorts(PortEnumerator& ports, PortLists& lists) {
  std::vector<std::string> names;
  if (!ports.PresentPortNames(names)) return;
  std::sort(names.begin(), names.end(), PortNameLess);
  lists.PresentPorts = std::move(names);
}

void ListAvailablePorts(PortEnumerator& ports, PortLists& lists) {
  // With no port present none is available: a list kept from before would
  // offer the automatic mode a port that has been unplugged.
  lists.AvailablePorts.clear();
  for (const std::string& name : lists.PresentPorts) {
    if (!ports.IsConsole(name) && ports.OpensExclusively(name)) {
      lists.AvailablePorts.push_back(name);
    }
  }
}

void FillPortList(const PortLists& lists, PortListView& view) {
  view.SelectBaudEntry(5);
  view.ClearPortList();
  for (const std::string& name : lists.PresentPorts) view.AddPortItem(name);
  if (lists.PresentPorts.empty()) {
    view.AddPortItem("N/A");
    view.SetPortText("N/A");
  } else {
    view.SelectPortItem(0);
  }
}

void RebuildPortLists(PortEnumerator& ports, PortLists& lists, PortListView& view) {
  ListPresentPorts(ports, lists);
  ListAvailablePorts(ports, lists);
  FillPortList(lists, view);
}

}  // namespace comm
