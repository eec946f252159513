#include "landscape/layer_stats.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Grid {
  int rows, columns;
  std::vector<float> cells;
  float operator()(int c, int r) const { return cells[static_cast<std::size_t>(r * columns + c)]; }
};

struct Stats {
  std::int32_t high = 7777, low = 7777, count = 7777;
  std::vector<std::int32_t> values = std::vector<std::int32_t>(100, 4242);
};

Stats Compute(const Grid& g, float scale = 1.0f, const CellWindow* w = nullptr) {
  Stats s;
  landscape::ComputeLayerHeaderStatsOf(g, -9999.0f, g.rows, g.columns, &s.high, &s.low, &s.count, s.values.data(),
                                       scale, w);
  return s;
}

std::vector<std::int32_t> Listed(const Stats& s) {
  return std::vector<std::int32_t>(s.values.begin() + 1, s.values.begin() + 1 + s.count);
}

}  // namespace

TEST(LayerHeaderStats, ListsDistinctWholeValuesSorted) {
  struct Case {
    const char* name;
    std::vector<float> cells;
    float scale;
    int low, high;
    std::vector<std::int32_t> listed;
  };
  const Case cases[] = {
      {"two values are sorted too", {7, 3, 7, 3}, 1, 3, 7, {3, 7}},
      {"three values", {7, 3, 5, -9999}, 1, 3, 7, {3, 5, 7}},
      {"distinct after truncation", {1.2f, 1.7f, 2.9f, 1.0f}, 1, 1, 2, {1, 2}},
      {"scaled, nodata never scaled", {2.5f, -9999, -9999, 0.1f}, 10, 1, 25, {1, 25}},
      {"negatives truncate toward zero", {-0.5f, -3.7f, 4, 4}, 1, -3, 4, {-3, 0, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Stats s = Compute(Grid{2, 2, c.cells}, c.scale);
    EXPECT_EQ(s.low, c.low);
    EXPECT_EQ(s.high, c.high);
    EXPECT_EQ(s.values[0], 0);
    EXPECT_EQ(Listed(s), c.listed);
    EXPECT_EQ(s.values[c.listed.size() + 1], 4242) << "entries after the list are not touched";
  }
}

TEST(LayerHeaderStats, AllNoDataWindowPutsNoSentinelInTheHeader) {
  const Stats s = Compute(Grid{2, 2, {-9999, -9999, -9999, -9999}});
  EXPECT_EQ(s.count, 0);
  EXPECT_EQ(s.low, 0);
  EXPECT_EQ(s.high, 0);
  EXPECT_EQ(s.values[0], 0);
}

TEST(LayerHeaderStats, MoreThan99ValuesKeepNoList) {
  Grid g{10, 10, {}};
  for (int i = 0; i < 100; ++i) g.cells.push_back(static_cast<float>(100 - i));
  g.cells[99] = 2;  // 99 distinct values: 100 .. 2
  Stats s = Compute(g);
  ASSERT_EQ(s.count, 99);
  EXPECT_EQ(s.values[1], 2);
  EXPECT_EQ(s.values[99], 100);

  g.cells[99] = 500;   // a 100th value
  g.cells.resize(110, -40);  // a further row, met after the overflow, still counts for low
  g.rows = 11;
  s = Compute(g);
  EXPECT_EQ(s.count, -1);
  EXPECT_EQ(s.values[1], 4242);
  EXPECT_EQ(s.high, 500);
  EXPECT_EQ(s.low, -40);
}

TEST(LayerHeaderStats, WindowIsInclusive) {
  Grid g{3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}};
  const CellWindow oneColumn{1, 0, 1, 2};
  Stats s = Compute(g, 1, &oneColumn);
  EXPECT_EQ(Listed(s), (std::vector<std::int32_t>{2, 5, 8}));
  const CellWindow corner{0, 0, 1, 1};
  s = Compute(g, 1, &corner);
  EXPECT_EQ(Listed(s), (std::vector<std::int32_t>{1, 2, 4, 5}));
}
