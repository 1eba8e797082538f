#pragma once
// Reading NMEA lines from files and pipes. Files on disk end their lines in
// LF or CR LF, and the last line may have no end at all; the sentence library
// wants CR LF, so every line comes back ending in exactly that.

#include <functional>
#include <istream>
#include <string>

namespace cli {

// Reads the next line into `line` with its end normalised to CR LF. False
// at the end of the input.
inline bool ReadNmeaLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  line += "\r\n";
  return true;
}

// Runs `read` on FILE, or on standard input when FILE is empty or "-". A
// file that cannot be opened, or a read error, is reported on standard error
// in the name of `command` and gives exit code 1.
int ReadInput(const std::string& file, const char* command,
              const std::function<void(std::istream&)>& read);

}  // namespace cli
