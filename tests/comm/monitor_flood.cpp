// `aisfw monitor` against a device that sends no line end: for S seconds
// the far end of a pseudo-terminal writes 'x' as fast as the monitor reads,
// then a line end and one sentence. Prints how much was sent, the monitor's
// peak resident memory, and whether the sentence after the flood was
// decoded. Exit status 1 when the peak reaches 32 MB or the sentence was lost.
//
//   monitor_flood [--seconds S] [--programs DIR]

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/process/child_process.h"

namespace {

using test_process::ChildProcess;
using namespace std::chrono_literals;

constexpr long kLimitKb = 32 * 1024;
constexpr const char* kAfter = "$GPTXT,01,01,02,after the flood*";

std::string WithChecksum(const std::string& sentence) {
  unsigned sum = 0;
  for (std::size_t i = 1; i < sentence.size() && sentence[i] != '*'; ++i) {
    sum ^= static_cast<unsigned char>(sentence[i]);
  }
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02X", sum);
  return sentence + digits + "\r\n";
}

// Writes all of `bytes`, waiting while the reader is behind; false on an error.
bool WriteAll(int fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    pollfd p{fd, POLLOUT, 0};
    if (poll(&p, 1, 5000) <= 0) return false;
    const ssize_t n = write(fd, bytes, size);
    if (n < 0 && errno == EAGAIN) continue;
    if (n <= 0) return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 30;
  std::string programs = AISFW_PROGRAM_DIR;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--programs") == 0) programs = argv[i + 1];
  }

  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::perror("monitor_flood: pseudo-terminal");
    return 2;
  }
  const std::string slave = ptsname(master);
  // Hold the slave open, raw, as a device's side does: no echo, and no
  // hang-up between the monitor's opening and closing it.
  const int held = open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios raw{};
  if (held < 0 || tcgetattr(held, &raw) != 0) {
    std::perror("monitor_flood: slave");
    return 2;
  }
  cfmakeraw(&raw);
  tcsetattr(held, TCSANOW, &raw);

  const std::string listen = std::to_string(seconds + 10);
  ChildProcess monitor({programs + "/aisfw", "monitor", "--port", slave, "--seconds", listen});
  if (!monitor.ReadUntil([&] { return monitor.Err().find("Listening") != std::string::npos; },
                         10s)) {
    std::fprintf(stderr, "monitor_flood: aisfw monitor did not start: %s\n", monitor.Err().c_str());
    return 2;
  }

  const std::vector<char> chunk(64 * 1024, 'x');
  unsigned long long sent = 0;
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (!WriteAll(master, chunk.data(), chunk.size())) break;
    sent += chunk.size();
    monitor.ReadUntil([] { return false; }, 0ms);  // keep its output pipes drained
  }
  const double took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::string after = "\r\n" + WithChecksum(kAfter);
  WriteAll(master, after.data(), after.size());
  const bool decoded = monitor.OutContains("after the flood", 20s);
  monitor.Signal(SIGINT);
  const auto status = monitor.Wait(20s);
  close(held);
  close(master);

  const long peakKb = monitor.Usage().ru_maxrss;
  std::printf("sent %.1f MB without a line end in %.1f s (%.1f MB/s)\n", sent / 1e6, took,
              sent / 1e6 / took);
  std::printf("aisfw monitor: peak resident %.1f MB (limit 32 MB), exit %d\n", peakKb / 1024.0,
              status ? *status : -1);
  std::printf("the sentence after the flood: %s\n", decoded ? "decoded" : "LOST");
  return decoded && peakKb < kLimitKb ? 0 : 1;
}
