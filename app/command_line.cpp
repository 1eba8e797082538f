#include "app/command_line.h"

namespace app {

CommandLine ParseCommandLine(const std::vector<std::string>& arguments, bool strict) {
  CommandLine line;
  const auto fail = [&line](std::string error) {
    line.action = CommandLine::Action::UsageError;
    line.error = std::move(error);
    return line;
  };
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == "-h" || a == "--help") {
      line.action = CommandLine::Action::Help;
      return line;
    }
    if (a == "-V" || a == "--version") {
      line.action = CommandLine::Action::Version;
      return line;
    }
    if (a == "--bin" || a.rfind("--bin=", 0) == 0) {
      std::string folder;
      if (a == "--bin") {
        if (i + 1 == arguments.size()) return fail("--bin needs a folder");
        folder = arguments[++i];
      } else {
        folder = a.substr(6);
      }
      if (folder.empty()) return fail("--bin needs a folder");
      line.binFolder = folder;
      continue;
    }
    if (strict) {
      return fail(a.rfind('-', 0) == 0 ? "unknown option " + a : "unexpected argument " + a);
    }
  }
  return line;
}

std::string HelpText(std::string_view program) {
  std::string text =
      "aisfw-gui: the firmware upgrade wizard for AIS Class A transponders. A window that\n"
      "finds the transponder on a serial port, shows its firmware version beside the new\n"
      "one, and sends the kernel and the application block by block.\n"
      "Usage: ";
  text += program;
  text +=
      " [OPTIONS]\n"
      "\n"
      "Options:\n"
      "  -h,--help                   Print this help message and exit\n"
      "  -V,--version                Display program version information and exit\n"
      "  --bin DIR                   Folder with the firmware images (App_700.SBIN ...) and\n"
      "                              their catalogue Firmware.csv, for this run. Without it:\n"
      "                              the folder last chosen in the window, else the first\n"
      "                              folder with a catalogue of: Bin/ beside the program,\n"
      "                              share/aisfw/Bin under the installation prefix, Bin/ in\n"
      "                              the current folder\n"
      "\n"
      "The toolkit's own options (-platform NAME, -style NAME, ...) are taken as well.\n"
      "Exit codes: 0 when the window was closed, 1 for a usage error.\n";
  return text;
}

std::string VersionText() { return std::string("aisfw-gui ") + AISFW_VERSION + "\n"; }

}  // namespace app
