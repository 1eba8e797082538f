// The AIS target table: entries by MMSI, the own station, eviction of the
// station heard longest ago, the fold-in per message, and the latest-message
// buffers.

#include "store/ais_targets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ais_test_support.h"
#include "fake_clock.h"

namespace store {
namespace {

using namespace testing_support;

AisDecodedRecord RecordOf(const AisMessageBuilder& m) {
  const Decoded d = DecodeBits(m.Buffer());
  EXPECT_TRUE(d.ok);
  return d.record;
}

AisDecodedRecord Position(std::uint32_t mmsi, unsigned status = 0, unsigned type = 1) {
  AisMessageBuilder m;
  m.U(6, type).U(2, 0).U(30, mmsi).U(4, status).U(8, 128).U(10, 123).U(1, 1);
  m.S(28, -74037230).S(27, 29028980).U(12, 2240).U(9, 215).U(6, 33).U(4, 0).U(1, 0).U(1, 1);
  m.U(19, 0);
  return RecordOf(m);
}

std::uint32_t Dimensions(unsigned a, unsigned b, unsigned c, unsigned d) {
  return a << 21 | b << 12 | c << 6 | d;
}

AisDecodedRecord StaticPart(std::uint32_t mmsi, unsigned part) {
  AisMessageBuilder m;
  m.U(6, 24).U(2, 0).U(30, mmsi).U(2, part);
  if (part == 1) {
    m.U(8, 37).Text(7, "SMT@0AB").Text(7, "DK1234").U(30, Dimensions(12, 3, 2, 2)).U(6, 0);
  } else {
    m.Text(20, "SEA BREEZE");
  }
  return RecordOf(m);
}

class AisTargetTableTest : public testing::Test {
 protected:
  FakeClock clock;
  AisTargetTable table{clock};

  int Vdm(const AisDecodedRecord& r, int channel = 0) { return table.Update(r, channel, 0, false); }
  const AisTarget& At(int i) const { return table.Entry(i); }
};

TEST_F(AisTargetTableTest, StartsWithEveryEntryFree) {
  EXPECT_EQ(table.Count(), 1);
  EXPECT_EQ(table.LastIndex(), -1);
  EXPECT_EQ(table.LastKind(), -1);
  for (int i : {0, 1, 2249}) {
    EXPECT_EQ(At(i).type, static_cast<int>(AisTargetType::Unknown));
    EXPECT_EQ(At(i).mmsi, 0u);
    EXPECT_EQ(At(i).lon, 181.0f);
    EXPECT_EQ(At(i).lat, 91.0f);
    EXPECT_EQ(At(i).course, 0.0f);
    EXPECT_EQ(At(i).reserved[1], 0.0f);
    EXPECT_EQ(At(i).created, clock.seconds);
    EXPECT_EQ(At(i).reservedByte, 25);
  }
  AisDecodedRecord corners;
  std::memcpy(corners.Bytes().data(), table.Latest().message23.bytes.data(), 33);
  EXPECT_EQ(corners.F32(7), 181.0f);
  EXPECT_EQ(corners.F32(11), 91.0f);
  EXPECT_EQ(corners.F32(15), 181.0f);
  EXPECT_EQ(corners.F32(19), 91.0f);
  EXPECT_EQ(table.Latest().message23.fresh, 0);
}

TEST_F(AisTargetTableTest, GivesEachStationOneEntryFromEntry1On) {
  EXPECT_EQ(Vdm(Position(244740981)), 1);
  EXPECT_EQ(table.Count(), 2);
  EXPECT_EQ(Vdm(Position(244740981)), 1);
  EXPECT_EQ(Vdm(Position(211378120)), 2);
  EXPECT_EQ(table.Count(), 3);
  EXPECT_EQ(At(1).mmsi, 244740981u);
  EXPECT_EQ(table.LastIndex(), 2);
  EXPECT_EQ(table.LastKind(), 1);
}

TEST_F(AisTargetTableTest, KeepsTheOwnStationInEntry0) {
  EXPECT_EQ(table.Update(Position(211378120), 0, 0, true), 0);
  EXPECT_EQ(table.Count(), 1);
  EXPECT_EQ(At(0).mmsi, 211378120u);
  EXPECT_EQ(At(0).type, static_cast<int>(AisTargetType::ClassA));
  // A later VDO of another MMSI updates entry 0 and keeps the first MMSI.
  EXPECT_EQ(table.Update(Position(244740981), 0, 0, true), 0);
  EXPECT_EQ(At(0).mmsi, 211378120u);
  // The own MMSI heard in a VDM sentence finds entry 0 too.
  EXPECT_EQ(Vdm(Position(211378120)), 0);
  EXPECT_EQ(table.Count(), 1);
}

TEST_F(AisTargetTableTest, EvictsTheStationHeardLongestAgoWhenFull) {
  const std::uint32_t firstMmsi = 200000000;
  for (int i = 1; i < AisTargetTable::kCapacity; ++i) {
    clock.SetSecondOfYear(10000 + i);
    ASSERT_EQ(Vdm(Position(firstMmsi + static_cast<std::uint32_t>(i))), i);
  }
  EXPECT_EQ(table.Count(), AisTargetTable::kCapacity);

  // Entries 1 and 2 are heard again, so entry 3 is now the oldest.
  clock.SetSecondOfYear(20000);
  ASSERT_EQ(Vdm(StaticPart(firstMmsi + 1, 0)), 1);
  ASSERT_EQ(Vdm(Position(firstMmsi + 2)), 2);

  clock.SetSecondOfYear(20001);
  EXPECT_EQ(Vdm(Position(999000001)), 3);
  EXPECT_EQ(table.Count(), AisTargetTable::kCapacity);
  EXPECT_EQ(At(3).mmsi, 999000001u);
  EXPECT_EQ(At(3).firstHeard.hour, clock.now.hour);
  EXPECT_EQ(At(3).firstHeard.minute, clock.now.minute);
  EXPECT_EQ(At(3).firstHeard.second, clock.now.second);

  // The station that lost its entry is new again and evicts the next oldest.
  EXPECT_EQ(Vdm(Position(firstMmsi + 3)), 4);
  EXPECT_STREQ(At(1).name, "SEA BREEZE");
}

// A copy finds what the original finds and evicts what it would evict, and
// the two go on apart.
TEST_F(AisTargetTableTest, ACopyFindsAndEvictsAsTheOriginal) {
  for (int i = 1; i < AisTargetTable::kCapacity; ++i) {
    clock.SetSecondOfYear(10000 + (i * 7919) % 3000);  // heard in a scattered order
    ASSERT_EQ(Vdm(Position(200000000 + static_cast<std::uint32_t>(i))), i);
  }
  FakeClock copyClock;
  AisTargetTable copy(copyClock);
  copy.CopyFrom(table);
  ASSERT_EQ(copy.Count(), table.Count());
  for (const int i : {1, 1234, AisTargetTable::kCapacity - 1}) {
    EXPECT_EQ(copy.Find(At(i).mmsi), i);
    EXPECT_EQ(std::memcmp(&copy.Entry(i), &At(i), sizeof(AisTarget)), 0);
  }
  copyClock.SetSecondOfYear(20000);
  clock.SetSecondOfYear(20000);
  const int evicted = Vdm(Position(999000001));
  EXPECT_EQ(copy.Update(Position(999000001), 0, 0, false), evicted);
  EXPECT_EQ(copy.Update(Position(999000002), 0, 0, false), Vdm(Position(999000002)));
  EXPECT_EQ(table.Find(999000003), -1);
  copy.Update(Position(999000003), 0, 0, false);
  EXPECT_EQ(table.Find(999000003), -1) << "the original does not see what its copy heard";
}

TEST_F(AisTargetTableTest, NeverEvictsTheOwnStation) {
  clock.SetSecondOfYear(0);
  ASSERT_EQ(table.Update(Position(211378120), 0, 0, true), 0);
  for (int i = 1; i < AisTargetTable::kCapacity; ++i) {
    clock.SetSecondOfYear(100 + i);
    Vdm(Position(300000000 + static_cast<std::uint32_t>(i)));
  }
  EXPECT_EQ(Vdm(Position(999000001)), 1);
  EXPECT_EQ(At(0).mmsi, 211378120u);
}

TEST_F(AisTargetTableTest, EvictsTheLowestIndexAmongEquals) {
  for (int i = 1; i < AisTargetTable::kCapacity; ++i) {
    Vdm(Position(300000000 + static_cast<std::uint32_t>(i)));
  }
  // All heard in the same second: entry 1 goes first, and once it is heard
  // later than the rest, entry 2.
  clock.SetSecondOfYear(200 * 86400);
  EXPECT_EQ(Vdm(Position(999000001)), 1);
  EXPECT_EQ(Vdm(Position(999000002)), 2);
}

TEST(AisSecondsCount, OrdersMomentsAcrossDaysMonthsAndYears) {
  const AisStamp newYearsEve{2025, 12, 31, 23, 59, 59, 99};
  const AisStamp newYear{2026, 1, 1, 0, 0, 0, 0};
  EXPECT_LT(AisSecondsCount(newYearsEve), AisSecondsCount(newYear));
  EXPECT_EQ(AisSecondsCount({2026, 3, 1, 0, 0, 0, 0}) - AisSecondsCount({2026, 2, 28, 0, 0, 0, 0}),
            86400);
  EXPECT_EQ(AisSecondsCount({2026, 1, 1, 0, 0, 1, 99}), AisSecondsCount({2026, 1, 1, 0, 0, 1, 0}));
  // Past 2068 the count no longer fits 31 bits; it must still order.
  EXPECT_LT(AisSecondsCount({2090, 1, 1, 0, 0, 0, 0}), AisSecondsCount({2099, 12, 31, 0, 0, 0, 0}));
}

TEST_F(AisTargetTableTest, TakesAnAisSartFromItsSecondReportOn) {
  EXPECT_EQ(Vdm(Position(970123456, 14)), 1);
  EXPECT_EQ(At(1).type, static_cast<int>(AisTargetType::ClassA));
  Vdm(Position(970123456, 14));
  EXPECT_EQ(At(1).type, static_cast<int>(AisTargetType::Sart));
  Vdm(Position(970123456, 0));  // decided by the status of the report before
  EXPECT_EQ(At(1).type, static_cast<int>(AisTargetType::Sart));
  Vdm(Position(970123456, 0, 3));
  EXPECT_EQ(At(1).type, static_cast<int>(AisTargetType::ClassA));

  for (std::uint32_t other : {969999999u, 971000000u}) {
    const int i = Vdm(Position(other, 15));
    Vdm(Position(other, 15));
    EXPECT_EQ(At(i).type, static_cast<int>(AisTargetType::ClassA)) << other;
  }
}

TEST_F(AisTargetTableTest, FoldsAPositionReport) {
  const int i = Vdm(Position(244740981, 5));
  const AisTarget& t = At(i);
  EXPECT_EQ(AisNavStatus(t), 5);
  EXPECT_EQ(t.rateOfTurn, 9999.0f);
  EXPECT_FLOAT_EQ(t.speed, 12.3f);
  EXPECT_FLOAT_EQ(t.lon, -74037230 / 600000.0f);
  EXPECT_FLOAT_EQ(t.lat, 29028980 / 600000.0f);
  EXPECT_FLOAT_EQ(t.course, 224.0f);
  EXPECT_EQ(t.heading, 215.0f);
  EXPECT_EQ(t.flags, 0b011);  // accuracy, RAIM
}

TEST_F(AisTargetTableTest, SplitsDimensionsAndEtaOfStaticVoyageData) {
  AisMessageBuilder m;
  m.U(6, 5)
      .U(2, 0)
      .U(30, 351759000)
      .U(2, 1)
      .U(30, 9134270)
      .Text(7, "3FOF8")
      .Text(20, "EVER DIADEM");
  m.U(8, 70).U(30, Dimensions(100, 20, 5, 10)).U(4, 1).U(20, 12 << 16 | 24 << 11 | 18 << 6 | 30);
  m.U(8, 122).Text(20, "NEW YORK").U(1, 1).U(1, 0);
  const int i = Vdm(RecordOf(m));
  const AisTarget& t = At(i);
  EXPECT_EQ(t.type, static_cast<int>(AisTargetType::ClassA));
  EXPECT_EQ(t.toBow, 100);
  EXPECT_EQ(t.toStern, 20);
  EXPECT_EQ(t.toPort, 5);
  EXPECT_EQ(t.toStarboard, 10);
  EXPECT_EQ(t.etaMonth, 12);
  EXPECT_EQ(t.etaDay, 24);
  EXPECT_EQ(t.etaHour, 18);
  EXPECT_EQ(t.etaMinute, 30);
  EXPECT_EQ(t.aisVersion, 1);
  EXPECT_EQ(t.imo, 9134270u);
  EXPECT_STREQ(t.callsign, "3FOF8");
  EXPECT_STREQ(t.name, "EVER DIADEM");
  EXPECT_STREQ(t.destination, "NEW YORK");
  EXPECT_FLOAT_EQ(t.draught, 12.2f);
  EXPECT_EQ(AisEpfd(t), 1);
  EXPECT_EQ(t.flags >> 2 & 1, 1);  // DTE
  EXPECT_EQ(t.shipType, 70);

  // A position report keeps the position fixing device beside the status.
  Vdm(Position(351759000, 3));
  EXPECT_EQ(AisEpfd(At(i)), 1);
  EXPECT_EQ(AisNavStatus(At(i)), 3);
}

TEST_F(AisTargetTableTest, TakesNameFromPartAAndTheRestFromPartB) {
  const int i = Vdm(StaticPart(271041815, 0));
  EXPECT_STREQ(At(i).name, "SEA BREEZE");
  EXPECT_EQ(At(i).type, static_cast<int>(AisTargetType::ClassB));
  EXPECT_EQ(table.LastKind(), 24);

  Vdm(StaticPart(271041815, 1));
  EXPECT_EQ(table.LastKind(), 25);
  EXPECT_STREQ(At(i).name, "SEA BREEZE");
  EXPECT_STREQ(At(i).callsign, "DK1234");
  EXPECT_STREQ(At(i).vendorId, "SMT@0AB");  // as received, '@' and all
  EXPECT_EQ(At(i).shipType, 37);
  EXPECT_EQ(At(i).toBow, 12);
  EXPECT_EQ(At(i).toStern, 3);
  EXPECT_EQ(At(i).toPort, 2);
  EXPECT_EQ(At(i).toStarboard, 2);
}

TEST_F(AisTargetTableTest, LeavesTheEntryAloneForReservedMessage24Parts) {
  // Parts 2 and 3 are decoded with the part A layout; read as part B their
  // text would land in the call sign, vendor id and dimensions.
  const int i = Vdm(StaticPart(271041815, 1));
  for (unsigned part : {2u, 3u}) {
    AisMessageBuilder m;
    m.U(6, 24).U(2, 0).U(30, 271041815).U(2, part).Text(20, "GARBLED PART TEXT");
    ASSERT_EQ(Vdm(RecordOf(m)), i);
    EXPECT_EQ(table.LastKind(), static_cast<int>(24 + part));
    EXPECT_STREQ(At(i).callsign, "DK1234");
    EXPECT_STREQ(At(i).vendorId, "SMT@0AB");
    EXPECT_EQ(At(i).shipType, 37);
    EXPECT_EQ(At(i).toBow, 12);
    EXPECT_STREQ(At(i).name, "");
  }
}

TEST_F(AisTargetTableTest, KeepsAnInterrogationWithItsChannel) {
  AisMessageBuilder m;
  m.U(6, 15).U(2, 0).U(30, 3669720).U(2, 0).U(30, 367014320).U(6, 3).U(12, 516).U(2, 0);
  m.U(6, 5).U(12, 617).U(2, 0).U(30, 0).U(6, 0).U(12, 0).U(2, 0);
  const AisDecodedRecord r = RecordOf(m);
  ASSERT_GE(table.Update(r, 1, 0, false), 0);
  const auto& latest = table.Latest().message15;
  EXPECT_EQ(std::memcmp(latest.bytes.data(), r.Bytes().data(), latest.bytes.size()), 0);
  EXPECT_EQ(latest.fresh, 1);
  EXPECT_EQ(latest.channel, 1);
  EXPECT_EQ(latest.extra, 0);
}

TEST_F(AisTargetTableTest, CutsALongSafetyTextAtTheBufferEnd) {
  AisMessageBuilder m;
  m.U(6, 12).U(2, 0).U(30, 2275200).U(2, 0).U(30, 215724000).U(1, 0).U(1, 0);
  while (m.Size() + 6 <= kAisBitCapacity) m.Text(1, "Z");
  const AisDecodedRecord r = RecordOf(m);
  table.Update(r, 0, 0, false);
  const auto& latest = table.Latest().message12;
  EXPECT_EQ(latest.bytes[130], 'Z');
  EXPECT_EQ(latest.fresh, 1);
}

TEST_F(AisTargetTableTest, SetsTheStationTypeByMessage) {
  const struct {
    unsigned id;
    AisTargetType type;
  } cases[] = {{4, AisTargetType::BaseStation},  {9, AisTargetType::SarAircraft},
               {16, AisTargetType::BaseStation}, {17, AisTargetType::BaseStation},
               {18, AisTargetType::ClassB},      {19, AisTargetType::ClassB},
               {20, AisTargetType::BaseStation}, {21, AisTargetType::AidToNavigation},
               {22, AisTargetType::BaseStation}, {23, AisTargetType::BaseStation}};
  std::uint32_t mmsi = 2000000;
  for (const auto& c : cases) {
    AisMessageBuilder m;
    m.U(6, c.id).U(2, 0).U(30, ++mmsi);
    while (m.Size() < 360) m.U(8, 0);
    const int i = Vdm(RecordOf(m));
    ASSERT_GE(i, 0) << c.id;
    EXPECT_EQ(At(i).type, static_cast<int>(c.type)) << c.id;
  }
}

TEST_F(AisTargetTableTest, FoldsTheClassBFlagsAndTheAircraftAltitude) {
  AisMessageBuilder b;
  b.U(6, 18).U(2, 0).U(30, 338087471).U(8, 0).U(10, 1).U(1, 0).S(28, -44443279).S(27, 24410724);
  b.U(12, 796).U(9, 511).U(6, 49).U(2, 0);
  b.U(1, 1).U(1, 0).U(1, 1).U(1, 1).U(1, 0).U(1, 1).U(1, 1).U(1, 1).U(19, 6);
  const int i = Vdm(RecordOf(b));
  // bit 0 assigned, 1 Class B unit, 2 display, 3 DSC, 4 band, 5 message 22
  EXPECT_EQ(At(i).classBFlags, 0b011011);
  EXPECT_EQ(At(i).heading, 511.0f);
  EXPECT_EQ(At(i).flags, 0b010);

  AisMessageBuilder sar;
  sar.U(6, 9).U(2, 0).U(30, 111232511).U(12, 303).U(10, 42).U(1, 0).S(28, 0).S(27, 0);
  sar.U(12, 1545).U(6, 15).U(8, 0).U(1, 1).U(3, 0).U(1, 0).U(1, 0).U(1, 0).U(19, 0);
  const int s = Vdm(RecordOf(sar));
  EXPECT_EQ(At(s).altitude, 303.0f);
  EXPECT_EQ(At(s).speed, 42.0f);
  EXPECT_FLOAT_EQ(At(s).course, 154.5f);
  EXPECT_EQ(At(s).flags >> 2 & 1, 1);
}

// The Class B reports share the motion fields of the Class A report; each
// puts them in its own place, so each is checked on its own.
TEST_F(AisTargetTableTest, FoldsTheMotionOfEveryPositionReport) {
  const auto motion = [](AisMessageBuilder& m) {
    m.U(10, 123).U(1, 1).S(28, -74037230).S(27, 29028980).U(12, 2240);
  };
  AisMessageBuilder classA;
  classA.U(6, 1).U(2, 0).U(30, 211000001).U(4, 0).U(8, 128);
  motion(classA);
  classA.U(9, 215).U(6, 33).U(4, 0).U(1, 0).U(1, 1).U(19, 0);
  AisMessageBuilder classB;
  classB.U(6, 18).U(2, 0).U(30, 211000002).U(8, 0);
  motion(classB);
  classB.U(9, 215).U(6, 33).U(2, 0).U(1, 1).U(1, 0).U(1, 1).U(1, 1).U(1, 0).U(1, 0).U(1, 1);
  classB.U(1, 1).U(19, 0);
  AisMessageBuilder extended;
  extended.U(6, 19).U(2, 0).U(30, 211000003).U(8, 0);
  motion(extended);
  extended.U(9, 215).U(6, 33).U(4, 0).Text(20, "NORDIC STAR@@@").U(8, 36);
  extended.U(30, Dimensions(8, 4, 2, 1)).U(4, 3).U(1, 1).U(1, 0).U(1, 0).U(4, 0);
  for (const AisMessageBuilder* m : {&classA, &classB, &extended}) {
    const int i = Vdm(RecordOf(*m));
    ASSERT_GE(i, 0);
    const AisTarget& t = At(i);
    SCOPED_TRACE(t.mmsi);
    EXPECT_FLOAT_EQ(t.speed, 12.3f);
    EXPECT_FLOAT_EQ(t.lon, -74037230 / 600000.0f);
    EXPECT_FLOAT_EQ(t.lat, 29028980 / 600000.0f);
    EXPECT_FLOAT_EQ(t.course, 224.0f);
    EXPECT_EQ(t.heading, 215.0f);
    EXPECT_EQ(t.flags & 0b011, 0b011);  // accuracy, RAIM
  }
  const AisTarget& t = At(3);
  EXPECT_EQ(t.mmsi, 211000003u);
  EXPECT_STREQ(t.name, "NORDIC STAR");
  EXPECT_EQ(t.shipType, 36);
  EXPECT_EQ(t.toBow, 8);
  EXPECT_EQ(t.toStern, 4);
  EXPECT_EQ(t.toPort, 2);
  EXPECT_EQ(t.toStarboard, 1);
  EXPECT_EQ(AisEpfd(t), 3);
  EXPECT_EQ(t.flags >> 2 & 1, 0);  // DTE 0: a terminal
}

TEST_F(AisTargetTableTest, Message25OnlyStampsTheEntry) {
  const int i = Vdm(Position(440006460));
  const AisTarget before = At(i);
  clock.SetSecondOfYear(7777);
  AisMessageBuilder m;
  m.U(6, 25).U(2, 0).U(30, 440006460).U(1, 0).U(1, 0).U(10, 1).U(6, 2).U(112, 0);
  EXPECT_EQ(Vdm(RecordOf(m)), i);
  EXPECT_EQ(table.LastKind(), 25);
  EXPECT_EQ(At(i).lastHeard.day, clock.now.day);
  EXPECT_NE(At(i).lastHeard.day, before.lastHeard.day);
  // Everything else of the entry, as the command line shows it, is as it was.
  const auto was = AisDescribeTarget(before, i);
  const auto is = AisDescribeTarget(At(i), i);
  ASSERT_EQ(was.size(), is.size());
  for (std::size_t f = 0; f < was.size(); ++f) {
    const auto& a = was[f].value;
    const auto& b = is[f].value;
    ASSERT_EQ(a.index(), b.index());
    if (const auto* text = std::get_if<std::string_view>(&a)) {
      EXPECT_EQ(*text, std::get<std::string_view>(b)) << was[f].name;
    } else if (const auto* whole = std::get_if<std::int64_t>(&a)) {
      EXPECT_EQ(*whole, std::get<std::int64_t>(b)) << was[f].name;
    } else {
      EXPECT_EQ(std::get<float>(a), std::get<float>(b)) << was[f].name;
    }
  }
}

TEST_F(AisTargetTableTest, KeepsNoMessageAbove25) {
  AisMessageBuilder m26;
  m26.U(6, 26).U(2, 0).U(30, 1).U(1, 0).U(1, 0).U(128, 0);
  EXPECT_EQ(Vdm(RecordOf(m26)), -1);
  AisMessageBuilder m63;
  m63.U(6, 63).U(8, 99).U(4, 4).U(14, 0);
  EXPECT_EQ(Vdm(RecordOf(m63)), -1);
  EXPECT_EQ(table.Count(), 1);
  EXPECT_EQ(table.LastIndex(), -1);
}

TEST_F(AisTargetTableTest, CountsMessagesPerEntry) {
  const int i = Vdm(Position(244740981));
  table.CountMessage(i, false);
  table.CountMessage(i, false);
  table.CountMessage(i, true);
  EXPECT_EQ(At(i).vdmCount, 2u);
  EXPECT_EQ(At(i).vdoCount, 1u);
  table.CountMessage(-1, false);  // no entry kept the message
  table.CountMessage(AisTargetTable::kCapacity, false);
}

TEST_F(AisTargetTableTest, ResetsAnEntryForReuse) {
  const int i = Vdm(Position(244740981));
  table.Reset(i);
  const AisTarget& t = At(i);
  EXPECT_EQ(t.mmsi, 0u);
  EXPECT_EQ(t.type, static_cast<int>(AisTargetType::Unknown));
  EXPECT_EQ(t.lon, 181.0f);
  EXPECT_EQ(t.lat, 91.0f);
  EXPECT_EQ(t.course, 361.0f);
  EXPECT_EQ(t.heading, 511.0f);
  EXPECT_EQ(t.speed, 0.0f);
  EXPECT_EQ(t.flags, 0b100);  // DTE 1
  EXPECT_EQ(t.reserved[0], -1.0f);
  EXPECT_EQ(t.reservedByte, 0);
  EXPECT_EQ(t.lastHeard.year, 0);
  // Its old MMSI is no longer found.
  EXPECT_EQ(Vdm(Position(244740981)), 2);
}

}  // namespace
}  // namespace store
