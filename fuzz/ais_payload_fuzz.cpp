// libFuzzer entry: AIS payloads with every fill-bit count straight into
// de-armouring, the decoder and the target table, with no sentence framing in
// the way. One input is a run of messages into one table; with the first
// byte's top bit set the table starts full of other stations (a copy of one
// filled once, heard at scattered times), so that the messages meet
// eviction too.
//
// Input: [flags] then, repeated:
//   1 byte   fill bits (any value: the assembler passes whatever the
//            sentence said) and, in bit 7, own station (VDO)
//   1 byte   length n of the payload (cut to what a payload may hold)
//   n bytes  the payload text
// Flags: bit 7 full table; bits 0-1 how the clock moves from one message to
// the next (a second on, not at all, now and then an hour back, to and fro).
//
// Each station a full table takes in must evict the one heard longest ago
// (the lowest index among equals), as the entries' own last-heard stamps
// tell; after each input the table must still hold each MMSI once (entries
// from 1 on), and its lookup must find each entry by its MMSI and no station
// evicted and not heard since.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "store/ais_chain.h"
#include "tests/store/ais_payload_builder.h"
#include "tests/store/fake_clock.h"

namespace {

using store::AisTargetTable;
using store::testing_support::AisMessageBuilder;
using store::testing_support::FakeClock;

constexpr long kStart = 6000000;  // seconds into the year of the first message

[[noreturn]] void Fault(const char* what, int index, std::uint32_t mmsi) {
  std::fprintf(stderr, "%s (entry %d, MMSI %u)\n", what, index, mmsi);
  std::abort();
}

// A position report (message 1) of station `mmsi`.
nmea::AisPayloadRecord PositionOf(std::uint32_t mmsi) {
  AisMessageBuilder m;
  m.U(6, 1).U(2, 0).U(30, mmsi).U(4, 0).S(8, 0).U(10, 52).U(1, 0).S(28, 6000000).S(27, 3000000);
  m.U(12, 900).U(9, 90).U(6, 10).U(2, 0).U(3, 0).U(1, 0).U(19, 0);
  return m.Payload();
}

// Returns the entry the message went to, or -1.
int Hear(store::AisChain& chain, const nmea::AisPayloadRecord& payload, bool vdo) {
  if (!chain.AisDearmour(payload)) return -1;
  if (!chain.AisDecodeMessage()) return -1;
  const int entry = chain.AisTargetsUpdate(0, 0, vdo);
  if (entry >= 0) chain.AisCountMessage(entry, vdo);
  (void)chain.DescribeLastDecoded();
  return entry;
}

// A table full of stations, filled once: each heard at a time of its own
// (a few share one), before the first message of any input.
const AisTargetTable& FullTable() {
  static FakeClock clock;
  static const auto chain = [] {
    auto full = std::make_unique<store::AisChain>(clock);
    for (int i = 0; i < AisTargetTable::kCapacity; ++i) {
      clock.SetSecondOfYear(kStart - 1 - (i * 7919L) % 2000);
      Hear(*full, PositionOf(200000000u + static_cast<std::uint32_t>(i)), false);
    }
    return full;
  }();
  return chain->Targets();
}

// The entry eviction must take next: the one heard longest ago, the lowest
// index among equals, never the own station.
int Oldest(const AisTargetTable& table) {
  int oldest = 1;
  std::int64_t oldestCount = store::AisSecondsCount(table.Entry(1).lastHeard);
  for (int i = 2; i < table.Count(); ++i) {
    const std::int64_t count = store::AisSecondsCount(table.Entry(i).lastHeard);
    if (count < oldestCount) {
      oldest = i;
      oldestCount = count;
    }
  }
  return oldest;
}

void CheckLookup(const AisTargetTable& table) {
  std::unordered_set<std::uint32_t> seen;
  for (int i = 1; i < table.Count(); ++i) {
    const std::uint32_t mmsi = table.Entry(i).mmsi;
    if (mmsi == 0) continue;
    if (!seen.insert(mmsi).second) Fault("two entries hold one MMSI", i, mmsi);
    const int expected = table.Entry(0).mmsi == mmsi ? 0 : i;
    if (table.Find(mmsi) != expected) Fault("the lookup misses an entry", i, mmsi);
  }
}

constexpr long kSteps[4][4] = {{1, 1, 1, 1}, {0, 0, 0, 0}, {1, -3600, 1, 1}, {0, 1, 0, -1}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const AisTargetTable& full = FullTable();
  static FakeClock clock;
  static const auto chain = std::make_unique<store::AisChain>(clock);
  AisTargetTable& table = chain->Targets();
  chain->AisClear();
  if (data[0] & 0x80) {
    table.CopyFrom(full);
  } else {
    table.Init();
  }
  std::unordered_set<std::uint32_t> evicted;
  long second = kStart;
  const long* steps = kSteps[data[0] & 3];
  std::size_t at = 1;
  for (int n = 0; at + 2 <= size; ++n) {
    nmea::AisPayloadRecord payload{};
    std::memcpy(payload.formatter, "VDM", 4);
    payload.total = 1;
    payload.number = 1;
    payload.complete = 1;
    payload.fillBits = static_cast<std::int8_t>(data[at] & 0x7F);
    const bool vdo = (data[at] & 0x80) != 0;
    const std::size_t length =
        std::min<std::size_t>({data[at + 1], size - at - 2, nmea::kMaxPayloadChars});
    std::memcpy(payload.payload, data + at + 2, length);
    payload.payload[length] = '\0';
    at += 2 + std::min<std::size_t>(data[at + 1], size - at - 2);
    second = std::max(0L, second + steps[n % 4]);
    clock.seconds = static_cast<std::uint32_t>(1767225600 + second);
    clock.SetSecondOfYear(second % 31536000);

    if (!chain->AisDearmour(payload) || !chain->AisDecodeMessage()) continue;
    (void)chain->DescribeLastDecoded();
    // Whom eviction must take, should this message bring a new station to
    // a full table.
    const store::AisDecodedRecord& record = chain->LastDecoded();
    const std::uint32_t mmsi = record.Holds({2, 4}) ? record.U32(2) : 0;
    const bool evicts = !vdo && table.Count() == AisTargetTable::kCapacity && table.Find(mmsi) < 0;
    const int victim = evicts ? Oldest(table) : -1;
    const std::uint32_t victimMmsi = evicts ? table.Entry(victim).mmsi : 0;
    const int entry = chain->AisTargetsUpdate(0, 0, vdo);
    if (entry < 0) continue;
    chain->AisCountMessage(entry, vdo);
    evicted.erase(mmsi);
    if (evicts) {
      if (entry != victim) Fault("eviction took another entry than the oldest", entry, mmsi);
      evicted.insert(victimMmsi);
    }
  }
  CheckLookup(table);
  for (const std::uint32_t mmsi : evicted) {
    const int found = table.Find(mmsi);
    if (found > 0 || (found == 0 && table.Entry(0).mmsi != mmsi)) {
      Fault("the lookup finds a station evicted and not heard since", found, mmsi);
    }
  }
  return 0;
}
