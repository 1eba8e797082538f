#pragma once
// The AIS decoding chain behind the sentence library: de-armouring, the
// decoder and the target table, with the working buffers they share. The
// library reaches it through nmea::AisHandoff for every complete VDM or VDO
// message; the command line reads the last decoded message and the table.

#include <cstdint>
#include <vector>

#include "nmea/handoff.h"
#include "store/ais_bits.h"
#include "store/ais_decoder.h"
#include "store/ais_describe.h"
#include "store/ais_targets.h"
#include "store/local_clock.h"

namespace store {

class AisChain final : public nmea::AisHandoff {
 public:
  // `clock` stamps the target entries and must outlive the chain.
  explicit AisChain(LocalClock& clock) : targets_(clock) {}

  void AisClear() override;
  bool AisDearmour(const nmea::AisPayloadRecord& payload) override;
  bool AisDecodeMessage() override;
  int AisTargetsUpdate(int channelIndex, int extra, bool ownStation) override;
  void AisCountMessage(int entry, bool vdo) override;

  // True while the record holds the message of the last '!' sentence that
  // completed one; false after a '$' sentence or a refused message.
  bool HasDecoded() const { return decoded_; }
  const AisDecodedRecord& LastDecoded() const { return record_; }
  const AisBitBuffer& Bits() const { return bits_; }

  // The last decoded message field by field (empty when there is none).
  std::vector<AisNamedValue> DescribeLastDecoded(
      AisPackedFields packed = AisPackedFields::Whole) const;

  AisTargetTable& Targets() { return targets_; }
  const AisTargetTable& Targets() const { return targets_; }

 private:
  AisBitBuffer bits_;
  AisDecodedRecord record_;
  bool decoded_ = false;
  AisTargetTable targets_;
};

}  // namespace store
