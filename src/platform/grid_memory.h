#pragma once
// Memory for large grids of cells.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

// A block of at least `bytes`, on huge pages where the system grants them (fewer page faults on
// first touch, which cost dearly on a virtual machine); nullptr when none is left. Not cleared.
void* AllocateLargeBlock(std::size_t bytes);
void FreeLargeBlock(void* p);
// A block of `bytes` straight from the system, so already clear, on huge pages where granted;
// nullptr when none is left. Freed with its size.
void* AllocateClearedBlock(std::size_t bytes);
void FreeClearedBlock(void* p, std::size_t bytes);

// Memory for a grid of n floats, as above.
float* AllocateGridMemory(std::size_t n);
struct GridMemoryFree {
  void operator()(float* p) const;
};
using GridMemory = std::unique_ptr<float[], GridMemoryFree>;

// n int16 values (a landscape band), as above.
struct LayerMemoryFree {
  void operator()(std::int16_t* p) const { FreeLargeBlock(p); }
};
using LayerMemory = std::unique_ptr<std::int16_t[], LayerMemoryFree>;
LayerMemory AllocateLayerMemory(std::size_t n);

}  // namespace platform
