// Drawing of the cell grid's cell types and parts, headless through cairo. Each case is
// compared with its golden image (tests/data/cellgrid; PV_UPDATE_GOLDEN=1 rewrites them)
// and probed for the pixels that show the behaviour.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "gridmodel/painter_cairo.h"
#include "gridmodel/ug_celltypes.h"
#include "gridmodel/ug_parts.h"

using namespace gridmodel;

namespace {

constexpr int kW = 60, kH = 20;

struct Image {
  cairo_surface_t* s = nullptr;
  ~Image() {
    if (s) cairo_surface_destroy(s);
  }
  Colour At(int x, int y) const {
    const unsigned char* d = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned px = *reinterpret_cast<const unsigned*>(d + y * stride + x * 4);
    return Colour::Rgb((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
  }
  bool Dark(int x, int y) const {
    const Colour c = At(x, y);
    return c.r() + c.g() + c.b() < 300;
  }
  // Dark pixels in a rectangle.
  int DarkIn(int l, int t, int r, int b) const {
    int n = 0;
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) n += Dark(x, y);
    return n;
  }
};

struct DrawGrid : CUGCtrl {
  CUGButtonType button;
  CUGEllipsisType ellipsis;
  int buttonId = 0, ellipsisId = 0;
  DrawGrid(int cols, long rows) {
    buttonId = AddCellType(&button);
    ellipsisId = AddCellType(&ellipsis);
    SetDefaultFont(AddFont("DejaVu Sans", 8, 400));
    SetDefaultColWidth(kW);
    SetColCount(cols);
    SetRowCount(rows);
    SetClientSize(40 + cols * kW + 20, 20 + rows * kH + 20);
  }
};

// Paints the cell area of a grid into an image and checks it against its golden.
void Render(CUGCtrl& g, Image& img, const char* golden) {
  const CUGGridInfo& s = g.Sheet();
  img.s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, s.gridWidth, s.gridHeight);
  cairo_t* cr = cairo_create(img.s);
  {
    CairoPainter p(cr);
    g.CellAreaHints().AddRange(0, 0, g.GetColCount(), g.GetRowCount());
    PaintCellArea(g, p, s.gridWidth, s.gridHeight, true);
  }
  cairo_destroy(cr);
  cairo_surface_flush(img.s);
  const std::string path = std::string(PV_TEST_DATA_DIR) + "/cellgrid/" + golden + ".png";
  if (std::getenv("PV_UPDATE_GOLDEN")) {
    cairo_surface_write_to_png(img.s, path.c_str());
    return;
  }
  cairo_surface_t* want = cairo_image_surface_create_from_png(path.c_str());
  ASSERT_EQ(cairo_surface_status(want), CAIRO_STATUS_SUCCESS) << path;
  Image w{want};
  ASSERT_EQ(cairo_image_surface_get_width(want), s.gridWidth);
  ASSERT_EQ(cairo_image_surface_get_height(want), s.gridHeight);
  int differ = 0;
  for (int y = 0; y < s.gridHeight; ++y)
    for (int x = 0; x < s.gridWidth; ++x) differ += !(img.At(x, y) == w.At(x, y));
  EXPECT_EQ(differ, 0) << golden;
}

}  // namespace

TEST(CellGridDrawing, TextAlignmentWrapEllipsisAndOverflow) {
  DrawGrid g(4, 4);
  g.SetRowHeight(2, 40);
  g.SetCellText(0, 0, "left");
  g.SetCellText(1, 0, "right");
  g.SetCellAlignment(1, 0, 2);
  g.SetCellText(2, 0, "mid");
  g.SetCellAlignment(2, 0, 4 | 32);
  // Row 1: a long text runs on into the empty cell beside it and stops at the number.
  g.SetCellText(0, 1, "a long text running on");
  g.SetCellAlignment(0, 1, 1);
  g.SetCellNumber(2, 1, 42);
  g.SetCellAlignment(2, 1, 2);
  g.SetCellText(0, 2, "wrapped over two lines");
  g.SetCellTypeParamAt(0, 2, 0x2);
  g.SetCellText(1, 2, "cut with an ellipsis");
  g.SetCellTypeParamAt(1, 2, 0x4);
  // Row 3: a number cell between a long text and empty cells stops the run.
  g.SetCellText(0, 3, "another long text here");
  g.SetCellAlignment(0, 3, 1);
  g.SetCellNumber(1, 3, 7);
  g.GotoCell(3, 3);
  Image img;
  Render(g, img, "text");
  EXPECT_GT(img.DarkIn(2, 2, 25, 18), 0);                  // left text at the left
  EXPECT_EQ(img.DarkIn(kW + 2, 2, kW + 20, 18), 0);        // right text not at the left
  EXPECT_GT(img.DarkIn(2 * kW - 25, 2, 2 * kW - 3, 18), 0);
  EXPECT_GT(img.DarkIn(kW + 2, kH + 2, 2 * kW - 2, 2 * kH - 2), 0);  // the run reaches column 1
  EXPECT_GT(img.DarkIn(3 * kW - 20, kH + 2, 3 * kW - 3, 2 * kH - 2), 0);  // and 42 still shows
  EXPECT_GT(img.DarkIn(2, 2 * kH + 20, kW - 2, 4 * kH - 2), 0);  // a second wrapped line
  // Row 3: the number 7 shows, and no text runs past it into column 2.
  EXPECT_GT(img.DarkIn(kW + 2, 4 * kH + 2, 2 * kW - 2, 5 * kH - 2), 0);
  EXPECT_EQ(img.DarkIn(2 * kW + 1, 4 * kH + 2, 3 * kW - 2, 5 * kH - 2), 0);
}

TEST(CellGridDrawing, BordersGridLinesAndFrames) {
  DrawGrid g(4, 2);
  g.SetCellBorder(0, 0, 0x4);
  g.SetCellBorderPen(0, 0, UGPen{Colour::Rgb(255, 0, 0), 1});
  g.SetCellBorder(1, 0, 0x2000);
  g.SetCellBorder(2, 0, 0x1000);
  g.SetCellBorder(3, 0, 0x10 | 0x200);
  g.SetCellBackColor(0, 1, Colour::Rgb(0, 0, 200));
  g.GotoCell(3, 1);
  Image img;
  Render(g, img, "borders");
  EXPECT_EQ(img.At(kW - 1, 5), Colour::Rgb(255, 0, 0));        // the cell's own pen on the right
  EXPECT_EQ(img.At(5, kH - 1), Colour::Rgb(220, 220, 220));    // the grid line below
  EXPECT_EQ(img.At(kW, 0), Colour::Rgb(255, 255, 255));        // raised: light top-left
  EXPECT_EQ(img.At(2 * kW - 1, kH - 1), Colour::Rgb(160, 160, 160));  // dark bottom-right
  EXPECT_EQ(img.At(2 * kW, 0), Colour::Rgb(160, 160, 160));    // sunken: dark top-left
  EXPECT_EQ(img.At(5, kH + 5), Colour::Rgb(0, 0, 200));
}

TEST(CellGridDrawing, CheckBoxesArrowsButtonsEllipsisAndDropList) {
  DrawGrid g(5, 3);
  const long params[] = {0, UGCT_CHECKBOXCHECKMARK, UGCT_CHECKBOX3STATE, UGCT_CHECKBOXROUND, UGCT_CHECKBOX3DRECESS};
  for (int c = 0; c < 5; ++c) {
    g.SetCellTypeAt(c, 0, 2);
    g.SetCellTypeParamAt(c, 0, params[c]);
    g.SetCellNumber(c, 0, c == 2 ? 2 : 1);
    g.SetCellLabelText(c, 0, "on");
  }
  for (int c = 0; c < 4; ++c) {
    g.SetCellTypeAt(c, 1, 3);
    g.SetCellTypeParamAt(c, 1, 0x10 << c);
  }
  g.SetCellTypeAt(0, 2, g.buttonId);
  g.SetCellText(0, 2, "Go");
  g.SetCellTypeAt(1, 2, g.ellipsisId);
  g.SetCellText(1, 2, "file");
  g.SetCellTypeAt(2, 2, 1);
  g.SetCellText(2, 2, "pick");
  g.SetCellTypeAt(3, 2, 1);
  g.SetCellTypeParamAt(3, 2, UGCT_SHOWBUTTONONFOCUS);
  g.SetCellText(3, 2, "hidden");
  g.GotoCell(4, 2);
  Image img;
  Render(g, img, "types");
  // A checked box (12 pixels, 3 in from the left) has its mark inside.
  EXPECT_GT(img.DarkIn(5, 6, 14, 14), 6);
  // The label shows beside the box.
  EXPECT_GT(img.DarkIn(20, 2, 40, 18), 0);
  // Arrows are drawn in their cells' middles.
  EXPECT_GT(img.DarkIn(kW / 2 - 4, kH + 5, kW / 2 + 4, 2 * kH - 5), 3);
  // The drop button shows on a cell that always has it, not on one that shows it on focus.
  EXPECT_GT(img.DarkIn(3 * kW - 12, 2 * kH + 7, 3 * kW - 5, 2 * kH + 12), 2);
  EXPECT_EQ(img.DarkIn(4 * kW - 12, 2 * kH + 7, 4 * kW - 5, 2 * kH + 12), 0);
}

TEST(CellGridDrawing, HeadingsAndCornerDrawRaisedWithTheirTexts) {
  DrawGrid g(3, 3);
  for (int c = 0; c < 3; ++c) g.SetCellText(c, -1, "H" + std::to_string(c));
  for (int r = 0; r < 3; ++r) g.SetCellText(-1, r, std::to_string(r + 1));
  const CUGGridInfo& s = g.Sheet();
  Image top, side;
  top.s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, s.rects[1].Width(), s.rects[1].Height());
  side.s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, s.rects[2].Width(), s.rects[2].Height());
  cairo_t* c1 = cairo_create(top.s);
  cairo_t* c2 = cairo_create(side.s);
  {
    CairoPainter p1(c1), p2(c2);
    PaintTopHeading(g, p1, s.rects[1].Width(), s.rects[1].Height(), -1, -1);
    PaintSideHeading(g, p2, s.rects[2].Width(), s.rects[2].Height());
  }
  cairo_destroy(c1);
  cairo_destroy(c2);
  cairo_surface_flush(top.s);
  cairo_surface_flush(side.s);
  EXPECT_EQ(top.At(0, 0), Colour::Rgb(255, 255, 255));
  EXPECT_EQ(top.At(kW - 1, kH - 1), Colour::Rgb(160, 160, 160));
  EXPECT_GT(top.DarkIn(kW / 2 - 10, 3, kW / 2 + 10, kH - 3), 0);  // centred heading text
  EXPECT_GT(side.DarkIn(10, kH + 3, 30, 2 * kH - 3), 0);
}

#include "platform/image.h"

TEST(CellGridDrawing, BitmapsShrinkToTheRowAndSmallOnesCentre) {
  DrawGrid g(3, 1);
  platform::Image tall(10, 40), small(6, 6);
  tall.Fill(platform::Rgba{255, 0, 0, 255});
  small.Fill(platform::Rgba{0, 0, 255, 255});
  g.SetCellBitmapIndex(0, 0, g.AddBitmap(tall));
  g.SetCellText(0, 0, "tall");
  g.SetCellBitmapIndex(1, 0, g.AddBitmap(small));
  g.SetCellText(1, 0, "small");
  g.GotoCell(2, 0);
  Image img;
  Render(g, img, "bitmaps");
  // Inside the grid lines the cell is 19 high: shrunk to 15 high and 3 wide, 2 pixels in.
  EXPECT_EQ(img.At(3, 2), Colour::Rgb(255, 0, 0));
  EXPECT_EQ(img.At(3, 16), Colour::Rgb(255, 0, 0));
  EXPECT_NE(img.At(3, 17), Colour::Rgb(255, 0, 0));
  EXPECT_NE(img.At(6, 10), Colour::Rgb(255, 0, 0));
  // Not enlarged, centred vertically: rows 6 to 11.
  EXPECT_EQ(img.At(kW + 4, 6), Colour::Rgb(0, 0, 255));
  EXPECT_EQ(img.At(kW + 4, 11), Colour::Rgb(0, 0, 255));
  EXPECT_NE(img.At(kW + 4, 5), Colour::Rgb(0, 0, 255));
  EXPECT_NE(img.At(kW + 4, 12), Colour::Rgb(0, 0, 255));
  // The text follows the bitmap, not under it.
  EXPECT_GT(img.DarkIn(8, 2, 40, 18), 0);
}
