#pragma once
// What the wizard core needs from a front end: mirror the controls, show the
// two log panes, ask modal questions, and run the three timers. The Qt window
// implements it with widgets, `aisfw upgrade` with terminal output, the tests
// with a recorder. The core never touches a widget.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/local_clock.h"
#include "upgrade/controls.h"

namespace upgrade {

enum class LogPane : std::uint8_t { MemoTX, MemoRX };

enum class TimerId : std::uint8_t { Timer1, TimerUpgrade, TimerConnection };
inline constexpr int kTimerCount = 3;
// Each timer's interval; TimerUpgrade runs for the whole program.
inline constexpr std::chrono::milliseconds TimerInterval(TimerId timer) {
  switch (timer) {
    case TimerId::Timer1:
      return std::chrono::milliseconds(1000);
    case TimerId::TimerUpgrade:
      return std::chrono::milliseconds(130);
    case TimerId::TimerConnection:
      return std::chrono::milliseconds(200);
  }
  return std::chrono::milliseconds(1000);
}

enum class MessageIcon : std::uint8_t { None, Error, Warning };
enum class MessageButtons : std::uint8_t { Ok, OkCancel };
enum class MessageAnswer : std::uint8_t { Ok, Cancel };

// A modal message box. An empty caption is a plain box: the front end shows
// the application title.
struct MessageBox {
  std::string text;
  std::string caption;
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::None;
};

class WizardView {
 public:
  virtual ~WizardView() = default;
  // A control's state changed (the new state is given; it stays readable
  // through WizardScreen::State).
  virtual void ControlChanged(Control control, const ControlState& state) = 0;
  // One line appended to a log pane.
  virtual void AppendLog(LogPane pane, std::string_view line) = 0;
  // Shows a modal box and returns the answer. While it is open, timers and
  // port events go on being handled (the core calls back into itself).
  virtual MessageAnswer ShowMessage(const MessageBox& box) = 0;
  // Starts (with a fresh interval) or stops a timer.
  virtual void TimerChanged(TimerId timer, bool enabled) = 0;
};

// The clock of the wizard: the local time for the status bar and the AIS
// table, and the one pause the upgrade makes. Tests run it in virtual time.
class WizardClock : public store::LocalClock {
 public:
  // Blocks the calling (main) thread; nothing else is handled meanwhile.
  virtual void Pause(std::chrono::milliseconds duration) = 0;
};

// The machine's clock.
class SystemWizardClock final : public WizardClock {
 public:
  store::LocalDateTime LocalNow() override { return clock_.LocalNow(); }
  std::uint32_t Seconds() override { return clock_.Seconds(); }
  void Pause(std::chrono::milliseconds duration) override;

 private:
  store::SystemLocalClock clock_;
};

}  // namespace upgrade
