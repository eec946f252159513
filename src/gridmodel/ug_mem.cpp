#include <algorithm>
#include <cctype>

#include "gridmodel/ug_ctrl.h"
#include "gridmodel/ug_datasource.h"

namespace gridmodel {

CUGMem::Row* CUGMem::RowAt(long row) {
  long i = row + head_;
  if (i < 0 || i >= static_cast<long>(rows_.size())) return nullptr;
  return &rows_[i];
}

const CUGMem::Row* CUGMem::RowAt(long row) const { return const_cast<CUGMem*>(this)->RowAt(row); }

long CUGMem::GetRowCount() { return rows_.empty() ? 0 : static_cast<long>(rows_.size()) - head_ - 1; }

int CUGMem::InsertRow(long row) {
  if (row < 0) return 1;
  // Rows past the last stored one are empty already: nothing to move.
  if (row < StoredRowCount()) rows_.insert(rows_.begin() + (row + head_), Row());
  return 0;
}

void CUGMem::AdjustGridColumns(int from, int delta) {
  CUGCtrl* grid = GetGrid();
  if (!grid) return;
  for (int c = 0; c < grid->GetColCount(); ++c) {
    auto& rec = grid->Sheet().columns[c];
    if (rec.dataSource == this && rec.dataCol >= from) rec.dataCol += delta;
  }
}

int CUGMem::InsertCol(int col) {
  if (rows_.empty()) return 1;
  for (Row& r : rows_) {
    long i = static_cast<long>(col) + r.head;
    if (i >= 0 && i < static_cast<long>(r.cells.size())) r.cells.insert(r.cells.begin() + i, std::nullopt);
  }
  AdjustGridColumns(col, +1);
  return 0;
}

int CUGMem::DeleteRow(long row) {
  long i = row + head_;
  if (i >= 0 && i < static_cast<long>(rows_.size())) {
    rows_.erase(rows_.begin() + i);
    if (row < 0) --head_;
  }
  return 0;
}

int CUGMem::DeleteCol(int col) {
  if (rows_.empty()) return 1;
  for (Row& r : rows_) {
    long i = static_cast<long>(col) + r.head;
    if (i >= 0 && i < static_cast<long>(r.cells.size())) {
      r.cells.erase(r.cells.begin() + i);
      if (col < 0) --r.head;
    }
  }
  AdjustGridColumns(col, -1);
  return 0;
}

int CUGMem::DeleteCell(int col, long row) {
  Row* r = RowAt(row);
  if (!r) return 1;
  long i = static_cast<long>(col) + r->head;
  if (i < 0 || i >= static_cast<long>(r->cells.size())) return 1;
  r->cells[i].reset();
  return 0;
}

int CUGMem::DeleteAll() {
  rows_.clear();
  head_ = 0;
  return 0;
}

int CUGMem::GetCell(int col, long row, CUGCell* cell) {
  const CUGCell* stored = StoredCell(col, row);
  if (!stored) return 1;
  if (cell) cell->MergeFrom(stored);
  return 0;
}

int CUGMem::SetCell(int col, long row, const CUGCell* cell) {
  if (!cell) return 1;
  if (rows_.empty()) rows_.resize(1);  // row 0 exists once anything is stored
  if (row + head_ < 0) {
    const long add = -(row + head_);
    rows_.insert(rows_.begin(), static_cast<std::size_t>(add), Row());
    head_ += add;
  }
  const long ri = row + head_;
  if (ri >= static_cast<long>(rows_.size())) rows_.resize(static_cast<std::size_t>(ri) + 1);
  Row& r = rows_[ri];
  if (static_cast<long>(col) + r.head < 0) {
    const long add = -(static_cast<long>(col) + r.head);
    r.cells.insert(r.cells.begin(), static_cast<std::size_t>(add), std::nullopt);
    r.head += static_cast<int>(add);
  }
  const long ci = static_cast<long>(col) + r.head;
  if (ci >= static_cast<long>(r.cells.size())) r.cells.resize(static_cast<std::size_t>(ci) + 1);
  std::optional<CUGCell>& slot = r.cells[ci];
  if (!slot) slot.emplace();
  cell->CopyInfoTo(&*slot);
  return 0;
}

int CUGMem::FindFirst(std::string* text, int* col, long* row, long flags) {
  if (flags & UG_FIND_ALLCOLUMNS) {
    *col = -1;
    *row = 0;
  } else {
    *row = -1;
  }
  return FindNext(text, col, row, flags);
}

namespace {
std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
}  // namespace

int CUGMem::FindNext(std::string* text, int* col, long* row, long flags) {
  if (!text || !col || !row) return 1;
  CUGCtrl* grid = GetGrid();
  const long rows = grid ? grid->GetRowCount() : StoredRowCount();
  const int cols = grid ? grid->GetColCount() : 0;
  if (rows <= 0) return 1;
  const bool up = flags & UG_FIND_UP;
  const bool all = flags & UG_FIND_ALLCOLUMNS;
  if (all && cols <= 0) return 1;
  if (flags & UG_FIND_CASEINSENSITIVE) *text = Upper(*text);
  const std::string& needle = *text;

  auto matches = [&](const CUGCell& stored) {
    CUGCell c(stored);
    const char* shown = c.GetText();
    std::string hay = shown ? shown : "";
    if (flags & UG_FIND_CASEINSENSITIVE) hay = Upper(hay);
    if (flags & UG_FIND_PARTIAL) return hay.find(needle) != std::string::npos;
    return !hay.empty() && hay == needle;
  };

  int fc = *col;
  long fr = *row;
  auto nextRow = [&](long r) { return up ? (r <= 0 ? rows - 1 : r - 1) : (r >= rows - 1 ? 0 : r + 1); };
  // One step before anything is compared.
  if (all) {
    if (!up) {
      if (++fc > cols - 1) {
        fc = 0;
        fr = nextRow(fr);
      }
    } else if (--fc < 0) {
      fc = cols - 1;
      fr = nextRow(fr);
    }
  } else {
    fr = nextRow(fr);
  }
  for (long visit = 0; visit <= rows; ++visit) {
    if (const Row* r = RowAt(fr)) {
      if (!all) {
        if (const CUGCell* c = StoredCell(fc, fr); c && matches(*c)) {
          *col = fc;
          *row = fr;
          return 0;
        }
      } else {
        for (int c = fc; up ? c >= 0 : c < cols; c += up ? -1 : 1) {
          const CUGCell* cell = StoredCell(c, fr);
          if (cell && matches(*cell)) {
            *col = c;
            *row = fr;
            return 0;
          }
        }
      }
      (void)r;
    }
    fr = nextRow(fr);
    if (all) fc = up ? cols - 1 : 0;
  }
  return 1;
}

int CUGMem::SortBy(const int* cols, int count, int flags) {
  const long n = StoredRowCount();
  if (rows_.empty() || n <= 0 || !cols || count <= 0) return 1;
  const CUGCell empty;
  // Key cells gathered once, row by row: a missing cell sorts as an empty cell.
  const std::size_t nk = static_cast<std::size_t>(count);
  std::vector<const CUGCell*> keys(static_cast<std::size_t>(n) * nk);
  for (long r = 0; r < n; ++r)
    for (std::size_t k = 0; k < nk; ++k) {
      const CUGCell* c = StoredCell(cols[k], r);
      keys[static_cast<std::size_t>(r) * nk + k] = c ? c : &empty;
    }
  CUGCtrl* grid = GetGrid();
  auto order = StableSortPermutationBy(static_cast<std::size_t>(n), [&](std::size_t a, std::size_t b) {
    const CUGCell* const* ka = &keys[a * nk];
    const CUGCell* const* kb = &keys[b * nk];
    for (std::size_t k = 0; k < nk; ++k) {
      int c = grid ? grid->OnCompareCells(ka[k], kb[k], flags) : CUGCtrl::CompareCellsDefault(ka[k], kb[k], flags);
      if (c) return c < 0;
    }
    return false;
  });
  std::vector<Row> sorted;
  sorted.reserve(static_cast<std::size_t>(n));
  for (std::size_t i : order) sorted.push_back(std::move(rows_[head_ + static_cast<long>(i)]));
  std::move(sorted.begin(), sorted.end(), rows_.begin() + head_);
  return 0;
}

int CUGMem::FindTextColumnLeft(int* col, long row) {
  const Row* r = RowAt(row);
  if (!r || r->cells.empty()) return 1;
  int start = *col;
  const long last = static_cast<long>(r->cells.size()) - 1 - r->head;
  if (static_cast<long>(start) + r->head < 0 || start > last) {
    start = static_cast<int>(last);
    if (!StoredCell(start, row)) return 1;
  }
  for (int c = start; c >= 0; --c) {
    if (c == *col) continue;
    const CUGCell* cell = StoredCell(c, row);
    if (cell && cell->GetTextLength() > 0) {
      *col = c;
      return 0;
    }
  }
  return 1;
}

}  // namespace gridmodel
