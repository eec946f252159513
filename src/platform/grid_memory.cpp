#include "platform/grid_memory.h"

#include <malloc.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace platform {

void* AllocateLargeBlock(std::size_t bytes) {
  constexpr std::size_t kHuge = 2u << 20;
  bytes = std::max<std::size_t>(bytes, 1);
  if (bytes < kHuge) return std::malloc(bytes);
  if (bytes > SIZE_MAX - kHuge) return nullptr;
  const std::size_t rounded = (bytes + kHuge - 1) / kHuge * kHuge;
  void* p = std::aligned_alloc(kHuge, rounded);
  if (p) ::madvise(p, rounded, MADV_HUGEPAGE);
  return p;
}

void FreeLargeBlock(void* p) { std::free(p); }

void* AllocateClearedBlock(std::size_t bytes) {
  void* p = ::mmap(nullptr, std::max<std::size_t>(bytes, 1), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  ::madvise(p, bytes, MADV_HUGEPAGE);
  return p;
}

void FreeClearedBlock(void* p, std::size_t bytes) {
  if (p) ::munmap(p, std::max<std::size_t>(bytes, 1));
}

void PreferHugePages(void* p, std::size_t bytes) {
  constexpr std::uintptr_t kHuge = 2u << 20;
  const std::uintptr_t from = (reinterpret_cast<std::uintptr_t>(p) + kHuge - 1) / kHuge * kHuge,
                       to = (reinterpret_cast<std::uintptr_t>(p) + bytes) / kHuge * kHuge;
  if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

void KeepFreedMemory() {
  // The largest threshold the allocator takes; a fixed one also stops it from moving.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

float* AllocateGridMemory(std::size_t n) { return static_cast<float*>(AllocateLargeBlock(n * sizeof(float))); }

void GridMemoryFree::operator()(float* p) const { FreeLargeBlock(p); }

LayerMemory AllocateLayerMemory(std::size_t n) {
  return LayerMemory(static_cast<std::int16_t*>(AllocateLargeBlock(n * sizeof(std::int16_t))));
}

}  // namespace platform
