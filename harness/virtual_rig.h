#pragma once
// The whole wizard in virtual time: the wizard core on in-memory serial
// ports with virtual transponders behind them, its three timers fired in
// time order, message boxes answered by a script, the clock and the pause
// virtual. Nothing waits for real time, and the same setup gives the same
// run, byte for byte, both log panes included. Tests, the benchmark, the
// soak and the fuzzer drive the wizard through it as a user would.

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "comm/main_thread.h"
#include "comm/memory_serial.h"
#include "connect/wizard.h"
#include "harness/virtual_device.h"
#include "upgrade/wizard_events.h"
#include "upgrade/wizard_view.h"

namespace harness {

// A message box as it was shown, with the answer it got and when.
struct ShownMessage {
  upgrade::MessageBox box;
  upgrade::MessageAnswer answer = upgrade::MessageAnswer::Ok;
  std::int64_t atMs = 0;
};

// How the user answers the next box: OK or Cancel, after `delayMs` of
// reading (timers and port events go on meanwhile).
struct ScriptedAnswer {
  upgrade::MessageAnswer answer = upgrade::MessageAnswer::Ok;
  std::int64_t delayMs = 0;
};

// What the window shows: the state of each control as last passed on, the
// log panes, the message boxes, the running timers.
class RecordingView final : public upgrade::WizardView {
 public:
  void ControlChanged(upgrade::Control control, const upgrade::ControlState& state) override;
  void AppendLog(upgrade::LogPane pane, std::string_view line) override;
  upgrade::MessageAnswer ShowMessage(const upgrade::MessageBox& box) override;
  void TimerChanged(upgrade::TimerId timer, bool enabled) override;

  const upgrade::ControlState& State(upgrade::Control control) const;
  const std::string& Text(upgrade::Control control) const { return State(control).text; }
  upgrade::Page Page() const;
  const std::vector<std::string>& Log(upgrade::LogPane pane) const {
    return logs_[static_cast<std::size_t>(pane)];
  }
  const std::vector<ShownMessage>& Messages() const { return messages_; }
  // A new window: every control as stored, empty log panes, no message.
  void Reset();

  // Set by the rig.
  std::function<upgrade::MessageAnswer(const upgrade::MessageBox&)> onMessage;
  std::function<void(upgrade::TimerId, bool)> onTimer;
  std::function<std::int64_t()> now;

 private:
  std::array<upgrade::ControlState, upgrade::kControlCount> states_ = InitialStates();
  std::array<std::vector<std::string>, 2> logs_;
  std::vector<ShownMessage> messages_;
  static std::array<upgrade::ControlState, upgrade::kControlCount> InitialStates();
};

struct RigOptions {
  // The folder holding Bin/: the program's folder, where the images are.
  std::filesystem::path firmwareFolder;
  // Answer for boxes that the script does not cover.
  ScriptedAnswer defaultAnswer;
  // The current folder, where the catalogue Bin/Firmware.csv is read; empty:
  // the firmware folder.
  std::filesystem::path catalogueFolder = {};
};

class VirtualRig final : public upgrade::WizardClock {
 public:
  explicit VirtualRig(RigOptions options);
  ~VirtualRig() override;

  // Ports: one with a virtual device behind it, or an empty one.
  VirtualDevice& AddDevice(const std::string& port, sim::TransponderConfig config);
  std::shared_ptr<comm::MemoryLine> AddPort(const std::string& port);
  // The port is present but held by another program.
  void HoldElsewhere(const std::string& port);
  // A far end of the test's own on `port`: called with the virtual time
  // after every step, before the host handles what arrived.
  void AddFarEnd(const std::string& port,
                 std::function<void(std::int64_t nowMs, comm::MemoryLine& line)> far);
  VirtualDevice* Device(const std::string& port);
  // Takes the device off its port (the port stays, with nothing behind it).
  void RemoveDevice(const std::string& port);
  comm::MemoryPorts& Ports() { return ports_; }

  // Answers for the next message boxes, in order.
  void Answer(ScriptedAnswer answer) { answers_.push_back(answer); }

  // Creates the wizard (done by the first call that needs it).
  connect::Wizard& Wizard();
  // The user leaves the program (the exit question answered OK); the next
  // call of Wizard() starts it again. False when the window stayed.
  bool ExitProgram();
  RecordingView& View() { return view_; }
  // What the core told of its runs, in order (cleared with the window).
  upgrade::EventRecorder& Events() { return events_; }

  // Virtual time.
  std::int64_t Now() const { return now_; }
  // Every pause the wizard made (it blocks the main thread), in ms.
  const std::vector<std::int64_t>& Pauses() const { return pauses_; }
  void RunFor(std::int64_t ms);
  // Runs until `done` holds (checked after every step); false after
  // `limitMs` of virtual time without it.
  bool RunUntil(const std::function<bool()>& done, std::int64_t limitMs);

  // A user's steps through the pages.
  void PressStart();
  void ChooseManual(const std::string& port, const std::string& baud = "115200");
  void ChooseAuto();
  void PressContinue();
  void PressYes();
  void PressNo();
  // The whole way from the checklist page to the version page (manual mode);
  // false if the version page did not offer Yes in time.
  bool ConnectManually(const std::string& port, const std::string& baud = "115200");

  // upgrade::WizardClock
  store::LocalDateTime LocalNow() override;
  std::uint32_t Seconds() override;
  void Pause(std::chrono::milliseconds duration) override;

 private:
  void Step(std::int64_t untilMs);
  void AdvanceDevices(std::int64_t ms);
  void Settle();
  upgrade::MessageAnswer OnMessage(const upgrade::MessageBox& box);
  void OnTimer(upgrade::TimerId timer, bool enabled);

  RigOptions options_;
  std::int64_t now_ = 0;
  std::vector<std::int64_t> pauses_;
  comm::LoopDispatcher dispatcher_;
  comm::MemoryPorts ports_;
  std::map<std::string, std::unique_ptr<VirtualDevice>> devices_;
  std::vector<std::pair<std::shared_ptr<comm::MemoryLine>,
                        std::function<void(std::int64_t, comm::MemoryLine&)>>>
      farEnds_;
  RecordingView view_;
  upgrade::EventRecorder events_;
  std::deque<ScriptedAnswer> answers_;
  std::array<std::optional<std::int64_t>, upgrade::kTimerCount> nextFire_{};
  std::unique_ptr<connect::Wizard> wizard_;
};

}  // namespace harness
