#include "themes/contour_tracer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>

#include "themes/themes_test_support.h"

namespace {

struct Grid {
  int nx, ny;
  std::vector<float> v;
  ContourGrid View() const { return {v.data(), nx, ny, 0.0, double(ny), 1.0, 1.0}; }
};

Grid Flat(int nx, int ny, float value) { return {nx, ny, std::vector<float>(std::size_t(nx) * ny, value)}; }

std::map<float, int> LinesPerLevel(const std::vector<ContourLine>& lines) {
  std::map<float, int> n;
  for (const auto& l : lines) ++n[l.level];
  return n;
}

TEST(ContourLevels, FromFloorOfMinimumInDoubleAndBadIntervalsRefused) {
  struct Case {
    double mn, mx, interval;
    std::vector<double> expected;
    bool refused;
  } cases[] = {
      {105, 150, 10, {100, 110, 120, 130, 140, 150}, false},
      {3, 25, 10, {0, 10, 20}, false},
      {-35, 5, 10, {-40, -30, -20, -10, 0}, false},
      {0.1, 0.35, 0.1, {0.1, 0.2, 0.30000000000000004}, false},  // k * interval, not a running sum
      {5, 5, 0, {}, true},
      {5, 5, -1, {}, true},
      {0, 1e9, 1e-3, {}, true},
  };
  for (const auto& c : cases) {
    std::string err;
    auto got = ContourLevels(c.mn, c.mx, c.interval, &err);
    EXPECT_EQ(got, c.expected) << c.mn << " " << c.interval;
    EXPECT_EQ(!err.empty(), c.refused) << c.mn << " " << c.interval;
  }
}

TEST(ContourTracer, HillGivesOneClosedLinePerLevelAlsoBelowZero) {
  for (float base : {0.0f, -500.0f}) {
    Grid g = Flat(7, 7, base);
    g.v[3 * 7 + 3] = base + 100;
    std::vector<ContourLine> lines;
    ASSERT_TRUE(TraceContours(g.View(), {base + 25.0, base + 50.0}, lines));
    ASSERT_EQ(lines.size(), 2u) << base;
    for (const auto& l : lines) {
      ASSERT_GE(l.points.size(), 4u);
      EXPECT_FLOAT_EQ(l.points.front().x, l.points.back().x);
      EXPECT_FLOAT_EQ(l.points.front().y, l.points.back().y);
      // Around the centre of cell (3, 3), whose map centre is (3.5, 3.5).
      EXPECT_GT(l.minX, 2.5f);
      EXPECT_LT(l.maxX, 4.5f);
      EXPECT_GT(l.minY, 2.5f);
      EXPECT_LT(l.maxY, 4.5f);
    }
    // Level base + 25 lies three quarters of the way from the high cell to its east neighbour.
    EXPECT_NEAR(lines[0].maxX, 3.5f + 0.75f, 1e-5) << base;
  }
}

TEST(ContourTracer, RidgeOffTheGridIsOneOpenLineAndNoDataSplitsIt) {
  Grid g = Flat(8, 5, -20);
  for (int c = 0; c < 8; ++c) g.v[2 * 8 + c] = -5;  // east-west ridge below zero
  std::vector<ContourLine> lines;
  TraceContours(g.View(), {-10}, lines);
  EXPECT_EQ(LinesPerLevel(lines), (std::map<float, int>{{-10.0f, 2}}));  // one line each side of the ridge

  for (float hole : {-9999.0f, std::nanf("")}) {
    Grid h = g;
    h.v[1 * 8 + 4] = hole;  // north flank broken by a cell without data
    lines.clear();
    TraceContours(h.View(), {-10}, lines);
    EXPECT_EQ(lines.size(), 3u);
    for (const auto& l : lines)
      for (const auto& p : l.points) EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
  }

  Grid none = Flat(4, 4, -9999);
  lines.clear();
  TraceContours(none.View(), {-10000, 0}, lines);
  EXPECT_TRUE(lines.empty());
}

TEST(ContourTracer, SaddleCutByTheMeanOfItsCorners) {
  // Two diagonal highs in the middle block of a 4 x 4 grid.
  struct Case {
    float high, low;
    int expected;
  } cases[] = {{10, 4, 1}, {6, 0, 2}};  // mean above 5 joins the highs into one closed line
  for (const auto& c : cases) {
    Grid g = Flat(4, 4, c.low);
    g.v[1 * 4 + 1] = c.high;
    g.v[2 * 4 + 2] = c.high;
    std::vector<ContourLine> lines;
    TraceContours(g.View(), {5}, lines);
    EXPECT_EQ(int(lines.size()), c.expected) << c.high;
  }
}

TEST(ContourTracer, CancelStopsTracing) {
  Grid g = Flat(16, 16, 0);
  g.v[8 * 16 + 8] = 100;
  std::vector<ContourLine> lines;
  EXPECT_FALSE(TraceContours(g.View(), {10, 20}, lines, [] { return true; }));
  EXPECT_TRUE(lines.empty());
}

TEST(ContourSimplify, MinimumDistanceOnlyAndEndsKept) {
  ContourLine l;
  for (int i = 0; i <= 10; ++i) l.AddPoint(i * 0.01f, 0);  // a line in degrees: 0.01 apart
  ContourLine a = l;
  SimplifyContourLine(a, 0.025);
  ASSERT_EQ(a.points.size(), 5u);  // 0, 0.03, 0.06, 0.09, then the last point
  EXPECT_FLOAT_EQ(a.points.back().x, 0.1f);
  ContourLine b = l;
  SimplifyContourLine(b, 0);
  EXPECT_EQ(b.points.size(), 11u);
  ContourLine two;
  two.AddPoint(0, 0);
  two.AddPoint(0.001f, 0);
  SimplifyContourLine(two, 5);
  EXPECT_EQ(two.points.size(), 2u);
}

}  // namespace

namespace {

class ContourJudge : public themes_test::TempFolderTest {};

// gdal_contour on the same grid at the same levels: the same number of lines per level,
// and every vertex of ours within half a cell of its line of that level.
TEST_F(ContourJudge, AgreesWithGdalContourOnASurfaceWithNegativeValues) {
  const int nx = 96, ny = 72;
  std::vector<float> v(std::size_t(nx) * ny);
  for (int r = 0; r < ny; ++r)
    for (int c = 0; c < nx; ++c)
      v[std::size_t(r) * nx + c] = float(300 * std::sin(c * 0.071 + 0.3) * std::cos(r * 0.053 - 0.2) - 40.17 + 0.9 * c);
  std::ofstream(Path("grid.f32"), std::ios::binary).write(reinterpret_cast<const char*>(v.data()), v.size() * 4);
  ContourGrid g{v.data(), nx, ny, 1000.0, 5000.0, 30.0, 30.0};
  std::string err;
  const auto levels = ContourLevels(-400, 400, 50, &err);
  std::vector<ContourLine> lines;
  ASSERT_TRUE(TraceContours(g, levels, lines));
  {
    std::ofstream out(Path("ours.txt"));
    out.precision(9);
    for (const auto& l : lines) {
      out << l.level;
      for (const auto& p : l.points) out << ' ' << p.x << ' ' << p.y;
      out << '\n';
    }
  }
  const std::string script = R"(
import subprocess, collections
import numpy as np
from osgeo import gdal, ogr
gdal.UseExceptions()
d = ')" + dir_ + R"('
nx, ny = )" + std::to_string(nx) + ", " + std::to_string(ny) + R"(
a = np.fromfile(d + '/grid.f32', dtype='<f4').reshape(ny, nx)
ds = gdal.GetDriverByName('GTiff').Create(d + '/grid.tif', nx, ny, 1, gdal.GDT_Float32)
ds.SetGeoTransform((1000.0, 30.0, 0, 5000.0, 0, -30.0))
ds.GetRasterBand(1).WriteArray(a)
ds = None
subprocess.run(['gdal_contour', '-q', '-a', 'elev', '-fl'] + [str(x) for x in range(-400, 401, 50)] +
               [d + '/grid.tif', d + '/gdal.shp'], check=True)
theirs = collections.defaultdict(list)
src = ogr.Open(d + '/gdal.shp')
lyr = src.GetLayer(0)
for f in lyr:
    theirs[round(f.GetField('elev'), 3)].append(f.GetGeometryRef().Clone())
ours = collections.defaultdict(list)
for line in open(d + '/ours.txt'):
    n = [float(t) for t in line.split()]
    ours[round(n[0], 3)].append(n[1:])
bad = 0
worst = 0.0
for lv in sorted(set(theirs) | set(ours)):
    if len(theirs[lv]) != len(ours[lv]):
        print('level', lv, 'gdal', len(theirs[lv]), 'ours', len(ours[lv]))
        bad += 1
    if not theirs[lv]:
        continue
    segs = []
    for g in theirs[lv]:
        q = np.array(g.GetPoints())[:, :2]
        segs.append(np.hstack([q[:-1], q[1:]]))
    s = np.vstack(segs)
    a, b = s[:, :2], s[:, 2:]
    ab = b - a
    den = np.maximum((ab * ab).sum(1), 1e-12)
    for pts in ours[lv]:
        p = np.array(pts).reshape(-1, 2)
        t = np.clip(((p[:, None, :] - a[None]) * ab[None]).sum(2) / den[None], 0, 1)
        near = a[None] + t[..., None] * ab[None]
        worst = max(worst, np.sqrt(((p[:, None, :] - near) ** 2).sum(2)).min(1).max())
print("levels", len(theirs), 'mismatched', bad, 'worst', worst)
)";
  const std::string out = themes_test::Python(script, dir_);
  const auto n = themes_test::ParseNumbers(out.substr(out.rfind("levels")));
  ASSERT_EQ(n.size(), 3u) << out;
  EXPECT_GT(n[0], 10) << out;
  EXPECT_EQ(n[1], 0) << out;
  EXPECT_LE(n[2], 15.0) << out;  // half a 30 m cell
}

}  // namespace
