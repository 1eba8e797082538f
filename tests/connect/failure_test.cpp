// Every way a run can fail, each with its exact message, the state the
// wizard is left in, and a successful upgrade in the same process after it.

#include <unistd.h>

#include "tests/connect/wizard_fixture.h"

namespace wizard_test {
namespace {

using upgrade::Page;
using upgrade::WizardOutcome;

constexpr const char* kCheckCable =
    "Please check the RS-232 cableline is serviceable     \n"
    "or try to use another PC to upgrade your AIS         \n"
    "and try again.";

struct Failure {
  const char* name;
  std::function<void(WizardTest&)> arrange;  // ports, devices, files
  std::function<void(WizardTest&)> act;      // the user's steps up to the failure
  std::string text;                          // the message box (its start, when `prefix`)
  std::string caption;
  WizardOutcome outcome;
  Page page;  // where the wizard is left
  bool prefix = false;
  bool forced = false;  // the port is not among the openable ones: asked first
  // What else the failure must have left (nothing sent, say), and any
  // tidying before the next run.
  std::function<void(WizardTest&)> after = [](WizardTest&) {};
};

// How many of the sentences sent contain `text`.
long SentCount(WizardTest& t, const std::string& text) {
  const auto& tx = t.View().Log(upgrade::LogPane::MemoTX);
  return std::count_if(tx.begin(), tx.end(),
                       [&](const std::string& l) { return l.find(text) != l.npos; });
}

// No block count went out: nothing reached the device's memory.
void NothingSent(WizardTest& t) {
  EXPECT_EQ(SentCount(t, "DBG,103,"), 0);
  EXPECT_TRUE(t.rig_->Device("ttyV0")->Transponder().ReceivedPart(1).empty());
}

// The kernel was programmed; of the application nothing went out.
void KernelOnly(WizardTest& t) {
  EXPECT_EQ(t.rig_->Device("ttyV0")->Transponder().ReceivedPart(1), t.Image(700));
  EXPECT_EQ(SentCount(t, "DBG,103,124,"), 0);
  EXPECT_TRUE(t.rig_->Device("ttyV0")->Transponder().ReceivedPart(2).empty());
}

void DamageBlockFour(const std::filesystem::path& image) {
  std::FILE* f = std::fopen(image.c_str(), "r+b");
  std::fseek(f, 263 * 3 + 10, SEEK_SET);  // a code byte of block 4
  std::fputc(0x5A ^ 0xFF, f);
  std::fclose(f);
}

sim::TransponderConfig WithFault(sim::FaultKind kind, std::optional<long> n = std::nullopt) {
  sim::TransponderConfig config;
  config.faults = {{kind, n}};
  return config;
}

void Manual(WizardTest& t) {
  t.rig_->PressStart();
  t.rig_->ChooseManual("ttyV0");
  t.rig_->PressContinue();
}

void ManualThenYes(WizardTest& t) {
  ASSERT_TRUE(t.rig_->ConnectManually("ttyV0"));
  t.rig_->PressYes();
}

void Auto(WizardTest& t) {
  t.rig_->PressStart();
  t.rig_->ChooseAuto();
  t.rig_->PressContinue();
}

void PrintTo(const Failure& f, std::ostream* out) { *out << f.name; }

class FailureTest : public WizardTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(FailureTest, EndsWithItsMessageLeavesNothingOpenAndTheNextRunWorks) {
  const Failure& f = GetParam();
  f.arrange(*this);
  f.act(*this);
  const std::size_t count = f.forced ? 2 : 1;
  ASSERT_TRUE(rig_->RunUntil([&] { return View().Messages().size() >= count; }, 200'000))
      << "no message";
  if (f.forced) {
    EXPECT_EQ(
        View().Messages().front().box.text,
        "Note! Any force connect this serial port may cause unpredictable mistakes. Continue?");
    EXPECT_EQ(View().Messages().front().box.buttons, upgrade::MessageButtons::OkCancel);
  }
  const upgrade::MessageBox& box = View().Messages()[count - 1].box;
  if (f.prefix) {
    EXPECT_EQ(box.text.substr(0, f.text.size()), f.text);
  } else {
    EXPECT_EQ(box.text, f.text);
  }
  EXPECT_EQ(box.caption, f.caption);
  rig_->RunFor(3000);  // the next tick resets what the failure leaves
  EXPECT_EQ(View().Messages().size(), count) << View().Messages().back().box.text;
  ASSERT_EQ(Events().ends.size(), 1u) << "one end for one run";
  EXPECT_EQ(Events().ends[0].outcome, f.outcome);
  EXPECT_EQ(Core().State().WizardStage, upgrade::Stage::Idle);
  EXPECT_EQ(View().Page(), f.page);
  EXPECT_FALSE(Core().Transfer().HoldsImage());
  EXPECT_FALSE(rig_->Wizard().Port().Connected());
  EXPECT_EQ(Text(Control::OpenPort), "Continue");
  EXPECT_FALSE(View().State(Control::OpenPort).down);
  f.after(*this);

  // The same window, a healthy device on another port: it all works.
  firmware::WriteSampleFirmware(folder_, *std::make_unique<std::string>());
  BackToChecklist();
  Device("ttyV9");
  EXPECT_TRUE(RunUpgrade("ttyV9"));
}

const Failure kFailures[] = {
    {"NoOpenablePort", [](WizardTest& t) { t.rig_->HoldElsewhere("ttyV0"); }, Auto,
     "All serial ports are occupied or no existing!     ", "Error", WizardOutcome::NoPorts,
     Page::TabSheetConnectDevice},
    {"NoDeviceInTheScan", [](WizardTest& t) { t.rig_->AddPort("ttyV0"); }, Auto,
     "Serial port detecting failed.", "Warning", WizardOutcome::DetectFailed,
     Page::TabSheetConnectDevice},
    {"ManualPortMissing", [](WizardTest&) {}, Manual,
     "Serial port open error! Please check!     \n", "Warning", WizardOutcome::OpenFailed,
     Page::TabSheetConnectDevice, true, true},
    {"ManualPortHeld", [](WizardTest& t) { t.rig_->HoldElsewhere("ttyV0"); }, Manual,
     "Serial port open error! Please check!     \n", "Warning", WizardOutcome::OpenFailed,
     Page::TabSheetConnectDevice, true, true},
    {"ManualNoAnswer", [](WizardTest& t) { t.rig_->AddPort("ttyV0"); }, Manual,
     "Serial port connection time out!", "Error", WizardOutcome::ConnectTimeout,
     Page::TabSheetConnectDevice},
    {"ManualWrongBaud",
     [](WizardTest& t) {
       sim::TransponderConfig config;
       config.baud = 9600;
       t.Device("ttyV0", config);
     },
     Manual, "Serial port connection time out!", "Error", WizardOutcome::ConnectTimeout,
     Page::TabSheetConnectDevice},
    {"ReadingsDiffer",
     [](WizardTest& t) { t.Device("ttyV0", WithFault(sim::FaultKind::InfoDiffers)); }, Manual,
     "Invalid hardware identification!", "Error", WizardOutcome::Identification,
     Page::TabSheetStart},
    {"NoClassLine",
     [](WizardTest& t) {
       sim::TransponderConfig config;
       config.classDigit.reset();
       t.Device("ttyV0", config);
     },
     Manual, "Invalid hardware identification!", "Error", WizardOutcome::Identification,
     Page::TabSheetStart},
    {"MissingApplicationImage",
     [](WizardTest& t) {
       t.Device("ttyV0");
       std::filesystem::remove(t.folder_ / "Bin/App_702.SBIN");
     },
     Manual, "No firmware is found or incorrect firmware!     ", "Error",
     WizardOutcome::MissingImage, Page::TabSheetStart},
    {"MissingKernelImage",
     [](WizardTest& t) {
       t.Device("ttyV0");
       std::filesystem::remove(t.folder_ / "Bin/App_700.SBIN");
     },
     Manual, "No firmware is found or incorrect firmware!     ", "Error",
     WizardOutcome::MissingImage, Page::TabSheetStart},
    {"InvalidImage",
     [](WizardTest& t) {
       t.Device("ttyV0");
       DamageBlockFour(t.folder_ / "Bin/App_700.SBIN");
     },
     Manual, "Invalid firmware upgrade BIN file format!", "", WizardOutcome::InvalidImage,
     Page::TabSheetStart, false, false, NothingSent},
    // Found before the kernel goes out, not after it has been programmed.
    {"InvalidApplicationImage",
     [](WizardTest& t) {
       t.Device("ttyV0");
       DamageBlockFour(t.folder_ / "Bin/App_702.SBIN");
     },
     Manual, "Invalid firmware upgrade BIN file format!", "", WizardOutcome::InvalidImage,
     Page::TabSheetStart, false, false, NothingSent},
    {"ImageIsAFolder",
     [](WizardTest& t) {
       t.Device("ttyV0");
       std::filesystem::remove(t.folder_ / "Bin/App_700.SBIN");
       std::filesystem::create_directory(t.folder_ / "Bin/App_700.SBIN");
     },
     Manual, "No firmware is found or incorrect firmware!     \n", "Error",
     WizardOutcome::MissingImage, Page::TabSheetStart, true, false,
     [](WizardTest& t) {
       EXPECT_NE(t.View().Messages().back().box.text.find("App_700.SBIN is not a file"),
                 std::string::npos);
       NothingSent(t);
       std::filesystem::remove(t.folder_ / "Bin/App_700.SBIN");
     }},
    // An image is a few hundred KiB: a file this large is not read whole.
    {"ImageTooLarge",
     [](WizardTest& t) {
       t.Device("ttyV0");
       std::filesystem::resize_file(t.folder_ / "Bin/App_702.SBIN", upgrade::kMaxImageBytes + 1);
     },
     Manual, "No firmware is found or incorrect firmware!     \n", "Error",
     WizardOutcome::MissingImage, Page::TabSheetStart, true, false,
     [](WizardTest& t) {
       EXPECT_NE(t.View().Messages().back().box.text.find("App_702.SBIN is larger than 16 MiB"),
                 std::string::npos);
       NothingSent(t);
     }},
    {"MissingCatalogue",
     [](WizardTest& t) {
       t.Device("ttyV0");
       std::filesystem::remove(t.folder_ / "Bin/Firmware.csv");
     },
     Manual, "No firmware version is detected!     ", "Error", WizardOutcome::MissingCatalogue,
     Page::TabSheetStart},
    {"TooManyTransmissionErrors",
     [](WizardTest& t) { t.Device("ttyV0", WithFault(sim::FaultKind::LoseBurst)); }, ManualThenYes,
     std::string("Too many transmission errors!\n") + kCheckCable, "Error",
     WizardOutcome::TransmissionErrors, Page::TabSheetFirmwareUpgrade},
    {"IncorrectBlockCount",
     [](WizardTest& t) { t.Device("ttyV0", WithFault(sim::FaultKind::WrongBlock, 5)); },
     ManualThenYes, "Incorrect block count! (5 -> 7)", "Error", WizardOutcome::IncorrectBlockCount,
     Page::TabSheetFirmwareUpgrade},
    {"ProgrammingFails",
     [](WizardTest& t) { t.Device("ttyV0", WithFault(sim::FaultKind::ProgramFail)); },
     ManualThenYes, "Firmware Upgrade Failure (Error Code=-4444)", "Error",
     WizardOutcome::ProgrammingFailed, Page::TabSheetFirmwareUpgrade},
    {"ApplicationChecksumError",
     [](WizardTest& t) { t.Device("ttyV0", WithFault(sim::FaultKind::BadSum, 2)); }, ManualThenYes,
     kCheckCable, "Error", WizardOutcome::ChecksumError, Page::TabSheetFirmwareUpgrade},
    // A device that asks for a block again and again is given up.
    {"RepeatRequestedForEver",
     [](WizardTest& t) {
       t.Device("ttyV0", WithFault(sim::FaultKind::RepeatRequest, 1'000'000'000));
     },
     ManualThenYes, std::string("Too many transmission errors!\n") + kCheckCable, "Error",
     WizardOutcome::TransmissionErrors, Page::TabSheetFirmwareUpgrade, false, false,
     [](WizardTest& t) {
       EXPECT_TRUE(t.Events().quietNotices.empty()) << "it answered all the time";
     }},
    // Asked for the application after the kernel, the device asks for the
    // kernel again: the run ends, saying so, with nothing of the application sent.
    {"KernelAskedForAgain",
     [](WizardTest& t) { t.Device("ttyV0", WithFault(sim::FaultKind::PartReply, 1)); },
     ManualThenYes,
     "The device is ready for the kernel, but the application was requested.\n"
     "Please restart the AIS device and run the upgrade again.",
     "Error", WizardOutcome::UnexpectedPart, Page::TabSheetFirmwareUpgrade, false, false,
     KernelOnly},
    {"ApplicationRequestAnsweredWithAnUnknownPart",
     [](WizardTest& t) { t.Device("ttyV0", WithFault(sim::FaultKind::ApplicationReply, 3)); },
     ManualThenYes,
     "The device answered the request for the application with part 3.\n"
     "Please restart the AIS device and run the upgrade again.",
     "Error", WizardOutcome::UnexpectedPart, Page::TabSheetFirmwareUpgrade, false, false,
     KernelOnly},
    {"HangUpMidTransfer",
     [](WizardTest& t) { t.Device("ttyV0", WithFault(sim::FaultKind::Hangup, 5)); }, ManualThenYes,
     "Serial port disconnected! Please check the cable and the device, then try again.", "Error",
     WizardOutcome::HungUp, Page::TabSheetFirmwareUpgrade},
};

INSTANTIATE_TEST_SUITE_P(Wizard, FailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace wizard_test
