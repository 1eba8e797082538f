#pragma once
// `aisfw upgrade` and `aisfw info`: the wizard core driven from a terminal.
// The session is the wizard's view: it turns the controls' changes into
// status lines and a progress display, every message box into a line on
// standard error, the two log panes into a time-stamped trace, and answers
// the pages as a user would: Start, the connection mode, port and baud rate,
// Continue, then the version question (--yes, a typed y or n, or refused),
// Finish at the end. Its exit code comes from how the run ended.

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

class UpgradeSession final : public upgrade::WizardView {
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
  void DeviceQuiet(const upgrade::QuietNotice& notice) override;

 private:
  using Clock = std::chrono::steady_clock;
  using Json = nlohmann::ordered_json;

  // Where the last transfer stood, kept while it runs, so a failure or an
  // interruption can say where the device was left.
  struct TransferPoint {
    upgrade::Stage stage = upgrade::Stage::Idle;
    int part = 0;
    std::uint32_t block = 0;
    std::uint32_t total = 0;
    bool betweenParts = false;
  };

  bool Prepare(std::string& error);
  void StartRun();
  void Fire(upgrade::TimerId timer);
  bool Ended() const;

  void Status(upgrade::Control control, const std::string& text);
  void AnnounceConnection();
  void AnnounceTrial();
  void OnQuestion();
  // The question is asked, answered by --yes or refused once the versions
  // are known; reading them (info) or refusing does not wait for a device
  // that does not say which part it is ready for.
  bool VersionsKnown() const;
  bool AnswersWithoutVersions() const;
  void AskAtTerminal();
  void OnTypedAnswer(const std::optional<std::string>& line);
  void ApplyAnswer();
  void TrackTransfer(std::int32_t replyBefore, std::uint32_t blockBefore, bool readyBefore);
  void ShowProgress(const ProgressSample& sample, bool partDone);
  void Interrupt();
  int Finish(bool interrupted);
  void PrintInfo();
  void PrintWhereLeft(bool interrupted, upgrade::WizardOutcome outcome);
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
  bool connected_ = false;
  std::string lastTrial_;
  bool questionShown_ = false;
  bool infoShown_ = false;
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
  TransferPoint point_;
};

}  // namespace cli
