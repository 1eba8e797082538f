// Exit codes against the list the command line documents (written out here
// from that list, not read off the program's table), the progress line, and
// how --port names are taken.

#include "cli/exit_codes.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "cli/port_argument.h"
#include "cli/progress.h"

namespace {

using namespace std::chrono_literals;
using upgrade::WizardOutcome;

TEST(ExitCodes, EachWayARunEndsGivesTheDocumentedCode) {
  // 0 upgraded, 2 no device or port error, 3 identification failed, 4 image
  // or catalogue error, 5 transfer abandoned (transmission errors, incorrect
  // block count, send failure, hang-up, the device ready for another part),
  // 6 the device reported -4444 or -4445, 7 declined, 8 not newer with
  // --yes, 124 --timeout ran out, 130 interrupted; a run
  // stopped by a signal, 128 and its number: 129 the terminal hung up, 130
  // Ctrl-C, 143 SIGTERM.
  const std::vector<std::pair<WizardOutcome, int>> documented = {
      {WizardOutcome::Finished, 0},
      {WizardOutcome::NoPorts, 2},
      {WizardOutcome::DetectFailed, 2},
      {WizardOutcome::OpenFailed, 2},
      {WizardOutcome::ConnectTimeout, 2},
      {WizardOutcome::ForceDeclined, 2},
      {WizardOutcome::InfoTimeout, 3},
      {WizardOutcome::Identification, 3},
      {WizardOutcome::MissingImage, 4},
      {WizardOutcome::InvalidImage, 4},
      {WizardOutcome::MissingCatalogue, 4},
      {WizardOutcome::TransmissionErrors, 5},
      {WizardOutcome::IncorrectBlockCount, 5},
      {WizardOutcome::SendFailed, 5},
      {WizardOutcome::HungUp, 5},
      {WizardOutcome::UnexpectedPart, 5},
      {WizardOutcome::ProgrammingFailed, 6},
      {WizardOutcome::ChecksumError, 6},
      {WizardOutcome::Declined, 7},
      {WizardOutcome::Cancelled, 130},
  };
  for (const auto& [outcome, code] : documented) {
    EXPECT_EQ(cli::ExitCodeOf(outcome), code) << upgrade::OutcomeName(outcome);
  }
  EXPECT_NE(cli::ExitCodeOf(WizardOutcome::None), 0) << "a run that names no end never succeeds";
  EXPECT_EQ(static_cast<int>(cli::ExitCodeOfSignal(SIGHUP)), 129);
  EXPECT_EQ(static_cast<int>(cli::ExitCodeOfSignal(SIGINT)), 130);
  EXPECT_EQ(static_cast<int>(cli::ExitCodeOfSignal(SIGTERM)), 143);
  const std::string help = cli::ExitCodeHelp();
  for (const char* line :
       {"\n    0  upgraded", "\n    5  transfer abandoned",
        "\n    8  not upgraded: the version offered is the running one or older",
        "\n  124  stopped: the --timeout ran out", "\n  129  stopped: the terminal hung up",
        "\n  130  interrupted", "\n  143  stopped by SIGTERM"}) {
    EXPECT_NE(help.find(line), std::string::npos) << help;
  }
}

TEST(Progress, LineEstimateAndDurations) {
  EXPECT_EQ(cli::FormatDuration(7s), "0:07");
  EXPECT_EQ(cli::FormatDuration(754s), "12:34");
  EXPECT_EQ(cli::FormatDuration(3723s), "1:02:03");

  cli::ProgressSample sample{1, 45, 29, 64, 2, 3500ms};
  // 28 intervals in 3.5 s: 125 ms each, 35 blocks to go.
  EXPECT_EQ(cli::EstimateRemaining(sample), std::chrono::milliseconds(125 * 35));
  EXPECT_EQ(cli::ProgressLine(sample),
            "kernel       45%  block 29/64  retransmissions 2  0:03 elapsed, about 0:04 left");
  sample.block = 1;
  EXPECT_FALSE(cli::EstimateRemaining(sample)) << "no pace before the second block";
  sample = {2, 100, 124, 124, 0, 16s};
  EXPECT_EQ(cli::ProgressLine(sample),
            "application 100%  block 124/124  retransmissions 0  0:16 elapsed, about 0:00 left");
}

class PortArgument : public ::testing::Test {
 protected:
  PortArgument() {
    char pattern[] = "/tmp/aisfw-port-XXXXXX";
    folder_ = mkdtemp(pattern);
  }
  ~PortArgument() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path folder_;
};

TEST_F(PortArgument, NamesPathsAndStableLinks) {
  namespace fs = std::filesystem;
  EXPECT_TRUE(cli::ResolvePortArgument("auto").automatic);
  EXPECT_EQ(cli::ResolvePortArgument("ttyUSB0").name, "ttyUSB0");
  EXPECT_EQ(cli::ResolvePortArgument("/dev/ttyUSB7").name, "ttyUSB7")
      << "a device straight under /dev is named as the port list names it";
  // A by-id link leads to its adapter's device.
  fs::create_symlink("/dev/null", folder_ / "usb-FTDI_FT232R_A1-if00-port0");
  EXPECT_EQ(cli::ResolvePortArgument((folder_ / "usb-FTDI_FT232R_A1-if00-port0").string()).name,
            "null");
  // Any other device keeps its path, followed through its links.
  std::ofstream(folder_ / "pty");
  fs::create_symlink(folder_ / "pty", folder_ / "link");
  EXPECT_EQ(cli::ResolvePortArgument((folder_ / "link").string()).name, (folder_ / "pty").string());
  // A link that leads nowhere stays as typed, so the error names it.
  fs::create_symlink(folder_ / "gone", folder_ / "dangling");
  EXPECT_EQ(cli::ResolvePortArgument((folder_ / "dangling").string()).name,
            (folder_ / "dangling").string());
}

}  // namespace
