#include "views/predefined_legends.h"

#include <algorithm>

#include "app/layer_types.h"
#include "app/preference_records.h"
#include "app/preferences_file.h"

namespace views {

namespace {
// Layer types without legends of their own.
bool Offered(int layerType) { return layerType != 29 && layerType != 30; }

template <class List, class Match>
auto NthOfType(List& list, Match match, int index) {
  auto it = list.begin();
  for (int seen = -1; it != list.end(); ++it)
    if (match(**it) && ++seen == index) break;
  return it;
}
}  // namespace

std::vector<LegendType> PredefinedLegendTypes() {
  std::vector<LegendType> types;
  for (int t = 0; t < kLayerTypeCount; ++t)
    if (Offered(t)) types.push_back({GetLayerTypeName(t), t});
  types.push_back({"Wind Vectors", 44});
  types.push_back({"Spread Vectors", 45});
  types.push_back({"Spot Vectors", 46});
  std::stable_sort(types.begin(), types.end(), [](const LegendType& a, const LegendType& b) { return a.name < b.name; });
  return types;
}

std::vector<std::string> PredefinedLegendNames(const PreferenceLists& lists, int type) {
  std::vector<std::string> names;
  if (IsArrowLegendType(type)) {
    for (const auto& l : lists.predefinedWVLegends)
      if (l->kind == ArrowKindOfType(type)) names.push_back(l->name);
  } else {
    for (const auto& l : lists.predefinedLegends)
      if (l->layerType == type) names.push_back(l->name);
  }
  return names;
}

bool DeletePredefinedLegend(PreferenceLists& lists, int type, int index) {
  if (IsArrowLegendType(type)) {
    auto& list = lists.predefinedWVLegends;
    auto it = NthOfType(list, [&](const CPredefinedWVThemeLegend& l) { return l.kind == ArrowKindOfType(type); }, index);
    if (index < 0 || it == list.end()) return false;
    list.erase(it);
    return true;
  }
  auto& list = lists.predefinedLegends;
  auto it = NthOfType(list, [&](const CPredefinedThemeLegend& l) { return l.layerType == type; }, index);
  if (index < 0 || it == list.end()) return false;
  list.erase(it);
  return true;
}

}  // namespace views
