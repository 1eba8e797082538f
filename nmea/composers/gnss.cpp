// GNSS sentences written from the record: error estimates, satellites used
// and the recommended minimum fix.

#include "nmea/compose_format.h"
#include "nmea/composers.h"

namespace nmea {

// $GPGBS,hhmmss.cc,lat err,lon err,alt err,failed id,probability,bias,deviation
bool ComposeGBS(std::span<char> out, const SentenceRecord& record) {
  const GbsBody& b = record.body.gbs;
  const SatelliteId failed = b.failedSatellite;
  return PrintSentence(out, "$%s%s,%s,%s,%s,%s,%s,%s,%s,%s", record.talker, record.formatter,
                       TimeText(b.time).c_str(),
                       FieldIf(HasReal(b.latitudeError), "%4.2f", b.latitudeError).c_str(),
                       FieldIf(HasReal(b.longitudeError), "%4.2f", b.longitudeError).c_str(),
                       FieldIf(HasReal(b.altitudeError), "%4.2f", b.altitudeError).c_str(),
                       FieldIf(failed <= kLastSatelliteId, "%d", failed).c_str(),
                       FieldIf(HasReal(b.missedProbability), "%4.2f", b.missedProbability).c_str(),
                       FieldIf(HasReal(b.bias), "%4.2f", b.bias).c_str(),
                       FieldIf(HasReal(b.biasDeviation), "%4.2f", b.biasDeviation).c_str());
}

// $GPGSA,mode,fix,id1,...,id12,PDOP,HDOP,VDOP
bool ComposeGSA(std::span<char> out, const SentenceRecord& record) {
  const GsaBody& b = record.body.gsa;
  // The twelve ids as one text that carries their separating commas.
  char ids[12 * 4 + 1] = "";
  std::size_t length = 0;
  for (int i = 0; i < 12; ++i) {
    const SatelliteId id = b.satellites[i];
    length +=
        static_cast<std::size_t>(id >= 1 && id <= kLastSatelliteId
                                     ? std::snprintf(ids + length, sizeof ids - length, "%02d,", id)
                                     : std::snprintf(ids + length, sizeof ids - length, ","));
  }
  return PrintSentence(out, "$%s%s,%c,%d,%s%s,%s,%s", record.talker, record.formatter, b.mode,
                       b.fixType, ids, FieldIf(HasReal(b.pdop), "%4.2f", b.pdop).c_str(),
                       FieldIf(HasReal(b.hdop), "%4.2f", b.hdop).c_str(),
                       FieldIf(HasReal(b.vdop), "%4.2f", b.vdop).c_str());
}

// $GPRMC,hhmmss.cc,status,ddmm.mmmmm,N,dddmm.mmmmm,E,speed,course,ddmmyy,variation,E/W,mode
bool ComposeRMC(std::span<char> out, const SentenceRecord& record) {
  const RmcBody& b = record.body.rmc;
  const auto direction = static_cast<unsigned char>(b.variationDirection);
  return PrintSentence(
      out, "$%s%s,%s,%c,%s,%s,%s,%s,%s,%s,%c", record.talker, record.formatter,
      TimeText(b.time).c_str(), b.status, PositionText(b.position, 5).c_str(),
      FieldIf(HasReal(b.speed), "%5.3f", b.speed).c_str(),
      FieldIf(HasReal(b.course), "%4.2f", b.course).c_str(), DateText(b.date).c_str(),
      FieldIf(HasReal(b.variation), "%4.2f", b.variation).c_str(),
      FieldIf(direction != kEmptyByte, "%c", b.variationDirection).c_str(), b.mode);
}

}  // namespace nmea
