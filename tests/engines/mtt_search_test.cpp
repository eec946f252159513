// The travel-time lattice and search on hand-made spread fields: the stencil, the analytic
// elliptical fire, time limits, symmetry, influence, barriers and embers.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "engines/mtt_search.h"
#include "engines/mtt_shapes.h"

using namespace engines::mtt;

namespace {

constexpr double kPi = 3.14159265358979323846;

// A uniform field: head rate 1 m/min along heading (radians), the given length-to-breadth.
SpreadField Uniform(int rows, int cols, double lb, double heading) {
  const double e = std::sqrt(1 - 1 / (lb * lb));
  const double b = 1 / (1 + e), c = b * e;
  SpreadField f;
  f.rows = rows;
  f.cols = cols;
  f.cell = 1;
  f.b.assign(static_cast<std::size_t>(rows) * cols, b);
  f.c.assign(f.b.size(), c);
  f.dir.assign(f.b.size(), heading);
  return f;
}

// A field whose ellipses change from cell to cell, with some cells that do not burn.
SpreadField Varied(int rows, int cols) {
  SpreadField f = Uniform(rows, cols, 1, 0);
  f.cell = 30;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * cols + c;
      f.b[i] = 1 + 0.5 * std::sin(0.7 * r + 0.3 * c) + 0.3 * ((r * 7 + c * 13) % 5);
      f.c[i] = f.b[i] * (0.2 + 0.15 * ((r + 2 * c) % 5));
      f.dir[i] = 0.4 * r - 0.25 * c;
      if ((r * 5 + c * 3) % 23 == 0) f.b[i] = -9999;
    }
  return f;
}

SearchSettings From(int node, int lateral = 6, int vertical = 4) {
  SearchSettings s;
  s.ignitions = {node};
  s.lateral = lateral;
  s.vertical = vertical;
  return s;
}

}  // namespace

TEST(MttStencil, OffsetsAreCoprimeWithinTheDepthsAndSplitTheirLength) {
  struct Case {
    int lateral, vertical;
    std::size_t count;
  } cases[] = {{6, 4, 68}, {1, 1, 8}, {0, 0, 8}, {2, 1, 12}};
  for (const Case& k : cases) {
    auto stencil = BuildStencil(k.lateral, k.vertical);
    EXPECT_EQ(stencil.size(), k.count) << k.lateral << "/" << k.vertical;
    for (const Offset& o : stencil) {
      EXPECT_EQ(std::gcd(std::abs(o.dr), std::abs(o.dc)), 1);
      double total = 0;
      for (const Piece& p : o.pieces) total += p.share;
      EXPECT_NEAR(total, 1.0, 1e-12);
      EXPECT_EQ(o.pieces.front().dr, 0);
      EXPECT_EQ(o.pieces.back().dr, o.dr);
      EXPECT_EQ(o.pieces.back().dc, o.dc);
    }
  }
  // A diagonal step passes through a corner: it lies half in each end cell, nothing beside.
  for (const Offset& o : BuildStencil(1, 1))
    if (o.dr == 1 && o.dc == 1) {
      ASSERT_EQ(o.pieces.size(), 2u);
      EXPECT_DOUBLE_EQ(o.pieces[0].share, 0.5);
    }
  // (1, 2): a quarter in the start cell, half in the two cells it crosses, a quarter at the end.
  for (const Offset& o : BuildStencil(2, 1))
    if (o.dr == 1 && o.dc == 2) {
      ASSERT_EQ(o.pieces.size(), 4u);
      EXPECT_DOUBLE_EQ(o.pieces[0].share, 0.25);
      EXPECT_DOUBLE_EQ(o.pieces[1].share, 0.25);
      EXPECT_EQ(o.pieces[1].dc, 1);
      EXPECT_EQ(o.pieces[1].dr, 0);
    }
}

TEST(MttSearch, UniformFireIsNeverFasterThanTheAnalyticEllipseAndWithinTheLatticeExcess) {
  struct Case {
    double lb, excess;
  } cases[] = {{1, 0.01}, {2, 0.06}, {4, 0.21}};
  const int n = 81, mid = n / 2;
  for (const Case& k : cases) {
    SpreadField f = Uniform(n, n, k.lb, 0);
    SearchResult r = RunSearch(f, From(mid * n + mid));
    const double b = f.b[0], c = f.c[0];
    double worst = 0;
    for (int row = 0; row < n; ++row)
      for (int col = 0; col < n; ++col) {
        if (row == mid && col == mid) continue;
        const double dx = col - mid, dy = mid - row;
        const double exact = std::hypot(dx, dy) / RateAlong(b, c, 0, std::atan2(dx, dy));
        const double t = r.arrival[static_cast<std::size_t>(row) * n + col];
        ASSERT_GE(t, exact * (1 - 1e-9)) << "LB " << k.lb << " at " << row << "," << col;
        worst = std::max(worst, t / exact - 1);
      }
    EXPECT_LE(worst, k.excess) << "LB " << k.lb;
    // Along every stencil direction the lattice is exact.
    for (const Offset& o : BuildStencil(6, 4))
      for (int m = 1; std::abs(o.dr * m) <= mid && std::abs(o.dc * m) <= mid; ++m) {
        const double exact = m * o.length / RateAlong(b, c, 0, std::atan2(o.dc, -o.dr));
        EXPECT_NEAR(r.arrival[static_cast<std::size_t>(mid + o.dr * m) * n + mid + o.dc * m], exact,
                    1e-9 * exact);
      }
  }
}

TEST(MttSearch, ATimeLimitBurnsExactlyTheNodesReachedByThen) {
  SpreadField f = Varied(40, 50);
  SearchResult all = RunSearch(f, From(20 * 50 + 25));
  std::vector<double> burned;
  for (double t : all.arrival)
    if (t >= 0) burned.push_back(t);
  ASSERT_GT(burned.size(), 1000u);
  std::sort(burned.begin(), burned.end());
  for (double limit : {burned[burned.size() / 3], burned[burned.size() / 2] + 1e-6}) {
    SearchSettings s = From(20 * 50 + 25);
    s.maxTime = limit;
    SearchResult capped = RunSearch(f, s);
    for (std::size_t i = 0; i < all.arrival.size(); ++i) {
      if (all.arrival[i] >= 0 && all.arrival[i] <= limit)
        EXPECT_EQ(capped.arrival[i], all.arrival[i]) << i;
      else
        EXPECT_LT(capped.arrival[i], 0) << i;
    }
  }
}

TEST(MttSearch, MirroredFieldsGiveMirroredTimes) {
  const int rows = 30, cols = 41;
  SpreadField f = Varied(rows, cols), m = f;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * cols + c, j = static_cast<std::size_t>(r) * cols + (cols - 1 - c);
      m.b[j] = f.b[i];
      m.c[j] = f.c[i];
      m.dir[j] = -f.dir[i];  // east-west mirror of an azimuth
    }
  SearchResult a = RunSearch(f, From(12 * cols + 9));
  SearchResult b = RunSearch(m, From(12 * cols + (cols - 1 - 9)));
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const double ta = a.arrival[static_cast<std::size_t>(r) * cols + c];
      const double tb = b.arrival[static_cast<std::size_t>(r) * cols + (cols - 1 - c)];
      EXPECT_NEAR(ta, tb, 1e-9 * std::max(1.0, ta)) << r << "," << c;
    }
}

TEST(MttSearch, InfluenceIsOnePlusTheChildrensAndRatesFollowTheArrivingEdge) {
  SpreadField f = Varied(30, 30);
  SearchResult r = RunSearch(f, From(15 * 30 + 15));
  std::vector<double> inf = Influence(r);
  std::vector<double> children(inf.size(), 0);
  for (int v : r.order)
    if (r.parent[v] >= 0) children[r.parent[v]] += inf[v];
  for (int v : r.order) EXPECT_EQ(inf[v], 1 + children[v]) << v;
  EXPECT_EQ(inf[15 * 30 + 15], static_cast<double>(r.order.size()));
  for (int v : r.order) {
    const int p = r.parent[v];
    if (p < 0) continue;
    ASSERT_GE(r.arrival[v], r.arrival[p]);
    const double az = std::atan2(v % 30 - p % 30, -(v / 30 - p / 30));
    EXPECT_NEAR(r.rate[v], RateAlong(f.b[v], f.c[v], f.dir[v], az), 1e-9 * r.rate[v]);
  }
}

TEST(MttSearch, BarriersStopSpreadWithoutSpottingAndEmbersCrossThem) {
  const int n = 40;
  SpreadField f = Uniform(n, n, 3, 0);  // heading north
  // A barrier line from the west edge to the east edge drawn as one diagonal segment: its
  // cells touch at corners, and the fire must not slip between them.
  NodeGrid g{n, n, 0, n, 1};
  std::vector<char> wall;
  MarkShapes({{Shape::Line, {{{0.0, 30.0}, {40.0, 22.0}}}}}, g, false, wall);
  auto side = [&](int v) { return n - (v / n + 0.5) > 30 - 0.2 * (v % n + 0.5); };  // north of the line
  SearchSettings s = From(35 * n + 20);
  s.removed = wall;
  SearchResult blocked = RunSearch(f, s);
  int north = 0;
  for (int v : blocked.order) north += !wall[v] && side(v);
  EXPECT_EQ(north, 0);
  EXPECT_GT(blocked.order.size(), 100u);

  // Embers from every cell, flying 10 cells north: the fire jumps the barrier.
  s.spots.probability = 1;
  s.spots.delay = 5;
  s.spots.seed = 3;
  s.spots.distance.assign(f.b.size(), 10.f);
  s.spots.azimuth.assign(f.b.size(), 0.f);
  s.spots.speed.assign(f.b.size(), 2.f);
  SearchResult jumped = RunSearch(f, s);
  ASSERT_FALSE(jumped.spots.empty());
  int across = 0;
  for (int v : jumped.order) across += !wall[v] && side(v);
  EXPECT_GT(across, 0);
  for (const SpotEvent& e : jumped.spots) {
    EXPECT_EQ(jumped.parent[e.to], e.from);
    EXPECT_NEAR(jumped.arrival[e.to], e.land + 5, 1e-9);
    EXPECT_GE(e.land, e.launch);
  }
}

// A line of non-burnable cells one cell wide at 45 degrees, its cells touching only at corners,
// as roads and streams rasterise: at either diagonal, with the head driven against the line or
// along it, no node beyond it burns.
TEST(MttSearch, ADiagonalLineOfCellsThatCannotBurnStopsTheFire) {
  const int n = 41;
  const struct { int slope; double heading; } cases[] = {
      {1, 3 * kPi / 4}, {1, kPi / 4}, {-1, kPi / 4}, {-1, -kPi / 4}, {1, kPi}};
  for (const auto& k : cases) {
    SpreadField f = Uniform(n, n, 4, k.heading);
    // slope 1: cells with row = col (north-west to south-east); -1: row + col = n - 1.
    auto along = [&](int r, int c) { return k.slope > 0 ? r - c : r + c - (n - 1); };
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c)
        if (along(r, c) == 0) f.b[static_cast<std::size_t>(r) * n + c] = 0;
    // Ignite north-east of the line for slope 1 (row < col), north-west for -1.
    const int start = k.slope > 0 ? 5 * n + 30 : 5 * n + 10;
    const SearchResult res = RunSearch(f, From(start));
    int beyond = 0;
    for (int v : res.order) beyond += along(v / n, v % n) > 0;
    EXPECT_EQ(beyond, 0) << "slope " << k.slope << " heading " << k.heading;
    EXPECT_GT(res.order.size(), 300u);
  }
}

TEST(MttSearch, SpottingRepeatsWithItsSeedAndNothingHappensAtProbabilityZero) {
  SpreadField f = Varied(40, 40);
  SearchSettings s = From(20 * 40 + 20);
  const SearchResult plain = RunSearch(f, s);
  s.spots.distance.assign(f.b.size(), 300.f);
  s.spots.azimuth.assign(f.b.size(), 1.0f);
  s.spots.speed.assign(f.b.size(), 50.f);
  s.spots.delay = 2;
  s.spots.seed = 11;
  s.spots.probability = 0;
  const SearchResult zero = RunSearch(f, s);
  EXPECT_EQ(zero.arrival, plain.arrival);
  EXPECT_EQ(zero.parent, plain.parent);
  EXPECT_TRUE(zero.spots.empty());

  s.spots.probability = 0.3;
  const SearchResult a = RunSearch(f, s), b = RunSearch(f, s);
  ASSERT_FALSE(a.spots.empty());
  EXPECT_EQ(a.arrival, b.arrival);
  EXPECT_EQ(a.spots.size(), b.spots.size());
  s.spots.seed = 12;
  const SearchResult c = RunSearch(f, s);
  EXPECT_NE(a.arrival, c.arrival);
}

TEST(MttShapes, PolygonsFillByCellCentresAndPointsMarkTheirCell) {
  NodeGrid g{10, 10, 100, 200, 10};  // west 100, north 200, 10 m cells
  std::vector<char> mask;
  // A square of cell centres 2..5 in both directions, its outline inside them.
  Shape square{Shape::Polygon, {{{122, 178}, {158, 178}, {158, 142}, {122, 142}, {122, 178}}}};
  MarkShapes({square}, g, true, mask);
  int marked = std::accumulate(mask.begin(), mask.end(), 0);
  EXPECT_EQ(marked, 16);
  EXPECT_TRUE(mask[2 * 10 + 2] && mask[5 * 10 + 5]);
  mask.clear();
  MarkShapes({square}, g, false, mask);
  EXPECT_EQ(std::accumulate(mask.begin(), mask.end(), 0), 12);  // the outline only
  mask.clear();
  MarkShapes({{Shape::Points, {{{105.0, 195.0}, {999.0, 999.0}}}}}, g, true, mask);
  EXPECT_EQ(std::accumulate(mask.begin(), mask.end(), 0), 1);
  EXPECT_TRUE(mask[0]);
}
