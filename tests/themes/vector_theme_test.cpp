#include "themes/vector_theme.h"

#include <gtest/gtest.h>

#include <array>

#include "engines/mtt_engine.h"
#include "platform/image.h"

namespace {

void AddRing(CVectorTheme& t, std::vector<double> xy) {
  std::vector<double> x, y;
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) x.push_back(xy[i]), y.push_back(xy[i + 1]);
  t.shapes.push_back(VectorShape::Simple(5, static_cast<int>(x.size()), x.data(), y.data(), nullptr));
}

// Fire-growth perimeters at the given elapsed minutes and (month, day, hour).
std::unique_ptr<CVectorTheme> Perimeters(std::vector<double> minutes, std::vector<std::array<int, 3>> when = {}) {
  auto owned = std::make_unique<CVectorTheme>();
  CVectorTheme& t = *owned;
  t.hasPerimeterAttributes = true;
  for (std::size_t i = 0; i < minutes.size(); ++i) {
    AddRing(t, {0, 0, 0, 1, 1, 1, 0});
    t.elapsedMinutes.push_back(minutes[i]);
    t.month.push_back(i < when.size() ? when[i][0] : 0);
    t.day.push_back(i < when.size() ? when[i][1] : 0);
    t.hour.push_back(i < when.size() ? when[i][2] : 0);
    t.fireType.push_back(1);
  }
  return owned;
}

TEST(VectorTheme, PerimeterFilterModes) {
  struct Case {
    const char* what;
    int mode, interval;
    double step;
    std::vector<double> minutes;
    std::vector<int> expected;
  };
  const std::vector<Case> cases = {
      {"all, latest first", 0, 1, 30, {0, 30, 60}, {2, 1, 0}},
      {"every second 30-minute step and the last", 1, 2, 30, {0, 30, 60, 90, 120, 135}, {5, 4, 2, 0}},
      {"a step under a minute keeps every perimeter", 1, 1, 0.5, {0, 0.5, 1}, {2, 1, 0}},
      {"final perimeters only, ties kept", 3, 1, 30, {0, 90, 90}, {2, 1}},
      {"unknown modes keep nothing", 7, 1, 30, {0, 30}, {}},
  };
  for (const Case& c : cases) {
    auto t = Perimeters(c.minutes);
    t->perimeterDisplayMode = c.mode;
    t->perimeterInterval = c.interval;
    t->FilterPerimeters(c.step, {});
    EXPECT_EQ(t->displayList, c.expected) << c.what;
  }
  // Burn-period ends: hour 2000 ends a period whose end hour is 20, 2030 does not.
  auto b = Perimeters({0, 30, 60}, {{{7, 1, 2000}, {7, 1, 2030}, {7, 2, 2000}}});
  b->perimeterDisplayMode = 2;
  b->FilterPerimeters(30, {{7, 1, 20}, {7, 2, 20}});
  EXPECT_EQ(b->displayList, (std::vector<int>{2, 0}));
  // Without perimeter attributes the list is left alone.
  CVectorTheme plain;
  plain.displayList = {4};
  plain.FilterPerimeters(30, {});
  EXPECT_EQ(plain.displayList, std::vector<int>{4});
}

TEST(VectorTheme, AreasAndVertexQueries) {
  CVectorTheme square;
  square.shapeType = 5;
  AddRing(square, {0, 0, 0, 100, 100, 100, 100, 0, 0, 0});
  EXPECT_NEAR(square.GetTotalArea(), 2.47105, 1e-9);
  AddRing(square, {200, 0, 300, 0, 300, 100, 200, 100, 200, 0});  // the other way round
  EXPECT_NEAR(square.GetTotalArea(), 0, 1e-9);  // wound against the first, it subtracts
  square.shapeType = 3;
  EXPECT_EQ(square.GetTotalArea(), 0);
  EXPECT_TRUE(square.HasVertexInRect(100, 150, 100, 150));  // edges count
  EXPECT_FALSE(square.HasVertexInRect(101, 150, 0, 150));
}

TEST(VectorTheme, PerimeterVerticesThatMeetArePulledApart) {
  CPerimeter p;
  p.SetNumLines(1);
  CPerimeterLine* line = p.GetLine(0);
  // A ring that touches itself at (10, 0): vertex 1 moves back along its first edge.
  const float xy[][2] = {{0, 0}, {10, 0}, {10, 10}, {10, 0}, {0, 0}};
  line->SetNumPoints(5);
  for (int i = 0; i < 5; ++i) line->SetPoint(i, xy[i][0], xy[i][1]);
  CPerimeter* fires[] = {nullptr, &p};
  CVectorTheme t;
  ASSERT_EQ(t.CreateFromPerimeters("fires", fires, {}, 2, 30), 1);
  ASSERT_EQ(t.ShapeCount(), 1);
  const VectorShape& s = *t.shapes[0];
  EXPECT_NEAR(s.x[1], 9.7, 1e-12);
  EXPECT_EQ(s.x[3], 10);
  EXPECT_EQ(s.y, (std::vector<double>{0, 0, 10, 0, 0}));
  EXPECT_EQ(s.z[0], 2);
  EXPECT_EQ(t.fireIndex, std::vector<std::int32_t>{1});
  EXPECT_EQ(t.east, 10);  // the extent is taken before the vertices move
}

TEST(VectorTheme, DrawsSymbolsAndClosesOpenPolygonParts) {
  CVectorTheme t;
  t.shapeType = 5;
  t.polygonColor = 0x0000FF;
  t.pointColor = 0xFF0000;
  t.pointSymbol = 2;
  t.pointSize = 3;
  // An open ring: drawing closes it back to its first vertex. Map units are pixels here.
  const double x[] = {2, 12, 12}, y[] = {18, 18, 8};
  t.shapes.push_back(VectorShape::Simple(5, 3, x, y, nullptr));
  const double px = 16, py = 5;
  t.shapes.push_back(VectorShape::Simple(1, 1, &px, &py, nullptr));
  platform::Image image(20, 20);
  image.Fill({255, 255, 255, 255});
  {
    platform::Canvas canvas(image);
    t.Draw(canvas, 0, 20, 20, 0, 0, 0, 19, 19);
  }
  const platform::Rgba red{255, 0, 0, 255}, blue{0, 0, 255, 255}, white{255, 255, 255, 255};
  EXPECT_EQ(image.GetPixel(7, 2), red);   // bottom edge, y = 20 - 18
  EXPECT_EQ(image.GetPixel(12, 8), red);  // right edge
  EXPECT_EQ(image.GetPixel(7, 7), red);   // the closing diagonal
  // The square symbol of size 3 covers (sx - 1, sy - 1) to (sx + 1, sy + 1).
  for (int dy = -2; dy <= 2; ++dy)
    for (int dx = -2; dx <= 2; ++dx) {
      const bool in = std::abs(dx) <= 1 && std::abs(dy) <= 1;
      EXPECT_EQ(image.GetPixel(16 + dx, 15 + dy), in ? blue : white) << dx << "," << dy;
    }
  t.visible = false;
  platform::Image blank(20, 20);
  blank.Fill(white);
  {
    platform::Canvas canvas(blank);
    t.Draw(canvas, 0, 20, 20, 0, 0, 0, 19, 19);
  }
  EXPECT_EQ(blank.GetPixel(7, 2), white);
}

}  // namespace
