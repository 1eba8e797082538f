// Encapsulation sentences written from the record: the caller has put the
// payload text, the counts and the channel number into the body.

#include "nmea/compose_format.h"
#include "nmea/composers.h"

namespace nmea {
namespace {

constexpr std::int8_t kEmptyI8 = static_cast<std::int8_t>(kEmptyByte);

FieldText SequenceText(std::int8_t sequenceId) {
  return FieldIf(sequenceId != kEmptyI8, "%d", sequenceId);
}

// VDM and VDO: the channel number 0 is written as A, 1 as B.
bool ComposeVdmLike(std::span<char> out, const SentenceRecord& record) {
  const EncapsulationBody& body = record.body.encapsulation;
  const auto channel = static_cast<std::int8_t>(body.channel);
  return PrintSentence(out, "!%s%s,%d,%d,%s,%s,%.63s,%d", record.talker, record.formatter,
                       body.total, body.number, SequenceText(body.sequenceId).c_str(),
                       FieldIf(channel != kEmptyI8, "%c", 'A' + channel).c_str(), body.payload,
                       body.fillBits);
}

}  // namespace

bool ComposeVDM(std::span<char> out, const SentenceRecord& record) {
  return ComposeVdmLike(out, record);
}

bool ComposeVDO(std::span<char> out, const SentenceRecord& record) {
  return ComposeVdmLike(out, record);
}

bool ComposeABM(std::span<char> out, const SentenceRecord& record) {
  const EncapsulationBody& body = record.body.encapsulation;
  const auto channel = static_cast<std::int8_t>(body.channel);
  return PrintSentence(out, "!%s%s,%d,%d,%s,%d,%s,%d,%.63s,%d", record.talker, record.formatter,
                       body.total, body.number, SequenceText(body.sequenceId).c_str(),
                       static_cast<int>(body.destination),
                       FieldIf(channel != kEmptyI8, "%d", channel).c_str(), body.messageId,
                       body.payload, body.fillBits);
}

bool ComposeBBM(std::span<char> out, const SentenceRecord& record) {
  const EncapsulationBody& body = record.body.encapsulation;
  return PrintSentence(out, "!%s%s,%d,%d,%s,%d,%d,%.63s,%d", record.talker, record.formatter,
                       body.total, body.number, SequenceText(body.sequenceId).c_str(),
                       static_cast<std::int8_t>(body.channel), body.messageId, body.payload,
                       body.fillBits);
}

}  // namespace nmea
