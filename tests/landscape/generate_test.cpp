// Landscape generation judged by GDAL: grids written by GDAL, the generated LCP or GeoTIFF read
// back by GDAL's LCP and GTiff drivers, every cell compared with numpy's conversion.
#include <gtest/gtest.h>

#include <filesystem>

#include "landscape/generate.h"
#include "landscape/header.h"
#include "oracle.h"
#include "platform/dialogs.h"
#include "platform/messages.h"

namespace {

using landscape::GenerationSettings;
using landscape_test::KeyValues;
using landscape_test::ScratchDir;

KeyValues GenOracle(const std::string& args) { return landscape_test::Oracle(args, "generate_oracle.py"); }

class Generate : public ::testing::Test {
 protected:
  void SetUp() override { GenOracle("grids " + dir_ / ""); }

  // Elevation, slope and fuel from grids, the rest constants; geometry fixed by the grids.
  GenerationSettings Settings(bool crown) {
    GenerationSettings s;
    // The GeoTIFF first: it fixes the geometry and gives the projection and latitude.
    EXPECT_TRUE(landscape::ChooseGrid(s, 1, dir_ / "slope.tif"));
    EXPECT_TRUE(landscape::ChooseGrid(s, 0, dir_ / "elev.asc"));
    EXPECT_TRUE(landscape::ChooseGrid(s, 3, dir_ / "fuel.asc"));
    s.layers[2].constant = true;
    s.layers[2].constantValue = 180;
    s.layers[4].constant = true;
    s.layers[4].constantValue = 55;
    s.crownFuels = crown;
    if (crown) {
      s.layers[5].constant = true;  // 15 Meters
      EXPECT_TRUE(landscape::ChooseGrid(s, 6, dir_ / "cbh.tif"));
      s.layers[7].constant = true;
      s.layers[7].constantValue = 0.29;  // kg/m3
    }
    return s;
  }
  std::string Specs(bool crown) {
    std::string a = "grid:" + dir_ / "elev.asc" + ":1 grid:" + dir_ / "slope.tif" + ":1 const:180:1 grid:" +
                    dir_ / "fuel.asc" + ":1 const:55:1";
    if (crown) a += " const:15:10 grid:" + dir_ / "cbh.tif" + ":10 const:0.29:100";
    return a;
  }

  ScratchDir dir_;
  platform::ScopedRecordingMessages messages_;
};

TEST_F(Generate, GridsAndConstantsBecomeCellsByTheRules) {
  struct Case {
    const char* file;
    bool lcp, crown;
  } cases[] = {{"out.lcp", true, true}, {"OUT5.LCP", true, false}, {"out.tif", false, true}, {"out5.tif", false, false}};
  std::string targets;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const GenerationSettings s = Settings(c.crown);
    EXPECT_EQ(s.columns, 7);
    EXPECT_EQ(s.rows, 6);
    EXPECT_EQ(s.latitude, 37);  // from the GeoTIFF grid's projection
    ASSERT_TRUE(landscape::GenerateLandscape(s, dir_ / c.file));
    EXPECT_EQ(messages_.Texts().back(), dir_ / c.file + " was written to disk.");
    targets += " " + dir_ / c.file + (c.lcp ? ":lcp:" : ":tif:") + (c.crown ? "1" : "0");
  }
  const KeyValues kv = GenOracle("check " + Specs(true) + " --" + targets);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.file);
    auto at = [&](const std::string& key) { return kv.at(std::to_string(i) + "." + key); };
    EXPECT_EQ(at("driver"), c.lcp ? "LCP" : "GTiff");
    EXPECT_EQ(at("bands"), c.lcp && !c.crown ? "5" : "8");
    EXPECT_EQ(at("type"), "Int16");
    for (int b = 1; b <= (c.crown ? 8 : 5); ++b) EXPECT_EQ(at("band" + std::to_string(b) + ".mismatch"), "0") << b;
    EXPECT_EQ(at("geotransform"), "512345.5 30.0 0.0 4101414.5 0.0 -30.0");
    if (c.lcp) continue;
    EXPECT_EQ(at("projection"), "yes");  // the grid's own
    EXPECT_EQ(at("band7.description"), "Canopy Base Height");
    if (!c.crown)
      for (int b = 6; b <= 8; ++b) {
        EXPECT_EQ(at("band" + std::to_string(b) + ".nodata_cells"), "42") << b;
        EXPECT_EQ(at("band" + std::to_string(b) + ".nodata"), "-9999.0");
      }
  }
  EXPECT_FALSE(std::filesystem::exists(dir_ / "out.prj"));  // no projection file, no LCP .prj
}

TEST_F(Generate, HeaderCarriesUnitsStatisticsAndGridNames) {
  GenerationSettings s = Settings(true);
  s.description = "made by a test";
  const std::string out = dir_ / "h.lcp";
  ASSERT_TRUE(landscape::GenerateLandscape(s, out));
  CHeaderData h;
  std::FILE* f = std::fopen(out.c_str(), "rb");
  ASSERT_TRUE(f);
  ASSERT_EQ(h.ReadHeader(f), 0);
  std::fclose(f);
  EXPECT_EQ(h.crownFlag, 21);
  EXPECT_EQ(h.groundFlag, 20);
  EXPECT_EQ(h.latitude, 37);
  EXPECT_EQ(h.layerStats[5].low, 150);
  EXPECT_EQ(h.layerStats[5].high, 150);
  EXPECT_EQ(h.layerStats[5].count, 1);
  EXPECT_EQ(h.layerStats[7].low, 28);
  EXPECT_EQ(h.layerStats[2].low, 180);
  EXPECT_EQ(h.layerFiles[0], dir_ / "elev.asc");
  EXPECT_EQ(h.layerFiles[2], "");
  EXPECT_EQ(h.description, "made by a test");
  // Stored tenths of metres and hundredths of kg/m3 say so in their codes.
  EXPECT_EQ(h.unitCodes[5], 3);
  EXPECT_EQ(h.unitCodes[7], 3);
  EXPECT_EQ(h.unitCodes[2], 2);
  EXPECT_EQ(h.unitCodes[4], 1);
}

TEST(GenerateRules, CellsAndEdgesByTheRules) {
  using landscape::GeneratedGeoTiffCell;
  using landscape::GeneratedLcpCell;
  EXPECT_EQ(GeneratedLcpCell(0, -12.7, 1), 0);
  EXPECT_EQ(GeneratedGeoTiffCell(0, -12.7, 1, 0), -12);
  EXPECT_EQ(GeneratedLcpCell(3, -3, 1), 99);
  EXPECT_EQ(GeneratedLcpCell(6, 2.35, 10), 23);
  EXPECT_EQ(GeneratedLcpCell(6, 23.9, 1), 23);
  EXPECT_EQ(GeneratedLcpCell(6, -5, 10), 0);
  EXPECT_EQ(GeneratedLcpCell(6, -9999, 10), -9999);
  EXPECT_EQ(GeneratedLcpCell(7, 0.29, 100), 28);
  // A GeoTIFF holds metres and degrees whatever the grid gave.
  EXPECT_EQ(GeneratedGeoTiffCell(0, 1000, 1, 1), 304);
  EXPECT_EQ(GeneratedGeoTiffCell(1, 100, 1, 1), 45);

  GenerationSettings s;
  s.gridUnits = 2;
  s.cellSize = 0.03;
  s.x = 512;
  s.y = 410;
  s.columns = 10;
  s.rows = 5;
  CHeaderData h = landscape::GeneratedHeader(s);
  EXPECT_DOUBLE_EQ(h.cellWidth, 30);
  EXPECT_DOUBLE_EQ(h.west, 512000);
  EXPECT_DOUBLE_EQ(h.south, 410000);
  EXPECT_DOUBLE_EQ(h.westEdge, 0);
  EXPECT_DOUBLE_EQ(h.southEdge, 0);
  EXPECT_EQ(h.gridUnits, 2);
  s.gridUnits = 0;
  s.x = 7345.5;
  s.y = -3234.5;
  h = landscape::GeneratedHeader(s);
  EXPECT_DOUBLE_EQ(h.westEdge, 345.5);
  EXPECT_DOUBLE_EQ(h.southEdge, -234.5);
}

TEST_F(Generate, KilometresGiveMetresInTheGeoTiffGeotransform) {
  GenerationSettings s;
  for (auto& l : s.layers) l.constant = true;
  s.gridUnits = 2;
  s.cellSize = 0.03;
  s.x = 512;
  s.y = 4101;
  s.columns = 4;
  s.rows = 3;
  // A projection file gives the GeoTIFF its coordinate system.
  const std::string prj = dir_ / "elev.prj";
  ASSERT_TRUE(landscape::ChooseProjectionFile(s, prj));
  const std::string out = dir_ / "km.tif";
  ASSERT_TRUE(landscape::GenerateLandscape(s, out));
  const KeyValues kv = GenOracle("check const:0:1 const:0:1 const:0:1 const:1:1 const:50:1 -- " + out + ":tif:0");
  EXPECT_EQ(kv.at("0.geotransform"), "512000.0 30.0 0.0 4101090.0 0.0 -30.0");
  EXPECT_EQ(kv.at("0.projection"), "yes");
  EXPECT_EQ(kv.at("0.band4.mismatch"), "0");
  // As an LCP the projection file is copied beside it.
  const std::string lcp = dir_ / "a.b.lcp";
  ASSERT_TRUE(landscape::GenerateLandscape(s, lcp));
  EXPECT_EQ(landscape_test::FileBytes(dir_ / "a.b.prj"), landscape_test::FileBytes(prj));
}

TEST_F(Generate, RefusalsWriteNothing) {
  struct Case {
    const char* name;
    void (*change)(GenerationSettings&, const ScratchDir&);
    const char* dest;
    const char* message;  // the start of what is said
  } cases[] = {
      {"no projection", [](GenerationSettings& s, const ScratchDir& d) { s.gridProjection.clear(); }, "np.tif",
       "Error, no projection information."},
      {"typed 50000", [](GenerationSettings& s, const ScratchDir&) {
         s.layers[0].constant = true;
         s.layers[0].constantValue = 50000;
       }, "big.lcp", "Error, the Elevation value 50000 does not fit a landscape cell"},
      {"grid too large", [](GenerationSettings& s, const ScratchDir& d) {
         std::FILE* f = std::fopen((d / "big.asc").c_str(), "w");
         std::fputs("ncols 7\nnrows 6\nxllcorner 0\nyllcorner 0\ncellsize 30\n", f);
         for (int i = 0; i < 42; ++i) std::fputs("40000 ", f);
         std::fclose(f);
         s.layers[1].gridPath = d / "big.asc";
       }, "big2.lcp", "Error, the Slope value 40000 does not fit"},
      {"summary cancelled", [](GenerationSettings&, const ScratchDir&) {}, "cancel.lcp", ""},
      // Last: it removes a grid the others use.
      {"unreadable grid", [](GenerationSettings& s, const ScratchDir& d) {
         std::filesystem::remove(d / "fuel.asc");
       }, "gone.lcp", "Error reading the Fuel Model grid "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GenerationSettings s = Settings(false);
    c.change(s, dir_);
    messages_.Clear();
    const bool cancel = std::string(c.name) == "summary cancelled";
    messages_.SetDefaultAnswer(cancel ? platform::Answer::No : platform::Answer::Yes);
    EXPECT_FALSE(landscape::GenerateLandscape(s, dir_ / c.dest));
    messages_.SetDefaultAnswer(platform::Answer::Yes);
    EXPECT_FALSE(std::filesystem::exists(dir_ / c.dest));
    ASSERT_FALSE(messages_.Texts().empty());
    if (cancel)
      EXPECT_NE(messages_.Texts().back().find("Proceed with Landscape File creation?"), std::string::npos);
    else
      EXPECT_EQ(messages_.Texts().back().rfind(c.message, 0), 0u) << messages_.Texts().back();
    for (const auto& e : std::filesystem::directory_iterator(dir_ / ""))
      EXPECT_EQ(e.path().string().find(".tmp"), std::string::npos) << e.path();
  }
}

TEST_F(Generate, SourceLcpLayersComeBackThroughTheGenerator) {
  // A GDAL-written landscape with ground layers (10 values per cell) as source.
  const std::string src = dir_ / "src.lcp";
  landscape_test::Oracle("write_lcp " + src + " 10 0 0 3");
  GenerationSettings s;
  ASSERT_TRUE(landscape::ChooseSourceLandscape(s, src));
  EXPECT_TRUE(s.crownFuels);
  EXPECT_EQ(s.columns, 23);
  EXPECT_EQ(s.layers[5].unit, 2);  // GDAL writes METERS_X_10 (code 3)
  s.layers[4].useSource = false;
  s.layers[4].constant = true;
  s.layers[4].constantValue = 40;
  const std::string out = dir_ / "copy.lcp";
  ASSERT_TRUE(landscape::GenerateLandscape(s, out));
  const auto a = landscape_test::Oracle("describe " + src);
  const auto b = landscape_test::Oracle("describe " + out);
  EXPECT_EQ(b.at("bands"), "8");
  const auto ca = landscape_test::OracleCells(src), cb = landscape_test::OracleCells(out);
  const std::size_t n = 23 * 17;
  ASSERT_EQ(cb.size(), 8 * n);
  for (int band : {0, 1, 2, 3, 5, 6, 7})
    for (std::size_t i = 0; i < n; ++i)
      ASSERT_EQ(cb[band * n + i], ca[band * n + i]) << "band " << band << " cell " << i;
  for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(cb[4 * n + i], 40);
  EXPECT_EQ(b.at("geotransform"), a.at("geotransform"));
}

TEST_F(Generate, GridChecksSayWhatDoesNotFit) {
  auto write = [&](const char* name, const char* text) {
    std::FILE* f = std::fopen((dir_ / name).c_str(), "w");
    std::fputs(text, f);
    std::fclose(f);
    return dir_ / name;
  };
  struct Case {
    const char* header;
    const char* message;
  } cases[] = {
      {"nrows 6\n", "Error, NCOLS field not found where it is supposed to be."},
      {"ncols 8\nnrows 6\n", "Error, incorrect NCOLS field.\nExpected 7, found 8"},
      {"ncols 7\nncols 6\n", "Error, NROWS field not found where it is supposed to be."},
      {"ncols 7\nnrows 5\n", "Error, incorrect NROWS field.\nExpected 6, found 5"},
      {"ncols 7\nnrows 6\nxllcenter 512345.5\n", "Error, XLLCORNER field not found where it is supposed to be."},
      {"ncols 7\nnrows 6\nxllcorner 512345\n", "Error, incorrect XLLCORNER field.\nExpected 512345.500000, found 512345.000000"},
      {"ncols 7\nnrows 6\nxllcorner 512345.5\nyllcorner 1\n",
       "Error, incorrect YLLCORNER field.\nExpected 4101234.500000, found 1.000000"},
      {"ncols 7\nnrows 6\nxllcorner 512345.5\nyllcorner 4101234.5\ncellsize 10\n",
       "Error, incorrect cell size field.\nExpected 30.000000, found 10.000000"},
      {"ncols 7\nnrows 6\nxllcorner 512345.5\nyllcorner 4101234.5\nsize 30\n",
       "Error, CELLSIZE field not found where it is supposed to be."},
  };
  GenerationSettings s;
  ASSERT_TRUE(landscape::ChooseGrid(s, 0, dir_ / "elev.asc"));
  for (const Case& c : cases) {
    messages_.Clear();
    EXPECT_FALSE(landscape::ChooseGrid(s, 1, write("bad.asc", c.header)));
    ASSERT_EQ(messages_.Texts().size(), 1u);
    EXPECT_EQ(messages_.Texts()[0], c.message);
  }
  EXPECT_EQ(s.layers[1].gridPath, "");
  // Keywords in lower case fit; a GeoTIFF of another size is refused by its column count.
  EXPECT_TRUE(landscape::ChooseGrid(s, 1, dir_ / "slope.tif"));
  GenerationSettings other;
  other.columns = 8;
  other.rows = 6;
  other.geometryFixed = true;
  messages_.Clear();
  EXPECT_FALSE(landscape::CheckGeoTiffGrid(other, dir_ / "slope.tif"));
  EXPECT_EQ(messages_.Texts().at(0), "Error, incorrect number of columns.\nExpected 8, found 7");
  messages_.Clear();
  EXPECT_FALSE(landscape::CheckGeoTiffGrid(other, dir_ / "missing.tif"));
  EXPECT_EQ(messages_.Texts().at(0), "Error opening " + dir_ / "missing.tif" + " as GeoTIFF");
  // A keyword beyond 256 characters is refused, not overrun.
  messages_.Clear();
  EXPECT_FALSE(landscape::ChooseGrid(s, 2, write("long.asc", (std::string(5000, 'N') + " 7\n").c_str())));
  EXPECT_EQ(messages_.Texts().at(0), "Error, NCOLS field not found where it is supposed to be.");
}

TEST_F(Generate, SourceLandscapeChoiceRefusesOldAndMissingFiles) {
  const std::string old = dir_ / "old.lcp";
  std::FILE* f = std::fopen(old.c_str(), "wb");
  const unsigned char five[8] = {5, 0, 0, 0, 0, 0, 0, 0};
  std::fwrite(five, 1, 8, f);
  std::fclose(f);
  GenerationSettings s;
  EXPECT_FALSE(landscape::ChooseSourceLandscape(s, old));
  EXPECT_FALSE(landscape::ChooseSourceLandscape(s, dir_ / "none.lcp"));
  EXPECT_EQ(messages_.Texts(), (std::vector<std::string>{"Cannot Use Version 1.0 LCP File Format",
                                                         "Failed to open landscape file!"}));
  EXPECT_TRUE(s.sourcePath.empty());
}

}  // namespace
