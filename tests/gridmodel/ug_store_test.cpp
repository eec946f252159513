#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ug_test_grid.h"

using namespace gridmodel;
using ugtest::RecordingGrid;

namespace {
std::vector<std::string> Column(CUGCtrl& g, int col) {
  std::vector<std::string> out;
  for (long r = 0; r < g.GetRowCount(); ++r) out.push_back(g.GetCellText(col, r));
  return out;
}
}  // namespace

TEST(UGMem, UnwrittenCellsLeaveTheCallersCellAndHeadingRowsStayPut) {
  CUGMem mem;
  CUGCell cell;
  cell.SetText("mine");
  EXPECT_EQ(mem.GetCell(0, 0, &cell), 1);
  EXPECT_STREQ(cell.GetText(), "mine");

  CUGCell heading;
  heading.SetText("Head");
  EXPECT_EQ(mem.SetCell(0, -1, &heading), 0);
  EXPECT_EQ(mem.StoredRowCount(), 1);  // row 0 exists, empty
  EXPECT_EQ(mem.GetCell(0, 0, &cell), 1);

  CUGCell c;
  for (long r = 2; r >= 0; --r) {
    c.SetNumber(static_cast<double>(r));
    mem.SetCell(0, 2 - r, &c);
  }
  EXPECT_EQ(mem.SortByColumn(0, 0), 0);
  CUGCell out;
  mem.GetCell(0, -1, &out);
  EXPECT_STREQ(out.GetText(), "Head");
  mem.GetCell(0, 0, &out);
  EXPECT_EQ(out.GetNumber(), 0.0);
  EXPECT_EQ(CUGMem().SortByColumn(0, 0), 1);
}

TEST(UGMem, WritingReplacesTheStoredFlags) {
  CUGMem mem;
  CUGCell coloured;
  coloured.SetBackColor(Colour::Rgb(9, 9, 9));
  mem.SetCell(1, 1, &coloured);
  CUGCell plain;
  plain.SetPropertyFlags(0);
  plain.SetText("t");
  mem.SetCell(1, 1, &plain);
  EXPECT_FALSE(mem.StoredCell(1, 1)->HasProperty(UGCELL_BACKCOLOR_SET));
  EXPECT_EQ(mem.DeleteCell(1, 1), 0);
  EXPECT_EQ(mem.StoredCell(1, 1), nullptr);
  EXPECT_EQ(mem.DeleteCell(7, 1), 1);
}

TEST(UGMem, InsertAndDeleteRowsThroughTheGrid) {
  RecordingGrid g;
  g.Build(2, 3);
  g.SetCellText(0, 0, "a");
  g.SetCellText(0, 1, "b");
  // Rows past the last stored one insert too.
  EXPECT_EQ(g.InsertRow(3), 0);
  EXPECT_EQ(g.GetRowCount(), 4);
  EXPECT_EQ(g.InsertRow(5), 1);
  EXPECT_EQ(g.InsertRow(1), 0);
  EXPECT_EQ(Column(g, 0), (std::vector<std::string>{"a", "", "b", "", ""}));
  EXPECT_EQ(g.DeleteRow(0), 0);
  EXPECT_EQ(g.DeleteRow(4), 1);
  EXPECT_EQ(Column(g, 0), (std::vector<std::string>{"", "b", "", ""}));
  EXPECT_EQ(g.AppendRow(), 0);
  EXPECT_EQ(g.GetRowCount(), 5);
}

TEST(UGMem, InsertAndDeleteColumnsShiftCellsAndTheColumnMap) {
  RecordingGrid g;
  g.Build(3, 1);
  g.SetCellText(0, 0, "x");
  g.SetCellText(1, 0, "y");
  g.SetCellText(2, 0, "z");
  g.SetColWidth(1, 33);
  EXPECT_EQ(g.InsertCol(1), 0);
  EXPECT_EQ(g.GetColCount(), 4);
  EXPECT_EQ(g.GetCellText(1, 0), "");
  EXPECT_EQ(g.GetCellText(2, 0), "y");
  EXPECT_EQ(g.GetColWidth(2), 33);
  EXPECT_EQ(g.GetDataSourceCol(3), 3);
  EXPECT_EQ(g.DeleteCol(0), 0);
  EXPECT_EQ(g.GetCellText(0, 0), "");
  EXPECT_EQ(g.GetCellText(1, 0), "y");
  EXPECT_EQ(g.GetCellText(2, 0), "z");
  EXPECT_EQ(g.InsertCol(7), 1);
}

TEST(UGMem, SortIsStableMultiKeyWithEmptyCellsLast) {
  RecordingGrid g;
  g.Build(3, 6);
  // year, month, label: rows 0..5
  const int years[] = {2001, 2000, 2001, 2000, 0, 2000};
  const int months[] = {2, 5, 1, 5, 1, 3};
  const char* labels[] = {"a", "b", "c", "d", "e", "f"};
  for (long r = 0; r < 6; ++r) {
    if (years[r]) g.SetCellNumber(0, r, years[r]);  // row 4 has no year
    g.SetCellNumber(1, r, months[r]);
    g.SetCellText(2, r, labels[r]);
  }
  int one[] = {0};
  EXPECT_EQ(g.SortBy(one, 1), 0);
  // numbers compare as numbers; the empty cell is text and sorts last; ties keep order
  EXPECT_EQ(Column(g, 2), (std::vector<std::string>{"b", "d", "f", "a", "c", "e"}));
  int two[] = {0, 1};
  g.SortBy(two, 2);
  EXPECT_EQ(Column(g, 2), (std::vector<std::string>{"f", "b", "d", "c", "a", "e"}));
  int desc[] = {1};
  g.SortBy(desc, 1, UG_SORT_DESCENDING);
  EXPECT_EQ(Column(g, 2), (std::vector<std::string>{"b", "d", "f", "a", "c", "e"}));
}

TEST(UGMem, CompareCellsOrder) {
  CUGCell n10, n2, t10, t2;
  n10.SetNumber(10);
  n2.SetNumber(2);
  t10.SetText("10");
  t2.SetText("2");
  EXPECT_EQ(CUGCtrl::CompareCellsDefault(&n10, &n2, UG_SORT_DESCENDING), -1);  // 10 first
  EXPECT_EQ(CUGCtrl::CompareCellsDefault(&t10, &t2, UG_SORT_DESCENDING), 1);   // text: "10" < "2"
  EXPECT_EQ(CUGCtrl::CompareCellsDefault(nullptr, &n2, 0), 1);
  EXPECT_EQ(CUGCtrl::CompareCellsDefault(nullptr, &n2, UG_SORT_DESCENDING), 1);
  EXPECT_EQ(CUGCtrl::CompareCellsDefault(&n2, nullptr, 0), -1);
}

TEST(UGMem, FindFlagsAndWrapping) {
  RecordingGrid g;
  g.Build(2, 4);
  g.SetCellText(0, 0, "abc");
  g.SetCellText(0, 2, "xABCx");
  g.SetCellText(1, 1, "abc");
  g.SetCellNumber(1, 3, 1234.5);
  struct Case {
    long flags;
    int col;
    long row;
    int foundCol;
    long foundRow;
    const char* text;
  };
  const Case cases[] = {
      {UG_FIND_PARTIAL | UG_FIND_CASEINSENSITIVE, 0, 0, 0, 2, "abc"},
      {0, 0, 0, 0, 0, "abc"},  // only exact text; wraps back to row 0
      {UG_FIND_UP, 0, 0, 0, 0, "abc"},
      {UG_FIND_ALLCOLUMNS, 0, 0, 1, 1, "abc"},
      {UG_FIND_ALLCOLUMNS | UG_FIND_UP, 0, 2, 1, 1, "abc"},
      {UG_FIND_ALLCOLUMNS, 0, 0, 1, 3, "1,234.5"},  // the shown text of a number
  };
  for (const Case& k : cases) {
    std::string text = k.text;
    int col = k.col;
    long row = k.row;
    EXPECT_EQ(g.GetDefaultDataSource(), 0);
    ASSERT_EQ(g.GetDataSource(0)->FindNext(&text, &col, &row, k.flags), 0) << k.flags;
    EXPECT_EQ(col, k.foundCol) << k.flags << " " << k.text;
    EXPECT_EQ(row, k.foundRow) << k.flags << " " << k.text;
  }
  std::string none = "zzz";
  int col = 0;
  long row = 0;
  EXPECT_EQ(g.FindFirst(&none, &col, &row, UG_FIND_PARTIAL), 1);
}
