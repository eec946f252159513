// What the cells show, rows and columns inserted and deleted, sizing to contents, sorting.
#include <algorithm>
#include <cstdlib>
#include <new>
#include <numeric>
#include <string_view>

#include "gridmodel/table_grid.h"
#include "platform/messages.h"

namespace gridmodel {

namespace {
template <typename F>
bool WithCell(const CGridCtrl& grid, int row, int col, F f) {
  if (grid.GetOwnerDataMode()) return false;
  CGridCellBase* cell = grid.GetCell(row, col);
  if (!cell) return false;
  f(*cell);
  return true;
}
}  // namespace

bool CGridCtrl::SetItemText(int row, int col, const std::string& text) {
  if (!WithCell(*this, row, col, [&](CGridCellBase& c) { c.SetText(text); })) return false;
  SetModified(true, row, col);
  return true;
}

std::string CGridCtrl::GetItemText(int row, int col) const {
  CGridCellBase* cell = GetCell(row, col);
  return cell ? cell->GetText() : std::string();
}

bool CGridCtrl::SetItemData(int row, int col, std::intptr_t data) {
  if (!WithCell(*this, row, col, [&](CGridCellBase& c) { c.SetData(data); })) return false;
  SetModified(true, row, col);
  return true;
}
std::intptr_t CGridCtrl::GetItemData(int row, int col) const {
  CGridCellBase* cell = GetCell(row, col);
  return cell ? cell->GetData() : 0;
}
bool CGridCtrl::SetItemImage(int row, int col, int image) {
  if (!WithCell(*this, row, col, [&](CGridCellBase& c) { c.SetImage(image); })) return false;
  SetModified(true, row, col);
  return true;
}
int CGridCtrl::GetItemImage(int row, int col) const {
  CGridCellBase* cell = GetCell(row, col);
  return cell ? cell->GetImage() : -1;
}
bool CGridCtrl::SetItemFormat(int row, int col, unsigned format) {
  return WithCell(*this, row, col, [&](CGridCellBase& c) { c.SetFormat(format); });
}
unsigned CGridCtrl::GetItemFormat(int row, int col) const {
  CGridCellBase* cell = GetCell(row, col);
  return cell ? cell->GetFormat() : 0;
}
bool CGridCtrl::SetItemBkColour(int row, int col, Colour c) {
  return WithCell(*this, row, col, [&](CGridCellBase& cell) { cell.SetBackColor(c); });
}
Colour CGridCtrl::GetItemBkColour(int row, int col) const {
  CGridCellBase* cell = GetCell(row, col);
  return cell ? cell->GetBackColor() : Colour::Rgb(0, 0, 0);
}
bool CGridCtrl::SetItemFgColour(int row, int col, Colour c) {
  return WithCell(*this, row, col, [&](CGridCellBase& cell) { cell.SetTextColor(c); });
}
Colour CGridCtrl::GetItemFgColour(int row, int col) const {
  CGridCellBase* cell = GetCell(row, col);
  return cell ? cell->GetTextColor() : Colour::Rgb(0, 0, 0);
}
bool CGridCtrl::SetItemFont(int row, int col, const FontDesc* font) {
  return WithCell(*this, row, col, [&](CGridCellBase& c) { c.SetFont(font); });
}
FontDesc CGridCtrl::GetItemFont(int row, int col) const {
  CGridCellBase* cell = GetCell(row, col);
  const FontDesc* f = cell ? cell->GetFont() : nullptr;
  if (f) return *f;
  return *GetDefaultCell(row < fixedRows_, col < fixedCols_)->GetFont();
}
bool CGridCtrl::IsItemEditing(int row, int col) const {
  CGridCellBase* cell = GetCell(row, col);
  return cell && cell->IsEditing();
}

bool CGridCtrl::SetItem(const GridItem* item) {
  if (!item || ownerData_) return false;
  CGridCellBase* cell = GetCell(item->row, item->col);
  if (!cell) return false;
  SetModified(true, item->row, item->col);
  if (item->mask & kMaskText) cell->SetText(item->text);
  if (item->mask & kMaskData) cell->SetData(item->data);
  if (item->mask & kMaskImage) cell->SetImage(item->image);
  if (item->mask & kMaskState) SetItemState(item->row, item->col, item->state);
  if (item->mask & kMaskFormat) cell->SetFormat(item->format);
  if (item->mask & kMaskBackColour) cell->SetBackColor(item->backColour);
  if (item->mask & kMaskTextColour) cell->SetTextColor(item->textColour);
  if (item->mask & kMaskFont) cell->SetFont(&item->font);
  if (item->mask & kMaskMargin) cell->SetMargin(item->margin);
  return true;
}

bool CGridCtrl::GetItem(GridItem* item) const {
  if (!item) return false;
  CGridCellBase* cell = GetCell(item->row, item->col);
  if (!cell) return false;
  if (item->mask & kMaskText) item->text = GetItemText(item->row, item->col);
  if (item->mask & kMaskData) item->data = cell->GetData();
  if (item->mask & kMaskImage) item->image = cell->GetImage();
  if (item->mask & kMaskState) item->state = cell->GetState();
  if (item->mask & kMaskFormat) item->format = cell->GetFormat();
  if (item->mask & kMaskBackColour) item->backColour = cell->GetBackColor();
  if (item->mask & kMaskTextColour) item->textColour = cell->GetTextColor();
  if ((item->mask & kMaskFont) && cell->GetFont()) item->font = *cell->GetFont();
  if (item->mask & kMaskMargin) item->margin = cell->GetMargin();
  return true;
}

void CGridCtrl::SetModified(bool modified, int row, int col) {
  if (col < 0 || col == sortColumn_) ClearSortColumn();
  if (row >= 0 && col >= 0) {
    unsigned state = GetItemState(row, col);
    if (modified) {
      SetItemState(row, col, state | kStateModified);
      modified_ = true;
    } else {
      SetItemState(row, col, state & ~kStateModified);
    }
  } else {
    modified_ = modified;
  }
  if (!modified_ && !ownerData_)
    for (int r = 0; r < rowCount_; ++r)
      for (int c = 0; c < colCount_; ++c) {
        CGridCellBase* cell = GetCell(r, c);
        if (cell && cell->IsModified()) SetItemState(r, c, cell->GetState() & ~kStateModified);
      }
}

bool CGridCtrl::GetModified(int row, int col) const {
  if (row < 0 || col < 0) return modified_;
  CGridCellBase* cell = GetCell(row, col);
  return cell && cell->IsModified();
}

// ---- rows and columns

int CGridCtrl::InsertRow(const std::string& heading, int before) {
  if (before >= 0 && (before < fixedRows_ || before >= rowCount_)) return -1;
  topLeftCell_.col = -1;
  // The focus stays on its cell while the rows shift under it.
  previousSelected_.clear();
  SetSelectedRange(-1, -1, -1, -1);
  if (colCount_ < 1 && !SetColumnCount(1)) return -1;
  int row = before < 0 ? rowCount_ : before;
  try {
    rowHeights_.insert(rowHeights_.begin() + row, 0);
    if (!ownerData_) {
      Row cells(static_cast<std::size_t>(colCount_));
      for (int c = 0; c < colCount_; ++c) cells[static_cast<std::size_t>(c)] = CreateCell(row, c);
      rows_.insert(rows_.begin() + row, std::move(cells));
    }
  } catch (const std::bad_alloc&) {
    if (static_cast<int>(rowHeights_.size()) > rowCount_) rowHeights_.erase(rowHeights_.begin() + row);
    platform::Tell("Out of memory: the row could not be inserted.");
    return -1;
  }
  ++rowCount_;
  if (!ownerData_) {
    for (int c = 0; c < colCount_; ++c) {
      CGridCellBase* cell = GetCell(row, c);
      if (cell) cell->SetRowCol(row, c);
    }
    if (CGridCellBase* head = GetCell(row, 0)) {
      head->SetText(heading);
      SetModified(true, row, 0);
    }
  }
  int height = defaultFixedRowCell_.GetHeight();
  if (!heading.empty()) {
    CGridCellBase* head = GetCell(row, 0);
    height = head ? head->GetTextExtent(&heading, nullptr).cy : 0;
  }
  rowHeights_[static_cast<std::size_t>(row)] = height;
  if (focusCell_.row != -1 && focusCell_.row > row) ++focusCell_.row;
  AfterStructureChange();
  return row;
}

int CGridCtrl::InsertColumn(const std::string& heading, unsigned format, int before) {
  if (before >= 0 && (before < fixedCols_ || before > colCount_)) return -1;
  topLeftCell_.col = -1;
  previousSelected_.clear();
  SetSelectedRange(-1, -1, -1, -1);
  if (rowCount_ < 1 && !SetRowCount(1)) return -1;
  int col = before < 0 ? colCount_ : before;
  try {
    colWidths_.insert(colWidths_.begin() + col, 0);
    if (!ownerData_)
      for (int r = 0; r < rowCount_; ++r) {
        Row& row = rows_[static_cast<std::size_t>(r)];
        row.insert(row.begin() + col, CreateCell(r, col));
      }
  } catch (const std::bad_alloc&) {
    platform::Tell("Out of memory: the column could not be inserted.");
    colWidths_.resize(static_cast<std::size_t>(colCount_));
    return -1;
  }
  ++colCount_;
  if (!ownerData_) {
    if (CGridCellBase* head = GetCell(0, col)) {
      head->SetText(heading);
      SetModified(true, 0, col);
    }
    for (int r = 0; r < rowCount_; ++r)
      if (CGridCellBase* cell = GetCell(r, col)) cell->SetFormat(format);
  }
  CGridCellBase* head = GetCell(0, col);
  colWidths_[static_cast<std::size_t>(col)] = head ? head->GetTextExtent(&heading, nullptr).cx : 0;
  if (focusCell_.col != -1 && focusCell_.col > col) ++focusCell_.col;
  AfterStructureChange();
  return col;
}

bool CGridCtrl::DeleteRow(int row) {
  if (row < 0 || row >= rowCount_) return false;
  previousSelected_.clear();
  SetSelectedRange(-1, -1, -1, -1);
  if (!ownerData_) {
    for (int c = 0; c < colCount_; ++c) DestroyCell(row, c);
    rows_.erase(rows_.begin() + row);
  }
  rowHeights_.erase(rowHeights_.begin() + row);
  --rowCount_;
  if (row < fixedRows_) --fixedRows_;
  if (row == focusCell_.row) focusCell_ = CCellID();
  else if (row < focusCell_.row) --focusCell_.row;
  AfterStructureChange();
  return true;
}

bool CGridCtrl::DeleteColumn(int col) {
  if (col < 0 || col >= colCount_) return false;
  previousSelected_.clear();
  SetSelectedRange(-1, -1, -1, -1);
  if (!ownerData_)
    for (int r = 0; r < rowCount_; ++r) {
      DestroyCell(r, col);
      Row& row = rows_[static_cast<std::size_t>(r)];
      row.erase(row.begin() + col);
    }
  colWidths_.erase(colWidths_.begin() + col);
  --colCount_;
  if (col < fixedCols_) --fixedCols_;
  if (col == focusCell_.col) focusCell_ = CCellID();
  else if (col < focusCell_.col) --focusCell_.col;
  AfterStructureChange();
  return true;
}

bool CGridCtrl::DeleteNonFixedRows() {
  ResetSelectedRange();
  for (int r = rowCount_ - 1; r >= fixedRows_; --r) DeleteRow(r);
  return true;
}

void CGridCtrl::ClearCells(const CGridRange& range) {
  for (int r = range.minRow; r <= range.maxRow; ++r)
    for (int c = range.minCol; c <= range.maxCol; ++c)
      if (GetRowHeight(r) > 0 && GetColumnWidth(c) > 0) ReplaceCellText(r, c, "");
  Refresh();
}

void CGridCtrl::ReplaceCellText(int row, int col, const std::string& text) {
  if (!editable_ || (GetItemState(row, col) & kStateReadOnly)) return;
  if (SendMessageToParent(row, col, kNotifyBeginEdit) < 0) return;
  std::string old = GetItemText(row, col);
  if (old == text) return;
  AcceptEditedText(row, col, old, text);
}

bool CGridCtrl::AcceptEditedText(int row, int col, const std::string& old, const std::string& text) {
  const unsigned state = GetItemState(row, col);
  const bool gridModified = modified_;
  SetItemText(row, col, text);
  if (ValidateEdit(row, col, text) && SendMessageToParent(row, col, kNotifyEndEdit) >= 0) {
    SetModified(true, row, col);
    RedrawCell(row, col);
    return true;
  }
  // Refused: the cell is as it was, its modified mark and the grid's included.
  WithCell(*this, row, col, [&](CGridCellBase& c) { c.SetText(old); });
  SetItemState(row, col, state);
  modified_ = gridModified;
  return false;
}

// ---- sizing to contents

bool CGridCtrl::AutoSizeRow(int row, bool resetScrollBars) {
  if (row < 0 || row >= rowCount_ || GetRowHeight(row) < 1) return false;
  if (ownerData_) SendRangeHintToParent(CGridRange(row, 0, row, colCount_ - 1));
  int height = 0;
  Painter& p = Measurer();
  for (int c = 0; c < colCount_; ++c)
    if (CGridCellBase* cell = GetCell(row, c)) height = std::max(height, cell->GetCellExtent(&p).cy);
  rowHeights_[static_cast<std::size_t>(row)] = height;
  if (ownerData_) SendRangeHintToParent(CGridRange());
  if (resetScrollBars) ResetScrollBars();
  return true;
}

bool CGridCtrl::AutoSizeColumn(int col, unsigned mode, bool resetScrollBars) {
  if (col < 0 || col >= colCount_ || GetColumnWidth(col) < 1) return false;
  if (mode == 0) mode = autoSizeStyle_;
  int first = (mode & 1) ? 0 : fixedRows_;
  int last = (mode & 2) ? rowCount_ - 1 : fixedRows_ - 1;
  if (ownerData_) SendRangeHintToParent(CGridRange(first, col, last, col));
  int width = 0;
  Painter& p = Measurer();
  for (int r = first; r <= last; ++r)
    if (CGridCellBase* cell = GetCell(r, col)) width = std::max(width, cell->GetCellExtent(&p).cx);
  colWidths_[static_cast<std::size_t>(col)] = width;
  if (ownerData_) SendRangeHintToParent(CGridRange());
  if (resetScrollBars) ResetScrollBars();
  return true;
}

void CGridCtrl::AutoSizeRows() {
  for (int r = 0; r < rowCount_; ++r)
    if (GetRowHeight(r) > 0) AutoSizeRow(r, false);
  ResetScrollBars();
}

void CGridCtrl::AutoSizeColumns(unsigned mode) {
  for (int c = 0; c < colCount_; ++c)
    if (GetColumnWidth(c) > 0) AutoSizeColumn(c, mode, false);
  ResetScrollBars();
}

void CGridCtrl::AutoSize(unsigned mode) {
  if (mode == 0) mode = autoSizeStyle_;
  int first = (mode & 1) ? 0 : fixedRows_;
  int last = (mode & 2) ? rowCount_ - 1 : fixedRows_ - 1;
  if (ownerData_) SendRangeHintToParent(CGridRange(first, 0, last, colCount_ - 1));
  for (int r = first; r <= last; ++r)
    if (GetRowHeight(r) > 0) rowHeights_[static_cast<std::size_t>(r)] = 1;
  Painter& p = Measurer();
  for (int c = 0; c < colCount_; ++c) {
    if (GetColumnWidth(c) <= 0) continue;
    colWidths_[static_cast<std::size_t>(c)] = 0;
    for (int r = first; r <= last; ++r) {
      if (GetRowHeight(r) <= 0) continue;
      CGridCellBase* cell = GetCell(r, c);
      if (!cell) continue;
      Size s = cell->GetCellExtent(&p);
      colWidths_[static_cast<std::size_t>(c)] = std::max(colWidths_[static_cast<std::size_t>(c)], s.cx);
      rowHeights_[static_cast<std::size_t>(r)] = std::max(rowHeights_[static_cast<std::size_t>(r)], s.cy);
    }
  }
  if (ownerData_) SendRangeHintToParent(CGridRange());
  ResetScrollBars();
  Refresh();
}

// ---- sorting

void CGridCtrl::SetSortColumn(int col) {
  if (sortColumn_ >= 0) InvalidateCellRect(0, sortColumn_);
  sortColumn_ = col;
  if (col >= 0) InvalidateCellRect(0, col);
}

int CGridCtrl::CompareCellText(const CGridCellBase* a, const CGridCellBase* b, std::intptr_t) {
  if (!a || !b) return 0;
  // Bytes as unsigned values: a prefix sorts first; no locale.
  int c = a->GetText().compare(b->GetText());
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

int CGridCtrl::CompareCellNumbers(const CGridCellBase* a, const CGridCellBase* b, std::intptr_t) {
  if (!a || !b) return 0;
  long x = std::strtol(a->GetText().c_str(), nullptr, 10);
  long y = std::strtol(b->GetText().c_str(), nullptr, 10);
  return x < y ? -1 : x > y ? 1 : 0;
}

bool CGridCtrl::SortItems(GridCompare compare, int col, bool ascending, std::intptr_t data) {
  SetSortColumn(col);
  sortAscending_ = ascending;
  ResetSelectedRange();
  SetFocusCell(-1, -1);
  return SortRowRange(compare, col, ascending, data, fixedRows_, -1);
}

bool CGridCtrl::SortByColumn(int col, bool ascending, std::intptr_t data) {
  return SortItems(compare_ ? compare_ : &CompareCellText, col, ascending, data);
}

bool CGridCtrl::SortByText(int col, bool ascending, std::intptr_t data) {
  return SortItems(&CompareCellText, col, ascending, data);
}

bool CGridCtrl::SortRowRange(GridCompare compare, int col, bool ascending, std::intptr_t data, int low, int high) {
  if (!compare || col < 0 || col >= colCount_) return false;
  if (high == -1) high = rowCount_ - 1;
  if (low < 0 || high >= rowCount_ || low >= high) return false;
  if (ownerData_) return true;  // every position is the owner's one cell: nothing moves
  // A stable sort of a permutation: equal rows keep their order.
  const std::size_t first = static_cast<std::size_t>(low), count = static_cast<std::size_t>(high - low + 1);
  const int sign = ascending ? 1 : -1;
  std::vector<std::size_t> order;
  if (compare == &CompareCellText) {
    // The texts copied side by side into one buffer, so the comparisons stay in the cache.
    // A missing cell compares equal to everything: only a column without gaps comes here.
    std::vector<const CGridCellBase*> cells(count);
    std::size_t total = 0;
    bool whole = true;
    for (std::size_t i = 0; i < count && whole; ++i) {
      cells[i] = rows_[first + i][static_cast<std::size_t>(col)].get();
      if (cells[i]) total += cells[i]->GetText().size();
      else whole = false;
    }
    std::string buffer;
    std::vector<std::string_view> texts;
    if (whole) {
      buffer.reserve(total);
      std::vector<std::size_t> offsets(count + 1, 0);
      for (std::size_t i = 0; i < count; ++i) {
        buffer += cells[i]->GetText();
        offsets[i + 1] = buffer.size();
      }
      texts.resize(count);
      for (std::size_t i = 0; i < count; ++i)
        texts[i] = std::string_view(buffer.data() + offsets[i], offsets[i + 1] - offsets[i]);
    }
    if (whole)
      order = StableSortPermutation(count, [&](std::size_t a, std::size_t b) {
        const int c = texts[a].compare(texts[b]);
        return sign * (c < 0 ? -1 : c > 0 ? 1 : 0);
      });
  }
  if (order.empty()) {
    std::vector<const CGridCellBase*> keys(count);
    for (std::size_t i = 0; i < count; ++i) keys[i] = rows_[first + i][static_cast<std::size_t>(col)].get();
    order = StableSortPermutation(
        count, [&](std::size_t a, std::size_t b) { return sign * compare(keys[a], keys[b], data); });
  }
  // Rows and heights follow the permutation in place, one cycle at a time.
  std::vector<bool> placed(count, false);
  for (std::size_t start = 0; start < count; ++start) {
    if (placed[start] || order[start] == start) continue;
    Row row = std::move(rows_[first + start]);
    const int height = rowHeights_[first + start];
    std::size_t at = start;
    while (order[at] != start) {
      rows_[first + at] = std::move(rows_[first + order[at]]);
      rowHeights_[first + at] = rowHeights_[first + order[at]];
      placed[at] = true;
      at = order[at];
    }
    rows_[first + at] = std::move(row);
    rowHeights_[first + at] = height;
    placed[at] = true;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (order[i] == i) continue;
    const int r = low + static_cast<int>(i);
    for (int c = 0; c < colCount_; ++c)
      if (CGridCellBase* cell = rows_[first + i][static_cast<std::size_t>(c)].get()) cell->SetRowCol(r, c);
  }
  return true;
}

}  // namespace gridmodel
