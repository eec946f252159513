// Landscape-edit rules: the cells a rule selects and the values it writes, judged by numpy and
// OGR on a GDAL-written landscape, and the behaviours at the edges of the layers' ranges.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "../support/shape_files.h"
#include "landscape/landscape.h"
#include "landscape/rules.h"
#include "oracle.h"
#include "platform/messages.h"
#include "themes/theme.h"
#include "themes/vector_theme.h"

using namespace landscape_test;

namespace {

// Grid themes of 3 x 4 cells of 10 m from (0, 0), in memory so that rules can set them.
struct Grids {
  std::vector<std::unique_ptr<CTheme>> themes;
  CTheme* Add(int layerType, std::vector<float> cells, int rows = 3, int columns = 4) {
    auto t = std::make_unique<CTheme>();
    EXPECT_EQ(t->CreateFromFloats(landscape::RuleLayerName(layerType), 0, 0, 10, 10, rows, columns, -9999,
                                  cells.data(), 0, layerType),
              1);
    EXPECT_TRUE(t->LoadMemoryGrid());
    themes.push_back(std::move(t));
    return themes.back().get();
  }
  CTheme* Find(int type) const {
    for (const auto& t : themes)
      if (t->layerType == type) return t.get();
    return nullptr;
  }
  landscape::RuleLayers Layers(const CLcpRule& rule) const {
    return landscape::ResolveRuleLayers(rule, [this](int type) { return Find(type); });
  }
  std::int64_t Run(CLcpRule& rule, bool apply) const { return landscape::EvaluateRule(rule, Layers(rule), apply); }
};

std::unique_ptr<CLcpRuleClause> RasterClause(CTheme* theme, std::string lo, std::string hi) {
  auto c = std::make_unique<CLcpRuleClause>();
  c->rasterTheme = theme;
  c->rasterLayerType = theme->layerType;
  c->rasterTitle = theme->name;
  c->minimum = std::move(lo);
  c->maximum = std::move(hi);
  return c;
}

std::vector<float> Cells(const CTheme& t) {
  std::vector<float> v;
  for (int r = 0; r < t.rows; ++r)
    for (int c = 0; c < t.columns; ++c) v.push_back(t.GetCellValue(c, r));
  return v;
}

}  // namespace

TEST(LandscapeRules, SelectionByFuelFilterAndRasterClause) {
  Grids g;
  CTheme* fuel = g.Add(3, {5.9f, 1, 2, 10, 5, 5, -9999, 1, 2, 2, 2, 2});
  CTheme* height = g.Add(5, {25, 15, 20, -9999, 30, 30, 30, 30, 0, 0, 0, 0});
  CTheme* cover = g.Add(4, std::vector<float>(12, 50));

  // No filter, no clause: every cell.
  CLcpRule all;
  all.targetLayer = 4;
  all.constantValue = "40";
  EXPECT_EQ(g.Run(all, false), 12);

  // 5.9 counts as fuel model 5.
  CLcpRule five;
  five.targetLayer = 4;
  five.constantValue = "40";
  five.fuelModels = {5};
  EXPECT_EQ(g.Run(five, false), 3);

  // Stand height cells hold tenths: a minimum of 2 passes 25 and 20 (inclusive) and fails 15;
  // no data fails whatever the bounds; only-a-maximum bound is inclusive too.
  struct Case {
    const char *lo, *hi;
    std::int64_t count;
  } cases[] = {{"2", "", 6}, {"", "1.5", 5}, {"2", "2.5", 2}, {"1.5", "1.5", 1}, {"-1", "", 11}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.lo) + ".." + c.hi);
    CLcpRule r;
    r.targetLayer = 4;
    r.constantValue = "40";
    r.clauses.push_back(RasterClause(height, c.lo, c.hi));
    EXPECT_EQ(g.Run(r, false), c.count);
  }
  (void)fuel;
  (void)cover;
}

TEST(LandscapeRules, ClampsAndStorageByTargetLayer) {
  struct Case {
    int target;
    const char* value;
    float stored;
  } cases[] = {
      {3, "0", 1},     {3, "300", 256}, {3, "13.4", 13}, {4, "150", 100}, {4, "-5", 0},
      {5, "5", 66},    // at least 1.1 x the base height of 6.0
      {5, "20", 200},  {6, "8", 45},  // at most 0.9 x the stand height of 5.0
      {6, "2", 20},    {7, "1.0", 60}, {7, "0.25", 25}, {7, "-1", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.target) + " = " + c.value);
    Grids g;
    g.Add(3, std::vector<float>(2, 1), 1, 2);
    g.Add(4, std::vector<float>(2, 10), 1, 2);
    g.Add(5, {50, 50}, 1, 2);
    g.Add(6, {60, 60}, 1, 2);
    g.Add(7, {10, 10}, 1, 2);
    CLcpRule r;
    r.targetLayer = c.target;
    r.constantValue = c.value;
    EXPECT_EQ(g.Run(r, true), 2);
    EXPECT_EQ(g.Find(c.target)->GetCellValue(0, 0), c.stored);
  }
}

TEST(LandscapeRules, ExpressionsLeaveNoDataAndNonFiniteCellsUnchanged) {
  struct Case {
    const char *op, *value;
    std::vector<float> expected;
    std::int64_t count;
  } cases[] = {
      {"*", "1.5", {150, 30, 198, 0}, 3},  // base height clamp: at least 1.1 x 18.0 on the third
      {"", "", {100, 20, 198, 0}, 3},      // no operator copies the layer
      {"/", "0", {77, 77, 30, 0}, 0},     // division by zero changes nothing
      {"-", "abc", {}, -1},                // not a number: refused
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.op) + c.value);
    Grids g;
    g.Add(3, std::vector<float>(4, 1), 1, 4);
    g.Add(5, {100, 20, 30, -9999}, 1, 4);
    g.Add(6, {0, 0, 180, 0}, 1, 4);
    CLcpRule r;
    r.constant = false;
    r.targetLayer = 5;
    r.expressionLayer = 5;
    r.expressionOperator = c.op;
    r.expressionValue = c.value;
    if (std::string(c.op) == "/") {
      g.Find(5)->SetCellValue(0, 0, 77);
      g.Find(5)->SetCellValue(0, 1, 77);
    }
    const landscape::RuleLayers layers = g.Layers(r);
    if (c.count < 0) {
      EXPECT_NE(layers.error.find("\"abc\""), std::string::npos) << layers.error;
      continue;
    }
    ASSERT_EQ(layers.error, "");
    EXPECT_EQ(landscape::EvaluateRule(r, layers, false), c.count);
    EXPECT_EQ(landscape::EvaluateRule(r, layers, true), c.count);
    std::vector<float> expected = c.expected;
    expected[3] = -9999;  // an expression read on no data leaves the cell alone
    EXPECT_EQ(Cells(*g.Find(5)), expected);
  }
}

TEST(LandscapeRules, MissingLayersAndThemesRefuseTheRule) {
  Grids g;
  g.Add(3, std::vector<float>(12, 1));
  g.Add(4, std::vector<float>(12, 1));
  struct Case {
    const char* what;
    std::function<void(CLcpRule&)> make;
    const char* named;
  } cases[] = {
      {"target", [](CLcpRule& r) { r.targetLayer = 6; }, "Canopy Base Height"},
      {"target outside", [](CLcpRule& r) { r.targetLayer = 12; }, "layer 12"},
      {"expression", [](CLcpRule& r) { r.constant = false; r.expressionLayer = 7; }, "Canopy Bulk Density"},
      {"clause theme",
       [](CLcpRule& r) {
         auto c = std::make_unique<CLcpRuleClause>();
         c->rasterTitle = "Elevation Zones";
         c->rasterFilePath = "/data/zones.tif";
         c->minimum = "1";
         r.clauses.push_back(std::move(c));
       },
       "Elevation Zones (/data/zones.tif)"},
      {"bound", [&g](CLcpRule& r) { r.clauses.push_back(RasterClause(g.Find(3), "one", "")); }, "\"one\""},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    CLcpRule r;
    r.targetLayer = 4;
    r.constantValue = "10";
    c.make(r);
    r.GetDescription();
    const landscape::RuleLayers layers = g.Layers(r);
    ASSERT_NE(layers.error, "");
    EXPECT_NE(layers.error.find(c.named), std::string::npos) << layers.error;
    EXPECT_EQ(landscape::EvaluateRule(r, layers, true), -1);
  }
  EXPECT_EQ(Cells(*g.Find(4)), std::vector<float>(12, 1));
}

TEST(LandscapeRules, VectorClauseHolesIslandsAndPoints) {
  ScratchDir dir;
  // An outer square with a hole, and an island inside the hole listed after it.
  const std::string polygons = testsupport::WriteShapes(
      dir / "", "zones",
      {"MULTIPOLYGON (((0 0,0 100,100 100,100 0,0 0),(20 20,80 20,80 80,20 80,20 20)),"
       "((40 40,60 40,60 60,40 60,40 40)))"});
  const std::string points = testsupport::WriteShapes(dir / "", "wells", {"POINT (50 50)", "POINT (10 10)"});
  CVectorTheme zones, wells;
  ASSERT_EQ(zones.LoadShapefile(polygons, ""), 1);
  ASSERT_EQ(wells.LoadShapefile(points, ""), 1);
  CLcpRuleClause inZones, inWells;
  inZones.isRaster = inWells.isRaster = false;
  inZones.vectorTheme = &zones;
  inWells.vectorTheme = &wells;
  struct P {
    double x, y;
    bool inside;
  } cases[] = {{10, 10, true}, {30, 30, false}, {50, 50, true}, {150, 50, false}, {90, 50, true}};
  for (const P& p : cases) {
    EXPECT_EQ(inZones.IsPointInVector(p.x, p.y), p.inside) << p.x << "," << p.y;
    EXPECT_FALSE(inWells.IsPointInVector(p.x, p.y));
    EXPECT_TRUE(inZones.IsRasterValueInRange(p.x, p.y));
  }
  // A copy keeps the theme but builds its own rings.
  CLcpRuleClause copy(inZones);
  EXPECT_TRUE(copy.IsPointInVector(50, 50));
  EXPECT_EQ(copy.rasterTitle, "Fuel Model");
}

TEST(LandscapeRules, DescriptionsCopiesAndRemovalOfClauses) {
  Grids g;
  CTheme* elevation = g.Add(10, std::vector<float>(12, 1200));
  elevation->name = "Elevation";
  CLcpRule fresh;
  EXPECT_EQ(fresh.description, "Set Fuel Model =  ");

  CLcpRule r;
  r.targetLayer = 4;
  r.constantValue = "40";
  r.fuelModels = {1, 2};
  r.clauses.push_back(RasterClause(elevation, "1000", ""));
  EXPECT_EQ(r.GetDescription(), "Set Canopy Cover = 40 IF Fuel Model = (1 OR 2) AND Elevation >= 1000");
  r.clauses.push_back(RasterClause(elevation, " 10 ", "5"));
  EXPECT_EQ(r.GetDescription(), "Set Canopy Cover = 40 IF Fuel Model = (1 OR 2) AND Elevation >= 1000 AND ");
  r.clauses.back()->maximum = "";
  EXPECT_EQ(r.clauses.back()->GetDescription(), "Elevation >= 10");

  CLcpRule e;
  e.constant = false;
  e.targetLayer = 5;
  e.expressionLayer = 5;
  e.expressionOperator = "*";
  e.expressionValue = "1.5";
  EXPECT_EQ(e.GetDescription(), "Set Stand Height = Stand Height * 1.5 ");

  LcpRuleList list;
  list.push_back(std::make_unique<CLcpRule>(r));
  list.push_back(std::make_unique<CLcpRule>(e));
  LcpRuleList copy = landscape::CopyLandscapeRules(list);
  ASSERT_EQ(copy.size(), 2u);
  ASSERT_EQ(copy[0]->clauses.size(), 2u);
  EXPECT_NE(copy[0]->clauses[0].get(), list[0]->clauses[0].get());
  EXPECT_EQ(copy[0]->clauses[0]->rasterTheme, elevation);

  // Deleting the theme takes its clauses out of every rule, and the rule text follows.
  landscape::RemoveRuleClausesOf(copy, elevation);
  EXPECT_TRUE(copy[0]->clauses.empty());
  EXPECT_EQ(copy[0]->description, "Set Canopy Cover = 40 IF Fuel Model = (1 OR 2)");
  EXPECT_EQ(list[0]->clauses.size(), 2u);
}

// numpy and OGR select the same cells and compute the same values on a GDAL-written landscape.
TEST(LandscapeRules, CellsAndCountsMatchNumpyAndOgr) {
  ScratchDir dir;
  const std::string lcp = dir / "land.lcp";
  ASSERT_EQ(Oracle("write_lcp " + lcp + " 8 0 0 7")["bands"], "8");
  // Within the landscape (west 612345.5, north 4512345.25, 23 x 17 cells of 30 m): an outer
  // ring with a hole and an island in it; no cell centre lies on an edge.
  const double w = 612345.5, n = 4512345.25;
  auto pt = [&](double dx, double dy) {
    return std::to_string(w + dx) + " " + std::to_string(n - dy);
  };
  auto ring = [&](double x0, double y0, double x1, double y1) {
    return "(" + pt(x0, y0) + "," + pt(x1, y0) + "," + pt(x1, y1) + "," + pt(x0, y1) + "," + pt(x0, y0) + ")";
  };
  const std::string shp = testsupport::WriteShapes(
      dir / "", "zones",
      {"MULTIPOLYGON ((" + ring(60, 60, 600, 420) + "," + ring(200, 150, 400, 300) + "),(" +
       ring(250, 200, 300, 250) + "))"});

  struct Case {
    int target;
    const char* value;  // "=N" or "L:op:N"
    const char* fuels;
    const char* raster;
    bool vector;
  } cases[] = {
      {4, "=40", "1,2,5,10", "5:10:", true},
      {5, "6:x:2", "-", "-", false},
      {6, "5:-:3", "101,122,165", "4:20:60", false},
      {7, "7:+:0.05", "-", "6::5", true},
      {3, "0:/:10", "-", "-", true},
      {7, "4:/:0", "-", "-", false},
      {3, "=300", "-", "5::8", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.target) + " " + c.value + " " + c.fuels + " " + c.raster);
    landscape::LandscapeState state;
    landscape::ThemeList themes;
    ASSERT_EQ(landscape::OpenLandscape(state, lcp, themes), 1);
    CVectorTheme zones;
    ASSERT_EQ(zones.LoadShapefile(shp, ""), 1);

    CLcpRule r;
    r.targetLayer = c.target;
    const std::string value = c.value;
    if (value[0] == '=') {
      r.constantValue = value.substr(1);
    } else {
      r.constant = false;
      r.expressionLayer = value[0] - '0';
      r.expressionOperator = value[2] == 'x' ? "*" : value.substr(2, 1);
      r.expressionValue = value.substr(4);
    }
    for (std::string f = c.fuels; f != "-" && !f.empty();) {
      const auto comma = f.find(',');
      r.fuelModels.push_back(std::stoi(f.substr(0, comma)));
      f = comma == std::string::npos ? "" : f.substr(comma + 1);
    }
    if (std::string(c.raster) != "-") {
      const std::string spec = c.raster;
      const auto a = spec.find(':'), b = spec.find(':', a + 1);
      r.clauses.push_back(RasterClause(state.layers[static_cast<std::size_t>(std::stoi(spec.substr(0, a)))],
                                       spec.substr(a + 1, b - a - 1), spec.substr(b + 1)));
    }
    if (c.vector) {
      auto v = std::make_unique<CLcpRuleClause>();
      v->isRaster = false;
      v->vectorTheme = &zones;
      r.clauses.push_back(std::move(v));
    }
    auto lookup = [&](int type) { return type >= 0 && type < 10 ? state.layers[static_cast<std::size_t>(type)] : nullptr; };
    const landscape::RuleLayers layers = landscape::ResolveRuleLayers(r, lookup);
    ASSERT_EQ(layers.error, "");

    const std::string out = dir / "expected.i16";
    KeyValues k = Oracle(lcp + " " + shp + " " + out + " " + std::to_string(c.target) + " " + c.value + " " +
                             c.fuels + " " + c.raster + " " + (c.vector ? "1" : "0"),
                         "rules_oracle.py apply");
    const std::int64_t count = landscape::EvaluateRule(r, layers, false);
    EXPECT_EQ(std::to_string(count), k["count"]);
    EXPECT_EQ(landscape::EvaluateRule(r, layers, true), count);
    const std::string bytes = FileBytes(out);
    CTheme& target = *state.layers[static_cast<std::size_t>(c.target)];
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(target.rows * target.columns * 2));
    int mismatches = 0;
    for (int row = 0; row < target.rows; ++row)
      for (int col = 0; col < target.columns; ++col) {
        const std::size_t i = 2 * static_cast<std::size_t>(row * target.columns + col);
        const auto expected = static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                        (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (target.GetCellValue(col, row) != expected && mismatches++ < 5)
          ADD_FAILURE() << "row " << row << " col " << col << ": " << target.GetCellValue(col, row) << " vs "
                        << expected;
      }
    EXPECT_EQ(mismatches, 0);
  }
}
