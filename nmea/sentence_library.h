#pragma once
// The sentence library's two entry points and the state they share: the
// encapsulation rings and the last complete AIS payload. The program creates
// one SentenceLibrary; tests create their own.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "nmea/encapsulation.h"
#include "nmea/handoff.h"
#include "nmea/parsers.h"
#include "nmea/sentence_record.h"

namespace nmea {

struct FormatterRow;

// Why the last ParseSentence returned false (None after a success).
enum class SentenceFault : std::uint8_t {
  None,
  LineEnd,           // no CR LF at the end
  Checksum,          // no '*' in time, or a mismatch
  TooLong,           // 99 characters or more, counting an empty field as one
  UnknownFormatter,  // no parser for the formatter
  NotEncapsulation,  // a '!' sentence whose formatter is no encapsulation (VDM, VDO, ABM, BBM)
  FieldCount,        // more or fewer fields than the formatter has
  Range,             // a value out of range
  Length,            // a field of the wrong length
  NotHex,            // a hexadecimal field that is not
  Fragment,          // part of a message that is not complete yet
  BrokenFragment,    // a continuation that does not fit the message collected
  RingBlocked,       // the ring's current slot holds an unreleased message
  PayloadTooLong,    // the assembled payload would pass 175 characters
  Addressed,         // an ABM/BBM message: assembled but not decoded
  AisPayload,        // the payload could not be turned into bits
  AisMessage,        // the message could not be decoded
};

// The short lower-case name of each fault, for logs and the command line
// (`aisfw decode` prints it as the "reason"), one row per fault in the
// order of the enumeration.
struct SentenceFaultRow {
  SentenceFault fault;
  const char* name;
};

inline constexpr std::array<SentenceFaultRow, 17> kSentenceFaults = {{
    {SentenceFault::None, "none"},
    {SentenceFault::LineEnd, "line end"},
    {SentenceFault::Checksum, "checksum"},
    {SentenceFault::TooLong, "too long"},
    {SentenceFault::UnknownFormatter, "unknown formatter"},
    {SentenceFault::NotEncapsulation, "not an encapsulation sentence"},
    {SentenceFault::FieldCount, "field count"},
    {SentenceFault::Range, "range"},
    {SentenceFault::Length, "length"},
    {SentenceFault::NotHex, "not hexadecimal"},
    {SentenceFault::Fragment, "fragment"},
    {SentenceFault::BrokenFragment, "broken fragment"},
    {SentenceFault::RingBlocked, "fragment ring blocked"},
    {SentenceFault::PayloadTooLong, "payload too long"},
    {SentenceFault::Addressed, "addressed message"},
    {SentenceFault::AisPayload, "ais payload"},
    {SentenceFault::AisMessage, "ais message"},
}};

constexpr bool FaultRowsFollowTheEnumeration() {
  for (std::size_t i = 0; i < kSentenceFaults.size(); ++i) {
    if (static_cast<std::size_t>(kSentenceFaults[i].fault) != i) return false;
  }
  return static_cast<std::size_t>(SentenceFault::AisMessage) + 1 == kSentenceFaults.size();
}
static_assert(FaultRowsFollowTheEnumeration(), "one row per fault, in enumeration order");

constexpr const char* FaultName(SentenceFault fault) {
  const auto i = static_cast<std::size_t>(fault);
  return i < kSentenceFaults.size() ? kSentenceFaults[i].name : "unknown";
}

class SentenceLibrary {
 public:
  SentenceLibrary() = default;
  SentenceLibrary(StoreHandoff* store, AisHandoff* ais) : store_(store), ais_(ais) {}

  void SetStoreHandoff(StoreHandoff* store) { store_ = store; }
  void SetAisHandoff(AisHandoff* ais) { ais_ = ais; }

  // Parses one line ending in CR LF held in a writable, NUL-terminated
  // buffer of at least kLineBufferSize bytes; the line is changed in place
  // (field terminators, the maker-sentence rewrite). The sentence ends at
  // its checksum: text between the checksum and CR LF is no part of it.
  // True when the sentence was accepted and, for a '!' sentence, a complete
  // VDM or VDO message was decoded.
  bool ParseSentence(char* line, SentenceRecord& record);

  // The same for a line held elsewhere: it is copied into a line buffer
  // first, and a line too long for one is refused.
  bool ParseSentence(std::string_view line, SentenceRecord& record);

  // Writes the sentence for `formatter` (three characters) with `talker`
  // (up to two characters) from the record into `out`, with checksum, CR LF
  // and NUL. False when the formatter has no composer or the sentence does
  // not fit; `out` then holds an empty text.
  bool ComposeSentence(std::span<char> out, SentenceRecord& record, const char* formatter,
                       const char* talker);

  SentenceFault LastFault() const { return fault_; }
  const AisPayloadRecord& LastPayload() const { return lastPayload_; }
  EncapsulationAssembler& Encapsulation() { return assembler_; }

 private:
  bool Fail(SentenceFault fault) {
    fault_ = fault;
    return false;
  }
  // The row of an accepted sentence's formatter; nullptr after a Fail.
  const FormatterRow* Dispatch(char* line, std::size_t length, SentenceRecord& record);
  bool ParseLine(char* line, std::size_t length, SentenceRecord& record);
  bool DecodeEncapsulated(EncapsulationKind kind, const SentenceRecord& record);

  StoreHandoff* store_ = nullptr;
  AisHandoff* ais_ = nullptr;
  EncapsulationAssembler assembler_;
  AisPayloadRecord lastPayload_{};
  SentenceFault fault_ = SentenceFault::None;
};

}  // namespace nmea
