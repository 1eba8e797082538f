#pragma once
// The state of the window's controls, timers and log panes as the core keeps
// it. Every change goes through here and is passed on to the front end's
// view, so the core can read back what it has shown (the port list's text,
// the progress position, the toggle's state) without asking a widget.

#include <array>
#include <string>
#include <string_view>

#include "upgrade/controls.h"
#include "upgrade/wizard_view.h"

namespace upgrade {

class WizardScreen {
 public:
  explicit WizardScreen(WizardView& view);

  const ControlState& State(Control control) const { return states_[Index(control)]; }
  const std::string& Text(Control control) const { return State(control).text; }

  void SetText(Control control, std::string_view text);
  void SetColour(Control control, Colour colour);
  void SetVisible(Control control, bool visible);
  void SetEnabled(Control control, bool enabled);
  void SetDown(Control control, bool down);
  void SetValue(Control control, int value);
  // A list's entries; the selection is cleared.
  void SetItems(Control control, std::vector<std::string> items);
  // Selects entry `index` of a list and shows its text.
  void SelectItem(Control control, int index);
  void ShowPage(Page page);
  void ShowModePage(ModePage page);
  // The page the core last showed (its own record, not the control's).
  Page CurrentPage() const { return page_; }

  // The progress bar and its percentage label; ignored while the bar stands
  // above 100.
  void SetProgress(int value);
  int Progress() const { return progress_; }

  void Log(LogPane pane, std::string_view line);
  MessageAnswer Message(const MessageBox& box);
  // Shorthands for the two kinds of box the procedures show.
  void Plain(std::string_view text);
  void Error(std::string_view text, std::string_view caption = "Error");

  void SetTimer(TimerId timer, bool enabled);
  bool TimerEnabled(TimerId timer) const { return timers_[static_cast<std::size_t>(timer)]; }

 private:
  static std::size_t Index(Control control) { return static_cast<std::size_t>(control); }
  ControlState& Mutable(Control control) { return states_[Index(control)]; }
  void Changed(Control control) { view_.ControlChanged(control, State(control)); }

  WizardView& view_;
  std::array<ControlState, kControlCount> states_;
  std::array<bool, kTimerCount> timers_{};
  Page page_;
  int progress_;
};

}  // namespace upgrade
