// AIS station sentences: acknowledgements, channel management, alarms,
// static and voyage data, text messages.

#include "nmea/parsers.h"
#include "nmea/parsers/field_reader.h"

namespace nmea {

// $AIABK,211378120,A,6,1,0*hh
//        1         2 3 4 5
// 1 MMSI of the addressed station, 2 channel of reception (A or B),
// 3 message id, 4 message sequence number, 5 acknowledgement type
ParseStatus ParseABK(FieldReader& in, SentenceRecord& record) {
  AbkBody& body = record.body.abk;
  body.mmsi = in.Integer<std::uint32_t>(0);
  const char* channel = in.Next();
  body.channel = static_cast<std::int8_t>(IsEmptyField(channel) ? kEmptyByte : channel[0] - 'A');
  body.messageId = in.Integer<std::int8_t>(0);
  body.sequenceNumber = in.Integer<std::int8_t>(0);
  body.acknowledgementType = in.Integer<std::int8_t>(0);
  return in.Status();
}

// $AIACA,1,5940.00,N,01030.00,E,5900.00,N,00945.00,E,2,2087,0,2088,0,0,0,I,1,123456.00*hh
//        1 2       3 4        5 6       7 8        9 10 11 12 13 14 15 16 17 18 19
// 1 sequence number, 2-5 north-east corner, 6-9 south-west corner,
// 10 transition zone size, 11 channel A, 12 its bandwidth, 13 channel B,
// 14 its bandwidth, 15 transmit/receive mode, 16 power level,
// 17 information source, 18 in-use flag, 19 time of the in-use change
ParseStatus ParseACA(FieldReader& in, SentenceRecord& record) {
  AcaBody& body = record.body.aca;
  body.sequenceNumber = in.Integer<std::uint8_t>(0);
  body.northEast = in.Position();
  body.southWest = in.Position();
  body.transitionZone = in.Integer<std::uint8_t>(0);
  body.channelA = in.Integer<std::uint16_t>(0);
  body.bandwidthA = in.Integer<std::uint8_t>(0);
  body.channelB = in.Integer<std::uint16_t>(0);
  body.bandwidthB = in.Integer<std::uint8_t>(0);
  body.txRxMode = in.Integer<std::uint8_t>(0);
  body.powerLevel = in.Integer<std::uint8_t>(0);
  body.source = in.Char();
  body.inUse = in.Integer<std::uint8_t>(0);
  body.inUseChanged = in.Time(body.inUseChanged);
  return in.Status();
}

// $AIACK,007*hh
//        1
// 1 alarm id
ParseStatus ParseACK(FieldReader& in, SentenceRecord& record) {
  record.body.ack.alarmId = in.Integer<std::uint16_t>(kNoAlarmId);
  return in.Status();
}

// $AIACS,1,002190047,123456.00,10,12,2025*hh
//        1 2         3         4  5  6
// 1 sequence number, 2 originator MMSI, 3 UTC time, 4 day, 5 month, 6 year
ParseStatus ParseACS(FieldReader& in, SentenceRecord& record) {
  AcsBody& body = record.body.acs;
  body.sequenceNumber = in.Integer<std::uint8_t>(0);
  body.mmsi = in.Integer<std::uint32_t>(0);
  body.time = in.Time(body.time);
  body.day = in.Integer<std::uint8_t>(0);
  body.month = in.Integer<std::uint8_t>(0);
  body.year = in.Integer<std::uint16_t>(0);
  return in.Status();
}

// $AIALR,123456.00,006,A,V,AIS: general failure*hh
//        1         2   3 4 5
// 1 time of the alarm, 2 alarm id, 3 condition, 4 acknowledgement state,
// 5 alarm text
ParseStatus ParseALR(FieldReader& in, SentenceRecord& record) {
  AlrBody& body = record.body.alr;
  body.time = in.Time(body.time);
  body.alarmId = in.Integer<std::uint16_t>(0);
  body.condition = in.Char();
  body.acknowledgement = in.Char();
  in.TextAsReceived(body.text, sizeof body.text);
  return in.Status();
}

// $AISSD,DK2036,NORDIC STAR,100,20,5,5,0,AI*hh
//        1      2           3   4  5 6 7 8
// 1 call sign, 2 name, 3-6 position reference points A to D, 7 DTE flag,
// 8 source identifier
ParseStatus ParseSSD(FieldReader& in, SentenceRecord& record) {
  SsdBody& body = record.body.ssd;
  in.Text(body.callSign, sizeof body.callSign);
  in.Text(body.name, sizeof body.name);
  body.referenceA = in.Integer<std::uint16_t>(kNoReferenceAB);
  body.referenceB = in.Integer<std::uint16_t>(kNoReferenceAB);
  body.referenceC = in.Integer<std::uint8_t>(kNoReferenceCD);
  body.referenceD = in.Integer<std::uint8_t>(kNoReferenceCD);
  body.dte = in.Integer<std::uint8_t>(kNoDte);
  in.TextAsReceived(body.source, sizeof body.source);
  return in.Status();
}

// $AIVSD,070,7.2,12,GOTEBORG,123000.00,15,06,0,0*hh
//        1   2   3  4        5         6  7  8 9
// 1 type of ship and cargo, 2 maximum draught, 3 persons on board,
// 4 destination, 5 estimated time of arrival, 6 its day, 7 its month,
// 8 navigational status, 9 regional application flags
ParseStatus ParseVSD(FieldReader& in, SentenceRecord& record) {
  VsdBody& body = record.body.vsd;
  // The type is kept modulo 256, as received; only a number that no long
  // holds is out of range.
  const char* type = in.Next();
  long shipType = 0;
  if (!IsEmptyField(type) && !ToInteger(type, shipType)) in.Reject(ParseStatus::Range);
  body.shipType = IsEmptyField(type) ? kNoShipType : static_cast<std::uint8_t>(shipType);
  body.draught = in.Real(kEmptyReal);
  body.persons = in.Integer<std::uint16_t>(kNoPersons);
  in.Text(body.destination, sizeof body.destination);
  body.eta = in.Time(body.eta);
  body.etaDay = in.Integer<std::uint8_t>(kNoEtaDay);
  body.etaMonth = in.Integer<std::uint8_t>(kNoEtaMonth);
  body.navigationalStatus = in.Integer<std::uint8_t>(kEmptyByte);
  body.regionalFlags = in.Integer<std::uint8_t>(0);
  return in.Status();
}

// $GPTXT,01,01,02,ANTARIS ATR0620 HW 00000040*67
//        1  2  3  4
// 1 total sentences, 2 sentence number, 3 text identifier, 4 text
ParseStatus ParseTXT(FieldReader& in, SentenceRecord& record) {
  TxtBody& body = record.body.txt;
  body.total = in.Integer<std::int8_t>(kEmptyByte, 1, 99);
  body.number = in.Integer<std::int8_t>(kEmptyByte, 1, 99);
  body.identifier = in.Integer<std::int8_t>(kEmptyByte, 1, 99);
  for (char& c : body.text) c = '\0';
  in.TextAsReceived(body.text, sizeof body.text);
  return in.Status();
}

}  // namespace nmea
