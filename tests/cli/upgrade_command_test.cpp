// aisfw upgrade and aisfw info end to end, in real time, against the
// virtual transponder on a pseudo-terminal: whole upgrades, each way a run
// can fail with its exit code, the question at a terminal, and Ctrl-C.

#include <fcntl.h>
#include <fmt/core.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>

#include "tests/cli/simulator_rig.h"

namespace cli_test {
namespace {

using Json = nlohmann::json;

constexpr auto kRunLimit = 90s;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::uint32_t Blocks(const std::vector<std::uint8_t>& image) {
  return static_cast<std::uint32_t>(image.size() / 263);
}

using UpgradeCommand = SimulatorRig;

TEST_F(UpgradeCommand, ManualUpgradeThroughAStableLinkSendsBothImagesByteForByte) {
  // The port named by a link, as /dev/serial/by-id names an adapter.
  const fs::path link = folder_ / "usb-Virtual_AIS_1234567-if00";
  StartSimulator({"--link", link.string()});
  auto run = Aisfw({"upgrade", "--port", link.string(), "--yes", "--bin", BinFolder()});
  ASSERT_EQ(run->Wait(kRunLimit), 0) << run->Out() << run->Err();

  EXPECT_EQ(Received("kernel.bin"), Image(700));
  EXPECT_EQ(Received("application.bin"), Image(702)) << "languages 1,2,3,5 choose image 702";

  const std::string& out = run->Out();
  EXPECT_NE(out.find("Running firmware:   V1.0.0"), std::string::npos) << out;
  EXPECT_NE(out.find("New firmware:       " + TestVersion(702)), std::string::npos) << out;
  EXPECT_NE(out.find("Do you want to continue? yes (--yes)"), std::string::npos) << out;
  EXPECT_NE(out.find("Kernel Upgrade Finished"), std::string::npos) << out;
  EXPECT_NE(out.find("Firmware upgrade finished.\nPlease restart your AIS device."),
            std::string::npos)
      << out;
  // Off a terminal: plain lines, each part ending on its last block, never a
  // redrawn line.
  EXPECT_EQ(out.find('\r'), std::string::npos);
  EXPECT_EQ(out.find('\033'), std::string::npos);
  const std::uint32_t kernel = Blocks(Image(700));
  const std::uint32_t application = Blocks(Image(702));
  EXPECT_NE(out.find(fmt::format("kernel      100%  block {}/{}", kernel, kernel)),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(fmt::format("application 100%  block {}/{}", application, application)),
            std::string::npos)
      << out;
  EXPECT_TRUE(run->Err().empty()) << "no message box in a clean run: " << run->Err();
}

TEST_F(UpgradeCommand, AutomaticBaudFindsTheDeviceAt9600AndReportsInJsonLines) {
  StartSimulator({"--baud", "9600"});
  auto run = Aisfw({"upgrade", "--port", simulator_->Port(), "--baud", "auto", "--yes", "--json",
                    "--trace", "--bin", BinFolder()});
  ASSERT_EQ(run->Wait(kRunLimit), 0) << run->Out() << run->Err();
  EXPECT_EQ(Received("kernel.bin"), Image(700));
  EXPECT_EQ(Received("application.bin"), Image(702));

  std::vector<Json> events;
  for (const std::string& line : Lines(run->Out())) {
    Json event = Json::parse(line, nullptr, false);
    ASSERT_FALSE(event.is_discarded()) << "not JSON: " << line;
    ASSERT_TRUE(event.contains("event")) << line;
    events.push_back(std::move(event));
  }
  ASSERT_FALSE(events.empty());
  const Json& last = events.back();
  EXPECT_EQ(last["event"], "outcome");
  EXPECT_EQ(last["outcome"], "finished");
  EXPECT_EQ(last["exit_code"], 0);

  std::vector<int> rates;
  const Json* connected = nullptr;
  std::map<std::string, Json> lastProgress;
  for (const Json& e : events) {
    if (e["event"] == "trying") rates.push_back(e["baud"]);
    EXPECT_FALSE(e.contains("control")) << "no widget names: " << e;
    if (e["event"] == "connected") connected = &e;
    if (e["event"] == "progress") lastProgress[e["part"]] = e;
  }
  const std::vector<int> expected = {115200, 57600, 38400, 19200, 9600};
  EXPECT_EQ(rates, expected) << "the rates in the order the scan tries them";
  ASSERT_NE(connected, nullptr);
  EXPECT_EQ((*connected)["baud"], 9600);
  EXPECT_EQ((*connected)["port"], simulator_->Port());
  ASSERT_EQ(lastProgress.size(), 2u);
  EXPECT_EQ(lastProgress["kernel"]["block"], Blocks(Image(700)));
  EXPECT_EQ(lastProgress["kernel"]["percent"], 100);
  EXPECT_EQ(lastProgress["application"]["blocks"], Blocks(Image(702)));

  // The trace: both panes, time-stamped, with blocks summarised.
  const std::string& trace = run->Err();
  const std::regex stamped(R"((^|\n)\d\d:\d\d:\d\d\.\d\d\d TX \$PZLX,C,DBG,700,1,,,,,,\*1A)");
  EXPECT_TRUE(std::regex_search(trace, stamped)) << trace.substr(0, 2000);
  EXPECT_NE(trace.find(" RX [END OF STATIC DATA]"), std::string::npos);
  EXPECT_NE(trace.find(" TX $PTPS,040,"), std::string::npos);
  EXPECT_NE(trace.find(fmt::format(" TX [block 1/{}, 263 bytes]", Blocks(Image(700)))),
            std::string::npos);
  EXPECT_EQ(trace.find("C0DE"), std::string::npos) << "block bytes are not dumped";
}

// Each way a run fails, with the exit code the documentation gives it and
// what the user is told.
struct FailureCase {
  const char* name;
  std::vector<std::string> simulator;  // options; {"none"}: no simulator at all
  std::vector<std::string> options;    // for aisfw upgrade, besides --port
  int exitCode;
  const char* told;            // on standard error
  bool firmwareFolder = true;  // false: an empty --bin folder
};

class UpgradeFailure : public SimulatorRig, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(UpgradeFailure, EndsWithItsExitCodeAndSaysWhy) {
  const FailureCase& c = GetParam();
  std::string port = (folder_ / "no-such-port").string();
  if (c.simulator.empty() || c.simulator.front() != "none")
    port = StartSimulator(c.simulator).Port();
  std::string bin = BinFolder();
  if (!c.firmwareFolder) {
    bin = (folder_ / "empty").string();
    fs::create_directories(bin);
  }
  std::vector<std::string> arguments = {"upgrade", "--port", port, "--bin", bin};
  arguments.insert(arguments.end(), c.options.begin(), c.options.end());
  auto run = Aisfw(arguments);
  EXPECT_EQ(run->Wait(kRunLimit), c.exitCode) << run->Out() << run->Err();
  EXPECT_NE(run->Err().find(c.told), std::string::npos) << run->Err();
  if (c.exitCode == 5 || c.exitCode == 6) {
    EXPECT_NE(run->Err().find("The device was left "), std::string::npos) << run->Err();
  }
  if (c.exitCode != 5 && c.exitCode != 6) {
    EXPECT_FALSE(ReceivedAny()) << "nothing reaches the device's memory";
  }
}

INSTANTIATE_TEST_SUITE_P(
    ExitCodes, UpgradeFailure,
    ::testing::Values(
        FailureCase{"NoSuchPort", {"none"}, {"--yes"}, 2, "No such serial port: "},
        FailureCase{"ReadingsDiffer",
                    {"--fault", "info-differs"},
                    {"--yes"},
                    3,
                    "Error: Invalid hardware identification!"},
        FailureCase{"NoImages",
                    {},
                    {"--yes"},
                    4,
                    "Error: No firmware is found or incorrect firmware!",
                    false},
        FailureCase{"WrongBlock",
                    {"--fault", "wrong-block:3"},
                    {"--yes"},
                    5,
                    "Error: Incorrect block count! (3 -> 5)"},
        FailureCase{
            "HangUp", {"--fault", "hangup:4"}, {"--yes"}, 5, "Error: Serial port disconnected!"},
        FailureCase{"ProgrammingFails",
                    {"--fault", "program-fail:1"},
                    {"--yes"},
                    6,
                    "Error: Firmware Upgrade Failure (Error Code=-4444)"},
        FailureCase{"ApplicationSumWrong",
                    {"--fault", "bad-sum:2"},
                    {"--yes"},
                    6,
                    "Error: Please check the RS-232 cableline is serviceable"},
        FailureCase{"NoTerminalNoYes", {}, {}, 7, "needs an answer"}),
    [](const ::testing::TestParamInfo<FailureCase>& row) { return row.param.name; });

// The device at its corners: each run ends by itself, with the exit code
// that says how, and nothing reaches the device's memory that should not.
struct CornerCase {
  const char* name;
  std::vector<std::string> simulator;
  int exitCode;
  std::vector<std::string> out;      // on standard output
  std::vector<std::string> err;      // on standard error
  bool kernelSent, applicationSent;  // whole, as the device wrote them
  bool damageApplication = false;    // and nothing at all is sent: no block count
};

class DeviceCorner : public SimulatorRig, public ::testing::WithParamInterface<CornerCase> {};

TEST_P(DeviceCorner, EndsByItselfWithItsExitCode) {
  const CornerCase& c = GetParam();
  if (c.damageApplication) {
    std::fstream image(folder_ / firmware::ImagePath(702),
                       std::ios::in | std::ios::out | std::ios::binary);
    image.seekp(263 * 3 + 10);  // a code byte of block 4
    image.put('\x5A');
  }
  std::vector<std::string> options = {"--firmware", "V9.9.9"};
  options.insert(options.end(), c.simulator.begin(), c.simulator.end());
  StartSimulator(options);
  auto run =
      Aisfw({"upgrade", "--port", simulator_->Port(), "--yes", "--trace", "--bin", BinFolder()});
  ASSERT_EQ(run->Wait(kRunLimit), c.exitCode) << run->Out() << run->Err();
  for (const std::string& text : c.out) EXPECT_NE(run->Out().find(text), std::string::npos) << text;
  for (const std::string& text : c.err) EXPECT_NE(run->Err().find(text), std::string::npos) << text;
  EXPECT_EQ(fs::exists(folder_ / "received/kernel.bin"), c.kernelSent);
  EXPECT_EQ(fs::exists(folder_ / "received/application.bin"), c.applicationSent);
  if (c.kernelSent) {
    EXPECT_EQ(Received("kernel.bin"), Image(700));
  }
  EXPECT_EQ(run->Err().find(" TX $PZLX,R,DBG,103,") == std::string::npos, c.damageApplication)
      << "a block count";
}

INSTANTIATE_TEST_SUITE_P(
    Upgrade, DeviceCorner,
    ::testing::Values(
        CornerCase{"NoIdleTraffic",
                   {"--fault", "no-idle"},
                   0,
                   {"Running firmware:   V9.9.9", "Upgraded from V9.9.9 to " + TestVersion(702)},
                   {},
                   true,
                   true},
        CornerCase{"PartRepliesSixSecondsLate",
                   {"--fault", "slow-part-reply:6000"},
                   0,
                   {"Running firmware:   V9.9.9", "New firmware:       " + TestVersion(702),
                    "Upgraded from V9.9.9 to " + TestVersion(702)},
                   {},
                   true,
                   true},
        CornerCase{"KernelAskedForAgain",
                   {"--fault", "part-reply:1"},
                   5,
                   {},
                   {"Error: The device is ready for the kernel, but the application was "
                    "requested. Please restart the AIS device and run the upgrade again.",
                    "The device was left after the kernel was programmed, before the "
                    "application was sent"},
                   true,
                   false},
        CornerCase{"RepeatAskedForEver",
                   {"--fault", "repeat-request:1000000000"},
                   5,
                   {},
                   {"Error: Too many transmission errors!"},
                   false,
                   false},
        CornerCase{"DamagedApplicationImage",
                   {},
                   4,
                   {},
                   {"Invalid firmware upgrade BIN file format!"},
                   false,
                   false,
                   true}),
    [](const ::testing::TestParamInfo<CornerCase>& row) { return row.param.name; });

// Ready for the application when asked for the kernel: the application's
// versions are shown and the question waits for its answer. Without one
// nothing is sent, and aisfw info reads without sending a block count.
TEST_F(UpgradeCommand, AnApplicationReadyDeviceGetsNothingWithoutAYes) {
  StartSimulator({"--fault", "part-reply"});
  auto refused = Aisfw({"upgrade", "--port", simulator_->Port(), "--trace", "--bin", BinFolder()});
  EXPECT_EQ(refused->Wait(kRunLimit), 7) << refused->Out() << refused->Err();
  EXPECT_NE(refused->Out().find("Running firmware:   V1.0.0"), std::string::npos) << refused->Out();
  EXPECT_NE(refused->Out().find("New firmware:       " + TestVersion(702)), std::string::npos);
  EXPECT_NE(refused->Err().find("needs an answer"), std::string::npos) << refused->Err();
  EXPECT_EQ(refused->Err().find(" TX $PZLX,R,DBG,103,"), std::string::npos);

  auto info = Aisfw({"info", "--port", simulator_->Port(), "--trace", "--bin", BinFolder()});
  ASSERT_EQ(info->Wait(kRunLimit), 0) << info->Out() << info->Err();
  EXPECT_NE(info->Out().find("(not sent: the device is ready for the application)"),
            std::string::npos)
      << info->Out();
  EXPECT_NE(info->Out().find("Would install:      " + TestVersion(702)), std::string::npos);
  EXPECT_EQ(info->Err().find(" TX $PZLX,R,DBG,103,"), std::string::npos) << "a block count";
  EXPECT_FALSE(ReceivedAny());
}

std::vector<Json> JsonEvents(const std::string& out) {
  std::vector<Json> events;
  for (const std::string& line : Lines(out)) events.push_back(Json::parse(line, nullptr, false));
  return events;
}

// One JSON schema: rates as numbers, no widget names, each failure told once
// (on standard output, none of it on standard error), and an end that names
// what happened to this command: "read" for info, "not-confirmed" for an
// upgrade that nobody could answer.
TEST_F(UpgradeCommand, JsonTellsEachThingOnceAndNamesItsOwnEnd) {
  StartSimulator({"--fault", "wrong-block:3"});
  auto failed =
      Aisfw({"upgrade", "--port", simulator_->Port(), "--yes", "--json", "--bin", BinFolder()});
  ASSERT_EQ(failed->Wait(kRunLimit), 5) << failed->Out() << failed->Err();
  EXPECT_TRUE(failed->Err().empty()) << "everything is on standard output: " << failed->Err();
  int told = 0;
  for (const Json& e : JsonEvents(failed->Out())) {
    ASSERT_FALSE(e.is_discarded()) << failed->Out();
    EXPECT_FALSE(e.contains("control")) << e;
    if (e.contains("baud")) {
      EXPECT_TRUE(e["baud"].is_number() || e["baud"].is_null()) << e;
    }
    if (e.dump().find("Incorrect block count! (3 -> 5)") != std::string::npos) ++told;
    if (e["event"] == "left") {
      EXPECT_EQ(e["part"], "kernel") << e;
      EXPECT_EQ(e["block"], 3) << e;
    }
  }
  EXPECT_EQ(told, 2) << "the message, and the outcome carrying it: " << failed->Out();
  const Json end = JsonEvents(failed->Out()).back();
  EXPECT_EQ(end["outcome"], "incorrect-block-count");
  EXPECT_EQ(end["message"], "Incorrect block count! (3 -> 5)");

  auto unanswered =
      Aisfw({"upgrade", "--port", simulator_->Port(), "--json", "--bin", BinFolder()});
  ASSERT_EQ(unanswered->Wait(kRunLimit), 7) << unanswered->Out() << unanswered->Err();
  const Json refused = JsonEvents(unanswered->Out()).back();
  EXPECT_EQ(refused["outcome"], "not-confirmed") << unanswered->Out();
  EXPECT_EQ(refused["meaning"].get<std::string>().rfind("not confirmed", 0), 0u) << refused;

  auto info = Aisfw({"info", "--port", simulator_->Port(), "--json", "--bin", BinFolder()});
  ASSERT_EQ(info->Wait(kRunLimit), 0) << info->Out() << info->Err();
  const Json read = JsonEvents(info->Out()).back();
  EXPECT_EQ(read["outcome"], "read") << info->Out();
  EXPECT_EQ(read["meaning"], "the device was read");
  EXPECT_EQ(read["exit_code"], 0);
}

// The exclusive-use flag of a pseudo-terminal outlives its descriptor unless
// the port is closed properly, so it tells whether the program closed it.
bool PortLeftExclusive(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return true;
  int exclusive = 0;
  ioctl(fd, TIOCGEXCL, &exclusive);
  close(fd);
  return exclusive != 0;
}

TEST_F(UpgradeCommand, AtATerminalYesStartsTheTransferAndCtrlCStopsItCleanly) {
  StartSimulator();
  auto run = Aisfw({"upgrade", "--port", simulator_->Port(), "--bin", BinFolder()},
                   ChildProcess::Mode::Terminal);
  ASSERT_TRUE(run->OutContains("Do you want to continue? [y/N] ", 30s)) << run->Out();
  run->Type("y\n");
  // The status line is redrawn in place while blocks go.
  ASSERT_TRUE(run->OutContains("\r\033[Kkernel", 20s)) << run->Out();
  ASSERT_TRUE(run->OutContains("block  4/", 20s)) << run->Out();
  run->Type("\x03");  // Ctrl-C, through the terminal
  ASSERT_EQ(run->Wait(10s), 130) << run->Out();
  EXPECT_NE(run->Out().find("Stopped; the port and the image are closed. The device was left in "
                            "the kernel transfer at block "),
            std::string::npos)
      << run->Out();
  EXPECT_NE(run->Out().find("Next: "), std::string::npos);
  EXPECT_EQ(kill(run->Pid(), 0), -1) << "the process is gone";
  EXPECT_FALSE(PortLeftExclusive(simulator_->Port())) << "the port was closed";
}

// `aisfw upgrade | tee log` at a terminal: the log holds the versions, then
// the question, then the answer, in that order.
TEST_F(UpgradeCommand, ThroughTeeTheLogKeepsTheQuestionAndTheAnswerAfterTheVersions) {
  StartSimulator();
  const fs::path log = folder_ / "upgrade.log";
  const std::string command = fmt::format("'{}' upgrade --port '{}' --bin '{}' | tee '{}'", kAisfw,
                                          simulator_->Port(), BinFolder(), log.string());
  auto run = std::make_unique<ChildProcess>(std::vector<std::string>{"/bin/sh", "-c", command},
                                            ChildProcess::Mode::Terminal);
  ASSERT_TRUE(run->OutContains("Do you want to continue? [y/N] ", 30s)) << run->Out();
  run->Type("n\n");
  EXPECT_EQ(run->Wait(20s), 0) << "the pipeline ends with tee's status: " << run->Out();
  std::ifstream in(log);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t version = text.find("New firmware:       ");
  const std::size_t question = text.find("Do you want to continue? [y/N]\n");
  const std::size_t answer = text.find("Do you want to continue? no (typed)\n");
  ASSERT_NE(version, std::string::npos) << text;
  ASSERT_NE(question, std::string::npos) << text;
  ASSERT_NE(answer, std::string::npos) << text;
  EXPECT_LT(version, question) << text;
  EXPECT_LT(question, answer) << text;
}

TEST_F(UpgradeCommand, AtATerminalNoDeclinesAndInfoReadsWithoutSending) {
  StartSimulator();
  auto run = Aisfw({"upgrade", "--port", simulator_->Port(), "--bin", BinFolder()},
                   ChildProcess::Mode::Terminal);
  ASSERT_TRUE(run->OutContains("Do you want to continue? [y/N] ", 30s)) << run->Out();
  run->Type("maybe\n");
  ASSERT_TRUE(run->OutContains("Please answer y or n: ", 5s)) << run->Out();
  run->Type("n\n");
  EXPECT_EQ(run->Wait(10s), 7) << run->Out();
  EXPECT_FALSE(PortLeftExclusive(simulator_->Port()));

  auto info = Aisfw({"info", "--port", simulator_->Port(), "--bin", BinFolder()});
  ASSERT_EQ(info->Wait(kRunLimit), 0) << info->Out() << info->Err();
  const std::string reading = "firmware V1.0.0, serial number 1234567, class 0, languages 1,2,3,5";
  EXPECT_NE(info->Out().find("First reading:      " + reading), std::string::npos) << info->Out();
  EXPECT_NE(info->Out().find("Second reading:     " + reading), std::string::npos);
  EXPECT_NE(info->Out().find("App_702.SBIN"), std::string::npos);
  EXPECT_NE(info->Out().find("Would install:      " + TestVersion(702)), std::string::npos);
  EXPECT_FALSE(ReceivedAny()) << "info sends nothing to the device's memory";
}

TEST_F(UpgradeCommand, InfoEndsWhenTheDeviceNeverAsksForTheKernel) {
  // It answers every part request with a part that does not exist, so the
  // kernel is never prepared; reading must not wait for it.
  StartSimulator({"--fault", "part-reply:3"});
  auto info = Aisfw({"info", "--port", simulator_->Port(), "--bin", BinFolder()});
  ASSERT_EQ(info->Wait(kRunLimit), 0) << info->Out() << info->Err();
  EXPECT_NE(info->Out().find("First reading:      firmware V1.0.0"), std::string::npos)
      << info->Out();
  EXPECT_NE(info->Out().find("Would install:      unknown: the device did not ask for the kernel"),
            std::string::npos);
  EXPECT_FALSE(ReceivedAny());
}

TEST_F(UpgradeCommand, WithoutBinImagesComeFromBesideTheProgramAndTheCatalogueFromHere) {
  StartSimulator();
  // Run in the test's folder: its catalogue names the versions, while the
  // images are the sample set beside the program.
  auto info =
      Aisfw({"info", "--port", simulator_->Port()}, ChildProcess::Mode::Pipes, folder_.string());
  ASSERT_EQ(info->Wait(kRunLimit), 0) << info->Out() << info->Err();
  const std::string kernel = std::string(AISFW_PROGRAM_DIR) + "/Bin/App_700.SBIN";
  EXPECT_NE(info->Out().find("Kernel image:       " + kernel), std::string::npos) << info->Out();
  EXPECT_NE(info->Out().find("Would install:      " + TestVersion(702)), std::string::npos);

  // No catalogue here: an image or catalogue error, with the way out.
  fs::create_directories(folder_ / "elsewhere");
  auto lost = Aisfw({"info", "--port", simulator_->Port()}, ChildProcess::Mode::Pipes,
                    (folder_ / "elsewhere").string());
  EXPECT_EQ(lost->Wait(kRunLimit), 4) << lost->Out() << lost->Err();
  EXPECT_NE(lost->Err().find("Error: No firmware version is detected!"), std::string::npos);
  EXPECT_NE(lost->Err().find("--bin DIR names a folder holding both"), std::string::npos);
}

TEST_F(UpgradeCommand, DoctorTakesTheSimulatorForTheDeviceAndNamesAnotherHolder) {
  StartSimulator();
  auto ready = Aisfw({"doctor", "--port", simulator_->Port()});
  EXPECT_EQ(ready->Wait(20s), 0) << ready->Out();
  EXPECT_NE(ready->Out().find("no other program holds it"), std::string::npos) << ready->Out();

  // This test holds the port now, as a terminal program left open would.
  const int fd = open(simulator_->Port().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  auto held = Aisfw({"doctor", "--port", simulator_->Port()});
  EXPECT_EQ(held->Wait(20s), 2) << held->Out();
  EXPECT_NE(held->Out().find(fmt::format("(pid {})", getpid())), std::string::npos) << held->Out();
  EXPECT_NE(held->Out().find(fmt::format("fix: close that program, or end it: kill {}", getpid())),
            std::string::npos);
  close(fd);
}

TEST_F(UpgradeCommand, MonitorDecodesWhatThePortSays) {
  StartSimulator();
  auto run = Aisfw({"monitor", "--port", simulator_->Port(), "--seconds", "2.5"});
  ASSERT_EQ(run->Wait(20s), 0) << run->Err();
  std::set<long long> vessels;
  int sentences = 0;
  for (const std::string& line : Lines(run->Out())) {
    const Json object = Json::parse(line, nullptr, false);
    ASSERT_FALSE(object.is_discarded()) << line;
    if (object["ok"] == true) ++sentences;
    if (object.contains("ais")) vessels.insert(object["ais"]["mmsi"].get<long long>());
  }
  EXPECT_GE(sentences, 5) << "a sentence every 250 ms";
  EXPECT_EQ(vessels.size(), 3u) << run->Out();

  auto missing =
      Aisfw({"monitor", "--port", (folder_ / "no-such-port").string(), "--seconds", "1"});
  EXPECT_EQ(missing->Wait(10s), 2);
  EXPECT_NE(missing->Err().find("No such serial port"), std::string::npos) << missing->Err();
}

}  // namespace
}  // namespace cli_test
