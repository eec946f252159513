#pragma once
// The pane splitter's arithmetic: pane shares in 1/32768, their layout with a minimum
// pane size, and dragging a bar. The window only moves panes and draws the bars.
#include <vector>

namespace gridmodel {

class SplitterLayout {
 public:
  static constexpr int kWhole = 32768;

  // horizontal: panes side by side (vertical bars); else stacked.
  SplitterLayout(int paneCount, bool horizontal, int minPaneSize, int barWidth);

  int PaneCount() const { return static_cast<int>(fractions_.size()); }
  bool Horizontal() const { return horizontal_; }
  // Client length along the orientation; recomputes the positions.
  void SetLength(int length);
  int Available() const;
  // Sizes in any unit with a positive sum; false (nothing changed) otherwise.
  bool SetPaneSizes(const std::vector<int>& sizes);
  void RecalcLayout();
  const std::vector<int>& Fractions() const { return fractions_; }
  const std::vector<int>& Positions() const { return positions_; }
  // Pane i spans [start, end) along the orientation.
  int PaneStart(int i) const { return positions_[static_cast<std::size_t>(i)]; }
  int PaneEnd(int i) const { return positions_[static_cast<std::size_t>(i) + 1] - bar_; }
  int PixelSize(int fraction) const;

  // Dragging: the bar under m (its index, from 1), the clamped position while moving, and
  // the new shares on release.
  int BeginDrag(int m);
  int DragTo(int m) const;
  void EndDrag(int m);
  int DraggedBar() const { return dragBar_; }
  int DragOffset() const { return dragOffset_; }

 private:
  bool horizontal_;
  int minimum_, bar_;
  int length_ = 0;
  std::vector<int> fractions_, positions_;
  int dragBar_ = 0, dragOffset_ = 0;
};

}  // namespace gridmodel
