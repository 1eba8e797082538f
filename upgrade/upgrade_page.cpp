#include "upgrade/upgrade_page.h"

#include <array>

namespace upgrade {
namespace {

// The colour steps of the cycle, by phase: rising, then falling.
constexpr std::array<std::array<std::int32_t, 2>, 3> kColourSteps = {{
    {0x001919, -0x190019},
    {0x190019, -0x191900},
    {0x191900, -0x001919},
}};

}  // namespace

void UpgradePageAnimation::ShowFinished() {
  tick_ = 0;
  colour_ = kBlue;
  phase_ = 0;
  rising_ = true;
  screen_.SetText(Control::lblUpgradeStatus, "");
  screen_.SetText(Control::lbl2ndAISUpgradeStatus, "Application Upgrade Finished");
  screen_.SetColour(Control::StaticTextFrmUpgMessage1, kNavy);
  screen_.SetColour(Control::StaticTextFrmUpgMessage2, kNavy);
  screen_.SetText(Control::StaticTextFrmUpgMessage1, "Firmware upgrade finished.");
  screen_.SetText(Control::StaticTextFrmUpgMessage2, "Please restart your AIS device.");
}

void UpgradePageAnimation::Tick(Stage stage, int part) {
  ++tick_;
  if (stage == Stage::Transfer) {
    if (tick_ >= 20) {
      tick_ = 1;
      rising_ = !rising_;
      if (rising_) phase_ = static_cast<std::uint8_t>((phase_ + 1) % 3);
    }
    if (tick_ % 2 == 0) {
      const std::int32_t step = kColourSteps[phase_][rising_ ? 0 : 1];
      colour_ = static_cast<Colour>(static_cast<std::int32_t>(colour_) + step);
    }
    screen_.SetText(Control::StaticTextFrmUpgMessage1, "Upgrade in process!");
    screen_.SetText(Control::StaticTextFrmUpgMessage2, "Please wait a moment.");
    screen_.SetColour(Control::StaticTextFrmUpgMessage1, colour_);
    screen_.SetColour(Control::StaticTextFrmUpgMessage2, colour_);
  } else if (stage == Stage::FinalCheck) {
    if (tick_ >= 10) tick_ = 0;
    if (tick_ == 5) screen_.SetColour(Control::lblUpgradeStatus, kRed);
    if (tick_ == 0) screen_.SetColour(Control::lblUpgradeStatus, kBlack);
    screen_.SetText(Control::lbl2ndAISUpgradeStatus,
                    part == 1 ? "Programing AIS Kernel" : "Programing AIS Application");
    screen_.SetColour(Control::StaticTextFrmUpgMessage1, kRed);
    screen_.SetText(Control::StaticTextFrmUpgMessage1,
                    "Do not turn off or disconnect the device !");
    screen_.SetText(Control::StaticTextFrmUpgMessage2, "");
    screen_.SetText(Control::lblUpgradeStatus, "System Programming, Please Wait...");
  }
}

}  // namespace upgrade
