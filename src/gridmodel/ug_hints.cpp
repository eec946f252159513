#include "gridmodel/ug_hints.h"

#include <algorithm>

namespace gridmodel {

void UGRedrawHints::Widen(const Range& r) {
  bounds_.startCol = std::min(bounds_.startCol, r.startCol);
  bounds_.startRow = std::min(bounds_.startRow, r.startRow);
  bounds_.endCol = std::max(bounds_.endCol, r.endCol);
  bounds_.endRow = std::max(bounds_.endRow, r.endRow);
}

void UGRedrawHints::AddRange(int startCol, long startRow, int endCol, long endRow) {
  Range r{startCol, startRow, endCol, endRow};
  if (ranges_.empty())
    bounds_ = r;
  else
    Widen(r);
  ranges_.push_back(r);
}

void UGRedrawHints::ExtendFirstRange(int startCol, long startRow, int endCol, long endRow) {
  if (ranges_.empty()) AddRange(startCol, startRow, endCol, endRow);
  Range& f = ranges_.front();
  f.startCol = std::min(f.startCol, startCol);
  f.startRow = std::min(f.startRow, startRow);
  f.endCol = std::max(f.endCol, endCol);
  f.endRow = std::max(f.endRow, endRow);
  Widen(f);
}

bool UGRedrawHints::ContainsCell(int col, long row) const {
  if (ranges_.empty()) return false;
  if (col < bounds_.startCol || col > bounds_.endCol || row < bounds_.startRow || row > bounds_.endRow) return false;
  for (const Range& r : ranges_)
    if (col >= r.startCol && col <= r.endCol && row >= r.startRow && row <= r.endRow) return true;
  return false;
}

void UGRedrawHints::ClearAll() {
  ranges_.clear();
  drawn_.clear();
}

bool UGRedrawHints::WasCellDrawn(int col, long row) const {
  return std::find(drawn_.begin(), drawn_.end(), std::make_pair(col, row)) != drawn_.end();
}

void UGRedrawHints::NoteCellDrawn(int col, long row) { drawn_.emplace_back(col, row); }

bool UGRedrawHints::GetBounds(int* startCol, long* startRow, int* endCol, long* endRow) const {
  if (ranges_.empty()) {
    *startCol = *endCol = 0;
    *startRow = *endRow = 0;
    return false;
  }
  Range b = ranges_.front();
  for (const Range& r : ranges_) {
    b.startCol = std::min(b.startCol, r.startCol);
    b.startRow = std::min(b.startRow, r.startRow);
    b.endCol = std::max(b.endCol, r.endCol);
    b.endRow = std::max(b.endRow, r.endRow);
  }
  *startCol = b.startCol;
  *startRow = b.startRow;
  *endCol = b.endCol;
  *endRow = b.endRow;
  return true;
}

}  // namespace gridmodel
