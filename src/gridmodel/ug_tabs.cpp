#include "gridmodel/ug_tabs.h"

#include <algorithm>

#include "gridmodel/painter.h"
#include "gridmodel/ug_celltypes.h"
#include "gridmodel/ug_parts.h"

namespace gridmodel {

CUGTab::CUGTab(CUGCtrl& grid) : g_(grid) {
  font_.face = "Arial";
  font_.size = 10;
  font_.weight = 500;
}

int CUGTab::MeasureLabel(const std::string& label) const {
  CUGView* view = g_.GetView();
  return (view ? view->MeasureFontTextWidth(label, font_) : 0) + 10;
}

CUGTab::Tab CUGTab::MakeTab(const std::string& label, long id) const {
  Tab t;
  t.label = label;
  t.id = id;
  t.width = MeasureLabel(label);
  t.text = Colour::System(SysColour::WindowText);
  t.back = Colour::System(SysColour::ButtonFace);
  t.currentText = Colour::Rgb(0, 0, 0);
  t.currentBack = Colour::Rgb(255, 255, 255);
  return t;
}

void CUGTab::Invalidate() const {
  if (CUGView* view = g_.GetView()) view->RefreshTabs();
}

int CUGTab::AddTab(const std::string& label, long id) {
  if (GetTabCount() >= kMaxTabs) return 1;
  tabs_.push_back(MakeTab(label, id));
  AdjustScrollRange();
  return 0;
}

int CUGTab::InsertTab(int index, const std::string& label, long id) {
  if (index < 0 || index > GetTabCount()) return 1;
  if (index == GetTabCount()) return AddTab(label, id);
  if (GetTabCount() >= kMaxTabs) return 1;
  tabs_.insert(tabs_.begin() + index, MakeTab(label, id));
  if (current_ >= index) ++current_;
  AdjustScrollRange();
  Invalidate();
  return 0;
}

int CUGTab::DeleteTab(long id) {
  const int index = GetTabIndex(id);
  if (index < 0) return 1;
  tabs_.erase(tabs_.begin() + index);
  if (index == current_) {
    current_ = 0;
    offset_ = 0;
  } else if (index < current_) {
    --current_;
  }
  AdjustScrollRange();
  Invalidate();
  return 0;
}

void CUGTab::ScrollIntoView(int index) {
  int before = 0;
  for (int i = 0; i < index; ++i) before += tabs_[i].width;
  const int m = std::max(before - 5, 0);
  const int width = tabs_[index].width;
  const int area = g_.Sheet().tabWidth;
  if (m < offset_) offset_ = m;
  else if (area + offset_ - (2 * width + 10) < m) offset_ = m + 2 * width + 10 - area;
  if (maxOffset_ < m) offset_ = maxOffset_;
}

int CUGTab::SetCurrentTab(long id) {
  const int index = GetTabIndex(id);
  if (index < 0) return 1;
  current_ = index;
  ScrollIntoView(index);
  Invalidate();
  return 0;
}

long CUGTab::GetTabId(int index) const { return index >= 0 && index < GetTabCount() ? tabs_[index].id : -1; }

int CUGTab::GetTabIndex(long id) const {
  for (int i = 0; i < GetTabCount(); ++i)
    if (tabs_[i].id == id) return i;
  return -1;
}

int CUGTab::SetTabLabel(long id, const std::string& label) {
  const int index = GetTabIndex(id);
  if (index < 0) return 1;
  tabs_[index].label = label;
  tabs_[index].width = MeasureLabel(label);
  AdjustScrollRange();
  Invalidate();
  return 0;
}

int CUGTab::GetTabLabel(long id, std::string* label) const {
  const int index = GetTabIndex(id);
  if (index < 0) return 1;
  if (label) *label = tabs_[index].label;
  return 0;
}

std::string CUGTab::GetTabLabelAt(int index) const {
  return index >= 0 && index < GetTabCount() ? tabs_[index].label : std::string();
}

int CUGTab::SetColour(long id, Colour Tab::*which, Colour c) {
  const int index = GetTabIndex(id);
  if (index < 0) return 1;
  tabs_[index].*which = c;
  return 0;
}

int CUGTab::SetTabBackColor(long id, Colour c) { return SetColour(id, &Tab::back, c); }
int CUGTab::SetTabTextColor(long id, Colour c) { return SetColour(id, &Tab::text, c); }
int CUGTab::SetTabCurrentBackColor(long id, Colour c) { return SetColour(id, &Tab::currentBack, c); }
int CUGTab::SetTabCurrentTextColor(long id, Colour c) { return SetColour(id, &Tab::currentText, c); }

void CUGTab::SetTabFont(const FontDesc& font) {
  font_ = font;
  for (Tab& t : tabs_) t.width = MeasureLabel(t.label);
  AdjustScrollRange();
  Invalidate();
}

void CUGTab::SetClientSize(int width, int height) {
  clientWidth_ = std::max(0, width);
  clientHeight_ = std::max(0, height);
  AdjustScrollRange();
}

int CUGTab::AdjustScrollRange() {
  if (tabs_.empty()) return 1;
  int sum = 0;
  for (const Tab& t : tabs_) sum += t.width;
  const int s = sum + buttonWidth_ - clientWidth_;
  maxOffset_ = s <= 0 ? 0 : s + 20;
  return 0;
}

void CUGTab::OnTabSizing(int x) {
  g_.Sheet().tabWidth = std::max(x, 40);
  g_.ArrangeTabsOnly();
}

void CUGTab::ScrollLine(bool right) {
  if (!right && offset_ > 0) {
    offset_ = std::max(0, offset_ - kScrollStep);
    Invalidate();
  } else if (right && offset_ < maxOffset_ - kScrollStep) {
    offset_ += kScrollStep;
    Invalidate();
  }
}

int CUGTab::TabAt(int x) const {
  int left = buttonWidth_ - offset_;
  for (int i = 0; i < GetTabCount(); ++i) {
    const int right = left + tabs_[i].width;
    if (left <= x && x <= right + 2) return i;
    left = right;
  }
  return -1;
}

void CUGTab::LButtonDown(int x, int y, UGPartHost& host) {
  if (overEdge_) {
    host.Capture(UG_TAB, true);
    sizing_ = true;
    return;
  }
  // The scroll buttons sit at the strip's left end, below its top line.
  if (x >= 0 && x < buttonWidth_ && y >= 1) {
    ScrollLine(x >= buttonWidth_ / 2);
    return;
  }
  const int index = TabAt(x);
  if (index < 0) return;
  int left = buttonWidth_ - offset_;
  for (int i = 0; i < index; ++i) left += tabs_[i].width;
  const int right = left + tabs_[index].width;
  current_ = index;
  if (left - 5 < buttonWidth_) offset_ = std::max(0, offset_ - (buttonWidth_ - (left - 5)));
  if (right + 19 > clientWidth_) offset_ = std::min(maxOffset_, offset_ + (right + 19 - clientWidth_));
  Invalidate();
  g_.OnSheetTabClicked(static_cast<int>(tabs_[index].id));
}

void CUGTab::MouseMove(int x, int y, UGPartHost& host) {
  if (sizing_) {
    OnTabSizing(x);
    return;
  }
  const bool over = x > clientWidth_ - kSizingEdge;
  if (over != overEdge_) host.SetCursor(UG_TAB, over ? UGCursor::SizeWE : UGCursor::Arrow);
  overEdge_ = over;
}

void CUGTab::LButtonUp(UGPartHost& host) {
  host.Capture(UG_TAB, false);
  sizing_ = false;
}

void CUGTab::RButtonDown(int x, int y, UGPartHost& host) {
  if (!g_.Sheet().enablePopupMenu) return;
  UGPoint screen = host.ToScreen(UG_TAB, UGPoint{x, y});
  g_.StartPopupMenu(TabAt(x), 0, &screen, UG_TAB);
}

namespace {
// A tab: slanted sides from its top corners down and in, filled and outlined.
void DrawTabShape(Painter& p, int left, int top, int right, int bottom, Colour fill) {
  const int h = std::max(1, bottom - top);
  for (int y = top; y < bottom; ++y) {
    const int in = 7 * (y - top) / h;
    p.FillRect(Rect{left + in, y, right + 9 - in, y + 1}, fill);
  }
  const Colour pen = Colour::Rgb(0, 0, 0);
  for (int y = top; y <= bottom; ++y) {
    const int in = 7 * (y - top) / h;
    p.FillRect(Rect{left + in, y, left + in + 1, y + 1}, pen);
    p.FillRect(Rect{right + 9 - in, y, right + 10 - in, y + 1}, pen);
  }
  p.Line(left + 7, bottom, right + 2, bottom, pen);
  p.Line(left, top, right + 9, top, pen);
}

// A scroll button with a small arrow pointing left or right.
void DrawScrollButton(Painter& p, const UGRect& r, bool right) {
  p.FillRect(Rect{r.left, r.top, r.right, r.bottom}, Colour::System(SysColour::ButtonFace));
  DrawFrame3D(&p, r, true, 1);
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  const Colour ink = Colour::System(SysColour::ButtonText);
  for (int i = 0; i < 4; ++i) {
    const int x = right ? cx - 2 + i : cx + 1 - i;
    p.FillRect(Rect{x, cy - 3 + i, x + 1, cy + 4 - i}, ink);
  }
}
}  // namespace

void CUGTab::Paint(Painter& p, int width, int height) const {
  p.FillRect(Rect{0, 0, width, height}, Colour::System(SysColour::ButtonFace));
  p.SetFont(font_);
  const int top = 0, bottom = height - 1;
  int left = buttonWidth_ - offset_;
  int currentLeft = left;
  for (int i = 0; i < GetTabCount(); ++i) {
    const Tab& t = tabs_[i];
    const int right = left + t.width;
    if (i == current_) {
      currentLeft = left;
    } else {
      DrawTabShape(p, left, top, right, bottom, t.back);
      p.TextAt(left + 10, top + 1, t.label, t.text);
    }
    left = right;
  }
  if (current_ >= 0 && current_ < GetTabCount()) {
    // The current tab on top, open along its top so that it joins the sheet above.
    const Tab& t = tabs_[current_];
    const int right = currentLeft + t.width;
    DrawTabShape(p, currentLeft, top, right, bottom, t.currentBack);
    p.Line(currentLeft + 1, top, right + 9, top, t.currentBack);
    p.TextAt(currentLeft + 10, top + 1, t.label, t.currentText);
  }
  // The grip at the right end.
  const Colour grip[] = {Colour::Rgb(0, 0, 0),
                         Colour::System(SysColour::ButtonShadow),
                         Colour::System(SysColour::ButtonFace),
                         Colour::System(SysColour::ButtonFace),
                         Colour::Rgb(255, 255, 255),
                         Colour::System(SysColour::ButtonFace)};
  for (int i = 0; i < 6; ++i) p.FillRect(Rect{width - 1 - i, 0, width - i, height}, grip[i]);
  // The scroll buttons over whatever scrolled under them, then the line along their top.
  const int half = buttonWidth_ / 2;
  DrawScrollButton(p, UGRect{0, 1, half, height}, false);
  DrawScrollButton(p, UGRect{half, 1, buttonWidth_, height}, true);
  p.Line(0, 0, buttonWidth_ + 1, 0, Colour::Rgb(0, 0, 0));
}

UGRect PlaceHint(int x, int y, int minWidth, int textWidth, int textHeight, int flags, int clientWidth,
                 int clientHeight) {
  const int w = std::max(textWidth + 4, minWidth), h = textHeight;
  UGRect r;
  if (flags & UG_HINT_ALIGNCENTER) r.left = x - w / 2;
  else if (flags & UG_HINT_ALIGNRIGHT) r.left = x - w;
  else r.left = x;
  r.right = r.left + w;
  if (flags & UG_HINT_ALIGNVCENTER) r.top = y - h / 2;
  else if (flags & UG_HINT_ALIGNBOTTOM) r.top = y - h;
  else r.top = y;
  r.bottom = r.top + h;
  auto shift = [](UGRect& q, int dx, int dy) {
    q.left += dx;
    q.right += dx;
    q.top += dy;
    q.bottom += dy;
  };
  if (r.left < 0) shift(r, -r.left, 0);
  if (r.top < 0) shift(r, 0, -r.top);
  if (r.right > clientWidth) shift(r, clientWidth - r.right, 0);
  if (r.bottom > clientHeight) shift(r, 0, clientHeight - r.bottom);
  return r;
}

}  // namespace gridmodel
