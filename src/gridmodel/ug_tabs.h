#pragma once
// The cell grid's sheet tabs without their window: the strip at the bottom left beside the
// horizontal scroll bar, its tabs, scrolling, the grip that sizes it, its painting and the
// mouse on it. Also where the scroll-thumb hint goes.
#include <string>
#include <vector>

#include "gridmodel/grid_types.h"

namespace gridmodel {

class CUGCtrl;
class Painter;
class UGPartHost;
struct UGRect;
struct UGPoint;

class CUGTab {
 public:
  static constexpr int kMaxTabs = 64;
  // The grip: the strip's rightmost pixels.
  static constexpr int kSizingEdge = 7;
  // Pixels one press of a scroll button moves the strip.
  static constexpr int kScrollStep = 5;

  explicit CUGTab(CUGCtrl& grid);

  // 0 when done, 1 when refused (full strip, unknown id, index out of range).
  int AddTab(const std::string& label, long id);
  int InsertTab(int index, const std::string& label, long id);
  int DeleteTab(long id);
  // Selects the tab and scrolls it into view; tells nobody (the control does).
  int SetCurrentTab(long id);
  int GetCurrentTab() const { return current_; }
  long GetTabId(int index) const;
  int GetTabIndex(long id) const;
  int GetTabCount() const { return static_cast<int>(tabs_.size()); }
  int SetTabLabel(long id, const std::string& label);
  int GetTabLabel(long id, std::string* label) const;
  std::string GetTabLabelAt(int index) const;
  int SetTabBackColor(long id, Colour c);
  int SetTabTextColor(long id, Colour c);
  int SetTabCurrentBackColor(long id, Colour c);
  int SetTabCurrentTextColor(long id, Colour c);
  void SetTabFont(const FontDesc& font);
  const FontDesc& Font() const { return font_; }
  int TabWidth(int index) const { return index >= 0 && index < GetTabCount() ? tabs_[index].width : 0; }

  // The strip's client size (set when the parts are laid out).
  void SetClientSize(int width, int height);
  int ClientWidth() const { return clientWidth_; }
  int AdjustScrollRange();
  int ScrollOffset() const { return offset_; }
  int MaxScrollOffset() const { return maxOffset_; }
  int ButtonWidth() const { return buttonWidth_; }
  // The strip's grip dragged to x: the tab area becomes at least 40 wide.
  void OnTabSizing(int x);

  // Mouse on the strip (its client coordinates).
  void LButtonDown(int x, int y, UGPartHost& host);
  void MouseMove(int x, int y, UGPartHost& host);
  void LButtonUp(UGPartHost& host);
  void RButtonDown(int x, int y, UGPartHost& host);
  // The scroll buttons: one step left or right.
  void ScrollLine(bool right);
  bool OverSizingEdge() const { return overEdge_; }
  bool IsSizing() const { return sizing_; }
  // The tab under a strip x; -1 when none.
  int TabAt(int x) const;

  void Paint(Painter& p, int width, int height) const;

 private:
  struct Tab {
    std::string label;
    long id = 0;
    int width = 0;
    Colour text, back, currentText, currentBack;
  };
  int MeasureLabel(const std::string& label) const;
  Tab MakeTab(const std::string& label, long id) const;
  int SetColour(long id, Colour Tab::*which, Colour c);
  void ScrollIntoView(int index);
  void Invalidate() const;

  CUGCtrl& g_;
  std::vector<Tab> tabs_;
  FontDesc font_;
  int offset_ = 0, maxOffset_ = 0;
  int current_ = 0;
  int buttonWidth_ = 32;
  int clientWidth_ = 0, clientHeight_ = 0;
  bool overEdge_ = false, sizing_ = false;
};

// Placement of the thumb hint against the point it belongs to.
enum : int {
  UG_HINT_ALIGNLEFT = 0x1, UG_HINT_ALIGNRIGHT = 0x2, UG_HINT_ALIGNCENTER = 0x4,
  UG_HINT_ALIGNTOP = 0x8, UG_HINT_ALIGNBOTTOM = 0x10, UG_HINT_ALIGNVCENTER = 0x20
};
// The hint's rectangle for a text of that size placed at (x, y) and kept inside a client
// area of clientWidth by clientHeight.
UGRect PlaceHint(int x, int y, int minWidth, int textWidth, int textHeight, int flags, int clientWidth,
                 int clientHeight);

}  // namespace gridmodel
