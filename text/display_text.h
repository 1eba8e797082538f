#pragma once
// Text that came from outside the program (a device's firmware text or
// serial number, a line it sent, a file, a process name, a port's product
// string) before a person reads it on a terminal, in a label or in a log.
// A terminal acts on control characters: an escape sequence from a device
// could retitle or clear it, or paint a line the program never printed. So
// every control character, and every byte that is not part of valid UTF-8,
// is shown as an escape (\n, \r, \t, \xNN); printable text, multi-byte
// characters included, is kept as it is.

#include <string>
#include <string_view>

namespace text {

std::string DisplayText(std::string_view raw);

// True when DisplayText would change nothing.
bool IsDisplayable(std::string_view raw);

}  // namespace text
