#pragma once
// aisfw-sim as a child process: started with the given options, its port
// read from the first line it prints, stopped (or found ended) at the end.

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace gui_test {

class SimProcess {
 public:
  explicit SimProcess(std::vector<std::string> args) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    args.insert(args.begin(), AISFW_SIM_PROGRAM);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, AISFW_SIM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::FILE* output = fdopen(out[0], "r");
    if (output == nullptr) return;
    char line[256] = {};
    if (std::fgets(line, sizeof line, output) != nullptr) {
      const std::string text(line);
      const std::string prefix = "port: ";
      if (text.rfind(prefix, 0) == 0)
        port_ = text.substr(prefix.size(), text.find('\n') - prefix.size());
    }
    std::fclose(output);
  }
  ~SimProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // The path of its serial end; empty when it did not start.
  const std::string& Port() const { return port_; }

 private:
  pid_t pid_ = -1;
  std::string port_;
};

}  // namespace gui_test
