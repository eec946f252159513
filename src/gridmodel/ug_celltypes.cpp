#include "gridmodel/ug_celltypes.h"

#include <algorithm>
#include <cmath>

#include "gridmodel/painter.h"

namespace gridmodel {

namespace {
Rect ToRect(const UGRect& r) { return Rect{r.left, r.top, r.right, r.bottom}; }
const Colour kBlack = Colour::Rgb(0, 0, 0);
const Colour kWhite = Colour::Rgb(255, 255, 255);
const Colour kFace = Colour::System(SysColour::ButtonFace);
const Colour kShadow = Colour::System(SysColour::ButtonShadow);

bool Inside(const UGRect& r, const UGPoint& p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// The small button at a cell's right edge: frame, face and the separating line.
UGRect DrawSideButton(Painter* dc, const UGRect& cell, int width, bool sunken, bool printing, double scale) {
  UGRect b{cell.right - width, cell.top, cell.right, cell.bottom};
  if (printing) {
    const int in = std::max(1, static_cast<int>(scale));
    b = UGRect{b.left + in, b.top + in, b.right - in, b.bottom - in};
  }
  dc->FillRect(ToRect(b), kFace);
  DrawFrame3D(dc, b, !sunken, 1);
  dc->FillRect(Rect{b.left - 1, b.top, b.left, b.bottom}, kFace);
  return b;
}
}  // namespace

// ---- check box ----

CUGCheckBoxType::CUGCheckBoxType() {
  SetTextEditable(false);
  SetCanOverflow(false);
}

UGRect CUGCheckBoxType::BoxRect(const UGRect& cell, long param, short align, double scale) {
  const int h = cell.Height();
  const int s = std::max(0, std::min(static_cast<int>(h - 6 * scale), static_cast<int>(12 * scale)));
  const int v = (h - s) / 2;
  UGRect b;
  if (param & UGCT_CHECKBOXUSEALIGN) {
    if (align & 0x4) b.left = cell.left + cell.Width() / 2 - s / 2;
    else if (align & 0x2) b.left = cell.right - s - 6;
    else b.left = cell.left + 3;
    if (align & 0x8) b.top = cell.top + 3;
    else if (align & 0x10) b.top = cell.bottom - 6 - s;
    else b.top = cell.top + v;
  } else {
    b.left = cell.left + 3;
    b.top = cell.top + v;
  }
  b.right = b.left + s + ((param & UGCT_CHECKBOXROUND) ? 1 : 0);
  b.bottom = b.top + s;
  return b;
}

bool CUGCheckBoxType::Toggle(int col, long row, bool notifyFirst) {
  CUGCtrl* g = GetGrid();
  CUGCell cell;
  g->GetCell(col, row, &cell);
  const long param = cell.GetCellTypeParam();
  if (cell.IsReadOnly() || (param & UGCT_CHECKBOXDISABLED)) return false;
  const int modulo = (param & UGCT_CHECKBOX3STATE) ? 3 : 2;
  const int value = (static_cast<int>(std::trunc(cell.GetNumber())) + 1) % modulo;
  cell.SetNumber(value);
  g->SetCell(col, row, &cell);
  if (notifyFirst) {
    SendNotification(UGCT_CHECKBOXSET, col, row, value);
    g->RedrawCell(col, row);
  } else {
    g->RedrawCell(col, row);
    SendNotification(UGCT_CHECKBOXSET, col, row, value);
  }
  return true;
}

int CUGCheckBoxType::OnLeftClick(int col, long row, int isDown, UGRect* rect, UGPoint* point) {
  if (!isDown || !rect || !point) return 0;
  CUGCell cell;
  GetGrid()->GetCell(col, row, &cell);
  if (!Inside(BoxRect(*rect, cell.GetCellTypeParam(), cell.GetAlignment(), 1.0), *point)) return 0;
  return Toggle(col, row, true) ? 1 : 0;
}

int CUGCheckBoxType::OnDoubleClick(int col, long row, UGRect* rect, UGPoint* point) {
  return OnLeftClick(col, row, 1, rect, point);
}

int CUGCheckBoxType::OnChar(int col, long row, unsigned* ch) {
  if (!ch || *ch != UG_VK_SPACE) return 0;
  return Toggle(col, row, false) ? 1 : 0;
}

void CUGCheckBoxType::OnDraw(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected, int current) {
  CUGCtrl* g = GetGrid();
  const double scale = dc->IsPrinting() ? scale_ : 1.0;
  UGRect inner;
  DrawBorder(dc, rect, &inner, cell);
  const bool highlight = selected || (current && g && (g->Sheet().currentCellMode & 0x2));
  dc->FillRect(ToRect(inner), highlight ? cell->GetHighlightBackColor() : cell->GetBackColor());
  const long param = cell->GetCellTypeParam();
  const UGRect b = BoxRect(inner, param, cell->GetAlignment(), scale);
  const int s = b.bottom - b.top;
  const int value = static_cast<int>(std::trunc(cell->GetNumber()));
  const bool round = (param & UGCT_CHECKBOXROUND) != 0;
  if (s > 5) {
    if (param & (UGCT_CHECKBOX3DRECESS | UGCT_CHECKBOX3DRAISED)) {
      const bool raised = (param & UGCT_CHECKBOX3DRAISED) != 0;
      dc->FillRect(ToRect(b), kWhite);
      DrawFrame3D(dc, b, raised, 1);
      DrawFrame3D(dc, UGRect{b.left + 1, b.top + 1, b.right - 1, b.bottom - 1}, raised, 1);
    } else {
      const Colour line = highlight ? kWhite : kBlack;
      if (round) {
        // A circle drawn as spans of the inscribed disc's outline.
        const double r = (b.right - b.left) / 2.0, cx = b.left + r, cy = b.top + r;
        for (int y = b.top; y < b.bottom; ++y) {
          const double dy = y + 0.5 - cy;
          const double dx = std::sqrt(std::max(0.0, r * r - dy * dy));
          dc->FillRect(Rect{static_cast<int>(cx - dx), y, static_cast<int>(cx - dx) + 1, y + 1}, line);
          dc->FillRect(Rect{static_cast<int>(cx + dx) - 1, y, static_cast<int>(cx + dx), y + 1}, line);
        }
      } else {
        dc->FrameRect(ToRect(b), line);
      }
    }
    const UGRect in{b.left + 1, b.top + 1, b.right - 1, b.bottom - 1};
    if (!round && (value == 2 || cell->IsReadOnly())) {
      // Half-tone inside: a checkerboard of face and highlight.
      for (int y = in.top; y < in.bottom; ++y)
        for (int x = in.left; x < in.right; ++x)
          dc->FillRect(Rect{x, y, x + 1, y + 1}, ((x + y) & 1) ? kFace : Colour::System(SysColour::ButtonHighlight));
    }
    if (value > 0) {
      const Colour mark = value == 2 ? kShadow : (highlight ? kWhite : kBlack);
      const int thick = s >= 10 ? 2 : 1;
      if (round) {
        const double r = (in.right - in.left) / 2.0 - 1, cx = (in.left + in.right) / 2.0, cy = (in.top + in.bottom) / 2.0;
        for (int y = in.top; y < in.bottom; ++y) {
          const double dy = y + 0.5 - cy;
          if (std::abs(dy) > r) continue;
          const double dx = std::sqrt(r * r - dy * dy);
          dc->FillRect(Rect{static_cast<int>(std::lround(cx - dx)), y, static_cast<int>(std::lround(cx + dx)), y + 1}, mark);
        }
      } else if (param & UGCT_CHECKBOXCHECKMARK) {
        // Down two pixels from the left, then up to the top right.
        const int x0 = in.left + 2, y0 = in.bottom - 4;
        for (int t = 0; t < thick; ++t) {
          for (int i = 0; i <= 2; ++i) dc->FillRect(Rect{x0 + i, y0 + i - t, x0 + i + 1, y0 + i - t + 1}, mark);
          for (int i = 0; x0 + 2 + i < in.right - 1 && y0 + 2 - i >= in.top + 1; ++i)
            dc->FillRect(Rect{x0 + 2 + i, y0 + 2 - i - t, x0 + 3 + i, y0 + 3 - i - t}, mark);
        }
      } else {
        const int n = in.right - in.left - 2;
        for (int i = 0; i < n; ++i)
          for (int t = 0; t < (s >= 10 ? 3 : 1); ++t) {
            const int dx = t - (s >= 10 ? 1 : 0);
            const int x1 = std::clamp(in.left + 1 + i + dx, in.left, in.right - 1);
            const int x2 = std::clamp(in.right - 2 - i + dx, in.left, in.right - 1);
            dc->FillRect(Rect{x1, in.top + 1 + i, x1 + 1, in.top + 2 + i}, mark);
            dc->FillRect(Rect{x2, in.top + 1 + i, x2 + 1, in.top + 2 + i}, mark);
          }
      }
    }
  }
  if (!(param & UGCT_CHECKBOXUSEALIGN)) {
    UGRect text = inner;
    text.left = b.right + 3;
    // The label shows beside the box, never the value.
    CUGCell shown(*cell);
    shown.ClearPropertyFlag(UGCELL_BORDERSTYLE_SET);
    const bool old = drawLabelText_;
    drawLabelText_ = true;
    DrawText(dc, &text, 0, col, row, &shown, selected, current);
    drawLabelText_ = old;
  }
}

void CUGCheckBoxType::GetBestSize(int col, long row, int* width, int* height, CUGCell* cell) {
  if (cell->GetCellTypeParam() & UGCT_CHECKBOXUSEALIGN) {
    *width = 18;
    *height = 2;
    return;
  }
  CUGCtrl* g = GetGrid();
  const char* label = cell->GetLabelText();
  const int font = cell->GetFont() >= 0 ? cell->GetFont() : (g ? g->GetDefaultFont() : -1);
  const int w = label && g && g->GetView() ? g->GetView()->MeasureTextWidth(label, font) : 0;
  *width = w + 24;
}

// ---- side arrows ----

void CUGArrowType::OnDraw(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected, int current) {
  UGRect inner;
  DrawBorder(dc, rect, &inner, cell);
  const bool highlight = selected || (current && GetGrid() && (GetGrid()->Sheet().currentCellMode & 0x2));
  dc->FillRect(ToRect(inner), highlight ? cell->GetHighlightBackColor() : cell->GetBackColor());
  if (inner.Width() <= 3) return;
  long param = cell->HasProperty(UGCELL_CELLTYPEEX_SET) ? cell->GetCellTypeParam() : 16;
  if (param == 0) param = 16;
  const Colour c = highlight ? cell->GetHighlightTextColor() : cell->GetTextColor();
  const int cx = (inner.left + inner.right) / 2, cy = (inner.top + inner.bottom) / 2;
  auto arrow = [&](int x, bool right) {
    // A 7-pixel bar beside a 5-pixel triangle.
    const int bar = right ? x - 1 : x + 1;
    dc->FillRect(Rect{bar, cy - 3, bar + 1, cy + 4}, c);
    for (int i = 0; i < 3; ++i) {
      const int tx = right ? x + 2 - i : x - 2 + i;
      dc->FillRect(Rect{tx, cy - i, tx + 1, cy + i + 1}, c);
    }
  };
  if (param == 0x10) arrow(cx, true);
  else if (param == 0x20) arrow(cx, false);
  else if (param == 0x40) arrow(cx - 3, true), arrow(cx + 3, true);
  else if (param == 0x80) arrow(cx - 3, false), arrow(cx + 3, false);
}

void CUGArrowType::GetBestSize(int col, long row, int* width, int* height, CUGCell* cell) {
  const long p = cell->GetCellTypeParam();
  *width = (p == 64 || p == 128) ? 14 : 10;
}

// ---- push button ----

int CUGButtonType::OnLeftClick(int col, long row, int isDown, UGRect* rect, UGPoint* point) {
  CUGCtrl* g = GetGrid();
  if (isDown) {
    SendNotification(UGCT_BUTTONDOWN, col, row, 0);
    pressed_ = true;
    pressedCol_ = col;
    pressedRow_ = row;
    if (rect) pressedRect_ = *rect;
  } else {
    SendNotification(UGCT_BUTTONUP, col, row, 0);
    if (pressed_ && col == pressedCol_ && row == pressedRow_) SendNotification(UGCT_BUTTONCLICK, col, row, 0);
    pressed_ = false;
  }
  g->RedrawCell(col, row);
  return 1;
}

int CUGButtonType::OnDoubleClick(int col, long row, UGRect* rect, UGPoint* point) {
  return OnLeftClick(col, row, 1, rect, point);
}

int CUGButtonType::OnKeyDown(int col, long row, unsigned* key) {
  if (!key || *key != UG_VK_RETURN) return 0;
  SendNotification(UGCT_BUTTONCLICK, GetGrid()->GetCurrentCol(), GetGrid()->GetCurrentRow(), 0);
  return 1;
}

int CUGButtonType::OnMouseMove(int col, long row, UGPoint* point, unsigned flags) {
  if (!(flags & UG_MK_LBUTTON) || !point) return 0;
  const bool in = pressedCol_ >= 0 && Inside(pressedRect_, *point);
  if (in != pressed_) {
    pressed_ = in;
    GetGrid()->RedrawCell(pressedCol_, pressedRow_);
  }
  return 1;
}

void CUGButtonType::OnDraw(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected, int current) {
  CUGCell shown(*cell);
  shown.SetBorderStyle(pressed_ && current ? 0x1000 : 0x2000);
  if (!shown.HasProperty(UGCELL_BACKCOLOR_SET)) shown.SetBackColor(kFace);
  UGRect inner;
  DrawBorder(dc, rect, &inner, &shown);
  DrawText(dc, &inner, 0, col, row, &shown, selected, current);
  if ((cell->GetCellTypeParam() & UGCT_BUTTONNOFOCUS) && current && GetGrid() && GetGrid()->GetView())
    GetGrid()->GetView()->SkipCellAreaFocusOnce();
}

// ---- ellipsis text ----

int CUGEllipsisType::AdjustEditRect(UGRect* rect) {
  rect->right -= buttonWidth_ + 1;
  return 0;
}

int CUGEllipsisType::OnLeftClick(int col, long row, int isDown, UGRect* rect, UGPoint* point) {
  CUGCtrl* g = GetGrid();
  if (isDown) {
    if (rect && point && point->x > rect->right - buttonWidth_) {
      buttonRect_ = UGRect{rect->right - buttonWidth_, rect->top, rect->right, rect->bottom};
      SendNotification(UGCT_ELLIPSISBUTTONCLICK, col, row, 0);
      pressed_ = true;
      pressedCol_ = col;
      pressedRow_ = row;
      g->RedrawCell(col, row);
      return 1;
    }
    pressedCol_ = -1;
    pressedRow_ = -1;
    return 0;
  }
  if (!pressed_) return 0;
  pressed_ = false;
  g->RedrawCell(col, row);
  return 1;
}

int CUGEllipsisType::OnMouseMove(int col, long row, UGPoint* point, unsigned flags) {
  if (!(flags & UG_MK_LBUTTON) || !point || pressedCol_ < 0) return 0;
  const bool in = Inside(buttonRect_, *point);
  if (in != pressed_) {
    pressed_ = in;
    GetGrid()->RedrawCell(pressedCol_, pressedRow_);
  }
  return 1;
}

void CUGEllipsisType::OnDraw(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected, int current) {
  if ((cell->GetCellTypeParam() & UGCT_SHOWBUTTONONFOCUS) && !current) {
    CUGCellType::OnDraw(dc, rect, col, row, cell, selected, current);
    return;
  }
  const double scale = dc->IsPrinting() ? scale_ : 1.0;
  const int bw = static_cast<int>(buttonWidth_ * scale);
  UGRect inner;
  DrawBorder(dc, rect, &inner, cell);
  const UGRect b = DrawSideButton(dc, inner, bw, pressed_ && current, dc->IsPrinting(), scale);
  // Three dots three quarters down the button.
  const int d = std::max(1, static_cast<int>(2 * scale)), gap = static_cast<int>(3 * scale);
  const int y = b.top + (b.Height() * 3) / 4 - d;
  const int x0 = (b.left + b.right) / 2 - d / 2 - gap;
  for (int i = 0; i < 3; ++i) dc->FillRect(Rect{x0 + i * gap, y, x0 + i * gap + d, y + d}, kBlack);
  UGRect text = inner;
  text.right = b.left - 1;
  DrawText(dc, &text, 0, col, row, cell, selected, current);
}

void CUGEllipsisType::GetBestSize(int col, long row, int* width, int* height, CUGCell* cell) {
  CUGCellType::GetBestSize(col, row, width, height, cell);
  if (!(cell->GetCellTypeParam() & UGCT_SHOWBUTTONONFOCUS)) *width += buttonWidth_;
}

// ---- drop list ----

std::vector<std::string> CUGDropListType::SplitChoices(const std::string& label) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < label.size()) {
    std::size_t nl = label.find('\n', start);
    std::string item = label.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    if (!item.empty() && item.back() == '\r') item.pop_back();
    out.push_back(std::move(item));
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return out;
}

int CUGDropListType::AdjustEditRect(UGRect* rect) {
  rect->right -= buttonWidth_ + 1;
  return 0;
}

int CUGDropListType::OnLeftClick(int col, long row, int isDown, UGRect* rect, UGPoint* point) {
  CUGCtrl* g = GetGrid();
  if (g->Sheet().multiSelectFlag && (g->IsShiftDown() || g->IsCtrlDown())) return 1;
  if (isDown) {
    if (rect && point && point->x > rect->right - buttonWidth_) {
      if (col != listCol_ || row != listRow_) {
        buttonRect_ = UGRect{rect->right - buttonWidth_, rect->top, rect->right, rect->bottom};
        pressed_ = true;
        listCol_ = col;
        listRow_ = row;
        g->RedrawCell(col, row);
        ShowList();
        return 1;
      }
      listCol_ = -1;
      listRow_ = -1;
      if (showing_ && g->GetView()) g->GetView()->CloseDropList();
      showing_ = false;
      return 0;
    }
    if (listCol_ == -2) listCol_ = listRow_ = -1;
    return 0;
  }
  if (!pressed_) return 0;
  pressed_ = false;
  g->RedrawCell(col, row);
  return 1;
}

int CUGDropListType::OnDoubleClick(int col, long row, UGRect* rect, UGPoint* point) {
  if (rect && point && point->x > rect->right - buttonWidth_) return OnLeftClick(col, row, 1, rect, point);
  return 0;
}

int CUGDropListType::OnKeyDown(int col, long row, unsigned* key) {
  if (!key) return 0;
  if (*key == UG_VK_RETURN || (*key == UG_VK_DOWN && GetGrid()->IsCtrlDown())) {
    listCol_ = col;
    listRow_ = row;
    ShowList();
    *key = 0;
    return 1;
  }
  return 0;
}

// Only the carriage return that follows Enter is swallowed; '(' is a character like others.
int CUGDropListType::OnChar(int col, long row, unsigned* ch) { return ch && *ch == UG_VK_RETURN ? 1 : 0; }

int CUGDropListType::OnMouseMove(int col, long row, UGPoint* point, unsigned flags) {
  if (!(flags & UG_MK_LBUTTON)) return 1;
  if (!point || listCol_ < 0) return 0;
  const bool in = Inside(buttonRect_, *point);
  if (in != pressed_) {
    pressed_ = in;
    GetGrid()->RedrawCell(listCol_, listRow_);
  }
  return 0;
}

void CUGDropListType::OnCellFocusLost(int col, long row, CUGCell* cell) {
  listCol_ = listRow_ = -1;
  if (showing_ && GetGrid()->GetView()) GetGrid()->GetView()->CloseDropList();
  showing_ = false;
}

bool CUGDropListType::ShowList() {
  CUGCtrl* g = GetGrid();
  if (showing_ || listCol_ < 0 || listRow_ < 0) return false;
  CUGCell cell;
  g->GetCell(listCol_, listRow_, &cell);
  if (g->GetCurrentCol() != listCol_ || g->GetCurrentRow() != listRow_) g->GotoCell(listCol_, listRow_);
  if (cell.IsReadOnly()) return false;
  const char* label = cell.GetLabelText();
  std::vector<std::string> choices = SplitChoices(label ? label : "");
  if (SendNotification(UGCT_DROPLISTSTART, listCol_, listRow_, reinterpret_cast<long>(&choices)) == 0) return false;
  UGRect rect;
  g->GetCellRect(listCol_, listRow_, &rect);
  const int font = cell.GetFont() >= 0 ? cell.GetFont() : g->GetDefaultFont();
  if (!g->GetView() || !g->GetView()->ShowDropList(this, rect, choices, font)) return false;
  showing_ = true;
  pressed_ = false;
  g->RedrawCell(listCol_, listRow_);
  return true;
}

void CUGDropListType::Choose(int index, const std::string& text) {
  CUGCtrl* g = GetGrid();
  const int col = listCol_;
  const long row = listRow_;
  showing_ = false;
  listCol_ = listRow_ = -1;
  if (col < 0 || row < 0) return;
  CUGCell cell;
  g->GetCell(col, row, &cell);
  if (cell.IsReadOnly()) return;
  SendNotification(UGCT_DROPLISTSELCHANGE, col, row, index);
  std::string chosen = text;
  if (SendNotification(UGCT_DROPLISTSELECT, col, row, reinterpret_cast<long>(&chosen)) != 0) {
    g->GetCell(col, row, &cell);
    cell.SetText(chosen);
    cell.SetDataType(UGCELLDATA_STRING);
    g->SetCell(col, row, &cell);
    SendNotification(UGCT_DROPLISTPOSTSELECT, col, row, reinterpret_cast<long>(&chosen));
    g->RedrawCell(col, row);
  }
}

void CUGDropListType::ListClosed() {
  if (!showing_) return;
  showing_ = false;
  listCol_ = listRow_ = -2;
  CUGCtrl* g = GetGrid();
  if (g->GetView()) g->GetView()->RefreshCellArea();
}

void CUGDropListType::OnDraw(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected, int current) {
  if ((cell->GetCellTypeParam() & UGCT_SHOWBUTTONONFOCUS) && !current) {
    CUGCellType::OnDraw(dc, rect, col, row, cell, selected, current);
    return;
  }
  const double scale = dc->IsPrinting() ? scale_ : 1.0;
  const int bw = static_cast<int>(buttonWidth_ * scale);
  UGRect inner;
  DrawBorder(dc, rect, &inner, cell);
  const UGRect b = DrawSideButton(dc, inner, bw, pressed_ && current, dc->IsPrinting(), scale);
  // A downward triangle of 5, 3 and 1 pixels, grey with a white shadow when read-only.
  const int x = b.left + (b.Width() - 5) / 2, y = b.top + (b.Height() - 3) / 2;
  const bool ro = cell->IsReadOnly();
  for (int i = 0; i < 3; ++i) {
    if (ro) dc->FillRect(Rect{x + i + 1, y + i + 1, x + 6 - i, y + i + 2}, kWhite);
    dc->FillRect(Rect{x + i, y + i, x + 5 - i, y + i + 1}, ro ? Colour::Rgb(0x80, 0x80, 0x80) : kBlack);
  }
  UGRect text = inner;
  text.right = b.left - 1;
  DrawText(dc, &text, 0, col, row, cell, selected, current);
}

void CUGDropListType::GetBestSize(int col, long row, int* width, int* height, CUGCell* cell) {
  CUGCellType::GetBestSize(col, row, width, height, cell);
  if (!(cell->GetCellTypeParam() & UGCT_SHOWBUTTONONFOCUS)) *width += buttonWidth_;
}

}  // namespace gridmodel
