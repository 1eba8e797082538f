#pragma once
// The text-line watcher: looks for the few plain-text markers that drive
// the connection procedure and the upgrade sequencer, by wizard stage.
//
//   stage 1  clear the three sentence markers (the line may be absent)
//   stage 2  until the device is detected: "!AI", else "$GP", else
//            "[END OF STATIC DATA]" (substring, case-sensitive); the last one
//            detects the device
//   stage 5  the countdown lines "5".."1" (exact, CR LF included): the third
//            sets DeviceReady; "wait for firmware upgrade" sets it at once
//   others   nothing

#include <cstdint>

namespace comm {

// The wizard state the watcher reads and writes. The wizard core owns it;
// the connection procedure and the sequencer share it.
struct LineWatchState {
  std::int32_t WizardStage = 0;
  std::int32_t StageTicks = 0;  // the connection step tick now
  bool SeenAisSentence = false;
  bool SeenGpsSentence = false;
  bool SeenStaticDataEnd = false;
  bool DeviceDetected = false;
  std::int32_t DetectedTick = 0;
  bool DeviceReady = false;
  std::int32_t CountdownHits = 0;
};

// What detection sets off outside the watcher.
class WatcherActions {
 public:
  virtual ~WatcherActions() = default;
  // Drops any device-information block begun before detection.
  virtual void ResetInfoCollector() = 0;
  virtual void SetProgress(int percent) = 0;
};

// One line with its CR LF (NUL-terminated), or nullptr for none.
void WatchTextLine(LineWatchState& state, WatcherActions& actions, const char* line);

}  // namespace comm
