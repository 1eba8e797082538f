#include "upgrade/wizard_screen.h"

#include <thread>

namespace upgrade {

void SystemWizardClock::Pause(std::chrono::milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

WizardScreen::WizardScreen(WizardView& view) : view_(view) {
  for (const ControlRow& row : kControlRows) {
    ControlState& s = Mutable(row.control);
    s.text = row.caption;
    s.visible = row.visible;
    s.enabled = row.enabled;
    s.down = row.down;
    s.value = row.value;
  }
  page_ = static_cast<Page>(State(Control::PageControlFirmwareUpgradeStage).value);
  progress_ = State(Control::ProgressBar2).value;
}

void WizardScreen::SetText(Control control, std::string_view text) {
  if (State(control).text == text) return;
  Mutable(control).text = text;
  Changed(control);
}

void WizardScreen::SetColour(Control control, Colour colour) {
  if (State(control).colour == colour) return;
  Mutable(control).colour = colour;
  Changed(control);
}

void WizardScreen::SetVisible(Control control, bool visible) {
  if (State(control).visible == visible) return;
  Mutable(control).visible = visible;
  Changed(control);
}

void WizardScreen::SetEnabled(Control control, bool enabled) {
  if (State(control).enabled == enabled) return;
  Mutable(control).enabled = enabled;
  Changed(control);
}

void WizardScreen::SetDown(Control control, bool down) {
  if (State(control).down == down) return;
  Mutable(control).down = down;
  Changed(control);
}

void WizardScreen::SetValue(Control control, int value) {
  if (State(control).value == value) return;
  Mutable(control).value = value;
  Changed(control);
}

void WizardScreen::SetItems(Control control, std::vector<std::string> items) {
  ControlState& s = Mutable(control);
  s.items = std::move(items);
  s.value = -1;
  Changed(control);
}

void WizardScreen::SelectItem(Control control, int index) {
  ControlState& s = Mutable(control);
  if (index < 0 || static_cast<std::size_t>(index) >= s.items.size()) return;
  s.value = index;
  s.text = s.items[static_cast<std::size_t>(index)];
  Changed(control);
}

void WizardScreen::ShowPage(Page page) {
  page_ = page;
  SetValue(Control::PageControlFirmwareUpgradeStage, static_cast<int>(page));
}

void WizardScreen::ShowModePage(ModePage page) {
  SetValue(Control::PageControlDetectComPortMode, static_cast<int>(page));
}

void WizardScreen::SetProgress(int value) {
  if (progress_ > 100) return;
  progress_ = value;
  SetValue(Control::ProgressBar2, value);
  SetText(Control::LabelProgressPersent, std::to_string(value) + "%");
}

void WizardScreen::Log(LogPane pane, std::string_view line) { view_.AppendLog(pane, line); }

MessageAnswer WizardScreen::Message(const MessageBox& box) { return view_.ShowMessage(box); }

void WizardScreen::Plain(std::string_view text) {
  Message({std::string(text), "", MessageButtons::Ok, MessageIcon::None});
}

void WizardScreen::Error(std::string_view text, std::string_view caption) {
  Message({std::string(text), std::string(caption), MessageButtons::Ok, MessageIcon::Error});
}

void WizardScreen::SetTimer(TimerId timer, bool enabled) {
  bool& on = timers_[static_cast<std::size_t>(timer)];
  if (on == enabled) return;
  on = enabled;
  view_.TimerChanged(timer, enabled);
}

}  // namespace upgrade
