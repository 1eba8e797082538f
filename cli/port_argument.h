#pragma once
// What --port names, as the wizard opens it. A device name (ttyUSB0) is a
// device under /dev; a path is followed through its links (a stable
// /dev/serial/by-id/... name leads to the adapter's device), and a device
// straight under /dev becomes its name again, the form the port list shows;
// any other path (a pseudo-terminal's /dev/pts/3) is used as it is.

#include <memory>
#include <string>
#include <vector>

#include "comm/port_enumeration.h"
#include "comm/serial_platform.h"

namespace cli {

struct PortArgument {
  bool automatic = false;  // "auto": every port that opens is scanned
  std::string name;        // the port's name or absolute path otherwise
};

PortArgument ResolvePortArgument(const std::string& text);

// The ports of a run on one named port: only that port is listed, so no
// other port of the machine is opened to see whether it is free.
class SinglePortEnumerator final : public comm::PortEnumerator {
 public:
  SinglePortEnumerator(std::string name, std::unique_ptr<comm::SerialPlatform> platform);
  bool PresentPortNames(std::vector<std::string>& names) override;
  bool OpensExclusively(const std::string& name) override;
  // Why the port does not open now; empty when it does.
  std::string WhyNotAvailable();

 private:
  std::string name_;
  std::unique_ptr<comm::SerialPlatform> platform_;
};

}  // namespace cli
