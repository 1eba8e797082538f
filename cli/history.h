#pragma once
// The upgrade history: one JSON line per `aisfw upgrade` run, whatever its
// end, in the user's state folder ($XDG_STATE_HOME/aisfw/history.jsonl,
// ~/.local/state/aisfw/ by default), so a technician can tell later which
// device was given which firmware, when, and how it went. `aisfw history`
// shows it.
//
//   {"time":"2024-05-01T12:34:56+02:00","port":"/dev/ttyUSB0",
//    "serial":"1234567","running":"V1.0.0","new":"V2.3.2",
//    "outcome":"finished","exit_code":0}
//
// The file is bounded: past kHistoryFileLimit bytes it becomes
// history.jsonl.1 (replacing the one before) and a new file is begun.

#include <CLI/CLI.hpp>
#include <cstdint>
#include <filesystem>
#include <string>

#include "cli/console.h"

namespace cli {

struct UpgradeOptions;

inline constexpr std::uintmax_t kHistoryFileLimit = 1024 * 1024;

struct HistoryEntry {
  std::string time;  // local time, ISO 8601 with the UTC offset
  std::string port;
  std::string serial;   // empty: not read
  std::string running;  // the version the device ran; empty: not read
  std::string offered;  // the version the upgrade installs; empty: not known
  std::string outcome;  // upgrade::OutcomeName
  int exitCode = 0;
};

// The history file for this user: under $XDG_STATE_HOME when it is an
// absolute path, else under $HOME/.local/state.
std::filesystem::path HistoryFile();

// Adds one line to `file`, creating its folder (mode 0700) as needed; false
// with the reason when it could not be written whole.
bool AppendHistory(const std::filesystem::path& file, const HistoryEntry& entry,
                   std::string& error);

// The end of an `aisfw upgrade` run (an `aisfw info` run is no upgrade and
// is not kept): what the run learnt of the device and how it ended (`entry`
// without its time), into the history. A failure to write is said on the
// console and changes nothing else.
void RecordUpgradeRun(const UpgradeOptions& options, HistoryEntry entry, Console& console);

void AddHistoryCommand(CLI::App& app, int& exitCode);

}  // namespace cli
