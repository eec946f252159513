#pragma once
// Printing of a cell grid range: pages that fit the printable area, headings repeated when
// asked, each cell drawn by its type's scaled drawing.
#include <string>
#include <vector>

#include "gridmodel/painter.h"
#include "gridmodel/ug_ctrl.h"

namespace gridmodel {

// What a printer reports of its page.
struct UGPrintDevice {
  int horzRes = 0, vertRes = 0;    // pixels
  int horzSize = 0, vertSize = 0;  // millimetres
  bool preview = false;            // the surface keeps its own scaling
};

class CUGGridPrinter {
 public:
  enum : int { kTopHeading = 1, kSideHeading = 2, kLeftMargin = 3, kTopMargin = 4, kRightMargin = 5,
               kBottomMargin = 6, kFrame = 10 };
  explicit CUGGridPrinter(CUGCtrl& grid) : grid_(grid) {}

  // Lays the range out in pages; the page count (0 when the page has no printable area).
  int LayoutPages(const UGPrintDevice& device, int startCol, long startRow, int endCol, long endRow);
  // Draws one page on a surface in the device's pixels; 1 for a page the layout lacks.
  int DrawPage(Painter& p, int page);
  int SetOption(int code, int value);
  int GetOption(int code, int* value) const;
  int SetScale(int percent);
  int Divisor() const { return divisor_; }

 private:
  struct Page {
    int number, firstCol, lastCol;
    long firstRow, lastRow;
  };
  void DrawCell(Painter& p, UGRect rect, int col, long row);
  CUGCtrl& grid_;
  std::vector<Page> pages_;
  int colPages_ = 0, rowPages_ = 0;
  float vScale_ = 1, hScale_ = 1;
  int left_ = 0, top_ = 0, right_ = 0, bottom_ = 0, pageWidth_ = 0, pageHeight_ = 0;
  int divisor_ = 7;
  bool preview_ = false;
  int scale_ = 100;
  int margins_[4] = {25, 25, 25, 25};
  int frame_ = 1, topHeading_ = 0, sideHeading_ = 0;
};

// The whole of a grid printed to a PDF of A4 pages with the top headings on every page;
// false with the reason when nothing was written.
bool PrintGridToPdf(CUGCtrl& grid, const std::string& path, std::string& error);

}  // namespace gridmodel
