// Peak memory of `aisfw decode` and `aisfw targets` on input without a
// single line end: 100 MB (or the megabytes given) from a pipe and from a
// file, with a sentence after it that must still be read. Prints each run's
// peak resident size and fails when one reaches the bound (32 MB): the file
// line reader keeps a bounded line, not the input.
//
//   decode_memory [MEGABYTES]

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr long kBoundKiB = 32 * 1024;
const std::string kAisfw = std::string(AISFW_PROGRAM_DIR) + "/aisfw";
const std::string kSentence = "\n$GPHDT,274.07,T*03\r\n";

// Writes `megabytes` of 'x' and then the sentence to `fd`.
void WriteInput(int fd, long megabytes) {
  const std::string block(1 << 20, 'x');
  for (long i = 0; i < megabytes; ++i) {
    if (write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size())) return;
  }
  [[maybe_unused]] const ssize_t n = write(fd, kSentence.data(), kSentence.size());
}

struct Result {
  long peakKiB = 0;
  std::string out;
  int status = -1;
};

// Runs aisfw with `arguments`, standard input from `input`.
Result Run(const std::vector<std::string>& arguments, int input) {
  int out[2];
  if (pipe(out) != 0) std::exit(2);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(input, STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    std::vector<char*> argv = {const_cast<char*>(kAisfw.c_str())};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  Result result;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) result.out.append(buffer, n);
  close(out[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.peakKiB = usage.ru_maxrss;
  return result;
}

bool Report(const char* what, const Result& r, const char* expected) {
  const bool read = r.out.find(expected) != std::string::npos;
  const bool ok = r.status == 0 && read && r.peakKiB < kBoundKiB;
  std::printf("%-40s peak %6.1f MB  %s\n", what, static_cast<double>(r.peakKiB) / 1024.0,
              ok ? "ok" : (read ? "OVER THE BOUND" : "the sentence after it was not read"));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const long megabytes = argc > 1 ? std::atol(argv[1]) : 100;
  bool ok = true;

  char path[] = "/tmp/aisfw-decode-memory-XXXXXX";
  const int file = mkstemp(path);
  if (file < 0) return 2;
  WriteInput(file, megabytes);
  close(file);
  const int null = open("/dev/null", O_RDONLY);
  const std::string label = std::to_string(megabytes) + " MB without a line end";

  // decode: the long line refused as too long, the sentence after it read.
  ok &= Report(("decode, " + label + ", file").c_str(), Run({"decode", path}, null),
               R"("line":2,"ok":true)");
  int through[2];
  if (pipe(through) != 0) return 2;
  if (fork() == 0) {
    close(through[0]);
    WriteInput(through[1], megabytes);
    _exit(0);
  }
  close(through[1]);
  ok &= Report(("decode, " + label + ", pipe").c_str(), Run({"decode"}, through[0]),
               R"("line":2,"ok":true)");
  close(through[0]);
  wait(nullptr);
  ok &=
      Report(("targets, " + label + ", file").c_str(), Run({"targets", path}, null), "0 stations");
  unlink(path);
  return ok ? 0 : 1;
}
