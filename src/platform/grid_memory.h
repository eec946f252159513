#pragma once
// Memory for large grids of cells.
#include <cstddef>
#include <memory>

namespace platform {

// Memory for a grid, on huge pages where the system grants them (fewer page faults on first
// touch); nullptr when none is left. Not cleared.
float* AllocateGridMemory(std::size_t n);
struct GridMemoryFree {
  void operator()(float* p) const;
};
using GridMemory = std::unique_ptr<float[], GridMemoryFree>;

}  // namespace platform
