#pragma once
// The terminal seen by the serial commands: lines on standard output and
// standard error, and on a terminal one status line redrawn in place under
// them. A line printed while the status line is shown takes its place, and
// the status line comes back at its next update; off a terminal there is no
// status line at all, so logs and pipes get plain lines only.

#include <cstdio>
#include <string>
#include <string_view>

namespace cli {

class Console {
 public:
  // `outTerminal`: standard output is a terminal (the status line may be
  // drawn there).
  Console(std::FILE* out, std::FILE* err, bool outTerminal);
  // The process's standard output and error.
  static Console Standard();

  bool Terminal() const { return outTerminal_; }

  void Out(std::string_view line);
  void Err(std::string_view line);
  // Text without a line end on standard error (a question's prompt).
  void Prompt(std::string_view text);
  // Draws the status line (on a terminal; nothing otherwise), cut to the
  // terminal's width so that it never wraps.
  void Live(std::string_view text);
  // Ends the status line where it stands: later output goes below it.
  void KeepLive();

 private:
  void ClearLive();
  int Width() const;

  std::FILE* out_;
  std::FILE* err_;
  bool outTerminal_;
  bool liveShown_ = false;
};

}  // namespace cli
