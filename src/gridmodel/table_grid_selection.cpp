// The focus cell, the selection (kept on the cells and in a map), and the search by state.
#include <algorithm>

#include "gridmodel/table_grid.h"

namespace gridmodel {

CCellID CGridCtrl::SetFocusCell(CCellID cell) {
  if (cell == focusCell_) return focusCell_;
  CCellID prev = focusCell_;
  if (cell.row != -1 && cell.row < fixedRows_) cell.row = fixedRows_;
  if (cell.col != -1 && cell.col < fixedCols_) cell.col = fixedCols_;
  focusCell_ = cell;
  if (IsValid(prev)) {
    SetItemState(prev.row, prev.col, GetItemState(prev.row, prev.col) & ~kStateFocused);
    RedrawCell(prev.row, prev.col);
    if (trackFocusCell_) {
      if (prev.col != cell.col)
        for (int r = 0; r < fixedRows_; ++r) RedrawCell(r, prev.col);
      if (prev.row != cell.row)
        for (int c = 0; c < fixedCols_; ++c) RedrawCell(prev.row, c);
    }
  }
  if (IsValid(cell)) {
    SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | kStateFocused);
    RedrawCell(cell.row, cell.col);
    if (trackFocusCell_) {
      if (prev.col != cell.col)
        for (int r = 0; r < fixedRows_; ++r) RedrawCell(r, cell.col);
      if (prev.row != cell.row)
        for (int c = 0; c < fixedCols_; ++c) RedrawCell(cell.row, c);
    }
  }
  return prev;
}

bool CGridCtrl::SetItemState(int row, int col, unsigned state) {
  bool selected = IsCellSelected(row, col);
  if (selected && !(state & kStateSelected)) selected_.erase(Key(row, col));
  else if (!selected && (state & kStateSelected)) selected_[Key(row, col)] = CCellID(row, col);
  if (ownerData_) return false;
  CGridCellBase* cell = GetCell(row, col);
  if (!cell) return false;
  cell->SetState(state);
  return true;
}

unsigned CGridCtrl::GetItemState(int row, int col) const {
  CGridCellBase* cell = GetCell(row, col);
  return cell ? cell->GetState() : 0;
}

bool CGridCtrl::IsCellSelected(int row, int col) const {
  if (!enableSelection_) return false;
  if (ownerData_) return selected_.count(Key(row, col)) != 0;
  CGridCellBase* cell = GetCell(row, col);
  return cell && cell->IsSelected();
}

CGridRange CGridCtrl::GetSelectedCellRange() const {
  CGridRange r(rowCount_, colCount_, -1, -1);
  for (const auto& [key, cell] : selected_) {
    r.minRow = std::min(r.minRow, cell.row);
    r.minCol = std::min(r.minCol, cell.col);
    r.maxRow = std::max(r.maxRow, cell.row);
    r.maxCol = std::max(r.maxCol, cell.col);
  }
  return r;
}

void CGridCtrl::SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool, bool selectCells) {
  if (!enableSelection_) return;
  CGridRange vis(-1, -1, -1, -1);
  if (host_) vis = GetVisibleNonFixedCellRange();
  auto visible = [&](int r, int c) {
    return r >= vis.minRow && r <= vis.maxRow && c >= vis.minCol && c <= vis.maxCol;
  };
  if (minRow >= 0 && minRow < fixedRows_) minRow = fixedRows_;
  if (maxRow >= 0 && maxRow < fixedRows_) maxRow = fixedRows_;
  if (minCol >= 0 && minCol < fixedCols_) minCol = fixedCols_;
  if (maxCol >= 0 && maxCol < fixedCols_) maxCol = fixedCols_;
  bool all = minRow >= 0 && minCol >= 0 && maxRow >= 0 && maxCol >= 0;
  if (selectCells) {
    std::vector<CCellID> old;
    for (const auto& [key, cell] : selected_) old.push_back(cell);
    for (const CCellID& cell : old) {
      if (!IsValid(cell)) {
        selected_.erase(Key(cell.row, cell.col));
        continue;
      }
      SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) & ~kStateSelected);
      selected_.erase(Key(cell.row, cell.col));
      bool inside = cell.row >= minRow && cell.row <= maxRow && cell.col >= minCol && cell.col <= maxCol;
      if (!inside && visible(cell.row, cell.col)) InvalidateCellRect(cell.row, cell.col);
    }
    if (!(singleRowSelection_ && rowSelect_) && all) {
      for (const auto& [key, cell] : previousSelected_) {
        if (!IsValid(cell)) continue;
        SetItemState(cell.row, cell.col, GetItemState(cell.row, cell.col) | kStateSelected);
        if (ownerData_) selected_[key] = cell;
        if (visible(cell.row, cell.col)) InvalidateCellRect(cell.row, cell.col);
      }
    }
  }
  if (all && maxRow < rowCount_ && maxCol < colCount_ && minRow <= maxRow && minCol <= maxCol) {
    for (int r = minRow; r <= maxRow; ++r)
      for (int c = minCol; c <= maxCol; ++c) {
        bool on = IsCellSelected(r, c);
        if (selectCells == on) continue;
        unsigned state = GetItemState(r, c);
        SetItemState(r, c, selectCells ? state | kStateSelected : state & ~kStateSelected);
        if (visible(r, c)) InvalidateCellRect(r, c);
      }
  }
}

void CGridCtrl::ResetSelectedRange() {
  previousSelected_.clear();
  SetSelectedRange(-1, -1, -1, -1);
  SetFocusCell(-1, -1);
}

long CGridCtrl::SelectAllCells() {
  SendMessageToParent(leftClickDownCell_.row, leftClickDownCell_.col, kNotifyItemChanging);
  SelectAllRange();
  return SendMessageToParent(focusCell_.row, focusCell_.col, kNotifyItemChanged);
}

void CGridCtrl::SelectAllRange() {
  if (!enableSelection_) return;
  SetSelectedRange(fixedRows_, fixedCols_, rowCount_ - 1, colCount_ - 1);
}

void CGridCtrl::SelectColumns(CCellID current, bool forceRedraw, bool selectCells) {
  if (!enableSelection_ || current.col < fixedCols_ || !IsValid(current)) return;
  int c0 = singleColSelection_ ? current.col : std::min(current.col, selectionStartCell_.col);
  int c1 = singleColSelection_ ? current.col : std::max(current.col, selectionStartCell_.col);
  if (!singleColSelection_ && selectionStartCell_.col < 0) c0 = -1;
  SetSelectedRange(fixedRows_, c0, rowCount_ - 1, c1, forceRedraw, selectCells);
}

void CGridCtrl::SelectRows(CCellID current, bool forceRedraw, bool selectCells) {
  if (!enableSelection_ || current.row < fixedRows_ || !IsValid(current)) return;
  bool single = singleRowSelection_ && rowSelect_;
  int r0 = single ? current.row : std::min(current.row, selectionStartCell_.row);
  int r1 = single ? current.row : std::max(current.row, selectionStartCell_.row);
  if (!single && selectionStartCell_.row < 0) r0 = -1;
  SetSelectedRange(r0, fixedCols_, r1, colCount_ - 1, forceRedraw, selectCells);
}

void CGridCtrl::SelectCells(CCellID current, bool forceRedraw, bool selectCells) {
  if (!enableSelection_ || current.row < fixedRows_ || current.col < fixedCols_ || !IsValid(current)) return;
  CCellID a = selectionStartCell_;
  if (a.row < 0 || a.col < 0) {
    SetSelectedRange(-1, -1, -1, -1, forceRedraw, selectCells);
    return;
  }
  SetSelectedRange(std::min(a.row, current.row), std::min(a.col, current.col), std::max(a.row, current.row),
                   std::max(a.col, current.col), forceRedraw, selectCells);
}

void CGridCtrl::OnSelecting(const CCellID& current) {
  if (!enableSelection_) return;
  switch (mouseMode_) {
    case 1: SelectAllRange(); break;
    case 2: SelectColumns(current); break;
    case 3: SelectRows(current); break;
    case 4: SelectCells(current); break;
    default: break;
  }
}

CCellID CGridCtrl::GetNextItem(CCellID cell, unsigned flags) const {
  auto match = [&](int r, int c) {
    unsigned s = GetItemState(r, c);
    return (s & flags & 0x1F) != 0 || ((flags & 0x20) && (s & kStateModified));
  };
  if ((flags & 0xE00) == 0xE00) {
    int r0 = cell.row < 1 ? fixedRows_ : cell.row;
    int c0 = cell.col + 1 < 1 ? fixedCols_ : cell.col + 1;
    for (int r = r0; r < rowCount_; ++r, c0 = fixedCols_)
      for (int c = c0; c < colCount_; ++c)
        if (match(r, c)) return CCellID(r, c);
  } else if ((flags & 0xA00) == 0xA00) {
    int r0 = cell.row < 1 ? fixedRows_ : cell.row;
    int c0 = cell.col < 0 ? fixedCols_ : cell.col + 1;
    for (int r = r0; r < rowCount_; ++r)
      for (int c = c0; c < colCount_; ++c)
        if (match(r, c)) return CCellID(r, c);
  } else if (flags & 0x100) {
    for (int r = cell.row - 1; r >= fixedRows_; --r)
      if (match(r, cell.col)) return CCellID(r, cell.col);
  } else if (flags & 0x200) {
    for (int r = cell.row + 1; r < rowCount_; ++r)
      if (match(r, cell.col)) return CCellID(r, cell.col);
  } else if (flags & 0x400) {
    for (int c = cell.col - 1; c >= fixedCols_; --c)
      if (match(cell.row, c)) return CCellID(cell.row, c);
  } else if (flags & 0x800) {
    for (int c = cell.col + 1; c < colCount_; ++c)
      if (match(cell.row, c)) return CCellID(cell.row, c);
  }
  return CCellID();
}

}  // namespace gridmodel
