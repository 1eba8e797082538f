// The per-formatter parsers, through ParseSentence: one accepted sentence
// per formatter with the values it stores, the rejections each formatter's
// rules make, and the edge cases worth pinning down.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>

#include "nmea/sentence_library.h"
#include "sentence_text.h"

namespace nmea {
namespace {

// Record fields are packed and EXPECT_EQ takes references: a unary + hands
// it a copy (and prints one-byte numbers as numbers).

using testing_support::Sentence;

constexpr auto kEmptyI8 = static_cast<std::int8_t>(kEmptyByte);
constexpr auto kEmptyI32 = static_cast<std::int32_t>(kEmptyU32);

void ExpectTime(const UtcTime& t, int hour, int minute, int second, int hundredths) {
  EXPECT_EQ(+t.hour, hour);
  EXPECT_EQ(+t.minute, minute);
  EXPECT_EQ(+t.second, second);
  EXPECT_EQ(+t.hundredths, hundredths);
}

void ExpectPosition(const Position& p, float latitude, float longitude) {
  EXPECT_NEAR(p.latitude, latitude, 1e-5);
  EXPECT_NEAR(p.longitude, longitude, 1e-5);
}

struct Accepted {
  const char* name;
  std::string text;  // without checksum
  std::function<void(const SentenceRecord&)> check;
  SentenceFault fault = SentenceFault::None;  // ABM/BBM are parsed, then kept back
};

void PrintTo(const Accepted& row, std::ostream* os) { *os << row.text; }

class ParserAccepts : public testing::TestWithParam<Accepted> {};

TEST_P(ParserAccepts, StoresTheFieldValues) {
  SentenceLibrary library;
  SentenceRecord record{};
  const bool ok = library.ParseSentence(Sentence(GetParam().text), record);
  EXPECT_EQ(ok, GetParam().fault == SentenceFault::None);
  ASSERT_EQ(library.LastFault(), GetParam().fault) << FaultName(library.LastFault());
  GetParam().check(record);
}

// A wrong field count is refused before any field is read: one field more
// or one fewer than each accepted sentence above. RMA alone checks no count;
// RMC takes one fewer too (NMEA 2.x sends no mode field).
TEST_P(ParserAccepts, RefusesOneFieldMoreOrFewer) {
  const std::string& text = GetParam().text;
  const bool anyCount = text.rfind("$GPRMA", 0) == 0;
  const bool fewerTaken = text.rfind("$GPRMC", 0) == 0;
  for (const std::string& wrong : {text + ",1", text.substr(0, text.rfind(','))}) {
    const bool taken = anyCount || (fewerTaken && wrong.size() < text.size());
    SentenceLibrary library;
    SentenceRecord record{};
    EXPECT_EQ(library.ParseSentence(Sentence(wrong), record), taken) << wrong;
    EXPECT_EQ(library.LastFault(), taken ? SentenceFault::None : SentenceFault::FieldCount)
        << wrong;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Parsers, ParserAccepts,
    testing::Values(
        // --- GNSS ---
        Accepted{"GGA", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,",
                 [](const SentenceRecord& r) {
                   const GgaBody& b = r.body.gga;
                   ExpectTime(b.time, 12, 35, 19, 0);
                   ExpectPosition(b.position, 48.1173f, 11.5166667f);
                   EXPECT_EQ(+b.quality, 1);
                   EXPECT_EQ(+b.satellites, 8);
                   EXPECT_FLOAT_EQ(b.hdop, 0.9f);
                   EXPECT_FLOAT_EQ(b.altitude, 545.4f);
                   EXPECT_EQ(b.altitudeUnit, 'M');
                   EXPECT_FLOAT_EQ(b.geoidSeparation, 46.9f);
                   EXPECT_EQ(b.separationUnit, 'M');
                   EXPECT_FLOAT_EQ(b.differentialAge, kEmptyReal);
                   EXPECT_EQ(+b.differentialStation, -1);
                 }},
        // Satellites and HDOP empty: their sentinels, not a rejection.
        Accepted{"GgaEmptySatellitesAndHdop",
                 "$GPGGA,123519,4807.038,S,01131.000,W,1,,,545.4,M,46.9,M,2.5,1023",
                 [](const SentenceRecord& r) {
                   const GgaBody& b = r.body.gga;
                   ExpectPosition(b.position, -48.1173f, -11.5166667f);
                   EXPECT_EQ(+b.satellites, kEmptyI8);
                   EXPECT_FLOAT_EQ(b.hdop, kEmptyReal);
                   EXPECT_FLOAT_EQ(b.differentialAge, 2.5f);
                   EXPECT_EQ(+b.differentialStation, 1023);
                 }},
        // Every empty field of the group reaches the parser as a space.
        Accepted{"GllNoPosition", "$GPGLL,,,,,225444.5,V,N",
                 [](const SentenceRecord& r) {
                   ExpectPosition(r.body.gll.position, 91.0f, 181.0f);
                   ExpectTime(r.body.gll.time, 22, 54, 44, 50);
                   EXPECT_EQ(r.body.gll.status, 'V');
                   EXPECT_EQ(r.body.gll.mode, 'N');
                 }},
        Accepted{
            "GNS",
            "$GPGNS,224749.00,3333.4268304,N,11153.3538273,W,D,19,0.6,406.110,-26.294,6.0,0138",
            [](const SentenceRecord& r) {
              const GnsBody& b = r.body.gns;
              ExpectTime(b.time, 22, 47, 49, 0);
              ExpectPosition(b.position, 33.5571138f, -111.8892305f);
              EXPECT_EQ(std::string(b.mode, 2), std::string("D\0", 2));
              EXPECT_EQ(std::string(b.satellites, 2), "19");
              EXPECT_FLOAT_EQ(b.hdop, 0.6f);
              EXPECT_FLOAT_EQ(b.altitude, 406.11f);
              EXPECT_FLOAT_EQ(b.geoidSeparation, -26.294f);
              EXPECT_FLOAT_EQ(b.differentialAge, 6.0f);
              EXPECT_FLOAT_EQ(b.differentialStation, 138.0f);
            }},
        Accepted{"RMA", "$GPRMA,A,4916.45,N,12311.12,W,,,,,,,",
                 [](const SentenceRecord& r) {
                   EXPECT_EQ(r.body.rma.status, 'A');
                   ExpectPosition(r.body.rma.position, 49.2741667f, -123.1853333f);
                 }},
        // RMA checks no count: the position group may even end the sentence.
        Accepted{"RmaEndingWithThePosition", "$GPRMA,A,4916.45,N,12311.12,W",
                 [](const SentenceRecord& r) {
                   ExpectPosition(r.body.rma.position, 49.2741667f, -123.1853333f);
                 }},
        Accepted{"RMC", "$GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E,A",
                 [](const SentenceRecord& r) {
                   const RmcBody& b = r.body.rmc;
                   ExpectTime(b.time, 22, 54, 46, 0);
                   EXPECT_EQ(b.status, 'A');
                   ExpectPosition(b.position, 49.2741667f, -123.1853333f);
                   EXPECT_FLOAT_EQ(b.speed, 0.5f);
                   EXPECT_FLOAT_EQ(b.course, 54.7f);
                   EXPECT_EQ(+b.date.year, 2094);
                   EXPECT_EQ(+b.date.month, 11);
                   EXPECT_EQ(+b.date.day, 19);
                   EXPECT_FLOAT_EQ(b.variation, 20.3f);
                   EXPECT_EQ(b.variationDirection, 'E');
                   EXPECT_EQ(b.mode, 'A');
                 }},
        Accepted{"RmcEmpty", "$GPRMC,,V,,,,,,,,,,N",
                 [](const SentenceRecord& r) {
                   const RmcBody& b = r.body.rmc;
                   EXPECT_EQ(+b.time.hour, 24);
                   ExpectPosition(b.position, 91.0f, 181.0f);
                   EXPECT_FLOAT_EQ(b.speed, kEmptyReal);
                   EXPECT_EQ(+b.date.year, 0);
                   EXPECT_EQ(static_cast<unsigned char>(b.variationDirection), kEmptyByte);
                 }},
        Accepted{"VTG", "$GPVTG,054.7,T,,M,005.5,N,010.2,K,A",
                 [](const SentenceRecord& r) {
                   const VtgBody& b = r.body.vtg;
                   EXPECT_FLOAT_EQ(b.courseTrue, 54.7f);
                   EXPECT_EQ(b.courseTrueReference, 'T');
                   EXPECT_FLOAT_EQ(b.courseMagnetic, kEmptyReal);
                   EXPECT_EQ(b.courseMagneticReference, 'M');
                   EXPECT_FLOAT_EQ(b.speedKnots, 5.5f);
                   EXPECT_EQ(b.knotsUnit, 'N');
                   EXPECT_FLOAT_EQ(b.speedKmh, 10.2f);
                   EXPECT_EQ(b.kmhUnit, 'K');
                   EXPECT_EQ(b.mode, 'A');
                 }},
        Accepted{"ZDA", "$GPZDA,201530.00,04,07,2002,-13,45",
                 [](const SentenceRecord& r) {
                   const ZdaBody& b = r.body.zda;
                   ExpectTime(b.time, 20, 15, 30, 0);
                   EXPECT_EQ(+b.day, 4);
                   EXPECT_EQ(+b.month, 7);
                   EXPECT_EQ(+b.year, 2002);
                   EXPECT_EQ(+b.zoneHours, -13);
                   EXPECT_EQ(+b.zoneMinutes, 45);
                 }},
        Accepted{"ZdaEmpty", "$GPZDA,,,,,,",
                 [](const SentenceRecord& r) {
                   const ZdaBody& b = r.body.zda;
                   EXPECT_EQ(+b.day, kEmptyI8);
                   EXPECT_EQ(+b.month, kEmptyI8);
                   EXPECT_EQ(+b.year, 65535);
                   EXPECT_EQ(+b.zoneHours, kEmptyI8);
                   EXPECT_EQ(+b.zoneMinutes, kEmptyI8);
                 }},
        Accepted{"DTM", "$GPDTM,W84,A,0.5,S,1.25,W,2.0,W84",
                 [](const SentenceRecord& r) {
                   const DtmBody& b = r.body.dtm;
                   EXPECT_STREQ(b.localDatum, "W84");
                   EXPECT_EQ(b.subdivision, 'A');
                   EXPECT_FLOAT_EQ(b.latitudeOffset, -0.5f);
                   EXPECT_FLOAT_EQ(b.longitudeOffset, -1.25f);
                   EXPECT_FLOAT_EQ(b.altitudeOffset, 2.0f);
                   EXPECT_STREQ(b.referenceDatum, "W84");
                 }},
        Accepted{"GBS", "$GPGBS,015509.00,-0.031,-0.186,0.219,19,0.000,-0.354,6.972",
                 [](const SentenceRecord& r) {
                   const GbsBody& b = r.body.gbs;
                   ExpectTime(b.time, 1, 55, 9, 0);
                   EXPECT_FLOAT_EQ(b.latitudeError, -0.031f);
                   EXPECT_FLOAT_EQ(b.longitudeError, -0.186f);
                   EXPECT_FLOAT_EQ(b.altitudeError, 0.219f);
                   EXPECT_EQ(+b.failedSatellite, 19);
                   EXPECT_FLOAT_EQ(b.missedProbability, 0.0f);
                   EXPECT_FLOAT_EQ(b.bias, -0.354f);
                   EXPECT_FLOAT_EQ(b.biasDeviation, 6.972f);
                 }},
        Accepted{"GbsEmpty", "$GPGBS,015509.00,,,,,,,",
                 [](const SentenceRecord& r) {
                   EXPECT_EQ(+r.body.gbs.failedSatellite, kNoSatellite);
                   EXPECT_FLOAT_EQ(r.body.gbs.biasDeviation, kEmptyReal);
                 }},
        Accepted{"GSA", "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1",
                 [](const SentenceRecord& r) {
                   const GsaBody& b = r.body.gsa;
                   EXPECT_EQ(b.mode, 'A');
                   EXPECT_EQ(+b.fixType, 3);
                   const SatelliteId ids[12] = {4,
                                                5,
                                                kNoSatellite,
                                                9,
                                                12,
                                                kNoSatellite,
                                                kNoSatellite,
                                                24,
                                                kNoSatellite,
                                                kNoSatellite,
                                                kNoSatellite,
                                                kNoSatellite};
                   for (int i = 0; i < 12; ++i) EXPECT_EQ(+b.satellites[i], ids[i]) << i;
                   EXPECT_FLOAT_EQ(b.pdop, 2.5f);
                   EXPECT_FLOAT_EQ(b.hdop, 1.3f);
                   EXPECT_FLOAT_EQ(b.vdop, 2.1f);
                 }},
        // 11 fields: two satellites; the other two keep the presets.
        Accepted{"GsvTwoSatellites", "$GPGSV,3,3,10,03,03,111,00,04,,,",
                 [](const SentenceRecord& r) {
                   const GsvBody& b = r.body.gsv;
                   EXPECT_EQ(+b.total, 3);
                   EXPECT_EQ(+b.number, 3);
                   EXPECT_EQ(+b.inView, 10);
                   EXPECT_EQ(+b.count, 2);
                   EXPECT_EQ(+b.ids[0], 3);
                   EXPECT_EQ(+b.elevations[0], 3);
                   EXPECT_EQ(+b.azimuths[0], 111);
                   EXPECT_EQ(+b.snr[0], 0);
                   EXPECT_EQ(+b.ids[1], 4);
                   EXPECT_EQ(+b.elevations[1], kEmptyI8);
                   EXPECT_EQ(+b.azimuths[1], 65535);
                   EXPECT_EQ(+b.snr[1], kEmptyI8);
                   for (int i = 2; i < 4; ++i) {
                     EXPECT_EQ(+b.ids[i], kNoSatellite);
                     EXPECT_EQ(+b.elevations[i], kEmptyI8);
                     EXPECT_EQ(+b.azimuths[i], 65535);
                     EXPECT_EQ(+b.snr[i], kEmptyI8);
                   }
                 }},
        Accepted{"GsvFourSatellites",
                 "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,99",
                 [](const SentenceRecord& r) {
                   EXPECT_EQ(+r.body.gsv.count, 4);
                   EXPECT_EQ(+r.body.gsv.ids[3], 13);
                   EXPECT_EQ(+r.body.gsv.azimuths[3], 292);
                   EXPECT_EQ(+r.body.gsv.snr[3], 99);
                 }},
        // Satellite ids past 127 (SBAS, QZSS) and of three digits.
        Accepted{"GsvIdAbove127", "$GPGSV,2,1,08,,,,,200,00,000,00",
                 [](const SentenceRecord& r) {
                   const GsvBody& b = r.body.gsv;
                   EXPECT_EQ(+b.count, 2);
                   EXPECT_EQ(+b.ids[0], kNoSatellite);
                   EXPECT_EQ(+b.ids[1], 200);
                   EXPECT_EQ(+b.elevations[1], 0);
                   EXPECT_EQ(+b.azimuths[1], 0);
                   EXPECT_EQ(+b.snr[1], 0);
                 }},
        Accepted{"GsvThreeDigitIds",
                 "$GPGSV,3,2,12,120,35,220,44,158,30,180,40,237,60,100,38,999,05,050,20",
                 [](const SentenceRecord& r) {
                   const SatelliteId ids[4] = {120, 158, 237, 999};
                   for (int i = 0; i < 4; ++i) EXPECT_EQ(+r.body.gsv.ids[i], ids[i]) << i;
                   EXPECT_EQ(+r.body.gsv.snr[3], 20);
                 }},
        Accepted{"GsaIdsAbove127", "$GPGSA,A,3,120,158,193,007,,,,,,,,,1.8,1.0,1.5",
                 [](const SentenceRecord& r) {
                   const SatelliteId ids[5] = {120, 158, 193, 7, kNoSatellite};
                   for (int i = 0; i < 5; ++i) EXPECT_EQ(+r.body.gsa.satellites[i], ids[i]) << i;
                 }},
        Accepted{"GbsThreeDigitId", "$GPGBS,015509.00,-0.031,-0.186,0.219,275,0.000,-0.354,6.972",
                 [](const SentenceRecord& r) { EXPECT_EQ(+r.body.gbs.failedSatellite, 275); }},
        Accepted{"GRS", "$GPGRS,024603.00,1,-1.8,-2.7,0.3,,,,,,,,,",
                 [](const SentenceRecord& r) {
                   ExpectTime(r.body.grs.time, 2, 46, 3, 0);
                   EXPECT_EQ(r.body.grs.residualMode, '1');
                   EXPECT_FLOAT_EQ(r.body.grs.residuals[0], -1.8f);
                   EXPECT_FLOAT_EQ(r.body.grs.residuals[2], 0.3f);
                   EXPECT_FLOAT_EQ(r.body.grs.residuals[11], kEmptyReal);
                 }},
        Accepted{"GST", "$GPGST,024603.00,3.2,6.6,4.7,47.3,5.8,5.6,",
                 [](const SentenceRecord& r) {
                   const GstBody& b = r.body.gst;
                   EXPECT_FLOAT_EQ(b.rms, 3.2f);
                   EXPECT_FLOAT_EQ(b.semiMajor, 6.6f);
                   EXPECT_FLOAT_EQ(b.semiMinor, 4.7f);
                   EXPECT_FLOAT_EQ(b.orientation, 47.3f);
                   EXPECT_FLOAT_EQ(b.latitudeError, 5.8f);
                   EXPECT_FLOAT_EQ(b.longitudeError, 5.6f);
                   EXPECT_FLOAT_EQ(b.altitudeError, kEmptyReal);
                 }},
        // --- heading, speed, waypoints ---
        Accepted{"HDT", "$HEHDT,274.07,T",
                 [](const SentenceRecord& r) {
                   EXPECT_FLOAT_EQ(r.body.hdt.heading, 274.07f);
                   EXPECT_EQ(r.body.hdt.reference, 'T');
                 }},
        Accepted{"HdtEmpty", "$HEHDT,,T",
                 [](const SentenceRecord& r) { EXPECT_FLOAT_EQ(r.body.hdt.heading, 511.0f); }},
        Accepted{"ROT", "$HEROT,-0.3,A",
                 [](const SentenceRecord& r) {
                   EXPECT_FLOAT_EQ(r.body.rot.rate, -0.3f);
                   EXPECT_EQ(r.body.rot.status, 'A');
                 }},
        Accepted{"VBW", "$VWVBW,12.3,0.07,A,11.78,,V",
                 [](const SentenceRecord& r) {
                   const VbwBody& b = r.body.vbw;
                   EXPECT_FLOAT_EQ(b.waterLongitudinal, 12.3f);
                   EXPECT_FLOAT_EQ(b.waterTransverse, 0.07f);
                   EXPECT_EQ(b.waterStatus, 'A');
                   EXPECT_FLOAT_EQ(b.groundLongitudinal, 11.78f);
                   EXPECT_FLOAT_EQ(b.groundTransverse, 0.0f)
                       << "no sentinel: an empty real reads 0";
                   EXPECT_EQ(b.groundStatus, 'V');
                 }},
        Accepted{"OSD", "$RAOSD,35.1,A,36.0,P,10.2,P,15.3,0.1,N",
                 [](const SentenceRecord& r) {
                   const OsdBody& b = r.body.osd;
                   EXPECT_FLOAT_EQ(b.heading, 35.1f);
                   EXPECT_EQ(b.headingStatus, 'A');
                   EXPECT_FLOAT_EQ(b.course, 36.0f);
                   EXPECT_EQ(b.courseReference, 'P');
                   EXPECT_FLOAT_EQ(b.speed, 10.2f);
                   EXPECT_EQ(b.speedReference, 'P');
                   EXPECT_FLOAT_EQ(b.set, 15.3f);
                   EXPECT_FLOAT_EQ(b.drift, 0.1f);
                   EXPECT_EQ(b.speedUnits, 'N');
                 }},
        // The identifier is the last field, after the position group.
        Accepted{"WPL", "$GPWPL,4917.16,N,12310.64,W,003",
                 [](const SentenceRecord& r) {
                   ExpectPosition(r.body.wpl.position, 49.286f, -123.1773333f);
                   EXPECT_STREQ(r.body.wpl.identifier, "003");
                 }},
        // --- AIS station ---
        Accepted{"ABK", "$AIABK,211378120,B,6,1,0",
                 [](const SentenceRecord& r) {
                   const AbkBody& b = r.body.abk;
                   EXPECT_EQ(+b.mmsi, 211378120u);
                   EXPECT_EQ(+b.channel, 1);
                   EXPECT_EQ(+b.messageId, 6);
                   EXPECT_EQ(+b.sequenceNumber, 1);
                   EXPECT_EQ(+b.acknowledgementType, 0);
                 }},
        Accepted{
            "ACA",
            "$AIACA,1,5940.00,N,01030.00,E,5900.00,S,00945.00,W,2,2087,0,2088,1,0,1,I,1,123456.00",
            [](const SentenceRecord& r) {
              const AcaBody& b = r.body.aca;
              EXPECT_EQ(+b.sequenceNumber, 1);
              ExpectPosition(b.northEast, 59.6666667f, 10.5f);
              ExpectPosition(b.southWest, -59.0f, -9.75f);
              EXPECT_EQ(+b.transitionZone, 2);
              EXPECT_EQ(+b.channelA, 2087);
              EXPECT_EQ(+b.bandwidthA, 0);
              EXPECT_EQ(+b.channelB, 2088);
              EXPECT_EQ(+b.bandwidthB, 1);
              EXPECT_EQ(+b.txRxMode, 0);
              EXPECT_EQ(+b.powerLevel, 1);
              EXPECT_EQ(b.source, 'I');
              EXPECT_EQ(+b.inUse, 1);
              ExpectTime(b.inUseChanged, 12, 34, 56, 0);
            }},
        Accepted{"ACK", "$AIACK,007",
                 [](const SentenceRecord& r) { EXPECT_EQ(+r.body.ack.alarmId, 7); }},
        Accepted{"AckEmpty", "$AIACK,",
                 [](const SentenceRecord& r) { EXPECT_EQ(+r.body.ack.alarmId, 1000); }},
        Accepted{"ACS", "$AIACS,3,002190047,235959.50,10,12,2025",
                 [](const SentenceRecord& r) {
                   const AcsBody& b = r.body.acs;
                   EXPECT_EQ(+b.sequenceNumber, 3);
                   EXPECT_EQ(+b.mmsi, 2190047u);
                   ExpectTime(b.time, 23, 59, 59, 50);
                   EXPECT_EQ(+b.day, 10);
                   EXPECT_EQ(+b.month, 12);
                   EXPECT_EQ(+b.year, 2025);
                 }},
        Accepted{"ALR", "$AIALR,123456.00,006,A,V,AIS: general failure",
                 [](const SentenceRecord& r) {
                   const AlrBody& b = r.body.alr;
                   ExpectTime(b.time, 12, 34, 56, 0);
                   EXPECT_EQ(+b.alarmId, 6);
                   EXPECT_EQ(b.condition, 'A');
                   EXPECT_EQ(b.acknowledgement, 'V');
                   EXPECT_STREQ(b.text, "AIS: general failure");
                 }},
        Accepted{"AlrEmptyText", "$AIALR,,006,A,V,",
                 [](const SentenceRecord& r) { EXPECT_STREQ(r.body.alr.text, " "); }},
        Accepted{"SSD", "$AISSD,DK2036,NORDIC STAR,100,20,5,5,0,AI",
                 [](const SentenceRecord& r) {
                   const SsdBody& b = r.body.ssd;
                   EXPECT_STREQ(b.callSign, "DK2036");
                   EXPECT_STREQ(b.name, "NORDIC STAR");
                   EXPECT_EQ(+b.referenceA, 100);
                   EXPECT_EQ(+b.referenceB, 20);
                   EXPECT_EQ(+b.referenceC, 5);
                   EXPECT_EQ(+b.referenceD, 5);
                   EXPECT_EQ(+b.dte, 0);
                   EXPECT_STREQ(b.source, "AI");
                 }},
        // Texts longer than their room are cut, never written past it.
        Accepted{"SsdEmptyAndCut", "$AISSD,CALLSIGN9,A NAME OF MORE THAN TWENTY,,,,,,",
                 [](const SentenceRecord& r) {
                   const SsdBody& b = r.body.ssd;
                   EXPECT_STREQ(b.callSign, "CALLSIG");
                   EXPECT_STREQ(b.name, "A NAME OF MORE THAN ");
                   EXPECT_EQ(+b.referenceA, 512);
                   EXPECT_EQ(+b.referenceB, 512);
                   EXPECT_EQ(+b.referenceC, 64);
                   EXPECT_EQ(+b.referenceD, 64);
                   EXPECT_EQ(+b.dte, 2);
                   EXPECT_STREQ(b.source, " ");
                 }},
        Accepted{"VSD", "$AIVSD,326,7.2,12,GOTEBORG,123000.00,15,06,5,1",
                 [](const SentenceRecord& r) {
                   const VsdBody& b = r.body.vsd;
                   EXPECT_EQ(+b.shipType, 70) << "modulo 256";
                   EXPECT_FLOAT_EQ(b.draught, 7.2f);
                   EXPECT_EQ(+b.persons, 12);
                   EXPECT_STREQ(b.destination, "GOTEBORG");
                   ExpectTime(b.eta, 12, 30, 0, 0);
                   EXPECT_EQ(+b.etaDay, 15);
                   EXPECT_EQ(+b.etaMonth, 6);
                   EXPECT_EQ(+b.navigationalStatus, 5);
                   EXPECT_EQ(+b.regionalFlags, 1);
                 }},
        Accepted{"VsdEmpty", "$AIVSD,,,,,,,,,",
                 [](const SentenceRecord& r) {
                   const VsdBody& b = r.body.vsd;
                   EXPECT_EQ(+b.shipType, 256);
                   EXPECT_FLOAT_EQ(b.draught, kEmptyReal);
                   EXPECT_EQ(+b.persons, 8192);
                   EXPECT_STREQ(b.destination, "");
                   EXPECT_EQ(+b.etaDay, 32);
                   EXPECT_EQ(+b.etaMonth, 13);
                   EXPECT_EQ(+b.navigationalStatus, kEmptyByte);
                 }},
        Accepted{"TXT", "$GPTXT,01,01,02,ANTARIS ATR0620 HW 00000040",
                 [](const SentenceRecord& r) {
                   EXPECT_EQ(+r.body.txt.total, 1);
                   EXPECT_EQ(+r.body.txt.number, 1);
                   EXPECT_EQ(+r.body.txt.identifier, 2);
                   EXPECT_STREQ(r.body.txt.text, "ANTARIS ATR0620 HW 00000040");
                 }},
        Accepted{"TxtCutTo61", "$GPTXT,,,," + std::string(70, 'x'),
                 [](const SentenceRecord& r) {
                   EXPECT_EQ(+r.body.txt.total, kEmptyI8);
                   EXPECT_EQ(std::string(r.body.txt.text), std::string(61, 'x'));
                 }},
        Accepted{"VDM", "!AIVDM,1,1,,B,13aEOK?P00PD2wVMdLDRhgvL289?,0",
                 [](const SentenceRecord& r) {
                   const EncapsulationBody& b = r.body.encapsulation;
                   EXPECT_EQ(+b.total, 1);
                   EXPECT_EQ(+b.number, 1);
                   EXPECT_EQ(+b.sequenceId, kEmptyI8);
                   EXPECT_EQ(b.channel, 'B');
                   EXPECT_STREQ(b.payload, "13aEOK?P00PD2wVMdLDRhgvL289?");
                   EXPECT_EQ(+b.fillBits, 0);
                 }},
        Accepted{"VDO", "!AIVDO,1,1,3,,B3aC,2",
                 [](const SentenceRecord& r) {
                   EXPECT_EQ(+r.body.encapsulation.sequenceId, 3);
                   EXPECT_EQ(static_cast<unsigned char>(r.body.encapsulation.channel), kEmptyByte);
                   EXPECT_EQ(+r.body.encapsulation.fillBits, 2);
                 }},
        Accepted{"ABM", "!AIABM,1,1,0,211378120,2,6,1@0,0",
                 [](const SentenceRecord& r) {
                   EXPECT_EQ(+r.body.encapsulation.channel, 2);
                   EXPECT_EQ(+r.body.encapsulation.destination, 211378120u);
                 },
                 SentenceFault::Addressed},
        Accepted{"BBM", "!AIBBM,1,1,,2,8,1@0,0",
                 [](const SentenceRecord& r) {
                   EXPECT_EQ(+r.body.encapsulation.channel, 2);
                   EXPECT_EQ(+r.body.encapsulation.messageId, 8);
                   EXPECT_STREQ(r.body.encapsulation.payload, "1@0");
                 },
                 SentenceFault::Addressed},
        // --- queries ---
        Accepted{"Query", "$AIGPQ,GGA",
                 [](const SentenceRecord& r) {
                   EXPECT_STREQ(r.talker, "AI");
                   EXPECT_STREQ(r.body.query.requested, "GGA");
                 }},
        // An xxAIQ address has Q in its sixth character and reads as a
        // query; the AIQ parser is reached through a maker sentence.
        Accepted{"AIQ", "$PZLX,A,AIQ,Smg,3",
                 [](const SentenceRecord& r) {
                   EXPECT_STREQ(r.formatter, "AIQ");
                   EXPECT_STREQ(r.body.aiq.requested, "Smg");
                   EXPECT_EQ(+r.body.aiq.number, 3);
                 }},
        Accepted{"Smg", "$AISmg,SOME TEXT,7",
                 [](const SentenceRecord& r) {
                   EXPECT_STREQ(r.body.smg.text, "SOME TEXT");
                   EXPECT_EQ(r.body.bytes[kSentenceBodySize - 1], 7) << "the number ends the body";
                 }},
        // --- maker sentences ---
        Accepted{"MID", "$PZLX,A,MID,123456789,",
                 [](const SentenceRecord& r) {
                   EXPECT_EQ(+r.body.mid.identifiers[0], 123456789u);
                   EXPECT_EQ(+r.body.mid.identifiers[1], 999999999u);
                 }},
        Accepted{"BDY", "$PZLX,A,BDY,123456789,FIRST,,0,",
                 [](const SentenceRecord& r) {
                   const BdyBody& b = r.body.bdy;
                   EXPECT_EQ(+b.identifier, 123456789u);
                   EXPECT_STREQ(b.text1, "FIRST");
                   EXPECT_STREQ(b.text2, "");
                   EXPECT_EQ(+b.flag1, 0);
                   EXPECT_EQ(+b.flag2, 9);
                 }},
        // The device's probe answer: empty fields give their sentinels, an
        // empty letter a space.
        Accepted{"TST", "$PTST,,,,,00016",
                 [](const SentenceRecord& r) {
                   const TstBody& b = r.body.tst;
                   EXPECT_EQ(+r.makerLetter, 0);
                   EXPECT_EQ(+b.number, 99999u);
                   EXPECT_EQ(+b.twoDigit, 99);
                   EXPECT_EQ(b.lowerLetter, ' ');
                   EXPECT_EQ(b.upperLetter, ' ');
                   EXPECT_EQ(+b.value, 16);
                 }},
        Accepted{"FRQ", "$PZLX,A,FRQ,123456789,5,,",
                 [](const SentenceRecord& r) {
                   const FrqBody& b = r.body.frq;
                   EXPECT_EQ(+b.identifiers[0], 123456789u);
                   EXPECT_EQ(+b.identifiers[1], 999999999u);
                   EXPECT_EQ(+b.levels[0], 5);
                   EXPECT_EQ(+b.levels[1], kEmptyByte);
                 }},
        Accepted{"BTH", "$PZLX,A,BTH,001,002,-03,,005,255,TEXT",
                 [](const SentenceRecord& r) {
                   const std::int16_t values[6] = {1, 2, -3, 256, 5, 255};
                   for (int i = 0; i < 6; ++i) EXPECT_EQ(+r.body.bth.values[i], values[i]) << i;
                   EXPECT_STREQ(r.body.bth.text, "TEXT");
                 }},
        // Only the first pair present: the other three keep their sentinels.
        Accepted{"DBG", "$PZLX,R,DBG,104,17,,,,,,",
                 [](const SentenceRecord& r) {
                   EXPECT_EQ(r.makerLetter, 'R');
                   const DbgBody& b = r.body.dbg;
                   EXPECT_EQ(+b.codes[0], 104);
                   EXPECT_EQ(+b.values[0], 17);
                   for (int i = 1; i < 4; ++i) {
                     EXPECT_EQ(+b.codes[i], 999);
                     EXPECT_EQ(+b.values[i], kEmptyI32);
                   }
                 }},
        Accepted{"DbgReplyValues", "$PZLX,R,DBG,003,-8889,104,2147483647,,-2147483648,,",
                 [](const SentenceRecord& r) {
                   EXPECT_EQ(+r.body.dbg.codes[0], 3);
                   EXPECT_EQ(+r.body.dbg.values[0], -8889);
                   EXPECT_EQ(+r.body.dbg.values[1], 2147483647);
                   EXPECT_EQ(+r.body.dbg.codes[2], 999);
                 }},
        Accepted{"TPS", "$PZLX,R,TPS,040,0001ABCD",
                 [](const SentenceRecord& r) {
                   EXPECT_EQ(+r.body.tps.number, 40);
                   EXPECT_STREQ(r.body.tps.text, "0001ABCD");
                 }},
        Accepted{"MOB", "$PZLX,A,MOB,0A1B2C,3,FF,1E,0102030405",
                 [](const SentenceRecord& r) {
                   const MobBody& b = r.body.mob;
                   EXPECT_EQ(+b.identifier[0], 0x0A);
                   EXPECT_EQ(+b.identifier[1], 0x1B);
                   EXPECT_EQ(+b.identifier[2], 0x2C);
                   EXPECT_EQ(+b.number, 3);
                   EXPECT_EQ(+b.code, 0xFF);
                   EXPECT_EQ(+b.optional, 0x1E);
                   EXPECT_EQ(+b.hasOptional, 1);
                   ASSERT_EQ(+b.dataLength, 5);
                   for (int i = 0; i < 5; ++i) EXPECT_EQ(+b.data[i], i + 1);
                 }},
        // Unusable data leaves no bytes but keeps the sentence; an identifier
        // of another length reads as zeros.
        Accepted{"MobUnusableData", "$PZLX,A,MOB,0A1B,,,,0102030405060708090A",
                 [](const SentenceRecord& r) {
                   const MobBody& b = r.body.mob;
                   EXPECT_EQ(b.identifier[0] | b.identifier[1] | b.identifier[2], 0);
                   EXPECT_EQ(+b.number, 255);
                   EXPECT_EQ(+b.code, 255);
                   EXPECT_EQ(+b.hasOptional, 0);
                   EXPECT_EQ(+b.dataLength, 0);
                 }}),
    [](const testing::TestParamInfo<Accepted>& row) { return std::string(row.param.name); });

struct Refused {
  const char* name;
  std::string text;
  SentenceFault fault;
};

void PrintTo(const Refused& row, std::ostream* os) { *os << row.text; }

class ParserRefuses : public testing::TestWithParam<Refused> {};

TEST_P(ParserRefuses, WithTheRightReason) {
  SentenceLibrary library;
  SentenceRecord record{};
  EXPECT_FALSE(library.ParseSentence(Sentence(GetParam().text), record));
  EXPECT_EQ(library.LastFault(), GetParam().fault) << FaultName(library.LastFault());
}

INSTANTIATE_TEST_SUITE_P(
    Parsers, ParserRefuses,
    testing::Values(
        Refused{"Gga13Satellites", "$GPGGA,123519,4807.038,N,01131.000,E,1,13,0.9,545.4,M,46.9,M,,",
                SentenceFault::Range},
        Refused{"GgaHdop100", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,100.0,545.4,M,46.9,M,,",
                SentenceFault::Range},
        Refused{"GgaStation1024",
                "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,1024",
                SentenceFault::Range},
        // A value is checked as read, not as the byte it is kept in: 265
        // would pass as 9 and -250 as 6.
        Refused{"GgaSatellitesWrapToAByte",
                "$GPGGA,123519,4807.038,N,01131.000,E,1,265,0.9,545.4,M,46.9,M,,",
                SentenceFault::Range},
        Refused{"GnsHdop100",
                "$GPGNS,224749.00,3333.42,N,11153.35,W,D,19,100,406.110,-26.294,6.0,0138",
                SentenceFault::Range},
        Refused{"GsvNineFields", "$GPGSV,3,3,10,03,03,111,00,04", SentenceFault::FieldCount},
        Refused{"GsvTotal10", "$GPGSV,10,1,10,03,03,111,00", SentenceFault::Range},
        Refused{"GsvTotalWrapsToAByte", "$GPGSV,265,1,10,03,03,111,00", SentenceFault::Range},
        Refused{"GsvElevation91", "$GPGSV,1,1,1,03,91,111,00", SentenceFault::Range},
        Refused{"GsvAzimuth360", "$GPGSV,1,1,1,03,03,360,00", SentenceFault::Range},
        Refused{"GsvSnr100", "$GPGSV,1,1,2,03,03,111,00,04,05,006,100", SentenceFault::Range},
        Refused{"ZdaDay0", "$GPZDA,201530.00,00,07,2002,00,00", SentenceFault::Range},
        Refused{"ZdaDay32", "$GPZDA,201530.00,32,07,2002,00,00", SentenceFault::Range},
        Refused{"ZdaMonth13", "$GPZDA,201530.00,04,13,2002,00,00", SentenceFault::Range},
        Refused{"ZdaZoneHoursMinus14", "$GPZDA,201530.00,04,07,2002,-14,00", SentenceFault::Range},
        Refused{"ZdaZoneMinutes60", "$GPZDA,201530.00,04,07,2002,01,60", SentenceFault::Range},
        Refused{"VtgReferenceMM", "$GPVTG,054.7,T,034.4,MM,005.5,N,010.2,K,A",
                SentenceFault::Length},
        Refused{"VtgUnitKmh", "$GPVTG,054.7,T,034.4,M,005.5,N,010.2,KM,A", SentenceFault::Length},
        Refused{"TxtTotal0", "$GPTXT,00,01,02,TEXT", SentenceFault::Range},
        Refused{"TxtIdentifier100", "$GPTXT,01,01,100,TEXT", SentenceFault::Range},
        Refused{"AiqAskingForSMG", "$PZLX,A,AIQ,SMG,3", SentenceFault::Range},
        Refused{"MobIdentifierNotHex", "$PZLX,A,MOB,0A1B2G,3,FF,1E,01", SentenceFault::NotHex},
        Refused{"MobLowerCaseHex", "$PZLX,A,MOB,0a1b2c,3,FF,1E,01", SentenceFault::NotHex},
        Refused{"MobCodeNotHex", "$PZLX,A,MOB,0A1B2C,3,FG,1E,01", SentenceFault::NotHex},
        Refused{"MobOptionalNotHex", "$PZLX,A,MOB,0A1B2C,3,FF,X,01", SentenceFault::NotHex},
        // Three digits do not fit the byte; refused rather than left stale.
        Refused{"MobCodeThreeDigits", "$PZLX,A,MOB,0A1B2C,3,FFF,1E,01", SentenceFault::Length},
        Refused{"MobOptionalThreeDigits", "$PZLX,A,MOB,0A1B2C,3,FF,1E1,01", SentenceFault::Length},
        // A proprietary sentence of another maker has no parser...
        Refused{"ForeignProprietary", "$PGRME,15.0,M,45.0,M,25.0,M",
                SentenceFault::UnknownFormatter},
        // ...and the lower-case Smg is the only spelling in the table.
        Refused{"SmgInUpperCase", "$AISMG,TEXT,1", SentenceFault::UnknownFormatter},
        // A value too wide for its field is out of range, never wrapped:
        // 65640 would be code 104, 4294967303 value 7, 65552 the probe
        // value 16, and a number no long holds the "repeat" value -1.
        Refused{"DbgCodeWiderThanItsField", "$PZLX,R,DBG,65640,7,,,,,,", SentenceFault::Range},
        Refused{"DbgValueWiderThanItsField", "$PZLX,R,DBG,104,4294967303,,,,,,",
                SentenceFault::Range},
        Refused{"DbgValueNoLongHolds", "$PZLX,R,DBG,104,99999999999999999999,,,,,,",
                SentenceFault::Range},
        Refused{"DbgNegativeValueNoLongHolds", "$PZLX,R,DBG,104,-99999999999999999999,,,,,,",
                SentenceFault::Range},
        Refused{"TstValueWiderThanItsField", "$PTST,,,,,65552", SentenceFault::Range},
        Refused{"TstNumberWiderThanItsField", "$PTST,4294967296,,,,", SentenceFault::Range},
        Refused{"TstTwoDigitWiderThanItsField", "$PTST,,256,,,", SentenceFault::Range},
        Refused{"TpsCodeWiderThanItsField", "$PZLX,R,TPS,32808,0001ABCD", SentenceFault::Range},
        Refused{"MidWiderThanItsField", "$PZLX,A,MID,4294967296,", SentenceFault::Range},
        Refused{"BdyFlagWiderThanItsField", "$PZLX,A,BDY,1,A,B,257,0", SentenceFault::Range},
        Refused{"BthValueWiderThanItsField", "$PZLX,A,BTH,65792,,,,,,TEXT", SentenceFault::Range},
        Refused{"FrqLevelWiderThanItsField", "$PZLX,A,FRQ,123456789,261,,", SentenceFault::Range},
        Refused{"MobNumberWiderThanItsField", "$PZLX,A,MOB,0A1B2C,256,FF,1E,01",
                SentenceFault::Range},
        Refused{"AbkMmsiWiderThanItsField", "$AIABK,4294967297,A,6,1,0", SentenceFault::Range},
        Refused{"AbkMessageIdWiderThanItsField", "$AIABK,211378120,A,262,1,0",
                SentenceFault::Range},
        Refused{"AckWiderThanItsField", "$AIACK,65543", SentenceFault::Range},
        Refused{
            "AcaChannelWiderThanItsField",
            "$AIACA,1,5940.00,N,01030.00,E,5900.00,N,00945.00,E,2,67623,0,2088,0,0,0,I,1,123456.00",
            SentenceFault::Range},
        Refused{"AcsYearWiderThanItsField", "$AIACS,1,002190047,123456.00,10,12,67561",
                SentenceFault::Range},
        Refused{"VsdPersonsWiderThanItsField", "$AIVSD,070,7.2,65548,GOTEBORG,123000.00,15,06,0,0",
                SentenceFault::Range},
        Refused{"VsdShipTypeNoLongHolds",
                "$AIVSD,99999999999999999999,7.2,12,GOTEBORG,123000.00,15,06,0,0",
                SentenceFault::Range},
        Refused{"GgaQualityWiderThanItsField",
                "$GPGGA,123519,4807.038,N,01131.000,E,257,08,0.9,545.4,M,46.9,M,,",
                SentenceFault::Range},
        Refused{"GsaIdOfFourDigits", "$GPGSA,A,3,04,05,,09,12,,,24,,,,1000,2.5,1.3,2.1",
                SentenceFault::Range},
        Refused{"GsaIdNotANumber", "$GPGSA,A,3,04,05,,09,12,,,24,,,,G1,2.5,1.3,2.1",
                SentenceFault::Range},
        Refused{"GsvIdNegative", "$GPGSV,1,1,1,-3,03,111,00", SentenceFault::Range},
        Refused{"GsvIdWithATrailingLetter", "$GPGSV,1,1,1,12A,03,111,00", SentenceFault::Range},
        Refused{"GsvIdWithAFraction", "$GPGSV,1,1,1,12.5,03,111,00", SentenceFault::Range},
        Refused{"GsvInViewWiderThanItsField", "$GPGSV,1,1,256,03,03,111,00", SentenceFault::Range},
        Refused{"ZdaYearWiderThanItsField", "$GPZDA,201530.00,04,07,67538,00,00",
                SentenceFault::Range},
        Refused{"GbsFailedSatelliteOfFourDigits",
                "$GPGBS,015509.00,-0.031,-0.186,0.219,1000,0.000,-0.354,6.972",
                SentenceFault::Range},
        Refused{"BbmChannelWiderThanItsField", "!AIBBM,1,1,,130,8,1@0,0", SentenceFault::Range},
        Refused{"VdmFillBitsNoLongHolds",
                "!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,99999999999999999999",
                SentenceFault::Range},
        Refused{"SmgNumberWiderThanItsField", "$AISmg,TEXT,259", SentenceFault::Range},
        // The groups: an hour or a day that does not fit its byte, a
        // negative time, a real or an angle that no float holds.
        Refused{"TimeHourWiderThanItsField", "$GPGLL,4916.45,N,12311.12,W,2560000,A,A",
                SentenceFault::Range},
        Refused{"TimeNegative", "$GPGLL,4916.45,N,12311.12,W,-1,A,A", SentenceFault::Range},
        Refused{"DateDayWiderThanItsField",
                "$GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,2560000,020.3,E,A",
                SentenceFault::Range},
        Refused{"RealBeyondAFloat", "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,1e39,M,46.9,M,,",
                SentenceFault::Range},
        Refused{"AngleBeyondAFloat", "$GPGLL,1e39,N,12311.12,W,225444,A,A", SentenceFault::Range},
        Refused{"DtmOffsetBeyondAFloat", "$GPDTM,W84,,1e39,N,0.0,E,0.0,W84", SentenceFault::Range}),
    [](const testing::TestParamInfo<Refused>& row) { return std::string(row.param.name); });

TEST(ParserState, EmptyFieldsKeepWhatTheLastSentenceLeft) {
  SentenceLibrary library;
  SentenceRecord record{};
  ASSERT_TRUE(library.ParseSentence(Sentence("$GPDTM,W84,,0.5,S,1.25,E,2.0,W84"), record));
  // Empty offsets and reference datum are kept; the hemisphere after an
  // empty offset must not turn the kept value round.
  ASSERT_TRUE(library.ParseSentence(Sentence("$GPDTM,W72,,,S,,W,,"), record));
  const DtmBody& b = record.body.dtm;
  EXPECT_STREQ(b.localDatum, "W72");
  EXPECT_FLOAT_EQ(b.latitudeOffset, -0.5f);
  EXPECT_FLOAT_EQ(b.longitudeOffset, 1.25f);
  EXPECT_FLOAT_EQ(b.altitudeOffset, 2.0f);
  EXPECT_STREQ(b.referenceDatum, "W84");
  ASSERT_TRUE(library.ParseSentence(Sentence("$GPDTM,W72,,,S,,W,,"), record));
  EXPECT_FLOAT_EQ(record.body.dtm.latitudeOffset, -0.5f) << "the same on every further sentence";

  // An empty time keeps its hundredths.
  ASSERT_TRUE(library.ParseSentence(Sentence("$GPGLL,4916.45,N,12311.12,W,225444.37,A,A"), record));
  ASSERT_TRUE(library.ParseSentence(Sentence("$GPGLL,4916.45,N,12311.12,W,,A,A"), record));
  ExpectTime(record.body.gll.time, 24, 60, 60, 37);
}

TEST(ParserState, TxtClearsItsTextArea) {
  SentenceLibrary library;
  SentenceRecord record{};
  ASSERT_TRUE(library.ParseSentence(Sentence("$GPTXT,01,01,02," + std::string(61, 'x')), record));
  ASSERT_TRUE(library.ParseSentence(Sentence("$GPTXT,01,01,02,short"), record));
  for (std::size_t i = 5; i < sizeof record.body.txt.text; ++i) {
    EXPECT_EQ(record.body.txt.text[i], '\0') << i;
  }
}

// The checksum ends the sentence: text after its two digits supplies no
// field and is not counted, whatever commas or '*' it holds.
struct AfterChecksum {
  const char* name;
  std::string text;  // the sentence, summed
  std::string tail;  // put between the checksum and CR LF
  SentenceFault fault;
};

void PrintTo(const AfterChecksum& row, std::ostream* os) { *os << row.text << row.tail; }

class TextAfterTheChecksum : public testing::TestWithParam<AfterChecksum> {};

TEST_P(TextAfterTheChecksum, IsNoPartOfTheSentence) {
  std::string line = Sentence(GetParam().text);
  line.insert(line.size() - 2, GetParam().tail);
  SentenceLibrary library;
  SentenceRecord record{};
  EXPECT_EQ(library.ParseSentence(line, record), GetParam().fault == SentenceFault::None);
  EXPECT_EQ(library.LastFault(), GetParam().fault) << FaultName(library.LastFault());
}

INSTANTIATE_TEST_SUITE_P(
    Parsers, TextAfterTheChecksum,
    testing::Values(
        // Six fields, and two more behind the checksum that made eight.
        AfterChecksum{"DbgPairAfterTheChecksum", "$PZLX,R,DBG,003,1,,,,", ",104,5*",
                      SentenceFault::FieldCount},
        AfterChecksum{"HdtReferenceAfterTheChecksum", "$GPHDT,274.07", ",T*",
                      SentenceFault::FieldCount},
        AfterChecksum{"HdtReferenceAfterTheChecksumNoStar", "$HEHDT,274.07", ",T",
                      SentenceFault::FieldCount},
        // A receiver's metadata after a whole sentence leaves it as it is,
        // also when the line grows past the longest sentence.
        AfterChecksum{"AisWithReceiverMetadata", "!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0",
                      ",b003669976,1272672016", SentenceFault::None},
        AfterChecksum{"LongLineWithMetadata", "!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0",
                      ",b003669976,1272672016," + std::string(40, 'x'), SentenceFault::None},
        AfterChecksum{"HdtWithMetadata", "$GPHDT,274.07,T", ",extra,1*", SentenceFault::None}),
    [](const testing::TestParamInfo<AfterChecksum>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace nmea
