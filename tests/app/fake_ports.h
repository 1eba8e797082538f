#pragma once
// A port list the test decides, so no test ever opens a port the machine
// has (ttyS0 may be its console). Thread-safe: the hot-plug monitor lists
// from its own thread.

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/system_ports.h"
#include "comm/port_enumeration.h"

namespace gui_test {

class FakePorts final : public comm::PortEnumerator {
 public:
  explicit FakePorts(std::vector<std::string> present = {}) : present_(std::move(present)) {}

  bool PresentPortNames(std::vector<std::string>& names) override {
    std::lock_guard lock(mutex_);
    names = present_;
    return true;
  }
  // Every listed port counts as openable.
  bool OpensExclusively(const std::string&) override { return true; }

  void Plug(const std::string& name) {
    std::lock_guard lock(mutex_);
    present_.push_back(name);
  }
  void Unplug(const std::string& name) {
    std::lock_guard lock(mutex_);
    present_.erase(std::remove(present_.begin(), present_.end(), name), present_.end());
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> present_;
};

// What the test says the system knows of its ports.
class FakeDescriber final : public app::PortDescriber {
 public:
  explicit FakeDescriber(std::map<std::string, app::PortDescription> ports = {})
      : ports_(std::move(ports)) {}
  std::map<std::string, app::PortDescription> Describe() override { return ports_; }

 private:
  std::map<std::string, app::PortDescription> ports_;
};

}  // namespace gui_test
