#include <gtest/gtest.h>

#include <cstring>

#include <gdal_priv.h>

#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/progress.h"
#include "themes_test_support.h"

using themes_test::MakeTheme;
using themes_test::ParseNumbers;
using themes_test::Python;
using themes_test::ReadBytes;
using themes_test::RunCommand;
using themes_test::TempFolderTest;
using themes_test::WriteBytes;

namespace {

class ThemeFiles : public TempFolderTest {};

std::vector<float> AllCells(const CTheme& t) {
  std::vector<float> v;
  for (int r = 0; r < t.rows; ++r)
    for (int c = 0; c < t.columns; ++c) v.push_back(t.GetCellValue(c, r));
  return v;
}

// ---- own binary raster file ----

TEST_F(ThemeFiles, OwnFileRoundTripsFieldsCellsAndBytes) {
  auto t = MakeTheme(3, 2, {1.5f, -2, kNoData, 4, 5, 6e7f}, 7, 3, 25.5, -100, 50);
  t->name = std::string(255, 'n');
  t->noData = -1;
  const std::string first = Path("a.pvt"), second = Path("b.pvt");
  ASSERT_TRUE(t->SaveThemeFile(first));
  EXPECT_EQ(ReadBytes(first).size(), 67u + 255 + 6 * 4);

  CTheme back;
  ASSERT_EQ(back.LoadThemeFile(first), 1);
  EXPECT_EQ(back.name, t->name);
  EXPECT_EQ(back.rows, 3);
  EXPECT_EQ(back.columns, 2);
  EXPECT_EQ(back.layerType, 7);
  EXPECT_EQ(back.units, 3);
  EXPECT_EQ(back.noData, -1);
  EXPECT_EQ(back.cellWidth, 25.5);
  EXPECT_EQ(back.west, -100);
  EXPECT_EQ(back.south, 50);
  EXPECT_EQ(back.north, t->north);
  EXPECT_EQ(back.east, t->east);
  EXPECT_EQ(AllCells(back), AllCells(*t));
  EXPECT_FALSE(back.HasMemoryGrid());
  ASSERT_TRUE(back.SaveThemeFile(second));
  EXPECT_EQ(ReadBytes(first), ReadBytes(second));
}

TEST_F(ThemeFiles, OwnFileCutsNamesAt255Bytes) {
  auto t = MakeTheme(1, 1, {1});
  t->name = std::string(300, 'x');
  ASSERT_TRUE(t->SaveThemeFile(Path("long.pvt")));
  CTheme back;
  ASSERT_EQ(back.LoadThemeFile(Path("long.pvt")), 1);
  EXPECT_EQ(back.name, std::string(255, 'x'));
}

TEST_F(ThemeFiles, DamagedOwnFilesAreRefusedWithoutAllocatingOrLeavingScratch) {
  auto t = MakeTheme(2, 2, {1, 2, 3, 4});
  t->name = "abc";
  ASSERT_TRUE(t->SaveThemeFile(Path("good.pvt")));
  const std::string good = ReadBytes(Path("good.pvt"));
  t.reset();
  auto withInt = [&](std::size_t at, std::int32_t v) {
    std::string b = good;
    std::memcpy(b.data() + at, &v, 4);
    return b;
  };
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"one cell byte short", good.substr(0, good.size() - 1)},
      {"header only", good.substr(0, 40)},
      {"name without end", good.substr(0, 64) + std::string(400, 'z')},
      {"units cut", good.substr(0, 69)},
      {"rows x columns beyond the file", withInt(0, 1 << 30)},
      {"huge columns", withInt(4, 0x7fffffff)},
      {"negative rows", withInt(0, -2)},
  };
  for (const auto& c : cases) {
    const std::string path = Path("bad.pvt");
    WriteBytes(path, c.bytes);
    platform::ScopedRecordingMessages messages;
    CTheme back;
    EXPECT_EQ(back.LoadThemeFile(path), 0) << c.what;
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error opening " + path}) << c.what;
    EXPECT_EQ(CountFiles(".pvb"), 0) << c.what;
  }
  CTheme missing;
  EXPECT_EQ(missing.LoadThemeFile(Path("none.pvt")), 0);
}

TEST_F(ThemeFiles, FailedSaveIsReportedAndKeepsThePreviousFile) {
  auto t = MakeTheme(1, 1, {1});
  platform::ScopedRecordingMessages messages;
  const std::string path = Path("missing/x.pvt");
  EXPECT_FALSE(t->SaveThemeFile(path));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error opening " + path});
}

// ---- ESRI ASCII grid ----

TEST_F(ThemeFiles, AsciiGridFromGdalWithUpperCaseHeaderAndNoNodataMatchesGdal) {
  const std::string out = Python(R"(
import numpy as np
from osgeo import gdal
folder = ')" + dir_ + R"('
rng = np.random.default_rng(7)
a = (rng.random((6, 5)) * 1000 - 200).astype(np.float32)
ds = gdal.GetDriverByName('GTiff').Create(folder + '/src.tif', 5, 6, 1, gdal.GDT_Float32)
ds.SetGeoTransform((512345.5, 30, 0, 4100000.0, 0, -30))
ds.GetRasterBand(1).WriteArray(a)
ds = None
gdal.Translate(folder + '/g.asc', folder + '/src.tif', format='AAIGrid')
lines = open(folder + '/g.asc').read().split('\n')
out = []
for i, l in enumerate(lines):
    out.append(l.upper() if i < 5 else l)
assert not any('NODATA' in l for l in out)
open(folder + '/g.asc', 'w').write('\n'.join(out))
r = gdal.Open(folder + '/g.asc')
gt = r.GetGeoTransform()
print(gt[0], gt[3], gt[1], r.RasterXSize, r.RasterYSize)
print(' '.join(repr(float(v)) for v in r.ReadAsArray().ravel()))
)",
                                 dir_);
  const auto numbers = ParseNumbers(out);
  ASSERT_EQ(numbers.size(), 5u + 30u) << out;
  CTheme t;
  ASSERT_EQ(t.LoadGridFile(10, Path("g.asc")), 1);
  EXPECT_EQ(t.name, "g");
  EXPECT_DOUBLE_EQ(t.west, numbers[0]);
  EXPECT_DOUBLE_EQ(t.north, numbers[1]);
  EXPECT_DOUBLE_EQ(t.cellWidth, numbers[2]);
  EXPECT_EQ(t.columns, 5);
  EXPECT_EQ(t.rows, 6);
  const auto cells = AllCells(t);
  for (std::size_t i = 0; i < cells.size(); ++i)
    EXPECT_EQ(cells[i], static_cast<float>(numbers[5 + i])) << i;
}

TEST_F(ThemeFiles, AsciiGridHeaderIsReadByKeyword) {
  struct Case {
    const char* what;
    const char* text;
    double west, south;
    std::vector<float> cells;
  } cases[] = {
      {"any order and case, nodata mapped",
       "CellSize 10\nNODATA_value -1\nyllcorner 5\nNROWS 2\nxllcorner 3\nncols 2\n1 -1\n3,4\n", 3, 5,
       {1, kNoData, 3, 4}},
      {"no nodata line keeps the first row", "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n9 8\r\n7 6\r\n",
       0, 0, {9, 8, 7, 6}},
      {"longer keyword spellings match", "NCOLSX 2\nnrowsx 1\nxllcornerx 1\nyllcorner 2\ncellsize 1\n1 +2e1\n",
       1, 2, {1, 20}},
      {"cell-centre keywords are not corners", "ncols 1\nnrows 1\nxllcenter 7\nyllcenter 7\ncellsize 1\n5\n", 0, 0,
       {5}},
  };
  for (const auto& c : cases) {
    const std::string path = Path("h.asc");
    WriteBytes(path, c.text);
    CTheme t;
    ASSERT_EQ(t.LoadGridFile(10, path), 1) << c.what;
    EXPECT_EQ(t.west, c.west) << c.what;
    EXPECT_EQ(t.south, c.south) << c.what;
    EXPECT_EQ(AllCells(t), c.cells) << c.what;
    EXPECT_EQ(t.noData, kNoData) << c.what;
  }
}

TEST_F(ThemeFiles, AsciiGridTakesItsProjectionAndRefusesBrokenData) {
  WriteBytes(Path("p.asc"), "ncols 1\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n5\n");
  WriteBytes(Path("p.prj"), "PROJCS[\"x\"]\r\nsecond line\n");
  {
    CTheme t;
    ASSERT_EQ(t.LoadGridFile(10, Path("p.asc")), 1);
    EXPECT_EQ(t.projection, "PROJCS[\"x\"]");
  }

  const char* bad[] = {
      "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2 3\n",        // short
      "ncols 2\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 x\n",          // not a number
      "nrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n1\n",                     // no ncols
      "ncols 100000\nnrows 100000\nxllcorner 0\nyllcorner 0\ncellsize 1\n1\n",  // beyond the file
      "ncols -3\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize 1\n1\n",
      "ncols 1\nnrows 1\nxllcorner 0\nyllcorner 0\ncellsize inf\n1\n",
  };
  for (const char* text : bad) {
    WriteBytes(Path("b.asc"), text);
    platform::ScopedRecordingMessages messages;
    CTheme b;
    EXPECT_EQ(b.LoadGridFile(10, Path("b.asc")), 0) << text;
    EXPECT_EQ(messages.Texts().size(), 1u) << text;
    EXPECT_EQ(CountFiles(".pvb"), 0) << text;
  }
  CTheme missing;
  EXPECT_EQ(missing.LoadGridFile(10, Path("none.asc")), 0);
}

// ---- rasters through GDAL ----

TEST_F(ThemeFiles, GdalReaderConvertsTypesAndMapsNodataToTheSystemValue) {
  Python(R"(
import numpy as np
from osgeo import gdal
folder = ')" + dir_ + R"('
def make(name, dtype, values, gt=(100, 10, 0, 200, 0, -10), nodata=None):
    a = np.array(values)
    ds = gdal.GetDriverByName('GTiff').Create(folder + '/' + name, a.shape[1], a.shape[0], 1, dtype)
    if gt: ds.SetGeoTransform(gt)
    if nodata is not None: ds.GetRasterBand(1).SetNoDataValue(nodata)
    ds.GetRasterBand(1).WriteArray(a)
make('byte.tif', gdal.GDT_Byte, [[200, 0]], nodata=0)
make('f64.tif', gdal.GDT_Float64, [[1.5, -3.25]])
make('neg.tiff', gdal.GDT_Int16, [[-7, 7]], gt=(120, -10, 0, 200, 0, -10))
make('nogt.tif', gdal.GDT_Float32, [[1, 2]], gt=None)
)",
         dir_);
  struct Case {
    const char* file;
    std::vector<float> cells;
    double west, cellWidth;
  } cases[] = {
      {"byte.tif", {200, kNoData}, 100, 10},
      {"f64.tif", {1.5f, -3.25f}, 100, 10},
      {"neg.tiff", {-7, 7}, 120, 10},
  };
  for (const auto& c : cases) {
    CTheme t;
    ASSERT_EQ(t.LoadGridFile(10, Path(c.file)), 1) << c.file;
    EXPECT_TRUE(t.HasMemoryGrid());
    EXPECT_EQ(AllCells(t), c.cells) << c.file;
    EXPECT_EQ(t.cellWidth, c.cellWidth) << c.file;
    EXPECT_EQ(t.west, c.west) << c.file;
    EXPECT_EQ(t.south, 190) << c.file;
    EXPECT_EQ(t.name, std::string(c.file).substr(0, std::string(c.file).find('.')));
  }
  // A few bytes that claim more cells than the machine holds are refused, not allocated.
  Python("from osgeo import gdal\n"
         "ds = gdal.GetDriverByName('GTiff').Create('" + Path("huge.tif") +
             "', 1000000, 1000000, 1, gdal.GDT_Float32, ['SPARSE_OK=TRUE', 'BIGTIFF=YES', 'TILED=YES'])\n"
         "ds.SetGeoTransform((0, 1, 0, 0, 0, -1))\n",
         dir_);
  CTheme huge;
  EXPECT_EQ(huge.LoadGdalRaster(10, Path("huge.tif")), 0);
  EXPECT_FALSE(huge.HasMemoryGrid());
  CTheme noGeo;
  EXPECT_EQ(noGeo.LoadGdalRaster(10, Path("nogt.tif")), -1);
  CTheme missing;
  EXPECT_EQ(missing.LoadGdalRaster(10, Path("none.tif")), 0);
}

TEST_F(ThemeFiles, GeoTiffWriterGivesFloat32DeflateNodataUnitsAndDisplayValues) {
  // Stand height in tenths of metres, shown in feet.
  auto t = MakeTheme(2, 3, {123, 0, kNoData, 50, 1000, 7}, 5, 3, 30, 500000, 4000000);
  t->name = "Stand Height";
  CThemeLegendData legend;
  legend.SetTheme(t.get());
  legend.SetUnits(1);
  const std::string path = Path("out.tif");
  ASSERT_TRUE(t->SaveGeoTiff("EPSG:32611", path, &legend));

  const std::string info = RunCommand("gdalinfo -stats -mdd all " + path);
  for (const char* expected : {"Type=Float32", "COMPRESSION=DEFLATE", "NoData Value=-9999",
                               "UnitOfMeasure=Feet", "RepresentationType=THEMATIC",
                               "Description = Stand Height", "32611"})
    EXPECT_NE(info.find(expected), std::string::npos) << expected << "\n" << info;

  const auto values = ParseNumbers(Python(R"(
from osgeo import gdal
ds = gdal.Open(')" + path + R"(')
print(' '.join(repr(float(v)) for v in ds.GetRasterBand(1).ReadAsArray().ravel()))
print(' '.join(repr(v) for v in ds.GetGeoTransform()))
)",
                                          dir_));
  ASSERT_EQ(values.size(), 12u);
  const float expected[] = {40.354f, 0, kNoData, 16.404f, 328.08f, 2.29656f};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(values[static_cast<std::size_t>(i)], expected[i], 1e-3) << i;
  EXPECT_EQ(values[6], 500000);
  EXPECT_EQ(values[9], 4000060);
  EXPECT_EQ(values[11], -30);
  EXPECT_TRUE(platform::FileExists(path + ".aux.xml"));
  // A projection text GDAL cannot read leaves the file without one.
  EXPECT_TRUE(t->SaveGeoTiff("EPSG:999999", Path("plain.tif"), &legend));
  for (auto& e : std::filesystem::directory_iterator(dir_))
    EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
}

TEST_F(ThemeFiles, GeoTiffWriterReportsFailureWithoutCrashing) {
  auto t = MakeTheme(1, 1, {1});
  platform::ScopedRecordingMessages messages;
  const std::string path = Path("missing/out.tif");
  EXPECT_FALSE(t->SaveGeoTiff("", path, nullptr));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error writing " + path});
  EXPECT_FALSE(platform::FileExists(path));
}

// Counts rows reported and cancels at the given check (0: never).
class CancelAt : public platform::ProgressSink {
 public:
  explicit CancelAt(int check) : check_(check) {}
  void SetText(const std::string&) override {}
  void SetRange(long long r) override { range = r; }
  void SetPosition(long long p) override { position = p; }
  bool CancelRequested() override { return ++checks == check_; }
  long long range = 0, position = -1;
  int checks = 0;

 private:
  int check_;
};

TEST_F(ThemeFiles, LongReadsAndWritesReportRowsAndStopCleanlyWhenCancelled) {
  std::string text = "ncols 2\nnrows 200\nxllcorner 0\nyllcorner 0\ncellsize 1\n";
  for (int r = 0; r < 200; ++r) text += "1 2\n";
  WriteBytes(Path("big.asc"), text);
  platform::ScopedRecordingMessages messages;
  {
    CancelAt never(0);
    CTheme t;
    ASSERT_EQ(t.LoadGridFile(10, Path("big.asc"), &never), 1);
    EXPECT_EQ(never.range, 200);
    EXPECT_EQ(never.position, 192);
    EXPECT_TRUE(t.SaveGeoTiff("", Path("big.tif"), nullptr, &never));
    CancelAt second(2);
    EXPECT_FALSE(t.SaveGeoTiff("", Path("cancelled.tif"), nullptr, &second));
    EXPECT_FALSE(platform::FileExists(Path("cancelled.tif")));
  }
  for (const char* file : {"big.asc", "big.tif"}) {
    CancelAt second(2);
    CTheme t;
    EXPECT_EQ(t.LoadGridFile(10, Path(file), &second), 0) << file;
    EXPECT_EQ(t.GetCellValue(0, 0), kNoData) << file;
  }
  EXPECT_EQ(CountFiles(".pvb"), 0);
  EXPECT_TRUE(messages.Texts().empty());
}

// ---- landscape bands through GDAL ----

TEST_F(ThemeFiles, LandscapeBandsConvertAspectAndCanopyClassesAndReportTheRange) {
  GDALAllRegister();
  std::unique_ptr<GDALDataset> mem(
      GetGDALDriverManager()->GetDriverByName("MEM")->Create("", 3, 2, 1, GDT_Int16, nullptr));
  GDALRasterBand* band = mem->GetRasterBand(1);
  auto fill = [&](std::vector<std::int16_t> v) {
    ASSERT_EQ(band->RasterIO(GF_Write, 0, 0, 3, 2, v.data(), 3, 2, GDT_Int16, 0, 0), CE_None);
  };
  LandscapeGrid g{2, 3, 90, 0, 60, 0, 30, 30};
  struct Case {
    const char* what;
    int layerType, units;
    std::vector<std::int16_t> cells;
    std::vector<float> expected;
    int low, high, unitsAfter;
  } cases[] = {
      {"aspect classes", 2, 0, {1, 7, 13, 25, -1, 4}, {90, 0, 270, 25, kNoData, 45}, 0, 270, 2},
      {"aspect ccw degrees", 2, 1, {0, 180, 90, 45, 270, 300}, {90, 270, 0, 45, 180, 150}, 0, 270, 2},
      {"canopy classes", 4, 0, {1, 2, 3, 4, -1, 0}, {25, 50, 75, 100, kNoData, 0}, 0, 100, 1},
      {"elevation keeps negatives", 0, 0, {-20, 0, 5, 5, 5, 5}, {-20, 0, 5, 5, 5, 5}, -20, 5, 0},
      {"fuel without data", 3, 0, {-1, -1, -1, -1, -1, -1}, std::vector<float>(6, kNoData), -9999, -9999, 0},
  };
  for (const auto& c : cases) {
    fill(c.cells);
    CTheme t;
    int low = 1, high = 1;
    ASSERT_EQ(t.ReadLandscapeBand(c.layerType, g, band, c.units, &low, &high), 1) << c.what;
    EXPECT_EQ(AllCells(t), c.expected) << c.what;
    EXPECT_EQ(low, c.low) << c.what;
    EXPECT_EQ(high, c.high) << c.what;
    EXPECT_EQ(t.units, c.unitsAfter) << c.what;
  }
  // A reload reads the band again by the same rule.
  CTheme aspect;
  fill({1, 7, 13, 25, -1, 4});
  ASSERT_EQ(aspect.ReadLandscapeBand(2, g, band, 0), 1);
  fill({13, 0, -3, 1, 26, 4});
  ASSERT_EQ(aspect.ReadShortBand(band), 1);
  EXPECT_EQ(AllCells(aspect), (std::vector<float>{270, kNoData, kNoData, 90, kNoData, 45}));
}

TEST_F(ThemeFiles, ArrayConstructorsRoundDoublesAndComputeTheExtent) {
  const double cells[] = {0.1, 1e40, -2.5, 3};
  CTheme t;
  ASSERT_EQ(t.CreateFromDoubles("Flame Length", 10, 20, 5, 4, 2, 2, kNoData, cells, 0, 11), 1);
  EXPECT_EQ(t.north, 18);
  EXPECT_EQ(t.east, 30);
  EXPECT_EQ(AllCells(t), (std::vector<float>{0.1f, static_cast<float>(1e40), -2.5f, 3}));
  EXPECT_EQ(t.layerType, 11);
}

}  // namespace
