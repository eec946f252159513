#include <gtest/gtest.h>

#include "themes/wv_legend.h"

namespace {

// Classes coloured by index so a lookup names the class it found.
CWVLegendData Legend(std::initializer_list<float> values, double minimum = 0) {
  CWVLegendData legend;
  int i = 0;
  for (float v : values) {
    legend.AddEntry(CWVLegendEntry(v, static_cast<COLORREF>(100 + i), 10 + i));
    ++i;
  }
  legend.SetMinValue(minimum);
  return legend;
}

TEST(WVLegend, ClassLookupBoundaries) {
  const CWVLegendData legend = Legend({0, 10, 20, 30});
  struct Case {
    double magnitude;
    int cls;
  } cases[] = {{5, 0}, {10, 0}, {10.5, 1}, {20, 1}, {25, 2}, {30, 3}, {40, 3}, {-5, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(legend.GetColor(c.magnitude), static_cast<COLORREF>(100 + c.cls)) << c.magnitude;
    EXPECT_EQ(legend.GetRelativeLength(c.magnitude), 10 + c.cls) << c.magnitude;
  }
}

TEST(WVLegend, NoClassOrBelowSingleClassGivesBlackAndUnitLength) {
  const CWVLegendData empty;
  EXPECT_EQ(empty.GetColor(12), 0u);
  EXPECT_EQ(empty.GetRelativeLength(12), 1);
  EXPECT_EQ(empty.GetMaxRelativeLength(), 1);
  const CWVLegendData one = Legend({10});
  EXPECT_EQ(one.GetColor(12), 100u);
  EXPECT_EQ(one.GetRelativeLength(12), 10);
  EXPECT_EQ(one.GetColor(5), 0u);
  EXPECT_EQ(one.GetRelativeLength(5), 1);
}

// Colour and length of one arrow come from the same class, whatever the display units.
TEST(WVLegend, ColourAndLengthShareOneUnit) {
  CWVLegendData legend = Legend({0, 0.5f, 1.0f, 1.5f}, 2);
  legend.units = 2;  // m/sec; 3 mph is 1.341 m/sec, below the minimum of 2
  EXPECT_EQ(legend.GetColor(3), 100u);
  EXPECT_EQ(legend.GetRelativeLength(3), 10);
  legend.SetMinValue(0);
  EXPECT_EQ(legend.GetColor(3), 102u);
  EXPECT_EQ(legend.GetRelativeLength(3), 12);
}

TEST(WVLegend, ConvertUnitsTable) {
  struct Case {
    int kind, from, to;
    double value, expected;
  } cases[] = {{0, 0, 2, 3, 1.34112},        {0, 0, 3, 1, 88.0002},
               {1, 1, 0, 1, 0.30480370641307}, {2, 0, 1, 1, 3.2808},
               {2, 0, 2, 7, 7},                {0, 1, 1, 7, 7},
               {0, -1, 9, 7, 7},               {5, 0, 1, 7, 7}};
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(ConvertArrowUnits(c.kind, c.value, c.from, c.to), c.expected)
        << c.kind << " " << c.from << "->" << c.to;
}

TEST(WVLegend, AddEntryOrder) {
  CWVLegendData legend;
  legend.AddEntry(CWVLegendEntry(20, 1, 1));
  legend.AddEntry(CWVLegendEntry(10, 2, 1));
  legend.AddEntry(CWVLegendEntry(10, 3, 1));
  legend.AddEntry(CWVLegendEntry(-9999, 4, 1));
  const COLORREF order[] = {4, 2, 3, 1};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(legend.GetEntry(i).GetColor(), order[i]);
  EXPECT_EQ(CWVLegendEntry(1, 0, -3).GetRelativeLength(), 0);
}

TEST(WVLegend, ColorRamps) {
  CWVLegendData five = Legend({0, 1, 2, 3, 4});
  five.ApplyColorRamp(CColorRamp({MakeColorRef(0, 0, 0), MakeColorRef(255, 0, 0)}));
  const unsigned reds[] = {0, 63, 127, 191, 255};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(RedOf(five.GetEntry(i).GetColor()), reds[i]) << i;

  const COLORREF a = MakeColorRef(255, 0, 0), b = MakeColorRef(0, 255, 0), c = MakeColorRef(0, 0, 255);
  five.ApplyColorRamp(CColorRamp({a, b, c}));
  EXPECT_EQ(five.GetEntry(0).GetColor(), a);
  EXPECT_EQ(five.GetEntry(2).GetColor(), b);
  EXPECT_EQ(five.GetEntry(4).GetColor(), c);

  // More classes than one ramp segment ever held, and ramps longer than the classes.
  CWVLegendData full;
  for (int i = 0; i < 150; ++i)
    full.AddEntry(CWVLegendEntry(static_cast<float>(i), 7, 1));
  full.ApplyColorRamp(CColorRamp({a, c}));
  EXPECT_EQ(full.GetEntry(0).GetColor(), a);
  EXPECT_EQ(full.GetEntry(150 - 1).GetColor(), c);
  CWVLegendData two = Legend({0, 1});
  two.ApplyColorRamp(CColorRamp({a, b, c, a, b, c, a}));
  EXPECT_EQ(two.GetCount(), 2);

  COLORREF pair[2] = {};
  for (int count : {0, 1}) {
    MakeRgbRampPair(a, c, count, pair);
    EXPECT_EQ(pair[0], a);
    EXPECT_EQ(pair[1], c);
  }
}

TEST(WVLegend, CopyKeepsOwnRange) {
  CWVLegendData source = Legend({1, 2});
  source.targetSize = 50;
  source.units = 1;
  source.SetMinValue(5);
  CWVLegendData target = Legend({9}, 3);
  target.SetMaxValue(11);
  target.Copy(source);
  EXPECT_EQ(target.GetCount(), 2);
  EXPECT_EQ(target.targetSize, 50);
  EXPECT_EQ(target.units, 1);
  EXPECT_EQ(target.GetMinValue(), 3);
  EXPECT_EQ(target.GetMaxValue(), 11);
}

}  // namespace
