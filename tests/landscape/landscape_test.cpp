// Opening landscapes into layer themes and writing them out again, with GDAL as the judge.
#include "landscape/landscape.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "landscape/convert.h"
#include "landscape/geo.h"
#include "landscape/reader.h"
#include "landscape/geotiff.h"
#include "oracle.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "themes/theme.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>

using namespace landscape_test;
using landscape::LandscapeState;

namespace {

constexpr int kCols = 23, kRows = 17, kCells = kCols * kRows;

struct Opened {
  LandscapeState state;
  landscape::ThemeList themes;
  int rc = 0;
};

std::unique_ptr<Opened> Open(const std::string& path, bool inMemory = true) {
  auto o = std::make_unique<Opened>();
  o->rc = landscape::OpenLandscape(o->state, path, o->themes, landscape::OpenOptions{inMemory});
  return o;
}

landscape::AreaWindow WholeArea(const LandscapeState& s) {
  const CHeaderData& h = s.header;
  const CellWindow w{0, 0, h.columns - 1, h.rows - 1};
  return landscape::AreaWindow{w, w, h.west, h.south, h.north};
}

std::vector<float> Cells(const CTheme* t) {
  std::vector<float> v;
  for (int r = 0; r < t->rows; ++r)
    for (int c = 0; c < t->columns; ++c) v.push_back(t->GetCellValue(c, r));
  return v;
}

std::string WriteGdalLcp(const ScratchDir& dir, const std::string& name, int bands, bool english, bool classes,
                         int seed, const std::string& options = "", KeyValues* gdal = nullptr) {
  const std::string path = dir / name;
  KeyValues kv = Oracle("write_lcp " + path + " " + std::to_string(bands) + " " + (english ? "1 " : "0 ") +
                        (classes ? "1 " : "0 ") + std::to_string(seed) + " " + options);
  if (gdal) *gdal = kv;
  return path;
}

// What a layer theme holds for a value GDAL reads, by the layer's unit code: the codes as
// GDAL's LCP driver documents them, the conversions worked by hand.
float ThemeValue(int layer, int code, int v) {
  if (v == -9999) return -9999;
  if (layer == 0) return static_cast<float>(v);  // below sea level is data
  if (v < 0) return -9999;
  if (layer == 2) {
    double ccwFromEast;
    if (code == 2) return v <= 360 ? static_cast<float>(v) : -9999;
    if (code == 1) {
      if (v > 360) return -9999;
      ccwFromEast = v;
    } else {
      if (v == 25) return 25;  // flat
      if (v < 1 || v > 24) return -9999;
      ccwFromEast = (v - 1) * 15.0;
    }
    double azimuth = 90 - ccwFromEast;
    while (azimuth < 0) azimuth += 360;
    return static_cast<float>(azimuth);
  }
  if (layer == 4 && code == 0) {
    const float percent[] = {0, 25, 50, 75, 100};
    return v <= 4 ? percent[v] : static_cast<float>(v);
  }
  return static_cast<float>(v);
}

// Heights in metres and bulk density in kg/m^3, from a stored value by its unit code.
double StandardValue(int layer, int code, double v) {
  if (layer == 5 || layer == 6) {
    const double perCode[] = {0, 1, 0.3048, 0.1, 0.03048};
    return v * perCode[code];
  }
  const double perCode[] = {0, 1, 16.01846, 0.01, 0.01601846};
  return v * perCode[code];
}

const char* const kUnitItems[] = {"ELEVATION_UNIT", "SLOPE_UNIT", "ASPECT_UNIT", "FUEL_MODEL_OPTION",
                                  "CANOPY_COV_UNIT", "CANOPY_HT_UNIT", "CBH_UNIT", "CBD_UNIT", "DUFF_UNIT",
                                  "CWD_OPTION"};

}  // namespace

TEST(OpenLandscape, GdalWrittenLcpLayersMatchGdalInBothStores) {
  ScratchDir dir;
  struct Case {
    int bands;
    bool english, classes;
    const char* options;
  };
  const Case cases[] = {
      {5, false, true, ""},
      {7, true, false, ""},
      {8, false, false, "CANOPY_HT_UNIT=METERS,CBH_UNIT=METERS_X_10,CBD_UNIT=KG_PER_CUBIC_METER,"
                        "ASPECT_UNIT=GRASS_CATEGORIES"},
      {8, true, true, "CANOPY_HT_UNIT=FEET,CBH_UNIT=FEET_X_10,CBD_UNIT=POUND_PER_CUBIC_FOOT"},
      {10, true, true, ""},
      {10, false, false, "CBD_UNIT=KG_PER_CUBIC_METER_X_100,ASPECT_UNIT=AZIMUTH_DEGREES"},
  };
  int seed = 20;
  for (const Case& c : cases) {
    KeyValues g;
    const std::string path =
        WriteGdalLcp(dir, "o" + std::to_string(seed) + ".lcp", c.bands, c.english, c.classes, seed, c.options, &g);
    ++seed;
    const std::vector<std::int16_t> gdal = OracleCells(path);
    for (bool inMemory : {true, false}) {
      SCOPED_TRACE(testing::Message() << c.bands << " bands, english " << c.english << ", classes " << c.classes
                                      << ", " << c.options << ", in memory " << inMemory);
      auto o = Open(path, inMemory);
      ASSERT_EQ(o->rc, 1);
      const CHeaderData& h = o->state.header;
      EXPECT_EQ(o->state.bandCount, c.bands);
      EXPECT_EQ(h.BandCount(), c.bands);
      EXPECT_DOUBLE_EQ(h.west, 612345.5);  // the origin keeps its fraction
      EXPECT_DOUBLE_EQ(h.north, 4512345.25);
      EXPECT_DOUBLE_EQ(h.south, 4512345.25 - 17 * 30);
      EXPECT_TRUE(o->state.HasProjection());
      EXPECT_EQ(h.latitude, 41);  // UTM 12N centre, from the projection
      EXPECT_EQ(o->themes.size(), static_cast<std::size_t>(c.bands));
      int band = 0;
      for (int k = 0; k < 10; ++k) {
        CTheme* t = o->state.layers[k];
        ASSERT_EQ(t != nullptr, h.BandIndex(k) >= 0) << k;
        if (!t) continue;
        ++band;
        SCOPED_TRACE(k);
        const int code = std::stoi(g["band" + std::to_string(band) + ".meta." + kUnitItems[k]]);
        EXPECT_EQ(t->units, k == 2 ? 2 : k == 4 ? 1 : code);
        EXPECT_EQ(h.unitCodes[k], t->units);
        CThemeLegendData standard;
        standard.SetTheme(t);
        standard.SetUnits(0);
        const std::vector<float> got = Cells(t);
        bool any = false;
        float low = 0, high = 0;
        for (int i = 0; i < kCells; ++i) {
          const float want = ThemeValue(k, code, gdal[(band - 1) * kCells + i]);
          ASSERT_EQ(got[i], want) << "cell " << i << " from " << gdal[(band - 1) * kCells + i];
          if (want == -9999) continue;
          low = any ? std::min(low, want) : want;
          high = any ? std::max(high, want) : want;
          any = true;
          if (k >= 5 && k <= 7)
            ASSERT_NEAR(t->ConvertToDisplayUnits(want, standard), StandardValue(k, code, want),
                        2e-4 * std::max(1.0, StandardValue(k, code, want)));
        }
        EXPECT_EQ(h.layerStats[k].low, static_cast<int>(low));
        EXPECT_EQ(h.layerStats[k].high, static_cast<int>(high));
      }
    }
  }
}

TEST(OpenLandscape, RefusalsAndRouting) {
  ScratchDir dir;
  platform::ScopedRecordingMessages messages;
  {
    auto o = Open(dir / "missing.LCP");
    EXPECT_EQ(o->rc, -1);
    EXPECT_EQ(o->state.path, dir / "missing.LCP");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Cannot open " + dir / "missing.LCP" +
                                                         ": the file does not exist."});
    EXPECT_FALSE(o->state.loaded);
  }
  messages.Clear();
  {
    // A name ending in .lcp.tif goes to the GeoTIFF loader, which wants 8 bands.
    const std::string lcp = WriteGdalLcp(dir, "x.lcp", 5, false, false, 3);
    landscape::EnsureGdal();
    GDALDataset* ds = GDALDataset::Open(lcp.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
    GDALClose(GetGDALDriverManager()->GetDriverByName("GTiff")->CreateCopy((dir / "x.lcp.tif").c_str(), ds, FALSE,
                                                                           nullptr, nullptr, nullptr));
    GDALClose(ds);
    auto o = Open(dir / "x.lcp.tif");
    EXPECT_EQ(o->rc, -1);
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Error! GeoTIFF landscapes must contain at least 8 bands.\n" + dir / "x.lcp.tif" +
                                       " contains 5 bands.\n"});
    EXPECT_TRUE(o->themes.empty());
  }
  messages.Clear();
  {
    auto o = Open(dir / "nodot");
    EXPECT_EQ(o->rc, -1);
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Cannot open " + dir / "nodot" + ": the file does not exist."});
  }
}

TEST(WriteLandscape, LcpReadsBackInGdalAndRoundTripsByteForByte) {
  ScratchDir dir;
  platform::ScopedRecordingMessages messages;
  for (const bool english : {false, true}) {
    SCOPED_TRACE(english ? "english" : "metric");
    const std::string src = WriteGdalLcp(dir, english ? "e.lcp" : "m.lcp", 10, english, english, 30);
    auto o = Open(src);
    ASSERT_EQ(o->rc, 1);
    const std::string a = dir / (english ? "ea.lcp" : "ma.lcp"), b = dir / (english ? "eb.lcp" : "mb.lcp");
    ASSERT_TRUE(landscape::WriteLandscapeLcp(o->state, WholeArea(o->state), a));
    KeyValues in = Oracle("describe " + src), out = Oracle("describe " + a);
    EXPECT_EQ(out["geotransform"], in["geotransform"]);
    EXPECT_EQ(out["projection"], "yes");
    // The written unit codes describe the written values: cover in percent, aspect azimuth.
    for (const char* item : {"band1.meta.ELEVATION_UNIT", "band2.meta.SLOPE_UNIT", "band6.meta.CANOPY_HT_UNIT",
                             "band7.meta.CBH_UNIT", "band8.meta.CBD_UNIT", "band9.meta.DUFF_UNIT"})
      EXPECT_EQ(out[item], in[item]) << item;
    EXPECT_EQ(out["band3.meta.ASPECT_UNIT"], "2");
    EXPECT_EQ(out["band5.meta.CANOPY_COV_UNIT"], "1");
    const std::vector<std::int16_t> before = OracleCells(src), after = OracleCells(a);
    ASSERT_EQ(after.size(), before.size());
    for (int band = 0; band < 10; ++band) {
      const bool converted = english && (band == 2 || band == 4);
      for (int i = 0; i < kCells && !converted; ++i)
        ASSERT_EQ(after[band * kCells + i], before[band * kCells + i]) << "band " << band + 1 << " cell " << i;
    }
    // Duff as stored: no factor on the way out or in.
    EXPECT_EQ(out["band9.meta.DUFF_MAX"], in["band9.meta.DUFF_MAX"]);

    auto again = Open(a);
    ASSERT_EQ(again->rc, 1);
    ASSERT_TRUE(landscape::WriteLandscapeLcp(again->state, WholeArea(again->state), b));
    EXPECT_EQ(FileBytes(a), FileBytes(b));
    EXPECT_TRUE(std::filesystem::exists(dir / (english ? "ea.prj" : "ma.prj")));
  }
}

TEST(WriteLandscape, StatisticsAndCellRulesOfAnArea) {
  ScratchDir dir;
  const std::string src = WriteGdalLcp(dir, "s.lcp", 10, false, false, 41);
  auto o = Open(src);
  ASSERT_EQ(o->rc, 1);
  LandscapeState& s = o->state;
  s.layers[landscape::kStandHeight]->SetCellValue(2, 3, -3);
  s.layers[landscape::kDuffLoading]->SetCellValue(2, 3, 12);
  s.layers[landscape::kCoarseWoody]->SetCellValue(2, 3, -5);
  // An area of 4 x 3 cells from column 3, row 2.
  const CellWindow w{3, 2, 6, 4};
  const double west = s.header.west + 3 * 30, north = s.header.north - 2 * 30;
  const landscape::AreaWindow area{w, w, west, north - 3 * 30, north};
  const std::string out = dir / "area.lcp";
  ASSERT_TRUE(landscape::WriteLandscapeLcp(s, area, out));
  KeyValues g = Oracle("describe " + out);
  EXPECT_EQ(g["size"], "4 3");
  EXPECT_EQ(Numbers(g["geotransform"])[0], west);
  EXPECT_EQ(Numbers(g["geotransform"])[3], north);
  const std::vector<std::int16_t> cells = OracleCells(out);
  EXPECT_EQ(cells[5 * 12], 0);   // stand height -3 -> 0
  EXPECT_EQ(cells[8 * 12], 12);  // duff as stored
  EXPECT_EQ(cells[9 * 12], 0);
  // The fuel-model statistics are those of the written cells.
  std::set<int> fuels;
  for (int i = 0; i < 12; ++i)
    if (cells[3 * 12 + i] != -9999) fuels.insert(cells[3 * 12 + i]);
  std::string listed;
  for (int f : fuels) listed += (listed.empty() ? "" : ",") + std::to_string(f);
  const std::string values = g["band4.meta.FUEL_MODEL_VALUES"];
  EXPECT_EQ(values.substr(values.size() - std::min(values.size(), listed.size())), listed);
  EXPECT_EQ(g["band4.meta.FUEL_MODEL_NUM_CLASSES"], std::to_string(fuels.size()));
}

TEST(WriteLandscape, GeoTiffRoutesAgreeAndConvertOnce) {
  ScratchDir dir;
  const std::string src = WriteGdalLcp(dir, "g.lcp", 10, true, false, 50);
  platform::ScopedRecordingMessages messages;
  auto o = Open(src);
  ASSERT_EQ(o->rc, 1);
  const std::string converted = dir / "converted.tif", area = dir / "area.tif", themes = dir / "themes.tif";
  {
    GDALDataset* ds = GDALDataset::Open(src.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
    ASSERT_EQ(landscape::ConvertLcpToGeoTiff(ds, converted, ""), 0);
    GDALClose(ds);
  }
  ASSERT_TRUE(landscape::WriteAreaLandscapeGeoTiff(o->state, WholeArea(o->state), area));
  ASSERT_TRUE(landscape::WriteLandscapeGeoTiff(o->state, WholeArea(o->state), themes));
  Oracle("describe " + converted);
  Oracle("describe " + area);
  KeyValues t = Oracle("describe " + themes);
  const std::vector<std::int16_t> want = OracleCells(converted);
  auto same = [&](const std::string& path) {
    const std::vector<std::int16_t> got = OracleCells(path);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
      ASSERT_EQ(got[i], want[i]) << path << " band " << i / kCells + 1 << " cell " << i % kCells;
  };
  same(area);
  same(themes);
  EXPECT_EQ(t["geotransform"], "612345.5 30.0 0.0 4512345.25 0.0 -30.0");
  // Each of the three says the ground layers stay behind.
  EXPECT_EQ(messages.Texts().size(), 3u);

  // The same landscape with its cells in place gives the same file.
  auto inPlace = Open(src, false);
  ASSERT_TRUE(landscape::WriteLandscapeGeoTiff(inPlace->state, WholeArea(inPlace->state), themes));
  Oracle("describe " + themes);
  same(themes);
}

TEST(WriteLandscape, GeoTiffFromThemesWritesConvertedCoverAsItIs) {
  ScratchDir dir;
  const std::string src = WriteGdalLcp(dir, "c.lcp", 8, false, true, 55);
  auto o = Open(src);
  ASSERT_EQ(o->rc, 1);
  ASSERT_EQ(o->state.header.unitCodes[landscape::kCanopyCover], 1);
  const std::string out = dir / "c.tif";
  ASSERT_TRUE(landscape::WriteLandscapeGeoTiff(o->state, WholeArea(o->state), out));
  Oracle("describe " + out);
  const std::vector<std::int16_t> cells = OracleCells(out);
  const std::vector<float> cover = Cells(o->state.layers[landscape::kCanopyCover]);
  for (int i = 0; i < kCells; ++i) ASSERT_EQ(cells[4 * kCells + i], cover[i]) << i;
}

TEST(WriteLandscape, GeoTiffNeedsAProjection) {
  ScratchDir dir;
  const std::string src = WriteGdalLcp(dir, "p.lcp", 8, false, false, 60);
  platform::ScopedRecordingMessages messages;
  auto o = Open(src);
  ASSERT_EQ(o->rc, 1);
  o->state.projection = "[\"null\"]";
  EXPECT_FALSE(landscape::WriteLandscapeGeoTiff(o->state, WholeArea(o->state), dir / "p.tif"));
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_EQ(messages.Texts()[0].rfind("Error. No projection information associated with the landscape.", 0), 0u);
  EXPECT_FALSE(std::filesystem::exists(dir / "p.tif"));

  // The LCP writer needs no projection, but a folder it can write in.
  messages.Clear();
  const std::string bad = dir / "missing/p.lcp";
  EXPECT_FALSE(landscape::WriteLandscapeLcp(o->state, WholeArea(o->state), bad));
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error opening " + bad});
  EXPECT_TRUE(landscape::WriteLandscapeLcp(o->state, WholeArea(o->state), dir / "q.lcp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "q.prj"));
}

TEST(ReloadLandscape, CoverClassesBecomePercentAgain) {
  ScratchDir dir;
  const std::string src = WriteGdalLcp(dir, "r.lcp", 8, false, true, 70);
  auto o = Open(src);
  ASSERT_EQ(o->rc, 1);
  CTheme* cover = o->state.layers[landscape::kCanopyCover];
  CTheme* fuel = o->state.layers[landscape::kFuelModel];
  const std::vector<float> coverBefore = Cells(cover), fuelBefore = Cells(fuel);
  cover->SetCellValue(0, 0, 99);
  fuel->SetCellValue(0, 0, 99);
  o->state.edited = true;
  landscape::ReloadLandscape(o->state);
  EXPECT_EQ(Cells(cover), coverBefore);
  EXPECT_EQ(Cells(fuel), fuelBefore);
  EXPECT_TRUE(o->state.edited);
}

TEST(WriteLandscape, BandLabelsSayWhatTheBandsHold) {
  ScratchDir dir;
  const std::string src = WriteGdalLcp(dir, "l.lcp", 10, false, false, 80);
  auto o = Open(src);
  ASSERT_EQ(o->rc, 1);
  const std::string out = dir / "l2.lcp";
  ASSERT_TRUE(landscape::WriteLandscapeLcp(o->state, WholeArea(o->state), out));
  KeyValues g = Oracle("describe " + out);
  EXPECT_EQ(g["band2.unit"], "Degrees");
  EXPECT_EQ(g["band9.description"], "Duff Loading");
  EXPECT_EQ(g["band9.unit"], "Megagrams per hectare * 10");
  EXPECT_EQ(g["band10.description"], "Coarse Woody Fuels");
  EXPECT_EQ(g["band10.unit"], "Class");
}

TEST(WriteLandscape, ProjectionFileLandsBesideTheFile) {
  struct Case {
    const char* path;
    const char* prj;
  };
  for (const Case c : {Case{"/data/run.v2/area.lcp", "/data/run.v2/area.prj"},
                       Case{"/data/run.v2/area", "/data/run.v2/area.prj"},
                       Case{"C:\\data\\run.v2\\area", "C:\\data\\run.v2\\area.prj"}})
    EXPECT_EQ(landscape::PrjPathFor(c.path), c.prj);

  // Written in the ESRI dialect, read back as the same coordinate system.
  ScratchDir dir;
  OGRSpatialReference utm;
  utm.importFromEPSG(32611);
  char* wkt = nullptr;
  utm.exportToWkt(&wkt);
  ASSERT_TRUE(landscape::WritePrjFile(dir / "u.lcp", wkt));
  CPLFree(wkt);
  EXPECT_EQ(FileBytes(dir / "u.prj").rfind("PROJCS[\"WGS_1984_UTM_Zone_11N\"", 0), 0u);
  OGRSpatialReference back;
  ASSERT_EQ(back.importFromWkt(landscape::ReadPrjFile(dir / "u.prj").c_str()), OGRERR_NONE);
  EXPECT_TRUE(back.IsSame(&utm));
  EXPECT_EQ(landscape::ReadPrjFile(dir / "none.prj"), "");
}

TEST(SampleLandscape, OpensAsBothFileKinds) {
  platform::ScopedRecordingMessages messages;
  auto lcp = Open(PV_SOURCE_DIR "/data/sample/sample.lcp");
  auto tif = Open(PV_SOURCE_DIR "/data/sample/sample.tif");
  ASSERT_EQ(lcp->rc, 1);
  ASSERT_EQ(tif->rc, 1);
  EXPECT_TRUE(messages.Texts().empty());
  EXPECT_EQ(lcp->state.bandCount, 8);
  EXPECT_EQ(tif->state.bandCount, 8);
  EXPECT_TRUE(lcp->state.HasProjection());
  for (int k = 0; k < 8; ++k) EXPECT_EQ(Cells(lcp->state.layers[k]), Cells(tif->state.layers[k])) << k;
}

TEST(OpenLandscape, GeoTiffWithoutCanopyDataOrProjection) {
  ScratchDir dir;
  const std::string tif = dir / "bare.tif";
  {
    landscape::Dataset src = landscape::OpenReadOnly(PV_SOURCE_DIR "/data/sample/sample.tif");
    ASSERT_TRUE(src);
    GDALDataset* out = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(tif.c_str(), 40, 30, 10, GDT_Int16,
                                                                               nullptr);
    double gt[6];
    src->GetGeoTransform(gt);
    out->SetGeoTransform(gt);  // no projection
    std::vector<std::int16_t> cells(40 * 30);
    for (int b = 1; b <= 10; ++b) {
      src->GetRasterBand(std::min(b, 8))->RasterIO(GF_Read, 0, 0, 40, 30, cells.data(), 40, 30, GDT_Int16, 0, 0);
      if (b == 7) std::fill(cells.begin(), cells.end(), -9999);
      out->GetRasterBand(b)->RasterIO(GF_Write, 0, 0, 40, 30, cells.data(), 40, 30, GDT_Int16, 0, 0);
    }
    GDALClose(out);
  }
  CHeaderData h;
  ASSERT_EQ(h.ReadGeoTiffHeader(tif), 0);
  EXPECT_EQ(h.crownFlag, 20);
  EXPECT_EQ(h.latitude, 35);
  EXPECT_EQ(h.unitCodes, (std::array<std::int16_t, 10>{0, 0, 2, 0, 1, 3, 3, 3, 1, 0}));
  auto o = Open(tif);
  ASSERT_EQ(o->rc, 1);
  EXPECT_EQ(o->state.bandCount, 5);
  EXPECT_EQ(o->themes.size(), 5u);
  EXPECT_FALSE(o->state.HasProjection());
  EXPECT_EQ(o->state.header.latitude, 35);

  CHeaderData sample;
  ASSERT_EQ(sample.ReadGeoTiffHeader(PV_SOURCE_DIR "/data/sample/sample.tif"), 0);
  EXPECT_EQ(sample.crownFlag, 21);
  EXPECT_EQ(sample.latitude, 40);  // 40.7 N, truncated for a GeoTIFF
  auto lcp = Open(PV_SOURCE_DIR "/data/sample/sample.lcp");
  EXPECT_EQ(lcp->state.header.latitude, 41);  // rounded for an LCP
}

TEST(WriteLandscape, CancelledWriteKeepsThePreviousFile) {
  ScratchDir dir;
  struct Cancel : platform::ProgressSink {
    void SetText(const std::string&) override {}
    void SetRange(long long) override {}
    void SetPosition(long long) override {}
    bool CancelRequested() override { return true; }
  } cancel;
  auto o = Open(PV_SOURCE_DIR "/data/sample/sample.lcp");
  ASSERT_EQ(o->rc, 1);
  for (const char* name : {"c.lcp", "c.tif", "d.tif"}) {
    const std::string dest = dir / name;
    std::ofstream(dest) << "previous";
    const std::string n = name;
    const bool written = n == "c.lcp"   ? landscape::WriteLandscapeLcp(o->state, WholeArea(o->state), dest, &cancel)
                         : n == "c.tif" ? landscape::WriteLandscapeGeoTiff(o->state, WholeArea(o->state), dest, &cancel)
                                        : landscape::WriteAreaLandscapeGeoTiff(o->state, WholeArea(o->state), dest, &cancel);
    EXPECT_FALSE(written) << name;
    EXPECT_EQ(FileBytes(dest), "previous") << name;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(dest).parent_path()))
      EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
  }
}

TEST(LandscapeReader, GeoTiffAndLcpGiveTheSameWindows) {
  std::string error;
  auto lcp = landscape::LandscapeReader::Open(PV_SOURCE_DIR "/data/sample/sample.lcp", &error);
  auto tif = landscape::LandscapeReader::Open(PV_SOURCE_DIR "/data/sample/sample.tif", &error);
  ASSERT_TRUE(lcp && tif) << error;
  EXPECT_EQ(tif->Header().crownFlag, 21);
  std::vector<std::int16_t> a(30 * 20), b(30 * 20);
  for (int k = 0; k < 8; ++k) {
    ASSERT_TRUE(lcp->ReadWindow(k, 100, 70, 30, 20, a.data()));
    ASSERT_TRUE(tif->ReadWindow(k, 100, 70, 30, 20, b.data()));
    EXPECT_EQ(a, b) << k;
  }
  EXPECT_FALSE(tif->ReadWindow(8, 0, 0, 1, 1, a.data()));  // no ground layers in a GeoTIFF
  EXPECT_FALSE(landscape::LandscapeReader::Open(PV_SOURCE_DIR "/data/sample/sample.prj", &error));
  EXPECT_FALSE(error.empty());
}

TEST(OpenLandscape, GeoTiffCopyOfAnLcpKeepsItsUnitItemsAndOpensTheSame) {
  ScratchDir dir;
  // GDAL's copy of an English landscape carries the LCP driver's unit items on its bands.
  const std::string lcp = WriteGdalLcp(dir, "english.lcp", 8, true, true, 31,
                                       "ASPECT_UNIT=GRASS_CATEGORIES,CBD_UNIT=POUND_PER_CUBIC_FOOT_X_1000");
  landscape::EnsureGdal();
  GDALDataset* src = GDALDataset::Open(lcp.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
  ASSERT_TRUE(src);
  GDALClose(GetGDALDriverManager()->GetDriverByName("GTiff")->CreateCopy((dir / "english.tif").c_str(), src, FALSE,
                                                                         nullptr, nullptr, nullptr));
  GDALClose(src);
  auto fromLcp = Open(lcp), fromTif = Open(dir / "english.tif");
  ASSERT_EQ(fromLcp->rc, 1);
  ASSERT_EQ(fromTif->rc, 1);
  for (int k = 0; k < 8; ++k) {
    SCOPED_TRACE(k);
    const CTheme* a = fromLcp->state.layers[k];
    const CTheme* b = fromTif->state.layers[k];
    ASSERT_TRUE(a && b);
    EXPECT_EQ(b->units, a->units);
    EXPECT_EQ(Cells(b), Cells(a));
  }
}
