#pragma once
// The editable cell grid without its windows: sheets, columns and rows, the current cell and
// every move, cell access with defaults, joins, selection, editing against an editor
// interface, clipboard text, find and replace. A record editor derives from CUGCtrl and
// overrides the notifications; the window layer paints it and feeds it input.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gridmodel/grid_types.h"
#include "gridmodel/ug_cell.h"
#include "gridmodel/ug_datasource.h"
#include "gridmodel/ug_hints.h"
#include "gridmodel/ug_multiselect.h"
#include "gridmodel/ug_ptrlist.h"
#include "gridmodel/ug_tabs.h"
#include "platform/image.h"

namespace gridmodel {

struct UGRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const UGRect&) const = default;
};
struct UGPoint {
  int x = 0, y = 0;
};
class Painter;
// The drawing surface handed to the section notifications.
struct UGDrawContext {
  Painter* painter = nullptr;
};
class CUGDropListType;

// Sections of the grid.
enum : int {
  UG_GRID = 1,
  UG_TOPHEADING = 2,
  UG_SIDEHEADING = 3,
  UG_CORNERBUTTON = 4,
  UG_HSCROLL = 5,
  UG_VSCROLL = 6,
  UG_TAB = 7
};
// Row and column moves.
enum : int { UG_LINEUP = 0, UG_LINEDOWN = 1, UG_PAGEUP = 2, UG_PAGEDOWN = 3, UG_TOP = 4, UG_BOTTOM = 5 };
enum : int { UG_COLLEFT = 0, UG_COLRIGHT = 1, UG_PAGELEFT = 2, UG_PAGERIGHT = 3, UG_LEFT = 4, UG_RIGHT = 5 };
// Move sources.
enum : int { UG_MOVE_KEYS = 0, UG_MOVE_LBUTTON = 1, UG_MOVE_RBUTTON = 2, UG_MOVE_DRAG = 3, UG_MOVE_SCROLL = 4 };

// A cell editor laid over a cell (the window layer implements it; tests record it).
class CUGEditor {
 public:
  virtual ~CUGEditor() = default;
  virtual void SetText(const std::string& text) = 0;
  virtual std::string GetText() const = 0;
  virtual void SetFont(int fontIndex) {}  // -1: no font
  // Shows the editor over a rectangle of a part (UG_GRID, UG_TOPHEADING, UG_SIDEHEADING).
  virtual void Show(int section, const UGRect& rect) = 0;
  virtual void Hide() = 0;
  virtual bool HasFocus() const { return false; }
  virtual void SendChar(int key) {}
  virtual int GetWidth() const { return 0; }
};

// What the model asks of its windows. Without a view the model works alone (tests).
// Reads an image file into an image; false when the file cannot be read as one. The window
// layer installs the toolkit's codecs (BMP among them); without them only PNG is read.
using UGImageLoader = std::function<bool(const std::string& path, platform::Image& image)>;
void SetDefaultBitmapLoader(UGImageLoader loader);

class CUGView {
 public:
  virtual ~CUGView() = default;
  virtual void RefreshAllParts() {}
  virtual void RefreshCellArea() {}  // paint what the cell area's hints name
  virtual void RefreshHeading(bool side) {}
  virtual void RefreshAfterMove() {}
  virtual void PartsArranged() {}
  virtual void FocusCellArea() {}
  virtual int MeasureTextWidth(const std::string& text, int fontIndex) { return 0; }
  virtual int MeasureFontTextWidth(const std::string& text, const FontDesc& font) { return 0; }
  // The sheet tabs: repaint them; the strip and the horizontal bar alone were laid out again.
  virtual void RefreshTabs() {}
  virtual void TabsArranged() {}
  // Shows the popup menu at a screen point; false when it could not be shown.
  virtual bool TrackPopupMenu(int x, int y) { return false; }
  // Opens a drop list under a cell-area rectangle; the type hears the choice or the close.
  virtual bool ShowDropList(CUGDropListType* type, const UGRect& cellRect, const std::vector<std::string>& choices,
                            int fontIndex) {
    return false;
  }
  virtual void CloseDropList() {}
  // The next paint of the cell area draws no focus rectangle.
  virtual void SkipCellAreaFocusOnce() {}
};

// How cells of a kind look and react. The base is the normal type: background, bitmap,
// text and border, text running on into empty neighbours, input ignored (ug_celltype.cpp).
class CUGCellType {
 public:
  virtual ~CUGCellType() = default;
  virtual std::string GetName() const { return "Normal Cell Type (default)"; }
  // Drawing through the shared painter; rectangles are in the drawing surface's units.
  virtual void OnDraw(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected, int current);
  virtual void OnDrawForPrinter(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected,
                                int current);
  virtual void DrawScaled(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell);
  virtual void DrawBorder(Painter* dc, UGRect* rect, UGRect* inner, CUGCell* cell);
  virtual void DrawText(Painter* dc, UGRect* rect, int offset, int col, long row, CUGCell* cell, int selected,
                        int current);
  virtual void DrawBackground(Painter* dc, UGRect* rect, Colour back, long row, int col, CUGCell* cell, int current,
                              int selected);
  // Width used by the bitmap of a cell drawn at the rectangle's left (0 when it has none).
  virtual int DrawBitmap(Painter* dc, int bitmapIndex, UGRect* rect, Colour back);
  virtual int GetOverflowOffset(Painter* dc, int col, long row, int* fromCol, CUGCell* scratch);
  virtual int OnDrawFocus(Painter* dc, UGRect* rect, int col, long row) { return 0; }
  // Input; an answer of 1 means the type handled it.
  virtual int OnLeftClick(int col, long row, int isDown, UGRect* rect, UGPoint* point) { return 0; }
  virtual int OnRightClick(int col, long row, int isDown, UGRect* rect, UGPoint* point) { return 0; }
  virtual int OnDoubleClick(int col, long row, UGRect* rect, UGPoint* point) { return 0; }
  virtual int OnKeyDown(int col, long row, unsigned* key) { return 0; }
  virtual int OnKeyUp(int col, long row, unsigned* key) { return 0; }
  virtual int OnChar(int col, long row, unsigned* ch) { return 0; }
  virtual int OnMouseMove(int col, long row, UGPoint* point, unsigned flags) { return 0; }
  virtual void OnColumnResizing(int col, long row, int* width) {}
  virtual void OnRowResizing(int col, long row, int* height) {}
  int SendNotification(int msg, int col, long row, long param);
  bool CanOverflow(const CUGCell* cell) const;
  int SetDrawLabelText(bool on) {
    drawLabelText_ = on;
    return 0;
  }
  bool DrawsLabelText() const { return drawLabelText_; }
  double Scale() const { return scale_; }
  void SetScale(double s) { scale_ = s; }
  int GetId() const { return id_; }
  void SetId(int id) { id_ = id; }
  CUGCtrl* GetGrid() const { return grid_; }
  void SetGrid(CUGCtrl* g) { grid_ = g; }
  bool IsTextEditable() const { return textEditable_; }
  int SetTextEditable(bool on) {
    textEditable_ = on;
    return 0;
  }
  bool CanOverflowType() const { return canOverflow_; }
  void SetCanOverflow(bool on) { canOverflow_ = on; }

  virtual int AdjustEditRect(UGRect* rect) { return 0; }
  virtual void OnCellFocusGained(int col, long row, CUGCell* cell) {}
  virtual void OnCellFocusLost(int col, long row, CUGCell* cell) {}
  virtual void OnColumnResized(int col, long row, int* width) {}
  virtual void OnRowResized(int col, long row, int* height) {}
  virtual void OnCellScrolled(int col, long row, CUGCell* cell) {}
  // Space the cell's contents need, starting from the column width and row height.
  virtual void GetBestSize(int col, long row, int* width, int* height, CUGCell* cell);
  virtual int OnSystemColorChange() { return 0; }
  virtual int OnCellTypeMessage(long wparam, long lparam) { return 0; }

 private:
  int id_ = -1;
  CUGCtrl* grid_ = nullptr;
  bool textEditable_ = true;
  bool canOverflow_ = true;

 protected:
  bool drawLabelText_ = false;
  double scale_ = 1.0;
  bool fontFixed_ = false;  // scaled drawing: the painter's font stands
};

struct UGPopupItem {
  unsigned id = 0;
  std::string text;  // empty: separator
};

// Everything that belongs to one sheet.
struct CUGGridInfo {
  struct Column {
    int width = 75;
    CUGDataSource* dataSource = nullptr;
    CUGCell defaults;
    int dataCol = 0;
  };

  CUGGridInfo();
  CUGGridInfo(const CUGGridInfo&) = delete;
  CUGGridInfo& operator=(const CUGGridInfo&) = delete;

  int numberCols = 0;
  int currentCol = -1, lastCol = -1;
  int leftCol = 0, lastLeftCol = 0, maxLeftCol = 0;
  int defColWidth = 75;
  int rightCol = 0;
  int dragCol = -1;
  std::vector<int> savedColWidths;
  std::vector<Column> columns;

  long numberRows = 0;
  long currentRow = -1, lastRow = -1;
  long topRow = 0, lastTopRow = 0, maxTopRow = 0;
  std::vector<int> rowHeights;  // empty while heights are uniform
  int defRowHeight = 20;
  bool uniformRowHeight = false;
  long bottomRow = 0;
  long dragRow = -1;
  std::vector<int> savedRowHeights;

  std::vector<int> topHdgHeights{20};
  std::vector<int> sideHdgWidths{25};
  CUGCell gridDefault;
  CUGCell headingDefault;
  int topHdgHeight = 20;
  int sideHdgWidth = 40;
  int vScrollWidth = 16;
  int hScrollHeight = 16;
  int tabWidth = 0;
  int gridWidth = 0, gridHeight = 0;  // cell area
  // cell area, top heading, side heading, corner, tabs, vertical bar, horizontal bar
  std::array<UGRect, 7> rects{};

  bool highlightRow = false;
  int multiSelectFlag = 0;
  int currentCellMode = 1;
  int border3DDepth = 1;
  bool paintMode = false;
  bool enablePopupMenu = false;
  bool enableHints = false, enableVScrollHints = false, enableHScrollHints = false;
  int userSizingMode = 1;
  bool colSizeDblClickFit = true;
  bool enableJoins = true;
  bool enableColSwapping = false;
  bool enableCellOverflow = true;
  bool drawGridLines = true;
  int vScrollMode = 0, hScrollMode = 0;
  int edgeDragMode = 1;
  int dragScrollPower = 0, dragScrollDelay = 200;
  int keyRepeatAcceleration = 0, keyRepeatDelay = 0;
  int numLockCols = 0;
  long numLockRows = 0;
  int lockColWidth = 0, lockRowHeight = 0;
  int defFont = -1;
  int defDataSourceIndex = 0;
  CUGDataSource* defDataSource = nullptr;
  CUGMem mem;
  int moveType = UG_MOVE_KEYS;
  int moveFlags = 0;
  std::unique_ptr<CUGMultiSelect> multiSelect;
  CUGEditor* defEditor = nullptr;
  CUGEditor* maskedEditor = nullptr;
  int margin = 4;
  Colour gridLineColour = Colour::Rgb(220, 220, 220);
  int trackingWndMode = 0;
  bool cancelMode = false;
  bool highlightRowToEdge = true;
};

class CUGCtrl {
 public:
  CUGCtrl();
  virtual ~CUGCtrl();
  CUGCtrl(const CUGCtrl&) = delete;
  CUGCtrl& operator=(const CUGCtrl&) = delete;

  // ---- the windows ----
  void SetView(CUGView* view) { view_ = view; }
  CUGView* GetView() const { return view_; }
  // The built-in editors the window layer provides.
  void SetBuiltinEditors(CUGEditor* edit, CUGEditor* masked);
  // Runs the set-up a window attachment runs: the dialog's font (and its bold form for
  // headings), OnInitGrid, OnInitSheet(0), painting on.
  void InitGrid(const std::optional<FontDesc>& dialogFont);
  // The control's client size; lays the parts out.
  void SetClientSize(int width, int height);
  int GetClientWidth() const { return clientWidth_; }
  int ArrangeParts();
  // Lays out again only the horizontal bar and the sheet tabs (their grip was dragged).
  int ArrangeTabsOnly();
  const CUGGridInfo& Sheet() const { return *gi_; }
  CUGGridInfo& Sheet() { return *gi_; }
  // Keyboard state the window reports with each input.
  void SetKeyState(bool shift, bool ctrl) {
    shiftDown_ = shift;
    ctrlDown_ = ctrl;
  }
  bool IsShiftDown() const { return shiftDown_; }
  bool IsCtrlDown() const { return ctrlDown_; }
  void SetMoveSource(int type, int keyFlags) {
    gi_->moveType = type;
    gi_->moveFlags = keyFlags;
  }
  UGRedrawHints& CellAreaHints() { return cellHints_; }

  // ---- sheets and redraws ----
  int SetSheetCount(int count);
  int GetSheetCount() const { return static_cast<int>(sheets_.size()); }
  int SetSheetNumber(int index, bool update = true);
  int GetSheetNumber() const { return sheetNumber_; }
  int RedrawAll();
  int RedrawCell(int col, long row);
  int RedrawRow(long row);
  int RedrawCol(int col);
  int RedrawRange(int startCol, long startRow, int endCol, long endRow);
  int EnablePainting(bool on);
  bool IsPaintingEnabled() const { return gi_->paintMode; }
  int EnableUpdate(bool on) {
    enableUpdate_ = on;
    return 0;
  }

  // ---- sheet tabs and hints ----
  CUGTab& Tabs() { return tabs_; }
  int AddTab(const std::string& label, long id) { return tabs_.AddTab(label, id); }
  int InsertTab(int position, const std::string& label, long id) { return tabs_.InsertTab(position, label, id); }
  int DeleteTab(long id) { return tabs_.DeleteTab(id); }
  int SetTabBackColor(long id, Colour c) { return tabs_.SetTabBackColor(id, c); }
  int SetTabTextColor(long id, Colour c) { return tabs_.SetTabTextColor(id, c); }
  // 0 hides the tabs; takes effect at the next layout.
  int SetTabWidth(int width) {
    gi_->tabWidth = width;
    return 0;
  }
  // Selects the tab and tells OnSheetTabClicked; 1 when no tab has the id.
  int SetCurrentTab(long id);
  // The position of the selected tab, not its id.
  int GetCurrentTab() const { return tabs_.GetCurrentTab(); }
  int EnableHints(bool on);
  int EnableVScrollHints(bool on) {
    gi_->enableVScrollHints = on;
    return 0;
  }
  int EnableHScrollHints(bool on) {
    gi_->enableHScrollHints = on;
    return 0;
  }

  // ---- rows, columns and sizes ----
  int SetRowCount(long rows, bool redraw = true);
  long GetRowCount() const { return gi_->numberRows; }
  int SetColCount(int cols, bool redraw = true);
  int GetColCount() const { return gi_->numberCols; }
  int SetDefaultColWidth(int width);
  int SetColWidth(int col, int width);
  int GetColWidth(int col, int* width) const;
  int GetColWidth(int col) const;
  int SetDefaultRowHeight(int height);
  int SetUniformRowHeight(bool on);
  int SetRowHeight(long row, int height);
  int GetRowHeight(long row, int* height) const;
  int GetRowHeight(long row) const;
  int InsertRow(long row);
  int AppendRow();
  int DeleteRow(long row);
  int InsertCol(int col);
  int AppendCol();
  int DeleteCol(int col);
  int SetTopHeadingRowCount(int rows);
  int SetSideHeadingColCount(int cols);
  int SetTopHeadingRowHeight(int row, int height);
  int SetSideHeadingColWidth(int col, int width);
  int SetTopHeadingHeight(int height);
  int SetSideHeadingWidth(int width);
  int GetTopHeadingHeight() const { return gi_->topHdgHeight; }
  int GetSideHeadingWidth() const { return gi_->sideHdgWidth; }
  int GetTopHeadingRowCount() const { return static_cast<int>(gi_->topHdgHeights.size()); }
  int GetSideHeadingColCount() const { return static_cast<int>(gi_->sideHdgWidths.size()); }
  int SetVScrollWidth(int width);
  int SetHScrollHeight(int height);
  int GetVScrollWidth() const { return gi_->vScrollWidth; }
  int GetHScrollHeight() const { return gi_->hScrollHeight; }
  int SetLockedColCount(int n);
  int SetLockedRowCount(long n);
  int MoveColPosition(int fromCol, int toCol, bool insertBefore);
  int SetUserSizingMode(int mode) {
    gi_->userSizingMode = mode;
    return 0;
  }

  // ---- current cell and navigation ----
  int GetCurrentCol() const { return gi_->currentCol; }
  long GetCurrentRow() const { return gi_->currentRow; }
  int GetLeftCol() const { return gi_->leftCol; }
  long GetTopRow() const { return gi_->topRow; }
  int GetRightCol() const { return gi_->rightCol; }
  long GetBottomRow() const { return gi_->bottomRow; }
  int GotoCell(int col, long row);
  int GotoRow(long row);
  int GotoCol(int col);
  int MoveCurrentRow(int how);
  int MoveCurrentCol(int how);
  int MoveCurrentRowBy(long n) { return GotoRow(gi_->dragRow + n); }
  int MoveCurrentColBy(int n) { return GotoCol(gi_->dragCol + n); }
  int SetTopRow(long row);
  int SetLeftCol(int col);
  int MoveTopRow(int how);
  int MoveLeftCol(int how);
  int AdjustTopRow();
  int AdjustLeftCol();
  int ClampTopRow(long* row) const;
  int ClampLeftCol(int* col) const;
  int SetVScrollMode(int mode);
  int SetHScrollMode(int mode);
  int SetDragScrollPower(int power);
  int SetDragScrollDelay(int ms);
  int SetKeyRepeatAcceleration(int n);
  int SetKeyRepeatDelay(int ms);
  int SetEdgeDragMode(int mode) {
    gi_->edgeDragMode = mode;
    return 0;
  }

  // ---- cell access and defaults ----
  int GetCell(int col, long row, CUGCell* cell);
  int GetStoredCell(int col, long row, CUGCell* cell);
  int SetCell(int col, long row, CUGCell* cell);
  int DeleteCell(int col, long row);
  int SetColDefault(int col, const CUGCell* cell);
  int GetColDefault(int col, CUGCell* cell) const;
  int SetGridDefault(const CUGCell* cell);
  int GetGridDefault(CUGCell* cell) const;
  int SetHeadingDefault(const CUGCell* cell);
  int GetHeadingDefault(CUGCell* cell) const;
  int GetCellText(int col, long row, std::string* text);
  std::string GetCellText(int col, long row);
  // The shown text, or nothing for a cell without value (a copy, safe across calls).
  std::optional<std::string> GetCellTextPtr(int col, long row);
  CUGCellType* GetCellTypeAt(int col, long row);
  int GetDataSourceCol(int col) const;
  int SetDataSourceCol(int col, int index);
  int CopyCell(int col, long row, int srcCol, long srcRow);
  int SetCellRange(int startCol, long startRow, int endCol, long endRow, CUGCell* cell);
  // Shortcuts: 0 when stored, else the failing step's result.
  int SetCellText(int col, long row, std::string_view text);
  int SetCellNumber(int col, long row, double number);
  int SetCellMask(int col, long row, std::string_view mask);
  int SetCellLabelText(int col, long row, std::string_view text);
  int SetCellTextColor(int col, long row, Colour c);
  int SetCellBackColor(int col, long row, Colour c);
  int SetCellAlignment(int col, long row, short align);
  int SetCellBorder(int col, long row, short style);
  int SetCellBorderPen(int col, long row, const UGPen& pen);
  int SetCellFontIndex(int col, long row, int index);
  int SetCellBitmapIndex(int col, long row, int index);
  int SetCellTypeAt(int col, long row, int type);
  int SetCellTypeParamAt(int col, long row, long param);
  int SetCellHighlightTextColor(int col, long row, Colour c);
  int SetCellHighlightBackColor(int col, long row, Colour c);
  int SaveCellsForReset();
  int SaveSizesForReset();
  int ResetCells(long startRow, long endRow, int startCol, int endCol);
  int ResetSizes();
  int ResetAll(bool allSheets);

  // ---- hit testing, joins, selection ----
  int GetCellFromPoint(int x, int y, int* col, long* row, UGRect* rect = nullptr);
  int GetCellFromPointJoined(int x, int y, int* col, long* row) { return GetCellFromPoint(x, y, col, row); }
  int GetCellFromPointUnjoined(int x, int y, int* col, long* row);
  int GetCellRect(int col, long row, UGRect* rect);
  int GetCellRect(int* col, long* row, UGRect* rect);
  int GetRangeRect(int startCol, long startRow, int endCol, long endRow, UGRect* rect);
  int GetJoinStartCell(int* col, long* row);
  int GetJoinStartCell(int* col, long* row, CUGCell* cell);
  int GetJoinRange(int* col, long* row, int* endCol, long* endRow);
  int JoinCells(int startCol, long startRow, int endCol, long endRow);
  int UnjoinCells(int col, long row);
  int EnableJoins(bool on) {
    gi_->enableJoins = on;
    return 0;
  }
  int SetCurrentCellStyle(int mode);
  int SetRowHighlight(bool on, bool toWindowEdge = true);
  int SetMultiSelectMode(int mode);
  int ClearSelection();
  int ClearCurrentCell();
  int SelectCell(int col, long row);
  int SelectRange(int startCol, long startRow, int endCol, long endRow);
  int IsCellSelected(int col, long row, int* block = nullptr) const;
  int EnumFirstSelected(int* col, long* row);
  int EnumNextSelected(int* col, long* row);
  int EnumFirstBlock(int* startCol, long* startRow, int* endCol, long* endRow);
  int EnumNextBlock(int* startCol, long* startRow, int* endCol, long* endRow);
  CUGMultiSelect* GetMultiSelect() const { return gi_->multiSelect.get(); }

  // ---- editing ----
  int BeginEdit() { return BeginEditAt(gi_->currentCol, gi_->currentRow, 0); }
  int BeginEditWithKey(int key) { return BeginEditAt(gi_->currentCol, gi_->currentRow, key); }
  int BeginEditAt(int col, long row, int key);
  int EndCellEdit(const std::string& text, bool cancelled, bool moveOn, int newCol, long newRow);
  int CancelCellEdit();
  bool IsEditing() const { return editInProgress_; }
  CUGEditor* GetCurrentEditor() const { return editCtrl_; }
  int SetCancelMode(bool on) {
    gi_->cancelMode = on;
    return 0;
  }
  bool GetCancelMode() const { return gi_->cancelMode; }
  int SetDefaultEditor(CUGEditor* e) {
    gi_->defEditor = e;
    return 0;
  }
  int SetMaskedEditor(CUGEditor* e) {
    gi_->maskedEditor = e;
    return 0;
  }
  CUGEditor* GetDefaultEditor() const { return gi_->defEditor; }
  CUGEditor* GetMaskedEditor() const { return gi_->maskedEditor; }

  // ---- clipboard, find and replace, popup menu, drop ----
  int CopySelected() { return CopyToClipboard(false); }
  int CutSelected() { return CopyToClipboard(true); }
  int CopyToClipboard(bool cut);
  int SelectionToText(std::string* out, bool clear);
  int Paste();
  int PasteText(const std::string& text);
  int CopyTextToClipboard(const std::string& text);
  int GetClipboardText(std::string* text);
  int FindInAllColumns(bool on) {
    findAllCols_ = on;
    return 0;
  }
  int FindFirst(std::string* text, int* col, long* row, long flags);
  int FindNext(std::string* text, int* col, long* row, long flags);
  struct FindRequest {
    std::string findText;
    std::string replaceText;
    bool entireCell = false;
    bool matchCase = false;
    bool up = false;
    enum class Action { Find, Replace, ReplaceAll } action = Action::Find;
  };
  // What the find dialog's buttons do; false when nothing was found (the user was told).
  bool FindReplace(const FindRequest& request);
  int ClearPopupMenu();
  int AddPopupMenuItem(unsigned id, std::string_view text);
  int RemovePopupMenuItem(unsigned id);
  const std::vector<UGPopupItem>& GetPopupMenu() const { return popupMenu_; }
  int EnablePopupMenu(bool on) {
    gi_->enablePopupMenu = on;
    return 0;
  }
  int StartPopupMenu(int col, long row, UGPoint* screenPoint, int section);
  // A chosen menu item (the window forwards it).
  void PopupMenuCommand(unsigned id);
  // A drop of text (null: the data holds no text) at a cell-area point; the drop effect.
  int DropAt(int x, int y, const std::string* text);
  int DragScroll(int x, int y);

  // ---- registries ----
  int AddCellType(CUGCellType* type);
  int RemoveCellType(int id);
  CUGCellType* GetCellType(int id);
  int GetCellTypeId(const CUGCellType* type) const;
  int AddFont(const char* face, int height, int weight);
  int AddFont(const FontDesc& font);
  int RemoveFont(int index);
  int ClearFonts();
  const FontDesc* GetFont(int index) const;
  int SetDefaultFont(int index);
  int SetDefaultFontIndex(int index) { return SetDefaultFont(index); }
  int GetDefaultFont() const { return gi_->defFont; }
  // Bitmaps by index; the grid owns them. An empty image is refused (-1).
  int AddBitmap(platform::Image image);
  // -1 when the file cannot be read as an image; *error then says why.
  int AddBitmapFile(const std::string& path, std::string* error = nullptr);
  int RemoveBitmap(int index);
  int ClearBitmaps();
  const platform::Image* GetBitmap(int index) const;
  int GetBitmapCount() const { return bitmapList_.GetUsedCount(); }
  void SetBitmapLoader(UGImageLoader loader) { bitmapLoader_ = std::move(loader); }
  int AddDataSource(CUGDataSource* ds);
  CUGDataSource* GetDataSource(int index);
  int RemoveDataSource(int index);
  int SetDefaultDataSource(int index);
  int GetDefaultDataSource() const { return gi_->defDataSourceIndex; }
  int SizeToDataSource(int index);
  int SetColDataSource(int col, int index);
  int SetColDataSource(int col, CUGDataSource* ds);
  // A message for the cell type with that id (the normal type for ids <= 0 or unknown ones).
  int SendCellTypeMessage(int id, long wparam, long lparam) { return GetCellType(id)->OnCellTypeMessage(wparam, lparam); }
  // The desktop's colours changed: every registered type is told, headings take the new face colour.
  void SystemColoursChanged();
  int SortBy(int col, int flags = 0);
  int SortBy(int* cols, int count, int flags = 0);

  // ---- notifications (defaults do nothing or allow) ----
  virtual void OnFocusGained(int section) {}
  virtual int FitColumnsToWindow(int startCol, int endCol);
  virtual int FitColumnsToContents(int startCol, int endCol, int rows, int flags);
  virtual void OnInitGrid() {}
  virtual void OnGridCreated() {}
  virtual void OnInitSheet(int sheet) {}
  virtual int OnAllowCellMove(int oldCol, long oldRow, int newCol, long newRow) { return 1; }
  virtual int OnAllowViewMove(int leftCol, long topRow, int newCol, long newRow) { return 1; }
  virtual void OnPastLastRow(long rowCount, long rowsPast, long rowsAdded) {}
  // Kept free for derived grids: the grid never calls the four reserved slots.
  virtual void OnReserved1() {}
  virtual int OnAllowColumnResize(int col) { return 1; }
  virtual void OnColumnResizing(int col, int* width) {}
  virtual void OnColumnResized(int col, int* width) {}
  virtual int OnAllowRowResize(long row) { return 1; }
  virtual void OnRowResizing(long row, int* height) {}
  virtual void OnRowResized(long row, int* height) {}
  virtual int OnAllowTopHeadingResize() { return 1; }
  virtual int OnAllowSideHeadingResize() { return 1; }
  virtual int OnTopHeadingResizing(int* height) { return 1; }
  virtual int OnSideHeadingResizing(int* width) { return 1; }
  virtual int OnTopHeadingResized(int* height) { return 1; }
  virtual int OnSideHeadingResized(int* width) { return 1; }
  virtual void OnCurrentColChanged(int oldCol, int newCol) {}
  virtual void OnCurrentRowChanged(long oldRow, long newRow) {}
  virtual void OnCurrentCellChanged(int oldCol, int newCol, long oldRow, long newRow) {}
  virtual void OnLeftColChanged(int oldCol, int newCol) {}
  virtual void OnTopRowChanged(long oldRow, long newRow) {}
  virtual void OnViewScrolled(int section, int oldPos, int newPos) {}
  virtual void OnSelectionChanged(int rightCol, long topRow, int leftCol, long bottomRow, int blockCount) {}
  virtual void OnCellLeftClick(int col, long row, bool isDown, UGRect* rect, UGPoint* point, bool processed) {}
  virtual void OnCellRightClick(int col, long row, bool isDown, UGRect* rect, UGPoint* point, bool processed) {}
  virtual void OnCellDoubleClick(int col, long row, UGRect* rect, UGPoint* point, bool processed) {}
  virtual void OnCellMouseMove(int col, long row, UGPoint* point, unsigned flags, bool processed) {}
  virtual void OnTopHeadingLeftClick(int col, long row, bool isDown, UGRect* rect, UGPoint* point, bool processed) {}
  virtual void OnTopHeadingRightClick(int col, long row, bool isDown, UGRect* rect, UGPoint* point,
                                      bool processed) {}
  virtual void OnTopHeadingDoubleClick(int col, long row, UGRect* rect, UGPoint* point, bool processed) {}
  virtual void OnSideHeadingLeftClick(int col, long row, bool isDown, UGRect* rect, UGPoint* point,
                                      bool processed) {}
  virtual void OnSideHeadingRightClick(int col, long row, bool isDown, UGRect* rect, UGPoint* point,
                                       bool processed) {}
  virtual void OnSideHeadingDoubleClick(int col, long row, UGRect* rect, UGPoint* point, bool processed) {}
  virtual void OnCornerLeftClick(bool isDown, UGRect* rect, UGPoint* point, bool processed) {}
  virtual void OnCornerRightClick(bool isDown, UGRect* rect, UGPoint* point, bool processed) {}
  virtual void OnCornerDoubleClick(UGRect* rect, UGPoint* point, bool processed) {}
  virtual void OnGridKeyDown(unsigned* vkey, bool processed) {}
  virtual void OnGridKeyUp(unsigned* vkey, bool processed) {}
  virtual void OnGridChar(unsigned* ch, bool processed) {}
  virtual void OnReadCell(int col, long row, CUGCell* cell) {}
  virtual void OnWriteCell(int col, long row, CUGCell* cell) {}
  virtual void OnReserved2() {}
  virtual int OnCellTypeEvent(int cellTypeId, int col, long row, int msg, long param) { return 1; }
  virtual int OnBeginCellEdit(int col, long row, CUGEditor** editor) { return 1; }
  virtual int OnEditKeyCheck(int col, long row, CUGEditor* editor, unsigned* key) { return 1; }
  virtual int OnEndCellEdit(int col, long row, CUGEditor* editor, const std::string& text, bool cancelled) {
    return 1;
  }
  virtual int OnContinueCellEdit(int oldCol, long oldRow, int* newCol, long* newRow) { return 1; }
  virtual int OnReserved3() { return 1; }
  virtual int OnReserved4() { return 1; }
  virtual void OnPopupMenuCommand(int col, long row, int section, unsigned itemId) {}
  virtual int OnPopupMenuStart(int col, long row, int section) { return 1; }
  virtual int OnGetHelpContextId(int col, long row, int section) { return 0; }
  virtual int OnGetHintText(int col, long row, int section, std::string* text);
  virtual int OnGetVScrollHintText(long row, std::string* text) { return 1; }
  virtual int OnGetHScrollHintText(int col, std::string* text) { return 1; }
  // Drag and drop carry text only (null: the dragged data holds none); results are drop effects.
  virtual int OnDragEnterGrid(const std::string* text) { return 0; }
  virtual int OnDragOverCell(const std::string* text, int col, long row) { return 0; }
  virtual int OnDropOnCell(const std::string* text, int col, long row) { return 0; }
  virtual int OnCompareCells(const CUGCell* a, const CUGCell* b, int flags);
  virtual void OnPrepareSectionDC(UGDrawContext* dc, UGDrawContext* dc2, int section) {}
  virtual void OnAdjustLayout(UGRect* grid, UGRect* topHeading, UGRect* sideHeading, UGRect* corner, UGRect* vScroll,
                              UGRect* hScroll, UGRect* tabs) {}
  virtual void OnSheetTabClicked(int tabId) {}
  virtual Colour OnGetSectionBackColor(int section);
  // 0: the window draws its own focus rectangle.
  virtual int OnDrawCellFocus(UGDrawContext* dc, UGRect* rect) { return 0; }
  virtual void OnFocusLostTo(int section, void* newWindow) { OnFocusLost(section); }
  virtual void OnFocusLost(int section) {}
  virtual int OnAllowColumnDrag(int col) { return 1; }
  virtual int OnAllowColumnDrop(int fromCol, int toCol) { return 1; }
  virtual void OnColumnMoved(int fromCol, int toCol) {}
  virtual void OnTrackingWindowMoving(UGRect* oldRect, UGRect* newRect) {}

  // The order sorting uses when a grid does not choose its own.
  static int CompareCellsDefault(const CUGCell* a, const CUGCell* b, int flags);

 protected:
  // Moves (for the parts).
  void CompleteMove();

 private:
  friend class CUGMultiSelect;
  void ApplyDefaultSheet(CUGGridInfo& gi);
  void UpdateAllParts();
  void SyncCurrentToAnchor();
  int ResolveTargetRow(long* row);
  int ResolveTargetCol(int* col);
  void ScrollTargetRowIntoView();
  void ScrollTargetColIntoView();
  void RecalcLockedRowHeight();
  void RecalcLockedColWidth();
  int AvailHeight() const;
  int AvailWidth() const;
  void UpdateBottomRightInView();
  long PageRows(long from, bool down) const;
  int PageCols(int from, bool right) const;
  CUGDataSource* ColumnSource(int col) const {
    if (col < 0 || col >= gi_->numberCols || !gi_->columns[col].dataSource) return gi_->defDataSource;
    return gi_->columns[col].dataSource;
  }
  int ColumnDataCol(int col) const {
    return col < 0 || col >= gi_->numberCols ? col : gi_->columns[col].dataCol;
  }
  bool JoinRangeOf(int col, long row, int* startCol, long* startRow, int* endCol, long* endRow);
  // The grid column whose data column is dataCol (dataCol itself when none).
  int GridColOfDataCol(int dataCol) const;
  // Stores text typed or pasted into a cell: the merged cell's type decides the conversion;
  // read-only cells and refusals of the end-of-edit checks store nothing (non-zero).
  int StoreEditedText(int col, long row, const std::string& text);
  template <class Setter>
  int SetCellProperty(int col, long row, Setter set);

  std::vector<std::unique_ptr<CUGGridInfo>> sheets_;
  CUGGridInfo* gi_ = nullptr;
  int sheetNumber_ = 0;
  bool enableUpdate_ = true;
  bool tabsOnlyLayout_ = false;
  CUGView* view_ = nullptr;
  CUGTab tabs_{*this};
  UGRedrawHints cellHints_;
  bool shiftDown_ = false, ctrlDown_ = false;
  int clientWidth_ = 0, clientHeight_ = 0;

  std::vector<CUGDataSource*> dataSources_;  // index 0 stays empty
  int dataSourceMax_ = 0;
  struct FontEntry {
    FontDesc font;
    int users = 0;
  };
  std::vector<std::unique_ptr<FontEntry>> fontStore_;
  CUGPtrList fontList_;
  std::vector<std::unique_ptr<platform::Image>> bitmapStore_;
  CUGPtrList bitmapList_;
  UGImageLoader bitmapLoader_;
  CUGPtrList cellTypeList_;
  CUGCellType normalType_;
  std::unique_ptr<CUGCellType> dropListType_, checkBoxType_, arrowType_;

  std::vector<UGPopupItem> popupMenu_;
  int menuCol_ = -1;
  long menuRow_ = -1;
  int menuSection_ = 0;

  bool editInProgress_ = false;
  long editRow_ = -1;
  int editCol_ = -1;
  CUGEditor* editCtrl_ = nullptr;
  int editParent_ = UG_GRID;
  CUGCell editCell_;
  CUGEditor* builtinEdit_ = nullptr;
  CUGEditor* builtinMasked_ = nullptr;

  bool findAllCols_ = false;
};

}  // namespace gridmodel
