#pragma once
// Cell ranges the next paint of a grid part draws, and the joins already drawn in a paint.
#include <vector>

namespace gridmodel {

class UGRedrawHints {
 public:
  struct Range {
    int startCol;
    long startRow;
    int endCol;
    long endRow;
    bool operator==(const Range&) const = default;
  };

  void AddRange(int startCol, long startRow, int endCol, long endRow);
  void AddCell(int col, long row) { AddRange(col, row, col, row); }
  void ExtendFirstRange(int startCol, long startRow, int endCol, long endRow);
  void ExtendFirstToCell(int col, long row) { ExtendFirstRange(col, row, col, row); }
  bool ContainsCell(int col, long row) const;
  void ClearAll();
  bool WasCellDrawn(int col, long row) const;
  void NoteCellDrawn(int col, long row);
  bool GetBounds(int* startCol, long* startRow, int* endCol, long* endRow) const;
  const std::vector<Range>& Ranges() const { return ranges_; }
  bool IsEmpty() const { return ranges_.empty(); }

 private:
  void Widen(const Range& r);
  std::vector<Range> ranges_;
  std::vector<std::pair<int, long>> drawn_;
  Range bounds_{0, 0, 0, 0};
};

}  // namespace gridmodel
