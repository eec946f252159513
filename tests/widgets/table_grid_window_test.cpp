#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/uiaction.h>

#include <vector>

#include "widgets/screenshot.h"
#include "widgets/table_grid_window.h"

using namespace gridmodel;
using widgets::FlushEvents;
using widgets::TableGridWindow;

namespace {

struct Owner : GridOwner {
  std::vector<GridNotify> seen;
  int commands = 0;
  long beginAnswer = 0, endAnswer = 0;
  long OnGridNotify(const GridNotify& n) override {
    seen.push_back(n);
    if (n.code == kNotifyBeginEdit) return beginAnswer;
    if (n.code == kNotifyEndEdit) return endAnswer;
    return 0;
  }
  void OnGridCommand() override { ++commands; }
  std::vector<int> Codes() {
    std::vector<int> c;
    for (auto& n : seen) c.push_back(n.code);
    return c;
  }
};

constexpr int kW = 80, kH = 24;

struct GridWindowFixture : ::testing::Test {
  void SetUp() override {
    frame = new wxFrame(nullptr, wxID_ANY, "Legend", wxPoint(40, 40), wxSize(520, 360));
    window = new TableGridWindow(frame, 101);
    CGridCtrl& g = window->Grid();
    g.SetRowCount(10);
    g.SetColumnCount(4);
    g.SetFixedRowCount(1);
    g.SetFixedColumnCount(1);
    for (int r = 0; r < 10; ++r) g.SetRowHeight(r, kH);
    for (int c = 0; c < 4; ++c) g.SetColumnWidth(c, kW);
    for (int r = 0; r < 10; ++r)
      for (int c = 0; c < 4; ++c) g.SetItemText(r, c, std::to_string(r) + "." + std::to_string(c));
    window->SetOwner(&owner);
    frame->Show();
    frame->Raise();
    FlushEvents();
    window->SetFocus();
    FlushEvents(5);
  }
  void TearDown() override {
    window->SetOwner(nullptr);
    frame->Destroy();
    FlushEvents(2);
  }
  // Screen point inside cell (row, col), near the text's left.
  wxPoint At(int row, int col, int dx = 10, int dy = kH / 2) {
    Rect r;
    EXPECT_TRUE(window->Grid().GetCellRect(row, col, r));
    return window->ClientToScreen(wxPoint(r.left + dx, r.top + dy));
  }
  void Click(const wxPoint& p, int modifiers = 0) {
    sim.MouseMove(p);
    FlushEvents(2);
    if (modifiers) sim.KeyDown(0, modifiers);
    sim.MouseClick();
    if (modifiers) sim.KeyUp(0, modifiers);
    FlushEvents(3);
  }
  void Key(int code, int modifiers = 0) {
    sim.Char(code, modifiers);
    FlushEvents(3);
  }

  wxFrame* frame = nullptr;
  TableGridWindow* window = nullptr;
  Owner owner;
  wxUIActionSimulator sim;
};

}  // namespace

TEST_F(GridWindowFixture, ClickShiftClickAndKeysSelectAndNotifyInOrder) {
  CGridCtrl& g = window->Grid();
  Click(At(2, 1));
  EXPECT_EQ(g.GetFocusCell(), CCellID(2, 1));
  EXPECT_EQ(owner.Codes(), (std::vector<int>{kNotifyItemChanging, kNotifyItemChanged, kNotifyClick}));
  EXPECT_EQ(owner.seen[0].row, 2);
  EXPECT_EQ(owner.commands, 1);

  Click(At(4, 3), wxMOD_SHIFT);
  EXPECT_EQ(g.GetSelectedCellRange(), CGridRange(2, 1, 4, 3));
  EXPECT_EQ(g.GetSelectedCount(), 9);

  // Tab at the end of a row wraps to the next row's first non-fixed column.
  Key(WXK_TAB);
  EXPECT_EQ(g.GetFocusCell(), CCellID(5, 1));
  EXPECT_EQ(g.GetSelectedCount(), 1);
  Key(WXK_DOWN);
  EXPECT_EQ(g.GetFocusCell(), CCellID(6, 1));
  Key(WXK_TAB, wxMOD_SHIFT);  // back over the start of the row
  EXPECT_EQ(g.GetFocusCell(), CCellID(5, 3));
}

TEST_F(GridWindowFixture, EditingByF2TypingAndEscapeWithVetoes) {
  CGridCtrl& g = window->Grid();
  Click(At(3, 2));
  owner.seen.clear();

  // F2 opens the editor on the text; typed text replaces it on Return.
  Key(WXK_F2);
  ASSERT_NE(window->Editor(), nullptr);
  window->Editor()->SelectAll();
  sim.Text("abc");
  FlushEvents(3);
  Key(WXK_RETURN);
  EXPECT_EQ(window->Editor(), nullptr);
  EXPECT_EQ(g.GetItemText(3, 2), "abc");
  EXPECT_TRUE(g.GetModified(3, 2));
  EXPECT_EQ(owner.Codes(), (std::vector<int>{kNotifyBeginEdit, kNotifyEndEdit}));

  // Typing a letter starts an edit with that letter; Escape gives the old text back.
  owner.seen.clear();
  Key('q');
  ASSERT_NE(window->Editor(), nullptr);
  EXPECT_EQ(window->Editor()->GetValue(), "q");
  Key(WXK_ESCAPE);
  EXPECT_EQ(window->Editor(), nullptr);
  EXPECT_EQ(g.GetItemText(3, 2), "abc");
  EXPECT_EQ(owner.Codes(), (std::vector<int>{kNotifyBeginEdit}));  // no change, no end

  // The owner vetoes the end: the old text stays.
  owner.endAnswer = -1;
  Key('z');
  Key(WXK_RETURN);
  EXPECT_EQ(g.GetItemText(3, 2), "abc");
  // The owner vetoes the start: no editor at all.
  owner.beginAnswer = -1;
  Key(WXK_F2);
  EXPECT_EQ(window->Editor(), nullptr);
}

TEST_F(GridWindowFixture, DropDownListsEditWithTheirOptionsAndReportOnce) {
  CGridCtrl& g = window->Grid();
  for (int col : {2, 3}) {
    ASSERT_TRUE(g.SetCellClass(4, col, &MakeCell<CGridCellCombo>));
    auto* combo = static_cast<CGridCellCombo*>(g.GetCell(4, col));
    combo->SetOptions({"Low", "Moderate", "High"});
    combo->SetText("Moderate");
  }
  static_cast<CGridCellCombo*>(g.GetCell(4, 3))->SetStyle(kComboDropDownList);
  Click(At(4, 2));
  owner.seen.clear();

  // Drop-down style: typing starts with the character; Return stores what was typed.
  Key('v');
  widgets::CInPlaceList* list = window->ListEditor();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetCount(), 3u);
  list->Dismiss();
  FlushEvents(3);
  EXPECT_EQ(list->GetValue(), "v");
  list->SetFocus();
  FlushEvents(2);
  list->SetInsertionPointEnd();
  sim.Text("ery high");
  FlushEvents(3);
  Key(WXK_RETURN);
  EXPECT_EQ(window->ListEditor(), nullptr);
  EXPECT_EQ(g.GetItemText(4, 2), "very high");
  EXPECT_EQ(owner.Codes(), (std::vector<int>{kNotifyBeginEdit, kNotifyEndEdit}));

  // Drop-list style: the current option is chosen at the start; Escape keeps the old text.
  Click(At(4, 3));
  owner.seen.clear();
  // F2 opens the list on the current option; the third is chosen with the list closed.
  auto chooseThird = [&] {
    Key(WXK_F2);
    widgets::CInPlaceList* open = window->ListEditor();
    if (!open) return false;
    EXPECT_EQ(open->GetSelection(), 1);
    open->Dismiss();
    FlushEvents(3);
    open->SetSelection(2);
    open->SetFocus();
    FlushEvents(2);
    return true;
  };
  ASSERT_TRUE(chooseThird());
  Key(WXK_ESCAPE);
  EXPECT_EQ(window->ListEditor(), nullptr);
  EXPECT_EQ(g.GetItemText(4, 3), "Moderate");
  EXPECT_EQ(owner.Codes(), (std::vector<int>{kNotifyBeginEdit}));

  // Chosen and ended by Tab: stored.
  ASSERT_TRUE(chooseThird());
  Key(WXK_TAB);
  EXPECT_EQ(window->ListEditor(), nullptr);
  EXPECT_EQ(g.GetItemText(4, 3), "High");
}

TEST_F(GridWindowFixture, DraggingAColumnDividerResizesTheColumn) {
  CGridCtrl& g = window->Grid();
  // The divider between columns 1 and 2 in the heading row.
  wxPoint divider = window->ClientToScreen(wxPoint(2 * kW - 1, kH / 2));
  sim.MouseMove(divider);
  FlushEvents(3);
  EXPECT_EQ(g.MouseMode(), 8);
  sim.MouseDown();
  FlushEvents(2);
  sim.MouseMove(divider + wxPoint(40, 0));
  FlushEvents(2);
  sim.MouseUp();
  FlushEvents(3);
  EXPECT_NEAR(g.GetColumnWidth(1), kW + 40, 2);
  EXPECT_EQ(g.GetColumnWidth(2), kW);
  EXPECT_TRUE(owner.seen.empty() || owner.seen.back().code != kNotifyClick);
}
