#include "tests/process/sim_process.h"

#include <signal.h>

namespace test_process {
namespace {

std::vector<std::string> Command(const std::vector<std::string>& options) {
  std::vector<std::string> argv = {AISFW_SIM_PROGRAM};
  argv.insert(argv.end(), options.begin(), options.end());
  return argv;
}

}  // namespace

SimProcess::SimProcess(const std::vector<std::string>& options) : process_(Command(options)) {
  const std::string first = process_.FirstLine(10s);
  const std::string prefix = "port: ";
  if (first.rfind(prefix, 0) == 0) port_ = first.substr(prefix.size());
}

SimProcess::~SimProcess() {
  process_.Signal(SIGTERM);
  process_.Wait(10s);  // a child still running after that is killed
}

}  // namespace test_process
