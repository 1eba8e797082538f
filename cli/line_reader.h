#pragma once
// Reading NMEA lines from files and pipes, in bounded lines. Files on disk
// end their lines in LF or CR LF, and the last line may have no end at all;
// the sentence library wants CR LF, so every line comes back ending in
// exactly that. A line longer than kMaxFileLine bytes is no sentence, however
// long its metadata: it is refused whole (its bytes are skipped up to its LF,
// never kept), so a file without a single line end costs no more memory
// than a short one, and the lines after it are read as usual.

#include <cstddef>
#include <cstdio>
#include <functional>
#include <istream>
#include <string>

namespace cli {

// The longest line taken, CR included, LF not: a sentence has at most 82
// characters, and a receiver's metadata after the checksum a few dozen.
inline constexpr std::size_t kMaxFileLine = 1024;

enum class LineRead { Line, TooLong, End };

// The scan shared by the readers below: `next()` gives the next byte or EOF.
// On Line, `line` holds the line with CR LF; on TooLong it is empty.
template <typename NextByte>
LineRead ReadBoundedLine(NextByte next, std::string& line, std::size_t limit = kMaxFileLine) {
  line.clear();
  bool any = false;
  bool tooLong = false;
  for (int c = next(); c != EOF; c = next()) {
    any = true;
    if (c == '\n') break;
    if (tooLong) continue;
    if (line.size() == limit) {
      tooLong = true;
      line.clear();
      line.shrink_to_fit();
      continue;
    }
    line += static_cast<char>(c);
  }
  if (!any) return LineRead::End;
  if (tooLong) return LineRead::TooLong;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  line += "\r\n";
  return LineRead::Line;
}

// The lines of a C stream, numbered from 1.
class LineReader {
 public:
  explicit LineReader(std::FILE* in, std::size_t limit = kMaxFileLine) : in_(in), limit_(limit) {}

  // Reads the next line; false at the end of the input or at a read error.
  bool Next();
  // The line with CR LF; empty for a line refused as too long.
  const std::string& Line() const { return line_; }
  bool TooLong() const { return tooLong_; }
  std::size_t Number() const { return number_; }
  // A read error ended the input.
  bool Failed() const { return std::ferror(in_) != 0; }
  // The system's error number of that read error (0 when unknown).
  int Error() const { return error_; }

 private:
  std::FILE* in_;
  std::size_t limit_;
  std::string line_;
  bool tooLong_ = false;
  std::size_t number_ = 0;
  int error_ = 0;
};

// The next line of a C++ stream with its end normalised to CR LF, for tests
// and benchmarks that read the corpus: false at the end. A line refused as
// too long comes back as a bare CR LF, which no sentence is.
inline bool ReadNmeaLine(std::istream& in, std::string& line) {
  std::streambuf* buffer = in.rdbuf();
  // sbumpc gives a byte as a non-negative value, or EOF.
  switch (ReadBoundedLine([buffer] { return buffer->sbumpc(); }, line)) {
    case LineRead::Line:
      return true;
    case LineRead::TooLong:
      line = "\r\n";
      return true;
    case LineRead::End:
      break;
  }
  in.setstate(std::ios::eofbit | std::ios::failbit);
  return false;
}

// Runs `read` on FILE, or on standard input when FILE is empty or "-". A
// file that cannot be opened, or a read error, is reported on standard error
// in the name of `command` and gives exit code 1.
int ReadInput(const std::string& file, const char* command,
              const std::function<void(LineReader&)>& read);

}  // namespace cli
