#pragma once
// `aisfw ports`: the present ports, what sysfs knows of each, whether each
// opens now and who holds it, and which is the system's console.

#include <ostream>

#include "cli/system_view.h"

namespace cli {

// Readable blocks, or one JSON object per port. Text from the system
// (product names, serial numbers, process names) is shown escaped.
void PrintPorts(SystemView& view, bool json, bool verbose, std::ostream& out);

}  // namespace cli
