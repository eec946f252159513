#pragma once
// A window split into panes in one row or one column, with bars the user drags. The
// arithmetic is the model's; while a bar is dragged a bar-wide marker moves over the panes.
#include <wx/window.h>

#include <vector>

#include "gridmodel/table_splitter.h"

namespace widgets {

class CSimpleSplitter : public wxWindow {
 public:
  // orientation 1: panes side by side; anything else: stacked.
  CSimpleSplitter(wxWindow* parent, wxWindowID id, int paneCount, int orientation, int minPaneSize, int barWidth);

  // Remembers a child of the splitter as pane index and moves it into the pane.
  void SetPane(int index, wxWindow* window);
  wxWindow* GetPane(int index) const;
  wxRect GetPaneRect(int index) const;
  // Sizes in any unit with a positive sum.
  void SetPaneSizes(const std::vector<int>& sizes);
  void SetActivePane(int index);
  // The pane holding the keyboard focus (itself or one of its children), -1 for none.
  int GetActivePane() const;
  void RecalcLayout();
  void ResizePanes();
  const gridmodel::SplitterLayout& Layout() const { return layout_; }

 private:
  int Along(const wxPoint& p) const { return layout_.Horizontal() ? p.x : p.y; }
  void OnPaint(wxPaintEvent&);
  void OnSize(wxSizeEvent&);
  void OnLeftDown(wxMouseEvent&);
  void OnMotion(wxMouseEvent&);
  void OnLeftUp(wxMouseEvent&);
  void OnCaptureLost(wxMouseCaptureLostEvent&);
  void PlaceTracker(int pos);

  gridmodel::SplitterLayout layout_;
  int barWidth_;
  std::vector<wxWindow*> panes_;
  wxWindow* tracker_ = nullptr;
  bool dragging_ = false;
};

}  // namespace widgets
