// Real receiver logs (tests/data/corpus/nmea, see SOURCES.md) through the
// whole parse path: values read off the logs by hand for each formatter
// they carry. What every line of every log gives is held against the golden
// files by tests/cli/golden_test.cpp.
//
// Rejections in these logs come from the rules as they stand: newer NMEA
// versions add a field to GSA, GSV, RMC, GNS and GBS; GGA refuses more than
// 12 satellites and an HDOP of 99.99; many formatters have no parser; one
// log starts every line with "$$".

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "store/nmea_stack.h"
#include "tests/corpus_lines.h"

namespace store {
namespace {

// Record fields are packed and EXPECT_EQ takes references: a unary + hands
// it a copy (and prints one-byte numbers as numbers).

using nmea::SentenceFault;
using nmea::SentenceRecord;

std::vector<std::string> ReadLog(const std::string& name) {
  return corpus::FileLines(corpus::Path("nmea/" + name));
}

// A '!' sentence that was taken but does not complete a message (a first
// fragment) still counts as accepted.
bool Taken(bool parsed, SentenceFault fault) {
  return parsed || fault == SentenceFault::Fragment || fault == SentenceFault::Addressed;
}

struct ValueCase {
  const char* name;
  const char* file;
  std::size_t line;  // 1-based
  std::function<void(const SentenceRecord&, const SentenceStore&)> check;
};

void PrintTo(const ValueCase& row, std::ostream* os) { *os << row.file << ":" << row.line; }

class CorpusValues : public testing::TestWithParam<ValueCase> {};

// The log is read up to the line, so the stack holds what a program that
// received it would hold.
TEST_P(CorpusValues, MatchTheLog) {
  const std::vector<std::string> lines = ReadLog(GetParam().file);
  ASSERT_LE(GetParam().line, lines.size());
  const auto stack = std::make_unique<NmeaStack>();
  SentenceRecord record{};
  bool parsed = false;
  for (std::size_t i = 0; i < GetParam().line; ++i) {
    parsed = stack->library.ParseSentence(lines[i], record);
  }
  ASSERT_TRUE(Taken(parsed, stack->library.LastFault())) << lines[GetParam().line - 1];
  GetParam().check(record, stack->sentences);
}

constexpr auto kEmptyI8 = static_cast<std::int8_t>(nmea::kEmptyByte);

INSTANTIATE_TEST_SUITE_P(
    Corpus, CorpusValues,
    testing::Values(
        // $GPGST,112257.00,0.387,317.719,3.872,1.791,317.563,10.659,180.746*61
        ValueCase{"GST", "polarx2.log", 1,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    const nmea::GstBody& b = r.body.gst;
                    EXPECT_EQ(+b.time.hour, 11);
                    EXPECT_EQ(+b.time.minute, 22);
                    EXPECT_EQ(+b.time.second, 57);
                    EXPECT_FLOAT_EQ(b.rms, 0.387f);
                    EXPECT_FLOAT_EQ(b.semiMajor, 317.719f);
                    EXPECT_FLOAT_EQ(b.semiMinor, 3.872f);
                    EXPECT_FLOAT_EQ(b.orientation, 1.791f);
                    EXPECT_FLOAT_EQ(b.latitudeError, 317.563f);
                    EXPECT_FLOAT_EQ(b.longitudeError, 10.659f);
                    EXPECT_FLOAT_EQ(b.altitudeError, 180.746f);
                  }},
        // $GPGBS,112257.00,123.204,0.490,75.521,23,0.000,0.000,0.000*53
        ValueCase{"GBS", "polarx2.log", 2,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    EXPECT_FLOAT_EQ(r.body.gbs.latitudeError, 123.204f);
                    EXPECT_FLOAT_EQ(r.body.gbs.longitudeError, 0.49f);
                    EXPECT_FLOAT_EQ(r.body.gbs.altitudeError, 75.521f);
                    EXPECT_EQ(+r.body.gbs.failedSatellite, 23);
                    EXPECT_FLOAT_EQ(r.body.gbs.biasDeviation, 0.0f);
                  }},
        // $GPGGA,112257.00,3844.24011,N,00908.43828,W,1,03,10.5,,,,,,*72
        ValueCase{"GGA", "polarx2.log", 3,
                  [](const SentenceRecord& r, const SentenceStore& store) {
                    const nmea::GgaBody& b = r.body.gga;
                    EXPECT_NEAR(b.position.latitude, 38.7373352, 1e-5);
                    EXPECT_NEAR(b.position.longitude, -9.1406380, 1e-5);
                    EXPECT_EQ(+b.quality, 1);
                    EXPECT_EQ(+b.satellites, 3);
                    EXPECT_FLOAT_EQ(b.hdop, 10.5f);
                    EXPECT_FLOAT_EQ(b.altitude, nmea::kEmptyReal);
                    EXPECT_EQ(+b.differentialStation, -1);
                    EXPECT_EQ(+store.Gnss().talker, 1);
                  }},
        // $GPGNS,112257.00,3844.24011,N,00908.43828,W,AN,03,10.5,,,,*57
        ValueCase{"GNS", "polarx2.log", 5,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    EXPECT_EQ(std::string(r.body.gns.mode, 2), "AN");
                    EXPECT_EQ(std::string(r.body.gns.satellites, 2), "03");
                    EXPECT_FLOAT_EQ(r.body.gns.hdop, 10.5f);
                    EXPECT_FLOAT_EQ(r.body.gns.altitude, nmea::kEmptyReal);
                  }},
        // $GPRMC,112257.00,A,3844.24011,N,00908.43828,W,0.1,339.1,220312,5.6,E,A*26
        ValueCase{"RMC", "polarx2.log", 6,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    const nmea::RmcBody& b = r.body.rmc;
                    EXPECT_EQ(b.status, 'A');
                    EXPECT_FLOAT_EQ(b.speed, 0.1f);
                    EXPECT_FLOAT_EQ(b.course, 339.1f);
                    EXPECT_EQ(+b.date.year, 2012);
                    EXPECT_EQ(+b.date.month, 3);
                    EXPECT_EQ(+b.date.day, 22);
                    EXPECT_FLOAT_EQ(b.variation, 5.6f);
                    EXPECT_EQ(b.variationDirection, 'E');
                  }},
        // $GPVTG,339.1,T,333.5,M,0.1,N,0.1,K,A*2D
        ValueCase{"VTG", "polarx2.log", 7,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    EXPECT_FLOAT_EQ(r.body.vtg.courseTrue, 339.1f);
                    EXPECT_FLOAT_EQ(r.body.vtg.courseMagnetic, 333.5f);
                    EXPECT_FLOAT_EQ(r.body.vtg.speedKmh, 0.1f);
                    EXPECT_EQ(r.body.vtg.kmhUnit, 'K');
                  }},
        // $GPZDA,112257.00,22,03,2012,,*66
        ValueCase{"ZDA", "polarx2.log", 8,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    EXPECT_EQ(+r.body.zda.day, 22);
                    EXPECT_EQ(+r.body.zda.month, 3);
                    EXPECT_EQ(+r.body.zda.year, 2012);
                    EXPECT_EQ(+r.body.zda.zoneHours, kEmptyI8);
                  }},
        // $GPGRS,112257.00,1,-0.1,-0.3,-0.1,,,,,,,,,*4C
        ValueCase{"GRS", "polarx2.log", 9,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    EXPECT_EQ(r.body.grs.residualMode, '1');
                    EXPECT_FLOAT_EQ(r.body.grs.residuals[1], -0.3f);
                    EXPECT_FLOAT_EQ(r.body.grs.residuals[3], nmea::kEmptyReal);
                  }},
        // $GPGSA,A,2,10,13,23,,,,,,,,,,10.5,10.5,*1F
        ValueCase{"GSA", "polarx2.log", 10,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    EXPECT_EQ(+r.body.gsa.fixType, 2);
                    EXPECT_EQ(+r.body.gsa.satellites[2], 23);
                    EXPECT_EQ(+r.body.gsa.satellites[3], nmea::kNoSatellite);
                    EXPECT_FLOAT_EQ(r.body.gsa.hdop, 10.5f);
                    EXPECT_FLOAT_EQ(r.body.gsa.vdop, nmea::kEmptyReal);
                  }},
        // $GPGSV,5,1,17,02,46,305,,04,74,240,,05,14,290,,07,46,134,*74
        ValueCase{"GSV", "polarx2.log", 11,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    EXPECT_EQ(+r.body.gsv.total, 5);
                    EXPECT_EQ(+r.body.gsv.inView, 17);
                    EXPECT_EQ(+r.body.gsv.count, 4);
                    EXPECT_EQ(+r.body.gsv.ids[1], 4);
                    EXPECT_EQ(+r.body.gsv.elevations[1], 74);
                    EXPECT_EQ(+r.body.gsv.azimuths[3], 134);
                    EXPECT_EQ(+r.body.gsv.snr[3], kEmptyI8);
                  }},
        // $GNGNS,213712.000,4111.59903,N,11156.54809,W,AANN,13,0.93,01482.5,-016.5,,*52
        ValueCase{"GnsFourModeLetters", "ericsson-gru04-02-70sec.log", 2,
                  [](const SentenceRecord& r, const SentenceStore& store) {
                    EXPECT_EQ(std::string(r.body.gns.mode, 2), "AA");
                    EXPECT_EQ(std::string(r.body.gns.satellites, 2), "13");
                    EXPECT_FLOAT_EQ(r.body.gns.altitude, 1482.5f);
                    EXPECT_FLOAT_EQ(r.body.gns.geoidSeparation, -16.5f);
                    EXPECT_EQ(+store.Navigation().talker, 3)
                        << "GNS is kept with heading and speed";
                  }},
        // !AIVDO,1,1,,,B3aC3LP00063aj7RNpl03wSUwP06,0*43
        ValueCase{"VdoEmptyChannel", "ait250.log", 2,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    EXPECT_EQ(static_cast<unsigned char>(r.body.encapsulation.channel),
                              nmea::kEmptyByte);
                    EXPECT_STREQ(r.body.encapsulation.payload, "B3aC3LP00063aj7RNpl03wSUwP06");
                  }},
        // !AIVDM,1,1,,B,13njCt031t0DA=lN2:jKmad60l1p,0*12
        ValueCase{"VDM", "ait250.log", 3,
                  [](const SentenceRecord& r, const SentenceStore& store) {
                    EXPECT_EQ(r.body.encapsulation.channel, 'B');
                    EXPECT_STREQ(r.body.encapsulation.payload, "13njCt031t0DA=lN2:jKmad60l1p");
                    EXPECT_STREQ(store.Latest("VDM")->encapsulation.payload,
                                 "13njCt031t0DA=lN2:jKmad60l1p");
                  }},
        // $HEHDT,4.0,T*2B
        ValueCase{"HDT", "saab-r4.log", 10,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    EXPECT_STREQ(r.talker, "HE");
                    EXPECT_FLOAT_EQ(r.body.hdt.heading, 4.0f);
                    EXPECT_EQ(r.body.hdt.reference, 'T');
                  }},
        // $GPHDT,,T*1B: no heading yet
        ValueCase{"HdtEmpty", "hemi.log", 1,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    EXPECT_FLOAT_EQ(r.body.hdt.heading, 511.0f);
                  }},
        // $GNHDT,244.28,T*13
        ValueCase{"HdtGn", "skytraq-PX1172RH_DS.log", 15,
                  [](const SentenceRecord& r, const SentenceStore& store) {
                    EXPECT_FLOAT_EQ(r.body.hdt.heading, 244.28f);
                    EXPECT_EQ(+store.Navigation().talker, 3);
                  }},
        // $APROT,0.013,A*35
        ValueCase{"ROT", "pypilot.log", 4,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    EXPECT_FLOAT_EQ(r.body.rot.rate, 0.013f);
                    EXPECT_EQ(r.body.rot.status, 'A');
                  }},
        // $GPTXT,01,01,02,u-blox ag - www.u-blox.com*50
        ValueCase{"TXT", "bt451.log", 1,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    EXPECT_EQ(+r.body.txt.identifier, 2);
                    EXPECT_STREQ(r.body.txt.text, "u-blox ag - www.u-blox.com");
                  }},
        // $GPGRS,150119.000,1,-0.33,-2.59,3.03,-0.09,-2.98,7.12,-15.6,17.0,,,,*5A
        ValueCase{"GrsEightResiduals", "quectel-L70.log", 5,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    EXPECT_FLOAT_EQ(r.body.grs.residuals[0], -0.33f);
                    EXPECT_FLOAT_EQ(r.body.grs.residuals[6], -15.6f);
                    EXPECT_FLOAT_EQ(r.body.grs.residuals[7], 17.0f);
                    EXPECT_FLOAT_EQ(r.body.grs.residuals[8], nmea::kEmptyReal);
                  }},
        // $INGGA,194104,4426.1138,N,07140.5536,W,2,10,0.9,267.9,M,,,,*13
        ValueCase{"GgaTalkerIn", "humminbird-M37.log", 10,
                  [](const SentenceRecord& r, const SentenceStore& store) {
                    EXPECT_NEAR(r.body.gga.position.latitude, 44.4352300, 1e-5);
                    EXPECT_NEAR(r.body.gga.position.longitude, -71.6758933, 1e-5);
                    EXPECT_EQ(+r.body.gga.quality, 2);
                    EXPECT_EQ(+r.body.gga.satellites, 10);
                    EXPECT_FLOAT_EQ(r.body.gga.altitude, 267.9f);
                    EXPECT_FLOAT_EQ(r.body.gga.geoidSeparation, nmea::kEmptyReal);
                    EXPECT_EQ(+store.Gnss().talker, 6);
                  }},
        // $GPRMC,132820.60,A,4134.49821229,N,09345.03351845,W,3.252,92.308,180320,11.5985,E,D*1A
        ValueCase{"RmcEightDecimals", "nmea-fuzzy-cases.log", 2,
                  [](const SentenceRecord& r, const SentenceStore&) {
                    const nmea::RmcBody& b = r.body.rmc;
                    EXPECT_EQ(+b.time.hundredths, 60);
                    EXPECT_NEAR(b.position.latitude, 41.5749702, 1e-5);
                    EXPECT_NEAR(b.position.longitude, -93.7505586, 1e-5);
                    EXPECT_FLOAT_EQ(b.speed, 3.252f);
                    EXPECT_FLOAT_EQ(b.variation, 11.5985f);
                    EXPECT_EQ(b.mode, 'D');
                  }}),
    [](const testing::TestParamInfo<ValueCase>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace store
