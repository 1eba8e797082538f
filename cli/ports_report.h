#pragma once
// `aisfw ports`: the present ports, what sysfs knows of each, and whether
// each opens now.

#include <ostream>

#include "cli/system_view.h"

namespace cli {

// Readable blocks, or one JSON object per port.
void PrintPorts(SystemView& view, bool json, std::ostream& out);

}  // namespace cli
