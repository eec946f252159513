// Mouse and keyboard, in-place editing and the owner's notifications.
#include <algorithm>

#include "gridmodel/table_grid.h"

namespace gridmodel {

long CGridCtrl::SendMessageToParent(int row, int col, int code) {
  if (!owner_) return 0;
  return owner_->OnGridNotify(GridNotify{code, row, col});
}

void CGridCtrl::SendRangeHintToParent(const CGridRange& range) {
  if (owner_) owner_->OnGridRangeHint(range);
}

bool CGridCtrl::MouseOverRowResizeArea(Point point) {
  if (point.x >= GetFixedColumnWidth()) return false;
  CCellID cell = GetCellFromPt(point);
  Point o;
  if (!GetCellOrigin(cell.row, cell.col, o)) return false;
  int endy = o.y + GetRowHeight(cell.row);
  return (point.y - o.y < resizeCaptureRange_ && cell.row != 0) || endy - point.y < resizeCaptureRange_;
}

bool CGridCtrl::MouseOverColumnResizeArea(Point point) {
  if (point.y >= GetFixedRowHeight()) return false;
  CCellID cell = GetCellFromPt(point);
  Point o;
  if (!GetCellOrigin(cell.row, cell.col, o)) return false;
  int endx = o.x + GetColumnWidth(cell.col);
  return (point.x - o.x < resizeCaptureRange_ && cell.col != 0) || endx - point.x < resizeCaptureRange_;
}

bool CGridCtrl::PointInText(const CCellID& cell, Point point) {
  Rect text;
  if (!GetCell(cell.row, cell.col) || !GetTextRect(cell.row, cell.col, text)) return false;
  return point.x >= text.left && point.x <= text.right && point.y >= text.top && point.y <= text.bottom;
}

void CGridCtrl::OnFixedColumnClick(CCellID& cell) {
  if (!IsValid(cell)) return;
  if (headerColSelectsRows_) {
    mouseMode_ = cell.row < fixedRows_ ? 1 : 3;
    OnSelecting(cell);
  }
}

void CGridCtrl::OnFixedRowClick(CCellID& cell) {
  if (!IsValid(cell)) return;
  if (sortOnHeaderClick_) {
    if (host_) host_->ShowCursor(GridCursor::Wait);
    bool ascending = !(cell.col == sortColumn_ && sortAscending_);
    SortByColumn(cell.col, ascending);
    if (host_) {
      host_->ShowCursor(GridCursor::Arrow);
      host_->Invalidate(nullptr);
    }
  }
  if (headerRowSelectsColumns_) {
    mouseMode_ = cell.col < fixedCols_ ? 1 : 2;
    OnSelecting(cell);
  }
}

void CGridCtrl::OnLButtonDown(Point point, unsigned mods) {
  if (host_) host_->TakeFocus();
  leftButtonDown_ = true;
  leftClickDownPoint_ = point;
  leftClickDownCell_ = GetCellFromPt(point);
  if (!IsValid(leftClickDownCell_)) return;
  if (!(mods & kModShift)) selectionStartCell_ = leftClickDownCell_;
  else if (!IsValid(selectionStartCell_)) selectionStartCell_ = focusCell_;
  EndEditing();
  if (CGridCellBase* cell = GetCell(leftClickDownCell_.row, leftClickDownCell_.col))
    cell->OnLButtonDown(GetPointInCell(leftClickDownCell_.row, leftClickDownCell_.col, point));
  bool inText = PointInText(leftClickDownCell_, point);
  if (leftClickDownCell_ == focusCell_ && !(mods & kModCtrl) && inText && editable_ &&
      !(GetItemState(focusCell_.row, focusCell_.col) & kStateReadOnly)) {
    mouseMode_ = 10;
    return;
  }
  if (!IsCellSelected(leftClickDownCell_.row, leftClickDownCell_.col)) {
    if (mouseMode_ != 6 && mouseMode_ != 8) {
      SetFocusCell(-1, -1);
      if (rowCount_ > fixedRows_ && colCount_ > fixedCols_)
        SetFocusCell(std::max(leftClickDownCell_.row, fixedRows_), std::max(leftClickDownCell_.col, fixedCols_));
    }
  } else if (mods & kModCtrl) {
    SetFocusCell(leftClickDownCell_);
    if (rowSelect_) SelectRows(leftClickDownCell_, true, false);
    else SelectCells(leftClickDownCell_, true, false);
    return;
  }
  if (host_) host_->Capture(true);
  if (mouseMode_ == 0) {
    if (allowColumnResize_ && MouseOverColumnResizeArea(point)) mouseMode_ = 8;
    else if (allowRowResize_ && MouseOverRowResizeArea(point)) mouseMode_ = 6;
  }
  if (mouseMode_ == 8) {
    Rect vis;
    GetVisibleNonFixedCellRange(&vis);
    if (GetColumnWidth(colCount_ - 1) < resizeCaptureRange_ && point.x > vis.right - resizeCaptureRange_)
      leftClickDownCell_.col = colCount_ - 1;
    Point o;
    if (!GetCellOrigin(0, leftClickDownCell_.col, o)) return;
    bool leftEdge = point.x - o.x < resizeCaptureRange_;
    if (leftEdge && !(leftClickDownCell_.col == colCount_ - 1 && GetColumnWidth(colCount_ - 1) < resizeCaptureRange_)) {
      --leftClickDownCell_.col;
      if (!unhideHiddenColumns_)
        while (leftClickDownCell_.col >= 0 && GetColumnWidth(leftClickDownCell_.col) == 0) --leftClickDownCell_.col;
      if (leftClickDownCell_.col < 0 || !GetCellOrigin(0, leftClickDownCell_.col, o)) return;
    }
    mouseMode_ = 9;
    if (host_) host_->ShowTracker(true, point.x);
  } else if (mouseMode_ == 6) {
    Point o;
    if (!GetCellOrigin(leftClickDownCell_.row, 0, o)) return;
    bool topEdge = point.y - o.y < resizeCaptureRange_;
    if (topEdge) {
      --leftClickDownCell_.row;
      if (!unhideHiddenRows_)
        while (leftClickDownCell_.row >= 0 && GetRowHeight(leftClickDownCell_.row) == 0) --leftClickDownCell_.row;
      if (leftClickDownCell_.row < 0 || !GetCellOrigin(leftClickDownCell_.row, 0, o)) return;
    }
    mouseMode_ = 7;
    if (host_) host_->ShowTracker(false, point.y);
  } else {
    SendMessageToParent(leftClickDownCell_.row, leftClickDownCell_.col, kNotifyItemChanging);
    previousSelected_.clear();
    if (mods & kModCtrl) previousSelected_ = selected_;
    if (leftClickDownCell_.row < fixedRows_) {
      OnFixedRowClick(leftClickDownCell_);
    } else if (leftClickDownCell_.col < fixedCols_) {
      OnFixedColumnClick(leftClickDownCell_);
    } else {
      mouseMode_ = rowSelect_ ? 3 : 4;
      OnSelecting(leftClickDownCell_);
      timerRunning_ = true;
      if (host_) host_->StartTimer(timerInterval_);
    }
  }
  lastMousePoint_ = point;
}

GridCursor CGridCtrl::CursorAt(Point point) {
  if (mouseMode_ == 6 || mouseMode_ == 7) return GridCursor::SizeNS;
  if (mouseMode_ == 8 || mouseMode_ == 9) return GridCursor::SizeWE;
  return GridCursor::Arrow;
}

void CGridCtrl::OnMouseMove(Point point, bool leftDown) {
  if (!leftDown || mouseMode_ == 0) {
    if (allowColumnResize_ && MouseOverColumnResizeArea(point)) {
      if (mouseMode_ != 8) {
        mouseMode_ = 8;
        if (host_) host_->ShowCursor(GridCursor::SizeWE);
      }
    } else if (allowRowResize_ && MouseOverRowResizeArea(point)) {
      if (mouseMode_ != 6) {
        mouseMode_ = 6;
        if (host_) host_->ShowCursor(GridCursor::SizeNS);
      }
    } else if (mouseMode_ != 0) {
      mouseMode_ = 0;
      if (host_) host_->ShowCursor(GridCursor::Arrow);
    }
    if (mouseMode_ == 0 && !(ownerData_ && !hoverInOwnerData_)) {
      CCellID c = GetCellFromPt(point);
      if (CGridCellBase* cell = GetCell(c.row, c.col)) cell->OnMouseMove();
    }
    lastMousePoint_ = point;
    return;
  }
  if (!IsValid(leftClickDownCell_)) {
    lastMousePoint_ = point;
    return;
  }
  if (mouseMode_ >= 2 && mouseMode_ <= 4) {
    CCellID cell = GetCellFromPt(point);
    if (!IsValid(cell)) return;
    if (!(cell == focusCell_)) {
      OnSelecting(cell);
      if ((cell.row >= fixedRows_ && cell.col >= fixedCols_) || mouseMode_ == 2 || mouseMode_ == 3)
        SetFocusCell(cell);
    }
  } else if (mouseMode_ == 7) {
    if (host_) host_->ShowTracker(false, point.y);
  } else if (mouseMode_ == 9) {
    if (host_) host_->ShowTracker(true, point.x);
  }
  lastMousePoint_ = point;
}

void CGridCtrl::OnTimer(Point cursor) {
  if (!host_ || !timerRunning_) return;
  Rect client = GetClientRect();
  int fixedH = GetFixedRowHeight(), fixedW = GetFixedColumnWidth();
  int cx = std::clamp(cursor.x, client.left, std::max(client.left, client.right - 1));
  int cy = std::clamp(cursor.y, client.top, std::max(client.top, client.bottom - 1));
  if (cursor.y > client.bottom) {
    OnKeyDown(kKeyDown, 0);
    OnSelecting(GetCellFromPt(Point{cx, client.bottom - 1}));
  } else if (cursor.y < fixedH) {
    OnKeyDown(kKeyUp, 0);
    OnSelecting(GetCellFromPt(Point{cx, fixedH + 1}));
  }
  if (cursor.x > client.right) {
    OnKeyDown(kKeyRight, 0);
    OnSelecting(GetCellFromPt(Point{client.right - 1, cy}));
  } else if (cursor.x < fixedW) {
    OnKeyDown(kKeyLeft, 0);
    OnSelecting(GetCellFromPt(Point{fixedW + 1, cy}));
  }
}

void CGridCtrl::OnCaptureLost() {
  if (timerRunning_) {
    timerRunning_ = false;
    if (host_) host_->StopTimer();
  }
}

void CGridCtrl::OnLButtonUp(Point point) {
  leftButtonDown_ = false;
  if (host_) {
    host_->Capture(false);
    if (timerRunning_) host_->StopTimer();
  }
  timerRunning_ = false;
  if (mouseMode_ == 10) {
    OnEditCell(focusCell_.row, focusCell_.col, GetPointInCell(focusCell_.row, focusCell_.col, point), kKeyLButton);
  } else if (mouseMode_ == 9) {
    if (host_) host_->ShowTracker(true, -1);
    if (!(point == leftClickDownPoint_) && !(point == Point{})) {
      Point o;
      if (!GetCellOrigin(0, leftClickDownCell_.col, o)) return;
      int w = std::max(point.x - o.x, allowColumnHide_ ? 0 : 1);
      colWidths_[static_cast<std::size_t>(leftClickDownCell_.col)] = w;
      ResetScrollBars();
      Refresh();
    }
  } else if (mouseMode_ == 7) {
    if (host_) host_->ShowTracker(false, -1);
    if (!(point == leftClickDownPoint_) && !(point == Point{})) {
      Point o;
      if (!GetCellOrigin(leftClickDownCell_.row, 0, o)) return;
      int h = std::max(point.y - o.y, allowRowHide_ ? 0 : 1);
      rowHeights_[static_cast<std::size_t>(leftClickDownCell_.row)] = h;
      ResetScrollBars();
      Refresh();
    }
  } else {
    SendMessageToParent(focusCell_.row, focusCell_.col, kNotifyItemChanged);
    if (CGridCellBase* cell = GetCell(focusCell_.row, focusCell_.col))
      cell->OnLButtonUp(GetPointInCell(focusCell_.row, focusCell_.col, point));
    SendMessageToParent(leftClickDownCell_.row, leftClickDownCell_.col, kNotifyClick);
  }
  mouseMode_ = 0;
  if (host_) host_->ShowCursor(GridCursor::Arrow);
  if (IsValid(leftClickDownCell_) && owner_) owner_->OnGridCommand();
}

void CGridCtrl::OnLButtonDblClk(Point point) {
  CCellID cell = GetCellFromPt(point);
  if (!IsValid(cell)) return;
  if (mouseMode_ == 8) {
    Point o;
    if (!GetCellOrigin(0, cell.col, o)) return;
    int col = cell.col;
    if (point.x - o.x < resizeCaptureRange_) --col;
    while (col >= 0 && GetColumnWidth(col) == 0) --col;
    if (col < 0) return;
    AutoSizeColumn(col, autoSizeStyle_);
    Refresh();
  } else if (mouseMode_ == 6) {
    Point o;
    if (!GetCellOrigin(cell.row, cell.col, o)) return;
    int row = cell.row;
    if (point.y - o.y < resizeCaptureRange_) --row;
    while (row >= 0 && GetRowHeight(row) == 0) --row;
    if (row < 0) return;
    AutoSizeRow(row);
    Refresh();
  } else if (mouseMode_ == 0) {
    Point inCell = GetPointInCell(cell.row, cell.col, point);
    bool inText = PointInText(cell, point);
    if (cell.row >= fixedRows_ && cell.col >= fixedCols_ && inText && (IsValid(leftClickDownCell_) || rowSelect_))
      OnEditCell(cell.row, cell.col, inCell, kKeyLButton);
    if (CGridCellBase* c = GetCell(cell.row, cell.col)) c->OnLButtonDblClk(inCell);
    SendMessageToParent(cell.row, cell.col, kNotifyDblClick);
  }
}

long CGridCtrl::OnRButtonUp(Point point) {
  CCellID cell = GetCellFromPt(point);
  EndEditing();
  if (!IsValid(cell)) return SendMessageToParent(-1, -1, kNotifyRClick);
  SetFocusCell(-1, -1);
  SetFocusCell(std::max(cell.row, fixedRows_), std::max(cell.col, fixedCols_));
  if (CGridCellBase* c = GetCell(cell.row, cell.col)) c->OnRButtonUp(GetPointInCell(cell.row, cell.col, point));
  return SendMessageToParent(cell.row, cell.col, kNotifyRClick);
}

void CGridCtrl::OnKeyDown(unsigned key, unsigned mods) {
  if (!IsValid(focusCell_)) return;
  CCellID next = focusCell_;
  bool wrapped = false;
  int bars = 0;  // bit 1 horizontal, bit 2 vertical scrolled by the key
  bool shift = mods & kModShift, ctrl = mods & kModCtrl;
  auto visibleRow = [&](int r) { return GetRowHeight(r) > 0; };
  auto visibleCol = [&](int c) { return GetColumnWidth(c) > 0; };
  if (ctrl && (key == 'A' || key == 'a')) {
    SelectAllCells();
    return;
  }
  switch (key) {
    case kKeyDelete:
      ReplaceCellText(focusCell_.row, focusCell_.col, "");
      return;
    case kKeyF2:
      OnEditCell(focusCell_.row, focusCell_.col, Point{-1, -1}, kKeyLButton);
      return;
    case kKeyDown:
      for (int r = next.row + 1; r < rowCount_; ++r)
        if (visibleRow(r)) { next.row = r; break; }
      break;
    case kKeyUp:
      for (int r = next.row - 1; r >= fixedRows_; --r)
        if (visibleRow(r)) { next.row = r; break; }
      break;
    case kKeyRight:
      for (int c = next.col + 1; c < colCount_; ++c)
        if (visibleCol(c)) { next.col = c; break; }
      break;
    case kKeyLeft:
      for (int c = next.col - 1; c >= fixedCols_; --c)
        if (visibleCol(c)) { next.col = c; break; }
      break;
    case kKeyTab:
      if (!shift) {
        int c = next.col + 1;
        while (c < colCount_ && !visibleCol(c)) ++c;
        if (c < colCount_) next.col = c;
        else if (next.row < rowCount_ - 1) {
          next.row += 1;
          next.col = fixedCols_;
          wrapped = true;
        }
      } else {
        int c = next.col - 1;
        while (c >= fixedCols_ && !visibleCol(c)) --c;
        if (c >= fixedCols_) next.col = c;
        else if (next.row > fixedRows_) {
          next.row -= 1;
          next.col = colCount_ - 1;
          wrapped = true;
        }
      }
      break;
    case kKeyNext: {
      CCellID before = GetTopLeftNonFixedCell();
      OnVScroll(kPageDown);
      CCellID after = GetTopLeftNonFixedCell();
      bars |= 2;
      if (!(after.row == before.row)) next.row = std::min(rowCount_ - 1, next.row + after.row - before.row);
      else next.row = rowCount_ - 1;
      break;
    }
    case kKeyPrior: {
      CCellID before = GetTopLeftNonFixedCell();
      OnVScroll(kPageUp);
      CCellID after = GetTopLeftNonFixedCell();
      bars |= 2;
      if (!(after.row == before.row)) next.row = std::max(fixedRows_, next.row + after.row - before.row);
      else next.row = fixedRows_;
      break;
    }
    case kKeyHome:
      if (ctrl) {
        OnVScroll(kTop);
        next.row = fixedRows_;
        bars |= 2;
      }
      OnHScroll(kTop);
      bars |= 1;
      next.col = fixedCols_;
      while (next.col < colCount_ - 1 && !visibleCol(next.col)) ++next.col;
      while (next.row < rowCount_ - 1 && !visibleRow(next.row)) ++next.row;
      break;
    case kKeyEnd:
      if (ctrl) {
        OnVScroll(kBottom);
        next.row = rowCount_ - 1;
        bars |= 2;
      }
      OnHScroll(kBottom);
      bars |= 1;
      next.col = colCount_ - 1;
      while (next.col > fixedCols_ + 1 && !visibleCol(next.col)) --next.col;
      while (next.row > fixedRows_ + 1 && !visibleRow(next.row)) --next.row;
      break;
    default:
      return;
  }
  if (key == kKeyTab || key == kKeyLeft || key == kKeyRight) bars |= 1;
  if (key == kKeyUp || key == kKeyDown) bars |= 2;
  if (!(next == focusCell_)) MoveTo(next, key, mods, wrapped, bars);
}

void CGridCtrl::MoveTo(CCellID target, unsigned key, unsigned mods, bool wrapped, int bars) {
  bool shift = mods & kModShift;
  if (mouseMode_ == 0) {
    previousSelected_.clear();
    mouseMode_ = rowSelect_ ? 3 : 4;
    if (!shift || key == kKeyTab) selectionStartCell_ = target;
    OnSelecting(target);
    mouseMode_ = 0;
  }
  SetFocusCell(target);
  if (!IsCellVisible(target.row, target.col) && host_) {
    switch (key) {
      case kKeyTab:
        if (wrapped) {
          if (!shift) {
            OnVScroll(kLineDown);
            SetScrollPos32(0, 0);
          } else {
            OnVScroll(kLineUp);
            SetScrollPos32(0, hScrollMax_);
          }
        } else {
          OnHScroll(shift ? kLineUp : kLineDown);
        }
        break;
      case kKeyRight: OnHScroll(kLineDown); break;
      case kKeyLeft: OnHScroll(kLineUp); break;
      case kKeyDown: OnVScroll(kLineDown); break;
      case kKeyUp: OnVScroll(kLineUp); break;
      default: break;
    }
    EnsureVisible(target.row, target.col);
    host_->Invalidate(nullptr);
  }
  EnsureVisible(target.row, target.col);
}

void CGridCtrl::OnChar(unsigned ch, unsigned mods) {
  if ((mods & kModCtrl) || mouseMode_ != 0 || ch == kKeyEscape) return;
  if (ch == kKeyTab && handleTabKey_) return;
  OnEditCell(focusCell_.row, focusCell_.col, Point{-1, -1}, ch);
}

// ---- in-place editing

bool CGridCtrl::IsCellEditable(int row, int col) const {
  return editable_ && !(GetItemState(row, col) & kStateReadOnly);
}

void CGridCtrl::OnEditCell(int row, int col, Point point, unsigned ch) {
  if (!IsValid(row, col) || !editable_) return;
  CGridCellBase* cell = GetCell(row, col);
  if (!cell || cell->IsReadOnly()) return;
  EnsureVisible(row, col);
  Rect rect;
  if (!IsCellVisible(row, col) || !GetCellRect(row, col, rect)) return;
  if (SendMessageToParent(row, col, kNotifyBeginEdit) < 0) return;
  cell->Edit(row, col, rect, point, ch);
}

bool CGridCtrl::ValidateEdit(int row, int col, const std::string& text) {
  CGridCellBase* cell = GetCell(row, col);
  return !cell || cell->ValidateEdit(text);
}

void CGridCtrl::OnEndEditCell(int row, int col, const std::string& text) {
  std::string old = GetItemText(row, col);
  if (text != old) AcceptEditedText(row, col, old, text);
  if (CGridCellBase* cell = GetCell(row, col)) cell->OnEndEdit();
}

void CGridCtrl::EndEditing() {
  if (!IsValid(focusCell_)) return;
  if (CGridCellBase* cell = GetCell(focusCell_.row, focusCell_.col)) cell->EndEdit();
}

void CGridCtrl::OnEndInPlaceEdit(int row, int col, const std::string& text, unsigned lastKey) {
  if (!host_) return;
  OnEndEditCell(row, col, text);
  switch (lastKey) {
    case kKeyTab: case kKeyPrior: case kKeyNext: case kKeyEnd: case kKeyHome:
    case kKeyLeft: case kKeyUp: case kKeyRight: case kKeyDown:
      OnKeyDown(lastKey, 0);
      OnEditCell(focusCell_.row, focusCell_.col, Point{-1, -1}, lastKey);
      break;
    default:
      break;
  }
}

}  // namespace gridmodel
