#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "gridmodel/table_grid.h"
#include "gridmodel/table_print.h"
#include "platform/atomic_file.h"
#include "platform/messages.h"
#include "table_test_support.h"

using namespace gridmodel;
using tabletest::TempDir;

namespace {
std::string ReadFile(const std::string& path) {
  std::string text;
  platform::ReadWholeFile(path, text);
  return text;
}
void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
}  // namespace

TEST(TableGridFiles, SaveQuotesOnlyWhatNeedsItAndRoundTrips) {
  TempDir dir;
  CGridCtrl g(3, 3);
  const std::vector<std::vector<std::string>> texts = {
      {"Name", "Value", "Note"},
      {"a,b", "tab\there", "two\nlines"},
      {"say \"hi\"", "", "plain"},
  };
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) g.SetItemText(r, c, texts[r][c]);
  ASSERT_TRUE(g.Save(dir / "t.csv", ','));
  EXPECT_EQ(ReadFile(dir / "t.csv"),
            "Name,Value,Note\n\"a,b\",tab\there,\"two\nlines\"\n\"say \"\"hi\"\"\",,plain\n");
  // With tabs between fields, the tab is what needs quoting.
  ASSERT_TRUE(g.Save(dir / "t.tsv", '\t'));
  CGridCtrl back;
  ASSERT_TRUE(back.Load(dir / "t.tsv", '\t'));
  ASSERT_EQ(back.GetRowCount(), 3);
  ASSERT_EQ(back.GetColumnCount(), 3);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(back.GetItemText(r, c), texts[r][c]) << r << "," << c;
}

TEST(TableGridFiles, LoadBuildsHeadingsAndRowsAndDropsExtraFields) {
  TempDir dir;
  std::string longField(5000, 'x');
  WriteFile(dir / "in.csv", "X,Y,Z\r\n1,2,3\n4,5,6,7\n" + longField + ",,\n");
  CGridCtrl g;
  ASSERT_TRUE(g.Load(dir / "in.csv", ','));
  ASSERT_EQ(g.GetColumnCount(), 3);
  ASSERT_EQ(g.GetRowCount(), 4);
  EXPECT_EQ(g.GetItemText(0, 2), "Z");
  EXPECT_EQ(g.GetItemText(1, 1), "2");
  EXPECT_EQ(g.GetItemText(2, 2), "6");  // the fourth field has no column
  EXPECT_EQ(g.GetItemText(3, 0), longField);  // one line however long
  EXPECT_EQ(g.GetItemFormat(1, 1), static_cast<unsigned>(kAlignCenter | kAlignVCenter | kSingleLine));
  EXPECT_TRUE(g.GetModified(1, 1));
  EXPECT_GT(g.GetColumnWidth(0), g.GetColumnWidth(1));  // sized to contents
}

TEST(TableGridFiles, FailuresKeepTheGridAndSayWhy) {
  TempDir dir;
  platform::ScopedRecordingMessages messages;
  CGridCtrl g(2, 2);
  g.SetItemText(1, 1, "kept");
  WriteFile(dir / "bad.csv", "A,B\n\"open,1\n");
  struct Case {
    std::string path, reason;
  };
  const Case cases[] = {
      {dir / "bad.csv", "never closed"},
      {dir / "missing.csv", "No such file"},
  };
  for (const Case& c : cases) {
    messages.Clear();
    EXPECT_FALSE(g.Load(c.path, ','));
    EXPECT_EQ(g.GetItemText(1, 1), "kept");
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find(c.path), std::string::npos);
    EXPECT_NE(messages.Texts()[0].find(c.reason), std::string::npos) << messages.Texts()[0];
  }
  messages.Clear();
  WriteFile(dir / "old.csv", "previous\n");
  EXPECT_FALSE(g.Save(dir / "nofolder/x.csv", ','));
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_NE(messages.Texts()[0].find("Unable to save grid list"), std::string::npos);
}

TEST(TableGridPrint, BandsNeverRepeatOrDropARow) {
  CGridCtrl g(12, 2, 1, 1);
  for (int r = 0; r < 12; ++r) g.SetRowHeight(r, 20);
  g.SetRowHeight(5, 10000);  // taller than any page
  PrintSetup setup;
  setup.paper = {600, 800};
  setup.charSize = {6, 12};
  PrintLayout layout;
  std::string error;
  ASSERT_TRUE(ComputePrintLayout(g, setup, layout, error)) << error;
  EXPECT_EQ(layout.logicalPage.cx, g.GetVirtualWidth() + 8 * 6);
  EXPECT_EQ(layout.logicalPage.cy, layout.logicalPage.cx * 800 / 600);
  EXPECT_EQ(layout.bodyHeight, layout.logicalPage.cy - 6 * 12 - 20);
  // Every non-fixed row lies in exactly one band, in order; the tall row alone.
  int next = 1;
  for (std::size_t b = 0; b < layout.bandRows.size(); ++b) {
    EXPECT_EQ(layout.bandRows[b], next);
    EXPECT_GT(layout.bandEnds[b], layout.bandRows[b]);
    next = layout.bandEnds[b];
  }
  EXPECT_EQ(next, 12);
  auto tall = std::find(layout.bandRows.begin(), layout.bandRows.end(), 5) - layout.bandRows.begin();
  ASSERT_LT(tall, static_cast<long>(layout.bandRows.size()));
  EXPECT_EQ(layout.bandEnds[static_cast<std::size_t>(tall)], 6);
  EXPECT_EQ(layout.pageCount, static_cast<int>(layout.bandRows.size()));

  setup.paper = {0, 800};
  EXPECT_FALSE(ComputePrintLayout(g, setup, layout, error));
  setup.paper = {600, 800};
  setup.charSize = {0, 0};
  EXPECT_FALSE(ComputePrintLayout(g, setup, layout, error));

  // Only fixed rows: one page, still with its footer.
  CGridCtrl headings(1, 2, 1, 0);
  setup.charSize = {6, 12};
  ASSERT_TRUE(ComputePrintLayout(headings, setup, layout, error));
  EXPECT_EQ(layout.pageCount, 1);
}

TEST(TableGridPrint, WysiwygPagesRunAcrossThenDown) {
  CGridCtrl g(40, 7, 1, 1);
  for (int c = 0; c < 7; ++c) g.SetColumnWidth(c, 150);
  for (int r = 0; r < 40; ++r) g.SetRowHeight(r, 20);
  g.SetWysiwygPrinting(true);
  PrintSetup setup;
  setup.paper = {595, 842};
  setup.charSize = {6, 12};
  PrintLayout layout;
  std::string error;
  ASSERT_TRUE(ComputePrintLayout(g, setup, layout, error)) << error;
  EXPECT_EQ(layout.logicalPage.cx, 595 * 96 / 72 * 3 / 4);
  EXPECT_EQ(layout.columnPages, 3);  // 6 columns of 150 in 595 - 150 - 48
  EXPECT_EQ(layout.pageCount, layout.columnPages * static_cast<int>(layout.bandRows.size()));
}

TEST(TableGridPrint, PdfOfThreePagesReadsBackWithHeadingsAndFooters) {
  TempDir dir;
  CGridCtrl g(1, 3, 1, 0);
  g.SetItemText(0, 0, "Species");
  g.SetItemText(0, 1, "Count");
  g.SetItemText(0, 2, "Colour");
  for (int c = 0; c < 3; ++c) g.SetColumnWidth(c, 120);
  int rows = 0;
  PrintLayout layout;
  std::string error;
  PrintSetup setup;
  setup.paper = {595, 842};
  {
    CairoPainter m;
    setup.charSize = MeasurePrintCharSize(m);
  }
  // Enough rows for three pages.
  while (true) {
    int r = g.InsertRow("R" + std::to_string(1000 + rows));
    g.SetRowHeight(r, 20);
    g.SetItemText(r, 1, std::to_string(rows));
    ++rows;
    ASSERT_TRUE(ComputePrintLayout(g, setup, layout, error));
    if (layout.pageCount == 3) {
      // fill the third page a little more, staying on three
      break;
    }
  }
  PrintTexts texts;
  texts.windowTitle = "Legend";
  texts.dateTime = "fixed time";
  const std::string pdf = dir / "table.pdf";
  ASSERT_TRUE(PrintToPdf(g, pdf, Size{595, 842}, texts, error)) << error;
  std::string info = tabletest::Run("pdfinfo '" + pdf + "' 2>&1");
  EXPECT_NE(info.find("Pages:           3"), std::string::npos) << info;
  std::string text = tabletest::Run("pdftotext -layout '" + pdf + "' - 2>&1");
  std::vector<std::string> pages;
  std::stringstream ss(text);
  std::string page;
  while (std::getline(ss, page, '\f'))
    if (!page.empty()) pages.push_back(page);
  ASSERT_EQ(pages.size(), 3u) << text;
  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(pages[i].find("Species"), std::string::npos) << i;
    EXPECT_NE(pages[i].find("Colour"), std::string::npos) << i;
    EXPECT_NE(pages[i].find("Legend"), std::string::npos) << i;
    EXPECT_NE(pages[i].find("Page " + std::to_string(i + 1) + " of 3"), std::string::npos) << i;
  }
  // Every row once, in order across the pages.
  std::size_t at = 0;
  int page_i = 0;
  for (int r = 0; r < rows; ++r) {
    std::string key = "R" + std::to_string(1000 + r);
    std::size_t found = std::string::npos;
    while (page_i < 3 && (found = pages[page_i].find(key, at)) == std::string::npos) {
      ++page_i;
      at = 0;
    }
    ASSERT_NE(found, std::string::npos) << key;
    EXPECT_EQ(text.find(key), text.rfind(key)) << key << " printed twice";
    at = found + key.size();
  }
}
