#include "nmea/sentence_library.h"

#include <cstring>

#include "nmea/classification.h"
#include "nmea/formatters.h"
#include "nmea/framing.h"
#include "nmea/parsers/field_reader.h"

namespace nmea {
namespace {

// Copies up to `count` characters, stopping at a NUL, so a short line is
// never read past its end.
void CopyUpTo(char* to, const char* from, std::size_t count) {
  for (std::size_t i = 0; i < count && from[i] != '\0'; ++i) to[i] = from[i];
}

// $PZLX,<letter>,<formatter>...: the letter and the formatter are fields of
// their own, the formatter three characters long. Anything else (a bare
// $PZLX, say) is a proprietary sentence of maker ZLX, which has no parser.
bool IsMakerSentence(const char* line) {
  const auto isFormatterCharacter = [](char c) {
    return c != '\0' && c != ',' && c != '*' && c != '\r' && c != '\n';
  };
  return line[5] == ',' && isFormatterCharacter(line[6]) && line[7] == ',' &&
         isFormatterCharacter(line[8]) && isFormatterCharacter(line[9]) &&
         isFormatterCharacter(line[10]);
}

SentenceFault FaultOf(ParseStatus status) {
  switch (status) {
    case ParseStatus::Accepted:
      return SentenceFault::None;
    case ParseStatus::FieldCount:
      return SentenceFault::FieldCount;
    case ParseStatus::Range:
      return SentenceFault::Range;
    case ParseStatus::Length:
      return SentenceFault::Length;
    case ParseStatus::NotHex:
      return SentenceFault::NotHex;
  }
  return SentenceFault::Range;
}

SentenceFault FaultOf(CollectResult result) {
  switch (result) {
    case CollectResult::Complete:
      return SentenceFault::None;
    case CollectResult::Collecting:
      return SentenceFault::Fragment;
    case CollectResult::NotEncapsulation:
      return SentenceFault::NotEncapsulation;
    case CollectResult::Broken:
      return SentenceFault::BrokenFragment;
    case CollectResult::Blocked:
      return SentenceFault::RingBlocked;
    case CollectResult::TooLong:
      return SentenceFault::PayloadTooLong;
    case CollectResult::Addressed:
      return SentenceFault::Addressed;
  }
  return SentenceFault::BrokenFragment;
}

}  // namespace

const FormatterRow* SentenceLibrary::Dispatch(char* line, std::size_t length,
                                              SentenceRecord& record) {
  if (length < 2 || line[length - 1] != '\n' || line[length - 2] != '\r') {
    Fail(SentenceFault::LineEnd);
    return nullptr;
  }
  if (!VerifyChecksum(line, length)) {
    Fail(SentenceFault::Checksum);
    return nullptr;
  }
  // The checksum covers the sentence up to its first '*', so that is where
  // the sentence ends: text after the two digits (a receiver's metadata,
  // say) supplies no field. One pass up to there counts the fields and the
  // empty ones, each of which parsers read as a single space: with that
  // space the sentence (its "*hh" and CR LF included) must stay below 99
  // characters.
  char* const star = std::strchr(line + 1, '*');
  int commas = 0;
  std::size_t empties = 0;
  for (const char* p = line; p < star; ++p) {
    if (*p != ',') continue;
    ++commas;
    empties += p[1] == ',' || p + 1 == star;
  }
  if (static_cast<std::size_t>(star - line) + 5 + empties > kMaxExpandedLength) {
    Fail(SentenceFault::TooLong);
    return nullptr;
  }
  *star = '\0';

  std::memset(record.talker, 0, sizeof record.talker);
  std::memset(record.formatter, 0, sizeof record.formatter);
  record.makerLetter = 0;
  record.start = line[0];

  char* sentence = line;
  if (line[1] == 'P') {
    record.talker[0] = 'P';
    CopyUpTo(record.formatter, line + 2, 3);
    if (std::strcmp(record.formatter, "ZLX") == 0 && IsMakerSentence(line)) {
      // $PZLX,<letter>,<formatter>,... is read as $P<formatter>,...
      record.makerLetter = line[6];
      line[6] = '$';
      line[7] = 'P';
      sentence = line + 6;
      commas -= 2;
      std::memset(record.formatter, 0, sizeof record.formatter);
      CopyUpTo(record.formatter, sentence + 2, 3);
    }
  } else if (length > 5 && line[5] == 'Q') {
    CopyUpTo(record.talker, line + 1, 2);
    record.formatter[0] = 'Q';
  } else {
    CopyUpTo(record.talker, line + 1, 2);
    CopyUpTo(record.formatter, line + 3, 3);
  }

  const FormatterRow* row = FindFormatter(record);
  if (row == nullptr || row->parse == nullptr) {
    Fail(SentenceFault::UnknownFormatter);
    return nullptr;
  }
  // A known formatter sent as an encapsulation sentence is refused as what
  // it is, before the store sees it.
  if (record.start == '!' && !row->ring) {
    Fail(SentenceFault::NotEncapsulation);
    return nullptr;
  }
  // A sentence with more or fewer fields than its formatter has is refused
  // before its parser reads any of them.
  if (!row->fields.Takes(commas)) {
    Fail(SentenceFault::FieldCount);
    return nullptr;
  }
  char* const comma = std::strchr(sentence, ',');
  FieldReader in(comma != nullptr ? comma + 1 : star, commas);
  const ParseStatus status = row->parse(in, record);
  if (status != ParseStatus::Accepted) {
    Fail(FaultOf(status));
    return nullptr;
  }
  return row;
}

bool SentenceLibrary::ParseSentence(char* line, SentenceRecord& record) {
  return ParseLine(line, std::strlen(line), record);
}

bool SentenceLibrary::ParseLine(char* line, std::size_t length, SentenceRecord& record) {
  fault_ = SentenceFault::None;
  const FormatterRow* row = Dispatch(line, length, record);
  if (row == nullptr) return false;

  record.category = row->category;
  if (store_ != nullptr) store_->StoreDecode(record);

  if (record.start != '!') {
    lastPayload_ = AisPayloadRecord{};
    if (ais_ != nullptr) ais_->AisClear();
    return true;
  }
  return DecodeEncapsulated(*row->ring, record);
}

bool SentenceLibrary::ParseSentence(std::string_view line, SentenceRecord& record) {
  fault_ = SentenceFault::None;
  char buffer[kLineBufferSize];
  if (line.size() > kMaxExpandedLength) {
    // Only the sentence up to its checksum counts (see Dispatch): a line
    // made long by text after the checksum is read as that sentence.
    const std::size_t star = line.find('*', 1);
    if (star == std::string_view::npos || star + 5 > kMaxExpandedLength ||
        !line.ends_with("\r\n")) {
      return Fail(SentenceFault::TooLong);
    }
    std::memcpy(buffer, line.data(), star + 3);
    std::memcpy(buffer + star + 3, "\r\n", 3);
    return ParseLine(buffer, star + 5, record);
  }
  std::memcpy(buffer, line.data(), line.size());
  buffer[line.size()] = '\0';
  // A NUL inside the line ends it, as it would a line held as text.
  return ParseLine(buffer, strnlen(buffer, line.size()), record);
}

bool SentenceLibrary::DecodeEncapsulated(EncapsulationKind kind, const SentenceRecord& record) {
  const CollectResult collected = assembler_.Collect(kind, record, lastPayload_);
  if (collected != CollectResult::Complete) return Fail(FaultOf(collected));
  if (ais_ == nullptr) return true;

  if (!ais_->AisDearmour(lastPayload_)) return Fail(SentenceFault::AisPayload);
  if (!ais_->AisDecodeMessage()) return Fail(SentenceFault::AisMessage);

  const bool own = kind == EncapsulationKind::VDO;
  const char channel = record.body.encapsulation.channel;
  const int entry = ais_->AisTargetsUpdate(channel - 'A', 0, own);
  if (entry < 0) return true;
  if (static_cast<unsigned char>(channel) != kEmptyByte) ais_->AisCountMessage(entry, own);
  return true;
}

bool SentenceLibrary::ComposeSentence(std::span<char> out, SentenceRecord& record,
                                      const char* formatter, const char* talker) {
  if (out.empty()) return false;
  out[0] = '\0';

  std::memset(record.talker, 0, sizeof record.talker);
  std::memset(record.formatter, 0, sizeof record.formatter);
  CopyUpTo(record.talker, talker, sizeof record.talker - 1);
  CopyUpTo(record.formatter, formatter, sizeof record.formatter - 1);
  record.category = ClassifyFormatter(record);
  if (store_ != nullptr) store_->StoreEncode(record);

  const FormatterRow* row = FindFormatter(record);
  if (row == nullptr || row->compose == nullptr) return false;
  if (!row->compose(out, record) || !AppendChecksum(out)) {
    out[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace nmea
