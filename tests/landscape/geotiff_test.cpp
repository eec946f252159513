// Landscape GeoTIFFs written from LCP files, judged by GDAL.
#include <gtest/gtest.h>

#include <gdal_priv.h>

#include "landscape/convert.h"
#include "landscape/geotiff.h"
#include "landscape/header.h"
#include "landscape/units.h"
#include "oracle.h"
#include "platform/messages.h"

using namespace landscape_test;

namespace {

struct Dataset {
  explicit Dataset(const std::string& path) {
    landscape::EnsureGdal();
    ds = GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
  }
  ~Dataset() {
    if (ds) GDALClose(ds);
  }
  GDALDataset* ds;
};

}  // namespace

TEST(LcpToGeoTiff, TenBandEnglishLandscapeConverts) {
  ScratchDir dir;
  const std::string lcp = dir / "e.lcp", tif = dir / "e.tif";
  Oracle("write_lcp " + lcp + " 10 1 1 7");
  const std::vector<std::int16_t> in = OracleCells(lcp);
  platform::ScopedRecordingMessages messages;
  {
    Dataset src(lcp);
    ASSERT_TRUE(src.ds);
    ASSERT_EQ(landscape::ConvertLcpToGeoTiff(src.ds, tif, ""), 0);
  }
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_NE(messages.Texts()[0].find("duff loading and coarse woody fuels layers are not carried"), std::string::npos);

  KeyValues g = Oracle("describe " + tif);
  EXPECT_EQ(g["bands"], "8");
  EXPECT_EQ(g["compression"], "DEFLATE");
  EXPECT_EQ(g["projection"], "yes");
  EXPECT_EQ(g["geotransform"], "612345.5 30.0 0.0 4512345.25 0.0 -30.0");
  const char* descriptions[] = {"Elevation", "Slope", "Aspect", "Fuel Model", "Canopy Cover", "Stand Height",
                                "Canopy Base Height", "Canopy Bulk Density"};
  const char* units[] = {"Meters", "Degrees", "Degrees", "Class", "Percent", "Meters * 10", "Meters * 10",
                         "Kilograms per cubic meter * 100"};
  for (int b = 1; b <= 8; ++b) {
    const std::string k = "band" + std::to_string(b);
    EXPECT_EQ(g[k + ".type"], "Int16");
    EXPECT_EQ(g[k + ".description"], descriptions[b - 1]);
    EXPECT_EQ(g[k + ".unit"], units[b - 1]);
    EXPECT_EQ(g[k + ".meta.UnitOfMeasure"], units[b - 1]);
    EXPECT_EQ(g[k + ".meta.RepresentationType"], "THEMATIC");
    EXPECT_EQ(g[k + ".nodata"], "-9999.0");
  }
  // Statistics kept beside the file.
  const std::string aux = FileBytes(tif + ".aux.xml");
  EXPECT_NE(aux.find("STATISTICS_MAXIMUM"), std::string::npos);
  EXPECT_NE(aux.find("<Histograms>"), std::string::npos);

  // Every cell follows its band's unit code: feet, percent, GRASS degrees, classes, feet x 10,
  // feet, lb/ft^3 x 1000 (the oracle's English landscape).
  const std::vector<std::int16_t> out = OracleCells(tif);
  const int n = 23 * 17;
  const int codes[8] = {1, 1, 1, 0, 0, 4, 2, 4};
  for (int b = 0; b < 8; ++b) {
    const auto rule = landscape::RuleForLayer(b, codes[b]);
    for (int i = 0; i < n; ++i) {
      ASSERT_EQ(out[b * n + i], landscape::ApplyRule(*rule, in[b * n + i])) << "band " << b + 1 << " cell " << i;
    }
  }
  EXPECT_EQ(out[4 * n + (17 / 2) * 23 + 23 / 3], -9999);
}

TEST(LcpToGeoTiff, SevenBandLandscapeHasNoCanopyBands) {
  ScratchDir dir;
  const std::string lcp = dir / "s.lcp", tif = dir / "s.tif";
  Oracle("write_lcp " + lcp + " 7 0 0 8");
  platform::ScopedRecordingMessages messages;
  {
    Dataset src(lcp);
    ASSERT_EQ(landscape::ConvertLcpToGeoTiff(src.ds, tif, ""), 0);
  }
  KeyValues g = Oracle("describe " + tif);
  const std::vector<std::int16_t> out = OracleCells(tif);
  const std::vector<std::int16_t> in = OracleCells(lcp);
  const std::size_t n = 23 * 17;
  for (std::size_t i = 5 * n; i < 8 * n; ++i) ASSERT_EQ(out[i], -9999) << i;
  EXPECT_EQ(g["band6.description"], "Stand Height");
  EXPECT_EQ(g["band8.unit"], "Kilograms per cubic meter * 100");
  // Metric, percent cover: the first five bands are copied.
  EXPECT_TRUE(std::equal(out.begin(), out.begin() + 5 * n, in.begin()));
}

TEST(LcpToGeoTiff, RefusesSourceWithoutGeoTransformAndKeepsExistingFile) {
  ScratchDir dir;
  landscape::EnsureGdal();
  GDALDataset* mem = GetGDALDriverManager()->GetDriverByName("MEM")->Create("", 4, 4, 5, GDT_Int16, nullptr);
  const std::string tif = dir / "keep.tif";
  std::ofstream(tif) << "previous";
  EXPECT_EQ(landscape::ConvertLcpToGeoTiff(mem, tif, ""), 1);
  GDALClose(mem);
  EXPECT_EQ(FileBytes(tif), "previous");
  EXPECT_EQ(landscape::ConvertLcpToGeoTiff(nullptr, tif, ""), 1);
}
