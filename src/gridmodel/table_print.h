#pragma once
// Printing the table grid: the page layout is a pure function of the grid's sizes, the paper
// and the printer font; each page is drawn through a painter (PDF with cairo, a printer with
// wx). One band rule decides which rows a page holds, so no row prints twice or never.
#include <string>
#include <vector>

#include "gridmodel/painter.h"

namespace gridmodel {

class CGridCtrl;

struct PrintSetup {
  Size paper;                  // device units of one page (points for PDF)
  Size charSize;               // average character width and line height of the printer font
  int screenDpiX = 96, screenDpiY = 96;
  int printerDpiX = 72, printerDpiY = 72;
};

struct PrintLayout {
  Size paper;
  Size charSize;
  Size logicalPage;            // the page in the grid's own units
  int bodyHeight = 0;          // room for non-fixed rows
  int bodyWidth = 0;           // room for non-fixed columns
  int columnPages = 1;
  int pageCount = 0;
  std::vector<int> bandRows;   // first row of each band of rows; a band ends before the
  std::vector<int> bandEnds;   // row at bandEnds[i] (exclusive)
  std::vector<int> pageCols;   // first column of each page across
  std::vector<int> pageColEnds;
};

// False, with the reason, when the paper or the font gives nothing to scale by.
bool ComputePrintLayout(const CGridCtrl& grid, const PrintSetup& setup, PrintLayout& layout, std::string& error);

struct PrintTexts {
  std::string windowTitle;     // centred in the header
  std::string appTitle = "Pyrvane 6";
  std::string dateTime;        // right of the footer
};

// The printer font of the grids.
FontDesc PrinterFont();
// Character size of the printer font on a painter (the device's units).
Size MeasurePrintCharSize(Painter& p);

// Draws page (1-based) onto a painter whose device units are those of setup.paper.
void PrintPage(CGridCtrl& grid, Painter& p, const PrintLayout& layout, int page, const PrintTexts& texts);

// Writes every page to a PDF file (saved atomically). False with the reason on failure.
bool PrintToPdf(CGridCtrl& grid, const std::string& path, Size paperPoints, const PrintTexts& texts,
                std::string& error);

// The current local date and time as the footer shows it.
std::string PrintDateTime();

}  // namespace gridmodel
