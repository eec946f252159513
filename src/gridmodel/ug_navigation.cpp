#include <algorithm>

#include "gridmodel/ug_ctrl.h"

namespace gridmodel {

int CUGCtrl::AvailHeight() const { return gi_->gridHeight - gi_->lockRowHeight; }
int CUGCtrl::AvailWidth() const { return gi_->gridWidth - gi_->lockColWidth; }

void CUGCtrl::UpdateBottomRightInView() {
  CUGGridInfo& g = *gi_;
  // bottom row and right column: the first row (column) that is not wholly in view.
  long r = g.topRow;
  int h = g.lockRowHeight;
  while (r < g.numberRows && h + GetRowHeight(r) <= g.gridHeight) h += GetRowHeight(r++);
  g.bottomRow = r;
  int c = g.leftCol;
  int w = g.lockColWidth;
  while (c < g.numberCols && w + g.columns[c].width <= g.gridWidth) w += g.columns[c++].width;
  g.rightCol = c;
}

int CUGCtrl::AdjustTopRow() {
  CUGGridInfo& g = *gi_;
  const long oldMax = g.maxTopRow;
  const int avail = AvailHeight();
  long r = g.numberRows - 1;
  long long sum = 0;
  while (r >= g.numLockRows) {
    sum += GetRowHeight(r);
    if (sum > avail) break;
    --r;
  }
  long maxTop = r + 1;
  maxTop = std::min(maxTop, g.numberRows - 1);
  maxTop = std::max(maxTop, g.numLockRows);
  g.maxTopRow = maxTop;
  g.topRow = std::clamp(g.topRow, g.numLockRows, std::max(g.numLockRows, g.maxTopRow));
  UpdateBottomRightInView();
  if ((oldMax == 0) != (maxTop == 0) && g.paintMode) {
    static thread_local int depth = 0;
    if (depth == 0) {
      ++depth;
      ArrangeParts();
      --depth;
    }
  }
  return 0;
}

int CUGCtrl::AdjustLeftCol() {
  CUGGridInfo& g = *gi_;
  const int avail = AvailWidth();
  int c = g.numberCols - 1;
  long long sum = 0;
  while (c >= g.numLockCols) {
    sum += g.columns[c].width;
    if (sum > avail) break;
    --c;
  }
  int maxLeft = std::max(std::min(c + 1, g.numberCols - 1), g.numLockCols);
  g.maxLeftCol = maxLeft;
  g.leftCol = std::clamp(g.leftCol, g.numLockCols, std::max(g.numLockCols, g.maxLeftCol));
  UpdateBottomRightInView();
  return 0;
}

int CUGCtrl::ClampTopRow(long* row) const {
  *row = std::clamp(*row, gi_->numLockRows, std::max(gi_->numLockRows, gi_->maxTopRow));
  return 0;
}

int CUGCtrl::ClampLeftCol(int* col) const {
  *col = std::clamp(*col, gi_->numLockCols, std::max(gi_->numLockCols, gi_->maxLeftCol));
  return 0;
}

void CUGCtrl::ScrollTargetRowIntoView() {
  CUGGridInfo& g = *gi_;
  const long t = g.dragRow;
  if (t < g.topRow) {
    if (t >= g.numLockRows) g.topRow = t;
  } else if (t >= g.bottomRow) {
    const int avail = AvailHeight();
    long top = g.topRow;
    if (g.uniformRowHeight && g.defRowHeight > 0) {
      long cand = t - avail / g.defRowHeight + 1;
      if (cand > top) top = cand;
    } else {
      long r = t;
      long long sum = GetRowHeight(r);
      while (r - 1 >= std::max(g.topRow, g.numLockRows) && sum + GetRowHeight(r - 1) <= avail) sum += GetRowHeight(--r);
      top = std::max(top, r);
    }
    g.topRow = std::min(std::min(top, t), std::max(g.maxTopRow, g.numLockRows));
  }
  UpdateBottomRightInView();
}

void CUGCtrl::ScrollTargetColIntoView() {
  CUGGridInfo& g = *gi_;
  const int t = g.dragCol;
  if (t < g.leftCol) {
    if (t >= g.numLockCols) g.leftCol = t;
  } else if (t >= g.rightCol) {
    const int avail = AvailWidth();
    int c = t;
    long long sum = c >= 0 && c < g.numberCols ? g.columns[c].width : 0;
    while (c - 1 >= std::max(g.leftCol, g.numLockCols) && sum + g.columns[c - 1].width <= avail)
      sum += g.columns[--c].width;
    g.leftCol = std::min(std::max(g.leftCol, c), std::max(g.maxLeftCol, g.numLockCols));
  }
  UpdateBottomRightInView();
}

int CUGCtrl::GotoCell(int col, long row) {
  CUGGridInfo& g = *gi_;
  // Only cells of the grid can become current.
  if (col < 0 || col >= g.numberCols || row < 0 || row >= g.numberRows) return 1;
  if (col == g.dragCol && row == g.dragRow) {
    if (shiftDown_ && g.multiSelectFlag > 0) {
      g.multiSelect->OnLeftClickCell(col, row, g.moveFlags);
      UpdateAllParts();
    }
    return 0;
  }
  if (g.enableJoins) {
    int sc, ec;
    long sr, er;
    if (JoinRangeOf(col, row, &sc, &sr, &ec, &er)) {
      col = sc;
      row = sr;
    }
  }
  if (g.defDataSource->OnAllowCellMove(g.currentCol, g.currentRow, col, row) != 1) return 2;
  if (!OnAllowCellMove(g.currentCol, g.currentRow, col, row)) return 2;
  if (col < g.leftCol || col >= g.rightCol || row < g.topRow || row >= g.bottomRow) {
    if (col >= g.numLockCols || row >= g.numLockRows)
      if (!OnAllowViewMove(g.leftCol, g.topRow, col, row)) return 2;
  }
  g.dragCol = col;
  g.dragRow = row;
  ScrollTargetColIntoView();
  ScrollTargetRowIntoView();
  CompleteMove();
  return 0;
}

namespace {
// Where a move from `from` towards `to` lands when `to` lies in a join spanning first..last:
// into the join at its first row (column), out of it past its end.
long StepOverJoin(long from, long to, long first, long last, long count) {
  if (from >= to) return from >= first && from <= last && first >= 2 ? first - 1 : to;
  if (from < first) return first;
  if (from <= last && last + 1 < count) return last + 1;
  return to;
}
}  // namespace

void CUGCtrl::SyncCurrentToAnchor() {
  // A plain key move starts from where the selection was anchored.
  if (gi_->moveType != UG_MOVE_KEYS || shiftDown_ || ctrlDown_) return;
  int ac;
  long ar;
  if (gi_->multiSelect->GetAnchorCell(&ac, &ar) == 0) {
    gi_->currentCol = ac;
    gi_->currentRow = ar;
  }
}

int CUGCtrl::ResolveTargetRow(long* row) {
  CUGGridInfo& g = *gi_;
  if (*row >= g.numberRows) {
    long added = 0;
    const long past = *row - g.numberRows + 1;
    g.defDataSource->OnPastLastRow(g.numberRows, past, &added);
    OnPastLastRow(g.numberRows, past, added);
    *row = g.numberRows - 1;
    if (*row == g.dragRow) return 1;
  }
  if (*row < 0) *row = 0;
  if (g.enableJoins && g.dragCol >= 0) {
    int sc, ec;
    long sr, er;
    if (JoinRangeOf(g.dragCol, *row, &sc, &sr, &ec, &er)) *row = StepOverJoin(g.dragRow, *row, sr, er, g.numberRows);
  }
  return 0;
}

int CUGCtrl::ResolveTargetCol(int* col) {
  CUGGridInfo& g = *gi_;
  if (*col >= g.numberCols) {
    *col = g.numberCols - 1;
    if (*col == g.dragCol) return 1;
  }
  if (*col < 0) *col = 0;
  if (g.enableJoins && g.dragRow >= 0) {
    int sc, ec;
    long sr, er;
    if (JoinRangeOf(*col, g.dragRow, &sc, &sr, &ec, &er))
      *col = static_cast<int>(StepOverJoin(g.dragCol, *col, sc, ec, g.numberCols));
  }
  return 0;
}

int CUGCtrl::GotoRow(long row) {
  CUGGridInfo& g = *gi_;
  SyncCurrentToAnchor();
  if (row == g.dragRow) return 0;
  if (ResolveTargetRow(&row) != 0) return 1;
  if (row == g.dragRow) return 0;
  if (!OnAllowCellMove(g.dragCol, g.dragRow, g.dragCol, row)) return 2;
  if ((row < g.topRow || row >= g.bottomRow) && row >= g.numLockRows)
    if (!OnAllowViewMove(g.leftCol, g.topRow, g.leftCol, row)) return 2;
  g.dragRow = row;
  ScrollTargetRowIntoView();
  CompleteMove();
  return 0;
}

int CUGCtrl::GotoCol(int col) {
  CUGGridInfo& g = *gi_;
  SyncCurrentToAnchor();
  if (col == g.dragCol) return 0;
  if (ResolveTargetCol(&col) != 0) return 1;
  if (col == g.dragCol) return 0;
  if (g.defDataSource->OnAllowCellMove(g.dragCol, g.dragRow, col, g.dragRow) != 1) return 2;
  if (!OnAllowCellMove(g.dragCol, g.dragRow, col, g.dragRow)) return 2;
  if ((col < g.leftCol || col >= g.rightCol) && col >= g.numLockCols)
    if (!OnAllowViewMove(g.leftCol, g.topRow, col, g.topRow)) return 2;
  g.dragCol = col;
  ScrollTargetColIntoView();
  CompleteMove();
  return 0;
}

long CUGCtrl::PageRows(long from, bool down) const {
  const int dir = down ? 1 : -1;
  long rem = AvailHeight();
  long r = from;
  auto height = [&](long row) { return row >= 0 && row < gi_->numberRows ? GetRowHeight(row) : gi_->defRowHeight; };
  while (true) {
    long next = r + dir;
    if (next < 0) break;
    rem -= height(r);
    if (rem < height(next)) break;
    r = next;
  }
  return r;
}

int CUGCtrl::PageCols(int from, bool right) const {
  const int dir = right ? 1 : -1;
  long rem = AvailWidth();
  int c = from;
  while (true) {
    int next = c + dir;
    if (next < 0 || next >= gi_->numberCols || c < 0 || c >= gi_->numberCols) break;
    rem -= gi_->columns[c].width;
    if (rem < gi_->columns[next].width) break;
    c = next;
  }
  return c;
}

int CUGCtrl::MoveCurrentRow(int how) {
  CUGGridInfo& g = *gi_;
  switch (how) {
    case UG_LINEUP: return GotoRow(g.dragRow - 1);
    case UG_LINEDOWN: return GotoRow(g.dragRow + 1);
    case UG_PAGEUP: return GotoRow(PageRows(g.dragRow, false));
    case UG_PAGEDOWN: return GotoRow(PageRows(g.dragRow, true));
    case UG_TOP: return GotoRow(0);
    case UG_BOTTOM: return GotoRow(g.numberRows - 1);
    default: return 0;
  }
}

int CUGCtrl::MoveCurrentCol(int how) {
  CUGGridInfo& g = *gi_;
  switch (how) {
    case UG_COLLEFT: return GotoCol(g.dragCol - 1);
    case UG_COLRIGHT: return GotoCol(g.dragCol + 1);
    case UG_PAGELEFT: return GotoCol(PageCols(g.dragCol, false));
    case UG_PAGERIGHT: return GotoCol(PageCols(g.dragCol, true));
    case UG_LEFT: return GotoCol(0);
    case UG_RIGHT: return GotoCol(g.numberCols - 1);
    default: return 0;
  }
}

int CUGCtrl::SetTopRow(long row) {
  CUGGridInfo& g = *gi_;
  ClampTopRow(&row);
  if (!OnAllowViewMove(g.leftCol, g.topRow, g.leftCol, row)) return 2;
  g.topRow = row;
  UpdateBottomRightInView();
  CompleteMove();
  return 0;
}

int CUGCtrl::SetLeftCol(int col) {
  CUGGridInfo& g = *gi_;
  ClampLeftCol(&col);
  if (!OnAllowViewMove(g.leftCol, g.topRow, col, g.topRow)) return 2;
  if (col == g.leftCol) return 0;
  g.leftCol = col;
  UpdateBottomRightInView();
  CompleteMove();
  return 0;
}

int CUGCtrl::MoveTopRow(int how) {
  CUGGridInfo& g = *gi_;
  if (g.numberRows == 0) return 1;
  switch (how) {
    case UG_LINEUP: {
      long r = g.topRow - 1;
      while (r > 0 && GetRowHeight(r) == 0) --r;
      return SetTopRow(r);
    }
    case UG_LINEDOWN: {
      long r = g.topRow + 1;
      while (r < g.numberRows - 1 && GetRowHeight(r) == 0) ++r;
      return SetTopRow(r);
    }
    case UG_PAGEUP: return SetTopRow(PageRows(g.topRow, false));
    case UG_PAGEDOWN: return SetTopRow(PageRows(g.topRow, true));
    case UG_TOP: return SetTopRow(0);
    case UG_BOTTOM: return SetTopRow(g.numberRows - 1);
    default: return 0;
  }
}

int CUGCtrl::MoveLeftCol(int how) {
  CUGGridInfo& g = *gi_;
  if (g.numberCols == 0) return 1;
  switch (how) {
    case UG_COLLEFT: return SetLeftCol(g.leftCol - 1);
    case UG_COLRIGHT: return SetLeftCol(g.leftCol + 1);
    case UG_PAGELEFT: return SetLeftCol(PageCols(g.leftCol, false));
    case UG_PAGERIGHT: return SetLeftCol(PageCols(g.leftCol, true));
    case UG_LEFT: return SetLeftCol(0);
    case UG_RIGHT: return SetLeftCol(g.numberCols - 1);
    default: return 0;
  }
}

int CUGCtrl::SetVScrollMode(int mode) {
  gi_->vScrollMode = mode;
  UpdateAllParts();
  return 0;
}
int CUGCtrl::SetHScrollMode(int mode) {
  gi_->hScrollMode = mode;
  UpdateAllParts();
  return 0;
}
int CUGCtrl::SetDragScrollPower(int power) {
  if (power < 0 || power > 3) return 1;
  gi_->dragScrollPower = power;
  return 0;
}
int CUGCtrl::SetDragScrollDelay(int ms) {
  if (ms < 0 || ms > 32000) return 1;
  gi_->dragScrollDelay = ms;
  return 0;
}
int CUGCtrl::SetKeyRepeatAcceleration(int n) {
  if (n < 0 || n > 1000) return 1;
  gi_->keyRepeatAcceleration = n;
  return 0;
}
int CUGCtrl::SetKeyRepeatDelay(int ms) {
  if (ms < 0) return 1;
  gi_->keyRepeatDelay = ms;
  return 0;
}

void CUGCtrl::CompleteMove() {
  CUGGridInfo& g = *gi_;
  const long oldBottom = g.bottomRow;
  const int oldRight = g.rightCol;
  if (g.multiSelectFlag != 0 && !editInProgress_) {
    CUGMultiSelect& ms = *g.multiSelect;
    switch (g.moveType) {
      case UG_MOVE_KEYS: ms.OnNavigateToCell(g.dragCol, g.dragRow); break;
      case UG_MOVE_LBUTTON: ms.OnLeftClickCell(g.dragCol, g.dragRow, g.moveFlags); break;
      case UG_MOVE_RBUTTON: ms.OnRightClickCell(g.dragCol, g.dragRow, g.moveFlags); break;
      case UG_MOVE_DRAG: ms.OnDragToCell(g.dragCol, g.dragRow, g.moveFlags); break;
      default: break;
    }
    int ac;
    long ar;
    if (ms.GetAnchorCell(&ac, &ar) == 0) {
      g.currentCol = ac;
      g.currentRow = ar;
    }
  } else {
    g.currentCol = g.dragCol;
    g.currentRow = g.dragRow;
  }
  const bool colChanged = g.currentCol != g.lastCol;
  const bool rowChanged = g.currentRow != g.lastRow;
  if (colChanged) {
    g.defDataSource->OnCurrentColChanged(g.lastCol, g.currentCol);
    OnCurrentColChanged(g.lastCol, g.currentCol);
  }
  if (rowChanged) {
    g.defDataSource->OnCurrentRowChanged(g.lastRow, g.currentRow);
    OnCurrentRowChanged(g.lastRow, g.currentRow);
  }
  if (colChanged || rowChanged) OnCurrentCellChanged(g.lastCol, g.currentCol, g.lastRow, g.currentRow);
  if (g.leftCol != g.lastLeftCol) OnLeftColChanged(g.lastLeftCol, g.leftCol);
  if (g.topRow != g.lastTopRow) OnTopRowChanged(g.lastTopRow, g.topRow);
  if (colChanged || rowChanged) {
    CUGCell cell;
    if (g.lastCol >= 0 && g.lastRow >= 0) {
      GetCell(g.lastCol, g.lastRow, &cell);
      GetCellType(cell.GetCellType())->OnCellFocusLost(g.lastCol, g.lastRow, &cell);
    }
    if (g.currentCol >= 0 && g.currentRow >= 0) {
      GetCell(g.currentCol, g.currentRow, &cell);
      GetCellType(cell.GetCellType())->OnCellFocusGained(g.currentCol, g.currentRow, &cell);
    }
  }
  if (g.paintMode && view_) view_->RefreshAfterMove();
  const long movedTop = g.lastTopRow;
  g.lastTopRow = g.topRow;
  g.lastRow = g.currentRow;
  g.lastLeftCol = g.leftCol;
  g.lastCol = g.currentCol;

  auto scrolled = [&](int c, long r) {
    if (c < 0 || r < 0 || c >= g.numberCols || r >= g.numberRows) return;
    CUGCell cell;
    GetCell(c, r, &cell);
    GetCellType(cell.GetCellType())->OnCellScrolled(c, r, &cell);
  };
  if (g.bottomRow > oldBottom) {
    for (int c = g.leftCol; c < g.rightCol; ++c) {
      scrolled(c, g.topRow);
      scrolled(c, oldBottom);
    }
  } else if (g.bottomRow < oldBottom || g.topRow != movedTop) {
    for (int c = g.leftCol; c < g.rightCol; ++c) scrolled(c, g.topRow);
  } else if (g.rightCol != oldRight) {
    for (long r = g.topRow; r < g.bottomRow; ++r) {
      scrolled(g.leftCol, r);
      scrolled(oldRight, r);
    }
  }
  scrolled(g.currentCol, g.currentRow);
}

}  // namespace gridmodel
