#include "widgets/simple_splitter.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

namespace widgets {

CSimpleSplitter::CSimpleSplitter(wxWindow* parent, wxWindowID id, int paneCount, int orientation, int minPaneSize,
                                 int barWidth)
    : wxWindow(parent, id, wxPoint(0, 0), parent ? parent->GetClientSize() : wxDefaultSize, wxBORDER_NONE),
      layout_(paneCount, orientation == 1, minPaneSize, barWidth),
      barWidth_(barWidth),
      panes_(static_cast<std::size_t>(layout_.PaneCount()), nullptr) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  wxWindow::SetCursor(wxCursor(layout_.Horizontal() ? wxCURSOR_SIZEWE : wxCURSOR_SIZENS));
  Bind(wxEVT_PAINT, &CSimpleSplitter::OnPaint, this);
  Bind(wxEVT_SIZE, &CSimpleSplitter::OnSize, this);
  Bind(wxEVT_LEFT_DOWN, &CSimpleSplitter::OnLeftDown, this);
  Bind(wxEVT_MOTION, &CSimpleSplitter::OnMotion, this);
  Bind(wxEVT_LEFT_UP, &CSimpleSplitter::OnLeftUp, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CSimpleSplitter::OnCaptureLost, this);
  RecalcLayout();
}

void CSimpleSplitter::SetPane(int index, wxWindow* window) {
  if (index < 0 || index >= layout_.PaneCount()) return;
  panes_[static_cast<std::size_t>(index)] = window;
  if (window) window->SetSize(GetPaneRect(index));
}

wxWindow* CSimpleSplitter::GetPane(int index) const {
  return index >= 0 && index < layout_.PaneCount() ? panes_[static_cast<std::size_t>(index)] : nullptr;
}

wxRect CSimpleSplitter::GetPaneRect(int index) const {
  wxSize client = GetClientSize();
  if (index < 0 || index >= layout_.PaneCount()) return wxRect();
  int start = layout_.PaneStart(index), length = std::max(0, layout_.PaneEnd(index) - start);
  return layout_.Horizontal() ? wxRect(start, 0, length, client.y) : wxRect(0, start, client.x, length);
}

void CSimpleSplitter::SetPaneSizes(const std::vector<int>& sizes) {
  if (layout_.SetPaneSizes(sizes)) ResizePanes();
}

void CSimpleSplitter::SetActivePane(int index) {
  if (wxWindow* pane = GetPane(index)) pane->SetFocus();
}

int CSimpleSplitter::GetActivePane() const {
  for (wxWindow* w = wxWindow::FindFocus(); w; w = w->GetParent())
    for (int i = 0; i < layout_.PaneCount(); ++i)
      if (panes_[static_cast<std::size_t>(i)] == w) return i;
  return -1;
}

void CSimpleSplitter::RecalcLayout() {
  wxSize client = GetClientSize();
  layout_.SetLength(layout_.Horizontal() ? client.x : client.y);
}

void CSimpleSplitter::ResizePanes() {
  for (int i = 0; i < layout_.PaneCount(); ++i)
    if (wxWindow* pane = panes_[static_cast<std::size_t>(i)]) pane->SetSize(GetPaneRect(i));
  Refresh();
}

void CSimpleSplitter::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
  dc.Clear();
}

void CSimpleSplitter::OnSize(wxSizeEvent& event) {
  RecalcLayout();
  ResizePanes();
  event.Skip();
}

void CSimpleSplitter::PlaceTracker(int pos) {
  wxSize client = GetClientSize();
  wxRect band = layout_.Horizontal() ? wxRect(pos - barWidth_, 0, barWidth_, client.y)
                                     : wxRect(0, pos - barWidth_, client.x, barWidth_);
  if (!tracker_) {
    tracker_ = new wxWindow(this, wxID_ANY, band.GetPosition(), band.GetSize(), wxBORDER_NONE);
    tracker_->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW));
  }
  tracker_->SetSize(band);
  tracker_->Show();
  tracker_->Raise();
}

void CSimpleSplitter::OnLeftDown(wxMouseEvent& event) {
  if (layout_.PaneCount() < 2) return;
  CaptureMouse();
  dragging_ = true;
  PlaceTracker(layout_.BeginDrag(Along(event.GetPosition())));
}

void CSimpleSplitter::OnMotion(wxMouseEvent& event) {
  if (dragging_ && HasCapture()) PlaceTracker(layout_.DragTo(Along(event.GetPosition())));
}

void CSimpleSplitter::OnLeftUp(wxMouseEvent& event) {
  if (!dragging_) return;
  dragging_ = false;
  if (HasCapture()) ReleaseMouse();
  if (tracker_) tracker_->Hide();
  layout_.EndDrag(Along(event.GetPosition()));
  ResizePanes();
}

void CSimpleSplitter::OnCaptureLost(wxMouseCaptureLostEvent&) {
  dragging_ = false;
  if (tracker_) tracker_->Hide();
}

}  // namespace widgets
