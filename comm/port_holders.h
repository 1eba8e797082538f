#pragma once
// Who holds a serial device, as /proc tells: the process that holds a lock
// on it (/proc/locks), and the processes that have it open (/proc/*/fd).
// A pseudo-terminal's own device side (the program that holds its master,
// such as aisfw-sim, which also keeps the slave open) is no holder: it is
// the other end of the line, not a user of the port. Another user's
// processes are hidden from a non-root caller.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace comm {

// The process holding a whole-file lock (flock, or a POSIX/OFD lock) on
// the file `device` (st_dev of the filesystem, st_ino) in the text of
// /proc/locks; a waiting lock ("->") holds nothing.
std::optional<pid_t> LockHolderIn(std::string_view procLocks, dev_t device, ino_t inode);

// The process that holds a lock on `path` now, from /proc/locks.
std::optional<pid_t> LockHolder(const std::string& path);

// The processes (this one included) with the character device `path` open,
// other than the device side of a pseudo-terminal; ascending. `proc` is
// where the process folders are read (another tree for the fuzzers).
std::vector<pid_t> OpenHolders(const std::string& path,
                               const std::filesystem::path& proc = "/proc");

// Who holds `path`: the one search behind every answer to that question
// (the busy port's message, the port list, the checks before an upgrade).
// The processes that have it open, the holder of its lock first. A lock
// whose process has gone while a child keeps the descriptor names nobody
// (the child is found among the open holders), so a stale process id is
// never shown. `complete` is false when the descriptors of some process
// could not be looked at (another user's, to a caller without root): a
// holder may then be missing.
struct HolderSearch {
  std::vector<pid_t> holders;
  bool complete = true;
};
HolderSearch SearchHolders(const std::string& path);

// "name (pid N)", with ", this program" for this process.
std::string DescribeProcess(pid_t pid);

}  // namespace comm
