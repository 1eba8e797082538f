#include "upgrade/line_watcher.h"

#include <cstring>

namespace upgrade {
namespace {

bool Contains(const char* line, const char* marker) { return std::strstr(line, marker) != nullptr; }

void WatchConnecting(WizardState& s, WatcherActions& actions, const char* line) {
  if (line == nullptr || s.DeviceDetected) return;
  if (Contains(line, "!AI")) {
    s.SeenAisSentence = true;
  } else if (Contains(line, "$GP")) {
    s.SeenGpsSentence = true;
  } else if (Contains(line, "[END OF STATIC DATA]")) {
    s.SeenStaticDataEnd = true;
  }
  if (s.SeenStaticDataEnd) {
    s.DeviceDetected = true;
    actions.ResetInfoCollector();
    actions.SetProgress(100);
    s.DetectedTick = s.StageTicks;
  }
  s.CountdownHits = 0;
  s.DeviceReady = false;
}

void WatchTransfer(WizardState& s, const char* line) {
  if (line == nullptr) return;
  static constexpr const char* kCountdown[] = {"5\r\n", "4\r\n", "3\r\n", "2\r\n", "1\r\n"};
  for (const char* digit : kCountdown) {
    if (std::strcmp(line, digit) == 0) ++s.CountdownHits;
  }
  if (s.CountdownHits >= 3) {
    s.CountdownHits = 0;
    s.DeviceReady = true;
  }
  if (std::strcmp(line, "wait for firmware upgrade\r\n") == 0) s.DeviceReady = true;
}

}  // namespace

void WatchTextLine(WizardState& state, WatcherActions& actions, const char* line) {
  switch (state.WizardStage) {
    case Stage::Starting:
      state.SeenAisSentence = false;
      state.SeenGpsSentence = false;
      state.SeenStaticDataEnd = false;
      break;
    case Stage::Connecting:
      WatchConnecting(state, actions, line);
      break;
    case Stage::Transfer:
      WatchTransfer(state, line);
      break;
    default:
      break;
  }
}

}  // namespace upgrade
