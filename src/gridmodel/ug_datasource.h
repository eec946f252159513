#pragma once
// Where a cell grid's cells are kept: the data-source interface and the in-memory store that
// every sheet has.
#include <optional>
#include <string>
#include <vector>

#include "gridmodel/ug_cell.h"

namespace gridmodel {

class CUGCtrl;
class CUGEditor;

// Optional formatter a cell may name; the grid hands it the cell after reading it.
class CUGCellFormat {
 public:
  virtual ~CUGCellFormat() = default;
  virtual void ApplyFormat(CUGCell* cell) {}
  virtual int ValidateCellInfo(CUGCell* cell) { return 0; }
};

// Search flags of FindFirst/FindNext.
enum : long { UG_FIND_PARTIAL = 0x1, UG_FIND_CASEINSENSITIVE = 0x2, UG_FIND_UP = 0x4, UG_FIND_ALLCOLUMNS = 0x8 };
// Sort flag.
enum : int { UG_SORT_DESCENDING = 0x2 };

class CUGDataSource {
 public:
  virtual ~CUGDataSource() = default;

  void SetGrid(CUGCtrl* grid) { grid_ = grid; }
  CUGCtrl* GetGrid() const { return grid_; }
  void SetID(int id) { id_ = id; }
  int GetID() const { return id_; }

  virtual long GetRowCount() { return -1; }
  virtual int GetColCount() { return -1; }
  virtual int AppendRow() { return -1; }
  virtual int InsertRow(long row) { return -1; }
  virtual int AppendCol() { return -1; }
  virtual int InsertCol(int col) { return -1; }
  virtual int DeleteRow(long row) { return -1; }
  virtual int DeleteCol(int col) { return -1; }
  virtual int DeleteCell(int col, long row) { return -1; }
  virtual int DeleteAll() { return -1; }
  virtual int GetCell(int col, long row, CUGCell* cell) { return -1; }
  virtual int SetCell(int col, long row, const CUGCell* cell) { return -1; }
  virtual int FindFirst(std::string* text, int* col, long* row, long flags) { return -1; }
  virtual int FindNext(std::string* text, int* col, long* row, long flags) { return -1; }
  virtual int SortBy(const int* cols, int count, int flags) { return -1; }
  virtual int SortByColumn(int col, int flags) { return -1; }
  virtual int OnPastLastRow(long rowCount, long rowsPast, long* rowsAdded) { return -1; }
  virtual void OnCurrentRowChanged(long oldRow, long newRow) {}
  virtual void OnCurrentColChanged(int oldCol, int newCol) {}
  // Any answer but 1 refuses.
  virtual int OnAllowCellMove(int oldCol, long oldRow, int newCol, long newRow) { return 1; }
  virtual int OnBeginCellEdit(int col, long row, CUGEditor** editor) { return 1; }
  virtual int OnEditKeyCheck(int col, long row, CUGEditor* editor, unsigned* key) { return 1; }
  virtual int OnEndCellEdit(int col, long row, CUGEditor* editor, const std::string& text, bool cancelled) {
    return 1;
  }
  virtual int OnContinueCellEdit(int col, long row, int* newCol, long* newRow) { return 1; }
  virtual int FindTextColumnLeft(int* col, long row) { return -1; }

 private:
  CUGCtrl* grid_ = nullptr;
  int id_ = -1;
};

// The in-memory store: sparse (only written cells exist), heading rows and columns
// (negative numbers) included. Rows sit in a vector after the stored heading rows.
class CUGMem : public CUGDataSource {
 public:
  long GetRowCount() override;  // index of the last stored row, 0 when empty
  int AppendRow() override { return 0; }
  int AppendCol() override { return 0; }
  int InsertRow(long row) override;
  int InsertCol(int col) override;
  int DeleteRow(long row) override;
  int DeleteCol(int col) override;
  int DeleteCell(int col, long row) override;
  int DeleteAll() override;
  int GetCell(int col, long row, CUGCell* cell) override;
  int SetCell(int col, long row, const CUGCell* cell) override;
  int FindFirst(std::string* text, int* col, long* row, long flags) override;
  int FindNext(std::string* text, int* col, long* row, long flags) override;
  int SortBy(const int* cols, int count, int flags) override;
  int SortByColumn(int col, int flags) override { return SortBy(&col, 1, flags); }
  int FindTextColumnLeft(int* col, long row) override;

  // The stored cell at a position, or null (no copy).
  const CUGCell* StoredCell(int col, long row) const {
    const long ri = row + head_;
    if (ri < 0 || ri >= static_cast<long>(rows_.size())) return nullptr;
    const Row& r = rows_[ri];
    const long ci = static_cast<long>(col) + r.head;
    if (ci < 0 || ci >= static_cast<long>(r.cells.size()) || !r.cells[ci]) return nullptr;
    return &*r.cells[ci];
  }
  long StoredRowCount() const { return static_cast<long>(rows_.size()) - head_; }

 private:
  struct Row {
    int head = 0;  // stored heading columns (negative numbers) before column 0
    std::vector<std::optional<CUGCell>> cells;
  };
  Row* RowAt(long row);
  const Row* RowAt(long row) const;
  void AdjustGridColumns(int from, int delta);

  std::vector<Row> rows_;
  long head_ = 0;  // stored heading rows before row 0
};

}  // namespace gridmodel
