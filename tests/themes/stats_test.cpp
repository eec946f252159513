#include <gtest/gtest.h>

#include <cmath>

#include "themes/theme_stats.h"
#include "themes_test_support.h"

using themes_test::MakeTheme;
using themes_test::ParseNumbers;
using themes_test::Python;
using themes_test::TempFolderTest;

namespace {

class ThemeStats : public TempFolderTest {};

CThemeStats StatsOf(const std::vector<float>& values) {
  auto t = MakeTheme(1, static_cast<int>(values.size()), values);
  CThemeStats s;
  s.Compute(*t, CellWindow{0, 0, t->columns - 1, 0});
  return s;
}

std::vector<float> Range(int from, int to) {
  std::vector<float> v;
  for (int i = from; i <= to; ++i) v.push_back(static_cast<float>(i));
  return v;
}

TEST_F(ThemeStats, SummariesFollowTheSampleFormulasAndThePercentileRule) {
  struct Case {
    const char* what;
    std::vector<float> values;
    int valid, noData;
    double mean, variance, stdDev, min, max, mode, median, p1, p10, p100;
  } cases[] = {
      {"all no data", {kNoData, kNoData, kNoData}, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {"one value", {kNoData, 7, kNoData}, 1, 2, 7, 0, 0, 7, 7, 7, 7, 7, 7, 7},
      {"four values", {4, 1, 3, 2}, 4, 0, 2.5, 5.0 / 3, 1.2909944, 1, 4, 1, 3, 1, 1, 4},
      {"equal runs give the smallest mode", {3, 1, 3, 1}, 4, 0, 2, 4.0 / 3, 1.1547005, 1, 3, 1, 3, 1, 1, 3},
      {"one to ten stays below whole steps", Range(1, 10), 10, 0, 5.5, 55.0 / 6, 3.0276504, 1, 10, 1, 5, 1, 1, 10},
      {"one to a hundred", Range(1, 100), 100, 0, 50.5, 841.66667, 29.011492, 1, 100, 1, 51, 2, 11, 100},
  };
  for (const auto& c : cases) {
    const CThemeStats s = StatsOf(c.values);
    EXPECT_EQ(s.validCount, c.valid) << c.what;
    EXPECT_EQ(s.noDataCount, c.noData) << c.what;
    EXPECT_NEAR(s.mean, c.mean, 1e-9) << c.what;
    EXPECT_NEAR(s.variance, c.variance, 1e-4) << c.what;
    EXPECT_NEAR(s.stdDev, c.stdDev, 1e-6) << c.what;
    EXPECT_EQ(s.minimum, c.min) << c.what;
    EXPECT_EQ(s.maximum, c.max) << c.what;
    EXPECT_EQ(s.mode, c.mode) << c.what;
    EXPECT_EQ(s.median, c.median) << c.what;
    EXPECT_EQ(s.GetPercentile(1), c.p1) << c.what;
    EXPECT_EQ(s.GetPercentile(10), c.p10) << c.what;
    EXPECT_EQ(s.GetPercentile(100), c.p100) << c.what;
    EXPECT_EQ(s.GetPercentile(0), s.GetPercentile(1)) << c.what;
    EXPECT_EQ(s.GetPercentile(150), s.GetPercentile(100)) << c.what;
  }
}

TEST_F(ThemeStats, WindowCellsOutsideTheGridCountAsNoDataAndSetTheExtent) {
  // 2 x 3 grid, cell 30, west 1000, south 2000 (north 2060).
  auto t = MakeTheme(2, 3, {1, 2, 3, 4, 5, 6});
  CThemeStats s;
  s.Compute(*t, CellWindow{1, 1, 3, 2});
  EXPECT_EQ(s.windowRows, 2);
  EXPECT_EQ(s.windowColumns, 3);
  EXPECT_EQ(s.validCount, 2);
  EXPECT_EQ(s.noDataCount, 4);
  EXPECT_EQ(s.mean, 5.5);
  EXPECT_EQ(s.windowWest, 1030);
  EXPECT_EQ(s.windowNorth, 2030);
  EXPECT_EQ(s.windowEast, 1120);
  EXPECT_EQ(s.windowSouth, 1970);

  s.Compute(*t, CellWindow{2, 1, 1, 1});
  EXPECT_EQ(s.validCount, 0);
  EXPECT_EQ(s.noDataCount, 0);
  EXPECT_EQ(s.maximum, 0);
}

// A grid large enough for the fast sort, with negative values, signed zeros, repeated values
// and no data; judged by numpy and gdalinfo.
TEST_F(ThemeStats, LargeGridMatchesNumpyAndGdal) {
  const std::string out = Python(R"(
import numpy as np, subprocess, json
from osgeo import gdal
folder = ')" + dir_ + R"('
rng = np.random.default_rng(11)
a = np.round(rng.normal(3, 40, (180, 230)), 1).astype(np.float32)
a[rng.random(a.shape) < 0.1] = -9999
a[0, :20] = -0.0
a[1, :20] = 0.0
ds = gdal.GetDriverByName('GTiff').Create(folder + '/g.tif', 230, 180, 1, gdal.GDT_Float32)
ds.SetGeoTransform((0, 10, 0, 1800, 0, -10))
ds.GetRasterBand(1).SetNoDataValue(-9999)
ds.GetRasterBand(1).WriteArray(a)
ds = None
info = json.loads(subprocess.run(['gdalinfo', '-stats', '-json', folder + '/g.tif'],
                                 capture_output=True, check=True).stdout)
band = info['bands'][0]
v = a[a != -9999].astype(np.float64)
s = np.sort(v)
n = len(s)
h = 0.0
pct = []
for k in range(100):
    h += n * 0.01
    if h >= n: h = n - 1
    pct.append(s[int(h)])
vals, counts = np.unique(s, return_counts=True)
mode = vals[np.argmax(counts)]
print(n, (a == -9999).sum(), repr(v.mean()), repr(v.var(ddof=1)), repr(band['minimum']),
      repr(band['maximum']), repr(mode))
print(' '.join(repr(x) for x in pct))
)",
                                 dir_);
  const auto n = ParseNumbers(out);
  ASSERT_EQ(n.size(), 107u) << out;
  CTheme t;
  ASSERT_EQ(t.LoadGdalRaster(10, Path("g.tif")), 1);
  CThemeStats s;
  s.Compute(t, CellWindow{0, 0, 229, 179});
  EXPECT_EQ(s.validCount, n[0]);
  EXPECT_EQ(s.noDataCount, n[1]);
  EXPECT_NEAR(s.mean, n[2], 1e-9 * std::fabs(n[2]) + 1e-9);
  EXPECT_NEAR(s.variance, n[3], 1e-9 * n[3]);
  // gdalinfo prints the float extremes rounded.
  EXPECT_EQ(static_cast<float>(s.minimum), static_cast<float>(n[4]));
  EXPECT_EQ(static_cast<float>(s.maximum), static_cast<float>(n[5]));
  EXPECT_EQ(s.mode, n[6]);
  for (int k = 1; k <= 100; ++k) EXPECT_EQ(s.GetPercentile(k), n[6 + static_cast<std::size_t>(k)]) << k;
  EXPECT_EQ(s.median, s.GetPercentile(50));
}

TEST(ThemeStatsValues, ArrowValuesSkipNoDataAndTakeSquareCellsFromTheWidth) {
  CThemeStats s;
  // 2 x 4 arrows over 0..400 east-west: cells of 100.
  s.ComputeArrowValues({kNoData, 10, 20, kNoData, 30, 30, kNoData, 40}, CellWindow{0, 0, 3, 1}, 400, 0, 1000);
  EXPECT_EQ(s.validCount, 5);
  EXPECT_EQ(s.noDataCount, 3);
  EXPECT_EQ(s.mean, 26);
  EXPECT_EQ(s.mode, 30);
  EXPECT_EQ(s.windowSouth, 800);
  EXPECT_EQ(s.windowEast, 400);
}

}  // namespace
