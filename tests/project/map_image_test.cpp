#include <algorithm>
#include <fstream>
#include <limits>

#include "project_test_support.h"
#include "themes/wind_vector_theme.h"

namespace project_test {
namespace {

TEST(ShadeColor, LightsSlopesFacingTheSunAndDarkensTheOthers) {
  CPVN4Doc doc;  // azimuth 315, strength 0.5
  struct Case {
    COLORREF in;
    int aspect;
    COLORREF out;
  };
  const Case cases[] = {
      {MakeColorRef(100, 150, 200), 315, MakeColorRef(145, 195, 245)},
      {MakeColorRef(100, 150, 200), 135, MakeColorRef(55, 105, 155)},
      {MakeColorRef(100, 150, 200), 45, MakeColorRef(100, 150, 200)},
      {MakeColorRef(100, 150, 200), 225, MakeColorRef(100, 150, 200)},
      {MakeColorRef(100, 150, 200), -9999, MakeColorRef(100, 150, 200)},
      {MakeColorRef(250, 20, 0), 315, MakeColorRef(255, 65, 45)},
      {MakeColorRef(250, 20, 0), 135, MakeColorRef(205, 0, 0)},
      {MakeColorRef(100, 100, 100), 700, MakeColorRef(132, 132, 132)},  // d = 25, k = 32
      {MakeColorRef(100, 100, 100), 675, MakeColorRef(145, 145, 145)},  // one whole turn off
  };
  for (const Case& c : cases)
    EXPECT_EQ(doc.ShadeColor(c.in, c.aspect), c.out) << "aspect " << c.aspect;
}

// Reference colour of one pixel centre, through the theme's own look-ups.
COLORREF Expected(const CPVN4Doc& doc, double x, double y) {
  const CTheme& t = *doc.visibleTheme;
  const CThemeLegendData* l = doc.GetVisibleThemeLegend();
  COLORREF c = l ? l->GetColor(t.ConvertToDisplayUnits(t.GetValueAt(x, y), *l)) : 0;
  if (doc.reliefShading) {
    const float a = doc.GetThemeByLayerType(2)->GetValueAt(x, y);
    c = doc.ShadeColor(c, static_cast<int>(a));
  }
  return c;
}

// Compares every pixel with the reference; pixels outside the area must show the window colour.
void ExpectRendered(const CPVN4Doc& doc, const platform::Image& image, double west, double north,
                    double east, double south) {
  const int W = image.Width(), H = image.Height();
  const double dx = (east - west) / W, dy = (north - south) / H;
  const CPyrvane2WorkArea& a = *doc.currentArea;
  int wrong = 0;
  double y = north - dy * 0.5;
  for (int i = 0; i < H; ++i, y -= dy)
    for (int j = 0; j < W; ++j) {
      const double x = west + (j + 0.5) * dx;
      const bool inside = a.west <= x && x <= a.east && a.south <= y && y <= a.north;
      const COLORREF want = inside ? Expected(doc, x, y) : doc.windowColor;
      if (image.GetPixel(j, i) != platform::RgbaFromColorRef(want) && ++wrong <= 3)
        ADD_FAILURE() << "pixel " << j << "," << i << " inside " << inside;
    }
  EXPECT_EQ(wrong, 0);
}

TEST_F(ProjectTest, HeadlessRenderSavedAsPngHasTheLegendColours) {
  CPVN4Doc& doc = MakeLandscape(4, 5, 10, 10, [](int layer, int r, int c) {
    if (layer == 3 && r == 2 && c == 3) return std::numeric_limits<float>::quiet_NaN();
    if (layer == 3) return r == 0 && c == 0 ? -9999.0f : static_cast<float>(1 + (r * 5 + c) % 4);
    return 1.0f;
  });
  CThemeLegendData& legend = *doc.GetVisibleThemeLegend();
  legend.RemoveAllEntries();
  legend.SetUniqueValues(true);
  legend.AddEntry(CLegendEntry(-9999, MakeColorRef(1, 2, 3)));
  const COLORREF colours[] = {MakeColorRef(200, 0, 0), MakeColorRef(0, 200, 0), MakeColorRef(0, 0, 200),
                              MakeColorRef(90, 90, 10)};
  for (int v = 1; v <= 4; ++v) legend.AddEntry(CLegendEntry(static_cast<float>(v), colours[v - 1]));
  doc.windowColor = MakeColorRef(7, 8, 9);
  CPyrvane2WorkArea* inner = doc.CreateWorkArea(39, 39, 10, 10, "inner");  // columns 1-3, rows 0-2
  ASSERT_NE(inner, nullptr);

  // 4 pixels per cell, with a margin of one cell west and north beyond the landscape.
  platform::Image image;
  doc.DrawMapImage(image, -10, 50, 50, 0, PixelRect{0, 0, 23, 19});
  ASSERT_EQ(image.Width(), 24);
  ASSERT_EQ(image.Height(), 20);
  ASSERT_TRUE(image.SavePng(Path("map.png")));
  platform::Image back;
  ASSERT_TRUE(back.LoadPng(Path("map.png")));
  ExpectRendered(doc, back, -10, 50, 50, 0);
  // Spot checks against the cells themselves: cell (row 1, column 1) holds 3.
  EXPECT_EQ(back.GetPixel(9, 9), platform::RgbaFromColorRef(colours[2]));
  EXPECT_EQ(back.GetPixel(1, 1), platform::RgbaFromColorRef(doc.windowColor));
  EXPECT_EQ(back.GetPixel(22, 10), platform::RgbaFromColorRef(doc.windowColor));  // east of the area

  // Classes a user has put out of order still colour as the legend says.
  legend.GetEntry(2).SetValue(0.5f);
  legend.GetEntry(4).SetValue(2.5f);
  doc.DrawMapImage(image, -10, 50, 50, 0, PixelRect{0, 0, 23, 19});
  ExpectRendered(doc, image, -10, 50, 50, 0);
}

TEST_F(ProjectTest, RenderWithoutAreaOrThemeLeavesTheImageAlone) {
  platform::ScopedRecordingMessages messages;
  CPVN4Doc empty;
  platform::Image image(3, 3);
  image.Fill(platform::Rgba{1, 2, 3, 255});
  empty.DrawMapImage(image, 0, 10, 10, 0, PixelRect{0, 0, 9, 9});
  EXPECT_EQ(image.Width(), 3);
  EXPECT_EQ(image.GetPixel(1, 1), (platform::Rgba{1, 2, 3, 255}));

  CPVN4Doc& doc = MakeLandscape(2, 2, 10, 10, [](int, int, int) { return 1.0f; });
  doc.visibleTheme = nullptr;
  doc.DrawMapImage(image, 0, 10, 10, 0, PixelRect{0, 0, 9, 9});
  EXPECT_EQ(image.Width(), 3);
  EXPECT_TRUE(messages.Texts().empty());

  // A rectangle no image can have is refused with the system's message.
  doc.ShowFuelModelLayer();
  doc.DrawMapImage(image, 0, 10, 10, 0, PixelRect{0, 0, -5, 9});
  EXPECT_TRUE(image.IsEmpty());
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Unable to create image."});
}

TEST_F(ProjectTest, SampleLandscapeRendersAsItsCellsAtAnyViewWithAndWithoutShading) {
  doc_ = std::make_unique<CPVN4Doc>();
  CPVN4Doc& doc = *doc_;
  ASSERT_EQ(doc.OpenLandscape(SamplePath("sample.lcp")), 1);
  const CHeaderData& h = doc.landscape.header;
  const double w = h.east - h.west, ht = h.north - h.south;
  struct View {
    double west, north, east, south;
    int width, height;
  };
  const View views[] = {
      {h.west, h.north, h.east, h.south, 97, 83},                                   // whole, not cell-aligned
      {h.west - w * 0.1, h.north + ht * 0.2, h.east + w * 0.1, h.south, 120, 90},   // beyond the edges
      {h.west + w * 0.3, h.north - ht * 0.3, h.west + w * 0.4, h.north - ht * 0.4, 64, 64},  // zoomed in
      {h.west - 50, h.north, h.east, h.south - 70, 701, 523},  // large enough to be drawn in bands
  };
  for (int shading : {0, 1}) {
    doc.reliefShading = shading;
    doc.shadingAzimuth = 200;
    for (const View& v : views) {
      platform::Image image;
      doc.DrawMapImage(image, v.west, v.north, v.east, v.south, PixelRect{0, 0, v.width - 1, v.height - 1});
      ASSERT_EQ(image.Width(), v.width);
      ExpectRendered(doc, image, v.west, v.north, v.east, v.south);
    }
  }
}

TEST_F(ProjectTest, UniqueValueClassesMatchGdalWarpAndColorRelief) {
  doc_ = std::make_unique<CPVN4Doc>();
  CPVN4Doc& doc = *doc_;
  GetApp().themePrefs[3].numClasses = 99;
  GetApp().themePrefs[3].ramp = CColorRamp();  // random, distinct enough per class
  ASSERT_EQ(doc.OpenLandscape(SamplePath("sample.lcp")), 1);
  CTheme* fuel = doc.GetThemeByLayerType(3);
  ASSERT_EQ(doc.visibleTheme, fuel);
  std::size_t index = 0;
  while (doc.gridThemes[index].get() != fuel) ++index;
  auto& slot = doc.currentArea->legends[index];
  slot = doc.currentArea->CreateLegendData(fuel, nullptr);
  ASSERT_TRUE(slot->IsUniqueValues());
  ASSERT_GT(slot->GetCount(), 3);
  // Each class its own colour, so that a colour names its class.
  std::ofstream colours(Path("colours.txt"));
  for (int i = 0; i < slot->GetCount(); ++i) {
    const COLORREF c = MakeColorRef(static_cast<unsigned>(i * 7 % 256), static_cast<unsigned>(i * 29 % 256), 100);
    slot->GetEntry(i).SetColor(c);
    if (i == 0) colours << "nv " << RedOf(c) << " " << GreenOf(c) << " " << BlueOf(c) << "\n";
    if (i > 0) colours << slot->GetEntry(i).GetValue() << " " << RedOf(c) << " " << GreenOf(c) << " " << BlueOf(c) << "\n";
  }
  colours.close();

  const CHeaderData& h = doc.landscape.header;
  const int W = 131, H = 117;
  const double west = h.west + 17.3, east = h.east - 41.9, north = h.north - 5.1, south = h.south + 33.3;
  platform::Image image;
  doc.DrawMapImage(image, west, north, east, south, PixelRect{0, 0, W - 1, H - 1});
  char te[256];
  std::snprintf(te, sizeof te, "-te %.6f %.6f %.6f %.6f -ts %d %d", west, south, east, north, W, H);
  RunCommand("gdal_translate -q -b 4 -of VRT " + SamplePath("sample.lcp") + " " + Path("band.vrt") + " 2>&1");
  RunCommand("gdalwarp -q -overwrite -r near " + std::string(te) + " " + Path("band.vrt") + " " + Path("fuel.tif") +
             " 2>&1");
  // The palette lists every value of the grid, so the nearest entry is the exact one (this
  // GDAL's exact mode leaves all but the first entry black).
  RunCommand("gdaldem color-relief -q -nearest_color_entry " + Path("fuel.tif") + " " + Path("colours.txt") + " " +
      Path("fuel.png") + " -of PNG 2>&1");
  platform::Image gdal;
  ASSERT_TRUE(gdal.LoadPng(Path("fuel.png")));
  ASSERT_EQ(gdal.Width(), W);
  ASSERT_EQ(gdal.Height(), H);
  int differ = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      platform::Rgba g = gdal.GetPixel(x, y), ours = image.GetPixel(x, y);
      g.a = ours.a = 255;
      if (!(g == ours) && ++differ <= 3) ADD_FAILURE() << "pixel " << x << "," << y << " gdal " << int(g.r) << " " << int(g.g) << " " << int(g.b) << " ours " << int(ours.r) << " " << int(ours.g) << " " << int(ours.b);
    }
  EXPECT_EQ(differ, 0);
}

// Paints each overlay as a full-image fill of its own colour and records the order.
struct FillPainter : OverlayPainter {
  std::vector<const void*> order;
  void Draw(const CVectorThemeItem& item, platform::Canvas& canvas, CPVN4Doc&, double, double, double,
            double, PixelRect rect) override {
    order.push_back(item.Theme());
    canvas.SetColour(platform::Rgba{static_cast<std::uint8_t>(order.size() * 40), 0, 0, 255});
    canvas.FillRect(0, 0, rect.right + 1, rect.bottom + 1);
  }
};

TEST_F(ProjectTest, HeadOfTheDrawOrderIsPaintedLast) {
  CPVN4Doc& doc = MakeLandscape(2, 2, 10, 10, [](int, int, int) { return 1.0f; });
  // Three arrow themes of one arrow each, on the same cell, each in a colour of its own.
  const float direction[1] = {0}, speed[1] = {5};
  CTheme dirGrid, speedGrid;
  dirGrid.CreateFromFloats("d", 0, 0, 20, 20, 1, 1, -9999.0f, direction, 0, 10);
  speedGrid.CreateFromFloats("s", 0, 0, 20, 20, 1, 1, -9999.0f, speed, 0, 10);
  CWindVectorTheme themes[3];
  const COLORREF colours[3] = {MakeColorRef(200, 0, 0), MakeColorRef(0, 200, 0), MakeColorRef(0, 0, 200)};
  for (int k = 0; k < 3; ++k) {
    ASSERT_TRUE(themes[k].CreateWindVectors(&dirGrid, &speedGrid));
    doc.AddWindVectorDrawItem(&themes[k]);
    CWVLegendData* legend = doc.FindWindVectorLegend(&themes[k]);
    ASSERT_TRUE(legend);
    legend->RemoveAllEntries();
    legend->AddEntry(CWVLegendEntry(0, colours[k], 1));
  }
  // Drawn from the tail to the head: the head item (the first added) ends on top.
  std::rotate(doc.drawPriority.begin(), doc.drawPriority.begin() + 2, doc.drawPriority.end());
  platform::Image image;
  doc.DrawMapImage(image, 0, 20, 20, 0, PixelRect{0, 0, 19, 19});
  const platform::Rgba top = image.GetPixel(10, 13);  // on the shaft, below the tail
  EXPECT_EQ((std::vector<int>{top.r, top.g, top.b}), (std::vector<int>{0, 0, 200}));
  EXPECT_EQ(doc.GetTopOfDrawOrderFlag(&themes[2]), 0);
  EXPECT_EQ(doc.GetTopOfDrawOrderFlag(&themes[0]), 1);
  doc.drawPriority.clear();
  doc.windVectorLegends.clear();
}

}  // namespace
}  // namespace project_test
