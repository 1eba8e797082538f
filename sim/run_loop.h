#pragma once
// aisfw-sim's life on a pseudo-terminal: the line opened and announced, the
// transponder run in real time against whoever holds the serial end, until
// SIGINT, SIGTERM or its hang-up fault.

#include "sim/options.h"

namespace sim {

// The program's exit code: 0 when stopped, 1 when the pseudo-terminal or the
// link could not be made.
int RunOnPty(const SimOptions& options);

}  // namespace sim
