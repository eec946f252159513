#include <gtest/gtest.h>

#include <set>

#include "themes/color_ramp.h"
#include "themes/legend.h"
#include "themes/theme.h"

namespace {

constexpr COLORREF kRed = MakeColorRef(255, 0, 0), kGreen = MakeColorRef(0, 255, 0),
                   kBlue = MakeColorRef(0, 0, 255), kWhite = MakeColorRef(255, 255, 255),
                   kNoDataColor = MakeColorRef(1, 2, 3);

CThemeLegendData Legend(std::initializer_list<float> classes) {
  CThemeLegendData l;
  l.AddEntry(CLegendEntry(kNoData, kNoDataColor));
  COLORREF c = 10;
  for (float v : classes) l.AddEntry(CLegendEntry(v, c++));
  return l;
}

std::vector<float> Values(const CThemeLegendData& l) {
  std::vector<float> v;
  for (int i = 0; i < l.GetCount(); ++i) v.push_back(l.GetEntry(i).GetValue());
  return v;
}

std::vector<COLORREF> Colors(const CThemeLegendData& l) {
  std::vector<COLORREF> v;
  for (int i = 0; i < l.GetCount(); ++i) v.push_back(l.GetEntry(i).GetColor());
  return v;
}

TEST(Legend, AddEntryKeepsNoDataFirstAndClassesAscendingWithTiesInInsertionOrder) {
  CThemeLegendData l;
  for (float v : {30.f, kNoData, 10.f, 20.f}) l.AddEntry(CLegendEntry(v, 0));
  l.AddEntry(CLegendEntry(20.f, 77));
  l.AddEntry(CLegendEntry(kNoData, 88));
  EXPECT_EQ(Values(l), (std::vector<float>{kNoData, kNoData, 10, 20, 20, 30}));
  EXPECT_EQ(l.GetEntry(1).GetColor(), 88u);  // the second "No Data" lands after the first
  EXPECT_EQ(l.GetEntry(4).GetColor(), 77u);  // the second 20 after the first
}

TEST(Legend, NeverExceedsOneHundredEntriesWhicheverPathBuildsIt) {
  CThemeLegendData l;
  for (int i = 0; i < 150; ++i) l.AddEntry(CLegendEntry(static_cast<float>(i), 0));
  EXPECT_EQ(l.GetCount(), kMaxLegendEntries);
  EXPECT_FALSE(l.AddEntry(CLegendEntry(-1, 0)));
  EXPECT_EQ(l.GetEntry(0).GetValue(), 0.f);
  CThemeLegendData copy;
  copy.Copy(l);
  EXPECT_EQ(copy.GetCount(), kMaxLegendEntries);
}

TEST(Legend, GetColorPicksFirstClassAtOrAboveTheValue) {
  const CThemeLegendData l = Legend({10, 20, 30});  // colours 10, 11, 12
  struct Case {
    double value;
    COLORREF color;
  } cases[] = {{10, 10}, {10.5, 11}, {5, 10}, {20, 11}, {29.99, 12}, {31, 12}, {-9999, kNoDataColor}};
  for (const auto& c : cases) EXPECT_EQ(l.GetColor(c.value), c.color) << c.value;

  EXPECT_EQ(CThemeLegendData().GetColor(5), 0u);
  const CThemeLegendData onlyNoData = Legend({});
  EXPECT_EQ(onlyNoData.GetColor(5), 0u);
  EXPECT_EQ(onlyNoData.GetColor(-9999), kNoDataColor);
}

struct RampCase {
  const char* name;
  std::vector<COLORREF> ramp;
  int classes;
  std::vector<COLORREF> expected;  // classes 1 .. n
};

class LegendRamp : public ::testing::TestWithParam<RampCase> {};

TEST_P(LegendRamp, ColoursClassesAndLeavesNoDataAlone) {
  const RampCase& c = GetParam();
  CThemeLegendData l = Legend({});
  for (int i = 1; i <= c.classes; ++i) l.AddEntry(CLegendEntry(static_cast<float>(i), 0));
  l.ApplyColorRamp(CColorRamp(c.ramp));
  auto colors = Colors(l);
  EXPECT_EQ(colors[0], kNoDataColor);
  EXPECT_EQ(std::vector<COLORREF>(colors.begin() + 1, colors.end()), c.expected);
}

auto Grey(unsigned g) { return MakeColorRef(g, g, g); }

INSTANTIATE_TEST_SUITE_P(
    Modes, LegendRamp,
    ::testing::Values(
        RampCase{"SingleColour", {kBlue}, 3, {kBlue, kBlue, kBlue}},
        RampCase{"TwoColoursTruncateTheSteps", {0, kWhite}, 5,
                 {Grey(0), Grey(63), Grey(127), Grey(191), Grey(255)}},
        RampCase{"DescendingRamp", {kWhite, 0}, 3, {Grey(255), Grey(127), Grey(0)}},
        RampCase{"SegmentsShareTheirEnds", {kRed, kGreen, kBlue}, 4, {kRed, kGreen, kGreen, kBlue}},
        RampCase{"LaterSegmentWinsWithFewerClassesThanSegments", {kRed, kGreen, kBlue}, 1, {kGreen}},
        RampCase{"UnevenSegments", {kRed, kGreen, kBlue}, 5,
                 {kRed, MakeColorRef(127, 127, 0), kGreen, MakeColorRef(0, 127, 127), kBlue}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Legend, RandomRampColoursEveryClassButNoData) {
  CThemeLegendData l = Legend({});
  for (int i = 1; i <= 40; ++i) l.AddEntry(CLegendEntry(static_cast<float>(i), 0));
  l.ApplyColorRamp(CColorRamp());
  auto colors = Colors(l);
  EXPECT_EQ(colors[0], kNoDataColor);
  int distinct = static_cast<int>(std::set<COLORREF>(colors.begin() + 1, colors.end()).size());
  EXPECT_GT(distinct, 30);
  for (COLORREF c : colors) EXPECT_EQ(c & 0xFF000000u, 0u);
}

TEST(Legend, MakeRgbRampInterpolatesEndToEnd) {
  COLORREF out[5];
  MakeRgbRamp(0, kWhite, 5, out);
  EXPECT_EQ(std::vector<COLORREF>(out, out + 5),
            (std::vector<COLORREF>{Grey(0), Grey(63), Grey(127), Grey(191), Grey(255)}));
  MakeRgbRamp(kRed, kBlue, 1, out);
  EXPECT_EQ(out[0], kRed);
}

TEST(Legend, CopyTakesClassesAndSettingsButKeepsThemeAndRange) {
  CTheme theme;
  CThemeLegendData source = Legend({1, 2});
  source.SetDecimals(3);
  source.SetUniqueValues(true);
  source.SetUnits(1);
  source.SetMinValue(-5);
  CThemeLegendData target = Legend({7, 8, 9});
  target.SetTheme(&theme);
  target.SetMinValue(100);
  target.SetMaxValue(200);
  target.Copy(source);
  EXPECT_EQ(Values(target), Values(source));
  EXPECT_EQ(target.GetDecimals(), 3);
  EXPECT_TRUE(target.IsUniqueValues());
  EXPECT_EQ(target.GetUnits(), 1);
  EXPECT_EQ(target.GetTheme(), &theme);
  EXPECT_EQ(target.GetMinValue(), 100);
  EXPECT_EQ(target.GetMaxValue(), 200);
}

TEST(Legend, ChangeUnitsConvertsClassValuesThroughStoredUnits) {
  CTheme elevation;
  elevation.layerType = 0;
  CThemeLegendData l = Legend({100, 1000});
  l.SetTheme(&elevation);
  EXPECT_EQ(l.GetUnitsName(), "Meters");
  ASSERT_TRUE(l.ChangeUnits(1));
  EXPECT_EQ(l.GetUnitsName(), "Feet");
  EXPECT_EQ(l.GetEntry(0).GetValue(), kNoData);
  EXPECT_NEAR(l.GetEntry(1).GetValue(), 328.08, 1e-3);
  EXPECT_NEAR(l.GetEntry(2).GetValue(), 3280.8, 1e-2);
  EXPECT_FALSE(l.ChangeUnits(2));  // elevation offers only metres and feet
  EXPECT_EQ(l.GetUnits(), 1);

  // Stand height keeps tenths in its cells; the legend shows whole units.
  CTheme height;
  height.layerType = 5;
  height.units = 3;
  CThemeLegendData h = Legend({12.3f});
  h.SetTheme(&height);
  ASSERT_TRUE(h.ChangeUnits(1));
  EXPECT_NEAR(h.GetEntry(1).GetValue(), 40.354, 1e-3);
  EXPECT_EQ(h.GetUnitsName(), "Feet");
}

}  // namespace
