#include "platform/grid_memory.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>

namespace platform {

float* AllocateGridMemory(std::size_t n) {
  constexpr std::size_t kHuge = 2u << 20;
  const std::size_t bytes = std::max<std::size_t>(n, 1) * sizeof(float);
  if (bytes < kHuge) return static_cast<float*>(std::malloc(bytes));
  const std::size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
  void* p = std::aligned_alloc(kHuge, rounded);
  if (p) ::madvise(p, rounded, MADV_HUGEPAGE);
  return static_cast<float*>(p);
}

void GridMemoryFree::operator()(float* p) const { std::free(p); }

}  // namespace platform
