// What aisfw upgrade and aisfw info say before anything is sent, from the
// user's side, against the virtual transponder on a pseudo-terminal: ports
// that can never open and ports another program reads, a firmware folder
// that cannot serve (each file named, the port never opened), versions the
// catalogue does not know or that are not newer, keys typed before the
// question, what goes to the device before the question, and --timeout.

#include <fcntl.h>
#include <fmt/core.h>
#include <unistd.h>

#include <fstream>
#include <functional>
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

// What a --trace run sent: the lines after "TX ", without their time stamps.
std::vector<std::string> Sent(const std::string& trace) {
  std::vector<std::string> sent;
  const std::regex tx(R"(^\d\d:\d\d:\d\d\.\d\d\d TX (.*)$)");
  for (const std::string& line : Lines(trace)) {
    std::smatch match;
    if (std::regex_match(line, match, tx)) sent.push_back(match[1]);
  }
  return sent;
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// Breaks the magic of block `block` (1-based) of an image.
void BreakHeader(const fs::path& image, int block) {
  std::fstream file(image, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(263 * (block - 1));
  file.put('X');
}

using Preflight = SimulatorRig;

// ---- ports that can never open ---------------------------------------------------

struct PortCase {
  const char* name;
  std::string port;  // "<folder>/..." is under the test's folder
  std::vector<std::string> options;
  int exitCode;
  const char* told;
};

class UnusablePort : public SimulatorRig, public ::testing::WithParamInterface<PortCase> {};

TEST_P(UnusablePort, IsNamedForWhatItIsWithoutTheForceConnectWarning) {
  const PortCase& c = GetParam();
  WriteText(folder_ / "a-file", "not a port\n");
  std::string port = c.port;
  if (port.rfind("<folder>", 0) == 0) port = folder_.string() + port.substr(8);
  std::vector<std::string> arguments = {"upgrade", "--port", port, "--yes", "--bin", BinFolder()};
  arguments.insert(arguments.end(), c.options.begin(), c.options.end());
  auto run = Aisfw(arguments);
  ASSERT_EQ(run->Wait(20s), c.exitCode) << run->Out() << run->Err();
  EXPECT_NE(run->Err().find(fmt::format(fmt::runtime(c.told), port)), std::string::npos)
      << run->Err();
  EXPECT_EQ(run->Err().find("force connect"), std::string::npos) << run->Err();
  EXPECT_EQ(run->Err().find("--force tries it anyway"), std::string::npos) << run->Err();
  EXPECT_EQ(run->Out().find("Connecting to"), std::string::npos) << "no run starts";
}

INSTANTIATE_TEST_SUITE_P(
    Ports, UnusablePort,
    ::testing::Values(
        PortCase{"Missing",
                 "<folder>/ttyUSB7",
                 {},
                 2,
                 "aisfw: No such serial port: {} does not exist or its device has been "
                 "unplugged. aisfw ports lists the serial ports of this machine."},
        // --force cannot open what is not there either.
        PortCase{"MissingForced",
                 "<folder>/ttyUSB7",
                 {"--force"},
                 2,
                 "No such serial port: {} does not exist"},
        PortCase{"MissingDeviceName", "ttyUSB97", {}, 2, "No such serial port: /dev/{} does not"},
        PortCase{"Folder", "<folder>", {}, 2, "aisfw: {} is not a serial port: it is no device"},
        PortCase{"RegularFile", "<folder>/a-file", {}, 2, "aisfw: {} is not a serial port"},
        PortCase{"DeviceThatIsNoTerminal", "/dev/null", {}, 2, "aisfw: {} is not a serial port."},
        PortCase{"Empty", "", {}, 1, "--port is empty; give a port name (ttyUSB0)"}),
    [](const ::testing::TestParamInfo<PortCase>& row) { return row.param.name; });

TEST_F(Preflight, APortTheUserMayNotOpenGetsTheFixAndJsonEndsWithTheOutcome) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to run aisfw as another user";
  StartSimulator();
  // The simulator's end belongs to root (mode 0620): nobody may not open it.
  ChildProcess run({kAisfw, "upgrade", "--port", simulator_->Port(), "--yes", "--json"},
                   ChildProcess::Mode::Pipes, "/", 65534);
  ASSERT_EQ(run.Wait(20s), 2) << run.Out() << run.Err();
  EXPECT_NE(run.Err().find("aisfw: Permission denied on " + simulator_->Port() +
                           ": only root may open it"),
            std::string::npos)
      << run.Err();
  EXPECT_EQ(run.Err().find("force connect"), std::string::npos) << run.Err();
  const std::vector<std::string> lines = Lines(run.Out());
  ASSERT_FALSE(lines.empty());
  const Json outcome = Json::parse(lines.back(), nullptr, false);
  EXPECT_EQ(outcome["event"], "outcome") << lines.back();
  EXPECT_EQ(outcome["outcome"], "port-unusable");
  EXPECT_EQ(outcome["exit_code"], 2);
}

// ---- another program has the port open --------------------------------------------

TEST_F(Preflight, AnotherProgramReadingThePortIsNamedAndOnlyForceGoesOn) {
  StartSimulator();
  // This test has the port open without a lock, as a terminal program or a
  // script reading it would.
  const int fd = open(simulator_->Port().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  const std::string named = fmt::format("(pid {})", getpid());

  auto refused =
      Aisfw({"upgrade", "--port", simulator_->Port(), "--yes", "--trace", "--bin", BinFolder()});
  EXPECT_EQ(refused->Wait(20s), 2) << refused->Out() << refused->Err();
  EXPECT_NE(refused->Err().find(fmt::format("aisfw: {} is in use by ", simulator_->Port())),
            std::string::npos)
      << refused->Err();
  EXPECT_NE(refused->Err().find(named), std::string::npos) << refused->Err();
  EXPECT_NE(refused->Err().find("give --force to use the port anyway"), std::string::npos);
  EXPECT_TRUE(Sent(refused->Err()).empty()) << "nothing is said to the device";

  auto forced = Aisfw({"info", "--port", simulator_->Port(), "--force", "--bin", BinFolder()});
  EXPECT_EQ(forced->Wait(kRunLimit), 0) << forced->Out() << forced->Err();
  EXPECT_NE(forced->Err().find("aisfw: warning: " + simulator_->Port() + " is also open in "),
            std::string::npos)
      << forced->Err();
  EXPECT_NE(forced->Err().find(named), std::string::npos);
  EXPECT_NE(forced->Out().find("First reading:      firmware V1.0.0"), std::string::npos);
  close(fd);
}

// ---- the firmware folder, before the port is opened ------------------------------------

struct FolderCase {
  const char* name;
  std::function<void(const fs::path& bin)> damage;
  std::vector<std::string> told;  // "{}" stands for the Bin folder
};

class FirmwareFolder : public SimulatorRig, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(FirmwareFolder, IsRefusedBeforeThePortOpensNamingTheFile) {
  const FolderCase& c = GetParam();
  const fs::path bin = folder_ / "Bin";
  c.damage(bin);
  StartSimulator();
  auto run =
      Aisfw({"upgrade", "--port", simulator_->Port(), "--yes", "--trace", "--bin", bin.string()});
  ASSERT_EQ(run->Wait(20s), 4) << run->Out() << run->Err();
  // The wizard's own text, then the file on a line of its own.
  const std::vector<std::string> err = Lines(run->Err());
  ASSERT_GE(err.size(), c.told.size()) << run->Err();
  for (std::size_t i = 0; i < c.told.size(); ++i) {
    EXPECT_EQ(err[i], fmt::format(fmt::runtime(c.told[i]), bin.string())) << run->Err();
  }
  EXPECT_EQ(run->Out().find("Connecting to"), std::string::npos) << "the port was never opened";
  EXPECT_TRUE(Sent(run->Err()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FirmwareFolder,
    ::testing::Values(
        FolderCase{"NoCatalogue",
                   [](const fs::path& bin) { fs::remove(bin / "Firmware.csv"); },
                   {"Error: No firmware version is detected!",
                    "aisfw: cannot read the catalogue {}/Firmware.csv"}},
        FolderCase{"NoKernel",
                   [](const fs::path& bin) { fs::remove(bin / "App_700.SBIN"); },
                   {"Error: No firmware is found or incorrect firmware!",
                    "aisfw: no such file: {}/App_700.SBIN (the kernel, sent to every device)"}},
        FolderCase{"DamagedKernel",
                   [](const fs::path& bin) { BreakHeader(bin / "App_700.SBIN", 5); },
                   {"ZELO AIS Class A Firmware Update: Invalid firmware upgrade BIN file format!",
                    "aisfw: {}/App_700.SBIN: Invalid BIN file! (Incorrect header in block 5) "
                    "(the kernel, sent to every device)"}},
        // Another device's application: damaged, it still tells of a
        // damaged folder.
        FolderCase{"DamagedApplication",
                   [](const fs::path& bin) { BreakHeader(bin / "App_703.SBIN", 20); },
                   {"ZELO AIS Class A Firmware Update: Invalid firmware upgrade BIN file format!",
                    "aisfw: {}/App_703.SBIN: Invalid BIN file! (Incorrect header in block 20) "
                    "(an application image)"}},
        FolderCase{"NoApplicationAtAll",
                   [](const fs::path& bin) {
                     for (int n = 701; n <= 704; ++n)
                       fs::remove(bin / fmt::format("App_{}.SBIN", n));
                   },
                   {"Error: No firmware is found or incorrect firmware!",
                    "aisfw: no application image in {} (App_701.SBIN to App_704.SBIN)"}}),
    [](const ::testing::TestParamInfo<FolderCase>& row) { return row.param.name; });

TEST_F(Preflight, AMissingApplicationVariantIsAWarningAndAMissingDefaultFolderIsFoundAtOnce) {
  StartSimulator();
  fs::remove(folder_ / "Bin/App_704.SBIN");
  auto info = Aisfw({"info", "--port", simulator_->Port(), "--bin", BinFolder()});
  ASSERT_EQ(info->Wait(kRunLimit), 0) << info->Out() << info->Err();
  EXPECT_NE(info->Err().find("aisfw: warning: no application image " + BinFolder() +
                             "/App_704.SBIN: a device whose languages choose it cannot be "
                             "upgraded"),
            std::string::npos)
      << info->Err();
  EXPECT_NE(info->Out().find("Would install:      " + TestVersion(702)), std::string::npos);

  // Without --bin, in a folder with no Bin/ of its own: the catalogue is
  // looked for here, and its absence is said before the port is opened.
  fs::create_directories(folder_ / "elsewhere");
  auto lost = Aisfw({"upgrade", "--port", simulator_->Port(), "--yes"}, ChildProcess::Mode::Pipes,
                    (folder_ / "elsewhere").string());
  EXPECT_EQ(lost->Wait(20s), 4) << lost->Out() << lost->Err();
  EXPECT_NE(lost->Err().find("Error: No firmware version is detected!\naisfw: cannot read the "
                             "catalogue " +
                             (folder_ / "elsewhere/Bin/Firmware.csv").string() + "\n"),
            std::string::npos)
      << lost->Err();
  EXPECT_NE(lost->Err().find(" and the catalogue from " + (folder_ / "elsewhere/Bin").string() +
                             "; --bin DIR names a folder holding both"),
            std::string::npos)
      << lost->Err();
  EXPECT_EQ(lost->Out().find("Connecting to"), std::string::npos);
}

// An image that goes missing while the device is read is named when the
// wizard gives up on it.
TEST_F(Preflight, AnImageLostDuringTheRunIsNamedWhenTheWizardGivesUp) {
  StartSimulator({"--fault", "slow-part-reply:6000"});
  auto run = Aisfw({"upgrade", "--port", simulator_->Port(), "--yes", "--bin", BinFolder()});
  ASSERT_TRUE(run->OutContains("Found the device", 30s)) << run->Out() << run->Err();
  fs::remove(folder_ / "Bin/App_702.SBIN");
  EXPECT_EQ(run->Wait(kRunLimit), 4) << run->Out() << run->Err();
  EXPECT_NE(run->Err().find("Error: No firmware is found or incorrect firmware!"),
            std::string::npos)
      << run->Err();
  EXPECT_NE(run->Err().find("aisfw: no such file: " + BinFolder() + "/App_702.SBIN"),
            std::string::npos)
      << run->Err();
  EXPECT_FALSE(ReceivedAny());
}

// ---- the version offered ------------------------------------------------------------

struct VersionCase {
  const char* name;
  std::string running;               // the device's firmware text
  std::vector<std::string> options;  // besides --yes
  int exitCode;
  std::vector<std::string> warned;  // on standard error; none: no warning at all
  bool sent;
  std::string catalogue = "keep";  // the catalogue's text, or "keep"
  std::string finished = {};       // the last line on standard output
};

class OfferedVersion : public SimulatorRig, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(OfferedVersion, WithYesOnlyANewerVersionGoesWithoutBeingAllowed) {
  const VersionCase& c = GetParam();
  if (c.catalogue != "keep") WriteText(folder_ / "Bin/Firmware.csv", c.catalogue);
  StartSimulator({"--firmware", c.running});
  std::vector<std::string> arguments = {"upgrade", "--port", simulator_->Port(),
                                        "--yes",   "--bin",  BinFolder()};
  arguments.insert(arguments.end(), c.options.begin(), c.options.end());
  auto run = Aisfw(arguments);
  ASSERT_EQ(run->Wait(kRunLimit), c.exitCode) << run->Out() << run->Err();
  for (const std::string& text : c.warned) {
    EXPECT_NE(run->Err().find(text), std::string::npos) << text << "\n" << run->Err();
  }
  if (c.warned.empty()) {
    EXPECT_EQ(run->Err().find("warning"), std::string::npos) << run->Err();
  }
  EXPECT_EQ(ReceivedAny(), c.sent);
  if (c.sent) {
    EXPECT_EQ(Received("application.bin"), Image(702));
  }
  if (!c.finished.empty()) {
    const std::vector<std::string> out = Lines(run->Out());
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back().rfind(c.finished, 0), 0u) << out.back();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Versions, OfferedVersion,
    ::testing::Values(
        VersionCase{"Older",
                    "V10.0.0",
                    {},
                    8,
                    {"aisfw: warning: T9.702 is older than the running V10.0.0: this is a "
                     "downgrade",
                     "give --allow-older to install it"},
                    false},
        // 9.1000 is above 9.702, though "T9.1000" sorts before "T9.702".
        VersionCase{"OlderByItsNumbers",
                    "T9.1000",
                    {},
                    8,
                    {"T9.702 is older than the running T9.1000"},
                    false},
        VersionCase{"TheSame",
                    "T9.702",
                    {},
                    8,
                    {"aisfw: warning: the device already runs T9.702; this installs the same "
                     "version (T9.702) again",
                     "give --allow-reinstall to install it again"},
                    false},
        VersionCase{"TheSameWrittenLonger", "T9.702.0", {}, 8, {"already runs T9.702.0"}, false},
        VersionCase{"OlderAllowed",
                    "V10.0.0",
                    {"--allow-older"},
                    0,
                    {"T9.702 is older than the running V10.0.0: this is a downgrade"},
                    true,
                    "keep",
                    "Upgraded from V10.0.0 to T9.702 in "},
        VersionCase{
            "ReinstallAllowed", "T9.702", {"--allow-reinstall"}, 0, {"already runs T9.702"}, true},
        // 9.80 is below 9.702, though "T9.80" sorts after "T9.702".
        VersionCase{"NewerByItsNumbers",
                    "T9.80",
                    {},
                    0,
                    {},
                    true,
                    "keep",
                    "Upgraded from T9.80 to T9.702 in "},
        VersionCase{"UnknownToTheCatalogue",
                    "V1.0.0",
                    {},
                    0,
                    {"aisfw: warning: the new version is unknown: the catalogue "},
                    true,
                    "",
                    "Upgraded from V1.0.0 to a version the catalogue does not know in "}),
    [](const ::testing::TestParamInfo<VersionCase>& row) { return row.param.name; });

// At a terminal the catalogue's silence is said before the question, with
// the file and the line looked for, whatever the catalogue holds instead.
struct CatalogueCase {
  const char* name;
  std::string text;
};

class CatalogueWithoutTheVersion : public SimulatorRig,
                                   public ::testing::WithParamInterface<CatalogueCase> {};

TEST_P(CatalogueWithoutTheVersion, IsSaidBeforeTheQuestion) {
  WriteText(folder_ / "Bin/Firmware.csv", GetParam().text);
  StartSimulator();
  auto run = Aisfw({"upgrade", "--port", simulator_->Port(), "--bin", BinFolder()},
                   ChildProcess::Mode::Terminal);
  const std::string prompt = "Do you want to continue? [y/N] ";
  ASSERT_TRUE(run->OutContains(prompt, 30s)) << run->Out();
  const std::string warning = "aisfw: warning: the new version is unknown: the catalogue " +
                              BinFolder() +
                              "/Firmware.csv has no version for Bin/App_702.SBIN (looked for a "
                              "line naming Bin/App_702.SBIN with the version after its first "
                              "comma, such as Bin/App_702.SBIN,V2.31)";
  const std::size_t warned = run->Out().find(warning);
  EXPECT_NE(warned, std::string::npos) << run->Out();
  EXPECT_LT(warned, run->Out().find(prompt)) << "before the question";
  run->Type("n\n");
  EXPECT_EQ(run->Wait(10s), 7) << run->Out();
  EXPECT_FALSE(ReceivedAny());
}

INSTANTIATE_TEST_SUITE_P(
    Catalogues, CatalogueWithoutTheVersion,
    ::testing::Values(CatalogueCase{"WithoutTheImagesLine",
                                    "Bin/App_700.SBIN,K1\nBin/App_701.SBIN,V1\n"},
                      CatalogueCase{"Empty", ""},
                      CatalogueCase{"Garbage", std::string("\x7f\x01\xff\xfe,,\n\0\0zz", 11)},
                      CatalogueCase{"TheLineWithoutAVersion", "Bin/App_702.SBIN\n"}),
    [](const ::testing::TestParamInfo<CatalogueCase>& row) { return row.param.name; });

// ---- the question at a terminal ------------------------------------------------------------

TEST_F(Preflight, KeysTypedBeforeTheQuestionDoNotAnswerIt) {
  StartSimulator({"--firmware", "V10.0.0"});
  auto run = Aisfw({"upgrade", "--port", simulator_->Port(), "--bin", BinFolder()},
                   ChildProcess::Mode::Terminal);
  // A y while the device is still being looked for.
  run->Type("y\n");
  const std::string prompt = "Do you want to continue? [y/N] ";
  ASSERT_TRUE(run->OutContains(prompt, 30s)) << run->Out();
  const std::string& out = run->Out();
  EXPECT_NE(out.find("aisfw: what was typed before the question is ignored"), std::string::npos)
      << out;
  // At a terminal the user may install an older version: the question says so.
  EXPECT_LT(out.find("T9.702 is older than the running V10.0.0"), out.find(prompt)) << out;
  run->Type("n\n");
  EXPECT_EQ(run->Wait(10s), 7) << run->Out();
  EXPECT_FALSE(ReceivedAny()) << "the early y sent nothing";
}

// ---- what goes to the device before the question ----------------------------------------

TEST_F(Preflight, BeforeTheQuestionOnlyProbesTheInformationRequestAndThePartRequestAreSent) {
  StartSimulator();
  auto run = Aisfw({"upgrade", "--port", simulator_->Port(), "--trace", "--bin", BinFolder()});
  ASSERT_EQ(run->Wait(kRunLimit), 7) << run->Out() << run->Err();
  // As the README lists them: the probe and the test request, the
  // information request, the end of the probing, the kernel part request.
  const std::regex allowed(
      R"(\$PZLX,C,DBG,700,1,.*|\$PTST,,,,,000(16|00)\*..|\$PDBG,106,1,.*|\$PDBG,107,1,.*)");
  std::set<std::string> kinds;
  for (const std::string& line : Sent(run->Err())) {
    EXPECT_TRUE(std::regex_match(line, allowed)) << "sent before the question: " << line;
    kinds.insert(line.substr(0, 10));
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"$PZLX,C,DB", "$PTST,,,,,", "$PDBG,106,", "$PDBG,107,"}));
  EXPECT_FALSE(ReceivedAny());
}

// ---- --timeout ----------------------------------------------------------------------------

TEST_F(Preflight, TimeoutEndsASilentRunCleanlyAndSaysWhereTheDeviceWasLeft) {
  // The device takes blocks 1 to 3 and answers nothing from block 4 on.
  StartSimulator({"--fault", "silent:3"});
  auto run = Aisfw({"upgrade", "--port", simulator_->Port(), "--yes", "--json", "--timeout", "25",
                    "--bin", BinFolder()});
  ASSERT_EQ(run->Wait(kRunLimit), 124) << run->Out() << run->Err();
  std::vector<Json> events;
  for (const std::string& line : Lines(run->Out())) events.push_back(Json::parse(line));
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back()["event"], "outcome");
  EXPECT_EQ(events.back()["outcome"], "timed-out");
  EXPECT_EQ(events.back()["exit_code"], 124);
  const Json* left = nullptr;
  bool transferred = false;
  for (const Json& e : events) {
    if (e["event"] == "left") left = &e;
    if (e["event"] == "progress") transferred = true;
  }
  ASSERT_NE(left, nullptr) << run->Out();
  // On a machine slow enough to spend the 25 s connecting, it says so
  // instead.
  if (transferred) {
    EXPECT_EQ((*left)["where"],
              fmt::format("in the kernel transfer at block 4 of {}", kKernelBlocks + 1));
  }
  EXPECT_NE(run->Err().find("aisfw: the --timeout of 25 s ran out."), std::string::npos)
      << run->Err();
  // Where the device was left is told once, as the `left` event above.
  EXPECT_EQ(run->Err().find("The device was left"), std::string::npos) << run->Err();

  auto help = Aisfw({"upgrade", "--help"});
  ASSERT_EQ(help->Wait(10s), 0);
  EXPECT_NE(help->Out().find("--timeout SECONDS"), std::string::npos) << help->Out();
  EXPECT_NE(help->Out().find("  124  stopped: the --timeout ran out"), std::string::npos)
      << help->Out();
}

}  // namespace
}  // namespace cli_test
