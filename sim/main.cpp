// aisfw-sim: the virtual transponder on a pseudo-terminal, in real time.
// Prints "port: /dev/pts/N" as the first line of standard output; its log
// goes to standard error. Runs until SIGINT or SIGTERM (or its hang-up
// fault closes the line).

#include "sim/options.h"
#include "sim/run_loop.h"

int main(int argc, char** argv) {
  sim::SimOptions options;
  if (const auto exitCode = sim::ParseSimOptions(argc, argv, options)) return *exitCode;
  return sim::RunOnPty(options);
}
