#include "widgets/table_grid_window.h"

#include <wx/app.h>
#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/print.h>
#include <wx/settings.h>

#include <algorithm>

#include "gridmodel/table_print.h"
#include "platform/messages.h"

namespace widgets {

using namespace gridmodel;

namespace {

unsigned Modifiers(const wxKeyboardState& state) {
  return (state.ShiftDown() ? kModShift : 0u) | (state.ControlDown() ? kModCtrl : 0u);
}

// The grid's key for a wx key code; 0 for keys the grid leaves alone.
unsigned GridKeyOf(int code) {
  switch (code) {
    case WXK_LEFT: return kKeyLeft;
    case WXK_RIGHT: return kKeyRight;
    case WXK_UP: return kKeyUp;
    case WXK_DOWN: return kKeyDown;
    case WXK_PAGEUP: return kKeyPrior;
    case WXK_PAGEDOWN: return kKeyNext;
    case WXK_HOME: return kKeyHome;
    case WXK_END: return kKeyEnd;
    case WXK_DELETE: return kKeyDelete;
    case WXK_F2: return kKeyF2;
    case WXK_TAB: return kKeyTab;
    case WXK_RETURN: case WXK_NUMPAD_ENTER: return kKeyReturn;
    case WXK_ESCAPE: return kKeyEscape;
    default: return 0;
  }
}

// Where the caret goes by the key that began the editing: a click or Return keeps the text
// with the caret at its end, Backspace removes its last character, Tab, space and the
// navigation keys select it all, and any other character replaces it.
bool ReplacesText(unsigned ch) {
  return ch != 0 && ch != kKeyLButton && ch != kKeyReturn && ch != kKeyBack && ch != kKeyTab &&
         !(ch >= kKeySpace && ch <= kKeyDown);
}

void ApplyFirstChar(wxTextEntry& entry, unsigned ch) {
  if (ch == kKeyLButton || ch == kKeyReturn) {
    entry.SetInsertionPointEnd();
  } else if (ch == kKeyBack) {
    wxString v = entry.GetValue();
    if (!v.empty()) v.RemoveLast();
    entry.ChangeValue(v);
    entry.SetInsertionPointEnd();
  } else if (ch == kKeyTab || (ch >= kKeySpace && ch <= kKeyDown)) {
    entry.SelectAll();
  } else if (ReplacesText(ch)) {
    entry.ChangeValue(wxString(static_cast<wxChar>(ch)));
    entry.SetInsertionPointEnd();
  }
}

wxRect ToWxRect(const Rect& inclusive) {
  return wxRect(inclusive.left, inclusive.top, inclusive.right - inclusive.left + 1, inclusive.bottom - inclusive.top + 1);
}

}  // namespace

TableGridWindow::TableGridWindow(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : wxWindow(parent, id, pos, size, style | wxWANTS_CHARS), timer_(this) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  measureBitmap_ = std::make_unique<wxBitmap>(4, 4);
  measureDc_ = std::make_unique<wxMemoryDC>(*measureBitmap_);
  measurer_ = std::make_unique<WxPainter>(*measureDc_);
  hbar_ = new wxScrollBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_HORIZONTAL);
  vbar_ = new wxScrollBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_VERTICAL);
  hbar_->Hide();
  vbar_->Hide();
  FontDesc font = FontFromWx(GetFont().IsOk() ? GetFont() : wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
  SetDefaultMessageFont(font);
  grid_.SetHost(this);
  grid_.SetDefaultFont(font);

  Bind(wxEVT_PAINT, &TableGridWindow::OnPaint, this);
  Bind(wxEVT_SIZE, &TableGridWindow::OnSize, this);
  for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_MOTION, wxEVT_RIGHT_UP, wxEVT_MOUSEWHEEL})
    Bind(type, &TableGridWindow::OnMouse, this);
  Bind(wxEVT_KEY_DOWN, &TableGridWindow::OnKeyDown, this);
  Bind(wxEVT_CHAR, &TableGridWindow::OnChar, this);
  Bind(wxEVT_TIMER, &TableGridWindow::OnTimer, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &TableGridWindow::OnCaptureLost, this);
  for (wxScrollBar* bar : {hbar_, vbar_}) {
    for (auto type : {wxEVT_SCROLL_LINEUP, wxEVT_SCROLL_LINEDOWN, wxEVT_SCROLL_PAGEUP, wxEVT_SCROLL_PAGEDOWN,
                      wxEVT_SCROLL_THUMBTRACK, wxEVT_SCROLL_THUMBRELEASE, wxEVT_SCROLL_TOP, wxEVT_SCROLL_BOTTOM})
      bar->Bind(type, &TableGridWindow::OnScroll, this);
  }
}

TableGridWindow::~TableGridWindow() {
  timer_.Stop();
  if (HasCapture()) ReleaseMouse();
  grid_.SetOwner(nullptr);
  grid_.SetHost(nullptr);
}

// ---- host services

Size TableGridWindow::ViewSize() {
  wxSize s = GetClientSize();
  return Size{s.x, s.y};
}

int TableGridWindow::ScrollBarThickness() {
  return std::max(vbar_->GetBestSize().x, hbar_->GetBestSize().y);
}

void TableGridWindow::LayoutBars() {
  const int state = grid_.GetScrollBarState();
  const wxSize client = GetClientSize();
  const int t = ScrollBarThickness();
  const bool h = state & 1, v = state & 2;
  hbar_->Show(h);
  vbar_->Show(v);
  if (h) {
    hbar_->SetSize(0, client.y - t, client.x - (v ? t : 0), t);
    hbar_->SetScrollbar(grid_.GetScrollPos32(0), grid_.GetScrollPage(0), grid_.GetScrollMax(0) + 1,
                        grid_.GetScrollPage(0));
  }
  if (v) {
    vbar_->SetSize(client.x - t, 0, t, client.y - (h ? t : 0));
    vbar_->SetScrollbar(grid_.GetScrollPos32(1), grid_.GetScrollPage(1), grid_.GetScrollMax(1) + 1,
                        grid_.GetScrollPage(1));
  }
}

void TableGridWindow::ScrollBarsChanged() { LayoutBars(); }

void TableGridWindow::Invalidate(const Rect* rect) {
  if (!rect) Refresh(false);
  else RefreshRect(wxRect(rect->left, rect->top, rect->Width(), rect->Height()), false);
}

Painter& TableGridWindow::Measurer() { return *measurer_; }

void TableGridWindow::ShowCursor(GridCursor cursor) {
  switch (cursor) {
    case GridCursor::SizeWE: wxWindow::SetCursor(wxCursor(wxCURSOR_SIZEWE)); break;
    case GridCursor::SizeNS: wxWindow::SetCursor(wxCursor(wxCURSOR_SIZENS)); break;
    case GridCursor::Wait: wxWindow::SetCursor(wxCursor(wxCURSOR_WAIT)); break;
    case GridCursor::Arrow: wxWindow::SetCursor(wxNullCursor); break;
  }
}

void TableGridWindow::Capture(bool capture) {
  if (capture && !HasCapture()) wxWindow::CaptureMouse();
  else if (!capture && HasCapture()) ReleaseMouse();
}

void TableGridWindow::StartTimer(int ms) { timer_.Start(ms); }
void TableGridWindow::StopTimer() { timer_.Stop(); }
void TableGridWindow::TakeFocus() { SetFocus(); }

void TableGridWindow::ShowTracker(bool vertical, int pos) {
  // The tracker is drawn over the cells by the paint; moving it repaints both strips.
  wxSize client = GetClientSize();
  auto strip = [&](bool v, int p) { return v ? wxRect(p - 1, 0, 4, client.y) : wxRect(0, p - 1, client.x, 4); };
  if (trackerPos_ >= 0) RefreshRect(strip(trackerVertical_, trackerPos_), false);
  trackerVertical_ = vertical;
  trackerPos_ = pos;
  if (pos >= 0) RefreshRect(strip(vertical, pos), false);
}

std::string TableGridWindow::WindowTitle() {
  for (wxWindow* w = GetParent(); w; w = w->GetParent()) {
    wxString label = w->GetLabel();
    if (!label.empty()) return label.ToStdString(wxConvUTF8);
  }
  return "";
}

bool TableGridWindow::OpenEditor(int row, int col, Rect rect, unsigned align, const std::string& text,
                                 unsigned firstChar) {
  if (editor_) {
    editor_->Type(firstChar);
    return true;
  }
  editor_ = new CInPlaceEdit(this, ToWxRect(rect), align, row, col, text, firstChar);
  return true;
}

bool TableGridWindow::OpenListEditor(int row, int col, Rect rect, unsigned style, const std::vector<std::string>& options,
                                     const std::string& text, unsigned firstChar) {
  if (editor_) {
    editor_->Type(firstChar);
    return true;
  }
  editor_ = new CInPlaceList(this, ToWxRect(rect), style, row, col, options, text, firstChar);
  return true;
}

CInPlaceEdit* TableGridWindow::Editor() const { return dynamic_cast<CInPlaceEdit*>(editor_); }
CInPlaceList* TableGridWindow::ListEditor() const { return dynamic_cast<CInPlaceList*>(editor_); }

void TableGridWindow::CloseEditor() {
  if (editor_) editor_->EndEdit();
}

void TableGridWindow::EditorEnded(GridCellEditor* editor, int row, int col, const std::string& text, unsigned lastKey) {
  if (editor_ == editor) editor_ = nullptr;
  if (lastKey != 0) SetFocus();
  grid_.OnEndInPlaceEdit(row, col, text, lastKey);
}

// ---- events

void TableGridWindow::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  wxRect box = GetUpdateRegion().GetBox();
  dc.SetClippingRegion(box);
  WxPainter painter(dc);
  grid_.OnDraw(painter);
  if (trackerPos_ >= 0) {
    wxSize client = GetClientSize();
    Rect band = trackerVertical_ ? Rect{trackerPos_, 0, trackerPos_ + 2, client.y}
                                 : Rect{0, trackerPos_, client.x, trackerPos_ + 2};
    painter.FillRect(band, Colour::System(SysColour::ButtonText));
  }
}

void TableGridWindow::OnSize(wxSizeEvent& event) {
  // The toolkit also sends sizes that did not change (a child appearing): editing goes on.
  wxSize now = GetClientSize();
  if (now == lastSize_) {
    event.Skip();
    return;
  }
  lastSize_ = now;
  grid_.OnSize();
  LayoutBars();
  Refresh(false);
  event.Skip();
}

void TableGridWindow::OnMouse(wxMouseEvent& event) {
  Point p{event.GetX(), event.GetY()};
  wxEventType type = event.GetEventType();
  if (type == wxEVT_LEFT_DOWN) {
    grid_.OnLButtonDown(p, Modifiers(event));
  } else if (type == wxEVT_LEFT_UP) {
    grid_.OnLButtonUp(p);
  } else if (type == wxEVT_LEFT_DCLICK) {
    grid_.OnLButtonDblClk(p);
  } else if (type == wxEVT_MOTION) {
    grid_.OnMouseMove(p, event.LeftIsDown());
  } else if (type == wxEVT_RIGHT_UP) {
    grid_.OnRButtonUp(p);
  } else if (type == wxEVT_MOUSEWHEEL) {
    int delta = event.GetWheelDelta() > 0 ? event.GetWheelRotation() * 120 / event.GetWheelDelta() : 0;
    grid_.OnMouseWheel(delta);
  }
  event.Skip(type != wxEVT_LEFT_DOWN);
}

void TableGridWindow::OnKeyDown(wxKeyEvent& event) {
  const int code = event.GetKeyCode();
  const unsigned mods = Modifiers(event);
  if (event.ControlDown() && (code == 'A' || code == 'a')) {
    grid_.OnKeyDown('A', mods);
    return;
  }
  unsigned key = GridKeyOf(code);
  if (key == kKeyTab && event.ControlDown()) key = 0;
  if (key == 0 || key == kKeyReturn || key == kKeyEscape) {
    event.Skip();
    return;
  }
  grid_.OnKeyDown(key, mods);
}

void TableGridWindow::OnChar(wxKeyEvent& event) {
  wxChar ch = event.GetUnicodeKey();
  if (ch == WXK_NONE || ch == WXK_TAB || ch == WXK_ESCAPE || (ch < 32 && ch != WXK_BACK && ch != WXK_RETURN)) {
    event.Skip();
    return;
  }
  grid_.OnChar(static_cast<unsigned>(ch), Modifiers(event));
}

void TableGridWindow::OnScroll(wxScrollEvent& event) {
  const bool horizontal = event.GetEventObject() == hbar_;
  CGridCtrl::ScrollCode code = CGridCtrl::kEndScroll;
  wxEventType type = event.GetEventType();
  if (type == wxEVT_SCROLL_LINEUP) code = CGridCtrl::kLineUp;
  else if (type == wxEVT_SCROLL_LINEDOWN) code = CGridCtrl::kLineDown;
  else if (type == wxEVT_SCROLL_PAGEUP) code = CGridCtrl::kPageUp;
  else if (type == wxEVT_SCROLL_PAGEDOWN) code = CGridCtrl::kPageDown;
  else if (type == wxEVT_SCROLL_THUMBTRACK || type == wxEVT_SCROLL_THUMBRELEASE) code = CGridCtrl::kThumbTrack;
  else if (type == wxEVT_SCROLL_TOP) code = CGridCtrl::kTop;
  else if (type == wxEVT_SCROLL_BOTTOM) code = CGridCtrl::kBottom;
  if (horizontal) grid_.OnHScroll(code, event.GetPosition());
  else grid_.OnVScroll(code, event.GetPosition());
}

void TableGridWindow::OnTimer(wxTimerEvent&) {
  wxPoint p = ScreenToClient(wxGetMousePosition());
  grid_.OnTimer(Point{p.x, p.y});
}

void TableGridWindow::OnCaptureLost(wxMouseCaptureLostEvent&) { grid_.OnCaptureLost(); }

// ---- printing

namespace {

class GridPrintout : public wxPrintout {
 public:
  GridPrintout(CGridCtrl& grid, const PrintTexts& texts) : wxPrintout(texts.windowTitle.empty() ? "Table" : texts.windowTitle), grid_(grid), texts_(texts) {}

  void OnPreparePrinting() override {
    wxDC* dc = GetDC();
    if (!dc) {
      error_ = "the printer gives nothing to draw on";
      return;
    }
    // The page in points, as the PDF pages are laid out; the DC scales points to the device.
    int wmm = 0, hmm = 0;
    GetPageSizeMM(&wmm, &hmm);
    PrintSetup setup;
    setup.paper = Size{static_cast<int>(wmm * 72.0 / 25.4), static_cast<int>(hmm * 72.0 / 25.4)};
    int ppiX = 72, ppiY = 72;
    GetPPIPrinter(&ppiX, &ppiY);
    int sppiX = 96, sppiY = 96;
    GetPPIScreen(&sppiX, &sppiY);
    setup.printerDpiX = 72;
    setup.printerDpiY = 72;
    setup.screenDpiX = sppiX;
    setup.screenDpiY = sppiY;
    scale_ = ppiX > 0 ? ppiX / 72.0 : 1.0;
    dc->SetUserScale(scale_, scale_);
    WxPainter painter(*dc, true);
    setup.charSize = MeasurePrintCharSize(painter);
    if (!ComputePrintLayout(grid_, setup, layout_, error_)) layout_.pageCount = 0;
  }
  void GetPageInfo(int* minPage, int* maxPage, int* from, int* to) override {
    *minPage = *from = 1;
    *maxPage = *to = std::max(1, layout_.pageCount);
  }
  bool HasPage(int page) override { return page >= 1 && page <= layout_.pageCount; }
  bool OnPrintPage(int page) override {
    wxDC* dc = GetDC();
    if (!dc || layout_.pageCount == 0) return false;
    WxPainter painter(*dc, true);
    // The layout works in points; the painter's transform takes them to printer pixels.
    PrintLayout scaled = layout_;
    scaled.paper = Size{static_cast<int>(layout_.paper.cx * scale_), static_cast<int>(layout_.paper.cy * scale_)};
    PrintPage(grid_, painter, scaled, page, texts_);
    return true;
  }
  const std::string& Error() const { return error_; }

 private:
  CGridCtrl& grid_;
  PrintTexts texts_;
  PrintLayout layout_;
  double scale_ = 1.0;
  std::string error_;
};

}  // namespace

bool TableGridWindow::Print() {
  grid_.EndEditing();
  PrintTexts texts;
  texts.windowTitle = WindowTitle();
  texts.dateTime = PrintDateTime();
  GridPrintout printout(grid_, texts);
  wxPrinter printer;
  if (printer.Print(this, &printout, true)) return true;
  if (wxPrinter::GetLastError() == wxPRINTER_CANCELLED) return false;
  std::string reason = printout.Error().empty() ? "the printer reported an error" : printout.Error();
  platform::Tell("The table could not be printed: " + reason + ".");
  return false;
}

// ---- the in-place editor

CInPlaceEdit::CInPlaceEdit(TableGridWindow* grid, const wxRect& rect, unsigned align, int row, int col,
                           const std::string& text, unsigned firstChar)
    : wxTextCtrl(grid, 8, wxString::FromUTF8(text), rect.GetPosition(), rect.GetSize(),
                 wxTE_PROCESS_ENTER | wxTE_PROCESS_TAB | wxBORDER_SIMPLE |
                     ((align & kAlignRight) ? wxTE_RIGHT : (align & kAlignCenter) ? wxTE_CENTRE : wxTE_LEFT)),
      grid_(grid), row_(row), col_(col), initial_(text), exitOnArrows_(firstChar != kKeyLButton), rect_(rect) {
  SetFont(grid->GetFont());
  // Escape ends this edit only; a dialog would otherwise take it as its own Cancel.
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& e) {
    if (e.GetKeyCode() == WXK_ESCAPE) OnKeyDown(e);
    else e.Skip();
  });
  Bind(wxEVT_KEY_DOWN, &CInPlaceEdit::OnKeyDown, this);
  Bind(wxEVT_CHAR, &CInPlaceEdit::OnChar, this);
  Bind(wxEVT_KILL_FOCUS, &CInPlaceEdit::OnKillFocus, this);
  Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) {
    focused_ = true;
    e.Skip();
  });
  EditOpened();
  SetFocus();
  Type(firstChar);
}

void CInPlaceEdit::Type(unsigned ch) {
  ApplyFirstChar(*this, ch);
  if (ReplacesText(ch)) Grow();
}

void CInPlaceEdit::OnKeyDown(wxKeyEvent& event) {
  const int code = event.GetKeyCode();
  switch (code) {
    case WXK_RETURN: case WXK_NUMPAD_ENTER:
      lastKey_ = kKeyReturn;
      EndEdit();
      return;
    case WXK_TAB:
      lastKey_ = kKeyTab;
      EndEdit();
      return;
    case WXK_ESCAPE:
      ChangeValue(wxString::FromUTF8(initial_));
      lastKey_ = kKeyEscape;
      EndEdit();
      return;
    case WXK_PAGEUP: case WXK_PAGEDOWN: case WXK_LEFT: case WXK_RIGHT: case WXK_UP: case WXK_DOWN:
      if (exitOnArrows_ || event.ControlDown()) {
        lastKey_ = GridKeyOf(code);
        EndEdit();
        return;
      }
      break;
    default:
      break;
  }
  event.Skip();
}

void CInPlaceEdit::OnChar(wxKeyEvent& event) {
  event.Skip();
  CallAfter([this] { Grow(); });
}

void CInPlaceEdit::Grow() {
  if (ended_) return;
  wxSize text = GetTextExtent(GetValue() + "  ");
  if (text.x <= rect_.width) return;
  int limit = grid_->GetClientSize().x;
  rect_.width = std::min(text.x, limit - rect_.x);
  SetSize(rect_);
}

void CInPlaceEdit::OnKillFocus(wxFocusEvent& event) {
  event.Skip();
  // A focus change still in flight when the editor opened is not a loss of its focus.
  if (focused_ && !LeaveToButtonClick(event.GetWindow())) EndEdit();
}

void CInPlaceEdit::EndEdit() {
  if (ended_) return;
  ended_ = true;
  EditClosed();
  std::string text = GetValue().ToStdString(wxConvUTF8);
  Hide();
  grid_->EditorEnded(this, row_, col_, text, lastKey_);
  // Gone once the events in hand are done.
  if (wxTheApp) wxTheApp->ScheduleForDestruction(this);
  else Destroy();
}

// ---- the drop-down list editor

namespace {
long ListStyle(unsigned style) {
  return (style & 3) == kComboDropDownList ? wxCB_READONLY : (wxCB_DROPDOWN | wxTE_PROCESS_ENTER);
}
wxArrayString Choices(const std::vector<std::string>& options) {
  wxArrayString out;
  for (const std::string& o : options) out.Add(wxString::FromUTF8(o));
  return out;
}
}  // namespace

CInPlaceList::CInPlaceList(TableGridWindow* grid, const wxRect& rect, unsigned style, int row, int col,
                           const std::vector<std::string>& options, const std::string& text, unsigned firstChar)
    : wxComboBox(grid, 8, wxEmptyString, rect.GetPosition(), rect.GetSize(), Choices(options), ListStyle(style)),
      grid_(grid), row_(row), col_(col), initial_(text), dropList_((style & 3) == kComboDropDownList) {
  SetFont(grid->GetFont());
  const int match = FindString(wxString::FromUTF8(text), true);
  if (match != wxNOT_FOUND) SetSelection(match);
  else if (!dropList_) ChangeValue(wxString::FromUTF8(text));
  if (dropList_) {
    Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) {
      if (!EndingKey(e.GetKeyCode(), e.ControlDown())) e.Skip();
    });
    Bind(wxEVT_KILL_FOCUS, &CInPlaceList::OnKillFocus, this);
  } else {
    edit_ = new CComboEdit(this);
  }
  Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& e) {
    if (e.GetKeyCode() != WXK_ESCAPE || !EndingKey(WXK_ESCAPE, false)) e.Skip();
  });
  EditOpened();
  SetFocus();
  Type(firstChar);
  // Dropped once the list is on screen.
  CallAfter([this] {
    if (!ended_) Popup();
  });
}

CInPlaceList::~CInPlaceList() {
  if (edit_) {
    RemoveEventHandler(edit_);
    delete edit_;
  }
}

void CInPlaceList::Type(unsigned ch) {
  if (!dropList_) ApplyFirstChar(*this, ch);
}

bool CInPlaceList::EndingKey(int code, bool ctrl) {
  switch (code) {
    case WXK_ESCAPE:
      if (!dropList_) ChangeValue(wxString::FromUTF8(initial_));
      else SetSelection(FindString(wxString::FromUTF8(initial_), true));
      lastKey_ = kKeyEscape;
      break;
    case WXK_TAB: lastKey_ = kKeyTab; break;
    case WXK_RETURN: case WXK_NUMPAD_ENTER: lastKey_ = kKeyReturn; break;
    case WXK_PAGEUP: case WXK_PAGEDOWN: case WXK_LEFT: case WXK_RIGHT: case WXK_UP: case WXK_DOWN:
      if (!ctrl) return false;
      lastKey_ = GridKeyOf(code);
      break;
    default: return false;
  }
  EndEdit();
  return true;
}

void CInPlaceList::OnKillFocus(wxFocusEvent& event) {
  event.Skip();
  // The list's own popup takes the focus for a moment: that is not leaving the editor.
  wxWindow* to = event.GetWindow();
  if (to && to != this && !IsDescendant(to)) EndEdit();
}

void CInPlaceList::EndEdit() {
  if (ended_) return;
  ended_ = true;
  EditClosed();
  Dismiss();
  std::string text = GetValue().ToStdString(wxConvUTF8);
  Hide();
  grid_->EditorEnded(this, row_, col_, text, lastKey_);
  if (wxTheApp) wxTheApp->ScheduleForDestruction(this);
  else Destroy();
}

CComboEdit::CComboEdit(CInPlaceList* list) : list_(list) {
  Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) {
    if (!list_->EndingKey(e.GetKeyCode(), e.ControlDown())) e.Skip();
  });
  Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
    e.Skip();
    wxWindow* to = e.GetWindow();
    if (to && to != list_ && !list_->IsDescendant(to)) list_->EndEdit();
  });
  list->PushEventHandler(this);
}

}  // namespace widgets
