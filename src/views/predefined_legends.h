#pragma once
// What the Predefined Legends dialog lists: the theme types a legend can be kept for (the
// layer types and the three arrow kinds, by name in alphabetical order) and the application's
// legends of one type.
#include <string>
#include <vector>

struct PreferenceLists;

namespace views {

// Arrow kinds are listed as types 44 (wind), 45 (spread) and 46 (spot vectors).
constexpr int kFirstArrowLegendType = 44;
inline bool IsArrowLegendType(int type) { return type >= kFirstArrowLegendType; }
inline int ArrowKindOfType(int type) { return type - kFirstArrowLegendType; }

struct LegendType {
  std::string name;
  int type = 0;
};
std::vector<LegendType> PredefinedLegendTypes();
// Names of the legends of a type, in the order the application keeps them.
std::vector<std::string> PredefinedLegendNames(const PreferenceLists& lists, int type);
// Removes the index-th legend of a type; false when there is none.
bool DeletePredefinedLegend(PreferenceLists& lists, int type, int index);

}  // namespace views
