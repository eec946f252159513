#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ug_test_grid.h"

using namespace gridmodel;
using ugtest::RecordingGrid;
using Log = std::vector<std::string>;

TEST(UGNavigation, AScrollingMoveNotifiesInOrder) {
  RecordingGrid g;
  g.Build(5, 100);  // ten rows of 20 pixels in view
  ASSERT_EQ(g.GetCurrentCol(), 0);
  ASSERT_EQ(g.GetCurrentRow(), 0);
  ASSERT_EQ(g.GetBottomRow(), 10);

  EXPECT_EQ(g.GotoCell(2, 50), 0);
  EXPECT_EQ(g.log, (Log{"AllowCellMove 0,0->2,50", "AllowViewMove", "ColChanged 0->2", "RowChanged 0->50", "CellChanged",
                        "TopRowChanged 0->41"}));
  EXPECT_EQ(g.GetTopRow(), 41);

  g.log.clear();
  EXPECT_EQ(g.GotoCell(2, 50), 0);  // already the target: nothing at all
  EXPECT_TRUE(g.log.empty());
  g.GotoCell(3, 45);  // in view: no view veto asked
  EXPECT_EQ(g.log, (Log{"AllowCellMove 2,50->3,45", "ColChanged 2->3", "RowChanged 50->45", "CellChanged"}));
}

TEST(UGNavigation, VetoesAndBadCellsChangeNothing) {
  RecordingGrid g;
  g.Build(5, 100);
  struct Case {
    bool allowCell, allowView;
    int col;
    long row;
    int result;
    Log log;
  };
  const Case cases[] = {
      {false, true, 1, 1, 2, {"AllowCellMove 0,0->1,1"}},
      {true, false, 1, 60, 2, {"AllowCellMove 0,0->1,60", "AllowViewMove"}},
      {true, true, -1, 0, 1, {}},
      {true, true, 5, 0, 1, {}},
      {true, true, 0, 100, 1, {}},
  };
  for (const Case& k : cases) {
    g.log.clear();
    g.allowCellMove = k.allowCell;
    g.allowViewMove = k.allowView;
    EXPECT_EQ(g.GotoCell(k.col, k.row), k.result) << k.col << "," << k.row;
    EXPECT_EQ(g.log, k.log) << k.col << "," << k.row;
    EXPECT_EQ(g.GetCurrentCol(), 0);
    EXPECT_EQ(g.GetCurrentRow(), 0);
    EXPECT_EQ(g.GetTopRow(), 0);
  }
}

TEST(UGNavigation, AnEmptyGridRefusesMoves) {
  RecordingGrid g;
  g.Build(3, 0);
  // What Tab does in the record editors: next row, first column.
  EXPECT_EQ(g.GotoCell(0, g.GetCurrentRow() + 1), 1);
  EXPECT_EQ(g.GotoRow(0), 1);
  EXPECT_EQ(g.GetCurrentRow(), -1);
  EXPECT_EQ(g.Only("RowChanged"), Log{});
}

TEST(UGNavigation, RowMovesResolveAgainstTheEnds) {
  RecordingGrid g;
  g.Build(5, 100);
  EXPECT_EQ(g.GotoRow(150), 0);
  EXPECT_EQ(g.Only("PastLastRow"), Log{"PastLastRow 100,51,0"});
  EXPECT_EQ(g.GetCurrentRow(), 99);
  EXPECT_EQ(g.GotoRow(150), 1);  // already on the last row

  g.GotoRow(0);
  EXPECT_EQ(g.MoveCurrentRow(UG_PAGEDOWN), 0);
  EXPECT_EQ(g.GetCurrentRow(), 9);
  EXPECT_EQ(g.MoveCurrentRow(UG_BOTTOM), 0);
  EXPECT_EQ(g.GetCurrentRow(), 99);
  EXPECT_EQ(g.GetTopRow(), 90);
  g.log.clear();
  EXPECT_EQ(g.MoveCurrentRow(6), 0);
  EXPECT_TRUE(g.log.empty());
  EXPECT_EQ(g.MoveCurrentCol(UG_RIGHT), 0);
  EXPECT_EQ(g.GetCurrentCol(), 4);
}

TEST(UGNavigation, TopRowClampsToLockedRows) {
  RecordingGrid g;
  g.Build(5, 100);
  EXPECT_EQ(g.SetLockedRowCount(2), 0);
  EXPECT_EQ(g.SetTopRow(-5), 0);
  EXPECT_EQ(g.GetTopRow(), 2);
  EXPECT_EQ(g.SetTopRow(500), 0);
  EXPECT_EQ(g.GetTopRow(), 92);  // 2 locked rows + 8 scrolling rows fill the view
  EXPECT_EQ(g.SetLockedRowCount(101), 1);
}

TEST(UGNavigation, JoinedRowsAreSteppedOverAsOne) {
  RecordingGrid g;
  g.Build(5, 20);
  ASSERT_EQ(g.JoinCells(1, 4, 1, 6), 0);
  g.GotoCell(1, 3);
  EXPECT_EQ(g.GotoRow(5), 0);
  EXPECT_EQ(g.GetCurrentRow(), 4);  // into the join: its first row
  EXPECT_EQ(g.GotoRow(5), 0);
  EXPECT_EQ(g.GetCurrentRow(), 7);  // out of it: the row after
  EXPECT_EQ(g.GotoCell(1, 6), 0);
  EXPECT_EQ(g.GetCurrentRow(), 4);
}

TEST(UGNavigation, ShrinkingColumnsReportsTheColumnOnTheNextMove) {
  RecordingGrid g;
  g.Build(5, 10);
  g.GotoCell(4, 0);
  EXPECT_EQ(g.SetColCount(3), 0);
  EXPECT_EQ(g.GetCurrentCol(), 2);
  g.log.clear();
  g.GotoRow(1);
  EXPECT_EQ(g.Only("ColChanged"), Log{"ColChanged 4->2"});
}

TEST(UGNavigation, RowCountKeepsCurrentAndLockedRowsInside) {
  RecordingGrid g;
  g.Build(3, 10);
  g.SetLockedRowCount(3);
  g.GotoRow(8);
  EXPECT_EQ(g.SetRowCount(5), 0);
  EXPECT_EQ(g.GetCurrentRow(), 4);
  EXPECT_EQ(g.SetRowCount(0), 0);
  EXPECT_EQ(g.GetCurrentRow(), -1);
  EXPECT_EQ(g.Sheet().numLockRows, 0);
  EXPECT_EQ(g.Sheet().lockRowHeight, 0);
  EXPECT_EQ(g.Sheet().dragRow, -1);
}
