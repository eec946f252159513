// The task pool behind the fire's many short loops: every task runs once per loop, whatever
// the helpers do, and loops started inside a loop or beside it on another thread still finish.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "engines/parallel_rows.h"

namespace {

TEST(TaskPool, EveryTaskOnceInManyShortLoopsNestedAndSideBySide) {
  auto checkLoops = [](int loops, int threads) {
    bool ok = true;
    for (int l = 0; l < loops; ++l) {
      const int count = 1 + l % 37;
      std::vector<std::atomic<int>> hits(static_cast<std::size_t>(count));
      engines::ForEachTask(count, threads, [&](int i) {
        hits[static_cast<std::size_t>(i)].fetch_add(1);
        if (i == 0 && l % 50 == 0) {
          // A loop inside a loop runs on the thread that meets it.
          std::atomic<int> inner{0};
          engines::ForEachTask(9, threads, [&](int) { inner.fetch_add(1); });
          if (inner.load() != 9) hits[0].fetch_add(100);
        }
      });
      for (auto& h : hits) ok = ok && h.load() == 1;
    }
    return ok;
  };
  EXPECT_TRUE(checkLoops(2000, 8));
  EXPECT_TRUE(checkLoops(200, 1));
  // Two callers at once: the second runs its loop itself.
  bool a = false, b = false;
  std::thread other([&] { a = checkLoops(1000, 4); });
  b = checkLoops(1000, 8);
  other.join();
  EXPECT_TRUE(a);
  EXPECT_TRUE(b);

  // Ranges cover [0, n) exactly, in pieces that do not depend on the helpers.
  for (long n : {0L, 1L, 255L, 256L, 10000L, 123457L}) {
    std::vector<std::atomic<int>> cover(static_cast<std::size_t>(n));
    std::atomic<long> pieces{0};
    engines::ForEachRange(n, 8, [&](long from, long to, int) {
      pieces.fetch_add(1);
      for (long i = from; i < to; ++i) cover[static_cast<std::size_t>(i)].fetch_add(1);
    });
    long wrong = 0;
    for (auto& c : cover) wrong += c.load() != 1;
    EXPECT_EQ(wrong, 0) << n;
    if (n > 0) EXPECT_EQ(pieces.load(), engines::RangePieces(n, 8)) << n;
  }
}

}  // namespace
