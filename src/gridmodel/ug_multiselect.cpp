#include "gridmodel/ug_multiselect.h"

#include <algorithm>

#include "gridmodel/ug_ctrl.h"

namespace gridmodel {

UGRedrawHints* CUGMultiSelect::Hints() const { return grid_ ? &grid_->CellAreaHints() : nullptr; }

int CUGMultiSelect::RowModeRight() const { return grid_ ? grid_->GetColCount() : 0; }

void CUGMultiSelect::Notify(const Block& b) {
  if (grid_) grid_->OnSelectionChanged(b.right, b.top, b.left, b.bottom, GetBlockCount());
}

int CUGMultiSelect::ClearBlocks() {
  blocks_.clear();
  latest_ = -1;
  started_ = false;
  walkActive_ = false;
  lastClickCol_ = -1;
  lastClickRow_ = -1;
  return 0;
}

int CUGMultiSelect::BeginBlock(int col, long row) {
  anchorCol_ = col;
  anchorRow_ = row;
  started_ = true;
  Block b{col, col, row, row, col, col, row, row, true};
  if (mode_ & UG_MULTISELECT_ROW) {
    b.left = 0;
    b.right = RowModeRight();
  }
  blocks_.push_back(b);
  latest_ = static_cast<int>(blocks_.size()) - 1;
  Notify(b);
  return 0;
}

int CUGMultiSelect::ExtendBlock(int col, long row) {
  if (!started_ || latest_ < 0) return 1;
  Block& b = blocks_[latest_];
  const Block old = b;
  b.movingCol = col;
  b.movingRow = row;
  b.left = std::min(b.anchorCol, col);
  b.right = std::max(b.anchorCol, col);
  b.top = std::min(b.anchorRow, row);
  b.bottom = std::max(b.anchorRow, row);
  if (mode_ & UG_MULTISELECT_ROW) {
    b.left = 0;
    b.right = RowModeRight();
  }
  b.selecting = true;
  Notify(b);
  if (UGRedrawHints* h = Hints()) {
    if (old.movingRow != b.movingRow)
      h->AddRange(std::min(old.left, b.left), std::min(old.movingRow, b.movingRow), std::max(old.right, b.right),
                  std::max(old.movingRow, b.movingRow));
    if (old.movingCol != b.movingCol)
      h->AddRange(std::min(old.movingCol, b.movingCol), std::min(old.top, b.top), std::max(old.movingCol, b.movingCol),
                  std::max(old.bottom, b.bottom));
  }
  return 0;
}

void CUGMultiSelect::InvalidateSelection(UGRedrawHints* hints) const {
  int sc, ec;
  long sr, er;
  if (hints && GetSelectionBounds(&sc, &sr, &ec, &er) == 0) hints->AddRange(sc, sr, ec, er);
}

int CUGMultiSelect::OnLeftClickCell(int col, long row, int keyFlags) {
  lastClickCol_ = col;
  lastClickRow_ = row;
  if (keyFlags & UG_MK_CONTROL) return BeginBlock(col, row);
  if (keyFlags & UG_MK_SHIFT) return ExtendBlock(col, row);
  InvalidateSelection(Hints());
  ClearBlocks();
  return BeginBlock(col, row);
}

int CUGMultiSelect::OnRightClickCell(int col, long row, int keyFlags) {
  if (int s = IsCellSelected(col, row, nullptr)) return s;
  InvalidateSelection(Hints());
  ClearBlocks();
  return BeginBlock(col, row);
}

int CUGMultiSelect::OnNavigateToCell(int col, long row) {
  if (col == lastClickCol_ && row == lastClickRow_) return 0;
  const bool shift = grid_ && grid_->IsShiftDown();
  const bool ctrl = grid_ && grid_->IsCtrlDown();
  if (shift) return ExtendBlock(col, row);
  if (!ctrl) {
    InvalidateSelection(Hints());
    ClearBlocks();
  }
  return BeginBlock(col, row);
}

int CUGMultiSelect::OnDragToCell(int col, long row, int keyFlags) {
  if (col == lastClickCol_ && row == lastClickRow_) return 0;
  return ExtendBlock(col, row);
}

int CUGMultiSelect::FlipCellSelection(int col, long row) {
  for (Block& b : blocks_) {
    if (b.left == col && b.right == col && b.top == row && b.bottom == row) {
      b.selecting = !b.selecting;
      return 0;
    }
  }
  const int s = IsCellSelected(col, row, nullptr);
  BeginBlock(col, row);
  blocks_.back().selecting = s == 0;
  return 0;
}

int CUGMultiSelect::GetAnchorCell(int* col, long* row) const {
  if (!started_) return 1;
  *col = anchorCol_;
  *row = anchorRow_;
  return 0;
}

int CUGMultiSelect::GetLatestBlock(int* startCol, long* startRow, int* endCol, long* endRow) const {
  if (!started_ || latest_ < 0) return 1;
  const Block& b = blocks_[latest_];
  *startCol = b.left;
  *startRow = b.top;
  *endCol = b.right;
  *endRow = b.bottom;
  return 0;
}

int CUGMultiSelect::GetSelectionBounds(int* startCol, long* startRow, int* endCol, long* endRow) const {
  if (blocks_.empty()) return 1;
  int sc = blocks_[0].left, ec = blocks_[0].right;
  long sr = blocks_[0].top, er = blocks_[0].bottom;
  for (const Block& b : blocks_) {
    sc = std::min(sc, b.left);
    ec = std::max(ec, b.right);
    sr = std::min(sr, b.top);
    er = std::max(er, b.bottom);
  }
  *startCol = sc;
  *startRow = sr;
  *endCol = ec;
  *endRow = er;
  return 0;
}

template <class Test>
int CUGMultiSelect::Decide(Test contains, int* block) const {
  if (blocks_.empty()) return 0;
  int answer = 0, index = 0;
  for (std::size_t i = 0; i < blocks_.size(); ++i) {
    if (!contains(blocks_[i])) continue;
    answer = blocks_[i].selecting ? 1 : 0;
    index = static_cast<int>(i);
    if (mode_ & UG_MULTISELECT_NODUPS) break;
  }
  if (block) *block = index;
  return answer;
}

int CUGMultiSelect::IsCellSelected(int col, long row, int* block) const {
  return Decide([&](const Block& b) { return col >= b.left && col <= b.right && row >= b.top && row <= b.bottom; },
                block);
}

int CUGMultiSelect::IsColumnCovered(int col) const {
  if (mode_ & UG_MULTISELECT_ROW) col = 1;
  return Decide([&](const Block& b) { return col >= b.left && col <= b.right; }, nullptr);
}

int CUGMultiSelect::IsRowCovered(long row) const {
  return Decide([&](const Block& b) { return row >= b.top && row <= b.bottom; }, nullptr);
}

int CUGMultiSelect::SetSelectionMode(int mode) {
  ClearBlocks();
  mode_ = mode;
  return 0;
}

int CUGMultiSelect::FirstSelectedCell(int* col, long* row) {
  if (blocks_.empty()) {
    walkActive_ = false;
    *col = grid_ ? grid_->GetCurrentCol() : -1;
    *row = grid_ ? grid_->GetCurrentRow() : -1;
    return 0;
  }
  walkActive_ = true;
  walkLeft_ = walkRight_ = grid_ ? grid_->GetCurrentCol() : blocks_[0].left;
  walkTop_ = walkBottom_ = grid_ ? grid_->GetCurrentRow() : blocks_[0].top;
  for (const Block& b : blocks_) {
    walkLeft_ = std::min(walkLeft_, b.left);
    walkRight_ = std::max(walkRight_, b.right);
    walkTop_ = std::min(walkTop_, b.top);
    walkBottom_ = std::max(walkBottom_, b.bottom);
  }
  walkCol_ = walkLeft_;
  walkRow_ = walkTop_;
  return NextSelectedCell(col, row);
}

int CUGMultiSelect::NextSelectedCell(int* col, long* row) {
  if (!walkActive_) return 1;
  for (; walkRow_ <= walkBottom_; ++walkRow_, walkCol_ = walkLeft_) {
    if (mode_ == UG_MULTISELECT_ROW) {
      if (walkCol_ == walkLeft_ && IsCellSelected(walkLeft_, walkRow_, nullptr)) {
        *col = walkLeft_;
        *row = walkRow_;
        walkCol_ = walkRight_ + 1;
        return 0;
      }
      continue;
    }
    for (; walkCol_ <= walkRight_; ++walkCol_) {
      if (IsCellSelected(walkCol_, walkRow_, nullptr)) {
        *col = walkCol_;
        *row = walkRow_;
        ++walkCol_;
        return 0;
      }
    }
  }
  walkActive_ = false;
  return 1;
}

int CUGMultiSelect::FirstBlock(int* startCol, long* startRow, int* endCol, long* endRow) {
  walkActive_ = true;
  blockWalk_ = 0;
  return NextBlock(startCol, startRow, endCol, endRow);
}

int CUGMultiSelect::NextBlock(int* startCol, long* startRow, int* endCol, long* endRow) {
  if (!walkActive_ || blockWalk_ >= static_cast<int>(blocks_.size())) {
    walkActive_ = false;
    return 1;
  }
  const Block& b = blocks_[blockWalk_++];
  *startCol = b.left;
  *startRow = b.top;
  *endCol = b.right;
  *endRow = b.bottom;
  return 0;
}

}  // namespace gridmodel
