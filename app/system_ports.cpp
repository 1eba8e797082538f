#include "app/system_ports.h"

#include "cli/system_view.h"
#include "text/display_text.h"

namespace app {
namespace {

// What `aisfw ports` reads from sysfs and /dev/serial/by-id.
class SysfsPortDescriber final : public PortDescriber {
 public:
  std::map<std::string, PortDescription> Describe() override {
    std::map<std::string, PortDescription> ports;
    for (const cli::SerialPortFacts& facts : view_.Ports()) {
      std::string product = facts.product;
      if (!facts.manufacturer.empty() && product.find(facts.manufacturer) == std::string::npos) {
        product = product.empty() ? facts.manufacturer : facts.manufacturer + " " + product;
      }
      if (product.empty() && facts.byId.empty()) continue;
      ports[facts.name] = {text::DisplayText(product), text::DisplayText(facts.byId)};
    }
    return ports;
  }

 private:
  cli::LinuxSystemView view_;
};

}  // namespace

std::unique_ptr<comm::PortEnumerator> SystemPortEnumerator() {
  return std::make_unique<comm::SysfsPortEnumerator>();
}

std::unique_ptr<PortDescriber> SystemPortDescriber() {
  return std::make_unique<SysfsPortDescriber>();
}

std::unique_ptr<comm::HotplugMonitor> WatchPorts(comm::MainThreadDispatcher& dispatcher,
                                                 comm::PortEnumerator& ports,
                                                 std::function<void()> onDeviceChange,
                                                 const HotplugWatch& watch) {
  return std::make_unique<comm::HotplugMonitor>(dispatcher, ports, std::move(onDeviceChange),
                                                watch.mode, watch.rescan);
}

}  // namespace app
