#include "project_test_support.h"

namespace project_test {
namespace {

float Flat(int layer, int, int) { return layer == 3 ? 1.0f : 100.0f; }

struct AlignCase {
  const char* what;
  double north, east, south, west;
  double wantNorth, wantEast, wantSouth, wantWest;
};

TEST_F(ProjectTest, AreaEdgesSnapToLandscapeCells) {
  // 100 x 100 cells of 30 m: the landscape spans 0..3000 both ways.
  const AlignCase cases[] = {
      {"whole landscape keeps its extent", 3000, 3000, 0, 0, 3000, 3000, 0, 0},
      {"inner edges move out to cell edges", 2290, 610, 1510, 305, 2310, 630, 1500, 300},
      {"north and east on a cell edge grow one cell", 2400, 600, 1500, 300, 2430, 630, 1500, 300},
      {"beyond the landscape is clamped", 9000, 9000, -500, -500, 3000, 3000, 0, 0},
  };
  CPVN4Doc& doc = MakeLandscape(100, 100, 30, 30, Flat);
  for (const AlignCase& c : cases) {
    CPyrvane2WorkArea* a = doc.CreateWorkArea(c.north, c.east, c.south, c.west, "New Analysis Area");
    ASSERT_NE(a, nullptr) << c.what;
    EXPECT_DOUBLE_EQ(a->north, c.wantNorth) << c.what;
    EXPECT_DOUBLE_EQ(a->east, c.wantEast) << c.what;
    EXPECT_DOUBLE_EQ(a->south, c.wantSouth) << c.what;
    EXPECT_DOUBLE_EQ(a->west, c.wantWest) << c.what;
    EXPECT_EQ(doc.currentArea, a);
  }
}

TEST_F(ProjectTest, AreaCellWindowIsTheSameInEveryLayer) {
  CPVN4Doc& doc = MakeLandscape(100, 100, 30, 30, Flat);
  // Columns 10-19 and rows 5-24 (row 0 is the northern row).
  CPyrvane2WorkArea* a = doc.CreateWorkArea(3000 - 5 * 30 - 1, 20 * 30 - 1, 3000 - 25 * 30, 10 * 30, "A");
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->themeRects.size(), doc.gridThemes.size());
  for (const auto& t : doc.gridThemes) {
    const CThemeRect r = a->GetThemeRect(t.get());
    EXPECT_EQ(r.Window(), (CellWindow{10, 5, 19, 24})) << t->name;
  }
  EXPECT_EQ(a->GetLandscapeRect().Window(), (CellWindow{10, 5, 19, 24}));

  // A grid wholly west of the area gives its two easternmost columns; a theme the area never
  // saw gives the default window.
  auto west = MakeTheme(10, 4, 6, 30, 30, std::vector<float>(24, 1.0f), -1000, 2000);
  a->AddThemeRect(west.get());
  EXPECT_EQ(a->GetThemeRect(west.get()).firstColumn, 4);
  EXPECT_EQ(a->GetThemeRect(west.get()).lastColumn, 5);
  auto other = MakeTheme(10, 2, 2, 30, 30, std::vector<float>(4, 1.0f));
  EXPECT_EQ(a->GetThemeRect(other.get()).Window(), (CellWindow{0, 0, 1, 1}));
  a->RemoveThemeRect(west.get());
}

TEST_F(ProjectTest, AreasUnderOneCellOrWithoutLandscapeAreRefused) {
  const std::string refusal =
      "Error: Can not create Analysis Area:\nWidth and/or Height < 1 landscape pixel inside Default Landscape.";
  CPVN4Doc& doc = MakeLandscape(10, 10, 30, 30, Flat);
  platform::ScopedRecordingMessages messages;
  // A line along the northern edge: north and south both end on that edge.
  EXPECT_EQ(doc.CreateWorkArea(300, 200, 300, 100, "thin"), nullptr);
  EXPECT_NE(doc.CreateWorkArea(200, 10, 100, 5, "one cell at the west edge"), nullptr);
  EXPECT_EQ(doc.CreateWorkArea(200, 300, 100, 300, "at the east edge"), nullptr);
  EXPECT_EQ(doc.areas.size(), 2u);
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{refusal, refusal}));

  // Degenerate headers (no cells, no cell size) refuse instead of dividing by zero.
  for (auto spoil : {+[](CHeaderData& h) { h.cellWidth = 0; }, +[](CHeaderData& h) { h.cellHeight = 0; },
                     +[](CHeaderData& h) { h.rows = 0; }, +[](CHeaderData& h) { h.columns = 0; }}) {
    CPVN4Doc bad;
    bad.landscape = doc.landscape;
    spoil(bad.landscape.header);
    EXPECT_EQ(bad.CreateWorkArea(300, 300, 0, 0, "x"), nullptr);
    EXPECT_TRUE(bad.areas.empty());
  }
  messages.Clear();
  CPVN4Doc empty;
  EXPECT_EQ(empty.CreateWorkArea(300, 300, 0, 0, "x"), nullptr);
  EXPECT_EQ(messages.Texts(),
            std::vector<std::string>{"Error: Can not create Analysis Area:\nNo landscape is loaded."});
}

TEST_F(ProjectTest, FuelModelScanKeepsDistinctModelsOfTheArea) {
  struct Case {
    std::vector<float> fuels;
    std::vector<int> want;
    bool custom;
  };
  const Case cases[] = {
      {{0, 1, 1, 5, 98, 102, -9999}, {1, 5, 98, 102}, false},
      {{150, 4, 256, 300, -3}, {4, 150}, true},   // 150 is no standard model
      {{95, 91, 99}, {91, 95, 99}, false},        // 90-99 never ask for custom fuels
      {{-9999, 0}, {}, false},
  };
  for (const Case& c : cases) {
    const int n = static_cast<int>(c.fuels.size());
    CPVN4Doc& doc = MakeLandscape(1, n, 30, 30, [&](int layer, int, int col) {
      return layer == 3 ? c.fuels[static_cast<std::size_t>(col)] : 1.0f;
    });
    const CPyrvane2WorkArea& a = *doc.DefaultArea();
    EXPECT_EQ(a.AreaFuelModels(), c.want);
    EXPECT_EQ(a.fuelModelCount, static_cast<int>(c.want.size()));
    EXPECT_EQ(a.customFuels, c.custom);
    EXPECT_EQ(a.fuelModels[c.want.size()], -1);
    EXPECT_TRUE(a.surfaceFuelsValid && a.groundFuelsValid);
  }
}

TEST_F(ProjectTest, FuelModelScanLooksOnlyInsideTheArea) {
  CPVN4Doc& doc = MakeLandscape(10, 10, 30, 30, [](int layer, int row, int col) {
    return layer == 3 ? static_cast<float>(row < 5 && col < 5 ? 1 : 2) : 1.0f;
  });
  CPyrvane2WorkArea* a = doc.CreateWorkArea(300, 149, 151, 0, "north-west");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->AreaFuelModels(), std::vector<int>{1});
  EXPECT_EQ(doc.DefaultArea()->AreaFuelModels(), (std::vector<int>{1, 2}));
}

TEST_F(ProjectTest, LaterAreasCopyTheDefaultAreaLegends) {
  CPVN4Doc& doc = MakeLandscape(10, 10, 30, 30, [](int layer, int r, int c) { return float(layer * 100 + r + c); });
  CPyrvane2WorkArea& first = *doc.DefaultArea();
  ASSERT_EQ(first.legends.size(), doc.gridThemes.size());
  first.legends[3]->GetEntry(1).SetColor(0x123456);
  CPyrvane2WorkArea* second = doc.CreateWorkArea(200, 200, 100, 100, "B");
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(second->legends.size(), first.legends.size());
  for (std::size_t i = 0; i < first.legends.size(); ++i) {
    EXPECT_NE(second->legends[i].get(), first.legends[i].get());
    EXPECT_EQ(second->legends[i]->GetTheme(), doc.gridThemes[i].get());
    ASSERT_EQ(second->legends[i]->GetCount(), first.legends[i]->GetCount());
    for (int k = 0; k < first.legends[i]->GetCount(); ++k)
      EXPECT_EQ(second->legends[i]->GetEntry(k), first.legends[i]->GetEntry(k));
  }
  EXPECT_EQ(second->GetLegendDataByLayerType(3), second->legends[3].get());
  EXPECT_EQ(second->GetLegendDataByLayerType(17), nullptr);
  EXPECT_EQ(second->GetLegendMaxByLayerType(17), 0.0);
  EXPECT_DOUBLE_EQ(second->GetLegendMaxByLayerType(2), first.legends[2]->GetMaxValue());

  // While a project file is read, areas get no legends: the file supplies them.
  doc.loading = true;
  CPyrvane2WorkArea* loaded = doc.CreateWorkArea(200, 200, 100, 100, "C");
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(loaded->legends.empty());
  EXPECT_EQ(loaded->AreaFuelModels(), second->AreaFuelModels());
}

}  // namespace
}  // namespace project_test
