// The cell grid's sheet tabs and the thumb hint's placement, without windows; the strip's
// drawing against its golden image (tests/data/cellgrid; PV_UPDATE_GOLDEN=1 rewrites it).
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "gridmodel/painter_cairo.h"
#include "gridmodel/ug_parts.h"
#include "gridmodel/ug_tabs.h"

using namespace gridmodel;

namespace {

// Labels measure 6 pixels a character, so a tab of n characters is 6n + 10 wide.
struct FixedView : CUGView {
  int MeasureFontTextWidth(const std::string& text, const FontDesc&) override {
    return 6 * static_cast<int>(text.size());
  }
};

struct TabGrid : CUGCtrl {
  FixedView view;
  std::vector<int> clicked;
  TabGrid() {
    SetView(&view);
    SetColCount(8);
    SetRowCount(50);
    SetTabWidth(150);
    SetClientSize(440, 220);
  }
  ~TabGrid() override { SetView(nullptr); }
  void OnSheetTabClicked(int id) override { clicked.push_back(id); }
};

struct Host : UGPartHost {
  bool captured = false;
  UGCursor cursor = UGCursor::Arrow;
  void Capture(int section, bool on) override { captured = on; }
  void SetCursor(int, UGCursor c) override { cursor = c; }
};

}  // namespace

TEST(CellGridTabs, AddInsertDeleteKeepTheCurrentTabAndRefuseWhatCannotBe) {
  TabGrid g;
  CUGTab& t = g.Tabs();
  for (int i = 0; i < 4; ++i) ASSERT_EQ(g.AddTab("S" + std::to_string(i), 100 + i), 0);
  EXPECT_EQ(t.TabWidth(0), 6 * 2 + 10);
  ASSERT_EQ(g.SetCurrentTab(102), 0);
  EXPECT_EQ(g.GetCurrentTab(), 2);  // the position, not the id
  EXPECT_EQ(g.clicked, std::vector<int>{102});

  ASSERT_EQ(g.InsertTab(0, "New", 200), 0);
  EXPECT_EQ(g.GetCurrentTab(), 3);
  EXPECT_EQ(t.GetTabId(3), 102);  // the same tab
  ASSERT_EQ(g.DeleteTab(200), 0);
  EXPECT_EQ(g.GetCurrentTab(), 2);
  ASSERT_EQ(g.DeleteTab(103), 0);  // after the current one
  EXPECT_EQ(g.GetCurrentTab(), 2);
  ASSERT_EQ(g.DeleteTab(102), 0);  // the current one: the first becomes current
  EXPECT_EQ(g.GetCurrentTab(), 0);
  EXPECT_EQ(t.ScrollOffset(), 0);
  ASSERT_EQ(g.InsertTab(2, "End", 300), 0);  // at the count: appended
  EXPECT_EQ(t.GetTabLabelAt(2), "End");
  ASSERT_EQ(t.SetTabLabel(300, "Last one"), 0);
  EXPECT_EQ(t.TabWidth(2), 6 * 8 + 10);
  std::string label;
  ASSERT_EQ(t.GetTabLabel(300, &label), 0);
  EXPECT_EQ(label, "Last one");

  struct Refusal {
    const char* what;
    int result;
  } refusals[] = {
      {"unknown id, back colour", g.SetTabBackColor(999, Colour::Rgb(1, 2, 3))},
      {"unknown id, text colour", g.SetTabTextColor(999, Colour::Rgb(1, 2, 3))},
      {"unknown id, delete", g.DeleteTab(999)},
      {"unknown id, select", g.SetCurrentTab(999)},
      {"unknown id, label", t.GetTabLabel(999, &label)},
      {"insert before the first", g.InsertTab(-1, "x", 1)},
      {"insert past the end", g.InsertTab(t.GetTabCount() + 1, "x", 1)},
  };
  for (const Refusal& r : refusals) EXPECT_EQ(r.result, 1) << r.what;
  EXPECT_EQ(t.GetTabCount(), 3);
  EXPECT_EQ(t.GetTabId(-1), -1);
  EXPECT_EQ(t.GetTabLabelAt(7), "");
  EXPECT_EQ(g.clicked, std::vector<int>{102});  // refused selections tell nobody

  while (t.GetTabCount() < CUGTab::kMaxTabs) ASSERT_EQ(g.AddTab("t", 1000 + t.GetTabCount()), 0);
  EXPECT_EQ(g.AddTab("one too many", 5), 1);
  EXPECT_EQ(g.InsertTab(0, "one too many", 5), 1);
  EXPECT_EQ(t.GetTabCount(), CUGTab::kMaxTabs);
}

TEST(CellGridTabs, ClicksSelectScrollAndTheGripSizesTheStrip) {
  TabGrid g;
  CUGTab& t = g.Tabs();
  Host host;
  // Columns overflow: the strip keeps the width asked for, left of the horizontal bar.
  const CUGGridInfo& s = g.Sheet();
  EXPECT_EQ(s.rects[4].Width(), 150);
  EXPECT_EQ(s.rects[6].left, 150);
  EXPECT_EQ(t.ClientWidth(), 150);
  for (int i = 0; i < 5; ++i) g.AddTab("Sheet" + std::to_string(i), 10 + i);  // 46 wide each
  // 5 x 46 + 32 buttons - 150 = 112 hidden: the strip scrolls up to 132.
  EXPECT_EQ(t.MaxScrollOffset(), 132);

  // A click 1 or 2 pixels right of a tab's right edge still selects it.
  const int bw = t.ButtonWidth();
  for (int dx : {1, 2}) {
    g.clicked.clear();
    t.LButtonDown(bw + 46 + dx, 5, host);
    EXPECT_EQ(g.clicked, std::vector<int>{10}) << dx;
    EXPECT_EQ(t.GetCurrentTab(), 0);
  }
  g.clicked.clear();
  t.LButtonDown(bw + 46 + 5, 5, host);
  EXPECT_EQ(g.clicked, std::vector<int>{11});
  // The third tab ends at 32 + 138 = 170, past the strip: it scrolls into view.
  t.LButtonDown(bw + 2 * 46 + 5, 5, host);
  EXPECT_EQ(t.GetCurrentTab(), 2);
  EXPECT_EQ(t.ScrollOffset(), 170 + 19 - 150);
  // The scroll buttons move the strip 5 pixels; never before its start.
  t.LButtonDown(bw / 2 + 2, 5, host);
  EXPECT_EQ(t.ScrollOffset(), 39 + 5);
  for (int i = 0; i < 20; ++i) t.LButtonDown(2, 5, host);
  EXPECT_EQ(t.ScrollOffset(), 0);
  EXPECT_EQ(g.clicked, (std::vector<int>{11, 12}));

  // The grip: over the strip's last 7 pixels the cursor sizes; a drag to x = 25 leaves 40.
  t.MouseMove(150 - 8, 5, host);
  EXPECT_FALSE(t.OverSizingEdge());
  t.MouseMove(150 - 3, 5, host);
  EXPECT_TRUE(t.OverSizingEdge());
  EXPECT_EQ(host.cursor, UGCursor::SizeWE);
  t.LButtonDown(150 - 3, 5, host);
  EXPECT_TRUE(host.captured);
  t.MouseMove(90, 5, host);
  EXPECT_EQ(s.tabWidth, 90);
  EXPECT_EQ(s.rects[4].right, 90);
  EXPECT_EQ(s.rects[6].left, 90);  // the bar follows the strip
  t.MouseMove(25, 5, host);
  t.LButtonUp(host);
  EXPECT_FALSE(host.captured);
  EXPECT_EQ(s.tabWidth, 40);
  EXPECT_EQ(t.ClientWidth(), 40);
  EXPECT_EQ(g.clicked, (std::vector<int>{11, 12}));  // sizing selects nothing
}

TEST(CellGridTabs, ThumbHintsStayInsideTheControl) {
  struct Case {
    int x, y, minWidth, textWidth, flags;
    UGRect want;
  } cases[] = {
      // Centred on x = 10 with width 60 would start at -20: moved to start at 0.
      {10, 50, 20, 56, UG_HINT_ALIGNCENTER | UG_HINT_ALIGNBOTTOM, {0, 34, 60, 50}},
      // Right edge at x, centred on y; a short text takes the minimum width.
      {300, 100, 40, 10, UG_HINT_ALIGNRIGHT | UG_HINT_ALIGNVCENTER, {260, 92, 300, 108}},
      // Left edge at x and top at y by default; pushed back inside at the right and bottom.
      {390, 210, 20, 36, 0, {360, 204, 400, 220}},
      {100, 4, 20, 36, UG_HINT_ALIGNVCENTER, {100, 0, 140, 16}},
  };
  for (const Case& c : cases) {
    const UGRect r = PlaceHint(c.x, c.y, c.minWidth, c.textWidth, 16, c.flags, 400, 220);
    EXPECT_EQ(r, c.want) << c.x << "," << c.y;
  }
}

TEST(CellGridTabs, TheStripDrawsTabsTheCurrentOneOnTopAndItsGrip) {
  TabGrid g;
  CUGTab& t = g.Tabs();
  t.SetTabFont(FontDesc{"DejaVu Sans", 8, 400});
  g.AddTab("One", 1);
  g.AddTab("Two", 2);
  g.AddTab("Three", 3);
  g.SetTabBackColor(3, Colour::Rgb(200, 230, 255));
  g.SetCurrentTab(2);
  const int w = 150, h = 18;
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  cairo_t* cr = cairo_create(img);
  {
    CairoPainter p(cr);
    t.Paint(p, w, h);
  }
  cairo_destroy(cr);
  cairo_surface_flush(img);
  auto at = [&](cairo_surface_t* s, int x, int y) {
    const unsigned char* d = cairo_image_surface_get_data(s);
    return *reinterpret_cast<const unsigned*>(d + y * cairo_image_surface_get_stride(s) + x * 4) & 0xFFFFFF;
  };
  // The current tab (the second, from 32 + 28 = 60) is white and open along its top; the
  // third keeps its own colour; the grip ends in black.
  EXPECT_EQ(at(img, 60 + 20, 1), 0xFFFFFFu);
  EXPECT_EQ(at(img, 60 + 20, 0), 0xFFFFFFu);
  EXPECT_EQ(at(img, 130, 3), 0xC8E6FFu);  // right of its label
  EXPECT_EQ(at(img, w - 1, h / 2), 0u);
  const std::string path = std::string(PV_TEST_DATA_DIR) + "/cellgrid/tabs.png";
  if (std::getenv("PV_UPDATE_GOLDEN")) {
    cairo_surface_write_to_png(img, path.c_str());
  } else {
    cairo_surface_t* want = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(want), CAIRO_STATUS_SUCCESS) << path;
    int differ = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) differ += at(img, x, y) != at(want, x, y);
    EXPECT_EQ(differ, 0);
    cairo_surface_destroy(want);
  }
  cairo_surface_destroy(img);
}
