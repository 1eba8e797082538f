#pragma once
// Why a port could not be opened, in words a Linux user can act on. The
// system's error number is mapped to a closed set of kinds in one place.

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

// The error for a failed open()/lock of `path` with `errorNumber`.
PortError DescribeOpenError(const std::string& path, int errorNumber);

// The error for a port that opened but is held by someone else.
PortError BusyError(const std::string& path);

// The program holding `path` open, as "name (pid N)", found through /proc;
// empty when /proc does not tell (another user's processes are hidden).
std::string FindPortHolder(const std::string& path);

}  // namespace comm
