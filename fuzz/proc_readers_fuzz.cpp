// libFuzzer entry: the readers of /proc that name who holds a port. With the
// first byte even, the rest is /proc/locks text for LockHolderIn, looking
// for the file of device bytes 1-2 and inode bytes 3-4; a holder it names
// must be a positive process id written in the text (as a number). With the first byte
// odd, the rest builds a /proc tree (process folders, fd links to a
// pseudo-terminal's slave, to ptmx and elsewhere, fdinfo files) that
// OpenHolders reads for that slave: the holders it gives must be ascending,
// each a process of the tree with the slave open, and every process that has
// it open and holds no ptmx at all must be among them.
//
// Tree input, repeated: one byte whose low two bits choose
//   0  a process folder, named by the next byte from a list (odd names too)
//   1  an fd link of the current process: next byte the fd, the one after
//      the target (the slave, /dev/ptmx, /dev/null, nothing)
//   2  an fdinfo file: next byte the fd, then a length byte and the text, in
//      which "%i" stands for the slave's index
//   3  an fd entry that is a plain file, named by the next byte

#include <fcntl.h>
#include <stdlib.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "comm/port_holders.h"

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fault(const char* what, long pid) {
  std::fprintf(stderr, "%s (%ld)\n", what, pid);
  std::abort();
}

// A pseudo-terminal whose slave the tree's processes hold, opened once.
const std::string& SlavePath() {
  static const std::string path = [] {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) std::abort();
    return std::string(ptsname(master));
  }();
  return path;
}

// A folder of its own for the trees, made once and removed at the end.
struct ScratchFolder {
  ScratchFolder() {
    // In memory where there is such a folder: on a disk each tree is slow.
    std::error_code ec;
    const fs::path base = fs::is_directory("/dev/shm", ec) ? "/dev/shm" : fs::temp_directory_path();
    std::string pattern = (base / "proc-readers-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

const fs::path& Scratch() {
  static const ScratchFolder folder;
  return folder.path;
}

void CheckLocks(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return;
  const dev_t device = makedev(data[1], data[2]);
  const ino_t inode = static_cast<ino_t>(data[3] | data[4] << 8);
  const std::string_view text(reinterpret_cast<const char*>(data + 5), size - 5);
  const std::optional<pid_t> holder = comm::LockHolderIn(text, device, inode);
  if (!holder) return;
  if (*holder <= 0) Fault("a holder that is no process", *holder);
  std::istringstream words{std::string(text)};
  std::string word;
  while (words >> word) {
    long value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec == std::errc() && end == word.data() + word.size() && value == *holder) return;
  }
  Fault("a holder the text does not name", *holder);
}

constexpr const char* kNames[] = {"1",     "42",        "1000", "4194304", "0007",
                                  "self",  "abc",       "12a",  "-5",      "99999999999999999999",
                                  "65536", "2147483648"};

struct Process {
  bool holdsSlave = false;
  bool holdsPtmx = false;
};

void CheckHolders(const std::uint8_t* data, std::size_t size) {
  const fs::path proc = Scratch() / "proc";
  fs::remove_all(proc);
  fs::create_directories(proc);
  std::map<std::string, Process> processes;
  std::string current;
  for (std::size_t at = 1; at < size;) {
    const std::uint8_t op = data[at++] & 3;
    if (at >= size) break;
    const std::uint8_t arg = data[at++];
    if (op == 0) {
      current = kNames[arg % std::size(kNames)];
      fs::create_directories(proc / current / "fd");
      fs::create_directories(proc / current / "fdinfo");
      processes[current];
      continue;
    }
    if (current.empty()) continue;
    const fs::path fd = proc / current / "fd" / std::to_string(arg);
    if (op == 1) {
      if (at >= size) break;
      const std::uint8_t to = data[at++] & 3;
      const std::string target = to == 0   ? SlavePath()
                                 : to == 1 ? std::string("/dev/ptmx")
                                 : to == 2 ? std::string("/dev/null")
                                           : std::string("/nothing/here");
      std::error_code ec;
      fs::create_symlink(target, fd, ec);
      if (ec) continue;
      if (to == 0) processes[current].holdsSlave = true;
      if (to == 1) processes[current].holdsPtmx = true;
    } else if (op == 2) {
      if (at >= size) break;
      const std::size_t length = std::min<std::size_t>(data[at++], size - at);
      std::string text(reinterpret_cast<const char*>(data + at), length);
      at += length;
      const std::string index = SlavePath().substr(SlavePath().rfind('/') + 1);
      for (std::size_t i = text.find("%i"); i != std::string::npos; i = text.find("%i", i)) {
        text.replace(i, 2, index);
      }
      std::ofstream(proc / current / "fdinfo" / std::to_string(arg)) << text;
    } else {
      std::error_code ec;
      if (!fs::exists(fd, ec)) std::ofstream(fd.string()) << "not a link";
    }
  }

  const std::vector<pid_t> holders = comm::OpenHolders(SlavePath(), proc);
  if (!std::is_sorted(holders.begin(), holders.end()) ||
      std::adjacent_find(holders.begin(), holders.end()) != holders.end()) {
    Fault("holders out of order or given twice", holders.empty() ? 0 : holders.front());
  }
  std::set<long> expected;  // the processes that must be listed
  std::set<long> allowed;   // those that may be
  for (const auto& [name, process] : processes) {
    long pid = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (ec != std::errc() || end != name.data() + name.size() || pid <= 0 ||
        pid > std::numeric_limits<pid_t>::max() || !process.holdsSlave) {
      continue;
    }
    allowed.insert(pid);
    if (!process.holdsPtmx) expected.insert(pid);
  }
  for (const pid_t pid : holders) {
    if (!allowed.count(pid)) Fault("a holder that does not have the port open", pid);
    expected.erase(pid);
  }
  if (!expected.empty()) Fault("a process with the port open and not listed", *expected.begin());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  if (data[0] % 2 == 0) {
    CheckLocks(data, size);
  } else {
    CheckHolders(data, size);
  }
  return 0;
}
