#include "store/ais_chain.h"

namespace store {

void AisChain::AisClear() {
  record_.Clear();
  decoded_ = false;
}

bool AisChain::AisDearmour(const nmea::AisPayloadRecord& payload) {
  decoded_ = false;
  return store::AisDearmour(payload, bits_);
}

bool AisChain::AisDecodeMessage() {
  record_.Clear();
  decoded_ = store::AisDecodeMessage(bits_, record_);
  return decoded_;
}

int AisChain::AisTargetsUpdate(int channelIndex, int extra, bool ownStation) {
  return targets_.Update(record_, channelIndex, extra, ownStation);
}

void AisChain::AisCountMessage(int entry, bool vdo) { targets_.CountMessage(entry, vdo); }

std::vector<AisNamedValue> AisChain::DescribeLastDecoded(AisPackedFields packed) const {
  if (!decoded_) return {};
  return AisDescribeRecord(record_, bits_.bitCount, packed);
}

}  // namespace store
