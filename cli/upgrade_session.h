#pragma once
// `aisfw upgrade` and `aisfw info`: the wizard core driven from a terminal.
// The session is the wizard's view: it turns the status texts into lines,
// every message box into a line on standard error, the two log panes into a
// time-stamped trace. It listens to the core's events for what happened
// (connected, the question, each block, the device quiet, the end and where
// the device was left) and answers the pages as a user would: Start, the
// connection mode, port and baud rate, Continue, then the version question
// (--yes, a typed y or n, or not confirmed), Finish at the end. Its exit
// code comes from how the run ended.

#include <array>
#include <chrono>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "cli/console.h"
#include "cli/event_loop.h"
#include "cli/port_argument.h"
#include "cli/progress.h"
#include "comm/port_enumeration.h"
#include "connect/wizard.h"
#include "upgrade/wizard_events.h"
#include "upgrade/wizard_view.h"

namespace cli {

struct UpgradeOptions {
  enum class Mode { Upgrade, Info };
  Mode mode = Mode::Upgrade;
  std::string port;             // a name, a path, a by-id link, or "auto"
  std::string baud = "115200";  // an entry of the baud-rate list, or "auto"
  std::string binFolder;        // empty: images beside the program, catalogue here
  bool yes = false;
  bool allowOlder = false;      // --yes installs an older version
  bool allowReinstall = false;  // --yes installs the running version again
  double timeoutSeconds = 0;    // the whole run's limit; 0: none
  bool force = false;
  bool json = false;
  bool trace = false;
  bool quiet = false;
};

class UpgradeSession final : public upgrade::WizardView, public upgrade::WizardEvents {
 public:
  UpgradeSession(UpgradeOptions options, Console& console);
  ~UpgradeSession() override;

  // Runs the wizard to its end; the process's exit code.
  int Run();

  // upgrade::WizardView
  void ControlChanged(upgrade::Control control, const upgrade::ControlState& state) override;
  void AppendLog(upgrade::LogPane pane, std::string_view line) override;
  upgrade::MessageAnswer ShowMessage(const upgrade::MessageBox& box) override;
  void TimerChanged(upgrade::TimerId timer, bool enabled) override;

  // upgrade::WizardEvents
  void Trying(const upgrade::ConnectionPoint& point) override;
  void Connected(const upgrade::ConnectionPoint& point) override;
  void DeviceRead(const upgrade::DeviceIdentity& device) override;
  void QuestionReady(const upgrade::VersionQuestion& question) override;
  void BlockSent(const upgrade::SentBlock& block) override;
  void DeviceQuiet(const upgrade::QuietNotice& notice) override;
  void RunEnded(const upgrade::RunEnd& end) override;

 private:
  using Clock = std::chrono::steady_clock;
  using Json = nlohmann::ordered_json;

  bool Prepare(std::string& error);
  void StartRun();
  void Fire(upgrade::TimerId timer);
  bool Ended() const;

  void Status(const std::string& text);
  void OnQuestion();
  // The question is asked, answered by --yes or refused once the versions
  // are known; reading them (info) or refusing does not wait for a device
  // that does not say which part it is ready for.
  bool VersionsKnown() const;
  bool AnswersWithoutVersions() const;
  void AskAtTerminal();
  void OnTypedAnswer(const std::optional<std::string>& line);
  void ApplyAnswer();
  void ShowProgress(const ProgressSample& sample, bool partDone);
  void Interrupt();
  int Finish(bool interrupted);
  void PrintInfo();
  void PrintWhereLeft(bool interrupted, upgrade::WizardOutcome outcome);
  // The outcome as this command names it: `info` that read the device, an
  // upgrade nobody could confirm, or the wizard's own outcome.
  std::string OutcomeText(upgrade::WizardOutcome outcome, int code) const;
  void Emit(Json event);
  void Trace(const char* direction, std::string_view line);
  std::string Reading(int index) const;

  UpgradeOptions options_;
  Console& console_;
  EventLoop loop_;
  std::unique_ptr<comm::PortEnumerator> ports_;
  upgrade::SystemWizardClock clock_;
  upgrade::FirmwareFolders folders_;
  std::string portName_;
  bool automatic_ = false;
  SinglePortEnumerator* singlePort_ = nullptr;  // the named port's list, when one is named
  std::unique_ptr<connect::Wizard> wizard_;

  std::array<std::string, upgrade::kControlCount> echoed_{};
  // What the core told of this run.
  std::optional<upgrade::ConnectionPoint> connected_;
  std::optional<upgrade::DeviceIdentity> device_;
  std::optional<upgrade::VersionQuestion> question_;
  std::optional<upgrade::RunEnd> end_;
  bool questionShown_ = false;
  bool infoShown_ = false;
  bool notConfirmed_ = false;   // no terminal to ask and no --yes
  std::optional<bool> answer_;  // the version question's answer, until pressed
  bool promptOpen_ = false;     // the question waits at the terminal
  bool forceRefused_ = false;
  bool versionRefused_ = false;  // --yes met a version that is not newer
  bool timedOut_ = false;        // --timeout ended the run

  // Progress of the part being sent.
  int part_ = 0;
  std::uint32_t shownBlock_ = 0;
  std::uint32_t shownRetransmissions_ = 0;
  int plainStep_ = -1;
  Clock::time_point partStart_{};
  Clock::time_point runStart_{};
};

}  // namespace cli
