#pragma once
// A port list the test decides, so no test ever opens a port the machine
// has (ttyS0 may be its console). Thread-safe: the hot-plug monitor lists
// from its own thread.

#include <mutex>
#include <string>
#include <vector>

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

 private:
  std::mutex mutex_;
  std::vector<std::string> present_;
};

}  // namespace gui_test
