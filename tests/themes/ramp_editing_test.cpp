// What the colour-ramp dialogs do to their lists.
#include <gtest/gtest.h>

#include "themes/ramp_editing.h"

namespace {

using themes::RampMove;

TEST(RampEditing, ManageListsUserRampsAndStoresThemAfterTheRandomOne) {
  std::vector<std::unique_ptr<CColorRamp>> ramps;
  ramps.push_back(std::make_unique<CColorRamp>());
  ramps.push_back(std::make_unique<CColorRamp>(std::vector<COLORREF>{1, 2}));
  ramps.push_back(std::make_unique<CColorRamp>());  // a second random ramp is not listed either
  ramps.push_back(std::make_unique<CColorRamp>(std::vector<COLORREF>{3}));
  std::vector<CColorRamp> listed = themes::ListedRamps(ramps);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(listed[1].Colors(), std::vector<COLORREF>{3});

  listed.push_back(CColorRamp({themes::kNewRampColor}));
  themes::StoreListedRamps(listed, ramps);
  ASSERT_EQ(ramps.size(), 4u);
  EXPECT_TRUE(ramps[0]->IsRandom());
  EXPECT_EQ(ramps[3]->Colors(), std::vector<COLORREF>{0x646464});

  themes::StoreListedRamps({}, ramps);  // every ramp deleted: the random one stays
  ASSERT_EQ(ramps.size(), 1u);
  EXPECT_TRUE(ramps[0]->IsRandom());
}

TEST(RampEditing, ColoursAddDeleteAndMoveWithinTheirLimits) {
  std::vector<COLORREF> c = {10};
  EXPECT_EQ(themes::DeleteRampColor(c, 0), 0);  // the last colour stays
  EXPECT_EQ(c.size(), 1u);
  for (int i = 1; i < themes::kMaxRampDialogColors; ++i) EXPECT_EQ(themes::AddRampColor(c, 0), i);
  EXPECT_EQ(c.back(), 0x808080u);
  EXPECT_EQ(themes::AddRampColor(c, 3), 3);  // no 21st
  EXPECT_EQ(c.size(), 20u);

  c = {1, 2, 3, 4};
  struct Case {
    int from;
    RampMove move;
    int to;
    std::vector<COLORREF> after;
  };
  const Case cases[] = {
      {0, RampMove::Up, 0, {1, 2, 3, 4}},     {3, RampMove::Bottom, 3, {1, 2, 3, 4}},
      {0, RampMove::Top, 0, {1, 2, 3, 4}},    {3, RampMove::Down, 3, {1, 2, 3, 4}},
      {-1, RampMove::Down, -1, {1, 2, 3, 4}}, {1, RampMove::Up, 0, {2, 1, 3, 4}},
      {1, RampMove::Down, 2, {1, 3, 2, 4}},   {2, RampMove::Top, 0, {3, 1, 2, 4}},
      {0, RampMove::Bottom, 3, {2, 3, 4, 1}},
  };
  for (const Case& k : cases) {
    std::vector<COLORREF> v = {1, 2, 3, 4};
    EXPECT_EQ(themes::MoveRampColor(v, k.from, k.move), k.to) << k.from;
    EXPECT_EQ(v, k.after) << k.from;
  }
  EXPECT_EQ(themes::DeleteRampColor(c, 1), -1);
  EXPECT_EQ(c, (std::vector<COLORREF>{1, 3, 4}));
}

TEST(RampEditing, RelativeLengthRangeMustGiveEachCellItsOwnLength) {
  EXPECT_TRUE(themes::RelativeLengthRangeFits(1, 5, 5));
  EXPECT_TRUE(themes::RelativeLengthRangeFits(10, 6, 5));
  EXPECT_FALSE(themes::RelativeLengthRangeFits(1, 4, 5));
  EXPECT_TRUE(themes::RelativeLengthRangeFits(7, 7, 1));
}

}  // namespace
