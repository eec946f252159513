#include "themes/line_style.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/image.h"

namespace {

using Segment = std::pair<std::pair<double, double>, std::pair<double, double>>;

// The straight pieces the drawer put on the canvas's path, in whole device pixels.
std::vector<Segment> PathSegments(platform::Canvas& canvas, double offset) {
  std::vector<Segment> out;
  cairo_path_t* path = cairo_copy_path(canvas.Context());
  std::pair<double, double> at{0, 0};
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
    const cairo_path_data_t& d = path->data[i];
    const std::pair<double, double> p{path->data[i + 1].point.x - offset, path->data[i + 1].point.y - offset};
    if (d.header.type == CAIRO_PATH_LINE_TO) out.push_back({at, p});
    at = p;
  }
  cairo_path_destroy(path);
  return out;
}

struct DashCase {
  const char* what;
  int style, width;
  std::vector<std::vector<std::pair<int, int>>> lines;  // each line starts with a MoveTo
  std::vector<Segment> expected;
};

TEST(LineStyles, DashesAreCountedInStepsAndCarryTheirPhase) {
  const std::vector<DashCase> cases = {
      {"dash at width 2, the last dash cut by the end", 1, 2, {{{0, 0}, {20, 0}}},
       {{{0, 0}, {6, 0}}, {{8, 0}, {14, 0}}, {{16, 0}, {20, 0}}}},
      {"dots along a diagonal take one step in x and y", 2, 1, {{{0, 0}, {5, 5}}},
       {{{0, 0}, {1, 1}}, {{2, 2}, {3, 3}}, {{4, 4}, {5, 5}}}},
      {"a corner continues the pattern", 1, 1, {{{0, 0}, {2, 0}, {2, 6}}},
       {{{0, 0}, {2, 0}}, {{2, 0}, {2, 1}}, {{2, 2}, {2, 5}}}},
      {"a MoveTo restarts it with a full dash", 1, 1, {{{0, 0}, {2, 0}}, {{0, 5}, {4, 5}}},
       {{{0, 0}, {2, 0}}, {{0, 5}, {3, 5}}}},
      {"width 0 never ends the first dash", 1, 0, {{{0, 0}, {9, 0}}}, {{{0, 0}, {9, 0}}}},
      {"a LineTo to the current point inside a dash", 1, 1, {{{0, 0}, {0, 0}}}, {{{0, 0}, {0, 0}}}},
      {"a LineTo to the current point inside a gap", 1, 1, {{{0, 0}, {3, 0}, {3, 0}}}, {{{0, 0}, {3, 0}}}},
      {"steep lines step along y", 7, 1, {{{0, 0}, {1, 9}}},
       {{{0, 0}, {0, 1}}, {{0, 3}, {0, 4}}, {{0, 6}, {0, 7}}}},
      {"solid lines go straight to each vertex", 0, 3, {{{0, 0}, {7, 3}, {9, 9}}},
       {{{0, 0}, {7, 3}}, {{7, 3}, {9, 9}}}},
  };
  for (const DashCase& c : cases) {
    platform::Image image(32, 32);
    platform::Canvas canvas(image);
    std::uint32_t pattern[8];
    const unsigned count = MakeDashPattern(pattern, false, static_cast<unsigned>(c.width),
                                           static_cast<unsigned>(c.style));
    CDashedStroke stroke(canvas, pattern, count, c.width);
    for (const auto& line : c.lines)
      for (std::size_t i = 0; i < line.size(); ++i)
        i == 0 ? stroke.MoveTo(line[i].first, line[i].second) : stroke.LineTo(line[i].first, line[i].second);
    EXPECT_EQ(PathSegments(canvas, c.width % 2 ? 0.5 : 0.0), c.expected) << c.what;
  }
}

TEST(LineStyles, NamesAndIndexes) {
  EXPECT_EQ(GetLineStyleIndex("DashDotDotGap"), 9);
  for (const char* name : {"Solid", "", "dash", "Dash "}) EXPECT_EQ(GetLineStyleIndex(name), 0) << name;
  for (int i = 0; i < kLineStyleCount; ++i) EXPECT_EQ(GetLineStyleIndex(GetLineStyleName(i)), i);
  EXPECT_EQ(GetLineStyleName(11), "Solid");
  EXPECT_EQ(GetLineStyleName(-1), "Solid");
  std::uint32_t a[8], b[8];
  ASSERT_EQ(MakeDashPattern(a, false, 2, 11), MakeDashPattern(b, false, 2, 10));
  EXPECT_TRUE(std::equal(a, a + 8, b));
  // Round ends: dash 2w, dot 1, gap 2w (4w for the Gap styles).
  ASSERT_EQ(MakeDashPattern(a, true, 3, 8), 4u);
  EXPECT_EQ(std::vector<std::uint32_t>(a, a + 4), (std::vector<std::uint32_t>{6, 12, 1, 12}));
}

// Each style as its name says, in multiples of the width: dash 3, dot 1, gap 1 (2 for *Gap).
struct Style {
  const char* name;
  std::vector<int> units;
};
const Style kStyles[] = {
    {"Solid", {}},
    {"Dash", {3, 1}},
    {"Dot", {1, 1}},
    {"DashDot", {3, 1, 1, 1}},
    {"DashDotDot", {3, 1, 1, 1, 1, 1}},
    {"DashDotDotDot", {3, 1, 1, 1, 1, 1, 1, 1}},
    {"DashGap", {3, 2}},
    {"DotGap", {1, 2}},
    {"DashDotGap", {3, 2, 1, 2}},
    {"DashDotDotGap", {3, 2, 1, 2, 1, 2}},
    {"DashDotDotDotGap", {3, 2, 1, 2, 1, 2, 1, 2}},
};

bool InDash(const Style& s, int width, int step) {
  if (s.units.empty()) return true;
  int period = 0;
  for (int u : s.units) period += u * width;
  int pos = step % period;
  for (std::size_t i = 0; i < s.units.size(); ++i) {
    if (pos < s.units[i] * width) return i % 2 == 0;
    pos -= s.units[i] * width;
  }
  return false;
}

TEST(LineStyles, EveryStyleAtWidthsOneTwoAndFourCoversItsPixels) {
  constexpr int kLength = 70, kRow = 20;
  for (const Style& s : kStyles)
    for (int width : {1, 2, 4}) {
      platform::Image image(80, 40);
      image.Fill({255, 255, 255, 255});
      {
        platform::Canvas canvas(image);
        std::uint32_t pattern[8];
        const unsigned count = MakeDashPattern(pattern, false, static_cast<unsigned>(width),
                                               static_cast<unsigned>(GetLineStyleIndex(s.name)));
        CDashedStroke stroke(canvas, pattern, count, width);
        stroke.MoveTo(0, kRow);
        stroke.LineTo(kLength, kRow);
        StrokeStyledPath(0x0000FF, canvas, false, width);
      }
      // Rows covered across the line: the width, centred on the line's row.
      const int top = kRow - width / 2, bottom = top + width - 1;
      std::string ours, expected;
      for (int x = 0; x < 80; ++x) {
        expected += x < kLength && InDash(s, width, x) ? '#' : '.';
        ours += image.GetPixel(x, kRow) == platform::Rgba{255, 0, 0, 255} ? '#' : '.';
        for (int y = 0; y < 40; ++y) {
          const bool painted = image.GetPixel(x, y) != platform::Rgba{255, 255, 255, 255};
          const bool inside = y >= top && y <= bottom && x < kLength && InDash(s, width, x);
          if (painted != inside) {
            ADD_FAILURE() << s.name << " width " << width << " pixel " << x << "," << y;
            y = 40, x = 80;
          }
        }
      }
      EXPECT_EQ(ours, expected) << s.name << " width " << width;
    }
}

}  // namespace
