#pragma once
// A fixed-size hash index from MMSI to target entry, so that finding the
// sender of each message does not scan the table. Open addressing with
// linear probing and backward-shift deletion; no allocation after
// construction. The keys themselves live in the table's MMSI array, which the
// index reads to tell a hit from a collision.

#include <array>
#include <cstdint>

namespace store {

class AisMmsiIndex {
 public:
  // Holds up to kSlots / 2 entries, so probes stay short.
  static constexpr int kSlots = 8192;

  void Clear() { slots_.fill(0); }

  // The entry whose MMSI (in `mmsis`) is `mmsi`, or -1.
  int Find(std::uint32_t mmsi, const std::uint32_t* mmsis) const {
    for (std::uint32_t s = Home(mmsi);; s = (s + 1) & kMask) {
      const int entry = slots_[s] - 1;
      if (entry < 0) return -1;
      if (mmsis[entry] == mmsi) return entry;
    }
  }

  // `entry` now holds `mmsi`; the caller keeps MMSIs unique in the index.
  void Insert(std::uint32_t mmsi, int entry) {
    std::uint32_t s = Home(mmsi);
    while (slots_[s] != 0) s = (s + 1) & kMask;
    slots_[s] = static_cast<std::uint16_t>(entry + 1);
  }

  // Removes `entry`, which holds `mmsi` in `mmsis`, if it is indexed.
  void Erase(std::uint32_t mmsi, int entry, const std::uint32_t* mmsis) {
    std::uint32_t s = Home(mmsi);
    for (;; s = (s + 1) & kMask) {
      if (slots_[s] == 0) return;
      if (slots_[s] - 1 == entry) break;
    }
    // Shift later members of the probe run back into the hole.
    std::uint32_t hole = s;
    for (std::uint32_t next = (s + 1) & kMask; slots_[next] != 0; next = (next + 1) & kMask) {
      const std::uint32_t home = Home(mmsis[slots_[next] - 1]);
      // The member may fill the hole unless its home lies after the hole
      // and at or before its own slot (cyclically).
      const bool stays = ((next - home) & kMask) < ((next - hole) & kMask);
      if (!stays) {
        slots_[hole] = slots_[next];
        hole = next;
      }
    }
    slots_[hole] = 0;
  }

 private:
  static constexpr std::uint32_t kMask = kSlots - 1;
  static std::uint32_t Home(std::uint32_t mmsi) { return (mmsi * 2654435761u) >> 19; }
  static_assert((kSlots & kMask) == 0 && (1u << (32 - 19)) == kSlots);

  std::array<std::uint16_t, kSlots> slots_{};  // entry + 1; 0 is empty
};

}  // namespace store
