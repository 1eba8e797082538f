#pragma once
// Test helper: runs the built aisfw and collects its standard output, one
// JSON object per line where the output is JSON.

#include <sys/wait.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

using json = nlohmann::ordered_json;  // keeps the key order of the output

struct Output {
  int exitCode = -1;
  std::vector<json> objects;  // one per stdout line
  std::string out;
};

// Runs `aisfw <arguments>` through the shell; stderr is dropped, or joins
// stdout when `withErrors` is set.
inline Output Aisfw(const std::string& arguments, bool withErrors = false) {
  const std::string command = std::string(AISFW_PROGRAM_DIR) + "/aisfw " + arguments +
                              (withErrors ? " 2>&1" : " 2>/dev/null");
  Output run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::istringstream lines(run.out);
  std::string line;
  while (std::getline(lines, line)) {
    json object = json::parse(line, nullptr, false);
    if (!object.is_discarded()) run.objects.push_back(std::move(object));
  }
  return run;
}
