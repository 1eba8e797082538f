#pragma once
// AIS values as JSON for the command line: the decoded message of a line
// (`aisfw decode`'s "ais" object) and target entries (`aisfw targets --json`).

#include <nlohmann/json.hpp>
#include <vector>

#include "store/ais_describe.h"

namespace cli {

// Named values as one object, keys in the order given. Floats are the
// stored 32-bit values with 9 significant digits (%.9g), so they read back
// to exactly what the table holds; binary data is upper-case hexadecimal.
nlohmann::ordered_json AisValuesJson(const std::vector<store::AisNamedValue>& values);

}  // namespace cli
