// libFuzzer entry: any bytes as a kernel device event from the hot-plug
// socket. The check must read no byte outside the message and say "a tty
// came or went" exactly when, among its NUL-separated fields, one reads
// SUBSYSTEM=tty and one ACTION=add or ACTION=remove.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "comm/hotplug_monitor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A copy of exactly the message's bytes, so that a read past its end is
  // seen by the address sanitizer.
  const std::vector<char> message(data, data + size);
  const bool said = comm::IsTtyAddOrRemove(message.data(), message.size());

  bool tty = false;
  bool addOrRemove = false;
  const std::string_view text(message.data(), message.size());
  for (std::size_t at = 0; at <= text.size();) {
    std::size_t end = text.find('\0', at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view field = text.substr(at, end - at);
    tty = tty || field == "SUBSYSTEM=tty";
    addOrRemove = addOrRemove || field == "ACTION=add" || field == "ACTION=remove";
    at = end + 1;
  }
  if (said != (tty && addOrRemove)) {
    std::fprintf(stderr, "the event check says %s\n", said ? "yes" : "no");
    std::abort();
  }
  return 0;
}
