#include <algorithm>
#include <cmath>

#include "gridmodel/ug_ctrl.h"

namespace gridmodel {

namespace {
constexpr int kMaxCols = 32000;
constexpr long kMaxRowsWithHeights = 64000;
constexpr int kMaxHeadingSize = 1024;
}  // namespace

void CUGCtrl::RecalcLockedRowHeight() {
  int h = 0;
  for (long r = 0; r < gi_->numLockRows && r < gi_->numberRows; ++r) h += GetRowHeight(r);
  gi_->lockRowHeight = h;
}

void CUGCtrl::RecalcLockedColWidth() {
  int w = 0;
  for (int c = 0; c < gi_->numLockCols && c < gi_->numberCols; ++c) w += gi_->columns[c].width;
  gi_->lockColWidth = w;
}

int CUGCtrl::SetRowCount(long n, bool redraw) {
  CUGGridInfo& g = *gi_;
  if (n < 0) return 1;
  // Locked rows never reach past the rows there are.
  if (g.numLockRows > 0 && g.numLockRows >= n) {
    long locked = n > 0 ? n - 1 : 0;
    if (locked != g.numLockRows) {
      g.numLockRows = locked;
      RecalcLockedRowHeight();
      g.topRow = g.lastTopRow = locked;
      AdjustTopRow();
    }
  }
  if (n > kMaxRowsWithHeights && !g.uniformRowHeight) {
    g.rowHeights.clear();
    g.rowHeights.shrink_to_fit();
    g.uniformRowHeight = true;
  }
  g.numberRows = n;
  if (!g.uniformRowHeight) g.rowHeights.resize(static_cast<std::size_t>(n), g.defRowHeight);
  const long top = g.topRow;
  AdjustTopRow();
  if (g.topRow != top) CompleteMove();
  if (g.currentRow >= n) g.currentRow = g.lastRow = g.dragRow = n - 1;
  if (g.dragRow >= n) g.dragRow = n - 1;
  RecalcLockedRowHeight();
  UpdateBottomRightInView();
  if (g.currentRow < 0 && n > 0) GotoRow(0);
  if (redraw) UpdateAllParts();
  return 0;
}

int CUGCtrl::SetColCount(int n, bool redraw) {
  CUGGridInfo& g = *gi_;
  if (n < 0 || n > kMaxCols) return 1;
  const bool update = enableUpdate_;
  if (g.numLockCols > 0 && g.numLockCols >= n) {
    int locked = n > 0 ? n - 1 : 0;
    if (locked != g.numLockCols) {
      g.numLockCols = locked;
      RecalcLockedColWidth();
      g.leftCol = g.lastLeftCol = locked;
      AdjustLeftCol();
    }
  }
  const int old = g.numberCols;
  g.columns.resize(static_cast<std::size_t>(n));
  for (int c = old; c < n; ++c) {
    auto& rec = g.columns[c];
    rec.width = g.defColWidth;
    rec.dataSource = g.defDataSource;
    rec.defaults = g.gridDefault;
    rec.dataCol = c;
  }
  g.numberCols = n;
  AdjustLeftCol();
  if (g.currentCol >= n) g.currentCol = g.dragCol = n - 1;
  if (g.dragCol >= n) g.dragCol = n - 1;
  RecalcLockedColWidth();
  UpdateBottomRightInView();
  if (g.currentCol < 0 && n > 0) GotoCol(0);
  if (update && redraw) UpdateAllParts();
  return 0;
}

int CUGCtrl::SetDefaultColWidth(int width) {
  if (width < 0) return 1;
  gi_->defColWidth = width;
  return 0;
}

int CUGCtrl::SetColWidth(int col, int width) {
  CUGGridInfo& g = *gi_;
  if (col >= 0) {
    if (col >= g.numberCols) return 1;
    if (width < 0) return 2;
    if (view_ && g.paintMode) {
      for (long r = g.topRow; r < g.bottomRow; ++r) {
        CUGCell cell;
        GetCell(col, r, &cell);
        int id = cell.GetCellType();
        GetCellType(id)->OnColumnResized(col, r, &width);
      }
      OnColumnResized(col, &width);
    }
    g.columns[col].width = std::max(0, width);
    if (col < g.numLockCols) RecalcLockedColWidth();
    UpdateBottomRightInView();
    return 0;
  }
  return SetSideHeadingColWidth(col, width);
}

int CUGCtrl::GetColWidth(int col, int* width) const {
  const CUGGridInfo& g = *gi_;
  if (col >= g.numberCols) return 1;
  if (col < 0) {
    int i = -col - 1;
    if (i >= static_cast<int>(g.sideHdgWidths.size())) return 1;
    *width = g.sideHdgWidths[i];
    return 0;
  }
  *width = g.columns[col].width;
  return 0;
}

int CUGCtrl::GetColWidth(int col) const {
  if (col < 0 || col >= gi_->numberCols) return 0;
  return gi_->columns[col].width;
}

int CUGCtrl::SetDefaultRowHeight(int height) {
  if (height < 1 || height > kMaxHeadingSize) return 1;
  gi_->defRowHeight = height;
  return 0;
}

int CUGCtrl::SetUniformRowHeight(bool on) {
  CUGGridInfo& g = *gi_;
  if (on) {
    g.rowHeights.clear();
    g.rowHeights.shrink_to_fit();
    g.uniformRowHeight = true;
  } else if (g.uniformRowHeight) {
    g.rowHeights.assign(static_cast<std::size_t>(g.numberRows), g.defRowHeight);
    g.uniformRowHeight = false;
  }
  RecalcLockedRowHeight();
  return 0;
}

int CUGCtrl::SetRowHeight(long row, int height) {
  CUGGridInfo& g = *gi_;
  if (row < 0) return SetTopHeadingRowHeight(static_cast<int>(row), height);
  if (row >= g.numberRows) return 1;
  if (height < 0) return 2;
  if (view_ && g.paintMode) {
    for (int c = g.leftCol; c < g.rightCol; ++c) {
      CUGCell cell;
      GetCell(c, row, &cell);
      GetCellType(cell.GetCellType())->OnRowResized(c, row, &height);
    }
    OnRowResized(row, &height);
    height = std::max(0, height);
  }
  if (g.uniformRowHeight)
    g.defRowHeight = height;
  else
    g.rowHeights[row] = height;
  if (row < g.numLockRows) RecalcLockedRowHeight();
  UpdateBottomRightInView();
  return 0;
}

int CUGCtrl::GetRowHeight(long row, int* height) const {
  const CUGGridInfo& g = *gi_;
  if (row >= g.numberRows) return 1;
  if (row < 0) {
    long i = -row - 1;
    if (i >= static_cast<long>(g.topHdgHeights.size())) return 1;
    *height = g.topHdgHeights[i];
    return 0;
  }
  *height = GetRowHeight(row);
  return 0;
}

int CUGCtrl::GetRowHeight(long row) const {
  const CUGGridInfo& g = *gi_;
  if (row < 0 || row >= g.numberRows) return 0;
  if (g.uniformRowHeight || g.rowHeights.empty()) return g.defRowHeight;
  return g.rowHeights[row];
}

int CUGCtrl::InsertRow(long row) {
  if (row < 0 || row > gi_->numberRows) return 1;
  int r = gi_->defDataSource->InsertRow(row);
  if (r == 0) SetRowCount(gi_->numberRows + 1, true);
  return r;
}

int CUGCtrl::AppendRow() {
  int r = gi_->defDataSource->AppendRow();
  if (r == 0) SetRowCount(gi_->numberRows + 1, true);
  return r;
}

int CUGCtrl::DeleteRow(long row) {
  if (row < 0 || row >= gi_->numberRows) return 1;
  int r = gi_->defDataSource->DeleteRow(row);
  if (r == 0) SetRowCount(gi_->numberRows - 1, true);
  return r;
}

int CUGCtrl::InsertCol(int col) {
  CUGGridInfo& g = *gi_;
  if (col < 0 || col >= g.numberCols) return 1;
  int r = g.columns[col].dataSource->InsertCol(g.columns[col].dataCol);
  if (r != 0) return r;
  SetColCount(g.numberCols + 1, true);
  CUGGridInfo::Column fresh;
  fresh.width = g.defColWidth;
  fresh.dataSource = g.defDataSource;
  fresh.defaults = g.gridDefault;
  fresh.dataCol = col;
  g.columns.pop_back();
  g.columns.insert(g.columns.begin() + col, std::move(fresh));
  RecalcLockedColWidth();
  return 0;
}

int CUGCtrl::AppendCol() {
  int r = gi_->defDataSource->AppendCol();
  if (r != 0) return r;
  SetColCount(gi_->numberCols + 1, true);
  return 0;
}

int CUGCtrl::DeleteCol(int col) {
  CUGGridInfo& g = *gi_;
  if (g.numberCols == 0 || col < 0 || col >= g.numberCols) return 1;
  int r = g.columns[col].dataSource->DeleteCol(g.columns[col].dataCol);
  if (r != 0) return r;
  if (g.numberCols >= 2) std::rotate(g.columns.begin() + col, g.columns.begin() + col + 1, g.columns.end());
  SetColCount(g.numberCols - 1, true);
  return 0;
}

int CUGCtrl::SetTopHeadingRowCount(int rows) {
  if (rows < 1 || rows > 64) return 1;
  gi_->topHdgHeights.resize(static_cast<std::size_t>(rows), gi_->defRowHeight);
  return 0;
}

int CUGCtrl::SetSideHeadingColCount(int cols) {
  if (cols < 1 || cols > 64) return 1;
  gi_->sideHdgWidths.resize(static_cast<std::size_t>(cols), gi_->defColWidth);
  return 0;
}

int CUGCtrl::SetTopHeadingRowHeight(int row, int height) {
  CUGGridInfo& g = *gi_;
  if (row >= 0 || -row > static_cast<int>(g.topHdgHeights.size())) return 1;
  if (height < 0 || height > kMaxHeadingSize) return 2;
  int& h = g.topHdgHeights[-row - 1];
  if (h != height) {
    h = height;
    if (g.topHdgHeights.size() == 1) g.topHdgHeight = height;
  }
  return 0;
}

int CUGCtrl::SetSideHeadingColWidth(int col, int width) {
  CUGGridInfo& g = *gi_;
  if (col >= 0 || -col > static_cast<int>(g.sideHdgWidths.size())) return 1;
  if (width < 0 || width > kMaxHeadingSize) return 2;
  int& w = g.sideHdgWidths[-col - 1];
  if (w != width) {
    w = width;
    if (g.sideHdgWidths.size() == 1) g.sideHdgWidth = width;
  }
  return 0;
}

namespace {
// Spreads a heading's new size over its rows (columns) in proportion; equal shares when the
// old sizes sum to nothing.
void Rescale(std::vector<int>& sizes, int total) {
  long long sum = 0;
  for (int s : sizes) sum += s;
  for (int& s : sizes) {
    if (sum > 0)
      s = static_cast<int>(static_cast<double>(total) / static_cast<double>(sum) * s + 0.5);
    else
      s = total / static_cast<int>(sizes.size());
  }
}
}  // namespace

int CUGCtrl::SetTopHeadingHeight(int height) {
  if (height < 0 || height > kMaxHeadingSize) return 1;
  gi_->topHdgHeight = height;
  Rescale(gi_->topHdgHeights, height);
  ArrangeParts();
  return 0;
}

int CUGCtrl::SetSideHeadingWidth(int width) {
  if (width < 0 || width > kMaxHeadingSize) return 1;
  gi_->sideHdgWidth = width;
  Rescale(gi_->sideHdgWidths, width);
  ArrangeParts();
  return 0;
}

int CUGCtrl::SetVScrollWidth(int width) {
  if (width < 0 || width > kMaxHeadingSize) return 1;
  gi_->vScrollWidth = width;
  ArrangeParts();
  return 0;
}

int CUGCtrl::SetHScrollHeight(int height) {
  if (height < 0 || height > kMaxHeadingSize) return 1;
  gi_->hScrollHeight = height;
  ArrangeParts();
  return 0;
}

int CUGCtrl::SetLockedColCount(int n) {
  CUGGridInfo& g = *gi_;
  if (n < 0 || n > g.numberCols) return 1;
  if (n == g.numLockCols) return 0;
  g.numLockCols = n;
  RecalcLockedColWidth();
  g.leftCol = g.lastLeftCol = n;
  AdjustLeftCol();
  return 0;
}

int CUGCtrl::SetLockedRowCount(long n) {
  CUGGridInfo& g = *gi_;
  if (n < 0 || n > g.numberRows) return 1;
  if (n == g.numLockRows) return 0;
  g.numLockRows = n;
  RecalcLockedRowHeight();
  g.topRow = g.lastTopRow = n;
  AdjustTopRow();
  return 0;
}

int CUGCtrl::MoveColPosition(int fromCol, int toCol, bool insertBefore) {
  CUGGridInfo& g = *gi_;
  if (fromCol < 0 || fromCol >= g.numberCols) return 1;
  int dest = insertBefore ? toCol : toCol + 1;
  if (dest < 0 || dest > g.numberCols) return 1;
  if (dest == fromCol || dest == fromCol + 1) return 0;
  CUGGridInfo::Column rec = std::move(g.columns[fromCol]);
  g.columns.erase(g.columns.begin() + fromCol);
  if (dest > fromCol) --dest;
  g.columns.insert(g.columns.begin() + dest, std::move(rec));
  RecalcLockedColWidth();
  return 0;
}

int CUGCtrl::FitColumnsToWindow(int startCol, int endCol) {
  CUGGridInfo& g = *gi_;
  const bool paint = g.paintMode;
  g.paintMode = true;
  if (!paint) ArrangeParts();
  if (startCol < 0 || endCol < startCol || endCol >= g.numberCols) {
    g.paintMode = paint;
    return 1;
  }
  int W = g.gridWidth;
  long long S = 0;
  for (int c = startCol; c <= endCol; ++c) S += g.columns[c].width;
  const int n = endCol - startCol + 1;
  const float scale = S > 0 ? static_cast<float>(W) / static_cast<float>(S) : 0.0f;
  for (int c = startCol; c < endCol; ++c) {
    int w = S > 0 ? static_cast<int>(g.columns[c].width * scale) : W / n;
    SetColWidth(c, w);
    W -= w;
  }
  SetColWidth(endCol, std::max(0, W));
  g.paintMode = paint;
  UpdateAllParts();
  return 0;
}

int CUGCtrl::FitColumnsToContents(int startCol, int endCol, int rows, int flags) {
  CUGGridInfo& g = *gi_;
  if (startCol < -static_cast<int>(g.sideHdgWidths.size())) return 1;
  if (endCol >= g.numberCols) return 2;
  if (endCol < startCol) return 3;
  const int n = endCol - startCol + 1;
  std::vector<int> best(static_cast<std::size_t>(n), 3);
  long r = (flags & 1) ? -static_cast<long>(g.topHdgHeights.size()) : 0;
  for (int seen = 0; seen < rows && r < g.numberRows; ++seen) {
    for (int c = startCol; c <= endCol; ++c) {
      CUGCell cell;
      GetCell(c, r, &cell);
      if (cell.HasProperty(UGCELL_JOIN_SET)) continue;
      int w = 0, h = 0;
      GetColWidth(c, &w);
      GetRowHeight(r, &h);
      GetCellType(cell.GetCellType())->GetBestSize(c, r, &w, &h, &cell);
      best[c - startCol] = std::max(best[c - startCol], w);
    }
    ++r;
    if (r == g.numLockRows && g.topRow > r) r = g.topRow;
  }
  const int cap = g.gridWidth > 0 ? g.gridWidth - g.vScrollWidth : 300;
  int sideSum = 0;
  for (int c = startCol; c <= endCol; ++c) {
    int w = best[c - startCol];
    w = w > cap ? cap : w + 2;
    if (c >= 0) {
      SetColWidth(c, w);
    } else {
      SetSideHeadingColWidth(c, w);
      sideSum += w;
    }
  }
  if (sideSum > 0) SetSideHeadingWidth(sideSum);
  ArrangeParts();
  return 0;
}

}  // namespace gridmodel
