#pragma once
// The AIS stations heard, as the readable table of `aisfw targets` and of
// `aisfw monitor` on a terminal.

#include <ostream>

#include "store/ais_targets.h"

namespace cli {

// A header, one row per station in use, and the count.
void PrintTargetTable(const store::AisTargetTable& table, std::ostream& out);

}  // namespace cli
