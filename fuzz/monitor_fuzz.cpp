// libFuzzer entry: the path of `aisfw monitor` off a terminal: bytes from a
// port, split into notifications at arbitrary points (the first byte says
// where), through the line assembly, the sentence stack and the JSON
// output. Each printed line must be one JSON object in valid UTF-8, their
// line numbers must rise and stay within the lines received, and every
// received line the assembly hands over (at most 82 characters once CR and
// NUL are dropped) must have its object.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/console.h"
#include "cli/monitor_command.h"
#include "comm/receive_lines.h"

namespace {

[[noreturn]] void Fault(const char* what, std::string_view line) {
  std::fprintf(stderr, "%s\n  %.*s\n", what, static_cast<int>(line.size()), line.data());
  std::abort();
}

// What the console printed, as text.
std::string Monitor(const std::vector<std::string_view>& notifications) {
  char* text = nullptr;
  std::size_t length = 0;
  std::FILE* out = open_memstream(&text, &length);
  std::FILE* err = std::fopen("/dev/null", "w");
  {
    cli::Console console(out, err, false);
    cli::MonitorReceived(console, notifications);
  }
  std::fclose(err);
  std::fclose(out);
  std::string printed(text, length);
  std::free(text);
  return printed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::size_t chunk = 1 + data[0] % 97;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<std::string_view> notifications;
  for (std::size_t at = 0; at < bytes.size(); at += chunk) {
    notifications.push_back(bytes.substr(at, chunk));
  }
  const std::string output = Monitor(notifications);

  // The received lines, numbered from 1; those the assembly hands over.
  std::size_t lines = 0;
  std::set<std::size_t> handed;
  std::size_t length = 0;
  for (const char c : bytes) {
    if (c == '\n') {
      ++lines;
      if (length <= comm::kMaxLineLength) handed.insert(lines);
      length = 0;
    } else if (c != '\r' && c != '\0') {
      ++length;
    }
  }

  std::istringstream printed(output);
  std::string line;
  std::size_t last = 0;
  while (std::getline(printed, line)) {
    nlohmann::json object;
    try {
      object = nlohmann::json::parse(line);  // refuses invalid UTF-8
    } catch (const nlohmann::json::exception&) {
      Fault("a line that is no JSON in valid UTF-8", line);
    }
    if (!object.is_object()) Fault("a line that is no JSON object", line);
    const std::size_t number = object.value("line", std::size_t{0});
    if (number <= last || number > lines) Fault("a line numbered out of order", line);
    last = number;
    handed.erase(number);
  }
  if (!handed.empty()) Fault("a received line without its object", output);
  return 0;
}
