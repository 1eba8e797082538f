// Heading, rate of turn, speed through water and over ground, own ship
// data and waypoints.

#include "nmea/parsers.h"
#include "nmea/parsers/field_reader.h"

namespace nmea {

// $HEHDT,274.07,T*03
//        1      2
// 1 heading, 2 reference (T for true)
ParseStatus ParseHDT(FieldReader& in, SentenceRecord& record) {
  HdtBody& body = record.body.hdt;
  body.heading = in.Real(kNoHeading);
  body.reference = in.Char();
  return in.Status();
}

// $HEROT,-0.3,A*32
//        1    2
// 1 rate of turn (degrees per minute, negative to port), 2 status
ParseStatus ParseROT(FieldReader& in, SentenceRecord& record) {
  RotBody& body = record.body.rot;
  body.rate = in.Real(kEmptyReal);
  body.status = in.Char();
  return in.Status();
}

// $VWVBW,12.3,0.07,A,11.78,0.12,A*4B
//        1    2    3 4     5    6
// 1 longitudinal and 2 transverse speed through the water, 3 its status,
// 4 longitudinal and 5 transverse speed over ground, 6 its status
ParseStatus ParseVBW(FieldReader& in, SentenceRecord& record) {
  VbwBody& body = record.body.vbw;
  body.waterLongitudinal = in.Real(0.0f);
  body.waterTransverse = in.Real(0.0f);
  body.waterStatus = in.Char();
  body.groundLongitudinal = in.Real(0.0f);
  body.groundTransverse = in.Real(0.0f);
  body.groundStatus = in.Char();
  return in.Status();
}

// $RAOSD,35.1,A,36.0,P,10.2,P,15.3,0.1,N*41
//        1    2 3    4 5    6 7    8   9
// 1 heading, 2 heading status, 3 course, 4 course reference, 5 speed,
// 6 speed reference, 7 set, 8 drift, 9 speed units
ParseStatus ParseOSD(FieldReader& in, SentenceRecord& record) {
  OsdBody& body = record.body.osd;
  body.heading = in.Real(0.0f);
  body.headingStatus = in.Char();
  body.course = in.Real(0.0f);
  body.courseReference = in.Char();
  body.speed = in.Real(0.0f);
  body.speedReference = in.Char();
  body.set = in.Real(0.0f);
  body.drift = in.Real(0.0f);
  body.speedUnits = in.Char();
  return in.Status();
}

// $GPWPL,4917.16,N,12310.64,W,003*65
//        1       2 3        4 5
// 1-4 position, 5 waypoint identifier (the last field, up to '*')
ParseStatus ParseWPL(FieldReader& in, SentenceRecord& record) {
  WplBody& body = record.body.wpl;
  body.position = in.Position();
  in.TextAsReceived(body.identifier, sizeof body.identifier);
  return in.Status();
}

}  // namespace nmea
