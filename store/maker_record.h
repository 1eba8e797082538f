#pragma once
// The store's record of the maker's own sentences. The upgrade engine writes
// its DBG, TST and TPS commands here before composing them, and reads the
// device's DBG replies from here, clearing each slot's fresh flag as it
// takes the slot.
//
// A fresh flag is 1 once a value in range has arrived. Decoding only ever
// sets flags; a later sentence with empty fields leaves them set.

#include <cstdint>

namespace store {

#pragma pack(push, 1)

// Each sub-record holds its formatter's values under the names of the
// sentence body (nmea/sentence_bodies.h), and the fresh flags beside them.

struct MidRecord {
  std::uint32_t identifiers[2];
  std::uint8_t fresh[2];  // identifier i below kNoIdentifier
};

struct BdyRecord {
  std::uint32_t identifier;
  char text1[21];
  char text2[21];
  std::uint8_t flag1;
  std::uint8_t flag2;
  std::uint8_t fresh;  // identifier below kNoIdentifier, or else flag 2 is 1
};

struct TstRecord {
  std::uint32_t number;
  std::uint8_t twoDigit;
  char lowerLetter;
  std::uint8_t numberFresh;  // number below kNoTstNumber
  char upperLetter;
  std::uint8_t upperLetterFresh;  // upper-case letter A to Z
  std::uint16_t value;
  std::uint8_t valueFresh;  // value not kNoTstValue
};

struct FrqRecord {
  std::uint32_t identifiers[2];
  std::uint8_t levels[2];
  std::uint8_t fresh[2];  // identifier i below kNoIdentifier and level i at most 10
};

struct BthRecord {
  std::int16_t values[6];
  std::uint8_t fresh;  // none of the six above 255
  char text[25];
  std::uint8_t textFresh;  // text not empty
};

struct DbgRecord {
  std::int16_t codes[4];   // kNoCode (999) for an empty code
  std::int32_t values[4];  // kEmptyU32 (0x80000000) for an empty value
  std::uint8_t fresh[4];   // code i in 0 to 999
  char letter;             // letter of the last DBG received ($PZLX,<letter>,DBG); 0 for none
};

struct TpsRecord {
  std::int16_t number;
  char text[25];
  std::uint8_t fresh;  // number 0 or more
};

struct MobRecord {
  std::uint8_t identifier[3];
  std::uint8_t number;
  std::uint8_t code;
  std::uint8_t optional;  // taken only when hasOptional is not 0
  std::uint8_t hasOptional;
  std::uint8_t data[20];    // up to 19 bytes used
  std::uint8_t dataLength;  // 1 to 19, else 0
};

struct MakerRecord {
  MidRecord mid;
  BdyRecord bdy;
  TstRecord tst;
  FrqRecord frq;
  BthRecord bth;
  DbgRecord dbg;
  TpsRecord tps;
  MobRecord mob;
};

#pragma pack(pop)

static_assert(sizeof(MidRecord) == 10);
static_assert(sizeof(BdyRecord) == 49);
static_assert(sizeof(TstRecord) == 12);
static_assert(sizeof(FrqRecord) == 12);
static_assert(sizeof(BthRecord) == 39);
static_assert(sizeof(DbgRecord) == 29);
static_assert(sizeof(TpsRecord) == 28);
static_assert(sizeof(MobRecord) == 28);
static_assert(sizeof(MakerRecord) == 207);

}  // namespace store
