#include <algorithm>

#include "gridmodel/ug_ctrl.h"

namespace gridmodel {

int CUGCtrl::GetCell(int col, long row, CUGCell* cell) {
  if (!cell) return 1;
  CUGGridInfo& g = *gi_;
  cell->SetPropertyFlags(0);
  if (col < 0 || row < 0 || col >= g.numberCols) {
    cell->MergeFrom(&g.headingDefault);
    if (row == -static_cast<long>(g.topHdgHeights.size()))
      cell->SetXPStyle(UGXP_TOP_HEADING);
    else if (col == -static_cast<int>(g.sideHdgWidths.size()))
      cell->SetXPStyle(UGXP_SIDE_HEADING);
  } else if (g.columns[col].defaults.GetPropertyFlags() != 0) {
    cell->MergeFrom(&g.columns[col].defaults);
  }
  if (row >= g.numberRows) return 0;
  ColumnSource(col)->GetCell(ColumnDataCol(col), row, cell);
  OnReadCell(col, row, cell);
  if (!cell->HasProperty(UGCELL_FORMAT_SET | UGCELL_STYLE_SET)) return 0;
  if (CUGCellFormat* f = cell->GetFormatter()) f->ApplyFormat(cell);
  if (const CUGCell* style = cell->GetStyleCell()) {
    CUGCell copy(*style);  // the style may be the cell's own source
    cell->MergeFrom(&copy);
  }
  return 0;
}

int CUGCtrl::GetStoredCell(int col, long row, CUGCell* cell) {
  if (!cell || col >= gi_->numberCols) return 1;
  cell->SetPropertyFlags(0);
  return ColumnSource(col)->GetCell(ColumnDataCol(col), row, cell);
}

int CUGCtrl::SetCell(int col, long row, CUGCell* cell) {
  CUGGridInfo& g = *gi_;
  if (!cell) return 1;
  if (col < -static_cast<int>(g.sideHdgWidths.size()) || col >= g.numberCols) return 1;
  if (row < -static_cast<long>(g.topHdgHeights.size()) || row > g.numberRows) return 1;
  OnWriteCell(col, row, cell);
  return ColumnSource(col)->SetCell(ColumnDataCol(col), row, cell) == 0 ? 0 : 1;
}

int CUGCtrl::DeleteCell(int col, long row) { return ColumnSource(col)->DeleteCell(ColumnDataCol(col), row); }

int CUGCtrl::SetColDefault(int col, const CUGCell* cell) {
  if (!cell || col < 0 || col >= gi_->numberCols) return 1;
  cell->CopyInfoTo(&gi_->columns[col].defaults);
  return 0;
}

int CUGCtrl::GetColDefault(int col, CUGCell* cell) const {
  if (!cell || col < 0 || col >= gi_->numberCols) return 1;
  cell->CopyInfoFrom(&gi_->columns[col].defaults);
  return 0;
}

int CUGCtrl::SetGridDefault(const CUGCell* cell) {
  if (cell) cell->CopyInfoTo(&gi_->gridDefault);
  return 0;
}
int CUGCtrl::GetGridDefault(CUGCell* cell) const {
  if (cell) cell->CopyInfoFrom(&gi_->gridDefault);
  return 0;
}
int CUGCtrl::SetHeadingDefault(const CUGCell* cell) {
  if (cell) cell->CopyInfoTo(&gi_->headingDefault);
  return 0;
}
int CUGCtrl::GetHeadingDefault(CUGCell* cell) const {
  if (cell) cell->CopyInfoFrom(&gi_->headingDefault);
  return 0;
}

int CUGCtrl::GetCellText(int col, long row, std::string* text) {
  if (!text) return 1;
  CUGCell cell;
  GetCell(col, row, &cell);
  const char* t = cell.GetText();
  *text = t ? t : "";
  return 0;
}

std::string CUGCtrl::GetCellText(int col, long row) {
  std::string t;
  GetCellText(col, row, &t);
  return t;
}

std::optional<std::string> CUGCtrl::GetCellTextPtr(int col, long row) {
  CUGCell cell;
  GetCell(col, row, &cell);
  const char* t = cell.GetText();
  if (!t) return std::nullopt;
  return std::string(t);
}

CUGCellType* CUGCtrl::GetCellTypeAt(int col, long row) {
  CUGCell cell;
  GetCell(col, row, &cell);
  return GetCellType(cell.GetCellType());
}

int CUGCtrl::GetDataSourceCol(int col) const { return ColumnDataCol(col); }

int CUGCtrl::SetDataSourceCol(int col, int index) {
  if (col < 0 || col >= gi_->numberCols) return 1;
  gi_->columns[col].dataCol = index;
  return 0;
}

int CUGCtrl::CopyCell(int col, long row, int srcCol, long srcRow) {
  CUGCell cell;
  if (srcCol >= gi_->numberCols) return 1;
  GetStoredCell(srcCol, srcRow, &cell);
  return SetCell(col, row, &cell) ? 1 : 0;
}

int CUGCtrl::SetCellRange(int startCol, long startRow, int endCol, long endRow, CUGCell* cell) {
  int skipped = 0;
  for (long r = startRow; r <= endRow; ++r)
    for (int c = startCol; c <= endCol; ++c)
      if (SetCell(c, r, cell) != 0) ++skipped;
  return skipped;
}

template <class Setter>
int CUGCtrl::SetCellProperty(int col, long row, Setter set) {
  CUGCell cell;
  GetStoredCell(col, row, &cell);  // a cell never written reads as nothing set
  set(cell);
  return SetCell(col, row, &cell);
}

int CUGCtrl::SetCellText(int col, long row, std::string_view text) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetText(text); });
}
int CUGCtrl::SetCellNumber(int col, long row, double number) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetNumber(number); });
}
int CUGCtrl::SetCellMask(int col, long row, std::string_view mask) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetMask(mask); });
}
int CUGCtrl::SetCellLabelText(int col, long row, std::string_view text) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetLabelText(text); });
}
int CUGCtrl::SetCellTextColor(int col, long row, Colour colour) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetTextColor(colour); });
}
int CUGCtrl::SetCellBackColor(int col, long row, Colour colour) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetBackColor(colour); });
}
int CUGCtrl::SetCellAlignment(int col, long row, short align) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetAlignment(align); });
}
int CUGCtrl::SetCellBorder(int col, long row, short style) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetBorderStyle(style); });
}
int CUGCtrl::SetCellBorderPen(int col, long row, const UGPen& pen) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetBorderPen(pen); });
}
int CUGCtrl::SetCellFontIndex(int col, long row, int index) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetFont(GetFont(index) ? index : -1); });
}
int CUGCtrl::SetCellBitmapIndex(int col, long row, int index) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetBitmap(index); });
}
int CUGCtrl::SetCellTypeAt(int col, long row, int type) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetCellType(type); });
}
int CUGCtrl::SetCellTypeParamAt(int col, long row, long param) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetCellTypeParam(param); });
}
int CUGCtrl::SetCellHighlightTextColor(int col, long row, Colour colour) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetHighlightTextColor(colour); });
}
int CUGCtrl::SetCellHighlightBackColor(int col, long row, Colour colour) {
  return SetCellProperty(col, row, [&](CUGCell& c) { c.SetHighlightBackColor(colour); });
}

int CUGCtrl::SaveSizesForReset() {
  for (auto& s : sheets_) {
    s->savedColWidths.clear();
    for (auto& c : s->columns) s->savedColWidths.push_back(c.width);
    if (s->uniformRowHeight || s->rowHeights.empty())
      s->savedRowHeights.assign(static_cast<std::size_t>(s->numberRows), s->defRowHeight);
    else
      s->savedRowHeights = s->rowHeights;
  }
  return 0;
}

int CUGCtrl::SaveCellsForReset() {
  CUGGridInfo* keep = gi_;
  for (auto& s : sheets_) {
    gi_ = s.get();
    for (int c = 0; c < s->numberCols; ++c)
      for (long r = 0; r < s->numberRows; ++r) {
        CUGCell cell;
        cell.SetPropertyFlags(0);
        ColumnSource(c)->GetCell(ColumnDataCol(c), r, &cell);
        cell.StoreInitialState();
        SetCell(c, r, &cell);
      }
  }
  gi_ = keep;
  return 0;
}

int CUGCtrl::ResetCells(long startRow, long endRow, int startCol, int endCol) {
  if (editInProgress_) CancelCellEdit();
  for (int c = startCol; c <= endCol; ++c)
    for (long r = startRow; r <= endRow; ++r) {
      CUGCell cell;
      cell.SetPropertyFlags(0);
      if (ColumnSource(c)->GetCell(ColumnDataCol(c), r, &cell) != 0) continue;
      cell.RestoreInitialState();
      SetCell(c, r, &cell);
    }
  UpdateAllParts();
  return 0;
}

int CUGCtrl::ResetSizes() {
  CUGGridInfo& g = *gi_;
  for (int c = 0; c < g.numberCols; ++c)
    SetColWidth(c, c < static_cast<int>(g.savedColWidths.size()) ? g.savedColWidths[c] : g.defColWidth);
  for (long r = 0; r < g.numberRows; ++r)
    SetRowHeight(r, r < static_cast<long>(g.savedRowHeights.size()) ? g.savedRowHeights[r] : g.defRowHeight);
  return 0;
}

int CUGCtrl::ResetAll(bool allSheets) {
  const long rows = gi_->numberRows;
  const int cols = gi_->numberCols;
  if (!allSheets) {
    ResetCells(0, rows - 1, 0, cols - 1);
    return ResetSizes();
  }
  const int keep = sheetNumber_;
  for (int i = 0; i < GetSheetCount(); ++i) {
    SetSheetNumber(i);
    ResetCells(0, rows - 1, 0, cols - 1);
    ResetSizes();
  }
  SetSheetNumber(keep);
  return 0;
}

}  // namespace gridmodel
