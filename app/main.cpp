// aisfw-gui: the firmware upgrade wizard.

#include <cstdio>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/command_line.h"
#include "app/form1.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  return arguments;
}

// Help, version and usage errors end the program here; -1 when it goes on.
int Answer(const app::CommandLine& line, const char* program) {
  switch (line.action) {
    case app::CommandLine::Action::Help:
      std::fputs(app::HelpText(program).c_str(), stdout);
      return 0;
    case app::CommandLine::Action::Version:
      std::fputs(app::VersionText().c_str(), stdout);
      return 0;
    case app::CommandLine::Action::UsageError:
      std::fprintf(stderr, "aisfw-gui: %s (aisfw-gui --help lists the options)\n",
                   line.error.c_str());
      return app::kExitUsage;
    case app::CommandLine::Action::Run:
      break;
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  // Before the toolkit: --help and --version need no display.
  if (const int code = Answer(app::ParseCommandLine(Arguments(argc, argv), false), argv[0]);
      code >= 0) {
    return code;
  }
  app::Application application(argc, argv);
  // The toolkit has taken its own options; what is left must be ours.
  const app::CommandLine line = app::ParseCommandLine(Arguments(argc, argv), true);
  if (const int code = Answer(line, argv[0]); code >= 0) return code;

  app::FormSetup setup;
  setup.folders.BinFolder = line.binFolder;
  int status = 0;
  {
    app::TForm1 form(std::move(setup));
    form.show();
    status = app::Application::exec();
  }
  return status;
}
