#include "gridmodel/table_grid.h"

#include <algorithm>
#include <new>

#include "gridmodel/painter_cairo.h"
#include "platform/messages.h"

namespace gridmodel {

namespace {
void TellOutOfMemory() { platform::Tell("Out of memory: the table could not grow."); }
}  // namespace

CGridCtrl::CGridCtrl(int rows, int cols, int fixedRows, int fixedCols) {
  gridBackColour_ = sys_.shadow;
  for (CGridDefaultCell* d : {&defaultCell_, &defaultFixedColumnCell_, &defaultFixedRowCell_, &defaultCornerCell_}) {
    d->SetGrid(this);
    d->Measure();
    d->SetTextColor(sys_.windowText);
    d->SetBackColor(sys_.face);
  }
  defaultCell_.SetBackColor(sys_.window);
  SetRowCount(rows);
  SetColumnCount(cols);
  SetFixedRowCount(fixedRows);
  SetFixedColumnCount(fixedCols);
  modified_ = false;
}

CGridCtrl::~CGridCtrl() {
  host_ = nullptr;
  owner_ = nullptr;
}

void CGridCtrl::SetHost(GridHost* host) {
  host_ = host;
  topLeftCell_ = CCellID();
  if (host_) ResetScrollBars();
}

Painter& CGridCtrl::Measurer() const { return host_ ? host_->Measurer() : HeadlessMeasurer(); }

void CGridCtrl::SetDefaultFont(const FontDesc& font) {
  for (CGridDefaultCell* d : {&defaultCell_, &defaultFixedColumnCell_, &defaultFixedRowCell_, &defaultCornerCell_})
    d->SetFont(&font);
  Refresh();
}

CGridDefaultCell* CGridCtrl::GetDefaultCell(bool fixedRow, bool fixedCol) {
  if (fixedRow && fixedCol) return &defaultCornerCell_;
  if (fixedRow) return &defaultFixedRowCell_;
  if (fixedCol) return &defaultFixedColumnCell_;
  return &defaultCell_;
}
const CGridDefaultCell* CGridCtrl::GetDefaultCell(bool fixedRow, bool fixedCol) const {
  return const_cast<CGridCtrl*>(this)->GetDefaultCell(fixedRow, fixedCol);
}

void CGridCtrl::ClearSortColumn() {
  if (sortColumn_ >= 0) InvalidateCellRect(0, sortColumn_);
  sortColumn_ = -1;
}

void CGridCtrl::AfterStructureChange() {
  ClearSortColumn();
  modified_ = true;
  ResetScrollBars();
  Refresh();
}

// ---- counts

bool CGridCtrl::SetRowCount(int rows) {
  if (rows < 0) return false;
  if (rows == rowCount_) return true;
  bool ok = true;
  topLeftCell_.col = -1;
  if (rows < fixedRows_) fixedRows_ = rows;
  if (focusCell_.row != -1 && rows <= focusCell_.row) SetFocusCell(-1, -1);
  if (rows < rowCount_ && !ownerData_) {
    for (int r = rows; r < rowCount_; ++r)
      for (int c = 0; c < colCount_; ++c) DestroyCell(r, c);
    rows_.resize(static_cast<std::size_t>(rows));
  }
  if (rows < rowCount_) {
    rowCount_ = rows;
    rowHeights_.resize(static_cast<std::size_t>(rows));
  } else {
    try {
      rowHeights_.reserve(static_cast<std::size_t>(rows));
      if (!ownerData_) rows_.reserve(static_cast<std::size_t>(rows));
      while (rowCount_ < rows) {
        int r = rowCount_;
        if (!ownerData_) {
          Row row(static_cast<std::size_t>(colCount_));
          rows_.push_back(std::move(row));
          for (int c = 0; c < colCount_; ++c) rows_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = CreateCell(r, c);
        }
        rowHeights_.push_back(defaultCell_.GetHeight());
        ++rowCount_;
      }
    } catch (const std::bad_alloc&) {
      if (!ownerData_) rows_.resize(static_cast<std::size_t>(rowCount_));
      rowHeights_.resize(static_cast<std::size_t>(rowCount_));
      TellOutOfMemory();
      ok = false;
    }
  }
  AfterStructureChange();
  return ok;
}

bool CGridCtrl::SetColumnCount(int cols) {
  if (cols < 0) return false;
  if (cols == colCount_) return true;
  bool ok = true;
  topLeftCell_.col = -1;
  if (cols < fixedCols_) fixedCols_ = cols;
  if (focusCell_.col != -1 && cols <= focusCell_.col) SetFocusCell(-1, -1);
  if (cols < colCount_) {
    if (!ownerData_)
      for (int r = 0; r < rowCount_; ++r) {
        for (int c = cols; c < colCount_; ++c) DestroyCell(r, c);
        rows_[static_cast<std::size_t>(r)].resize(static_cast<std::size_t>(cols));
      }
    colWidths_.resize(static_cast<std::size_t>(cols));
    colCount_ = cols;
  } else {
    int old = colCount_;
    try {
      colWidths_.resize(static_cast<std::size_t>(cols), defaultFixedColumnCell_.GetWidth());
      if (!ownerData_)
        for (int r = 0; r < rowCount_; ++r) {
          Row& row = rows_[static_cast<std::size_t>(r)];
          row.reserve(static_cast<std::size_t>(cols));
          for (int c = old; c < cols; ++c) row.push_back(CreateCell(r, c));
        }
      colCount_ = cols;
    } catch (const std::bad_alloc&) {
      colWidths_.resize(static_cast<std::size_t>(old));
      for (Row& row : rows_) row.resize(static_cast<std::size_t>(old));
      TellOutOfMemory();
      ok = false;
    }
  }
  AfterStructureChange();
  return ok;
}

void CGridCtrl::ResetFixedState(int row, int col, unsigned add, unsigned remove, bool resetColours) {
  CGridCellBase* cell = GetCell(row, col);
  if (!cell) return;
  SetItemState(row, col, (cell->GetState() | add) & ~remove);
  if (resetColours) {
    cell->SetTextColor(kDefaultColour);
    cell->SetBackColor(kDefaultColour);
  }
}

bool CGridCtrl::SetFixedRowCount(int fixedRows) {
  if (fixedRows < 0) return false;
  if (fixedRows == fixedRows_) return true;
  ResetSelectedRange();
  topLeftCell_.col = -1;
  if (fixedRows > rowCount_ && !SetRowCount(fixedRows)) return false;
  if (focusCell_.row != -1 && focusCell_.row < fixedRows) SetFocusCell(-1, -1);
  if (!ownerData_) {
    if (fixedRows > fixedRows_) {
      for (int r = fixedRows_; r < fixedRows; ++r)
        for (int c = 0; c < colCount_; ++c) ResetFixedState(r, c, kStateFixed | kStateFixedRow, 0, true);
    } else {
      for (int r = fixedRows; r < fixedRows_; ++r)
        for (int c = 0; c < colCount_; ++c) {
          if (c < fixedCols_) ResetFixedState(r, c, 0, kStateFixedRow, false);
          else ResetFixedState(r, c, 0, kStateFixed | kStateFixedRow, true);
        }
    }
  }
  fixedRows_ = fixedRows;
  Refresh();
  return true;
}

bool CGridCtrl::SetFixedColumnCount(int fixedCols) {
  if (fixedCols < 0) return false;
  if (fixedCols == fixedCols_) return true;
  if (fixedCols > colCount_ && !SetColumnCount(fixedCols)) return false;
  if (focusCell_.col != -1 && focusCell_.col < fixedCols) SetFocusCell(-1, -1);
  ResetSelectedRange();
  topLeftCell_.col = -1;
  if (!ownerData_) {
    if (fixedCols > fixedCols_) {
      for (int r = 0; r < rowCount_; ++r)
        for (int c = fixedCols_; c < fixedCols; ++c) ResetFixedState(r, c, kStateFixed | kStateFixedCol, 0, true);
    } else {
      for (int r = 0; r < rowCount_; ++r)
        for (int c = fixedCols; c < fixedCols_; ++c) {
          if (r < fixedRows_) ResetFixedState(r, c, 0, kStateFixedCol, false);
          else ResetFixedState(r, c, 0, kStateFixed | kStateFixedCol, true);
        }
    }
  }
  fixedCols_ = fixedCols;
  Refresh();
  return true;
}

// ---- cells

CGridCellBase* CGridCtrl::GetCell(int row, int col) const {
  if (row < 0 || row >= rowCount_ || col < 0 || col >= colCount_) return nullptr;
  if (!ownerData_) {
    if (static_cast<std::size_t>(row) >= rows_.size()) return nullptr;
    return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)].get();
  }
  // Owner data: one cell per grid, filled anew from the owner at every call.
  const CGridDefaultCell* def = GetDefaultCell(row < fixedRows_, col < fixedCols_);
  GridItem item;
  item.row = row;
  item.col = col;
  item.mask = kMaskAll;
  item.format = def->GetFormat();
  item.image = def->GetImage();
  item.backColour = def->GetBackColor();
  item.textColour = def->GetTextColor();
  item.data = def->GetData();
  item.font = *def->GetFont();
  item.margin = def->GetMargin();
  if (IsCellSelected(row, col)) item.state |= kStateSelected;
  if (row < fixedRows_) item.state |= kStateFixed | kStateFixedRow;
  if (col < fixedCols_) item.state |= kStateFixed | kStateFixedCol;
  if (focusCell_ == CCellID(row, col)) item.state |= kStateFocused;
  if (owner_) owner_->OnGridDisplayInfo(item);
  if (!ownerDataCell_) ownerDataCell_ = std::make_unique<CGridCell>();
  CGridCell& cell = *ownerDataCell_;
  cell.SetState(item.state);
  cell.SetFormat(item.format);
  cell.SetImage(item.image);
  cell.SetBackColor(item.backColour);
  cell.SetTextColor(item.textColour);
  cell.SetData(item.data);
  cell.SetFont(&item.font);
  cell.SetMargin(item.margin);
  cell.SetText(item.text);
  cell.SetGrid(const_cast<CGridCtrl*>(this));
  return &cell;
}

bool CGridCtrl::SetCell(int row, int col, std::unique_ptr<CGridCellBase> cell) {
  if (ownerData_ || !cell || row < 0 || row >= rowCount_ || col < 0 || col >= colCount_) return false;
  cell->SetRowCol(row, col);
  auto& slot = rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
  if (slot && slot->IsSelected()) selected_.erase(Key(row, col));
  slot = std::move(cell);
  if (slot->IsSelected()) selected_[Key(row, col)] = CCellID(row, col);
  return true;
}

std::unique_ptr<CGridCellBase> CGridCtrl::CreateCell(int row, int col) {
  if (!cellFactory_) return nullptr;
  std::unique_ptr<CGridCellBase> cell = cellFactory_();
  if (!cell) return nullptr;
  cell->SetGrid(this);
  cell->SetRowCol(row, col);
  if (col < fixedCols_) cell->SetState(cell->GetState() | kStateFixed | kStateFixedCol);
  if (row < fixedRows_) cell->SetState(cell->GetState() | kStateFixed | kStateFixedRow);
  const CGridDefaultCell* def = cell->GetDefaultCell();
  if (def) cell->SetFormat(def->GetFormat());
  return cell;
}

void CGridCtrl::DestroyCell(int row, int col) {
  if (ownerData_ || !GetCell(row, col)) return;
  SetItemState(row, col, 0);
  rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)].reset();
}

bool CGridCtrl::SetCellClass(int row, int col, CellFactory factory) {
  if (ownerData_ || !factory || row < 0 || row >= rowCount_ || col < 0 || col >= colCount_) return false;
  std::unique_ptr<CGridCellBase> cell = factory();
  if (!cell) return false;
  if (CGridCellBase* old = GetCell(row, col)) cell->CopyFrom(*old);
  else cell->SetGrid(this);
  return SetCell(row, col, std::move(cell));
}

bool CGridCtrl::SetDefaultCellClass(CellFactory factory) {
  if (!factory) return false;
  cellFactory_ = factory;
  return true;
}

bool CGridCtrl::DeleteAllItems() {
  ResetSelectedRange();
  rowHeights_.clear();
  colWidths_.clear();
  rows_.clear();
  selected_.clear();
  focusCell_ = CCellID();
  rowCount_ = colCount_ = fixedRows_ = fixedCols_ = 0;
  topLeftCell_ = CCellID();
  ResetScrollBars();
  ClearSortColumn();
  modified_ = true;
  Refresh();
  return true;
}

void CGridCtrl::SetOwnerDataMode(bool on) {
  DeleteAllItems();
  ownerData_ = on;
  if (on) {
    autoSizeStyle_ = 1;
    editable_ = false;
    headerColSelectsRows_ = false;
    sortOnHeaderClick_ = false;
    headerRowSelectsColumns_ = false;
  }
}

void CGridCtrl::SetRowSelectMode(bool on) {
  ResetSelectedRange();
  ClearSortColumn();
  rowSelect_ = on;
  headerRowSelectsColumns_ = false;
  Refresh();
}

void CGridCtrl::SetGridLines(int which) {
  gridLines_ = which;
  Refresh();
}

void CGridCtrl::OnSysColorChange(const SystemColours& now) {
  for (CGridDefaultCell* d : {&defaultCell_, &defaultFixedColumnCell_, &defaultFixedRowCell_, &defaultCornerCell_}) {
    if (d->GetTextColor() == sys_.windowText) d->SetTextColor(now.windowText);
    if (d->GetBackColor() == sys_.window) d->SetBackColor(now.window);
  }
  if (gridBackColour_ == sys_.shadow) gridBackColour_ = now.shadow;
  sys_ = now;
  Refresh();
}

}  // namespace gridmodel
