#include "cli/upgrade_session.h"

#include <fmt/core.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "cli/exit_codes.h"
#include "cli/firmware_version.h"
#include "cli/history.h"
#include "cli/json_line.h"
#include "cli/port_argument.h"
#include "cli/preflight.h"
#include "cli/terminal_input.h"
#include "comm/comm_types.h"
#include "connect/connection.h"
#include "firmware/catalogue.h"
#include "text/display_text.h"

namespace cli {

using upgrade::Control;
using upgrade::Stage;
using upgrade::TimerId;
using upgrade::WizardOutcome;

namespace {

namespace fs = std::filesystem;

// The status texts shown as lines as they change: the status line, the
// part line, and the two messages of the upgrade page.
constexpr std::array<Control, 4> kEchoedControls = {
    Control::lblUpgradeStatus, Control::lbl2ndAISUpgradeStatus, Control::StaticTextFrmUpgMessage1,
    Control::StaticTextFrmUpgMessage2};

bool Echoed(Control control) {
  return std::find(kEchoedControls.begin(), kEchoedControls.end(), control) !=
         kEchoedControls.end();
}

// A message box as one line: its lines joined, the blanks at their ends
// dropped (they pad the box, they say nothing).
std::string OneLine(std::string_view text) {
  std::string line;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view piece = text.substr(start, end - start);
    while (!piece.empty() && (piece.back() == ' ' || piece.back() == '\r')) piece.remove_suffix(1);
    if (!piece.empty()) {
      if (!line.empty()) line += ' ';
      line += piece;
    }
    start = end + 1;
  }
  return line;
}

// A text field of the device record without its line end.
std::string Field(const char* text) {
  std::string value = text;
  while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
  return value;
}

// Text from the device or a file, as a terminal may show it.
std::string Shown(std::string_view raw) { return text::DisplayText(raw); }

// An upgrade nobody could confirm: what the outcome line calls it.
constexpr const char* kNotConfirmed = "not-confirmed";
constexpr const char* kTimedOut = "timed-out";
constexpr const char* kNotConfirmedMeaning =
    "not confirmed: no terminal to ask and no --yes, so nothing was sent";
// `info` that read the device.
constexpr const char* kRead = "read";
constexpr const char* kReadMeaning = "the device was read";

std::string LocalTimeStamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  return fmt::format("{:02}:{:02}:{:02}.{:03}", local.tm_hour, local.tm_min, local.tm_sec, ms);
}

fs::path ProgramFolder() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path() : self.parent_path();
}

int BaudEntry(const std::string& baud) {
  const std::vector<std::string> entries = connect::BaudRateEntries();
  const auto it = std::find(entries.begin(), entries.end(), baud);
  return it == entries.end() ? connect::kDefaultBaudEntry : static_cast<int>(it - entries.begin());
}

}  // namespace

UpgradeSession::UpgradeSession(UpgradeOptions options, Console& console)
    : options_(std::move(options)), console_(console) {}

UpgradeSession::~UpgradeSession() {
  // The port's event thread hands over through the loop's dispatcher: the
  // wizard (and its port) go first.
  wizard_.reset();
}

// ---- setting up ---------------------------------------------------------------

bool UpgradeSession::Prepare(std::string& error) {
  const PortArgument port = ResolvePortArgument(options_.port);
  automatic_ = port.automatic || options_.baud == "auto";
  portName_ = port.name;
  if (port.automatic) {
    ports_ = std::make_unique<comm::SysfsPortEnumerator>();
  } else {
    auto single =
        std::make_unique<SinglePortEnumerator>(port.name, comm::MakeSystemSerialPlatform());
    singlePort_ = single.get();
    ports_ = std::move(single);
  }

  folders_.ProgramFolder = ProgramFolder();
  if (!options_.binFolder.empty()) {
    std::error_code ec;
    folders_.BinFolder = fs::absolute(options_.binFolder, ec);
    if (!fs::is_directory(folders_.BinFolder, ec)) {
      error = "--bin " + options_.binFolder + " is not a folder";
      return false;
    }
  }
  wizard_ = std::make_unique<connect::Wizard>(
      connect::WizardSetup{loop_.Dispatcher(), *ports_, *this, clock_, folders_, nullptr, this});
  return true;
}

// The user's way through the first two pages.
void UpgradeSession::StartRun() {
  connect::Wizard& wizard = *wizard_;
  wizard.SpeedButtonStartClick();
  if (automatic_) {
    wizard.RadioButtonConnectionModeAutoClick(true);
  } else {
    wizard.cbxComPortChange(portName_);
    wizard.cbxBaudRateChange(BaudEntry(options_.baud));
  }
  const std::string where =
      portName_.empty() ? std::string("every serial port that opens") : portName_;
  if (options_.json) {
    // The rate is a number; none while the scan tries every rate.
    Emit({{"event", "start"},
          {"mode", options_.mode == UpgradeOptions::Mode::Info ? "info" : "upgrade"},
          {"port", portName_.empty() ? "auto" : portName_},
          {"baud", automatic_ ? Json() : Json(std::stoul(options_.baud))}});
  } else if (!options_.quiet) {
    console_.Out(automatic_ ? fmt::format("Looking for the device on {}, at every baud rate", where)
                            : fmt::format("Connecting to {} at {} baud", where, options_.baud));
  }
  runStart_ = Clock::now();
  wizard.OpenPortClick();
}

int UpgradeSession::Run() {
  std::string error;
  if (!Prepare(error)) {
    console_.Err("aisfw: " + error);
    return static_cast<int>(ExitCode::Usage);
  }
  // --timeout counts from here; the checks before the port opens, too.
  const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                           std::chrono::duration<double>(options_.timeoutSeconds));
  const auto timeIsUp = [&] { return options_.timeoutSeconds > 0 && Clock::now() >= deadline; };
  if (const auto refused =
          RunPreflight(portName_, options_.force, folders_, console_, options_.json)) {
    return *refused;
  }
  StartRun();
  loop_.Run([this](TimerId timer) { Fire(timer); },
            [&] { return Ended() || loop_.Interrupted() || timeIsUp(); });
  timedOut_ = !Ended() && !loop_.Interrupted() && timeIsUp();
  const bool interrupted = !Ended() && (loop_.Interrupted() || timedOut_);
  if (interrupted) Interrupt();
  return Finish(interrupted);
}

bool UpgradeSession::Ended() const { return end_.has_value(); }

void UpgradeSession::Fire(TimerId timer) {
  connect::Wizard& wizard = *wizard_;
  switch (timer) {
    case TimerId::Timer1:
      wizard.Timer1Timer();
      break;
    case TimerId::TimerConnection:
      wizard.TimerConnectionTimer();
      break;
    case TimerId::TimerUpgrade:
      wizard.TimerUpgradeTimer();
      break;
  }
  ApplyAnswer();
}

// ---- the view ------------------------------------------------------------------

void UpgradeSession::ControlChanged(Control control, const upgrade::ControlState& state) {
  if (!wizard_) return;  // the wizard is setting itself up
  if (Echoed(control)) {
    std::string& last = echoed_[static_cast<std::size_t>(control)];
    if (state.text != last) {
      last = state.text;
      if (!state.text.empty()) Status(state.text);
    }
  }
}

void UpgradeSession::AppendLog(upgrade::LogPane pane, std::string_view line) {
  if (options_.trace) Trace(pane == upgrade::LogPane::MemoTX ? "TX" : "RX", line);
}

upgrade::MessageAnswer UpgradeSession::ShowMessage(const upgrade::MessageBox& box) {
  // Only the force-connect question offers Cancel; it is answered OK only
  // when the user said so beforehand.
  upgrade::MessageAnswer answer = upgrade::MessageAnswer::Ok;
  if (box.buttons == upgrade::MessageButtons::OkCancel && !options_.force) {
    answer = upgrade::MessageAnswer::Cancel;
    forceRefused_ = true;
  }
  const std::string caption =
      box.caption.empty() ? std::string(upgrade::kApplicationTitle) : OneLine(box.caption);
  // Each message once: a line on standard error, or a JSON object.
  if (!options_.json) {
    std::string line = caption + ": " + OneLine(box.text);
    if (box.buttons == upgrade::MessageButtons::OkCancel) {
      line += answer == upgrade::MessageAnswer::Ok ? " [OK: --force]" : " [Cancel: no --force]";
    }
    console_.Err(Shown(line));
  } else {
    const char* icon = box.icon == upgrade::MessageIcon::Error     ? "error"
                       : box.icon == upgrade::MessageIcon::Warning ? "warning"
                                                                   : "none";
    Emit({{"event", "message"},
          {"caption", caption},
          {"text", box.text},
          {"icon", icon},
          {"answer", answer == upgrade::MessageAnswer::Ok ? "ok" : "cancel"}});
  }
  return answer;
}

void UpgradeSession::TimerChanged(TimerId timer, bool enabled) { loop_.SetTimer(timer, enabled); }

// The wizard has decided that the device is quiet: say so, with the way out.
// Reading and refusing do not wait for a device that never says which part
// it is ready for.
void UpgradeSession::DeviceQuiet(const upgrade::QuietNotice& notice) {
  const bool partWait = notice.awaiting == upgrade::AwaitedAnswer::PartReady;
  if (options_.json) {
    Json event = {{"event", "waiting"},
                  {"for", partWait ? "part" : "reply"},
                  {"part", PartName(notice.part)},
                  {"seconds", notice.seconds}};
    if (!partWait) event["block"] = notice.block;
    Emit(std::move(event));
  } else if (!options_.quiet) {
    if (partWait) {
      console_.Err(
          fmt::format("aisfw: the device has not said that it is ready for the {} for {} s; still "
                      "waiting (Ctrl-C stops)",
                      PartName(notice.part), notice.seconds));
    } else {
      console_.Out(fmt::format(
          "no reply from the device for {} s after block {}; still waiting (Ctrl-C stops)",
          notice.seconds, notice.block));
    }
  }
  // The page asks, with versions not known: reading (info) or refusing
  // does not wait for ever for the device to say which part it is ready for.
  if (partWait && question_ && !questionShown_ && AnswersWithoutVersions()) {
    questionShown_ = true;
    loop_.Dispatcher().Post([this] { OnQuestion(); });
  }
}

// ---- the core's events -------------------------------------------------------------

void UpgradeSession::Trying(const upgrade::ConnectionPoint& point) {
  if (options_.json) {
    Emit({{"event", "trying"}, {"port", point.port}, {"baud", point.baud}});
  } else if (!options_.quiet) {
    console_.Out(fmt::format("Trying {} at {} baud", Shown(point.port), point.baud));
  }
}

void UpgradeSession::Connected(const upgrade::ConnectionPoint& point) {
  if (connected_) return;
  connected_ = point;
  if (options_.json) {
    Emit({{"event", "connected"}, {"port", point.port}, {"baud", point.baud}});
  } else if (!options_.quiet) {
    console_.Out(fmt::format("Found the device on {} at {} baud", Shown(point.port), point.baud));
  }
}

void UpgradeSession::DeviceRead(const upgrade::DeviceIdentity& device) { device_ = device; }

// The question is asked once the page offers Yes: with the versions of the
// device and of the image it would get.
void UpgradeSession::QuestionReady(const upgrade::VersionQuestion& question) {
  question_ = question;
  if (question.known && !questionShown_) {
    questionShown_ = true;
    loop_.Dispatcher().Post([this] { OnQuestion(); });
  }
}

// A block went out: the trace notes it (the log panes see only sentences;
// blocks are raw writes), and the progress display follows.
void UpgradeSession::BlockSent(const upgrade::SentBlock& sent) {
  const auto now = Clock::now();
  if (options_.trace) {
    const char* note = sent.kind == upgrade::BlockKind::Restarted ? ", the part restarted"
                       : sent.kind == upgrade::BlockKind::Again   ? ", again"
                                                                  : "";
    Trace("TX", fmt::format("[block {}/{}{}, {} bytes]", sent.block, sent.total, note, sent.bytes));
  }
  if (sent.part != part_) {
    part_ = sent.part;
    shownBlock_ = 0;
    shownRetransmissions_ = 0;
    plainStep_ = -1;
  }
  // The part's clock starts with block 1, and again when the device makes
  // the transfer start over (block 1 goes out before its countdown ends).
  if (sent.block == 1 && sent.kind != upgrade::BlockKind::Again) partStart_ = now;
  const std::uint32_t block = std::min(sent.block, sent.total);
  if (block == 0) return;
  if (block == shownBlock_ && sent.retransmissions == shownRetransmissions_) return;
  shownBlock_ = block;
  shownRetransmissions_ = sent.retransmissions;
  const ProgressSample sample{
      part_,
      sent.percent,
      block,
      sent.total,
      sent.retransmissions,
      std::chrono::duration_cast<std::chrono::milliseconds>(now - partStart_)};
  ShowProgress(sample, block == sent.total);
}

void UpgradeSession::RunEnded(const upgrade::RunEnd& end) { end_ = end; }

// ---- what the user reads ----------------------------------------------------------

void UpgradeSession::Emit(Json event) { console_.Out(JsonLine(event)); }

void UpgradeSession::Trace(const char* direction, std::string_view line) {
  console_.Err(fmt::format("{} {} {}", LocalTimeStamp(), direction, Shown(line)));
}

void UpgradeSession::Status(const std::string& text) {
  if (options_.json) {
    Emit({{"event", "status"}, {"text", text}});
  } else if (!options_.quiet) {
    console_.Out(Shown(OneLine(text)));
  }
}

std::string UpgradeSession::Reading(int index) const {
  if (!device_) return "-";
  const upgrade::DeviceInfoRecord& r = device_->readings[static_cast<std::size_t>(index)];
  const std::string classText = r.classDigit < 0 ? "none" : std::to_string(r.classDigit);
  return fmt::format("firmware {}, serial number {}, class {}, languages {},{},{},{}",
                     Field(r.firmware).empty() ? "-" : Shown(Field(r.firmware)),
                     Field(r.serialNumber).empty() ? "-" : Shown(Field(r.serialNumber)), classText,
                     r.language[0], r.language[1], r.language[2], r.language[3]);
}

bool UpgradeSession::VersionsKnown() const { return question_ && question_->known; }

bool UpgradeSession::AnswersWithoutVersions() const {
  return options_.mode == UpgradeOptions::Mode::Info ||
         (!options_.yes && (options_.json || isatty(STDIN_FILENO) != 1));
}

void UpgradeSession::PrintInfo() {
  const upgrade::DeviceIdentity identity = device_.value_or(upgrade::DeviceIdentity{});
  const upgrade::DeviceInfoRecord& device = identity.readings[0];
  const upgrade::ConnectionPoint point = connected_.value_or(upgrade::ConnectionPoint{});
  const upgrade::VersionQuestion question = question_.value_or(upgrade::VersionQuestion{});
  const fs::path kernel = folders_.Resolve(device.kernelPath);
  const fs::path application = folders_.Resolve(device.applicationPath);
  // The part prepared: the kernel, or the application alone when the device
  // said it is ready for that.
  const int prepared = VersionsKnown() ? question.part : 0;
  const std::string running = identity.runningVersion;
  if (options_.json) {
    Json readings = Json::array();
    for (const upgrade::DeviceInfoRecord& r : identity.readings) {
      readings.push_back(
          {{"firmware", Field(r.firmware)},
           {"serial_number", Field(r.serialNumber)},
           {"class", r.classDigit < 0 ? Json() : Json(r.classDigit)},
           {"language", {r.language[0], r.language[1], r.language[2], r.language[3]}}});
    }
    Emit({{"event", "info"},
          {"port", point.port},
          {"baud", point.baud},
          {"readings", readings},
          {"kernel_image", kernel.string()},
          {"kernel_blocks", prepared == 1 ? Json(question.blocks) : Json()},
          {"application_image", application.string()},
          {"current_version", running},
          {"new_version", prepared != 0 ? Json(question.newVersion) : Json()}});
    return;
  }
  console_.Out(fmt::format("Port:               {} at {} baud", Shown(point.port), point.baud));
  console_.Out("First reading:      " + Reading(0));
  console_.Out("Second reading:     " + Reading(1));
  // The images are read and the versions looked up only once the device
  // says which part it is ready for; a device that never does leaves them
  // unknown.
  if (prepared == 0) {
    console_.Out("Kernel image:       " + Shown(kernel.string()));
    console_.Out("Application image:  " + Shown(application.string()));
    console_.Out(
        fmt::format("Would install:      unknown: the device did not ask for the kernel "
                    "(running {})",
                    Shown(running)));
    return;
  }
  if (prepared == 1) {
    console_.Out(
        fmt::format("Kernel image:       {} ({} blocks)", Shown(kernel.string()), question.blocks));
    console_.Out("Application image:  " + Shown(application.string()));
  } else {
    console_.Out("Kernel image:       " + Shown(kernel.string()) +
                 " (not sent: the device is ready for the application)");
    console_.Out(fmt::format("Application image:  {} ({} blocks)", Shown(application.string()),
                             question.blocks));
  }
  console_.Out(fmt::format("Would install:      {} (running {})", Shown(question.newVersion),
                           Shown(running)));
}

// ---- the version question ------------------------------------------------------------

void UpgradeSession::OnQuestion() {
  const upgrade::VersionQuestion asked = question_.value_or(upgrade::VersionQuestion{});
  const std::string& question = asked.question;
  if (options_.mode == UpgradeOptions::Mode::Info) {
    PrintInfo();
    infoShown_ = true;
    answer_ = false;  // read only: the prepared kernel is not sent
    ApplyAnswer();
    return;
  }
  // The device's own serial number and version (known since it was
  // identified); the new version once the image has been prepared.
  const std::string serial = device_ ? device_->serialNumber : std::string();
  const std::string newVersion =
      VersionsKnown() ? fmt::format("{} ({})", Shown(asked.newVersion), Shown(asked.imageName))
                      : std::string("unknown: the device did not say which part it is ready for");
  if (options_.json) {
    Emit({{"event", "versions"},
          {"serial_number", serial},
          {"current_version", asked.runningVersion},
          {"new_version", VersionsKnown() ? Json(asked.newVersion) : Json()},
          {"application_image", VersionsKnown() ? Json(asked.imageName) : Json()}});
  } else if (!options_.quiet || (!options_.yes && isatty(STDIN_FILENO) == 1)) {
    // A question is never asked without what it is about.
    console_.Out("Serial number:      " + Shown(serial));
    console_.Out(fmt::format("Running firmware:   {}", Shown(asked.runningVersion)));
    console_.Out("New firmware:       " + newVersion);
  }
  // A version that is unknown, the same or older is said before the
  // question; --yes installs the last two only when told to.
  if (VersionsKnown()) {
    const VersionVerdict verdict =
        JudgeOfferedVersion(asked.runningVersion, asked.newVersion, asked.imageName,
                            folders_.Catalogue(firmware::kCataloguePath).string(),
                            {options_.yes, options_.allowOlder, options_.allowReinstall});
    PrintWarnings(verdict.warnings, console_, options_.json);
    versionRefused_ = verdict.refused;
  }
  if (versionRefused_) {
    if (options_.json) {
      Emit({{"event", "question"}, {"text", question}, {"answer", "no"}, {"by", "version check"}});
    }
    answer_ = false;
  } else if (options_.yes) {
    if (options_.json) {
      Emit({{"event", "question"}, {"text", question}, {"answer", "yes"}, {"by", "--yes"}});
    } else if (!options_.quiet) {
      console_.Out(question + " yes (--yes)");
    }
    answer_ = true;
  } else if (!options_.json && isatty(STDIN_FILENO) == 1) {
    AskAtTerminal();
    return;
  } else {
    // Nobody could answer: not confirmed, which is not the user's No.
    notConfirmed_ = true;
    const char* why = options_.json ? "--json asks nothing" : "standard input is not a terminal";
    const std::string text = fmt::format(
        "not upgrading: \"{}\" needs an answer and {}; give --yes to answer yes", question, why);
    if (options_.json) {
      Emit({{"event", "question"},
            {"text", question},
            {"answer", "no"},
            {"by", kNotConfirmed},
            {"message", text}});
    } else {
      console_.Err("aisfw: " + text);
    }
    answer_ = false;
  }
  ApplyAnswer();
}

void UpgradeSession::AskAtTerminal() {
  const std::string question = question_ ? question_->question : std::string();
  // Keys pressed before the question was shown do not answer it.
  if (DiscardTypedAhead() > 0) console_.Err("aisfw: what was typed before the question is ignored");
  // Standard output is a log or a pipe (`| tee log`): the question goes
  // there too, as a line after the versions, and so will the answer.
  if (!console_.Terminal()) console_.Out(question + " [y/N]");
  console_.Prompt(question + " [y/N] ");
  promptOpen_ = true;
  loop_.ReadLines([this](const std::optional<std::string>& line) { OnTypedAnswer(line); });
}

void UpgradeSession::OnTypedAnswer(const std::optional<std::string>& line) {
  if (answer_ || Ended()) return;
  std::string text = line.value_or("n");
  text.erase(0, text.find_first_not_of(" \t"));
  text.erase(text.find_last_not_of(" \t") + 1);
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (text == "y" || text == "yes") {
    answer_ = true;
  } else if (text.empty() || text == "n" || text == "no") {
    answer_ = false;
  } else {
    console_.Prompt("Please answer y or n: ");
    return;
  }
  if (!line) console_.Err("");  // the end of the input left the prompt's line open
  if (!console_.Terminal() && question_) {
    console_.Out(question_->question + (*answer_ ? " yes" : " no") + " (typed)");
  }
  promptOpen_ = false;
  loop_.StopReading();
  ApplyAnswer();
}

// Presses No at once (it leaves whatever the device does) and Yes once the
// image is prepared, as the buttons act.
void UpgradeSession::ApplyAnswer() {
  if (!answer_) return;
  if (*answer_ && !VersionsKnown()) return;
  const bool yes = *answer_;
  answer_.reset();
  if (yes) {
    wizard_->SpeedButtonFrmVerWantToContinueYesClick();
  } else {
    wizard_->SpeedButtonFrmVerWantToContinueNoClick();
  }
}

// ---- the transfer -------------------------------------------------------------------

void UpgradeSession::ShowProgress(const ProgressSample& sample, bool partDone) {
  if (options_.json) {
    Json event = {{"event", "progress"},
                  {"part", PartName(sample.part)},
                  {"percent", sample.percent},
                  {"block", sample.block},
                  {"blocks", sample.total},
                  {"retransmissions", sample.retransmissions},
                  {"elapsed_ms", sample.elapsed.count()}};
    if (const auto rest = EstimateRemaining(sample)) event["remaining_ms"] = rest->count();
    Emit(std::move(event));
    return;
  }
  if (options_.quiet) return;
  if (console_.Terminal()) {
    console_.Live(ProgressLine(sample));
    if (partDone) console_.KeepLive();
    return;
  }
  const int step = sample.percent / kPlainProgressStep;
  if (step > plainStep_ || partDone) {
    plainStep_ = step;
    console_.Out(ProgressLine(sample));
  }
}

// ---- the end --------------------------------------------------------------------------

void UpgradeSession::Interrupt() {
  // Cancel ends the run (RunEnded says where the device stands) and resets
  // the pages.
  wizard_->SpeedButtonCancelClick();
  loop_.StopReading();
  if (promptOpen_) console_.Err("");  // Ctrl-C came while the question waited
  // The cancel closes the port and the image; make sure of the port.
  wizard_->ClosePort();
  loop_.Dispatcher().RunPending();
}

void UpgradeSession::PrintWhereLeft(bool interrupted, WizardOutcome outcome) {
  // Before any end was told, the run was still connecting.
  const upgrade::DeviceLeft p = end_ ? end_->left : upgrade::DeviceLeft{};
  std::string where;
  std::string next;
  const std::string part = PartName(p.part);
  if (p.stage < Stage::FirstReading) {
    where = "while connecting; nothing was sent to the device's memory";
    next = "run aisfw upgrade again when ready";
  } else if (p.stage < Stage::Transfer) {
    where = "before the transfer; nothing was written to the device";
    next = "run aisfw upgrade again when ready";
  } else if (p.betweenParts) {
    where = "after the kernel was programmed, before the application was sent";
    next =
        "the device has the new kernel but not its application: run aisfw upgrade again at "
        "once, it sends both";
  } else if (outcome == WizardOutcome::ProgrammingFailed ||
             outcome == WizardOutcome::ChecksumError) {
    where = fmt::format("with the {} refused after all {} blocks were sent", part, p.total);
    next =
        "restart the device and run aisfw upgrade again; if it fails again, check the cable "
        "or use another PC";
  } else if (p.stage == Stage::FinalCheck) {
    const std::string sent = p.block >= p.total
                                 ? fmt::format("all {} blocks sent", p.total)
                                 : fmt::format("{} of {} blocks sent", p.block, p.total);
    where = fmt::format("while it checked and programmed the {} ({})", part, sent);
    next =
        "wait a few seconds, restart the device, check it with aisfw info, and run aisfw "
        "upgrade again if it does not run the new version";
  } else {
    where = fmt::format("in the {} transfer at block {} of {}", part, p.block, p.total);
    next = fmt::format(
        "the device holds an incomplete {}: keep it powered and run aisfw upgrade "
        "again, which sends the kernel and the application from the start "
        "(restart the device first if it does not answer)",
        part);
  }
  const std::string closed = interrupted ? "Stopped; the port and the image are closed. " : "";
  const std::string text =
      fmt::format("aisfw: {}The device was left {}. Next: {}.", closed, where, next);
  if (options_.json) {
    Emit({{"event", "left"},
          {"where", where},
          {"next", next},
          {"part", p.part == 0 ? Json() : Json(PartName(p.part))},
          {"block", p.part == 0 ? Json() : Json(p.block)},
          {"blocks", p.part == 0 ? Json() : Json(p.total)}});
  } else {
    console_.Err(text);
  }
}

int UpgradeSession::Finish(bool interrupted) {
  const WizardOutcome outcome =
      interrupted ? WizardOutcome::Cancelled : (end_ ? end_->outcome : WizardOutcome::None);
  int code = interrupted ? loop_.InterruptExitCode() : ExitCodeOf(outcome);
  if (timedOut_) code = static_cast<int>(ExitCode::TimedOut);
  if (versionRefused_ && outcome == WizardOutcome::Declined) {
    code = static_cast<int>(ExitCode::NotNewer);
  }
  if (options_.mode == UpgradeOptions::Mode::Info && outcome == WizardOutcome::Declined &&
      infoShown_) {
    code = static_cast<int>(ExitCode::Upgraded);
  }
  const std::string running = device_ ? device_->runningVersion : std::string();
  const std::string offered = VersionsKnown() ? question_->newVersion : std::string();
  HistoryEntry entry;
  entry.port = connected_ ? connected_->port : portName_;
  entry.serial = device_ ? device_->serialNumber : std::string();
  entry.running = running;
  entry.offered = offered;
  entry.outcome = OutcomeText(outcome, code);
  entry.exitCode = code;
  RecordUpgradeRun(options_, std::move(entry), console_);
  if (outcome == WizardOutcome::Finished) {
    wizard_->SpeedButtonFrmUpgFinishClick();  // back to the first page; closes the port
    if (!options_.json && !options_.quiet) {
      console_.Out(fmt::format(
          "Upgraded from {} to {} in {}.", Shown(running),
          offered.empty() ? "a version the catalogue does not know" : Shown(offered),
          FormatDuration(
              std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - runStart_))));
    }
  }

  const ExitCode exit = static_cast<ExitCode>(code);
  if (timedOut_) {
    console_.Err(fmt::format("aisfw: the --timeout of {} s ran out.", options_.timeoutSeconds));
  }
  if (exit == ExitCode::Firmware) {
    const upgrade::DeviceInfoRecord& device = wizard_->DeviceInfo().Records[0];
    for (const std::string& line :
         DescribeFirmwareFault(folders_, {device.kernelPath, device.applicationPath})) {
      console_.Err(line);
    }
  }
  if (interrupted || exit == ExitCode::TransferAbandoned || exit == ExitCode::DeviceFailure) {
    PrintWhereLeft(interrupted, outcome);
  }
  if (code != 0 && !interrupted) {
    std::string hint;
    if (outcome == WizardOutcome::ForceDeclined) {
      const std::string why = singlePort_ ? singlePort_->WhyNotAvailable() : std::string();
      hint = fmt::format(" {} does not open now{}; --force tries it anyway", portName_,
                         why.empty() ? "" : " (" + why + ")");
    } else if (outcome == WizardOutcome::ConnectTimeout || outcome == WizardOutcome::DetectFailed) {
      hint = fmt::format(
          " Check that the device is powered and its cable plugged in{}; aisfw "
          "doctor checks the port",
          automatic_ ? "" : ", and try --baud auto");
    } else if (exit == ExitCode::Firmware && folders_.BinFolder.empty()) {
      hint = fmt::format(
          " Images are read from {}/Bin and the catalogue from {}/Bin; --bin DIR "
          "names a folder holding both",
          folders_.ProgramFolder.string(), fs::current_path().string());
    } else if (outcome == WizardOutcome::Identification && !options_.quiet) {
      hint = " First reading: " + Reading(0) + "; second reading: " + Reading(1);
    }
    if (!options_.json) {
      const std::string meaning =
          notConfirmed_ ? std::string(kNotConfirmedMeaning) : std::string(ExitCodeMeaning(exit));
      console_.Err(fmt::format("aisfw: {} ({}, exit {}).{}", meaning, OutcomeText(outcome, code),
                               code, hint));
    }
  }
  if (options_.json) {
    std::string meaning(ExitCodeMeaning(exit));
    if (notConfirmed_ && code != 0) meaning = kNotConfirmedMeaning;
    if (OutcomeText(outcome, code) == kRead) meaning = kReadMeaning;
    Json event = {{"event", "outcome"},
                  {"outcome", OutcomeText(outcome, code)},
                  {"exit_code", code},
                  {"meaning", meaning}};
    if (end_ && !end_->message.empty() && !interrupted) event["message"] = OneLine(end_->message);
    Emit(std::move(event));
  }
  return code;
}

std::string UpgradeSession::OutcomeText(WizardOutcome outcome, int code) const {
  if (timedOut_) return kTimedOut;
  if (options_.mode == UpgradeOptions::Mode::Info && code == 0 && infoShown_) return kRead;
  if (outcome == WizardOutcome::Declined && notConfirmed_) return kNotConfirmed;
  return upgrade::OutcomeName(outcome);
}

}  // namespace cli
