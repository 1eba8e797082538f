#include "comm/port_errors.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace comm {
namespace {

std::string GroupName(gid_t gid) {
  std::vector<char> buffer(16384);
  group entry{};
  group* found = nullptr;
  if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
    return found->gr_name;
  }
  return std::to_string(gid);
}

bool ProcessHasGroup(gid_t gid) {
  if (getegid() == gid) return true;
  const int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int got = getgroups(count, groups.data());
  for (int i = 0; i < got; ++i) {
    if (groups[static_cast<std::size_t>(i)] == gid) return true;
  }
  return false;
}

// The group database lists the user in `gid` (a member, or its primary group).
bool UserListedInGroup(gid_t gid, std::string& userName) {
  std::vector<char> buffer(16384);
  passwd pw{};
  passwd* user = nullptr;
  if (getpwuid_r(geteuid(), &pw, buffer.data(), buffer.size(), &user) != 0 || user == nullptr) {
    return false;
  }
  userName = user->pw_name;
  if (user->pw_gid == gid) return true;
  std::vector<char> groupBuffer(65536);
  group entry{};
  group* found = nullptr;
  if (getgrgid_r(gid, &entry, groupBuffer.data(), groupBuffer.size(), &found) != 0 ||
      found == nullptr) {
    return false;
  }
  for (char** member = found->gr_mem; member != nullptr && *member != nullptr; ++member) {
    if (userName == *member) return true;
  }
  return false;
}

std::string PermissionMessage(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    return "Permission denied on " + path + ": you may not open this device.";
  }
  const std::string group = GroupName(info.st_gid);
  if (ProcessHasGroup(info.st_gid)) {
    return "Permission denied on " + path + ": you are in its group '" + group +
           "', but the device does not let that group read and write it; ask the administrator to "
           "check its permissions.";
  }
  std::string user;
  if (UserListedInGroup(info.st_gid, user)) {
    return "Permission denied on " + path + ": your user '" + user + "' was added to the group '" +
           group + "' after this session started; log out and in again (or run: newgrp " + group +
           ").";
  }
  if (user.empty()) user = "$USER";
  return "Permission denied on " + path + ": your user is not in the group '" + group +
         "' that owns the device; run: sudo usermod -aG " + group + " " + user +
         ", then log out and in again.";
}

std::string ProcessName(const std::string& pid) {
  std::ifstream in("/proc/" + pid + "/comm");
  std::string name;
  std::getline(in, name);
  return name.empty() ? "unknown" : name;
}

}  // namespace

std::string PortDevicePath(const std::string& name) {
  if (!name.empty() && name.front() == '/') return name;
  return "/dev/" + name;
}

std::string FindPortHolder(const std::string& path) {
  struct stat target {};
  if (stat(path.c_str(), &target) != 0) return {};
  std::error_code ec;
  for (const auto& process : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string pid = process.path().filename().string();
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code fdError;
    for (const auto& fd : std::filesystem::directory_iterator(process.path() / "fd", fdError)) {
      struct stat info {};
      if (stat(fd.path().c_str(), &info) != 0) continue;
      const bool same = S_ISCHR(target.st_mode)
                            ? S_ISCHR(info.st_mode) && info.st_rdev == target.st_rdev
                            : info.st_dev == target.st_dev && info.st_ino == target.st_ino;
      if (!same) continue;
      const bool self = pid == std::to_string(getpid());
      return ProcessName(pid) + " (pid " + pid + (self ? ", this program)" : ")");
    }
  }
  return {};
}

PortError BusyError(const std::string& path) {
  PortError error{PortErrorKind::Busy, EBUSY, {}};
  const std::string holder = FindPortHolder(path);
  error.Message = "Serial port " + path + " is busy: it is held by " +
                  (holder.empty() ? std::string("another program") : holder) +
                  ". Close that program and try again.";
  return error;
}

PortError DescribeOpenError(const std::string& path, int errorNumber) {
  switch (errorNumber) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return {PortErrorKind::NoSuchDevice, errorNumber,
              "No such serial port: " + path + " does not exist or its device has been unplugged."};
    case EACCES:
    case EPERM:
      return {PortErrorKind::PermissionDenied, errorNumber, PermissionMessage(path)};
    case EBUSY:
    case EWOULDBLOCK:
      return BusyError(path);
    case ENOTTY:
      return {PortErrorKind::NotASerialPort, errorNumber, path + " is not a serial port."};
    default:
      return {PortErrorKind::Other, errorNumber,
              "Cannot open serial port " + path + ": " + std::strerror(errorNumber) + "."};
  }
}

}  // namespace comm
