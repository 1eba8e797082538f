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
  EXPECT_EQ(Text(Control::LabelFrmVerNew1), firmware::SampleVersion(702));
  EXPECT_EQ(Text(Control::LabelFrmVerWantToContinue), "Do you want to continue?");

  rig_->PressYes();
  ASSERT_TRUE(rig_->RunUntil([&] { return Finished(); }, 600'000))
      << Text(Control::lblUpgradeStatus);
  EXPECT_EQ(View().Page(), upgrade::Page::TabSheetFirmwareUpgrade);
  EXPECT_EQ(Text(Control::StaticTextFrmUpgMessage2), "Please restart your AIS device.");
  EXPECT_EQ(Text(Control::lbl2ndAISUpgradeStatus), "Application Upgrade Finished");
  EXPECT_TRUE(View().State(Control::SpeedButtonFrmUpgFinish).enabled);
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_EQ(device.ReceivedPart(1), Image(700));
  EXPECT_EQ(device.ReceivedPart(2), Image(702));
}

}  // namespace
}  // namespace wizard_test
