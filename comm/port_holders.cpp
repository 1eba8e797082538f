#include "comm/port_holders.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace comm {
namespace {

namespace fs = std::filesystem;

// Unix98 pseudo-terminal slaves: majors 136 to 143, 256 minors each.
constexpr unsigned kPtySlaveFirstMajor = 136;
constexpr unsigned kPtySlaveMajors = 8;

std::optional<unsigned> PtyIndex(dev_t rdev) {
  const unsigned major = ::major(rdev);
  if (major < kPtySlaveFirstMajor || major >= kPtySlaveFirstMajor + kPtySlaveMajors)
    return std::nullopt;
  return (major - kPtySlaveFirstMajor) * 256 + ::minor(rdev);
}

bool ParseUnsigned(std::string_view text, unsigned long long& value, int base) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// The process id a /proc folder is named after; none for any other folder,
// or for digits no pid_t holds.
std::optional<pid_t> PidOf(const std::string& name) {
  pid_t pid = 0;
  const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), pid);
  if (ec != std::errc() || end != name.data() + name.size() || pid <= 0) return std::nullopt;
  return pid;
}

// True when the process `dir` holds the master of pseudo-terminal `index`:
// the kernel names the pty of a ptmx descriptor in its fdinfo.
bool HoldsPtyMaster(const fs::path& dir, unsigned index) {
  std::error_code ec;
  for (const auto& fd : fs::directory_iterator(dir / "fd", ec)) {
    std::error_code linkError;
    const fs::path target = fs::read_symlink(fd.path(), linkError);
    if (linkError || target.filename() != "ptmx") continue;
    std::ifstream info(dir / "fdinfo" / fd.path().filename());
    std::string line;
    while (std::getline(info, line)) {
      unsigned long long value = 0;
      if (line.rfind("tty-index:", 0) == 0) {
        const std::size_t at = line.find_first_not_of(" \t", 10);
        if (at != std::string::npos &&
            ParseUnsigned(std::string_view(line).substr(at), value, 10) && value == index) {
          return true;
        }
      }
    }
  }
  return false;
}

}  // namespace

std::optional<pid_t> LockHolderIn(std::string_view procLocks, dev_t device, ino_t inode) {
  std::istringstream in{std::string(procLocks)};
  std::string line;
  while (std::getline(in, line)) {
    // "1: FLOCK  ADVISORY  WRITE 7161 00:1a:4 0 EOF": id, class, mode,
    // access, pid, major:minor:inode (major and minor in hex), range.
    std::istringstream fields(line);
    std::string id, kind, mode, access, pid, file;
    if (!(fields >> id >> kind) || kind == "->") continue;
    if (!(fields >> mode >> access >> pid >> file)) continue;
    const std::size_t c1 = file.find(':');
    const std::size_t c2 = file.find(':', c1 == std::string::npos ? 0 : c1 + 1);
    if (c1 == std::string::npos || c2 == std::string::npos) continue;
    unsigned long long major = 0, minor = 0, ino = 0, holder = 0;
    if (!ParseUnsigned(std::string_view(file).substr(0, c1), major, 16) ||
        !ParseUnsigned(std::string_view(file).substr(c1 + 1, c2 - c1 - 1), minor, 16) ||
        !ParseUnsigned(std::string_view(file).substr(c2 + 1), ino, 10)) {
      continue;
    }
    if (major != ::major(device) || minor != ::minor(device) || ino != inode) continue;
    // An open file description lock has no owning process (-1).
    if (!ParseUnsigned(pid, holder, 10) || holder == 0) continue;
    return static_cast<pid_t>(holder);
  }
  return std::nullopt;
}

std::optional<pid_t> LockHolder(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  std::ifstream in("/proc/locks");
  std::stringstream text;
  text << in.rdbuf();
  return LockHolderIn(text.str(), info.st_dev, info.st_ino);
}

namespace {

// The processes with `path` open, read from the process tree `proc`; those
// whose descriptors could not be read go to `hidden`, and those that have it
// open only as the far end of a pseudo-terminal (its master too) to `farEnds`.
std::vector<pid_t> ScanOpenHolders(const std::string& path, const fs::path& proc,
                                   std::vector<pid_t>& hidden, std::vector<pid_t>& farEnds) {
  std::vector<pid_t> holders;
  struct stat target {};
  if (stat(path.c_str(), &target) != 0 || !S_ISCHR(target.st_mode)) return holders;
  const std::optional<unsigned> pty = PtyIndex(target.st_rdev);
  std::error_code ec;
  for (const auto& process : fs::directory_iterator(proc, ec)) {
    const std::optional<pid_t> pid = PidOf(process.path().filename().string());
    if (!pid) continue;
    std::error_code fdError;
    fs::directory_iterator fds(process.path() / "fd", fdError);
    if (fdError == std::errc::permission_denied) {
      hidden.push_back(*pid);
      continue;
    }
    for (const auto& fd : fds) {
      struct stat info {};
      if (stat(fd.path().c_str(), &info) != 0 || !S_ISCHR(info.st_mode) ||
          info.st_rdev != target.st_rdev)
        continue;
      (pty && HoldsPtyMaster(process.path(), *pty) ? farEnds : holders).push_back(*pid);
      break;
    }
  }
  std::sort(holders.begin(), holders.end());
  return holders;
}

bool Contains(const std::vector<pid_t>& pids, pid_t pid) {
  return std::find(pids.begin(), pids.end(), pid) != pids.end();
}

}  // namespace

std::vector<pid_t> OpenHolders(const std::string& path, const fs::path& proc) {
  std::vector<pid_t> hidden;
  std::vector<pid_t> farEnds;
  return ScanOpenHolders(path, proc, hidden, farEnds);
}

HolderSearch SearchHolders(const std::string& path) {
  HolderSearch search;
  std::vector<pid_t> hidden;
  std::vector<pid_t> farEnds;
  search.holders = ScanOpenHolders(path, "/proc", hidden, farEnds);
  search.complete = hidden.empty();
  // The lock's process counts when it has the port open (a far end that
  // locks the port uses it as a port too), or when its descriptors are
  // hidden from us: the lock then says it holds the port. A process that has
  // gone, or whose number another has taken, has it open nowhere.
  if (const std::optional<pid_t> locker = LockHolder(path)) {
    const bool open = Contains(search.holders, *locker);
    if (open || Contains(hidden, *locker) || Contains(farEnds, *locker)) {
      if (open)
        search.holders.erase(std::find(search.holders.begin(), search.holders.end(), *locker));
      search.holders.insert(search.holders.begin(), *locker);
    }
  }
  return search;
}

std::string DescribeProcess(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(in, name);
  if (name.empty()) name = "unknown";
  return name + " (pid " + std::to_string(pid) + (pid == getpid() ? ", this program)" : ")");
}

}  // namespace comm
