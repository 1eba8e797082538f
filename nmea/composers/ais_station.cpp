// AIS station sentences written from the record: acknowledgements, channel
// management, alarms, static and voyage data.

#include "nmea/compose_format.h"
#include "nmea/composers.h"

namespace nmea {

// $AIABK,MMSI,channel letter,message id,sequence number,acknowledgement type
bool ComposeABK(std::span<char> out, const SentenceRecord& record) {
  const AbkBody& b = record.body.abk;
  const auto noChannel = static_cast<std::int8_t>(kEmptyByte);
  return PrintSentence(out, "$%s%s,%s,%s,%d,%d,%d", record.talker, record.formatter,
                       FieldIf(b.mmsi != 0, "%u", b.mmsi).c_str(),
                       FieldIf(b.channel != noChannel, "%c", 'A' + b.channel).c_str(), b.messageId,
                       b.sequenceNumber, b.acknowledgementType);
}

// $AIACK,alarm id
bool ComposeACK(std::span<char> out, const SentenceRecord& record) {
  const std::uint16_t id = record.body.ack.alarmId;
  return PrintSentence(out, "$%s%s,%s", record.talker, record.formatter,
                       FieldIf(id < kNoAlarmId, "%03d", id).c_str());
}

// $AIALR,hhmmss.cc,alarm id,condition,acknowledgement,text
bool ComposeALR(std::span<char> out, const SentenceRecord& record) {
  const AlrBody& b = record.body.alr;
  return PrintSentence(out, "$%s%s,%s,%d,%c,%c,%.74s", record.talker, record.formatter,
                       TimeText(b.time).c_str(), b.alarmId, b.condition, b.acknowledgement, b.text);
}

// $AIACA,seq,NE corner (4),SW corner (4),zone,chA,bwA,chB,bwB,mode,power,source,in use,time
// The corners carry their minutes to two decimals. No source (0, or the
// space an empty field is read as) is written empty.
bool ComposeACA(std::span<char> out, const SentenceRecord& record) {
  const AcaBody& b = record.body.aca;
  return PrintSentence(out, "$%s%s,%d,%s,%s,%d,%04d,%d,%04d,%d,%d,%d,%s,%d,%s", record.talker,
                       record.formatter, b.sequenceNumber, PositionText(b.northEast, 2).c_str(),
                       PositionText(b.southWest, 2).c_str(), b.transitionZone, b.channelA,
                       b.bandwidthA, b.channelB, b.bandwidthB, b.txRxMode, b.powerLevel,
                       FieldIf(b.source != '\0' && b.source != ' ', "%c", b.source).c_str(),
                       b.inUse, TimeText(b.inUseChanged).c_str());
}

// $AIACS,seq,originator MMSI,hhmmss.cc,dd,mm,yyyy
bool ComposeACS(std::span<char> out, const SentenceRecord& record) {
  const AcsBody& b = record.body.acs;
  return PrintSentence(out, "$%s%s,%d,%09u,%s,%02d,%02d,%04d", record.talker, record.formatter,
                       b.sequenceNumber, b.mmsi, TimeText(b.time).c_str(), b.day, b.month, b.year);
}

// $AISSD,call sign,name,A,B,C,D,DTE,source
bool ComposeSSD(std::span<char> out, const SentenceRecord& record) {
  const SsdBody& b = record.body.ssd;
  return PrintSentence(out, "$%s%s,%.7s,%.20s,%s,%s,%s,%s,%s,%.46s", record.talker,
                       record.formatter, b.callSign, b.name,
                       FieldIf(b.referenceA < kNoReferenceAB, "%d", b.referenceA).c_str(),
                       FieldIf(b.referenceB < kNoReferenceAB, "%d", b.referenceB).c_str(),
                       FieldIf(b.referenceC < kNoReferenceCD, "%d", b.referenceC).c_str(),
                       FieldIf(b.referenceD < kNoReferenceCD, "%d", b.referenceD).c_str(),
                       FieldIf(b.dte < kNoDte, "%d", b.dte).c_str(), b.source);
}

// $AIVSD,type,draught,persons,destination,hhmmss.cc,dd,mm,status,flags
bool ComposeVSD(std::span<char> out, const SentenceRecord& record) {
  const VsdBody& b = record.body.vsd;
  const float draught = b.draught;
  return PrintSentence(out, "$%s%s,%s,%s,%s,%.20s,%s,%s,%s,%s,%s", record.talker, record.formatter,
                       FieldIf(b.shipType < kNoShipType, "%d", b.shipType).c_str(),
                       FieldIf(draught >= 0.0f && draught <= 25.5f, "%4.1f", draught).c_str(),
                       FieldIf(b.persons < kNoPersons, "%d", b.persons).c_str(), b.destination,
                       TimeText(b.eta).c_str(),
                       FieldIf(b.etaDay < kNoEtaDay, "%02d", b.etaDay).c_str(),
                       FieldIf(b.etaMonth < kNoEtaMonth, "%02d", b.etaMonth).c_str(),
                       FieldIf(b.navigationalStatus < 16, "%d", b.navigationalStatus).c_str(),
                       FieldIf(b.regionalFlags < 16, "%d", b.regionalFlags).c_str());
}

}  // namespace nmea
