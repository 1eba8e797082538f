// libFuzzer entry: the bytes as received lines (split at LF, each given back
// its CR LF), through the whole parse path: framing, parsers, assembly, the
// store and the AIS chain. A line that ends in "*hh" gets its checksum
// filled in, so that changed sentences still reach the parsers.
//
// Every input gets a stack of its own, stamped by a clock that never moves,
// so a crash depends on the input alone and replays from it: state carried
// from line to line (fragment rings, the store, the target table) is
// exercised by the lines of one input.
//
// Each sentence its parser took, whose formatter has a composer, is composed
// again from the parsed record and that sentence parsed back: it must be
// taken, compose to the same text again, and give back every value it holds
// as the first parse had it (a composer may leave out a value its rules do
// not write, within the precision it writes, but never change one).

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "nmea/formatters.h"
#include "nmea/framing.h"
#include "store/local_clock.h"
#include "store/nmea_stack.h"

namespace {

using nmea::BodyField;
using nmea::FieldKind;
using nmea::SentenceBody;
using nmea::SentenceFault;
using nmea::SentenceRecord;

class FixedClock final : public store::LocalClock {
 public:
  store::LocalDateTime LocalNow() override { return {2026, 3, 14, 12, 0, 0, 0}; }
  std::uint32_t Seconds() override { return 1773489600; }
};

[[noreturn]] void Fault(const char* what, std::string_view line, std::string_view detail = {}) {
  std::fprintf(stderr, "%s\n  line: %.*s\n  %.*s\n", what, static_cast<int>(line.size()),
               line.data(), static_cast<int>(detail.size()), detail.data());
  std::abort();
}

// The faults that come after the parser took the sentence: the assembly of
// an encapsulated message and its decoding.
bool ParserTookIt(SentenceFault fault) {
  switch (fault) {
    case SentenceFault::None:
    case SentenceFault::Fragment:
    case SentenceFault::BrokenFragment:
    case SentenceFault::RingBlocked:
    case SentenceFault::PayloadTooLong:
    case SentenceFault::Addressed:
    case SentenceFault::AisPayload:
    case SentenceFault::AisMessage:
      return true;
    default:
      return false;
  }
}

// One value of a body field as compared here: absent (the field's "empty"),
// a whole number, a real, or bytes.
struct Value {
  enum class Kind { Absent, Whole, Real, Bytes } kind = Kind::Absent;
  long long whole = 0;
  double real = 0.0;
  std::string bytes;
  // The largest difference a composer's rounding may make: "%3.1f" and
  // "%4.1f" are its coarsest reals.
  double tolerance = 0.0;
};

template <typename T>
T Read(const SentenceBody& body, std::size_t at) {
  T value;
  std::memcpy(&value, body.bytes + at, sizeof value);
  return value;
}

double Number(const BodyField& f, const SentenceBody& b, std::size_t at) {
  if (f.kind == FieldKind::Real) return Read<float>(b, at);
  switch (f.size) {
    case 1:
      return f.isSigned ? Read<std::int8_t>(b, at) : Read<std::uint8_t>(b, at);
    case 2:
      return f.isSigned ? Read<std::int16_t>(b, at) : Read<std::uint16_t>(b, at);
    default:
      return f.isSigned ? Read<std::int32_t>(b, at)
                        : static_cast<double>(Read<std::uint32_t>(b, at));
  }
}

bool IsEmpty(const BodyField& f, double value) {
  switch (f.empty) {
    case nmea::EmptyRule::None:
      return false;
    case nmea::EmptyRule::Equal:
      return value == f.emptyValue;
    case nmea::EmptyRule::Below:
      return !(value >= f.emptyValue) || !std::isfinite(value);
  }
  return false;
}

Value Whole(long long v) { return {Value::Kind::Whole, v, 0.0, {}, 0.0}; }
Value Real(double v, double tolerance) { return {Value::Kind::Real, 0, v, {}, tolerance}; }
Value Bytes(const std::uint8_t* p, std::size_t n) {
  return {Value::Kind::Bytes, 0, 0.0, std::string(reinterpret_cast<const char*>(p), n), 0.0};
}

Value ValueOf(const BodyField& f, const SentenceBody& b, std::size_t index) {
  const std::size_t at = f.At(index);
  switch (f.kind) {
    case FieldKind::Integer: {
      const double v = Number(f, b, at);
      return IsEmpty(f, v) ? Value{} : Whole(static_cast<long long>(v));
    }
    case FieldKind::Real: {
      const double v = Number(f, b, at);
      return IsEmpty(f, v) ? Value{} : Real(v, 0.0501 + std::fabs(v) * 1e-6);
    }
    case FieldKind::Char: {
      const auto c = Read<unsigned char>(b, at);
      return c == ' ' || c == 0 || c == nmea::kEmptyByte ? Value{} : Whole(c);
    }
    case FieldKind::Text: {
      const std::size_t n = strnlen(reinterpret_cast<const char*>(b.bytes + at), f.size);
      if (n == 0 || (n == 1 && b.bytes[at] == ' ')) return {};
      return Bytes(b.bytes + at, n);
    }
    case FieldKind::Time: {
      const auto t = Read<nmea::UtcTime>(b, at);
      if (t.hour >= nmea::kNoHour) return {};
      return Whole(((t.hour * 100LL + t.minute) * 100 + t.second) * 100 + t.hundredths);
    }
    case FieldKind::Date: {
      const auto d = Read<nmea::Date>(b, at);
      if (d.year == 0) return {};
      return Whole((d.year * 100LL + d.month) * 100 + d.day);
    }
    case FieldKind::Latitude:
    case FieldKind::Longitude: {
      const double v = Read<float>(b, at);
      const double limit = f.kind == FieldKind::Latitude ? 90.0 : 180.0;
      // Minutes are written with two decimals at the least.
      return std::fabs(v) <= limit ? Real(v, 0.005 / 60 + 1e-5) : Value{};
    }
    case FieldKind::ChannelLetter: {
      const auto c = Read<std::int8_t>(b, at);
      return c == static_cast<std::int8_t>(nmea::kEmptyByte) ? Value{} : Whole(c);
    }
    case FieldKind::Hex:
      return Bytes(b.bytes + at, f.size);
    case FieldKind::HexIf:
      return b.bytes[f.linkAt] != 0 ? Bytes(b.bytes + at, 1) : Value{};
    case FieldKind::HexCounted: {
      const std::size_t n = b.bytes[f.linkAt] <= f.size ? b.bytes[f.linkAt] : 0;
      return n == 0 ? Value{} : Bytes(b.bytes + at, n);
    }
    case FieldKind::Group:
      break;
  }
  return {};
}

// True when `back` gives back nothing `sent` did not hold.
bool Keeps(const Value& sent, const Value& back) {
  if (back.kind == Value::Kind::Absent) return true;
  if (sent.kind != back.kind) return false;
  switch (back.kind) {
    case Value::Kind::Whole:
      return sent.whole == back.whole;
    case Value::Kind::Real:
      return std::fabs(sent.real - back.real) <= sent.tolerance;
    case Value::Kind::Bytes:
      return sent.bytes == back.bytes;
    case Value::Kind::Absent:
      break;
  }
  return true;
}

// The name of the first field whose value came back changed, or nullptr.
const char* ChangedField(std::span<const BodyField> fields, const SentenceBody& sent,
                         const SentenceBody& back) {
  for (const BodyField& f : fields) {
    if (f.kind == FieldKind::Group) {
      std::size_t count = f.count;
      if (f.countAt >= 0) count = std::min<std::size_t>(count, back.bytes[f.countAt]);
      for (std::size_t i = 0; i < count; ++i) {
        for (const BodyField& member : f.members) {
          if (!Keeps(ValueOf(member, sent, i), ValueOf(member, back, i))) return member.name.data();
        }
      }
      continue;
    }
    for (std::size_t i = 0; i < f.count; ++i) {
      if (!Keeps(ValueOf(f, sent, i), ValueOf(f, back, i))) return f.name.data();
    }
  }
  return nullptr;
}

// The composer's text of a record with checksum and CR LF; empty when it
// does not fit a line the parser reads.
std::string Compose(const nmea::FormatterRow& row, const SentenceRecord& record) {
  std::array<char, 256> out{};
  if (!row.compose(out, record) || !nmea::AppendChecksum(out)) return {};
  return out.data();
}

// Fields a composer writes as a constant, whatever the record holds: HDT's
// reference is always T (true heading), so a received "X" comes back as T.
bool WrittenFixed(std::string_view formatter, std::string_view field) {
  return formatter == "HDT" && field == "reference";
}

void CheckRoundTrip(const SentenceRecord& parsed, std::string_view received) {
  const nmea::FormatterRow* row = nmea::FindFormatter(parsed);
  if (row == nullptr || row->compose == nullptr) return;
  SentenceRecord sent = parsed;
  // VDM and VDO keep the channel character received; their composer takes a
  // channel number (A is 0), which its caller fills in.
  auto& channel = sent.body.encapsulation.channel;
  if (row->ring &&
      (*row->ring == nmea::EncapsulationKind::VDM || *row->ring == nmea::EncapsulationKind::VDO)) {
    if (channel != static_cast<char>(nmea::kEmptyByte)) channel = static_cast<char>(channel - 'A');
  }
  const std::string first = Compose(*row, sent);
  if (first.empty()) return;  // refused: too long for its buffer, or a NUL character
  SentenceRecord back = parsed;
  nmea::SentenceLibrary fresh;
  fresh.ParseSentence(first, back);
  const std::string detail = "composed: " + first;
  if (fresh.LastFault() == SentenceFault::TooLong) return;  // the composer does not bound it
  if (!ParserTookIt(fresh.LastFault())) {
    Fault("a composed sentence its parser refuses", received,
          detail + " (" + nmea::FaultName(fresh.LastFault()) + ")");
  }
  if (std::strcmp(back.formatter, parsed.formatter) != 0 ||
      std::strcmp(back.talker, parsed.talker) != 0) {
    Fault("a composed sentence of another talker or formatter", received, detail);
  }
  const char* field = ChangedField(row->body, parsed.body, back.body);
  if (field != nullptr && !WrittenFixed(parsed.formatter, field)) {
    Fault("a composed sentence that changes a value", received, detail + " (field " + field + ")");
  }
  SentenceRecord again = back;
  if (row->ring &&
      (*row->ring == nmea::EncapsulationKind::VDM || *row->ring == nmea::EncapsulationKind::VDO)) {
    auto& c = again.body.encapsulation.channel;
    if (c != static_cast<char>(nmea::kEmptyByte)) c = static_cast<char>(c - 'A');
  }
  if (Compose(*row, again) != first) {
    Fault("a composed sentence that composes differently once parsed", received,
          detail + " then " + Compose(*row, again));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FixedClock clock;
  const auto stack = std::make_unique<store::NmeaStack>(&clock);
  nmea::SentenceRecord record{};
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string line;
  while (!input.empty()) {
    const std::size_t end = input.find('\n');
    line.assign(input.substr(0, end));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 3 && line.ends_with("*hh")) {
      std::array<char, 512> summed{};
      line.copy(summed.data(), std::min(line.size() - 3, summed.size() - 8));
      if (nmea::AppendChecksum(summed)) line.assign(summed.data(), std::strlen(summed.data()) - 2);
    }
    line += "\r\n";
    stack->library.ParseSentence(line, record);
    if (ParserTookIt(stack->library.LastFault())) CheckRoundTrip(record, line);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  }
  return 0;
}
