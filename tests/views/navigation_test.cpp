#include <gtest/gtest.h>

#include <climits>

#include "project/document.h"
#include "views/navigation.h"
#include "views/view_commands.h"

namespace views {
namespace {

const Extent kArea{2000, 4000, 0, 0};  // twice as wide as high

TEST(MapGeometry, FullExtentOfWideAreaInSquareWindow) {
  const int w = 400;
  const ViewGeometry g = FitFullExtent(kArea, w, w);
  EXPECT_DOUBLE_EQ(g.scale, (w + 1) / 4000.0);
  EXPECT_EQ(g.totalWidth, w);
  EXPECT_EQ(g.totalHeight, (w + 1) / 2);
  EXPECT_EQ(g.scrollX, 0);
  EXPECT_EQ(g.scrollY, 0);
  // The client's corners map back onto the area's.
  const MapPoint nw = ClientToMap(kArea, g, 0, 0);
  EXPECT_DOUBLE_EQ(nw.x, 0);
  EXPECT_DOUBLE_EQ(nw.y, 2000);
  const Extent v = VisibleExtent(kArea, g, w, w);
  EXPECT_NEAR(v.east, 4000, 1e-9);
}

TEST(MapGeometry, ZoomAboutKeepsAnchorPoint) {
  const int w = 300, h = 200;
  ViewGeometry g = FitFullExtent(kArea, w, h);
  // Menu zoom (about the centre) and click zoom (about an off-centre point), in and out,
  // once the extent is larger than the window: the anchor's map point moves under a pixel.
  struct Case {
    int x, y;
    bool in;
  } cases[] = {{150, 100, true}, {40, 170, true}, {260, 30, true}, {10, 10, false}, {150, 100, false}};
  for (int i = 0; i < 4; ++i) g = ZoomAbout(kArea, g, 1.5, true, w / 2, h / 2, w, h);
  for (const Case& c : cases) {
    const MapPoint before = ClientToMap(kArea, g, c.x, c.y);
    const ViewGeometry n = ZoomAbout(kArea, g, 1.2, c.in, c.x, c.y, w, h);
    const MapPoint after = ClientToMap(kArea, n, c.x, c.y);
    EXPECT_NEAR(after.x, before.x, 1.5 / n.scale) << c.x << "," << c.y;
    EXPECT_NEAR(after.y, before.y, 1.5 / n.scale) << c.x << "," << c.y;
    EXPECT_DOUBLE_EQ(n.scale, c.in ? g.scale * 1.2 : g.scale / 1.2);
    g = n;
  }
}

TEST(MapGeometry, ZoomScrollStaysInRange) {
  const int w = 300, h = 200;
  ViewGeometry g = FitFullExtent(kArea, w, h);
  // Zoom in while the area still fits one axis: that axis stays at 0.
  ViewGeometry in = ZoomAbout(kArea, g, 1.1, true, 290, 190, w, h);
  EXPECT_EQ(in.scrollY, 0);
  // Zoom out from the bottom-right corner never goes negative or past the extent.
  for (int i = 0; i < 6; ++i) g = ZoomAbout(kArea, g, 1.5, true, w, h, w, h);
  for (int i = 0; i < 10; ++i) {
    g = ZoomAbout(kArea, g, 1.5, false, 0, 0, w, h);
    EXPECT_GE(g.scrollX, 0);
    EXPECT_GE(g.scrollY, 0);
    EXPECT_LE(g.scrollX, std::max(0, g.totalWidth - w));
  }
}

TEST(MapGeometry, ZoomIsCappedSoTheExtentFitsAnInt) {
  const int w = 300, h = 200;
  ViewGeometry g = FitFullExtent(kArea, w, h);
  for (int i = 0; i < 200; ++i) g = ZoomAbout(kArea, g, 1.5, true, 7, 9, w, h);
  EXPECT_LE(g.totalWidth, kMaxTotalPixels);
  EXPECT_GT(g.totalWidth, 0);
  EXPECT_LE(static_cast<long long>(g.scrollX) + w, INT_MAX);
  // Zoom To on a capped view still keeps every position in range.
  auto z = ZoomToBox(kArea, g, {10, 10, 12, 12}, w, h);
  ASSERT_TRUE(z);
  EXPECT_LE(z->totalWidth, kMaxTotalPixels);
  EXPECT_LE(z->scrollX, z->totalWidth);
  // And zooming out for ever keeps a usable scale.
  for (int i = 0; i < 5000; ++i) g = ZoomAbout(kArea, g, 1.5, false, 0, 0, w, h);
  EXPECT_GT(g.scale, 0);
  EXPECT_GE(g.totalWidth, 1);
}

TEST(MapGeometry, ZoomToBox) {
  const int w = 300, h = 200;
  ViewGeometry g = FitFullExtent(kArea, w, h);
  g = ZoomAbout(kArea, g, 1.5, true, 150, 100, w, h);
  // Box reversed by the drag: normalised; the smaller ratio (300/60 vs 200/50) wins.
  const MapPoint corner = ClientToMap(kArea, g, 40, 30);
  auto z = ZoomToBox(kArea, g, {100, 80, 40, 30}, w, h);
  ASSERT_TRUE(z);
  EXPECT_DOUBLE_EQ(z->scale, g.scale * 4.0);
  const MapPoint now = ClientToMap(kArea, *z, 0, 0);
  EXPECT_NEAR(now.x, corner.x, 1.0 / z->scale);
  EXPECT_NEAR(now.y, corner.y, 1.0 / z->scale);
  for (PixelBox small : {PixelBox{5, 5, 6, 50}, PixelBox{5, 5, 50, 6}})
    EXPECT_FALSE(ZoomToBox(kArea, g, small, w, h));
}

TEST(MapGeometry, MapScaleAndBoxToMap) {
  // 96 dpi, 960 pixels = 0.254 m of screen showing 9600 m: 1 : 37795.
  EXPECT_NEAR(MapScaleDenominator(960, 96, 0.1), 9600 / 0.254, 1e-6);
  EXPECT_EQ(MapScaleDenominator(0, 96, 0.1), -1.0);
  ViewGeometry g;
  g.scale = 0.5;
  g.scrollX = 10;
  g.scrollY = 20;
  const Extent e = BoxToMap(kArea, g, {30, 40, 10, 0});
  EXPECT_DOUBLE_EQ(e.west, 40);
  EXPECT_DOUBLE_EQ(e.east, 80);
  EXPECT_DOUBLE_EQ(e.north, 2000 - 40);
  EXPECT_DOUBLE_EQ(e.south, 2000 - 120);
}

TEST(WheelAccumulator, SmallDeltasAddUpToNotches) {
  WheelAccumulator wheel;
  int notches = 0;
  for (int i = 0; i < 12; ++i) notches += wheel.Add(30, 120);
  EXPECT_EQ(notches, 3);
  // Direction reversal consumes the remainder first; negative notches come out whole.
  EXPECT_EQ(wheel.Add(90, 120), 0);
  EXPECT_EQ(wheel.Add(-60, 120), 0);
  EXPECT_EQ(wheel.Add(-150, 120), -1);
  EXPECT_EQ(wheel.Add(240, 0), 2);  // a toolkit reporting no notch size gets the usual 120
}

CViewHistoryItem View(double scale) {
  CViewHistoryItem item;
  item.scale = scale;
  return item;
}

TEST(ViewHistory, BackThenNewViewDropsForwardRecords) {
  std::list<CViewHistoryItem> items;
  int position = -1;
  ViewHistory h(items, position);
  EXPECT_FALSE(h.CanStepBack());
  EXPECT_FALSE(h.CanStepForward());
  EXPECT_EQ(h.StepBack(), nullptr);
  // Start, three menu zooms, Back twice, Zoom Out.
  for (double s : {1.0, 1.1, 1.21, 1.331}) h.Push(View(s));
  ASSERT_TRUE(h.StepBack());
  const CViewHistoryItem* back = h.StepBack();
  ASSERT_TRUE(back);
  EXPECT_DOUBLE_EQ(back->scale, 1.1);
  EXPECT_TRUE(h.CanStepForward());
  h.Push(View(1.0));
  ASSERT_EQ(items.size(), 3u);
  EXPECT_DOUBLE_EQ(items.front().scale, 1.0);
  EXPECT_DOUBLE_EQ(std::next(items.begin())->scale, 1.1);
  EXPECT_FALSE(h.CanStepForward());
  EXPECT_TRUE(h.CanStepBack());
  // Back to the first record, then no further.
  h.StepBack();
  h.StepBack();
  EXPECT_FALSE(h.CanStepBack());
  EXPECT_EQ(h.StepBack(), nullptr);
  EXPECT_DOUBLE_EQ(h.Current()->scale, 1.0);
}

TEST(ViewCommands, EnableAndCheckRules) {
  CPVN4Doc doc;
  EXPECT_FALSE(IsViewCommandEnabled(cmd::kZoomIn, doc));
  EXPECT_FALSE(IsViewCommandEnabled(cmd::kFullView, doc));
  EXPECT_FALSE(IsViewCommandEnabled(cmd::kMeasure, doc));
  EXPECT_TRUE(IsViewCommandEnabled(cmd::kOpenLandscape, doc));
  EXPECT_FALSE(IsViewCommandEnabled(cmd::kSaveLandscape, doc));
  EXPECT_FALSE(IsViewCommandEnabled(cmd::kReloadLandscape, doc));
  EXPECT_FALSE(IsViewCommandEnabled(cmd::kViewBack, doc));
  doc.landscape.loaded = true;
  doc.landscape.edited = true;
  EXPECT_FALSE(IsViewCommandEnabled(cmd::kOpenLandscape, doc));
  EXPECT_TRUE(IsViewCommandEnabled(cmd::kMeasure, doc));
  EXPECT_TRUE(IsViewCommandEnabled(cmd::kReloadLandscape, doc));
  EXPECT_TRUE(IsViewCommandEnabled(cmd::kEditLandscape, doc));

  doc.zoomFactor = 1.3;
  for (int id = cmd::kZoomFactor10; id <= cmd::kZoomFactor50; ++id)
    EXPECT_EQ(IsViewCommandChecked(id, doc, 3), id == 32783) << id;
  const struct {
    int command, mode;
  } checks[] = {{cmd::kZoomInMode, 0}, {cmd::kZoomOutMode, 1}, {cmd::kPanMode, 2},
                {cmd::kIdentifyMode, 3}, {cmd::kMeasure, 7}, {cmd::kMeasure, 8}};
  for (const auto& c : checks) {
    EXPECT_TRUE(IsViewCommandChecked(c.command, doc, c.mode)) << c.command;
    EXPECT_FALSE(IsViewCommandChecked(c.command, doc, 5)) << c.command;
  }
}

}  // namespace
}  // namespace views
