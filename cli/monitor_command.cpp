// aisfw monitor --port PORT [--baud RATE]: live decode of what the port
// says. On a terminal the table of stations heard is redrawn in place once a
// second; otherwise each received line is printed as `aisfw decode` prints
// it, one JSON object per line.

#include "cli/monitor_command.h"

#include <fmt/core.h>

#include <csignal>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "cli/ais_json.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/event_loop.h"
#include "cli/port_argument.h"
#include "cli/sentence_json.h"
#include "cli/target_table.h"
#include "comm/comm.h"
#include "comm/receive_lines.h"
#include "store/nmea_stack.h"

namespace cli {
namespace {

constexpr auto kRedrawInterval = std::chrono::seconds(1);
// Home, then erase the screen below.
constexpr const char* kClearScreen = "\033[H\033[J";

struct MonitorOptions {
  std::string port;
  std::uint32_t baud = 115200;
  double seconds = 0;  // 0: until Ctrl-C
};

// The received lines, as the line assembly hands them over.
class Listener final : public comm::ReceiveConsumers {
 public:
  Listener(Console& console, bool table) : console_(console), table_(table) {}

  void LogReceivedLine(std::string_view) override { ++lines_; }
  void OnDeviceLine(const char* line) override {
    const bool accepted = stack_->library.ParseSentence(line, record_);
    if (accepted) ++sentences_;
    if (table_) return;
    Json object = LineJson(lines_, accepted, stack_->library.LastFault(), record_);
    if (accepted && stack_->ais.HasDecoded()) {
      object["ais"] = AisValuesJson(stack_->ais.DescribeLastDecoded());
    }
    console_.Out(object.dump(-1, ' ', false, Json::error_handler_t::replace));
  }
  void WatchTextLine(const char*) override {}

  void Redraw(const std::string& heading) {
    std::ostringstream screen;
    screen << kClearScreen << heading
           << fmt::format(" - {} lines, {} sentences\n\n", lines_, sentences_);
    PrintTargetTable(stack_->ais.Targets(), screen);
    std::cout << screen.str() << std::flush;
  }

 private:
  Console& console_;
  bool table_;
  std::size_t lines_ = 0;
  std::size_t sentences_ = 0;
  // The stack is large (rings, records, 2250 entries); keep it off the stack.
  std::unique_ptr<store::NmeaStack> stack_ = std::make_unique<store::NmeaStack>();
  nmea::SentenceRecord record_{};
};

int RunMonitor(const MonitorOptions& opt) {
  comm::TBaudRate rate{};
  if (!comm::BaudRateFromValue(opt.baud, rate)) {
    fmt::print(stderr, "aisfw monitor: {} is not a baud rate the port offers\n", opt.baud);
    return 1;
  }
  std::signal(SIGPIPE, SIG_IGN);
  EventLoop loop;
  Console console = Console::Standard();
  Listener listener(console, console.Terminal());
  comm::ReceiveLineAssembler assembler(listener);

  const PortArgument port = ResolvePortArgument(opt.port);
  if (port.automatic) {
    fmt::print(stderr, "aisfw monitor: name the port to listen to\n");
    return 1;
  }
  comm::TComm serial(loop.Dispatcher());
  serial.SetDeviceName(port.name);
  serial.SetBaudRate(rate);
  serial.SetParity(comm::paNone);
  serial.SetDataBits(comm::da8);
  serial.SetStopBits(comm::sb10);
  bool hungUp = false;
  serial.OnRxChar = [&](comm::TThreadComm& sender, std::uint32_t count) {
    assembler.OnRxChar(sender, count);
  };
  serial.OnError = [&](comm::TThreadComm&, std::int32_t errors) {
    if (errors & comm::CE_HANGUP) hungUp = true;
  };
  try {
    serial.Open();
  } catch (const comm::CommError& error) {
    fmt::print(stderr, "aisfw monitor: {}\n", error.what());
    return 2;
  }
  if (!serial.Connected()) {
    fmt::print(stderr, "aisfw monitor: {}\n", serial.LastOpenError().Message);
    return 2;
  }

  const std::string heading =
      fmt::format("Listening on {} at {} baud (Ctrl-C ends)", port.name, opt.baud);
  if (!console.Terminal()) console.Err("aisfw monitor: " + heading);
  const auto stop = [&] { return hungUp || loop.Interrupted(); };
  const auto end = std::chrono::steady_clock::now() +
                   std::chrono::milliseconds(static_cast<long long>(opt.seconds * 1000));
  while (!stop()) {
    auto slice = std::chrono::duration_cast<std::chrono::milliseconds>(kRedrawInterval);
    if (opt.seconds > 0) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      slice = std::min(slice, left);
    }
    if (console.Terminal()) listener.Redraw(heading);
    loop.RunFor(slice, stop);
  }
  if (console.Terminal()) listener.Redraw(heading);
  serial.Close();
  if (hungUp) {
    console.Err(fmt::format("aisfw monitor: the serial line {} hung up", port.name));
    return 2;
  }
  return 0;
}

}  // namespace

void MonitorReceived(Console& console, const std::vector<std::string_view>& notifications) {
  Listener listener(console, false);
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
  cmd->add_option("-b,--baud", opt->baud, "Baud rate")->type_name("RATE")->capture_default_str();
  cmd->add_option("--seconds", opt->seconds, "Stop after this many seconds (default: at Ctrl-C)")
      ->type_name("S")
      ->check(CLI::NonNegativeNumber);
  cmd->callback([opt, &exitCode] { exitCode = RunMonitor(*opt); });
}

}  // namespace cli
