#include "nmea/encapsulation.h"

#include <cstring>

#include "nmea/formatters.h"

namespace nmea {
namespace {

AisPayloadRecord Incoming(const SentenceRecord& record, EncapsulationKind kind) {
  const EncapsulationBody& body = record.body.encapsulation;
  AisPayloadRecord in{};
  std::memcpy(in.formatter, record.formatter, 3);
  in.total = static_cast<std::uint8_t>(body.total);
  in.number = static_cast<std::uint8_t>(body.number);
  in.sequenceId = body.sequenceId;
  in.channel = body.channel;
  in.fillBits = body.fillBits;
  const std::size_t length = strnlen(body.payload, sizeof body.payload - 1);
  std::memcpy(in.payload, body.payload, length);
  if (kind == EncapsulationKind::ABM || kind == EncapsulationKind::BBM) {
    in.messageId = static_cast<std::uint8_t>(body.messageId);
  }
  if (kind == EncapsulationKind::ABM) in.destination = body.destination;
  return in;
}

}  // namespace

CollectResult EncapsulationAssembler::CollectEncapsulation(const SentenceRecord& record,
                                                           AisPayloadRecord& payload) {
  const FormatterRow* row = FindFormatter(record);
  if (row == nullptr || !row->ring) return CollectResult::NotEncapsulation;
  return Collect(*row->ring, record, payload);
}

CollectResult EncapsulationAssembler::Collect(EncapsulationKind kind, const SentenceRecord& record,
                                              AisPayloadRecord& payload) {
  const AisPayloadRecord in = Incoming(record, kind);
  EncapsulationRing& ring = Ring(kind);
  AisPayloadRecord& slot = ring.slots[ring.current];
  if (slot.complete != 0) return CollectResult::Blocked;

  if (in.number == 1) {
    slot = in;
  } else {
    // Sentences of two messages interleaved (on the two channels, say) must
    // not be spliced into one: the sequence id and channel must match too.
    // A sentence that does not continue the slot is refused and the slot
    // kept, so that of A1 B1 A2 B2 message B still completes.
    const bool continues = in.messageId == slot.messageId && in.total == slot.total &&
                           in.number == slot.number + 1 && in.destination == slot.destination &&
                           in.sequenceId == slot.sequenceId && in.channel == slot.channel;
    if (!continues) return CollectResult::Broken;
    const std::size_t have = strnlen(slot.payload, kMaxPayloadChars);
    const std::size_t add = strnlen(in.payload, kMaxPayloadChars);
    if (have + add > kMaxPayloadChars) {
      slot = AisPayloadRecord{};
      return CollectResult::TooLong;
    }
    std::memcpy(slot.payload + have, in.payload, add + 1);
    slot.number = in.number;
    // Senders put the fill bits on the last sentence of a message.
    slot.fillBits = in.fillBits;
  }

  if (slot.number != slot.total) return CollectResult::Collecting;

  ring.current = static_cast<std::uint8_t>((ring.current + 1) % ring.slots.size());
  slot.complete = 1;
  if (kind == EncapsulationKind::ABM || kind == EncapsulationKind::BBM) {
    slot.reserved = 0;
    return CollectResult::Addressed;
  }
  slot.complete = 0;
  payload = slot;
  return CollectResult::Complete;
}

}  // namespace nmea
