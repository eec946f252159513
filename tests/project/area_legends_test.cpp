#include "project_test_support.h"

#include <gdal.h>

#include "app/preference_pages.h"

namespace project_test {
namespace {

std::vector<float> Values(const CThemeLegendData& l) {
  std::vector<float> v;
  for (int i = 0; i < l.GetCount(); ++i) v.push_back(l.GetEntry(i).GetValue());
  return v;
}

// A one-row fuel-model theme over the default area of a 1 x n landscape.
struct FuelRow {
  CPVN4Doc* doc;
  CTheme* fuel;
};

class AreaLegendTest : public ProjectTest {
 protected:
  FuelRow Fuels(const std::vector<float>& fuels) {
    CPVN4Doc& doc = MakeLandscape(1, static_cast<int>(fuels.size()), 30, 30, [&](int layer, int, int c) {
      return layer == 3 ? fuels[static_cast<std::size_t>(c)] : 1.0f;
    });
    return {&doc, doc.GetThemeByLayerType(3)};
  }
  CThemePreference& FuelPreference() { return GetApp().themePrefs[3]; }
};

TEST_F(AreaLegendTest, FewDistinctValuesGiveOneClassEach) {
  FuelPreference().numClasses = 10;
  FuelPreference().noDataColor = 0x00FF00;
  FuelPreference().ramp = CColorRamp({0x0000FF, 0xFF0000});
  FuelRow f = Fuels({5, 1, -9999, 2, 5, 1});
  auto legend = f.doc->DefaultArea()->CreateLegendData(f.fuel, nullptr);
  EXPECT_TRUE(legend->IsUniqueValues());
  EXPECT_EQ(Values(*legend), (std::vector<float>{-9999, 1, 2, 5}));
  EXPECT_EQ(legend->GetEntry(0).GetColor(), 0x00FF00u);
  EXPECT_EQ(legend->GetEntry(1).GetColor(), 0x0000FFu);
  EXPECT_EQ(legend->GetEntry(3).GetColor(), 0xFF0000u);
  // No-data cells move neither end of the range.
  EXPECT_EQ(legend->GetMinValue(), 1.0);
  EXPECT_EQ(legend->GetMaxValue(), 5.0);
  EXPECT_EQ(legend->GetTheme(), f.fuel);

  // The caller's copy of the whole grid gives the same legend as reading the theme.
  const std::vector<float> cells{5, 1, -9999, 2, 5, 1};
  auto fromCells = f.doc->DefaultArea()->CreateLegendData(f.fuel, cells.data());
  EXPECT_EQ(Values(*fromCells), Values(*legend));
}

TEST_F(AreaLegendTest, ManyDistinctValuesGiveEvenClassesUpToTheMaximum) {
  FuelPreference().numClasses = 4;
  FuelRow f = Fuels({10, 20, -9999, 30, 40, 50, 90});
  auto legend = f.doc->DefaultArea()->CreateLegendData(f.fuel, nullptr);
  EXPECT_FALSE(legend->IsUniqueValues());
  EXPECT_EQ(Values(*legend), (std::vector<float>{-9999, 30, 50, 70, 90}));
  EXPECT_EQ(legend->GetMinValue(), 10.0);
  EXPECT_EQ(legend->GetMaxValue(), 90.0);

  // A theme the area has no window in is examined at its first cell alone.
  auto stray = MakeTheme(3, 1, 3, 30, 30, {7, 8, 9});
  auto one = f.doc->DefaultArea()->CreateLegendData(stray.get(), nullptr);
  EXPECT_EQ(Values(*one), (std::vector<float>{-9999, 7}));
}

TEST_F(AreaLegendTest, NamedPredefinedLegendIsTakenOnlyWhenItMatchesExactly) {
  auto pre = std::make_unique<CPredefinedThemeLegend>();
  pre->name = "Fuel Classes";
  pre->layerType = 3;
  pre->RemoveAllEntries();
  pre->AddEntry(CLegendEntry(-9999, 0xFFFFFF));
  pre->AddEntry(CLegendEntry(3, 0x111111));
  pre->AddEntry(CLegendEntry(200, 0x222222));
  pre->SetUniqueValues(false);
  GetApp().predefinedLegends.push_back(std::move(pre));
  FuelPreference().usePredefinedLegend = 1;
  FuelPreference().numClasses = 10;

  struct Case {
    const char* name;
    bool taken;
  };
  for (const Case& c : {Case{"Fuel Classes", true}, Case{"fuel classes", false}, Case{"Other", false}}) {
    FuelPreference().predefinedLegendName = c.name;
    FuelRow f = Fuels({1, 2, 5});
    auto legend = f.doc->DefaultArea()->CreateLegendData(f.fuel, nullptr);
    const CThemeLegendData& area = *f.doc->DefaultArea()->GetLegendDataByLayerType(3);
    if (c.taken) {
      EXPECT_EQ(Values(*legend), (std::vector<float>{-9999, 3, 200})) << c.name;
      EXPECT_EQ(legend->GetEntry(2).GetColor(), 0x222222u);
      EXPECT_EQ(Values(area), (std::vector<float>{-9999, 3, 200})) << "header legend";
    } else {
      EXPECT_EQ(Values(*legend), (std::vector<float>{-9999, 1, 2, 5})) << c.name;
      EXPECT_EQ(area.GetCount(), 11) << c.name;
    }
  }
}

TEST_F(AreaLegendTest, LandscapeLegendsSplitTheHeaderRange) {
  GetApp().themePrefs[0].numClasses = 4;
  GetApp().themePrefs[0].noDataColor = 0x00FF00;
  CPVN4Doc& doc = MakeLandscape(2, 2, 30, 30, [](int layer, int r, int c) {
    return layer == 0 ? static_cast<float>(1000 + 100 * (2 * r + c)) : 1.0f;
  });
  const CThemeLegendData& elevation = *doc.DefaultArea()->legends[0];
  EXPECT_EQ(elevation.GetTheme(), doc.gridThemes[0].get());
  EXPECT_FALSE(elevation.IsUniqueValues());
  EXPECT_EQ(Values(elevation), (std::vector<float>{-9999, 1075, 1150, 1225, 1300}));
  EXPECT_EQ(elevation.GetEntry(0).GetColor(), 0xFFFFFFu);  // white, not the preference's
  EXPECT_EQ(elevation.GetMinValue(), 1000.0);
  EXPECT_EQ(elevation.GetMaxValue(), 1300.0);
  EXPECT_EQ(doc.DefaultArea()->legends.size(), doc.gridThemes.size());
}

// What the Theme preferences page stores reaches the legends of the next landscape opened.
TEST_F(AreaLegendTest, ThemePageChangesReachANewlyOpenedLandscape) {
  GDALAllRegister();
  const std::string sample = std::string(PV_SOURCE_DIR) + "/data/sample/sample.lcp";
  GetApp().colorRamps.clear();
  GetApp().colorRamps.push_back(std::make_unique<CColorRamp>());
  GetApp().colorRamps.push_back(std::make_unique<CColorRamp>(std::vector<COLORREF>{0x0000FF, 0x00FF00}));
  auto pre = std::make_unique<CPredefinedThemeLegend>();
  pre->name = "Two classes";
  pre->layerType = 0;
  pre->SetDecimals(1);
  pre->AddEntry(CLegendEntry(2000.0f, 0x123456));
  GetApp().predefinedLegends.push_back(std::move(pre));

  struct Case {
    const char* what;
    int layerType;
    std::function<void(app::ThemePageFields&)> edit;
    std::function<void(const CThemeLegendData&)> check;
  };
  const Case cases[] = {
      {"decimals", 1, [](app::ThemePageFields& f) { f.decimals.selected = 4; },
       [](const CThemeLegendData& l) { EXPECT_EQ(l.GetDecimals(), 4); }},
      {"ramp", 4, [](app::ThemePageFields& f) { f.ramps.selected = 1; f.classes = "3"; },
       [](const CThemeLegendData& l) {
         EXPECT_EQ(l.GetEntry(1).GetColor(), 0x0000FFu);
         EXPECT_EQ(l.GetEntry(l.GetCount() - 1).GetColor(), 0x00FF00u);
       }},
      {"predefined legend", 0, [](app::ThemePageFields& f) { f.usePredefinedLegend = 1; },
       [](const CThemeLegendData& l) {
         EXPECT_EQ(l.GetDecimals(), 1);
         EXPECT_EQ(l.GetEntry(l.GetCount() - 1).GetColor(), 0x123456u);
       }},
  };
  for (const Case& c : cases) {
    CThemePreference& pref = GetApp().themePrefs[static_cast<std::size_t>(c.layerType)];
    pref.layerType = c.layerType;  // as start-up numbers them
    app::ThemePageFields f = app::LoadThemePage(pref, GetApp());
    c.edit(f);
    ASSERT_FALSE(app::ApplyThemePage(f, pref)) << c.what;
    CPVN4Doc doc;
    ASSERT_EQ(doc.OpenLandscape(sample), 1);
    const CThemeLegendData* legend = doc.DefaultArea()->GetLegendDataByLayerType(c.layerType);
    ASSERT_NE(legend, nullptr) << c.what;
    SCOPED_TRACE(c.what);
    c.check(*legend);
  }
}

}  // namespace
}  // namespace project_test
