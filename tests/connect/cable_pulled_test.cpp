// The cable pulled at each point of a run: a clear message, the port and the
// image closed, and the next run, with the device plugged in again, works.

#include "tests/connect/wizard_fixture.h"

namespace wizard_test {
namespace {

struct Point {
  const char* name;
  std::function<bool(WizardTest&)> reached;  // when to pull the cable
  upgrade::Page page;                        // where the wizard is left
  bool yes = true;                           // the user answers Yes on the version page
};

void PrintTo(const Point& p, std::ostream* out) { *out << p.name; }

class CablePulled : public WizardTest, public ::testing::WithParamInterface<Point> {};

TEST_P(CablePulled, EndsTheRunWithItsMessageAndTheNextRunWorks) {
  const Point& point = GetParam();
  Device("ttyV0");
  rig_->PressStart();
  rig_->ChooseManual("ttyV0");
  rig_->PressContinue();
  ASSERT_TRUE(rig_->RunUntil(
      [&] {
        if (point.yes && View().State(Control::SpeedButtonFrmVerWantToContinueYes).visible &&
            !Core().State().UpgradeRunning &&
            Core().State().FileCheckState == upgrade::kFileCheckPrepared) {
          rig_->Wizard().SpeedButtonFrmVerWantToContinueYesClick();
        }
        return point.reached(*this);
      },
      120'000));
  rig_->Device("ttyV0")->Line().HangUp();
  rig_->RunFor(3000);

  ASSERT_EQ(
      MessageTexts(),
      std::vector<std::string>{
          "Serial port disconnected! Please check the cable and the device, then try again."});
  ASSERT_EQ(Events().ends.size(), 1u);
  EXPECT_EQ(Events().LastOutcome(), upgrade::WizardOutcome::HungUp);
  EXPECT_EQ(View().Page(), point.page);
  EXPECT_FALSE(rig_->Wizard().Port().Connected());
  EXPECT_FALSE(Core().Transfer().HoldsImage());
  EXPECT_EQ(Text(Control::OpenPort), "Continue");

  BackToChecklist();
  Device("ttyV0");  // plugged in again
  EXPECT_TRUE(RunUpgrade("ttyV0"));
}

const Point kPoints[] = {
    {"WhileProbing", [](WizardTest& t) { return t.Core().State().StageTicks >= 3; },
     upgrade::Page::TabSheetConnectDevice},
    {"WhileReadingTheInformation",
     [](WizardTest& t) { return t.Core().State().WizardStage == upgrade::Stage::SecondReading; },
     upgrade::Page::TabSheetStart},
    {"OnTheVersionPage",
     [](WizardTest& t) {
       return t.View().State(Control::SpeedButtonFrmVerWantToContinueNo).visible;
     },
     upgrade::Page::TabSheetStart, false},
    {"DuringTheCountdown",
     [](WizardTest& t) {
       const auto& rx = t.View().Log(upgrade::LogPane::MemoRX);
       return !rx.empty() && rx.back() == "4";
     },
     upgrade::Page::TabSheetFirmwareUpgrade},
    {"MidTransfer", [](WizardTest& t) { return t.Text(Control::LabelDebugFrmUpg) == "10/64"; },
     upgrade::Page::TabSheetFirmwareUpgrade},
    {"DuringTheFinalCheck",
     [](WizardTest& t) { return t.Core().State().WizardStage == upgrade::Stage::FinalCheck; },
     upgrade::Page::TabSheetFirmwareUpgrade},
    {"BetweenTheParts",
     [](WizardTest& t) {
       return t.Text(Control::lbl2ndAISUpgradeStatus) == "Kernel Upgrade Finished";
     },
     upgrade::Page::TabSheetFirmwareUpgrade},
};

INSTANTIATE_TEST_SUITE_P(Wizard, CablePulled, ::testing::ValuesIn(kPoints),
                         [](const auto& row) { return std::string(row.param.name); });

// In the automatic scan a port that goes away is passed over: the scan goes
// on to the next port and finds the device there.
TEST_F(WizardTest, TheScanPassesOverAPortThatGoesAway) {
  rig_->AddPort("ttyV0");
  Device("ttyV1");
  rig_->PressStart();
  rig_->ChooseAuto();
  rig_->PressContinue();
  rig_->RunFor(2500);
  rig_->Ports().Line("ttyV0")->HangUp();
  ASSERT_TRUE(rig_->RunUntil(
      [&] { return View().Page() == upgrade::Page::TabSheetFirmwareVersion; }, 60'000));
  EXPECT_EQ(Text(Control::EditAutoDetectComPort), "ttyV1");
  EXPECT_TRUE(MessageTexts().empty());
}

}  // namespace
}  // namespace wizard_test
