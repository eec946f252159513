#pragma once
// The cell grid's windows over its model: the control with its cell area, headings, corner
// button and scroll bars, the built-in editors and the drop list. Every decision is the
// model's; these windows paint through the wx painter and forward input.
#include <wx/popupwin.h>
#include <wx/scrolbar.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <memory>

#include "gridmodel/ug_parts.h"
#include "gridmodel/ug_textedit.h"
#include "widgets/open_edit.h"

class wxListBox;

namespace widgets {

class CUGWindow;

// Key codes of the grid's notifications from a wx key event.
unsigned VirtualKey(const wxKeyEvent& event);

// One of the part windows: cell area, top heading, side heading or corner button.
class UGPartWnd : public wxWindow {
 public:
  UGPartWnd(CUGWindow* owner, int section, wxWindowID id);
  int Section() const { return section_; }
  void SetTracker(const gridmodel::UGRect& r);

 private:
  void OnPaint(wxPaintEvent&);
  void OnMouse(wxMouseEvent&);
  void OnKeyDown(wxKeyEvent&);
  void OnKeyUp(wxKeyEvent&);
  void OnChar(wxKeyEvent&);
  void OnFocus(wxFocusEvent&);
  void OnCaptureLost(wxMouseCaptureLostEvent&);
  void OnHelp(wxHelpEvent&);
  // The tooltip of the cell under the pointer, when the grid's hints are on.
  void UpdateHint(int x, int y);

  CUGWindow* owner_;
  int section_;
  int hintCol_ = -2;
  long hintRow_ = -2;
  gridmodel::UGRect tracker_{};
};

// Key handling every cell editor shares: the keys that end or move an edit, the grid's and
// the data source's key checks, and the hand-back of the text when the edit ends.
class CUGEditBase : public wxTextCtrl, public gridmodel::CUGEditor, public OpenCellEdit {
 public:
  CUGEditBase(CUGWindow* owner, wxWindowID id, long style);
  // CUGEditor
  void SetText(const std::string& text) override;
  std::string GetText() const override;
  void SetFont(int fontIndex) override;
  void Show(int section, const gridmodel::UGRect& rect) override;
  void Hide() override;
  bool HasFocus() const override;
  void SendChar(int key) override;
  int GetWidth() const override { return GetSize().GetWidth(); }
  unsigned GetLastKey() const { return lastKey_; }
  // OpenCellEdit
  bool CommitOpenEdit() override { return Finish(false); }
  wxWindow* EditWindow() override { return this; }

 protected:
  // Hands the text to the grid; false when the grid keeps the edit open.
  bool Finish(bool refocus);
  // A typed character after the grid's checks; the masked and numeric editors check it further.
  virtual void Insert(unsigned ch);
  virtual void Prepared() {}
  virtual void TextChanged() {}
  bool Offer(unsigned* key);
  CUGWindow* owner_;
  gridmodel::UGRect placed_{};
  int section_ = gridmodel::UG_GRID;
  bool internal_ = false;  // the editor itself changes the text

 private:
  void OnKeyDown(wxKeyEvent&);
  void OnCharHook(wxKeyEvent&);
  void Cancel();
  void OnChar(wxKeyEvent&);
  void OnKillFocus(wxFocusEvent&);
  void OnText(wxCommandEvent&);
  void MoveTo(int col, long row);
  int newCol_ = 0;
  long newRow_ = 0;
  bool cancelled_ = false, moveOn_ = false, ending_ = false, shown_ = false;
  unsigned lastKey_ = 0;
};

// The sheet tabs beside the horizontal scroll bar; the strip's model decides everything.
class UGTabWnd : public wxWindow {
 public:
  explicit UGTabWnd(CUGWindow* owner);

 private:
  void OnPaint(wxPaintEvent&);
  void OnMouse(wxMouseEvent&);
  CUGWindow* owner_;
};

// The hint beside a dragged scroll thumb: a small popup that never takes the focus.
class UGHintWnd : public wxPopupWindow {
 public:
  explicit UGHintWnd(CUGWindow* owner);
  void SetHintText(const std::string& text) { text_ = text; }
  const std::string& HintText() const { return text_; }
  // Sizes and shows the hint at a point of the control's client area (placement flags).
  void PlaceAt(int x, int y, int minWidth, int flags);
  void HideHint() {
    if (IsShown()) Hide();
  }

 private:
  void OnPaint(wxPaintEvent&);
  CUGWindow* owner_;
  std::string text_;
};

// The default editor: multi-line, growing over its neighbours while the text grows.
class CUGEdit : public CUGEditBase {
 public:
  explicit CUGEdit(CUGWindow* owner);
  bool SetAutoSize(bool on) {
    const bool old = autoSize_;
    autoSize_ = on;
    return old;
  }

 protected:
  void Prepared() override;
  void TextChanged() override { FitToText(); }

 private:
  void FitToText();
  bool autoSize_ = true, autoSizeActive_ = false;
};

// The masked editor: each typed character is checked against its mask position.
class CUGMaskedEdit : public CUGEditBase {
 public:
  explicit CUGMaskedEdit(CUGWindow* owner);

 protected:
  void Prepared() override;
  void Insert(unsigned ch) override;
  void TextChanged() override;
};

// The numeric edit (and the currency edit, a numeric edit with a currency state) as a cell
// editor: the text state lives in the model; the window mirrors it.
class CUTNumericEditWnd : public CUGEditBase {
 public:
  CUTNumericEditWnd(CUGWindow* owner, wxWindowID id, std::unique_ptr<gridmodel::CUTNumericEdit> state = nullptr);
  gridmodel::CUTNumericEdit& State() { return *state_; }
  // The grid stores canonical text, not what the control shows.
  std::string GetText() const override { return state_->GetCanonicalText(); }
  void SetText(const std::string& text) override;

 protected:
  void Insert(unsigned ch) override;
  void TextChanged() override;

 private:
  void OnKey(wxKeyEvent&);
  void Mirror();
  std::unique_ptr<gridmodel::CUTNumericEdit> state_;
};

class CUGWindow : public wxWindow, public gridmodel::CUGView, public gridmodel::UGPartHost {
 public:
  // The grid model must outlive the window; the window becomes its view.
  CUGWindow(wxWindow* parent, wxWindowID id, gridmodel::CUGCtrl* grid, const wxPoint& pos = wxDefaultPosition,
            const wxSize& size = wxDefaultSize);
  ~CUGWindow() override;
  // Creates the grid in place of a dialog's placeholder control (same rectangle, same place
  // in its sizer); null when the dialog has no control with that id.
  static CUGWindow* AttachToDialogItem(wxWindow* dialog, wxWindowID id, gridmodel::CUGCtrl* grid);

  gridmodel::CUGCtrl& Grid() { return *grid_; }
  UGPartWnd* CellArea() const { return parts_[0]; }
  UGPartWnd* Part(int section) const;
  CUGEdit* DefaultEditor() const { return edit_; }
  CUGMaskedEdit* MaskedEditor() const { return masked_; }
  wxScrollBar* VScroll() const { return vbar_; }
  wxScrollBar* HScroll() const { return hbar_; }
  UGTabWnd* TabStrip() const { return tabs_; }
  UGHintWnd* HintWindow() const { return hint_; }
  wxWindow* DropList() const { return dropPopup_; }
  wxListBox* DropListBox() const { return dropList_; }
  // Prints the whole grid through the desktop's print dialog; failures are told to the user.
  bool Print();

  // Input of the part windows.
  gridmodel::UGCellAreaInput& CellInput() { return cellInput_; }
  gridmodel::UGTopHeadingInput& TopInput() { return topInput_; }
  gridmodel::UGSideHeadingInput& SideInput() { return sideInput_; }
  gridmodel::UGCornerInput& CornerInput() { return cornerInput_; }
  bool TakeSkipFocus() {
    const bool s = skipFocus_;
    skipFocus_ = false;
    return s;
  }

  // CUGView
  void RefreshAllParts() override;
  void RefreshCellArea() override;
  void RefreshHeading(bool side) override;
  void RefreshAfterMove() override;
  void PartsArranged() override;
  void FocusCellArea() override;
  int MeasureTextWidth(const std::string& text, int fontIndex) override;
  int MeasureFontTextWidth(const std::string& text, const gridmodel::FontDesc& font) override;
  void RefreshTabs() override;
  void TabsArranged() override;
  bool TrackPopupMenu(int x, int y) override;
  bool ShowDropList(gridmodel::CUGDropListType* type, const gridmodel::UGRect& cellRect,
                    const std::vector<std::string>& choices, int fontIndex) override;
  void CloseDropList() override;
  void SkipCellAreaFocusOnce() override { skipFocus_ = true; }

  // UGPartHost
  void Capture(int section, bool on) override;
  bool CellAreaHasFocus() const override;
  void SetCursor(int section, gridmodel::UGCursor cursor) override;
  void ShowTracker(const gridmodel::UGRect& rect) override;
  gridmodel::UGPoint ToScreen(int section, gridmodel::UGPoint p) override;
  void StartAutoScroll(int section, int ms) override;
  void StopAutoScroll() override;
  void RefreshPart(int section) override;

  // The drop list's report.
  void DropListDone(int index);

 private:
  void OnSize(wxSizeEvent&);
  void OnPaint(wxPaintEvent&);
  void OnScroll(wxScrollEvent&);
  // The hint beside a dragged thumb, when the grid asked for scroll hints.
  void ShowThumbHint(bool vertical, long track);
  wxWindow* PartWindow(int section) const;
  void OnTimer(wxTimerEvent&);
  void UpdateScrollBars();

  gridmodel::CUGCtrl* grid_;
  UGPartWnd* parts_[4] = {};
  wxScrollBar* vbar_ = nullptr;
  wxScrollBar* hbar_ = nullptr;
  UGTabWnd* tabs_ = nullptr;
  UGHintWnd* hint_ = nullptr;
  CUGEdit* edit_ = nullptr;
  CUGMaskedEdit* masked_ = nullptr;
  gridmodel::UGCellAreaInput cellInput_;
  gridmodel::UGTopHeadingInput topInput_;
  gridmodel::UGSideHeadingInput sideInput_;
  gridmodel::UGCornerInput cornerInput_;
  wxTimer timer_;
  int timerSection_ = 0;
  double vScale_ = 1.0;
  bool skipFocus_ = false;
  wxPopupTransientWindow* dropPopup_ = nullptr;
  wxListBox* dropList_ = nullptr;
  gridmodel::CUGDropListType* dropType_ = nullptr;
  std::vector<std::string> dropChoices_;
};

}  // namespace widgets
