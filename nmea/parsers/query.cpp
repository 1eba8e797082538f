// Queries: the standard query sentence, and the AIQ / Smg pair.

#include <cstring>

#include "nmea/parsers.h"
#include "nmea/parsers/field_reader.h"

namespace nmea {

// $AIGPQ,GGA*2B   (talker AI asks talker GP; Q in the sixth character)
//        1
// 1 the formatter asked for
ParseStatus ParseQuery(char* sentence, SentenceRecord& record) {
  if (!HasFieldCount(sentence, 1)) return ParseStatus::FieldCount;
  FieldReader in(sentence, 1);
  in.TextAsReceived(record.body.query.requested, sizeof record.body.query.requested);
  return in.Status();
}

// $xxAIQ,Smg,3*hh
//        1   2
// 1 the sentence asked for, which must be Smg exactly, 2 a number
ParseStatus ParseAIQ(char* sentence, SentenceRecord& record) {
  if (!HasFieldCount(sentence, 2)) return ParseStatus::FieldCount;
  AiqBody& body = record.body.aiq;
  FieldReader in(sentence, 2);
  const char* requested = in.Next();
  if (requested == nullptr || std::strcmp(requested, "Smg") != 0) return ParseStatus::Range;
  CopyCut(body.requested, sizeof body.requested, requested);
  body.number = in.Integer<std::uint8_t>(0);
  return in.Status();
}

// $xxSmg,SOME TEXT,3*hh
//        1         2
// 1 text, 2 a number (kept at the end of the body)
ParseStatus ParseSmg(char* sentence, SentenceRecord& record) {
  if (!HasFieldCount(sentence, 2)) return ParseStatus::FieldCount;
  SmgBody& body = record.body.smg;
  FieldReader in(sentence, 2);
  in.TextAsReceived(body.text, sizeof body.text);
  body.number = in.Integer<std::uint8_t>(0);
  return in.Status();
}

}  // namespace nmea
