#include "gridmodel/ug_print.h"

#include <algorithm>

#include "gridmodel/painter_pdf.h"

namespace gridmodel {

int CUGGridPrinter::SetOption(int code, int value) {
  switch (code) {
    case kTopHeading: topHeading_ = value; break;
    case kSideHeading: sideHeading_ = value; break;
    case kLeftMargin: case kTopMargin: case kRightMargin: case kBottomMargin: margins_[code - 3] = value; break;
    case kFrame: frame_ = value != 0; break;
    default: break;
  }
  return 0;
}

int CUGGridPrinter::GetOption(int code, int* value) const {
  switch (code) {
    case kTopHeading: *value = topHeading_; return 0;
    case kSideHeading: *value = sideHeading_; return 0;
    case kLeftMargin: case kTopMargin: case kRightMargin: case kBottomMargin: *value = margins_[code - 3]; return 0;
    case kFrame: *value = frame_; return 0;
    default: *value = 0; return 1;
  }
}

int CUGGridPrinter::SetScale(int percent) {
  if (percent < 1 || percent > 5000) return 1;
  scale_ = percent;
  return 0;
}

int CUGGridPrinter::LayoutPages(const UGPrintDevice& d, int startCol, long startRow, int endCol, long endRow) {
  pages_.clear();
  colPages_ = rowPages_ = 0;
  preview_ = d.preview;
  const CUGGridInfo& s = grid_.Sheet();
  const int pw = d.horzSize - margins_[0] - margins_[2], ph = d.vertSize - margins_[1] - margins_[3];
  const int W = static_cast<int>(pw * 3.79), H = static_cast<int>(ph * 3.78);
  if (d.horzSize <= 0 || d.vertSize <= 0 || d.horzRes <= 0 || d.vertRes <= 0 || W <= 0 || H <= 0) return 0;
  const float ppmX = static_cast<float>(d.horzRes) / d.horzSize, ppmY = static_cast<float>(d.vertRes) / d.vertSize;
  hScale_ = ppmX * pw / W;
  vScale_ = ppmY * ph / H;
  left_ = static_cast<int>(margins_[0] * ppmX);
  top_ = static_cast<int>(margins_[1] * ppmY);
  right_ = static_cast<int>(d.horzRes - margins_[2] * ppmX);
  bottom_ = static_cast<int>(d.vertRes - margins_[3] * ppmY);
  pageWidth_ = d.horzRes;
  pageHeight_ = d.vertRes;
  divisor_ = 1;
  if (!preview_) {
    // About 450 logical units a page; a printer narrower than that keeps its own pixels.
    divisor_ = std::max(1, d.horzRes / 450);
    hScale_ /= divisor_;
    vScale_ /= divisor_;
    left_ /= divisor_;
    top_ /= divisor_;
    right_ /= divisor_;
    bottom_ /= divisor_;
    pageWidth_ /= divisor_;
    pageHeight_ /= divisor_;
  }
  struct Band {
    long first, last;
  };
  auto split = [](long first, long last, int start, int limit, auto size) {
    std::vector<Band> bands;
    long bandStart = first;
    long sum = start;
    for (long i = first; i <= last; ++i) {
      sum += size(i);
      if (sum > limit) {
        if (size(i) < limit && i > bandStart) {
          bands.push_back({bandStart, i - 1});
          bandStart = i;
          sum = start + size(i);
        } else {
          bands.push_back({bandStart, i});
          bandStart = i + 1;
          sum = start;
        }
      }
    }
    if (sum > start || bands.empty() || bandStart <= last) bands.push_back({bandStart, std::max(bandStart, last)});
    return bands;
  };
  const std::vector<Band> cols = split(startCol, endCol, sideHeading_ ? s.sideHdgWidth : 0, W,
                                       [&](long c) { return static_cast<long>(grid_.GetColWidth(static_cast<int>(c))); });
  const std::vector<Band> rows = split(startRow, endRow, topHeading_ ? s.topHdgHeight : 0, H,
                                       [&](long r) { return static_cast<long>(grid_.GetRowHeight(r)); });
  colPages_ = static_cast<int>(cols.size());
  rowPages_ = static_cast<int>(rows.size());
  for (int rb = 0; rb < rowPages_; ++rb)
    for (int cb = 0; cb < colPages_; ++cb)
      pages_.push_back({rb * colPages_ + cb + 1, static_cast<int>(cols[cb].first), static_cast<int>(cols[cb].last),
                        rows[rb].first, rows[rb].last});
  return colPages_ * rowPages_;
}

void CUGGridPrinter::DrawCell(Painter& p, UGRect rect, int col, long row) {
  if (col < 0 && row < 0) {
    const CUGGridInfo& s = grid_.Sheet();
    rect = UGRect{left_, top_, left_ + static_cast<int>(s.sideHdgWidth * hScale_),
                  top_ + static_cast<int>(s.topHdgHeight * vScale_) - 1};
    col = row = -1;
  }
  CUGCell cell;
  grid_.GetCell(col, row, &cell);
  CUGCellType* type = grid_.GetCellType(cell.HasProperty(UGCELL_CELLTYPE_SET) ? cell.GetCellType() : 0);
  p.PushClip(Rect{rect.left, rect.top, rect.right, rect.bottom});
  const double old = type->Scale();
  type->DrawScaled(&p, &rect, col, row, &cell);
  type->SetScale(old);
  p.PopClip();
}

int CUGGridPrinter::DrawPage(Painter& p, int page) {
  auto it = std::find_if(pages_.begin(), pages_.end(), [&](const Page& e) { return e.number == page; });
  if (it == pages_.end()) return 1;
  if (!preview_) p.SetTransform(divisor_, divisor_, 0, 0);
  const CUGGridInfo& s = grid_.Sheet();
  const int nTop = static_cast<int>(s.topHdgHeights.size()), nSide = static_cast<int>(s.sideHdgWidths.size());
  std::vector<long> rows;
  if (topHeading_)
    for (long r = -nTop; r <= -1; ++r) rows.push_back(r);
  for (long r = it->firstRow; r <= it->lastRow; ++r) rows.push_back(r);
  std::vector<int> cols;
  if (sideHeading_)
    for (int c = -nSide; c <= -1; ++c) cols.push_back(c);
  for (int c = it->firstCol; c <= it->lastCol; ++c) cols.push_back(c);
  auto rowHeight = [&](long r) { return r < 0 ? s.topHdgHeights[-r - 1] : grid_.GetRowHeight(r); };
  auto colWidth = [&](int c) { return c < 0 ? s.sideHdgWidths[-c - 1] : grid_.GetColWidth(c); };
  int y = top_, lastRight = left_;
  bool drewRows = false;
  for (long r : rows) {
    const int h = static_cast<int>(rowHeight(r) * vScale_);
    if (h <= 0) continue;
    int x = left_;
    for (int c : cols) {
      const int w = static_cast<int>(colWidth(c) * hScale_);
      if (w <= 0) continue;
      DrawCell(p, UGRect{x, y, x + w, y + h}, c, r);
      x += w;
    }
    lastRight = x;
    y += h;
    drewRows = true;
  }
  if (frame_ && drewRows) {
    p.Line(left_, top_, left_, y - 1, Colour::Rgb(0, 0, 0));
    p.Line(left_, top_, lastRight - 1, top_, Colour::Rgb(0, 0, 0));
  }
  if (!preview_) p.SetTransform(1, 1, 0, 0);
  return 0;
}

bool PrintGridToPdf(CUGCtrl& grid, const std::string& path, std::string& error) {
  // A4 in points: the PDF's own units are its device pixels.
  const Size paper{595, 842};
  CUGGridPrinter printer(grid);
  printer.SetOption(CUGGridPrinter::kTopHeading, 1);
  printer.SetOption(CUGGridPrinter::kSideHeading, 1);
  const int pages = printer.LayoutPages(UGPrintDevice{paper.cx, paper.cy, 210, 297, false}, 0, 0,
                                        std::max(0, grid.GetColCount() - 1), std::max(0L, grid.GetRowCount() - 1));
  if (pages <= 0) {
    error = "the page has no room for the grid";
    return false;
  }
  return WritePdfPages(path, paper, pages, [&](Painter& p, int page) { printer.DrawPage(p, page); }, error);
}

}  // namespace gridmodel
