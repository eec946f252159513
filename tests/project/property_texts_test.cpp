#include "project/property_texts.h"

#include "project_test_support.h"

namespace project_test {
namespace {

float Flat(int layer, int, int) { return layer == 3 ? 1.0f : 10.0f; }

class PropertyTextsTest : public ProjectTest {};

TEST_F(PropertyTextsTest, WithoutLandscapeOnlyThePathIsShown) {
  CPVN4Doc doc;
  doc.title = "Burn Ridge";
  const project::PropertyTexts t = project::MakePropertyTexts(doc, nullptr);
  EXPECT_EQ(t.path, "No Landscape File");
  for (const std::string* s : {&t.cellSizeX, &t.cellSizeY, &t.latitude, &t.cellsEast, &t.cellsNorth,
                               &t.east, &t.north, &t.south, &t.west, &t.caption})
    EXPECT_EQ(*s, "");
}

TEST_F(PropertyTextsTest, ProjectDescribesTheLandscapeHeader) {
  CPVN4Doc& doc = MakeLandscape(8, 10, 30, 30, Flat);
  doc.title = "Burn Ridge";
  // Edges and cell sizes as a real projected landscape has them.
  CHeaderData& h = doc.landscape.header;
  h.latitude = 45;
  h.cellWidth = 30.0;
  h.cellHeight = 29.6;
  h.west = 500000.25;
  h.east = 500300.25;
  h.south = 4499760;
  h.north = 4500000;
  const project::PropertyTexts t = project::MakePropertyTexts(doc, nullptr);
  EXPECT_EQ(t.path, Path("synthetic.lcp"));
  EXPECT_EQ(t.cellSizeX, "30");
  EXPECT_EQ(t.cellSizeY, "30");
  EXPECT_EQ(t.latitude, "45");
  EXPECT_EQ(t.west, "500000.250000");
  EXPECT_EQ(t.east, "500300.250000");
  EXPECT_EQ(t.south, "4499760.000000");
  EXPECT_EQ(t.north, "4500000.000000");
  EXPECT_EQ(t.cellsEast, "10");
  EXPECT_EQ(t.cellsNorth, "8");
  EXPECT_EQ(t.caption, "Burn Ridge");
}

TEST_F(PropertyTextsTest, AreaDescribesItsExtentAndCellWindow) {
  CPVN4Doc& doc = MakeLandscape(8, 10, 30, 30, Flat);  // 300 m east, 240 m north
  doc.landscape.header.latitude = -33;
  const project::PropertyTexts whole = project::MakePropertyTexts(doc, doc.DefaultArea());
  EXPECT_EQ(whole.cellsEast, "10");
  EXPECT_EQ(whole.cellsNorth, "8");
  EXPECT_EQ(whole.caption, "Entire Landscape (Default)");

  CPyrvane2WorkArea* area = doc.CreateWorkArea(200, 140, 70, 40, "Ridge");
  ASSERT_NE(area, nullptr);
  const project::PropertyTexts t = project::MakePropertyTexts(doc, area);
  EXPECT_EQ(t.north, "210.000000");
  EXPECT_EQ(t.south, "60.000000");
  EXPECT_EQ(t.east, "150.000000");
  EXPECT_EQ(t.west, "30.000000");
  EXPECT_EQ(t.cellsEast, "4");
  EXPECT_EQ(t.cellsNorth, "5");
  EXPECT_EQ(t.cellSizeX, "30");
  EXPECT_EQ(t.latitude, "-33");
  EXPECT_EQ(t.caption, "Ridge");

  // Without its landscape windows the counts still follow the area, not a placeholder.
  area->themeRects.clear();
  const project::PropertyTexts bare = project::MakePropertyTexts(doc, area);
  EXPECT_EQ(bare.cellsEast, "4");
  EXPECT_EQ(bare.cellsNorth, "5");
}

// Widths counted in characters (UTF-8 sequences count once).
double Chars(const std::string& s) {
  double n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

TEST(CompactPath, KeepsTheFileNameAndFits) {
  struct Case {
    const char* path;
    double width;
    const char* expected;
  };
  const Case cases[] = {
      {"/data/sample.lcp", 16, "/data/sample.lcp"},
      {"/home/user/projects/fires/sample.lcp", 25, "/home/user/.../sample.lcp"},
      {"C:\\Data\\Fires\\ridge.lcp", 16, "C:\\...\\ridge.lcp"},
      {"/a/verylongfilename.lcp", 10, "verylon..."},
      {"verylongfilename.lcp", 10, "verylon..."},
      {"/ééééé/f.lcp", 11, "/é.../f.lcp"},
      {"/a/b.lcp", 2, "..."},
  };
  for (const Case& c : cases) {
    const std::string out = project::CompactPath(c.path, c.width, Chars);
    EXPECT_EQ(out, c.expected) << c.path << " in " << c.width;
    if (c.width >= 3) {
      EXPECT_LE(Chars(out), c.width) << c.path;
    }
  }
}

}  // namespace
}  // namespace project_test
