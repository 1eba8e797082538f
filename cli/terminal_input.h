#pragma once
// What was typed at the terminal before a question was asked. Keys pressed
// while the device was being found must not answer a question the user
// has not read yet, so the question starts from an empty input. One source
// file per system (terminal_input_posix.cpp).

#include <cstddef>

namespace cli {

// Drops what standard input's terminal holds unread; the number of bytes
// of whole lines dropped (0 when there were none or standard input is no
// terminal).
std::size_t DiscardTypedAhead();

}  // namespace cli
