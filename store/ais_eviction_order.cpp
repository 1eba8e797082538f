#include "store/ais_eviction_order.h"

#include <algorithm>

namespace store {

AisEvictionOrder::AisEvictionOrder(int capacity)
    : capacity_(capacity),
      heap_(std::make_unique<std::uint64_t[]>(static_cast<std::size_t>(capacity))),
      slot_(std::make_unique<int[]>(static_cast<std::size_t>(capacity))) {}

void AisEvictionOrder::CopyFrom(const AisEvictionOrder& other) {
  const auto n = static_cast<std::size_t>(capacity_);
  std::copy_n(other.heap_.get(), n, heap_.get());
  std::copy_n(other.slot_.get(), n, slot_.get());
  size_ = other.size_;
}

void AisEvictionOrder::Add(int index, std::uint32_t heard) {
  Place(size_, Key(heard, index));
  SiftUp(size_++);
}

int AisEvictionOrder::Oldest(const std::uint32_t* heard) {
  for (;;) {
    const std::uint64_t top = heap_[0];
    const int index = IndexOf(top);
    const std::uint64_t current = Key(heard[index], index);
    if (current == top) return index;
    Place(0, current);  // heard again since: a larger key, which sinks
    SiftDown(0);
  }
}

void AisEvictionOrder::SiftUp(int slot) {
  const std::uint64_t key = heap_[static_cast<std::size_t>(slot)];
  while (slot > 0) {
    const int parent = (slot - 1) / 2;
    if (heap_[static_cast<std::size_t>(parent)] <= key) break;
    Place(slot, heap_[static_cast<std::size_t>(parent)]);
    slot = parent;
  }
  Place(slot, key);
}

void AisEvictionOrder::SiftDown(int slot) {
  const std::uint64_t key = heap_[static_cast<std::size_t>(slot)];
  for (;;) {
    int child = 2 * slot + 1;
    if (child >= size_) break;
    if (child + 1 < size_ &&
        heap_[static_cast<std::size_t>(child + 1)] < heap_[static_cast<std::size_t>(child)]) {
      ++child;
    }
    if (key <= heap_[static_cast<std::size_t>(child)]) break;
    Place(slot, heap_[static_cast<std::size_t>(child)]);
    slot = child;
  }
  Place(slot, key);
}

}  // namespace store
