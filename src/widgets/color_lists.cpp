#include "widgets/color_lists.h"

#include <wx/dc.h>
#include <wx/settings.h>

#include <algorithm>

namespace widgets {
namespace {

const wxColour kRed(255, 0, 0);
const wxColour kGrey(150, 150, 150);

void Frame(wxDC& dc, const wxRect& rect, const wxColour& colour) {
  dc.SetPen(wxPen(colour));
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.DrawRectangle(rect);
}

void Fill(wxDC& dc, const wxRect& rect, const wxColour& colour) {
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(colour));
  dc.DrawRectangle(rect);
}

// Two pixels of red around a selected item, one of grey around the others.
void ListFrame(wxDC& dc, const wxRect& rect, bool selected) {
  if (selected) {
    Frame(dc, rect, kRed);
    Frame(dc, wxRect(rect).Deflate(1), kRed);
  } else {
    Frame(dc, rect, kGrey);
  }
}

void DrawStrips(wxDC& dc, const wxRect& rect, const CColorRamp& ramp) {
  const int n = ramp.GetCount();
  for (int i = 0; i < n; ++i) Fill(dc, RampStripRect(rect, n, i), ToWxColour(ramp.GetColor(i)));
}

}  // namespace

wxColour ToWxColour(COLORREF color) { return wxColour(RedOf(color), GreenOf(color), BlueOf(color)); }

wxRect RampStripRect(const wxRect& item, int n, int i) {
  const long long w = item.width;
  const int left = item.x + static_cast<int>(i * w / n);
  return wxRect(left, item.y + 1, static_cast<int>(w / n) + 1, item.height - 1);
}

void DrawColorItem(wxDC& dc, const wxRect& rect, COLORREF color, bool selected) {
  Fill(dc, rect, ToWxColour(color));
  ListFrame(dc, rect, selected);
}

void DrawRampListItem(wxDC& dc, const wxRect& rect, const CColorRamp* ramp, bool selected) {
  if (!ramp) return;  // the background is already there
  DrawStrips(dc, rect, *ramp);
  ListFrame(dc, rect, selected);
}

void DrawRampComboItem(wxDC& dc, const wxRect& rect, const CColorRamp* ramp, bool selected) {
  const wxColour oldText = dc.GetTextForeground();
  dc.SetTextForeground(wxSystemSettings::GetColour(selected ? wxSYS_COLOUR_HIGHLIGHTTEXT
                                                            : wxSYS_COLOUR_WINDOWTEXT));
  if (ramp && ramp->GetCount() <= 0)
    dc.DrawLabel("Random", rect, wxALIGN_CENTER);
  else if (ramp)
    DrawStrips(dc, rect, *ramp);
  if (selected) {
    Frame(dc, rect, *wxBLACK);
    Frame(dc, wxRect(rect).Deflate(1), *wxWHITE);
  } else {
    Frame(dc, rect, kGrey);
  }
  dc.SetTextForeground(oldText);
}

CColorListBox::CColorListBox(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                             long style)
    : wxVListBox(parent, id, pos, size, style) {}

int CColorListBox::AddColor(COLORREF color) {
  colors_.push_back(color);
  Recount();
  return static_cast<int>(colors_.size()) - 1;
}

void CColorListBox::InsertColor(int n, COLORREF color) {
  n = std::clamp(n, 0, static_cast<int>(colors_.size()));
  colors_.insert(colors_.begin() + n, color);
  Recount();
}

void CColorListBox::SetColor(int n, COLORREF color) {
  if (n < 0 || n >= static_cast<int>(colors_.size())) return;
  colors_[static_cast<std::size_t>(n)] = color;
  RefreshRow(static_cast<size_t>(n));
}

void CColorListBox::DeleteItem(int n) {
  if (n < 0 || n >= static_cast<int>(colors_.size())) return;
  colors_.erase(colors_.begin() + n);
  Recount();
}

void CColorListBox::Clear() {
  colors_.clear();
  Recount();
}

void CColorListBox::Recount() {
  SetItemCount(colors_.size());
  Refresh();
}

void CColorListBox::OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const {
  if (n < colors_.size()) DrawColorItem(dc, rect, colors_[n], IsSelected(n));
}

CColorRampListBox::CColorRampListBox(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                     const wxSize& size, long style)
    : wxVListBox(parent, id, pos, size, style) {}

int CColorRampListBox::AddRamp(std::unique_ptr<CColorRamp> ramp) {
  ramps_.push_back(std::move(ramp));
  Recount();
  return static_cast<int>(ramps_.size()) - 1;
}

CColorRamp* CColorRampListBox::GetRamp(int n) const {
  if (n < 0 || n >= static_cast<int>(ramps_.size())) return nullptr;
  return ramps_[static_cast<std::size_t>(n)].get();
}

void CColorRampListBox::DeleteItem(int n) {
  if (n < 0 || n >= static_cast<int>(ramps_.size())) return;
  ramps_.erase(ramps_.begin() + n);
  Recount();
}

void CColorRampListBox::Clear() {
  ramps_.clear();
  Recount();
}

void CColorRampListBox::Recount() {
  SetItemCount(ramps_.size());
  Refresh();
}

void CColorRampListBox::OnDrawBackground(wxDC& dc, const wxRect& rect, size_t) const {
  Fill(dc, rect, GetBackgroundColour());
}

void CColorRampListBox::OnDrawItem(wxDC& dc, const wxRect& rect, size_t n) const {
  if (n < ramps_.size()) DrawRampListItem(dc, rect, ramps_[n].get(), IsSelected(n));
}

CColorRampCombo::CColorRampCombo(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                                 long style)
    : wxOwnerDrawnComboBox(parent, id, wxEmptyString, pos, size, 0, nullptr, style) {}

int CColorRampCombo::AddRamp(const CColorRamp* ramp) {
  return Append(wxEmptyString, const_cast<CColorRamp*>(ramp));
}

const CColorRamp* CColorRampCombo::GetRamp(int n) const {
  if (n < 0 || n >= static_cast<int>(GetCount())) return nullptr;
  return static_cast<const CColorRamp*>(GetClientData(static_cast<unsigned>(n)));
}

void CColorRampCombo::OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const {
  // The closed control shows the current selection; the toolkit passes that as the item.
  DrawRampComboItem(dc, rect, GetRamp(item), (flags & wxODCB_PAINTING_SELECTED) != 0);
}

}  // namespace widgets
