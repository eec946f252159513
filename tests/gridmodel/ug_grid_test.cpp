#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ug_test_grid.h"

using namespace gridmodel;
using ugtest::RecordingGrid;

namespace {
// Each layer of cell reading sets its own properties; later layers win.
class AlignFormat : public CUGCellFormat {
 public:
  void ApplyFormat(CUGCell* cell) override {
    cell->SetAlignment(4);
    cell->SetBorderStyle(1);
  }
};

class LayeredGrid : public RecordingGrid {
 public:
  void OnReadCell(int col, long row, CUGCell* cell) override {
    if (col == 0 && row == 0) {
      cell->SetTextColor(Colour::Rgb(3, 3, 3));
      cell->SetAlignment(2);
      cell->SetFormatter(&format);
      cell->SetStyleCell(&style);
    }
  }
  AlignFormat format;
  CUGCell style;
};
}  // namespace

TEST(UGCellAccess, LayersApplyInOrderOfPrecedence) {
  LayeredGrid g;
  g.Build(2, 2);
  g.style.SetPropertyFlags(0);
  g.style.SetBorderStyle(8);
  CUGCell def;
  g.GetColDefault(0, &def);
  def.SetParam(11);
  def.SetBackColor(Colour::Rgb(1, 1, 1));
  def.SetTextColor(Colour::Rgb(1, 1, 1));
  g.SetColDefault(0, &def);
  g.SetCellBackColor(0, 0, Colour::Rgb(2, 2, 2));
  g.SetCellTextColor(0, 0, Colour::Rgb(2, 2, 2));

  CUGCell c;
  g.GetCell(0, 0, &c);
  EXPECT_EQ(c.GetParam(), 11);                         // column default
  EXPECT_EQ(c.GetBackColor(), Colour::Rgb(2, 2, 2));  // stored over the default
  EXPECT_EQ(c.GetTextColor(), Colour::Rgb(3, 3, 3));  // read notification over stored
  EXPECT_EQ(c.GetAlignment(), 4);                      // formatter over the notification
  EXPECT_EQ(c.GetBorderStyle(), 8);                    // style cell last
}

TEST(UGCellAccess, DefaultsHeadingsAndBounds) {
  RecordingGrid g;
  g.Build(3, 4);
  g.InitGrid(FontDesc{"DejaVu Sans", 9, 400});
  EXPECT_EQ(g.SetCellText(2, -1, "Month"), 0);
  CUGCell h;
  g.GetCell(2, -1, &h);
  EXPECT_STREQ(h.GetText(), "Month");
  EXPECT_EQ(h.GetBackColor(), Colour::System(SysColour::ButtonFace));
  ASSERT_NE(g.GetFont(h.GetFont()), nullptr);
  EXPECT_EQ(g.GetFont(h.GetFont())->weight, 600);
  EXPECT_EQ(h.GetXPStyle(), UGXP_TOP_HEADING);

  CUGCell ro;
  ro.SetPropertyFlags(0);
  ro.SetReadOnly(true);
  g.SetColDefault(1, &ro);
  CUGCell shown, stored;
  g.GetCell(1, 3, &shown);
  g.GetStoredCell(1, 3, &stored);
  EXPECT_TRUE(shown.IsReadOnly());
  EXPECT_FALSE(stored.IsReadOnly());
  EXPECT_EQ(g.SetColDefault(-1, &ro), 1);

  g.SetCellBackColor(0, 0, Colour::Rgb(5, 6, 7));
  g.SetCellText(0, 0, "t");
  CUGCell kept;
  g.GetCell(0, 0, &kept);
  EXPECT_EQ(kept.GetBackColor(), Colour::Rgb(5, 6, 7));

  EXPECT_EQ(g.GetCellTextPtr(2, 2), std::nullopt);
  EXPECT_EQ(g.GetCellText(2, 2), "");
  EXPECT_EQ(*g.GetCellTextPtr(0, 0), "t");

  CUGCell cell;
  cell.SetText("later");
  EXPECT_EQ(g.SetCell(3, 0, &cell), 1);
  EXPECT_EQ(g.SetCell(0, 4, &cell), 0);  // one past the rows: stored, shown once they grow
  EXPECT_EQ(g.GetCellText(0, 4), "");
  g.SetRowCount(5);
  EXPECT_EQ(g.GetCellText(0, 4), "later");
  // A shortcut reports a write that failed.
  EXPECT_EQ(g.SetCellText(7, 0, "x"), 1);
  EXPECT_EQ(g.SetCellNumber(0, 99, 1.0), 1);
}

TEST(UGRegistry, FontsAreSharedAndRemovedById) {
  RecordingGrid g;
  g.Build(1, 1);
  const int a = g.AddFont("DejaVu Sans", 12, 400);
  EXPECT_EQ(g.AddFont("DejaVu Sans", 12, 400), a);
  EXPECT_NE(g.AddFont("DejaVu Sans", 12, 700), a);
  EXPECT_EQ(g.AddFont(std::string(40, 'x').c_str(), 9, 400), g.AddFont("", 9, 400));
  g.SetCellFontIndex(0, 0, a);
  EXPECT_EQ(g.SetDefaultFont(a), 0);
  EXPECT_EQ(g.RemoveFont(a), 0);
  EXPECT_NE(g.GetFont(a), nullptr);  // one user left
  EXPECT_EQ(g.RemoveFont(a), 0);
  EXPECT_EQ(g.GetFont(a), nullptr);
  EXPECT_EQ(g.GetDefaultFont(), -1);
  CUGCell c;
  g.GetCell(0, 0, &c);
  EXPECT_EQ(g.GetFont(c.GetFont()), nullptr);  // a cell naming it finds nothing, not a freed font
  EXPECT_EQ(g.SetDefaultFont(a), 1);
}

TEST(UGRegistry, BitmapsByIndexFromImagesAndFiles) {
  RecordingGrid g;
  g.Build(1, 1);
  EXPECT_EQ(g.AddBitmap(platform::Image()), -1);
  const int a = g.AddBitmap(platform::Image(3, 2));
  const int b = g.AddBitmap(platform::Image(5, 4));
  ASSERT_EQ(a, 0);
  ASSERT_EQ(b, 1);
  EXPECT_EQ(g.GetBitmap(b)->Width(), 5);
  EXPECT_EQ(g.GetBitmap(7), nullptr);
  EXPECT_EQ(g.RemoveBitmap(a), 0);
  EXPECT_EQ(g.GetBitmap(a), nullptr);
  EXPECT_NE(g.RemoveBitmap(a), 0);
  EXPECT_EQ(g.AddBitmap(platform::Image(1, 1)), a);  // the freed index is reused
  EXPECT_EQ(g.GetBitmap(b)->Height(), 4);

  // Files go through the loader; one that cannot read the file leaves the list alone.
  std::vector<std::string> asked;
  g.SetBitmapLoader([&](const std::string& path, platform::Image& image) {
    asked.push_back(path);
    if (path != "ok.bmp") return false;
    image = platform::Image(8, 8);
    return true;
  });
  std::string error;
  EXPECT_EQ(g.AddBitmapFile("missing.bmp", &error), -1);
  EXPECT_NE(error.find("\"missing.bmp\""), std::string::npos);
  EXPECT_EQ(g.GetBitmapCount(), 2);
  EXPECT_EQ(g.AddBitmapFile("ok.bmp"), 2);
  EXPECT_EQ(g.GetBitmap(2)->Width(), 8);
  EXPECT_EQ(asked, (std::vector<std::string>{"missing.bmp", "ok.bmp"}));
  EXPECT_EQ(g.ClearBitmaps(), 0);
  EXPECT_EQ(g.GetBitmapCount(), 0);
  EXPECT_EQ(g.GetBitmap(b), nullptr);
}

TEST(UGRegistry, CellTypesFromFourAndTheBuiltinsStay) {
  RecordingGrid g;
  g.Build(2, 2);
  CUGCellType mine;
  EXPECT_EQ(g.AddCellType(&mine), 4);
  EXPECT_EQ(g.GetCellTypeId(&mine), 4);
  EXPECT_EQ(g.AddCellType(nullptr), -1);
  EXPECT_EQ(g.GetCellType(-3), g.GetCellType(0));
  EXPECT_EQ(g.GetCellType(99), g.GetCellType(0));
  g.SetCellTypeAt(1, 1, 2);
  EXPECT_FALSE(g.GetCellTypeAt(1, 1)->IsTextEditable());  // the check box
  for (int id = 0; id <= 3; ++id) EXPECT_EQ(g.RemoveCellType(id), 1) << id;
  EXPECT_EQ(g.RemoveCellType(4), 0);
  EXPECT_EQ(g.GetCellType(4), g.GetCellType(0));
  EXPECT_EQ(mine.GetId(), 4);  // unregistered, not destroyed
  EXPECT_EQ(g.RemoveCellType(4), 1);
}

TEST(UGRegistry, CellTypeMessagesAndColourChangesReachTheTypes) {
  struct CountingType : CUGCellType {
    int colourChanges = 0;
    long last = 0;
    int OnSystemColorChange() override { return ++colourChanges; }
    int OnCellTypeMessage(long, long lparam) override {
      last = lparam;
      return 5;
    }
  } mine;
  RecordingGrid g;
  g.Build(1, 1);
  const int id = g.AddCellType(&mine);
  EXPECT_EQ(g.SendCellTypeMessage(id, 0, 42), 5);
  EXPECT_EQ(mine.last, 42);
  EXPECT_EQ(g.SendCellTypeMessage(0, 0, 43), 0);  // the normal type
  EXPECT_EQ(g.SendCellTypeMessage(77, 0, 44), 0);
  CUGCell heading;
  heading.SetBackColor(Colour::Rgb(1, 1, 1));
  g.SetHeadingDefault(&heading);
  g.SystemColoursChanged();
  EXPECT_EQ(mine.colourChanges, 1);
  CUGCell h;
  g.GetHeadingDefault(&h);
  EXPECT_EQ(h.GetBackColor(), Colour::System(SysColour::ButtonFace));

  std::string hint;
  EXPECT_TRUE(g.OnGetHintText(3, 12, UG_GRID, &hint));
  EXPECT_EQ(hint, "Col:3 Row:12");
}

TEST(UGRegistry, DataSourcesOneToSixtyThree) {
  RecordingGrid g;
  g.Build(3, 2);
  std::vector<CUGMem> sources(64);
  for (int i = 0; i < 63; ++i) ASSERT_EQ(g.AddDataSource(&sources[i]), i + 1);
  EXPECT_EQ(g.AddDataSource(&sources[63]), -1);
  EXPECT_EQ(g.GetDataSource(0), &g.Sheet().mem);
  EXPECT_EQ(g.RemoveDataSource(63), 0);
  EXPECT_EQ(g.RemoveDataSource(5), 0);
  EXPECT_EQ(g.RemoveDataSource(5), 1);
  EXPECT_EQ(g.SetDefaultDataSource(5), 1);  // an empty slot
  EXPECT_EQ(g.AddDataSource(&sources[63]), 5);

  // A removed source leaves no column behind pointing at it.
  ASSERT_EQ(g.SetDefaultDataSource(7), 0);
  g.SetColDataSource(2, 8);
  g.SetCellText(1, 0, "in seven");
  EXPECT_EQ(sources[6].StoredCell(1, 0)->StoredText(), "in seven");
  EXPECT_EQ(g.RemoveDataSource(7), 0);
  EXPECT_EQ(g.GetDefaultDataSource(), 0);
  EXPECT_EQ(g.GetCellText(1, 0), "");
  g.SetCellText(1, 0, "own");
  EXPECT_EQ(g.Sheet().mem.StoredCell(1, 0)->StoredText(), "own");
  EXPECT_EQ(g.SizeToDataSource(8), 2);  // the memory store tells no column count
  EXPECT_EQ(g.GetColCount(), 3);
}

TEST(UGRowsCols, CountsAndSizes) {
  RecordingGrid g;
  g.Build(3, 5);
  EXPECT_EQ(g.SetColCount(32001), 1);
  EXPECT_EQ(g.SetColCount(32000), 0);
  EXPECT_EQ(g.SetColCount(3), 0);
  EXPECT_EQ(g.SetColWidth(-1, 1025), 2);
  EXPECT_EQ(g.SetColWidth(0, 5000), 0);
  EXPECT_EQ(g.GetColWidth(0), 5000);
  EXPECT_EQ(g.SetTopHeadingRowCount(65), 1);
  EXPECT_EQ(g.SetDefaultRowHeight(0), 1);

  g.SetUniformRowHeight(true);
  g.SetRowHeight(3, 30);
  EXPECT_EQ(g.GetRowHeight(0), 30);
  g.SetUniformRowHeight(false);
  g.SetRowHeight(3, 12);
  EXPECT_EQ(g.GetRowHeight(3), 12);
  EXPECT_EQ(g.GetRowHeight(2), 30);
  EXPECT_EQ(g.SetRowCount(64001), 0);  // too many rows for heights of their own
  EXPECT_EQ(g.GetRowHeight(3), 30);
  EXPECT_TRUE(g.Sheet().rowHeights.empty());
  g.SetRowCount(10);
  g.SetUniformRowHeight(false);
  EXPECT_EQ(g.Sheet().rowHeights.size(), 10u);

  // Zero heading heights cannot be scaled: they are shared out.
  g.SetTopHeadingRowCount(2);
  g.SetTopHeadingRowHeight(-1, 0);
  g.SetTopHeadingRowHeight(-2, 0);
  EXPECT_EQ(g.SetTopHeadingHeight(40), 0);
  EXPECT_EQ(g.Sheet().topHdgHeights, (std::vector<int>{20, 20}));
}

TEST(UGRowsCols, FitAndMoveColumns) {
  RecordingGrid g;
  g.Build(3, 1);
  ASSERT_EQ(g.Sheet().gridWidth, 400);
  g.SetColWidth(0, 50);
  g.SetColWidth(1, 50);
  g.SetColWidth(2, 100);
  EXPECT_EQ(g.FitColumnsToWindow(0, 2), 0);
  EXPECT_EQ((std::vector<int>{g.GetColWidth(0), g.GetColWidth(1), g.GetColWidth(2)}), (std::vector<int>{100, 100, 200}));
  for (int c = 0; c < 3; ++c) g.SetColWidth(c, 0);
  EXPECT_EQ(g.FitColumnsToWindow(0, 2), 0);  // nothing to scale: equal shares
  EXPECT_EQ(g.GetColWidth(0) + g.GetColWidth(1) + g.GetColWidth(2), 400);
  EXPECT_EQ(g.FitColumnsToWindow(2, 1), 1);

  g.SetCellText(0, 0, "first");
  g.SetColWidth(0, 10);
  EXPECT_EQ(g.MoveColPosition(2, 3, true), 0);
  EXPECT_EQ(g.MoveColPosition(0, 2, false), 0);
  EXPECT_EQ(g.GetColWidth(2), 10);
  EXPECT_EQ(g.GetCellText(2, 0), "first");  // the column keeps its data column
  EXPECT_EQ(g.MoveColPosition(5, 0, true), 1);
}

TEST(UGRowsCols, FitColumnsToTheirContents) {
  struct SevenPixelView : CUGView {
    int MeasureTextWidth(const std::string& text, int) override { return 7 * static_cast<int>(text.size()); }
  } view;
  RecordingGrid g;
  g.Build(3, 4);
  g.SetView(&view);
  g.SetCellText(0, 1, "twelve chars");
  g.SetCellText(0, -1, "Heading");
  g.SetCellText(1, 2, std::string(100, 'w'));
  EXPECT_EQ(g.FitColumnsToContents(0, 2, 20, 0), 0);
  EXPECT_EQ(g.GetColWidth(0), 12 * 7 + 6 + 2);
  EXPECT_EQ(g.GetColWidth(1), g.Sheet().gridWidth - g.GetVScrollWidth());  // capped by the view
  EXPECT_EQ(g.GetColWidth(2), 8);  // empty cells: the margin only
  EXPECT_EQ(g.FitColumnsToContents(0, 0, 20, 1), 0);  // heading rows too
  EXPECT_EQ(g.GetColWidth(0), 12 * 7 + 6 + 2);
  g.SetCellText(0, -1, "A much longer heading");
  g.FitColumnsToContents(0, 0, 20, 1);
  EXPECT_EQ(g.GetColWidth(0), 21 * 7 + 6 + 2);
  EXPECT_EQ(g.FitColumnsToContents(-2, 0, 20, 0), 1);
  EXPECT_EQ(g.FitColumnsToContents(0, 3, 20, 0), 2);
  EXPECT_EQ(g.FitColumnsToContents(2, 1, 20, 0), 3);
  g.SetView(nullptr);
}

TEST(UGLayout, ScrollBarsShowOnlyWhenNeeded) {
  struct Case {
    int cols;
    long rows;
    int tabWidth;
    UGRect cellArea;
  };
  const Case cases[] = {
      {0, 0, 0, {40, 20, 440, 220}},
      {3, 50, 0, {40, 20, 424, 220}},    // rows do not fit: the vertical bar only
      {10, 3, 0, {40, 20, 440, 204}},    // columns do not fit: the horizontal bar
      {3, 3, 100, {40, 20, 440, 204}},   // tabs take the bottom row
  };
  for (const Case& k : cases) {
    RecordingGrid g;
    g.Sheet().tabWidth = k.tabWidth;
    g.Build(k.cols, k.rows);
    EXPECT_EQ(g.Sheet().rects[0], k.cellArea) << k.cols << "x" << k.rows;
    EXPECT_EQ(g.GetVScrollWidth(), 16);  // the layout's zeroes do not stick
  }
}

TEST(UGSheets, CountsAndTheCurrentSheet) {
  struct SheetGrid : RecordingGrid {
    std::vector<int> inits;
    void OnInitSheet(int sheet) override { inits.push_back(sheet); }
  } g;
  EXPECT_EQ(g.SetSheetCount(0), 1);
  EXPECT_EQ(g.SetSheetCount(1025), 1);
  EXPECT_EQ(g.SetSheetCount(3), 0);
  EXPECT_EQ(g.inits, (std::vector<int>{1, 2}));
  g.SetSheetNumber(2);
  g.Sheet().tabWidth = 77;
  g.SetColCount(4);
  EXPECT_EQ(g.SetSheetCount(1), 0);  // the current sheet goes
  EXPECT_EQ(g.GetSheetNumber(), 0);
  EXPECT_EQ(g.Sheet().tabWidth, 77);
  EXPECT_EQ(g.GetColCount(), 0);
  EXPECT_EQ(g.SetSheetNumber(1), 1);
}
