#include "nmea/framing.h"

#include <cstring>

namespace nmea {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool VerifyChecksum(const char* sentence) {
  return VerifyChecksum(sentence, std::strlen(sentence));
}

bool VerifyChecksum(const char* sentence, std::size_t length) {
  if (length < 4) return false;

  unsigned sum = 0;
  std::size_t i = 1;
  for (; sentence[i] != '*'; ++i) {
    // The '*' must leave room for its two digits.
    if (i + 3 > length) return false;
    sum ^= static_cast<unsigned char>(sentence[i]);
  }
  // Only upper-case hexadecimal digits count: a lower-case or other character
  // must not alias a valid digit and let a corrupted line through.
  const int high = HexDigit(sentence[i + 1]);
  if (high < 0) return false;  // also stops at a NUL before reading past it
  const int low = HexDigit(sentence[i + 2]);
  if (low < 0) return false;
  return static_cast<unsigned>(high * 16 + low) == sum;
}

bool AppendChecksum(std::span<char> buffer) {
  if (buffer.empty()) return false;
  const char* text = buffer.data();
  const std::size_t length = strnlen(text, buffer.size());
  if (length == buffer.size() || length < 1 || length + 6 > buffer.size()) return false;

  unsigned sum = 0;
  for (std::size_t i = 1; i < length; ++i) sum ^= static_cast<unsigned char>(text[i]);

  static constexpr char kHex[] = "0123456789ABCDEF";
  char* tail = buffer.data() + length;
  tail[0] = '*';
  tail[1] = kHex[(sum >> 4) & 0xF];
  tail[2] = kHex[sum & 0xF];
  tail[3] = '\r';
  tail[4] = '\n';
  tail[5] = '\0';
  return true;
}

}  // namespace nmea
