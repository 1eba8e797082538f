// Formatters whose parser or composer is not written yet: the tables
// already list them, and they refuse every sentence until they are.

#include "nmea/composers.h"
#include "nmea/parsers.h"

namespace nmea {

ParseStatus ParseABK(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseACA(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseACK(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseACS(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseAIQ(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseALR(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseBDY(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseBTH(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseDBG(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseDTM(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseFRQ(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseGBS(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseGGA(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseGLL(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseGNS(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseGRS(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseGSA(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseGST(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseGSV(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseHDT(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseMID(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseMOB(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseOSD(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseQuery(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseRMA(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseRMC(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseROT(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseSSD(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseSmg(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseTPS(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseTST(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseTXT(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseVBW(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseVSD(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseVTG(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseWPL(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }
ParseStatus ParseZDA(char*, SentenceRecord&) { return ParseStatus::NotBuilt; }

bool ComposeABK(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeACA(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeACK(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeACS(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeALR(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeBDY(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeBTH(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeDBG(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeFRQ(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeGBS(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeGSA(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeHDT(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeMID(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeMOB(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeRMC(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeSSD(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeTPS(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeTST(std::span<char>, const SentenceRecord&) { return false; }
bool ComposeVSD(std::span<char>, const SentenceRecord&) { return false; }

}  // namespace nmea
