// What the Predefined Legends dialog lists and deletes, without its window.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/layer_types.h"
#include "app/preference_records.h"
#include "app/preferences_file.h"
#include "views/predefined_legends.h"

namespace views {
namespace {

TEST(PredefinedLegends, TypesAreTheLayerTypesButTwoAndTheArrowKindsByName) {
  const std::vector<LegendType> types = PredefinedLegendTypes();
  EXPECT_EQ(types.size(), static_cast<std::size_t>(kLayerTypeCount - 2 + 3));
  EXPECT_TRUE(std::is_sorted(types.begin(), types.end(),
                             [](const LegendType& a, const LegendType& b) { return a.name < b.name; }));
  for (const LegendType& t : types) EXPECT_TRUE(t.type != 29 && t.type != 30) << t.name;
  auto spot = std::find_if(types.begin(), types.end(), [](const LegendType& t) { return t.name == "Spot Vectors"; });
  ASSERT_NE(spot, types.end());
  EXPECT_EQ(spot->type, 46);
  EXPECT_EQ(ArrowKindOfType(spot->type), 2);
}

TEST(PredefinedLegends, NamesAndDeletionKeepToTheirTypeAndOrder) {
  PreferenceLists lists;
  for (const auto& [name, type] : {std::pair{"A", 10}, std::pair{"B", 3}, std::pair{"C", 10}}) {
    auto l = std::make_unique<CPredefinedThemeLegend>();
    l->name = name;
    l->layerType = type;
    lists.predefinedLegends.push_back(std::move(l));
  }
  for (const auto& [name, kind] : {std::pair{"Gusts", 0}, std::pair{"Embers", 2}}) {
    auto l = std::make_unique<CPredefinedWVThemeLegend>();
    l->name = name;
    l->kind = kind;
    lists.predefinedWVLegends.push_back(std::move(l));
  }
  EXPECT_EQ(PredefinedLegendNames(lists, 10), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(PredefinedLegendNames(lists, 46), std::vector<std::string>{"Embers"});
  EXPECT_TRUE(PredefinedLegendNames(lists, 45).empty());
  EXPECT_FALSE(DeletePredefinedLegend(lists, 10, 2));
  ASSERT_TRUE(DeletePredefinedLegend(lists, 10, 1));
  EXPECT_EQ(PredefinedLegendNames(lists, 10), std::vector<std::string>{"A"});
  EXPECT_EQ(PredefinedLegendNames(lists, 3), std::vector<std::string>{"B"});
  ASSERT_TRUE(DeletePredefinedLegend(lists, 44, 0));
  EXPECT_EQ(lists.predefinedWVLegends.size(), 1u);
}

}  // namespace
}  // namespace views
