#include <gtest/gtest.h>

#include "project/document.h"
#include "views/measure.h"

namespace views {
namespace {

const std::vector<dPoint> kTriangle{{0, 0}, {3000, 0}, {3000, 4000}};

TEST(Measure, TriangleInEveryUnitSystem) {
  struct Case {
    bool closed;
    int gridUnits, lengthUnit, areaUnit;
    std::string length, area;
  } cases[] = {
      {false, 0, 2, 3, "7.00", "0.0"},           // line in kilometres
      {true, 0, 2, 3, "12.00", "600.00"},        // perimeter, hectares
      {false, 1, 0, 0, "2133.60", "0.0"},        // feet landscape shown in metres
      {true, 1, 1, 1, "12000.00", "6000000.00"}, // feet in feet
      {false, 0, 7, 0, "0.00", "0.0"},           // no unit selected
      {true, 0, 0, -1, "12000.00", "0.00"},
  };
  for (const Case& c : cases) {
    const MeasureTexts t = Measure(kTriangle, c.closed, c.gridUnits, c.lengthUnit, c.areaUnit);
    EXPECT_EQ(t.length, c.length) << c.closed << c.gridUnits << c.lengthUnit;
    EXPECT_EQ(t.area, c.area) << c.closed << c.gridUnits << c.areaUnit;
  }
}

TEST(Measure, DegenerateAndReversedShapes) {
  EXPECT_EQ(Measure({}, true, 0, 0, 0).length, "0.00");
  EXPECT_EQ(Measure({{5, 5}}, true, 0, 0, 0).length, "0.00");
  EXPECT_EQ(Measure({{5, 5}, {5, 5}, {5, 8}}, false, 0, 0, 0).length, "3.00");
  EXPECT_EQ(Measure({{0, 0}, {3, 0}}, true, 0, 0, 4).area, "0.0");
  std::vector<dPoint> reversed(kTriangle.rbegin(), kTriangle.rend());
  EXPECT_DOUBLE_EQ(RingArea(reversed), RingArea(kTriangle));
  EXPECT_DOUBLE_EQ(RingArea(kTriangle), 6e6);
}

}  // namespace
}  // namespace views
