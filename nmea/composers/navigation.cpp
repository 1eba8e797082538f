// Heading written from the record.

#include "nmea/compose_format.h"
#include "nmea/composers.h"

namespace nmea {

// $HEHDT,ddd.d,T
bool ComposeHDT(std::span<char> out, const SentenceRecord& record) {
  const float heading = record.body.hdt.heading;
  return PrintSentence(out, "$%s%s,%s,T", record.talker, record.formatter,
                       FieldIf(heading >= 0.0f && heading < 360.0f, "%3.1f", heading).c_str());
}

}  // namespace nmea
