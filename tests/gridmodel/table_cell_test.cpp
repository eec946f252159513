// Cells that draw more than text: images from the grid's list, turned text, the drop-down
// list cell. Drawn with cairo onto images and read back by pixel.
#include <gtest/gtest.h>

#include "gridmodel/painter_cairo.h"
#include "gridmodel/table_grid.h"
#include "platform/image.h"
#include "table_test_support.h"

using namespace gridmodel;
using tabletest::FakeHost;

namespace {

constexpr platform::Rgba kWhite{255, 255, 255, 255};

// Draws one cell onto a white image of the rectangle's size.
platform::Image DrawCell(CGridCellBase& cell, int row, int col, int w, int h) {
  platform::Image image(w, h);
  image.Fill(kWhite);
  cairo_t* cr = cairo_create(image.Surface());
  {
    CairoPainter p(cr);
    cell.Draw(p, row, col, Rect{0, 0, w - 1, h - 1}, true);
  }
  cairo_destroy(cr);
  cairo_surface_mark_dirty(image.Surface());
  return image;
}

// Bounding box of the pixels that are neither white nor the given colour.
Rect InkBox(const platform::Image& image, platform::Rgba ignore = kWhite) {
  Rect box{image.Width(), image.Height(), -1, -1};
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) {
      platform::Rgba c = image.GetPixel(x, y);
      if (c == kWhite || c == ignore) continue;
      box = Rect{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1), std::max(box.bottom, y + 1)};
    }
  return box;
}

platform::Image Solid(int w, int h, platform::Rgba c) {
  platform::Image image(w, h);
  image.Fill(c);
  return image;
}

}  // namespace

TEST(TableGridCells, ImagesFromTheGridsListShiftTheTextAndGrowTheExtent) {
  CGridCtrl g(2, 2, 0, 0);
  FakeHost host;
  g.SetHost(&host);
  CGridImageList images;
  EXPECT_EQ(images.Add(platform::Image()), -1);
  ASSERT_EQ(images.Add(Solid(12, 40, platform::Rgba{200, 0, 0, 255})), 0);
  g.SetItemText(0, 0, "Fuel");
  CGridCellBase* cell = g.GetCell(0, 0);
  const Size plain = cell->GetCellExtent(nullptr);

  // An index with no list, or one the list does not know, shows nothing.
  g.SetItemImage(0, 0, 0);
  EXPECT_EQ(cell->GetCellExtent(nullptr), plain);
  g.SetImageList(&images);
  g.SetItemImage(0, 0, 5);
  EXPECT_EQ(cell->GetCellExtent(nullptr), plain);

  g.SetItemImage(0, 0, 0);
  const Size with = cell->GetCellExtent(nullptr);
  EXPECT_EQ(with.cx, plain.cx + 13);
  EXPECT_EQ(with.cy, std::max(plain.cy, 41));
  const int margin = static_cast<int>(cell->GetMargin());
  Rect text{0, 0, 100, 20};
  cell->GetTextRect(text);
  EXPECT_EQ(text.left, 12 + margin + 1);

  // Drawn: the image at the top-left inside the margin, the text to its right.
  platform::Image drawn = DrawCell(*cell, 0, 0, 120, 44);
  EXPECT_EQ(drawn.GetPixel(margin + 1, 1), (platform::Rgba{200, 0, 0, 255}));
  Rect ink = InkBox(drawn, platform::Rgba{200, 0, 0, 255});
  EXPECT_GE(ink.left, margin + 12);

  // An image too big for the cell is left out; the text still moves past its place.
  platform::Image small = DrawCell(*cell, 0, 0, 120, 14);
  EXPECT_NE(small.GetPixel(margin + 1, 1), (platform::Rgba{200, 0, 0, 255}));
}

TEST(TableGridCells, VerticalFontsSwapTheExtentAndDrawUpwards) {
  CGridCtrl g(1, 1, 0, 0);
  FakeHost host;
  g.SetHost(&host);
  g.SetItemText(0, 0, "Rate of spread");
  CGridCellBase* cell = g.GetCell(0, 0);
  FontDesc font = *cell->GetFont();
  const Size flat = cell->GetTextExtent(&cell->GetText(), nullptr);
  const int m = static_cast<int>(cell->GetMargin());
  for (int escapement : {900, -900}) {
    font.escapement = escapement;
    g.SetItemFont(0, 0, &font);
    const Size turned = cell->GetTextExtent(&cell->GetText(), nullptr);
    EXPECT_EQ(turned.cx, flat.cy) << escapement;  // text height + 2 margins
    EXPECT_EQ(turned.cy, flat.cx + 4 * m) << escapement;  // text width + 8 margins
  }
  font.escapement = 900;
  g.SetItemFont(0, 0, &font);
  g.SetItemFormat(0, 0, kAlignCenter | kAlignVCenter | kSingleLine);
  platform::Image drawn = DrawCell(*cell, 0, 0, 60, 160);
  Rect ink = InkBox(drawn);
  ASSERT_GT(ink.right, ink.left);
  EXPECT_GT(ink.Height(), 2 * ink.Width());  // the text runs up the cell
  EXPECT_NEAR((ink.left + ink.right) / 2, 30, 6);
}

TEST(TableGridCells, ComboCellOpensItsListAndDrawsItsButtonOnlyWhenEditable) {
  CGridCtrl g(3, 2, 1, 0);
  FakeHost host;
  g.SetHost(&host);
  ASSERT_TRUE(g.SetCellClass(1, 1, &MakeCell<CGridCellCombo>));
  auto* combo = dynamic_cast<CGridCellCombo*>(g.GetCell(1, 1));
  ASSERT_NE(combo, nullptr);
  combo->SetOptions({"Low", "Moderate", "High"});
  combo->SetStyle(kComboDropDownList);
  combo->SetText("Moderate");
  g.SetRowHeight(1, 24);
  g.SetColumnWidth(1, 90);

  g.OnEditCell(1, 1, Point{-1, -1}, 'H');
  ASSERT_EQ(host.editors.size(), 1u);
  EXPECT_EQ(host.editors[0], "1,1,Moderate,72,list 3 Low|Moderate|High|");
  EXPECT_TRUE(combo->IsEditing());
  // While the list is open the cell shows neither button nor text.
  platform::Image open = DrawCell(*combo, 1, 1, 90, 24);
  EXPECT_EQ(InkBox(open).right, -1);
  g.OnEndInPlaceEdit(1, 1, "High", kKeyReturn);
  EXPECT_FALSE(combo->IsEditing());
  EXPECT_EQ(g.GetItemText(1, 1), "High");

  // The button sits at the right, a scroll bar wide, and the text stays left of it.
  platform::Image shown = DrawCell(*combo, 1, 1, 90, 24);
  const int bar = host.ScrollBarThickness();
  EXPECT_NE(shown.GetPixel(90 - bar / 2, bar / 2), kWhite);
  EXPECT_LT(InkBox(shown).left, 90 - bar);
  g.SetEditable(false);
  platform::Image readOnly = DrawCell(*combo, 1, 1, 90, 24);
  EXPECT_EQ(readOnly.GetPixel(90 - bar / 2, bar / 2), kWhite);
}
