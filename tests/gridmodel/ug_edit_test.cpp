#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ug_test_grid.h"

using namespace gridmodel;
using ugtest::FakeEditor;
using ugtest::RecordingGrid;
using Log = std::vector<std::string>;

namespace {
struct EditFixture : ::testing::Test {
  RecordingGrid g;
  FakeEditor edit, masked;
  void SetUp() override {
    g.SetBuiltinEditors(&edit, &masked);
    g.Build(3, 4);
  }
};
}  // namespace

TEST_F(EditFixture, EnterStoresTypedTextAndMovesOnInOrder) {
  g.SetCellNumber(0, 0, 12);
  EXPECT_EQ(g.BeginEditWithKey('7'), 0);
  EXPECT_TRUE(edit.shown);
  EXPECT_EQ(edit.text, "12");
  EXPECT_EQ(edit.chars, (std::vector<int>{'7'}));
  EXPECT_EQ(edit.section, UG_GRID);
  EXPECT_EQ(edit.rect, (UGRect{0, 0, 74, 19}));
  EXPECT_EQ(g.BeginEdit(), 1);  // one editor at a time

  g.log.clear();
  EXPECT_EQ(g.EndCellEdit("1234.5", false, true, 0, 1), 1);
  EXPECT_EQ(g.log, (Log{"EndCellEdit 0,0 1234.5", "WriteCell 0,0", "ContinueCellEdit 0,1", "AllowCellMove 0,0->0,1",
                        "RowChanged 0->1", "CellChanged", "BeginCellEdit 0,1"}));
  CUGCell stored;
  g.GetCell(0, 0, &stored);
  EXPECT_EQ(stored.GetDataType(), UGCELLDATA_NUMBER);
  EXPECT_EQ(stored.GetNumber(), 1234.5);
  EXPECT_TRUE(g.IsEditing());
  EXPECT_EQ(g.GetCurrentRow(), 1);
}

TEST_F(EditFixture, RefusalsAndCancelling) {
  CUGCell ro;
  ro.SetPropertyFlags(0);
  ro.SetReadOnly(true);
  g.SetColDefault(2, &ro);
  EXPECT_EQ(g.BeginEditAt(2, 0, 0), 1);
  EXPECT_FALSE(edit.shown);
  EXPECT_FALSE(g.IsEditing());

  g.allowCellMove = false;
  EXPECT_EQ(g.BeginEditAt(1, 1, 0), 2);
  g.allowCellMove = true;

  ASSERT_EQ(g.BeginEditAt(1, 1, 0), 0);
  g.allowEndEdit = false;
  EXPECT_EQ(g.EndCellEdit("bad", false, false, 0, 0), 0);
  EXPECT_TRUE(edit.shown);  // left open for the user to correct
  g.allowEndEdit = true;
  g.log.clear();
  EXPECT_EQ(g.EndCellEdit("typed", true, false, 0, 0), 1);
  EXPECT_EQ(g.log, (Log{"EndCellEdit 1,1 typed cancelled"}));
  EXPECT_FALSE(edit.shown);
  EXPECT_EQ(g.GetCellText(1, 1), "");
}

TEST_F(EditFixture, MovingOnWrapsAndMasksPickTheMaskedEditor) {
  ASSERT_EQ(g.BeginEditAt(2, 3, 0), 0);
  EXPECT_EQ(g.EndCellEdit("last", false, true, 2, 4), 1);  // Enter on the last row
  EXPECT_EQ(g.GetCurrentCol(), 2);
  EXPECT_EQ(g.GetCurrentRow(), 0);
  EXPECT_TRUE(g.IsEditing());
  g.allowContinue = false;
  EXPECT_EQ(g.EndCellEdit("x", false, true, 3, 0), 1);
  EXPECT_FALSE(g.IsEditing());

  g.SetCellMask(1, 2, "90");
  EXPECT_EQ(g.BeginEditAt(1, 2, 0), 0);
  EXPECT_TRUE(masked.shown);
  EXPECT_FALSE(edit.shown);
  EXPECT_EQ(g.CancelCellEdit(), 0);
  EXPECT_FALSE(masked.shown);

  // A check box cell opens no editor.
  g.SetCellTypeAt(0, 1, 2);
  EXPECT_EQ(g.BeginEditAt(0, 1, 0), 1);
}
