#include "gridmodel/grid_types.h"

#include <algorithm>
#include <numeric>

namespace gridmodel {

std::vector<std::size_t> StableSortPermutation(std::size_t count, const KeyCompare& compare) {
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), std::size_t{0});
  if (compare)
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return compare(a, b) < 0; });
  return order;
}

std::vector<std::size_t> StableSortPermutation(std::size_t count, const std::vector<KeyCompare>& keys) {
  if (keys.size() == 1) return StableSortPermutation(count, keys.front());
  return StableSortPermutation(count, KeyCompare([&keys](std::size_t a, std::size_t b) {
    for (const KeyCompare& k : keys) {
      if (int c = k(a, b)) return c;
    }
    return 0;
  }));
}

}  // namespace gridmodel
