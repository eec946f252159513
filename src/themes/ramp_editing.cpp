#include "themes/ramp_editing.h"

#include <cstdlib>
#include <utility>

namespace themes {

std::vector<CColorRamp> ListedRamps(const std::vector<std::unique_ptr<CColorRamp>>& ramps) {
  std::vector<CColorRamp> out;
  for (const auto& r : ramps)
    if (r && r->GetCount() > 0) out.push_back(*r);
  return out;
}

void StoreListedRamps(const std::vector<CColorRamp>& listed, std::vector<std::unique_ptr<CColorRamp>>& ramps) {
  ramps.clear();
  ramps.push_back(std::make_unique<CColorRamp>());
  for (const CColorRamp& r : listed) ramps.push_back(std::make_unique<CColorRamp>(r));
}

int AddRampColor(std::vector<COLORREF>& colors, int selected) {
  if (static_cast<int>(colors.size()) >= kMaxRampDialogColors) return selected;
  colors.push_back(kAddedRampColor);
  return static_cast<int>(colors.size()) - 1;
}

int DeleteRampColor(std::vector<COLORREF>& colors, int selected) {
  if (colors.size() <= 1 || selected < 0 || selected >= static_cast<int>(colors.size())) return selected;
  colors.erase(colors.begin() + selected);
  return -1;
}

int MoveRampColor(std::vector<COLORREF>& colors, int selected, RampMove move) {
  const int n = static_cast<int>(colors.size());
  if (selected < 0 || selected >= n) return selected;
  int to = selected;
  switch (move) {
    case RampMove::Up: to = selected - 1; break;
    case RampMove::Down: to = selected + 1; break;
    case RampMove::Top: to = 0; break;
    case RampMove::Bottom: to = n - 1; break;
  }
  if (to < 0 || to >= n || to == selected) return selected;
  const COLORREF moved = colors[static_cast<std::size_t>(selected)];
  colors.erase(colors.begin() + selected);
  colors.insert(colors.begin() + to, moved);
  return to;
}

bool RelativeLengthRangeFits(int start, int end, int cells) { return std::abs(start - end) >= cells - 1; }

}  // namespace themes
