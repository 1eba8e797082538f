#pragma once
// The per-formatter parsers, reached through the formatter table. Each reads
// the data fields of one sentence (an empty field reads as a single space)
// into the record's body; the dispatch has already filled the header and
// checked the field count.

#include <cstdint>

#include "nmea/sentence_record.h"

namespace nmea {

// Why a parser refused a sentence; Accepted when it took it.
enum class ParseStatus : std::uint8_t {
  Accepted,
  FieldCount,  // more or fewer fields than the formatter has
  Range,       // a value outside its accepted range
  Length,      // a field of the wrong length (payloads, VTG references, MOB bytes)
  NotHex,      // a field that must be hexadecimal is not
};

class FieldReader;

// Reads the fields through `in`, which holds as many as the formatter table
// allows for the formatter; the parser's result is in.Status() unless it
// refuses a field by a rule of its own.
using SentenceParser = ParseStatus (*)(FieldReader& in, SentenceRecord& record);

ParseStatus ParseABK(FieldReader& in, SentenceRecord& record);
ParseStatus ParseABM(FieldReader& in, SentenceRecord& record);
ParseStatus ParseACA(FieldReader& in, SentenceRecord& record);
ParseStatus ParseACK(FieldReader& in, SentenceRecord& record);
ParseStatus ParseACS(FieldReader& in, SentenceRecord& record);
ParseStatus ParseAIQ(FieldReader& in, SentenceRecord& record);
ParseStatus ParseALR(FieldReader& in, SentenceRecord& record);
ParseStatus ParseBBM(FieldReader& in, SentenceRecord& record);
ParseStatus ParseBDY(FieldReader& in, SentenceRecord& record);
ParseStatus ParseBTH(FieldReader& in, SentenceRecord& record);
ParseStatus ParseDBG(FieldReader& in, SentenceRecord& record);
ParseStatus ParseDTM(FieldReader& in, SentenceRecord& record);
ParseStatus ParseFRQ(FieldReader& in, SentenceRecord& record);
ParseStatus ParseGBS(FieldReader& in, SentenceRecord& record);
ParseStatus ParseGGA(FieldReader& in, SentenceRecord& record);
ParseStatus ParseGLL(FieldReader& in, SentenceRecord& record);
ParseStatus ParseGNS(FieldReader& in, SentenceRecord& record);
ParseStatus ParseGRS(FieldReader& in, SentenceRecord& record);
ParseStatus ParseGSA(FieldReader& in, SentenceRecord& record);
ParseStatus ParseGST(FieldReader& in, SentenceRecord& record);
ParseStatus ParseGSV(FieldReader& in, SentenceRecord& record);
ParseStatus ParseHDT(FieldReader& in, SentenceRecord& record);
ParseStatus ParseMID(FieldReader& in, SentenceRecord& record);
ParseStatus ParseMOB(FieldReader& in, SentenceRecord& record);
ParseStatus ParseOSD(FieldReader& in, SentenceRecord& record);
ParseStatus ParseQuery(FieldReader& in, SentenceRecord& record);
ParseStatus ParseRMA(FieldReader& in, SentenceRecord& record);
ParseStatus ParseRMC(FieldReader& in, SentenceRecord& record);
ParseStatus ParseROT(FieldReader& in, SentenceRecord& record);
ParseStatus ParseSSD(FieldReader& in, SentenceRecord& record);
ParseStatus ParseSmg(FieldReader& in, SentenceRecord& record);
ParseStatus ParseTPS(FieldReader& in, SentenceRecord& record);
ParseStatus ParseTST(FieldReader& in, SentenceRecord& record);
ParseStatus ParseTXT(FieldReader& in, SentenceRecord& record);
ParseStatus ParseVBW(FieldReader& in, SentenceRecord& record);
ParseStatus ParseVDM(FieldReader& in, SentenceRecord& record);
ParseStatus ParseVDO(FieldReader& in, SentenceRecord& record);
ParseStatus ParseVSD(FieldReader& in, SentenceRecord& record);
ParseStatus ParseVTG(FieldReader& in, SentenceRecord& record);
ParseStatus ParseWPL(FieldReader& in, SentenceRecord& record);
ParseStatus ParseZDA(FieldReader& in, SentenceRecord& record);

}  // namespace nmea
