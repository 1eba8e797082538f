// aisfw-sim as a program: started on its pseudo-terminal, talked to through
// the serial port component as the tool will, and stopped with SIGINT.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "comm/comm.h"
#include "comm/receive_lines.h"
#include "firmware/code_block.h"
#include "firmware/image_writer.h"
#include "sim/faults.h"
#include "sim/host_sentence.h"
#include "tests/process/child_process.h"

namespace sim {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
constexpr auto kDeadline = 20s;

using test_process::ChildProcess;

// The program with these options.
std::vector<std::string> Sim(std::vector<std::string> options) {
  options.insert(options.begin(), AISFW_SIM_PROGRAM);
  return options;
}

// Sends `signal` and waits for the exit; the exit status, or -1.
int Stop(ChildProcess& sim, int signal) {
  sim.Signal(signal);
  return sim.Wait(kDeadline).value_or(-1);
}

// The tool's receive path, recording what arrives.
struct Lines final : comm::ReceiveConsumers {
  void LogReceivedLine(std::string_view line) override { all.emplace_back(line); }
  void OnDeviceLine(const char* line) override {
    const std::string text(line);
    if (text.rfind("$PZLX,R,DBG,104,", 0) == 0) replies.push_back(std::stol(text.substr(16)));
    if (text.rfind("$PZLX,R,DBG,003,", 0) == 0) partReply = std::stoi(text.substr(16));
  }
  void WatchTextLine(const char*) override {}
  bool Seen(const std::string& line) const {
    return std::find(all.begin(), all.end(), line) != all.end();
  }

  std::vector<std::string> all;
  std::vector<long> replies;
  int partReply = 0;
};

TEST(SimProgram, UpgradesAKernelOverItsPseudoTerminalAndStopsOnSigint) {
  const fs::path dir =
      fs::path(::testing::TempDir()) / ("aisfw-simprog-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path link = dir / "ttyAIS";

  ChildProcess sim(Sim({"--quiet", "--out", (dir / "parts").string(), "--link", link.string(),
                        "--countdown-ms", "50", "--programming-ms", "50", "--serial", "5550123"}));
  const std::string first = sim.FirstLine(kDeadline);
  ASSERT_EQ(first.rfind("port: /dev/pts/", 0), 0u) << first;
  ASSERT_EQ(fs::read_symlink(link).string(), first.substr(6));

  comm::LoopDispatcher loop;
  comm::TComm port(loop);
  Lines lines;
  comm::ReceiveLineAssembler assembler(lines);
  port.OnRxChar = [&](comm::TThreadComm& sender, std::uint32_t count) {
    assembler.OnRxChar(sender, count);
  };
  port.SetDeviceName(link.string());
  const auto send = [&](const std::string& bytes) {
    ASSERT_EQ(port.Write(bytes.data(), static_cast<std::int32_t>(bytes.size())),
              static_cast<std::int32_t>(bytes.size()));
  };
  const auto probe = [&] {
    send(FrameSentence("PZLX,C,DBG,700,1,,,,,,"));
    send(FrameSentence("PTST,,,,,00016"));
  };

  // At another speed the device does not understand the probe...
  port.SetBaudRate(comm::br57600);
  port.Open();
  ASSERT_TRUE(port.Connected()) << port.LastOpenError().Message;
  probe();
  loop.RunUntil([] { return false; }, 1s);
  EXPECT_FALSE(lines.Seen("[END OF STATIC DATA]"));
  // ...and at its own it answers with its information block.
  port.SetBaudRate(comm::br115200);
  probe();
  ASSERT_TRUE(loop.RunUntil([&] { return lines.Seen("[DEVICE DATA END]"); }, kDeadline));
  EXPECT_TRUE(lines.Seen("S/N:(5550123)"));

  std::vector<std::uint8_t> code(9 * 256 + 17);
  for (std::size_t i = 0; i < code.size(); ++i) code[i] = static_cast<std::uint8_t>(i * 7 + 3);
  const std::vector<std::uint8_t> image = firmware::PackImage(code);
  const long total = static_cast<long>(image.size() / firmware::kBlockSize);

  send(FrameSentence("PZLX,R,DBG,107,1,,0,,0,,0"));
  ASSERT_TRUE(loop.RunUntil([&] { return lines.partReply == 1; }, kDeadline));
  for (int i = 0; i < 5; ++i)
    send(FrameSentence("PZLX,R,DBG,103," + std::to_string(total) + ",,0,,0,,0"));
  ASSERT_TRUE(loop.RunUntil([&] { return lines.Seen("wait for firmware upgrade"); }, kDeadline));
  for (long block = 1; block <= total; ++block) {
    send(std::string(image.begin() + (block - 1) * 263, image.begin() + block * 263));
    ASSERT_TRUE(loop.RunUntil(
        [&] { return lines.replies.size() == static_cast<std::size_t>(block); }, kDeadline));
    EXPECT_EQ(lines.replies.back(), block == total ? -8889 : block);
  }
  std::uint32_t sum = 0;
  for (std::uint8_t byte : code) sum += byte;
  char text[16];
  std::snprintf(text, sizeof text, "%08X", sum);
  send(FrameSentence(std::string("PTPS,040,") + text));
  ASSERT_TRUE(loop.RunUntil(
      [&] { return lines.replies.size() == static_cast<std::size_t>(total) + 1; }, kDeadline));
  EXPECT_EQ(lines.replies.back(), -8888);

  std::ifstream kernel(dir / "parts" / "kernel.bin", std::ios::binary);
  EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(kernel), {}), image);

  port.Close();
  EXPECT_EQ(Stop(sim, SIGINT), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));  // its link goes with it
  fs::remove_all(dir);
}

TEST(SimProgram, StopsCleanlyOnSigterm) {
  ChildProcess sim(Sim({"--quiet"}));
  ASSERT_EQ(sim.FirstLine(kDeadline).rfind("port: /dev/pts/", 0), 0u);
  EXPECT_EQ(Stop(sim, SIGTERM), 0);
}

TEST(SimProgram, AHangUpLetsItsLastAnswerReachTheHostFirst) {
  ChildProcess sim(Sim({"--quiet", "--fault", "hangup:2", "--countdown-ms", "20"}));
  const std::string first = sim.FirstLine(kDeadline);
  ASSERT_EQ(first.rfind("port: /dev/pts/", 0), 0u) << first;

  comm::LoopDispatcher loop;
  comm::TComm port(loop);
  Lines lines;
  comm::ReceiveLineAssembler assembler(lines);
  std::vector<std::int32_t> errors;
  port.OnRxChar = [&](comm::TThreadComm& sender, std::uint32_t count) {
    assembler.OnRxChar(sender, count);
  };
  port.OnError = [&](comm::TThreadComm&, std::int32_t e) { errors.push_back(e); };
  port.SetBaudRate(comm::br115200);
  port.SetDeviceName(first.substr(6));
  port.Open();
  ASSERT_TRUE(port.Connected()) << port.LastOpenError().Message;
  const auto send = [&](const std::string& bytes) {
    port.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
  };

  std::vector<std::uint8_t> code(4 * 256);
  for (std::size_t i = 0; i < code.size(); ++i) code[i] = static_cast<std::uint8_t>(i * 5 + 1);
  const std::vector<std::uint8_t> image = firmware::PackImage(code);
  send(FrameSentence("PZLX,R,DBG,103,5,,0,,0,,0"));
  ASSERT_TRUE(loop.RunUntil([&] { return lines.Seen("wait for firmware upgrade"); }, kDeadline));
  send(std::string(image.begin(), image.begin() + 263));
  ASSERT_TRUE(loop.RunUntil([&] { return lines.replies.size() == 1; }, kDeadline));
  send(std::string(image.begin() + 263, image.begin() + 526));
  // The answer to block 2 first, then the hang-up.
  ASSERT_TRUE(loop.RunUntil([&] { return !errors.empty(); }, kDeadline));
  EXPECT_EQ(lines.replies, (std::vector<long>{1, 2}));
  EXPECT_TRUE(errors.front() & comm::CE_HANGUP);
  port.Close();
  EXPECT_EQ(sim.Wait(kDeadline).value_or(-1), 0);
}

TEST(SimProgram, AHostThatDiesLeavesNoExclusiveFlagBehind) {
  ChildProcess sim(Sim({"--quiet"}));
  const std::string first = sim.FirstLine(kDeadline);
  ASSERT_EQ(first.rfind("port: /dev/pts/", 0), 0u) << first;
  const std::string path = first.substr(6);

  const auto exclusiveFlag = [&] {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EBUSY ? 1 : -1;  // not root: the flag keeps us out
    int flag = -1;
    ioctl(fd, TIOCGEXCL, &flag);
    close(fd);
    return flag;
  };

  // While the tool holds the port its flag stays (only root gets in to look).
  comm::LoopDispatcher loop;
  comm::TComm tool(loop);
  tool.SetDeviceName(path);
  tool.Open();
  ASSERT_TRUE(tool.Connected()) << tool.LastOpenError().Message;
  EXPECT_EQ(exclusiveFlag(), 1);
  EXPECT_EQ(exclusiveFlag(), 1);
  tool.Close();

  // A tool killed while it held the port: the flag set, never cleared.
  const int killed = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(killed, 0);
  ASSERT_EQ(ioctl(killed, TIOCEXCL), 0);
  close(killed);
  const auto deadline = std::chrono::steady_clock::now() + kDeadline;
  while (exclusiveFlag() != 0 && std::chrono::steady_clock::now() < deadline) usleep(10000);
  EXPECT_EQ(exclusiveFlag(), 0);
  EXPECT_EQ(Stop(sim, SIGTERM), 0);
}

TEST(SimProgram, OutputNobodyReadsIsDroppedNotKeptForTheNextHost) {
  ChildProcess sim(Sim({"--quiet"}));
  const std::string first = sim.FirstLine(kDeadline);
  ASSERT_EQ(first.rfind("port: /dev/pts/", 0), 0u) << first;
  // About six idle sentences go out while nobody has the port open.
  usleep(1500 * 1000);
  const int fd = open(first.substr(6).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  int unread = -1;
  ASSERT_EQ(ioctl(fd, FIONREAD, &unread), 0);
  EXPECT_LT(unread, 70);  // no stale line (at most one fresh one)
  // What comes now is fresh output.
  pollfd arrived{fd, POLLIN, 0};
  EXPECT_EQ(poll(&arrived, 1, 5000), 1);
  close(fd);
  EXPECT_EQ(Stop(sim, SIGTERM), 0);
}

TEST(SimProgram, HelpDocumentsEveryOptionAndFault) {
  std::FILE* help = popen(AISFW_SIM_PROGRAM " --help", "r");
  ASSERT_NE(help, nullptr);
  std::string text;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, help) != nullptr) text += buffer;
  EXPECT_EQ(pclose(help), 0);
  for (const char* option : {"--baud", "--firmware", "--serial", "--class", "--language", "--out",
                             "--link", "--seed", "--quiet", "--fault", "--countdown-ms",
                             "--countdown", "--programming-ms", "--give-up-ms"}) {
    EXPECT_NE(text.find(option), std::string::npos) << option;
  }
  for (const FaultDescription& d : FaultDescriptions()) {
    EXPECT_NE(text.find(d.name), std::string::npos) << d.name;
  }
}

}  // namespace
}  // namespace sim
