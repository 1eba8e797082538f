// Devices that answer in unusual ways: another part than the one asked for,
// a sentence inside the information block, the block printed again after
// the upgrade, slow answers, other forms of the countdown.

#include "tests/connect/wizard_fixture.h"

namespace wizard_test {
namespace {

sim::TransponderConfig WithFault(sim::FaultKind kind, std::optional<long> n = std::nullopt) {
  sim::TransponderConfig config;
  config.faults = {{kind, n}};
  return config;
}

// Ready for the application when asked for the kernel: the application is
// prepared and sent at once, without the question.
TEST_F(WizardTest, AnApplicationReplyToTheKernelRequestSendsTheApplicationWithoutAsking) {
  Device("ttyV0", WithFault(sim::FaultKind::PartReply, 2));
  rig_->PressStart();
  rig_->ChooseManual("ttyV0");
  rig_->PressContinue();
  ASSERT_TRUE(rig_->RunUntil([&] { return Finished(); }, 600'000));
  EXPECT_FALSE(View().State(Control::SpeedButtonFrmVerWantToContinueYes).visible);
  const auto& tx = View().Log(upgrade::LogPane::MemoTX);
  // The application's block count (five times, then once for each readiness
  // the countdown announces); the kernel's never.
  EXPECT_GE(std::count_if(tx.begin(), tx.end(),
                          [](const std::string& l) { return l.find("DBG,103,124,") != l.npos; }),
            5);
  EXPECT_EQ(std::count_if(tx.begin(), tx.end(),
                          [](const std::string& l) { return l.find("DBG,103,64,") != l.npos; }),
            0);
}

// A part reply other than 1 or 2 keeps the preparation waiting: the page
// shows the versions, Yes does nothing, No leaves.
TEST_F(WizardTest, AnUnknownPartReplyKeepsThePreparationWaitingAndNoLeaves) {
  Device("ttyV0", WithFault(sim::FaultKind::PartReply, 3));
  ASSERT_TRUE(rig_->ConnectManually("ttyV0"));
  EXPECT_FALSE(Core().Transfer().ImageFile.IsOpen());
  rig_->PressYes();
  rig_->RunFor(10'000);
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetFirmwareVersion);
  EXPECT_FALSE(Core().State().UpgradeRunning);
  EXPECT_EQ(Core().Channel().PartReply, 3);
  rig_->PressNo();
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetStart);
  EXPECT_EQ(Core().State().Outcome, upgrade::WizardOutcome::Declined);
}

// A sentence ends the information block where it stands: what follows it is
// not read.
TEST_F(WizardTest, ASentenceInsideTheInformationBlockEndsItThere) {
  Device("ttyV0", WithFault(sim::FaultKind::InfoSentence, 3));  // after S/N: no class line
  rig_->PressStart();
  rig_->ChooseManual("ttyV0");
  rig_->PressContinue();
  ASSERT_TRUE(rig_->RunUntil([&] { return !View().Messages().empty(); }, 60'000));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Invalid hardware identification!"});
  BackToChecklist();

  Device("ttyV1", WithFault(sim::FaultKind::InfoSentence, 5));  // before the language line
  ASSERT_TRUE(RunUpgrade("ttyV1", 701));                        // the default application
}

// The information of a device upgraded before does not stand in for lines
// the next device leaves out.
TEST_F(WizardTest, ANewConnectionReadsNothingOfTheDeviceBefore) {
  Device("ttyV0");
  ASSERT_TRUE(RunUpgrade("ttyV0"));
  BackToChecklist();
  sim::TransponderConfig noClass;
  noClass.classDigit.reset();
  noClass.serial = "7654321";
  Device("ttyV1", noClass);
  rig_->PressStart();
  rig_->ChooseManual("ttyV1");
  rig_->PressContinue();
  ASSERT_TRUE(rig_->RunUntil([&] { return !View().Messages().empty(); }, 60'000));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Invalid hardware identification!"});
}

TEST_F(WizardTest, TheBlockPrintedAgainAfterTheUpgradeIsIgnored) {
  Device("ttyV0", WithFault(sim::FaultKind::InfoAfterUpgrade));
  ASSERT_TRUE(RunUpgrade("ttyV0"));
  const auto& rx = View().Log(upgrade::LogPane::MemoRX);
  ASSERT_TRUE(
      rig_->RunUntil([&] { return std::count(rx.begin(), rx.end(), "[DEVICE DATA END]") >= 4; },
                     10'000));  // it came
  rig_->RunFor(5000);
  EXPECT_TRUE(Finished());
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_STREQ(Core().DeviceInfo().Records[0].firmware, "V1.0.0\r\n");
}

TEST_F(WizardTest, SlowAnswersOnlyMakeTheUpgradeSlower) {
  Device("ttyV0", WithFault(sim::FaultKind::SlowReplies, 1500));
  ASSERT_TRUE(RunUpgrade("ttyV0"));
}

TEST_F(WizardTest, EachFormOfTheCountdownStartsTheTransfer) {
  int n = 0;
  for (const auto lines : {sim::CountdownLines::DigitsOnly, sim::CountdownLines::WaitOnly}) {
    const std::string port = "ttyV" + std::to_string(n++);
    sim::TransponderConfig config;
    config.countdownLines = lines;
    Device(port, config);
    ASSERT_TRUE(RunUpgrade(port)) << port;
    BackToChecklist();
  }
}

}  // namespace
}  // namespace wizard_test
