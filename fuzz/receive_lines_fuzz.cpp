// libFuzzer entry: any bytes arriving on the serial line, split into
// notifications at arbitrary points, through the line assembly and the
// text-line watcher at every wizard stage. Every line of at most 82
// characters (CR and NUL dropped) must be handed over once and no other,
// and what is kept and logged of a longer one stays bounded.

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

[[noreturn]] void Fault(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

// The note a logged line may carry: " ... (N more bytes dropped)".
constexpr std::size_t kLongestNote = 48;

struct Consumers : comm::ReceiveConsumers, upgrade::WatcherActions {
  upgrade::WizardState state;
  std::size_t handed = 0;
  std::size_t logged = 0;

  void LogReceivedLine(std::string_view line) override {
    ++logged;
    if (line.size() > comm::kLoggedLineLength + kLongestNote) Fault("a logged line past its bound");
  }
  void OnDeviceLine(const char* line) override {
    CheckHandover(line);
    ++handed;
  }
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
      Fault("a handed-over line that the assembly should not make");
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
    if (assembler.RxLine().size() > comm::kLoggedLineLength) Fault("a line kept past its bound");
  }
  // The lines, counted here: every LF ends one, CR and NUL count for nothing.
  std::size_t lines = 0;
  std::size_t shortLines = 0;
  std::size_t length = 0;
  for (std::size_t i = 0; i < size - 2; ++i) {
    if (bytes[i] == '\n') {
      ++lines;
      shortLines += length <= comm::kMaxLineLength;
      length = 0;
    } else if (bytes[i] != '\r' && bytes[i] != '\0') {
      ++length;
    }
  }
  if (consumers.logged != lines) Fault("a line logged twice or not at all");
  if (consumers.handed != shortLines) Fault("a line handed over that is too long, or one lost");
  return 0;
}
