#pragma once
// How every command of `aisfw` lays out its --help: within 80 columns, the
// descriptions wrapped under their column, and each command's exit codes as
// its footer ("Exit codes:" and one row per code), which the manual page's
// EXIT STATUS section is made from.

#include <CLI/CLI.hpp>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

inline constexpr std::size_t kHelpWidth = 80;

// `text` wrapped at word boundaries into lines of at most `width` columns
// (a single word longer than that keeps its own line); the first line
// starts at column `first`, the others are indented to column `indent`.
// Line ends in `text` are kept.
std::string WrapText(std::string_view text, std::size_t first, std::size_t indent,
                     std::size_t width = kHelpWidth);

// The formatter of `aisfw` and its commands (set it on the program before
// adding them: each command takes its parent's).
std::shared_ptr<CLI::Formatter> MakeHelpFormatter();

struct ExitCodeText {
  int code;
  std::string_view meaning;
};

// The "Exit codes:" footer for these rows.
std::string ExitCodeFooter(const std::vector<ExitCodeText>& rows);
void SetExitCodes(CLI::App* cmd, const std::vector<ExitCodeText>& rows);

}  // namespace cli
