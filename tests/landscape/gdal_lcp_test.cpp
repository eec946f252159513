// LCP files written by GDAL's LCP driver open here exactly as GDAL reads them.
#include <gtest/gtest.h>

#include <cmath>

#include "landscape/reader.h"
#include "oracle.h"

using namespace landscape_test;

namespace {

struct Variant {
  int bands;
  bool english;
  bool coverClasses;
};

}  // namespace

TEST(GdalLcp, EveryLayerAndHeaderMatchGdal) {
  ScratchDir dir;
  int seed = 1;
  for (const Variant v : {Variant{5, false, false}, Variant{7, true, true}, Variant{8, false, true},
                          Variant{8, true, false}, Variant{10, true, true}, Variant{10, false, false}}) {
    SCOPED_TRACE(testing::Message() << v.bands << " bands, english " << v.english << ", classes "
                                    << v.coverClasses);
    const std::string path = dir / ("g" + std::to_string(seed) + ".lcp");
    KeyValues g = Oracle("write_lcp " + path + " " + std::to_string(v.bands) + " " + (v.english ? "1" : "0") +
                         " " + (v.coverClasses ? "1" : "0") + " " + std::to_string(seed++));
    ASSERT_EQ(g["bands"], std::to_string(v.bands));
    std::string error;
    auto land = landscape::LandscapeReader::Open(path, &error);
    ASSERT_TRUE(land) << error;
    const CHeaderData& h = land->Header();
    EXPECT_EQ(h.BandCount(), v.bands);
    const std::vector<double> gt = Numbers(g["geotransform"]);
    EXPECT_EQ(h.columns, 23);
    EXPECT_EQ(h.rows, 17);
    EXPECT_DOUBLE_EQ(h.west, gt[0]);
    EXPECT_DOUBLE_EQ(h.north, gt[3]);
    EXPECT_DOUBLE_EQ(h.cellWidth, gt[1]);
    EXPECT_DOUBLE_EQ(h.cellHeight, -gt[5]);
    EXPECT_DOUBLE_EQ(h.east, gt[0] + 23 * gt[1]);
    EXPECT_DOUBLE_EQ(h.south, gt[3] + 17 * gt[5]);
    EXPECT_EQ(std::to_string(h.latitude), g["meta.LATITUDE"]);

    const std::vector<std::int16_t> expected = OracleCells(path);
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(v.bands) * 23 * 17);
    std::vector<std::int16_t> cells(23 * 17);
    int band = 0;
    for (int layer = 0; layer < 10; ++layer) {
      if (!land->HasLayer(layer)) continue;
      ++band;
      SCOPED_TRACE(layer);
      const char* items[] = {"ELEVATION_UNIT", "SLOPE_UNIT", "ASPECT_UNIT", "FUEL_MODEL_OPTION",
                             "CANOPY_COV_UNIT", "CANOPY_HT_UNIT", "CBH_UNIT", "CBD_UNIT", "DUFF_UNIT",
                             "CWD_OPTION"};
      EXPECT_EQ(std::to_string(h.unitCodes[layer]), g["band" + std::to_string(band) + ".meta." + items[layer]]);
      ASSERT_TRUE(land->ReadWindow(layer, 0, 0, 23, 17, cells.data()));
      EXPECT_TRUE(std::equal(cells.begin(), cells.end(), expected.begin() + (band - 1) * 23 * 17));
      // A window inside the grid.
      std::int16_t window[4 * 3];
      ASSERT_TRUE(land->ReadWindow(layer, 5, 7, 4, 3, window));
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
          EXPECT_EQ(window[r * 4 + c], expected[(band - 1) * 23 * 17 + (7 + r) * 23 + 5 + c]);
    }
    std::int16_t one;
    EXPECT_FALSE(land->ReadWindow(0, 22, 16, 2, 1, &one)) << "window leaves the grid";
  }
}
