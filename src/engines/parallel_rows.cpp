#include "engines/parallel_rows.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace engines {

void ForEachRow(int count, int threads, const std::function<void(int)>& body) {
  if (count <= 0) return;
  threads = std::clamp(threads, 1, count);
  std::atomic<int> next{0};
  auto work = [&] {
    for (int r = next.fetch_add(1, std::memory_order_relaxed); r < count;
         r = next.fetch_add(1, std::memory_order_relaxed))
      body(r);
  };
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(threads - 1));
  for (int t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (auto& t : pool) t.join();
}

}  // namespace engines
