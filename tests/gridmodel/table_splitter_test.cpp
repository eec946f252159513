#include <gtest/gtest.h>

#include "gridmodel/table_splitter.h"

using gridmodel::SplitterLayout;

namespace {
std::vector<int> PaneSizes(const SplitterLayout& s) {
  std::vector<int> v;
  for (int i = 0; i < s.PaneCount(); ++i) v.push_back(s.PaneEnd(i) - s.PaneStart(i));
  return v;
}
}  // namespace

TEST(SplitterLayout, SharesLayOutPanesAndKeepTheMinimum) {
  SplitterLayout s(3, false, 30, 3);
  EXPECT_EQ(s.Fractions(), (std::vector<int>{10923, 10923, 10922}));
  s.SetLength(300);
  EXPECT_EQ(s.Available(), 294);
  EXPECT_EQ(PaneSizes(s), (std::vector<int>{98, 98, 98}));
  EXPECT_EQ(s.PaneEnd(2), 300);

  ASSERT_TRUE(s.SetPaneSizes({1, 1, 2}));
  EXPECT_EQ(s.Fractions(), (std::vector<int>{8192, 8192, 16384}));
  EXPECT_FALSE(s.SetPaneSizes({0, 0, 0}));  // no sum to divide by
  EXPECT_FALSE(s.SetPaneSizes({1, 2}));

  // Shrinking: the small panes stop at the minimum, the large one takes the rest.
  ASSERT_TRUE(s.SetPaneSizes({1, 1, 8}));
  s.SetLength(150);
  std::vector<int> sizes = PaneSizes(s);
  EXPECT_EQ(sizes[0], 30);
  EXPECT_EQ(sizes[1], 30);
  EXPECT_EQ(sizes[0] + sizes[1] + sizes[2] + 6, 150);

  // The minimums no longer fit: the first panes get theirs, the last what is left.
  s.SetLength(70);
  sizes = PaneSizes(s);
  EXPECT_EQ(sizes[0], 30);
  EXPECT_EQ(sizes[1], 30);
  EXPECT_EQ(sizes[2], 4);
  // Nothing to share: no division by zero, and the shares wait for a real size.
  s.SetLength(0);
  ASSERT_TRUE(s.SetPaneSizes({1, 1, 2}));
  EXPECT_EQ(s.Fractions(), (std::vector<int>{8192, 8192, 16384}));
  s.SetLength(300);
  EXPECT_EQ(PaneSizes(s), (std::vector<int>{74, 74, 146}));
}

TEST(SplitterLayout, DragsStopShortOfTheNeighboursMinimum) {
  SplitterLayout s(3, true, 30, 3);
  s.SetLength(300);
  const int bar = s.Positions()[1];
  EXPECT_EQ(s.BeginDrag(bar - 1), bar);
  EXPECT_EQ(s.DraggedBar(), 1);
  EXPECT_EQ(s.DragTo(-100), 33);                           // minimum + bar from the start
  EXPECT_EQ(s.DragTo(1000), s.Positions()[2] - 33);        // and from the next bar
  s.EndDrag(bar - 1 + 40);
  EXPECT_EQ(s.PaneEnd(0) - s.PaneStart(0), 98 + 40);
  EXPECT_EQ(s.PaneEnd(1) - s.PaneStart(1), 98 - 40);
  int sum = 0;
  for (int f : s.Fractions()) sum += f;
  EXPECT_NEAR(sum, SplitterLayout::kWhole, 2);
}
