#pragma once
// aisfw-sim as a child process: started with the given options, its port
// read from the first line it prints, stopped with SIGTERM at the end.

#include <string>
#include <vector>

#include "tests/process/child_process.h"

namespace test_process {

class SimProcess {
 public:
  explicit SimProcess(const std::vector<std::string>& options);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // The path of its serial end; empty when it did not start.
  const std::string& Port() const { return port_; }
  ChildProcess& Process() { return process_; }

 private:
  ChildProcess process_;
  std::string port_;
};

}  // namespace test_process
