#pragma once
// The text-line watcher: looks at every received line, after the command
// channel has seen it, for the few plain-text markers that drive the
// connection procedure and the upgrade sequencer.
//
//   stage 1  clear the three sentence markers (the line may be absent)
//   stage 2  until the device is detected: "!AI", else "$GP", else
//            "[END OF STATIC DATA]" (substring, case-sensitive); the last one
//            detects the device
//   stage 5  the countdown lines "5".."1" (exact, CR LF included): the third
//            sets DeviceReady; "wait for firmware upgrade" sets it at once
//   others   nothing

#include "upgrade/wizard_state.h"

namespace upgrade {

// What detection sets off outside the watcher.
class WatcherActions {
 public:
  virtual ~WatcherActions() = default;
  // Drops any device-information block begun before detection.
  virtual void ResetInfoCollector() = 0;
  virtual void SetProgress(int percent) = 0;
};

// One line with its CR LF (NUL-terminated), or nullptr for none.
void WatchTextLine(WizardState& state, WatcherActions& actions, const char* line);

}  // namespace upgrade
