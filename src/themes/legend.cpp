#include "themes/legend.h"

#include <chrono>
#include <cmath>

#include "app/random.h"
#include "app/unit_tables.h"
#include "themes/theme.h"


bool CThemeLegendData::AddEntry(const CLegendEntry& entry) {
  if (GetCount() >= kMaxLegendEntries) return false;
  std::size_t pos = 0;
  if (entry.GetValue() == kNoData) {
    while (pos < entries_.size() && entries_[pos].GetValue() == kNoData) ++pos;
  } else {
    pos = entries_.size();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      const float v = entries_[i].GetValue();
      if (v != kNoData && v > entry.GetValue()) {
        pos = i;
        break;
      }
    }
  }
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(pos), entry);
  return true;
}

void CThemeLegendData::Copy(const CThemeLegendData& other) {
  if (&other == this) return;
  RemoveAllEntries();
  uniqueValues_ = other.uniqueValues_;
  decimals_ = other.decimals_;
  units_ = other.units_;
  for (const auto& e : other.entries_) AddEntry(e);
}

bool CThemeLegendData::SetUniqueValues(bool unique) {
  bool previous = uniqueValues_ != 0;
  uniqueValues_ = unique ? 1 : 0;
  return previous;
}

bool CThemeLegendData::ChangeUnits(int index) {
  if (!theme_) {
    units_ = static_cast<std::int16_t>(index);
    return true;
  }
  if (index < 0 || index >= static_cast<int>(GetLayerTypeUnits(theme_->layerType).size()))
    return false;
  std::vector<float> stored;
  stored.reserve(entries_.size());
  for (std::size_t i = 1; i < entries_.size(); ++i)
    stored.push_back(theme_->ConvertFromDisplayUnits(entries_[i].GetValue(), *this));
  units_ = static_cast<std::int16_t>(index);
  for (std::size_t i = 1; i < entries_.size(); ++i)
    entries_[i].SetValue(theme_->ConvertToDisplayUnits(stored[i - 1], *this));
  return true;
}

std::string CThemeLegendData::GetUnitsName() const {
  if (!theme_) return {};
  return GetDisplayUnitsName(theme_->layerType, units_);
}

COLORREF CThemeLegendData::GetColor(double value) const {
  const int count = GetCount();
  if (count <= 0) return 0;
  // NaN is no value at all: it draws as "No Data", not in the last class.
  if (value == static_cast<double>(kNoData) || std::isnan(value)) return entries_[0].GetColor();
  if (count == 1) return 0;
  for (int i = 1; i < count; ++i)
    if (static_cast<double>(entries_[static_cast<std::size_t>(i)].GetValue()) >= value)
      return entries_[static_cast<std::size_t>(i)].GetColor();
  return entries_.back().GetColor();
}

void CThemeLegendData::ApplyColorRamp(const CColorRamp& ramp) {
  const int count = GetCount();
  if (count < 2) return;
  const int m = ramp.GetCount();
  if (m <= 0) {
    using namespace std::chrono;
    int ms = static_cast<int>(
        duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count() % 1000);
    std::int32_t seed = -ms;
    CRandom random;
    for (int i = 1; i < count; ++i) {
      const double u1 = random.NextCombined(seed), u2 = random.NextCombined(seed), u3 = random.NextCombined(seed);
      entries_[static_cast<std::size_t>(i)].SetColor(
          MakeColorRef(static_cast<unsigned>(u1 * 256), static_cast<unsigned>(u2 * 256),
                       static_cast<unsigned>(u3 * 256)));
    }
    return;
  }
  if (m == 1) {
    for (int i = 1; i < count; ++i) entries_[static_cast<std::size_t>(i)].SetColor(ramp.GetColor(0));
    return;
  }
  const int segments = m - 1;
  const double c = static_cast<double>(count - 1) / segments;
  const int size = static_cast<int>(std::ceil(c));
  if (size <= 0) return;
  std::vector<COLORREF> colors(static_cast<std::size_t>(size));
  for (int j = 0; j < segments; ++j) {
    InterpolateColors(ramp.GetColor(j), ramp.GetColor(j + 1), size, colors.data());
    const int first = 1 + static_cast<int>(j * c);
    for (int k = 0; k < size && first + k < count; ++k)
      entries_[static_cast<std::size_t>(first + k)].SetColor(colors[static_cast<std::size_t>(k)]);
  }
}
