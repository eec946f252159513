#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ug_test_grid.h"

using namespace gridmodel;
using ugtest::RecordingGrid;
using Cells = std::vector<std::pair<int, long>>;

namespace {
Cells Walk(CUGCtrl& g) {
  Cells out;
  int c;
  long r;
  for (int k = g.EnumFirstSelected(&c, &r); k == 0; k = g.EnumNextSelected(&c, &r)) out.emplace_back(c, r);
  return out;
}

void Click(CUGCtrl& g, int col, long row, int keyFlags = 0, int source = UG_MOVE_LBUTTON) {
  g.SetMoveSource(source, keyFlags);
  g.SetKeyState(keyFlags & UG_MK_SHIFT, keyFlags & UG_MK_CONTROL);
  g.GotoCell(col, row);
  g.SetKeyState(false, false);
  g.SetMoveSource(UG_MOVE_KEYS, 0);
}
}  // namespace

TEST(UGHitTest, PointsFindCellsThroughLockedColumnsAndJoins) {
  RecordingGrid g;
  g.Build(10, 100);  // both bars: a 384 x 184 cell area
  ASSERT_EQ(g.Sheet().gridWidth, 384);
  ASSERT_EQ(g.Sheet().gridHeight, 184);
  int col;
  long row;
  EXPECT_EQ(g.GetCellFromPoint(384, 0, &col, &row), 0);  // on the right edge
  EXPECT_EQ(col, 5);
  EXPECT_EQ(g.GetCellFromPoint(385, 0, &col, &row), 1);
  EXPECT_EQ(g.GetCellFromPoint(-1, 0, &col, &row), 1);

  g.SetLockedColCount(2);
  g.SetLeftCol(5);
  EXPECT_EQ(g.GetCellFromPoint(151, 5, &col, &row), 0);
  EXPECT_EQ(col, 5);
  g.SetLeftCol(2);

  ASSERT_EQ(g.JoinCells(1, 1, 3, 2), 0);
  UGRect rect;
  EXPECT_EQ(g.GetCellFromPoint(200, 45, &col, &row, &rect), 0);
  EXPECT_EQ(std::make_pair(col, row), std::make_pair(1, 1L));
  EXPECT_EQ(rect, (UGRect{75, 20, 300, 60}));
  g.EnableJoins(false);
  EXPECT_EQ(g.GetCellFromPoint(200, 45, &col, &row), 0);
  EXPECT_EQ(std::make_pair(col, row), std::make_pair(2, 2L));
  EXPECT_EQ(g.UnjoinCells(2, 2), 0);  // joins off: nothing undone
  g.EnableJoins(true);
  int ec;
  long er;
  col = 3;
  row = 2;
  EXPECT_EQ(g.GetJoinRange(&col, &row, &ec, &er), 0);
  EXPECT_EQ(ec, 3);
  EXPECT_EQ(er, 2);
  EXPECT_EQ(g.UnjoinCells(2, 2), 0);
  EXPECT_EQ(g.GetJoinRange(&col, &row, &ec, &er), 2);
  EXPECT_EQ(g.JoinCells(3, 1, 1, 2), 1);
  EXPECT_EQ(g.JoinCells(0, 0, 10, 0), 1);
}

TEST(UGSelection, ClicksBuildBlocks) {
  RecordingGrid g;
  g.Build(6, 20);
  g.SetMultiSelectMode(1);
  CUGMultiSelect& ms = *g.GetMultiSelect();

  Click(g, 1, 1);
  EXPECT_EQ(ms.GetBlockCount(), 1);
  Click(g, 3, 3, UG_MK_CONTROL);
  EXPECT_EQ(ms.GetBlockCount(), 2);
  Click(g, 4, 5, UG_MK_SHIFT);  // extends the latest block from its anchor
  EXPECT_EQ(ms.GetBlockCount(), 2);
  int sc, ec;
  long sr, er;
  ms.GetLatestBlock(&sc, &sr, &ec, &er);
  EXPECT_EQ((std::vector<long>{sc, sr, ec, er}), (std::vector<long>{3, 3, 4, 5}));
  EXPECT_EQ(g.GetCurrentCol(), 3);  // the current cell stays on the anchor
  EXPECT_EQ(g.GetCurrentRow(), 3);
  Click(g, 0, 0, UG_MK_CONTROL | UG_MK_SHIFT);
  EXPECT_EQ(ms.GetBlockCount(), 3);

  // A right click inside keeps the selection; outside it replaces it.
  Click(g, 4, 4, 0, UG_MOVE_RBUTTON);
  EXPECT_EQ(ms.GetBlockCount(), 3);
  Click(g, 5, 10, 0, UG_MOVE_RBUTTON);
  EXPECT_EQ(ms.GetBlockCount(), 1);

  g.CellAreaHints().ClearAll();
  Click(g, 2, 2);
  EXPECT_EQ(ms.GetBlockCount(), 1);
  EXPECT_TRUE(g.CellAreaHints().ContainsCell(5, 10));  // the old selection is redrawn
  EXPECT_EQ(g.Only("SelectionChanged").back(), "SelectionChanged 1");
}

TEST(UGSelection, DraggingBackOntoTheClickedCell) {
  RecordingGrid g;
  g.Build(6, 20);
  g.SetMultiSelectMode(1);
  CUGMultiSelect& ms = *g.GetMultiSelect();
  int sc, ec;
  long sr, er;
  for (int flags : {0, int(UG_MK_CONTROL)}) {
    ms.ClearBlocks();
    ms.OnLeftClickCell(2, 2, flags);
    ms.OnDragToCell(4, 4, 0);
    ms.OnDragToCell(2, 2, 0);
    ms.GetLatestBlock(&sc, &sr, &ec, &er);
    // the last left-clicked cell is forgotten by a plain click's clearing only
    EXPECT_EQ(ec, flags ? 4 : 2) << flags;
  }
  EXPECT_EQ(CUGMultiSelect().ExtendBlock(1, 1), 1);
}

TEST(UGSelection, WalksSkipDeselectedCellsAndReportOverlapsOnce) {
  RecordingGrid g;
  g.Build(6, 20);
  g.SetMultiSelectMode(1);
  CUGMultiSelect& ms = *g.GetMultiSelect();
  int block = 77;
  EXPECT_EQ(ms.IsCellSelected(0, 0, &block), 0);
  EXPECT_EQ(block, 77);  // no blocks: the index is not written
  EXPECT_EQ(Walk(g), (Cells{{0, 0}}));

  ms.BeginBlock(0, 0);
  ms.ExtendBlock(1, 1);
  ms.BeginBlock(1, 1);
  ms.ExtendBlock(2, 1);
  EXPECT_EQ(Walk(g), (Cells{{0, 0}, {1, 0}, {0, 1}, {1, 1}, {2, 1}}));
  int sc, ec;
  long sr, er;
  int blocks = 0;
  for (int k = g.EnumFirstBlock(&sc, &sr, &ec, &er); k == 0; k = g.EnumNextBlock(&sc, &sr, &ec, &er)) ++blocks;
  EXPECT_EQ(blocks, 2);

  ms.FlipCellSelection(1, 0);
  EXPECT_EQ(ms.GetBlockCount(), 3);
  EXPECT_EQ(g.IsCellSelected(1, 0, &block), 0);
  EXPECT_EQ(block, 2);
  EXPECT_EQ(Walk(g), (Cells{{0, 0}, {0, 1}, {1, 1}, {2, 1}}));
  ms.FlipCellSelection(1, 0);
  EXPECT_EQ(ms.GetBlockCount(), 3);
  EXPECT_EQ(g.IsCellSelected(1, 0), 1);

  // With the first-block rule the oldest containing block decides.
  ms.SetSelectionMode(UG_MULTISELECT_CELL | UG_MULTISELECT_NODUPS);
  ms.BeginBlock(0, 0);
  ms.ExtendBlock(1, 0);
  ms.FlipCellSelection(1, 0);
  EXPECT_EQ(ms.IsCellSelected(1, 0), 1);
}

TEST(UGSelection, WholeRowsSpanEveryColumn) {
  RecordingGrid g;
  g.Build(4, 20);
  g.SetRowHighlight(true, false);
  g.SetMultiSelectMode(1);
  CUGMultiSelect& ms = *g.GetMultiSelect();
  EXPECT_EQ(ms.GetSelectionMode(), UG_MULTISELECT_ROW);
  Click(g, 2, 3);
  Click(g, 1, 5, UG_MK_CONTROL);
  int sc, ec;
  long sr, er;
  ms.GetLatestBlock(&sc, &sr, &ec, &er);
  EXPECT_EQ(sc, 0);
  EXPECT_EQ(ec, 4);  // the column count
  EXPECT_EQ(Walk(g), (Cells{{0, 3}, {0, 5}}));
  EXPECT_EQ(g.SetCurrentCellStyle(4), 1);
  EXPECT_EQ(g.SetCurrentCellStyle(3), 0);
}
