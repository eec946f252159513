#include <gtest/gtest.h>

#include "themes/polygon.h"
#include "themes/theme.h"

namespace {

CPolygon Ring(std::initializer_list<std::pair<double, double>> points) {
  CPolygon p;
  EXPECT_TRUE(p.SetVertexCount(static_cast<int>(points.size())));
  int i = 0;
  for (auto [x, y] : points) EXPECT_TRUE(p.SetVertex(x, y, i++));
  return p;
}

TEST(Polygon, SignedAreaFollowsTheWindingAndPointsAreInsideOnlyWhenWoundAround) {
  CPolygon ccw = Ring({{0, 0}, {1, 0}, {1, 1}, {0, 1}});
  CPolygon cw = Ring({{0, 1}, {1, 1}, {1, 0}, {0, 0}});
  EXPECT_DOUBLE_EQ(ccw.GetArea(), 1);
  EXPECT_DOUBLE_EQ(cw.GetArea(), -1);
  for (CPolygon* p : {&ccw, &cw}) {
    EXPECT_TRUE(p->IsPointInside(0.5, 0.5));
    EXPECT_FALSE(p->IsPointInside(2, 0.5));
    EXPECT_FALSE(p->IsPointInside(0.5, -3));
  }
  // A concave ring: the notch is outside.
  CPolygon u = Ring({{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}});
  EXPECT_DOUBLE_EQ(u.GetArea(), 7);
  EXPECT_TRUE(u.IsPointInside(0.5, 2));
  EXPECT_FALSE(u.IsPointInside(1.5, 2));
  EXPECT_EQ(u.MaxX(), 3);
  EXPECT_EQ(u.MinY(), 0);

  CPolygon empty;
  EXPECT_FALSE(empty.IsPointInside(0, 0));
  EXPECT_FALSE(empty.SetVertex(0, 0, 0));
  EXPECT_FALSE(ccw.SetVertex(0, 0, 4));
}

TEST(Polygon, FileTitlesAndFireTypes) {
  struct Case {
    const char* path;
    const char* title;
  } cases[] = {
      {"C:\\data\\fires.old.shp", "fires.old"},
      {"/home/u/runs/flame.asc", "flame"},
      {"mixed\\dir/name.tif", "name"},
      {"bare", "bare"},
  };
  for (const auto& c : cases) EXPECT_EQ(GetFileTitleFromPath(c.path), c.title) << c.path;
  EXPECT_EQ(FireTypeFromName("enclave fire"), 2);
  EXPECT_EQ(FireTypeFromName("BARRIER"), 3);
  EXPECT_EQ(FireTypeFromName(""), 0);
  EXPECT_EQ(FireTypeToName(1), "Expanding Fire");
  EXPECT_EQ(FireTypeToName(7), "");
}

}  // namespace
