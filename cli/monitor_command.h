#pragma once
// What `aisfw monitor` makes of the bytes a port sends when its output is no
// terminal, without the port: each notification through the line assembly,
// the sentence stack and one JSON object per line on `console`. The fuzzers
// feed it; the command feeds the same listener from the port.

#include <string_view>
#include <vector>

#include "cli/console.h"

namespace cli {

void MonitorReceived(Console& console, const std::vector<std::string_view>& notifications);

}  // namespace cli
