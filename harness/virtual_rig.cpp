#include "harness/virtual_rig.h"

#include <chrono>
#include <stdexcept>

namespace harness {

using upgrade::Control;
using upgrade::TimerId;

namespace {

// Devices and received bytes move on in steps of this size between timer
// ticks.
constexpr std::int64_t kQuantumMs = 10;
// How long the main thread waits for the port's event thread to hand over
// what a step delivered; only a broken hand-over ever takes this long.
constexpr auto kHandoverLimit = std::chrono::seconds(10);

constexpr std::array<TimerId, upgrade::kTimerCount> kTimers = {
    TimerId::Timer1, TimerId::TimerConnection, TimerId::TimerUpgrade};

}  // namespace

// ---- RecordingView ---------------------------------------------------------------

std::array<upgrade::ControlState, upgrade::kControlCount> RecordingView::InitialStates() {
  std::array<upgrade::ControlState, upgrade::kControlCount> states;
  for (const upgrade::ControlRow& row : upgrade::kControlRows) {
    upgrade::ControlState& s = states[static_cast<std::size_t>(row.control)];
    s.text = row.caption;
    s.visible = row.visible;
    s.enabled = row.enabled;
    s.down = row.down;
    s.value = row.value;
  }
  return states;
}

void RecordingView::ControlChanged(Control control, const upgrade::ControlState& state) {
  states_[static_cast<std::size_t>(control)] = state;
}

void RecordingView::AppendLog(upgrade::LogPane pane, std::string_view line) {
  logs_[static_cast<std::size_t>(pane)].emplace_back(line);
}

upgrade::MessageAnswer RecordingView::ShowMessage(const upgrade::MessageBox& box) {
  messages_.push_back({box, upgrade::MessageAnswer::Ok, now ? now() : 0});
  const std::size_t index = messages_.size() - 1;
  const upgrade::MessageAnswer answer = onMessage ? onMessage(box) : upgrade::MessageAnswer::Ok;
  messages_[index].answer = answer;
  return answer;
}

void RecordingView::TimerChanged(TimerId timer, bool enabled) {
  if (onTimer) onTimer(timer, enabled);
}

void RecordingView::Reset() {
  states_ = InitialStates();
  for (auto& log : logs_) log.clear();
  messages_.clear();
}

const upgrade::ControlState& RecordingView::State(Control control) const {
  return states_[static_cast<std::size_t>(control)];
}

upgrade::Page RecordingView::Page() const {
  return static_cast<upgrade::Page>(State(Control::PageControlFirmwareUpgradeStage).value);
}

// ---- VirtualRig --------------------------------------------------------------------

VirtualRig::VirtualRig(RigOptions options) : options_(std::move(options)) {
  view_.onMessage = [this](const upgrade::MessageBox& box) { return OnMessage(box); };
  view_.onTimer = [this](TimerId timer, bool enabled) { OnTimer(timer, enabled); };
  view_.now = [this] { return now_; };
}

VirtualRig::~VirtualRig() {
  wizard_.reset();  // closes the port before the lines and devices go
  devices_.clear();
  farEnds_.clear();
}

VirtualDevice& VirtualRig::AddDevice(const std::string& port, sim::TransponderConfig config) {
  // One device per port: the old one lets go of its line, and the new one
  // comes with a line of its own.
  const bool replacing = devices_.erase(port) > 0;
  auto device = std::make_unique<VirtualDevice>(replacing ? ports_.Replace(port) : ports_.Add(port),
                                                std::move(config));
  VirtualDevice& ref = *device;
  devices_[port] = std::move(device);
  return ref;
}

std::shared_ptr<comm::MemoryLine> VirtualRig::AddPort(const std::string& port) {
  return ports_.Add(port);
}

void VirtualRig::HoldElsewhere(const std::string& port) {
  ports_.Add(port);
  ports_.SetHeldElsewhere(port, true);
}

void VirtualRig::AddFarEnd(const std::string& port,
                           std::function<void(std::int64_t nowMs, comm::MemoryLine& line)> far) {
  farEnds_.emplace_back(ports_.Add(port), std::move(far));
}

void VirtualRig::RemoveDevice(const std::string& port) { devices_.erase(port); }

bool VirtualRig::ExitProgram() {
  if (!wizard_) return true;
  answers_.push_front({upgrade::MessageAnswer::Ok, 0});
  if (!wizard_->FormClose()) return false;
  wizard_.reset();
  for (auto& next : nextFire_) next.reset();
  view_.Reset();
  events_.Clear();
  return true;
}

VirtualDevice* VirtualRig::Device(const std::string& port) {
  const auto it = devices_.find(port);
  return it == devices_.end() ? nullptr : it->second.get();
}

connect::Wizard& VirtualRig::Wizard() {
  if (!wizard_) {
    upgrade::FirmwareFolders folders;
    folders.ProgramFolder = options_.firmwareFolder;
    folders.CurrentFolder =
        options_.catalogueFolder.empty() ? options_.firmwareFolder : options_.catalogueFolder;
    wizard_ = std::make_unique<connect::Wizard>(connect::WizardSetup{
        dispatcher_, ports_, view_, *this, folders, ports_.MakePlatform(), &events_});
  }
  return *wizard_;
}

// ---- time --------------------------------------------------------------------------

store::LocalDateTime VirtualRig::LocalNow() {
  const std::int64_t seconds = now_ / 1000;
  store::LocalDateTime t;
  t.year = 2026;
  t.month = 12;
  t.day = static_cast<std::uint8_t>(10 + seconds / 86400 % 20);
  t.hour = static_cast<std::uint8_t>(12 + seconds / 3600 % 12);
  t.minute = static_cast<std::uint8_t>(seconds / 60 % 60);
  t.second = static_cast<std::uint8_t>(seconds % 60);
  t.hundredths = static_cast<std::uint8_t>(now_ % 1000 / 10);
  return t;
}

std::uint32_t VirtualRig::Seconds() {
  return static_cast<std::uint32_t>(1'800'000'000 + now_ / 1000);
}

void VirtualRig::Pause(std::chrono::milliseconds duration) {
  // The main thread sleeps: the devices go on, nothing is handled.
  pauses_.push_back(duration.count());
  AdvanceDevices(duration.count());
}

void VirtualRig::AdvanceDevices(std::int64_t ms) {
  now_ += ms;
  for (auto& [name, device] : devices_) device->Advance(ms);
  for (auto& [line, far] : farEnds_) far(now_, *line);
}

void VirtualRig::Settle() {
  if (!dispatcher_.RunUntil([this] { return ports_.AllSettled(); }, kHandoverLimit)) {
    throw std::runtime_error("the port's event thread did not hand over its events");
  }
}

void VirtualRig::OnTimer(TimerId timer, bool enabled) {
  auto& next = nextFire_[static_cast<std::size_t>(timer)];
  if (enabled) {
    next = now_ + upgrade::TimerInterval(timer).count();
  } else {
    next.reset();
  }
}

upgrade::MessageAnswer VirtualRig::OnMessage(const upgrade::MessageBox&) {
  ScriptedAnswer answer = options_.defaultAnswer;
  if (!answers_.empty()) {
    answer = answers_.front();
    answers_.pop_front();
  }
  // While the user reads, the window goes on: timers tick, lines arrive.
  if (answer.delayMs > 0) RunFor(answer.delayMs);
  return answer.answer;
}

void VirtualRig::Step(std::int64_t untilMs) {
  std::int64_t target = std::min(untilMs, now_ + kQuantumMs);
  for (const auto& next : nextFire_) {
    if (next && *next < target) target = std::max(*next, now_);
  }
  AdvanceDevices(target - now_);
  Settle();
  // Due timers in the order they fall due; ties in a fixed order.
  for (;;) {
    std::optional<TimerId> due;
    std::int64_t dueAt = 0;
    for (const TimerId timer : kTimers) {
      const auto& next = nextFire_[static_cast<std::size_t>(timer)];
      if (next && *next <= now_ && (!due || *next < dueAt)) {
        due = timer;
        dueAt = *next;
      }
    }
    if (!due) break;
    nextFire_[static_cast<std::size_t>(*due)] = dueAt + upgrade::TimerInterval(*due).count();
    connect::Wizard& wizard = Wizard();
    switch (*due) {
      case TimerId::Timer1:
        wizard.Timer1Timer();
        break;
      case TimerId::TimerUpgrade:
        wizard.TimerUpgradeTimer();
        break;
      case TimerId::TimerConnection:
        wizard.TimerConnectionTimer();
        break;
    }
    Settle();
  }
}

void VirtualRig::RunFor(std::int64_t ms) {
  Wizard();
  const std::int64_t end = now_ + ms;
  while (now_ < end) Step(end);
}

bool VirtualRig::RunUntil(const std::function<bool()>& done, std::int64_t limitMs) {
  Wizard();
  const std::int64_t end = now_ + limitMs;
  while (!done()) {
    if (now_ >= end) return false;
    Step(end);
  }
  return true;
}

// ---- the user's steps ------------------------------------------------------------------

void VirtualRig::PressStart() {
  Wizard().SpeedButtonStartClick();
  Settle();
}

void VirtualRig::ChooseManual(const std::string& port, const std::string& baud) {
  connect::Wizard& wizard = Wizard();
  if (view_.State(Control::RadioButtonConnectionModeAuto).down)
    wizard.RadioButtonConnectionModeAutoClick(false);
  wizard.cbxComPortChange(port);
  const auto& entries = view_.State(Control::cbxBaudRate).items;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == baud) wizard.cbxBaudRateChange(static_cast<int>(i));
  }
  Settle();
}

void VirtualRig::ChooseAuto() {
  Wizard().RadioButtonConnectionModeAutoClick(true);
  Settle();
}

void VirtualRig::PressContinue() {
  Wizard().OpenPortClick();
  Settle();
}

void VirtualRig::PressYes() {
  Wizard().SpeedButtonFrmVerWantToContinueYesClick();
  Settle();
}

void VirtualRig::PressNo() {
  Wizard().SpeedButtonFrmVerWantToContinueNoClick();
  Settle();
}

bool VirtualRig::ConnectManually(const std::string& port, const std::string& baud) {
  PressStart();
  ChooseManual(port, baud);
  PressContinue();
  const std::size_t asked = events_.questions.size();
  return RunUntil([this, asked] { return events_.Asked(asked); }, 60'000);
}

}  // namespace harness
