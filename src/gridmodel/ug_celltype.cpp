// The normal cell type: background, border, text (aligned, wrapped, cut with an ellipsis,
// running on into empty neighbours) and the scaled drawing of printing.
#include <algorithm>
#include <cmath>

#include "gridmodel/painter.h"
#include "platform/image.h"
#include "gridmodel/ug_celltypes.h"
#include "gridmodel/ug_ctrl.h"

namespace gridmodel {

namespace {
Rect ToRect(const UGRect& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

// Selects a cell's font (else the grid's default) and puts the previous one back.
class FontScope {
 public:
  FontScope(Painter* dc, CUGCtrl* g, int index, bool fixed = false) : dc_(dc), old_(dc->Font()) {
    if (fixed) return;
    const int use = index >= 0 ? index : (g ? g->GetDefaultFont() : -1);
    if (const FontDesc* f = g && use >= 0 ? g->GetFont(use) : nullptr) {
      dc_->SetFont(*f);
      changed_ = true;
    }
  }
  ~FontScope() {
    if (changed_) dc_->SetFont(old_);
  }

 private:
  Painter* dc_;
  FontDesc old_;
  bool changed_ = false;
};

// Greedy word wrap at spaces; a word wider than the width stands alone on its line.
std::vector<std::string> Wrap(Painter* dc, const std::string& text, int width) {
  std::vector<std::string> out;
  for (const std::string& para : SplitLines(text)) {
    std::string line;
    std::size_t i = 0;
    bool any = false;
    while (i <= para.size()) {
      std::size_t sp = para.find(' ', i);
      std::string word = para.substr(i, sp == std::string::npos ? std::string::npos : sp - i);
      std::string trial = line.empty() ? word : line + " " + word;
      if (!line.empty() && dc->TextExtent(trial).cx > width) {
        out.push_back(line);
        line = word;
      } else {
        line = trial;
      }
      any = true;
      if (sp == std::string::npos) break;
      i = sp + 1;
    }
    if (any) out.push_back(line);
  }
  return out;
}
}  // namespace

bool CUGCellType::CanOverflow(const CUGCell* cell) const {
  if (!cell) return false;
  if (cell->GetCellTypeParam() != 0 || cell->HasProperty(UGCELL_JOIN_SET)) return false;
  // A cell without an alignment of its own is drawn left-aligned, and runs on like one.
  if (cell->HasProperty(UGCELL_ALIGNMENT_SET) && !(cell->GetAlignment() & 0x1)) return false;
  return canOverflow_;
}

int CUGCellType::SendNotification(int msg, int col, long row, long param) {
  return grid_ ? grid_->OnCellTypeEvent(id_, col, row, msg, param) : 0;
}

void CUGCellType::OnDraw(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected, int current) {
  if (dc->IsPrinting()) {
    OnDrawForPrinter(dc, rect, col, row, cell, selected, current);
    return;
  }
  CUGCtrl* g = grid_;
  if (g && g->Sheet().enableCellOverflow && col >= 0 && row >= 0 && CanOverflow(cell)) {
    // A cell with a value never shows a neighbour's text, whether text or number.
    if (cell->HasValue()) {
      g->CellAreaHints().AddCell(col + 1, row);
    } else {
      int from = -1;
      CUGCell scratch;
      const int offset = GetOverflowOffset(dc, col, row, &from, &scratch);
      if (offset != 0) {
        UGRect inner;
        DrawBorder(dc, rect, &inner, cell);
        DrawText(dc, &inner, offset, col, row, &scratch, selected, current);
        g->CellAreaHints().AddCell(col + 1, row);
        return;
      }
    }
  }
  UGRect inner;
  DrawBorder(dc, rect, &inner, cell);
  DrawText(dc, &inner, 0, col, row, cell, selected, current);
}

int CUGCellType::GetOverflowOffset(Painter* dc, int col, long row, int* fromCol, CUGCell* scratch) {
  CUGCtrl* g = grid_;
  if (!g || !g->Sheet().enableCellOverflow || col <= 0) return 0;
  // The nearest cell to the left with a value, whatever its kind: it alone may run on here.
  int c = col - 1;
  for (; c >= 0; --c) {
    g->GetCell(c, row, scratch);
    if (scratch->HasValue()) break;
  }
  if (c < 0) return 0;
  CUGCellType* type = g->GetCellType(scratch->GetCellType());
  if (!type->CanOverflow(scratch)) return 0;
  const char* text = scratch->GetText();
  if (!text) return 0;
  int width = 0;
  {
    FontScope font(dc, g, scratch->GetFont(), fontFixed_);
    width = dc->TextExtent(text).cx + g->Sheet().margin;
  }
  if (width <= g->GetColWidth(c)) return 0;
  long sum = 0;
  int k = c;
  while (k < col && width >= sum) sum += g->GetColWidth(k++);
  if (k != col) return 0;
  *fromCol = c;
  return -static_cast<int>(std::lround(sum * (dc->IsPrinting() ? scale_ : 1.0)));
}

void CUGCellType::DrawBackground(Painter* dc, UGRect* rect, Colour back, long row, int col, CUGCell* cell,
                                 int current, int selected) {
  dc->FillRect(ToRect(*rect), back);
}

void CUGCellType::DrawBorder(Painter* dc, UGRect* rect, UGRect* inner, CUGCell* cell) {
  CUGCtrl* g = grid_;
  const short style = cell ? cell->GetBorderStyle() : 0;
  const bool gridLines = g && g->Sheet().drawGridLines && !(style & 0x3000);
  *inner = *rect;
  if (style == 0 && !gridLines) return;
  const Colour gridPen = g ? g->Sheet().gridLineColour : Colour::Rgb(220, 220, 220);
  const UGPen* pen = cell ? cell->GetBorderPen() : nullptr;
  const Colour own = pen ? pen->colour : gridPen;
  const UGRect r = *rect;
  int li = 0, ti = 0, ri = 0, bi = 0;
  auto vline = [&](int x, Colour c) { dc->FillRect(Rect{x, r.top, x + 1, r.bottom}, c); };
  auto hline = [&](int y, Colour c) { dc->FillRect(Rect{r.left, y, r.right, y + 1}, c); };
  if ((style & 0xF) || gridLines) {
    if (style & 0x1) vline(r.left, own), li = 1;
    if (style & 0x2) hline(r.top, own), ti = 1;
    if (style & 0x4) vline(r.right - 1, own), ri = 1;
    else if (gridLines) vline(r.right - 1, gridPen), ri = 1;
    if (style & 0x8) hline(r.bottom - 1, own), bi = 1;
    else if (gridLines) hline(r.bottom - 1, gridPen), bi = 1;
  }
  for (int w : {2, 3}) {
    const int shift = w == 2 ? 4 : 8;
    if (!(style & (0xF << shift))) continue;
    for (int i = 0; i < w; ++i) {
      if (style & (0x1 << shift)) vline(r.left + i, own);
      if (style & (0x2 << shift)) hline(r.top + i, own);
      if (style & (0x4 << shift)) vline(r.right - 1 - i, own);
      if (style & (0x8 << shift)) hline(r.bottom - 1 - i, own);
    }
    if (style & (0x1 << shift)) li = w;
    if (style & (0x2 << shift)) ti = w;
    if (style & (0x4 << shift)) ri = w;
    if (style & (0x8 << shift)) bi = w;
  }
  if (style & 0x3000) {
    const int depth = g ? g->Sheet().border3DDepth : 1;
    DrawFrame3D(dc, r, (style & 0x2000) != 0, depth);
    li = ti = ri = bi = depth;
  }
  *inner = UGRect{r.left + li, r.top + ti, r.right - ri, r.bottom - bi};
}

void DrawFrame3D(Painter* dc, const UGRect& r0, bool raised, int depth) {
  const Colour light = Colour::System(SysColour::ButtonHighlight);
  const Colour dark = Colour::System(SysColour::ButtonShadow);
  const Colour tl = raised ? light : dark, br = raised ? dark : light;
  UGRect r = r0;
  for (int i = 0; i < depth && r.Width() > 1 && r.Height() > 1; ++i) {
    dc->FillRect(Rect{r.left, r.top, r.right, r.top + 1}, tl);
    dc->FillRect(Rect{r.left, r.top, r.left + 1, r.bottom}, tl);
    dc->FillRect(Rect{r.left, r.bottom - 1, r.right, r.bottom}, br);
    dc->FillRect(Rect{r.right - 1, r.top, r.right, r.bottom}, br);
    r = UGRect{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
}

int CUGCellType::DrawBitmap(Painter* dc, int bitmapIndex, UGRect* rect, Colour back) {
  const platform::Image* bmp = grid_ ? grid_->GetBitmap(bitmapIndex) : nullptr;
  if (!bmp || bmp->IsEmpty()) return 0;
  const double scale = dc->IsPrinting() ? scale_ : 1.0;
  const int m = static_cast<int>(2 * scale);
  int w = static_cast<int>(bmp->Width() * scale), h = static_cast<int>(bmp->Height() * scale);
  const int space = rect->Height() - 2 * m;
  const bool shrunk = h > space;
  if (shrunk) {
    // As high as the row less 4 pixels, as wide as the aspect keeps it.
    const int target = std::max(0, rect->Height() - 4);
    w = h > 0 ? w * (target * 100 / h) / 100 : 0;
    h = target;
  }
  w = std::min(w, rect->Width() - 2 * m);
  if (w <= 0 || h <= 0) return 0;
  dc->FillRect(Rect{rect->left, rect->top, rect->left + 2 * m + w, rect->bottom}, back);
  const int top = shrunk ? rect->top + m : rect->top + (rect->Height() - h) / 2;
  dc->DrawImage(*bmp, Rect{rect->left + m, top, rect->left + m + w, top + h});
  return w + 2 * m;
}

void CUGCellType::DrawText(Painter* dc, UGRect* rect, int offset, int col, long row, CUGCell* cell, int selected,
                           int current) {
  CUGCtrl* g = grid_;
  const long param = cell->GetCellTypeParam();
  std::string text;
  if (drawLabelText_ || (param & 0x8)) {
    if (const char* l = cell->GetLabelText()) text = l;
  } else if (cell->HasValue()) {
    if (const char* t = cell->GetText()) text = t;
  }
  FontScope font(dc, g, cell->GetFont(), fontFixed_);
  Colour fore, back;
  const bool highlight = selected || (current && g && (g->Sheet().currentCellMode & 0x2));
  if (param & 0x4000) {
    fore = Colour::Rgb(0x8C, 0x8C, 0x8C);
    back = cell->GetBackColor();
  } else if (highlight) {
    fore = cell->GetHighlightTextColor();
    back = cell->GetHighlightBackColor();
  } else {
    fore = cell->GetTextColor();
    back = cell->GetBackColor();
  }
  UGRect cellRect = *rect;
  DrawBackground(dc, &cellRect, back, row, col, cell, current, selected);
  int left = rect->left + offset;
  if (cell->GetBitmap() >= 0) left += DrawBitmap(dc, cell->GetBitmap(), rect, back);
  if (text.empty()) return;
  const int margin = g ? static_cast<int>(std::lround(g->Sheet().margin * (dc->IsPrinting() ? scale_ : 1.0))) : 4;
  const short align = cell->GetAlignment();
  Rect clip = ToRect(*rect);
  if (offset < 0) clip.left = rect->left - 1;
  if (clip.IsEmpty()) return;
  dc->PushClip(clip);
  if (param & 0x2) {
    // Word-wrapped, laid out line by line.
    const Rect box{left + margin, rect->top, rect->right - margin, rect->bottom};
    const std::vector<std::string> lines = Wrap(dc, text, std::max(1, box.Width()));
    const int lh = dc->TextExtent("Xg").cy;
    const int total = lh * static_cast<int>(lines.size());
    int y = rect->top + 1;
    if (align & 0x20) y = rect->top + (rect->Height() - total) / 2;
    else if (align & 0x10) y = rect->bottom - total - 1;
    for (const std::string& line : lines) {
      const int w = dc->TextExtent(line).cx;
      int x = box.left;
      if (align & 0x4) x = box.left + (box.Width() - w) / 2;
      else if (align & 0x2) x = box.right - w;
      dc->TextAt(x, y, line, fore);
      y += lh;
    }
  } else {
    const Size ext = dc->TextExtent(text);
    int y = rect->top + 1;
    if (align & 0x20) y = rect->top + (rect->Height() - ext.cy) / 2;
    else if (align & 0x10) y = rect->bottom - ext.cy - 1;
    if (param & 0x4) {
      dc->DrawText(text, Rect{left + 3, y, rect->right, rect->bottom}, kSingleLine | kEndEllipsis | kNoPrefix, fore);
    } else {
      int x = left + margin;
      if (align & 0x4) x = rect->left + (rect->Width() - ext.cx) / 2;
      else if (align & 0x2) x = rect->right - margin - ext.cx;
      dc->TextAt(x, y, text, fore);
    }
  }
  dc->PopClip();
}

void CUGCellType::OnDrawForPrinter(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell, int selected,
                                   int current) {
  CUGCtrl* g = grid_;
  const bool overflow = g && g->Sheet().enableCellOverflow && CanOverflow(cell);
  UGRect r = *rect;
  if (overflow && !cell->HasValue()) {
    // An empty cell under a neighbour's running text prints nothing: the text's own cell
    // prints the whole run.
    int from = -1;
    CUGCell scratch;
    if (GetOverflowOffset(dc, col, row, &from, &scratch) != 0) return;
  }
  if (overflow && cell->HasValue() && g) {
    const char* t = cell->GetText();
    FontScope font(dc, g, cell->GetFont(), fontFixed_);
    const int need = (t ? dc->TextExtent(t).cx : 0) + static_cast<int>(g->Sheet().margin * scale_);
    int width = r.Width();
    for (int c = col + 1; c < g->GetColCount() && need > width; ++c) {
      CUGCell next;
      g->GetCell(c, row, &next);
      if (next.HasValue()) break;
      width += static_cast<int>(g->GetColWidth(c) * scale_);
    }
    r.right = r.left + width;
  }
  UGRect inner;
  DrawBorder(dc, &r, &inner, cell);
  DrawText(dc, &inner, 0, col, row, cell, selected, current);
}

void CUGCellType::DrawScaled(Painter* dc, UGRect* rect, int col, long row, CUGCell* cell) {
  CUGCtrl* g = grid_;
  int rowHeight = 20;
  if (g) rowHeight = row < 0 ? g->Sheet().topHdgHeights[std::min<std::size_t>(-row - 1, g->Sheet().topHdgHeights.size() - 1)]
                             : g->GetRowHeight(row);
  if (rowHeight <= 0) rowHeight = 1;
  double scale = static_cast<double>(rect->Height()) / rowHeight;
  if (col < 0 && row < 0 && g) scale /= std::max(1, g->GetTopHeadingRowCount());
  scale_ = scale;
  const FontDesc old = dc->Font();
  const int index = cell->GetFont() >= 0 ? cell->GetFont() : (g ? g->GetDefaultFont() : -1);
  FontDesc f = (g && index >= 0 && g->GetFont(index)) ? *g->GetFont(index) : old;
  if (f.size <= 0) f.size = 9;
  f.size = std::max(1, static_cast<int>(std::lround(f.size * scale)));
  dc->SetFont(f);
  // The cell draws with the scaled font as its own.
  CUGCell drawn(*cell);
  drawn.ClearPropertyFlag(UGCELL_FONT_SET);
  fontFixed_ = true;
  OnDraw(dc, rect, col, row, &drawn, 0, 0);
  fontFixed_ = false;
  dc->SetFont(old);
}

}  // namespace gridmodel
