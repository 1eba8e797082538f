// libFuzzer entry: the bytes as received lines (split at LF, each given back
// its CR LF), through the whole parse path: framing, parsers, assembly, the
// store and the AIS chain.
//
// Every input gets a stack of its own, stamped by a clock that never moves,
// so a crash depends on the input alone and replays from it: state carried
// from line to line (fragment rings, the store, the target table) is
// exercised by the lines of one input.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "store/local_clock.h"
#include "store/nmea_stack.h"

namespace {

class FixedClock final : public store::LocalClock {
 public:
  store::LocalDateTime LocalNow() override { return {2026, 3, 14, 12, 0, 0, 0}; }
  std::uint32_t Seconds() override { return 1773489600; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FixedClock clock;
  const auto stack = std::make_unique<store::NmeaStack>(&clock);
  nmea::SentenceRecord record{};
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string line;
  while (!input.empty()) {
    const std::size_t end = input.find('\n');
    line.assign(input.substr(0, end));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line += "\r\n";
    stack->library.ParseSentence(line, record);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  }
  return 0;
}
