#pragma once
// The per-formatter composers, reached through the compose table. Each
// writes one sentence from its start character up to its last data field
// (no checksum) from the record's body, with one formatted print.

#include <span>

#include "nmea/sentence_record.h"

namespace nmea {

// Returns false only when the sentence does not fit into `out`; a truncated
// sentence is never sent.
using SentenceComposer = bool (*)(std::span<char> out, const SentenceRecord& record);

bool ComposeABK(std::span<char> out, const SentenceRecord& record);
bool ComposeABM(std::span<char> out, const SentenceRecord& record);
bool ComposeACA(std::span<char> out, const SentenceRecord& record);
bool ComposeACK(std::span<char> out, const SentenceRecord& record);
bool ComposeACS(std::span<char> out, const SentenceRecord& record);
bool ComposeALR(std::span<char> out, const SentenceRecord& record);
bool ComposeBBM(std::span<char> out, const SentenceRecord& record);
bool ComposeBDY(std::span<char> out, const SentenceRecord& record);
bool ComposeBTH(std::span<char> out, const SentenceRecord& record);
bool ComposeDBG(std::span<char> out, const SentenceRecord& record);
bool ComposeFRQ(std::span<char> out, const SentenceRecord& record);
bool ComposeGBS(std::span<char> out, const SentenceRecord& record);
bool ComposeGSA(std::span<char> out, const SentenceRecord& record);
bool ComposeHDT(std::span<char> out, const SentenceRecord& record);
bool ComposeMID(std::span<char> out, const SentenceRecord& record);
bool ComposeMOB(std::span<char> out, const SentenceRecord& record);
bool ComposeRMC(std::span<char> out, const SentenceRecord& record);
bool ComposeSSD(std::span<char> out, const SentenceRecord& record);
bool ComposeTPS(std::span<char> out, const SentenceRecord& record);
bool ComposeTST(std::span<char> out, const SentenceRecord& record);
bool ComposeVDM(std::span<char> out, const SentenceRecord& record);
bool ComposeVDO(std::span<char> out, const SentenceRecord& record);
bool ComposeVSD(std::span<char> out, const SentenceRecord& record);

}  // namespace nmea
