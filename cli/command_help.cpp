#include "cli/command_help.h"

#include <fmt/core.h>

#include <vector>

namespace cli {
namespace {

// The column where option and command descriptions start.
constexpr std::size_t kDescriptionColumn = 30;
// Exit-code rows: "  130  meaning", the meaning from column 7.
constexpr std::size_t kCodeColumn = 7;

// An option's name and type, broken after a comma of a long list of values
// ("--baud RATE:{110,300,...}") so that it stays within the width.
std::string BreakAtCommas(const std::string& name) {
  constexpr std::size_t kContinuation = 6;
  std::string out;
  std::size_t column = 2;
  std::size_t piece = 0;
  while (piece < name.size()) {
    std::size_t end = name.find(',', piece);
    end = end == std::string::npos ? name.size() : end + 1;
    const std::size_t length = end - piece;
    if (column + length > kHelpWidth && column > kContinuation) {
      out += '\n';
      out.append(kContinuation - 2, ' ');
      column = kContinuation;
    }
    out.append(name, piece, length);
    column += length;
    piece = end;
  }
  return out;
}

class HelpFormatter final : public CLI::Formatter {
 public:
  HelpFormatter() { column_width(kDescriptionColumn); }

  std::string make_option(const CLI::Option* opt, bool positional) const override {
    return Entry(make_option_name(opt, positional) + make_option_opts(opt), make_option_desc(opt));
  }
  std::string make_subcommand(const CLI::App* sub) const override {
    return Entry(sub->get_display_name(true), sub->get_description());
  }
  // A program's description is prose: its lines are joined and wrapped
  // again, a blank line still parting paragraphs.
  std::string make_description(const CLI::App* app) const override {
    std::string text = CLI::Formatter::make_description(app);
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
      const bool paragraph =
          at + 1 >= text.size() || text[at + 1] == '\n' || (at > 0 && text[at - 1] == '\n');
      if (!paragraph) text[at] = ' ';
    }
    return text.empty() ? text : WrapText(text, 0, 0);
  }

 private:
  // "  name   description", the description wrapped under its column, or
  // starting on the next line when the name reaches the column.
  static std::string Entry(const std::string& name, const std::string& description) {
    std::string out = "  " + BreakAtCommas(name);
    if (description.empty()) return out + "\n";
    const std::size_t lastLine = out.size() - (out.rfind('\n') + 1);
    if (out.find('\n') != std::string::npos || lastLine + 1 > kDescriptionColumn) {
      out += "\n";
      out.append(kDescriptionColumn, ' ');
    } else {
      out.append(kDescriptionColumn - lastLine, ' ');
    }
    return out + WrapText(description, kDescriptionColumn, kDescriptionColumn) + "\n";
  }
};

}  // namespace

std::string WrapText(std::string_view text, std::size_t first, std::size_t indent,
                     std::size_t width) {
  std::string out;
  std::size_t lineStart = 0;
  for (bool firstLine = true; lineStart <= text.size(); firstLine = false) {
    std::size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    const std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    if (!firstLine) {
      out += '\n';
      if (!line.empty()) out.append(indent, ' ');
    }
    // Kept as it stands: the line's indentation and, in an indented
    // "term  text" row, the term and the blanks after it, so that wrapped
    // text lines up under the row's own text.
    std::size_t kept = line.find_first_not_of(' ');
    if (kept == std::string_view::npos) kept = line.size();
    if (kept > 0) {
      const std::size_t gap = line.find("  ", kept);
      if (gap != std::string_view::npos) {
        const std::size_t after = line.find_first_not_of(' ', gap);
        // Only while enough of the line is left for the text.
        if (after != std::string_view::npos && indent + after + 24 <= width) kept = after;
      }
    }
    out.append(line.substr(0, kept));
    const std::size_t hang = indent + kept;
    std::size_t column = (firstLine ? first : indent) + kept;
    bool wordOnLine = false;
    for (std::size_t at = kept; at < line.size();) {
      if (line[at] == ' ') {
        ++at;
        continue;
      }
      std::size_t end = line.find(' ', at);
      if (end == std::string_view::npos) end = line.size();
      const std::size_t word = end - at;
      if (wordOnLine && column + 1 + word > width) {
        out += '\n';
        out.append(hang, ' ');
        column = hang;
      } else if (wordOnLine) {
        out += ' ';
        ++column;
      }
      out.append(line.substr(at, word));
      column += word;
      wordOnLine = true;
      at = end;
    }
    lineStart = lineEnd + 1;
  }
  return out;
}

std::shared_ptr<CLI::Formatter> MakeHelpFormatter() { return std::make_shared<HelpFormatter>(); }

std::string ExitCodeFooter(const std::vector<ExitCodeText>& rows) {
  std::string footer = "Exit codes:";
  for (const ExitCodeText& row : rows) {
    footer += fmt::format("\n{:>5}  ", row.code);
    footer += WrapText(row.meaning, kCodeColumn, kCodeColumn);
  }
  return footer;
}

void SetExitCodes(CLI::App* cmd, const std::vector<ExitCodeText>& rows) {
  cmd->footer(ExitCodeFooter(rows));
}

}  // namespace cli
