#include "themes/wv_legend.h"

void CWVLegendData::AddEntry(const CWVLegendEntry& entry) {
  const float v = entry.GetValue();
  auto it = entries_.begin();
  for (; it != entries_.end(); ++it)
    if (it->GetValue() > v && it->GetValue() != -9999.0f) break;
  entries_.insert(it, entry);
}

void CWVLegendData::Copy(const CWVLegendData& other) {
  if (this == &other) return;
  RemoveAllEntries();
  showValues = other.showValues;
  fontSize = other.fontSize;
  decimals = other.decimals;
  skip = other.skip;
  lineWidth = other.lineWidth;
  autoDensity = other.autoDensity;
  targetSize = other.targetSize;
  units = other.units;
  for (const auto& e : other.entries_) AddEntry(e);
}
