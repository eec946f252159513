#include "app/random.h"

#include <chrono>

namespace {

constexpr std::int32_t kM1 = 2147483563, kA1 = 40014, kQ1 = 53668, kR1 = 12211;
constexpr std::int32_t kM2 = 2147483399, kA2 = 40692, kQ2 = 52774, kR2 = 3791;
constexpr std::int32_t kTableSize = 32;
constexpr std::int32_t kDivisor = 1 + (kM1 - 1) / kTableSize;
constexpr double kScale = 4.656613057391769e-10;
constexpr double kLargest = 0.99999988;

std::int32_t Step(std::int32_t s, std::int32_t a, std::int32_t m, std::int32_t q, std::int32_t r) {
  std::int32_t k = s / q;
  s = a * (s - k * q) - k * r;
  if (s < 0) s += m;
  return s;
}

}  // namespace

CRandom::CRandom() {
  using namespace std::chrono;
  auto now = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  std::uint32_t secs = static_cast<std::uint32_t>(now / 1000);
  std::uint32_t ms = static_cast<std::uint32_t>(now % 1000);
  // The runtime library's linear congruential rand, kept local so that no global state
  // is shared between threads.
  std::uint32_t state = secs + ms;
  state = state * 214013u + 2531011u;
  std::int32_t r = static_cast<std::int32_t>((state >> 16) & 0x7FFF);
  seed_ = ~(r % 10000);
}

double CRandom::NextCombined(std::int32_t& seed) {
  if (seed <= 0) {
    seed = seed == 0 ? 1 : (seed == INT32_MIN ? INT32_MAX : -seed);
    second_ = seed;
    for (int j = kTableSize + 7; j >= 0; --j) {
      seed = Step(seed, kA1, kM1, kQ1, kR1);
      if (j < kTableSize) table_[j] = seed;
    }
    last_ = table_[0];
  }
  seed = Step(seed, kA1, kM1, kQ1, kR1);
  second_ = Step(second_, kA2, kM2, kQ2, kR2);
  std::int32_t j = last_ / kDivisor;
  last_ = table_[j] - second_;
  table_[j] = seed;
  if (last_ < 1) last_ += kM1 - 1;
  double r = last_ * kScale;
  return r > kLargest ? kLargest : r;
}
