// Whole upgrades in virtual time, from the checklist page to the last text
// of the upgrade page, read off what the window shows.

#include "tests/connect/wizard_fixture.h"

namespace wizard_test {
namespace {

TEST_F(WizardTest, AManualUpgradeSendsTheKernelThenTheApplicationByteForByte) {
  sim::VirtualTransponder& device = Device("ttyV0").Transponder();
  ASSERT_TRUE(rig_->ConnectManually("ttyV0"));
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetFirmwareVersion);
  EXPECT_EQ(Text(Control::LabelFrmVerOriginal1), "V1.0.0");
  EXPECT_EQ(Text(Control::LabelFrmVerOriginal3), "V1.0.0");
  EXPECT_EQ(Text(Control::LabelFrmVerNew1), "V2.3.2");  // the sample catalogue's line for image 702
  EXPECT_EQ(Text(Control::LabelFrmVerNew3), "V2.3.2");
  EXPECT_EQ(Text(Control::lblUpgradeStatus), "Check Bin File ... OK");
  EXPECT_TRUE(View().State(Control::LabelFrmVerWantToContinue).visible);
  EXPECT_EQ(Text(Control::LabelFrmVerWantToContinue), "Do you want to continue?");

  rig_->PressYes();
  ASSERT_TRUE(rig_->RunUntil([&] { return Text(Control::LabelDebugFrmUpg) == "10/64"; }, 60'000));
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetFirmwareUpgrade);
  EXPECT_EQ(Text(Control::lblUpgradeStatus), "Upgrading ...");
  EXPECT_EQ(Text(Control::lbl2ndAISUpgradeStatus), "Upgrade AIS Kernel");
  EXPECT_EQ(Text(Control::LabelFrmUpgSerialNumber1), "1234567");
  EXPECT_EQ(Text(Control::StaticTextFrmUpgMessage1), "Upgrade in process!");
  EXPECT_EQ(Text(Control::StaticTextFrmUpgMessage2), "Please wait a moment.");
  EXPECT_FALSE(View().State(Control::SpeedButtonFrmUpgFinish).enabled);

  ASSERT_TRUE(rig_->RunUntil(
      [&] { return Text(Control::lbl2ndAISUpgradeStatus) == "Upgrade AIS Application"; }, 120'000));
  ASSERT_TRUE(rig_->RunUntil([&] { return Finished(); }, 600'000))
      << Text(Control::lblUpgradeStatus);
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetFirmwareUpgrade);
  EXPECT_EQ(Text(Control::StaticTextFrmUpgMessage2), "Please restart your AIS device.");
  EXPECT_EQ(View().State(Control::StaticTextFrmUpgMessage1).colour, upgrade::kNavy);
  EXPECT_EQ(Text(Control::lbl2ndAISUpgradeStatus), "Application Upgrade Finished");
  EXPECT_EQ(Text(Control::LabelProgressPersent), "100%");
  EXPECT_TRUE(View().State(Control::SpeedButtonFrmUpgFinish).enabled);
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_EQ(device.ReceivedPart(1), Image(700));
  EXPECT_EQ(device.ReceivedPart(2), Image(702));
  EXPECT_EQ(Events().LastOutcome(), upgrade::WizardOutcome::Finished);
  EXPECT_FALSE(Core().Transfer().HoldsImage());
  // The one time the wizard blocks: before the application is validated.
  EXPECT_EQ(rig_->Pauses(), std::vector<std::int64_t>{2000});

  // Finish leads back to the checklist page and closes the port.
  rig_->Wizard().SpeedButtonFrmUpgFinishClick();
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetStart);
  EXPECT_FALSE(rig_->Wizard().Port().Connected());
}

TEST_F(WizardTest, AClassOneDeviceGetsEveryBlockWithItsSixteenBitSum) {
  sim::TransponderConfig config;
  config.classDigit = 1;
  Device("ttyV0", config);
  ASSERT_TRUE(RunUpgrade("ttyV0"));
  EXPECT_EQ(rig_->Device("ttyV0")->Transponder().BlockSize(), 264u);
}

// Which application a device gets from its language digits, and the new
// version the version page shows for it.
TEST_F(WizardTest, TheLanguageDigitsChooseTheApplicationImage) {
  struct Row {
    std::optional<std::array<int, 4>> language;
    int image;
    const char* version;
  };
  const Row rows[] = {
      {std::array{1, 2, 3, 5}, 702, "V2.3.2"}, {std::array{1, 2, 3, 6}, 703, "V2.3.3"},
      {std::array{1, 2, 3, 7}, 704, "V2.3.4"}, {std::array{1, 2, 3, 8}, 701, "V2.3.1"},
      {std::array{2, 2, 3, 5}, 701, "V2.3.1"}, {std::nullopt, 701, "V2.3.1"},
  };
  int n = 0;
  for (const Row& row : rows) {
    const std::string port = "ttyV" + std::to_string(n++);
    sim::TransponderConfig config;
    config.language = row.language;
    Device(port, config);
    ASSERT_TRUE(rig_->ConnectManually(port)) << port;
    EXPECT_EQ(Text(Control::LabelFrmVerNew1), row.version) << port;
    rig_->PressYes();
    ASSERT_TRUE(rig_->RunUntil([&] { return Finished(); }, 600'000)) << port;
    EXPECT_EQ(rig_->Device(port)->Transponder().ReceivedPart(2), Image(row.image)) << port;
    BackToChecklist();
  }
}

TEST_F(WizardTest, AutomaticModeFindsTheDeviceOnTheSecondOfThreePortsAt38400) {
  rig_->AddPort("ttyV0");
  sim::TransponderConfig config;
  config.baud = 38400;
  Device("ttyV1", config);
  rig_->AddPort("ttyV2");
  rig_->PressStart();
  rig_->ChooseAuto();
  EXPECT_EQ(View().State(Control::PageControlDetectComPortMode).value,
            static_cast<int>(upgrade::ModePage::TabSheetAutoConnectComPort));
  EXPECT_EQ(Text(Control::StaticTextSerialPortNote1), "Auto detect serial port and baud rate!");
  rig_->PressContinue();
  EXPECT_EQ(Text(Control::OpenPort), "Discontinue");
  EXPECT_EQ(Text(Control::EditAutoDetectComPort), "ttyV0");
  EXPECT_EQ(Text(Control::EditAutoDetectBaudRate), "115200");
  EXPECT_EQ(Text(Control::lblUpgradeStatus), "Serial Port Detecting...");

  ASSERT_TRUE(rig_->RunUntil(
      [&] { return View().Page() == upgrade::Page::TabSheetFirmwareVersion; }, 80'000));
  EXPECT_EQ(Text(Control::EditAutoDetectComPort), "ttyV1");
  EXPECT_EQ(Text(Control::EditAutoDetectBaudRate), "38400");
  EXPECT_EQ(Text(Control::LabelConnectionStatus), "Connected...");
  EXPECT_EQ(View().State(Control::LabelConnectionStatus).colour, upgrade::kBlue);
  ASSERT_TRUE(rig_->RunUntil(
      [&] { return View().State(Control::SpeedButtonFrmVerWantToContinueYes).visible; }, 30'000));
  rig_->PressYes();
  ASSERT_TRUE(rig_->RunUntil([&] { return Finished(); }, 600'000));
  EXPECT_EQ(rig_->Device("ttyV1")->Transponder().ReceivedPart(2), Image(702));
  EXPECT_TRUE(MessageTexts().empty());
}

TEST_F(WizardTest, NoOnTheVersionPageClosesTheImageAndReturnsToTheChecklist) {
  Device("ttyV0");
  ASSERT_TRUE(rig_->ConnectManually("ttyV0"));
  EXPECT_TRUE(Core().Transfer().ImageFile.IsOpen());         // the kernel, prepared
  EXPECT_TRUE(Core().Transfer().ApplicationImage.IsOpen());  // and the application with it
  rig_->PressNo();
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetStart);
  EXPECT_FALSE(Core().Transfer().HoldsImage());
  EXPECT_EQ(Events().LastOutcome(), upgrade::WizardOutcome::Declined);
  rig_->RunFor(5000);
  EXPECT_TRUE(rig_->Device("ttyV0")->Transponder().ReceivedPart(1).empty());
  EXPECT_FALSE(rig_->Wizard().Port().Connected());
  EXPECT_TRUE(MessageTexts().empty());
}

// Yes before the kernel image is prepared must not start a transfer: it is
// ignored, and the page asks again once the image is ready.
TEST_F(WizardTest, YesBeforeTheImageIsPreparedIsIgnored) {
  Device("ttyV0");
  rig_->PressStart();
  rig_->ChooseManual("ttyV0");
  rig_->PressContinue();
  ASSERT_TRUE(rig_->RunUntil(
      [&] { return View().Page() == upgrade::Page::TabSheetFirmwareVersion; }, 30'000));
  rig_->PressYes();
  rig_->PressNo();
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetFirmwareVersion);
  ASSERT_TRUE(rig_->RunUntil(
      [&] { return View().State(Control::SpeedButtonFrmVerWantToContinueYes).visible; }, 30'000));
  EXPECT_FALSE(Core().State().UpgradeRunning);
  rig_->PressYes();
  ASSERT_TRUE(rig_->RunUntil([&] { return Finished(); }, 600'000));
}

// What is sent is what was validated: the images are held in memory from
// their validation to the end of their part, so files changed on disk in
// the meantime (a stick pulled, a sync client replacing them) change nothing.
TEST_F(WizardTest, ImagesChangedOnDiskDuringTheUpgradeAreSentAsValidated) {
  const std::vector<std::uint8_t> kernel = Image(700), application = Image(702);
  const auto cut = [&](int number, std::uintmax_t size) {
    std::filesystem::resize_file(folder_ / firmware::ImagePath(number), size);
  };
  Device("ttyV0");
  ASSERT_TRUE(rig_->ConnectManually("ttyV0"));
  rig_->PressYes();
  ASSERT_TRUE(rig_->RunUntil([&] { return Text(Control::LabelDebugFrmUpg) == "10/64"; }, 60'000));
  cut(700, 263 * 12 + 40);  // mid-kernel: both files cut short
  cut(702, 263 * 5);
  ASSERT_TRUE(rig_->RunUntil([&] { return Text(Control::LabelDebugFrmUpg) == "10/124"; }, 120'000));
  std::filesystem::remove(folder_ / firmware::ImagePath(702));  // mid-application: gone
  ASSERT_TRUE(rig_->RunUntil([&] { return Finished(); }, 600'000))
      << Text(Control::lblUpgradeStatus);
  EXPECT_EQ(rig_->Device("ttyV0")->Transponder().ReceivedPart(1), kernel);
  EXPECT_EQ(rig_->Device("ttyV0")->Transponder().ReceivedPart(2), application);
  EXPECT_TRUE(MessageTexts().empty());
}

// Each part counts its own countdown: its block count goes out five times at
// the start and once for each readiness the device announces, the third
// countdown line and the "wait" line. Digits left over from the kernel's
// countdown would make the application's "5" and "2" count as ready too.
TEST_F(WizardTest, EachPartCountsItsOwnCountdown) {
  Device("ttyV0");
  ASSERT_TRUE(RunUpgrade("ttyV0"));
  const auto& tx = View().Log(upgrade::LogPane::MemoTX);
  EXPECT_EQ(std::count(tx.begin(), tx.end(), "$PZLX,R,DBG,103,64,,0,,0,,0*0D"), 7);
  EXPECT_EQ(std::count(tx.begin(), tx.end(), "$PZLX,R,DBG,103,124,,0,,0,,0*38"), 7);
}

// The images come from the program's folder, the catalogue from the current
// folder: two folders, each with a Bin of its own.
TEST_F(WizardTest, TheCatalogueIsReadFromTheCurrentFolderAndTheImagesFromTheProgramFolder) {
  char pattern[] = "/tmp/aisfw-current-XXXXXX";
  const std::filesystem::path current = mkdtemp(pattern);
  std::filesystem::create_directories(current / "Bin");
  std::ofstream(current / "Bin/Firmware.csv") << "Bin\\App_702.SBIN,C7.0.2\n";
  std::ofstream(folder_ / "Bin/Firmware.csv") << "Bin\\App_702.SBIN,P7.0.2\n";
  harness::RigOptions options{folder_, {}};
  options.catalogueFolder = current;
  rig_ = std::make_unique<harness::VirtualRig>(options);
  Device("ttyV0");
  ASSERT_TRUE(rig_->ConnectManually("ttyV0"));
  EXPECT_EQ(Text(Control::LabelFrmVerNew1), "C7.0.2");
  rig_->PressYes();
  ASSERT_TRUE(rig_->RunUntil([&] { return Finished(); }, 600'000));
  EXPECT_EQ(rig_->Device("ttyV0")->Transponder().ReceivedPart(2), Image(702));
  rig_.reset();
  std::filesystem::remove_all(current);
}

// The same setup gives the same run, byte for byte, both log panes included.
TEST_F(WizardTest, TheSameSetupGivesTheSameRun) {
  const auto run = [&](std::uint64_t seed) {
    harness::VirtualRig rig({folder_, {}});
    sim::TransponderConfig config;
    config.seed = seed;
    config.outDir = folder_;
    config.faults = {{sim::FaultKind::LoseBlock, 4}, {sim::FaultKind::Garbage, std::nullopt}};
    rig.AddDevice("ttyV0", config);
    EXPECT_TRUE(rig.ConnectManually("ttyV0"));
    rig.PressYes();
    EXPECT_TRUE(rig.RunUntil(
        [&] {
          return rig.View().Text(Control::StaticTextFrmUpgMessage1) == "Firmware upgrade finished.";
        },
        600'000));
    return std::make_pair(rig.View().Log(upgrade::LogPane::MemoTX),
                          rig.View().Log(upgrade::LogPane::MemoRX));
  };
  const auto first = run(7);
  EXPECT_EQ(first, run(7));
  EXPECT_NE(first.second, run(8).second);
}

}  // namespace
}  // namespace wizard_test
