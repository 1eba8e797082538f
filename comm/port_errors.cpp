#include "comm/port_errors.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "comm/port_holders.h"

namespace comm {
namespace {

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
bool UserListedInGroup(gid_t gid) {
  std::vector<char> buffer(16384);
  passwd pw{};
  passwd* user = nullptr;
  if (getpwuid_r(geteuid(), &pw, buffer.data(), buffer.size(), &user) != 0 || user == nullptr)
    return false;
  if (user->pw_gid == gid) return true;
  std::vector<char> groupBuffer(65536);
  group entry{};
  group* found = nullptr;
  if (getgrgid_r(gid, &entry, groupBuffer.data(), groupBuffer.size(), &found) != 0 ||
      found == nullptr)
    return false;
  for (char** member = found->gr_mem; member != nullptr && *member != nullptr; ++member) {
    if (std::strcmp(user->pw_name, *member) == 0) return true;
  }
  return false;
}

// "crw-rw---- root dialout", as ls shows a device.
std::string ModeOwnerGroup(const DeviceAccess& a) {
  std::string text = S_ISCHR(a.mode) ? "c" : S_ISDIR(a.mode) ? "d" : "-";
  const mode_t bits[] = {S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP,
                         S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};
  for (int i = 0; i < 9; ++i) text += (a.mode & bits[i]) ? "rwx"[i % 3] : '-';
  return text + " " + a.ownerName + " " + a.groupName;
}

}  // namespace

std::string GroupName(gid_t gid) {
  std::vector<char> buffer(16384);
  group entry{};
  group* found = nullptr;
  if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
    return found->gr_name;
  }
  return std::to_string(gid);
}

std::string UserName(uid_t uid) {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
    return found->pw_name;
  }
  return {};
}

std::string PortDevicePath(const std::string& name) {
  if (!name.empty() && name.front() == '/') return name;
  return "/dev/" + name;
}

DeviceAccess ReadDeviceAccess(const std::string& path) {
  DeviceAccess a;
  a.path = path;
  a.userName = UserName(geteuid());
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return a;
  a.known = true;
  a.mode = info.st_mode;
  a.owner = info.st_uid;
  a.ownerName = UserName(info.st_uid);
  if (a.ownerName.empty()) a.ownerName = std::to_string(info.st_uid);
  a.group = info.st_gid;
  a.groupName = GroupName(info.st_gid);
  a.inGroupNow = ProcessHasGroup(info.st_gid);
  a.listedInGroup = UserListedInGroup(info.st_gid);
  return a;
}

std::string PermissionAdvice(const DeviceAccess& a) {
  const std::string head = "Permission denied on " + a.path + ": ";
  if (!a.known) return head + "you may not open this device.";
  const std::string shown = ModeOwnerGroup(a);
  const std::string user = a.userName.empty() ? "$USER" : a.userName;
  constexpr mode_t kReadWrite = S_IRGRP | S_IWGRP;
  // Joining the group helps only when the group may read and write the
  // device, and joining root's group is never the answer.
  if ((a.mode & kReadWrite) == kReadWrite && a.group != 0) {
    if (a.inGroupNow) {
      return head + "you are in its group '" + a.groupName + "' (" + shown +
             ") and were still refused; ask the administrator (a security policy may deny it).";
    }
    if (a.listedInGroup) {
      return head + "your user '" + user + "' was added to the group '" + a.groupName +
             "' after this session started; log out and in again (or run: newgrp " + a.groupName +
             ").";
    }
    return head + "your user is not in the group '" + a.groupName + "' that may use it (" + shown +
           "); run: sudo usermod -aG " + a.groupName + " " + user + ", then log out and in again.";
  }
  if (a.ownerName == a.userName && (a.mode & (S_IRUSR | S_IWUSR)) != (S_IRUSR | S_IWUSR)) {
    return head + "it is yours but not readable and writable (" + shown + "); run: chmod u+rw " +
           a.path + ".";
  }
  const std::string only = "only " +
                           (a.owner == 0 ? std::string("root") : "the user '" + a.ownerName + "'") +
                           " may open it (" + shown + ")";
  if (a.path.rfind("/dev/pts/", 0) == 0) {
    return head + only +
           "; start the program at its other end as your own user, or run this tool with sudo.";
  }
  const std::size_t slash = a.path.find_last_of('/');
  const std::string kernelName = slash == std::string::npos ? a.path : a.path.substr(slash + 1);
  return head + only + "; give it to the dialout group with a udev rule (for example a file " +
         "/etc/udev/rules.d/50-serial.rules with: SUBSYSTEM==\"tty\", KERNEL==\"" + kernelName +
         "\", GROUP=\"dialout\", MODE=\"0660\"), or run this tool with sudo.";
}

std::string FindPortHolder(const std::string& path) {
  const std::vector<pid_t> holders = SearchHolders(path).holders;
  return holders.empty() ? std::string() : DescribeProcess(holders.front());
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
      return {PortErrorKind::PermissionDenied, errorNumber,
              PermissionAdvice(ReadDeviceAccess(path))};
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
