#include <gtest/gtest.h>

#include "gridmodel/table_grid.h"
#include "platform/dialogs.h"
#include "table_test_support.h"

using namespace gridmodel;
using tabletest::FakeHost;
using tabletest::RecordingOwner;

namespace {

// Counts destroyed cells, to see that replaced and removed cells are freed.
int g_destroyed = 0;
struct CountedCell : CGridCell {
  ~CountedCell() override { ++g_destroyed; }
};

}  // namespace

TEST(TableGridCore, CountsCreateCellsWithTheirDefaultsAndFixedBits) {
  CGridCtrl g;
  ASSERT_TRUE(g.SetRowCount(3));
  ASSERT_TRUE(g.SetColumnCount(2));
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 2; ++c) {
      ASSERT_NE(g.GetCell(r, c), nullptr);
      EXPECT_EQ(g.GetCell(r, c)->GetGrid(), &g);
    }
  EXPECT_EQ(g.GetRowHeight(0), g.GetDefaultCell(false, false)->GetHeight());
  EXPECT_EQ(g.GetColumnWidth(1), g.GetDefaultCell(false, true)->GetWidth());
  EXPECT_EQ(g.GetCell(3, 0), nullptr);
  EXPECT_EQ(g.GetCell(0, -1), nullptr);

  g.SetItemBkColour(0, 1, Colour::Rgb(1, 2, 3));
  ASSERT_TRUE(g.SetFixedRowCount(1));
  EXPECT_EQ(g.GetItemState(0, 1) & 0x30u, 0x30u);
  EXPECT_EQ(g.GetItemBkColour(0, 1), kDefaultColour);
  EXPECT_EQ(g.GetItemState(1, 1) & 0x30u, 0u);
  ASSERT_TRUE(g.SetFixedRowCount(0));
  EXPECT_EQ(g.GetItemState(0, 1) & 0x30u, 0u);

  // More fixed rows than rows grows the grid first.
  ASSERT_TRUE(g.SetFixedRowCount(5));
  EXPECT_EQ(g.GetRowCount(), 5);
  ASSERT_TRUE(g.SetFixedColumnCount(1));
  EXPECT_EQ(g.GetItemState(4, 0) & 0x70u, 0x70u);  // corner: fixed, fixed row, fixed column
}

TEST(TableGridCore, StructuralChangesClearFocusAndSortColumn) {
  CGridCtrl g(4, 3, 1, 1);
  g.SetFocusCell(2, 1);
  ASSERT_TRUE(g.SortByText(1, true));
  EXPECT_EQ(g.GetSortColumn(), 1);
  g.SetFocusCell(2, 1);
  g.SetRowCount(2);
  EXPECT_EQ(g.GetFocusCell(), CCellID());
  EXPECT_EQ(g.GetSortColumn(), -1);
}

TEST(TableGridCore, ReplacedAndRemovedCellsAreFreed) {
  CGridCtrl g(3, 3);
  g_destroyed = 0;
  g.SetDefaultCellClass(&MakeCell<CountedCell>);
  g.InsertRow("x");  // three counted cells
  ASSERT_TRUE(g.SetCell(3, 0, std::make_unique<CGridCell>()));
  EXPECT_EQ(g_destroyed, 1);
  ASSERT_TRUE(g.DeleteRow(3));
  EXPECT_EQ(g_destroyed, 3);
}

TEST(TableGridCore, CellClassReplacementKeepsProperties) {
  CGridCtrl g(3, 3, 1, 0);
  g.SetItemText(1, 1, "red");
  g.SetItemFormat(1, 1, kAlignRight);
  g.SetItemFgColour(1, 1, Colour::Rgb(9, 9, 9));
  g.SetSelectedRange(1, 1, 1, 1);
  ASSERT_TRUE(g.SetCellClass(1, 1, &MakeCell<CGridCellColor>));
  auto* colour = dynamic_cast<CGridCellColor*>(g.GetCell(1, 1));
  ASSERT_NE(colour, nullptr);
  EXPECT_EQ(colour->GetText(), "red");
  EXPECT_EQ(colour->GetFormat(), static_cast<unsigned>(kAlignRight));
  EXPECT_EQ(colour->GetTextColor(), Colour::Rgb(9, 9, 9));
  EXPECT_TRUE(g.IsCellSelected(1, 1));
  EXPECT_EQ(g.GetSelectedCount(), 1);
  EXPECT_EQ(colour->SetColor(Colour::Rgb(1, 2, 3)), Colour::Rgb(0, 0, 0));
  EXPECT_EQ(colour->SetColor(Colour::Rgb(4, 5, 6)), Colour::Rgb(1, 2, 3));
}

TEST(TableGridCore, ColourCellEditsThroughTheColourDialog) {
  CGridCtrl g(2, 2, 1, 0);
  FakeHost host;
  g.SetHost(&host);
  g.SetCellClass(1, 1, &MakeCell<CGridCellColor>);
  auto* cell = static_cast<CGridCellColor*>(g.GetCell(1, 1));
  cell->SetColor(Colour::Rgb(10, 20, 30));
  platform::ScopedScriptedDialogs dialogs;
  dialogs.AnswerColour(std::nullopt);
  dialogs.AnswerColour(Colour::Rgb(200, 100, 50).Ref());
  g.OnEditCell(1, 1, Point{-1, -1}, kKeyLButton);
  EXPECT_EQ(cell->GetColor(), Colour::Rgb(10, 20, 30));  // cancelled
  g.OnEditCell(1, 1, Point{-1, -1}, kKeyLButton);
  EXPECT_EQ(cell->GetColor(), Colour::Rgb(200, 100, 50));
  ASSERT_EQ(dialogs.Requests().size(), 2u);
  EXPECT_TRUE(host.editors.empty());  // no text editor for a colour
  EXPECT_FALSE(cell->IsEditing());
}

TEST(TableGridCore, OwnerDataCellsComeFromTheOwner) {
  struct Owner : RecordingOwner {
    void OnGridDisplayInfo(GridItem& item) override { item.text = std::to_string(item.row * 10 + item.col); }
  } owner;
  CGridCtrl g;
  g.SetOwner(&owner);
  g.SetOwnerDataMode(true);
  g.SetRowCount(5);
  g.SetColumnCount(3);
  EXPECT_EQ(g.GetItemText(4, 2), "42");
  EXPECT_EQ(g.GetCell(1, 1), g.GetCell(2, 2));  // one shared cell
  EXPECT_FALSE(g.SetItemText(1, 1, "x"));
  EXPECT_FALSE(g.SetCellClass(1, 1, &MakeCell<CGridCellColor>));
  EXPECT_FALSE(g.SetItemState(1, 1, kStateSelected));
  EXPECT_TRUE(g.IsCellSelected(1, 1));
  EXPECT_TRUE(g.GetCell(1, 1)->IsSelected());
  EXPECT_FALSE(g.Load("/nonexistent", ','));
}

TEST(TableGridSelection, FocusStaysOutOfTheFixedArea) {
  struct Case {
    CCellID asked, stored;
  };
  const Case cases[] = {
      {{0, 0}, {1, 1}},
      {{-1, 5}, {-1, 5}},
      {{3, 0}, {3, 1}},
      {{0, 2}, {1, 2}},
  };
  for (const Case& c : cases) {
    CGridCtrl g(5, 4, 1, 1);
    g.SetFocusCell(c.asked);
    EXPECT_EQ(g.GetFocusCell(), c.stored) << c.asked.row << "," << c.asked.col;
    if (g.IsValid(c.stored)) EXPECT_TRUE(g.GetCell(c.stored.row, c.stored.col)->IsFocused());
  }
}

TEST(TableGridSelection, RangesAreClippedAndCounted) {
  CGridCtrl g(5, 4);
  EXPECT_EQ(g.GetSelectedCellRange(), CGridRange(5, 4, -1, -1));  // nothing selected
  EXPECT_FALSE(g.IsValid(g.GetSelectedCellRange()));
  g.SetSelectedRange(1, 1, 3, 2);
  EXPECT_EQ(g.GetSelectedCount(), 6);
  EXPECT_EQ(g.GetSelectedCellRange(), CGridRange(1, 1, 3, 2));
  EXPECT_TRUE(g.GetCell(2, 2)->IsSelected());
  // Deselecting one block leaves the rest.
  g.SetSelectedRange(1, 1, 1, 2, false, false);
  EXPECT_EQ(g.GetSelectedCount(), 4);
  EXPECT_EQ(g.GetSelectedCellRange(), CGridRange(2, 1, 3, 2));
  g.SetSelectedRange(-1, -1, -1, -1);
  EXPECT_EQ(g.GetSelectedCount(), 0);

  CGridCtrl fixed(5, 4, 1, 1);
  fixed.SetSelectedRange(0, 0, 2, 2);
  EXPECT_EQ(fixed.GetSelectedCellRange(), CGridRange(1, 1, 2, 2));
  fixed.EnableSelection(false);
  EXPECT_FALSE(fixed.IsCellSelected(1, 1));
}

TEST(TableGridSelection, KeysStayDistinctBeyondSixteenBits) {
  CGridCtrl g(65538, 2);
  g.SetSelectedRange(1, 1, 1, 1);
  g.SetSelectedRange(65537, 1, 65537, 1, false, true);
  // Selecting the second cell replaced the first: one entry, and the range names the far row.
  EXPECT_EQ(g.GetSelectedCount(), 1);
  EXPECT_EQ(g.GetSelectedCellRange(), CGridRange(65537, 1, 65537, 1));
  EXPECT_FALSE(g.IsCellSelected(1, 1));
  g.SetItemState(1, 1, kStateSelected);
  EXPECT_EQ(g.GetSelectedCount(), 2);
  g.SetItemState(65537, 1, 0);
  EXPECT_EQ(g.GetSelectedCellRange(), CGridRange(1, 1, 1, 1));
}

TEST(TableGridContents, InsertAndDeleteRows) {
  CGridCtrl g(3, 2, 1, 0);
  tabletest::FillCoordinates(g);
  EXPECT_EQ(g.InsertRow("new"), 3);
  EXPECT_EQ(g.GetItemText(3, 0), "new");
  EXPECT_TRUE(g.GetModified(3, 0));
  EXPECT_EQ(g.InsertRow("mid", 1), 1);
  EXPECT_EQ(g.GetItemText(2, 1), "1.1");  // old row 1 moved down
  EXPECT_EQ(g.InsertRow("x", 0), -1);     // a fixed row
  EXPECT_EQ(g.InsertRow("x", 5), -1);     // at the end only by -1

  g.SetFocusCell(2, 1);
  g.InsertRow("", 1);
  EXPECT_EQ(g.GetFocusCell(), CCellID(3, 1));
  ASSERT_TRUE(g.DeleteRow(3));
  EXPECT_EQ(g.GetFocusCell(), CCellID());
  EXPECT_FALSE(g.DeleteRow(g.GetRowCount()));
  EXPECT_EQ(g.GetItemText(99, 0), "");

  EXPECT_EQ(g.InsertColumn("C", kAlignRight), 2);
  EXPECT_EQ(g.GetItemText(0, 2), "C");
  EXPECT_EQ(g.GetItemFormat(1, 2), static_cast<unsigned>(kAlignRight));
  EXPECT_EQ(g.InsertColumn("x", 0, 4), -1);
  ASSERT_TRUE(g.DeleteColumn(0));
  EXPECT_EQ(g.GetColumnCount(), 2);
}

TEST(TableGridContents, ModifiedBitsAndTextReplacementByCode) {
  CGridCtrl g(3, 3, 1, 0);
  RecordingOwner owner;
  g.SetOwner(&owner);
  g.SetItemFormat(1, 1, kAlignRight);
  EXPECT_FALSE(g.GetModified(1, 1));
  g.SetItemText(1, 1, "a");
  EXPECT_TRUE(g.GetModified(1, 1));
  g.SetModified(false);
  EXPECT_FALSE(g.GetModified(1, 1));
  EXPECT_FALSE(g.GetModified());

  owner.beginAnswer = -1;  // vetoed before anything changes
  g.ReplaceCellText(1, 1, "b");
  EXPECT_EQ(g.GetItemText(1, 1), "a");
  EXPECT_EQ(owner.Codes(), (std::vector<int>{kNotifyBeginEdit}));
  owner.beginAnswer = 0;
  owner.endAnswer = -1;  // vetoed at the end: the old text returns, unmarked
  g.ReplaceCellText(1, 1, "b");
  EXPECT_EQ(g.GetItemText(1, 1), "a");
  EXPECT_FALSE(g.GetModified(1, 1));
  EXPECT_FALSE(g.GetModified());
  owner.endAnswer = 0;
  g.ReplaceCellText(1, 1, "c");
  EXPECT_EQ(g.GetItemText(1, 1), "c");
  EXPECT_TRUE(g.GetModified(1, 1));
  g.SetItemState(1, 2, kStateReadOnly);
  owner.seen.clear();
  g.ReplaceCellText(1, 2, "z");
  EXPECT_EQ(g.GetItemText(1, 2), "");
  EXPECT_TRUE(owner.seen.empty());
}

namespace {
int ByLength(const CGridCellBase* a, const CGridCellBase* b, std::intptr_t data) {
  int x = static_cast<int>(a->GetText().size()), y = static_cast<int>(b->GetText().size());
  return data * (x < y ? -1 : x > y ? 1 : 0);
}
std::vector<std::string> Column(const CGridCtrl& g, int col) {
  std::vector<std::string> v;
  for (int r = 0; r < g.GetRowCount(); ++r) v.push_back(g.GetItemText(r, col));
  return v;
}
}  // namespace

TEST(TableGridSort, MovesWholeRowsStablyBelowTheFixedRows) {
  struct Case {
    GridCompare compare;
    bool ascending;
    std::intptr_t data;
    std::vector<std::string> keys, expected;
  };
  const Case cases[] = {
      {&CGridCtrl::CompareCellText, true, 0, {"b", "a", "c"}, {"h", "a", "b", "c"}},
      {&CGridCtrl::CompareCellText, false, 0, {"b", "a", "c"}, {"h", "c", "b", "a"}},
      {&CGridCtrl::CompareCellText, true, 0, {"ab", "a", "B"}, {"h", "B", "a", "ab"}},
      {&CGridCtrl::CompareCellNumbers, true, 0, {"10", "9", "x"}, {"h", "x", "9", "10"}},
      {&ByLength, true, 1, {"ccc", "a", "bb"}, {"h", "a", "bb", "ccc"}},
      {&ByLength, true, -1, {"ccc", "a", "bb"}, {"h", "ccc", "bb", "a"}},  // the owner's data passes through
  };
  for (const Case& c : cases) {
    CGridCtrl g(4, 2, 1, 0);
    g.SetItemText(0, 1, "h");
    for (int r = 1; r <= 3; ++r) {
      g.SetItemText(r, 1, c.keys[static_cast<std::size_t>(r - 1)]);
      g.SetItemText(r, 0, "row of " + c.keys[static_cast<std::size_t>(r - 1)]);
      g.SetRowHeight(r, 10 + r);
    }
    ASSERT_TRUE(g.SortItems(c.compare, 1, c.ascending, c.data));
    EXPECT_EQ(Column(g, 1), c.expected);
    for (int r = 1; r <= 3; ++r) {
      EXPECT_EQ(g.GetItemText(r, 0), "row of " + g.GetItemText(r, 1));
      auto k = std::find(c.keys.begin(), c.keys.end(), g.GetItemText(r, 1)) - c.keys.begin();
      EXPECT_EQ(g.GetRowHeight(r), 11 + k);  // heights travel with their rows
    }
  }

  // Equal keys keep their order.
  CGridCtrl g(6, 2, 1, 0);
  const char* keys[] = {"b", "a", "b", "a", "b"};
  for (int r = 1; r <= 5; ++r) {
    g.SetItemText(r, 0, keys[r - 1]);
    g.SetItemText(r, 1, std::to_string(r));
  }
  ASSERT_TRUE(g.SortByText(0, true));
  EXPECT_EQ(Column(g, 1), (std::vector<std::string>{"", "2", "4", "1", "3", "5"}));
  ASSERT_TRUE(g.SortByText(0, false));
  EXPECT_EQ(Column(g, 1), (std::vector<std::string>{"", "1", "3", "5", "2", "4"}));

  // Nothing to sort, or no such column.
  CGridCtrl one(2, 2, 1, 0);
  EXPECT_FALSE(one.SortByText(0, true));
  EXPECT_EQ(one.GetSortColumn(), 0);
  EXPECT_FALSE(g.SortByText(5, true));
  // Changing a cell of the sort column breaks the promise; another column does not.
  ASSERT_TRUE(g.SortByText(0, true));
  g.SetItemText(2, 1, "z");
  EXPECT_EQ(g.GetSortColumn(), 0);
  g.SetItemText(2, 0, "z");
  EXPECT_EQ(g.GetSortColumn(), -1);
}

TEST(TableGridGeometry, TopLeftCellScrollBarsAndHitTests) {
  CGridCtrl g(4, 3, 1, 1);
  FakeHost host;
  for (int r = 0; r < 4; ++r) g.SetRowHeight(r, 20);
  for (int c = 0; c < 3; ++c) g.SetColumnWidth(c, 50);
  g.SetHost(&host);
  EXPECT_EQ(g.GetScrollBarState(), 0);  // everything fits
  EXPECT_EQ(g.GetScrollMax(0), 0);
  EXPECT_EQ(g.GetScrollMax(1), 0);

  host.view = {150, 50};  // width fits exactly, height does not: both bars
  g.ResetScrollBars();
  EXPECT_EQ(g.GetScrollBarState(), 3);
  EXPECT_EQ(g.GetScrollMax(1), 79);
  g.SetScrollPos32(1, 1);
  EXPECT_EQ(g.GetTopLeftNonFixedCell(true), CCellID(2, 1));  // any position moves past the row

  g.SetScrollPos32(1, 0);
  g.GetTopLeftNonFixedCell(true);
  EXPECT_EQ(g.GetCellFromPt(Point{10, 10}), CCellID(0, 0));
  EXPECT_EQ(g.GetCellFromPt(Point{10, 10}, false), CCellID(-1, -1));
  EXPECT_EQ(g.GetCellFromPt(Point{60, 25}), CCellID(1, 1));
  EXPECT_EQ(g.GetCellFromPt(Point{151, 25}).col, -1);  // right of the last column
  Rect r;
  ASSERT_TRUE(g.GetCellRect(1, 1, r));
  EXPECT_EQ(r, (Rect{50, 20, 99, 39}));
  g.OnHScroll(CGridCtrl::kLineDown);
  EXPECT_FALSE(g.GetCellRect(1, 1, r));  // scrolled off to the left
}

TEST(TableGridInput, KeyboardMovesAndWrapsTheFocusAndSelects) {
  CGridCtrl g(3, 3, 1, 1);
  FakeHost host;
  g.SetHost(&host);
  g.SetFocusCell(1, 2);
  g.OnKeyDown(kKeyTab, 0);  // end of a row: wraps to the next row's first non-fixed column
  EXPECT_EQ(g.GetFocusCell(), CCellID(2, 1));
  EXPECT_TRUE(g.IsCellSelected(2, 1));
  EXPECT_EQ(g.GetSelectedCount(), 1);
  g.OnKeyDown(kKeyTab, kModShift);  // and back
  EXPECT_EQ(g.GetFocusCell(), CCellID(1, 2));
  g.SetFocusCell(2, 2);
  g.OnKeyDown(kKeyTab, 0);  // last cell of the last row: stays
  EXPECT_EQ(g.GetFocusCell(), CCellID(2, 2));
  g.OnKeyDown(kKeyLeft, 0);
  g.OnKeyDown(kKeyUp, kModShift);  // extends from the anchor
  EXPECT_EQ(g.GetFocusCell(), CCellID(1, 1));
  EXPECT_EQ(g.GetSelectedCellRange(), CGridRange(1, 1, 2, 1));
  g.OnKeyDown(kKeyUp, 0);  // no row above the first non-fixed one
  EXPECT_EQ(g.GetFocusCell(), CCellID(1, 1));
  g.SetRowHeight(2, 0);
  g.OnKeyDown(kKeyDown, 0);  // a hidden row is skipped, and there is none further
  EXPECT_EQ(g.GetFocusCell(), CCellID(1, 1));
}

TEST(TableGridInput, ClicksNotifyTheOwnerInOrderAndEditsHonourVetoes) {
  CGridCtrl g(4, 3, 1, 1);
  FakeHost host;
  RecordingOwner owner;
  g.SetHost(&host);
  g.SetOwner(&owner);
  for (int r = 0; r < 4; ++r) g.SetRowHeight(r, 20);
  for (int c = 0; c < 3; ++c) g.SetColumnWidth(c, 60);
  g.SetItemText(2, 2, "old");
  g.OnLButtonDown(Point{130, 50}, 0);
  g.OnLButtonUp(Point{130, 50});
  EXPECT_EQ(owner.Codes(), (std::vector<int>{kNotifyItemChanging, kNotifyItemChanged, kNotifyClick}));
  EXPECT_EQ(owner.commands, 1);
  EXPECT_EQ(g.GetFocusCell(), CCellID(2, 2));

  // A second press on the focus cell's text edits on release.
  owner.seen.clear();
  g.OnLButtonDown(Point{130, 50}, 0);
  EXPECT_EQ(g.MouseMode(), 10);
  g.OnLButtonUp(Point{130, 50});
  ASSERT_EQ(host.editors.size(), 1u);
  EXPECT_EQ(host.editors[0], "2,2,old,1");
  EXPECT_TRUE(g.IsItemEditing(2, 2));
  owner.endAnswer = -1;
  g.OnEndInPlaceEdit(2, 2, "new", kKeyReturn);
  EXPECT_EQ(g.GetItemText(2, 2), "old");
  EXPECT_FALSE(g.IsItemEditing(2, 2));
  EXPECT_EQ(owner.Codes(), (std::vector<int>{kNotifyBeginEdit, kNotifyEndEdit}));

  // Ending with Tab moves on and edits the next cell; the same text sends no end.
  owner.endAnswer = 0;
  owner.seen.clear();
  g.OnEndInPlaceEdit(2, 2, "old", kKeyTab);
  EXPECT_EQ(owner.Codes(), (std::vector<int>{kNotifyBeginEdit}));
  EXPECT_EQ(g.GetFocusCell(), CCellID(3, 1));
  EXPECT_EQ(host.editors.back(), "3,1,,9");

  owner.beginAnswer = -1;  // the owner makes the grid read-only
  g.OnChar('x', 0);
  EXPECT_EQ(host.editors.size(), 2u);
  g.SetEditable(false);
  owner.seen.clear();
  g.OnKeyDown(kKeyF2, 0);
  EXPECT_TRUE(owner.seen.empty());
}
