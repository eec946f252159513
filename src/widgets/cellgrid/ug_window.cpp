#include "widgets/cellgrid/ug_window.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/print.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/utils.h>

#include <algorithm>

#include "gridmodel/ug_maskedit.h"
#include "gridmodel/ug_print.h"
#include "platform/messages.h"
#include "widgets/painter_wx.h"

using namespace gridmodel;

namespace widgets {

namespace {
enum { kCellAreaId = 1, kTopId = 2, kSideId = 3, kCornerId = 4, kTabsId = 5, kVScrollId = 6, kHScrollId = 7, kEditId = 123,
       kMaskedId = 124, kListId = 125 };

unsigned MouseFlags(const wxMouseEvent& e) {
  unsigned f = 0;
  if (e.LeftIsDown()) f |= UG_MK_LBUTTON;
  if (e.RightIsDown()) f |= UG_MK_RBUTTON;
  if (e.ShiftDown()) f |= UG_MK_SHIFT;
  if (e.ControlDown()) f |= UG_MK_CONTROL;
  return f;
}
wxRect ToWx(const UGRect& r) { return wxRect(r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height())); }
}  // namespace

unsigned VirtualKey(const wxKeyEvent& event) {
  switch (event.GetKeyCode()) {
    case WXK_LEFT: case WXK_NUMPAD_LEFT: return UG_VK_LEFT;
    case WXK_RIGHT: case WXK_NUMPAD_RIGHT: return UG_VK_RIGHT;
    case WXK_UP: case WXK_NUMPAD_UP: return UG_VK_UP;
    case WXK_DOWN: case WXK_NUMPAD_DOWN: return UG_VK_DOWN;
    case WXK_PAGEUP: case WXK_NUMPAD_PAGEUP: return UG_VK_PRIOR;
    case WXK_PAGEDOWN: case WXK_NUMPAD_PAGEDOWN: return UG_VK_NEXT;
    case WXK_HOME: case WXK_NUMPAD_HOME: return UG_VK_HOME;
    case WXK_END: case WXK_NUMPAD_END: return UG_VK_END;
    case WXK_RETURN: case WXK_NUMPAD_ENTER: return UG_VK_RETURN;
    case WXK_TAB: return UG_VK_TAB;
    case WXK_ESCAPE: return UG_VK_ESCAPE;
    case WXK_DELETE: case WXK_NUMPAD_DELETE: return UG_VK_DELETE;
    case WXK_BACK: return UG_VK_BACK;
    case WXK_F2: return UG_VK_F2;
    default: {
      // Letters, digits and the space have virtual keys of their own code; other characters
      // (such as '(' whose code is the Down key's) come only as characters.
      const int k = event.GetKeyCode();
      if (k == ' ' || (k >= '0' && k <= '9')) return static_cast<unsigned>(k);
      if ((k >= 'a' && k <= 'z') || (k >= 'A' && k <= 'Z')) return static_cast<unsigned>(std::toupper(k));
      return 0;
    }
  }
}

// ---- part windows ----

UGPartWnd::UGPartWnd(CUGWindow* owner, int section, wxWindowID id)
    : wxWindow(owner, id, wxDefaultPosition, wxSize(0, 0), wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE),
      owner_(owner), section_(section) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &UGPartWnd::OnPaint, this);
  for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP, wxEVT_MOTION,
                    wxEVT_MOUSEWHEEL})
    Bind(type, &UGPartWnd::OnMouse, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &UGPartWnd::OnCaptureLost, this);
  Bind(wxEVT_HELP, &UGPartWnd::OnHelp, this);
  if (section == UG_GRID) {
    Bind(wxEVT_KEY_DOWN, &UGPartWnd::OnKeyDown, this);
    Bind(wxEVT_KEY_UP, &UGPartWnd::OnKeyUp, this);
    Bind(wxEVT_CHAR, &UGPartWnd::OnChar, this);
    Bind(wxEVT_SET_FOCUS, &UGPartWnd::OnFocus, this);
    Bind(wxEVT_KILL_FOCUS, &UGPartWnd::OnFocus, this);
  }
}

void UGPartWnd::SetTracker(const UGRect& r) {
  if (r == tracker_) return;
  tracker_ = r;
  Refresh(false);
}

void UGPartWnd::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  CUGCtrl& g = owner_->Grid();
  const wxSize size = GetClientSize();
  WxPainter p(dc);
  p.SetFont(FontFromWx(GetFont()));
  if (!g.Sheet().paintMode) {
    p.FillRect(Rect{0, 0, size.x, size.y}, Colour::System(SysColour::ButtonFace));
    return;
  }
  switch (section_) {
    case UG_GRID: {
      wxRect box = GetUpdateRegion().GetBox();
      if (box.IsEmpty()) box = wxRect(size);
      HintCellsIn(g, UGRect{box.x, box.y, box.GetRight() + 1, box.GetBottom() + 1});
      const bool skip = owner_->TakeSkipFocus();
      PaintCellArea(g, p, size.x, size.y, !skip && (HasFocus() || FindFocus() == this));
      if (tracker_.Width() > 0 || tracker_.Height() > 0)
        p.FillRect(Rect{tracker_.left, tracker_.top, tracker_.right, tracker_.bottom}, Colour::Rgb(0, 0, 0));
      break;
    }
    case UG_TOPHEADING:
      PaintTopHeading(g, p, size.x, size.y, owner_->TopInput().DragCol(), owner_->TopInput().DropCol());
      break;
    case UG_SIDEHEADING: PaintSideHeading(g, p, size.x, size.y); break;
    default: PaintCorner(g, p, size.x, size.y); break;
  }
}

void UGPartWnd::OnMouse(wxMouseEvent& e) {
  CUGCtrl& g = owner_->Grid();
  g.SetKeyState(e.ShiftDown(), e.ControlDown());
  const int x = e.GetX(), y = e.GetY();
  const unsigned f = MouseFlags(e);
  const wxEventType t = e.GetEventType();
  if (section_ == UG_GRID) {
    UGCellAreaInput& in = owner_->CellInput();
    if (t == wxEVT_LEFT_DOWN) in.LButtonDown(x, y, f);
    else if (t == wxEVT_LEFT_UP) in.LButtonUp(x, y, f);
    else if (t == wxEVT_LEFT_DCLICK) in.LButtonDblClk(x, y, f);
    else if (t == wxEVT_RIGHT_DOWN) in.RButtonDown(x, y, f);
    else if (t == wxEVT_RIGHT_UP) in.RButtonUp(x, y, f);
    else if (t == wxEVT_MOTION) in.MouseMove(x, y, f);
    else if (t == wxEVT_MOUSEWHEEL) in.Wheel(e.GetWheelRotation() * 120 / std::max(1, e.GetWheelDelta()));
  } else if (section_ == UG_TOPHEADING) {
    UGTopHeadingInput& in = owner_->TopInput();
    if (t == wxEVT_LEFT_DOWN) in.LButtonDown(x, y, f);
    else if (t == wxEVT_LEFT_UP) in.LButtonUp(x, y, f);
    else if (t == wxEVT_LEFT_DCLICK) in.LButtonDblClk(x, y, f);
    else if (t == wxEVT_RIGHT_DOWN) in.RButtonDown(x, y, f);
    else if (t == wxEVT_RIGHT_UP) in.RButtonUp(x, y, f);
    else if (t == wxEVT_MOTION) in.MouseMove(x, y, f);
  } else if (section_ == UG_SIDEHEADING) {
    UGSideHeadingInput& in = owner_->SideInput();
    if (t == wxEVT_LEFT_DOWN) in.LButtonDown(x, y, f);
    else if (t == wxEVT_LEFT_UP) in.LButtonUp(x, y, f);
    else if (t == wxEVT_LEFT_DCLICK) in.LButtonDblClk(x, y, f);
    else if (t == wxEVT_RIGHT_DOWN) in.RButtonDown(x, y, f);
    else if (t == wxEVT_RIGHT_UP) in.RButtonUp(x, y, f);
    else if (t == wxEVT_MOTION) in.MouseMove(x, y, f);
  } else {
    UGCornerInput& in = owner_->CornerInput();
    const wxSize s = GetClientSize();
    if (t == wxEVT_LEFT_DOWN) in.LButtonDown(x, y, f);
    else if (t == wxEVT_LEFT_UP) in.LButtonUp(x, y, f);
    else if (t == wxEVT_LEFT_DCLICK) in.LButtonDblClk(x, y, f);
    else if (t == wxEVT_RIGHT_DOWN) in.RButtonDown(x, y, f);
    else if (t == wxEVT_RIGHT_UP) in.RButtonUp(x, y, f);
    else if (t == wxEVT_MOTION) in.MouseMove(x, y, f, s.x, s.y);
  }
  if (t == wxEVT_MOTION && !e.ButtonIsDown(wxMOUSE_BTN_ANY)) UpdateHint(x, y);
  if (t == wxEVT_MOUSEWHEEL && section_ != UG_GRID) e.Skip();
}

void UGPartWnd::UpdateHint(int x, int y) {
  CUGCtrl& g = owner_->Grid();
  if (!g.Sheet().enableHints) {
    if (hintCol_ != -2) UnsetToolTip();
    hintCol_ = hintRow_ = -2;
    return;
  }
  int col = -1;
  long row = -1;
  UGRect r;
  bool on = true;
  if (section_ == UG_GRID) {
    on = g.GetCellFromPoint(x, y, &col, &row) == 0;
  } else if (section_ == UG_TOPHEADING) {
    int hr = -1;
    on = owner_->TopInput().HitTest(x, y, &col, &hr, &r);
    row = hr;
  } else if (section_ == UG_SIDEHEADING) {
    on = owner_->SideInput().HitTest(x, y, &col, &row, &r);
  }
  if (on && col == hintCol_ && row == hintRow_) return;
  hintCol_ = on ? col : -2;
  hintRow_ = on ? row : -2;
  std::string text;
  // A tip shows for a cell the grid gives a text for; elsewhere none.
  if (on && g.OnGetHintText(col, row, section_, &text) == 1 && !text.empty()) SetToolTip(wxString::FromUTF8(text));
  else UnsetToolTip();
}

void UGPartWnd::OnHelp(wxHelpEvent& e) {
  CUGCtrl& g = owner_->Grid();
  const bool fromKey = e.GetOrigin() == wxHelpEvent::Origin_Keyboard;
  const wxPoint p = fromKey ? wxPoint(-1, -1) : ScreenToClient(e.GetPosition());
  int col = -1;
  long row = -1;
  UGRect r;
  switch (section_) {
    case UG_GRID: owner_->CellInput().Help(fromKey, p.x, p.y); return;
    case UG_TOPHEADING: {
      int hr = -1;
      if (owner_->TopInput().HitTest(p.x, p.y, &col, &hr, &r)) row = hr;
      else col = -1;
      break;
    }
    case UG_SIDEHEADING:
      if (!owner_->SideInput().HitTest(p.x, p.y, &col, &row, &r)) col = -1, row = -1;
      break;
    default: break;
  }
  RequestGridHelp(g, *owner_, col, row, section_);
}

void UGPartWnd::OnKeyDown(wxKeyEvent& e) {
  CUGCtrl& g = owner_->Grid();
  if (e.GetKeyCode() == WXK_F1 && !e.HasAnyModifiers()) {
    owner_->CellInput().Help(true, 0, 0);
    return;
  }
  g.SetKeyState(e.ShiftDown(), e.ControlDown());
  const unsigned key = VirtualKey(e);
  if (key == UG_VK_TAB && !g.IsEditing()) {
    // Tab is the grid's own key only when a grid takes it; otherwise it moves the focus.
    owner_->CellInput().KeyDown(key);
    return;
  }
  if (key != 0) owner_->CellInput().KeyDown(key);
  if (key == 0 || (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == UG_VK_SPACE ||
      key == UG_VK_RETURN || key == UG_VK_BACK)
    e.Skip();  // characters follow as char events
  else if (key == UG_VK_DELETE || key == UG_VK_ESCAPE)
    e.Skip();
}

void UGPartWnd::OnKeyUp(wxKeyEvent& e) {
  owner_->CellInput().KeyUp(VirtualKey(e));
  e.Skip();
}

void UGPartWnd::OnChar(wxKeyEvent& e) {
  const int code = e.GetUnicodeKey() != WXK_NONE ? static_cast<int>(e.GetUnicodeKey()) : e.GetKeyCode();
  if (code == WXK_TAB) return;
  if (code > 0 && code < 0x110000 && code != WXK_DELETE) owner_->CellInput().Char(static_cast<unsigned>(code));
}

void UGPartWnd::OnFocus(wxFocusEvent& e) {
  if (e.GetEventType() == wxEVT_SET_FOCUS) owner_->CellInput().FocusGained();
  else owner_->CellInput().FocusLost();
  CUGCtrl& g = owner_->Grid();
  g.CellAreaHints().AddCell(g.GetCurrentCol(), g.GetCurrentRow());
  Refresh(false);
  e.Skip();
}

void UGPartWnd::OnCaptureLost(wxMouseCaptureLostEvent&) { owner_->StopAutoScroll(); }

// ---- sheet tabs and the thumb hint ----

UGTabWnd::UGTabWnd(CUGWindow* owner)
    : wxWindow(owner, kTabsId, wxDefaultPosition, wxSize(0, 0), wxFULL_REPAINT_ON_RESIZE | wxCLIP_CHILDREN),
      owner_(owner) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &UGTabWnd::OnPaint, this);
  for (auto type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_DCLICK, wxEVT_LEFT_UP, wxEVT_RIGHT_DOWN, wxEVT_MOTION})
    Bind(type, &UGTabWnd::OnMouse, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { owner_->Grid().Tabs().LButtonUp(*owner_); });
  Bind(wxEVT_HELP, [this](wxHelpEvent&) {
    CUGCtrl& g = owner_->Grid();
    RequestGridHelp(g, *owner_, g.GetCurrentCol(), g.GetCurrentRow(), UG_TAB);
  });
}

void UGTabWnd::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxSize size = GetClientSize();
  WxPainter p(dc);
  if (!owner_->Grid().Sheet().paintMode) {
    p.FillRect(Rect{0, 0, size.x, size.y}, Colour::System(SysColour::ButtonFace));
    return;
  }
  owner_->Grid().Tabs().Paint(p, size.x, size.y);
}

void UGTabWnd::OnMouse(wxMouseEvent& e) {
  CUGTab& tabs = owner_->Grid().Tabs();
  const wxEventType t = e.GetEventType();
  if (t == wxEVT_LEFT_DOWN || t == wxEVT_LEFT_DCLICK) tabs.LButtonDown(e.GetX(), e.GetY(), *owner_);
  else if (t == wxEVT_LEFT_UP) tabs.LButtonUp(*owner_);
  else if (t == wxEVT_RIGHT_DOWN) tabs.RButtonDown(e.GetX(), e.GetY(), *owner_);
  else if (t == wxEVT_MOTION) tabs.MouseMove(e.GetX(), e.GetY(), *owner_);
}

UGHintWnd::UGHintWnd(CUGWindow* owner) : wxPopupWindow(owner, wxBORDER_SIMPLE), owner_(owner) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &UGHintWnd::OnPaint, this);
}

void UGHintWnd::PlaceAt(int x, int y, int minWidth, int flags) {
  wxClientDC dc(this);
  dc.SetFont(GetFont());
  const wxSize text = dc.GetTextExtent(wxString::FromUTF8(text_));
  const int height = dc.GetTextExtent("X").y + 2;  // and the border
  const wxSize client = owner_->GetClientSize();
  const UGRect r = PlaceHint(x, y, minWidth, text.x, height, flags, client.x, client.y);
  const wxPoint at = owner_->ClientToScreen(wxPoint(r.left, r.top));
  SetSize(at.x, at.y, r.Width(), r.Height());
  if (!IsShown()) Show();
  Refresh();
  Update();
}

void UGHintWnd::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (!owner_->Grid().Sheet().paintMode) return;
  const wxSize size = GetClientSize();
  dc.SetBrush(wxBrush(wxColour(255, 255, 224)));
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.DrawRectangle(0, 0, size.x, size.y);
  dc.SetFont(GetFont());
  dc.SetTextForeground(*wxBLACK);
  dc.DrawLabel(wxString::FromUTF8(text_), wxRect(size), wxALIGN_CENTER);
}

// ---- the control ----

CUGWindow::CUGWindow(wxWindow* parent, wxWindowID id, CUGCtrl* grid, const wxPoint& pos, const wxSize& size)
    : wxWindow(parent, id, pos, size, wxBORDER_SUNKEN | wxCLIP_CHILDREN | wxTAB_TRAVERSAL),
      grid_(grid), cellInput_(*grid, *this), topInput_(*grid, *this), sideInput_(*grid, *this),
      cornerInput_(*grid, *this), timer_(this) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  parts_[0] = new UGPartWnd(this, UG_GRID, kCellAreaId);
  parts_[1] = new UGPartWnd(this, UG_TOPHEADING, kTopId);
  parts_[2] = new UGPartWnd(this, UG_SIDEHEADING, kSideId);
  parts_[3] = new UGPartWnd(this, UG_CORNERBUTTON, kCornerId);
  tabs_ = new UGTabWnd(this);
  vbar_ = new wxScrollBar(this, kVScrollId, wxDefaultPosition, wxDefaultSize, wxSB_VERTICAL);
  hbar_ = new wxScrollBar(this, kHScrollId, wxDefaultPosition, wxDefaultSize, wxSB_HORIZONTAL);
  hint_ = new UGHintWnd(this);
  for (wxScrollBar* bar : {vbar_, hbar_})
    bar->Bind(wxEVT_HELP, [this, bar](wxHelpEvent&) {
      RequestGridHelp(*grid_, *this, grid_->GetCurrentCol(), grid_->GetCurrentRow(),
                      bar == vbar_ ? UG_VSCROLL : UG_HSCROLL);
    });
  edit_ = new CUGEdit(this);
  masked_ = new CUGMaskedEdit(this);
  Bind(wxEVT_SIZE, &CUGWindow::OnSize, this);
  Bind(wxEVT_PAINT, &CUGWindow::OnPaint, this);
  Bind(wxEVT_SCROLL_TOP, &CUGWindow::OnScroll, this);
  Bind(wxEVT_SCROLL_BOTTOM, &CUGWindow::OnScroll, this);
  Bind(wxEVT_SCROLL_LINEUP, &CUGWindow::OnScroll, this);
  Bind(wxEVT_SCROLL_LINEDOWN, &CUGWindow::OnScroll, this);
  Bind(wxEVT_SCROLL_PAGEUP, &CUGWindow::OnScroll, this);
  Bind(wxEVT_SCROLL_PAGEDOWN, &CUGWindow::OnScroll, this);
  Bind(wxEVT_SCROLL_THUMBTRACK, &CUGWindow::OnScroll, this);
  Bind(wxEVT_SCROLL_THUMBRELEASE, &CUGWindow::OnScroll, this);
  Bind(wxEVT_TIMER, &CUGWindow::OnTimer, this);
  Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent&) { FocusCellArea(); });
  CUGGridInfo& s = grid_->Sheet();
  s.vScrollWidth = vbar_->GetBestSize().x;
  s.hScrollHeight = hbar_->GetBestSize().y;
  grid_->SetView(this);
  grid_->SetBuiltinEditors(edit_, masked_);
  const wxFont font = parent ? parent->GetFont() : wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  grid_->InitGrid(FontFromWx(font.IsOk() ? font : wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT)));
  const wxSize client = GetClientSize();
  grid_->SetClientSize(client.x, client.y);
}

CUGWindow::~CUGWindow() {
  timer_.Stop();
  if (grid_->GetView() == this) grid_->SetView(nullptr);
  grid_->SetBuiltinEditors(nullptr, nullptr);
}

CUGWindow* CUGWindow::AttachToDialogItem(wxWindow* dialog, wxWindowID id, CUGCtrl* grid) {
  wxWindow* placeholder = dialog ? dialog->FindWindow(id) : nullptr;
  if (!placeholder || placeholder == dialog) return nullptr;
  wxWindow* parent = placeholder->GetParent();
  const wxRect rect = placeholder->GetRect();
  placeholder->SetId(wxID_ANY);
  auto* window = new CUGWindow(parent, id, grid, rect.GetPosition(), rect.GetSize());
  if (wxSizer* sizer = placeholder->GetContainingSizer()) {
    sizer->Replace(placeholder, window);
    window->SetMinSize(placeholder->GetMinSize());
  }
  window->MoveAfterInTabOrder(placeholder);
  placeholder->Destroy();
  if (wxSizer* top = parent->GetSizer()) top->Layout();
  return window;
}

wxWindow* CUGWindow::PartWindow(int section) const {
  if (section == UG_TAB) return tabs_;
  return Part(section);
}

UGPartWnd* CUGWindow::Part(int section) const {
  switch (section) {
    case UG_GRID: return parts_[0];
    case UG_TOPHEADING: return parts_[1];
    case UG_SIDEHEADING: return parts_[2];
    case UG_CORNERBUTTON: return parts_[3];
    default: return nullptr;
  }
}

void CUGWindow::OnSize(wxSizeEvent& e) {
  const wxSize client = GetClientSize();
  grid_->SetClientSize(client.x, client.y);
  RefreshAllParts();
  e.Skip();
}

void CUGWindow::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  const CUGGridInfo& s = grid_->Sheet();
  // The square between the two scroll bars.
  dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
  dc.SetPen(*wxTRANSPARENT_PEN);
  const wxSize c = GetClientSize();
  dc.DrawRectangle(s.rects[0].right, s.rects[0].bottom, c.x - s.rects[0].right, c.y - s.rects[0].bottom);
}

void CUGWindow::PartsArranged() {
  const CUGGridInfo& s = grid_->Sheet();
  parts_[0]->SetSize(ToWx(s.rects[0]));
  parts_[1]->SetSize(ToWx(s.rects[1]));
  parts_[2]->SetSize(ToWx(s.rects[2]));
  parts_[3]->SetSize(ToWx(s.rects[3]));
  const UGRect& v = s.rects[5];
  const UGRect& h = s.rects[6];
  vbar_->Show(v.Width() > 0 && v.Height() > 0);
  hbar_->Show(h.Width() > 0 && h.Height() > 0);
  if (vbar_->IsShown()) vbar_->SetSize(ToWx(v));
  if (hbar_->IsShown()) hbar_->SetSize(ToWx(h));
  TabsArranged();
}

void CUGWindow::TabsArranged() {
  const CUGGridInfo& s = grid_->Sheet();
  const UGRect& h = s.rects[6];
  const UGRect& t = s.rects[4];
  hbar_->Show(h.Width() > 0 && h.Height() > 0);
  if (hbar_->IsShown()) hbar_->SetSize(ToWx(h));
  tabs_->Show(t.Width() > 0 && t.Height() > 0);
  if (tabs_->IsShown()) tabs_->SetSize(ToWx(t));
  tabs_->Refresh(false);
}

void CUGWindow::RefreshTabs() { tabs_->Refresh(false); }

void CUGWindow::UpdateScrollBars() {
  const CUGGridInfo& s = grid_->Sheet();
  const long T = s.maxTopRow;
  const int page = std::max(1, s.gridHeight / std::max(1, s.defRowHeight));
  if (T > 1000) {
    vScale_ = T * 0.001;
    vbar_->SetScrollbar(static_cast<int>(s.topRow / vScale_), 1, 1001, 1);
  } else {
    vScale_ = 1.0;
    vbar_->SetScrollbar(static_cast<int>(s.topRow - s.numLockRows), page,
                        static_cast<int>(std::max(0L, T - s.numLockRows)) + page, page);
  }
  const int hpage = std::max(1, (s.gridWidth - s.lockColWidth) / std::max(1, s.defColWidth));
  hbar_->SetScrollbar(s.leftCol - s.numLockCols, hpage, std::max(0, s.maxLeftCol - s.numLockCols) + hpage, hpage);
}

void CUGWindow::OnScroll(wxScrollEvent& e) {
  CUGGridInfo& s = grid_->Sheet();
  if (!CellAreaHasFocus()) FocusCellArea();
  s.moveType = UG_MOVE_SCROLL;
  const wxEventType t = e.GetEventType();
  const bool vertical = e.GetOrientation() == wxVERTICAL;
  const int pos = e.GetPosition();
  auto move = [&](int how) { vertical ? grid_->MoveTopRow(how) : grid_->MoveLeftCol(how); };
  if (t == wxEVT_SCROLL_LINEUP) move(0);
  else if (t == wxEVT_SCROLL_LINEDOWN) move(1);
  else if (t == wxEVT_SCROLL_PAGEUP) move(2);
  else if (t == wxEVT_SCROLL_PAGEDOWN) move(3);
  else if (t == wxEVT_SCROLL_TOP) move(4);
  else if (t == wxEVT_SCROLL_BOTTOM) move(5);
  else if (t == wxEVT_SCROLL_THUMBRELEASE || t == wxEVT_SCROLL_THUMBTRACK) {
    // The row or column the thumb stands for: what a release makes the first in view.
    const long track = vertical ? (vScale_ > 1.0 ? static_cast<long>(pos * vScale_) : pos + s.numLockRows)
                                : pos + s.numLockCols;
    const bool follow = (vertical ? s.vScrollMode : s.hScrollMode) == 1;
    if (t == wxEVT_SCROLL_THUMBRELEASE) hint_->HideHint();
    if (t == wxEVT_SCROLL_THUMBRELEASE || follow) {
      if (vertical) grid_->SetTopRow(track);
      else grid_->SetLeftCol(static_cast<int>(track));
    }
    if (t == wxEVT_SCROLL_THUMBTRACK && (vertical ? s.enableVScrollHints : s.enableHScrollHints))
      ShowThumbHint(vertical, track);
  }
  s.moveType = UG_MOVE_KEYS;
  // A thumb the view does not follow stays where the pointer holds it until released.
  const bool held = t == wxEVT_SCROLL_THUMBTRACK && (vertical ? s.vScrollMode : s.hScrollMode) != 1;
  if (!held) UpdateScrollBars();
  parts_[2]->Refresh(false);
}

void CUGWindow::ShowThumbHint(bool vertical, long track) {
  const CUGGridInfo& s = grid_->Sheet();
  const wxPoint mouse = ScreenToClient(wxGetMousePosition());
  std::string text;
  if (vertical) {
    grid_->OnGetVScrollHintText(track, &text);
    hint_->SetHintText(text);
    hint_->PlaceAt(s.rects[5].left - 1, mouse.y, 40, UG_HINT_ALIGNRIGHT | UG_HINT_ALIGNVCENTER);
  } else {
    grid_->OnGetHScrollHintText(static_cast<int>(track), &text);
    hint_->SetHintText(text);
    hint_->PlaceAt(mouse.x, s.rects[6].top - 1, 20, UG_HINT_ALIGNCENTER | UG_HINT_ALIGNBOTTOM);
  }
}

void CUGWindow::RefreshAllParts() {
  for (UGPartWnd* p : parts_) p->Refresh(false);
  tabs_->Refresh(false);
  UpdateScrollBars();
}

void CUGWindow::RefreshCellArea() {
  // The hints already name the cells; the paint adds the current cell.
  parts_[0]->Refresh(false);
}

void CUGWindow::RefreshHeading(bool side) { parts_[side ? 2 : 1]->Refresh(false); }

void CUGWindow::RefreshAfterMove() {
  RefreshAllParts();
}

void CUGWindow::FocusCellArea() {
  if (parts_[0]) parts_[0]->SetFocus();
}

int CUGWindow::MeasureFontTextWidth(const std::string& text, const FontDesc& font) {
  wxClientDC dc(this);
  dc.SetFont(FontToWx(font));
  return dc.GetTextExtent(wxString::FromUTF8(text)).x;
}

int CUGWindow::MeasureTextWidth(const std::string& text, int fontIndex) {
  wxClientDC dc(this);
  const FontDesc* f = grid_->GetFont(fontIndex);
  dc.SetFont(f ? FontToWx(*f) : GetFont());
  return dc.GetTextExtent(wxString::FromUTF8(text)).x;
}

bool CUGWindow::TrackPopupMenu(int x, int y) {
  const auto& items = grid_->GetPopupMenu();
  if (items.empty()) return false;
  wxMenu menu;
  for (const UGPopupItem& item : items) {
    if (item.text.empty()) menu.AppendSeparator();
    else menu.Append(static_cast<int>(item.id), wxString::FromUTF8(item.text));
  }
  const int chosen = GetPopupMenuSelectionFromUser(menu, ScreenToClient(wxPoint(x, y)));
  if (chosen != wxID_NONE) grid_->PopupMenuCommand(static_cast<unsigned>(chosen));
  return true;
}

// The drop list: a transient popup holding a list box; a choice or a dismissal reports once.
class UGDropPopup : public wxPopupTransientWindow {
 public:
  explicit UGDropPopup(CUGWindow* owner) : wxPopupTransientWindow(owner, wxBORDER_SIMPLE), owner_(owner) {}
  void Done(int index) {
    if (reported_) return;
    reported_ = true;
    owner_->DropListDone(index);
  }

 protected:
  void OnDismiss() override { Done(-1); }

 private:
  CUGWindow* owner_;
  bool reported_ = false;
};

bool CUGWindow::ShowDropList(CUGDropListType* type, const UGRect& cellRect, const std::vector<std::string>& choices,
                             int fontIndex) {
  CloseDropList();
  auto* popup = new UGDropPopup(this);
  auto* list = new wxListBox(popup, kListId, wxDefaultPosition, wxDefaultSize, 0, nullptr, wxLB_SINGLE);
  if (const FontDesc* f = grid_->GetFont(fontIndex)) list->SetFont(FontToWx(*f));
  int widest = 0;
  {
    wxClientDC dc(list);
    dc.SetFont(list->GetFont());
    for (const std::string& c : choices) {
      list->Append(wxString::FromUTF8(c));
      widest = std::max(widest, dc.GetTextExtent(wxString::FromUTF8(c)).x);
    }
  }
  const int itemHeight = std::max(list->GetCharHeight() + 4, 12);
  const int shown = std::min<int>(static_cast<int>(choices.size()), 15);
  const CUGGridInfo& s = grid_->Sheet();
  int width = std::max(cellRect.Width(), widest + 10);
  if (choices.size() > 14) width += wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this);
  int height = shown * itemHeight + 6;
  // Below the cell, pushed up and left to stay inside the cell area.
  wxPoint at(cellRect.left + 10, cellRect.bottom);
  if (at.y + height > s.gridHeight) at.y = std::max(0, s.gridHeight - height);
  if (at.x + width > s.gridWidth) at.x = std::max(0, s.gridWidth - width);
  list->SetSize(width, height);
  popup->SetClientSize(width, height);
  popup->Position(parts_[0]->ClientToScreen(at), wxSize(0, 0));
  list->Bind(wxEVT_LISTBOX_DCLICK, [popup, list](wxCommandEvent&) { popup->Done(list->GetSelection()); popup->Dismiss(); });
  list->Bind(wxEVT_LEFT_UP, [popup, list](wxMouseEvent& e) {
    e.Skip();
    list->CallAfter([popup, list] {
      if (list->GetSelection() != wxNOT_FOUND) {
        popup->Done(list->GetSelection());
        popup->Dismiss();
      }
    });
  });
  list->Bind(wxEVT_KEY_DOWN, [popup, list](wxKeyEvent& e) {
    if (e.GetKeyCode() == WXK_ESCAPE) {
      popup->Done(-1);
      popup->Dismiss();
    } else if (e.GetKeyCode() == WXK_RETURN || e.GetKeyCode() == WXK_NUMPAD_ENTER) {
      popup->Done(list->GetSelection());
      popup->Dismiss();
    } else {
      e.Skip();
    }
  });
  dropPopup_ = popup;
  dropList_ = list;
  dropType_ = type;
  dropChoices_ = choices;
  popup->Popup(list);
  list->SetFocus();
  return true;
}

void CUGWindow::DropListDone(int index) {
  CUGDropListType* type = dropType_;
  const std::vector<std::string> choices = std::move(dropChoices_);
  wxPopupTransientWindow* popup = dropPopup_;
  dropType_ = nullptr;
  dropPopup_ = nullptr;
  dropList_ = nullptr;
  if (popup) popup->CallAfter([popup] { popup->Destroy(); });
  if (!type) return;
  if (index >= 0 && index < static_cast<int>(choices.size())) type->Choose(index, choices[index]);
  else type->ListClosed();
  FocusCellArea();
}

void CUGWindow::CloseDropList() {
  if (auto* popup = static_cast<UGDropPopup*>(dropPopup_)) {
    dropType_ = nullptr;
    popup->Done(-1);
    popup->Dismiss();
  }
}

void CUGWindow::Capture(int section, bool on) {
  wxWindow* w = PartWindow(section);
  if (!w) return;
  if (on && !w->HasCapture()) w->CaptureMouse();
  else if (!on && w->HasCapture()) w->ReleaseMouse();
}

bool CUGWindow::CellAreaHasFocus() const { return FindFocus() == parts_[0]; }

void CUGWindow::SetCursor(int section, UGCursor cursor) {
  if (wxWindow* w = PartWindow(section))
    w->SetCursor(wxCursor(cursor == UGCursor::SizeWE ? wxCURSOR_SIZEWE
                          : cursor == UGCursor::SizeNS ? wxCURSOR_SIZENS
                                                       : wxCURSOR_ARROW));
}

void CUGWindow::ShowTracker(const UGRect& rect) { parts_[0]->SetTracker(rect); }

UGPoint CUGWindow::ToScreen(int section, UGPoint p) {
  wxWindow* w = PartWindow(section);
  const wxPoint s = w ? w->ClientToScreen(wxPoint(p.x, p.y)) : ClientToScreen(wxPoint(p.x, p.y));
  return UGPoint{s.x, s.y};
}

void CUGWindow::StartAutoScroll(int section, int ms) {
  timerSection_ = section;
  if (!timer_.IsRunning()) timer_.Start(ms);
}

void CUGWindow::StopAutoScroll() { timer_.Stop(); }

void CUGWindow::OnTimer(wxTimerEvent&) {
  if (!wxGetMouseState().LeftIsDown()) {
    timer_.Stop();
    return;
  }
  if (timerSection_ == UG_TOPHEADING) topInput_.AutoScrollTick();
  else cellInput_.AutoScrollTick();
}

void CUGWindow::RefreshPart(int section) {
  if (wxWindow* w = PartWindow(section)) w->Refresh(false);
}

// ---- editors ----

CUGEditBase::CUGEditBase(CUGWindow* owner, wxWindowID id, long style)
    : wxTextCtrl(owner, id, wxEmptyString, wxDefaultPosition, wxDefaultSize, style | wxWANTS_CHARS | wxBORDER_SIMPLE),
      owner_(owner) {
  wxTextCtrl::Hide();
  Bind(wxEVT_CHAR_HOOK, &CUGEditBase::OnCharHook, this);
  Bind(wxEVT_KEY_DOWN, &CUGEditBase::OnKeyDown, this);
  Bind(wxEVT_CHAR, &CUGEditBase::OnChar, this);
  Bind(wxEVT_KILL_FOCUS, &CUGEditBase::OnKillFocus, this);
  Bind(wxEVT_TEXT, &CUGEditBase::OnText, this);
}

void CUGEditBase::SetText(const std::string& text) {
  internal_ = true;
  ChangeValue(wxString::FromUTF8(text));
  internal_ = false;
}

std::string CUGEditBase::GetText() const { return GetValue().utf8_string(); }

void CUGEditBase::SetFont(int fontIndex) {
  if (const FontDesc* f = owner_->Grid().GetFont(fontIndex)) wxTextCtrl::SetFont(FontToWx(*f));
}

void CUGEditBase::Show(int section, const UGRect& rect) {
  const CUGGridInfo& s = owner_->Grid().Sheet();
  const UGRect& part = section == UG_TOPHEADING ? s.rects[1] : section == UG_SIDEHEADING ? s.rects[2] : s.rects[0];
  section_ = section;
  placed_ = UGRect{rect.left + part.left, rect.top + part.top, rect.right + part.left + 1, rect.bottom + part.top + 1};
  SetSize(ToWx(placed_));
  cancelled_ = moveOn_ = false;
  lastKey_ = 0;
  shown_ = true;
  EditOpened();
  wxTextCtrl::Show();
  Raise();
  Prepared();
  SetFocus();
  SelectAll();
}

void CUGEditBase::Hide() {
  shown_ = false;
  EditClosed();
  const bool focused = wxWindow::FindFocus() == this;
  wxTextCtrl::Hide();
  if (focused && !ending_) owner_->FocusCellArea();
}

bool CUGEditBase::HasFocus() const { return wxWindow::FindFocus() == this; }

void CUGEditBase::SendChar(int key) {
  // The key that started editing replaces the selected text.
  unsigned k = static_cast<unsigned>(key);
  if (k < 32) return;
  if (!Offer(&k)) return;
  Insert(k);
}

bool CUGEditBase::Offer(unsigned* key) {
  CUGCtrl& g = owner_->Grid();
  const int col = g.GetCurrentCol();
  const long row = g.GetCurrentRow();
  if (!g.Sheet().defDataSource->OnEditKeyCheck(col, row, this, key)) return false;
  return g.OnEditKeyCheck(col, row, this, key) != 0;
}

void CUGEditBase::Insert(unsigned ch) { WriteText(wxString(wxUniChar(ch))); }

void CUGEditBase::MoveTo(int col, long row) {
  newCol_ = col;
  newRow_ = row;
  moveOn_ = true;
  Finish(true);
}

void CUGEditBase::OnKeyDown(wxKeyEvent& e) {
  CUGCtrl& g = owner_->Grid();
  const unsigned key = VirtualKey(e);
  lastKey_ = key;
  // The edit's cell: the current cell while an edit is open.
  const int col = g.GetCurrentCol();
  const long row = g.GetCurrentRow();
  long from = 0, to = 0;
  GetSelection(&from, &to);
  switch (key) {
    case UG_VK_TAB: MoveTo(e.ShiftDown() ? col - 1 : col + 1, row); return;
    case UG_VK_RETURN: {
      CUGCell cell;
      g.GetCell(col, row, &cell);
      if (e.ControlDown() && (cell.GetCellTypeParam() & 0x2)) {
        WriteText("\n");
        return;
      }
      MoveTo(col, row + 1);
      return;
    }
    case UG_VK_DOWN: MoveTo(col, row + 1); return;
    case UG_VK_UP: MoveTo(col, row - 1); return;
    case UG_VK_ESCAPE: Cancel(); return;
    case UG_VK_LEFT:
      if (from == 0 && to == 0) {
        MoveTo(col - 1, row);
        return;
      }
      break;
    case UG_VK_RIGHT: {
      const long n = GetLastPosition();
      if ((from == to && to == n) || (from == 0 && to == n)) {
        MoveTo(col + 1, row);
        return;
      }
      break;
    }
    case UG_VK_DELETE: {
      unsigned k = 127;
      if (!Offer(&k)) return;
      break;
    }
    default: break;
  }
  e.Skip();
}

void CUGEditBase::Cancel() {
  cancelled_ = true;
  moveOn_ = false;
  Finish(true);
}

void CUGEditBase::OnCharHook(wxKeyEvent& e) {
  // Escape ends this edit only; a dialog would otherwise take it as its own Cancel.
  if (e.GetKeyCode() == WXK_ESCAPE && shown_) {
    lastKey_ = UG_VK_ESCAPE;
    Cancel();
    return;
  }
  e.Skip();
}

void CUGEditBase::OnChar(wxKeyEvent& e) {
  const int code = e.GetUnicodeKey() != WXK_NONE ? static_cast<int>(e.GetUnicodeKey()) : e.GetKeyCode();
  lastKey_ = static_cast<unsigned>(code);
  if (code == WXK_TAB || code == WXK_RETURN || code == WXK_ESCAPE) return;
  if (code < 32 || code == WXK_DELETE) {
    e.Skip();
    return;
  }
  unsigned k = static_cast<unsigned>(code);
  if (!Offer(&k)) return;
  Insert(k);
}

void CUGEditBase::OnKillFocus(wxFocusEvent& e) {
  e.Skip();
  if (!shown_ || ending_) return;
  wxWindow* to = e.GetWindow();
  CUGCtrl& g = owner_->Grid();
  if (g.GetCancelMode() && (!to || (to != owner_ && to->GetParent() != owner_))) cancelled_ = true;
  if (to && to != owner_ && to->GetParent() != owner_) g.OnFocusLostTo(UG_GRID, to);
  if (LeaveToButtonClick(to)) return;
  // The focus settles before the edit ends, so a refusal can take it back.
  CallAfter([this] {
    // A button's click may have ended the edit already, or had it refused (the focus is back).
    if (shown_ && !ending_ && wxWindow::FindFocus() != this) Finish(false);
  });
}

void CUGEditBase::OnText(wxCommandEvent& e) {
  e.Skip();
  if (internal_ || !shown_) return;
  TextChanged();
}

bool CUGEditBase::Finish(bool refocus) {
  if (ending_ || !shown_) return true;
  ending_ = true;
  CUGCtrl& g = owner_->Grid();
  const int col = g.GetCurrentCol();
  const long row = g.GetCurrentRow();
  const bool ok = g.EndCellEdit(GetText(), cancelled_, moveOn_, newCol_, newRow_) != 0;
  ending_ = false;
  if (!ok) {
    // Refused: the user goes on with the same text in the same cell.
    g.GotoCell(col, row);
    cancelled_ = moveOn_ = false;
    SetFocus();
    return false;
  }
  // A key that ended the edit leaves the focus with the cells; a click elsewhere keeps it there.
  if (!shown_ && (refocus || wxWindow::FindFocus() == this)) owner_->FocusCellArea();
  return true;
}

CUGEdit::CUGEdit(CUGWindow* owner) : CUGEditBase(owner, kEditId, wxTE_MULTILINE | wxTE_NO_VSCROLL) {}

void CUGEdit::Prepared() {
  CUGCtrl& g = owner_->Grid();
  CUGCell cell;
  g.GetCell(g.GetCurrentCol(), g.GetCurrentRow(), &cell);
  autoSizeActive_ = autoSize_ && g.GetCellType(cell.GetCellType())->CanOverflow(&cell);
  FitToText();
}

void CUGEdit::FitToText() {
  CUGCtrl& g = owner_->Grid();
  if (!autoSizeActive_ || !g.Sheet().enableCellOverflow) return;
  const CUGGridInfo& s = g.Sheet();
  const UGRect& holder = section_ == UG_TOPHEADING ? s.rects[1] : section_ == UG_SIDEHEADING ? s.rects[2] : s.rects[0];
  wxClientDC dc(this);
  dc.SetFont(wxTextCtrl::GetFont());
  const wxSize need = dc.GetMultiLineTextExtent(GetValue() + " X X");
  const wxRect cur = GetRect();
  int right = cur.GetRight() + 1, bottom = cur.GetBottom() + 1;
  // Grow right in whole cells, then down in whole rows, never past the holder.
  if (cur.x + need.x + 4 > right) {
    int col;
    long row;
    UGRect cell;
    const int probe = std::min(cur.x + need.x + 4, holder.right - 1) - holder.left;
    if (g.GetCellFromPoint(probe, cur.y - holder.top + 1, &col, &row, &cell) == 0) right = cell.right + holder.left;
    else right = holder.right - 1;
  }
  right = std::min(std::max(right, placed_.right), holder.right - 1);
  if (need.y + 4 > bottom - cur.y) bottom = std::min(cur.y + need.y + 4, holder.bottom - 1);
  bottom = std::max(bottom, placed_.bottom);
  if (right != cur.GetRight() + 1 || bottom != cur.GetBottom() + 1) SetSize(cur.x, cur.y, right - cur.x, bottom - cur.y);
}

CUGMaskedEdit::CUGMaskedEdit(CUGWindow* owner) : CUGEditBase(owner, kMaskedId, 0) {}

namespace {
CUGMaskEdit MaskOfCurrent(CUGCtrl& g) {
  CUGCell cell;
  g.GetCell(g.GetCurrentCol(), g.GetCurrentRow(), &cell);
  CUGMaskEdit m;
  const char* mask = cell.GetMask();
  m.SetMask(mask ? mask : "");
  return m;
}
}  // namespace

void CUGMaskedEdit::Prepared() {
  CUGMaskEdit m = MaskOfCurrent(owner_->Grid());
  if (!m.Active()) return;
  SetText(m.ApplyMask(GetText()));
  SetMaxLength(static_cast<unsigned long>(m.Limit()));
}

void CUGMaskedEdit::Insert(unsigned ch) {
  CUGMaskEdit m = MaskOfCurrent(owner_->Grid());
  if (!m.Active() || ch > 127) {
    CUGEditBase::Insert(ch);
    return;
  }
  m.SetText(GetText());
  long from = 0, to = 0;
  GetSelection(&from, &to);
  m.SetSel(static_cast<int>(from), static_cast<int>(to));
  m.Char(static_cast<char>(ch));
  SetText(m.Text());
  SetInsertionPoint(m.SelStart());
}

void CUGMaskedEdit::TextChanged() {
  // Pasted text, or text an input method wrote without key events, takes the mask too.
  CUGMaskEdit m = MaskOfCurrent(owner_->Grid());
  if (!m.Active()) return;
  const std::string shaped = m.ApplyMask(GetText());
  if (shaped != GetText()) {
    const long pos = GetInsertionPoint();
    SetText(shaped);
    SetInsertionPoint(std::min<long>(pos, static_cast<long>(shaped.size())));
  }
}

CUTNumericEditWnd::CUTNumericEditWnd(CUGWindow* owner, wxWindowID id, std::unique_ptr<CUTNumericEdit> state)
    : CUGEditBase(owner, id, 0), state_(state ? std::move(state) : std::make_unique<CUTNumericEdit>()) {
  Bind(wxEVT_KEY_DOWN, &CUTNumericEditWnd::OnKey, this);
}

void CUTNumericEditWnd::SetText(const std::string& text) {
  state_->SetWindowText(text);
  Mirror();
}

void CUTNumericEditWnd::Mirror() {
  internal_ = true;
  ChangeValue(wxString::FromUTF8(state_->GetFullText()));
  SetSelection(state_->SelStart(), state_->SelEnd());
  internal_ = false;
}

void CUTNumericEditWnd::OnKey(wxKeyEvent& e) {
  long from = 0, to = 0;
  GetSelection(&from, &to);
  state_->SetSel(static_cast<int>(from), static_cast<int>(to));
  const bool shift = e.ShiftDown();
  switch (e.GetKeyCode()) {
    case WXK_BACK: state_->Backspace(); Mirror(); return;
    case WXK_DELETE: {
      unsigned k = 127;
      if (Offer(&k)) state_->Key(UTEditKey::Delete, shift);
      Mirror();
      return;
    }
    case WXK_HOME: state_->Key(UTEditKey::Home, shift); Mirror(); return;
    case WXK_END: state_->Key(UTEditKey::End, shift); Mirror(); return;
    default: break;
  }
  if (e.ControlDown() && (e.GetKeyCode() == 'V' || e.GetKeyCode() == 'X')) {
    if (e.GetKeyCode() == 'X') {
      state_->Cut();
      Mirror();
      return;
    }
    std::string clip;
    if (owner_->Grid().GetClipboardText(&clip) == 0) state_->Paste(clip);
    Mirror();
    return;
  }
  e.Skip();
}

void CUTNumericEditWnd::Insert(unsigned ch) {
  long from = 0, to = 0;
  GetSelection(&from, &to);
  state_->SetSel(static_cast<int>(from), static_cast<int>(to));
  if (ch < 128) state_->Char(static_cast<char>(ch));
  Mirror();
}

void CUTNumericEditWnd::TextChanged() {
  // Text written without key events (an input method, a middle-click paste) is taken as typed.
  state_->SetWindowText(GetValue().utf8_string());
  Mirror();
}

namespace {
class CellGridPrintout : public wxPrintout {
 public:
  explicit CellGridPrintout(CUGCtrl& grid) : wxPrintout("Grid"), grid_(grid), printer_(grid) {
    printer_.SetOption(CUGGridPrinter::kTopHeading, 1);
    printer_.SetOption(CUGGridPrinter::kSideHeading, 1);
  }
  void OnPreparePrinting() override {
    int w = 0, h = 0, wmm = 0, hmm = 0;
    GetPageSizePixels(&w, &h);
    GetPageSizeMM(&wmm, &hmm);
    pages_ = printer_.LayoutPages(UGPrintDevice{w, h, wmm, hmm, IsPreview()}, 0, 0, std::max(0, grid_.GetColCount() - 1),
                                  std::max(0L, grid_.GetRowCount() - 1));
  }
  void GetPageInfo(int* minPage, int* maxPage, int* from, int* to) override {
    *minPage = *from = 1;
    *maxPage = *to = std::max(1, pages_);
  }
  bool HasPage(int page) override { return page >= 1 && page <= pages_; }
  bool OnPrintPage(int page) override {
    wxDC* dc = GetDC();
    if (!dc || pages_ <= 0) return false;
    WxPainter painter(*dc, true);
    return printer_.DrawPage(painter, page) == 0;
  }
  int Pages() const { return pages_; }

 private:
  CUGCtrl& grid_;
  CUGGridPrinter printer_;
  int pages_ = 0;
};
}  // namespace

bool CUGWindow::Print() {
  if (grid_->IsEditing()) grid_->CancelCellEdit();
  CellGridPrintout printout(*grid_);
  wxPrinter printer;
  if (printer.Print(this, &printout, true)) return true;
  if (wxPrinter::GetLastError() == wxPRINTER_CANCELLED) return false;
  platform::Tell(std::string("The grid could not be printed: ") +
                 (printout.Pages() <= 0 ? "the page has no room for it." : "the printer reported an error."));
  return false;
}

}  // namespace widgets
