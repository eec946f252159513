// Cell grid printing: the page layout on printers of given sizes, and a printed grid judged
// by poppler's pdfinfo and pdftotext.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "gridmodel/ug_print.h"
#include "table_test_support.h"

using namespace gridmodel;

namespace {
struct PrintGrid : CUGCtrl {
  PrintGrid(int cols, long rows) {
    SetDefaultFont(AddFont("DejaVu Sans", 8, 400));
    SetColCount(cols);
    SetRowCount(rows);
    SetClientSize(600, 400);
    const char* names[] = {"Species", "Count", "Height", "Cover"};
    for (int c = 0; c < cols; ++c) SetCellText(c, -1, names[c % 4]);
    for (long r = 0; r < rows; ++r) {
      SetCellText(0, r, "R" + std::to_string(1000 + r));
      for (int c = 1; c < cols; ++c) SetCellNumber(c, r, r * 10 + c);
    }
  }
};
}  // namespace

TEST(CellGridPrint, LayoutOptionsAndNarrowPrinters) {
  PrintGrid g(4, 10);
  CUGGridPrinter p(g);
  // 4800 pixels on 216 mm: printable 166 mm, 629 grid pixels a page, divisor 10.
  EXPECT_EQ(p.LayoutPages(UGPrintDevice{4800, 6600, 216, 279}, 0, 0, 3, 9), 1);
  EXPECT_EQ(p.Divisor(), 10);
  // Wide columns split across pages: 12 columns of 75 need two column pages.
  PrintGrid wide(12, 10);
  CUGGridPrinter pw(wide);
  EXPECT_EQ(pw.LayoutPages(UGPrintDevice{4800, 6600, 216, 279}, 0, 0, 11, 9), 2);
  // A printer narrower than 450 pixels still lays out, drawing in its own pixels.
  EXPECT_EQ(p.LayoutPages(UGPrintDevice{300, 400, 216, 279}, 0, 0, 3, 9), 1);
  EXPECT_EQ(p.Divisor(), 1);
  // Margins that leave no room give no pages.
  p.SetOption(CUGGridPrinter::kLeftMargin, 200);
  EXPECT_EQ(p.LayoutPages(UGPrintDevice{4800, 6600, 216, 279}, 0, 0, 3, 9), 0);
  int v = -1;
  EXPECT_EQ(p.GetOption(7, &v), 1);
  EXPECT_EQ(v, 0);
  p.SetOption(CUGGridPrinter::kFrame, 5);
  EXPECT_EQ(p.GetOption(CUGGridPrinter::kFrame, &v), 0);
  EXPECT_EQ(v, 1);
  EXPECT_EQ(p.SetScale(0), 1);
  EXPECT_EQ(p.SetScale(5001), 1);
  EXPECT_EQ(p.SetScale(100), 0);
  EXPECT_EQ(p.DrawPage(gridmodel::HeadlessMeasurer(), 9), 1);
}

TEST(CellGridPrint, ThreePagePdfRepeatsTheHeadings) {
  PrintGrid g(4, 120);
  const std::filesystem::path dir = std::filesystem::temp_directory_path();
  const std::string pdf = (dir / "cellgrid.pdf").string();
  std::string error;
  ASSERT_TRUE(PrintGridToPdf(g, pdf, error)) << error;
  const std::string info = tabletest::Run("pdfinfo '" + pdf + "' 2>&1");
  EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
  const std::string text = tabletest::Run("pdftotext -layout '" + pdf + "' - 2>&1");
  std::vector<std::string> pages;
  std::stringstream ss(text);
  std::string page;
  while (std::getline(ss, page, '\f'))
    if (page.find_first_not_of(" \n") != std::string::npos) pages.push_back(page);
  ASSERT_EQ(pages.size(), 3u) << text;
  for (const std::string& p : pages)
    for (const char* h : {"Species", "Count", "Height", "Cover"}) EXPECT_NE(p.find(h), std::string::npos) << h;
  // Every row once, in order, and each page begins where the last one ended.
  std::size_t at = 0;
  int pageIndex = 0;
  for (long r = 0; r < 120; ++r) {
    const std::string key = "R" + std::to_string(1000 + r);
    std::size_t found = pages[pageIndex].find(key, at);
    if (found == std::string::npos && pageIndex + 1 < 3) {
      ++pageIndex;
      at = 0;
      found = pages[pageIndex].find(key);
    }
    ASSERT_NE(found, std::string::npos) << key;
    at = found;
  }
  EXPECT_EQ(pageIndex, 2);
  EXPECT_NE(pages[2].find("1,191"), std::string::npos) << pages[2];  // a number cell of the last row
  std::filesystem::remove(pdf);
}
