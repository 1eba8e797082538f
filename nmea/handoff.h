#pragma once
// The library's hand-offs to the layers above it. ParseSentence and
// ComposeSentence reach the record store and the AIS decoding chain only
// through these interfaces, so the library builds and runs without them: an
// absent hand-off does nothing and reports success.

#include "nmea/sentence_record.h"

namespace nmea {

class StoreHandoff {
 public:
  virtual ~StoreHandoff() = default;
  // After a sentence was parsed; its category is already written.
  virtual void StoreDecode(SentenceRecord& record) = 0;
  // Before a sentence is composed; talker and formatter are already written.
  virtual void StoreEncode(SentenceRecord& record) = 0;
};

class AisHandoff {
 public:
  virtual ~AisHandoff() = default;
  // A '$' sentence was accepted: the last decoded message is void.
  virtual void AisClear() = 0;
  // The six-bit payload of a complete VDM/VDO message to bits.
  virtual bool AisDearmour(const AisPayloadRecord& payload) = 0;
  // The bits of the last AisDearmour to the decoded record.
  virtual bool AisDecodeMessage() = 0;
  // Folds the decoded record into the target table; the entry index, or a
  // negative value when no entry keeps the message.
  virtual int AisTargetsUpdate(int channelIndex, int extra, bool ownStation) = 0;
  // Counts one VDM (or VDO) sentence on the entry AisTargetsUpdate returned.
  virtual void AisCountMessage(int entry, bool vdo) = 0;
};

}  // namespace nmea
