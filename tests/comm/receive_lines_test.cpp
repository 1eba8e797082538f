// Receive line assembly and the text-line watcher, fed through the same
// OnRxChar path the port drives.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "comm/receive_lines.h"

namespace comm {
namespace {

// The port's side: each notification's bytes, served to Read.
class ScriptedReader final : public ByteReader {
 public:
  std::int32_t Read(void* buffer, std::int32_t count) override {
    requests.push_back(count);
    if (failNext) return -1;
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(count), pending.size());
    std::copy_n(pending.begin(), n, static_cast<char*>(buffer));
    pending.erase(0, n);
    return static_cast<std::int32_t>(n);
  }
  std::string pending;
  std::vector<std::int32_t> requests;
  bool failNext = false;
};

struct Recorder final : public ReceiveConsumers {
  void LogReceivedLine(std::string_view line) override { log.emplace_back(line); }
  void OnDeviceLine(const char* line) override {
    handed.emplace_back(line);
    detectedWhenHanded.push_back(state->DeviceDetected);
  }
  void ResetInfoCollector() override { ++collectorResets; }
  void SetProgress(int percent) override { progress.push_back(percent); }

  const LineWatchState* state = nullptr;
  std::vector<std::string> log, handed;
  std::vector<bool> detectedWhenHanded;
  int collectorResets = 0;
  std::vector<int> progress;
};

class LineAssembly : public ::testing::Test {
 protected:
  void SetUp() override { consumers_.state = &state_; }
  // One notification carrying `bytes`.
  void Arrive(const std::string& bytes) {
    reader_.pending += bytes;
    assembler_.OnRxChar(reader_, static_cast<std::uint32_t>(bytes.size()));
  }

  LineWatchState state_;
  Recorder consumers_;
  ScriptedReader reader_;
  ReceiveLineAssembler assembler_{state_, consumers_};
};

TEST_F(LineAssembly, ALineSplitAcrossNotificationsIsHandedOverOnceAtItsLf) {
  Arrive("ab");
  EXPECT_TRUE(consumers_.handed.empty());
  EXPECT_EQ(assembler_.RxLine(), "ab");
  Arrive("c\r\n$GP");
  EXPECT_EQ(consumers_.handed, (std::vector<std::string>{"abc\r\n"}));
  EXPECT_EQ(assembler_.RxLine(), "$GP");  // waits for its LF
}

TEST_F(LineAssembly, CrAndNulAreDroppedAndCrLfIsPutBack) {
  Arrive(std::string("abc\r\r\rd\0ef\n", 11));
  Arrive("\r\n");
  EXPECT_EQ(consumers_.handed, (std::vector<std::string>{"abcdef\r\n", "\r\n"}));
  EXPECT_EQ(consumers_.log, (std::vector<std::string>{"abcdef", ""}));
}

TEST_F(LineAssembly, LinesOver82CharactersAreLoggedButNotHandedOver) {
  const std::string longest(82, 'x');
  const std::string tooLong(83, 'y');
  Arrive(longest + "\r\n" + tooLong + "\r\n" + "ok\n");
  EXPECT_EQ(consumers_.log, (std::vector<std::string>{longest, tooLong, "ok"}));
  EXPECT_EQ(consumers_.handed, (std::vector<std::string>{longest + "\r\n", "ok\r\n"}));
}

TEST_F(LineAssembly, AFailedOrEmptyReadLeavesTheLineAsItWas) {
  Arrive("par");
  reader_.failNext = true;
  assembler_.OnRxChar(reader_, 5);
  reader_.failNext = false;
  assembler_.OnRxChar(reader_, 5);  // nothing queued: reads 0
  EXPECT_EQ(assembler_.RxLine(), "par");
  Arrive("t\n");
  EXPECT_EQ(consumers_.handed, (std::vector<std::string>{"part\r\n"}));
}

TEST_F(LineAssembly, ACountAboveTheBufferIsReadInPieces) {
  std::string bytes;
  for (int i = 0; i < 400; ++i) bytes += "$GPTXT,01,01,02,line " + std::to_string(i) + "*00\r\n";
  ASSERT_GT(bytes.size(), 2 * kReceiveBufferSize);
  Arrive(bytes);
  for (std::int32_t request : reader_.requests) EXPECT_LT(request, static_cast<std::int32_t>(kReceiveBufferSize));
  ASSERT_EQ(consumers_.handed.size(), 400u);
  EXPECT_EQ(consumers_.handed[399], "$GPTXT,01,01,02,line 399*00\r\n");
}

TEST_F(LineAssembly, TheDeviceLineConsumerSeesALineBeforeTheWatcher) {
  state_.WizardStage = 2;
  Arrive("[END OF STATIC DATA]\r\n");
  ASSERT_EQ(consumers_.detectedWhenHanded, std::vector<bool>{false});
  EXPECT_TRUE(state_.DeviceDetected);
}

// The watcher, line by line.
class Watcher : public LineAssembly {
 protected:
  void Line(const char* text) { WatchTextLine(state_, consumers_, text); }
};

TEST_F(Watcher, StageTwoDetectsTheDeviceAtTheEndOfItsStaticData) {
  state_.WizardStage = 2;
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
  state_.WizardStage = 2;
  Line("!AI [END OF STATIC DATA] $GP\r\n");
  EXPECT_TRUE(state_.SeenAisSentence);
  EXPECT_FALSE(state_.SeenGpsSentence);
  EXPECT_FALSE(state_.DeviceDetected);
  Line(nullptr);  // no line: nothing
  EXPECT_FALSE(state_.DeviceDetected);
}

TEST_F(Watcher, StageOneClearsTheMarkersEvenWithoutALine) {
  state_ = {.WizardStage = 1, .SeenAisSentence = true, .SeenGpsSentence = true, .SeenStaticDataEnd = true};
  Line(nullptr);
  EXPECT_FALSE(state_.SeenAisSentence || state_.SeenGpsSentence || state_.SeenStaticDataEnd);
}

TEST_F(Watcher, StageFiveTakesTheThirdCountdownLineOrTheWaitLine) {
  state_.WizardStage = 5;
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
    state_.WizardStage = stage;
    Line("[END OF STATIC DATA]\r\n");
    Line("5\r\n");
    Line("4\r\n");
    Line("3\r\n");
    Line("wait for firmware upgrade\r\n");
    EXPECT_FALSE(state_.DeviceDetected || state_.DeviceReady || state_.SeenStaticDataEnd) << stage;
  }
}

}  // namespace
}  // namespace comm
