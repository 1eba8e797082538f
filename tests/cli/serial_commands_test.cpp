// The command line's own serial commands from the user's side, in real time
// against the virtual transponder or a pseudo-terminal of the test's own:
// signals in the middle of a transfer, who holds a port (as another user,
// after the locking process has gone, under a name that is no UTF-8), the
// line settings a port is given back with, a line at the wrong rate, and
// the upgrade history.

#include <fcntl.h>
#include <fmt/core.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "tests/cli/simulator_rig.h"

namespace cli_test {
namespace {

using Json = nlohmann::json;

constexpr auto kRunLimit = 90s;

std::vector<Json> JsonLines(const std::string& text) {
  std::vector<Json> objects;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    Json object = Json::parse(line, nullptr, false);
    EXPECT_FALSE(object.is_discarded()) << "not JSON: " << line;
    if (!object.is_discarded()) objects.push_back(std::move(object));
  }
  return objects;
}

bool PortLeftExclusive(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return true;
  int exclusive = 0;
  ioctl(fd, TIOCGEXCL, &exclusive);
  close(fd);
  return exclusive != 0;
}

// A process that holds `path` open as a program left running would, named
// `name`, until the test ends it. With `stale`, the process that opened and
// locked the port exits and leaves it to a child of its own, so the lock
// names a process that is gone.
class Holder {
 public:
  Holder(const std::string& path, const std::string& name, bool stale = false) {
    int ready[2];
    if (pipe(ready) != 0) throw std::runtime_error("pipe");
    const pid_t first = fork();
    if (first == 0) {
      const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
      if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) _exit(1);
      pid_t keeper = getpid();
      if (stale) {
        keeper = fork();
        if (keeper < 0) _exit(1);
        if (keeper > 0) {
          if (write(ready[1], &keeper, sizeof keeper) != sizeof keeper) _exit(1);
          _exit(0);  // the locking process goes; its child keeps the port
        }
      }
      prctl(PR_SET_NAME, name.c_str());
      if (!stale && write(ready[1], &keeper, sizeof keeper) != sizeof keeper) _exit(1);
      for (;;) pause();
    }
    close(ready[1]);
    if (read(ready[0], &pid_, sizeof pid_) != sizeof pid_) pid_ = -1;
    close(ready[0]);
    if (stale) waitpid(first, nullptr, 0);
  }
  ~Holder() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);  // ours unless stale (then init reaps it)
    }
  }
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

using SerialCommands = SimulatorRig;

// SIGTERM (a service manager, kill) and SIGHUP (the terminal or the ssh
// session went away) in the middle of a transfer stop the run as Ctrl-C
// does: port and image closed, where the device was left said, and the
// exit code a shell gives for the signal.
TEST_F(SerialCommands, SignalsMidTransferStopCleanlyAndSayWhereTheDeviceWasLeft) {
  for (const auto& [signal, code] : {std::pair{SIGTERM, 143}, std::pair{SIGHUP, 129}}) {
    StartSimulator();
    auto run = Aisfw({"upgrade", "--port", simulator_->Port(), "--yes", "--bin", BinFolder()});
    ASSERT_TRUE(run->OutContains("block  2/", 60s)) << run->Out() << run->Err();
    run->Signal(signal);
    EXPECT_EQ(run->Wait(10s), code) << run->Out() << run->Err();
    const std::string& err = run->Err();
    EXPECT_NE(err.find("Stopped; the port and the image are closed. The device was left "),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("Next: "), std::string::npos) << err;
    EXPECT_FALSE(PortLeftExclusive(simulator_->Port())) << "the port was closed";
    simulator_.reset();
  }
}

// Started with SIGHUP ignored (nohup), the run keeps it ignored.
TEST_F(SerialCommands, AnUpgradeUnderNohupOutlivesTheHangUp) {
  StartSimulator();
  ChildProcess run({"/usr/bin/nohup", kAisfw, "upgrade", "--port", simulator_->Port(), "--yes",
                    "--bin", BinFolder()});
  ASSERT_TRUE(run.OutContains("block  2/", 60s)) << run.Out() << run.Err();
  run.Signal(SIGHUP);
  EXPECT_EQ(run.Wait(kRunLimit), 0) << run.Out() << run.Err();
  EXPECT_EQ(Received("application.bin"), Image(702));
}

// An ordinary user cannot see which files root's processes hold: doctor
// must not tell them that no other program holds the port.
TEST_F(SerialCommands, DoctorAsAnotherUserWarnsThatItCouldNotLookEverywhere) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to run doctor as another user";
  StartSimulator();
  // This test (root) holds the port, as a root service would.
  const int fd = open(simulator_->Port().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  ChildProcess doctor({kAisfw, "doctor", "--port", simulator_->Port()}, ChildProcess::Mode::Pipes,
                      "/", 65534);
  doctor.Wait(20s);
  const std::string& out = doctor.Out();
  EXPECT_NE(out.find("  WARN  no program of yours holds it; other users' processes could not be "
                     "checked\n        fix: run sudo aisfw doctor to check them too"),
            std::string::npos)
      << out << doctor.Err();
  EXPECT_EQ(out.find("no other program holds it"), std::string::npos) << out;
  EXPECT_EQ(out.find("All checks passed"), std::string::npos) << out;
  close(fd);
}

// The process that locked the port has gone and its child keeps it: every
// command names the child, none the process that is gone.
TEST_F(SerialCommands, EveryCommandNamesTheLiveHolder) {
  StartSimulator();
  const Holder holder(simulator_->Port(), "keeper", /*stale=*/true);
  ASSERT_GT(holder.Pid(), 0);
  const std::string named = fmt::format("keeper (pid {})", holder.Pid());

  auto monitor = Aisfw({"monitor", "--port", simulator_->Port(), "--seconds", "1"});
  EXPECT_EQ(monitor->Wait(20s), 2);
  EXPECT_NE(monitor->Err().find("is busy: it is held by " + named), std::string::npos)
      << monitor->Err();
  auto doctor = Aisfw({"doctor", "--port", simulator_->Port()});
  EXPECT_EQ(doctor->Wait(20s), 2);
  EXPECT_NE(doctor->Out().find("held by " + named), std::string::npos) << doctor->Out();
  auto upgrade = Aisfw({"upgrade", "--port", simulator_->Port(), "--yes", "--bin", BinFolder()});
  EXPECT_EQ(upgrade->Wait(kRunLimit), 2);
  EXPECT_NE(upgrade->Err().find("is in use by " + named), std::string::npos) << upgrade->Err();
  EXPECT_EQ(upgrade->Err().find("unknown (pid"), std::string::npos) << upgrade->Err();
  EXPECT_FALSE(ReceivedAny());
}

// A process name is any bytes: the JSON report stays whole and valid.
TEST_F(SerialCommands, DoctorJsonIsWholeWhenAProcessNameIsNoUtf8) {
  StartSimulator();
  const Holder holder(simulator_->Port(), "bad\xff\xfe\x1b[2J");
  ASSERT_GT(holder.Pid(), 0);
  auto run = Aisfw({"doctor", "--json", "--port", simulator_->Port()});
  EXPECT_EQ(run->Wait(20s), 2) << run->Err();
  const std::vector<Json> checks = JsonLines(run->Out());
  ASSERT_EQ(checks.size(), 4u) << run->Out() << run->Err();
  EXPECT_EQ(checks[2]["check"], "free");
  EXPECT_EQ(checks[2]["detail"],
            fmt::format("held by bad\xef\xbf\xbd\xef\xbf\xbd\x1b[2J (pid {})", holder.Pid()));
  EXPECT_EQ(run->Out().find('\x1b'), std::string::npos) << "escaped in JSON";
  EXPECT_EQ(checks[3]["check"], "modem-manager");

  auto text = Aisfw({"doctor", "--port", simulator_->Port()});
  text->Wait(20s);
  EXPECT_EQ(text->Out().find('\x1b'), std::string::npos) << text->Out();
  EXPECT_NE(text->Out().find("held by bad\\xff\\xfe\\x1b[2J"), std::string::npos) << text->Out();
}

// A port is given back with the settings it had: another program, or a
// console, relies on them (stty -g reads the same before and after).
TEST_F(SerialCommands, APortIsClosedWithTheLineSettingsItHadWhenOpened) {
  int master = -1;
  int slave = -1;
  char name[256];
  ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
  termios found{};
  ASSERT_EQ(tcgetattr(slave, &found), 0);
  // Cooked, with echo, at 4800 baud: nothing like what the tool sets.
  found.c_lflag |= ICANON | ECHO | ISIG;
  found.c_iflag |= ICRNL | IXON;
  found.c_oflag |= OPOST | ONLCR;
  cfsetspeed(&found, B4800);
  ASSERT_EQ(tcsetattr(slave, TCSANOW, &found), 0);
  ASSERT_EQ(tcgetattr(slave, &found), 0);

  auto run = Aisfw({"monitor", "--port", name, "--baud", "115200", "--seconds", "0.5"});
  EXPECT_EQ(run->Wait(20s), 0) << run->Err();
  termios after{};
  ASSERT_EQ(tcgetattr(slave, &after), 0);
  EXPECT_EQ(after.c_iflag, found.c_iflag);
  EXPECT_EQ(after.c_oflag, found.c_oflag);
  EXPECT_EQ(after.c_cflag, found.c_cflag);
  EXPECT_EQ(after.c_lflag, found.c_lflag);
  EXPECT_EQ(cfgetospeed(&after), static_cast<speed_t>(B4800));
  close(slave);
  close(master);
}

// At the wrong rate the line is garbage: the monitor says so and points to
// --baud auto, which finds the device's rate and decodes from there on.
TEST_F(SerialCommands, MonitorTellsAGarbledLineAndFindsTheRateWithBaudAuto) {
  StartSimulator({"--baud", "38400"});
  auto wrong = Aisfw({"monitor", "--port", simulator_->Port(), "--seconds", "3"});
  EXPECT_EQ(wrong->Wait(20s), 0) << wrong->Err();
  EXPECT_NE(wrong->Err().find("The line looks garbled at 115200 baud"), std::string::npos)
      << wrong->Err();
  EXPECT_NE(wrong->Err().find("try --baud auto"), std::string::npos) << wrong->Err();
  for (const Json& line : JsonLines(wrong->Out())) EXPECT_EQ(line["ok"], false) << line;

  auto automatic =
      Aisfw({"monitor", "--port", simulator_->Port(), "--baud", "auto", "--seconds", "9"});
  EXPECT_EQ(automatic->Wait(30s), 0) << automatic->Err();
  const std::string& err = automatic->Err();
  for (const char* rate : {": 115200 baud", ": 57600 baud", ": 38400 baud"}) {
    EXPECT_NE(err.find(rate), std::string::npos) << rate << "\n" << err;
  }
  EXPECT_EQ(err.find(": 19200 baud"), std::string::npos) << "it stops at the rate found";
  EXPECT_NE(err.find("Listening on " + simulator_->Port() + " at 38400 baud"), std::string::npos)
      << err;
  EXPECT_EQ(err.find("garbled"), std::string::npos) << err;
  const std::vector<Json> lines = JsonLines(automatic->Out());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front()["line"], 1) << "lines are numbered from the rate found";
  int sentences = 0;
  for (const Json& line : lines) sentences += line["ok"] == true;
  EXPECT_GE(sentences, 5);
}

// Each upgrade run is kept, however it ends, and shown with what came from
// the device escaped.
TEST_F(SerialCommands, HistoryKeepsEveryUpgradeRun) {
  const fs::path state = folder_ / "state";
  ASSERT_EQ(setenv("XDG_STATE_HOME", state.c_str(), 1), 0);
  StartSimulator({"--serial", "SN\x1b[2J7"});
  auto done = Aisfw({"upgrade", "--port", simulator_->Port(), "--yes", "--bin", BinFolder()});
  ASSERT_EQ(done->Wait(kRunLimit), 0) << done->Err();
  auto declined = Aisfw({"upgrade", "--port", simulator_->Port(), "--bin", BinFolder()});
  ASSERT_EQ(declined->Wait(kRunLimit), 7) << declined->Err();
  auto info = Aisfw({"info", "--port", simulator_->Port(), "--bin", BinFolder()});
  ASSERT_EQ(info->Wait(kRunLimit), 0) << "info is no upgrade and is not kept";

  auto json = Aisfw({"history", "--json"});
  ASSERT_EQ(json->Wait(10s), 0) << json->Err();
  const std::vector<Json> runs = JsonLines(json->Out());
  ASSERT_EQ(runs.size(), 2u) << json->Out();
  EXPECT_EQ(runs[0]["port"], simulator_->Port());
  EXPECT_EQ(runs[0]["serial"], "SN\x1b[2J7");
  EXPECT_EQ(runs[0]["running"], "V1.0.0");
  EXPECT_EQ(runs[0]["new"], TestVersion(702));
  EXPECT_EQ(runs[0]["outcome"], "finished");
  EXPECT_EQ(runs[0]["exit_code"], 0);
  EXPECT_EQ(runs[1]["outcome"], "not-confirmed") << "no terminal and no --yes: nobody declined";
  EXPECT_EQ(runs[1]["exit_code"], 7);
  EXPECT_TRUE(std::regex_match(runs[0]["time"].get<std::string>(),
                               std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)")))
      << runs[0]["time"];
  EXPECT_TRUE(fs::exists(state / "aisfw/history.jsonl"));

  auto text = Aisfw({"history"});
  ASSERT_EQ(text->Wait(10s), 0);
  EXPECT_EQ(text->Out().find('\x1b'), std::string::npos) << text->Out();
  EXPECT_NE(text->Out().find(simulator_->Port() + "  serial SN\\x1b[2J7  V1.0.0 -> " +
                             TestVersion(702) + "  finished\n"),
            std::string::npos)
      << text->Out();
  auto last = Aisfw({"history", "-n", "1", "--json"});
  last->Wait(10s);
  ASSERT_EQ(JsonLines(last->Out()).size(), 1u);
  EXPECT_EQ(JsonLines(last->Out())[0]["outcome"], "not-confirmed");
}

}  // namespace
}  // namespace cli_test
