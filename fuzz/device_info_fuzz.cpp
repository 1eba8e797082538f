// libFuzzer entry: any sequence of device lines through the information
// collector, each complete block evaluated as the upgrade preparation does
// (first reading, second reading, then blocks in later stages). Whatever the
// lines, every text of a record stays NUL-terminated, the class digit and the
// language are what the last slot carrying their key says, and the engine
// sends exactly the probe its verdict calls for.
//
// Input: the first byte chooses what follows a second reading (stay in the
// transfer stage, or a new connection with or without the collector's
// reset); the rest is split at LF into lines, each made as the line assembly
// makes it (CR and NUL dropped, at most 82 characters, CR LF put back).

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "comm/comm.h"
#include "comm/main_thread.h"
#include "comm/memory_serial.h"
#include "comm/receive_lines.h"
#include "harness/virtual_rig.h"
#include "store/nmea_stack.h"
#include "upgrade/command_channel.h"
#include "upgrade/device_info.h"
#include "upgrade/port_writer.h"
#include "upgrade/wizard_screen.h"

namespace {

using upgrade::DeviceInfoRecord;
using upgrade::DeviceInformation;
using upgrade::InfoCollector;
using upgrade::Stage;

// What the engine writes to the device for each verdict.
constexpr std::string_view kProbe = "$PZLX,C,DBG,700,1,,,,,,*1A\r\n";
constexpr std::string_view kProbeSearch = "$PTST,,,,,00016*18\r\n";
constexpr std::string_view kProbeDone = "$PTST,,,,,00000*1F\r\n";

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "device_info_fuzz: %s\n", what);
  std::abort();
}

// The engine on an in-memory line, made once: building a sentence stack and
// a port per input would cost more than the input.
struct Bench {
  Bench() {
    line = ports.Add("ttyV0");
    port.SetDeviceName("ttyV0");
    port.Open();
    if (!port.Connected()) Fail("the in-memory port did not open");
  }
  ~Bench() { port.Close(); }

  harness::RecordingView view;
  upgrade::WizardScreen screen{view};
  comm::MemoryPorts ports;
  std::shared_ptr<comm::MemoryLine> line;
  comm::LoopDispatcher dispatcher;
  comm::TComm port{dispatcher, ports.MakePlatform()};
  store::NmeaStack nmea;
  upgrade::WizardState state;
  upgrade::ThreadCommWriter writer{port};
  upgrade::CommandChannel channel{writer, nmea, screen, state};
};

template <std::size_t N>
void CheckTerminated(const char (&text)[N], const char* what) {
  if (std::memchr(text, '\0', N) == nullptr) Fail(what);
}

// The value a key gives, read straight from the last slot that carries it:
// the character `offset` places after the key's start (NUL past the end).
const char* LastSlotWith(const InfoCollector& collector, const char* key) {
  const char* found = nullptr;
  for (std::size_t i = 0; i < InfoCollector::kSlots; ++i) {
    if (std::strstr(collector.Slot(i), key) != nullptr) found = collector.Slot(i);
  }
  return found;
}
char After(const char* line, const char* key, std::size_t offset) {
  const std::string_view rest(std::strstr(line, key));
  return offset < rest.size() ? rest[offset] : '\0';
}

void CheckRecord(const DeviceInfoRecord& record, const InfoCollector& collector) {
  CheckTerminated(record.firmware, "the firmware text is not terminated");
  CheckTerminated(record.serialNumber, "the serial number is not terminated");
  CheckTerminated(record.kernelPath, "the kernel path is not terminated");
  CheckTerminated(record.applicationPath, "the application path is not terminated");

  const char* classLine = LastSlotWith(collector, "[ClassA]=");
  const int expectedClass = classLine != nullptr ? After(classLine, "[ClassA]=", 9) - '0' : -1;
  if (record.classDigit != expectedClass) Fail("the class digit is not the last class line's");

  const char* languageLine = LastSlotWith(collector, "[MKD]Language=");
  for (std::size_t i = 0; i < 4; ++i) {
    const auto expected = static_cast<std::uint8_t>(
        languageLine != nullptr ? After(languageLine, "[MKD]Language=", 14 + 2 * i) - '0' : 0);
    if (record.language[i] != expected) Fail("the language is not the last language line's");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Bench bench;
  if (size == 0) return 0;
  const int afterSecond = data[0] % 3;  // 0: transfer, 1: new connection with reset, 2: without
  bench.view.Reset();
  bench.line->TakeFromHost();

  DeviceInformation info;
  Stage stage = Stage::FirstReading;
  std::size_t start = 1;
  while (start < size) {
    const std::uint8_t* lf =
        static_cast<const std::uint8_t*>(std::memchr(data + start, '\n', size - start));
    const std::size_t end = lf != nullptr ? static_cast<std::size_t>(lf - data) : size;
    std::string line;
    for (std::size_t i = start; i < end; ++i) {
      if (data[i] != '\r' && data[i] != '\0') line += static_cast<char>(data[i]);
    }
    start = end + 1;
    line.resize(std::min(line.size(), comm::kMaxLineLength));
    line += "\r\n";

    if (info.Collector.CollectInfoLine(line.c_str(), false) != InfoCollector::Complete) continue;
    const std::size_t messages = bench.view.Messages().size();
    const int verdict = info.EvaluateDeviceInfo(stage, bench.channel, bench.screen);
    const std::string sent = bench.line->TakeFromHost();

    switch (stage) {
      case Stage::FirstReading:
        CheckRecord(info.Records[0], info.Collector);
        if (verdict != DeviceInformation::FirstRead) Fail("a first reading was not taken");
        if (sent != std::string(kProbe) + std::string(kProbeSearch))
          Fail("the first reading did not probe again");
        stage = Stage::SecondReading;
        break;
      case Stage::SecondReading: {
        CheckRecord(info.Records[1], info.Collector);
        const bool same =
            std::strcmp(info.Records[0].firmware, info.Records[1].firmware) == 0 &&
            std::strcmp(info.Records[0].serialNumber, info.Records[1].serialNumber) == 0;
        const bool identifiable = same && info.Records[0].classDigit != -1;
        if (verdict != (identifiable ? DeviceInformation::Identified : DeviceInformation::Failed))
          Fail("the second reading's verdict is wrong");
        if (identifiable) {
          if (sent != std::string(kProbe) + std::string(kProbeDone))
            Fail("an identified device was not told the probing is over");
          if (std::strcmp(info.Records[0].kernelPath, "Bin/App_700.SBIN") != 0)
            Fail("the kernel is not image 700");
        } else if (!sent.empty() || bench.view.Messages().size() != messages + 1) {
          Fail("a failed identification sent something or said nothing");
        }
        if (afterSecond == 0) {
          stage = Stage::Transfer;
        } else {
          if (afterSecond == 1) info.Collector.CollectInfoLine(nullptr, true);
          stage = Stage::FirstReading;
        }
        break;
      }
      default:
        if (verdict != DeviceInformation::Ignored || !sent.empty())
          Fail("a block after the second reading was not ignored");
        break;
    }
  }
  return 0;
}
