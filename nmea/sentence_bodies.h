#pragma once
// Body layouts of SentenceRecord, one packed structure per formatter (or per
// group of formatters sharing a layout), overlaid in one 83-byte union. The
// parse side and the compose side use the same layout for a formatter.
//
// Sentinels stored for an empty field are noted per field; fields without a
// note read an empty numeric field as 0 and an empty character as a space.
// Text fields are NUL-terminated; a longer field is cut at the capacity.

#include <cstddef>
#include <cstdint>

namespace nmea {

inline constexpr std::size_t kSentenceBodySize = 83;

// The values that stand for a missing one, shared by the parsers (which
// store them for an empty field), the composers (which write them as an
// empty field) and the record store. Those of a single body are named
// beside it.
inline constexpr std::uint8_t kEmptyByte = 0x80;         // one-byte numbers and characters
inline constexpr std::uint32_t kEmptyU32 = 0x80000000u;  // 32-bit values
inline constexpr float kEmptyReal = -100000.0f;
inline constexpr float kRealPresentFrom = -99999.0f;  // a real below it is missing
inline constexpr float kNoLatitude = 91.0f;
inline constexpr float kNoLongitude = 181.0f;
inline constexpr std::uint8_t kNoHour = 24;                // a time from hour 24 on is missing
inline constexpr std::uint32_t kNoIdentifier = 999999999;  // MID, BDY, FRQ: from it on
inline constexpr std::int16_t kNoCode = 999;               // DBG, TPS: from it on

#pragma pack(push, 1)

// The groups that several formatters share.
struct UtcTime {
  std::uint8_t hour;  // 24 when empty (minute and second then 60)
  std::uint8_t minute;
  std::uint8_t second;
  std::uint8_t hundredths;  // left as it was when empty
};

struct Position {
  float latitude;   // degrees, negative south; 91.0 when empty
  float longitude;  // degrees, negative west; 181.0 when empty
};

struct Date {
  std::uint16_t year;  // 0 when empty (so are month and day)
  std::uint8_t month;
  std::uint8_t day;
};

// Encapsulation sentences: VDM, VDO, ABM, BBM. The channel byte is the
// received character on the parse side and a channel number on the compose
// side; messageId is used by ABM and BBM, destination by ABM only.
struct EncapsulationBody {
  std::int8_t total;
  std::int8_t number;
  std::int8_t sequenceId;  // 0x80 when empty
  std::int8_t fillBits;    // 0x80 when empty
  char payload[64];        // at most 63 characters and NUL
  char channel;            // 0x80 when empty
  std::int8_t messageId;
  std::uint32_t destination;
};

// Query sentence: the formatter asked for.
struct QueryBody {
  char requested[kSentenceBodySize];
};

// --- GNSS ---------------------------------------------------------------

struct GgaBody {
  UtcTime time;
  Position position;
  std::uint8_t quality;    // 0x80 when empty
  std::int8_t satellites;  // 0x80 when empty; 0-12
  float hdop;              // -100000 when empty; 0.0-99.9
  float altitude;          // -100000 when empty
  char altitudeUnit;
  float geoidSeparation;  // -100000 when empty
  char separationUnit;
  float differentialAge;             // -100000 when empty
  std::int16_t differentialStation;  // kNoStation when empty; 0-1023
};
inline constexpr std::int16_t kNoStation = -1;

struct GllBody {
  Position position;
  UtcTime time;
  char status;
  char mode;
};

struct GnsBody {
  UtcTime time;
  Position position;
  char mode[2];        // first two characters of the field, not terminated
  char satellites[2];  // first two characters of the field, not terminated
  float hdop;          // -100000 when empty; 0.0-99.9
  float altitude;      // this and the three below: -100000 when empty
  float geoidSeparation;
  float differentialAge;
  float differentialStation;
};

struct RmaBody {
  Position position;
  char status;
};

struct RmcBody {
  UtcTime time;
  char status;
  Position position;
  float speed;   // knots; -100000 when empty
  float course;  // degrees true; -100000 when empty
  Date date;
  float variation;          // -100000 when empty
  char variationDirection;  // 0x80 when empty
  char mode;
};

struct VtgBody {
  float courseTrue;          // -100000 when empty
  char courseTrueReference;  // 0x80 when empty; exactly one character
  float courseMagnetic;
  char courseMagneticReference;
  float speedKnots;
  char knotsUnit;
  float speedKmh;
  char kmhUnit;
  char mode;
};

inline constexpr std::uint16_t kNoYear = 65535;
struct ZdaBody {
  UtcTime time;
  std::uint16_t year;       // kNoYear when empty
  std::int8_t month;        // 0x80 when empty; 1-12
  std::int8_t day;          // 0x80 when empty; 1-31
  std::int8_t zoneHours;    // 0x80 when empty; -13 to 13
  std::int8_t zoneMinutes;  // 0x80 when empty; 0-59
};

// The datum codes are three characters in practice; a longer code is cut.
struct DtmBody {
  char localDatum[4];
  char subdivision;       // 0 when empty
  float latitudeOffset;   // minutes; this and the two below keep their
  float longitudeOffset;  // value when the field is empty
  float altitudeOffset;
  char referenceDatum[4];  // kept when empty
};

// Satellite ids run past 127 (SBAS 120-158, QZSS 193-237, and three-digit
// ids from some receivers), so every id has two bytes: 0-999, or
// kNoSatellite when empty.
using SatelliteId = std::uint16_t;
inline constexpr SatelliteId kNoSatellite = 0xFFFF;
inline constexpr SatelliteId kLastSatelliteId = 999;

struct GbsBody {
  UtcTime time;
  float latitudeError;  // every real here: -100000 when empty
  float longitudeError;
  float altitudeError;
  SatelliteId failedSatellite;  // kNoSatellite when empty
  float missedProbability;
  float bias;
  float biasDeviation;
};

struct GsaBody {
  char mode;
  std::uint8_t fixType;
  SatelliteId satellites[12];  // kNoSatellite when empty
  float pdop;                  // -100000 when empty, as HDOP and VDOP
  float hdop;
  float vdop;
};

inline constexpr std::uint16_t kNoAzimuth = 65535;
struct GsvBody {
  std::int8_t total;
  std::int8_t number;
  std::uint8_t inView;
  std::uint8_t count;         // satellites in this sentence, 1-4
  SatelliteId ids[4];         // kNoSatellite when empty or not sent
  std::int8_t elevations[4];  // 0x80 when empty or not sent; 0-90
  std::uint16_t azimuths[4];  // kNoAzimuth when empty or not sent; 0-359
  std::int8_t snr[4];         // 0x80 when empty or not sent; 0-99
};

struct GrsBody {
  UtcTime time;
  char residualMode;
  float residuals[12];  // -100000 when empty
};

struct GstBody {
  UtcTime time;
  float rms;  // every real here: -100000 when empty
  float semiMajor;
  float semiMinor;
  float orientation;
  float latitudeError;
  float longitudeError;
  float altitudeError;
};

// --- heading, speed and waypoints ----------------------------------------

inline constexpr float kNoHeading = 511.0f;
struct HdtBody {
  float heading;  // kNoHeading when empty
  char reference;
};

struct RotBody {
  float rate;  // -100000 when empty
  char status;
};

struct VbwBody {
  float waterLongitudinal;
  float waterTransverse;
  char waterStatus;
  float groundLongitudinal;
  float groundTransverse;
  char groundStatus;
};

struct OsdBody {
  float heading;
  char headingStatus;
  float course;
  char courseReference;
  float speed;
  char speedReference;
  float set;
  float drift;
  char speedUnits;
};

struct WplBody {
  Position position;
  char identifier[75];  // as received; cut when longer
};

// --- AIS station ----------------------------------------------------------

struct AbkBody {
  std::uint32_t mmsi;
  std::int8_t channel;  // 0 for A, 1 for B; 0x80 when empty
  std::int8_t messageId;
  std::int8_t sequenceNumber;
  std::int8_t acknowledgementType;
};

struct AcaBody {
  std::uint8_t sequenceNumber;
  Position northEast;
  Position southWest;
  std::uint8_t transitionZone;
  std::uint16_t channelA;
  std::uint8_t bandwidthA;
  std::uint16_t channelB;
  std::uint8_t bandwidthB;
  std::uint8_t txRxMode;
  std::uint8_t powerLevel;
  char source;  // information source; written empty when 0
  std::uint8_t inUse;
  UtcTime inUseChanged;
};

inline constexpr std::uint16_t kNoAlarmId = 1000;  // from it on
struct AckBody {
  std::uint16_t alarmId;  // kNoAlarmId when empty
};

struct AcsBody {
  std::uint8_t sequenceNumber;
  std::uint32_t mmsi;
  UtcTime time;
  std::uint8_t day;
  std::uint8_t month;
  std::uint16_t year;
};

struct AlrBody {
  UtcTime time;
  std::uint16_t alarmId;
  char condition;
  char acknowledgement;
  char text[75];  // as received (a single space when empty); cut when longer
};

inline constexpr std::uint16_t kNoReferenceAB = 512;  // from it on
inline constexpr std::uint8_t kNoReferenceCD = 64;    // from it on
inline constexpr std::uint8_t kNoDte = 2;             // from it on
struct SsdBody {
  char callSign[8];          // at most 7 characters, cut
  char name[21];             // at most 20 characters, cut
  std::uint16_t referenceA;  // kNoReferenceAB when empty
  std::uint16_t referenceB;  // kNoReferenceAB when empty
  std::uint8_t referenceC;   // kNoReferenceCD when empty
  std::uint8_t referenceD;   // kNoReferenceCD when empty
  std::uint8_t dte;          // kNoDte when empty
  char source[47];           // as received (a single space when empty); cut
};

inline constexpr std::uint16_t kNoShipType = 256;  // from it on
inline constexpr std::uint16_t kNoPersons = 8192;  // from it on
inline constexpr std::uint8_t kNoEtaDay = 32;      // from it on
inline constexpr std::uint8_t kNoEtaMonth = 13;    // from it on
struct VsdBody {
  std::uint16_t shipType;  // modulo 256; kNoShipType when empty
  float draught;           // -100000 when empty
  std::uint16_t persons;   // kNoPersons when empty
  char destination[21];    // at most 20 characters, cut
  UtcTime eta;
  std::uint8_t etaDay;              // kNoEtaDay when empty
  std::uint8_t etaMonth;            // kNoEtaMonth when empty
  std::uint8_t navigationalStatus;  // 0x80 when empty
  std::uint8_t regionalFlags;
};

struct TxtBody {
  std::int8_t total;       // 0x80 when empty; 1-99
  std::int8_t number;      // 0x80 when empty; 1-99
  std::int8_t identifier;  // 0x80 when empty; 1-99
  char text[62];           // cleared first; at most 61 characters, cut
};

// AIQ asks for an Smg sentence.
struct AiqBody {
  char requested[4];
  std::uint8_t number;
};

// The number sits at the very end of the body.
struct SmgBody {
  char text[80];  // at most 79 characters, cut
  std::uint8_t unused[2];
  std::uint8_t number;
};

// --- maker sentences --------------------------------------------------------

struct MidBody {
  std::uint32_t identifiers[2];  // kNoIdentifier when empty
};

inline constexpr std::uint8_t kNoFlag = 9;
struct BdyBody {
  std::uint32_t identifier;  // kNoIdentifier when empty
  char text1[21];            // at most 20 characters, cut; empty text when empty
  char text2[21];
  std::uint8_t flag1;  // kNoFlag when empty
  std::uint8_t flag2;  // kNoFlag when empty
};

inline constexpr std::uint32_t kNoTstNumber = 99999;  // from it on
inline constexpr std::uint8_t kNoTwoDigit = 99;       // from it on
inline constexpr std::uint16_t kNoTstValue = 65535;
struct TstBody {
  std::uint32_t number;   // kNoTstNumber when empty
  std::uint8_t twoDigit;  // kNoTwoDigit when empty
  char lowerLetter;       // first character (a space when empty)
  char upperLetter;       // first character (a space when empty)
  std::uint16_t value;    // kNoTstValue when empty
};

struct FrqBody {
  std::uint32_t identifiers[2];  // kNoIdentifier when empty
  std::uint8_t levels[2];        // 0x80 when empty
};

inline constexpr std::int16_t kNoBthValue = 256;  // from it on
struct BthBody {
  std::int16_t values[6];  // kNoBthValue when empty
  char text[71];           // empty text when empty; cut when longer
};

struct DbgBody {
  std::int16_t codes[4];   // kNoCode when empty
  std::int32_t values[4];  // kEmptyU32 when empty
};

struct TpsBody {
  std::int16_t number;  // kNoCode when empty
  char text[81];        // empty text when empty; cut when longer
};

inline constexpr std::uint8_t kNoMobByte = 255;
struct MobBody {
  std::uint8_t identifier[3];  // six hexadecimal digits; 0 0 0 otherwise
  std::uint8_t number;         // kNoMobByte when empty
  std::uint8_t code;           // hexadecimal; kNoMobByte when empty
  std::uint8_t optional;       // hexadecimal, valid when hasOptional is 1
  std::uint8_t hasOptional;
  std::uint8_t data[20];
  std::uint8_t dataLength;  // 0 when the data field is empty or unusable
};

union SentenceBody {
  std::uint8_t bytes[kSentenceBodySize];
  EncapsulationBody encapsulation;
  QueryBody query;
  GgaBody gga;
  GllBody gll;
  GnsBody gns;
  RmaBody rma;
  RmcBody rmc;
  VtgBody vtg;
  ZdaBody zda;
  DtmBody dtm;
  GbsBody gbs;
  GsaBody gsa;
  GsvBody gsv;
  GrsBody grs;
  GstBody gst;
  HdtBody hdt;
  RotBody rot;
  VbwBody vbw;
  OsdBody osd;
  WplBody wpl;
  AbkBody abk;
  AcaBody aca;
  AckBody ack;
  AcsBody acs;
  AlrBody alr;
  SsdBody ssd;
  VsdBody vsd;
  TxtBody txt;
  AiqBody aiq;
  SmgBody smg;
  MidBody mid;
  BdyBody bdy;
  TstBody tst;
  FrqBody frq;
  BthBody bth;
  DbgBody dbg;
  TpsBody tps;
  MobBody mob;
};

#pragma pack(pop)

static_assert(sizeof(UtcTime) == 4);
static_assert(sizeof(Position) == 8);
static_assert(sizeof(Date) == 4);
static_assert(sizeof(EncapsulationBody) == 74);
static_assert(sizeof(QueryBody) == kSentenceBodySize);
static_assert(sizeof(GgaBody) == 34);
static_assert(sizeof(GllBody) == 14);
static_assert(sizeof(GnsBody) == 36);
static_assert(sizeof(RmaBody) == 9);
static_assert(sizeof(RmcBody) == 31);
static_assert(sizeof(VtgBody) == 21);
static_assert(sizeof(ZdaBody) == 10);
static_assert(sizeof(DtmBody) == 21);
static_assert(sizeof(GbsBody) == 30);
static_assert(sizeof(GsaBody) == 38);
static_assert(sizeof(GsvBody) == 28);
static_assert(sizeof(GrsBody) == 53);
static_assert(sizeof(GstBody) == 32);
static_assert(sizeof(HdtBody) == 5);
static_assert(sizeof(RotBody) == 5);
static_assert(sizeof(VbwBody) == 18);
static_assert(sizeof(OsdBody) == 24);
static_assert(sizeof(WplBody) == kSentenceBodySize);
static_assert(sizeof(AbkBody) == 8);
static_assert(sizeof(AcaBody) == 32);
static_assert(sizeof(AckBody) == 2);
static_assert(sizeof(AcsBody) == 13);
static_assert(sizeof(AlrBody) == kSentenceBodySize);
static_assert(sizeof(SsdBody) == kSentenceBodySize);
static_assert(sizeof(VsdBody) == 37);
static_assert(sizeof(TxtBody) == 65);
static_assert(sizeof(AiqBody) == 5);
static_assert(sizeof(SmgBody) == kSentenceBodySize);
static_assert(sizeof(MidBody) == 8);
static_assert(sizeof(BdyBody) == 48);
static_assert(sizeof(TstBody) == 9);
static_assert(sizeof(FrqBody) == 10);
static_assert(sizeof(BthBody) == kSentenceBodySize);
static_assert(sizeof(DbgBody) == 24);
static_assert(sizeof(TpsBody) == kSentenceBodySize);
static_assert(sizeof(MobBody) == 28);
static_assert(sizeof(SentenceBody) == kSentenceBodySize);

}  // namespace nmea
