#pragma once
// Why a port could not be opened, in words a Linux user can act on. The
// system's error number is mapped to a closed set of kinds in one place.

#include <sys/types.h>

#include <string>

namespace comm {

enum class PortErrorKind {
  None,
  NoSuchDevice,      // nothing at that path, or its device has gone
  PermissionDenied,  // the user may not open the device
  Busy,              // another program (or another port object) holds it
  NotASerialPort,    // the path is not a terminal device
  Other,
};

struct PortError {
  PortErrorKind Kind = PortErrorKind::None;
  int Code = 0;         // errno
  std::string Message;  // one line, names the device and what to do
};

// The device path of a port name: an absolute path is used as it is, any
// other name is a device under /dev (ttyUSB0 -> /dev/ttyUSB0).
std::string PortDevicePath(const std::string& name);

// The user database's name for `uid` ("" when it has none), and the group
// database's name for `gid` (its number when it has none).
std::string UserName(uid_t uid);
std::string GroupName(gid_t gid);

// The error for a failed open()/lock of `path` with `errorNumber`.
PortError DescribeOpenError(const std::string& path, int errorNumber);

// The error for a port that opened but is held by someone else.
PortError BusyError(const std::string& path);

// The program holding `path`, as "name (pid N)": the first that
// SearchHolders finds (the holder of its lock, else a program that has it
// open); empty when /proc does not tell (another user's processes are
// hidden).
std::string FindPortHolder(const std::string& path);

// What decides the advice for a device the user may not open.
struct DeviceAccess {
  std::string path;
  bool known = false;  // the device could be looked at (stat)
  mode_t mode = 0;     // st_mode
  uid_t owner = 0;
  std::string ownerName;
  gid_t group = 0;
  std::string groupName;
  std::string userName;        // the user running the program
  bool inGroupNow = false;     // this process has the device's group
  bool listedInGroup = false;  // the group database lists the user in it
};

// Reads the device's mode, owner and group and the user's groups.
DeviceAccess ReadDeviceAccess(const std::string& path);

// The permission-denied message for `access`: join the device's group when
// that group may read and write it (never root's), log in again when the
// membership is newer than the session, otherwise a udev rule or sudo.
std::string PermissionAdvice(const DeviceAccess& access);

}  // namespace comm
