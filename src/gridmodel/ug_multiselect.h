#pragma once
// The selected cells of one sheet: an ordered list of blocks (oldest first). A later block
// may deselect cells of an earlier one; blocks are never merged.
#include <vector>

namespace gridmodel {

class CUGCtrl;
class UGRedrawHints;

// Selection modes (bits).
enum : int { UG_MULTISELECT_OFF = 0, UG_MULTISELECT_CELL = 1, UG_MULTISELECT_ROW = 2, UG_MULTISELECT_NODUPS = 0x10 };
// Mouse key flags.
enum : int { UG_MK_SHIFT = 4, UG_MK_CONTROL = 8 };

class CUGMultiSelect {
 public:
  struct Block {
    int anchorCol, movingCol;
    long anchorRow, movingRow;
    int left, right;
    long top, bottom;
    bool selecting = true;
  };

  virtual ~CUGMultiSelect() = default;
  void SetGrid(CUGCtrl* grid) { grid_ = grid; }

  virtual int ClearBlocks();
  virtual int BeginBlock(int col, long row);
  virtual int ExtendBlock(int col, long row);
  virtual int OnLeftClickCell(int col, long row, int keyFlags);
  virtual int OnRightClickCell(int col, long row, int keyFlags);
  virtual int OnNavigateToCell(int col, long row);
  virtual int OnDragToCell(int col, long row, int keyFlags);
  virtual int FlipCellSelection(int col, long row);
  virtual int GetAnchorCell(int* col, long* row) const;
  virtual int GetLatestBlock(int* startCol, long* startRow, int* endCol, long* endRow) const;
  virtual int GetSelectionBounds(int* startCol, long* startRow, int* endCol, long* endRow) const;
  virtual int GetBlockCount() const { return static_cast<int>(blocks_.size()); }
  virtual int IsCellSelected(int col, long row, int* block = nullptr) const;
  virtual int IsColumnCovered(int col) const;
  virtual int IsRowCovered(long row) const;
  virtual int SetSelectionMode(int mode);
  virtual int GetSelectionMode() const { return mode_; }
  virtual int FirstSelectedCell(int* col, long* row);
  virtual int NextSelectedCell(int* col, long* row);
  virtual int FirstBlock(int* startCol, long* startRow, int* endCol, long* endRow);
  virtual int NextBlock(int* startCol, long* startRow, int* endCol, long* endRow);

  void InvalidateSelection(UGRedrawHints* hints) const;
  const std::vector<Block>& Blocks() const { return blocks_; }

 private:
  void Notify(const Block& b);
  UGRedrawHints* Hints() const;
  int RowModeRight() const;
  template <class Test>
  int Decide(Test contains, int* block) const;

  std::vector<Block> blocks_;
  bool started_ = false;
  int latest_ = -1;
  int mode_ = 0;
  int walkLeft_ = 0, walkRight_ = 0;
  long walkTop_ = 0, walkBottom_ = 0;
  int walkCol_ = 0;
  long walkRow_ = 0;
  bool walkActive_ = false;
  int blockWalk_ = 0;
  CUGCtrl* grid_ = nullptr;
  int lastClickCol_ = -1;
  long lastClickRow_ = -1;
  int anchorCol_ = -1;
  long anchorRow_ = -1;
};

}  // namespace gridmodel
