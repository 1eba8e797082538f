#include "upgrade/command_channel.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "nmea/classification.h"

namespace upgrade {
namespace {

// The longest line taken as a sentence, line end included.
constexpr std::size_t kMaxSentenceLine = 82;

// A reply value comes back from its single-precision form by truncation; one
// beyond the 32-bit range stays at the range's end.
std::int32_t TruncatedReply(float value) {
  const double whole = std::trunc(static_cast<double>(value));
  if (whole >= 2147483647.0) return INT32_MAX;
  if (whole <= -2147483648.0) return INT32_MIN;
  return static_cast<std::int32_t>(whole);
}

std::string WithoutLineEnd(const char* sentence) {
  std::string text = sentence;
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

CommandChannel::CommandChannel(PortWriter& port, store::NmeaStack& nmea, WizardScreen& screen,
                               const WizardState& state)
    : port_(port), nmea_(nmea), screen_(screen), state_(state) {}

bool CommandChannel::WriteToPort(const void* bytes, int count) {
  if (!port_.Connected()) {
    screen_.Plain("Please connect serial port first!");
    return false;
  }
  return port_.Write(bytes, count) == count && count > 0;
}

bool CommandChannel::SendProprietaryCommand(const char* talker, const char* formatter) {
  char sentence[nmea::kLineBufferSize];
  if (!nmea_.library.ComposeSentence(sentence, composeRecord_, formatter, talker)) {
    screen_.Log(LogPane::MemoTX, std::string("Compose $") + talker + formatter + " fails!");
    return false;
  }
  if (WriteToPort(sentence, static_cast<int>(std::strlen(sentence)))) {
    screen_.Log(LogPane::MemoTX, WithoutLineEnd(sentence));
    return true;
  }
  if (state_.AutomaticMode) return true;
  screen_.Plain("Command sending fail!");
  screen_.Log(LogPane::MemoTX, WithoutLineEnd(sentence));
  return false;
}

bool CommandChannel::SendDbg(int code, int value) {
  store::DbgRecord& dbg = nmea_.sentences.Maker().dbg;
  dbg.codes[0] = static_cast<std::int16_t>(code);
  dbg.values[0] = value;
  for (int i = 1; i < 4; ++i) {
    dbg.codes[i] = 999;
    dbg.values[i] = 0;
  }
  return SendProprietaryCommand("P", "DBG");
}

bool CommandChannel::SendDbgRequest(int code, int value) {
  store::DbgRecord& dbg = nmea_.sentences.Maker().dbg;
  dbg.codes[0] = static_cast<std::int16_t>(code);
  dbg.values[0] = value;
  for (int i = 1; i < 4; ++i) {
    dbg.codes[i] = 999;
    dbg.values[i] = static_cast<std::int32_t>(nmea::kEmptyU32);
  }
  return SendProprietaryCommand("P", "DBG");
}

bool CommandChannel::SendProbe(int tstValue) {
  // A fixed text, not composed from the record: it always carries the
  // maker letter C.
  char probe[nmea::kLineBufferSize] = "$PZLX,C,DBG,700,1,,,,,,";
  nmea::AppendChecksum(probe);
  screen_.Log(LogPane::MemoTX, WithoutLineEnd(probe));
  if (!WriteToPort(probe, static_cast<int>(std::strlen(probe)))) return false;

  store::TstRecord& tst = nmea_.sentences.Maker().tst;
  tst.number = 99999;  // the first four fields go empty
  tst.twoDigit = 99;
  tst.lowerLetter = 0x40;
  tst.upperLetter = 0x40;
  tst.value = static_cast<std::uint16_t>(tstValue);
  return SendProprietaryCommand("P", "TST");
}

bool CommandChannel::SendFinalCheck(std::uint32_t imageSum) {
  store::TpsRecord& tps = nmea_.sentences.Maker().tps;
  tps.number = kTpsImageSum;
  std::snprintf(tps.text, sizeof tps.text, "%08X", imageSum);
  return SendProprietaryCommand("P", "TPS");
}

void CommandChannel::ParseDeviceLine(const char* line) {
  if (line[0] != '$' && line[0] != '!') return;
  const std::size_t length = std::strlen(line);
  if (length > kMaxSentenceLine) return;
  std::memcpy(parseBuffer_, line, length + 1);
  if (!nmea_.library.ParseSentence(parseBuffer_, parseRecord_)) return;
  if (nmea::ClassifyFormatter(parseRecord_) != nmea::CategoryMaker) return;
  ApplyDeviceReplies();
}

void CommandChannel::ApplyDeviceReplies() {
  store::DbgRecord& dbg = nmea_.sentences.Maker().dbg;
  bool any = false;
  for (std::size_t i = 0; i < 4; ++i) {
    if (dbg.fresh[i] == 0) continue;
    dbg.fresh[i] = 0;
    DeviceReplyTable[i] = {dbg.codes[i], static_cast<float>(dbg.values[i]), 1};
    any = true;
  }
  if (!any) return;
  for (DeviceReply& reply : DeviceReplyTable) {
    if (reply.fresh == 0) continue;
    reply.fresh = 0;
    const std::int32_t value = TruncatedReply(reply.value);
    if (reply.code == kBlockReplyCode) BlockReply = value;
    if (reply.code == kPartReplyCode) PartReply = value;
    if (reply.code == kBlockReplyCode || reply.code == kPartReplyCode) ++RepliesApplied;
  }
}

}  // namespace upgrade
