#include "themes/contour_tracer.h"
#include "themes/contour_theme.h"

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

class ContourJudge : public themes_test::TempFolderTest {
 protected:
  // gdal_contour on the raster at the given levels against our lines. GDAL always joins the
  // north-west and south-east corners of a saddle block, where ours joins the two high corners
  // when the block's mean is at or above the level: a block where the two choices differ may
  // add or remove one line, and its vertices lie on different cuts. Prints the number of levels,
  // of levels whose line counts differ by more than their disagreeing saddles, the farthest of
  // our vertices on the lines between cell centres (outside those blocks) from GDAL's line of
  // its level, measured by OGR, the number of disagreeing saddles, and the farthest of our
  // crossings between diagonal neighbours, which lie inside the corner GDAL cuts off.
  std::vector<double> Judge(const std::string& raster, const std::vector<double>& levels,
                            const std::vector<ContourLine>& lines) {
    {
      std::ofstream out(Path("ours.txt"));
      out.precision(9);
      for (const auto& l : lines) {
        out << l.level;
        for (const auto& p : l.points) out << ' ' << p.x << ' ' << p.y;
        out << '\n';
      }
    }
    std::string fl;
    for (double lv : levels) fl += "'" + std::to_string(lv) + "',";
    const std::string script = R"(
import subprocess, collections
import numpy as np
from osgeo import gdal, ogr
gdal.UseExceptions()
d = ')" + dir_ + R"('
r = ')" + raster + R"('
subprocess.run(['gdal_contour', '-q', '-a', 'elev', '-fl', )" + fl + R"( r, d + '/gdal.shp'], check=True)
ds = gdal.Open(r)
x0, cw, _, y0, _, ch = ds.GetGeoTransform()
band = ds.GetRasterBand(1)
a = np.frombuffer(band.ReadRaster(buf_type=gdal.GDT_Float32), dtype='<f4').reshape(ds.RasterYSize, ds.RasterXSize)
theirs = {}
count = collections.Counter()
src = ogr.Open(d + '/gdal.shp')
for f in src.GetLayer(0):
    lv = round(f.GetField('elev'), 3)
    count[lv] += 1
    theirs.setdefault(lv, ogr.Geometry(ogr.wkbMultiLineString)).AddGeometry(f.GetGeometryRef())
ours = collections.defaultdict(list)
for line in open(d + '/ours.txt'):
    n = [float(t) for t in line.split()]
    ours[round(n[0], 3)].append(n[1:])
bad = 0
worst = 0.0
worstdiag = 0.0
saddles = 0
for lv in sorted(set(count) | set(ours)):
    h = a >= np.float32(lv)
    ul, ur, ll, lr = h[:-1, :-1], h[:-1, 1:], h[1:, :-1], h[1:, 1:]
    mean = (a[:-1, :-1] + a[:-1, 1:] + a[1:, :-1] + a[1:, 1:]) / np.float32(4)
    differ = (ul == lr) & (ur == ll) & (ul != ur) & ((mean >= np.float32(lv)) != ul)
    saddles += int(differ.sum())
    if abs(count[lv] - len(ours[lv])) > differ.sum():
        print('level', lv, 'gdal', count[lv], 'ours', len(ours[lv]), 'saddles', differ.sum())
        bad += 1
    if lv not in theirs:
        continue
    for pts in ours[lv]:
        for i in range(0, len(pts), 2):
            c, rr = (pts[i] - x0) / cw - 0.5, (pts[i + 1] - y0) / ch - 0.5
            bc, br = min(int(np.floor(c)), differ.shape[1] - 1), min(int(np.floor(rr)), differ.shape[0] - 1)
            if bc >= 0 and br >= 0 and differ[br, bc]:
                continue
            onc, onr = abs(c - round(c)) < 1e-3, abs(rr - round(rr)) < 1e-3
            if onc and onr and a[int(round(rr)), int(round(c))] == np.float32(lv):
                continue  # a cell at the level lies on its line
            p = ogr.Geometry(ogr.wkbPoint)
            p.AddPoint_2D(pts[i], pts[i + 1])
            dist = p.Distance(theirs[lv])
            # Crossings on the lines between cell centres are GDAL's own points; ours between
            # diagonal neighbours lie inside the corner GDAL cuts off.
            if onc or onr:
                worst = max(worst, dist)
            else:
                worstdiag = max(worstdiag, dist)
print("levels", len(count), 'mismatched', bad, 'worst', worst, 'saddles', saddles, 'diagonal', worstdiag)
)";
    const std::string out = themes_test::Python(script, dir_);
    const auto n = themes_test::ParseNumbers(out.substr(out.rfind("levels")));
    EXPECT_EQ(n.size(), 5u) << out;
    if (n.size() == 5 && n[1] != 0) ADD_FAILURE() << out;
    return n;
  }
};

// On a surface with negative values, written as a GeoTIFF by GDAL: the same number of lines
// per level, and every vertex of ours within half a cell of its line of that level.
TEST_F(ContourJudge, AgreesWithGdalContourOnASurfaceWithNegativeValues) {
  const int nx = 96, ny = 72;
  std::vector<float> v(std::size_t(nx) * ny);
  for (int r = 0; r < ny; ++r)
    for (int c = 0; c < nx; ++c)
      v[std::size_t(r) * nx + c] = float(300 * std::sin(c * 0.071 + 0.3) * std::cos(r * 0.053 - 0.2) - 40.17 + 0.9 * c);
  std::ofstream(Path("grid.f32"), std::ios::binary).write(reinterpret_cast<const char*>(v.data()), v.size() * 4);
  themes_test::Python(R"(
import numpy as np
from osgeo import gdal
d = ')" + dir_ + R"('
a = np.fromfile(d + '/grid.f32', dtype='<f4').reshape()" + std::to_string(ny) + ", " + std::to_string(nx) + R"()
ds = gdal.GetDriverByName('GTiff').Create(d + '/grid.tif', a.shape[1], a.shape[0], 1, gdal.GDT_Float32)
ds.SetGeoTransform((1000.0, 30.0, 0, 5000.0, 0, -30.0))
ds.GetRasterBand(1).WriteArray(a)
ds = None
)", dir_);
  ContourGrid g{v.data(), nx, ny, 1000.0, 5000.0, 30.0, 30.0};
  std::string err;
  const auto levels = ContourLevels(-400, 400, 50, &err);
  std::vector<ContourLine> lines;
  ASSERT_TRUE(TraceContours(g, levels, lines));
  const auto n = Judge(Path("grid.tif"), levels, lines);
  ASSERT_EQ(n.size(), 5u);
  EXPECT_GT(n[0], 10);
  EXPECT_LE(n[2], 15.0);  // half a 30 m cell
  EXPECT_EQ(n[3], 0);     // a smooth surface has no saddle the two choices cut differently
  EXPECT_LE(n[4], 15.0);
}

// The sample landscape's elevation, contoured as the Contour command does it (before thinning).
TEST_F(ContourJudge, AgreesWithGdalContourOnTheSampleElevation) {
  const std::string lcp = std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp";
  CTheme elevation;
  ASSERT_EQ(elevation.LoadGdalRaster(0, lcp), 1);
  double lo = 0, hi = 0;
  elevation.GetMinMax(lo, hi);
  CContourTheme contour;
  ASSERT_TRUE(contour.Create(&elevation, 50, nullptr, nullptr));
  EXPECT_FLOAT_EQ(contour.minValue, float(lo));
  EXPECT_FLOAT_EQ(contour.maxValue, float(hi));
  std::string err;
  const auto n = Judge(lcp, ContourLevels(lo, hi, 50, &err), contour.lines);
  ASSERT_EQ(n.size(), 5u);
  EXPECT_GT(n[0], 3);
  EXPECT_LE(n[2], elevation.cellWidth / 2);
  EXPECT_LE(n[4], elevation.cellWidth);
}

}  // namespace
