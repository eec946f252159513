#pragma once
// Uniform random numbers in (0, 1): two combined multiplicative congruential generators
// with a 32-entry shuffle table. A given seed always gives the same sequence.
#include <cstdint>

class CRandom {
 public:
  // Seeded from the clock: the first draw initialises the shuffle table.
  CRandom();

  // One draw on the given seed word; the second state, last output and table are this
  // object's own. A seed word <= 0 (re)initialises the table from it.
  double NextCombined(std::int32_t& seed);
  double GetUniform() { return NextCombined(seed_); }
  void SetSeed(std::int32_t seed) { seed_ = seed; }
  std::int32_t GetSeed() const { return seed_; }

 private:
  std::int32_t seed_ = -1;
  std::int32_t second_ = 123456789;
  std::int32_t last_ = 0;
  std::int32_t table_[32] = {};
};
