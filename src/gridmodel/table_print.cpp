#include "gridmodel/table_print.h"


#include <algorithm>
#include <cstdio>
#include <ctime>

#include "gridmodel/painter_cairo.h"
#include "gridmodel/painter_pdf.h"
#include "gridmodel/table_grid.h"

namespace gridmodel {

namespace {
constexpr Colour kBlack = Colour::Rgb(0, 0, 0);
constexpr const char* kAlphabet = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ";

// Splits sizes from first on into runs that fit in room; an item larger than the room gets
// a run of its own.
void Bands(const std::vector<int>& sizes, int first, int room, std::vector<int>& starts, std::vector<int>& ends) {
  starts.clear();
  ends.clear();
  int n = static_cast<int>(sizes.size());
  if (first >= n) {
    starts.push_back(first);
    ends.push_back(first);
    return;
  }
  int start = first, sum = 0;
  for (int i = first; i < n; ++i) {
    int s = std::max(0, sizes[static_cast<std::size_t>(i)]);
    if (i > start && sum + s > room) {
      starts.push_back(start);
      ends.push_back(i);
      start = i;
      sum = 0;
    }
    sum += s;
  }
  starts.push_back(start);
  ends.push_back(n);
}
}  // namespace

FontDesc PrinterFont() {
  FontDesc f;
  f.face = "Arial";
  f.size = 8;  // about ten units high, as the page's lines are measured
  return f;
}

Size MeasurePrintCharSize(Painter& p) {
  FontDesc saved = p.Font();
  p.SetFont(PrinterFont());
  Size s = p.TextExtent(kAlphabet);
  p.SetFont(saved);
  s.cx /= 52;
  return s;
}

bool ComputePrintLayout(const CGridCtrl& grid, const PrintSetup& setup, PrintLayout& layout, std::string& error) {
  if (setup.paper.cx <= 0 || setup.paper.cy <= 0) {
    error = "the printer reports a page without size";
    return false;
  }
  if (setup.charSize.cx <= 0 || setup.charSize.cy <= 0) {
    error = "the printer font has no size";
    return false;
  }
  int header, footer, left, right, top, bottom, gap;
  grid.GetPrintMargins(header, footer, left, right, top, bottom, gap);
  layout = PrintLayout{};
  layout.paper = setup.paper;
  layout.charSize = setup.charSize;
  const Size cs = setup.charSize;
  if (grid.GetWysiwygPrinting()) {
    if (setup.printerDpiX <= 0 || setup.printerDpiY <= 0) {
      error = "the printer reports no resolution";
      return false;
    }
    layout.logicalPage.cx = static_cast<int>(static_cast<long long>(setup.paper.cx) * setup.screenDpiX / setup.printerDpiX * 3 / 4);
    layout.logicalPage.cy = static_cast<int>(static_cast<long long>(setup.paper.cy) * setup.screenDpiY / setup.printerDpiY * 3 / 4);
  } else {
    layout.logicalPage.cx = grid.GetVirtualWidth() + (left + right) * cs.cx;
    layout.logicalPage.cy = static_cast<int>(static_cast<long long>(layout.logicalPage.cx) * setup.paper.cy / setup.paper.cx);
  }
  if (layout.logicalPage.cx <= 0 || layout.logicalPage.cy <= 0) {
    error = "the page has no room";
    return false;
  }
  layout.bodyHeight = layout.logicalPage.cy - (header + footer + 2 * gap) * cs.cy - grid.GetFixedRowHeight();
  layout.bodyWidth = layout.logicalPage.cx - grid.GetFixedColumnWidth() - (left + right) * cs.cx;
  Bands(grid.RowHeights(), grid.GetFixedRowCount(), layout.bodyHeight, layout.bandRows, layout.bandEnds);
  if (grid.GetWysiwygPrinting()) {
    Bands(grid.ColumnWidths(), grid.GetFixedColumnCount(), layout.bodyWidth, layout.pageCols, layout.pageColEnds);
  } else {
    layout.pageCols = {grid.GetFixedColumnCount()};
    layout.pageColEnds = {grid.GetColumnCount()};
  }
  layout.columnPages = static_cast<int>(layout.pageCols.size());
  layout.pageCount = static_cast<int>(layout.bandRows.size()) * layout.columnPages;
  return true;
}

namespace {

struct PageDrawer {
  CGridCtrl& grid;
  Painter& p;
  const PrintLayout& layout;
  int gridLines;
  Colour pen = Colour::Rgb(0, 0, 0);

  // Grid lines around one printed cell; the first row and column of a block get their
  // top and left edge too.
  void Lines(const Rect& r, bool firstRow, bool firstCol) {
    if (gridLines == 1 || gridLines == 3) {
      p.Line(r.left - (firstCol ? 0 : 1), r.bottom, r.right + 1, r.bottom, pen);
      if (firstRow) p.Line(r.left, r.top, r.right + 1, r.top, pen);
    }
    if (gridLines == 2 || gridLines == 3) {
      p.Line(r.right, r.top - (firstRow ? 0 : 1), r.right, r.bottom + 1, pen);
      if (firstCol) p.Line(r.left, r.top, r.left, r.bottom + 1, pen);
    }
  }

  // Prints rows [r0, r1) by columns [c0, c1) from (x, y) in logical units, clipped to maxBottom.
  void Block(int r0, int r1, int c0, int c1, int x, int y, int maxBottom, int maxRight) {
    int top = y;
    for (int r = r0; r < r1; ++r) {
      int h = grid.GetRowHeight(r);
      if (h <= 0) continue;
      int bottom = std::min(top + h - 1, maxBottom);
      int left = x;
      for (int c = c0; c < c1; ++c) {
        int w = grid.GetColumnWidth(c);
        if (w <= 0) continue;
        int right = std::min(left + w - 1, maxRight);
        if (right < left) break;
        Rect rect{left, top, right, bottom};
        p.PushClip(Rect{left, top, right + 1, bottom + 1});
        if (CGridCellBase* cell = grid.GetCell(r, c)) cell->PrintCell(p, r, c, rect);
        p.PopClip();
        Lines(rect, r == r0, c == c0);
        left += w;
        if (left > maxRight) break;
      }
      top += h;
      if (top > maxBottom) break;
    }
  }
};

}  // namespace

void PrintPage(CGridCtrl& grid, Painter& p, const PrintLayout& layout, int page, const PrintTexts& texts) {
  if (page < 1 || page > layout.pageCount) return;
  int header, footer, left, right, top, bottom, gap;
  grid.GetPrintMargins(header, footer, left, right, top, bottom, gap);
  const Size cs = layout.charSize;
  const double sx = static_cast<double>(layout.paper.cx) / layout.logicalPage.cx;
  const double sy = static_cast<double>(layout.paper.cy) / layout.logicalPage.cy;
  const int ox = left * cs.cx;  // logical x of the page's left margin
  p.SetTransform(sx, sy, ox * sx, 0);
  FontDesc saved = p.Font();
  FontDesc font = PrinterFont();
  FontDesc bold = font;
  bold.weight = 700;
  const int width = layout.logicalPage.cx - (left + right) * cs.cx;

  // Header: the window's title centred, the program's on the right, a rule below.
  Rect headerRect{0, 0, width, header * cs.cy};
  p.SetFont(bold);
  if (!texts.windowTitle.empty())
    p.DrawText(texts.windowTitle, headerRect, kAlignCenter | kAlignVCenter | kSingleLine | kNoPrefix, kBlack);
  if (!texts.appTitle.empty())
    p.DrawText(texts.appTitle, headerRect, kAlignRight | kAlignVCenter | kSingleLine | kNoPrefix, kBlack);
  p.Line(headerRect.left, headerRect.bottom - 1, headerRect.right, headerRect.bottom - 1, kBlack);
  p.SetFont(font);

  // Which band of rows and which page across: pages run across first, then down.
  const int k = layout.columnPages;
  const int band = (page - 1) / k;
  const int across = (page - 1) % k;
  const int r0 = layout.bandRows[static_cast<std::size_t>(band)];
  const int r1 = layout.bandEnds[static_cast<std::size_t>(band)];
  const int c0 = layout.pageCols[static_cast<std::size_t>(across)];
  const int c1 = layout.pageColEnds[static_cast<std::size_t>(across)];

  const int fixedW = grid.GetFixedColumnWidth(), fixedH = grid.GetFixedRowHeight();
  const int headingsTop = (header + gap) * cs.cy;
  const int bodyTop = headingsTop + fixedH;
  const int bodyBottom = bodyTop + std::max(layout.bodyHeight, 1) - 1;
  const int bodyRight = fixedW + std::max(layout.bodyWidth, 1) - 1;
  PageDrawer d{grid, p, layout, grid.GetGridLines()};
  const int fixedRows = grid.GetFixedRowCount(), fixedCols = grid.GetFixedColumnCount();
  // Column headings (the fixed rows), with the corner on the first page across only.
  if (across == 0) d.Block(0, fixedRows, 0, fixedCols, 0, headingsTop, bodyTop - 1, fixedW - 1);
  d.Block(0, fixedRows, c0, c1, fixedW, headingsTop, bodyTop - 1, bodyRight);
  // Row headings (the fixed columns) and the body.
  if (r0 < r1) {
    d.Block(r0, r1, 0, fixedCols, 0, bodyTop, bodyBottom, fixedW - 1);
    d.Block(r0, r1, c0, c1, fixedW, bodyTop, bodyBottom, bodyRight);
  }

  // Footer on every page: "Page n of m" left, the time right, a rule above.
  Rect footerRect{0, layout.logicalPage.cy - footer * cs.cy, width, layout.logicalPage.cy};
  p.Line(footerRect.left, footerRect.top, footerRect.right, footerRect.top, kBlack);
  p.SetFont(bold);
  char pageText[64];
  std::snprintf(pageText, sizeof pageText, "Page %d of %d", page, layout.pageCount);
  p.DrawText(pageText, footerRect, kAlignLeft | kAlignVCenter | kSingleLine | kNoPrefix, kBlack);
  if (!texts.dateTime.empty())
    p.DrawText(texts.dateTime, footerRect, kAlignRight | kAlignVCenter | kSingleLine | kNoPrefix, kBlack);
  p.SetFont(saved);
  p.SetTransform(1, 1, 0, 0);
}

std::string PrintDateTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[128];
  std::strftime(buf, sizeof buf, "%c", &local);
  return buf;
}

bool PrintToPdf(CGridCtrl& grid, const std::string& path, Size paperPoints, const PrintTexts& texts, std::string& error) {
  PrintSetup setup;
  setup.paper = paperPoints;
  {
    CairoPainter measurer;
    setup.charSize = MeasurePrintCharSize(measurer);
  }
  PrintLayout layout;
  if (!ComputePrintLayout(grid, setup, layout, error)) return false;
  return WritePdfPages(path, paperPoints, layout.pageCount,
                       [&](Painter& painter, int page) { PrintPage(grid, painter, layout, page, texts); }, error);
}

}  // namespace gridmodel
