#pragma once
// splitmix64: a small pseudo-random generator whose seed decides every value
// it gives, so what it makes (sample firmware, the virtual transponder's
// faults) comes out the same on every machine and every run.

#include <cstdint>

namespace firmware {

class SplitMix64 {
 public:
  explicit constexpr SplitMix64(std::uint64_t seed) : state_(seed) {}

  constexpr std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

 private:
  std::uint64_t state_;
};

// The first value of seed 0 is the generator's published one.
static_assert(SplitMix64(0).Next() == 0xE220A8397B1DCDAFull);

}  // namespace firmware
