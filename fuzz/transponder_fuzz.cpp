// libFuzzer entry: any bytes from the host reaching the virtual transponder,
// with time passing between pieces, so that every phase of the conversation
// (probes, block transfer, final check) meets malformed input.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sim/transponder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sim::TransponderConfig config;
  config.countdownStepMs = 1;
  config.programmingMs = 1;
  config.idleTraffic = false;
  if (size > 0) config.classDigit = data[0] % 2;
  sim::VirtualTransponder device(config);
  const char* bytes = reinterpret_cast<const char*>(data);
  // Pieces end at each LF, so whole commands arrive between time steps.
  std::size_t start = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n' || i + 1 == size) {
      device.Receive(std::string_view(bytes + start, i + 1 - start));
      device.Advance(20);
      device.TakeOutput();
      start = i + 1;
    }
  }
  device.Advance(5000);
  device.TakeOutput();
  return 0;
}
