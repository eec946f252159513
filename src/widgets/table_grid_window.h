#pragma once
// The table grid's window: paints the model through the wx painter and turns mouse,
// keyboard and scroll bars into the model's input. Everything else is in the model.
#include <wx/scrolbar.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <memory>

#include "gridmodel/table_grid.h"
#include "widgets/painter_wx.h"

namespace widgets {

class CInPlaceEdit;

class TableGridWindow : public wxWindow, public gridmodel::GridHost {
 public:
  // The grid's control id is the window's id; the owner gets its notifications.
  TableGridWindow(wxWindow* parent, wxWindowID id, const wxPoint& pos = wxDefaultPosition,
                  const wxSize& size = wxDefaultSize, long style = wxBORDER_SUNKEN);
  ~TableGridWindow() override;

  gridmodel::CGridCtrl& Grid() { return grid_; }
  void SetOwner(gridmodel::GridOwner* owner) { grid_.SetOwner(owner); }
  CInPlaceEdit* Editor() const { return editor_; }

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
  void CloseEditor() override;
  std::string WindowTitle() override;

  // The editor's report (the editor calls it once, then goes).
  void EditorEnded(CInPlaceEdit* editor, int row, int col, const std::string& text, unsigned lastKey);

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
  CInPlaceEdit* editor_ = nullptr;
  std::unique_ptr<wxBitmap> measureBitmap_;
  std::unique_ptr<wxMemoryDC> measureDc_;
  std::unique_ptr<WxPainter> measurer_;
};

// The one-line editor over a cell. It reports once, on Return, Tab, Escape, an ending
// navigation key or the loss of focus, then destroys itself.
class CInPlaceEdit : public wxTextCtrl {
 public:
  CInPlaceEdit(TableGridWindow* grid, const wxRect& rect, unsigned align, int row, int col,
               const std::string& text, unsigned firstChar);
  void EndEdit();
  void Type(unsigned ch);  // a further key for an editor already open
  unsigned LastKey() const { return lastKey_; }

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

}  // namespace widgets
