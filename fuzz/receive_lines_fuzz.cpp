// libFuzzer entry: any bytes arriving on the serial line, split into
// notifications at arbitrary points, through the line assembly and the
// text-line watcher at every wizard stage.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "comm/receive_lines.h"

namespace {

struct Consumers : comm::ReceiveConsumers {
  void LogReceivedLine(std::string_view) override {}
  void OnDeviceLine(const char*) override {}
  void ResetInfoCollector() override {}
  void SetProgress(int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  comm::LineWatchState state;
  state.WizardStage = data[0] % 7;
  Consumers consumers;
  comm::ReceiveLineAssembler assembler(state, consumers);
  // The second byte chooses where notifications split the rest.
  const std::size_t chunk = 1 + data[1] % 97;
  const char* bytes = reinterpret_cast<const char*>(data + 2);
  for (std::size_t at = 0; at < size - 2; at += chunk) {
    assembler.Receive(bytes + at, std::min(chunk, size - 2 - at));
  }
  return 0;
}
