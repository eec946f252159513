#pragma once
// The table grid's window: paints the model through the wx painter and turns mouse,
// keyboard and scroll bars into the model's input. Everything else is in the model.
#include <wx/combobox.h>
#include <wx/scrolbar.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <memory>

#include "gridmodel/table_grid.h"
#include "widgets/open_edit.h"
#include "widgets/painter_wx.h"

namespace widgets {

class CInPlaceEdit;
class CInPlaceList;

// What the grid asks of the editor open over one of its cells. An edit always ends when
// committed: a value the grid refuses leaves the cell's old text.
class GridCellEditor : public OpenCellEdit {
 public:
  virtual void EndEdit() = 0;
  // A further key for an editor already open.
  virtual void Type(unsigned ch) = 0;
  bool CommitOpenEdit() override {
    EndEdit();
    return true;
  }
};

class TableGridWindow : public wxWindow, public gridmodel::GridHost {
 public:
  // The grid's control id is the window's id; the owner gets its notifications.
  TableGridWindow(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize, long style = wxBORDER_SUNKEN);
  ~TableGridWindow() override;

  gridmodel::CGridCtrl& Grid() { return grid_; }
  void SetOwner(gridmodel::GridOwner* owner) { grid_.SetOwner(owner); }
  CInPlaceEdit* Editor() const;
  CInPlaceList* ListEditor() const;

  // Prints through the desktop's print dialog; failures are told to the user.
  bool Print();

  // GridHost
  gridmodel::Size ViewSize() override;
  int ScrollBarThickness() override;
  void ScrollBarsChanged() override;
  void Invalidate(const gridmodel::Rect* rect) override;
  gridmodel::Painter& Measurer() override;
  void ShowCursor(gridmodel::GridCursor cursor) override;
  void Capture(bool capture) override;
  void StartTimer(int ms) override;
  void StopTimer() override;
  void TakeFocus() override;
  void ShowTracker(bool vertical, int pos) override;
  bool OpenEditor(int row, int col, gridmodel::Rect rect, unsigned align, const std::string& text,
                  unsigned firstChar) override;
  bool OpenListEditor(int row, int col, gridmodel::Rect rect, unsigned style, const std::vector<std::string>& options,
                      const std::string& text, unsigned firstChar) override;
  void CloseEditor() override;
  std::string WindowTitle() override;

  // The editor's report (the editor calls it once, then goes).
  void EditorEnded(GridCellEditor* editor, int row, int col, const std::string& text, unsigned lastKey);

 private:
  void OnPaint(wxPaintEvent&);
  void OnSize(wxSizeEvent&);
  void OnMouse(wxMouseEvent&);
  void OnKeyDown(wxKeyEvent&);
  void OnChar(wxKeyEvent&);
  void OnScroll(wxScrollEvent&);
  void OnTimer(wxTimerEvent&);
  void OnCaptureLost(wxMouseCaptureLostEvent&);
  void OnSetFont();
  void LayoutBars();

  gridmodel::CGridCtrl grid_;
  wxScrollBar* hbar_ = nullptr;
  wxScrollBar* vbar_ = nullptr;
  wxTimer timer_;
  bool trackerVertical_ = false;
  int trackerPos_ = -1;
  wxSize lastSize_;
  GridCellEditor* editor_ = nullptr;
  std::unique_ptr<wxBitmap> measureBitmap_;
  std::unique_ptr<wxMemoryDC> measureDc_;
  std::unique_ptr<WxPainter> measurer_;
};

// The one-line editor over a cell. It reports once, on Return, Tab, Escape, an ending
// navigation key or the loss of focus, then destroys itself.
class CInPlaceEdit : public wxTextCtrl, public GridCellEditor {
 public:
  CInPlaceEdit(TableGridWindow* grid, const wxRect& rect, unsigned align, int row, int col,
               const std::string& text, unsigned firstChar);
  void EndEdit() override;
  void Type(unsigned ch) override;
  unsigned LastKey() const { return lastKey_; }
  wxWindow* EditWindow() override { return this; }

 private:
  void OnKeyDown(wxKeyEvent& event);
  void OnChar(wxKeyEvent& event);
  void OnKillFocus(wxFocusEvent& event);
  void Grow();

  TableGridWindow* grid_;
  int row_, col_;
  std::string initial_;
  unsigned lastKey_ = 0;
  bool exitOnArrows_;
  bool ended_ = false;
  bool focused_ = false;
  wxRect rect_;
};

class CComboEdit;

// The drop-down list over a cell: its text typed (drop-down style) or only chosen (drop-list
// style). It reports once, like the text editor, then goes.
class CInPlaceList : public wxComboBox, public GridCellEditor {
 public:
  CInPlaceList(TableGridWindow* grid, const wxRect& rect, unsigned style, int row, int col,
               const std::vector<std::string>& options, const std::string& text, unsigned firstChar);
  ~CInPlaceList() override;
  void EndEdit() override;
  void Type(unsigned ch) override;
  unsigned LastKey() const { return lastKey_; }
  wxWindow* EditWindow() override { return this; }
  // A key that may end the editing: true when it did.
  bool EndingKey(int code, bool ctrl);

 private:
  void OnKillFocus(wxFocusEvent& event);

  TableGridWindow* grid_;
  int row_, col_;
  std::string initial_;
  unsigned lastKey_ = 0;
  bool dropList_;
  bool ended_ = false;
  CComboEdit* edit_ = nullptr;
};

// The typing part of a drop-down list: its ending keys go to the list, and losing the focus
// ends the list's editing.
class CComboEdit : public wxEvtHandler {
 public:
  explicit CComboEdit(CInPlaceList* list);

 private:
  CInPlaceList* list_;
};

}  // namespace widgets
