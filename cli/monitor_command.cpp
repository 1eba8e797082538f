// aisfw monitor --port PORT [--baud RATE|auto]: live decode of what the port
// says. On a terminal the table of stations heard is redrawn in place once a
// second; otherwise each received line is printed as `aisfw decode` prints
// it, one JSON object per line.
//
// A line at the wrong rate arrives as garbage: when a second brings bytes
// that are mostly not text and no sentence, the monitor says the line looks
// garbled and suggests --baud auto, which tries each rate of the upgrade's
// list in turn, from the fastest, until one gives a valid sentence.

#include "cli/monitor_command.h"

#include <fmt/core.h>

#include <csignal>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "cli/ais_json.h"
#include "cli/command_help.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/event_loop.h"
#include "cli/exit_codes.h"
#include "cli/option_checks.h"
#include "cli/port_argument.h"
#include "cli/sentence_json.h"
#include "cli/target_table.h"
#include "comm/comm.h"
#include "comm/receive_lines.h"
#include "connect/connection.h"
#include "store/nmea_stack.h"
#include "text/display_text.h"

namespace cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kRedrawInterval = std::chrono::seconds(1);
// How long --baud auto listens at each rate for a valid sentence.
constexpr auto kTrialTime = std::chrono::seconds(3);
// Home, then erase the screen below.
constexpr const char* kClearScreen = "\033[H\033[J";

struct MonitorOptions {
  std::string port;
  std::string baud = "115200";
  double seconds = 0;  // 0: until Ctrl-C
  bool verbose = false;
};

// What arrived in one stretch of time.
struct LineQuality {
  std::size_t bytes = 0;
  std::size_t nonText = 0;  // neither printable ASCII nor CR, LF, tab
  std::size_t sentences = 0;

  // Many bytes, no sentence, and a good part of them no text: what a
  // receiver makes of a line at another rate. NMEA is printable ASCII.
  bool LooksGarbled() const { return sentences == 0 && bytes >= 64 && nonText * 4 >= bytes; }
  int NonTextPercent() const { return bytes == 0 ? 0 : static_cast<int>(nonText * 100 / bytes); }
};

// The port's bytes on their way to the line assembly, counted.
class CountingReader final : public comm::ByteReader {
 public:
  CountingReader(comm::ByteReader& port, LineQuality& quality) : port_(port), quality_(quality) {}
  std::int32_t Read(void* buffer, std::int32_t count) override {
    const std::int32_t got = port_.Read(buffer, count);
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    for (std::int32_t i = 0; i < got; ++i) {
      const unsigned char c = bytes[i];
      if (!((c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n' || c == '\t')) ++quality_.nonText;
    }
    if (got > 0) quality_.bytes += static_cast<std::size_t>(got);
    return got;
  }

 private:
  comm::ByteReader& port_;
  LineQuality& quality_;
};

// The received lines, as the line assembly hands them over.
class Listener final : public comm::ReceiveConsumers {
 public:
  Listener(Console& console, bool table, bool verbose)
      : console_(console), table_(table), verbose_(verbose) {}

  void LogReceivedLine(std::string_view line) override {
    ++lines_;
    // A line the assembly refuses as too long never comes to OnDeviceLine.
    if (line.size() > comm::kMaxLineLength && printing_ && !table_) {
      console_.Out(JsonLine(TooLongLineJson(lines_)));
    }
  }
  void OnDeviceLine(const char* line) override {
    const bool accepted = stack_->library.ParseSentence(line, record_);
    messages_.Note(stack_->ais.Targets());
    if (accepted) {
      ++sentences_;
      ++window_.sentences;
    }
    if (table_ || !printing_) return;
    const std::string_view text = line;
    Json object = LineJson(lines_, text, accepted, stack_->library.LastFault(), record_);
    if (accepted && stack_->ais.HasDecoded()) {
      object["ais"] = AisValuesJson(stack_->ais.DescribeLastDecoded(store::AisPackedFields::Parts));
    }
    if (verbose_) object["text"] = std::string(text.substr(0, text.size() - 2));
    console_.Out(JsonLine(object));
  }
  void WatchTextLine(const char*) override {}

  void Redraw(const std::string& heading, const std::string& notice) {
    std::ostringstream screen;
    screen << kClearScreen << heading
           << fmt::format(" - {} lines, {} sentences\n", lines_, sentences_);
    if (!notice.empty()) screen << notice << '\n';
    screen << '\n';
    PrintTargetTable(stack_->ais.Targets(), messages_, screen);
    std::cout << screen.str() << std::flush;
  }

  // The stretch of time since the last call, and a new one begun.
  LineQuality TakeWindow() { return std::exchange(window_, {}); }
  LineQuality& Window() { return window_; }
  // From now on lines are printed (off a terminal), numbered from 1.
  void StartPrinting() {
    printing_ = true;
    lines_ = 0;
    sentences_ = 0;
  }

 private:
  Console& console_;
  bool table_;
  bool verbose_;
  bool printing_ = false;
  std::size_t lines_ = 0;
  std::size_t sentences_ = 0;
  LineQuality window_;
  // The stack is large (rings, records, 2250 entries); keep it off the stack.
  std::unique_ptr<store::NmeaStack> stack_ = std::make_unique<store::NmeaStack>();
  StationMessages messages_;
  nmea::SentenceRecord record_{};
};

std::string GarbledNotice(const LineQuality& quality, std::uint32_t baud, bool automatic) {
  return fmt::format(
      "The line looks garbled at {} baud: {} bytes in the last second, {}% of them no text, "
      "and no valid sentence.{}",
      baud, quality.bytes, quality.NonTextPercent(),
      automatic ? "" : " The device may send at another rate: try --baud auto.");
}

class Monitor {
 public:
  Monitor(const MonitorOptions& opt, const PortArgument& port)
      : opt_(opt),
        port_(port),
        console_(Console::Standard()),
        listener_(console_, console_.Terminal(), opt.verbose),
        serial_(loop_.Dispatcher()) {}

  int Run() {
    automatic_ = opt_.baud == "auto";
    std::uint32_t baud = automatic_ ? 0 : static_cast<std::uint32_t>(std::stoul(opt_.baud));
    comm::TBaudRate rate{};
    if (automatic_) {
      rate = connect::BaudIndexTable.back();
    } else {
      comm::BaudRateFromValue(baud, rate);
    }
    if (!Open(rate)) return static_cast<int>(ExitCode::NoDevice);
    if (opt_.seconds > 0) {
      end_ = Clock::now() + std::chrono::milliseconds(static_cast<long long>(opt_.seconds * 1000));
    }
    if (automatic_) {
      const std::optional<comm::TBaudRate> found = FindRate();
      if (!found) return Close(/*rateFound=*/false);
      rate = *found;
    }
    baud = comm::BaudRateValue(rate);
    heading_ = fmt::format("Listening on {} at {} baud (Ctrl-C ends)", Shown(), baud);
    if (!console_.Terminal()) console_.Err("aisfw monitor: " + heading_);
    listener_.StartPrinting();
    listener_.TakeWindow();
    bool garbledSaid = false;
    while (!Stopped() && !TimeUp()) {
      if (console_.Terminal()) listener_.Redraw(heading_, notice_);
      loop_.RunFor(Slice(kRedrawInterval), [this] { return Stopped(); });
      const LineQuality window = listener_.TakeWindow();
      if (window.LooksGarbled()) {
        notice_ = GarbledNotice(window, baud, automatic_);
        if (!console_.Terminal() && !garbledSaid) console_.Err("aisfw monitor: " + notice_);
        garbledSaid = true;
      } else if (window.sentences > 0) {
        notice_.clear();
        garbledSaid = false;
      }
    }
    return Close(true);
  }

 private:
  bool Open(comm::TBaudRate rate) {
    serial_.SetDeviceName(port_.name);
    serial_.SetBaudRate(rate);
    serial_.SetParity(comm::paNone);
    serial_.SetDataBits(comm::da8);
    serial_.SetStopBits(comm::sb10);
    serial_.OnRxChar = [this](comm::TThreadComm& sender, std::uint32_t count) {
      CountingReader reader(sender, listener_.Window());
      if (assembler_) assembler_->OnRxChar(reader, count);
    };
    serial_.OnError = [this](comm::TThreadComm&, std::int32_t errors) {
      if (errors & comm::CE_HANGUP) hungUp_ = true;
    };
    assembler_ = std::make_unique<comm::ReceiveLineAssembler>(listener_);
    try {
      serial_.Open();
    } catch (const comm::CommError& error) {
      console_.Err(fmt::format("aisfw monitor: {}", text::DisplayText(error.what())));
      return false;
    }
    if (!serial_.Connected()) {
      console_.Err(
          fmt::format("aisfw monitor: {}", text::DisplayText(serial_.LastOpenError().Message)));
      return false;
    }
    return true;
  }

  // Each rate of the list in turn, from the fastest, until one gives a
  // valid sentence.
  std::optional<comm::TBaudRate> FindRate() {
    for (auto it = connect::BaudIndexTable.rbegin(); it != connect::BaudIndexTable.rend(); ++it) {
      const std::uint32_t baud = comm::BaudRateValue(*it);
      serial_.SetBaudRate(*it);
      // What was half received at the rate before is no line.
      assembler_ = std::make_unique<comm::ReceiveLineAssembler>(listener_);
      listener_.TakeWindow();
      const std::string trying = fmt::format("Looking for the rate of {}: {} baud", Shown(), baud);
      if (console_.Terminal()) {
        listener_.Redraw(trying, {});
      } else {
        console_.Err("aisfw monitor: " + trying);
      }
      const auto trialEnd = Clock::now() + kTrialTime;
      const auto found = [this] { return Stopped() || listener_.Window().sentences > 0; };
      while (!found() && !TimeUp() && Clock::now() < trialEnd) {
        loop_.RunFor(Slice(std::chrono::duration_cast<std::chrono::milliseconds>(
                         trialEnd - Clock::now() + std::chrono::milliseconds(1))),
                     found);
      }
      if (listener_.Window().sentences > 0) return *it;
      if (Stopped() || TimeUp()) return std::nullopt;
    }
    return std::nullopt;
  }

  int Close(bool rateFound) {
    if (console_.Terminal() && rateFound) listener_.Redraw(heading_, notice_);
    serial_.Close();
    if (hungUp_) {
      console_.Err(fmt::format("aisfw monitor: the serial line {} hung up", Shown()));
      return static_cast<int>(ExitCode::NoDevice);
    }
    // Ctrl-C is how a monitor ends; another signal ends it as signals do.
    if (loop_.Interrupted() && loop_.InterruptSignal() != SIGINT) return loop_.InterruptExitCode();
    if (!rateFound && !loop_.Interrupted()) {
      const std::string where =
          TimeUp()
              ? "before --seconds ended"
              : fmt::format("at any rate ({} s at each)",
                            std::chrono::duration_cast<std::chrono::seconds>(kTrialTime).count());
      console_.Err(fmt::format(
          "aisfw monitor: no valid sentence came from {} {}; check that the device is powered "
          "and sends, and the cable",
          Shown(), where));
      return static_cast<int>(ExitCode::NoDevice);
    }
    return 0;
  }

  std::chrono::milliseconds Slice(std::chrono::milliseconds most) const {
    if (!end_) return most;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*end_ - Clock::now());
    return std::max(std::chrono::milliseconds(0), std::min(most, left));
  }
  bool TimeUp() const { return end_ && Clock::now() >= *end_; }
  bool Stopped() const { return hungUp_ || loop_.Interrupted(); }
  std::string Shown() const { return text::DisplayText(port_.name); }

  const MonitorOptions& opt_;
  const PortArgument& port_;
  EventLoop loop_;
  Console console_;
  Listener listener_;
  std::unique_ptr<comm::ReceiveLineAssembler> assembler_;
  comm::TComm serial_;
  bool automatic_ = false;
  bool hungUp_ = false;
  std::optional<Clock::time_point> end_;
  std::string heading_;
  std::string notice_;
};

}  // namespace

void MonitorReceived(Console& console, const std::vector<std::string_view>& notifications) {
  Listener listener(console, false, false);
  listener.StartPrinting();
  comm::ReceiveLineAssembler assembler(listener);
  for (const std::string_view bytes : notifications) assembler.Receive(bytes.data(), bytes.size());
}

void AddMonitorCommand(CLI::App& app, int& exitCode) {
  auto* cmd = app.add_subcommand(
      "monitor",
      "Listen to a port and decode what it says: the table of stations heard, redrawn in place "
      "on a terminal, or one JSON object per received line otherwise");
  auto opt = std::make_shared<MonitorOptions>();
  cmd->add_option("-p,--port", opt->port, "Serial port: a name, a path or a by-id link")
      ->type_name("PORT")
      ->required();
  cmd->add_option("-b,--baud", opt->baud,
                  "Baud rate, or auto: each rate from 115200 down to 4800 in turn, a few "
                  "seconds each, until one gives a valid sentence")
      ->type_name("RATE|auto")
      ->check(BaudRateOrAutoCheck())
      ->capture_default_str();
  cmd->add_option("--seconds", opt->seconds, "Stop after this many seconds (default: at Ctrl-C)")
      ->type_name("S")
      ->check(SecondsCheck());
  cmd->add_flag("-v,--verbose", opt->verbose, "Add each line as received to its object (\"text\")");
  SetExitCodes(cmd, {{0, "ended by --seconds or Ctrl-C"},
                     {1, "usage error"},
                     {2, "the port did not open or hung up, or no rate gave a valid sentence"},
                     ExitCodeRowOf(ExitCode::HungUpTerminal),
                     ExitCodeRowOf(ExitCode::Terminated)});
  cmd->callback([opt, &exitCode] {
    const PortArgument port = ResolvePortArgument(opt->port);
    if (port.automatic || port.name.empty()) {
      fmt::print(stderr, "aisfw monitor: name the port to listen to\n");
      exitCode = static_cast<int>(ExitCode::Usage);
      return;
    }
    std::signal(SIGPIPE, SIG_IGN);
    Monitor monitor(*opt, port);
    exitCode = monitor.Run();
  });
}

}  // namespace cli
