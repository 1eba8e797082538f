// The connection procedure's timing, read in virtual time: when each probe
// goes out, when each rate and port is tried, when a run gives up.

#include "tests/connect/wizard_fixture.h"

namespace wizard_test {
namespace {

// A port whose far end answers each probe with the end of the static data
// only: the device is detected but never sends its information block.
void AnswerProbesWithoutInformation(const std::shared_ptr<comm::MemoryLine>& line) {
  line->SetHostWriteHook([line = line.get()](std::string_view bytes) {
    line->TakeFromHost();
    if (bytes.find("$PTST,,,,,00016") != std::string_view::npos)
      line->SendToHost("[END OF STATIC DATA]\r\n");
  });
}

// When the first message box was shown, in whole seconds after `start`.
std::int64_t SecondsToMessage(WizardTest& t, std::int64_t start) {
  EXPECT_FALSE(t.View().Messages().empty());
  return t.View().Messages().empty() ? -1 : (t.View().Messages().front().atMs - start) / 1000;
}

TEST_F(WizardTest, TheScanGivesUpOnTick28WithOnePortAndOnTick76WithThree) {
  for (const int ports : {1, 3}) {
    harness::VirtualRig rig({folder_, {}});
    for (int i = 0; i < ports; ++i) rig.AddPort("ttyV" + std::to_string(i));
    rig.PressStart();
    rig.ChooseAuto();
    const std::int64_t start = rig.Now();
    rig.PressContinue();
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.View().Messages().empty(); }, 100'000));
    const harness::ShownMessage& shown = rig.View().Messages().front();
    EXPECT_EQ((shown.atMs - start) / 1000, ports * 24 + 4) << ports;
    EXPECT_EQ(shown.box.text, "Serial port detecting failed.");
  }
}

// A hot-plug notice during a scan leaves the scan's list alone: rebuilt, it
// would lose the port the scan holds open, and the scan reads it by index.
TEST_F(WizardTest, AHotPlugNoticeDuringAScanLeavesItsPortsAlone) {
  sim::TransponderConfig config;
  config.baud = 14400;  // not among the six rates: never answers
  Device("ttyV0", config);
  rig_->PressStart();
  rig_->ChooseAuto();
  rig_->PressContinue();
  rig_->RunFor(3000);
  rig_->Wizard().OnDeviceChange();
  EXPECT_EQ(Core().Ports().AvailablePorts, std::vector<std::string>{"ttyV0"});
  ASSERT_TRUE(rig_->RunUntil([&] { return !View().Messages().empty(); }, 60'000));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Serial port detecting failed."});
  EXPECT_EQ(Text(Control::EditAutoDetectComPort), "");
  rig_->Wizard().OnDeviceChange();  // after the run: rebuilt
  EXPECT_EQ(Core().Ports().AvailablePorts, std::vector<std::string>{"ttyV0"});
}

TEST_F(WizardTest, TheScanTriesEachRateOfEachPortInTurn) {
  for (int i = 0; i < 2; ++i) rig_->AddPort("ttyV" + std::to_string(i));
  rig_->PressStart();
  rig_->ChooseAuto();
  const std::int64_t start = rig_->Now();
  rig_->PressContinue();
  // (tick, port, rate) as the automatic-mode boxes show them.
  std::vector<std::tuple<int, std::string, std::string>> seen;
  for (int tick = 0; tick <= 51; ++tick) {  // tick 52 gives up (2 x 24 + 3)
    rig_->RunUntil([&] { return rig_->Now() >= start + tick * 1000 + 500; }, 2000);
    seen.emplace_back(tick, Text(Control::EditAutoDetectComPort),
                      Text(Control::EditAutoDetectBaudRate));
  }
  const std::vector<std::tuple<int, std::string, std::string>> expected = {
      {0, "ttyV0", "115200"}, {3, "ttyV0", "115200"}, {4, "ttyV0", "57600"},
      {8, "ttyV0", "38400"},  {12, "ttyV0", "19200"}, {16, "ttyV0", "9600"},
      {20, "ttyV0", "4800"},  {23, "ttyV0", "4800"},  {24, "ttyV1", "115200"},
      {28, "ttyV1", "57600"}, {47, "ttyV1", "4800"},  {48, "ttyV0", "115200"},
  };
  for (const auto& row : expected) EXPECT_EQ(seen[static_cast<std::size_t>(std::get<0>(row))], row);

  // A probe at the first two ticks of each rate's slot, but for the very
  // first tick, which opens the port: 11 per port up to tick 23, then one
  // at 24, 11 more, one at 48 and one at 49.
  const auto& tx = View().Log(upgrade::LogPane::MemoTX);
  EXPECT_EQ(std::count(tx.begin(), tx.end(), "$PTST,,,,,00016*18"), 11 + 1 + 11 + 1 + 1);
  rig_->RunFor(1000);
  ASSERT_EQ(MessageTexts(), std::vector<std::string>{"Serial port detecting failed."});
}

TEST_F(WizardTest, AManualRunGivesUpAfterTwentyTicksAndShowsTruncatedProgress) {
  rig_->AddPort("ttyV0");
  rig_->PressStart();
  rig_->ChooseManual("ttyV0");
  const std::int64_t start = rig_->Now();
  rig_->PressContinue();
  EXPECT_EQ(Text(Control::lblUpgradeStatus), "Serial Port Connection...");
  // Tick n runs n seconds after the click (tick 0 within it).
  rig_->RunUntil([&] { return rig_->Now() >= start + 7500; }, 10'000);
  EXPECT_EQ(Text(Control::LabelProgressPersent), "35%");
  ASSERT_TRUE(rig_->RunUntil([&] { return !View().Messages().empty(); }, 30'000));
  EXPECT_EQ(SecondsToMessage(*this, start), 21);
  EXPECT_EQ(View().Messages().front().box.text, "Serial port connection time out!");
}

TEST_F(WizardTest, TheVersionPageWaitsTwentyTicksForTheInformation) {
  AnswerProbesWithoutInformation(rig_->AddPort("ttyV0"));
  rig_->PressStart();
  rig_->ChooseManual("ttyV0");
  rig_->PressContinue();
  ASSERT_TRUE(rig_->RunUntil(
      [&] { return View().Page() == upgrade::Page::TabSheetFirmwareVersion; }, 10'000));
  const std::int64_t shown = rig_->Now();
  EXPECT_EQ(Text(Control::lblUpgradeStatus), "Collecting device information. Please wait...");
  ASSERT_TRUE(rig_->RunUntil([&] { return !View().Messages().empty(); }, 30'000));
  EXPECT_EQ(View().Messages().front().box.text, "Device information getting time out!     ");
  EXPECT_EQ(SecondsToMessage(*this, shown), 21);  // more than 20 ticks
  rig_->RunFor(1000);
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetStart);
  // The probe went out again every fifth tick while the page waited.
  const auto& tx = View().Log(upgrade::LogPane::MemoTX);
  EXPECT_GE(std::count(tx.begin(), tx.end(), "$PTST,,,,,00016*18"), 4);
}

// Runs until Timer1 has ticked once more (each tick shows the time anew).
bool NextTick(WizardTest& t) {
  const std::string clock = t.Text(Control::StatusBarClock);
  return t.rig_->RunUntil([&] { return t.Text(Control::StatusBarClock) != clock; }, 2000);
}

// The end of the static data detects the device between two ticks; the tick
// after it only notes it, the one after that shows the version page.
TEST_F(WizardTest, TheVersionPageComesOnTheSecondTickAfterDetection) {
  AnswerProbesWithoutInformation(rig_->AddPort("ttyV0"));
  rig_->PressStart();
  rig_->ChooseManual("ttyV0");
  rig_->PressContinue();
  ASSERT_TRUE(rig_->RunUntil([&] { return Core().State().DeviceDetected; }, 10'000));
  ASSERT_EQ(Core().State().DetectedTick, Core().State().StageTicks) << "detected on a tick";
  ASSERT_TRUE(NextTick(*this));
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetConnectDevice) << "on the detection tick";
  ASSERT_TRUE(NextTick(*this));
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetFirmwareVersion);
  EXPECT_EQ(Text(Control::lblUpgradeStatus), "Collecting device information. Please wait...");
  EXPECT_EQ(Text(Control::LabelConnectionStatus), "Connected...");
}

// In manual mode the probe goes out on the ticks t with t mod 4 = 1 or 2.
TEST_F(WizardTest, TheManualProbeGoesOutOnTheFirstTwoTicksOfEveryFour) {
  rig_->AddPort("ttyV0");
  rig_->PressStart();
  rig_->ChooseManual("ttyV0");
  rig_->PressContinue();  // tick 0
  const auto& tx = View().Log(upgrade::LogPane::MemoTX);
  std::vector<int> probed;
  for (int tick = 1; tick <= 20; ++tick) {
    const auto before = std::count(tx.begin(), tx.end(), "$PTST,,,,,00016*18");
    ASSERT_TRUE(NextTick(*this)) << tick;
    if (std::count(tx.begin(), tx.end(), "$PTST,,,,,00016*18") > before) probed.push_back(tick);
  }
  EXPECT_EQ(probed, (std::vector<int>{1, 2, 5, 6, 9, 10, 13, 14, 17, 18}));
}

TEST_F(WizardTest, DiscontinueClosesThePortAndStopsBothTimers) {
  rig_->AddPort("ttyV0");
  rig_->PressStart();
  rig_->ChooseManual("ttyV0");
  rig_->PressContinue();
  rig_->RunFor(3000);
  EXPECT_TRUE(rig_->Wizard().Port().Connected());
  EXPECT_EQ(Text(Control::OpenPort), "Discontinue");
  EXPECT_FALSE(View().State(Control::cbxComPort).enabled);
  rig_->PressContinue();
  EXPECT_FALSE(rig_->Wizard().Port().Connected());
  EXPECT_EQ(Text(Control::OpenPort), "Continue");
  EXPECT_TRUE(View().State(Control::cbxComPort).enabled);
  EXPECT_EQ(Text(Control::LabelConnectionStatus), "Disconnect...");
  EXPECT_FALSE(Core().Screen().TimerEnabled(upgrade::TimerId::Timer1));
  EXPECT_FALSE(Core().Screen().TimerEnabled(upgrade::TimerId::TimerConnection));
  rig_->RunFor(30'000);
  EXPECT_TRUE(View().Messages().empty());
}

// The force-connect question answered Cancel starts no run.
TEST_F(WizardTest, CancelToTheForceConnectQuestionStartsNoRun) {
  rig_->PressStart();
  rig_->ChooseManual("/dev/pts/does-not-exist");
  rig_->Answer({upgrade::MessageAnswer::Cancel, 0});
  rig_->PressContinue();
  ASSERT_EQ(View().Messages().size(), 1u);
  EXPECT_EQ(View().Messages()[0].box.caption, "Warning");
  EXPECT_EQ(View().Messages()[0].box.icon, upgrade::MessageIcon::Warning);
  EXPECT_EQ(Core().State().WizardStage, upgrade::Stage::Idle);
  EXPECT_FALSE(View().State(Control::OpenPort).down);
  rig_->RunFor(5000);
  EXPECT_EQ(View().Messages().size(), 1u);
}

// A device that falls silent in mid-transfer is waited for: the page keeps
// animating, nothing fails, nothing is sent.
TEST_F(WizardTest, ASilentDeviceIsWaitedForWithThePageAnimating) {
  sim::TransponderConfig config;
  config.faults = {{sim::FaultKind::Silent, 10}};
  Device("ttyV0", config);
  ASSERT_TRUE(rig_->ConnectManually("ttyV0"));
  rig_->PressYes();
  ASSERT_TRUE(rig_->RunUntil([&] { return Text(Control::LabelDebugFrmUpg) == "11/64"; }, 60'000));
  const std::size_t sent = View().Log(upgrade::LogPane::MemoTX).size();
  std::set<upgrade::Colour> colours;
  for (int i = 0; i < 600; ++i) {
    rig_->RunFor(1000);
    colours.insert(View().State(Control::StaticTextFrmUpgMessage1).colour);
  }
  EXPECT_EQ(Text(Control::LabelDebugFrmUpg), "11/64");
  EXPECT_EQ(Text(Control::StaticTextFrmUpgMessage1), "Upgrade in process!");
  EXPECT_GT(colours.size(), 5u);
  EXPECT_EQ(View().Log(upgrade::LogPane::MemoTX).size(), sent);
  EXPECT_TRUE(View().Messages().empty());
  EXPECT_EQ(Core().Channel().BlockReply, upgrade::kReplyAwaiting);
  // ... and the wait is shown as one: every 10 s, how long the device has
  // been quiet, and what to check.
  const auto& notices = Events().quietNotices;
  ASSERT_GE(notices.size(), 59u);
  for (std::size_t i = 0; i < notices.size(); ++i) {
    EXPECT_EQ(notices[i].awaiting, upgrade::AwaitedAnswer::BlockReply);
    EXPECT_EQ(notices[i].part, 1);
    EXPECT_EQ(notices[i].block, 11u);
    EXPECT_EQ(notices[i].total, 64u);
    EXPECT_EQ(notices[i].seconds, static_cast<int>(10 * (i + 1)));
  }
  EXPECT_TRUE(View().State(Control::LabelDeviceQuiet).visible);
  EXPECT_EQ(Text(Control::LabelDeviceQuiet),
            "No reply from the device for " + std::to_string(notices.back().seconds) +
                " s. Check the cable and that the device is on; the upgrade goes on when it "
                "answers.");
  EXPECT_EQ(View().State(Control::LabelDeviceQuiet).colour, upgrade::kRed);
}

// A device slow to answer its part requests is shown as quiet while it is,
// and no longer once it has answered; the upgrade goes on.
TEST_F(WizardTest, TheQuietNoticeEndsWhenTheDeviceAnswers) {
  sim::TransponderConfig config;
  config.faults = {{sim::FaultKind::SlowPartReply, 12'000}};
  Device("ttyV0", config);
  rig_->PressStart();
  rig_->ChooseManual("ttyV0");
  rig_->PressContinue();
  ASSERT_TRUE(
      rig_->RunUntil([&] { return View().State(Control::LabelDeviceQuiet).visible; }, 60'000));
  EXPECT_EQ(Text(Control::LabelDeviceQuiet),
            "The device has not said that it is ready for the kernel for 10 s. Check the cable and "
            "that the device is on.");
  ASSERT_TRUE(rig_->RunUntil(
      [&] { return View().State(Control::SpeedButtonFrmVerWantToContinueYes).enabled; }, 10'000));
  rig_->RunFor(200);  // the notice is withdrawn at the next tick of TimerUpgrade
  EXPECT_FALSE(View().State(Control::LabelDeviceQuiet).visible);
  rig_->PressYes();
  ASSERT_TRUE(rig_->RunUntil([&] { return Finished(); }, 600'000));
  const auto& notices = Events().quietNotices;
  ASSERT_EQ(notices.size(), 2u);  // each part request answered after 12 s
  EXPECT_EQ(notices[0].awaiting, upgrade::AwaitedAnswer::PartReady);
  EXPECT_EQ(notices[0].part, 1);
  EXPECT_EQ(notices[1].awaiting, upgrade::AwaitedAnswer::PartReady);
  EXPECT_EQ(notices[1].part, 2);
  EXPECT_EQ(notices[1].seconds, 10);
  EXPECT_FALSE(View().State(Control::LabelDeviceQuiet).visible);
}

// The device counting down again in mid-transfer restarts the part at block
// 1 after the block count is sent once more, and the upgrade completes.
TEST_F(WizardTest, ACountdownInMidTransferRestartsThePart) {
  sim::TransponderConfig config;
  config.faults = {{sim::FaultKind::RestartCountdown, 20}};
  Device("ttyV0", config);
  ASSERT_TRUE(rig_->ConnectManually("ttyV0"));
  rig_->PressYes();
  ASSERT_TRUE(rig_->RunUntil([&] { return Text(Control::LabelDebugFrmUpg) == "20/64"; }, 60'000));
  ASSERT_TRUE(rig_->RunUntil([&] { return Text(Control::LabelDebugFrmUpg) == "1/64"; }, 60'000));
  ASSERT_TRUE(rig_->RunUntil([&] { return Finished(); }, 600'000));
  EXPECT_EQ(rig_->Device("ttyV0")->Transponder().ReceivedPart(1), Image(700));
  EXPECT_EQ(rig_->Device("ttyV0")->Transponder().ReceivedPart(2), Image(702));
  const auto& tx = View().Log(upgrade::LogPane::MemoTX);
  // Five at the start, one at the first countdown line... the kernel's count
  // goes out more often than the application's.
  EXPECT_GT(std::count(tx.begin(), tx.end(), "$PZLX,R,DBG,103,64,,0,,0,,0*0D"),
            std::count(tx.begin(), tx.end(), "$PZLX,R,DBG,103,124,,0,,0,,0*38"));
}

}  // namespace
}  // namespace wizard_test
