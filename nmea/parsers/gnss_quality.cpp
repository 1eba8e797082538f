// GNSS quality: satellites used and in view, dilution of precision, error
// estimates and range residuals.

#include "nmea/parsers.h"
#include "nmea/parsers/field_reader.h"

namespace nmea {

// $GPGBS,015509.00,-0.031,-0.186,0.219,19,0.000,-0.354,6.972*4D
//        1         2      3      4     5  6     7      8
// 1 UTC time, 2-4 expected error in latitude, longitude and altitude,
// 5 failed satellite, 6 probability of missed detection, 7 estimated bias,
// 8 standard deviation of the bias
ParseStatus ParseGBS(FieldReader& in, SentenceRecord& record) {
  GbsBody& body = record.body.gbs;
  body.time = in.Time(body.time);
  body.latitudeError = in.Real(kEmptyReal);
  body.longitudeError = in.Real(kEmptyReal);
  body.altitudeError = in.Real(kEmptyReal);
  body.failedSatellite = in.Satellite();
  body.missedProbability = in.Real(kEmptyReal);
  body.bias = in.Real(kEmptyReal);
  body.biasDeviation = in.Real(kEmptyReal);
  return in.Status();
}

// $GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39
//        1 2 3                         15  16  17
// 1 mode, 2 fix type, 3-14 satellites used, 15 PDOP, 16 HDOP, 17 VDOP
ParseStatus ParseGSA(FieldReader& in, SentenceRecord& record) {
  GsaBody& body = record.body.gsa;
  body.mode = in.Char();
  body.fixType = in.Integer<std::uint8_t>(0);
  for (SatelliteId& id : body.satellites) id = in.Satellite();
  body.pdop = in.Real(kEmptyReal);
  body.hdop = in.Real(kEmptyReal);
  body.vdop = in.Real(kEmptyReal);
  return in.Status();
}

// $GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74
//        1 2 3  4  5  6   7  8 ...                                19
// 1 total sentences, 2 sentence number, 3 satellites in view, then for each
// of one to four satellites: id, elevation, azimuth, signal-to-noise ratio.
// The field count (7, 11, 15 or 19, the formatter table's rule) tells how
// many satellites follow.
ParseStatus ParseGSV(FieldReader& in, SentenceRecord& record) {
  GsvBody& body = record.body.gsv;
  const auto empty = static_cast<std::int8_t>(kEmptyByte);
  body.total = body.number = empty;
  body.inView = body.count = kEmptyByte;
  for (int i = 0; i < 4; ++i) {
    body.ids[i] = kNoSatellite;
    body.elevations[i] = body.snr[i] = empty;
    body.azimuths[i] = kNoAzimuth;
  }
  body.count = static_cast<std::uint8_t>((in.Count() - 3) / 4);

  body.total = in.Integer<std::int8_t>(0, 0, 9);
  body.number = in.Integer<std::int8_t>(0, 0, 9);
  body.inView = in.Integer<std::uint8_t>(0);
  for (int i = 0; i < body.count; ++i) {
    body.ids[i] = in.Satellite();
    body.elevations[i] = in.Integer<std::int8_t>(kEmptyByte, 0, 90);
    body.azimuths[i] = in.Integer<std::uint16_t>(kNoAzimuth, 0, 359);
    body.snr[i] = in.Integer<std::int8_t>(kEmptyByte, 0, 99);
  }
  return in.Status();
}

// $GPGRS,024603.00,1,-1.8,-2.7,0.3,,,,,,,,,*6C
//        1         2 3                    14
// 1 UTC time, 2 residual mode, 3-14 range residuals of the satellites used
ParseStatus ParseGRS(FieldReader& in, SentenceRecord& record) {
  GrsBody& body = record.body.grs;
  body.time = in.Time(body.time);
  body.residualMode = in.Char();
  for (int i = 0; i < 12; ++i) body.residuals[i] = in.Real(kEmptyReal);
  return in.Status();
}

// $GPGST,024603.00,3.2,6.6,4.7,47.3,5.8,5.6,22.0*58
//        1         2   3   4   5    6   7   8
// 1 UTC time, 2 RMS of the pseudorange residuals, 3 semi-major error,
// 4 semi-minor error, 5 orientation, 6 latitude error, 7 longitude error,
// 8 altitude error
ParseStatus ParseGST(FieldReader& in, SentenceRecord& record) {
  GstBody& body = record.body.gst;
  body.time = in.Time(body.time);
  body.rms = in.Real(kEmptyReal);
  body.semiMajor = in.Real(kEmptyReal);
  body.semiMinor = in.Real(kEmptyReal);
  body.orientation = in.Real(kEmptyReal);
  body.latitudeError = in.Real(kEmptyReal);
  body.longitudeError = in.Real(kEmptyReal);
  body.altitudeError = in.Real(kEmptyReal);
  return in.Status();
}

}  // namespace nmea
