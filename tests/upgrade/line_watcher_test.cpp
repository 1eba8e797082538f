// The text-line watcher, line by line.

#include "upgrade/line_watcher.h"

#include <gtest/gtest.h>

#include <vector>

namespace upgrade {
namespace {

struct Actions final : public WatcherActions {
  void ResetInfoCollector() override { ++collectorResets; }
  void SetProgress(int percent) override { progress.push_back(percent); }
  int collectorResets = 0;
  std::vector<int> progress;
};

class Watcher : public ::testing::Test {
 protected:
  void Line(const char* text) { WatchTextLine(state_, consumers_, text); }
  WizardState state_;
  Actions consumers_;
};

TEST_F(Watcher, StageTwoDetectsTheDeviceAtTheEndOfItsStaticData) {
  state_.WizardStage = Stage::Connecting;
  state_.StageTicks = 9;
  state_.DeviceReady = true;
  state_.CountdownHits = 2;
  Line("$GPRMC,120000.00,A*00\r\n");
  EXPECT_TRUE(state_.SeenGpsSentence);
  EXPECT_FALSE(state_.DeviceDetected);
  EXPECT_FALSE(state_.DeviceReady);
  EXPECT_EQ(state_.CountdownHits, 0);

  Line("[END OF STATIC DATA]\r\n");
  EXPECT_TRUE(state_.SeenStaticDataEnd);
  EXPECT_TRUE(state_.DeviceDetected);
  EXPECT_EQ(state_.DetectedTick, 9);
  EXPECT_EQ(consumers_.collectorResets, 1);
  EXPECT_EQ(consumers_.progress, std::vector<int>{100});

  // Detected: further lines change no marker and detect nothing again.
  state_.StageTicks = 12;
  Line("!AIVDM,1,1,,A,15M67FC000G?ufbE`FepT@3n00Sa,0*5C\r\n");
  Line("[END OF STATIC DATA]\r\n");
  EXPECT_FALSE(state_.SeenAisSentence);
  EXPECT_EQ(state_.DetectedTick, 9);
  EXPECT_EQ(consumers_.collectorResets, 1);
}

TEST_F(Watcher, StageTwoMarkersAreExclusiveInOrder) {
  state_.WizardStage = Stage::Connecting;
  Line("!AI [END OF STATIC DATA] $GP\r\n");
  EXPECT_TRUE(state_.SeenAisSentence);
  EXPECT_FALSE(state_.SeenGpsSentence);
  EXPECT_FALSE(state_.DeviceDetected);
  Line(nullptr);  // no line: nothing
  EXPECT_FALSE(state_.DeviceDetected);
}

TEST_F(Watcher, StageOneClearsTheMarkersEvenWithoutALine) {
  state_.WizardStage = Stage::Starting;
  state_.SeenAisSentence = state_.SeenGpsSentence = state_.SeenStaticDataEnd = true;
  Line(nullptr);
  EXPECT_FALSE(state_.SeenAisSentence || state_.SeenGpsSentence || state_.SeenStaticDataEnd);
}

TEST_F(Watcher, StageFiveTakesTheThirdCountdownLineOrTheWaitLine) {
  state_.WizardStage = Stage::Transfer;
  Line("5\r\n");
  Line("5 \r\n");  // a blank before the line end does not count
  Line("4\r\n");
  EXPECT_FALSE(state_.DeviceReady);
  Line("3\r\n");
  EXPECT_TRUE(state_.DeviceReady);
  EXPECT_EQ(state_.CountdownHits, 0);

  state_.DeviceReady = false;
  Line("wait for firmware upgrade\r\n");
  EXPECT_TRUE(state_.DeviceReady);
  EXPECT_EQ(state_.CountdownHits, 0);
}

TEST_F(Watcher, OtherStagesLookForNothing) {
  for (int stage : {0, 3, 4, 6, 7}) {
    state_ = {};
    state_.WizardStage = static_cast<Stage>(stage);
    Line("[END OF STATIC DATA]\r\n");
    Line("5\r\n");
    Line("4\r\n");
    Line("3\r\n");
    Line("wait for firmware upgrade\r\n");
    EXPECT_FALSE(state_.DeviceDetected || state_.DeviceReady || state_.SeenStaticDataEnd) << stage;
  }
}

}  // namespace
}  // namespace upgrade
