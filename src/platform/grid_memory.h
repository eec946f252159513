#pragma once
// Memory for large grids of cells.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

namespace platform {

// A block of at least `bytes`, on huge pages where the system grants them (fewer page faults on
// first touch, which cost dearly on a virtual machine); nullptr when none is left. Not cleared.
void* AllocateLargeBlock(std::size_t bytes);
void FreeLargeBlock(void* p);
// A block of `bytes` straight from the system, so already clear, on huge pages where granted;
// nullptr when none is left. Freed with its size.
void* AllocateClearedBlock(std::size_t bytes);
void FreeClearedBlock(void* p, std::size_t bytes);

// Asks for huge pages under the whole 2 MB steps of an allocated block that is still to be
// written (a long text's reserved room, say).
void PreferHugePages(void* p, std::size_t bytes);

// Once at start-up: freed blocks of up to 32 MB (a 3D view's texture, mesh and draw lists, a
// map picture's rows) stay with the program for its next use instead of going back to the
// system, which would hand them out again as fresh pages, one fault per 4 KB.
void KeepFreedMemory();

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

// For vectors of lattice-sized grids: their blocks come as above, and an element made without a
// value is left as it comes, so the threads that fill a grid are the ones that first touch
// its pages rather than one thread zeroing them all before.
template <class T>
struct GridAllocator {
  using value_type = T;
  GridAllocator() = default;
  template <class U>
  GridAllocator(const GridAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    if (void* p = AllocateLargeBlock(n * sizeof(T))) return static_cast<T*>(p);
    throw std::bad_alloc();
  }
  void deallocate(T* p, std::size_t) noexcept { FreeLargeBlock(p); }
  template <class U, class... A>
  void construct(U* p, A&&... a) {
    if constexpr (sizeof...(A) == 0)
      ::new (static_cast<void*>(p)) U;
    else
      ::new (static_cast<void*>(p)) U(std::forward<A>(a)...);
  }
  template <class U>
  bool operator==(const GridAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace platform
