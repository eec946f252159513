// Arrow themes: the grid builders against hand-worked and GDAL-written grids, the point
// lookups, the arrow shapefiles judged by OGR, and the arrow geometry of the drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>

#include "platform/image.h"
#include "platform/messages.h"
#include "themes/wind_vector_theme.h"
#include "themes/wv_legend.h"
#include "themes_test_support.h"

using themes_test::MakeTheme;
using themes_test::ParseNumbers;
using themes_test::RunCommand;

namespace {

class WindVectorTheme : public themes_test::TempFolderTest {
 protected:
  // The oracle runs in the test's folder.
  std::string Oracle(const std::string& script) {
    return themes_test::Python("import os\nos.chdir(r'" + dir_ + "')\n" + script, dir_);
  }
};

constexpr double kPi = 3.14159265358979323846;

// A one-row grid of the given values over 30 m cells.
std::unique_ptr<CTheme> Row(const std::vector<float>& v) {
  return MakeTheme(1, static_cast<int>(v.size()), v);
}

TEST_F(WindVectorTheme, GridBuildersTurnCellValuesIntoDirectionsAndMagnitudes) {
  const float nd = -9999.0f;
  struct Case {
    const char* builder;
    std::vector<float> a, b;  // a: direction (or the packed spot value), b: magnitude grid
    std::vector<int> directions;
    std::vector<float> magnitudes;
  };
  const float pi = static_cast<float>(kPi);
  const Case cases[] = {
      // Spread directions are radians of where the fire goes, shown as where it comes from.
      {"spread", {0, pi / 2, pi, 3 * pi / 2, nd}, {1, 2, 3, 4, 5}, {180, 270, 360, 90, -9999}, {2, 4, 6, 8, 10}},
      // Spot cells pack the distance in the integer part and radians / 10 in the fraction.
      {"spot", {1234.05f, 12.628f, 0, nd}, {}, {28, 359, 0, -9999}, {1234, 12, 0, -9999}},
      {"reversed", {180, 181, 0, nd}, {7, 8, 9, 10}, {360, 1, 180, -9999}, {7, 8, 9, 10}},
      {"wind", {0, 90.7f, nd, 270}, {5, nd, 6, 7}, {0, 90, -9999, 270}, {5, -9999, 6, 7}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.builder);
    auto a = Row(c.a);
    auto b = c.b.empty() ? nullptr : Row(c.b);
    CWindVectorTheme t;
    const std::string builder = c.builder;
    bool built = false;
    if (builder == "spread") built = t.CreateSpreadVectors(a.get(), b.get(), b.get());
    if (builder == "spot") built = t.CreateSpotVectors(a.get());
    if (builder == "reversed") built = t.CreateWindVectorsReversed(a.get(), b.get());
    if (builder == "wind") built = t.CreateWindVectors(a.get(), b.get());
    ASSERT_TRUE(built);
    EXPECT_TRUE(t.gridded && t.visible);
    EXPECT_EQ(t.spread, builder == "spread" || builder == "reversed");
    EXPECT_EQ(t.spot, builder == "spot");
    ASSERT_EQ(t.columns, static_cast<int>(c.directions.size()));
    int valid = 0;
    for (int j = 0; j < t.columns; ++j) {
      const CWindVectorCell& cell = *t.Cell(0, j);
      const float m = c.magnitudes[static_cast<std::size_t>(j)];
      EXPECT_EQ(cell.direction, c.directions[static_cast<std::size_t>(j)]) << j;
      EXPECT_EQ(cell.magnitude, m) << j;
      EXPECT_FLOAT_EQ(cell.x, 1000 + 30 * j + 15.0f);
      EXPECT_FLOAT_EQ(cell.y, 2015.0f);
      valid += cell.IsValid();
    }
    EXPECT_EQ(t.count, valid);  // invalid records are not counted
    // The extremes start at 0: positive magnitudes keep a minimum of 0.
    EXPECT_EQ(t.minMagnitude, 0.0f);
    EXPECT_EQ(t.magnitudeStats.validCount, valid);
  }
  // Nothing valid: no theme.
  auto none = Row({nd, nd});
  CWindVectorTheme empty;
  EXPECT_FALSE(empty.CreateWindVectors(none.get(), none.get()));
  EXPECT_FALSE(empty.gridded);
  EXPECT_TRUE(empty.cells.empty());
}

// Done when: arrows over a direction and a speed grid written by GDAL (the speed grid finer
// and shifted) carry, at every arrow, the values of the cells under the arrow.
TEST_F(WindVectorTheme, ArrowsOfAGdalGridPairTakeTheCellsUnderThem) {
  const std::string out = Oracle(R"(
import numpy as np
from osgeo import gdal
rng = np.random.default_rng(7)
def write(name, a, x0, y0, cs):
    mem = gdal.GetDriverByName('MEM').Create('', a.shape[1], a.shape[0], 1, gdal.GDT_Float32)
    mem.SetGeoTransform((x0, cs, 0, y0, 0, -cs))
    b = mem.GetRasterBand(1); b.SetNoDataValue(-9999); b.WriteArray(a)
    gdal.GetDriverByName('AAIGrid').CreateCopy(name, mem)
d = rng.integers(0, 360, (7, 9)).astype(np.float32); d[2, 3] = -9999
s = np.round(rng.uniform(0, 40, (20, 25)), 2).astype(np.float32)
write('dir.asc', d, 500.0, 900.0, 30.0)
write('spd.asc', s, 480.0, 920.0, 12.5)
# The oracle's own sampling: every direction cell's centre looked up in the speed grid.
for i in range(7):          # arrow row i lies over grid row 6 - i
    r = 6 - i
    for j in range(9):
        x = 500 + (j + 0.5) * 30; y = 900 - (r + 0.5) * 30
        sc = int((x - 480) // 12.5); sr = int((920 - y) // 12.5)
        sp = s[sr, sc] if 0 <= sr < 20 and 0 <= sc < 25 else -9999
        print(int(d[r, j]) if d[r, j] != -9999 else -9999, float(sp))
)");
  const std::vector<double> expected = ParseNumbers(out);
  ASSERT_EQ(expected.size(), 7u * 9u * 2u) << out;
  CTheme direction, speed;
  ASSERT_EQ(direction.LoadGridFile(33, Path("dir.asc")), 1);
  ASSERT_EQ(speed.LoadGridFile(34, Path("spd.asc")), 1);
  CWindVectorTheme t;
  ASSERT_TRUE(t.CreateWindVectors(&direction, &speed));
  ASSERT_EQ(t.rows, 7);
  ASSERT_EQ(t.columns, 9);
  EXPECT_EQ(t.clipWest, speed.west);
  int valid = 0;
  for (int i = 0; i < 7; ++i)
    for (int j = 0; j < 9; ++j) {
      const CWindVectorCell& c = *t.Cell(i, j);
      const std::size_t k = static_cast<std::size_t>(i * 9 + j) * 2;
      EXPECT_EQ(c.direction, static_cast<int>(expected[k])) << i << "," << j;
      EXPECT_FLOAT_EQ(c.magnitude, static_cast<float>(expected[k + 1])) << i << "," << j;
      valid += expected[k] != -9999 && expected[k + 1] != -9999;
      // The lookups find the same arrow under its own point.
      if (c.IsValid()) {
        EXPECT_EQ(t.GetDirectionAt(c.x, c.y), c.direction);
        EXPECT_NEAR(t.GetMagnitudeAt(c.x, c.y, nullptr), c.magnitude, 1e-4);
      }
    }
  EXPECT_EQ(t.count, valid);
}

TEST_F(WindVectorTheme, LookupsAnswerInTheLegendsUnitsAndNothingOutside) {
  auto dir = MakeTheme(2, 2, {90, 180, 270, 0}, 10, 0, 10, 0, 0);
  auto spd = MakeTheme(2, 2, {10, 20, 30, 40}, 10, 0, 10, 0, 0);
  CWindVectorTheme t;
  ASSERT_TRUE(t.CreateWindVectors(dir.get(), spd.get()));
  CWVLegendData kmh;
  kmh.units = 1;
  EXPECT_NEAR(t.GetMagnitudeAt(5, 15, &kmh), 16.0934, 1e-9);  // north-west cell, 10 mph
  EXPECT_EQ(t.GetDirectionAt(15, 5), 0);                       // south-east cell
  for (auto [x, y] : {std::pair{-1.0, 5.0}, {5.0, 20.5}, {25.0, 5.0}}) {
    EXPECT_EQ(t.GetMagnitudeAt(x, y, &kmh), -9999);
    EXPECT_EQ(t.GetDirectionAt(x, y), -9999);
  }
  CWindVectorTheme points;  // a point theme has no cells to look up
  points.points.push_back({5, 5, 10, 3});
  points.east = points.north = 20;
  EXPECT_EQ(points.GetMagnitudeAt(5, 5, nullptr), -9999);
}

// ---- shapefiles ----

// Wind arrows of the given directions and speeds along one row of 10 m cells.
std::unique_ptr<CWindVectorTheme> WindRow(const std::vector<float>& directions, const std::vector<float>& speeds) {
  auto d = MakeTheme(1, static_cast<int>(directions.size()), directions, 10, 0, 10, 100, 200);
  auto s = MakeTheme(1, static_cast<int>(speeds.size()), speeds, 10, 0, 10, 100, 200);
  auto t = std::make_unique<CWindVectorTheme>();
  EXPECT_TRUE(t->CreateWindVectors(d.get(), s.get()));
  return t;
}

TEST_F(WindVectorTheme, WrittenShapefilesReadInOgrWithTheirAzimuthsAndUnits) {
  auto t = WindRow({10, 200, 270, 0, -9999}, {1, 2, 3, 4, 5});
  CWVLegendData legend;
  legend.units = 1;  // km/h
  std::string error;
  ASSERT_TRUE(t->SaveShapefile(Path("arrows.shp"), "", &legend, &error)) << error;
  EXPECT_FALSE(std::filesystem::exists(Path("arrows.prj")));
  const std::string info = RunCommand("ogrinfo -ro -al -q " + Path("arrows.shp"));
  EXPECT_NE(info.find("POINT (105 205)"), std::string::npos) << info;
  const std::string out = Oracle(R"(
from osgeo import ogr
ds = ogr.Open('arrows.shp'); lyr = ds.GetLayer()
d = lyr.GetLayerDefn()
print(' '.join(d.GetFieldDefn(i).GetName() + ':' + d.GetFieldDefn(i).GetTypeName() for i in range(d.GetFieldCount())))
print(lyr.GetGeomType() == ogr.wkbPoint, lyr.GetFeatureCount())
for f in lyr:
    g = f.GetGeometryRef()
    print(g.GetX(), g.GetY(), f.GetField(0), f.GetField(1), f.GetField(2), round(f.GetField(3), 4))
)");
  const std::string head = out.substr(0, out.find('\n'));
  EXPECT_EQ(head, "ENTITY:Real SOURCE_AZI:Real AMAP_AZI:Real km/h:Real") << out;
  const std::vector<double> v = ParseNumbers(out.substr(out.find('\n') + 1));
  // True (1), 4 records (the arrow without a direction is left out), then x y entity source map speed.
  ASSERT_EQ(v.size(), 1u + 4u * 6u) << out;
  EXPECT_EQ(v[0], 4);
  const double expected[4][6] = {{105, 205, 0, 10, 100, 1.6093},
                                 {115, 205, 1, 200, 290, 3.2187},
                                 {125, 205, 2, 270, 0, 4.828},
                                 {135, 205, 3, 0, 90, 6.4374}};
  for (int r = 0; r < 4; ++r)
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(v[1 + r * 6 + k], expected[r][k], 1e-9) << r << "," << k;

  // With a projection a .prj goes beside it; "(null)" writes none.
  ASSERT_TRUE(t->SaveShapefile(Path("utm.shp"), "PROJCS[\"x\",GEOGCS[\"y\",DATUM[\"z\",SPHEROID[\"s\",6378137,298.257]],PRIMEM[\"G\",0],UNIT[\"d\",0.0174532925199433]],PROJECTION[\"Transverse_Mercator\"],UNIT[\"m\",1]]", nullptr, &error));
  EXPECT_TRUE(std::filesystem::exists(Path("utm.prj")));
  ASSERT_TRUE(t->SaveShapefile(Path("none.shp"), "(null)", nullptr, &error));
  EXPECT_FALSE(std::filesystem::exists(Path("none.prj")));
  // Without a legend the magnitude field is the base unit's.
  EXPECT_NE(RunCommand("ogrinfo -ro -so -al " + Path("none.shp")).find("mph: Real"), std::string::npos);

  // A file that cannot be made says why and leaves nothing.
  EXPECT_FALSE(t->SaveShapefile(Path("missing/arrows.shp"), "", nullptr, &error));
  EXPECT_NE(error.find("missing"), std::string::npos) << error;
}

TEST_F(WindVectorTheme, PointShapefilesOfOgrReadBackIntoTheSameArrows) {
  // Written by OGR: fields in several orders and types, a shape without geometry, a point on
  // the clip rectangle's edge and one outside it.
  Oracle(R"(
from osgeo import ogr
drv = ogr.GetDriverByName('ESRI Shapefile')
def make(name, fields, rows):
    ds = drv.CreateDataSource(name)
    lyr = ds.CreateLayer('p', geom_type=ogr.wkbPoint)
    for fname, ftype in fields:
        lyr.CreateField(ogr.FieldDefn(fname, ftype))
    for xy, values in rows:
        f = ogr.Feature(lyr.GetLayerDefn())
        if xy is not None:
            f.SetGeometry(ogr.CreateGeometryFromWkt('POINT (%r %r)' % xy))
        for k, v in enumerate(values):
            f.SetField(k, v)
        lyr.CreateFeature(f)
    ds = None
R, I, S = ogr.OFTReal, ogr.OFTInteger, ogr.OFTString
rows = [((0.0, 0.0), (12.5, 1.0, 45)), (None, (1.0, 2.0, 90)), ((100.0, 50.0), (7.25, 3.0, 300)),
        ((150.0, 10.0), (9.0, 4.0, 10))]
make('a.shp', [('speed', R), ('mph', R), ('dir', I)], rows)
make('b.shp', [('dir', R), ('speed', R), ('mph', R)], [(xy, (v[2] + 0.9, v[0], v[1])) for xy, v in rows])
make('c.shp', [('Windspd', S), ('Winddir', I)], [((1.0, 1.0), ('5', 10))])
)");
  platform::ScopedRecordingMessages messages;
  struct Case {
    const char* file;
    std::vector<CWindVectorCell> arrows;
  };
  const Case cases[] = {
      // "mph" replaces "speed" before the direction is known.
      {"a.shp", {{0, 0, 45, 1}, {100, 50, 300, 3}}},
      // Once "dir" is known, "speed" completes the pair and "mph" is never reached.
      {"b.shp", {{0, 0, 45, 12.5f}, {100, 50, 300, 7.25f}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    CWindVectorTheme t;
    ASSERT_TRUE(t.LoadShapefile(Path(c.file), 0, 100, 50, 0));
    EXPECT_EQ(t.name, std::string(c.file).substr(0, 1));
    EXPECT_FALSE(t.gridded);
    ASSERT_EQ(t.points.size(), c.arrows.size());
    for (std::size_t i = 0; i < c.arrows.size(); ++i) {
      EXPECT_EQ(t.points[i].x, c.arrows[i].x);
      EXPECT_EQ(t.points[i].y, c.arrows[i].y);
      EXPECT_EQ(t.points[i].direction, c.arrows[i].direction);
      EXPECT_EQ(t.points[i].magnitude, c.arrows[i].magnitude);
    }
    EXPECT_EQ(t.count, 2);
    // The extent is the file's clipped to the rectangle; the arrow scale follows it.
    EXPECT_EQ(t.east, 100);
    EXPECT_EQ(t.north, 50);
    EXPECT_DOUBLE_EQ(t.cellSize, 10.0);
  }
  EXPECT_TRUE(messages.Texts().empty());

  // A text field of a speed name does not count.
  CWindVectorTheme text;
  EXPECT_FALSE(text.LoadShapefile(Path("c.shp"), 0, 100, 100, 0));
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_EQ(messages.Texts()[0], "Error: Could not find attribute file or file does not contain Windspd and "
                                 "Winddir fields: \n" + Path("c.dbf") + "\n");
  CWindVectorTheme outside;
  EXPECT_FALSE(outside.LoadShapefile(Path("a.shp"), 1000, 2000, 1000, 500));
  EXPECT_EQ(messages.Texts().back(), "Error: No points in shapefile contained in the landscape.");

  // Arrows we write in mph read back as the same arrows.
  auto written = WindRow({10, 200, 0}, {1.5f, 2.25f, 0});
  std::string error;
  ASSERT_TRUE(written->SaveShapefile(Path("back.shp"), "", nullptr, &error)) << error;
  CWindVectorTheme back;
  ASSERT_TRUE(back.LoadShapefile(Path("back.SHP"), 0, 1000, 1000, 0));
  ASSERT_EQ(back.points.size(), 3u);
  for (int j = 0; j < 3; ++j) {
    EXPECT_EQ(back.points[static_cast<std::size_t>(j)].direction, written->Cell(0, j)->direction);
    EXPECT_EQ(back.points[static_cast<std::size_t>(j)].magnitude, written->Cell(0, j)->magnitude);
    EXPECT_EQ(back.points[static_cast<std::size_t>(j)].x, written->Cell(0, j)->x);
  }
}

// ---- drawing ----

// Classes 0 (red, length 1) and 10 (blue, length 3): span 2.
CWVLegendData TwoClassLegend() {
  CWVLegendData l;
  l.AddEntry(CWVLegendEntry(0, MakeColorRef(255, 0, 0), 1));
  l.AddEntry(CWVLegendEntry(10, MakeColorRef(0, 0, 255), 3));
  l.autoDensity = 0;
  l.skip = 0;
  return l;
}

// A 10 x 10 grid of 10 m cells over (0, 0)-(100, 100) with one arrow at row 4 (from the
// south), column 4: its tail at map (45, 45).
std::unique_ptr<CWindVectorTheme> OneArrow(int kind, float direction, float magnitude) {
  std::vector<float> d(100, -9999.0f), m(100, -9999.0f);
  d[5 * 10 + 4] = direction;  // north row first: row 5 from the north is row 4 from the south
  m[5 * 10 + 4] = magnitude;
  auto dg = MakeTheme(10, 10, d, 10, 0, 10, 0, 0);
  auto mg = MakeTheme(10, 10, m, 10, 0, 10, 0, 0);
  auto t = std::make_unique<CWindVectorTheme>();
  t->kind = kind;
  if (kind == 2) {
    std::vector<float> v(100, -9999.0f);
    v[5 * 10 + 4] = magnitude;  // a direction of 0 radians
    auto sg = MakeTheme(10, 10, v, 10, 0, 10, 0, 0);
    EXPECT_TRUE(t->CreateSpotVectors(sg.get()));
  } else {
    EXPECT_TRUE(t->CreateWindVectors(dg.get(), mg.get()));
  }
  return t;
}

TEST_F(WindVectorTheme, ArrowsMatchHandWorkedPixels) {
  struct Case {
    const char* what;
    int kind;
    float direction, magnitude;
    int lineWidth;
    double exaggeration;
    ArrowStroke want;
  };
  // 100 x 100 pixels over 100 m: 1 pixel per metre, the tail at pixel (45, 55). Unit length
  // = cell size x scale / span = 5 pixels.
  const Case cases[] = {
      // From 30 degrees, class 1 (length 3): 15 pixels along 120 degrees on screen, tip at
      // (37.5, 67.99); head 4 pixels (width + 3, above a quarter of 15), barbs at 60 degrees.
      {"class 1", 0, 30, 12, 1, 1.0, {45, 55, 37, 67, 40, 65, 37, 63, MakeColorRef(0, 0, 255), 1}},
      // From 120 degrees, class 0 (5 is below the second class value): 5 pixels.
      {"class 0", 0, 120, 5, 1, 1.0, {45, 55, 40, 52, 42, 55, 44, 52, MakeColorRef(255, 0, 0), 1}},
      // Line width 2 exaggerated 1.5: pen 3, head 6 pixels.
      {"wide", 0, 210, 20, 2, 1.5, {45, 55, 52, 42, 47, 45, 52, 48, MakeColorRef(0, 0, 255), 3}},
      // A spot arrow (25.0524: 25 m towards 30 degrees) runs its true distance, whatever the
      // classes: tip at map (57.5, 66.65); head a quarter of 25.
      {"spot", 2, 0, 25.0524f, 1, 1.0, {45, 55, 57, 33, 52, 36, 57, 39, MakeColorRef(0, 0, 255), 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto t = OneArrow(c.kind, c.direction, c.magnitude);
    CWVLegendData legend = TwoClassLegend();
    legend.lineWidth = c.lineWidth;
    const std::vector<ArrowStroke> arrows = t->ArrowsToDraw(legend, 0, 100, 100, 0, 100, 100, c.exaggeration);
    ASSERT_EQ(arrows.size(), 1u);
    const ArrowStroke& a = arrows[0];
    const ArrowStroke& w = c.want;
    EXPECT_EQ((std::vector<int>{a.tailX, a.tailY, a.tipX, a.tipY, a.barb1X, a.barb1Y, a.barb2X, a.barb2Y}),
              (std::vector<int>{w.tailX, w.tailY, w.tipX, w.tipY, w.barb1X, w.barb1Y, w.barb2X, w.barb2Y}));
    EXPECT_EQ(a.colour, w.colour);
    EXPECT_EQ(a.penWidth, w.penWidth);
  }

  // On the image: the shaft of an arrow from the north in its class colour, nothing beside it.
  auto t = OneArrow(0, 0, 12);
  const CWVLegendData legend = TwoClassLegend();
  platform::Image image(100, 100);
  {
    platform::Canvas canvas(image);
    canvas.Clear({255, 255, 255, 255});
    t->Draw(canvas, legend, 0, 100, 100, 0, 100, 100, 1.0);
  }
  for (int y : {56, 62, 68}) {
    const platform::Rgba p = image.GetPixel(45, y);
    EXPECT_EQ((std::vector<int>{p.r, p.g, p.b}), (std::vector<int>{0, 0, 255})) << y;
  }
  const platform::Rgba off = image.GetPixel(50, 62);
  EXPECT_EQ((std::vector<int>{off.r, off.g, off.b}), (std::vector<int>{255, 255, 255}));
  // Hidden, it draws nothing.
  t->visible = false;
  EXPECT_TRUE(t->ArrowsToDraw(legend, 0, 100, 100, 0, 100, 100, 1.0).empty());
}

TEST_F(WindVectorTheme, AutomaticDensitySpacesArrowsToTheTargetSizeAndAlwaysEnds) {
  // 30 x 30 cells of 4 m at 1 pixel per metre: base length 4 pixels; lengths 1 and 2 give
  // maxRel 2. Target 35: 8, 16, 24, 32 fall short, 40 reaches it: every fifth row and column,
  // unit length 20 pixels.
  auto t = std::make_unique<CWindVectorTheme>();
  auto d = MakeTheme(30, 30, std::vector<float>(900, 45), 10, 0, 4, 0, 0);
  auto s = MakeTheme(30, 30, std::vector<float>(900, 3), 10, 0, 4, 0, 0);
  ASSERT_TRUE(t->CreateWindVectors(d.get(), s.get()));
  CWVLegendData legend;
  legend.AddEntry(CWVLegendEntry(0, 0, 1));
  legend.AddEntry(CWVLegendEntry(10, 0, 2));
  legend.autoDensity = 1;
  legend.targetSize = 35;
  int skip = -1;
  double unit = 0;
  t->GridThinning(legend, 1.0, skip, unit);
  EXPECT_EQ(skip, 4);
  EXPECT_DOUBLE_EQ(unit, 20.0);
  EXPECT_EQ(t->ArrowsToDraw(legend, 0, 120, 120, 0, 120, 120, 1.0).size(), 36u);  // 6 x 6

  // Lengths that can never reach the target (all 0), or a target beyond any spacing: the
  // search stops at the grid's width.
  for (int target : {35, 1 << 30}) {
    CWVLegendData flat;
    flat.AddEntry(CWVLegendEntry(0, 0, target == 35 ? 0 : 1));
    flat.autoDensity = 1;
    flat.targetSize = target;
    t->GridThinning(flat, 1.0, skip, unit);
    EXPECT_EQ(skip, 30);
  }
  // Manual density takes the skip as typed, held to the grid.
  legend.autoDensity = 0;
  legend.skip = 2;
  t->GridThinning(legend, 1.0, skip, unit);
  EXPECT_EQ(skip, 2);
  EXPECT_DOUBLE_EQ(unit, 12.0);
  legend.skip = 2147483647;
  t->GridThinning(legend, 1.0, skip, unit);
  EXPECT_EQ(skip, 30);
  EXPECT_EQ(t->ArrowsToDraw(legend, 0, 120, 120, 0, 120, 120, 1.0).size(), 1u);
  // A spot theme under automatic density is not thinned.
  t->spot = true;
  legend.autoDensity = 1;
  t->GridThinning(legend, 1.0, skip, unit);
  EXPECT_EQ(skip, 0);
}

}  // namespace
