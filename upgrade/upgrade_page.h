#pragma once
// The upgrade page's moving texts: while a part goes out, "Upgrade in
// process!" cycles its colour every other tick of TimerUpgrade; while the
// device programs it, the status blinks red and black; at the end the page
// says the upgrade is finished.

#include <cstdint>

#include "upgrade/controls.h"
#include "upgrade/wizard_screen.h"
#include "upgrade/wizard_state.h"

namespace upgrade {

class UpgradePageAnimation {
 public:
  explicit UpgradePageAnimation(WizardScreen& screen) : screen_(screen) {}

  // One tick of TimerUpgrade during a transfer or the final check.
  void Tick(Stage stage, int part);
  // Both parts are programmed: the page's closing texts, the cycle reset.
  void ShowFinished();

  Colour CurrentColour() const { return colour_; }

 private:
  WizardScreen& screen_;
  std::int32_t tick_ = 0;
  Colour colour_ = kBlue;
  std::uint8_t phase_ = 0;
  bool rising_ = true;
};

}  // namespace upgrade
