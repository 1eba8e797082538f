#pragma once
// The PC's serial ports: the present ones (filling the port drop-down list)
// and the available ones (present, free right now and not a system console,
// which the automatic mode scans). A port is named as the list shows it: the
// device name under /dev (ttyUSB0, ttyACM0, ttyS0), or an absolute path such
// as a pseudo-terminal's. Lists are sorted by prefix, then by number.

#include <filesystem>
#include <istream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "comm/serial_platform.h"

namespace comm {

class PortEnumerator {
 public:
  virtual ~PortEnumerator() = default;
  // The present ports, in any order; false when they cannot be listed.
  virtual bool PresentPortNames(std::vector<std::string>& names) = 0;
  // True when `name` is free for an exclusive open now. A check only: the
  // port is left as it was found.
  virtual bool OpensExclusively(const std::string& name) = 0;
  // True when `name` is a console of the system (/proc/consoles): the
  // automatic scan would write its probes into it. Typed by name it still
  // opens.
  virtual bool IsConsole(const std::string& /*name*/) { return false; }
};

// The system's ports: /sys/class/tty entries with a device behind them
// (legacy ttyS* whose uart type reads 0 have none), plus any extra paths the
// user added; the consoles are those named in `consoles`. Thread-safe: the
// hot-plug monitor lists from its own thread.
class SysfsPortEnumerator final : public PortEnumerator {
 public:
  explicit SysfsPortEnumerator(std::filesystem::path sysClassTty = "/sys/class/tty",
                               std::unique_ptr<SerialPlatform> platform = nullptr,
                               std::filesystem::path consoles = "/proc/consoles");
  bool PresentPortNames(std::vector<std::string>& names) override;
  // The platform's side-effect-free check (SerialPlatform::IsFree).
  bool OpensExclusively(const std::string& name) override;
  bool IsConsole(const std::string& name) override;
  // A path to list among the present ports (a pseudo-terminal, say).
  void AddExtraPort(const std::string& path);

 private:
  const std::filesystem::path sysClassTty_;
  std::unique_ptr<SerialPlatform> platform_;
  const std::filesystem::path consoles_;
  std::mutex mutex_;
  std::vector<std::string> extras_;
};

// The two lists the main window keeps.
struct PortLists {
  std::vector<std::string> PresentPorts;
  std::vector<std::string> AvailablePorts;
};

// Prefix first, then the trailing number numerically: ttyS2 < ttyS10 <
// ttyUSB0.
bool PortNameLess(const std::string& a, const std::string& b);

// Rebuilds PresentPorts; keeps it as it was when the ports cannot be listed.
void ListPresentPorts(PortEnumerator& ports, PortLists& lists);
// Rebuilds AvailablePorts from the present ports that are free and no
// console (empty when none is). Consoles are not even tried.
void ListAvailablePorts(PortEnumerator& ports, PortLists& lists);

// The device names of /proc/consoles text ("ttyS0  -W- (EC p a)  4:64"
// lists ttyS0).
std::vector<std::string> ConsoleNames(std::istream& procConsoles);

// The port drop-down list and the baud-rate list as FillPortList sees them.
class PortListView {
 public:
  virtual ~PortListView() = default;
  virtual void SelectBaudEntry(int index) = 0;
  virtual void ClearPortList() = 0;
  virtual void AddPortItem(const std::string& text) = 0;
  virtual void SelectPortItem(int index) = 0;
  virtual void SetPortText(const std::string& text) = 0;
};

// Baud entry 5 ("115200"), then the present ports, or "N/A" when none.
void FillPortList(const PortLists& lists, PortListView& view);

// The device-change reaction: both lists rebuilt, then the drop-down list.
void RebuildPortLists(PortEnumerator& ports, PortLists& lists, PortListView& view);

}  // namespace comm
