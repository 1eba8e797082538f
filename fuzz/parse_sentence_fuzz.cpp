// libFuzzer entry: any bytes as one received line, through the whole parse
// path (framing, parsers, assembly and whatever hand-offs the stack wires).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "store/nmea_stack.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One stack for the whole run, as in the program: state carried from line
  // to line (fragment rings, the store) is part of what is tested.
  static store::NmeaStack stack;
  nmea::SentenceRecord record{};
  stack.library.ParseSentence(std::string_view(reinterpret_cast<const char*>(data), size), record);
  return 0;
}
