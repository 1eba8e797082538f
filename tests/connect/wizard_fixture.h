#pragma once
// A virtual-time rig with the sample firmware folder in a fresh temporary
// folder, and the reading helpers the end-to-end tests share.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "firmware/image_writer.h"
#include "harness/virtual_rig.h"

namespace wizard_test {

using upgrade::Control;

inline std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class WizardTest : public ::testing::Test {
 public:
  WizardTest() {
    char pattern[] = "/tmp/aisfw-wizard-XXXXXX";
    folder_ = mkdtemp(pattern);
    std::string error;
    if (!firmware::WriteSampleFirmware(folder_, error)) ADD_FAILURE() << error;
    rig_ = std::make_unique<harness::VirtualRig>(harness::RigOptions{folder_, {}});
  }
  ~WizardTest() override {
    rig_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // A device on `port` with the given changes to the default configuration.
  harness::VirtualDevice& Device(const std::string& port, sim::TransponderConfig config = {}) {
    config.outDir = folder_;
    return rig_->AddDevice(port, std::move(config));
  }

  harness::RecordingView& View() { return rig_->View(); }
  upgrade::EventRecorder& Events() { return rig_->Events(); }
  const std::string& Text(Control c) { return View().Text(c); }
  std::vector<std::uint8_t> Image(int number) {
    return ReadFile(folder_ / firmware::ImagePath(number));
  }

  // The texts of the message boxes shown, in order.
  std::vector<std::string> MessageTexts() {
    std::vector<std::string> texts;
    for (const auto& m : View().Messages()) texts.push_back(m.box.text);
    return texts;
  }

  bool Finished() {
    return Text(Control::StaticTextFrmUpgMessage1) == "Firmware upgrade finished.";
  }

  const connect::Wizard& Core() { return rig_->Wizard(); }

  // From whatever page a run ended on, back to the checklist page the way a
  // user can: Finish on the upgrade page, Cancel on the serial-port page.
  void BackToChecklist() {
    switch (View().Page()) {
      case upgrade::Page::TabSheetFirmwareUpgrade:
        ASSERT_TRUE(View().State(Control::SpeedButtonFrmUpgFinish).enabled)
            << "no way back from the upgrade page";
        rig_->Wizard().SpeedButtonFrmUpgFinishClick();
        break;
      case upgrade::Page::TabSheetConnectDevice:
        rig_->Wizard().SpeedButtonCancelClick();
        break;
      default:
        break;
    }
    rig_->RunFor(1000);
    ASSERT_EQ(View().Page(), upgrade::Page::TabSheetStart);
  }

  // A whole upgrade from the checklist page on `port` (manual mode, Yes);
  // true when it finished with both parts as the images hold them.
  bool RunUpgrade(const std::string& port, int application = 702) {
    const std::size_t messages = View().Messages().size();
    if (!rig_->ConnectManually(port)) return false;
    rig_->PressYes();
    if (!rig_->RunUntil([&] { return Finished(); }, 600'000)) return false;
    const sim::VirtualTransponder& device = rig_->Device(port)->Transponder();
    return View().Messages().size() == messages && device.ReceivedPart(1) == Image(700) &&
           device.ReceivedPart(2) == Image(application);
  }

  std::filesystem::path folder_;
  std::unique_ptr<harness::VirtualRig> rig_;
};

}  // namespace wizard_test
