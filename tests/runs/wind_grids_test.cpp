// A fire-growth run's gridded-wind layer set: the engine's series with grids reused within the
// bins, copied into the run, saved as a GeoTIFF with its description and read back.
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "engines/embrith_engine.h"
#include "runs/wind_grids.h"

namespace fs = std::filesystem;

namespace {

struct Folder {
  fs::path dir = fs::temp_directory_path() / ("pv_windgrids_" + std::to_string(::getpid()));
  Folder() { fs::create_directories(dir); }
  ~Folder() { fs::remove_all(dir); }
  std::string operator/(const std::string& name) const { return (dir / name).string(); }
};

// Four weather hours over a hill: the second lies within the bins of the first.
void FillSeries(CEmbrith& e) {
  engines::WindTerrain t;
  t.rows = 6;
  t.cols = 8;
  t.cell = 100;
  for (int r = 0; r < t.rows; ++r)
    for (int c = 0; c < t.cols; ++c) {
      t.elevation.push_back(1000 + 150 * std::exp(-((c - 4) * (c - 4) + (r - 2) * (r - 2)) / 4.0));
      t.vegetation.push_back(1.0);
    }
  e.GustforgeSeries().Reset(t, 5000, 7000, 2, 5, 2);
  std::atomic<bool> cancel{false};
  const engines::WindHour hours[] = {{"07/15 1300", 60, 10, 270}, {"07/15 1400", 120, 11, 273},
                                     {"07/15 1500", 180, 15, 270}, {"07/15 1600", 240, 10, 300}};
  for (const auto& h : hours) ASSERT_EQ(e.GustforgeSeries().Add(h, cancel), engines::kWindOk);
}

std::string Python(const std::string& code) {
  const std::string cmd = std::string(PV_PYTHON) + " -c \"" + code + "\"";
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[512];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  return out;
}

}  // namespace

TEST(WindGrids, EngineSeriesReusesGridsWithinTheBinsAndStoresRowsNorthFirst) {
  CEmbrith e;
  FillSeries(e);
  EXPECT_EQ(e.GetNumGustforgeGrids(), 4);
  EXPECT_EQ(e.GustforgeSeries().Solved(), 3);
  EXPECT_EQ(e.GetGustforgeSpeedGrid(0), e.GetGustforgeSpeedGrid(1));
  EXPECT_NE(e.GetGustforgeSpeedGrid(0), e.GetGustforgeSpeedGrid(2));
  runs::WindGridSet set;
  runs::StoreWindGrids(e, 0, set);
  ASSERT_EQ(set.count, 4);
  EXPECT_EQ(set.rows, 6);
  EXPECT_EQ(set.columns, 8);
  EXPECT_DOUBLE_EQ(set.xll, 5000);
  EXPECT_DOUBLE_EQ(set.cellSize, 100);
  EXPECT_EQ(set.dateTimes[2], "07/15 1500");
  EXPECT_DOUBLE_EQ(set.endTimes[3], 240);
  EXPECT_FLOAT_EQ(set.inputSpeeds[1], 11);
  EXPECT_EQ(set.inputDirections[3], 300);
  EXPECT_EQ(set.inputSpeedUnits[0], "mph");
  // Engine row 0 (south) is the stored grid's last row.
  EXPECT_EQ(set.speed[2][5 * 8 + 3], e.GetGustforgeSpeedGrid(2)[0][3]);
  runs::WindGridSet metric;
  runs::StoreWindGrids(e, 1, metric);
  EXPECT_NEAR(metric.inputSpeeds[0], 10 * 1.609344 * 1.15, 1e-4);
  EXPECT_EQ(metric.inputSpeedUnits[0], "km/h");
}

TEST(WindGrids, SavedSetReadsInGdalAndLoadsBackWithoutDrift) {
  Folder f;
  GDALAllRegister();
  {
    // A landscape stand-in: only its geotransform and projection are read.
    std::unique_ptr<GDALDataset> land(GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
        (f / "land.tif").c_str(), 4, 4, 1, GDT_Int16, nullptr));
    double gt[6] = {5000, 30, 0, 7600, 0, -30};
    land->SetGeoTransform(gt);
    land->SetProjection("EPSG:32612");
  }
  CEmbrith e;
  FillSeries(e);
  runs::WindGridSet set;
  runs::StoreWindGrids(e, 0, set);
  std::string why;
  ASSERT_EQ(runs::SaveWindGrids(set, f / "land.tif", f / "w.tif", f / "w.xml", 1, 1, &why), 1) << why;

  const std::string info = Python(
      "from osgeo import gdal; d = gdal.Open('" + (f / "w.tif") + "'); "
      "print(d.RasterCount, d.RasterXSize, d.RasterYSize, d.GetGeoTransform()[3]); "
      "[print(d.GetRasterBand(b).GetDescription() + '|' + d.GetRasterBand(b).GetUnitType() + '|' + "
      "d.GetRasterBand(b).GetMetadataItem('InputSpeed') + '|' + '%.3f' % d.GetRasterBand(b).ReadAsArray()[5, 3]) "
      "for b in (1, 2)]");
  char want[200];
  std::snprintf(want, sizeof want, "8 8 6 7600.0\nWind Speed|km/h|10.0 |%.3f\nWind Direction|degrees|10.0 |%.3f\n",
                set.speed[0][5 * 8 + 3] * 1.609344, static_cast<double>(set.direction[0][5 * 8 + 3]));
  EXPECT_EQ(info, want);
  std::ifstream xml(f / "w.xml");
  const std::string text((std::istreambuf_iterator<char>(xml)), {});
  EXPECT_NE(text.find("<layer id=\"1\" name=\"Wind Speed\" units=\"km/h\" datetime=\"07/15 1300\" endtime=\"60.0\" "
                      "inputspeed=\"10.0 \" inputdirection=\"270\" inputspeedunits=\"mph\">"),
            std::string::npos);
  EXPECT_NE(text.find("<layer id=\"8\" name=\"Wind Direction\" units=\"degrees\""), std::string::npos);
  EXPECT_EQ(std::system(("xmllint --noout " + (f / "w.xml")).c_str()), 0);

  // Loading converts km/h back to mph: a second save writes the same speeds, not 1.609 times them.
  runs::WindGridSet back;
  ASSERT_EQ(runs::LoadWindGrids(f / "w.tif", f / "w.xml", back), 1);
  ASSERT_EQ(back.count, 4);
  for (size_t i = 0; i < set.speed[3].size(); ++i) EXPECT_NEAR(back.speed[3][i], set.speed[3][i], 1e-4);
  EXPECT_EQ(back.direction[1], set.direction[1]);
  EXPECT_EQ(back.dateTimes[3], "07/15 1600");
  EXPECT_DOUBLE_EQ(back.yll, set.yll);
  ASSERT_EQ(runs::SaveWindGrids(back, f / "land.tif", f / "w2.tif", f / "w2.xml", 1, 1), 1);
  runs::WindGridSet again;
  ASSERT_EQ(runs::LoadWindGrids(f / "w2.tif", f / "w2.xml", again), 1);
  EXPECT_NEAR(again.speed[0][10], set.speed[0][10], 1e-4);

  // Refusals leave the set empty and name the file at fault with the reason.
  std::ofstream(f / "short.xml") << text.substr(0, text.find("<layer id=\"8\"")) << "\t</layers>\n</embrithWindGrids>\n";
  std::ofstream(f / "cut.xml") << text.substr(0, text.find("<layer id=\"3\"") + 20);
  std::ofstream(f / "tags.xml") << "<embrithWindGrids>\n<layers></layer>\n</embrithWindGrids>\n";
  std::ofstream(f / "empty.xml") << "<embrithWindGrids><layers></layers></embrithWindGrids>\n";
  const struct {
    const char *tif, *xml;
    int code;
    const char* why;
  } refusals[] = {
      {"w.tif", "short.xml", -3, "short.xml describes 7 layers for the 8 bands of "},
      {"w.tif", "cut.xml", -2, "cut.xml is not well-formed XML ("},
      {"w.tif", "tags.xml", -2, "tags.xml is not well-formed XML (line 2: "},
      {"w.tif", "empty.xml", -2, "empty.xml describes no layers"},
      {"w.tif", "none.xml", -2, "none.xml cannot be read"},
      {"none.tif", "w.xml", -1, "none.tif cannot be opened as a GeoTIFF"},
  };
  for (const auto& r : refusals) {
    why.clear();
    EXPECT_EQ(runs::LoadWindGrids(f / r.tif, f / r.xml, back, &why), r.code) << r.xml;
    EXPECT_EQ(back.count, 0);
    EXPECT_NE(why.find(r.why), std::string::npos) << why;
  }
  EXPECT_EQ(runs::SaveWindGrids(runs::WindGridSet{}, f / "land.tif", f / "x.tif", f / "x.xml", 0, 1), -1);
}
