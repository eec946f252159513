#include "gridmodel/ug_parts.h"

#include <algorithm>
#include <cmath>

namespace gridmodel {

namespace {
Rect ToRect(const UGRect& r) { return Rect{r.left, r.top, r.right, r.bottom}; }
// Columns and rows in view order: the locked ones, then from the left column or top row.
int NextCol(const CUGGridInfo& s, int c) {
  ++c;
  if (c == s.numLockCols && s.leftCol > c) c = s.leftCol;
  return c;
}
long NextRow(const CUGGridInfo& s, long r) {
  ++r;
  if (r == s.numLockRows && s.topRow > r) r = s.topRow;
  return r;
}
int FirstCol(const CUGGridInfo& s) { return s.numLockCols > 0 ? 0 : s.leftCol; }
long FirstRow(const CUGGridInfo& s) { return s.numLockRows > 0 ? 0 : s.topRow; }

void SelectDefaultFont(CUGCtrl& g, Painter& p) {
  const int f = g.Sheet().defFont;
  if (f >= 0 && g.GetFont(f)) p.SetFont(*g.GetFont(f));
}

void DrawCellWith(CUGCtrl& g, Painter& p, UGRect r, int c, long row, CUGCell& cell, int selected, int current,
                  int typeDefault) {
  CUGCellType* type = g.GetCellType(cell.HasProperty(UGCELL_CELLTYPE_SET) ? cell.GetCellType() : typeDefault);
  p.PushClip(ToRect(r));
  type->OnDraw(&p, &r, c, row, &cell, selected, current);
  p.PopClip();
}
}  // namespace

void HintCellsIn(CUGCtrl& g, const UGRect& area) {
  CUGGridInfo& s = g.Sheet();
  int c0 = 0, c1 = s.numberCols;
  long r0 = 0, r1 = s.numberRows;
  int c;
  long r;
  if (g.GetCellFromPointUnjoined(area.left, area.top, &c, &r) == 0) c0 = c, r0 = r;
  if (g.GetCellFromPointUnjoined(area.right - 1, area.bottom - 1, &c, &r) == 0) c1 = c, r1 = r;
  // Locked rows and columns sit outside the scrolled run: take them whole.
  if (s.numLockCols > 0) c0 = 0;
  if (s.numLockRows > 0) r0 = 0;
  // Joins reaching into the area draw from their first cell.
  g.CellAreaHints().AddRange(0, r0, c1, r1);
  g.CellAreaHints().AddRange(c0, 0, c1, r1);
  if (s.highlightRow) g.CellAreaHints().AddRange(0, s.currentRow, s.numberCols, s.currentRow);
  else g.CellAreaHints().AddCell(s.currentCol, s.currentRow);
}

void PaintCellArea(CUGCtrl& g, Painter& p, int clientWidth, int clientHeight, bool drawFocus) {
  CUGGridInfo& s = g.Sheet();
  UGRedrawHints& hints = g.CellAreaHints();
  SelectDefaultFont(g, p);
  UGDrawContext ctx{&p};
  g.OnPrepareSectionDC(&ctx, nullptr, UG_GRID);
  int fillRight = -1, fillBelow = -1;
  UGRect focus{-1, -1, -1, -1};
  int y = 0, lastX = 0;
  long bottomRow = s.numberRows;
  for (long r = FirstRow(s); r < s.numberRows; r = NextRow(s, r)) {
    const int h = g.GetRowHeight(r);
    if (h <= 0) continue;
    int x = 0;
    int rightCol = s.numberCols;
    for (int c = FirstCol(s); c < s.numberCols; c = NextCol(s, c)) {
      const int w = g.GetColWidth(c);
      if (w <= 0) continue;
      UGRect R{x, y, x + w, y + h};
      x += w;
      if (hints.ContainsCell(c, r)) {
        CUGCell cell;
        g.GetCell(c, r, &cell);
        int dc = c;
        long dr = r;
        bool skip = false;
        if (s.enableJoins && cell.HasProperty(UGCELL_JOIN_SET)) {
          g.GetCellRect(&dc, &dr, &R);
          g.GetJoinStartCell(&dc, &dr, &cell);
          if (hints.WasCellDrawn(dc, dr)) skip = true;
          else hints.NoteCellDrawn(dc, dr);
        }
        if (!skip) {
          const bool current = dr == s.currentRow && (dc == s.currentCol || s.highlightRow);
          int block = 0, selected = 0;
          if (!current && g.IsCellSelected(dc, dr, &block)) selected = block + 1;
          DrawCellWith(g, p, R, dc, dr, cell, selected, current ? 1 : 0, -1);
          const Colour black = Colour::Rgb(0, 0, 0);
          if (s.numLockCols > 0) {
            if (c == s.leftCol) p.FillRect(Rect{R.left - 1, R.top, R.left, R.bottom + 1}, black);
            else if (c == s.numLockCols - 1) p.FillRect(Rect{R.right - 1, R.top, R.right, R.bottom + 1}, black);
          }
          if (s.numLockRows > 0) {
            if (r == s.topRow) p.FillRect(Rect{R.left, R.top - 1, R.right + 1, R.top}, black);
            else if (r == s.numLockRows - 1) p.FillRect(Rect{R.left, R.bottom - 1, R.right + 1, R.bottom}, black);
          }
        }
      }
      if (r == s.currentRow && (c == s.currentCol || s.highlightRow)) {
        if (focus.left < 0 || !s.highlightRow) focus = R;
        else focus.right = R.right;
      }
      if (x > s.gridWidth) {
        rightCol = c;
        break;
      }
    }
    lastX = x;
    if (x < s.gridWidth && rightCol == s.numberCols) fillRight = x;
    y += h;
    if (y > s.gridHeight) {
      bottomRow = r;
      break;
    }
  }
  hints.ClearAll();
  if (y < s.gridHeight && bottomRow == s.numberRows) fillBelow = y;
  if (s.numberRows == 0) fillBelow = 0;
  const Colour back = g.OnGetSectionBackColor(UG_GRID);
  if (fillRight >= 0) p.FillRect(Rect{fillRight, 0, clientWidth, clientHeight}, back);
  if (fillBelow >= 0) p.FillRect(Rect{0, fillBelow, clientWidth, clientHeight}, back);
  if (drawFocus && !g.IsEditing() && focus.left >= 0) {
    if (s.highlightRow) {
      focus.left = 0;
      focus.right = lastX < s.gridWidth ? lastX : s.gridWidth;
    }
    if (!g.OnDrawCellFocus(&ctx, &focus)) {
      CUGCellType* type = g.GetCellTypeAt(s.currentCol, s.currentRow);
      if (!type || !type->OnDrawFocus(&p, &focus, s.currentCol, s.currentRow))
        p.FrameRect(Rect{focus.left, focus.top, focus.right - 1, focus.bottom - 1}, Colour::Rgb(0, 0, 0));
    }
  }
}

void PaintTopHeading(CUGCtrl& g, Painter& p, int clientWidth, int clientHeight, int dragCol, int dropCol) {
  CUGGridInfo& s = g.Sheet();
  SelectDefaultFont(g, p);
  UGDrawContext ctx{&p};
  g.OnPrepareSectionDC(&ctx, nullptr, UG_TOPHEADING);
  const int n = static_cast<int>(s.topHdgHeights.size());
  int maxRight = 0;
  for (int row = -n; row <= -1; ++row) {
    for (int c = FirstCol(s); c < s.numberCols; c = NextCol(s, c)) {
      UGRect R;
      g.GetCellRect(c, row, &R);
      if (R.left < R.right) {
        CUGCell cell;
        g.GetCell(c, row, &cell);
        DrawCellWith(g, p, R, c, row, cell, dropCol >= 0 && c == dragCol ? 1 : 0, 0, 0);
      }
      maxRight = std::max(maxRight, R.right);
      if (R.right > s.gridWidth) break;
    }
  }
  if (maxRight < clientWidth) p.FillRect(Rect{maxRight, 0, clientWidth, clientHeight}, g.OnGetSectionBackColor(UG_TOPHEADING));
}

void PaintSideHeading(CUGCtrl& g, Painter& p, int clientWidth, int clientHeight) {
  CUGGridInfo& s = g.Sheet();
  SelectDefaultFont(g, p);
  UGDrawContext ctx{&p};
  g.OnPrepareSectionDC(&ctx, nullptr, UG_SIDEHEADING);
  const int m = static_cast<int>(s.sideHdgWidths.size());
  int y = 0;
  for (long r = FirstRow(s); r < s.numberRows; r = NextRow(s, r)) {
    const int h = g.GetRowHeight(r);
    if (h <= 0) continue;
    int x = 0;
    for (int col = -m; col <= -1; ++col) {
      const int w = s.sideHdgWidths[-col - 1];
      UGRect R{x, y, x + w, y + h};
      x += w;
      CUGCell cell;
      g.GetCell(col, r, &cell);
      DrawCellWith(g, p, R, col, r, cell, 0, 0, 0);
    }
    y += h;
    if (y > s.gridHeight) break;
  }
  if (y < clientHeight) p.FillRect(Rect{0, y, clientWidth, clientHeight}, g.OnGetSectionBackColor(UG_SIDEHEADING));
}

void PaintCorner(CUGCtrl& g, Painter& p, int clientWidth, int clientHeight) {
  UGDrawContext ctx{&p};
  g.OnPrepareSectionDC(&ctx, nullptr, UG_CORNERBUTTON);
  SelectDefaultFont(g, p);
  CUGCell cell;
  g.GetCell(-1, -1, &cell);
  DrawCellWith(g, p, UGRect{0, 0, clientWidth, clientHeight}, -1, -1, cell, 0, 0, -1);
}

// ---- cell area ----

void UGCellAreaInput::KeyDown(unsigned key) {
  CUGGridInfo& s = g_.Sheet();
  s.moveType = UG_MOVE_KEYS;
  long step = 1;
  if (s.keyRepeatAcceleration > 0) {
    ++keyRepeat_;
    const long q = keyRepeat_ / s.keyRepeatAcceleration;
    step = q * q * q + 1;
  }
  CUGCellType* type = g_.GetCellTypeAt(s.currentCol, s.currentRow);
  const int processed = type ? type->OnKeyDown(s.currentCol, s.currentRow, &key) : 0;
  g_.OnGridKeyDown(&key, processed != 0);
  const int c = s.currentCol, tc = s.dragCol;
  const long r = s.currentRow, tr = s.dragRow;
  switch (key) {
    case UG_VK_LEFT: {
      int n = c - static_cast<int>(step);
      long r2 = r;
      if (n < 0 || g_.GetJoinStartCell(&n, &r2) != 0) g_.GotoCol(tc - static_cast<int>(step));
      else g_.GotoCell(tc + n - c, tr + r2 - r);
      break;
    }
    case UG_VK_RIGHT: {
      int jc = c, jec;
      long jr = r, jer;
      if (g_.GetJoinRange(&jc, &jr, &jec, &jer) == 0) step += jec - jc;
      int n = c + static_cast<int>(step);
      long r2 = r;
      if (g_.GetJoinStartCell(&n, &r2) == 0 && n != c) g_.GotoCell(tc + n - c, tr + r2 - r);
      else g_.GotoCol(tc + static_cast<int>(step));
      break;
    }
    case UG_VK_UP: {
      long n = r - step;
      int c2 = c;
      if (n < 0 || g_.GetJoinStartCell(&c2, &n) != 0) g_.GotoRow(tr - step);
      else g_.GotoCell(tc + c2 - c, tr + n - r);
      break;
    }
    case UG_VK_DOWN: {
      int jc = c, jec;
      long jr = r, jer;
      if (g_.GetJoinRange(&jc, &jr, &jec, &jer) == 0) step += jer - jr;
      long n = r + step;
      int c2 = c;
      if (g_.GetJoinStartCell(&c2, &n) == 0 && n != r) g_.GotoCell(tc + c2 - c, tr + n - r);
      else g_.GotoRow(tr + step);
      break;
    }
    case UG_VK_PRIOR: g_.MoveCurrentRow(UG_PAGEUP); break;
    case UG_VK_NEXT: g_.MoveCurrentRow(UG_PAGEDOWN); break;
    case UG_VK_HOME:
      if (g_.IsCtrlDown()) g_.MoveCurrentRow(UG_TOP);
      else g_.MoveCurrentCol(UG_LEFT);
      break;
    case UG_VK_END:
      if (g_.IsCtrlDown()) g_.MoveCurrentRow(UG_BOTTOM);
      else g_.MoveCurrentCol(UG_RIGHT);
      break;
    default: break;
  }
}

void UGCellAreaInput::KeyUp(unsigned key) {
  keyRepeat_ = 0;
  CUGGridInfo& s = g_.Sheet();
  CUGCellType* type = g_.GetCellTypeAt(s.currentCol, s.currentRow);
  const int processed = type ? type->OnKeyUp(s.currentCol, s.currentRow, &key) : 0;
  g_.OnGridKeyUp(&key, processed != 0);
}

void UGCellAreaInput::Char(unsigned ch) {
  CUGGridInfo& s = g_.Sheet();
  CUGCellType* type = g_.GetCellTypeAt(s.currentCol, s.currentRow);
  const int processed = type ? type->OnChar(s.currentCol, s.currentRow, &ch) : 0;
  g_.OnGridChar(&ch, processed != 0);
}

void UGCellAreaInput::LButtonDown(int x, int y, unsigned flags) {
  if (!host_.CellAreaHasFocus()) host_.FocusCellArea();
  if (g_.IsEditing()) return;
  CUGGridInfo& s = g_.Sheet();
  host_.Capture(UG_GRID, true);
  s.moveType = UG_MOVE_LBUTTON;
  s.moveFlags = static_cast<int>(flags);
  int col = -1;
  long row = -1;
  UGRect R;
  UGPoint pt{x, y};
  int processed = 0;
  if (g_.GetCellFromPoint(x, y, &col, &row, &R) == 0) {
    g_.GotoCell(col, row);
    if (CUGCellType* type = g_.GetCellTypeAt(col, row)) processed = type->OnLeftClick(col, row, 1, &R, &pt);
    typeTracking_ = processed != 0;
  } else {
    col = -1;
    row = -1;
  }
  g_.OnCellLeftClick(col, row, true, &R, &pt, processed != 0);
  s.moveType = UG_MOVE_KEYS;
  buttonDown_ = true;
}

void UGCellAreaInput::LButtonUp(int x, int y, unsigned flags) {
  host_.StopAutoScroll();
  if (!buttonDown_) return;
  CUGGridInfo& s = g_.Sheet();
  int col = -1;
  long row = -1;
  UGRect R;
  UGPoint pt{x, y};
  int processed = 0;
  if (g_.GetCellFromPoint(x, y, &col, &row, &R) == 0) {
    if (CUGCellType* type = g_.GetCellTypeAt(col, row)) processed = type->OnLeftClick(col, row, 0, &R, &pt);
  } else {
    col = -1;
    row = -1;
  }
  g_.OnCellLeftClick(col, row, false, &R, &pt, processed != 0);
  host_.Capture(UG_GRID, false);
  s.dragCol = s.currentCol;
  s.dragRow = s.currentRow;
  typeTracking_ = false;
  buttonDown_ = false;
}

void UGCellAreaInput::LButtonDblClk(int x, int y, unsigned flags) {
  int col = -1;
  long row = -1;
  UGRect R;
  UGPoint pt{x, y};
  int processed = 0;
  if (g_.GetCellFromPoint(x, y, &col, &row, &R) == 0) {
    if (CUGCellType* type = g_.GetCellTypeAt(col, row)) processed = type->OnDoubleClick(col, row, &R, &pt);
  } else {
    col = -1;
    row = -1;
  }
  g_.OnCellDoubleClick(col, row, &R, &pt, processed != 0);
}

void UGCellAreaInput::RButtonDown(int x, int y, unsigned flags) {
  if (g_.IsEditing()) return;
  CUGGridInfo& s = g_.Sheet();
  s.moveType = UG_MOVE_RBUTTON;
  s.moveFlags = static_cast<int>(flags);
  int col = -1;
  long row = -1;
  UGRect R;
  UGPoint pt{x, y};
  int processed = 0;
  if (g_.GetCellFromPoint(x, y, &col, &row, &R) == 0) {
    g_.GotoCell(col, row);
    if (CUGCellType* type = g_.GetCellTypeAt(col, row)) processed = type->OnRightClick(col, row, 1, &R, &pt);
  } else {
    col = -1;
    row = -1;
  }
  g_.OnCellRightClick(col, row, true, &R, &pt, processed != 0);
  s.moveType = UG_MOVE_KEYS;
  if (s.enablePopupMenu) {
    UGPoint screen = host_.ToScreen(UG_GRID, pt);
    g_.StartPopupMenu(col, row, &screen, UG_GRID);
  }
  buttonDown_ = true;
}

void UGCellAreaInput::RButtonUp(int x, int y, unsigned flags) {
  if (!buttonDown_) return;
  CUGGridInfo& s = g_.Sheet();
  int col = -1;
  long row = -1;
  UGRect R;
  UGPoint pt{x, y};
  int processed = 0;
  if (g_.GetCellFromPoint(x, y, &col, &row, &R) == 0) {
    if (CUGCellType* type = g_.GetCellTypeAt(col, row)) processed = type->OnRightClick(col, row, 0, &R, &pt);
  } else {
    col = -1;
    row = -1;
  }
  g_.OnCellRightClick(col, row, false, &R, &pt, processed != 0);
  s.dragCol = s.currentCol;
  s.dragRow = s.currentRow;
  buttonDown_ = false;
}

void UGCellAreaInput::MouseMove(int x, int y, unsigned flags) {
  if (g_.IsEditing()) return;
  CUGGridInfo& s = g_.Sheet();
  UGPoint pt{x, y};
  if (typeTracking_) {
    CUGCellType* type = g_.GetCellTypeAt(s.currentCol, s.currentRow);
    const int processed = type ? type->OnMouseMove(s.currentCol, s.currentRow, &pt, flags) : 0;
    g_.OnCellMouseMove(s.currentCol, s.currentRow, &pt, flags, processed != 0);
    return;
  }
  s.moveType = UG_MOVE_DRAG;
  s.moveFlags = static_cast<int>(flags);
  int col = -1;
  long row = -1;
  const bool onCell = g_.GetCellFromPoint(x, y, &col, &row) == 0;
  if (onCell) {
    CUGCellType* type = g_.GetCellTypeAt(col, row);
    const int processed = type ? type->OnMouseMove(col, row, &pt, flags) : 0;
    g_.OnCellMouseMove(col, row, &pt, flags, processed != 0);
  }
  if (!(flags & UG_MK_LBUTTON)) {
    s.moveType = UG_MOVE_KEYS;
    return;
  }
  lastX_ = x;
  lastY_ = y;
  lastFlags_ = flags;
  bool atBottom = false, atRight = false;
  if (onCell) {
    atBottom = row == s.bottomRow;
    atRight = col == s.rightCol;
    if (s.edgeDragMode == 0 && (atBottom || atRight)) return;
  }
  if (!buttonDown_) return;
  if (onCell) {
    if (s.numLockCols == 0 && s.numLockRows == 0) {
      g_.GotoCell(col, row);
    } else {
      if (s.dragCol > s.numLockCols && col < s.numLockCols) g_.MoveCurrentCol(UG_COLLEFT);
      else g_.GotoCol(col);
      if (s.dragRow > s.numLockRows && row < s.numLockRows) g_.MoveCurrentRow(UG_LINEUP);
      else g_.GotoRow(row);
    }
  }
  const int P = s.dragScrollPower;
  auto powered = [P](long v) { return P == 2 ? v * v : static_cast<long>(std::pow(static_cast<double>(v), P)); };
  const int w = std::max(1, s.defColWidth), h = std::max(1, s.defRowHeight);
  bool outside = false;
  if (x < 0) {
    outside = true;
    if (P == 0) g_.MoveCurrentCol(UG_COLLEFT);
    else g_.GotoCol(s.dragCol - static_cast<int>(powered(1 - x / w)));
  } else if (x > s.gridWidth || atRight) {
    outside = x > s.gridWidth;
    if (P == 0) g_.MoveCurrentCol(UG_COLRIGHT);
    else g_.GotoCol(s.dragCol + static_cast<int>(powered(static_cast<long>((x - s.gridWidth) / double(w) + 1))));
  }
  if (y < 0) {
    outside = true;
    if (P == 0) g_.MoveCurrentRow(UG_LINEUP);
    else g_.GotoRow(s.dragRow - powered(1 - y / h));
  } else if (y > s.gridHeight || atBottom) {
    outside = outside || y > s.gridHeight;
    if (P == 0) g_.MoveCurrentRow(UG_LINEDOWN);
    else g_.GotoRow(s.dragRow + powered((y - s.gridHeight) / h + 1));
  }
  // Held still outside, the drag goes on scrolling at the drag-scroll delay.
  if (outside) host_.StartAutoScroll(UG_GRID, std::max(10, s.dragScrollDelay));
  else host_.StopAutoScroll();
  s.moveType = UG_MOVE_KEYS;
}

void UGCellAreaInput::Wheel(int delta) {
  if (g_.IsEditing()) return;
  CUGGridInfo& s = g_.Sheet();
  s.moveType = UG_MOVE_SCROLL;
  const int notches = delta / 120;
  if (notches != 0) g_.SetTopRow(s.topRow - 3L * notches);
  s.moveType = UG_MOVE_KEYS;
  host_.RefreshPart(UG_SIDEHEADING);
}

void UGCellAreaInput::FocusGained() {
  typeTracking_ = false;
  keyRepeat_ = 0;
  g_.OnFocusGained(UG_GRID);
}

void UGCellAreaInput::FocusLost() { g_.OnFocusLostTo(UG_GRID, nullptr); }

void UGCellAreaInput::Help(bool fromF1, int x, int y) {
  int col = g_.GetCurrentCol();
  long row = g_.GetCurrentRow();
  if (!fromF1 && g_.GetCellFromPoint(x, y, &col, &row) != 0) col = -1, row = -1;
  RequestGridHelp(g_, host_, col, row, UG_GRID);
}

namespace {
UGHelpHandler& HelpHandler() {
  static UGHelpHandler handler;
  return handler;
}
}  // namespace

void SetGridHelpHandler(UGHelpHandler handler) { HelpHandler() = std::move(handler); }

void UGPartHost::ShowHelp(int contextId) {
  if (HelpHandler()) HelpHandler()(contextId);
}

bool RequestGridHelp(CUGCtrl& g, UGPartHost& host, int col, long row, int section) {
  const int id = g.OnGetHelpContextId(col, row, section);
  if (id == 0) return false;
  host.ShowHelp(id);
  return true;
}

// ---- top heading ----

bool UGTopHeadingInput::HitTest(int x, int y, int* col, int* row, UGRect* rect) const {
  const CUGGridInfo& s = g_.Sheet();
  *col = -1;
  *row = -1;
  if (x < 0 || y < 0) return false;
  int right = 0;
  for (int c = FirstCol(s); c < s.numberCols; c = NextCol(s, c)) {
    right += s.columns[c].width;
    if (right > x) {
      *col = c;
      rect->left = right - s.columns[c].width;
      rect->right = right;
      break;
    }
  }
  const int n = static_cast<int>(s.topHdgHeights.size());
  int bottom = 0;
  for (int r = -n; r <= -1; ++r) {
    bottom += s.topHdgHeights[-r - 1];
    if (bottom > y) {
      *row = r;
      rect->top = bottom - s.topHdgHeights[-r - 1];
      rect->bottom = bottom;
      break;
    }
  }
  if (*col < 0 || *row >= 0) {
    *col = -1;
    *row = -1;
    return false;
  }
  return true;
}

void UGTopHeadingInput::DetectBorder(int x, int y) {
  const CUGGridInfo& s = g_.Sheet();
  if (s.userSizingMode <= 0) return;
  int sum = 0;
  for (int c = FirstCol(s); c < s.numberCols; c = NextCol(s, c)) {
    sum += s.columns[c].width;
    if (std::abs(x - sum) < 3) {
      int col = c;
      const int next = NextCol(s, c);
      if (s.columns[c].width > 0 || true) {
        if (next < s.numberCols && s.columns[next].width == 0) col = next;
      }
      if (!g_.OnAllowColumnResize(col)) return;
      overBorder_ = true;
      kind_ = 0;
      index_ = col;
      startSize_ = s.columns[col].width;
      startPos_ = x;
      host_.SetCursor(UG_TOPHEADING, UGCursor::SizeWE);
      return;
    }
    if (sum > s.gridWidth) break;
  }
  int border = s.topHdgHeight;
  for (int k = 0; k < static_cast<int>(s.topHdgHeights.size()); ++k) {
    if (std::abs(y - border) < 3) {
      if (!g_.OnAllowTopHeadingResize()) return;
      overBorder_ = true;
      kind_ = 1;
      index_ = k;
      startSize_ = s.topHdgHeights[k];
      startPos_ = y;
      startTotal_ = s.topHdgHeight;
      host_.SetCursor(UG_TOPHEADING, UGCursor::SizeNS);
      return;
    }
    border -= s.topHdgHeights[k];
  }
  if (overBorder_) {
    overBorder_ = false;
    host_.SetCursor(UG_TOPHEADING, UGCursor::Arrow);
  }
}

void UGTopHeadingInput::MouseMove(int x, int y, unsigned flags) {
  CUGGridInfo& s = g_.Sheet();
  lastX_ = x;
  lastY_ = y;
  lastFlags_ = flags;
  if (!(flags & UG_MK_LBUTTON)) {
    DetectBorder(x, y);
    return;
  }
  if (resizing_) {
    if (kind_ == 0) {
      x = std::max(x, startPos_ - startSize_);
      int width = startSize_ - startPos_ + x;
      for (long r = s.topRow; r < s.bottomRow; ++r)
        if (CUGCellType* t = g_.GetCellTypeAt(index_, r)) t->OnColumnResizing(index_, r, &width);
      g_.OnColumnResizing(index_, &width);
      g_.SetColWidth(index_, width);
      if (s.userSizingMode == 1) {
        host_.RefreshPart(UG_TOPHEADING);
        host_.ShowTracker(UGRect{x - 1, 0, x + 1, s.gridHeight});
      } else {
        g_.RedrawAll();
      }
    } else {
      s.topHdgHeights[index_] = std::max(0, startSize_ - startPos_ + y);
      int total = std::max(0, startTotal_ - startPos_ + y);
      if (g_.OnTopHeadingResizing(&total) == 1) {
        s.topHdgHeight = total;
        g_.ArrangeParts();
      }
    }
    return;
  }
  if (dragCol_ < 0 || !s.enableColSwapping) return;
  if (x < 0 || x > s.gridWidth) {
    host_.ShowTracker(UGRect{});
    g_.MoveLeftCol(x < 0 ? UG_COLLEFT : UG_COLRIGHT);
    // Held outside, the heading keeps scrolling.
    host_.StartAutoScroll(UG_TOPHEADING, std::max(10, s.dragScrollDelay));
    return;
  }
  host_.StopAutoScroll();
  int col, row;
  UGRect R;
  if (!HitTest(x, std::clamp(y, 0, std::max(0, s.topHdgHeight - 1)), &col, &row, &R)) return;
  if (col == dragCol_ && dropCol_ < 0) return;
  int drop, at;
  if (x - R.left <= R.Width() / 2) drop = col, at = R.left;
  else drop = col + 1, at = R.right;
  drop = std::min(drop, s.numberCols);
  const bool first = dropCol_ < 0;
  dropCol_ = drop;
  if (first) host_.RefreshPart(UG_TOPHEADING);
  host_.ShowTracker(UGRect{at, 0, at + 2, s.gridHeight});
}

void UGTopHeadingInput::LButtonDown(int x, int y, unsigned flags) {
  host_.FocusCellArea();
  CUGGridInfo& s = g_.Sheet();
  if (overBorder_) {
    resizing_ = true;
  } else {
    int col, row;
    UGRect R;
    UGPoint pt{x, y};
    if (HitTest(x, y, &col, &row, &R)) {
      if (s.enableColSwapping && g_.OnAllowColumnDrag(col)) dragCol_ = col;
      CUGCellType* type = g_.GetCellTypeAt(col, row);
      const int processed = type ? type->OnLeftClick(col, row, 1, &R, &pt) : 0;
      g_.OnTopHeadingLeftClick(col, row, true, &R, &pt, processed != 0);
    }
  }
  host_.Capture(UG_TOPHEADING, true);
}

void UGTopHeadingInput::EndColumnResize() {
  CUGGridInfo& s = g_.Sheet();
  int width = g_.GetColWidth(index_);
  const int before = width;
  for (long r = s.topRow; r < s.bottomRow; ++r)
    if (CUGCellType* t = g_.GetCellTypeAt(index_, r)) t->OnColumnResized(index_, r, &width);
  g_.OnColumnResized(index_, &width);
  if (width != before) g_.SetColWidth(index_, width);
}

void UGTopHeadingInput::LButtonUp(int x, int y, unsigned flags) {
  host_.StopAutoScroll();
  CUGGridInfo& s = g_.Sheet();
  if (resizing_) {
    if (kind_ == 0) EndColumnResize();
    else g_.OnTopHeadingResized(&s.topHdgHeight);
    resizing_ = false;
    host_.ShowTracker(UGRect{});
    g_.ArrangeParts();
    g_.RedrawAll();
  } else {
    int col, row;
    UGRect R;
    UGPoint pt{x, y};
    if (HitTest(x, y, &col, &row, &R)) {
      CUGCellType* type = g_.GetCellTypeAt(col, row);
      const int processed = type ? type->OnLeftClick(col, row, 0, &R, &pt) : 0;
      g_.OnTopHeadingLeftClick(col, row, false, &R, &pt, processed != 0);
    }
    // A drop only follows a drag that reached a place: a plain click moves nothing.
    if (dragCol_ >= 0 && dropCol_ >= 0) {
      const int to = dragCol_ < dropCol_ ? dropCol_ - 1 : dropCol_;
      if (to != dragCol_ && g_.OnAllowColumnDrop(dragCol_, to)) {
        if (g_.MoveColPosition(dragCol_, dropCol_, true) == 0) g_.OnColumnMoved(dragCol_, to);
      }
      dropCol_ = -1;
      g_.RedrawAll();
    }
  }
  dragCol_ = -1;
  dropCol_ = -1;
  host_.ShowTracker(UGRect{});
  host_.Capture(UG_TOPHEADING, false);
}

void UGTopHeadingInput::LButtonDblClk(int x, int y, unsigned flags) {
  CUGGridInfo& s = g_.Sheet();
  if (overBorder_) {
    if (kind_ == 0 && s.colSizeDblClickFit) {
      const int col = index_;
      g_.FitColumnsToContents(col, col, 20, 1);
      DetectBorder(x, y);
      index_ = col;
      EndColumnResize();
      resizing_ = false;
      g_.RedrawAll();
    }
    return;
  }
  int col, row;
  UGRect R;
  UGPoint pt{x, y};
  if (HitTest(x, y, &col, &row, &R)) {
    CUGCellType* type = g_.GetCellTypeAt(col, row);
    const int processed = type ? type->OnDoubleClick(col, row, &R, &pt) : 0;
    g_.OnTopHeadingDoubleClick(col, row, &R, &pt, processed != 0);
  }
}

void UGTopHeadingInput::RButtonDown(int x, int y, unsigned flags) {
  host_.FocusCellArea();
  int col, row;
  UGRect R;
  UGPoint pt{x, y};
  if (HitTest(x, y, &col, &row, &R)) {
    CUGCellType* type = g_.GetCellTypeAt(col, row);
    const int processed = type ? type->OnRightClick(col, row, 1, &R, &pt) : 0;
    g_.OnTopHeadingRightClick(col, row, true, &R, &pt, processed != 0);
  }
  if (g_.Sheet().enablePopupMenu) {
    UGPoint screen = host_.ToScreen(UG_TOPHEADING, pt);
    g_.StartPopupMenu(col, row, &screen, UG_TOPHEADING);
  }
}

void UGTopHeadingInput::RButtonUp(int x, int y, unsigned flags) {
  int col, row;
  UGRect R;
  UGPoint pt{x, y};
  if (HitTest(x, y, &col, &row, &R)) {
    CUGCellType* type = g_.GetCellTypeAt(col, row);
    const int processed = type ? type->OnRightClick(col, row, 0, &R, &pt) : 0;
    g_.OnTopHeadingRightClick(col, row, false, &R, &pt, processed != 0);
  }
}

// ---- side heading ----

bool UGSideHeadingInput::HitTest(int x, int y, int* col, long* row, UGRect* rect) const {
  const CUGGridInfo& s = g_.Sheet();
  *col = -1;
  *row = -1;
  if (x < 0 || y < 0) return false;
  bool foundRow = false, foundCol = false;
  int bottom = 0;
  for (long r = FirstRow(s); r < s.numberRows; r = NextRow(s, r)) {
    const int h = g_.GetRowHeight(r);
    bottom += h;
    if (bottom > y) {
      *row = r;
      rect->top = bottom - h;
      rect->bottom = bottom;
      foundRow = true;
      break;
    }
  }
  const int m = static_cast<int>(s.sideHdgWidths.size());
  int right = 0;
  for (int c = -m; c <= -1; ++c) {
    right += s.sideHdgWidths[-c - 1];
    if (right > x) {
      *col = c;
      rect->left = right - s.sideHdgWidths[-c - 1];
      rect->right = right;
      foundCol = true;
      break;
    }
  }
  if (!foundRow || !foundCol) {
    *col = -1;
    *row = -1;
    return false;
  }
  return true;
}

void UGSideHeadingInput::DetectBorder(int x, int y) {
  const CUGGridInfo& s = g_.Sheet();
  overBorder_ = false;
  if (s.userSizingMode <= 0) return;
  int border = s.sideHdgWidth;
  for (int k = 0; k < static_cast<int>(s.sideHdgWidths.size()); ++k) {
    if (std::abs(x - border) < 3) {
      if (!g_.OnAllowSideHeadingResize()) return;
      overBorder_ = true;
      kind_ = 0;
      index_ = k;
      startSize_ = s.sideHdgWidths[k];
      startPos_ = x;
      startTotal_ = s.sideHdgWidth;
      host_.SetCursor(UG_SIDEHEADING, UGCursor::SizeWE);
      return;
    }
    border -= s.sideHdgWidths[k];
  }
  int sum = 0;
  for (long r = FirstRow(s); r < s.numberRows; r = NextRow(s, r)) {
    sum += g_.GetRowHeight(r);
    if (std::abs(y - sum) < 3) {
      long row = r;
      const long next = NextRow(s, r);
      if (next < s.numberRows && g_.GetRowHeight(next) == 0) row = next;
      if (!g_.OnAllowRowResize(row)) return;
      overBorder_ = true;
      kind_ = 1;
      index_ = row;
      startSize_ = g_.GetRowHeight(row);
      startPos_ = y;
      if (s.uniformRowHeight && s.defRowHeight != 0) rowsAbove_ = y / s.defRowHeight;
      host_.SetCursor(UG_SIDEHEADING, UGCursor::SizeNS);
      return;
    }
    if (sum > s.gridHeight) break;
  }
  host_.SetCursor(UG_SIDEHEADING, UGCursor::Arrow);
}

void UGSideHeadingInput::MouseMove(int x, int y, unsigned flags) {
  CUGGridInfo& s = g_.Sheet();
  if (!(flags & UG_MK_LBUTTON)) {
    DetectBorder(x, y);
    return;
  }
  if (!resizing_) return;
  if (kind_ == 1) {
    int h;
    if (s.uniformRowHeight) {
      h = std::max(y, 1);
      if (rowsAbove_ >= 1) h /= rowsAbove_;
    } else {
      h = startSize_ - startPos_ + y;
    }
    h = std::max(h, 0);
    for (int c = s.leftCol; c < s.rightCol; ++c)
      if (CUGCellType* t = g_.GetCellTypeAt(c, index_)) t->OnRowResizing(c, index_, &h);
    g_.OnRowResizing(index_, &h);
    g_.SetRowHeight(index_, h);
    if (s.userSizingMode == 1) {
      host_.RefreshPart(UG_SIDEHEADING);
      host_.ShowTracker(UGRect{0, y - 1, s.gridWidth, y + 1});
    } else {
      g_.RedrawAll();
    }
  } else {
    s.sideHdgWidths[index_] = std::max(0, startSize_ - startPos_ + x);
    int total = std::max(0, startTotal_ - startPos_ + x);
    g_.OnSideHeadingResizing(&total);
    s.sideHdgWidth = total;
    g_.ArrangeParts();
  }
}

void UGSideHeadingInput::LButtonDown(int x, int y, unsigned flags) {
  host_.FocusCellArea();
  if (overBorder_) {
    resizing_ = true;
    host_.Capture(UG_SIDEHEADING, true);
    return;
  }
  int col;
  long row;
  UGRect R;
  UGPoint pt{x, y};
  if (HitTest(x, y, &col, &row, &R)) {
    CUGCellType* type = g_.GetCellTypeAt(col, row);
    const int processed = type ? type->OnLeftClick(col, row, 1, &R, &pt) : 0;
    g_.OnSideHeadingLeftClick(col, row, true, &R, &pt, processed != 0);
  }
}

void UGSideHeadingInput::LButtonUp(int x, int y, unsigned flags) {
  CUGGridInfo& s = g_.Sheet();
  if (resizing_) {
    resizing_ = false;
    host_.ShowTracker(UGRect{});
    host_.Capture(UG_SIDEHEADING, false);
    if (kind_ == 1) {
      int h = g_.GetRowHeight(index_);
      for (int c = s.leftCol; c < s.rightCol; ++c)
        if (CUGCellType* t = g_.GetCellTypeAt(c, index_)) t->OnRowResized(c, index_, &h);
      g_.OnRowResized(index_, &h);
      g_.SetRowHeight(index_, h);
    } else {
      g_.OnSideHeadingResized(&s.sideHdgWidth);
    }
    g_.ArrangeParts();
    g_.RedrawAll();
    return;
  }
  int col;
  long row;
  UGRect R;
  UGPoint pt{x, y};
  if (HitTest(x, y, &col, &row, &R)) {
    CUGCellType* type = g_.GetCellTypeAt(col, row);
    const int processed = type ? type->OnLeftClick(col, row, 0, &R, &pt) : 0;
    g_.OnSideHeadingLeftClick(col, row, false, &R, &pt, processed != 0);
  }
}

void UGSideHeadingInput::LButtonDblClk(int x, int y, unsigned flags) {
  int col;
  long row;
  UGRect R;
  UGPoint pt{x, y};
  if (HitTest(x, y, &col, &row, &R)) {
    CUGCellType* type = g_.GetCellTypeAt(col, row);
    const int processed = type ? type->OnDoubleClick(col, row, &R, &pt) : 0;
    g_.OnSideHeadingDoubleClick(col, row, &R, &pt, processed != 0);
  }
}

void UGSideHeadingInput::RButtonDown(int x, int y, unsigned flags) {
  host_.FocusCellArea();
  int col;
  long row;
  UGRect R;
  UGPoint pt{x, y};
  if (HitTest(x, y, &col, &row, &R)) {
    CUGCellType* type = g_.GetCellTypeAt(col, row);
    const int processed = type ? type->OnRightClick(col, row, 1, &R, &pt) : 0;
    g_.OnSideHeadingRightClick(col, row, true, &R, &pt, processed != 0);
  }
  if (g_.Sheet().enablePopupMenu) {
    UGPoint screen = host_.ToScreen(UG_SIDEHEADING, pt);
    g_.StartPopupMenu(col, row, &screen, UG_SIDEHEADING);
  }
}

void UGSideHeadingInput::RButtonUp(int x, int y, unsigned flags) {
  int col;
  long row;
  UGRect R;
  UGPoint pt{x, y};
  if (HitTest(x, y, &col, &row, &R)) {
    CUGCellType* type = g_.GetCellTypeAt(col, row);
    const int processed = type ? type->OnRightClick(col, row, 0, &R, &pt) : 0;
    g_.OnSideHeadingRightClick(col, row, false, &R, &pt, processed != 0);
  }
}

// ---- corner ----

void UGCornerInput::MouseMove(int x, int y, unsigned flags, int clientWidth, int clientHeight) {
  if (resizing_ && (flags & UG_MK_LBUTTON)) {
    if (heightEdge_) {
      int h = std::max(y, 0);
      g_.OnTopHeadingResizing(&h);
      g_.SetTopHeadingHeight(h);
    } else if (widthEdge_) {
      int w = std::max(x, 0);
      g_.OnSideHeadingResizing(&w);
      g_.SetSideHeadingWidth(w);
    }
    g_.ArrangeParts();
    return;
  }
  if (flags & UG_MK_LBUTTON) return;
  overEdge_ = heightEdge_ = widthEdge_ = false;
  if (x > clientWidth - 4 && g_.OnAllowSideHeadingResize()) {
    overEdge_ = widthEdge_ = true;
    host_.SetCursor(UG_CORNERBUTTON, UGCursor::SizeWE);
  } else if (y > clientHeight - 4 && g_.OnAllowTopHeadingResize()) {
    overEdge_ = heightEdge_ = true;
    host_.SetCursor(UG_CORNERBUTTON, UGCursor::SizeNS);
  } else {
    host_.SetCursor(UG_CORNERBUTTON, UGCursor::Arrow);
  }
}

void UGCornerInput::LButtonDown(int x, int y, unsigned flags) {
  host_.FocusCellArea();
  if (overEdge_) {
    resizing_ = true;
    host_.Capture(UG_CORNERBUTTON, true);
  }
  UGRect r = g_.Sheet().rects[3];
  UGPoint pt{x, y};
  g_.OnCornerLeftClick(true, &r, &pt, resizing_);
}

void UGCornerInput::LButtonUp(int x, int y, unsigned flags) {
  const bool ended = resizing_;
  if (resizing_) {
    resizing_ = false;
    host_.Capture(UG_CORNERBUTTON, false);
    if (heightEdge_) g_.OnTopHeadingResized(&g_.Sheet().topHdgHeight);
    else if (widthEdge_) g_.OnSideHeadingResized(&g_.Sheet().sideHdgWidth);
  }
  UGRect r = g_.Sheet().rects[3];
  UGPoint pt{x, y};
  g_.OnCornerLeftClick(false, &r, &pt, ended);
}

void UGCornerInput::LButtonDblClk(int x, int y, unsigned flags) {
  UGRect r = g_.Sheet().rects[3];
  UGPoint pt{x, y};
  g_.OnCornerDoubleClick(&r, &pt, false);
}

void UGCornerInput::RButtonDown(int x, int y, unsigned flags) {
  host_.FocusCellArea();
  UGRect r = g_.Sheet().rects[3];
  UGPoint pt{x, y};
  g_.OnCornerRightClick(true, &r, &pt, false);
  if (g_.Sheet().enablePopupMenu) {
    UGPoint screen = host_.ToScreen(UG_CORNERBUTTON, pt);
    g_.StartPopupMenu(-1, -1, &screen, UG_CORNERBUTTON);
  }
}

void UGCornerInput::RButtonUp(int x, int y, unsigned flags) {
  UGRect r = g_.Sheet().rects[3];
  UGPoint pt{x, y};
  g_.OnCornerRightClick(false, &r, &pt, false);
}

}  // namespace gridmodel
