#pragma once
// Sentence framing: the checksum and the longest sentence.

#include <cstddef>
#include <span>

namespace nmea {

// Longest sentence, line end included, that the library handles, each empty
// field counted as one character (the space parsers read it as); a line
// buffer holds it and a NUL.
inline constexpr std::size_t kMaxExpandedLength = 98;
inline constexpr std::size_t kLineBufferSize = 100;

// Exclusive-or of the characters between the start character and '*',
// compared with the two upper-case hexadecimal digits after '*'.
bool VerifyChecksum(const char* sentence);
// The same for a sentence whose length (strlen) the caller knows.
bool VerifyChecksum(const char* sentence, std::size_t length);

// Appends '*', the checksum as two upper-case hexadecimal digits, CR, LF and
// NUL to the NUL-terminated text in `buffer`. Fails, leaving the text as it
// was, when the result would not fit.
bool AppendChecksum(std::span<char> buffer);

}  // namespace nmea
