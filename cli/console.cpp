#include "cli/console.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace cli {
namespace {

// Carriage return, then erase to the end of the line.
constexpr std::string_view kEraseLine = "\r\033[K";

}  // namespace

Console::Console(std::FILE* out, std::FILE* err, bool outTerminal)
    : out_(out), err_(err), outTerminal_(outTerminal) {}

Console Console::Standard() { return Console(stdout, stderr, isatty(STDOUT_FILENO) == 1); }

void Console::ClearLive() {
  if (!liveShown_) return;
  std::fwrite(kEraseLine.data(), 1, kEraseLine.size(), out_);
  std::fflush(out_);
  liveShown_ = false;
}

void Console::Out(std::string_view line) {
  ClearLive();
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
}

void Console::Err(std::string_view line) {
  ClearLive();
  std::fflush(out_);
  std::fwrite(line.data(), 1, line.size(), err_);
  std::fputc('\n', err_);
  std::fflush(err_);
}

void Console::Prompt(std::string_view text) {
  ClearLive();
  std::fwrite(text.data(), 1, text.size(), err_);
  std::fflush(err_);
}

int Console::Width() const {
  winsize size{};
  if (ioctl(fileno(out_), TIOCGWINSZ, &size) == 0 && size.ws_col > 1) return size.ws_col;
  return 80;
}

void Console::Live(std::string_view text) {
  if (!outTerminal_) return;
  // One column short of the width: a full line would wrap on some terminals
  // and the next redraw would start on the wrong line.
  const auto room = static_cast<std::size_t>(Width() - 1);
  if (text.size() > room) text = text.substr(0, room);
  std::fwrite(kEraseLine.data(), 1, kEraseLine.size(), out_);
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fflush(out_);
  liveShown_ = true;
}

void Console::KeepLive() {
  if (!liveShown_) return;
  std::fputc('\n', out_);
  std::fflush(out_);
  liveShown_ = false;
}

}  // namespace cli
