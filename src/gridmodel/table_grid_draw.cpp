// Painting: background areas, the cells that meet the clip box, the grid lines on top.
#include <algorithm>

#include "gridmodel/table_grid.h"

namespace gridmodel {

void CGridCtrl::EraseBackground(Painter& p) {
  Rect b = p.ClipBox();
  if (b.IsEmpty()) return;
  Rect v;
  GetVisibleNonFixedCellRange(&v);
  int w = GetFixedColumnWidth(), h = GetFixedRowHeight();
  if (b.left < w && b.top < h) p.FillRect(Rect{b.left, b.top, w, h}, defaultCornerCell_.GetBackColor());
  if (b.left < w && b.top < v.bottom) p.FillRect(Rect{b.left, b.top, w, v.bottom}, defaultFixedColumnCell_.GetBackColor());
  if (b.top < h && w < b.right && b.left < v.right) p.FillRect(Rect{w - 1, b.top, v.right, h}, defaultFixedRowCell_.GetBackColor());
  Rect inner = Intersect(v, b);
  if (!inner.IsEmpty()) {
    inner.left = std::max(inner.left, w);
    inner.top = std::max(inner.top, h);
    p.FillRect(inner, defaultCell_.GetBackColor());
  }
  if (v.right < b.right) p.FillRect(Rect{v.right, b.top, b.right, b.bottom}, gridBackColour_);
  if (v.bottom < b.bottom && b.left < v.right) p.FillRect(Rect{b.left, v.bottom, v.right, b.bottom}, gridBackColour_);
}

void CGridCtrl::OnDraw(Painter& p) {
  if (!allowDraw_) return;
  Rect clip = p.ClipBox();
  if (clip.IsEmpty()) return;
  EraseBackground(p);
  int fixedH = GetFixedRowHeight(), fixedW = GetFixedColumnWidth();
  Rect visRect;
  CGridRange vis = GetVisibleNonFixedCellRange(&visRect);
  if (ownerData_) SendRangeHintToParent(vis);
  auto draw = [&](int r, int c, const Rect& rect) {
    if (CGridCellBase* cell = GetCell(r, c)) cell->Draw(p, r, c, rect, false);
  };
  // Corner cells.
  Rect rect;
  rect.bottom = -1;
  for (int r = 0; r < fixedRows_; ++r) {
    rect.top = rect.bottom + 1;
    rect.bottom = rect.top + GetRowHeight(r) - 1;
    rect.right = -1;
    for (int c = 0; c < fixedCols_; ++c) {
      rect.left = rect.right + 1;
      rect.right = rect.left + GetColumnWidth(c) - 1;
      draw(r, c, rect);
    }
  }
  // Fixed columns of the visible rows.
  rect.bottom = fixedH - 1;
  for (int r = vis.minRow; r <= vis.maxRow && r >= 0; ++r) {
    rect.top = rect.bottom + 1;
    rect.bottom = rect.top + GetRowHeight(r) - 1;
    if (rect.top > clip.bottom) break;
    if (rect.bottom < clip.top) continue;
    rect.right = -1;
    for (int c = 0; c < fixedCols_; ++c) {
      rect.left = rect.right + 1;
      rect.right = rect.left + GetColumnWidth(c) - 1;
      if (rect.left > clip.right) break;
      if (rect.right < clip.left) continue;
      draw(r, c, rect);
    }
  }
  // Fixed rows of the visible columns.
  rect.bottom = -1;
  for (int r = 0; r < fixedRows_; ++r) {
    rect.top = rect.bottom + 1;
    rect.bottom = rect.top + GetRowHeight(r) - 1;
    if (rect.top > clip.bottom) break;
    if (rect.bottom < clip.top) continue;
    rect.right = fixedW - 1;
    for (int c = vis.minCol; c <= vis.maxCol && c >= 0; ++c) {
      rect.left = rect.right + 1;
      rect.right = rect.left + GetColumnWidth(c) - 1;
      if (rect.left > clip.right) break;
      if (rect.right < clip.left) continue;
      draw(r, c, rect);
    }
  }
  // The scrolling cells.
  rect.bottom = fixedH - 1;
  for (int r = vis.minRow; r <= vis.maxRow && r >= 0; ++r) {
    rect.top = rect.bottom + 1;
    rect.bottom = rect.top + GetRowHeight(r) - 1;
    if (rect.top > clip.bottom) break;
    if (rect.bottom < clip.top) continue;
    rect.right = fixedW - 1;
    for (int c = vis.minCol; c <= vis.maxCol && c >= 0; ++c) {
      rect.left = rect.right + 1;
      rect.right = rect.left + GetColumnWidth(c) - 1;
      if (rect.left > clip.right) break;
      if (rect.right < clip.left) continue;
      draw(r, c, rect);
    }
  }
  // Grid lines across the scrolling part only.
  if (vis.minRow >= 0 && vis.minCol >= 0) {
    if (gridLines_ == 2 || gridLines_ == 3) {
      int x = fixedW;
      for (int c = vis.minCol; c <= vis.maxCol; ++c) {
        x += GetColumnWidth(c);
        p.Line(x - 1, fixedH, x - 1, visRect.bottom, gridLineColour_);
      }
    }
    if (gridLines_ == 1 || gridLines_ == 3) {
      int y = fixedH;
      for (int r = vis.minRow; r <= vis.maxRow; ++r) {
        y += GetRowHeight(r);
        p.Line(fixedW, y - 1, visRect.right, y - 1, gridLineColour_);
      }
    }
  }
  if (ownerData_) SendRangeHintToParent(CGridRange());
}

bool CGridCtrl::RedrawCell(int row, int col) {
  // Nothing draws outside a paint: the cell is invalidated and painted with the next one.
  if (!allowDraw_ || !host_ || !IsCellVisible(row, col)) return false;
  Rect r;
  if (!GetCellRect(row, col, r)) return false;
  return InvalidateCellRect(row, col);
}

bool CGridCtrl::RedrawRow(int row) {
  bool all = true;
  for (int c = 0; c < colCount_; ++c) all = RedrawCell(row, c) && all;
  return all;
}

bool CGridCtrl::RedrawColumn(int col) {
  bool all = true;
  for (int r = 0; r < rowCount_; ++r) all = RedrawCell(r, col) && all;
  return all;
}

void CGridCtrl::Refresh() {
  if (host_ && allowDraw_) host_->Invalidate(nullptr);
}

void CGridCtrl::SetRedraw(bool allow, bool resetScrollBars) {
  if (allow && !allowDraw_) {
    allowDraw_ = true;
    Refresh();
  }
  allowDraw_ = allow;
  if (resetScrollBars) ResetScrollBars();
}

}  // namespace gridmodel
