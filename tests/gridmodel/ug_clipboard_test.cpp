#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "platform/messages.h"
#include "ug_test_grid.h"

using namespace gridmodel;
using ugtest::RecordingGrid;
using Log = std::vector<std::string>;

namespace {
struct ClipFixture : ::testing::Test {
  platform::ScopedRecordingClipboard clipboard;
  RecordingGrid g;
  void Fill(int cols, long rows) {
    g.Build(cols, rows);
    for (long r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) g.SetCellText(c, r, std::string(1, char('a' + r * cols + c)));
    g.log.clear();
  }
};
}  // namespace

TEST_F(ClipFixture, CopyWritesTabsAndLineFeeds) {
  Fill(3, 3);
  g.SetMultiSelectMode(1);
  g.SelectRange(0, 0, 2, 1);
  EXPECT_EQ(g.CopySelected(), 0);
  EXPECT_EQ(clipboard.GetText(), "a\tb\tc\nd\te\tf");

  // A whole-row selection copies every column of its rows.
  g.SetRowHighlight(true);
  g.SelectRange(1, 0, 1, 0);
  g.GetMultiSelect()->BeginBlock(0, 2);
  g.CopySelected();
  EXPECT_EQ(clipboard.GetText(), "a\tb\tc\ng\th\ti");
}

TEST_F(ClipFixture, CutClearsAllButReadOnlyCells) {
  Fill(2, 2);
  CUGCell ro;
  ro.SetPropertyFlags(0);
  ro.SetReadOnly(true);
  g.SetColDefault(1, &ro);
  g.SetMultiSelectMode(1);
  g.SelectRange(0, 0, 1, 0);
  EXPECT_EQ(g.CutSelected(), 0);
  EXPECT_EQ(clipboard.GetText(), "a\tb");
  EXPECT_EQ(g.GetCellText(0, 0), "");
  EXPECT_EQ(g.GetCellText(1, 0), "b");
  EXPECT_EQ(g.GetMultiSelect()->GetBlockCount(), 0);
}

TEST_F(ClipFixture, PasteFillsFromTheCurrentCellThroughTheEditPath) {
  g.Build(4, 5);
  CUGCell number;
  number.SetNumber(0);
  g.SetCell(3, 3, &number);
  CUGCell ro;
  ro.SetPropertyFlags(0);
  ro.SetReadOnly(true);
  g.SetColDefault(2, &ro);
  g.SetCellText(2, 4, "keep");
  g.SetMultiSelectMode(1);
  g.GotoCell(2, 3);
  g.log.clear();
  clipboard.SetText("x\t1,234.5\tdropped\r\np\t\tq\r\n");
  EXPECT_EQ(g.Paste(), 0);
  EXPECT_EQ(g.GetCellText(2, 3), "");  // read-only: skipped, the walk moves on
  CUGCell stored;
  g.GetStoredCell(3, 3, &stored);
  EXPECT_EQ(stored.GetDataType(), UGCELLDATA_NUMBER);  // converted, not stored as text
  EXPECT_EQ(stored.GetNumber(), 1234.5);
  EXPECT_EQ(g.GetCellText(2, 4), "keep");
  EXPECT_EQ(g.GetCellText(3, 4), "");  // the empty field
  EXPECT_EQ(g.Only("EndCellEdit"), (Log{"EndCellEdit 3,3 1,234.5", "EndCellEdit 3,4 "}));
  int sc, ec;
  long sr, er;
  ASSERT_EQ(g.GetMultiSelect()->GetLatestBlock(&sc, &sr, &ec, &er), 0);
  EXPECT_EQ((std::vector<long>{sc, sr, ec, er}), (std::vector<long>{2, 3, 3, 4}));

  clipboard.Clear();
  EXPECT_EQ(g.Paste(), 1);
}

TEST_F(ClipFixture, ReplaceChangesTheMatchOnlyAndSkipsReadOnlyCells) {
  platform::ScopedRecordingMessages messages;
  g.Build(1, 5);
  g.SetCellText(0, 0, "Wind 5 mph");
  g.SetCellText(0, 1, "calm");
  g.SetCellText(0, 2, "gust 9 MPH");
  g.SetCellText(0, 3, "mph locked");
  g.SetCellText(0, 4, "3 mph");
  CUGCell ro;
  g.GetStoredCell(0, 3, &ro);
  ro.SetReadOnly(true);
  g.SetCell(0, 3, &ro);

  CUGCtrl::FindRequest req;
  req.findText = "mph";
  req.replaceText = "km/h";
  req.action = CUGCtrl::FindRequest::Action::Replace;
  EXPECT_TRUE(g.FindReplace(req));  // replaces in (0,0), then finds the next match
  EXPECT_EQ(g.GetCellText(0, 0), "Wind 5 km/h");
  EXPECT_EQ(g.GetCurrentRow(), 2);

  req.action = CUGCtrl::FindRequest::Action::ReplaceAll;
  EXPECT_TRUE(g.FindReplace(req));
  EXPECT_EQ(g.GetCellText(0, 2), "gust 9 km/h");
  EXPECT_EQ(g.GetCellText(0, 3), "mph locked");
  EXPECT_EQ(g.GetCellText(0, 4), "3 km/h");
  EXPECT_EQ(g.GetCellText(0, 1), "calm");

  req.findText = "fog";
  req.action = CUGCtrl::FindRequest::Action::Find;
  EXPECT_FALSE(g.FindReplace(req));
  ASSERT_EQ(messages.Entries().size(), 1u);
  EXPECT_EQ(messages.Entries()[0].text, "Item not found");
  EXPECT_EQ(messages.Entries()[0].caption, "Not Found");

  req.findText = "CALM";
  req.entireCell = true;
  req.matchCase = true;
  EXPECT_FALSE(g.FindReplace(req));
  req.matchCase = false;
  EXPECT_TRUE(g.FindReplace(req));
  EXPECT_EQ(g.GetCurrentRow(), 1);
}

TEST_F(ClipFixture, PopupMenuAndDrop) {
  struct MenuGrid : RecordingGrid {
    bool allowMenu = true;
    std::vector<std::string> commands;
    int acceptDrop = 0;
    int OnPopupMenuStart(int, long, int) override { return allowMenu; }
    void OnPopupMenuCommand(int col, long row, int section, unsigned id) override {
      commands.push_back(std::to_string(col) + "," + std::to_string(row) + " " + std::to_string(id));
    }
    int OnDropOnCell(const std::string*, int, long) override { return acceptDrop; }
  } m;
  m.Build(4, 20);
  m.AddPopupMenuItem(static_cast<unsigned>(-1), "x");
  m.AddPopupMenuItem(1005, "");
  m.AddPopupMenuItem(1006, "Insert row");
  EXPECT_EQ(m.GetPopupMenu()[0].id, 0u);
  EXPECT_EQ(m.GetPopupMenu()[1].id, 0u);
  EXPECT_EQ(m.RemovePopupMenuItem(1006), 0);
  EXPECT_EQ(m.RemovePopupMenuItem(1006), 1);

  UGPoint p{10, 10};
  EXPECT_EQ(m.StartPopupMenu(1, 2, &p, UG_GRID), 1);  // not enabled
  m.EnablePopupMenu(true);
  m.allowMenu = false;
  EXPECT_EQ(m.StartPopupMenu(1, 2, &p, UG_GRID), 2);
  m.allowMenu = true;
  EXPECT_EQ(m.StartPopupMenu(1, 2, &p, UG_GRID), 3);  // no window to show it in
  m.PopupMenuCommand(999);
  m.PopupMenuCommand(1007);
  EXPECT_EQ(m.commands, (std::vector<std::string>{"1,2 1007"}));

  const std::string text = "d1\td2";
  EXPECT_EQ(m.DropAt(80, 45, &text), 0);  // refused
  EXPECT_EQ(m.GetCellText(1, 2), "");
  m.acceptDrop = 1;
  EXPECT_EQ(m.DropAt(80, 45, nullptr), 1);  // no text: nothing moves
  EXPECT_EQ(m.GetCurrentRow(), 0);
  EXPECT_EQ(m.DropAt(80, 45, &text), 1);
  EXPECT_EQ(m.GetCellText(1, 2), "d1");
  EXPECT_EQ(m.GetCellText(2, 2), "d2");

  m.SetColCount(12);
  EXPECT_EQ(m.DragScroll(5, 5), 0);  // one column, and nothing vertically
  EXPECT_EQ(m.GetLeftCol(), 0);
  m.DragScroll(m.Sheet().gridWidth - 5, 5);
  EXPECT_EQ(m.GetLeftCol(), 1);
  EXPECT_EQ(m.GetTopRow(), 0);
}
