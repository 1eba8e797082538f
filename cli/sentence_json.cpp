#include "cli/sentence_json.h"

#include <fmt/core.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

#include "nmea/formatters.h"

namespace cli {
namespace {

using nmea::SentenceBody;

// An angle beyond its range stands for "no position" (91 and 181 when empty).
Json Latitude(float value) { return std::fabs(value) <= 90.0f ? ShortestJson(value) : Json(); }

Json Longitude(float value) { return std::fabs(value) <= 180.0f ? ShortestJson(value) : Json(); }

Json Time(const nmea::UtcTime& time) {
  if (time.hour >= nmea::kNoHour) return nullptr;
  return fmt::format("{:02}:{:02}:{:02}.{:02}", time.hour, time.minute, time.second,
                     time.hundredths);
}

Json Date(const nmea::Date& date) {
  if (date.year == 0) return nullptr;
  const unsigned year = date.year;
  const unsigned month = date.month;
  const unsigned day = date.day;
  return fmt::format("{:04}-{:02}-{:02}", year, month, day);
}

// A character field: null when empty (a space, 0 or the 0x80 sentinel).
Json Char(char c) {
  if (c == ' ' || c == '\0' || static_cast<unsigned char>(c) == nmea::kEmptyByte) return nullptr;
  return std::string(1, c);
}

// A text field of `capacity` bytes: null when empty or the empty marker.
Json Text(const char* text, std::size_t capacity) {
  const std::size_t length = strnlen(text, capacity);
  if (length == 0 || (length == 1 && text[0] == ' ')) return nullptr;
  return std::string(text, length);
}

// Values are read out of the packed body by copy, never by reference.
template <typename T>
T Read(const SentenceBody& body, std::size_t at) {
  T value;
  std::memcpy(&value, body.bytes + at, sizeof value);
  return value;
}

std::string Hex(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += fmt::format("{:02X}", bytes[i]);
  return text;
}

bool IsEmpty(const nmea::BodyField& f, double value) {
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

template <typename Signed, typename Unsigned>
double Whole(const nmea::BodyField& f, const SentenceBody& b, std::size_t at) {
  return f.isSigned ? static_cast<double>(Read<Signed>(b, at))
                    : static_cast<double>(Read<Unsigned>(b, at));
}

double Number(const nmea::BodyField& f, const SentenceBody& b, std::size_t at) {
  if (f.kind == nmea::FieldKind::Real) return static_cast<double>(Read<float>(b, at));
  switch (f.size) {
    case 1:
      return Whole<std::int8_t, std::uint8_t>(f, b, at);
    case 2:
      return Whole<std::int16_t, std::uint16_t>(f, b, at);
    default:
      return Whole<std::int32_t, std::uint32_t>(f, b, at);
  }
}

// Value `index` of a field; null when it holds its field's "empty".
Json Value(const nmea::BodyField& f, const SentenceBody& b, std::size_t index = 0) {
  using nmea::FieldKind;
  const std::size_t at = f.At(index);
  switch (f.kind) {
    case FieldKind::Integer:
    case FieldKind::Real: {
      const double value = Number(f, b, at);
      if (IsEmpty(f, value)) return nullptr;
      if (f.kind == FieldKind::Real) return ShortestJson(static_cast<float>(value));
      return static_cast<std::int64_t>(value);
    }
    case FieldKind::Char:
      return Char(Read<char>(b, at));
    case FieldKind::Text:
      return Text(reinterpret_cast<const char*>(b.bytes + at), f.size);
    case FieldKind::Time:
      return Time(Read<nmea::UtcTime>(b, at));
    case FieldKind::Date:
      return Date(Read<nmea::Date>(b, at));
    case FieldKind::Latitude:
      return Latitude(Read<float>(b, at));
    case FieldKind::Longitude:
      return Longitude(Read<float>(b, at));
    case FieldKind::ChannelLetter: {
      const auto channel = Read<std::int8_t>(b, at);
      if (channel == static_cast<std::int8_t>(nmea::kEmptyByte)) return nullptr;
      return std::string(1, static_cast<char>('A' + channel));
    }
    case FieldKind::Hex:
      return Hex(b.bytes + at, f.size);
    case FieldKind::HexIf:
      return b.bytes[f.linkAt] != 0 ? Json(Hex(b.bytes + at, 1)) : Json(nullptr);
    case FieldKind::HexCounted: {
      const std::size_t count = b.bytes[f.linkAt] <= f.size ? b.bytes[f.linkAt] : 0;
      return count == 0 ? Json(nullptr) : Json(Hex(b.bytes + at, count));
    }
    case FieldKind::Group:
      break;
  }
  return nullptr;
}

Json FieldJson(const nmea::BodyField& f, const SentenceBody& b) {
  if (f.kind == nmea::FieldKind::Group) {
    std::size_t count = f.count;
    if (f.countAt >= 0) count = std::min<std::size_t>(count, b.bytes[f.countAt]);
    Json objects = Json::array();
    for (std::size_t i = 0; i < count; ++i) {
      Json object = Json::object();
      for (const nmea::BodyField& member : f.members)
        object[std::string(member.name)] = Value(member, b, i);
      objects.push_back(object);
    }
    return objects;
  }
  if (f.count == 1) return Value(f, b);
  Json values = Json::array();
  for (std::size_t i = 0; i < f.count; ++i) {
    Json value = Value(f, b, i);
    if (!(f.skipEmpty && value.is_null())) values.push_back(value);
  }
  return values;
}

// The record's header is only filled once the address field was split.
bool HeaderKnown(nmea::SentenceFault fault) {
  switch (fault) {
    case nmea::SentenceFault::LineEnd:
    case nmea::SentenceFault::Checksum:
    case nmea::SentenceFault::TooLong:
      return false;
    default:
      return true;
  }
}

// A '!' sentence whose parser took it, though ParseSentence said false.
const char* MessageState(bool accepted, nmea::SentenceFault fault) {
  if (accepted) return "complete";
  if (fault == nmea::SentenceFault::Fragment) return "fragment";
  if (fault == nmea::SentenceFault::Addressed) return "addressed";
  return nullptr;
}

void AddHeader(Json& j, const nmea::SentenceRecord& record) {
  j["talker"] = std::string(record.talker, strnlen(record.talker, sizeof record.talker));
  j["formatter"] =
      std::string(record.formatter, strnlen(record.formatter, sizeof record.formatter));
  j["maker"] = record.makerLetter == 0 ? Json(nullptr) : Json(std::string(1, record.makerLetter));
}

}  // namespace

Json FieldsJson(const nmea::SentenceRecord& record) {
  Json fields = Json::object();
  const nmea::FormatterRow* row = nmea::FindFormatter(record);
  if (row == nullptr) return fields;
  for (const nmea::BodyField& f : row->body)
    fields[std::string(f.name)] = FieldJson(f, record.body);
  return fields;
}

const char* RefusalReason(std::string_view text, nmea::SentenceFault fault) {
  if (fault == nmea::SentenceFault::Checksum) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return "blank line";
    if (text.find('*') == std::string_view::npos) return "no checksum";
  }
  return nmea::FaultName(fault);
}

Json TooLongLineJson(std::size_t lineNumber) {
  Json j;
  j["line"] = lineNumber;
  j["ok"] = false;
  j["reason"] = nmea::FaultName(nmea::SentenceFault::TooLong);
  return j;
}

Json LineJson(std::size_t lineNumber, std::string_view text, bool accepted,
              nmea::SentenceFault fault, const nmea::SentenceRecord& record) {
  Json j;
  j["line"] = lineNumber;
  const char* message = record.start == '!' ? MessageState(accepted, fault) : nullptr;
  const bool ok = accepted || message != nullptr;
  j["ok"] = ok;
  if (!ok) {
    j["reason"] = RefusalReason(text, fault);
    if (HeaderKnown(fault)) AddHeader(j, record);
    return j;
  }
  AddHeader(j, record);
  j["category"] = record.category;
  j["fields"] = FieldsJson(record);
  if (message != nullptr) j["message"] = message;
  return j;
}

}  // namespace cli
