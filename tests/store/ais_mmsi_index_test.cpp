// The MMSI index behind the target table's lookup, and the table's lookup
// and eviction checked against a plain model that scans every entry.

#include "store/ais_mmsi_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "ais_test_support.h"
#include "fake_clock.h"
#include "store/ais_targets.h"

namespace store {
namespace {

using namespace testing_support;

// Inserts and erases at random over few keys that collide often, checking
// every key after every step: a wrong backward shift loses a key.
TEST(AisMmsiIndex, KeepsEveryKeyThroughInsertsAndErases) {
  std::mt19937 rng(5);
  auto index = std::make_unique<AisMmsiIndex>();
  std::vector<std::uint32_t> mmsis(3000, 0);  // entry -> key, 0 free
  std::map<std::uint32_t, int> model;
  for (int step = 0; step < 40000; ++step) {
    const int entry = 1 + static_cast<int>(rng() % 2999);
    if (mmsis[entry] != 0) {
      index->Erase(mmsis[entry], entry, mmsis.data());
      model.erase(mmsis[entry]);
      mmsis[entry] = 0;
    } else {
      // Keys from a small range of multiples land in long probe runs.
      std::uint32_t key;
      do key = 1 + (rng() % 4096) * 8192 + (rng() % 4);
      while (model.count(key) != 0);
      mmsis[entry] = key;
      index->Insert(key, entry);
      model[key] = entry;
    }
    if (step % 97 == 0) {
      for (const auto& [key, at] : model) ASSERT_EQ(index->Find(key, mmsis.data()), at) << step;
      ASSERT_EQ(index->Find(999999999, mmsis.data()), -1);
    }
  }
}

AisDecodedRecord Position(std::uint32_t mmsi) {
  AisMessageBuilder m;
  m.U(6, 1).U(2, 0).U(30, mmsi).U(4, 0).U(8, 128).U(10, 0).U(1, 0);
  m.S(28, 0).S(27, 0).U(12, 0).U(9, 0).U(6, 0).U(4, 0).U(1, 0).U(1, 0).U(19, 0);
  const Decoded d = DecodeBits(m.Buffer());
  EXPECT_TRUE(d.ok);
  return d.record;
}

// The table as the rules read: a linear search for the first entry with
// the MMSI, and eviction of the entry heard longest ago (lowest index among
// equals, never entry 0).
struct ScanModel {
  std::vector<std::uint32_t> mmsi = std::vector<std::uint32_t>(1, 0);
  std::vector<std::int64_t> heard = std::vector<std::int64_t>(1, 0);

  int Update(std::uint32_t id, bool own, std::int64_t now) {
    int index = -1;
    if (own) {
      index = 0;
      if (mmsi[0] == 0) mmsi[0] = id;
    } else {
      for (std::size_t i = 0; i < mmsi.size(); ++i) {
        if (mmsi[i] == id) {
          index = static_cast<int>(i);
          break;
        }
      }
      if (index < 0) {
        if (mmsi.size() < AisTargetTable::kCapacity) {
          index = static_cast<int>(mmsi.size());
          mmsi.push_back(id);
          heard.push_back(0);
        } else {
          index =
              static_cast<int>(std::min_element(heard.begin() + 1, heard.end()) - heard.begin());
          mmsi[index] = id;
        }
      }
    }
    heard[index] = now;
    return index;
  }
};

TEST(AisTargetTableLookup, MatchesALinearScanThroughChurn) {
  FakeClock clock;
  auto table = std::make_unique<AisTargetTable>(clock);
  ScanModel model;
  std::mt19937 rng(11);
  std::vector<std::uint32_t> mmsis;
  std::vector<AisDecodedRecord> stations;
  for (std::uint32_t i = 0; i < 3500; ++i) {
    mmsis.push_back(200000000 + i * 7919);
    stations.push_back(Position(mmsis.back()));
  }
  std::int64_t second = 1000;
  for (int step = 0; step < 30000; ++step) {
    if (rng() % 5 == 0) ++second;
    // Now and then the clock is set back, which the eviction order must
    // follow at once.
    if (rng() % 997 == 0) second -= 1 + static_cast<std::int64_t>(rng() % 50);
    clock.SetSecondOfYear(static_cast<int>(second));
    // A few stations are heard far more often than the rest.
    const std::size_t pick = rng() % 4 == 0 ? rng() % 20 : rng() % stations.size();
    const bool own = rng() % 500 == 0;
    const std::uint32_t mmsi = mmsis[pick];
    const int got = table->Update(stations[pick], 0, 0, own);
    const int want = model.Update(mmsi, own, AisSecondsCount(table->Entry(got).lastHeard));
    ASSERT_EQ(got, want) << "step " << step << " mmsi " << mmsi;
  }
  EXPECT_EQ(table->Count(), AisTargetTable::kCapacity);
}

}  // namespace
}  // namespace store
