#include "cli/history.h"

#include <fcntl.h>
#include <fmt/core.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <iostream>
#include <memory>
#include <vector>

#include "cli/command_help.h"
#include "cli/json_line.h"
#include "cli/line_reader.h"
#include "cli/option_checks.h"
#include "cli/upgrade_session.h"
#include "text/display_text.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

// A history line holds a port path and three device texts of at most 80
// bytes each; anything longer is no line this program wrote.
constexpr std::size_t kMaxHistoryLine = 8192;

std::string LocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[40];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
  std::string stamp = text;
  // +0200 -> +02:00
  if (stamp.size() >= 5) stamp.insert(stamp.size() - 2, ":");
  return stamp;
}

Json OrNull(const std::string& text) { return text.empty() ? Json() : Json(text); }

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir != nullptr) {
    return found->pw_dir;
  }
  return {};
}

// Writes `line` whole to the end of `file`; the write counts only once the
// close succeeded.
bool AppendLine(const fs::path& file, const std::string& line, std::string& error) {
  const int fd = open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  std::size_t written = 0;
  while (written < line.size()) {
    const ssize_t n = write(fd, line.data() + written, line.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = std::strerror(n < 0 ? errno : ENOSPC);
      close(fd);
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0) {
    error = std::strerror(errno);
    return false;
  }
  return true;
}

struct Shown {
  std::size_t line = 0;
  Json entry;  // null: the line is no entry
};

// The entries of `file` (the older file first when there is one), at most
// the last `limit` of them (0: all).
std::deque<Shown> ReadHistory(const fs::path& file, std::size_t limit, std::string& error) {
  std::deque<Shown> shown;
  for (const fs::path& path : {fs::path(file.string() + ".1"), file}) {
    struct Closer {
      void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> in(std::fopen(path.c_str(), "rbe"));
    if (!in) {
      if (errno != ENOENT) error = path.string() + ": " + std::strerror(errno);
      continue;
    }
    LineReader reader(in.get(), kMaxHistoryLine);
    while (reader.Next()) {
      Json entry = reader.TooLong() ? Json() : Json::parse(reader.Line(), nullptr, false);
      if (entry.is_discarded() || !entry.is_object()) entry = nullptr;
      shown.push_back({reader.Number(), std::move(entry)});
      if (limit > 0 && shown.size() > limit) shown.pop_front();
    }
    if (reader.Failed()) error = path.string() + ": " + std::strerror(reader.Error());
  }
  return shown;
}

std::string Text(const Json& entry, const char* key) {
  const auto it = entry.find(key);
  if (it == entry.end() || !it->is_string()) return "-";
  return text::DisplayText(it->get<std::string>());
}

void PrintHistory(const std::deque<Shown>& shown, bool json, bool verbose, std::ostream& out) {
  std::size_t unreadable = 0;
  for (const Shown& s : shown) {
    if (s.entry.is_null()) {
      ++unreadable;
      if (verbose && !json) out << fmt::format("(line {} is no history entry)\n", s.line);
      continue;
    }
    if (json) {
      WriteJsonLine(out, s.entry);
      continue;
    }
    std::string time = Text(s.entry, "time");
    if (!verbose && time.size() >= 19) time = time.substr(0, 10) + " " + time.substr(11, 8);
    const auto code = s.entry.find("exit_code");
    std::string line = fmt::format("{}  {}  serial {}  {} -> {}  {}", time, Text(s.entry, "port"),
                                   Text(s.entry, "serial"), Text(s.entry, "running"),
                                   Text(s.entry, "new"), Text(s.entry, "outcome"));
    if (verbose && code != s.entry.end() && code->is_number_integer()) {
      line += fmt::format(" (exit {})", code->get<int>());
    }
    out << line << '\n';
  }
  if (!json && unreadable > 0 && !verbose) {
    out << fmt::format("({} line{} of the history could not be read)\n", unreadable,
                       unreadable == 1 ? "" : "s");
  }
  out.flush();
}

}  // namespace

fs::path HistoryFile() {
  fs::path state;
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg != nullptr && xdg[0] == '/') {
    state = xdg;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    state = fs::path(home) / ".local/state";
  }
  return state / "aisfw" / "history.jsonl";
}

bool AppendHistory(const fs::path& file, const HistoryEntry& entry, std::string& error) {
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  if (ec) {
    error = ec.message();
    return false;
  }
  fs::permissions(file.parent_path(), fs::perms::owner_all, fs::perm_options::replace, ec);
  // Bounded: the full file becomes the older one.
  if (fs::file_size(file, ec) >= kHistoryFileLimit && !ec) {
    fs::rename(file, file.string() + ".1", ec);
  }
  const Json line = {{"time", entry.time},
                     {"port", entry.port},
                     {"serial", OrNull(entry.serial)},
                     {"running", OrNull(entry.running)},
                     {"new", OrNull(entry.offered)},
                     {"outcome", entry.outcome},
                     {"exit_code", entry.exitCode}};
  return AppendLine(file, JsonLine(line) + "\n", error);
}

void RecordUpgradeRun(const UpgradeOptions& options, HistoryEntry entry, Console& console) {
  if (options.mode != UpgradeOptions::Mode::Upgrade) return;
  entry.time = LocalTime();
  if (entry.port.empty()) entry.port = options.port;
  const fs::path file = HistoryFile();
  std::string error = "no home folder to keep it in";
  if (file.empty() || !AppendHistory(file, entry, error)) {
    console.Err(fmt::format("aisfw: the run could not be added to the history {}: {}",
                            text::DisplayText(file.string()), error));
  }
}

void AddHistoryCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "history",
      "Show the upgrades run on this account: time, port, device serial number, the version "
      "it ran and the one offered, and how each run ended");
  struct Options {
    std::size_t last = 20;
    bool json = false;
    bool verbose = false;
  };
  auto opt = std::make_shared<Options>();
  cmd->add_option("-n,--last", opt->last, "Show the last N runs (0: all)")
      ->type_name("N")
      ->check(CountCheck())
      ->capture_default_str();
  cmd->add_flag("--json", opt->json, "One JSON object per run, as kept");
  cmd->add_flag("-v,--verbose", opt->verbose,
                "Full times and exit codes, and lines that are no entry");
  SetExitCodes(cmd, {{0, "the history was shown (an empty one included)"},
                     {1, "usage error, or the history could not be read"}});
  cmd->callback([opt, &exitCode] {
    const fs::path file = HistoryFile();
    if (file.empty()) {
      fmt::print(stderr, "aisfw history: no home folder, so no history\n");
      exitCode = 1;
      return;
    }
    std::string error;
    const std::deque<Shown> shown = ReadHistory(file, opt->last, error);
    if (shown.empty() && error.empty() && !opt->json) {
      std::cout << fmt::format("No upgrade has been recorded yet ({}).\n",
                               text::DisplayText(file.string()));
    }
    PrintHistory(shown, opt->json, opt->verbose, std::cout);
    if (!error.empty()) {
      fmt::print(stderr, "aisfw history: cannot read {}\n", text::DisplayText(error));
      exitCode = 1;
    }
  });
}

}  // namespace cli
