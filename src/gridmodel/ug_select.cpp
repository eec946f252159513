#include <algorithm>

#include "gridmodel/ug_ctrl.h"

namespace gridmodel {

namespace {
// Position of a column's (row's) leading edge in the cell area: locked ones from 0, then the
// scrolling ones from the first in view; one scrolled out before the view sits at the
// locked edge.
template <class SizeOf>
long long Edge(long index, long locked, long first, int lockedSize, SizeOf size) {
  long long pos = 0;
  if (index < locked) {
    for (long i = 0; i < index; ++i) pos += size(i);
    return pos;
  }
  if (index < first) return lockedSize;
  pos = lockedSize;
  for (long i = first; i < index; ++i) pos += size(i);
  return pos;
}
}  // namespace

bool CUGCtrl::JoinRangeOf(int col, long row, int* startCol, long* startRow, int* endCol, long* endRow) {
  CUGCell cell;
  GetCell(col, row, &cell);
  bool origin;
  int jc;
  long jr;
  if (cell.GetJoinSpan(&origin, &jc, &jr) != 0) return false;
  if (origin) {
    *startCol = col;
    *startRow = row;
    *endCol = col + jc;
    *endRow = row + jr;
    return true;
  }
  *startCol = col + jc;
  *startRow = row + jr;
  CUGCell first;
  GetCell(*startCol, *startRow, &first);
  if (first.GetJoinSpan(&origin, &jc, &jr) != 0 || !origin) {
    *endCol = col;
    *endRow = row;
    return true;
  }
  *endCol = *startCol + jc;
  *endRow = *startRow + jr;
  return true;
}

int CUGCtrl::GetCellFromPoint(int x, int y, int* col, long* row, UGRect* rect) {
  CUGGridInfo& g = *gi_;
  if (x < 0 || x > g.gridWidth || y < 0 || y > g.gridHeight) return 1;
  int c = -1;
  long long sum = 0;
  for (int i = 0; i < g.numberCols;) {
    sum += g.columns[i].width;
    if (sum > x) {
      c = i;
      break;
    }
    ++i;
    if (i == g.numLockCols && g.leftCol > i) i = g.leftCol;
  }
  long r = -1;
  sum = 0;
  for (long i = 0; i < g.numberRows;) {
    sum += GetRowHeight(i);
    if (sum > y) {
      r = i;
      break;
    }
    ++i;
    if (i == g.numLockRows && g.topRow > i) i = g.topRow;
  }
  if (c < 0 || r < 0) return 1;
  UGRect tmp;
  GetCellRect(&c, &r, rect ? rect : &tmp);
  *col = c;
  *row = r;
  return 0;
}

int CUGCtrl::GetCellFromPointUnjoined(int x, int y, int* col, long* row) {
  const bool joins = gi_->enableJoins;
  gi_->enableJoins = false;
  int r = GetCellFromPoint(x, y, col, row);
  gi_->enableJoins = joins;
  return r;
}

int CUGCtrl::GetCellRect(int col, long row, UGRect* rect) { return GetCellRect(&col, &row, rect); }

int CUGCtrl::GetCellRect(int* col, long* row, UGRect* rect) {
  CUGGridInfo& g = *gi_;
  auto colW = [&](long c) { return c >= 0 && c < g.numberCols ? g.columns[c].width : 0; };
  auto rowH = [&](long r) { return static_cast<int>(GetRowHeight(r)); };
  int sc = *col, ec = *col;
  long sr = *row, er = *row;
  if (*col < 0 || *row < 0) {
    // Heading cells, in their heading's own coordinates.
    if (*col < 0) {
      const int n = static_cast<int>(g.sideHdgWidths.size());
      int left = 0;
      for (int c = -n; c < *col; ++c) left += g.sideHdgWidths[-c - 1];
      rect->left = left;
      rect->right = left + (-*col - 1 < n ? g.sideHdgWidths[-*col - 1] : 0);
    } else {
      rect->left = static_cast<int>(Edge(*col, g.numLockCols, g.leftCol, g.lockColWidth, colW));
      rect->right = rect->left + colW(*col);
    }
    if (*row < 0) {
      const int n = static_cast<int>(g.topHdgHeights.size());
      int top = 0;
      for (int r = -n; r < *row; ++r) top += g.topHdgHeights[-r - 1];
      rect->top = top;
      rect->bottom = top + (-*row - 1 < n ? g.topHdgHeights[-*row - 1] : 0);
    } else {
      rect->top = static_cast<int>(Edge(*row, g.numLockRows, g.topRow, g.lockRowHeight, rowH));
      rect->bottom = rect->top + rowH(*row);
    }
    return 0;
  }
  if (g.enableJoins && JoinRangeOf(*col, *row, &sc, &sr, &ec, &er)) {
    *col = sc;
    *row = sr;
  }
  auto right = [&](long c) {
    if (c >= g.numLockCols && c < g.leftCol) return static_cast<long long>(g.lockColWidth);
    return Edge(c, g.numLockCols, g.leftCol, g.lockColWidth, colW) + colW(c);
  };
  auto bottom = [&](long r) {
    if (r >= g.numLockRows && r < g.topRow) return static_cast<long long>(g.lockRowHeight);
    return Edge(r, g.numLockRows, g.topRow, g.lockRowHeight, rowH) + rowH(r);
  };
  rect->left = static_cast<int>(Edge(sc, g.numLockCols, g.leftCol, g.lockColWidth, colW));
  rect->right = static_cast<int>(right(ec));
  rect->top = static_cast<int>(Edge(sr, g.numLockRows, g.topRow, g.lockRowHeight, rowH));
  rect->bottom = static_cast<int>(bottom(er));
  return 0;
}

int CUGCtrl::GetRangeRect(int startCol, long startRow, int endCol, long endRow, UGRect* rect) {
  CUGGridInfo& g = *gi_;
  auto colW = [&](long c) { return c >= 0 && c < g.numberCols ? g.columns[c].width : 0; };
  auto rowH = [&](long r) { return static_cast<int>(GetRowHeight(r)); };
  *rect = {-10, -10, g.gridWidth + 10, g.gridHeight + 10};
  auto inViewCol = [&](long c) { return c < g.numLockCols || c >= g.leftCol; };
  auto inViewRow = [&](long r) { return r < g.numLockRows || r >= g.topRow; };
  if (inViewCol(startCol)) {
    long long x = Edge(startCol, g.numLockCols, g.leftCol, g.lockColWidth, colW);
    if (x <= g.gridWidth) rect->left = static_cast<int>(x);
  }
  if (inViewCol(endCol)) {
    long long x = Edge(endCol, g.numLockCols, g.leftCol, g.lockColWidth, colW) + colW(endCol);
    if (x <= g.gridWidth) rect->right = static_cast<int>(x);
  }
  if (inViewRow(startRow)) {
    long long y = Edge(startRow, g.numLockRows, g.topRow, g.lockRowHeight, rowH);
    if (y <= g.gridHeight) rect->top = static_cast<int>(y);
  }
  if (inViewRow(endRow)) {
    long long y = Edge(endRow, g.numLockRows, g.topRow, g.lockRowHeight, rowH) + rowH(endRow);
    if (y <= g.gridHeight) rect->bottom = static_cast<int>(y);
  }
  return 0;
}

int CUGCtrl::GetJoinStartCell(int* col, long* row) {
  CUGCell cell;
  return GetJoinStartCell(col, row, &cell);
}

int CUGCtrl::GetJoinStartCell(int* col, long* row, CUGCell* cell) {
  if (!gi_->enableJoins) return 1;
  int sc, ec;
  long sr, er;
  if (!JoinRangeOf(*col, *row, &sc, &sr, &ec, &er)) {
    GetCell(*col, *row, cell);
    return 2;
  }
  *col = sc;
  *row = sr;
  GetCell(sc, sr, cell);
  return 0;
}

int CUGCtrl::GetJoinRange(int* col, long* row, int* endCol, long* endRow) {
  if (!gi_->enableJoins) return 1;
  int sc, ec;
  long sr, er;
  if (!JoinRangeOf(*col, *row, &sc, &sr, &ec, &er)) return 2;
  *col = sc;
  *row = sr;
  *endCol = ec;
  *endRow = er;
  return 0;
}

int CUGCtrl::JoinCells(int startCol, long startRow, int endCol, long endRow) {
  CUGGridInfo& g = *gi_;
  if (endCol < startCol || endRow < startRow) return 1;
  if (endCol >= g.numberCols || endRow >= g.numberRows) return 1;
  if (startCol < -static_cast<int>(g.sideHdgWidths.size()) || startRow < -static_cast<long>(g.topHdgHeights.size()))
    return 1;
  for (long r = startRow; r <= endRow; ++r)
    for (int c = startCol; c <= endCol; ++c) {
      CUGCell cell;
      GetStoredCell(c, r, &cell);
      cell.SetJoinSpan(false, startCol - c, startRow - r);
      SetCell(c, r, &cell);
    }
  CUGCell first;
  GetStoredCell(startCol, startRow, &first);
  first.SetJoinSpan(true, endCol - startCol, endRow - startRow);
  SetCell(startCol, startRow, &first);
  return 0;
}

int CUGCtrl::UnjoinCells(int col, long row) {
  if (!gi_->enableJoins) return 0;
  int sc, ec;
  long sr, er;
  if (!JoinRangeOf(col, row, &sc, &sr, &ec, &er)) return 0;
  for (long r = sr; r <= er; ++r)
    for (int c = sc; c <= ec; ++c) {
      CUGCell cell;
      GetStoredCell(c, r, &cell);
      cell.ClearPropertyFlag(UGCELL_JOIN_SET);
      SetCell(c, r, &cell);
    }
  return 0;
}

int CUGCtrl::SetCurrentCellStyle(int mode) {
  if (mode < 0 || mode > 3) return 1;
  gi_->currentCellMode = mode;
  return 0;
}

int CUGCtrl::SetRowHighlight(bool on, bool toWindowEdge) {
  CUGMultiSelect& ms = *gi_->multiSelect;
  int mode = ms.GetSelectionMode();
  if (on) {
    gi_->highlightRow = true;
    gi_->highlightRowToEdge = toWindowEdge;
    mode = (mode & ~UG_MULTISELECT_CELL) | UG_MULTISELECT_ROW;
  } else {
    gi_->highlightRow = false;
    mode = (mode & ~UG_MULTISELECT_ROW) | UG_MULTISELECT_CELL;
  }
  ms.SetSelectionMode(mode);
  return 0;
}

int CUGCtrl::SetMultiSelectMode(int mode) {
  gi_->multiSelectFlag = mode;
  if (mode == 0)
    gi_->multiSelect->SetSelectionMode(0);
  else
    gi_->multiSelect->SetSelectionMode(gi_->highlightRow ? UG_MULTISELECT_ROW : UG_MULTISELECT_CELL);
  return 0;
}

int CUGCtrl::ClearSelection() {
  gi_->multiSelect->ClearBlocks();
  gi_->dragCol = gi_->currentCol;
  gi_->dragRow = gi_->currentRow;
  return 0;
}

int CUGCtrl::ClearCurrentCell() {
  CUGGridInfo& g = *gi_;
  g.multiSelect->ClearBlocks();
  g.currentCol = g.lastCol = g.dragCol = -1;
  g.currentRow = g.lastRow = g.dragRow = -1;
  return 0;
}

int CUGCtrl::SelectCell(int col, long row) {
  gi_->multiSelect->BeginBlock(col, row);
  gi_->multiSelect->ExtendBlock(col, row);
  RedrawCell(col, row);
  return 0;
}

int CUGCtrl::SelectRange(int startCol, long startRow, int endCol, long endRow) {
  const int mode = gi_->multiSelect->GetSelectionMode();
  if (mode & (UG_MULTISELECT_CELL | UG_MULTISELECT_ROW)) {
    gi_->multiSelect->BeginBlock(startCol, startRow);
    gi_->multiSelect->ExtendBlock(endCol, endRow);
  }
  gi_->dragCol = endCol;
  gi_->dragRow = endRow;
  RedrawRange(startCol, startRow, endCol, endRow);
  return 0;
}

int CUGCtrl::IsCellSelected(int col, long row, int* block) const {
  return gi_->multiSelect->IsCellSelected(col, row, block);
}
int CUGCtrl::EnumFirstSelected(int* col, long* row) { return gi_->multiSelect->FirstSelectedCell(col, row); }
int CUGCtrl::EnumNextSelected(int* col, long* row) { return gi_->multiSelect->NextSelectedCell(col, row); }
int CUGCtrl::EnumFirstBlock(int* startCol, long* startRow, int* endCol, long* endRow) {
  return gi_->multiSelect->FirstBlock(startCol, startRow, endCol, endRow);
}
int CUGCtrl::EnumNextBlock(int* startCol, long* startRow, int* endCol, long* endRow) {
  return gi_->multiSelect->NextBlock(startCol, startRow, endCol, endRow);
}

}  // namespace gridmodel
