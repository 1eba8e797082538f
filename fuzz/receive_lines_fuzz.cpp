// libFuzzer entry: any bytes arriving on the serial line, split into
// notifications at arbitrary points, through the line assembly and the
// text-line watcher at every wizard stage.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "comm/receive_lines.h"
#include "upgrade/line_watcher.h"

namespace {

struct Consumers : comm::ReceiveConsumers, upgrade::WatcherActions {
  upgrade::WizardState state;

  void LogReceivedLine(std::string_view) override {}
  void OnDeviceLine(const char* line) override { CheckHandover(line); }
  void WatchTextLine(const char* line) override {
    CheckHandover(line);
    upgrade::WatchTextLine(state, *this, line);
  }
  void ResetInfoCollector() override {}
  void SetProgress(int) override {}

  // A handed-over line is at most 82 characters and its CR LF, with no CR,
  // LF or NUL before them.
  static void CheckHandover(const char* line) {
    const std::size_t length = std::strlen(line);
    if (length < 2 || length > comm::kMaxLineLength + 2 ||
        std::strcmp(line + length - 2, "\r\n") != 0 || std::strcspn(line, "\r\n") != length - 2) {
      std::fprintf(stderr, "a handed-over line that the assembly should not make\n");
      std::abort();
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  Consumers consumers;
  consumers.state.WizardStage = static_cast<upgrade::Stage>(data[0] % 7);
  comm::ReceiveLineAssembler assembler(consumers);
  // The second byte chooses where notifications split the rest.
  const std::size_t chunk = 1 + data[1] % 97;
  const char* bytes = reinterpret_cast<const char*>(data + 2);
  for (std::size_t at = 0; at < size - 2; at += chunk) {
    assembler.Receive(bytes + at, std::min(chunk, size - 2 - at));
  }
  return 0;
}
