// Sizes, cells and pixels, the top-left scrolling cell, scroll bars and the fit operations.
#include <algorithm>

#include "gridmodel/table_grid.h"

namespace gridmodel {

int CGridCtrl::GetRowHeight(int row) const {
  return row >= 0 && row < rowCount_ ? rowHeights_[static_cast<std::size_t>(row)] : -1;
}
int CGridCtrl::GetColumnWidth(int col) const {
  return col >= 0 && col < colCount_ ? colWidths_[static_cast<std::size_t>(col)] : -1;
}

bool CGridCtrl::SetRowHeight(int row, int height) {
  if (row < 0 || row >= rowCount_ || height < 0) return false;
  rowHeights_[static_cast<std::size_t>(row)] = height;
  ResetScrollBars();
  return true;
}
bool CGridCtrl::SetColumnWidth(int col, int width) {
  if (col < 0 || col >= colCount_ || width < 0) return false;
  colWidths_[static_cast<std::size_t>(col)] = width;
  ResetScrollBars();
  return true;
}

int CGridCtrl::GetFixedRowHeight() const {
  int h = 0;
  for (int r = 0; r < fixedRows_; ++r) h += GetRowHeight(r);
  return h;
}
int CGridCtrl::GetFixedColumnWidth() const {
  int w = 0;
  for (int c = 0; c < fixedCols_; ++c) w += GetColumnWidth(c);
  return w;
}
int CGridCtrl::GetVirtualHeight() const {
  int h = 0;
  for (int v : rowHeights_) h += v;
  return h;
}
int CGridCtrl::GetVirtualWidth() const {
  int w = 0;
  for (int v : colWidths_) w += v;
  return w;
}

bool CGridCtrl::IsValid(int row, int col) const { return row >= 0 && row < rowCount_ && col >= 0 && col < colCount_; }
bool CGridCtrl::IsValid(const CGridRange& r) const {
  return r.minRow >= 0 && r.minCol >= 0 && r.maxRow >= 0 && r.maxCol >= 0 && r.maxRow < rowCount_ &&
         r.maxCol < colCount_ && r.minRow <= r.maxRow && r.minCol <= r.maxCol;
}

Rect CGridCtrl::GetClientRect() {
  if (!host_) return Rect{};
  Size view = host_->ViewSize();
  int w = view.cx - ((scrollBarState_ & 2) ? host_->ScrollBarThickness() : 0);
  int h = view.cy - ((scrollBarState_ & 1) ? host_->ScrollBarThickness() : 0);
  return Rect{0, 0, std::max(0, w), std::max(0, h)};
}

bool CGridCtrl::GetCellOrigin(int row, int col, Point& origin) {
  if (!IsValid(row, col)) return false;
  CCellID topLeft;
  if (col >= fixedCols_ || row >= fixedRows_) topLeft = GetTopLeftNonFixedCell();
  if (row >= fixedRows_ && row < topLeft.row) return false;
  if (col >= fixedCols_ && col < topLeft.col) return false;
  origin.x = 0;
  if (col < fixedCols_) {
    for (int c = 0; c < col; ++c) origin.x += GetColumnWidth(c);
  } else {
    origin.x = GetFixedColumnWidth();
    for (int c = topLeft.col; c < col; ++c) origin.x += GetColumnWidth(c);
  }
  origin.y = 0;
  if (row < fixedRows_) {
    for (int r = 0; r < row; ++r) origin.y += GetRowHeight(r);
  } else {
    origin.y = GetFixedRowHeight();
    for (int r = topLeft.row; r < row; ++r) origin.y += GetRowHeight(r);
  }
  return true;
}

bool CGridCtrl::GetCellRect(int row, int col, Rect& rect) {
  Point o;
  if (!GetCellOrigin(row, col, o)) return false;
  rect = Rect{o.x, o.y, o.x + GetColumnWidth(col) - 1, o.y + GetRowHeight(row) - 1};
  return true;
}

bool CGridCtrl::GetTextRect(int row, int col, Rect& rect) {
  CGridCellBase* cell = GetCell(row, col);
  if (!cell || !GetCellRect(row, col, rect)) return false;
  return cell->GetTextRect(rect);
}

bool CGridCtrl::GetCellRangeRect(const CGridRange& range, Rect& rect) {
  Point a, b;
  if (!GetCellOrigin(range.minRow, range.minCol, a) || !GetCellOrigin(range.maxRow, range.maxCol, b)) return false;
  rect = Rect{a.x, a.y, b.x + GetColumnWidth(range.maxCol) - 1, b.y + GetRowHeight(range.maxRow) - 1};
  return true;
}

Point CGridCtrl::GetPointInCell(int row, int col, Point point) {
  Point o;
  if (!GetCellOrigin(row, col, o)) return Point{};
  return Point{point.x - o.x, point.y - o.y};
}

Size CGridCtrl::GetTextExtent(int row, int col, const std::string& text) {
  CGridCellBase* cell = GetCell(row, col);
  return cell ? cell->GetTextExtent(&text, nullptr) : Size{};
}

CCellID CGridCtrl::GetTopLeftNonFixedCell(bool recalc) {
  if (topLeftCell_.row >= 0 && topLeftCell_.col >= 0 && !recalc) return topLeftCell_;
  int v = scrollPos_[1], h = scrollPos_[0];
  topLeftCell_.col = fixedCols_;
  int x = 0;
  while (x < h && topLeftCell_.col < colCount_ - 1) x += GetColumnWidth(topLeftCell_.col++);
  topLeftCell_.row = fixedRows_;
  int y = 0;
  while (y < v && topLeftCell_.row < rowCount_ - 1) y += GetRowHeight(topLeftCell_.row++);
  return topLeftCell_;
}

CGridRange CGridCtrl::GetVisibleNonFixedCellRange(Rect* rect, bool recalc) {
  Rect client = GetClientRect();
  CCellID tl = GetTopLeftNonFixedCell(recalc);
  int bottom = GetFixedRowHeight();
  int r = tl.row;
  for (; r < rowCount_; ++r) {
    bottom += GetRowHeight(r);
    if (bottom >= client.bottom) {
      bottom = client.bottom;
      break;
    }
  }
  int maxRow = std::min(r, rowCount_ - 1);
  int right = GetFixedColumnWidth();
  int c = tl.col;
  for (; c < colCount_; ++c) {
    right += GetColumnWidth(c);
    if (right >= client.right) {
      right = client.right;
      break;
    }
  }
  int maxCol = std::min(c, colCount_ - 1);
  if (rect) *rect = Rect{0, 0, right, bottom};
  return CGridRange(tl.row, tl.col, maxRow, maxCol);
}

CGridRange CGridCtrl::GetUnobstructedNonFixedCellRange(bool recalc) {
  Rect client = GetClientRect();
  CCellID tl = GetTopLeftNonFixedCell(recalc);
  int bottom = GetFixedRowHeight(), r = tl.row;
  for (; r < rowCount_; ++r) {
    bottom += GetRowHeight(r);
    if (bottom >= client.bottom) break;
  }
  int maxRow = std::min(r, rowCount_ - 1);
  if (bottom > client.bottom && maxRow > 0) --maxRow;
  int right = GetFixedColumnWidth(), c = tl.col;
  for (; c < colCount_; ++c) {
    right += GetColumnWidth(c);
    if (right >= client.right) break;
  }
  int maxCol = std::min(c, colCount_ - 1);
  if (right > client.right && maxCol > 0) --maxCol;
  return CGridRange(tl.row, tl.col, maxRow, maxCol);
}

bool CGridCtrl::IsCellVisible(int row, int col) {
  if (!host_) return false;
  Rect client = GetClientRect();
  CCellID tl = GetTopLeftNonFixedCell();
  if ((col >= fixedCols_ && col < tl.col) || (row >= fixedRows_ && row < tl.row)) return false;
  int x = 0;
  int start = col < fixedCols_ ? 0 : tl.col;
  if (col >= fixedCols_) x = GetFixedColumnWidth();
  for (int c = start; c <= col; ++c) {
    if (x >= client.right) return false;
    x += GetColumnWidth(c);
  }
  if (row < 0) return true;
  int y = row < fixedRows_ ? 0 : GetFixedRowHeight();
  for (int r = row < fixedRows_ ? 0 : tl.row; r <= row; ++r) {
    if (y >= client.bottom) return false;
    y += GetRowHeight(r);
  }
  return true;
}

Rect CGridCtrl::CellRectWidened(int row, int col) {
  Rect r;
  if (!GetCellRect(row, col, r)) return Rect{};
  return Rect{r.left, r.top, r.right + 2, r.bottom + 2};
}

bool CGridCtrl::InvalidateCellRect(int row, int col) {
  if (!host_ || !allowDraw_ || !IsValid(row, col) || !IsCellVisible(row, col)) return false;
  Rect r = CellRectWidened(row, col);
  if (r.IsEmpty()) return false;
  host_->Invalidate(&r);
  return true;
}

bool CGridCtrl::InvalidateCellRect(const CGridRange& range) {
  if (!host_ || !allowDraw_) return false;
  CGridRange vis = GetVisibleNonFixedCellRange();
  CGridRange c(std::max(range.minRow, vis.minRow), std::max(range.minCol, vis.minCol),
               std::min(range.maxRow, vis.maxRow), std::min(range.maxCol, vis.maxCol));
  if (c.minRow > c.maxRow || c.minCol > c.maxCol) return false;
  Point a, b;
  if (!GetCellOrigin(c.minRow, c.minCol, a) || !GetCellOrigin(c.maxRow, c.maxCol, b)) return false;
  Rect r{a.x, a.y, b.x + GetColumnWidth(c.maxCol) + 1, b.y + GetRowHeight(c.maxRow) + 1};
  host_->Invalidate(&r);
  return true;
}

CCellID CGridCtrl::GetCellFromPt(Point point, bool allowFixed) {
  CCellID cell;
  CCellID tl = GetTopLeftNonFixedCell();
  if (!allowFixed && !IsValid(tl)) return cell;
  int fixedW = GetFixedColumnWidth();
  if (point.x < 0 || (!allowFixed && point.x < fixedW)) {
    cell.col = -1;
  } else if (point.x < fixedW) {
    int x = 0, c = 0;
    for (; c < fixedCols_; ++c) {
      x += GetColumnWidth(c);
      if (x > point.x) break;
    }
    cell.col = c;
  } else {
    int x = fixedW, c = tl.col;
    for (; c < colCount_; ++c) {
      x += GetColumnWidth(c);
      if (x > point.x) break;
    }
    cell.col = c >= colCount_ ? -1 : c;
  }
  int fixedH = GetFixedRowHeight();
  if (point.y < 0 || (!allowFixed && point.y < fixedH)) {
    cell.row = -1;
  } else if (point.y < fixedH) {
    int y = 0, r = 0;
    for (; r < fixedRows_; ++r) {
      y += GetRowHeight(r);
      if (y > point.y) break;
    }
    cell.row = r;
  } else {
    int y = fixedH, r = tl.row;
    for (; r < rowCount_; ++r) {
      y += GetRowHeight(r);
      if (y > point.y) break;
    }
    cell.row = r >= rowCount_ ? -1 : r;
  }
  return cell;
}

void CGridCtrl::EnsureVisible(int row, int col) {
  if (!allowDraw_ || !host_) return;
  CGridRange vis = GetVisibleNonFixedCellRange();
  for (int c = vis.maxCol + 1; c <= col; ++c)
    if (GetColumnWidth(c) > 0) OnHScroll(kLineDown);
  for (int c = vis.minCol - 1; c >= col && c >= fixedCols_; --c) OnHScroll(kLineUp);
  for (int r = vis.maxRow + 1; r <= row; ++r)
    if (GetRowHeight(r) > 0) OnVScroll(kLineDown);
  for (int r = vis.minRow - 1; r >= row && r >= fixedRows_; --r) OnVScroll(kLineUp);
  Rect client = GetClientRect();
  Rect rect;
  for (int guard = 0; guard < colCount_ && GetCellRect(row, col, rect) && rect.right > client.right &&
                      rect.left >= GetFixedColumnWidth() && scrollPos_[0] < hScrollMax_;
       ++guard)
    OnHScroll(kLineDown);
  for (int guard = 0; guard < rowCount_ && GetCellRect(row, col, rect) && rect.bottom > client.bottom &&
                      rect.top >= GetFixedRowHeight() && scrollPos_[1] < vScrollMax_;
       ++guard)
    OnVScroll(kLineDown);
}

// ---- scroll bars

void CGridCtrl::ResetScrollBars() {
  topLeftCell_ = CCellID();
  if (!allowDraw_ || !host_) return;
  int totalH = GetVirtualHeight(), totalW = GetVirtualWidth();
  Size space = host_->ViewSize();
  int bar = host_->ScrollBarThickness();
  bool needH = totalW > space.cx, needV = totalH > space.cy;
  if (needH && !needV) needV = totalH > space.cy - bar;
  else if (needV && !needH) needH = totalW > space.cx - bar;
  scrollBarState_ = (needH ? 1 : 0) | (needV ? 2 : 0);
  vScrollMax_ = needV ? totalH - 1 : 0;
  hScrollMax_ = needH ? totalW - 1 : 0;
  // The non-fixed part scrolls: the page is what it shows of the whole.
  scrollPage_[0] = needH ? space.cx - (needV ? bar : 0) : 0;
  scrollPage_[1] = needV ? space.cy - (needH ? bar : 0) : 0;
  for (int b = 0; b < 2; ++b) {
    int max = b == 0 ? hScrollMax_ : vScrollMax_;
    int top = std::max(0, max - scrollPage_[b] + 1);
    scrollPos_[b] = std::clamp(scrollPos_[b], 0, top);
  }
  host_->ScrollBarsChanged();
}

bool CGridCtrl::SetScrollPos32(int bar, int pos) {
  topLeftCell_ = CCellID();
  int max = bar == 0 ? hScrollMax_ : vScrollMax_;
  int top = std::max(0, max - scrollPage_[bar] + 1);
  scrollPos_[bar] = std::clamp(pos, 0, top);
  if (host_) host_->ScrollBarsChanged();
  return true;
}

void CGridCtrl::OnHScroll(ScrollCode code, int thumbPos) {
  EndEditing();
  if (!host_) return;
  int pos = scrollPos_[0];
  CCellID tl = GetTopLeftNonFixedCell();
  Rect client = GetClientRect();
  int fixedW = GetFixedColumnWidth();
  Rect area{fixedW, 0, client.right, client.bottom};
  switch (code) {
    case kLineDown:
      if (pos < hScrollMax_) {
        int c = tl.col;
        while (c < colCount_ - 1 && GetColumnWidth(c) <= 0) ++c;
        SetScrollPos32(0, pos + std::max(0, GetColumnWidth(c)));
        if (scrollPos_[0] != pos) host_->Invalidate(&area);
      }
      break;
    case kLineUp:
      if (pos > 0 && tl.col > fixedCols_) {
        int c = tl.col - 1;
        while (c > fixedCols_ && GetColumnWidth(c) <= 0) --c;
        SetScrollPos32(0, std::max(0, pos - GetColumnWidth(c)));
        host_->Invalidate(&area);
      }
      break;
    case kPageDown:
      if (pos < hScrollMax_) {
        SetScrollPos32(0, std::min(hScrollMax_, pos + std::max(1, client.right - fixedW)));
        host_->Invalidate(&area);
      }
      break;
    case kPageUp:
      if (pos > 0) {
        SetScrollPos32(0, std::max(0, pos - std::max(1, client.right - fixedW)));
        host_->Invalidate(&area);
      }
      break;
    case kThumbTrack: {
      SetScrollPos32(0, thumbPos);
      CCellID now = GetTopLeftNonFixedCell(true);
      if (!(now == tl)) host_->Invalidate(&area);
      break;
    }
    case kTop:
      if (pos > 0) {
        SetScrollPos32(0, 0);
        host_->Invalidate(nullptr);
      }
      break;
    case kBottom:
      if (pos < hScrollMax_) {
        SetScrollPos32(0, hScrollMax_);
        host_->Invalidate(nullptr);
      }
      break;
    case kEndScroll:
      break;
  }
}

void CGridCtrl::OnVScroll(ScrollCode code, int thumbPos) {
  EndEditing();
  if (!host_) return;
  int pos = scrollPos_[1];
  CCellID tl = GetTopLeftNonFixedCell();
  Rect client = GetClientRect();
  int fixedH = GetFixedRowHeight();
  Rect area{0, fixedH, client.right, client.bottom};
  switch (code) {
    case kLineDown:
      if (pos < vScrollMax_) {
        int r = tl.row;
        while (r < rowCount_ - 1 && GetRowHeight(r) <= 0) ++r;
        SetScrollPos32(1, pos + std::max(0, GetRowHeight(r)));
        if (scrollPos_[1] != pos) host_->Invalidate(&area);
      }
      break;
    case kLineUp:
      if (pos > 0 && tl.row > fixedRows_) {
        int r = tl.row - 1;
        while (r > fixedRows_ && GetRowHeight(r) <= 0) --r;
        SetScrollPos32(1, std::max(0, pos - GetRowHeight(r)));
        host_->Invalidate(&area);
      }
      break;
    case kPageDown:
      if (pos < vScrollMax_) {
        SetScrollPos32(1, std::min(vScrollMax_, pos + std::max(1, client.bottom - fixedH)));
        host_->Invalidate(&area);
      }
      break;
    case kPageUp:
      if (pos > 0) {
        SetScrollPos32(1, std::max(0, pos - std::max(1, client.bottom - fixedH)));
        host_->Invalidate(&area);
      }
      break;
    case kThumbTrack: {
      SetScrollPos32(1, thumbPos);
      CCellID now = GetTopLeftNonFixedCell(true);
      if (!(now == tl)) host_->Invalidate(&area);
      break;
    }
    case kTop:
      if (pos > 0) {
        SetScrollPos32(1, 0);
        host_->Invalidate(nullptr);
      }
      break;
    case kBottom:
      if (pos < vScrollMax_) {
        SetScrollPos32(1, vScrollMax_);
        host_->Invalidate(nullptr);
      }
      break;
    case kEndScroll:
      break;
  }
}

void CGridCtrl::OnSize() {
  static bool inside = false;
  if (inside || !host_) return;
  inside = true;
  EndEditing();
  ResetScrollBars();
  inside = false;
}

void CGridCtrl::OnMouseWheel(int delta) {
  if (wheelScrollLines_ == -1) {
    int n = delta / 120;
    for (int i = 0; i < n; ++i) OnVScroll(kPageUp);
    for (int i = 0; i < -n; ++i) OnVScroll(kPageDown);
  } else {
    int n = wheelScrollLines_ * delta / 120;
    for (int i = 0; i < n; ++i) OnVScroll(kLineUp);
    for (int i = 0; i < -n; ++i) OnVScroll(kLineDown);
  }
}

namespace {
// Shares a difference out over the visible sizes; the first positions take the remainder.
void ShareOut(std::vector<int>& sizes, int first, int client) {
  int n = 0, total = 0;
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    total += sizes[i];
    if (static_cast<int>(i) >= first && sizes[i] > 0) ++n;
  }
  if (n == 0) return;
  int diff = client - total;
  int each = diff / n, rest = diff % n;
  if (rest < 0) rest = -rest;
  int step = diff > 0 ? 1 : -1;
  for (std::size_t i = static_cast<std::size_t>(first); i < sizes.size(); ++i) {
    int pos = static_cast<int>(i) - first;
    if (sizes[i] <= 0) continue;
    sizes[i] += each;
    if (pos < rest) sizes[i] += step;
  }
}
}  // namespace

void CGridCtrl::ExpandColumnsToFit(bool expandFixed) {
  if (colCount_ <= 0 || (!expandFixed && colCount_ <= fixedCols_) || !host_) return;
  scrollBarState_ &= ~1;
  ShareOut(colWidths_, expandFixed ? 0 : fixedCols_, GetClientRect().right);
  Refresh();
  ResetScrollBars();
}

void CGridCtrl::ExpandRowsToFit(bool expandFixed) {
  if (rowCount_ <= 0 || (!expandFixed && rowCount_ <= fixedRows_) || !host_) return;
  scrollBarState_ &= ~2;
  ShareOut(rowHeights_, expandFixed ? 0 : fixedRows_, GetClientRect().bottom);
  Refresh();
  ResetScrollBars();
}

void CGridCtrl::ExpandToFit(bool expandFixed) {
  ExpandColumnsToFit(expandFixed);
  ExpandRowsToFit(expandFixed);
  ExpandColumnsToFit(expandFixed);
  Refresh();
}

void CGridCtrl::ExpandLastColumn() {
  if (colCount_ <= 0 || !host_) return;
  int last = colCount_ - 1;
  while (last >= 0 && GetColumnWidth(last) <= 0) --last;
  if (last <= 0) return;
  scrollBarState_ &= ~1;
  int client = GetClientRect().right, total = GetVirtualWidth();
  if (client > total) {
    colWidths_[static_cast<std::size_t>(last)] += client - total;
    Refresh();
  }
  ResetScrollBars();
}

void CGridCtrl::FillWindowWithCells() {
  if (!host_) return;
  Rect client = GetClientRect();
  int w = std::max(1, defaultCell_.GetWidth()), h = std::max(1, defaultCell_.GetHeight());
  SetColumnCount(client.right / w + 1);
  SetRowCount(client.bottom / h + 1);
  SetFixedRowCount(1);
  SetFixedColumnCount(1);
  ExpandToFit(true);
  Refresh();
}

}  // namespace gridmodel
