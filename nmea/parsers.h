#pragma once
// The per-formatter parsers, reached through the parse table. Each reads the
// data fields of one expanded sentence (an empty field is a single space)
// into the record's body; the dispatch has already filled the header.

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

using SentenceParser = ParseStatus (*)(char* sentence, SentenceRecord& record);

ParseStatus ParseABK(char* sentence, SentenceRecord& record);
ParseStatus ParseABM(char* sentence, SentenceRecord& record);
ParseStatus ParseACA(char* sentence, SentenceRecord& record);
ParseStatus ParseACK(char* sentence, SentenceRecord& record);
ParseStatus ParseACS(char* sentence, SentenceRecord& record);
ParseStatus ParseAIQ(char* sentence, SentenceRecord& record);
ParseStatus ParseALR(char* sentence, SentenceRecord& record);
ParseStatus ParseBBM(char* sentence, SentenceRecord& record);
ParseStatus ParseBDY(char* sentence, SentenceRecord& record);
ParseStatus ParseBTH(char* sentence, SentenceRecord& record);
ParseStatus ParseDBG(char* sentence, SentenceRecord& record);
ParseStatus ParseDTM(char* sentence, SentenceRecord& record);
ParseStatus ParseFRQ(char* sentence, SentenceRecord& record);
ParseStatus ParseGBS(char* sentence, SentenceRecord& record);
ParseStatus ParseGGA(char* sentence, SentenceRecord& record);
ParseStatus ParseGLL(char* sentence, SentenceRecord& record);
ParseStatus ParseGNS(char* sentence, SentenceRecord& record);
ParseStatus ParseGRS(char* sentence, SentenceRecord& record);
ParseStatus ParseGSA(char* sentence, SentenceRecord& record);
ParseStatus ParseGST(char* sentence, SentenceRecord& record);
ParseStatus ParseGSV(char* sentence, SentenceRecord& record);
ParseStatus ParseHDT(char* sentence, SentenceRecord& record);
ParseStatus ParseMID(char* sentence, SentenceRecord& record);
ParseStatus ParseMOB(char* sentence, SentenceRecord& record);
ParseStatus ParseOSD(char* sentence, SentenceRecord& record);
ParseStatus ParseQuery(char* sentence, SentenceRecord& record);
ParseStatus ParseRMA(char* sentence, SentenceRecord& record);
ParseStatus ParseRMC(char* sentence, SentenceRecord& record);
ParseStatus ParseROT(char* sentence, SentenceRecord& record);
ParseStatus ParseSSD(char* sentence, SentenceRecord& record);
ParseStatus ParseSmg(char* sentence, SentenceRecord& record);
ParseStatus ParseTPS(char* sentence, SentenceRecord& record);
ParseStatus ParseTST(char* sentence, SentenceRecord& record);
ParseStatus ParseTXT(char* sentence, SentenceRecord& record);
ParseStatus ParseVBW(char* sentence, SentenceRecord& record);
ParseStatus ParseVDM(char* sentence, SentenceRecord& record);
ParseStatus ParseVDO(char* sentence, SentenceRecord& record);
ParseStatus ParseVSD(char* sentence, SentenceRecord& record);
ParseStatus ParseVTG(char* sentence, SentenceRecord& record);
ParseStatus ParseWPL(char* sentence, SentenceRecord& record);
ParseStatus ParseZDA(char* sentence, SentenceRecord& record);

}  // namespace nmea
