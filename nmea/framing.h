#pragma once
// Sentence framing: the checksum and the empty-field expansion.

#include <cstddef>
#include <span>

namespace nmea {

// Longest sentence, line end included, that the library handles after the
// empty-field expansion; a line buffer holds it and a NUL.
inline constexpr std::size_t kMaxExpandedLength = 98;
inline constexpr std::size_t kLineBufferSize = 100;

// Exclusive-or of the characters between the start character and '*',
// compared with the two upper-case hexadecimal digits after '*'.
bool VerifyChecksum(const char* sentence);

// Appends '*', the checksum as two upper-case hexadecimal digits, CR, LF and
// NUL to the NUL-terminated text in `buffer`. Fails, leaving the text as it
// was, when the result would not fit.
bool AppendChecksum(std::span<char> buffer);

// Inserts a single space into every empty field (after a comma followed by
// a comma or '*'), in place. The line buffer must hold kLineBufferSize
// bytes. Fails when the expanded line would reach 99 characters.
bool ExpandEmptyFields(char* line);

}  // namespace nmea
