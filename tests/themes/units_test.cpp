#include <gtest/gtest.h>

#include <cmath>

#include "themes/legend.h"
#include "themes/theme.h"

namespace {

struct Conversion {
  const char* what;
  int layerType, from, to;
  float value, expected;
};

// Stored code -> display index, by layer type.
const Conversion kConversions[] = {
    {"slope percent to degrees", 1, 1, 0, 100, 45},
    {"slope percent rounds half up", 1, 1, 0, 26.8f, 15},   // 15.0003 degrees
    {"slope percent fraction below half", 1, 1, 0, 25, 14},  // 14.036 degrees
    {"slope degrees to percent", 1, 0, 1, 30, 57.735027f},
    {"aspect class east", 2, 0, 0, 1, 90},
    {"aspect class north", 2, 0, 0, 7, 0},
    {"aspect class west", 2, 0, 0, 13, 270},
    {"aspect class flat", 2, 0, 0, 25, 25},
    {"aspect ccw-from-east 0", 2, 1, 0, 0, 90},
    {"aspect ccw-from-east 180", 2, 1, 0, 180, 270},
    {"aspect azimuth unchanged", 2, 2, 0, 123, 123},
    {"canopy class 1", 4, 0, 0, 1, 25},  // the landscape files' mapping
    {"canopy class 2", 4, 0, 0, 2, 50},
    {"canopy class 3", 4, 0, 0, 3, 75},
    {"canopy class 4", 4, 0, 0, 4, 100},
    {"canopy class 99", 4, 0, 0, 99, 99},
    {"canopy class 0", 4, 0, 0, 0, 0},
    {"canopy percent unchanged", 4, 1, 0, 45, 45},
    {"elevation metres to feet", 0, 0, 1, 100, 328.08f},
    {"elevation feet to metres", 0, 1, 0, 1000, 304.80371f},
    {"height metres to feet", 5, 3, 1, 10, 32.808f},
    {"height feet to metres", 6, 2, 0, 10, 3.0480371f},
    {"bulk density kg to lb", 7, 1, 2, 1, 0.062427818f},
    {"bulk density kg to lb*1000", 7, 3, 3, 1, 62.427818f},
    {"bulk density lb to kg", 7, 2, 0, 1, 16.0185f},
    {"bulk density lb to kg*100", 7, 4, 1, 1, 1601.85f},
    {"duff Mg/ha to t/ac", 8, 1, 1, 10, 4.4608825f},
    {"rate m/min to chains/h", 12, 0, 2, 10, 29.825455f},
    {"intensity kW/m to BTU", 13, 0, 1, 100, 28.890879f},
    {"wind mph to km/h", 19, 0, 1, 10, 16.0934f},
    {"wind ft/min to m/s", 34, 3, 2, 1000, 5.08f},
    {"spread direction radians to degrees", 21, 0, 1, 3.1415927f, 180},
    {"unlisted pair unchanged", 16, 0, 1, 7, 7},
    {"layer type above 43 unchanged", 44, 0, 1, 7, 7},
};

TEST(ThemeUnits, ConvertUnitsFollowsTheTableOfEachLayerType) {
  for (const auto& c : kConversions) {
    CTheme t;
    t.layerType = c.layerType;
    EXPECT_NEAR(t.ConvertUnits(c.value, c.from, c.to), c.expected, 2e-4 * std::max(1.f, std::fabs(c.expected)))
        << c.what;
  }
}

TEST(ThemeUnits, NoDataPassesEveryConversionUnchanged) {
  for (int type = 0; type <= 44; ++type) {
    CTheme t;
    t.layerType = type;
    for (int from = 0; from < 5; ++from)
      for (int to = 0; to < 5; ++to) {
        ASSERT_EQ(t.ConvertUnits(kNoData, from, to), kNoData) << type;
        t.units = static_cast<std::int16_t>(from);
        CThemeLegendData l;
        l.SetUnits(to);
        ASSERT_EQ(t.ConvertToDisplayUnits(kNoData, l), kNoData) << type;
        ASSERT_EQ(t.ConvertFromDisplayUnits(kNoData, l), kNoData) << type;
      }
  }
}

struct Display {
  const char* what;
  int layerType, stored, display;
  float cell, shown;
};

// Cells as stored (landscape layers keep tenths or hundredths) and their display value;
// converting the display value back must give the cell again.
const Display kDisplay[] = {
    {"stand height tenths of metres as metres", 5, 3, 0, 123, 12.3f},
    {"stand height tenths of metres as feet", 5, 3, 1, 123, 40.354f},
    {"base height tenths of feet as metres", 6, 4, 0, 100, 3.0480371f},
    {"stand height whole metres as feet", 5, 1, 1, 10, 32.808f},
    {"bulk density whole kg as kg", 7, 1, 0, 2, 2},
    {"bulk density hundredths kg as kg", 7, 3, 0, 25, 0.25f},
    {"bulk density hundredths kg as kg*100", 7, 3, 1, 25, 25},
    {"bulk density hundredths kg as lb", 7, 3, 2, 25, 0.015606954f},
    // 100 thousandths of lb/ft^3 = 0.1 lb/ft^3 x 16.0185 = 1.60185 kg/m^3.
    {"bulk density thousandths lb as kg", 7, 4, 0, 100, 1.60185f},
    {"bulk density thousandths lb as lb*1000", 7, 4, 3, 100, 100},
    {"duff tenths of Mg/ha as t/ac", 8, 1, 1, 100, 4.4608825f},
    {"duff tenths of t/ac as Mg/ha", 8, 2, 0, 100, 22.417089f},
    {"elevation feet as metres", 0, 1, 0, 1000, 304.80371f},
    {"slope percent as degrees", 1, 1, 0, 100, 45},
    {"slope degrees as percent", 1, 0, 1, 45, 100},
    {"rate m/min as chains/h", 12, 0, 2, 10, 29.825455f},
    {"intensity BTU as kW/m", 38, 1, 0, 100, 346.13f},
    {"heat kJ/m2 as BTU/ft2", 14, 0, 1, 1000, 88.06f},
    {"wind km/h as mph", 34, 1, 0, 100, 62.1371f},
    {"spread direction degrees as radians", 21, 1, 0, 180, 3.1415927f},
    {"reaction intensity kJ as btu", 43, 0, 1, 1000, 88.0550918f},
};

TEST(ThemeUnits, DisplayConversionRemovesLandscapeScalingAndRoundTrips) {
  for (const auto& c : kDisplay) {
    CTheme t;
    t.layerType = c.layerType;
    t.units = static_cast<std::int16_t>(c.stored);
    CThemeLegendData l;
    l.SetTheme(&t);
    l.SetUnits(c.display);
    const float shown = t.ConvertToDisplayUnits(c.cell, l);
    EXPECT_NEAR(shown, c.shown, 1e-4 * std::max(1.f, std::fabs(c.shown))) << c.what;
    EXPECT_NEAR(t.ConvertFromDisplayUnits(shown, l), c.cell, 2e-3 * std::max(1.f, std::fabs(c.cell)))
        << c.what;
  }
}

}  // namespace
