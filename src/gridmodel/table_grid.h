#pragma once
// The table grid of the legend creators and the point-attribute pages, without its window:
// cells, fixed rows and columns, sizes, scrolling, focus and selection, contents, sorting,
// mouse and keyboard, in-place editing, drawing and text files. The window (or a test)
// gives it a host for what only a window can do, and an owner receives its notifications.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gridmodel/painter.h"
#include "gridmodel/table_cell.h"
#include "gridmodel/table_types.h"

namespace gridmodel {

enum class GridCursor { Arrow, SizeWE, SizeNS, Wait };

// What a window does for the grid. Without a host the grid has no window: nothing is
// shown, scrolled or edited in place, and sizes are measured headless.
class GridHost {
 public:
  virtual ~GridHost() = default;
  // The area the cells may use when no scroll bar is shown.
  virtual Size ViewSize() = 0;
  virtual int ScrollBarThickness() { return 16; }
  // The grid's bars or their positions changed; the window shows them.
  virtual void ScrollBarsChanged() {}
  virtual void Invalidate(const Rect* rect) = 0;  // null: the whole window
  virtual Painter& Measurer() = 0;
  virtual void ShowCursor(GridCursor) {}
  virtual void Capture(bool capture) {}
  virtual void StartTimer(int ms) {}
  virtual void StopTimer() {}
  virtual void TakeFocus() {}
  // The divider tracker: a line at pos across the view; vertical for columns. pos < 0 hides.
  virtual void ShowTracker(bool vertical, int pos) {}
  // Opens the in-place text editor over rect (inclusive corners); align is a text format.
  virtual bool OpenEditor(int row, int col, Rect rect, unsigned align, const std::string& text,
                          unsigned firstChar) { return false; }
  // Opens the drop-down list editor over rect with the options; style is a list style.
  virtual bool OpenListEditor(int row, int col, Rect rect, unsigned style, const std::vector<std::string>& options,
                              const std::string& text, unsigned firstChar) {
    return false;
  }
  virtual void CloseEditor() {}
  // Title for printed pages: the nearest window up the parents with a text.
  virtual std::string WindowTitle() { return ""; }
};

// Receives the grid's notifications synchronously; a negative answer to a begin or end
// edit vetoes it.
class GridOwner {
 public:
  virtual ~GridOwner() = default;
  virtual long OnGridNotify(const GridNotify& n) { return 0; }
  // Owner-data mode: fill in the item for item.row, item.col.
  virtual void OnGridDisplayInfo(GridItem& item) {}
  virtual void OnGridRangeHint(const CGridRange& range) {}
  // After every left-button release over a pressed cell (the control's command).
  virtual void OnGridCommand() {}
};

using GridCompare = int (*)(const CGridCellBase* a, const CGridCellBase* b, std::intptr_t data);

class CGridCtrl {
 public:
  CGridCtrl(int rows = 0, int cols = 0, int fixedRows = 0, int fixedCols = 0);
  virtual ~CGridCtrl();
  CGridCtrl(const CGridCtrl&) = delete;
  CGridCtrl& operator=(const CGridCtrl&) = delete;

  void SetHost(GridHost* host);  // not owned; the window installs itself
  GridHost* Host() const { return host_; }
  void SetOwner(GridOwner* owner) { owner_ = owner; }
  GridOwner* Owner() const { return owner_; }
  Painter& Measurer() const;

  // ---- counts and cells
  bool SetRowCount(int rows);
  bool SetColumnCount(int cols);
  bool SetFixedRowCount(int fixedRows);
  bool SetFixedColumnCount(int fixedCols);
  int GetRowCount() const { return rowCount_; }
  int GetColumnCount() const { return colCount_; }
  int GetFixedRowCount() const { return fixedRows_; }
  int GetFixedColumnCount() const { return fixedCols_; }

  CGridCellBase* GetCell(int row, int col) const;
  // Stores a cell in a slot; the cell that held it is destroyed.
  bool SetCell(int row, int col, std::unique_ptr<CGridCellBase> cell);
  virtual std::unique_ptr<CGridCellBase> CreateCell(int row, int col);
  virtual void DestroyCell(int row, int col);
  bool SetCellClass(int row, int col, CellFactory factory);
  bool SetDefaultCellClass(CellFactory factory);
  CGridDefaultCell* GetDefaultCell(bool fixedRow, bool fixedCol);
  const CGridDefaultCell* GetDefaultCell(bool fixedRow, bool fixedCol) const;
  bool DeleteAllItems();

  // ---- modes and flags
  void SetOwnerDataMode(bool on);
  bool GetOwnerDataMode() const { return ownerData_; }
  void SetRowSelectMode(bool on);
  bool GetRowSelectMode() const { return rowSelect_; }
  void SetSingleRowSelection(bool on) { singleRowSelection_ = on; }
  void SetSingleColSelection(bool on) { singleColSelection_ = on; }
  void SetEditable(bool on) { editable_ = on; }
  bool IsEditable() const { return editable_; }
  void SetSortOnHeaderClick(bool on) { sortOnHeaderClick_ = on; }
  void SetTrackFocusCell(bool on) { trackFocusCell_ = on; }
  void SetFrameFocusCell(bool on) { frameFocusCell_ = on; }
  void SetAllowRowResize(bool on) { allowRowResize_ = on; }
  void SetAllowColumnResize(bool on) { allowColumnResize_ = on; }
  void SetAllowColumnHide(bool on) { allowColumnHide_ = on; }
  void SetAllowRowHide(bool on) { allowRowHide_ = on; }
  void SetHandleTabKey(bool on) { handleTabKey_ = on; }
  void EnableSelection(bool on) { enableSelection_ = on; }
  bool IsSelectionEnabled() const { return enableSelection_; }
  void SetHeaderSelects(bool rowSelectsColumns, bool colSelectsRows) {
    headerRowSelectsColumns_ = rowSelectsColumns;
    headerColSelectsRows_ = colSelectsRows;
  }
  void SetAutoSizeStyle(unsigned style) { autoSizeStyle_ = style; }
  int GetGridLines() const { return gridLines_; }
  void SetGridLines(int which);
  int GetSortColumn() const { return sortColumn_; }
  bool GetSortAscending() const { return sortAscending_; }
  bool GetFrameFocusCell() const { return frameFocusCell_; }
  bool GetTrackFocusCell() const { return trackFocusCell_; }
  bool GetShadedPrint() const { return shadedPrint_; }
  void SetShadedPrint(bool on) { shadedPrint_ = on; }
  bool GetWysiwygPrinting() const { return wysiwygPrinting_; }
  void SetWysiwygPrinting(bool on) { wysiwygPrinting_ = on; }
  const SystemColours& Colours() const { return sys_; }
  // The desktop's colours changed: defaults that followed the old ones follow the new.
  void OnSysColorChange(const SystemColours& now);
  Colour GetGridLineColor() const { return gridLineColour_; }
  void SetGridLineColor(Colour c) { gridLineColour_ = c; }
  Colour GetGridBkColor() const { return gridBackColour_; }
  void SetGridBkColor(Colour c) { gridBackColour_ = c; }
  // The images cells name by index (not owned; null: cells show no images).
  void SetImageList(const CGridImageList* list) { imageList_ = list; }
  const CGridImageList* GetImageList() const { return imageList_; }
  // All four default cells take the font (the window's font).
  void SetDefaultFont(const FontDesc& font);

  // ---- geometry and scrolling
  int GetRowHeight(int row) const;
  int GetColumnWidth(int col) const;
  bool SetRowHeight(int row, int height);
  bool SetColumnWidth(int col, int width);
  int GetFixedRowHeight() const;
  int GetFixedColumnWidth() const;
  int GetVirtualHeight() const;
  int GetVirtualWidth() const;
  bool GetCellOrigin(int row, int col, Point& origin);
  bool GetCellRect(int row, int col, Rect& rect);
  bool GetTextRect(int row, int col, Rect& rect);
  bool GetCellRangeRect(const CGridRange& range, Rect& rect);
  Point GetPointInCell(int row, int col, Point point);
  Size GetTextExtent(int row, int col, const std::string& text);
  CCellID GetCellFromPt(Point point, bool allowFixed = true);
  CCellID GetTopLeftNonFixedCell(bool recalc = false);
  CGridRange GetVisibleNonFixedCellRange(Rect* rect = nullptr, bool recalc = false);
  CGridRange GetUnobstructedNonFixedCellRange(bool recalc = false);
  bool IsCellVisible(int row, int col);
  void EnsureVisible(int row, int col);
  bool InvalidateCellRect(int row, int col);
  bool InvalidateCellRect(const CGridRange& range);
  bool IsValid(int row, int col) const;
  bool IsValid(const CCellID& cell) const { return IsValid(cell.row, cell.col); }
  bool IsValid(const CGridRange& range) const;
  CGridRange GetCellRange() const { return CGridRange(0, 0, rowCount_ - 1, colCount_ - 1); }
  bool IsCellFixed(int row, int col) const { return row < fixedRows_ || col < fixedCols_; }
  Rect GetClientRect();

  // Scroll bars: 0 horizontal, 1 vertical.
  void ResetScrollBars();
  int GetScrollPos32(int bar) const { return scrollPos_[bar]; }
  bool SetScrollPos32(int bar, int pos);
  int GetScrollMax(int bar) const { return bar == 0 ? hScrollMax_ : vScrollMax_; }
  int GetScrollPage(int bar) const { return scrollPage_[bar]; }
  int GetScrollBarState() const { return scrollBarState_; }
  enum ScrollCode { kLineUp, kLineDown, kPageUp, kPageDown, kThumbTrack, kTop, kBottom, kEndScroll };
  void OnHScroll(ScrollCode code, int thumbPos = 0);
  void OnVScroll(ScrollCode code, int thumbPos = 0);
  void OnSize();
  void OnMouseWheel(int delta);
  void SetWheelScrollLines(int lines) { wheelScrollLines_ = lines; }
  void ExpandColumnsToFit(bool expandFixed = true);
  void ExpandRowsToFit(bool expandFixed = true);
  void ExpandToFit(bool expandFixed = true);
  void ExpandLastColumn();
  void FillWindowWithCells();

  // ---- focus and selection
  CCellID SetFocusCell(CCellID cell);
  CCellID SetFocusCell(int row, int col) { return SetFocusCell(CCellID(row, col)); }
  CCellID GetFocusCell() const { return focusCell_; }
  bool SetItemState(int row, int col, unsigned state);
  unsigned GetItemState(int row, int col) const;
  bool IsCellSelected(int row, int col) const;
  int GetSelectedCount() const { return static_cast<int>(selected_.size()); }
  // The bounding block of the selection; (rows, cols, -1, -1) when nothing is selected.
  CGridRange GetSelectedCellRange() const;
  void SetSelectedRange(int minRow, int minCol, int maxRow, int maxCol, bool forceRepaint = false,
                        bool selectCells = true);
  void SetSelectedRange(const CGridRange& r, bool forceRepaint = false, bool selectCells = true) {
    SetSelectedRange(r.minRow, r.minCol, r.maxRow, r.maxCol, forceRepaint, selectCells);
  }
  void ResetSelectedRange();
  virtual long SelectAllCells();
  void SelectAllRange();
  void SelectColumns(CCellID current, bool forceRedraw = false, bool selectCells = true);
  void SelectRows(CCellID current, bool forceRedraw = false, bool selectCells = true);
  void SelectCells(CCellID current, bool forceRedraw = false, bool selectCells = true);
  void OnSelecting(const CCellID& current);
  CCellID GetNextItem(CCellID cell, unsigned flags) const;
  bool CanSelectAll() const { return enableSelection_; }

  // ---- contents
  bool SetItemText(int row, int col, const std::string& text);
  std::string GetItemText(int row, int col) const;
  bool SetItemData(int row, int col, std::intptr_t data);
  std::intptr_t GetItemData(int row, int col) const;
  bool SetItemImage(int row, int col, int image);
  int GetItemImage(int row, int col) const;
  bool SetItemFormat(int row, int col, unsigned format);
  unsigned GetItemFormat(int row, int col) const;
  bool SetItemBkColour(int row, int col, Colour c);
  Colour GetItemBkColour(int row, int col) const;
  bool SetItemFgColour(int row, int col, Colour c);
  Colour GetItemFgColour(int row, int col) const;
  bool SetItemFont(int row, int col, const FontDesc* font);
  FontDesc GetItemFont(int row, int col) const;
  bool IsItemEditing(int row, int col) const;
  bool SetItem(const GridItem* item);
  bool GetItem(GridItem* item) const;
  void SetModified(bool modified = true, int row = -1, int col = -1);
  bool GetModified(int row = -1, int col = -1) const;
  // The text of an edit or a replacement, kept when it passes ValidateEdit and the owner's end
  // check (the cell is then marked modified); otherwise the cell is left as it was.
  bool AcceptEditedText(int row, int col, const std::string& old, const std::string& text);

  int InsertRow(const std::string& heading, int before = -1);
  int InsertColumn(const std::string& heading, unsigned format = kAlignCenter | kAlignVCenter | kSingleLine,
                   int before = -1);
  bool DeleteRow(int row);
  bool DeleteColumn(int col);
  bool DeleteNonFixedRows();
  void ClearCells(const CGridRange& range);
  void ReplaceCellText(int row, int col, const std::string& text);
  bool AutoSizeRow(int row, bool resetScrollBars = true);
  bool AutoSizeColumn(int col, unsigned mode = 0, bool resetScrollBars = true);
  void AutoSizeRows();
  void AutoSizeColumns(unsigned mode = 0);
  void AutoSize(unsigned mode = 0);

  // ---- sorting
  bool SortItems(GridCompare compare, int col, bool ascending, std::intptr_t data = 0);
  bool SortByColumn(int col, bool ascending, std::intptr_t data = 0);
  bool SortByText(int col, bool ascending, std::intptr_t data = 0);
  void SetCompareFunction(GridCompare compare) { compare_ = compare; }
  void SetSortColumn(int col);
  static int CompareCellText(const CGridCellBase* a, const CGridCellBase* b, std::intptr_t data);
  static int CompareCellNumbers(const CGridCellBase* a, const CGridCellBase* b, std::intptr_t data);
  // Reorders rows low .. high (-1 the last) by a stable sort of the keys; false when there
  // is nothing to sort or the column does not exist.
  bool SortRowRange(GridCompare compare, int col, bool ascending, std::intptr_t data, int low, int high);

  // ---- drawing (through the host's invalidation; nothing draws outside a paint)
  virtual void OnDraw(Painter& p);
  void EraseBackground(Painter& p);
  bool RedrawCell(int row, int col);
  bool RedrawRow(int row);
  bool RedrawColumn(int col);
  void Refresh();
  void SetRedraw(bool allow, bool resetScrollBars = false);
  bool GetRedraw() const { return allowDraw_; }

  // ---- mouse and keyboard (point in client pixels)
  void OnLButtonDown(Point point, unsigned mods);
  void OnMouseMove(Point point, bool leftDown);
  void OnLButtonUp(Point point);
  void OnLButtonDblClk(Point point);
  long OnRButtonUp(Point point);
  void OnTimer(Point cursor);
  void OnCaptureLost();
  GridCursor CursorAt(Point point);
  void OnKeyDown(unsigned key, unsigned mods);
  void OnChar(unsigned ch, unsigned mods);
  virtual void OnFixedColumnClick(CCellID& cell);
  virtual void OnFixedRowClick(CCellID& cell);
  int MouseMode() const { return mouseMode_; }
  bool MouseOverRowResizeArea(Point point);
  bool MouseOverColumnResizeArea(Point point);

  // ---- in-place editing
  virtual void OnEditCell(int row, int col, Point point, unsigned ch);
  virtual void OnEndEditCell(int row, int col, const std::string& text);
  virtual bool ValidateEdit(int row, int col, const std::string& text);
  virtual void EndEditing();
  bool IsCellEditable(int row, int col) const;
  // The editor's report: the final text and the key that ended the editing (0 for focus loss).
  void OnEndInPlaceEdit(int row, int col, const std::string& text, unsigned lastKey);

  // ---- notifications
  long SendMessageToParent(int row, int col, int code);
  void SendRangeHintToParent(const CGridRange& range);

  // ---- text files: fields quoted where needed, saved atomically; a failed load keeps the
  // grid. Errors are told to the user naming the file and the reason.
  bool Save(const std::string& path, char separator = ',');
  bool Load(const std::string& path, char separator = ',');
  // Parses a whole text into rows of fields; false with a reason for malformed quoting.
  static bool ParseDelimited(const std::string& text, char separator,
                             std::vector<std::vector<std::string>>& rows, std::string& error);
  static std::string FormatDelimited(const std::vector<std::string>& fields, char separator);

  // ---- print layout values: header and footer in lines, sides in average characters
  void SetPrintMargins(int header, int footer, int left, int right, int top, int bottom, int gap);
  void GetPrintMargins(int& header, int& footer, int& left, int& right, int& top, int& bottom, int& gap) const;

  // All heights and widths (printing and the window).
  const std::vector<int>& RowHeights() const { return rowHeights_; }
  const std::vector<int>& ColumnWidths() const { return colWidths_; }

 protected:
  using Row = std::vector<std::unique_ptr<CGridCellBase>>;
  static std::uint64_t Key(int row, int col) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) | static_cast<std::uint32_t>(col);
  }
  void ClearSortColumn();
  void AfterStructureChange();
  void ResetFixedState(int row, int col, unsigned add, unsigned remove, bool resetColours);
  void SwapRows(int a, int b);
  Rect CellRectWidened(int row, int col);
  void MoveTo(CCellID target, unsigned key, unsigned mods, bool wrapped, int scrolledBars);
  bool PointInText(const CCellID& cell, Point point);

  GridHost* host_ = nullptr;
  GridOwner* owner_ = nullptr;
  const CGridImageList* imageList_ = nullptr;
  SystemColours sys_;
  Colour gridBackColour_;
  Colour gridLineColour_ = Colour::Rgb(192, 192, 192);
  bool ownerData_ = false;
  int gridLines_ = 3;
  bool editable_ = true;
  bool modified_ = false;
  bool rowSelect_ = false, singleRowSelection_ = false, singleColSelection_ = false;
  bool allowDraw_ = true, enableSelection_ = true;
  bool headerRowSelectsColumns_ = true, headerColSelectsRows_ = true;
  bool sortOnHeaderClick_ = false, handleTabKey_ = true, hoverInOwnerData_ = true;
  int scrollBarState_ = 0;
  bool wysiwygPrinting_ = false;
  bool unhideHiddenColumns_ = true, unhideHiddenRows_ = true;
  bool allowColumnHide_ = true, allowRowHide_ = true;
  bool trackFocusCell_ = true, frameFocusCell_ = true;
  unsigned autoSizeStyle_ = 3;
  int rowCount_ = 0, fixedRows_ = 0, colCount_ = 0, fixedCols_ = 0;
  std::vector<int> rowHeights_, colWidths_;
  int vScrollMax_ = 0, hScrollMax_ = 0;
  int scrollPos_[2] = {0, 0};
  int scrollPage_[2] = {0, 0};
  CellFactory cellFactory_ = &MakeCell<CGridCell>;
  CGridDefaultCell defaultCell_, defaultFixedColumnCell_, defaultFixedRowCell_, defaultCornerCell_;
  std::vector<Row> rows_;
  int mouseMode_ = 0;
  bool leftButtonDown_ = false;
  Point leftClickDownPoint_, lastMousePoint_;
  CCellID leftClickDownCell_, selectionStartCell_, focusCell_, topLeftCell_;
  bool timerRunning_ = false;
  int timerInterval_ = 25;
  int resizeCaptureRange_ = 3;
  bool allowRowResize_ = true, allowColumnResize_ = true;
  int wheelScrollLines_ = 3;
  std::map<std::uint64_t, CCellID> selected_, previousSelected_;
  bool sortAscending_ = true;
  int sortColumn_ = -1;
  GridCompare compare_ = nullptr;
  bool shadedPrint_ = true;
  int headerHeight_ = 2, footerHeight_ = 2, leftMargin_ = 4, rightMargin_ = 4, topMargin_ = 1,
      bottomMargin_ = 1, gap_ = 1;
  mutable std::unique_ptr<CGridCell> ownerDataCell_;
};

}  // namespace gridmodel
