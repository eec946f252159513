#include "engines/standard_fuels.h"

#include <gtest/gtest.h>

#include <set>

using engines::FindStandardFuelModel;

TEST(StandardFuels, TableHoldsTheFiftyEightModelsInOrder) {
  auto all = engines::StandardFuelModels();
  ASSERT_EQ(all.size(), 58u);
  std::set<int> numbers;
  for (size_t i = 0; i < all.size(); ++i) {
    if (i) {
      EXPECT_LT(all[i - 1].number, all[i].number);
    }
    numbers.insert(all[i].number);
  }
  for (int n : {1, 13, 91, 92, 93, 98, 99, 101, 109, 121, 149, 165, 189, 204}) EXPECT_TRUE(numbers.count(n)) << n;
  for (int n : {0, 14, 90, 94, 100, 110, 205, 256, -1}) EXPECT_EQ(FindStandardFuelModel(n), nullptr) << n;
}

TEST(StandardFuels, RowsCarryThePublishedValues) {
  const auto* fm7 = FindStandardFuelModel(7);
  ASSERT_NE(fm7, nullptr);
  EXPECT_EQ(fm7->sav[0], 1750);  // the published original, not 1550
  EXPECT_EQ(fm7->sav[2], 1550);
  EXPECT_DOUBLE_EQ(fm7->load[4], 0.37);
  EXPECT_DOUBLE_EQ(fm7->extinction, 0.40);

  const auto* gr9 = FindStandardFuelModel(109);
  ASSERT_NE(gr9, nullptr);
  EXPECT_STREQ(gr9->code, "GR9");
  EXPECT_EQ(gr9->dynamic, 1);
  EXPECT_DOUBLE_EQ(gr9->load[3], 9.0);
  EXPECT_DOUBLE_EQ(gr9->depth, 5.0);

  const auto* sh8 = FindStandardFuelModel(148);
  ASSERT_NE(sh8, nullptr);
  EXPECT_EQ(sh8->sav[0], 750);
  EXPECT_DOUBLE_EQ(sh8->load[1], 3.4);

  EXPECT_STREQ(FindStandardFuelModel(183)->name, "Moderate load confier litter");
  EXPECT_DOUBLE_EQ(FindStandardFuelModel(106)->heatDead, 9000.0);
  EXPECT_DOUBLE_EQ(FindStandardFuelModel(98)->depth, 0.0);
}
