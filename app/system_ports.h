#pragma once
// The machine's side of the serial-port page, in one place: the system's
// port enumerator, the watch for serial devices plugged in or out, and what
// the system knows of each port (its product and stable by-id name, as
// `aisfw ports` lists them). Tests give their own instead.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "comm/hotplug_monitor.h"
#include "comm/main_thread.h"
#include "comm/port_enumeration.h"

namespace app {

// What the port list shows beside a port's name (texts escaped for display).
struct PortDescription {
  std::string product;  // "FT232R USB UART"; empty when unknown
  std::string byId;     // "/dev/serial/by-id/usb-..."; empty when none
};

class PortDescriber {
 public:
  virtual ~PortDescriber() = default;
  // The present ports by name (ttyUSB0) that have anything to show.
  virtual std::map<std::string, PortDescription> Describe() = 0;
};

std::unique_ptr<comm::PortEnumerator> SystemPortEnumerator();
std::unique_ptr<PortDescriber> SystemPortDescriber();

struct HotplugWatch {
  comm::HotplugMonitor::Mode mode = comm::HotplugMonitor::Mode::KernelEvents;
  std::chrono::milliseconds rescan = std::chrono::seconds(2);
};
// Runs `onDeviceChange` on the main thread when a serial device arrives or
// goes (kernel events, else rescans of `ports`).
std::unique_ptr<comm::HotplugMonitor> WatchPorts(comm::MainThreadDispatcher& dispatcher,
                                                 comm::PortEnumerator& ports,
                                                 std::function<void()> onDeviceChange,
                                                 const HotplugWatch& watch);

}  // namespace app
