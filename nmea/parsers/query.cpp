// Queries: the standard query sentence, and the AIQ / Smg pair.

#include <cstring>

#include "nmea/parsers.h"
#include "nmea/parsers/field_reader.h"

namespace nmea {

// $AIGPQ,GGA*2B   (talker AI asks talker GP; Q in the sixth character)
//        1
// 1 the formatter asked for
ParseStatus ParseQuery(FieldReader& in, SentenceRecord& record) {
  in.TextAsReceived(record.body.query.requested, sizeof record.body.query.requested);
  return in.Status();
}

// $xxAIQ,Smg,3*hh
//        1   2
// 1 the sentence asked for, which must be Smg exactly, 2 a number
ParseStatus ParseAIQ(FieldReader& in, SentenceRecord& record) {
  AiqBody& body = record.body.aiq;
  const char* requested = in.Next();
  if (requested == nullptr || std::strcmp(requested, "Smg") != 0) return ParseStatus::Range;
  CopyCut(body.requested, sizeof body.requested, requested);
  body.number = in.Integer<std::uint8_t>(0);
  return in.Status();
}

// $xxSmg,SOME TEXT,3*hh
//        1         2
// 1 text, 2 a number (kept at the end of the body)
ParseStatus ParseSmg(FieldReader& in, SentenceRecord& record) {
  SmgBody& body = record.body.smg;
  in.TextAsReceived(body.text, sizeof body.text);
  body.number = in.Integer<std::uint8_t>(0);
  return in.Status();
}

}  // namespace nmea
