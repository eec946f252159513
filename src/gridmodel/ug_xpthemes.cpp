#include "gridmodel/ug_xpthemes.h"

#include <initializer_list>

namespace gridmodel {

bool& UGXPThemes::Switch() {
  static bool on = false;
  return on;
}
int& UGXPThemes::StyleSet() {
  static int set = 0;
  return set;
}
std::map<int, std::unique_ptr<UGXPThemeEntry>>& UGXPThemes::Map() {
  static std::map<int, std::unique_ptr<UGXPThemeEntry>> map;
  return map;
}

void UGXPThemes::SelectStyleSet(int set) {
  StyleSet() = set;
  ReleaseThemes();
  Build();
}

void UGXPThemes::ReleaseThemes() { Map().clear(); }

namespace {
struct Row {
  int element;
  std::initializer_list<int> codes;
  const char* cls;
  std::initializer_list<int> parts;  // one part for all states, or one per state
  std::initializer_list<int> states;
};
}  // namespace

void UGXPThemes::Build() {
  const bool alt = StyleSet() == 1;
  static const Row kDefault[] = {
      {0x10, {1, 2, 4, 8, 6}, "TAB", {1}, {1, 3, 2, 4, 5}},
      {0x20, {1, 2}, "TASKBAR", {3, 7}, {0, 0}},
      {0x40, {1, 2}, "TASKBAR", {4, 8}, {0, 0}},
      {0x80, {1}, "WINDOW", {11}, {0}},
      {0x100, {1, 2, 4, 6}, "COMBOBOX", {1}, {0, 0, 0, 0}},
      {0x10000, {1, 2, 4, 0x10}, "SPIN", {1}, {1, 2, 2, 3}},
      {0x20000, {1, 2, 4, 0x10}, "SPIN", {2}, {1, 2, 2, 3}},
      {0x40000, {1, 2, 4, 6}, "PROGRESS", {3}, {0, 0, 0, 0}},
      {0x80000, {1, 2, 4, 6}, "PROGRESS", {1}, {1, 1, 1, 1}},
  };
  static const Row kAlternative[] = {
      {0x10, {1, 2, 4, 8, 6}, "LISTVIEW", {1}, {1, 3, 2, 4, 5}},
      {0x20, {1, 2}, "EXPLORERBAR", {5, 9}, {0, 0}},
      {0x40, {1, 2}, "EXPLORERBAR", {1, 9}, {0, 0}},
      {0x80, {1}, "EXPLORERBAR", {5}, {0}},
      {0x100, {1, 2, 4, 6}, "EXPLORERBAR", {4}, {1, 2, 3, 3}},
      {0x10000, {1, 2, 4, 0x10}, "SCROLLBAR", {1}, {1, 2, 2, 3}},
      {0x20000, {1, 2, 4, 0x10}, "SCROLLBAR", {1}, {5, 6, 6, 7}},
      {0x40000, {1, 2, 4, 6}, "EXPLORERBAR", {12}, {0, 0, 0, 0}},
      {0x80000, {1, 2, 4, 6}, "EXPLORERBAR", {1}, {0, 0, 0, 0}},
  };
  static const Row kShared[] = {
      {0x200, {1, 2, 4, 8}, "BUTTON", {3}, {1, 2, 3, 4}},
      {0x400, {1, 2, 4, 8}, "BUTTON", {3}, {5, 6, 7, 8}},
      {0x800, {1, 2, 4, 8}, "BUTTON", {3}, {9, 10, 11, 12}},
      {0x1000, {1, 2, 4}, "BUTTON", {2}, {1, 2, 3}},
      {0x2000, {1, 2, 4}, "BUTTON", {2}, {5, 6, 7}},
      {0x4000, {1, 2, 4}, "BUTTON", {2}, {5, 6, 7}},
      {0x8000, {1, 2, 4, 0x10}, "BUTTON", {1}, {1, 2, 5, 3}},
  };
  auto add = [](const Row& row) {
    std::size_t i = 0;
    for (int code : row.codes) {
      const int part = row.parts.size() == 1 ? *row.parts.begin() : *(row.parts.begin() + i);
      const int state = *(row.states.begin() + i);
      auto& slot = Map()[row.element | code];
      // Entries set by OverrideEntry survive a rebuild.
      if (!slot) slot = std::make_unique<UGXPThemeEntry>(UGXPThemeEntry{row.cls, part, state});
      ++i;
    }
  };
  const Row* first = alt ? std::begin(kAlternative) : std::begin(kDefault);
  const Row* last = alt ? std::end(kAlternative) : std::end(kDefault);
  for (const Row* r = first; r != last; ++r) add(*r);
  for (const Row& r : kShared) add(r);
}

const UGXPThemeEntry* UGXPThemes::LookupEntry(int element, int state) {
  auto& map = Map();
  const int key = element | state;
  auto it = map.find(key);
  if (map.empty() || it == map.end()) {
    Build();
    it = map.find(key);
  }
  if (it == map.end()) it = map.emplace(key, nullptr).first;  // asked once, not looked for again
  return it->second.get();
}

void UGXPThemes::OverrideEntry(int element, int state, const std::string& className, int part, int stateId) {
  Map()[element | state] = std::make_unique<UGXPThemeEntry>(UGXPThemeEntry{className, part, stateId});
}

}  // namespace gridmodel
