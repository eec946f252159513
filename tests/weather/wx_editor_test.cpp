#include "weather/wx_editor.h"

#include <gtest/gtest.h>

#include "gridmodel/ug_cell.h"
#include "gridmodel/ug_parts.h"
#include "platform/messages.h"
#include "temp_dir.h"

using platform::OleDateTime;
using namespace weather;

namespace {

// 50 hourly records in the editor's own layout, over three days, with negative temperatures,
// a 3-hour gap and precipitation in hundredths.
std::string EditorFile() {
  CWxStream s;
  s.units = 1;
  s.elevation = 1234;
  OleDateTime t(2021, 12, 31, 20, 0, 0);
  for (int i = 0; i < 50; ++i) {
    WxRecord r;
    r.date = t;
    t = t + (i == 10 ? 3 : 1) * kHour;
    r.temperature = -12 + i;
    r.humidity = 100 - i;
    r.precipitation = (i % 7) * 0.25 + (i % 3) * 0.01;
    r.windSpeed = i % 30;
    r.windDirection = (i * 37) % 361;
    r.cloudCover = (i * 11) % 101;
    s.records.push_back(r);
  }
  return WxsEditorText(s);
}

class WxEditor : public ::testing::Test {
 protected:
  void Open(WxEditorModel& m, const std::string& file) {
    m.grid.SetClientSize(800, 400);
    m.grid.InitGrid(std::nullopt);
    m.path = file;
    m.Load();
  }
  TempDir dir_;
  platform::ScopedRecordingMessages messages_;
};

}  // namespace

TEST_F(WxEditor, AStreamRoundTripsByteForByteThroughTheGrid) {
  const std::string text = EditorFile();
  const std::string src = dir_.Write("in.wxs", text);
  WxEditorModel m;
  Open(m, src);
  EXPECT_EQ(m.Title(), "Edit WXS File: " + src);
  EXPECT_FALSE(m.modified);
  EXPECT_EQ(m.units, 1);
  EXPECT_EQ(m.elevation, 1234);
  ASSERT_EQ(m.grid.GetRowCount(), 50);
  EXPECT_EQ(m.grid.GetCellText(m.grid.colTemp, -1), "Temperature (\xC2\xB0" "C)");
  std::string msg;
  ASSERT_TRUE(m.SaveTo(dir_.File("out.wxs"), msg)) << msg;
  EXPECT_EQ(TempDir::Read(dir_.File("out.wxs")), text);
  // Through the stream and back again as well.
  m.GridToStream();
  m.StreamToGrid();
  ASSERT_TRUE(m.SaveTo(dir_.File("out2.wxs"), msg)) << msg;
  EXPECT_EQ(TempDir::Read(dir_.File("out2.wxs")), text);
  EXPECT_TRUE(messages_.Texts().empty());

  WxEditorModel fresh;
  fresh.grid.InitGrid(std::nullopt);
  fresh.Load();
  EXPECT_EQ(fresh.Title(), "Create New WXS File");
  EXPECT_EQ(fresh.grid.GetRowCount(), 0);
}

TEST_F(WxEditor, HeadingsColoursAndEditsFollowTheRecords) {
  CWxStream s;
  std::string m0;
  AppendBlankRecords(s, OleDateTime(2020, 7, 1, 0, 0, 0), 24, m0);
  AppendBlankAfterLast(s, true, m0);
  WxEditorModel m;
  m.stream = std::make_unique<CWxStream>(s);
  m.condStart = OleDateTime(2020, 7, 1, 6, 0, 0);
  m.condEnd = OleDateTime(2020, 7, 2, 6, 0, 0);
  Open(m, "");
  EXPECT_EQ(m.RowHeading(23), "24");
  EXPECT_EQ(m.RowHeading(24), "25 *");
  EXPECT_EQ(m.RowHeading(25), "26");
  // Rows before the start and from the end on are not used: italic, read-only.
  gridmodel::CUGCell c;
  for (long row : {5L, 6L, 29L, 30L}) {
    m.grid.GetCell(m.grid.colTemp, row, &c);
    const bool used = row == 6 || row == 29;
    EXPECT_EQ(c.IsReadOnly(), !used) << row;
    EXPECT_EQ(c.GetFont(), used ? m.grid.NormalFont() : m.grid.ItalicFont()) << row;
  }

  // A typed value that is no number, or a fraction in a whole-number column, is refused.
  EXPECT_EQ(m.grid.OnEndCellEdit(m.grid.colTemp, 7, nullptr, "abc", false), 0);
  EXPECT_EQ(m.grid.OnEndCellEdit(m.grid.colRH, 7, nullptr, "12.5", false), 0);
  EXPECT_EQ(m.grid.OnEndCellEdit(m.grid.colPrecip, 7, nullptr, "0.257", false), 1);
  EXPECT_EQ(messages_.Texts().size(), 2u);
  EXPECT_EQ(messages_.Texts()[0], "Record 8, Temperature (\xC2\xB0" "F): \"abc\" is not a whole number");

  m.grid.SetCellText(m.grid.colTemp, 7, "99");
  m.grid.SetCellText(m.grid.colPrecip, 7, "0.257");
  m.GridToStream();
  EXPECT_EQ(m.stream->records[7].temperature, 99);
  EXPECT_DOUBLE_EQ(m.stream->records[7].precipitation, 0.257);

  std::string msg;
  EXPECT_TRUE(m.ValidateGrid(msg)) << msg;
  m.grid.SetCellNumber(m.grid.colRH, 4, -1);
  EXPECT_FALSE(m.ValidateGrid(msg));
  EXPECT_EQ(msg, "Error, record 5, RH -1 is invalid");
}

TEST_F(WxEditor, AnImpossibleDateIsRefusedAndTheFileKept) {
  const std::string file = dir_.Write("keep.wxs", EditorFile());
  WxEditorModel m;
  Open(m, file);
  m.grid.SetCellText(m.grid.colDate, 3, "02/30/22 10:00");
  std::string msg;
  EXPECT_FALSE(m.SaveTo(file, msg));
  EXPECT_EQ(msg, "Record 4: \"02/30/22 10:00\" is not a valid date and time; the file was not saved.");
  EXPECT_EQ(TempDir::Read(file), EditorFile());
  // The stream keeps its record; the grid's row is told as not matching.
  m.GridToStream();
  ASSERT_EQ(messages_.Texts().size(), 1u);
  EXPECT_EQ(messages_.Texts()[0].rfind("Time between grid and stream do not match\nGrid Time: 02/30/22 10:00", 0), 0u);
}

TEST_F(WxEditor, RecordOperationsRefillTheGrid) {
  WxEditorModel m;
  Open(m, "");
  EXPECT_EQ(m.AppendRecordBlank(), "");  // empty: the window asks for a start first
  EXPECT_EQ(m.grid.GetRowCount(), 0);
  const OleDateTime start(2020, 7, 1, 23, 0, 0);
  m.AppendDayBlank(&start, 24);
  EXPECT_EQ(m.grid.GetRowCount(), 24);
  EXPECT_EQ(m.condStart, start);
  m.grid.SetCellNumber(m.grid.colTemp, 23, 77);
  m.AppendDayCopyLast();
  ASSERT_EQ(m.grid.GetRowCount(), 48);
  EXPECT_EQ(m.grid.GetCellText(m.grid.colDate, 47), "07/03/20 22:00");
  EXPECT_EQ(m.grid.RowNumber(m.grid.colTemp, 47), 77);
  EXPECT_TRUE(m.modified);

  m.grid.GotoCell(1, 5);
  EXPECT_EQ(m.InsertRecord(), "Record 5 is already within an hour of 07/02/20 04:00");
  m.grid.GotoCell(1, 2);
  m.grid.SelectRange(0, 10, 0, 12);
  m.DeleteRecord();
  EXPECT_EQ(m.grid.GetRowCount(), 44);
  EXPECT_EQ(m.stream->records.size(), 44u);
}

TEST_F(WxEditor, BurnBoxesSpreadOverTheSelectionAndBecomePeriods) {
  CWxStream s;
  std::string m0;
  AppendBlankRecords(s, OleDateTime(2020, 7, 1, 8, 0, 0), 10, m0);
  WxEditorModel m(true);
  m.stream = std::make_unique<CWxStream>(s);
  m.burnPeriods = {{7, 1, 9, 10}};
  Open(m, "");
  EXPECT_EQ(m.grid.GetColCount(), 8);
  EXPECT_EQ(m.grid.GetCellText(m.grid.colBurn, -1), "Burn");
  EXPECT_TRUE(m.grid.BurnTicked(1));
  m.grid.GotoCell(1, 3);  // the click makes its row current; the current cell counts as selected
  m.grid.SelectRange(1, 3, 1, 6);
  m.grid.SetBurn(4, true);
  m.grid.OnCellTypeEvent(2, m.grid.colBurn, 4, 53, 0);
  EXPECT_EQ(m.GetBurnPeriods(), (std::vector<WxBurnPeriod>{{7, 1, 9, 10}, {7, 1, 11, 15}}));
  gridmodel::CUGCell c;
  m.grid.GetCell(m.grid.colTemp, 5, &c);
  EXPECT_EQ(c.GetBackColor().r(), 0xFF);  // burning 0x5780FF
  EXPECT_EQ(c.GetBackColor().b(), 0x57);
}

TEST_F(WxEditor, TabMovesCellByCellAndWrapsOverRowsAndTheGrid) {
  WxEditorModel m;
  Open(m, dir_.Write("in.wxs", EditorFile()));
  const int lastCol = m.grid.GetColCount() - 1;
  const long lastRow = m.grid.GetRowCount() - 1;
  ASSERT_EQ(lastCol, m.grid.colCloud);  // no Burn column outside burn-period mode
  struct Case {
    int col;
    long row;
    bool shift;
    int wantCol;
    long wantRow;
  } cases[] = {
      {0, 0, false, 1, 0},                   // the next cell of the row
      {lastCol, 3, false, 0, 4},             // from a row's end to the next row's start
      {lastCol, lastRow, false, 0, 0},       // from the last cell to the first
      {3, 10, true, 2, 10},                  // Shift+Tab: the previous cell
      {0, 4, true, lastCol, 3},              // from a row's start to the previous row's end
      {0, 0, true, lastCol, lastRow},        // from the first cell to the last
  };
  gridmodel::UGPartHost host;
  gridmodel::UGCellAreaInput keys(m.grid, host);
  for (const Case& c : cases) {
    m.grid.SetKeyState(false, false);
    m.grid.GotoCell(c.col, c.row);
    m.grid.SetKeyState(c.shift, false);
    keys.KeyDown(gridmodel::UG_VK_TAB);
    EXPECT_EQ(m.grid.GetCurrentCol(), c.wantCol) << c.col << "," << c.row << (c.shift ? " shift" : "");
    EXPECT_EQ(m.grid.GetCurrentRow(), c.wantRow) << c.col << "," << c.row << (c.shift ? " shift" : "");
  }
  m.grid.SetKeyState(false, false);
  EXPECT_FALSE(m.modified);  // moving edits nothing
}
