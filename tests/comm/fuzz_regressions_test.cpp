// What the fuzzers found in the readers of the system's files
// (fuzz/proc_readers_fuzz.cpp), one row each: the smallest tree that showed
// it and what the reader must make of it now.

#include <gtest/gtest.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "comm/port_holders.h"
#include "tests/comm/pty_pair.h"
#include "tests/temp_folder.h"

namespace comm {
namespace {

namespace fs = std::filesystem;

// A /proc tree: process folders, each with a descriptor on the port.
struct ProcTree {
  const char* name;
  std::vector<std::string> folders;
  std::vector<pid_t> holders;
};

class ProcTreeFoundByFuzzing : public ::testing::TestWithParam<ProcTree> {};

TEST_P(ProcTreeFoundByFuzzing, GivesTheHoldersItsRowSays) {
  testing::PtyPair pty;
  TempFolder proc;
  for (const std::string& folder : GetParam().folders) {
    fs::create_directories(proc.Path() / folder / "fd");
    fs::create_symlink(pty.SlavePath(), proc.Path() / folder / "fd" / "3");
  }
  EXPECT_EQ(OpenHolders(pty.SlavePath(), proc.Path()), GetParam().holders);
}

INSTANTIATE_TEST_SUITE_P(Holders, ProcTreeFoundByFuzzing,
                         ::testing::Values(
                             // Digits no pid_t holds: read with std::stol, the first wrapped to a
                             // negative process id and the second threw out of the listing.
                             ProcTree{"PidBeyondPidT", {"42", "2147483648"}, {42}},
                             ProcTree{"PidBeyondLong", {"99999999999999999999", "7"}, {7}}),
                         [](const ::testing::TestParamInfo<ProcTree>& row) {
                           return std::string(row.param.name);
                         });

}  // namespace
}  // namespace comm
