#pragma once
// The entries of the AIS target table in the order they are evicted in: the
// one heard longest ago first (the smallest seconds count), the lowest index
// among equals. Kept beside the table so that a full table finds the entry
// to reuse without a scan of all its entries.
//
// A binary heap of (seconds count, index) keys. An entry heard again (its
// count grows, the usual case) keeps its old key, a lower bound of the new
// one, until it comes to the top, where it is brought up to date and sifted
// down: the top is the oldest entry once its key is current. A count that
// shrinks (the clock set back, an entry reset) is moved up at once, so every
// key stays a lower bound of its entry's count.

#include <cstdint>
#include <memory>

namespace store {

class AisEvictionOrder {
 public:
  explicit AisEvictionOrder(int capacity);

  void Clear() { size_ = 0; }
  // Becomes a copy of `other`, whose capacity must be this one's.
  void CopyFrom(const AisEvictionOrder& other);

  // Entry `index` joins the order with seconds count `heard`.
  void Add(int index, std::uint32_t heard);

  // Entry `index` (in the order) now has seconds count `heard`.
  void Heard(int index, std::uint32_t heard) {
    const std::uint64_t key = Key(heard, index);
    const int slot = slot_[static_cast<std::size_t>(index)];
    if (key < heap_[static_cast<std::size_t>(slot)]) {
      heap_[static_cast<std::size_t>(slot)] = key;
      SiftUp(slot);
    }
  }

  // The entry heard longest ago; `heard` holds every entry's current count.
  int Oldest(const std::uint32_t* heard);

 private:
  static std::uint64_t Key(std::uint32_t heard, int index) {
    return static_cast<std::uint64_t>(heard) << 16 | static_cast<std::uint16_t>(index);
  }
  static int IndexOf(std::uint64_t key) { return static_cast<int>(key & 0xFFFF); }
  void Place(int slot, std::uint64_t key) {
    heap_[static_cast<std::size_t>(slot)] = key;
    slot_[static_cast<std::size_t>(IndexOf(key))] = slot;
  }
  void SiftUp(int slot);
  void SiftDown(int slot);

  int capacity_;
  std::unique_ptr<std::uint64_t[]> heap_;
  std::unique_ptr<int[]> slot_;  // by entry index: where its key is in the heap
  int size_ = 0;
};

}  // namespace store
