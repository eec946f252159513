#include <algorithm>

#include "gridmodel/ug_ctrl.h"

namespace gridmodel {

namespace {
// Text typed into a cell takes the cell's data type.
void SetTypedText(CUGCell& cell, const std::string& text) {
  const short type = cell.GetDataType();
  cell.SetText(text);
  if (type == UGCELLDATA_NUMBER || type == UGCELLDATA_BOOL || type == UGCELLDATA_TIME || type == UGCELLDATA_CURRENCY) {
    if (type == UGCELLDATA_BOOL) {
      int b = 0;
      CUGCell::TextToBool(text, &b);
      cell.SetBool(b != 0);
    } else {
      cell.SetDataType(type);
    }
  }
}
}  // namespace

int CUGCtrl::BeginEditAt(int col, long row, int key) {
  CUGGridInfo& g = *gi_;
  if (editInProgress_) return 1;
  editInProgress_ = true;
  editCol_ = col;
  editRow_ = row;
  editCell_.ClearProperties();

  int sc, ec;
  long sr, er;
  bool had = g.multiSelect->GetSelectionBounds(&sc, &sr, &ec, &er) == 0;
  if (!had) {
    sc = ec = g.currentCol;
    sr = er = g.currentRow;
  }
  g.multiSelect->ClearBlocks();
  g.dragCol = g.currentCol;
  g.dragRow = g.currentRow;
  if (!(sc == col && ec == col && sr == row && er == row)) RedrawRange(sc, sr, ec, er);

  if (col != g.currentCol || row != g.currentRow) {
    if (GotoCell(col, row) != 0) {
      editInProgress_ = false;
      return 2;
    }
  }
  GetCell(col, row, &editCell_);
  CUGCellType* type = GetCellType(editCell_.GetCellType());
  if (!type->IsTextEditable()) {
    editInProgress_ = false;
    return 1;
  }
  UGRect rect;
  if (col >= 0 && row >= 0) {
    int c = col;
    long r = row;
    GetCellRect(&c, &r, &rect);
    editParent_ = UG_GRID;
  } else {
    GetCellRect(col, row, &rect);
    editParent_ = row < 0 ? UG_TOPHEADING : UG_SIDEHEADING;
  }
  rect.right -= 1;
  rect.bottom -= 1;
  type->AdjustEditRect(&rect);
  if (editCell_.IsReadOnly()) {
    editInProgress_ = false;
    return 1;
  }
  CUGEditor* editor = g.defEditor;
  if (editCell_.GetMask()) {
    if (g.maskedEditor != builtinMasked_)
      editor = g.maskedEditor;
    else if (g.defEditor != builtinEdit_)
      editor = g.defEditor;
    else
      editor = builtinMasked_;
  }
  if (g.defDataSource->OnBeginCellEdit(col, row, &editor) == 0 || !OnBeginCellEdit(col, row, &editor) || !editor) {
    editInProgress_ = false;
    RedrawCell(col, row);
    return 1;
  }
  editCtrl_ = editor;
  const char* text = editCell_.GetText();
  editor->SetText(text ? text : "");
  if (editCell_.HasProperty(UGCELL_FONT_SET))
    editor->SetFont(editCell_.GetFont());
  else if (g.defFont >= 0)
    editor->SetFont(g.defFont);
  editor->Show(editParent_, rect);
  if (key > 0) editor->SendChar(key);
  return 0;
}

int CUGCtrl::EndCellEdit(const std::string& text, bool cancelled, bool moveOn, int newCol, long newRow) {
  CUGGridInfo& g = *gi_;
  if (!editInProgress_) cancelled = true;
  CUGEditor* editor = editCtrl_;
  if (g.defDataSource->OnEndCellEdit(editCol_, editRow_, editor, text, cancelled) != 1) return 0;
  if (!OnEndCellEdit(editCol_, editRow_, editor, text, cancelled)) return 0;
  if (editor) editor->Hide();
  if (!cancelled && editInProgress_) {
    CUGCell cell;
    GetCell(editCol_, editRow_, &cell);
    SetTypedText(cell, text);
    SetCell(editCol_, editRow_, &cell);
    if (view_ && g.enableCellOverflow && editCol_ + 1 < g.numberCols && editCol_ >= 0 &&
        (!editor || editor->GetWidth() <= GetColWidth(editCol_))) {
      CUGCell right;
      GetCell(editCol_ + 1, editRow_, &right);
      if (right.GetTextLength() == 0 && view_->MeasureTextWidth(text, cell.GetFont()) > GetColWidth(editCol_))
        RedrawAll();
    }
  }
  const bool wasOpen = editInProgress_;
  editInProgress_ = false;
  if (moveOn && wasOpen && editParent_ == UG_GRID) {
    if (g.enableJoins && newCol >= 0 && newCol < g.numberCols && newRow >= 0 && newRow < g.numberRows) {
      int sc, ec;
      long sr, er;
      if (JoinRangeOf(newCol, newRow, &sc, &sr, &ec, &er)) {
        if (editCol_ == sc && newCol > sc && newCol <= ec)
          newCol += ec - sc;
        else if (editCol_ != sc)
          newCol = sc;
        if (editRow_ == sr && newRow > sr && newRow <= er)
          newRow += er - sr;
        else if (editRow_ != sr)
          newRow = sr;
      }
    }
    if (newCol < 0) newCol = g.numberCols - 1;
    if (newCol >= g.numberCols) newCol = 0;
    if (newRow < 0) newRow = g.numberRows - 1;
    if (newRow >= g.numberRows) newRow = 0;
    if (g.defDataSource->OnContinueCellEdit(editCol_, editRow_, &newCol, &newRow) == 1 &&
        OnContinueCellEdit(editCol_, editRow_, &newCol, &newRow)) {
      BeginEditAt(newCol, newRow, 0);
      return 1;
    }
  }
  RedrawCell(editCol_, editRow_);
  return 1;
}

int CUGCtrl::CancelCellEdit() {
  if (!editInProgress_) return 0;
  editInProgress_ = false;
  if (editCtrl_) {
    if (editCtrl_->HasFocus() && view_) view_->FocusCellArea();
    editCtrl_->Hide();
  }
  return 0;
}

int CUGCtrl::StoreEditedText(int col, long row, const std::string& text) {
  CUGCell cell;
  GetCell(col, row, &cell);
  if (cell.IsReadOnly()) return 1;
  if (gi_->defDataSource->OnEndCellEdit(col, row, nullptr, text, false) != 1) return 2;
  if (!OnEndCellEdit(col, row, nullptr, text, false)) return 2;
  SetTypedText(cell, text);
  return SetCell(col, row, &cell);
}

}  // namespace gridmodel
