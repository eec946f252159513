#include "gridmodel/grid_types.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace gridmodel;

namespace {

struct Rec {
  std::string name;
  int year;
  double value;
};

int Cmp(int a, int b) { return (a > b) - (a < b); }
int Cmp(double a, double b) { return (a > b) - (a < b); }

}  // namespace

TEST(GridTypesSort, MultiKeyIsStableAndKeyOrderDecides) {
  const std::vector<Rec> rows = {{"b", 2001, 1.0}, {"a", 2000, 2.0}, {"b", 2000, 3.0},
                                 {"a", 2000, 1.0}, {"b", 2001, 0.5}, {"a", 1999, 2.0}};
  KeyCompare byName = [&](std::size_t x, std::size_t y) { return rows[x].name.compare(rows[y].name); };
  KeyCompare byYear = [&](std::size_t x, std::size_t y) { return Cmp(rows[x].year, rows[y].year); };
  KeyCompare byYearDesc = [&](std::size_t x, std::size_t y) { return -Cmp(rows[x].year, rows[y].year); };
  KeyCompare byValue = [&](std::size_t x, std::size_t y) { return Cmp(rows[x].value, rows[y].value); };

  struct Case {
    std::vector<KeyCompare> keys;
    std::vector<std::size_t> expected;
  };
  const std::vector<Case> cases = {
      {{}, {0, 1, 2, 3, 4, 5}},
      // equal names keep their input order
      {{byName}, {1, 3, 5, 0, 2, 4}},
      {{byName, byYear}, {5, 1, 3, 2, 0, 4}},
      {{byName, byYearDesc}, {1, 3, 5, 0, 4, 2}},
      {{byYear, byName, byValue}, {5, 3, 1, 2, 4, 0}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i)
    EXPECT_EQ(StableSortPermutation(rows.size(), cases[i].keys), cases[i].expected) << "case " << i;
}

TEST(GridTypesSort, ApplyPermutationMovesValues) {
  std::vector<std::string> v = {"c", "a", "b"};
  auto order = StableSortPermutation(v.size(), KeyCompare([&](std::size_t x, std::size_t y) {
                                       return v[x].compare(v[y]);
                                     }));
  ApplyPermutation(v, order);
  EXPECT_EQ(v, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(GridTypesColour, KindsCompareByWhatTheyUse) {
  EXPECT_EQ(Colour::FromRef(0x00332211), Colour::Rgb(0x11, 0x22, 0x33));
  EXPECT_EQ(Colour::Rgb(1, 2, 3).Ref(), 0x030201u);
  EXPECT_NE(Colour::System(SysColour::Window), Colour::System(SysColour::ButtonFace));
  EXPECT_NE(Colour::System(SysColour::Window), Colour::Rgb(255, 255, 255));
  EXPECT_TRUE(Colour().IsDefault());
  EXPECT_NE(Colour(), Colour::Rgb(0, 0, 0));
}
