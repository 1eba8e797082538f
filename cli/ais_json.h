#pragma once
// AIS values as JSON for the command line: the decoded message of a line
// (`aisfw decode`'s "ais" object) and target entries (`aisfw targets --json`).

#include <vector>

#include "cli/json_line.h"
#include "store/ais_describe.h"

namespace cli {

// Named values as one object, keys in the order given. Floats are the
// shortest decimals that read back to the stored 32-bit values; binary data
// is upper-case hexadecimal.
Json AisValuesJson(const std::vector<store::AisNamedValue>& values);

}  // namespace cli
