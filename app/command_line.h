#pragma once
// aisfw-gui's own options: --bin DIR, --help and --version. Read twice: once
// before the toolkit starts, so that --help and --version work without a
// display (leaving the toolkit's own options alone), and once after it has
// taken its options, when anything left over is a mistake.

#include <string>
#include <string_view>
#include <vector>

namespace app {

struct CommandLine {
  enum class Action { Run, Help, Version, UsageError };
  Action action = Action::Run;
  std::string binFolder;  // empty: not given
  std::string error;      // what is wrong, for UsageError
};

// `arguments` without the program's name. `strict`: an unknown option or a
// stray argument is an error (otherwise it is left for the toolkit).
CommandLine ParseCommandLine(const std::vector<std::string>& arguments, bool strict);

// The texts of --help and --version.
std::string HelpText(std::string_view program);
std::string VersionText();

// Exit codes, as aisfw has them.
inline constexpr int kExitUsage = 1;

}  // namespace app
