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

// How many of the sentences sent contain `text`.
long SentCount(WizardTest& t, const std::string& text) {
  const auto& tx = t.View().Log(upgrade::LogPane::MemoTX);
  return std::count_if(tx.begin(), tx.end(),
                       [&](const std::string& l) { return l.find(text) != l.npos; });
}

// Ready for the application when asked for the kernel: nothing goes to the
// device's memory without the user's Yes. The question comes with the
// application's versions; No sends nothing, Yes sends the application only.
TEST_F(WizardTest, AnApplicationReplyToTheKernelRequestWaitsForTheUsersAnswer) {
  for (const bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "Yes" : "No");
    const std::string port = yes ? "ttyV1" : "ttyV0";
    Device(port, WithFault(sim::FaultKind::PartReply));  // answers the kernel request with 2
    ASSERT_TRUE(rig_->ConnectManually(port));
    EXPECT_EQ(Text(Control::LabelFrmVerOriginal1), "V1.0.0");
    EXPECT_EQ(Text(Control::LabelFrmVerNew1), "V2.3.2");
    EXPECT_EQ(Text(Control::LabelFrmVerWantToContinue), "Do you want to continue?");
    rig_->RunFor(30'000);  // the question waits
    EXPECT_EQ(View().Page(), upgrade::Page::TabSheetFirmwareVersion);
    EXPECT_EQ(SentCount(*this, "DBG,103,"), 0) << "a block count went out without a Yes";
    if (!yes) {
      rig_->PressNo();
      rig_->RunFor(10'000);
      EXPECT_EQ(Events().LastOutcome(), upgrade::WizardOutcome::Declined);
      EXPECT_EQ(SentCount(*this, "DBG,103,"), 0);
      EXPECT_TRUE(rig_->Device(port)->Transponder().ReceivedPart(2).empty());
      continue;
    }
    rig_->PressYes();
    ASSERT_TRUE(rig_->RunUntil([&] { return Finished(); }, 600'000));
    // The device files what it took under the kernel it was asked for.
    EXPECT_EQ(rig_->Device(port)->Transponder().ReceivedPart(1), Image(702));
    EXPECT_EQ(SentCount(*this, "DBG,103,64,"), 0) << "the kernel is never announced";
    EXPECT_GE(SentCount(*this, "DBG,103,124,"), 5);
    EXPECT_TRUE(MessageTexts().empty());
  }
}

// A part reply other than 1 or 2 keeps the preparation waiting: the page
// shows the running version, offers no Yes, says what it waits for, and No
// leaves.
TEST_F(WizardTest, AnUnknownPartReplyKeepsThePreparationWaitingAndNoLeaves) {
  Device("ttyV0", WithFault(sim::FaultKind::PartReply, 3));
  rig_->PressStart();
  rig_->ChooseManual("ttyV0");
  rig_->PressContinue();
  ASSERT_TRUE(rig_->RunUntil(
      [&] { return View().State(Control::SpeedButtonFrmVerWantToContinueNo).visible; }, 60'000));
  EXPECT_FALSE(Core().Transfer().HoldsImage());
  EXPECT_FALSE(View().State(Control::SpeedButtonFrmVerWantToContinueYes).enabled);
  EXPECT_EQ(Text(Control::LabelFrmVerOriginal1), "V1.0.0");
  EXPECT_EQ(Text(Control::LabelFrmVerNew1), "");
  rig_->PressYes();
  rig_->RunFor(10'000);
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetFirmwareVersion);
  EXPECT_FALSE(Core().State().UpgradeRunning);
  EXPECT_EQ(Core().Channel().PartReply, 3);
  EXPECT_TRUE(View().State(Control::LabelDeviceQuiet).visible);
  EXPECT_EQ(Text(Control::LabelDeviceQuiet).substr(0, 57),
            "The device has not said that it is ready for the kernel f");
  rig_->PressNo();
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetStart);
  EXPECT_EQ(Events().LastOutcome(), upgrade::WizardOutcome::Declined);
  rig_->RunFor(1000);
  EXPECT_FALSE(View().State(Control::LabelDeviceQuiet).visible);
}

// The version page shows the versions of the device connected now, and Yes
// only once they are all known: not the blanks of a part reply still to
// come, nor the versions of the device upgraded before in the same window.
TEST_F(WizardTest, TheVersionPageOffersYesOnlyWithThisDevicesVersions) {
  Device("ttyV0");
  ASSERT_TRUE(RunUpgrade("ttyV0"));
  BackToChecklist();

  sim::TransponderConfig config = WithFault(sim::FaultKind::SlowPartReply, 6000);
  config.firmware = "V9.9.9";
  config.serial = "7654321";
  config.language = std::array{1, 2, 3, 7};  // image 704
  Device("ttyV1", config);
  rig_->PressStart();
  rig_->ChooseManual("ttyV1");
  rig_->PressContinue();
  bool blankShown = false;
  ASSERT_TRUE(rig_->RunUntil(
      [&] {
        const std::string& running = Text(Control::LabelFrmVerOriginal1);
        const std::string& next = Text(Control::LabelFrmVerNew1);
        EXPECT_TRUE(running.empty() || running == "V9.9.9") << running;
        EXPECT_TRUE(next.empty() || next == "V2.3.4") << next;
        const upgrade::ControlState& yes =
            View().State(Control::SpeedButtonFrmVerWantToContinueYes);
        // The device's own version from the moment the page shows.
        if (yes.visible) {
          EXPECT_EQ(running, "V9.9.9");
        }
        if (yes.visible && yes.enabled) {
          EXPECT_EQ(next, "V2.3.4");
          EXPECT_EQ(Text(Control::LabelFrmUpgSerialNumber1), "7654321");
        }
        blankShown = blankShown || (yes.visible && next.empty());
        return yes.visible && yes.enabled;
      },
      120'000));
  EXPECT_TRUE(blankShown) << "the part reply came before the page asked: the test shows nothing";
  EXPECT_EQ(Text(Control::lblUpgradeStatus), "Check Bin File ... OK");
  rig_->PressYes();
  ASSERT_TRUE(rig_->RunUntil([&] { return Finished(); }, 600'000));
  EXPECT_EQ(rig_->Device("ttyV1")->Transponder().ReceivedPart(2), Image(704));
}

// A device that says nothing but its answers (no idle traffic) is prepared
// all the same: the preparation does not wait for a line after the answer.
TEST_F(WizardTest, ADeviceWithoutIdleTrafficIsUpgraded) {
  Device("ttyV0", WithFault(sim::FaultKind::NoIdle));
  ASSERT_TRUE(RunUpgrade("ttyV0"));
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

// Slow answers, answers in a later slot of the sentence, and block replies
// that are not the block's number but mean no harm only change the pace.
TEST_F(WizardTest, AnswersThatComeLateOrOddlyStillUpgrade) {
  const std::vector<sim::Fault> faults = {
      {sim::FaultKind::SlowReplies, 1500}, {sim::FaultKind::SeveralSlots, 4},
      {sim::FaultKind::SeveralSlots, 2},   {sim::FaultKind::BlockReply, 0},
      {sim::FaultKind::BlockReply, -7},    {sim::FaultKind::BlockReply, -8888},
      {sim::FaultKind::BlockReply, -1},
  };
  int n = 0;
  for (const sim::Fault& fault : faults) {
    const std::string port = "ttyV" + std::to_string(n++);
    SCOPED_TRACE(port);
    sim::TransponderConfig config;
    config.faults = {fault};
    Device(port, config);
    ASSERT_TRUE(RunUpgrade(port));
    BackToChecklist();
  }
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
